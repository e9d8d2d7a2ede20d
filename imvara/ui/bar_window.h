// The input method's bar: a small frameless window near the bottom of the screen that shows the
// composition and the candidate line, never takes the focus, refuses to close, and pops up the menu
// when "全拼" is right-clicked.
#pragma once

#include "imvara/engine/session.h"
#include "imvara/engine/text_measure.h"
#include "imvara/engine/word_file.h"

#include <QFont>
#include <QPointer>
#include <QWidget>
#include <filesystem>

class QLabel;
class QMenu;
class QActionGroup;

namespace aquine {
class Prompter;
}

namespace imvara {

// Widths measured in the bar's own font.
class QtTextMeasure : public TextMeasure {
public:
    explicit QtTextMeasure(const QFont& font) : m_font(font) {}
    int width(std::string_view gbk) const override;

private:
    QFont m_font;
};

// The bar's font: 12-pixel glyphs for Chinese, 6 for ASCII, as the candidate line's width rule expects.
QFont barFont();

class BarWindow : public QWidget, public BarView {
    Q_OBJECT

public:
    BarWindow(Session& session, LookupText& lookup, std::filesystem::path programDir, aquine::Prompter& prompter);

    // Shift alone hides the whole bar and shows it again.
    // Shown or hidden once the key at hand is handled: the keyboard may hold the X server meanwhile,
    // and mapping a window can wait for an answer from it.
    void setBarVisible(bool visible) override {
        QMetaObject::invokeMethod(
            this, [this, visible] { setVisible(visible); }, Qt::QueuedConnection);
    }

    // Shows what the session holds now.
    void refresh();
    // Puts the bar near the bottom of the screen, a little right of the centre.
    void placeOn(const QRect& screen);

    QMenu* mainMenu() const { return m_menu; }
    // The word file the session checks: the reverse lookup checks it too (none: it reads the lookup as it is).
    void setWordFile(WordFile* wordFile) { m_wordFile = wordFile; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu();
    template <class W, class... Args> void openWindow(QPointer<QWidget>& window, Args&&... args);

    Session& m_session;
    LookupText& m_lookup;
    std::filesystem::path m_programDir;
    aquine::Prompter& m_prompter;
    WordFile* m_wordFile = nullptr;
    QLabel* m_scheme;      // 标签1
    QLabel* m_composition; // 标签2
    QLabel* m_candidates;  // 标签
    QMenu* m_menu;         // 主菜单
    QPointer<QWidget> m_wordWindow;
    QPointer<QWidget> m_reverseWindow;
    QPointer<QWidget> m_versionWindow;
};

} // namespace imvara
