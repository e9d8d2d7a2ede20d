// The notepad's settings: section "配置信息" of "\配置.ini" beside the program (or the user's copy). Every key the
// notepad uses is one row of the table below; values are GBK texts, absent ones read as empty text.
#pragma once

#include "common/file_io.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace aquinepad {

// Add new keys at the end, with their row at the end of kSettings.
enum class SettingKey {
    ScreenLeft,
    ScreenTop,
    WindowWidth,
    WindowHeight,
    Hue,
    Transparency,
    ShadowSize,
    SpeechRate,
    Skin,        // "默认" or a "\name.she" beside the program
    Aero,        // "是" or "否"; anything else counts as "否"
    InputMethod, // "用户" or "内置"
};

struct SettingSpec {
    SettingKey key;
    std::string_view name; // as in the file; UTF-8 here, GBK on disk
    // A number the options window sets with a slider or the program reads within a range; the
    // default is the value the window shows before the file is read. A text setting has no range.
    bool ranged = false;
    int min = 0;
    int max = 0;
    int defaultValue = 0;
};

inline constexpr std::array kSettings = {
    SettingSpec{SettingKey::ScreenLeft, "屏幕_左边"},
    SettingSpec{SettingKey::ScreenTop, "屏幕_顶边"},
    SettingSpec{SettingKey::WindowWidth, "启动窗口_宽度"},
    SettingSpec{SettingKey::WindowHeight, "启动窗口_高度"},
    SettingSpec{SettingKey::Hue, "色调", true, 0, 180, 0},
    SettingSpec{SettingKey::Transparency, "透明度", true, 0, 255, 120},
    SettingSpec{SettingKey::ShadowSize, "阴影大小", true, 0, 18, 10},
    SettingSpec{SettingKey::SpeechRate, "朗读速度", true, -10, 10, 0},
    SettingSpec{SettingKey::Skin, "皮肤"},
    SettingSpec{SettingKey::Aero, "aero"},
    SettingSpec{SettingKey::InputMethod, "输入法"},
};

constexpr bool settingsTableInKeyOrder() {
    for (std::size_t i = 0; i < kSettings.size(); ++i) {
        const SettingSpec& row = kSettings[i];
        if (static_cast<std::size_t>(row.key) != i ||
            (row.ranged && !(row.min <= row.defaultValue && row.defaultValue <= row.max)))
            return false;
    }
    return true;
}
static_assert(kSettings.size() == static_cast<std::size_t>(SettingKey::InputMethod) + 1, "every key has a row");
static_assert(settingsTableInKeyOrder(), "rows stand in key order, defaults within their range");

constexpr const SettingSpec& settingSpec(SettingKey key) { return kSettings[static_cast<std::size_t>(key)]; }

// The key's name in the file (GBK).
const std::string& settingName(SettingKey key);

class Settings {
public:
    explicit Settings(std::filesystem::path file) : m_file(std::move(file)) {}
    // The configuration file of the program in this folder: beside it, or the user's own copy where
    // the folder is not writable (common/user_files.h).
    static Settings inProgramDirectory(const std::filesystem::path& dir);

    const std::filesystem::path& file() const { return m_file; }

    // ReadSetting: the stored text, empty when the file or the key is absent.
    std::string read(SettingKey key) const;
    // The stored text as a number truncated toward zero; 0 for anything that is not a number.
    std::int64_t readInteger(SettingKey key) const;
    // WriteSetting: creates the file, the section and the key as needed; other keys stay as they are.
    aquine::Result<> write(SettingKey key, std::string_view gbk) const;

private:
    std::filesystem::path m_file;
};

} // namespace aquinepad
