// Damaged skin files never bring the notepad down: the reader is fed random bytes and many mutations
// of the shipped skins (run under AddressSanitizer by ./test.sh too). Whatever it accepts must give a
// look whose sheet is whole, at any hue.
#include "aquinepad/skin/skin_file.h"
#include "aquinepad/skin/tests/skin_mutator.h"

#include <fstream>
#include <gtest/gtest.h>

using namespace aquinepad;
using aquinepad::testing::SkinMutator;

namespace {

std::string readFile(const char* name) {
    std::ifstream in(std::filesystem::path(AQUINEPAD_SKINS_DIR) / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Braces outside comments and strings pair up: what the reader promises of every sheet it lets through.
bool bracesPaired(const std::string& sheet) {
    int depth = 0;
    char quote = 0;
    for (std::size_t i = 0; i < sheet.size(); ++i) {
        const char c = sheet[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '/' && i + 1 < sheet.size() && sheet[i + 1] == '*') {
            const std::size_t end = sheet.find("*/", i + 2);
            if (end == std::string::npos)
                return false;
            i = end + 1;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '{' || c == '}') {
            depth += c == '{' ? 1 : -1;
            if (depth < 0)
                return false;
        }
    }
    return depth == 0 && !quote;
}

void expectSound(const std::string& input, SkinMutator& mutator) {
    const auto skin = parseSkinFile(input);
    if (!skin) {
        ASSERT_FALSE(skin.reason().empty());
        return;
    }
    const SkinLook look = skinLook(*skin, static_cast<int>(mutator.below(400)) - 200);
    ASSERT_TRUE(bracesPaired(look.styleSheet)) << look.styleSheet;
    ASSERT_FALSE(look.name.empty());
}

} // namespace

TEST(SkinFuzz, RandomBytesAreRefusedWithoutHarm) {
    SkinMutator mutator(20240611);
    for (int i = 0; i < 3000; ++i)
        ASSERT_NO_FATAL_FAILURE(expectSound(mutator.randomBytes(), mutator)) << "case " << i;
}

TEST(SkinFuzz, MutatedSkinsAreReadOrRefusedWithoutHarm) {
    for (const char* file : {"skinh.she", "Aero.she", "QQ2008.she"}) {
        const std::string original = readFile(file);
        ASSERT_FALSE(original.empty()) << file;
        SkinMutator mutator(std::hash<std::string>{}(file));
        int accepted = 0;
        for (int i = 0; i < 4000; ++i) {
            const std::string input = mutator.mutate(original);
            ASSERT_NO_FATAL_FAILURE(expectSound(input, mutator)) << file << " case " << i;
            accepted += parseSkinFile(input).ok();
        }
        // Both ways are taken: the mutations reach the checks deep in the file, and the harmless
        // ones (a changed colour digit, a blank) still read.
        EXPECT_GT(accepted, 100) << file;
        EXPECT_LT(accepted, 3900) << file;
    }
}
