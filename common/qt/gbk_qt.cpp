// QString <-> GBK glue.
#include "common/qt/gbk_qt.h"

#include "common/gbk_codec.h"

namespace aquine {

QString qFromGbk(std::string_view gbk) {
    const std::u16string utf16 = codec::gbkToUtf16(gbk);
    return QString(reinterpret_cast<const QChar*>(utf16.data()), static_cast<qsizetype>(utf16.size()));
}

std::string gbkFromQ(const QString& text) {
    return codec::utf16ToGbk(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())));
}

} // namespace aquine
