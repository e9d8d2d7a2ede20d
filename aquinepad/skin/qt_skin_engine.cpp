// The skin engine on Qt: one style sheet and one palette for the whole application, so every window,
// those opened later included, takes the look without knowing about skins.
#include "aquinepad/skin/qt_skin_engine.h"

#include "aquinepad/config/settings.h"
#include "aquinepad/skin/group_box_style.h"
#include "aquinepad/skin/window_shadow.h"

#include <QApplication>
#include <QChildEvent>
#include <QEvent>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace aquinepad {

namespace {

// Style sheets are drawn the same on every base style only in Fusion; the desktop's own style
// would leave parts of each control in its colours.
const QString kSkinnedStyle = QStringLiteral("Fusion");

QPalette::ColorRole qtRole(PaletteRole role) {
    switch (role) {
    case PaletteRole::Window: return QPalette::Window;
    case PaletteRole::WindowText: return QPalette::WindowText;
    case PaletteRole::Base: return QPalette::Base;
    case PaletteRole::AlternateBase: return QPalette::AlternateBase;
    case PaletteRole::Text: return QPalette::Text;
    case PaletteRole::Button: return QPalette::Button;
    case PaletteRole::ButtonText: return QPalette::ButtonText;
    case PaletteRole::BrightText: return QPalette::BrightText;
    case PaletteRole::Highlight: return QPalette::Highlight;
    case PaletteRole::HighlightedText: return QPalette::HighlightedText;
    case PaletteRole::ToolTipBase: return QPalette::ToolTipBase;
    case PaletteRole::ToolTipText: return QPalette::ToolTipText;
    case PaletteRole::PlaceholderText: return QPalette::PlaceholderText;
    case PaletteRole::Link: return QPalette::Link;
    case PaletteRole::Light: return QPalette::Light;
    case PaletteRole::Midlight: return QPalette::Midlight;
    case PaletteRole::Mid: return QPalette::Mid;
    case PaletteRole::Dark: return QPalette::Dark;
    case PaletteRole::Shadow: return QPalette::Shadow;
    }
    return QPalette::NoRole;
}

QColor qtColour(SkinColour c) { return QColor(c.red, c.green, c.blue, c.alpha); }

QColor between(const QColor& a, const QColor& b) {
    return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2, (a.blue() + b.blue()) / 2);
}

QPalette paletteOf(const SkinLook& look) {
    const auto colour = [&](PaletteRole role) {
        const auto it = std::find_if(look.palette.begin(), look.palette.end(),
                                     [&](const auto& entry) { return entry.first == role; });
        return it == look.palette.end() ? QColor() : qtColour(it->second);
    };
    // Qt derives the shades a skin leaves out (light, dark, disabled ...) from button and window.
    QPalette palette(colour(PaletteRole::Button), colour(PaletteRole::Window));
    for (const auto& [role, value] : look.palette)
        for (const auto group : {QPalette::Active, QPalette::Inactive})
            palette.setColor(group, qtRole(role), qtColour(value));
    // Disabled text half way to its background: still readable, plainly not in use.
    for (const auto& [text, background] :
         {std::pair{QPalette::WindowText, QPalette::Window}, std::pair{QPalette::Text, QPalette::Base},
          std::pair{QPalette::ButtonText, QPalette::Button}})
        palette.setColor(QPalette::Disabled, text,
                         between(palette.color(QPalette::Active, text), palette.color(QPalette::Active, background)));
    for (const auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
        palette.setColor(QPalette::Disabled, role, palette.color(QPalette::Active, role));
    return palette;
}

// A style by name, with the group boxes the windows were designed with.
void useStyle(const QString& name) {
    if (QStyle* style = QStyleFactory::create(name))
        QApplication::setStyle(new GroupBoxStyle(style));
}

} // namespace

QtSkinEngine::QtSkinEngine(std::unique_ptr<WindowSystem> windowSystem) : m_windowSystem(std::move(windowSystem)) {}

QtSkinEngine::~QtSkinEngine() {
    if (!m_watching)
        return;
    qApp->removeEventFilter(this);
    m_skin.reset();
    m_aero = false;
    applyLook();
    dressAll();
    if (QStyle* style = QStyleFactory::create(m_plainStyle))
        QApplication::setStyle(style);
    QApplication::setPalette(m_plainPalette);
}

double QtSkinEngine::windowOpacity(int alpha) { return 0.5 + 0.5 * std::clamp(alpha, 0, 255) / 255.0; }

void QtSkinEngine::watch() {
    if (m_watching)
        return;
    m_watching = true;
    m_plainStyle = QApplication::style()->name();
    m_plainPalette = QApplication::palette();
    m_plainSheet = qApp->styleSheet();
    qApp->installEventFilter(this);
    useStyle(m_plainStyle);
    QApplication::setPalette(m_plainPalette);
}

void QtSkinEngine::attach() {
    watch();
    m_skin.reset();
    m_failure.clear();
    applyLook();
}

