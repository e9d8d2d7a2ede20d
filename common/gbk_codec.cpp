// Table-driven GB18030 codec, with raw bytes escaped into a private-use range. The tables are built
// once from glibc's GB18030 converter, then every conversion is a table lookup per character.
#include "common/gbk_codec.h"

#include "common/iconv_handle.h"
#include "common/unicode.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace aquine::codec {

namespace {

constexpr unsigned kTrailCount = 0xFF - 0x40;         // 0x40..0xFE
constexpr unsigned kFourByteBmpCount = 39420;         // 81 30 81 30 .. 84 31 A4 39
constexpr char32_t kSupplementaryLinearBase = 189000; // linear index of 90 30 81 30

constexpr bool isRawByteCodePoint(char32_t cp) { return cp >= kRawByteBase + 0x80 && cp <= kRawByteBase + 0xFF; }

// Encoded form of a BMP character: 0 = none, 1..0xFFFF two-byte code, >= 0x10000 four-byte linear
// index + 0x10000.
struct Tables {
    std::vector<std::uint16_t> twoByte = std::vector<std::uint16_t>(126 * kTrailCount); // -> BMP cp, 0 = invalid
    std::vector<std::uint16_t> fourByte = std::vector<std::uint16_t>(kFourByteBmpCount);
    std::vector<std::uint32_t> encode = std::vector<std::uint32_t>(0x10000);
};

// The one character the n bytes make, or 0 when they make none, or more than one.
char32_t decodeWithIconv(IconvHandle& cd, const unsigned char* bytes, std::size_t n) {
    char32_t out[2] = {0, 0};
    cd.reset();
    const std::string_view in(reinterpret_cast<const char*>(bytes), n);
    const IconvHandle::Piece piece = cd.convert(in, reinterpret_cast<char*>(out), sizeof out);
    if (piece.stop != IconvHandle::Stop::Done || piece.read != n || piece.written != sizeof(char32_t))
        return 0;
    return out[0];
}

void fourByteFromLinear(std::uint32_t linear, unsigned char* b) {
    b[3] = static_cast<unsigned char>(0x30 + linear % 10);
    linear /= 10;
    b[2] = static_cast<unsigned char>(0x81 + linear % 126);
    linear /= 126;
    b[1] = static_cast<unsigned char>(0x30 + linear % 10);
    linear /= 10;
    b[0] = static_cast<unsigned char>(0x81 + linear);
}

// Private-use characters GB18030 codes that glibc's converter lacks, since it follows the 2022 edition,
// which gave their former two-byte codes to standard characters. Users still type them (old input
// methods and fonts put the vertical forms and some radicals there); they get their 2022 codes: the
// four-byte codes the standard characters held before, and for the six whose former two-byte codes
// glibc reads as characters beyond the BMP (which we write as four bytes), those two-byte codes.
struct PrivateUseCode {
    char32_t cp;
    std::uint32_t code; // two bytes, or four bytes
};
// clang-format off
constexpr PrivateUseCode kPrivateUseCodes[] = {
    {0xE78D, 0x84318236}, {0xE78E, 0x84318238}, {0xE78F, 0x84318237}, {0xE790, 0x84318239},
    {0xE791, 0x84318330}, {0xE792, 0x84318331}, {0xE793, 0x84318332}, {0xE794, 0x84318333},
    {0xE795, 0x84318334}, {0xE796, 0x84318335}, {0xE816, 0xFE51}, {0xE817, 0xFE52}, {0xE818, 0xFE53},
    {0xE81E, 0x82359037}, {0xE826, 0x82359038}, {0xE82B, 0x82359039}, {0xE82C, 0x82359130},
    {0xE831, 0xFE6C}, {0xE832, 0x82359131}, {0xE83B, 0xFE76}, {0xE843, 0x82359132}, {0xE854, 0x82359133},
    {0xE855, 0xFE91}, {0xE864, 0x82359134},
};
// clang-format on

void addPrivateUseCodes(Tables& t) {
    for (const PrivateUseCode& p : kPrivateUseCodes) {
        if (t.encode[p.cp] != 0)
            continue; // a converter that has the character already
        if (p.code <= 0xFFFF) {
            std::uint16_t& slot = t.twoByte[((p.code >> 8) - 0x81) * kTrailCount + ((p.code & 0xFF) - 0x40)];
            if (slot != 0)
                continue;
            slot = static_cast<std::uint16_t>(p.cp);
            t.encode[p.cp] = p.code;
        } else {
            const std::uint32_t b0 = p.code >> 24, b1 = (p.code >> 16) & 0xFF, b2 = (p.code >> 8) & 0xFF,
                                b3 = p.code & 0xFF;
            const std::uint32_t linear = ((((b0 - 0x81) * 10 + (b1 - 0x30)) * 126 + (b2 - 0x81)) * 10) + (b3 - 0x30);
            if (linear >= kFourByteBmpCount || t.fourByte[linear] != 0)
                continue;
            t.fourByte[linear] = static_cast<std::uint16_t>(p.cp);
            t.encode[p.cp] = 0x10000 + linear;
        }
    }
}

std::unique_ptr<Tables> buildTables() {
    auto t = std::make_unique<Tables>();
    auto opened = IconvHandle::open("UTF-32LE", "GB18030");
    if (!opened)
        return t; // no converter: every non-ASCII byte is then kept as a raw byte, still lossless
    IconvHandle& cd = *opened;
    unsigned char b[4];
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F)
                continue;
            b[0] = static_cast<unsigned char>(lead);
            b[1] = static_cast<unsigned char>(trail);
            const char32_t cp = decodeWithIconv(cd, b, 2);
            if (cp < 0x80 || cp > 0xFFFF || isRawByteCodePoint(cp) || unicode::isSurrogate(cp))
                continue;
            const auto code = static_cast<std::uint16_t>(lead << 8 | trail);
            if (t->encode[cp] != 0)
                continue; // a second code for the same character would not survive a round trip
            t->encode[cp] = code;
            t->twoByte[(lead - 0x81) * kTrailCount + (trail - 0x40)] = static_cast<std::uint16_t>(cp);
        }
    }
    for (std::uint32_t linear = 0; linear < kFourByteBmpCount; ++linear) {
        fourByteFromLinear(linear, b);
        const char32_t cp = decodeWithIconv(cd, b, 4);
        if (cp < 0x80 || cp > 0xFFFF || isRawByteCodePoint(cp) || unicode::isSurrogate(cp))
            continue;
        if (t->encode[cp] != 0)
            continue;
        t->encode[cp] = 0x10000 + linear;
        t->fourByte[linear] = static_cast<std::uint16_t>(cp);
    }
    addPrivateUseCodes(*t);
    return t;
}

