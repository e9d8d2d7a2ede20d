// The window "Logo模式": tutorial and background buttons, the drawing panel, and the console of
// buttons and edit boxes that drive the turtle, with a Logo command line in the console's free row.
#pragma once

#include "aquinepad/logo/logo_interpreter.h"

#include <QDialog>
#include <QImage>
#include <memory>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace aquine {
class Prompter;
}

namespace aquinepad {

class TurtlePanel;
class LogoRunner;

class LogoDialog : public QDialog {
    Q_OBJECT

public:
    // The command line takes at most this many characters; a longer paste is refused whole.
    static constexpr int kCommandLineLimit = 10'000;

    // The limits are the interpreter's (its view is always the panel's).
    explicit LogoDialog(aquine::Prompter& prompter, QWidget* parent = nullptr, logo::LogoLimits limits = {});
    ~LogoDialog() override;

    TurtlePanel& panel() { return *m_panel; }
    bool isRunning() const;

    // Closing the window stops a running line.
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void refreshPositionCaption();
    double argument(const char* editName) const;
    void chooseBackground();
    void runCommandLine();
    void lineEnded(logo::LogoRun run);
    void setRunning(bool running);
    void keepWithinLimit(const QString& text);

    aquine::Prompter& m_prompter;
    TurtlePanel* m_panel = nullptr;
    QPlainTextEdit* m_text = nullptr;
    QLineEdit* m_commandLine = nullptr;
    QLabel* m_message = nullptr;
    QPushButton* m_run = nullptr;
    QPushButton* m_stop = nullptr;
    QList<QPushButton*> m_drawingButtons; // off while a line runs, so the turtle is the line's alone
    logo::LogoInterpreter m_interpreter;
    std::unique_ptr<LogoRunner> m_runner; // after the interpreter, which its worker reads
    QImage m_strokesBeforeLine;           // put back when the running line fails
    QString m_acceptedLine;               // the command line's text while within the limit
    QStringList m_history;                // lines run on the command line, oldest first
    qsizetype m_recall = 0;               // where Up and Down have got to in m_history; its size means the new line
};

} // namespace aquinepad
