// The tutorial window. The box is resized by hand on every size change, not by a layout, so it fills
// the client area exactly, with no margin.
#include "aquinepad/logo/logo_tutorial_dialog.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QResizeEvent>

namespace aquinepad {

QString logoTutorialText() {
    QFile file(QStringLiteral(":/aquinepad/logo/logo_tutorial.txt"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

LogoTutorialDialog::LogoTutorialDialog(QWidget* parent) : QDialog(parent), m_text(new QPlainTextEdit(this)) {
    setWindowTitle(QStringLiteral("Logo语言简单教程"));
    m_text->setObjectName(QStringLiteral("编辑框1"));
    m_text->setReadOnly(true);
    m_text->setPlainText(logoTutorialText());
    m_text->setGeometry(0, 0, 885, 468);
    resize(885, 468);
}

void LogoTutorialDialog::resizeEvent(QResizeEvent* event) {
    m_text->resize(event->size());
    QDialog::resizeEvent(event);
}

} // namespace aquinepad
