// The start-up look from the settings.
#include "aquinepad/skin/skin_engine.h"

#include "common/gbk_codec.h"
#include "common/program_dir.h"

namespace aquinepad {

std::filesystem::path skinFileFor(const std::filesystem::path& programDir, std::string_view skinSettingGbk) {
    if (skinSettingGbk == aquine::codec::utf8ToGbk("默认"))
        return {};
    return aquine::systemFile(programDir, aquine::codec::gbkToUtf8(skinSettingGbk));
}

void applyTranslucency(SkinEngine& engine, int alpha, int shadow) {
    engine.adjustAero(alpha, 0, 8, shadow, 0, 0, 0, 0, 0);
}

void applyStartupLook(SkinEngine& engine, const Settings& settings, const std::filesystem::path& programDir) {
    engine.attach();
    engine.setAero(settings.read(SettingKey::Aero) == aquine::codec::utf8ToGbk("是") ? 1 : 0);
    engine.attachEx(skinFileFor(programDir, settings.read(SettingKey::Skin)), "");
    const auto alpha = static_cast<int>(settings.readInteger(SettingKey::Transparency));
    const auto shadow = static_cast<int>(settings.readInteger(SettingKey::ShadowSize));
    applyTranslucency(engine, alpha, shadow);
    engine.adjustHsv(static_cast<int>(settings.readInteger(SettingKey::Hue)), 0, 0);
}

} // namespace aquinepad
