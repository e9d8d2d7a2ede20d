// Text conversion service on OpenCC and iconv. Converters load their dictionaries on first use and are
// kept for the life of the program, since loading costs far more than a typical conversion.
#include "common/text_convert.h"

#include "common/gbk_codec.h"
#include "common/iconv_handle.h"
#include "common/unicode.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <opencc/opencc.h>
#include <string_view>
#include <vector>

namespace aquine {

namespace {

// One OpenCC configuration, loaded once. Without its data the conversion leaves text unchanged, which
// is the closest to "no failure path" we can get; the reason is said once on stderr.
class FormConverter {
public:
    explicit FormConverter(const char* config) {
        try {
            m_converter = std::make_unique<opencc::SimpleConverter>(config);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "aquine: character forms unavailable (%s): %s\n", config, e.what());
        }
    }

    // OpenCC reads C strings, so a NUL byte would end the text early: convert between NULs.
    std::string convert(const std::string& utf8) const {
        if (!m_converter || utf8.empty())
            return utf8;
        std::string out;
        out.reserve(utf8.size() + utf8.size() / 8);
        std::size_t from = 0;
        for (;;) {
            const auto nul = utf8.find('\0', from);
            const auto piece = std::string_view(utf8).substr(from, nul == std::string::npos ? nul : nul - from);
            if (!piece.empty())
                out += m_converter->Convert(piece.data(), piece.size());
            if (nul == std::string::npos)
                break;
            out.push_back('\0');
            from = nul + 1;
        }
        return out;
    }

private:
    std::unique_ptr<opencc::SimpleConverter> m_converter;
};

const FormConverter& simplifiedToTraditional() {
    static const FormConverter c("s2t.json");
    return c;
}
const FormConverter& traditionalToSimplified() {
    static const FormConverter c("t2s.json");
    return c;
}
const FormConverter& traditionalToJapanese() {
    static const FormConverter c("t2jp.json");
    return c;
}

// A code page as a table from each BMP character to its one or two bytes, filled once by asking iconv
// about every character alone. Streaming text through iconv instead costs some 25 us for each character
// the code page lacks, since glibc decodes its whole buffer again to find where it stopped, and Chinese
// text lacks many: about one character in seventy has no Shift-JIS form.
class CodePageTable {
public:
    explicit CodePageTable(const char* name) {
        auto cd = IconvHandle::open(name, "UTF-32LE");
        if (!cd)
            return; // no converter: ASCII is kept and the rest marked
        for (char32_t cp = 0x80; cp <= 0xFFFF; ++cp) {
            // The codec's raw-byte escapes have no counterpart in another code page; iconv would write
            // them as private-use characters.
            const bool rawByte = cp >= codec::kRawByteBase + 0x80 && cp <= codec::kRawByteBase + 0xFF;
            if (unicode::isSurrogate(cp) || rawByte)
                continue;
            const char in[4] = {static_cast<char>(cp & 0xFF), static_cast<char>(cp >> 8), 0, 0};
            char out[4];
            cd->reset();
            const IconvHandle::Piece piece = cd->convert(std::string_view(in, sizeof in), out, sizeof out);
            if (piece.stop != IconvHandle::Stop::Done)
                continue;
            const auto byte = [&](int k) { return static_cast<unsigned char>(out[k]); };
            if (piece.written == 1)
                m_bytes[cp] = byte(0);
            else if (piece.written == 2)
                m_bytes[cp] = static_cast<std::uint16_t>(byte(0) << 8 | byte(1));
        }
    }

    // Characters the code page lacks take the code of their variant form where it has one: OpenCC's
    // traditional forms are not always those Big5 holds (爲 and 麪 for 為 and 麵, among the most common
    // characters of all). All lacking ideographs go through the variant converter in one call, one a
    // line, so that no phrase rule joins two of them.
    void adoptVariants(const FormConverter& variants) {
        std::u32string lacking;
        for (char32_t cp = 0x3400; cp <= 0xFAFF; ++cp)
            if (m_bytes[cp] == 0 && (cp <= 0x9FFF || cp >= 0xF900))
                lacking.push_back(cp);
        std::string utf8;
        for (char32_t cp : lacking) {
            utf8 += codec::gbkToUtf8(codec::utf16ToGbk(std::u16string(1, static_cast<char16_t>(cp))));
            utf8 += '\n';
        }
        const std::u16string converted = codec::gbkToUtf16(codec::utf8ToGbk(variants.convert(utf8)));
        std::size_t line = 0, start = 0;
        for (std::size_t i = 0; i <= converted.size() && line < lacking.size(); ++i) {
            if (i < converted.size() && converted[i] != u'\n')
                continue;
            if (i == start + 1 && m_bytes[converted[start]] != 0)
                m_bytes[lacking[line]] = m_bytes[converted[start]];
            ++line;
            start = i + 1;
        }
    }

    // UTF-8 to the code page; a character it lacks becomes '?', and so does each byte of an ill-formed
    // sequence (which the service never passes: its text comes from the codec and OpenCC).
    std::string encode(std::string_view utf8) const {
        std::string out;
        out.reserve(utf8.size());
        for (std::size_t i = 0; i < utf8.size();) {
            const auto b0 = static_cast<unsigned char>(utf8[i]);
            if (b0 < 0x80) {
                out.push_back(static_cast<char>(b0));
                ++i;
                continue;
            }
            std::size_t len;
            const char32_t cp = unicode::readUtf8(utf8, i, len);
            i += len;
            // Neither code page holds a character beyond the BMP; kIllFormed is beyond it too.
            const std::uint16_t code = cp < 0x10000 ? m_bytes[cp] : 0;
            if (code == 0) {
                out.push_back('?');
            } else if (code < 0x100) {
                out.push_back(static_cast<char>(code));
            } else {
                out.push_back(static_cast<char>(code >> 8));
                out.push_back(static_cast<char>(code & 0xFF));
            }
        }
        return out;
    }

private:
    std::vector<std::uint16_t> m_bytes = std::vector<std::uint16_t>(0x10000); // 0 none, < 0x100 one byte
};

const FormConverter& traditionalToTaiwan() {
    static const FormConverter c("t2tw.json");
    return c;
}

const CodePageTable& big5() {
    static const CodePageTable c = [] {
        CodePageTable page("CP950");
        page.adoptVariants(traditionalToTaiwan());
        return page;
    }();
    return c;
}
const CodePageTable& shiftJis() {
    static const CodePageTable c("CP932");
    return c;
}

} // namespace

std::string ToTraditional(std::string_view gbk) {
    return codec::utf8ToGbk(simplifiedToTraditional().convert(codec::gbkToUtf8(gbk)));
}

std::string ToSimplified(std::string_view gbk) {
    return codec::utf8ToGbk(traditionalToSimplified().convert(codec::gbkToUtf8(gbk)));
}

std::string ToBig5(std::string_view gbk) {
    return big5().encode(simplifiedToTraditional().convert(codec::gbkToUtf8(gbk)));
}

std::string ToShiftJis(std::string_view gbk) {
    const std::string traditional = simplifiedToTraditional().convert(codec::gbkToUtf8(gbk));
    return shiftJis().encode(traditionalToJapanese().convert(traditional));
}

} // namespace aquine
