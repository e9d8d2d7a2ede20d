// User words: the list read from the lookup text, the exact bytes of "\word.bin" after each change,
// and the lookup seeing the change at once.
#include "common/file_io.h"
#include "common/tests/gbk_literal.h"
#include "imvara/engine/code_table.h"
#include "imvara/engine/user_words.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace imvara;
namespace fs = std::filesystem;

namespace {

class UserWordsTest : public ::testing::Test {
protected:
    UserWordsTest() {
        std::string tmpl = (fs::temp_directory_path() / "imvara-words-XXXXXX").string();
        dir = ::mkdtemp(tmpl.data());
    }
    ~UserWordsTest() override { fs::remove_all(dir); }

    std::string fileBytes() const {
        return aquine::readFileBytes(dir / "word.bin", aquine::kSettingsFileLimit).value_or("<absent>");
    }

    fs::path dir;
    LookupText lookup{"\r\nhang " + G("航") + "\r\n", ""};
};

} // namespace

TEST_F(UserWordsTest, AddWritesExactBytesAndTheLookupFindsTheWord) {
    UserWords words = UserWords::fromLookup(lookup);
    EXPECT_TRUE(words.entries().empty());
    ASSERT_TRUE(words.add("hang " + G("行")));
    ASSERT_TRUE(words.save(lookup, dir));
    EXPECT_EQ(fileBytes(), "\r\nhang " + G("行"));
    EXPECT_EQ(ReverseLookup(lookup.text(), G("行")), "hang");
    EXPECT_EQ(FindMatch(lookup.text(), "hang", 2), static_cast<Position>(lookup.codeTable().size()) + 1);

    ASSERT_TRUE(words.add("xing " + G("行")));
    ASSERT_TRUE(words.save(lookup, dir));
    EXPECT_EQ(fileBytes(), "\r\nhang " + G("行") + "\r\nxing " + G("行"));
    // Reading the file at the next start gives the same list.
    EXPECT_EQ(UserWords::fromLookup(LoadLookupText(lookup.codeTable(), dir)).entries(), words.entries());
}

TEST_F(UserWordsTest, BlankInputIsRefusedAndAnythingElseKeptAsTyped) {
    UserWords words;
    EXPECT_FALSE(words.add(""));
    EXPECT_FALSE(words.add("   "));
    EXPECT_TRUE(words.add("onlycode"));
    EXPECT_TRUE(words.add("  pad " + G("边") + " "));
    EXPECT_FALSE(words.modify(0, " "));
    EXPECT_FALSE(words.modify(5, "x y"));
    EXPECT_EQ(words.entries(), (std::vector<std::string>{"onlycode", "  pad " + G("边") + " "}));
    ASSERT_TRUE(words.save(lookup, dir));
    EXPECT_EQ(fileBytes(), "\r\nonlycode\r\n  pad " + G("边") + " ");
}

TEST_F(UserWordsTest, ModifyAndDeleteDownToAnEmptyFile) {
    UserWords words;
    words.add("a " + G("一"));
    words.add("b " + G("二"));
    ASSERT_TRUE(words.modify(1, "c " + G("三")));
    ASSERT_TRUE(words.remove(0));
    ASSERT_TRUE(words.save(lookup, dir));
    EXPECT_EQ(fileBytes(), "\r\nc " + G("三"));
    ASSERT_TRUE(words.remove(0));
    EXPECT_FALSE(words.remove(0));
    ASSERT_TRUE(words.save(lookup, dir));
    EXPECT_EQ(fileBytes(), "");
    EXPECT_EQ(lookup.userPart(), "\r\n");
}

TEST_F(UserWordsTest, BlankLinesInTheFileAreDroppedAtTheNextChange) {
    ASSERT_TRUE(
        aquine::writeFileAtomically(dir / "word.bin", "\r\na " + G("一") + "\r\n\r\n  \r\nb " + G("二") + "\r\n"));
    lookup = LoadLookupText(lookup.codeTable(), dir);
    UserWords words = UserWords::fromLookup(lookup);
    EXPECT_EQ(words.entries(), (std::vector<std::string>{"a " + G("一"), "b " + G("二")}));
    words.add("c " + G("三"));
    ASSERT_TRUE(words.save(lookup, dir));
    EXPECT_EQ(fileBytes(), "\r\na " + G("一") + "\r\nb " + G("二") + "\r\nc " + G("三"));
}

TEST_F(UserWordsTest, AFailedWriteIsReportedAndTheLookupKeepsTheChange) {
    UserWords words;
    words.add("hang " + G("行"));
    const auto result = words.save(lookup, dir / "missing-folder");
    EXPECT_FALSE(result);
    EXPECT_FALSE(result.reason().empty());
    EXPECT_EQ(ReverseLookup(lookup.text(), G("行")), "hang");
}

TEST_F(UserWordsTest, AMissingFileMeansNoUserWords) {
    const LookupText loaded = LoadLookupText(CodeTable(), dir);
    EXPECT_EQ(loaded.userPart(), "\r\n");
    EXPECT_TRUE(UserWords::fromLookup(loaded).entries().empty());
}
