// Documents on disk: piecewise decoding equals whole decoding, a large file arrives in pieces, and
// symbolic links are kept.
#include "aquinepad/document/document_file.h"
#include "aquinepad/document/gbk_stream_decoder.h"
#include "aquinepad/editor/tests/fake_text_editor.h"
#include "common/gbk_codec.h"
#include "common/tests/gbk_literal.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <unistd.h>

using namespace aquinepad;
namespace fs = std::filesystem;

namespace {

// The editor's side of a load, counting how it arrives.
class StringText : public aquinepad::testing::FakeTextEditor {
public:
    void reserveText(std::size_t n) override { reserved = n; }
    void appendText(std::string_view utf8) override {
        FakeTextEditor::appendText(utf8);
        ++pieces;
    }

    std::size_t reserved = 0;
    int pieces = 0;
};

std::string randomBytes(std::mt19937& rng, std::size_t n) {
    // Mostly GBK-like bytes: lead and trail ranges, digits for four-byte sequences, line breaks, NUL.
    static const std::string alphabet = std::string("\x81\x82\xB0\xD6\xFE\x80\xFF\x30\x39\x40\x7F\xA1\r\n\0 a", 17);
    std::string s(n, '\0');
    std::uniform_int_distribution<int> pick(0, 3);
    std::uniform_int_distribution<int> any(0, 255);
    std::uniform_int_distribution<std::size_t> fromAlphabet(0, alphabet.size() - 1);
    for (auto& c : s)
        c = pick(rng) == 0 ? static_cast<char>(any(rng)) : alphabet[fromAlphabet(rng)];
    return s;
}

class TempDir {
public:
    TempDir() {
        std::string tmpl = (fs::temp_directory_path() / "aquinepad-file-XXXXXX").string();
        path = ::mkdtemp(tmpl.data());
    }
    ~TempDir() { fs::remove_all(path); }
    fs::path path;
};

std::string fileBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeBytes(const fs::path& p, std::string_view bytes) {
    std::ofstream(p, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace

TEST(GbkStreamDecoder, AnyCuttingGivesTheWholeDecoding) {
    std::mt19937 rng(5);
    for (int round = 0; round < 300; ++round) {
        const std::string bytes = randomBytes(rng, std::uniform_int_distribution<std::size_t>(0, 300)(rng));
        GbkStreamDecoder decoder;
        std::string utf8;
        for (std::size_t at = 0; at < bytes.size();) {
            const std::size_t n = std::uniform_int_distribution<std::size_t>(0, 9)(rng);
            decoder.feed(std::string_view(bytes).substr(at, n), utf8);
            at += n;
        }
        decoder.finish(utf8);
        ASSERT_EQ(utf8, aquine::codec::gbkToUtf8(bytes)) << "round " << round;
    }
}

TEST(GbkStreamDecoder, ACharacterSplitAcrossPiecesIsKeptWhole) {
    GbkStreamDecoder decoder;
    std::string utf8;
    decoder.feed("\xD6", utf8);             // lead byte of 中
    decoder.feed("\xD0\x95\x32\x82", utf8); // its trail, then most of a four-byte sequence
    decoder.feed("\x36\n", utf8);
    decoder.finish(utf8);
    EXPECT_EQ(utf8, "中" + aquine::codec::gbkToUtf8("\x95\x32\x82\x36") + "\n");
}

TEST(DocumentFile, ReadsLargeFilesInPiecesAndReservesForThem) {
    TempDir dir;
    std::string bytes;
    for (int i = 0; i < 600000; ++i)
        bytes += G("中文 text\r\n");
    writeBytes(dir.path / "big.txt", bytes);
    StringText text;
    ASSERT_TRUE(readDocumentFile(dir.path / "big.txt", text));
    EXPECT_GT(text.pieces, 1);
    // The editor keeps all it reserves: little more than the text needs.
    EXPECT_GT(text.reserved, text.text().size());
    EXPECT_LT(text.reserved, text.text().size() * 101 / 100);
    EXPECT_EQ(aquine::codec::utf8ToGbk(text.text()), bytes);

    const std::string ascii(3u << 20, 'a');
    writeBytes(dir.path / "ascii.txt", ascii);
    StringText asciiText;
    ASSERT_TRUE(readDocumentFile(dir.path / "ascii.txt", asciiText));
    EXPECT_LT(asciiText.reserved, ascii.size() * 101 / 100);
    EXPECT_EQ(asciiText.text(), ascii);
}

TEST(DocumentFile, AFileThatCannotBeReadSaysWhichAndWhy) {
    TempDir dir;
    StringText text;
    const auto missing = readDocumentFile(dir.path / "missing.txt", text);
    ASSERT_FALSE(missing);
    EXPECT_NE(missing.reason().find((dir.path / "missing.txt").string()), std::string::npos);
    EXPECT_NE(missing.reason().find("不存在"), std::string::npos) << missing.reason();
    const auto folder = readDocumentFile(dir.path, text);
    ASSERT_FALSE(folder);
    EXPECT_NE(folder.reason().find("文件夹"), std::string::npos) << folder.reason();
}

TEST(DocumentFile, SavingThroughALinkUpdatesTheFileItPointsTo) {
    TempDir dir;
    writeBytes(dir.path / "real.txt", "old");
    fs::create_symlink(dir.path / "real.txt", dir.path / "link.txt");
    ASSERT_TRUE(writeDocumentFile(dir.path / "link.txt", "new"));
    EXPECT_TRUE(fs::is_symlink(dir.path / "link.txt"));
    EXPECT_EQ(fileBytes(dir.path / "real.txt"), "new");
}

// A large save is encoded in pieces: wherever the pieces are cut, the file holds the bytes the whole
// text encodes to, on the replacing way and on the in-place way a file with two names takes.
TEST(DocumentFile, ALargeSaveInPiecesWritesTheWholeText) {
    TempDir dir;
    std::mt19937 rng(7);
    // Every kind of character across the piece boundaries: ASCII, two-byte GBK, four-byte GB18030,
    // bytes that form no character (kept as themselves), ill-formed UTF-8.
    std::string utf8 = aquine::codec::gbkToUtf8(randomBytes(rng, 5u << 20));
    utf8 += "\xF0\x9F\x98\x80\xE4\xB8\xAD\xC3";
    const std::string expected = aquine::codec::utf8ToGbk(utf8);
    ASSERT_TRUE(writeDocumentFile(dir.path / "big.txt", utf8));
    EXPECT_EQ(fileBytes(dir.path / "big.txt"), expected);

    fs::create_hard_link(dir.path / "big.txt", dir.path / "other-name.txt");
    const std::string shorter = utf8.substr(0, utf8.size() / 2);
    ASSERT_TRUE(writeDocumentFile(dir.path / "big.txt", shorter));
    EXPECT_EQ(fileBytes(dir.path / "other-name.txt"), aquine::codec::utf8ToGbk(shorter));
}
