// Private-profile files: what is read, what a write changes, and that nothing else moves.
#include "common/ini_file.h"
#include "common/tests/gbk_literal.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ini = aquine::ini;
namespace fs = std::filesystem;

namespace {

class TempDir {
public:
    TempDir() {
        std::string tmpl = (fs::temp_directory_path() / "aquine-test-XXXXXX").string();
        m_path = ::mkdtemp(tmpl.data());
    }
    ~TempDir() {
        std::error_code ec;
        fs::permissions(m_path, fs::perms::owner_all, ec);
        fs::remove_all(m_path, ec);
    }
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

} // namespace

TEST(IniText, ReadsKeysLikeWindows) {
    const std::string text = G("; settings\r\n[配置信息]\r\n  字体大小 = 16 \r\nName=\"quoted value\"\r\n"
                               "empty=\r\n[Other]\r\nName=other\n");
    const std::string section = G("配置信息");
    EXPECT_EQ(ini::readKeyFromText(text, section, G("字体大小")), "16");
    EXPECT_EQ(ini::readKeyFromText(text, section, "NAME"), "quoted value");
    EXPECT_EQ(ini::readKeyFromText(text, section, "empty"), "");
    EXPECT_EQ(ini::readKeyFromText(text, "other", "name"), "other");
    EXPECT_EQ(ini::readKeyFromText(text, section, "missing"), "");
    EXPECT_EQ(ini::readKeyFromText(text, "nosection", "Name"), "");
    EXPECT_EQ(ini::readKeyFromText("", section, "Name"), "");
}

TEST(IniText, SectionNamesFoldOnlyAsciiCharacters) {
    // 81 41 and 81 61 are different characters: their sections must stay apart.
    const std::string text = "[\x81\x41]\r\nk=upper\r\n[\x81\x61]\r\nk=lower\r\n";
    EXPECT_EQ(ini::readKeyFromText(text, "\x81\x61", "k"), "lower");
    EXPECT_EQ(ini::readKeyFromText(text, "\x81\x41", "K"), "upper");
}

TEST(IniText, WritesChangeOnlyTheirLine) {
    const std::string text = "; keep me\n[A]\r\nx=1\r\n\r\n[B]\ny = 2\n";
    // Replace: the rest of the file stays byte for byte, including its LF-only lines.
    EXPECT_EQ(ini::writeKeyToText(text, "b", "Y", "3"), "; keep me\n[A]\r\nx=1\r\n\r\n[B]\nY=3\n");
    // New key: after the last entry of its section, before the blank line.
    EXPECT_EQ(ini::writeKeyToText(text, "A", "z", "9"), "; keep me\n[A]\r\nx=1\r\nz=9\r\n\r\n[B]\ny = 2\n");
    // New section: at the end.
    EXPECT_EQ(ini::writeKeyToText(text, "C", "k", "v"), text + "[C]\r\nk=v\r\n");
    // Files without a final line break, and empty files.
    EXPECT_EQ(ini::writeKeyToText("[A]\r\nx=1", "A", "y", "2"), "[A]\r\nx=1\r\ny=2\r\n");
    EXPECT_EQ(ini::writeKeyToText("[A]", "A", "y", "2"), "[A]\r\ny=2\r\n");
    EXPECT_EQ(ini::writeKeyToText("x=1", "A", "y", "2"), "x=1\r\n[A]\r\ny=2\r\n");
    EXPECT_EQ(ini::writeKeyToText("", G("配置信息"), "k", G("值")), "[" + G("配置信息") + "]\r\nk=" + G("值") + "\r\n");
}

// A value pasted with line breaks stays one entry: it can add no key and no section.
TEST(IniFile, LineBreaksInNamesAndValuesAreDropped) {
    const std::string text = "[A]\r\nx=1\r\n";
    const std::string written = ini::writeKeyToText(text, "A", "x", "2\r\n[B]\r\ny=evil\nz=3\r");
    EXPECT_EQ(written, "[A]\r\nx=2[B]y=evilz=3\r\n");
    EXPECT_EQ(ini::readKeyFromText(written, "B", "y"), "");
    EXPECT_EQ(ini::readKeyFromText(written, "A", "z"), "");
    EXPECT_EQ(ini::writeKeyToText("", "S\r\n", "k\ney", "v"), "[S]\r\nkey=v\r\n");
}

TEST(IniFile, CreatesReadsAndRewritesOnDisk) {
    TempDir dir;
    const fs::path file = dir.path() / "配置.ini";
    EXPECT_EQ(ini::readKey(file, "A", "k"), "");
    ASSERT_TRUE(ini::writeKey(file, G("配置信息"), G("皮肤"), G("默认")));
    ASSERT_TRUE(ini::writeKey(file, G("配置信息"), "top", "10"));
    ASSERT_TRUE(ini::writeKey(file, G("配置信息"), "TOP", "20"));
    EXPECT_EQ(ini::readKey(file, G("配置信息"), G("皮肤")), G("默认"));
    EXPECT_EQ(ini::readKey(file, G("配置信息"), "top"), "20");
    EXPECT_EQ(aquine::readFileBytes(file, aquine::kSettingsFileLimit).value_or("<unreadable>"),
              "[" + G("配置信息") + "]\r\n" + G("皮肤") + "=" + G("默认") + "\r\nTOP=20\r\n");
    // No temporary files are left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(IniFile, FailedWriteIsReported) {
    TempDir dir;
    // The folder is a file: nothing can be created in it, even by root.
    const fs::path blocker = dir.path() / "blocker";
    ASSERT_TRUE(aquine::writeFileAtomically(blocker, "x"));
    const auto result = ini::writeKey(blocker / "a.ini", "A", "k", "2");
    EXPECT_FALSE(result);
    EXPECT_FALSE(result.reason().empty());
    EXPECT_EQ(aquine::readFileBytes(blocker, aquine::kSettingsFileLimit).value_or("<unreadable>"), "x");
}
