// Text conversion service on OpenCC and iconv. Converters load their dictionaries on first use and are
// kept for the life of the program, since loading costs far more than a typical conversion.
#include "text_convert.h"

#include "gbk_codec.h"

#include <cerrno>
#include <cstdio>
#include <iconv.h>
#include <memory>
#include <opencc/opencc.h>

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

// UTF-8 to a code page; a character the code page lacks becomes '?'.
std::string toCodePage(const std::string& utf8, const char* codePage) {
    std::string out;
    iconv_t cd = iconv_open(codePage, "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        for (unsigned char c : utf8) // no converter: keep ASCII, mark the rest
            if (c < 0x80)
                out.push_back(static_cast<char>(c));
            else if ((c & 0xC0) != 0x80)
                out.push_back('?');
        return out;
    }
    out.resize(utf8.size() + 16);
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    std::size_t used = 0;
    while (inLeft > 0) {
        char* outPtr = out.data() + used;
        std::size_t outLeft = out.size() - used;
        const std::size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        used = static_cast<std::size_t>(outPtr - out.data());
        if (r != static_cast<std::size_t>(-1))
            break;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
        } else {
            // EILSEQ or EINVAL: skip one UTF-8 character and write '?' for it.
            if (used == out.size())
                out.resize(out.size() * 2);
            out[used++] = '?';
            std::size_t skip = 1;
            while (skip < inLeft && (static_cast<unsigned char>(in[skip]) & 0xC0) == 0x80)
                ++skip;
            in += skip;
            inLeft -= skip;
        }
    }
    iconv_close(cd);
    out.resize(used);
    return out;
}

// The raw-byte escapes of the codec have no counterpart in another code page; make them '?' before
// iconv sees them, or it would write private-use characters.
std::string withoutRawBytes(std::string utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        // U+F780..U+F7FF is EF 9E 80 .. EF 9F BF in UTF-8.
        if (static_cast<unsigned char>(utf8[i]) == 0xEF && i + 2 < utf8.size() &&
            (static_cast<unsigned char>(utf8[i + 1]) == 0x9E || static_cast<unsigned char>(utf8[i + 1]) == 0x9F)) {
            out.push_back('?');
            i += 2;
        } else {
            out.push_back(utf8[i]);
        }
    }
    return out;
}

} // namespace

std::string ToTraditional(std::string_view gbk) {
    return codec::utf8ToGbk(simplifiedToTraditional().convert(codec::gbkToUtf8(gbk)));
}

std::string ToSimplified(std::string_view gbk) {
    return codec::utf8ToGbk(traditionalToSimplified().convert(codec::gbkToUtf8(gbk)));
}

std::string ToBig5(std::string_view gbk) {
    const std::string traditional = simplifiedToTraditional().convert(codec::gbkToUtf8(gbk));
    return toCodePage(withoutRawBytes(traditional), "CP950");
}

std::string ToShiftJis(std::string_view gbk) {
    const std::string traditional = simplifiedToTraditional().convert(codec::gbkToUtf8(gbk));
    return toCodePage(withoutRawBytes(traditionalToJapanese().convert(traditional)), "CP932");
}

} // namespace aquine
