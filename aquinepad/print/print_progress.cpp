// The print job's progress window.
#include "aquinepad/print/print_progress.h"

#include <QCloseEvent>

namespace aquinepad {

namespace {
constexpr int kSteps = 1000;
}

PrintProgressWindow::PrintProgressWindow(QWidget* parent) : QProgressDialog(parent) {
    setWindowTitle(QStringLiteral("打印"));
    setLabelText(QStringLiteral("正在打印…"));
    setCancelButton(nullptr);
    setRange(0, kSteps);
    setWindowModality(Qt::ApplicationModal);
    setMinimumDuration(1000);
    setValue(0);
}

void PrintProgressWindow::showProgress(std::size_t done, std::size_t total) {
    setValue(total == 0 || done >= total
                 ? kSteps
                 : static_cast<int>(kSteps * static_cast<double>(done) / static_cast<double>(total)));
}

void PrintProgressWindow::closeEvent(QCloseEvent* event) { event->ignore(); }

} // namespace aquinepad
