// The about window: the product, its series, its version and a note on the network features.
#include "aquinepad/about/about_dialog.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace aquinepad {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("关于Aquine记事本"));
    auto* layout = new QVBoxLayout(this);
    int n = 1;
    for (const QString& text : {QStringLiteral("Aquine记事本"), QStringLiteral("Lorvane “Aquine”系列"),
                                QStringLiteral("版本：1.0"), QString(), QStringLiteral("基于网络的功能需要网络连接")}) {
        auto* label = new QLabel(text, this);
        label->setObjectName(QStringLiteral("标签%1").arg(n++));
        layout->addWidget(label);
    }
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("按钮1"));
    ok->setDefault(true);
    // The desktop's own width for the button: a skin draws it but gives it no width of its own.
    ok->setMinimumWidth(80);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignRight);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace aquinepad
