// The codec must give back exactly the bytes it was given, whatever they are, and must agree with the
// GBK and GB18030 tables wherever the bytes are real characters.
#include "common/gbk_codec.h"

#include <gtest/gtest.h>
#include <iconv.h>
#include <random>

using namespace aquine::codec;

namespace {

std::string viaIconv(const std::string& in, const char* from, const char* to) {
    iconv_t cd = iconv_open(to, from);
    std::string out(in.size() * 4 + 8, '\0');
    char* ip = const_cast<char*>(in.data());
    char* op = out.data();
    std::size_t il = in.size(), ol = out.size();
    const bool ok = iconv(cd, &ip, &il, &op, &ol) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    out.resize(ok ? out.size() - ol : 0);
    return ok ? out : "<invalid>";
}

bool isValidUtf8(const std::string& s) { return viaIconv(s, "UTF-8", "UTF-8") == s; }

} // namespace

TEST(GbkCodec, KnownCharacters) {
    EXPECT_EQ(gbkToUtf8("\xD6\xD0\xCE\xC4"), "中文");
    EXPECT_EQ(utf8ToGbk("中文"), "\xD6\xD0\xCE\xC4");
    EXPECT_EQ(utf8ToGbk("€"), "\xA2\xE3");
    // Characters GBK cannot hold keep their GB18030 four-byte form.
    EXPECT_EQ(utf8ToGbk("😀"), "\x94\x39\xFC\x36");
    EXPECT_EQ(utf8ToGbk("𠀀"), "\x95\x32\x82\x36");
    EXPECT_EQ(gbkToUtf8("\x94\x39\xFC\x36\x95\x32\x82\x36"), "😀𠀀");
    EXPECT_EQ(gbkToUtf16("\x94\x39\xFC\x36"), u"😀");
    EXPECT_EQ(utf16ToGbk(u"中😀"), "\xD6\xD0\x94\x39\xFC\x36");
    EXPECT_TRUE(isGbkCharacter(U'中'));
    EXPECT_FALSE(isGbkCharacter(U'😀'));
}

TEST(GbkCodec, InvalidBytesBecomeRawByteCharactersAndComeBack) {
    // 0x80, 0xFF, a lead byte before an invalid second byte, a lone lead byte at the end.
    EXPECT_EQ(gbkToUtf16("\x80"), std::u16string(1, char16_t(0xF780)));
    EXPECT_EQ(gbkToUtf16("\xFF"), std::u16string(1, char16_t(0xF7FF)));
    EXPECT_EQ(gbkToUtf16("\x81\x20"), (std::u16string{char16_t(0xF781), u' '}));
    EXPECT_EQ(gbkToUtf16("a\xD6"), (std::u16string{u'a', char16_t(0xF7D6)}));
    for (const std::string s : {"\x80", "\xFF", "\x81\x20", "a\xD6", "\x81\x30\x81", "\x84\x31\xA4\x39",
                                "\xE3\x32\x9A\x36", "\xFE\x39\xFE\x39"}) {
        EXPECT_EQ(utf8ToGbk(gbkToUtf8(s)), s);
        EXPECT_EQ(utf16ToGbk(gbkToUtf16(s)), s);
    }
    // Ill-formed Unicode input does not crash and marks what it could not read.
    EXPECT_EQ(utf8ToGbk("a\xC3"), "a?");
    EXPECT_EQ(utf8ToGbk("\xED\xA0\x80"), "???"); // an encoded surrogate
    EXPECT_EQ(utf16ToGbk(std::u16string(1, char16_t(0xD800))), "?");
}

TEST(GbkCodec, AgreesWithTheGbkTableForEveryTwoByteCharacter) {
    int checked = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            const std::string bytes{char(lead), char(trail)};
            const std::string reference = viaIconv(bytes, "GBK", "UTF-8");
            if (reference == "<invalid>")
                continue;
            ASSERT_EQ(gbkToUtf8(bytes), reference) << std::hex << lead << ' ' << trail;
            ASSERT_EQ(utf8ToGbk(reference), bytes);
            ++checked;
        }
    }
    EXPECT_GT(checked, 21000);
}

