// The notepad's own skin engine: draws every window of the application from a skin file (style sheet
// and palette, hue-turned), and gives them the translucent frame: the window system's opacity and a
// drop shadow where a compositor runs.
#pragma once

#include "aquinepad/skin/skin_engine.h"
#include "aquinepad/skin/skin_file.h"
#include "aquinepad/skin/window_system.h"

#include <QObject>
#include <QPalette>
#include <QString>
#include <memory>
#include <optional>
#include <string>

namespace aquinepad {

class QtSkinEngine final : public QObject, public SkinEngine {
    Q_OBJECT

public:
    // Needs the application to exist. Windows opened later take the look as they are shown.
    explicit QtSkinEngine(std::unique_ptr<WindowSystem> windowSystem = nativeWindowSystem());
    // Gives the application back the look it had.
    ~QtSkinEngine() override;

    // The plain look, and from now on every window shown is watched; the other calls imply it.
    void attach() override;
    void attachEx(const std::filesystem::path& skinFile, std::string_view password) override;
    void setAero(int on) override;
    void adjustAero(int alpha, int a2, int a3, int shadow, int a5, int a6, int a7, int a8, int a9) override;
    void adjustHsv(int hue, int saturation, int value) override;

    // The skin in force (UTF-8), empty for the plain look.
    std::string skinName() const { return m_skin ? m_skin->name : std::string(); }
    // Why the last skin file gave no skin; empty when it did, or when none was asked for.
    const std::string& lastFailure() const { return m_failure; }

    // A window's opacity under the translucent frame at a 透明度 value (255 opaque). It never goes
    // below one half: at 0 every window of the notepad, the options window too, would vanish, and
    // with them any way to take the setting back.
    static double windowOpacity(int alpha);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watch();
    void applyLook();
    void dressAll();
    void dress(QWidget& window);
    static bool isDressed(const QWidget& widget);

    std::unique_ptr<WindowSystem> m_windowSystem;
    bool m_watching = false;
    std::optional<SkinFile> m_skin;
    std::string m_failure;
    int m_hue = 0;
    bool m_aero = false;
    int m_alpha = 255;
    int m_shadowSize = 0;
    QColor m_shadowColour = Qt::black;

    // The application's own look, given back for "默认", a skin that fails, and at the end.
    QString m_plainStyle;
    QPalette m_plainPalette;
    QString m_plainSheet;
    bool m_styled = false;
};

} // namespace aquinepad