const Tables& tables() {
    static const std::unique_ptr<Tables> t = buildTables();
    return *t;
}

// Reads one character of GB18030 at text[i]; returns its code point and sets len.
char32_t decodeOne(const Tables& t, std::string_view text, std::size_t i, std::size_t& len) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b0 = at(i);
    len = 1;
    if (b0 < 0x80)
        return b0;
    if (b0 == 0x80 || b0 == 0xFF || i + 1 >= text.size())
        return kRawByteBase + b0;
    const unsigned char b1 = at(i + 1);
    if (b1 >= 0x40 && b1 <= 0xFE && b1 != 0x7F) {
        const char32_t cp = t.twoByte[(b0 - 0x81) * kTrailCount + (b1 - 0x40)];
        if (cp == 0)
            return kRawByteBase + b0;
        len = 2;
        return cp;
    }
    if (b1 >= 0x30 && b1 <= 0x39 && i + 3 < text.size()) {
        const unsigned char b2 = at(i + 2), b3 = at(i + 3);
        if (b2 >= 0x81 && b2 <= 0xFE && b3 >= 0x30 && b3 <= 0x39) {
            const std::uint32_t linear =
                ((static_cast<std::uint32_t>(b0 - 0x81) * 10 + (b1 - 0x30)) * 126 + (b2 - 0x81)) * 10 + (b3 - 0x30);
            char32_t cp = 0;
            if (linear < kFourByteBmpCount)
                cp = t.fourByte[linear];
            else if (linear >= kSupplementaryLinearBase && linear - kSupplementaryLinearBase <= 0xFFFFF)
                cp = 0x10000 + (linear - kSupplementaryLinearBase);
            if (cp != 0) {
                len = 4;
                return cp;
            }
        }
    }
    return kRawByteBase + b0;
}

void appendGbk(const Tables& t, char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
        return;
    }
    if (isRawByteCodePoint(cp)) {
        out.push_back(static_cast<char>(cp - kRawByteBase));
        return;
    }
    std::uint32_t linear;
    if (cp <= 0xFFFF) {
        const std::uint32_t e = t.encode[cp];
        if (e == 0) {
            out.push_back('?');
            return;
        }
        if (e < 0x10000) {
            out.push_back(static_cast<char>(e >> 8));
            out.push_back(static_cast<char>(e & 0xFF));
            return;
        }
        linear = e - 0x10000;
    } else if (cp <= 0x10FFFF) {
        linear = kSupplementaryLinearBase + (cp - 0x10000);
    } else {
        out.push_back('?');
        return;
    }
    unsigned char b[4];
    fourByteFromLinear(linear, b);
    out.append(reinterpret_cast<const char*>(b), 4);
}

} // namespace

std::string gbkToUtf8(std::string_view gbk) {
    const Tables& t = tables();
    std::string out;
    out.reserve(gbk.size() + gbk.size() / 2);
    for (std::size_t i = 0; i < gbk.size();) {
        const auto c = static_cast<unsigned char>(gbk[i]);
        if (c < 0x80) { // ASCII runs are the common case in mixed text
            out.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        std::size_t len;
        unicode::appendUtf8(decodeOne(t, gbk, i, len), out);
        i += len;
    }
    return out;
}

std::string utf8ToGbk(std::string_view utf8) {
    const Tables& t = tables();
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        std::size_t len;
        const char32_t cp = unicode::readUtf8(utf8, i, len);
        if (cp == unicode::kIllFormed)
            out.push_back('?');
        else
            appendGbk(t, cp, out);
        i += len;
    }
    return out;
}

std::u16string gbkToUtf16(std::string_view gbk) {
    const Tables& t = tables();
    std::u16string out;
    out.reserve(gbk.size());
    for (std::size_t i = 0; i < gbk.size();) {
        std::size_t len;
        unicode::appendUtf16(decodeOne(t, gbk, i, len), out);
        i += len;
    }
    return out;
}

std::string utf16ToGbk(std::u16string_view utf16) {
    const Tables& t = tables();
    std::string out;
    out.reserve(utf16.size() * 2);
    for (std::size_t i = 0; i < utf16.size();) {
        std::size_t len;
        const char32_t cp = unicode::readUtf16(utf16, i, len);
        if (cp == unicode::kIllFormed)
            out.push_back('?');
        else
            appendGbk(t, cp, out);
        i += len;
    }
    return out;
}

bool isGbkCharacter(char32_t cp) {
    if (cp < 0x80)
        return true;
    if (cp > 0xFFFF)
        return false;
    const std::uint32_t e = tables().encode[cp];
    return e != 0 && e < 0x10000;
}

} // namespace aquine::codec
