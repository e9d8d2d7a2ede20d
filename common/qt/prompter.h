// Every modal prompt of the programs (message box, input box, open/save file dialogs, font dialog) goes
// through Prompter: Qt dialogs in the programs, a scripted answerer in tests, so no test ever waits
// on a dialog.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <optional>
#include <string>

namespace aquine {

class Prompter {
public:
    enum class Icon { None, Information, Question, Warning, Error };
    enum class Buttons { Ok, YesNo, YesNoCancel };
    enum class Button { Ok, Yes, No, Cancel };

    struct InputAnswer {
        bool accepted = false;
        QString text;
    };

    // A file dialog's filter is written the system's way: "文本文件(*.txt)|*.txt|所有文件(*.*)|*.*",
    // pairs of a caption and patterns separated by ';'.
    struct FileRequest {
        QString title;
        QString filter;
        QString defaultSuffix; // added to a name typed without one, e.g. "txt"
        QString initialName;   // file name or full path the dialog starts with
        int initialFilter = 0; // 0-based row of the filter
    };
    struct FileAnswer {
        QString path;
        int filterIndex = 0; // 0-based row of the filter the user had chosen
        // The file's name as the file system holds it, where path (Unicode) cannot say it: a name that
        // is not UTF-8. Empty: path's own bytes.
        std::string native = {};
    };

    struct FontAnswer {
        QFont font;
        QColor color;
    };

    virtual ~Prompter() = default;

    virtual Button message(const QString& text, const QString& title, Icon icon, Buttons buttons) = 0;
    virtual InputAnswer input(const QString& prompt, const QString& title, const QString& initialText) = 0;
    // An input box that shows what is typed as dots, starting empty.
    virtual InputAnswer inputPassword(const QString& prompt, const QString& title) = 0;
    virtual std::optional<FileAnswer> openFile(const FileRequest& request) = 0;
    virtual std::optional<FileAnswer> saveFile(const FileRequest& request) = 0;
    virtual std::optional<FontAnswer> chooseFont(const QFont& initialFont, const QColor& initialColor) = 0;
};

// The chosen file's name as the file system's bytes, for opening or writing it.
std::string nativePath(const Prompter::FileAnswer& answer);

// One row of a system-style filter: its caption and its patterns.
struct FilterRow {
    QString caption;
    QStringList patterns;
};
QList<FilterRow> parseFilter(const QString& filter);
// The same rows as QFileDialog name filters: "caption (patterns)", patterns separated by blanks. Shown
// with QFileDialog::HideNameFilterDetails, the user sees the captions alone, as on Windows.
QStringList qtNameFilters(const QString& filter);

} // namespace aquine
