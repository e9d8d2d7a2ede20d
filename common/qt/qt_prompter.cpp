// Qt dialogs behind the Prompter interface.
#include "common/qt/qt_prompter.h"

#include "common/file_names.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <filesystem>

namespace aquine {

namespace {

QMessageBox::Icon qtIcon(Prompter::Icon icon) {
    switch (icon) {
    case Prompter::Icon::Information: return QMessageBox::Information;
    case Prompter::Icon::Question: return QMessageBox::Question;
    case Prompter::Icon::Warning: return QMessageBox::Warning;
    case Prompter::Icon::Error: return QMessageBox::Critical;
    case Prompter::Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

// A colour swatch button that opens the colour dialog.
class ColorButton : public QPushButton {
public:
    ColorButton(const QColor& color, QWidget* parent) : QPushButton(parent), m_color(color) {
        setText(QStringLiteral("颜色(&C)..."));
        paintSwatch();
        connect(this, &QPushButton::clicked, this, [this] {
            const QColor chosen = QColorDialog::getColor(m_color, this, QStringLiteral("颜色"));
            if (chosen.isValid()) {
                m_color = chosen;
                paintSwatch();
            }
        });
    }
    QColor color() const { return m_color; }

private:
    void paintSwatch() {
        QPixmap swatch(16, 16);
        swatch.fill(m_color);
        setIcon(QIcon(swatch));
    }
    QColor m_color;
};

// Qt lists no file whose name is not UTF-8 and cannot name one. Such a file is reached by typing its
// name as the programs show it (read as GBK): accepting a name no UTF-8 file has looks it up that way,
// and a save over the file found asks first, as the dialog does for files it knows.
class FileDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    // The file found by its shown name; empty when the dialog's own choice stands.
    const std::string& native() const { return m_native; }

protected:
    void accept() override {
        m_native.clear();
        const QStringList files = selectedFiles();
        if (files.size() == 1 && !QFileInfo::exists(files.first())) {
            const auto found = resolveDisplayedPath(files.first().toStdString());
            if (found && !std::filesystem::is_directory(*found)) {
                if (acceptMode() == AcceptSave && !confirmReplace(files.first()))
                    return;
                m_native = *found;
                QDialog::accept();
                return;
            }
        }
        QFileDialog::accept();
    }

private:
    bool confirmReplace(const QString& shown) {
        QMessageBox box(QMessageBox::Warning, windowTitle(),
                        QStringLiteral("%1 已存在。\n要替换它吗？").arg(QFileInfo(shown).fileName()),
                        QMessageBox::NoButton, this);
        QPushButton* yes = box.addButton(QStringLiteral("是(&Y)"), QMessageBox::YesRole);
        box.addButton(QStringLiteral("否(&N)"), QMessageBox::NoRole);
        box.exec();
        return box.clickedButton() == yes;
    }

    std::string m_native;
};

// A font's style as Chinese font dialogs name it. Fonts name their styles in English ("Bold Italic"),
// and Qt's font dialog shows those names as they are.
QString chineseStyleName(const QString& style) {
    static const std::pair<const char*, const char*> kWords[] = {
        {"regular", "常规"},   {"normal", "常规"},     {"book", "常规"},
        {"roman", "常规"},     {"bold", "粗体"},       {"italic", "斜体"},
        {"oblique", "倾斜"},   {"light", "细体"},      {"medium", "中等"},
        {"thin", "极细"},      {"extralight", "特细"}, {"ultralight", "特细"},
        {"semibold", "半粗"},  {"demibold", "半粗"},   {"demi", "半粗"},
        {"extrabold", "特粗"}, {"ultrabold", "特粗"},  {"black", "特粗"},
        {"heavy", "特粗"},     {"condensed", "紧缩"},  {"semicondensed", "半紧缩"},
        {"expanded", "加宽"},  {"narrow", "窄"},       {"wide", "宽"},
    };
    QStringList words;
    for (const QString& word : style.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        QString shown = word;
        const QString key = word.toLower().remove(QLatin1Char('-'));
        for (const auto& [english, chinese] : kWords)
            if (key == QLatin1String(english))
                shown = QString::fromUtf8(chinese);
        words << shown;
    }
    // "Bold Italic" is 粗斜体, as Chinese dialogs say it, not 粗体 斜体.
    QString joined = words.join(QLatin1Char(' '));
    joined.replace(QStringLiteral("粗体 斜体"), QStringLiteral("粗斜体"));
    joined.replace(QStringLiteral("粗体 倾斜"), QStringLiteral("粗倾斜"));
    return joined;
}

// Draws the style list's entries in Chinese; the entries themselves stay the font's own names, which
// the dialog looks the font up by.
class StyleNameDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QString displayText(const QVariant& value, const QLocale&) const override {
        return chineseStyleName(value.toString());
    }
};

// Qt's font dialog in Chinese throughout: a sample with Chinese characters, and style names in Chinese
// in the list and in the box above it.
void speakChinese(QFontDialog& fonts, const QFont& initial) {
    const QList<QListView*> lists = fonts.findChildren<QListView*>(QString(), Qt::FindDirectChildrenOnly);
    if (lists.size() == 3) { // family, style and size, in that order
        QListView* styles = lists.at(1);
        styles->setItemDelegate(new StyleNameDelegate(styles));
        // The dialog looks the initial style up by its translated name (粗体), which no font has, and
        // falls back to the first style: the style the font has is chosen here instead.
        const QString family = lists.at(0)->currentIndex().data().toString();
        QAbstractItemModel* model = styles->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            const QFont candidate = QFontDatabase::font(family, model->index(row, 0).data().toString(), 12);
            if (candidate.weight() == initial.weight() && candidate.italic() == initial.italic()) {
                styles->setCurrentIndex(model->index(row, 0));
                break;
            }
        }
        for (QLineEdit* edit : fonts.findChildren<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly))
            if (edit->focusProxy() == styles) {
                // Read only: the dialog writes the chosen style's name here and never reads it back.
                QObject::connect(edit, &QLineEdit::textChanged, edit, [edit](const QString& text) {
                    const QString shown = chineseStyleName(text);
                    if (shown != text)
                        edit->setText(shown);
                });
                edit->setText(chineseStyleName(edit->text()));
            }
    }
    if (auto* sample = fonts.findChild<QLineEdit*>(QStringLiteral("qt_fontDialog_sampleEdit")))
        sample->setText(QStringLiteral("中文字体范例 123"));
}

