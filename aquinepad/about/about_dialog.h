// The about window "关于Aquine记事本".
#pragma once

#include <QDialog>

namespace aquinepad {

class AboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

} // namespace aquinepad
