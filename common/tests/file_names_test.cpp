// File names that are not UTF-8: how they read, and how a name typed as people read it finds its file.
#include "common/file_names.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace fs = std::filesystem;
using aquine::displayFileName;
using aquine::resolveDisplayedPath;

namespace {

const std::string kGbkName = "\xD6\xD0\xCE\xC4.txt"; // 中文.txt in GBK
const std::string kLatin1Name = "caf\xE9.txt";       // café.txt in Latin-1
const std::string kGbkFolder = "\xCE\xC4\xBC\xFE";   // 文件 in GBK

struct TempDir {
    TempDir() {
        std::string tmpl = (fs::temp_directory_path() / "aquine-names-XXXXXX").string();
        path = ::mkdtemp(tmpl.data());
    }
    ~TempDir() { fs::remove_all(path); }
    std::string file(const std::string& name, const std::string& bytes = "x") const {
        const std::string native = path + "/" + name;
        std::ofstream(native, std::ios::binary) << bytes;
        return native;
    }
    std::string path;
};

} // namespace

TEST(FileNames, ReadAsUtf8ElseGbkPartByPart) {
    EXPECT_EQ(displayFileName("/home/a/中文.txt"), "/home/a/中文.txt");
    EXPECT_EQ(displayFileName("/tmp/" + kGbkName), "/tmp/中文.txt");
    // A UTF-8 folder keeps its reading when the file in it is GBK, and the other way round.
    EXPECT_EQ(displayFileName("/文档/" + kGbkFolder + "/" + kGbkName), "/文档/文件/中文.txt");
    // Neither UTF-8 nor GBK: the odd byte shows as the replacement character, the rest stays readable.
    EXPECT_EQ(displayFileName(kLatin1Name), "caf\uFFFD.txt");
    EXPECT_EQ(displayFileName("a\x80\xFF"), "a\uFFFD\uFFFD");
    EXPECT_EQ(displayFileName(""), "");
}

TEST(FileNames, CommandLineNamesBecomeAbsoluteWithTheirBytes) {
    const std::string cwd = fs::current_path().native();
    EXPECT_EQ(aquine::absoluteFileName("files/" + kGbkName), cwd + "/files/" + kGbkName);
    EXPECT_EQ(aquine::absoluteFileName("/x/" + kLatin1Name), "/x/" + kLatin1Name);
    EXPECT_EQ(aquine::absoluteFileName(""), "");
}

TEST(FileNames, TypedNameFindsTheFileItIsShownAs) {
    TempDir dir;
    const std::string gbk = dir.file(kGbkName);
    const std::string latin1 = dir.file(kLatin1Name);
    fs::create_directory(dir.path + "/" + kGbkFolder);
    const std::string nested = dir.file(kGbkFolder + "/" + kGbkName);

    EXPECT_EQ(resolveDisplayedPath(dir.path + "/中文.txt"), gbk);
    EXPECT_EQ(resolveDisplayedPath(dir.path + "/caf\uFFFD.txt"), latin1);
    EXPECT_EQ(resolveDisplayedPath(dir.path + "/文件/中文.txt"), nested);
    // A UTF-8 file of that name is what the name means, even beside a GBK one shown the same way.
    const std::string utf8 = dir.file("中文.txt");
    EXPECT_EQ(resolveDisplayedPath(dir.path + "/中文.txt"), utf8);

    EXPECT_EQ(resolveDisplayedPath(dir.path + "/没有.txt"), std::nullopt);
    EXPECT_EQ(resolveDisplayedPath(dir.path + "/没有/中文.txt"), std::nullopt);
    EXPECT_EQ(resolveDisplayedPath(""), std::nullopt);
}

TEST(FileNames, TwoFilesShownAlikeAreNotGuessedBetween) {
    TempDir dir;
    dir.file("a\xE9.txt");
    dir.file("a\xE8.txt");
    EXPECT_EQ(resolveDisplayedPath(dir.path + "/a\uFFFD.txt"), std::nullopt);
}

TEST(FileNames, ReasonsNameTheFileAsPeopleReadIt) {
    const std::string native = "/d/" + kGbkName;
    EXPECT_EQ(aquine::readableReason("无法读取 " + native + "：没有这个文件", native),
              "无法读取 /d/中文.txt：没有这个文件");
    EXPECT_EQ(aquine::readableReason("磁盘已满", native), "磁盘已满");
}
