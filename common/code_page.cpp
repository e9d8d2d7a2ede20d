// Code pages read through iconv (Big5, Shift-JIS) or the codec (GBK).
#include "common/code_page.h"

#include "common/gbk_codec.h"
#include "common/iconv_handle.h"
#include "common/unicode.h"

#include <vector>

namespace aquine {

namespace {

std::u32string viaIconv(std::string_view bytes, const char* codePage) {
    std::u32string out;
    auto handle = IconvHandle::open("UTF-32LE", codePage);
    if (!handle)
        return out;
    // One input byte never gives more than one character, so the buffer always has room.
    std::vector<char32_t> buffer(bytes.size() + 1);
    while (!bytes.empty()) {
        const IconvHandle::Piece piece =
            handle->convert(bytes, reinterpret_cast<char*>(buffer.data()), buffer.size() * sizeof(char32_t));
        out.append(buffer.data(), piece.written / sizeof(char32_t));
        bytes.remove_prefix(piece.read);
        if (piece.stop == IconvHandle::Stop::Unconvertible || piece.stop == IconvHandle::Stop::Incomplete)
            bytes.remove_prefix(1);
    }
    return out;
}

} // namespace

std::u32string decodeCodePage(std::string_view bytes, CodePage codePage) {
    switch (codePage) {
    case CodePage::Big5: return viaIconv(bytes, "CP950");
    case CodePage::ShiftJis: return viaIconv(bytes, "CP932");
    case CodePage::Gbk: break;
    }
    return unicode::utf16ToCodePoints(codec::gbkToUtf16(bytes));
}

} // namespace aquine
