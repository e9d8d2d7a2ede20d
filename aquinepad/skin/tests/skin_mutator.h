// Random and mutated skin files for the fuzz tests: damage of every kind a file on disk can take,
// and the format's own pieces inserted at random, so that mutations reach past the first checks.
#pragma once

#include <random>
#include <string>
#include <vector>

namespace aquinepad::testing {

inline const std::vector<std::string> kSkinTokens = {
    "@",    "@window",      "@radius", "{",         "}",       "/*",      "*/",     "\"",
    "'",    "\n",           "\r\n",    "=",         "#",       "[style]", "[skin]", "url(",
    "\xEF", "\xE4\xB8\xAD", "#ffffff", "#12345678", "name = ", ";",       " ",      std::string(1, '\0'),
};

class SkinMutator {
public:
    explicit SkinMutator(unsigned seed) : m_random(seed) {}

    std::string randomBytes() {
        std::string bytes(below(4096), '\0');
        for (char& c : bytes)
            c = static_cast<char>(below(256));
        return bytes;
    }

    // One to `most` edits of the text.
    std::string mutate(std::string text, std::size_t most = 8) {
        const std::size_t edits = 1 + below(most);
        for (std::size_t i = 0; i < edits; ++i) {
            const std::size_t at = below(text.size() + 1);
            switch (below(6)) {
            case 0: // flip a bit
                if (at < text.size())
                    text[at] = static_cast<char>(text[at] ^ (1 << below(8)));
                break;
            case 1: text.insert(at, kSkinTokens[below(kSkinTokens.size())]); break;
            case 2: text.erase(at, below(64)); break;
            case 3: text.resize(at); break;
            case 4: { // copy a stretch elsewhere
                const std::size_t from = below(text.size() + 1);
                text.insert(at, text.substr(from, below(200)));
                break;
            }
            default: // a random byte
                text.insert(at, 1, static_cast<char>(below(256)));
                break;
            }
        }
        return text;
    }

    std::size_t below(std::size_t n) {
        return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(m_random);
    }

private:
    std::mt19937 m_random;
};

} // namespace aquinepad::testing
