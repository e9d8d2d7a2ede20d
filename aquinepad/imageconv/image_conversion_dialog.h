// The window "图片格式转换": open a picture (previewed), then choose a destination whose extension picks
// one of ten formats. The conversion runs on a worker thread while the window shows that it is busy.
#pragma once

#include "common/result.h"

#include <QDialog>
#include <QImage>
#include <memory>
#include <string>

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QThread;

namespace aquine {
class Prompter;
}

namespace aquinepad {

class ImageConversionDialog : public QDialog {
    Q_OBJECT

public:
    explicit ImageConversionDialog(aquine::Prompter& prompter, QWidget* parent = nullptr);
    // Waits for a conversion still running: the worker writes into what this window owns.
    ~ImageConversionDialog() override;

    bool converting() const { return m_worker != nullptr; }
    // The picture last opened: the source of the next conversion.
    QString sourcePath() const { return m_source; }

signals:
    // After the outcome of a conversion has been shown.
    void conversionFinished();

public slots:
    // A running conversion cannot be abandoned half way: the window stays until it is done.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void openPicture();
    void startConversion();
    void finishConversion();
    void setBusy(bool busy);
    void showFailure(const QString& reason);

    aquine::Prompter& m_prompter;
    QGroupBox* m_group;
    QLabel* m_preview;
    QPushButton* m_open;
    QPushButton* m_convert;
    QLabel* m_busyText;
    QProgressBar* m_progress;

    QString m_source;              // as shown
    QString m_destination;         // as shown
    std::string m_sourceFile;      // the file system's bytes
    std::string m_destinationFile; // the file system's bytes
    QThread* m_worker = nullptr;
    // Filled by the worker, read on the window thread once the worker has finished.
    std::shared_ptr<aquine::Result<>> m_outcome;
};

} // namespace aquinepad