// Private-use characters users type (vertical forms, radicals of old fonts) that glibc's GB18030 has
// no code for any more: they keep a GB18030 code of their own and come back, never as '?'.
TEST(GbkCodec, PrivateUseCharactersKeepTheirCodes) {
    const std::pair<char16_t, std::string> codes[] = {
        {0xE78D, "\x84\x31\x82\x36"}, {0xE796, "\x84\x31\x83\x35"}, {0xE816, "\xFE\x51"},
        {0xE81E, "\x82\x35\x90\x37"}, {0xE855, "\xFE\x91"},         {0xE864, "\x82\x35\x91\x34"},
    };
    for (const auto& [cp, bytes] : codes) {
        EXPECT_EQ(utf16ToGbk(std::u16string(1, cp)), bytes) << std::hex << int(cp);
        EXPECT_EQ(gbkToUtf16(bytes), std::u16string(1, cp)) << std::hex << int(cp);
    }
    // All 24, and every other private-use character of the BMP outside the raw-byte range.
    for (char32_t cp = 0xE000; cp <= 0xF8FF; ++cp) {
        if (cp >= kRawByteBase + 0x80 && cp <= kRawByteBase + 0xFF)
            continue;
        const std::string gbk = utf16ToGbk(std::u16string(1, static_cast<char16_t>(cp)));
        ASSERT_NE(gbk, "?") << std::hex << int(cp);
        ASSERT_EQ(gbkToUtf16(gbk), std::u16string(1, static_cast<char16_t>(cp))) << std::hex << int(cp);
    }
    // The two-byte codes those characters had in GBK stay the standard characters glibc reads there.
    EXPECT_EQ(gbkToUtf16("\xA6\xD9"), u"\uFE10");
    EXPECT_EQ(gbkToUtf16("\xFE\x59"), u"\u9FB4");
}

TEST(GbkCodec, LineBreaksAndNulPassUnchanged) {
    const std::string s("a\r\nb\nc\rd\0e\r\r\n\n", 13);
    EXPECT_EQ(gbkToUtf8(s), s);
    EXPECT_EQ(utf8ToGbk(s), s);
}

// Any byte string survives decoding and encoding, through UTF-8 and through UTF-16, and decodes to
// well-formed UTF-8. Bytes are drawn so that lead bytes, digits (four-byte sequences), line breaks and
// the edges of the ranges are common.
TEST(GbkCodec, RoundTripOfRandomByteStrings) {
    std::mt19937 rng(20261208);
    const unsigned char interesting[] = {0x00, 0x0D, 0x0A, 0x20, 0x30, 0x39, 0x40, 0x7E, 0x7F,
                                         0x80, 0x81, 0x84, 0x90, 0xA1, 0xD6, 0xE3, 0xFE, 0xFF};
    std::uniform_int_distribution<int> length(0, 40), kind(0, 3), any(0, 255), pick(0, sizeof interesting - 1),
        digit(0x30, 0x39), lead(0x81, 0xFE);
    for (int round = 0; round < 100000; ++round) {
        std::string s;
        const int n = length(rng);
        for (int k = 0; k < n; ++k) {
            switch (kind(rng)) {
            case 0: s.push_back(char(any(rng))); break;
            case 1: s.push_back(char(interesting[pick(rng)])); break;
            case 2: s.push_back(char(digit(rng))); break;
            default: s.push_back(char(lead(rng))); break;
            }
        }
        const std::string utf8 = gbkToUtf8(s);
        ASSERT_EQ(utf8ToGbk(utf8), s) << "round " << round;
        ASSERT_EQ(utf16ToGbk(gbkToUtf16(s)), s) << "round " << round;
        if (round % 50 == 0) {
            ASSERT_TRUE(isValidUtf8(utf8)) << "round " << round;
        }
    }
}
