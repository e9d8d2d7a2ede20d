// The options window's save rule.
#include "aquinepad/config/options_choices.h"

#include "common/gbk_codec.h"

#include <algorithm>
#include <limits>

namespace aquinepad {

std::string skinSetting(SkinChoice choice) {
    switch (choice) {
    case SkinChoice::Vista: return "\\Aero.she";
    case SkinChoice::Qq2008: return "\\QQ2008.she";
    case SkinChoice::Blue:
    case SkinChoice::None: break;
    }
    return "\\skinh.she";
}

std::string aeroSetting(AeroChoice choice) { return aquine::codec::utf8ToGbk(choice == AeroChoice::On ? "是" : "否"); }

std::string imeSetting(ImeChoice choice) {
    switch (choice) {
    case ImeChoice::User: return aquine::codec::utf8ToGbk("用户");
    case ImeChoice::BuiltIn: return aquine::codec::utf8ToGbk("内置");
    case ImeChoice::None: break;
    }
    return {};
}

aquine::Result<> saveOptions(const Settings& settings, const OptionsForm& form, const OptionChoices& choices) {
    const std::pair<SettingKey, std::string> writes[] = {
        {SettingKey::ScreenLeft, form.left},
        {SettingKey::ScreenTop, form.top},
        {SettingKey::WindowWidth, form.width},
        {SettingKey::WindowHeight, form.height},
        {SettingKey::Hue, std::to_string(form.hue)},
        {SettingKey::Transparency, std::to_string(form.transparency)},
        {SettingKey::ShadowSize, std::to_string(form.shadowSize)},
        {SettingKey::SpeechRate, form.speechRate},
        {SettingKey::Skin, skinSetting(choices.skin)},
        {SettingKey::Aero, aeroSetting(choices.aero)},
    };
    for (const auto& [key, value] : writes)
        if (auto result = settings.write(key, value); !result)
            return result;
    return {};
}

namespace {

int readPosition(const Settings& settings, SettingKey key) {
    return static_cast<int>(std::clamp<std::int64_t>(settings.readInteger(key), std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

} // namespace

OptionsForm loadOptionsForm(const Settings& settings) {
    OptionsForm form;
    form.left = settings.read(SettingKey::ScreenLeft);
    form.top = settings.read(SettingKey::ScreenTop);
    form.width = settings.read(SettingKey::WindowWidth);
    form.height = settings.read(SettingKey::WindowHeight);
    form.speechRate = settings.read(SettingKey::SpeechRate);
    form.hue = readPosition(settings, SettingKey::Hue);
    form.transparency = readPosition(settings, SettingKey::Transparency);
    form.shadowSize = readPosition(settings, SettingKey::ShadowSize);
    return form;
}

} // namespace aquinepad
