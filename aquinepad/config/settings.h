// The notepad's settings: section "配置信息" of "\配置.ini" beside the program. Every key the notepad
// uses is in the table below; values are GBK texts, absent ones read as empty text.
#pragma once

#include "common/file_io.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace aquinepad {

// Add new keys at the end: the table's order is the order of the key names in settings.cpp.
enum class SettingKey {
    ScreenLeft,   // "屏幕_左边"
    ScreenTop,    // "屏幕_顶边"
    WindowWidth,  // "启动窗口_宽度"
    WindowHeight, // "启动窗口_高度"
    Hue,          // "色调", 0..180
    Transparency, // "透明度", 0..255
    ShadowSize,   // "阴影大小", 0..18
    SpeechRate,   // "朗读速度", -10..10
    Skin,         // "皮肤": "默认" or a "\name.she" beside the program
    Aero,         // "aero": "是" or "否"
    InputMethod,  // "输入法": "用户" or "内置"
};

// The key's name in the file (GBK).
const std::string& settingName(SettingKey key);

class Settings {
public:
    explicit Settings(std::filesystem::path file) : m_file(std::move(file)) {}
    // The configuration file of the program in this folder.
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
