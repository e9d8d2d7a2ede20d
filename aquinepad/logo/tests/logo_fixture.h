// The Logo window for widget tests: a window on a scripted prompter, its controls by name, the
// command line, and the panel's ink found in its pixels.
#pragma once

#include "aquinepad/logo/logo_dialog.h"
#include "aquinepad/logo/turtle_panel.h"
#include "aquinepad/tests/notepad_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

namespace aquinepad::testing {

struct Logo {
    explicit Logo(logo::LogoLimits limits = {}) {
        prompter.setFailureHandler([this](const QString& what) { failures << what; });
        dialog = std::make_unique<LogoDialog>(prompter, nullptr, std::move(limits));
    }

    template <typename T = QWidget> T* control(const char* name) const {
        T* w = dialog->findChild<T*>(QString::fromUtf8(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    void click(const char* button) { control<QPushButton>(button)->click(); }
    void type(const char* edit, const QString& text) { control<QLineEdit>(edit)->setText(text); }
    QString caption() const { return dialog->windowTitle(); }
    QString message() const { return control<QLabel>("标签7")->text(); }
    void command(const QString& line) {
        auto* edit = control<QLineEdit>("编辑框11");
        edit->setText(line);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    aquine::ScriptedPrompter prompter;
    QStringList failures;
    std::unique_ptr<LogoDialog> dialog;
};

inline bool isInk(QRgb p) { return qRed(p) < 60 && qGreen(p) < 60 && qBlue(p) < 60; }

// Whether a black pixel lies within one pixel of (x, y): a 1 px line may land on either side of a
// half-pixel boundary.
inline bool inkNear(const QImage& image, int x, int y) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (image.rect().contains(x + dx, y + dy) && isInk(image.pixel(x + dx, y + dy)))
                return true;
    return false;
}

inline int inkCount(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += isInk(image.pixel(x, y));
    return n;
}

} // namespace aquinepad::testing
