// Text conversion service on OpenCC and iconv. Converters load their dictionaries on first use and are
// kept for the life of the program, since loading costs far more than a typical conversion.
#include "common/text_convert.h"

#include "common/gbk_codec.h"
#include "common/iconv_handle.h"
#include "common/unicode.h"

#include <cstddef>
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

// Whether every character of the UTF-8 text has a one- or two-byte GBK form.
bool isGbkText(std::string_view utf8) {
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t len;
        const char32_t cp = unicode::readUtf8(utf8, i, len);
        if (cp >= 0x80 && !codec::isGbkCharacter(cp))
            return false;
        i += len;
    }
    return true;
}

// Converts pieces that hold no line break, in one call: one a line, so that no phrase joins two of
// them. Empty when the converter did not give back one line for each piece.
std::vector<std::string> convertEach(const FormConverter& converter, const std::vector<std::string_view>& pieces) {
    std::string joined;
    for (const std::string_view piece : pieces)
        joined.append(piece).push_back('\n');
    const std::string converted = converter.convert(joined);
    std::vector<std::string> out;
    std::size_t from = 0;
    for (std::size_t nl; (nl = converted.find('\n', from)) != std::string::npos; from = nl + 1)
        out.emplace_back(converted, from, nl - from);
    if (out.size() != pieces.size() || from != converted.size())
        out.clear();
    return out;
}

// The UTF-8 characters of a text, each as its own piece.
std::vector<std::string_view> charactersOf(std::string_view utf8) {
    std::vector<std::string_view> chars;
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t len;
        unicode::readUtf8(utf8, i, len);
        chars.push_back(utf8.substr(i, len));
        i += len;
    }
    return chars;
}

// The runs of a UTF-8 text between its ASCII characters (no phrase spans ASCII), and the ASCII
// stretches around them: between[k] comes before runs[k], and between holds one more at the end.
struct Runs {
    std::vector<std::string_view> runs;
    std::vector<std::string_view> between;
};

Runs runsOf(std::string_view utf8) {
    Runs r;
    std::size_t at = 0;
    for (;;) {
        std::size_t start = at;
        while (start < utf8.size() && static_cast<unsigned char>(utf8[start]) < 0x80)
            ++start;
        r.between.push_back(utf8.substr(at, start - at));
        if (start == utf8.size())
            return r;
        std::size_t end = start;
        while (end < utf8.size() && static_cast<unsigned char>(utf8[end]) >= 0x80)
            ++end;
        r.runs.push_back(utf8.substr(start, end - start));
        at = end;
    }
}

// A character-form conversion whose result is GBK text, as the document and the input method keep:
// OpenCC knows forms beyond GBK (some 700 traditional characters have simplified forms only
// GB18030's four-byte codes hold), and those are not written. The whole text goes through in one
// call. Only when something in the result lacks a GBK form are the runs between ASCII characters
// converted again, each alone; in a run whose result still lacks one, every character whose own
// converted form GBK lacks stays as it was, and the stretches between such characters are converted as
// phrases (character by character, should a stretch still give something beyond GBK). Each of these
// steps is one call for the whole text, whatever the number of runs.
std::string convertWithinGbk(const FormConverter& converter, std::string_view gbk) {
    const std::string utf8 = codec::gbkToUtf8(gbk);
    const std::string converted = converter.convert(utf8);
    if (isGbkText(converted))
        return codec::utf8ToGbk(converted);

    const Runs r = runsOf(utf8);
    const std::vector<std::string> convertedRuns = convertEach(converter, r.runs);
    const auto runIsGood = [&](std::size_t k) { return !convertedRuns.empty() && isGbkText(convertedRuns[k]); };

    // Every character of the runs that need a closer look, converted alone.
    std::vector<std::string_view> chars;
    std::vector<std::size_t> firstCharOfRun(r.runs.size(), 0);
    for (std::size_t k = 0; k < r.runs.size(); ++k) {
        firstCharOfRun[k] = chars.size();
        if (!runIsGood(k))
            for (std::string_view c : charactersOf(r.runs[k]))
                chars.push_back(c);
    }
    const std::vector<std::string> alone = convertEach(converter, chars);
    const auto charIsGood = [&](std::size_t c) { return !alone.empty() && isGbkText(alone[c]); };

    // The stretches of good characters inside those runs, as phrases.
    std::vector<std::string_view> stretches;
    std::vector<std::size_t> stretchAt(chars.size(), SIZE_MAX); // first character -> its stretch
    for (std::size_t k = 0; k < r.runs.size(); ++k) {
        if (runIsGood(k))
            continue;
        const std::size_t end = k + 1 < r.runs.size() ? firstCharOfRun[k + 1] : chars.size();
        for (std::size_t c = firstCharOfRun[k]; c < end; ++c) {
            if (!charIsGood(c))
                continue;
            if (c > firstCharOfRun[k] && charIsGood(c - 1)) {
                stretches.back() = std::string_view(stretches.back().data(), stretches.back().size() + chars[c].size());
            } else {
                stretchAt[c] = stretches.size();
                stretches.push_back(chars[c]);
            }
        }
    }
    const std::vector<std::string> phrases = convertEach(converter, stretches);

    std::string out;
    out.reserve(converted.size());
    for (std::size_t k = 0; k < r.runs.size(); ++k) {
        out.append(r.between[k]);
        if (runIsGood(k)) {
            out += convertedRuns[k];
            continue;
        }
        const std::size_t end = k + 1 < r.runs.size() ? firstCharOfRun[k + 1] : chars.size();
        for (std::size_t c = firstCharOfRun[k]; c < end;) {
            if (!charIsGood(c)) {
                out += chars[c++];
                continue;
            }
            const std::size_t s = stretchAt[c];
            std::size_t stop = c, bytes = 0;
            while (bytes < stretches[s].size())
                bytes += chars[stop++].size();
            if (!phrases.empty() && isGbkText(phrases[s]))
                out += phrases[s];
            else
                for (; c < stop; ++c)
                    out += alone[c];
            c = stop;
        }
    }
    out.append(r.between.back());
    return codec::utf8ToGbk(out);
}

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

std::string ToTraditional(std::string_view gbk) { return convertWithinGbk(simplifiedToTraditional(), gbk); }

std::string ToSimplified(std::string_view gbk) { return convertWithinGbk(traditionalToSimplified(), gbk); }

std::string ToBig5(std::string_view gbk) {
    return big5().encode(simplifiedToTraditional().convert(codec::gbkToUtf8(gbk)));
}

std::string ToShiftJis(std::string_view gbk) {
    const std::string traditional = simplifiedToTraditional().convert(codec::gbkToUtf8(gbk));
    return shiftJis().encode(traditionalToJapanese().convert(traditional));
}

} // namespace aquine
