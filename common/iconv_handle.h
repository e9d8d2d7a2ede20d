// One iconv conversion descriptor, owned: opened by encoding names, closed when the handle goes. Every
// use of iconv in the suite goes through it.
#pragma once

#include "common/result.h"

#include <cstddef>
#include <string_view>

namespace aquine {

class IconvHandle {
public:
    // Why a piece of conversion ended.
    enum class Stop {
        Done,          // all input converted
        Unconvertible, // at a sequence that is invalid in the source or has no form in the target
        Incomplete,    // at a sequence cut off by the end of the input
        OutputFull,    // the output buffer has no room for the next character
    };
    struct Piece {
        std::size_t read = 0;    // input bytes consumed
        std::size_t written = 0; // output bytes produced
        Stop stop = Stop::Done;
    };

    // A converter from the encoding `from` to `to` (iconv's names: "UTF-32LE", "GB18030", "CP950").
    static Result<IconvHandle> open(const char* to, const char* from);

    IconvHandle(IconvHandle&& other) noexcept;
    IconvHandle& operator=(IconvHandle&& other) noexcept;
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;
    ~IconvHandle();

    // Back to the initial shift state, so the next piece is converted as if it were the first.
    void reset();

    // Converts from the start of `in` into out[0..outSize) until the input ends or something stops it.
    // The bytes read before a stop are converted and written; the caller decides how to go on.
    Piece convert(std::string_view in, char* out, std::size_t outSize);

private:
    explicit IconvHandle(void* cd) : m_cd(cd) {}

    void* m_cd; // iconv_t, kept opaque so that users need not include <iconv.h>; null once moved from
};

} // namespace aquine
