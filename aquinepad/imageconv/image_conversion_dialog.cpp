// The conversion window. Magick++ work, the preview's reading included, runs on a worker thread so
// that no picture freezes the window; the outcome comes back to the window thread through the
// worker's finished signal, and 取消 stops the work through the image library's progress reports.
#include "aquinepad/imageconv/image_conversion_dialog.h"

#include "aquinepad/imageconv/image_format_rule.h"
#include "aquinepad/imageconv/picture_converter.h"
#include "common/file_io.h"
#include "common/file_names.h"
#include "common/qt/prompter.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>

namespace aquinepad {

namespace {

const QString kTitle = QStringLiteral("图片格式转换");
const QString kSaveFilter = QStringLiteral("JPG(*.jpg)|*.jpg|BMP(*.bmp)|*.bmp|TIF(*.tif)|*.tif|PNG(*.png)|*.png|"
                                           "PPM(*.ppm)|*.ppm|PGM(*.pgm)|*.pgm|PBM(*.pbm)|*.pbm|PCX(*.pcx)|*.pcx|"
                                           "PIC(*.pic)|*.pic|SGI(*.sgi)|*.sgi");

// A chosen file's name as people read it (its bytes need not be UTF-8).
QString shownName(const std::string& native) { return QString::fromStdString(aquine::displayFileName(native)); }

} // namespace

ImageConversionDialog::ImageConversionDialog(aquine::Prompter& prompter, QWidget* parent)
    : QDialog(parent), m_prompter(prompter) {
    setWindowTitle(kTitle);
    setFixedSize(430, 306);

    m_group = new QGroupBox(QStringLiteral("请选择欲转换的图片"), this);
    m_group->setObjectName(QStringLiteral("分组框1"));
    m_group->setGeometry(0, 0, 424, 232);
    m_preview = new QLabel(m_group);
    m_preview->setObjectName(QStringLiteral("预览图片框"));
    m_preview->setGeometry(8, 16, 408, 208);
    m_preview->setAlignment(Qt::AlignCenter);
    m_preview->setWordWrap(true);

    // The free space left of the buttons shows that work is running, and offers to give it up.
    // The library reports no overall progress, so the bar only moves to show that the work goes on.
    m_busyText = new QLabel(this);
    m_busyText->setObjectName(QStringLiteral("忙碌提示"));
    m_busyText->setGeometry(8, 238, 148, 18);
    m_busyText->hide();
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("转换进度"));
    m_progress->setGeometry(8, 258, 148, 12);
    m_progress->setRange(0, 0);
    m_progress->setTextVisible(false);
    m_progress->hide();
    m_cancel = new QPushButton(QStringLiteral("取消"), this);
    m_cancel->setObjectName(QStringLiteral("取消"));
    m_cancel->setGeometry(164, 240, 64, 32);
    m_cancel->hide();

    m_open = new QPushButton(QStringLiteral("打开文件"), this);
    m_open->setObjectName(QStringLiteral("打开文件"));
    m_open->setGeometry(240, 240, 80, 32);
    m_convert = new QPushButton(QStringLiteral("转换"), this);
    m_convert->setObjectName(QStringLiteral("转换"));
    m_convert->setGeometry(336, 240, 80, 32);

    connect(m_open, &QPushButton::clicked, this, &ImageConversionDialog::openPicture);
    connect(m_convert, &QPushButton::clicked, this, &ImageConversionDialog::startConversion);
    connect(m_cancel, &QPushButton::clicked, this, &ImageConversionDialog::cancelWork);
}

ImageConversionDialog::~ImageConversionDialog() {
    if (m_worker) {
        m_cancellation->cancel();
        m_worker->wait();
    }
}

void ImageConversionDialog::reject() {
    if (busy())
        cancelWork();
    else
        QDialog::reject();
}

void ImageConversionDialog::cancelWork() {
    if (!busy())
        return;
    m_cancellation->cancel();
    m_cancel->setEnabled(false);
    m_busyText->setText(QStringLiteral("正在取消……"));
}

