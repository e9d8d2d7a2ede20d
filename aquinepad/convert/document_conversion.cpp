// The service works on GBK; the editor holds its lossless UTF-8 image.
#include "aquinepad/convert/document_conversion.h"

#include "common/gbk_codec.h"
#include "common/text_convert.h"

namespace aquinepad {

namespace {

constexpr std::size_t kPieceBytes = 256 << 10;

// Where the piece that starts at `from` ends: after the first line break past the piece size, or at
// the end of the text.
std::size_t pieceEnd(std::string_view text, std::size_t from) {
    if (text.size() - from <= kPieceBytes)
        return text.size();
    const std::size_t lineBreak = text.find_first_of("\r\n", from + kPieceBytes);
    return lineBreak == std::string_view::npos ? text.size() : lineBreak + 1;
}

} // namespace

std::string convertedText(std::string_view utf8, ConversionDirection direction, const ConversionProgress& progress) {
    std::string out;
    out.reserve(utf8.size() + utf8.size() / 16);
    for (std::size_t from = 0; from < utf8.size();) {
        const std::size_t to = pieceEnd(utf8, from);
        const std::string gbk = aquine::codec::utf8ToGbk(utf8.substr(from, to - from));
        out += aquine::codec::gbkToUtf8(direction == ConversionDirection::ToTraditional ? aquine::ToTraditional(gbk)
                                                                                        : aquine::ToSimplified(gbk));
        from = to;
        if (progress)
            progress(from, utf8.size());
    }
    return out;
}

void convertDocument(TextEditor& editor, ConversionDirection direction, const ConversionProgress& progress) {
    const std::string converted = convertedText(editor.textView(), direction, progress);
    if (converted != editor.textView())
        editor.replaceAllText(converted);
}

} // namespace aquinepad
