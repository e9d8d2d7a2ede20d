// The codec keeps every byte string through both Unicode forms, and every character it writes
// comes back.
#include "common/gbk_codec.h"
#include "common/unicode.h"
#include "tests/fuzz/fuzz_check.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace aquine::codec;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string utf8 = gbkToUtf8(bytes);
    FUZZ_CHECK(utf8ToGbk(utf8) == bytes);
    FUZZ_CHECK(utf16ToGbk(gbkToUtf16(bytes)) == bytes);
    // The same bytes read as UTF-8: what the codec writes decodes to the same characters, apart from
    // ill-formed sequences (written as '?') and raw-byte escapes (written as the byte).
    const std::string gbk = utf8ToGbk(bytes);
    const std::u32string back = aquine::unicode::utf16ToCodePoints(gbkToUtf16(gbk));
    std::size_t k = 0;
    for (std::size_t i = 0; i < bytes.size(); ++k) {
        std::size_t len;
        const char32_t cp = aquine::unicode::readUtf8(bytes, i, len);
        i += len;
        FUZZ_CHECK(k < back.size());
        if (cp == aquine::unicode::kIllFormed)
            FUZZ_CHECK(back[k] == U'?');
        else if (cp < kRawByteBase + 0x80 || cp > kRawByteBase + 0xFF)
            FUZZ_CHECK(back[k] == cp || cp == 0 || back[k] == U'?');
        else
            break; // a raw-byte escape joins its neighbours' bytes; the byte test above covers it
        FUZZ_CHECK(back[k] != U'?' || cp == U'?' || cp == aquine::unicode::kIllFormed);
    }
    return 0;
}
