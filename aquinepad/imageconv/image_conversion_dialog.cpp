// The conversion window. Magick++ work runs on a worker thread so that a large picture does not freeze
// the window; the outcome comes back to the window thread through the worker's finished signal.
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

    // The free space left of the buttons shows that a conversion is running.
    // The encoder reports no progress, so the bar only moves to show that the work goes on.
    m_busyText = new QLabel(QStringLiteral("正在转换，请稍候……"), this);
    m_busyText->setGeometry(8, 238, 216, 18);
    m_busyText->hide();
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("转换进度"));
    m_progress->setGeometry(8, 258, 216, 12);
    m_progress->setRange(0, 0);
    m_progress->setTextVisible(false);
    m_progress->hide();

    m_open = new QPushButton(QStringLiteral("打开文件"), this);
    m_open->setObjectName(QStringLiteral("打开文件"));
    m_open->setGeometry(240, 240, 80, 32);
    m_convert = new QPushButton(QStringLiteral("转换"), this);
    m_convert->setObjectName(QStringLiteral("转换"));
    m_convert->setGeometry(336, 240, 80, 32);

    connect(m_open, &QPushButton::clicked, this, &ImageConversionDialog::openPicture);
    connect(m_convert, &QPushButton::clicked, this, &ImageConversionDialog::startConversion);
}

ImageConversionDialog::~ImageConversionDialog() {
    if (m_worker)
        m_worker->wait();
}

void ImageConversionDialog::reject() {
    if (!converting())
        QDialog::reject();
}

void ImageConversionDialog::closeEvent(QCloseEvent* event) {
    if (converting())
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void ImageConversionDialog::openPicture() {
    const auto chosen = m_prompter.openFile({.title = QStringLiteral("打开图片")});
    if (!chosen)
        return;
    m_sourceFile = aquine::nativePath(*chosen);
    m_source = shownName(m_sourceFile);
    // A file that cannot be read, or is no picture, leaves the preview empty.
    const aquine::Result<std::string> bytes = aquine::readFileBytes(m_sourceFile, aquine::documentSizeLimit());
    const QImage picture = bytes ? decodePreview(*bytes, m_preview->size()) : QImage();
    m_preview->setPixmap(QPixmap::fromImage(picture));
    m_group->setTitle(m_source);
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
    m_outcome = std::make_shared<aquine::Result<>>();
    m_worker = QThread::create([outcome = m_outcome, source = std::filesystem::path(m_sourceFile),
                                destination = std::filesystem::path(m_destinationFile),
                                format = *format] { *outcome = convertPicture(source, destination, format); });
    m_worker->setParent(this);
    connect(m_worker, &QThread::finished, this, &ImageConversionDialog::finishConversion);
    setBusy(true);
    m_worker->start();
}

void ImageConversionDialog::finishConversion() {
    m_worker->deleteLater();
    m_worker = nullptr;
    setBusy(false);
    if (m_outcome->ok())
        m_prompter.message(QStringLiteral("转换完成，图片已保存到：\n%1").arg(m_destination), kTitle,
                           aquine::Prompter::Icon::Information, aquine::Prompter::Buttons::Ok);
    else
        showFailure(QStringLiteral("转换失败：%1").arg(QString::fromStdString(m_outcome->reason())));
    m_outcome.reset();
    emit conversionFinished();
}

void ImageConversionDialog::setBusy(bool busy) {
    m_open->setEnabled(!busy);
    m_convert->setEnabled(!busy);
    m_progress->setVisible(busy);
    m_busyText->setVisible(busy);
    if (busy)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QApplication::restoreOverrideCursor();
}

void ImageConversionDialog::showFailure(const QString& reason) {
    m_prompter.message(reason, QStringLiteral("错误"), aquine::Prompter::Icon::Error, aquine::Prompter::Buttons::Ok);
}

} // namespace aquinepad
