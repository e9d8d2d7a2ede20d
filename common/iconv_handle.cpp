// The iconv handle over glibc's iconv: errno after a stopped conversion becomes the Stop the caller reads.
#include "common/iconv_handle.h"

#include <cerrno>
#include <iconv.h>
#include <utility>

namespace aquine {

namespace {

iconv_t descriptor(void* cd) { return static_cast<iconv_t>(cd); }

} // namespace

Result<IconvHandle> IconvHandle::open(const char* to, const char* from) {
    const iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return fail(std::string("系统不支持从 ") + from + " 到 " + to + " 的编码转换");
    return IconvHandle(cd);
}

IconvHandle::IconvHandle(IconvHandle&& other) noexcept : m_cd(std::exchange(other.m_cd, nullptr)) {}

IconvHandle& IconvHandle::operator=(IconvHandle&& other) noexcept {
    if (this != &other) {
        if (m_cd)
            iconv_close(descriptor(m_cd));
        m_cd = std::exchange(other.m_cd, nullptr);
    }
    return *this;
}

IconvHandle::~IconvHandle() {
    if (m_cd)
        iconv_close(descriptor(m_cd));
}

void IconvHandle::reset() { iconv(descriptor(m_cd), nullptr, nullptr, nullptr, nullptr); }

IconvHandle::Piece IconvHandle::convert(std::string_view in, char* out, std::size_t outSize) {
    // iconv's input is declared non-const but only read.
    char* inPtr = const_cast<char*>(in.data());
    char* outPtr = out;
    std::size_t inLeft = in.size(), outLeft = outSize;
    const std::size_t r = iconv(descriptor(m_cd), &inPtr, &inLeft, &outPtr, &outLeft);
    Piece piece{in.size() - inLeft, outSize - outLeft, Stop::Done};
    if (r == static_cast<std::size_t>(-1)) {
        switch (errno) {
        case E2BIG: piece.stop = Stop::OutputFull; break;
        case EINVAL: piece.stop = Stop::Incomplete; break;
        default: piece.stop = Stop::Unconvertible; break;
        }
    }
    return piece;
}

} // namespace aquine
