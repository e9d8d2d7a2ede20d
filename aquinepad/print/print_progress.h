// The window that shows how far a long print job has come.
#pragma once

#include <QProgressDialog>
#include <cstddef>

namespace aquinepad {

// It appears only for a job that takes more than a second. It has no cancel button and ignores Escape
// and the close box: a started job cannot be called off (see printText), and being application-modal
// it keeps the text from changing until the job ends.
class PrintProgressWindow : public QProgressDialog {
    Q_OBJECT

public:
    explicit PrintProgressWindow(QWidget* parent = nullptr);
    void showProgress(std::size_t done, std::size_t total);
    void reject() override {}

protected:
    void closeEvent(QCloseEvent* event) override;
};

} // namespace aquinepad
