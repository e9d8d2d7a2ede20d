// The input method's three small windows: word management, reverse lookup, version. Each is modeless,
// owned by the bar, has a fixed frame, and fits its height so the client area ends 8 pixels below its
// button row.
#pragma once

#include "imvara/engine/lookup.h"
#include "imvara/engine/user_words.h"
#include "imvara/engine/word_file.h"

#include <QDialog>
#include <filesystem>
#include <optional>

class QListWidget;
class QLineEdit;
class QPlainTextEdit;

namespace aquine {
class Prompter;
}

namespace imvara {

// The 16 x 16 picture the reverse lookup and version windows show.
QPixmap appIcon();

// Every edit is applied to "\word.bin" as it is at that moment, under the lock the other programs
// take too, so a word another program saved meanwhile is kept; the list then shows what the file holds.
class WordWindow : public QDialog {
    Q_OBJECT

public:
    WordWindow(QWidget* owner, LookupText& lookup, std::filesystem::path programDir, aquine::Prompter& prompter);

    void addEntry();
    void modifyEntry();
    void deleteEntry();
    // Shows what the file holds when another program changed it since the list was filled.
    void refreshFromFile();
    QListWidget* list() const { return m_list; }

protected:
    void changeEvent(QEvent* event) override;

private:
    std::optional<SeenEntry> selectedEntry() const;
    // Shows words in the list, the entry select (if any) selected.
    void showWords(UserWords words, const std::optional<SeenEntry>& select);
    void finish(WordEdit edit, const std::optional<SeenEntry>& select);
    void showError(const std::string& reason);

    LookupText& m_lookup;
    WordFile m_file;
    aquine::Prompter& m_prompter;
    UserWords m_words;
    QListWidget* m_list; // 列表框
};

class ReverseWindow : public QDialog {
    Q_OBJECT

public:
    ReverseWindow(QWidget* owner, const LookupText& lookup);
    // The same, bringing words another program saved into the lookup text before each lookup.
    ReverseWindow(QWidget* owner, LookupText& lookup, WordFile* wordFile);
    QLineEdit* input() const { return m_input; }
    QPlainTextEdit* output() const { return m_output; }

private:
    const LookupText& m_lookup;
    LookupText* m_reloadable = nullptr;
    WordFile* m_wordFile = nullptr;
    QLineEdit* m_input;       // 编辑框
    QPlainTextEdit* m_output; // 显示框
};

class VersionWindow : public QDialog {
    Q_OBJECT

public:
    explicit VersionWindow(QWidget* owner);
};

} // namespace imvara
