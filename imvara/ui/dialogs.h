// The input method's three small windows: word management, reverse lookup, version. Each is modeless,
// owned by the bar, has a fixed frame, and fits its height so the client area ends 8 pixels below its
// button row.
#pragma once

#include "imvara/engine/lookup.h"
#include "imvara/engine/user_words.h"

#include <QDialog>
#include <filesystem>

class QListWidget;
class QLineEdit;
class QPlainTextEdit;

namespace aquine {
class Prompter;
}

namespace imvara {

// The 16 x 16 picture the reverse lookup and version windows show.
QPixmap appIcon();

class WordWindow : public QDialog {
    Q_OBJECT

public:
    WordWindow(QWidget* owner, LookupText& lookup, std::filesystem::path programDir, aquine::Prompter& prompter);

    void addEntry();
    void modifyEntry();
    void deleteEntry();
    QListWidget* list() const { return m_list; }

private:
    void save();

    LookupText& m_lookup;
    std::filesystem::path m_programDir;
    aquine::Prompter& m_prompter;
    UserWords m_words;
    QListWidget* m_list; // 列表框
};

class ReverseWindow : public QDialog {
    Q_OBJECT

public:
    ReverseWindow(QWidget* owner, const LookupText& lookup);
    QLineEdit* input() const { return m_input; }
    QPlainTextEdit* output() const { return m_output; }

private:
    const LookupText& m_lookup;
    QLineEdit* m_input;       // 编辑框
    QPlainTextEdit* m_output; // 显示框
};

class VersionWindow : public QDialog {
    Q_OBJECT

public:
    explicit VersionWindow(QWidget* owner);
};

} // namespace imvara
