// The conversion window offscreen: its controls and dialogs, the preview read on the worker, a
// conversion on the worker with the window busy meanwhile, giving either up, each failure message,
// and the menu item that opens it.
#include "aquinepad/imageconv/image_conversion_dialog.h"
#include "aquinepad/tests/notepad_fixture.h"

#include <QBuffer>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>

using namespace aquinepad;
using namespace aquinepad::testing;
using aquine::Prompter;
using Kind = aquine::ScriptedPrompter::Kind;

namespace {

const QString kFilter = QStringLiteral("JPG(*.jpg)|*.jpg|BMP(*.bmp)|*.bmp|TIF(*.tif)|*.tif|PNG(*.png)|*.png|"
                                       "PPM(*.ppm)|*.ppm|PGM(*.pgm)|*.pgm|PBM(*.pbm)|*.pbm|PCX(*.pcx)|*.pcx|"
                                       "PIC(*.pic)|*.pic|SGI(*.sgi)|*.sgi");

// A 600 x 300 landscape: sky, sun and ground, easy to recognise in the screenshot.
QImage landscape() {
    QImage picture(600, 300, QImage::Format_RGB32);
    picture.fill(QColor(120, 180, 240));
    QPainter p(&picture);
    p.fillRect(0, 200, 600, 100, QColor(60, 150, 60));
    p.setBrush(QColor(250, 210, 40));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPoint(450, 80), 40, 40);
    return picture;
}

struct Window {
    Window() {
        prompter.setFailureHandler([this](const QString& what) { failures << what; });
        dialog.show();
    }

