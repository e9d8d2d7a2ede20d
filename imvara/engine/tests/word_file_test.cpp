// The word file two programs share: each sees the other's saves at its next fresh lookup, edits from
// both (and from another process) never lose a word, and a file that cannot be read is never replaced.
#include "common/file_io.h"
#include "common/tests/gbk_literal.h"
#include "imvara/engine/session.h"
#include "imvara/engine/tests/fake_keyboard.h"
#include "imvara/engine/word_file.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace imvara;
namespace fs = std::filesystem;

namespace {

// One program folder, and two programs on it, each with its own lookup text and word file.
class WordFileTest : public ::testing::Test {
protected:
    static fs::path makeFolder() {
        std::string tmpl = (fs::temp_directory_path() / "imvara-wordfile-XXXXXX").string();
        return ::mkdtemp(tmpl.data());
    }
    ~WordFileTest() override { fs::remove_all(dir); }

    std::string fileBytes() const {
        return aquine::readFileBytes(dir / "word.bin", aquine::kSettingsFileLimit).value_or("<absent>");
    }
    static std::vector<std::string> list(std::initializer_list<std::string> entries) { return entries; }

    struct Program {
        explicit Program(const fs::path& dir) : file(dir) {}
        LookupText lookup{"\r\nhang " + G("航") + "\r\n", ""};
        WordFile file;
    };

    fs::path dir = makeFolder();
    Program bar{dir};
    Program engine{dir};
};

} // namespace

TEST_F(WordFileTest, EachProgramsSaveKeepsTheOthersWordsAndIsSeenByItsNextCheck) {
    EXPECT_TRUE(bar.file.reloadIfChanged(bar.lookup)); // the first check loads the (absent) file
    EXPECT_TRUE(engine.file.reloadIfChanged(engine.lookup));
    EXPECT_FALSE(bar.file.reloadIfChanged(bar.lookup));

    WordEdit edit = bar.file.add(bar.lookup, "a " + G("一"));
    ASSERT_TRUE(edit.saved) << edit.saved.reason();
    // The engine has not looked since: its add is applied to the file, not to its stale list.
    edit = engine.file.add(engine.lookup, "b " + G("二"));
    ASSERT_TRUE(edit.saved) << edit.saved.reason();
    EXPECT_EQ(edit.words.entries(), list({"a " + G("一"), "b " + G("二")}));
    EXPECT_EQ(fileBytes(), "\r\na " + G("一") + "\r\nb " + G("二"));
    EXPECT_EQ(ReverseLookup(engine.lookup.text(), G("一")), "a");

    EXPECT_FALSE(engine.file.reloadIfChanged(engine.lookup)); // its own save is no change
    EXPECT_EQ(ReverseLookup(bar.lookup.text(), G("二")), "");
    EXPECT_TRUE(bar.file.reloadIfChanged(bar.lookup));
    EXPECT_EQ(ReverseLookup(bar.lookup.text(), G("二")), "b");
    EXPECT_FALSE(bar.file.reloadIfChanged(bar.lookup));

    // An editor's save, and the file's removal, are seen as well.
    ASSERT_TRUE(aquine::writeFileAtomically(dir / "word.bin", "\r\nc " + G("三")));
    EXPECT_TRUE(bar.file.reloadIfChanged(bar.lookup));
    EXPECT_EQ(bar.lookup.userPart(), "\r\nc " + G("三") + "\r\n");
    fs::remove(dir / "word.bin");
    EXPECT_TRUE(bar.file.reloadIfChanged(bar.lookup));
    EXPECT_EQ(bar.lookup.userPart(), "\r\n");
}

TEST_F(WordFileTest, ModifyAndDeleteFindTheEntryTheUserSawWhereverItMoved) {
    ASSERT_TRUE(bar.file.add(bar.lookup, "x " + G("甲")).saved);
    ASSERT_TRUE(bar.file.add(bar.lookup, "y " + G("乙")).saved);
    ASSERT_TRUE(bar.file.add(bar.lookup, "y " + G("乙")).saved);
    const UserWords shown = bar.file.reload(bar.lookup);
    const SeenEntry secondY = seenAt(shown, 2);
    EXPECT_EQ(secondY.occurrence, 1u);

    // Meanwhile the engine deletes the first entry: every row the bar shows has moved up by one.
    ASSERT_TRUE(engine.file.remove(engine.lookup, seenAt(engine.file.reload(engine.lookup), 0)).saved);
    WordEdit edit = bar.file.modify(bar.lookup, secondY, "z " + G("丙"));
    ASSERT_TRUE(edit.saved) << edit.saved.reason();
    EXPECT_EQ(fileBytes(), "\r\ny " + G("乙") + "\r\nz " + G("丙"));

    // An entry the other program deleted is not brought back by a modify, nor deleted twice.
    const SeenEntry x = seenAt(shown, 0);
    edit = bar.file.modify(bar.lookup, x, "x " + G("丁"));
    EXPECT_FALSE(edit.saved);
    EXPECT_NE(edit.saved.reason().find("已被另一个程序修改或删除"), std::string::npos) << edit.saved.reason();
    EXPECT_NE(edit.saved.reason().find("x 甲"), std::string::npos) << edit.saved.reason();
    edit = bar.file.remove(bar.lookup, x);
    EXPECT_FALSE(edit.saved);
    EXPECT_EQ(edit.words.entries(), list({"y " + G("乙"), "z " + G("丙")})); // the list the window shows now
    EXPECT_EQ(fileBytes(), "\r\ny " + G("乙") + "\r\nz " + G("丙"));
    EXPECT_EQ(ReverseLookup(bar.lookup.text(), G("甲")), "");

    // Two alike entries: when the one seen is gone, its twin is the one meant.
    ASSERT_TRUE(engine.file.add(engine.lookup, "y " + G("乙")).saved);
    const SeenEntry twin = seenAt(bar.file.reload(bar.lookup), 2);
    EXPECT_EQ(twin.occurrence, 1u);
    ASSERT_TRUE(engine.file.remove(engine.lookup, seenAt(engine.file.reload(engine.lookup), 2)).saved);
    ASSERT_TRUE(bar.file.remove(bar.lookup, twin).saved);
    EXPECT_EQ(fileBytes(), "\r\nz " + G("丙"));

    EXPECT_FALSE(bar.file.add(bar.lookup, "  ").saved);
    EXPECT_FALSE(bar.file.modify(bar.lookup, seenAt(bar.file.reload(bar.lookup), 0), " ").saved);
    EXPECT_EQ(fileBytes(), "\r\nz " + G("丙"));
}

