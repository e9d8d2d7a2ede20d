// The notepad's settings from any 配置.ini: every key reads without fault, numbers are within what a
// number can be, and writing one key, whatever its value, leaves every other key as it was.
#include "aquinepad/config/settings.h"
#include "tests/fuzz/fuzz_check.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// Kept for the whole run (never destroyed, so that the clean-up at exit can still use it).
const std::filesystem::path& settingsFile() {
    static const auto* file = [] {
        std::string tmpl = (std::filesystem::temp_directory_path() / "aquine-fuzz-XXXXXX").string();
        const std::filesystem::path dir = ::mkdtemp(tmpl.data());
        std::atexit([] { std::filesystem::remove_all(settingsFile().parent_path()); });
        return new std::filesystem::path(dir / "配置.ini");
    }();
    return *file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace aquinepad;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    // The last byte chooses the key to write; the bytes after the last 0x01 are its value.
    const auto split = bytes.rfind('\x01');
    const std::string text = bytes.substr(0, split);
    const std::string value = split == std::string::npos ? std::string() : bytes.substr(split + 1);
    {
        std::ofstream out(settingsFile(), std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        FUZZ_CHECK(out.good());
    }

    const Settings settings(settingsFile());
    std::string before[kSettings.size()];
    for (const SettingSpec& row : kSettings) {
        before[static_cast<std::size_t>(row.key)] = settings.read(row.key);
        (void)settings.readInteger(row.key);
    }
    const auto written = static_cast<SettingKey>(size == 0 ? 0 : data[size - 1] % kSettings.size());
    FUZZ_CHECK(settings.write(written, value).ok());
    for (const SettingSpec& row : kSettings)
        if (row.key != written)
            FUZZ_CHECK(settings.read(row.key) == before[static_cast<std::size_t>(row.key)]);
    return 0;
}
