// The window "Logo语言简单教程": the tutorial text in one box that always fills the window.
#pragma once

#include <QDialog>

class QPlainTextEdit;

namespace aquinepad {

// The tutorial as shipped with the program (UTF-8, from the program's resources).
QString logoTutorialText();

class LogoTutorialDialog : public QDialog {
    Q_OBJECT

public:
    explicit LogoTutorialDialog(QWidget* parent = nullptr);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QPlainTextEdit* m_text;
};

} // namespace aquinepad