TEST_F(WordFileTest, TwoProcessesAddingAtOnceLoseNothing) {
    constexpr int kEach = 60;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int failures = 0;
        for (int i = 0; i < kEach; ++i)
            failures += engine.file.add(engine.lookup, "child" + std::to_string(i) + " " + G("子")).saved ? 0 : 1;
        ::_exit(failures);
    }
    for (int i = 0; i < kEach; ++i)
        EXPECT_TRUE(bar.file.add(bar.lookup, "parent" + std::to_string(i) + " " + G("父")).saved);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    const UserWords all = bar.file.reload(bar.lookup);
    ASSERT_EQ(all.entries().size(), 2u * kEach);
    for (int i = 0; i < kEach; ++i) {
        for (const std::string& word :
             {"child" + std::to_string(i) + " " + G("子"), "parent" + std::to_string(i) + " " + G("父")})
            EXPECT_EQ(std::count(all.entries().begin(), all.entries().end(), word), 1) << word;
    }
}

// The rule the start-up load applies is the only one: the check and the edits follow it too.
TEST_F(WordFileTest, ACorruptOrHugeFileIsTakenAsAtStartAndNeverReplaced) {
    // Bytes that are not GBK and a line too long to match are kept byte for byte through an edit.
    const std::string odd = "\r\nodd \xFF\x80\x81" + std::string("\r\nlong ") + std::string(300, 'q') + "\r\n";
    ASSERT_TRUE(aquine::writeFileAtomically(dir / "word.bin", odd));
    ASSERT_TRUE(bar.file.reloadIfChanged(bar.lookup));
    EXPECT_EQ(bar.lookup.text(), LoadLookupText(bar.lookup.codeTable(), dir).text());
    ASSERT_TRUE(bar.file.add(bar.lookup, "c " + G("三")).saved);
    EXPECT_EQ(fileBytes(), "\r\nodd \xFF\x80\x81\r\nlong " + std::string(300, 'q') + "\r\nc " + G("三"));

    // Over the size limit: no user words, as at start, and no edit may overwrite what it could not read.
    fs::resize_file(dir / "word.bin", aquine::kSettingsFileLimit + 1);
    EXPECT_TRUE(engine.file.reloadIfChanged(engine.lookup));
    EXPECT_EQ(engine.lookup.text(), LoadLookupText(engine.lookup.codeTable(), dir).text());
    EXPECT_EQ(engine.lookup.userPart(), "\r\n");
    const WordEdit edit = engine.file.add(engine.lookup, "d " + G("四"));
    EXPECT_FALSE(edit.saved);
    EXPECT_NE(edit.saved.reason().find("这次修改没有保存"), std::string::npos) << edit.saved.reason();
    EXPECT_EQ(fs::file_size(dir / "word.bin"), aquine::kSettingsFileLimit + 1);
}

TEST_F(WordFileTest, TheSessionTakesNewWordsAtTheFirstLetterOnly) {
    FakeKeyboard keyboard;
    FixedMeasure measure;
    Session session(keyboard, measure, bar.lookup);
    session.setWordFile(&bar.file);
    session.start();
    ASSERT_TRUE(engine.file.add(engine.lookup, "qqq " + G("行行")).saved);
    for (const char* key : {"q", "q", "q", "1"})
        session.ProcessKey(key);
    EXPECT_EQ(keyboard.allTyped(), G("行行"));

    // A save in the middle of a composition waits for the next one: the page keeps its text.
    session.ProcessKey("q");
    ASSERT_TRUE(engine.file.add(engine.lookup, "qqqq " + G("期")).saved);
    EXPECT_FALSE(bar.lookup.text().ends_with("qqqq " + G("期") + "\r\n"));
    for (const char* key : {"q", "q", "1", "q", "q", "q", "q", "1"})
        session.ProcessKey(key);
    EXPECT_EQ(keyboard.allTyped(), G("行行") + G("行行") + G("期"));
}
