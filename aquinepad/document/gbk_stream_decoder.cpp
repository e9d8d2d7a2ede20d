// Piecewise GBK decoding. A byte below 0x30 never belongs to a multi-byte character (trail bytes are
// 0x40 and up, the bytes of four-byte sequences 0x30 and up), so the text can be cut after any such
// byte without changing how either side decodes.
#include "aquinepad/document/gbk_stream_decoder.h"

#include "common/gbk_codec.h"

namespace aquinepad {

namespace {

// One past the last safe cut in bytes, or 0 when there is none.
std::size_t safeCut(std::string_view bytes) {
    for (std::size_t i = bytes.size(); i > 0; --i)
        if (static_cast<unsigned char>(bytes[i - 1]) < 0x30)
            return i;
    return 0;
}

} // namespace

void GbkStreamDecoder::feed(std::string_view bytes, std::string& utf8) {
    const std::size_t cut = safeCut(bytes);
    if (cut == 0) {
        m_tail.append(bytes);
        return;
    }
    if (m_tail.empty()) {
        utf8 += aquine::codec::gbkToUtf8(bytes.substr(0, cut));
    } else {
        m_tail.append(bytes.substr(0, cut));
        utf8 += aquine::codec::gbkToUtf8(m_tail);
        m_tail.clear();
    }
    m_tail.assign(bytes.substr(cut));
}

void GbkStreamDecoder::finish(std::string& utf8) {
    utf8 += aquine::codec::gbkToUtf8(m_tail);
    m_tail.clear();
}

} // namespace aquinepad