// The system's texts break lines with CR LF; Qt's labels want LF alone.
QString forDisplay(QString text) { return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }

} // namespace

Prompter::Button QtPrompter::message(const QString& text, const QString& title, Icon icon, Buttons buttons) {
    QMessageBox box(qtIcon(icon), title, forDisplay(text), QMessageBox::NoButton, m_parent);
    QPushButton* ok = nullptr;
    QPushButton* yes = nullptr;
    QPushButton* no = nullptr;
    QPushButton* cancel = nullptr;
    if (buttons == Buttons::Ok) {
        ok = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
        box.setDefaultButton(ok);
        box.setEscapeButton(ok);
    } else {
        yes = box.addButton(QStringLiteral("是(&Y)"), QMessageBox::YesRole);
        no = box.addButton(QStringLiteral("否(&N)"), QMessageBox::NoRole);
        if (buttons == Buttons::YesNoCancel) {
            cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
            box.setEscapeButton(cancel);
        }
        box.setDefaultButton(yes);
    }
    box.exec();
    const auto* clicked = box.clickedButton();
    if (clicked == yes && yes)
        return Button::Yes;
    if (clicked == no && no)
        return Button::No;
    if (clicked == ok && ok)
        return Button::Ok;
    // Closed through the title bar: the answer that changes nothing.
    if (buttons == Buttons::Ok)
        return Button::Ok;
    return cancel ? Button::Cancel : Button::No;
}

Prompter::InputAnswer QtPrompter::input(const QString& prompt, const QString& title, const QString& initialText) {
    return inputBox(prompt, title, initialText, QLineEdit::Normal);
}

Prompter::InputAnswer QtPrompter::inputPassword(const QString& prompt, const QString& title) {
    return inputBox(prompt, title, {}, QLineEdit::Password);
}

Prompter::InputAnswer QtPrompter::inputBox(const QString& prompt, const QString& title, const QString& initialText,
                                           QLineEdit::EchoMode echo) {
    QInputDialog dialog(m_parent);
    dialog.setTextEchoMode(echo);
    dialog.setWindowTitle(title);
    dialog.setLabelText(forDisplay(prompt));
    dialog.setTextValue(initialText);
    dialog.setOkButtonText(QStringLiteral("确定"));
    dialog.setCancelButtonText(QStringLiteral("取消"));
    const bool accepted = dialog.exec() == QDialog::Accepted;
    return {accepted, accepted ? dialog.textValue() : QString()};
}

std::optional<Prompter::FileAnswer> QtPrompter::fileDialog(const FileRequest& request, bool save) {
    FileDialog dialog(m_parent, request.title);
    const QStringList filters = qtNameFilters(request.filter);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!filters.isEmpty()) {
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.value(request.initialFilter, filters.first()));
    }
    if (!request.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.initialName.isEmpty()) {
        const QFileInfo initial(request.initialName);
        if (initial.isAbsolute())
            dialog.setDirectory(initial.absolutePath());
        dialog.selectFile(initial.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    // With the details hidden, Qt reports the row by its caption alone.
    int row = filters.indexOf(dialog.selectedNameFilter());
    if (row < 0) {
        const QList<FilterRow> rows = parseFilter(request.filter);
        for (int i = 0; i < rows.size() && row < 0; ++i)
            if (rows[i].caption.trimmed() == dialog.selectedNameFilter())
                row = i;
    }
    return FileAnswer{dialog.selectedFiles().first(), row < 0 ? 0 : row, dialog.native()};
}

std::optional<Prompter::FileAnswer> QtPrompter::openFile(const FileRequest& request) {
    return fileDialog(request, false);
}

std::optional<Prompter::FileAnswer> QtPrompter::saveFile(const FileRequest& request) {
    return fileDialog(request, true);
}

std::optional<Prompter::FontAnswer> QtPrompter::chooseFont(const QFont& initialFont, const QColor& initialColor) {
    // Qt's font dialog has no colour; a Windows-style font dialog does, so the two are put together.
    QDialog dialog(m_parent);
    dialog.setWindowTitle(QStringLiteral("字体"));
    auto* fonts = new QFontDialog(initialFont, &dialog);
    fonts->setWindowFlags(Qt::Widget);
    fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    speakChinese(*fonts, initialFont);
    auto* color = new ColorButton(initialColor, &dialog);
    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(color);
    bottom->addStretch();
    bottom->addWidget(buttons);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(fonts);
    layout->addLayout(bottom);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return FontAnswer{fonts->currentFont(), color->color()};
}

} // namespace aquine
