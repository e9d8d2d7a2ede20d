// The window "Logo模式": tutorial and background buttons, the drawing panel, and the console of
// buttons and edit boxes that drive the turtle, with a Logo command line in the console's free row.
#pragma once

#include "aquinepad/logo/logo_interpreter.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace aquine {
class Prompter;
}

namespace aquinepad {

class TurtlePanel;

class LogoDialog : public QDialog {
    Q_OBJECT

public:
    explicit LogoDialog(aquine::Prompter& prompter, QWidget* parent = nullptr);

    TurtlePanel& panel() { return *m_panel; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refreshPositionCaption();
    double argument(const char* editName) const;
    void chooseBackground();
    void runCommandLine();

    aquine::Prompter& m_prompter;
    TurtlePanel* m_panel = nullptr;
    QPlainTextEdit* m_text = nullptr;
    QLineEdit* m_commandLine = nullptr;
    QLabel* m_message = nullptr;
    logo::LogoInterpreter m_interpreter;
    QStringList m_history;  // lines run on the command line, oldest first
    qsizetype m_recall = 0; // where Up and Down have got to in m_history; its size means the new line
};

} // namespace aquinepad
