// Prompter on real Qt dialogs, with the button texts of a Chinese desktop.
#pragma once

#include "common/qt/prompter.h"

#include <QLineEdit>
#include <QPointer>
#include <QWidget>

namespace aquine {

class QtPrompter : public Prompter {
public:
    explicit QtPrompter(QWidget* parent = nullptr) : m_parent(parent) {}

    Button message(const QString& text, const QString& title, Icon icon, Buttons buttons) override;
    InputAnswer input(const QString& prompt, const QString& title, const QString& initialText) override;
    InputAnswer inputPassword(const QString& prompt, const QString& title) override;
    std::optional<FileAnswer> openFile(const FileRequest& request) override;
    std::optional<FileAnswer> saveFile(const FileRequest& request) override;
    std::optional<FontAnswer> chooseFont(const QFont& initialFont, const QColor& initialColor) override;

private:
    std::optional<FileAnswer> fileDialog(const FileRequest& request, bool save);
    InputAnswer inputBox(const QString& prompt, const QString& title, const QString& initialText,
                         QLineEdit::EchoMode echo);

    QPointer<QWidget> m_parent;
};

} // namespace aquine