    template <typename T> T* control(const char* name) {
        T* w = dialog.findChild<T*>(QString::fromUtf8(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QString file(const QString& name) const { return docs.filePath(name); }
    QString picture() const {
        const QString path = file(QStringLiteral("风景.png"));
        landscape().save(path);
        return path;
    }
    // Clicks "打开文件" and, unless told otherwise, waits for the preview read on the worker.
    void open(const QString& path, bool wait = true) {
        prompter.answerOpenFile(answer(path));
        QSignalSpy shown(&dialog, &ImageConversionDialog::previewFinished);
        control<QPushButton>("打开文件")->click();
        QVERIFY(dialog.readingPreview());
        QCOMPARE(control<QLabel>("预览图片框")->text(), QStringLiteral("正在读取图片…"));
        QVERIFY(control<QPushButton>("取消")->isVisible());
        QVERIFY(!control<QPushButton>("转换")->isEnabled());
        if (wait) {
            QVERIFY(shown.wait(20000));
            QVERIFY(!dialog.busy());
            QVERIFY(!control<QPushButton>("取消")->isVisible());
        }
    }
    // A picture of noise, large enough that reading it is still under way when the test gives it up.
    QString largePicture() const {
        QImage noise(3000, 2000, QImage::Format_RGB32);
        quint32 state = 1;
        for (int y = 0; y < noise.height(); ++y) {
            auto* line = reinterpret_cast<quint32*>(noise.scanLine(y));
            for (int x = 0; x < noise.width(); ++x)
                line[x] = (state = state * 1103515245u + 12345u) >> 8;
        }
        const QString path = file(QStringLiteral("大.png"));
        noise.save(path, "PNG", 100);
        return path;
    }
    // Clicks "转换", checks that the window is busy, and waits for the outcome.
    void convertTo(const QString& path, const QString& busyPicture = {}) {
        prompter.answerSaveFile(answer(path));
        prompter.answerMessage(Prompter::Button::Ok);
        QSignalSpy finished(&dialog, &ImageConversionDialog::conversionFinished);
        control<QPushButton>("转换")->click();
        QVERIFY(dialog.converting());
        QVERIFY(!control<QPushButton>("转换")->isEnabled());
        QVERIFY(!control<QPushButton>("打开文件")->isEnabled());
        QVERIFY(control<QProgressBar>("转换进度")->isVisible());
        QVERIFY(control<QPushButton>("取消")->isEnabled());
        if (!busyPicture.isEmpty())
            artefact(dialog.grab().toImage(), busyPicture);
        QVERIFY(finished.wait(20000));
        QVERIFY(!dialog.converting());
        QVERIFY(control<QPushButton>("转换")->isEnabled());
    }
    aquine::ScriptedPrompter::Call lastCall() const { return prompter.calls().constLast(); }

    QTemporaryDir docs;
    aquine::ScriptedPrompter prompter;
    QStringList failures;
    ImageConversionDialog dialog{prompter};
};

} // namespace

class ImageConversionDialogTest : public QObject {
    Q_OBJECT

private slots:
    void designAndPreview() {
        Window w;
        QCOMPARE(w.dialog.windowTitle(), QStringLiteral("图片格式转换"));
        QCOMPARE(w.dialog.size(), QSize(430, 306));
        auto* group = w.control<QGroupBox>("分组框1");
        QCOMPARE(group->title(), QStringLiteral("请选择欲转换的图片"));
        QCOMPARE(w.control<QLabel>("预览图片框")->geometry(), QRect(8, 16, 408, 208));
        QCOMPARE(w.control<QPushButton>("打开文件")->geometry(), QRect(240, 240, 80, 32));
        QCOMPARE(w.control<QPushButton>("转换")->text(), QStringLiteral("转换"));

        const QString path = w.picture();
        w.open(path);
        const auto call = w.prompter.calls().at(0);
        QCOMPARE(call.kind, Kind::OpenFile);
        QCOMPARE(call.file.title, QStringLiteral("打开图片"));
        QVERIFY(call.file.filter.isEmpty());
        QCOMPARE(group->title(), path);
        // 600 x 300 fits the 408 x 208 box as 408 x 204.
        QCOMPARE(w.control<QLabel>("预览图片框")->pixmap().size(), QSize(408, 204));
        artefact(w.dialog.grab().toImage(), QStringLiteral("imageconv_window.png"));

        // A second picture replaces preview and caption and becomes the source; a file that is no
        // picture gives an empty preview.
        const QString tall = w.file(QStringLiteral("竖.bmp"));
        landscape().transformed(QTransform().rotate(90)).save(tall);
        w.open(tall);
        QCOMPARE(group->title(), tall);
        QCOMPARE(w.control<QLabel>("预览图片框")->pixmap().size(), QSize(104, 208));
        QCOMPARE(w.dialog.sourcePath(), tall);
        const QString notes = w.file(QStringLiteral("说明.txt"));
        writeAll(notes, "text");
        w.open(notes);
        QVERIFY(w.control<QLabel>("预览图片框")->pixmap().isNull());
        QVERIFY(
            w.control<QLabel>("预览图片框")->text().startsWith(QStringLiteral("无法预览：这个文件不是能识别的图片")));
        QCOMPARE(group->title(), notes);
        QVERIFY(w.failures.isEmpty());
    }

    void readingAndConvertingCanBeGivenUp() {
        Window w;
        const QString large = w.largePicture();
        // 取消 while the preview is read: the window says so and is ready for the next picture.
        w.open(large, false);
        artefact(w.dialog.grab().toImage(), QStringLiteral("imageconv_window_reading.png"));
        QSignalSpy shown(&w.dialog, &ImageConversionDialog::previewFinished);
        w.control<QPushButton>("取消")->click();
        QVERIFY(!w.control<QPushButton>("取消")->isEnabled());
        QVERIFY(shown.wait(20000));
        QCOMPARE(w.control<QLabel>("预览图片框")->text(), QStringLiteral("已取消读取图片"));
        QVERIFY(w.control<QPushButton>("打开文件")->isEnabled());
        QCOMPARE(w.dialog.sourcePath(), large);

        // Escape during a conversion gives it up and keeps the window; nothing is written or said.
        const QString target = w.file(QStringLiteral("放弃.bmp"));
        w.prompter.answerSaveFile(answer(target));
        QSignalSpy finished(&w.dialog, &ImageConversionDialog::conversionFinished);
        w.control<QPushButton>("转换")->click();
        QVERIFY(w.dialog.converting());
        w.dialog.reject();
        QVERIFY(finished.wait(20000));
        QVERIFY(w.dialog.isVisible());
        QVERIFY(!QFile::exists(target));
        QCOMPARE(w.prompter.calls().constLast().kind, Kind::SaveFile);

        // Closing while a picture is read gives the read up, then closes.
        w.open(large, false);
        w.dialog.close();
        QVERIFY(w.dialog.isVisible());
        QVERIFY(shown.wait(20000));
        QVERIFY(!w.dialog.isVisible());
        QVERIFY(w.failures.isEmpty());
    }

    void aDamagedSourceConvertsWithAWarning() {
        Window w;
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        landscape().save(&buffer, "JPEG", 90);
        const QString source = w.file(QStringLiteral("截断.jpg"));
        writeAll(source, jpeg.left(jpeg.size() / 2));
        w.open(source);
        QCOMPARE(w.control<QLabel>("预览图片框")->pixmap().size(), QSize(408, 204));
        const QString target = w.file(QStringLiteral("截断.png"));
        w.convertTo(target);
        QCOMPARE(w.lastCall().icon, Prompter::Icon::Warning);
        QVERIFY2(w.lastCall().text.startsWith(QStringLiteral("转换完成，图片已保存到：\n") + target + "\n\n注意："),
                 qPrintable(w.lastCall().text));
        QVERIFY(w.lastCall().text.contains(QStringLiteral("不完整")));
        QVERIFY(QFile::exists(target));
        QVERIFY(w.failures.isEmpty());
    }

    void convertsOnTheWorkerAndSaysWhereTheFileWent() {
        Window w;
        w.open(w.picture());
        const QString target = w.file(QStringLiteral("转换后.jpgz"));
        w.convertTo(target, QStringLiteral("imageconv_window_converting.png"));
        const auto save = w.prompter.calls().at(1);
        QCOMPARE(save.kind, Kind::SaveFile);
        QCOMPARE(save.file.title, QStringLiteral("保存转换后的文件"));
        QCOMPARE(save.file.filter, kFilter);
        QCOMPARE(aquine::parseFilter(save.file.filter).size(), 10);
        QCOMPARE(w.lastCall().title, QStringLiteral("图片格式转换"));
        QCOMPARE(w.lastCall().text, QStringLiteral("转换完成，图片已保存到：\n") + target);
        QCOMPARE(w.lastCall().icon, Prompter::Icon::Information);
        QVERIFY(readAll(target).startsWith("\xFF\xD8\xFF")); // .jpgz is JPEG
        QVERIFY(w.failures.isEmpty());
    }

    void picturesWhoseNamesAreNotUtf8() {
        // GBK names, as an unzipped Windows archive has them: reached by their bytes, shown readably.
        Window w;
        const std::string folder = QFile::encodeName(w.docs.path()).toStdString();
        const std::string source = folder + "/\xB7\xE7\xBE\xB0.png"; // 风景.png
        const std::string target = folder + "/\xD7\xAA\xBB\xBB.bmp"; // 转换.bmp
        std::filesystem::rename(QFile::encodeName(w.picture()).toStdString(), source);
        w.prompter.answerOpenFile(Prompter::FileAnswer{w.file(QStringLiteral("风景.png")), 0, source});
        QSignalSpy shown(&w.dialog, &ImageConversionDialog::previewFinished);
        w.control<QPushButton>("打开文件")->click();
        QVERIFY(shown.wait(20000));
        QCOMPARE(w.control<QGroupBox>("分组框1")->title(), w.file(QStringLiteral("风景.png")));
        QCOMPARE(w.control<QLabel>("预览图片框")->pixmap().size(), QSize(408, 204));

        w.prompter.answerSaveFile(Prompter::FileAnswer{w.file(QStringLiteral("转换.bmp")), 0, target});
        w.prompter.answerMessage(Prompter::Button::Ok);
        QSignalSpy finished(&w.dialog, &ImageConversionDialog::conversionFinished);
        w.control<QPushButton>("转换")->click();
        QVERIFY(finished.wait(20000));
        QCOMPARE(w.lastCall().text, QStringLiteral("转换完成，图片已保存到：\n") + w.file(QStringLiteral("转换.bmp")));
        std::ifstream written(target, std::ios::binary);
        char magic[2] = {};
        written.read(magic, 2);
        QCOMPARE(QByteArray(magic, 2), QByteArray("BM"));
        std::filesystem::remove(source); // QTemporaryDir cannot see them to remove them
        std::filesystem::remove(target);
        QVERIFY(w.failures.isEmpty());
    }

    void eachFailureIsReported() {
        Window w;
        const auto expectError = [&w](const QString& start) {
            QCOMPARE(w.lastCall().title, QStringLiteral("错误"));
            QCOMPARE(w.lastCall().icon, Prompter::Icon::Error);
            QVERIFY2(w.lastCall().text.startsWith(start), qPrintable(w.lastCall().text));
        };
        // Before any picture was opened: said at once, no save dialog.
        w.prompter.answerMessage(Prompter::Button::Ok);
        w.control<QPushButton>("转换")->click();
        QCOMPARE(w.prompter.calls().size(), 1);
        expectError(QStringLiteral("还没有选择图片：请先点击“打开文件”选择欲转换的图片。"));

        w.open(w.picture());
        for (const QString& name : {QStringLiteral("大写.JPG"), QStringLiteral("没有点"), QStringLiteral("长.tiff")}) {
            w.prompter.answerSaveFile(answer(w.file(name)));
            w.prompter.answerMessage(Prompter::Button::Ok);
            w.control<QPushButton>("转换")->click();
            QVERIFY(!w.dialog.converting());
            expectError(QStringLiteral("无法转换：文件名“%1”的扩展名不是可以转换的格式。").arg(w.file(name)));
            QVERIFY(w.lastCall().text.endsWith(QStringLiteral(".jpg .sgi .pic .pbm .pgm .bmp .tif .png .ppm .pcx")));
            QVERIFY(!QFile::exists(w.file(name)));
        }

        // A write that fails: the folder does not exist.
        const QString nowhere = w.file(QStringLiteral("无此文件夹/a.png"));
        w.convertTo(nowhere);
        expectError(QStringLiteral("转换失败：无法"));
        QVERIFY(w.lastCall().text.contains(QStringLiteral("不存在")));

        // The source deleted since it was opened.
        QVERIFY(QFile::remove(w.dialog.sourcePath()));
        w.convertTo(w.file(QStringLiteral("b.png")));
        expectError(QStringLiteral("转换失败：无法读取"));

        // A source that is no picture.
        const QString notes = w.file(QStringLiteral("说明.txt"));
        writeAll(notes, "text");
        w.open(notes);
        w.convertTo(w.file(QStringLiteral("c.bmp")));
        expectError(QStringLiteral("转换失败：这个文件不是能识别的图片"));
        QVERIFY(!QFile::exists(w.file(QStringLiteral("c.bmp"))));
        QCOMPARE(w.prompter.pending(), 0);
        QVERIFY(w.failures.isEmpty());
    }

    void theMenuItemOpensTheWindowModally() {
        Notepad pad;
        QString title;
        QTimer::singleShot(0, [&title] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                title = modal->windowTitle();
                modal->close();
            }
        });
        pad.window->action(Command::ImageConversion)->trigger();
        QCOMPARE(title, QStringLiteral("图片格式转换"));
    }
};

QTEST_MAIN(ImageConversionDialogTest)
#include "image_conversion_dialog_test.moc"
