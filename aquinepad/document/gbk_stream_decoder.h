// Decodes a GBK byte stream piece by piece, so a large file never sits in memory twice. The result is
// exactly what decoding the whole stream at once gives.
#pragma once

#include <string>
#include <string_view>

namespace aquinepad {

class GbkStreamDecoder {
public:
    // Appends the UTF-8 of every character that is complete so far; keeps the undecided tail.
    void feed(std::string_view bytes, std::string& utf8);
    // Appends the UTF-8 of whatever is left.
    void finish(std::string& utf8);

private:
    std::string m_tail;
};

} // namespace aquinepad