void QtSkinEngine::attachEx(const std::filesystem::path& skinFile, std::string_view) {
    // Our skin files are plain text; the password the program passes (always empty) protects nothing.
    watch();
    m_skin.reset();
    m_failure.clear();
    if (!skinFile.empty()) {
        if (auto loaded = loadSkinFile(skinFile))
            m_skin = std::move(*loaded);
        else
            m_failure = loaded.reason();
    }
    applyLook();
}

void QtSkinEngine::setAero(int on) {
    watch();
    m_aero = on != 0;
    dressAll();
}

void QtSkinEngine::adjustAero(int alpha, int, int, int shadow, int, int, int, int, int) {
    // Of the nine values only the transparency and the shadow size carry anything: the fixed 0, 8 and
    // zeros the program passes beside them mean nothing here, where colour and blur come from the skin.
    watch();
    m_alpha = std::clamp(alpha, 0, 255);
    const SettingSpec& range = settingSpec(SettingKey::ShadowSize);
    m_shadowSize = std::clamp(shadow, range.min, range.max);
    dressAll();
}

void QtSkinEngine::adjustHsv(int hue, int, int) {
    // Saturation and value always come as 0, which leaves them as the skin has them.
    watch();
    m_hue = hue;
    applyLook();
}

void QtSkinEngine::applyLook() {
    QString sheet = m_plainSheet;
    QPalette palette = m_plainPalette;
    QColor shadow = Qt::black;
    if (m_skin) {
        const SkinLook look = skinLook(*m_skin, m_hue);
        sheet = QString::fromUtf8(look.styleSheet.data(), static_cast<qsizetype>(look.styleSheet.size()));
        palette = paletteOf(look);
        shadow = qtColour(look.shadow);
    }
    const bool styled = m_skin.has_value();
    if (styled != m_styled) {
        // Changing the style resets the palette, so the palette and the sheet follow it.
        useStyle(styled ? kSkinnedStyle : m_plainStyle);
        m_styled = styled;
    }
    QApplication::setPalette(palette);
    if (qApp->styleSheet() != sheet)
        qApp->setStyleSheet(sheet);
    if (shadow != m_shadowColour) {
        m_shadowColour = shadow;
        dressAll();
    }
}

bool QtSkinEngine::isDressed(const QWidget& widget) {
    // Main window and dialogs; menus, tooltips and pop-ups stay solid and shadowless.
    const Qt::WindowType type = widget.windowType();
    return widget.isWindow() && (type == Qt::Window || type == Qt::Dialog) &&
           !qobject_cast<const WindowShadow*>(&widget);
}

void QtSkinEngine::dressAll() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (isDressed(*widget))
            dress(*widget);
}

void QtSkinEngine::dress(QWidget& window) {
    if (!window.testAttribute(Qt::WA_WState_Created))
        m_windowSystem->prepare(window);
    m_windowSystem->setOpacity(window, m_aero ? windowOpacity(m_alpha) : 1.0);
    auto* shadow = window.findChild<WindowShadow*>(QString(), Qt::FindDirectChildrenOnly);
    const bool wanted = m_aero && m_shadowSize > 0 && window.isVisible() &&
                        !(window.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized)) &&
                        m_windowSystem->compositing();
    if (!m_windowSystem->placesWindows()) {
        m_windowSystem->setAttachedShadow(window, wanted ? m_shadowSize : 0, m_shadowColour);
        return;
    }
    if (!wanted) {
        delete shadow;
        return;
    }
    if (!shadow)
        shadow = new WindowShadow(window, *m_windowSystem);
    shadow->setLook(m_shadowSize, m_shadowColour);
    shadow->follow();
}

bool QtSkinEngine::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::ChildAdded:
        // A dialog is its parent's child from its first moment, long before it is made on the screen.
        if (QObject* child = static_cast<QChildEvent*>(event)->child(); child && child->isWidgetType())
            if (auto* widget = static_cast<QWidget*>(child);
                isDressed(*widget) && !widget->testAttribute(Qt::WA_WState_Created))
                m_windowSystem->prepare(*widget);
        break;
    case QEvent::Show:
    case QEvent::WindowStateChange:
        if (auto* widget = qobject_cast<QWidget*>(watched); widget && isDressed(*widget))
            dress(*widget);
        break;
    case QEvent::Hide:
        if (auto* widget = qobject_cast<QWidget*>(watched); widget && widget->isWindow())
            delete widget->findChild<WindowShadow*>(QString(), Qt::FindDirectChildrenOnly);
        break;
    case QEvent::Resize:
        // A shadow attached to the window is as large as the window.
        if (auto* widget = qobject_cast<QWidget*>(watched);
            widget && isDressed(*widget) && widget->isVisible() && !m_windowSystem->placesWindows())
            dress(*widget);
        [[fallthrough]];
    case QEvent::Move:
    case QEvent::WindowActivate:
        if (auto* widget = qobject_cast<QWidget*>(watched); widget && widget->isWindow())
            if (auto* shadow = widget->findChild<WindowShadow*>(QString(), Qt::FindDirectChildrenOnly))
                shadow->follow();
        break;
    default: break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace aquinepad
