// What the options window remembers of the radio buttons clicked during this run, and how its "保存"
// turns the form and those choices into settings.
#pragma once

#include "aquinepad/config/settings.h"

#include <string>

namespace aquinepad {

enum class AeroChoice { None, On, Off };
enum class SkinChoice { None, Blue, Vista, Qq2008 };
enum class ImeChoice { None, User, BuiltIn };

// Program-wide: empty at start, kept when the options window closes, never read from the file.
struct OptionChoices {
    AeroChoice aero = AeroChoice::None;
    SkinChoice skin = SkinChoice::None;
    ImeChoice ime = ImeChoice::None;
};

// The form as the user left it (GBK texts as typed, slider positions).
struct OptionsForm {
    std::string left, top, width, height;
    int hue = 0;
    int transparency = 0;
    int shadowSize = 0;
    std::string speechRate;
};

// The skin file a choice stands for; no choice this run means the default blue skin.
std::string skinSetting(SkinChoice choice);
// "是" only for an explicit "开启Aero特效" this run.
std::string aeroSetting(AeroChoice choice);
// The values "输入法" takes.
std::string imeSetting(ImeChoice choice);

// Writes the keys in the window's order: geometry, sliders, speech rate, skin, aero. Stops at the
// first write that fails and returns it, so a read-only folder is reported rather than ignored.
aquine::Result<> saveOptions(const Settings& settings, const OptionsForm& form, const OptionChoices& choices);

// The form as the window shows it when it opens: texts as stored, sliders from their numbers.
OptionsForm loadOptionsForm(const Settings& settings);

} // namespace aquinepad
