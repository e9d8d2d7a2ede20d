// Start-up with whatever a 配置.ini may hold: random bytes, numbers too big, too small or no numbers at
// all, lines of a megabyte. Reading the settings and placing the window must never fail, and the window
// must always fit the screen with its title bar reachable. Fixed seed: a failure repeats.
#include "aquinepad/config/settings.h"
#include "aquinepad/document/document_rules.h"
#include "common/gbk_codec.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace aquinepad;

namespace {

class IniMaker {
public:
    explicit IniMaker(std::uint32_t seed) : m_rng(seed) {}

    int number(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_rng); }

    std::string bytes(std::size_t count) {
        std::string out(count, '\0');
        for (char& c : out)
            c = static_cast<char>(number(0, 255));
        return out;
    }

    std::string value() {
        static const char* const odd[] = {"2147483647",
                                          "-2147483648",
                                          "1e400",
                                          "-1e400",
                                          "1e-400",
                                          "nan",
                                          "NaN",
                                          "-nan",
                                          "inf",
                                          "-Infinity",
                                          "9223372036854775807",
                                          "-9223372036854775808",
                                          "18446744073709551616",
                                          "99999999999999999999999999",
                                          "0x7fffffff",
                                          "4e9",
                                          "-0",
                                          "0",
                                          "",
                                          " ",
                                          "+",
                                          "-",
                                          ".",
                                          "1e",
                                          "2147483648.5",
                                          "1,000",
                                          "\xD6\xD0",
                                          "\t640",
                                          "800 600",
                                          "1e308",
                                          "-1e308",
                                          "32767",
                                          "65536"};
        switch (number(0, 4)) {
        case 0: return odd[number(0, std::size(odd) - 1)];
        case 1: return std::to_string(number(-100000, 100000));
        case 2: return std::string(static_cast<std::size_t>(number(1, 400)), static_cast<char>('0' + number(0, 9)));
        case 3: return bytes(static_cast<std::size_t>(number(0, 40)));
        default: return odd[number(0, std::size(odd) - 1)] + bytes(static_cast<std::size_t>(number(0, 3)));
        }
    }

    std::string file(bool huge) {
        static const char* const ends[] = {"\r\n", "\n", "\r", ""};
        if (number(0, 5) == 0)
            return bytes(static_cast<std::size_t>(number(0, 2000)));
        std::string out;
        if (number(0, 6) != 0)
            out += aquine::codec::utf8ToGbk("[配置信息]") + ends[number(0, 3)];
        const int lines = number(0, 12);
        for (int i = 0; i < lines; ++i) {
            if (number(0, 4) == 0) {
                out += bytes(static_cast<std::size_t>(number(0, 60)));
            } else {
                out += settingName(static_cast<SettingKey>(number(0, 3)));
                out += number(0, 8) == 0 ? " = " : "=";
                out += value();
            }
            out += ends[number(0, 3)];
        }
        if (huge) // a line of a megabyte, in the value of a key the window reads
            out += settingName(SettingKey::WindowWidth) + "=" +
                   std::string(1 << 20, static_cast<char>('1' + number(0, 8)));
        return out;
    }

private:
    std::mt19937 m_rng;
};

} // namespace

TEST(StartupGeometryFuzz, AnySettingsFileGivesAWindowOnTheScreen) {
    std::string tmpl = (fs::temp_directory_path() / "aquine-fuzz-XXXXXX").string();
    const fs::path dir = ::mkdtemp(tmpl.data());
    const fs::path ini = dir / "配置.ini";
    IniMaker make(20261208);
    for (int round = 0; round < 3000; ++round) {
        std::ofstream(ini, std::ios::binary | std::ios::trunc) << make.file(round % 500 == 499);
        const Settings settings(ini);
        for (const SettingSpec& row : kSettings)
            (void)settings.readInteger(row.key);
        const Rect stored =
            startupWindowGeometry(settings.read(SettingKey::ScreenLeft), settings.read(SettingKey::ScreenTop),
                                  settings.read(SettingKey::WindowWidth), settings.read(SettingKey::WindowHeight));
        const Rect area{make.number(-4000, 4000), make.number(-4000, 4000), make.number(320, 7680),
                        make.number(240, 4320)};
        const FrameMargins frame{make.number(0, 20), make.number(0, 60), make.number(0, 20), make.number(0, 20)};
        const Rect r = fitOnScreen(stored, area, frame);

        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_GE(r.width, 1);
        ASSERT_GE(r.height, 1);
        const long long outerWidth = 0LL + r.width + frame.left + frame.right;
        ASSERT_LE(outerWidth, area.width);
        ASSERT_LE(0LL + r.height + frame.top + frame.bottom, area.height);
        ASSERT_GE(r.top, area.top);
        ASSERT_LE(r.top + 40LL, 0LL + area.top + area.height);
        const long long over = std::min<long long>(0LL + r.left + outerWidth, 0LL + area.left + area.width) -
                               std::max<long long>(r.left, area.left);
        ASSERT_GE(over, std::min<long long>(outerWidth, 200));
        if (stored.width + frame.left + frame.right <= area.width) {
            ASSERT_EQ(r.width, stored.width);
        }
    }
    fs::remove_all(dir);
}
