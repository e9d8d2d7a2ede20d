// The skin engine that draws the notepad's windows: its five operations, and the look restored at
// start-up from the settings.
#pragma once

#include "aquinepad/config/settings.h"

#include <filesystem>
#include <string_view>

namespace aquinepad {

class SkinEngine {
public:
    virtual ~SkinEngine() = default;

    virtual void attach() = 0;
    // An empty path means the engine's built-in look.
    virtual void attachEx(const std::filesystem::path& skinFile, std::string_view password) = 0;
    virtual void setAero(int on) = 0;
    virtual void adjustAero(int alpha, int a2, int a3, int shadow, int a5, int a6, int a7, int a8, int a9) = 0;
    virtual void adjustHsv(int hue, int saturation, int value) = 0;
};

// Keeps Qt's own look: every call is accepted and changes nothing. For tests whose windows must look
// the same whatever the settings say; the program uses QtSkinEngine.
class InertSkinEngine : public SkinEngine {
public:
    void attach() override {}
    void attachEx(const std::filesystem::path&, std::string_view) override {}
    void setAero(int) override {}
    void adjustAero(int, int, int, int, int, int, int, int, int) override {}
    void adjustHsv(int, int, int) override {}
};

// The skin file a "皮肤" value names: "默认" is the built-in look (empty path); anything else, even
// empty text, is joined directly to the program's folder.
std::filesystem::path skinFileFor(const std::filesystem::path& programDir, std::string_view skinSettingGbk);

// Translucency and shadow of the translucent frame, as start-up and the options window's sliders set them.
void applyTranslucency(SkinEngine& engine, int alpha, int shadow);

// Start-up: attach, the translucent frame, the skin file, translucency with shadow, then the hue.
void applyStartupLook(SkinEngine& engine, const Settings& settings, const std::filesystem::path& programDir);

} // namespace aquinepad
