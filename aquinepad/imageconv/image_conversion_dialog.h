// The window "图片格式转换": open a picture (previewed), then choose a destination whose extension picks
// one of ten formats. Reading the preview and converting run on a worker thread while the window
// paints, shows that it is busy and offers 取消 (or Escape), which stops the work in the image library.
#pragma once

#include "common/result.h"

#include <QDialog>
#include <QImage>
#include <functional>
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

class Cancellation;
struct Converted;

class ImageConversionDialog : public QDialog {
    Q_OBJECT

public:
    explicit ImageConversionDialog(aquine::Prompter& prompter, QWidget* parent = nullptr);
    // Calls off and waits for work still running: the worker writes into what this window owns.
    ~ImageConversionDialog() override;

    bool busy() const { return m_worker != nullptr; }
    bool converting() const { return m_worker != nullptr && m_job == Job::Converting; }
    bool readingPreview() const { return m_worker != nullptr && m_job == Job::Reading; }
    // The picture last opened: the source of the next conversion.
    QString sourcePath() const { return m_source; }

signals:
    // Once the preview of an opened picture is shown, or why there is none.
    void previewFinished();
    // After the outcome of a conversion has been shown.
    void conversionFinished();

public slots:
    // Escape: while work runs, gives it up and keeps the window; otherwise closes it.
    void reject() override;
    // Gives up the reading or conversion that is running; nothing is written.
    void cancelWork();

protected:
    // Closing while work runs gives it up, and the window closes once it has stopped.
    void closeEvent(QCloseEvent* event) override;

private:
    enum class Job { Reading, Converting };

    void openPicture();
    void startConversion();
    void startWorker(Job job, std::function<void(const Cancellation*)> work, const QString& busyText);
    void finishWork();
    void showPreview();
    void showConversionOutcome();
    void setBusy(bool busy, const QString& text = {});
    void showFailure(const QString& reason);

    aquine::Prompter& m_prompter;
    QGroupBox* m_group;
    QLabel* m_preview;
    QPushButton* m_open;
    QPushButton* m_convert;
    QPushButton* m_cancel;
    QLabel* m_busyText;
    QProgressBar* m_progress;

    QString m_source;              // as shown
    QString m_destination;         // as shown
    std::string m_sourceFile;      // the file system's bytes
    std::string m_destinationFile; // the file system's bytes
    QThread* m_worker = nullptr;
    Job m_job = Job::Reading;
    bool m_closeWhenDone = false;
    // Shared with the worker; the outcomes are filled by it and read here once it has finished.
    std::shared_ptr<Cancellation> m_cancellation;
    std::shared_ptr<aquine::Result<QImage>> m_previewOutcome;
    std::shared_ptr<aquine::Result<Converted>> m_conversionOutcome;
};

} // namespace aquinepad