void ImageConversionDialog::closeEvent(QCloseEvent* event) {
    if (busy()) {
        m_closeWhenDone = true;
        cancelWork();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void ImageConversionDialog::openPicture() {
    const auto chosen = m_prompter.openFile({.title = QStringLiteral("打开图片")});
    if (!chosen)
        return;
    m_sourceFile = aquine::nativePath(*chosen);
    m_source = shownName(m_sourceFile);
    m_group->setTitle(m_source);
    m_preview->clear();
    m_preview->setText(QStringLiteral("正在读取图片…"));
    m_previewOutcome = std::make_shared<aquine::Result<QImage>>(aquine::fail({}));
    startWorker(
        Job::Reading,
        [outcome = m_previewOutcome, source = std::filesystem::path(m_sourceFile),
         bounds = m_preview->size()](const Cancellation* cancel) {
            const aquine::Result<std::string> bytes = aquine::readFileBytes(source, aquine::documentSizeLimit());
            *outcome = bytes ? decodePreview(*bytes, bounds, cancel) : aquine::fail(bytes.reason());
        },
        QStringLiteral("正在读取图片…"));
}

void ImageConversionDialog::startConversion() {
    if (m_source.isEmpty()) {
        showFailure(QStringLiteral("还没有选择图片：请先点击“打开文件”选择欲转换的图片。"));
        return;
    }
    const auto chosen = m_prompter.saveFile({.title = QStringLiteral("保存转换后的文件"), .filter = kSaveFilter});
    if (!chosen)
        return;
    const std::string destination = aquine::nativePath(*chosen);
    const std::optional<ImageFormat> format = formatForDestination(destination);
    if (!format) {
        showFailure(
            QStringLiteral("无法转换：文件名“%1”的扩展名不是可以转换的格式。\n请以下列扩展名之一结尾（小写）：%2")
                .arg(shownName(destination), QString::fromStdString(extensionList())));
        return;
    }
    m_destinationFile = destination;
    m_destination = shownName(destination);
    m_conversionOutcome = std::make_shared<aquine::Result<Converted>>(aquine::fail({}));
    startWorker(
        Job::Converting,
        [outcome = m_conversionOutcome, source = std::filesystem::path(m_sourceFile),
         destination = std::filesystem::path(m_destinationFile), format = *format](const Cancellation* cancel) {
            *outcome = convertPicture(source, destination, format, cancel);
        },
        QStringLiteral("正在转换，请稍候……"));
}

// Each job gets a token of its own: one called off never stops the next.
void ImageConversionDialog::startWorker(Job job, std::function<void(const Cancellation*)> work,
                                        const QString& busyText) {
    m_cancellation = std::make_shared<Cancellation>();
    m_worker = QThread::create([work = std::move(work), cancel = m_cancellation] { work(cancel.get()); });
    m_worker->setParent(this);
    connect(m_worker, &QThread::finished, this, &ImageConversionDialog::finishWork);
    m_job = job;
    setBusy(true, busyText);
    m_worker->start();
}

void ImageConversionDialog::finishWork() {
    m_worker->deleteLater();
    m_worker = nullptr;
    setBusy(false);
    if (m_job == Job::Reading)
        showPreview();
    else
        showConversionOutcome();
    if (m_closeWhenDone) {
        m_closeWhenDone = false;
        QDialog::reject();
    }
}

void ImageConversionDialog::showPreview() {
    const aquine::Result<QImage>& outcome = *m_previewOutcome;
    if (m_cancellation->cancelled())
        m_preview->setText(QStringLiteral("已取消读取图片"));
    else if (outcome)
        m_preview->setPixmap(QPixmap::fromImage(*outcome));
    else
        m_preview->setText(QStringLiteral("无法预览：%1").arg(QString::fromStdString(outcome.reason())));
    m_previewOutcome.reset();
    emit previewFinished();
}

void ImageConversionDialog::showConversionOutcome() {
    const aquine::Result<Converted>& outcome = *m_conversionOutcome;
    // Given up on request before the file was written: nothing needs saying. A give-up that came after
    // the write is no give-up: the new file is there, and the user is told so.
    if (m_cancellation->cancelled() && !outcome) {
    } else if (outcome && outcome->notice.empty()) {
        m_prompter.message(QStringLiteral("转换完成，图片已保存到：\n%1").arg(m_destination), kTitle,
                           aquine::Prompter::Icon::Information, aquine::Prompter::Buttons::Ok);
    } else if (outcome) {
        m_prompter.message(QStringLiteral("转换完成，图片已保存到：\n%1\n\n注意：%2")
                               .arg(m_destination, QString::fromStdString(outcome->notice)),
                           kTitle, aquine::Prompter::Icon::Warning, aquine::Prompter::Buttons::Ok);
    } else {
        showFailure(QStringLiteral("转换失败：%1").arg(QString::fromStdString(outcome.reason())));
    }
    m_conversionOutcome.reset();
    emit conversionFinished();
}

void ImageConversionDialog::setBusy(bool busy, const QString& text) {
    m_open->setEnabled(!busy);
    m_convert->setEnabled(!busy);
    m_progress->setVisible(busy);
    m_busyText->setText(text);
    m_busyText->setVisible(busy);
    m_cancel->setEnabled(busy);
    m_cancel->setVisible(busy);
    if (busy)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QApplication::restoreOverrideCursor();
}

void ImageConversionDialog::showFailure(const QString& reason) {
    m_prompter.message(reason, QStringLiteral("错误"), aquine::Prompter::Icon::Error, aquine::Prompter::Buttons::Ok);
}

} // namespace aquinepad
