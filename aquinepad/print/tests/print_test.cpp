// Printing as the user meets it: "打印(&P)" sends the whole document through the real printing code to a
// PDF file, read back with pdftotext; every line is there in order, long lines wrapped within equal
// margins and across pages. Cancel, hidden text and a job that cannot start; copies, page ranges and
// progress; and Qt's own dialog in Chinese printing to a file on a machine without printers.
#include "aquinepad/print/print_feature.h"
#include "aquinepad/print/print_progress.h"
#include "aquinepad/print/text_printer.h"
#include "aquinepad/tests/notepad_fixture.h"
#include "common/qt/app_setup.h"
#include "common/qt/tests/when_modal.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QLineEdit>
#include <QMap>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>

using namespace aquinepad;
using namespace aquinepad::testing;

namespace {

constexpr double kPointsPerMm = 72 / 25.4;

// A line of text as it stands on paper, in points from the page's top-left corner.
struct PaperLine {
    int page = 0;
    QString text; // without blanks: pdftotext puts them where it sees gaps
    double left = 0, top = 0, right = 0, bottom = 0;
};

struct PaperDocument {
    int pages = 0;
    double width = 0, height = 0; // of the first page
    QList<PaperLine> lines;
};

QString withoutBlanks(QString s) { return s.remove(QRegularExpression(QStringLiteral("\\s"))); }

// The words of the PDF with their boxes (pdftotext -bbox), gathered into lines by their height on the
// page and read left to right, so the test relies on no layout guessing of pdftotext's.
PaperDocument readPdf(const QString& path, int fromPage = 1) {
    PaperDocument doc;
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-f"),
                                                  QString::number(fromPage), path, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(60000) || pdftotext.exitCode() != 0) {
        qWarning("pdftotext (poppler-utils) failed: %s", qPrintable(pdftotext.errorString()));
        return doc;
    }
    QXmlStreamReader xml(pdftotext.readAllStandardOutput());
    QMap<std::pair<int, long>, QList<PaperLine>> words; // (page, rounded top) -> words
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto number = [&](const char* name) { return xml.attributes().value(QLatin1String(name)).toDouble(); };
        if (xml.name() == QLatin1String("page")) {
            if (++doc.pages == 1) {
                doc.width = number("width");
                doc.height = number("height");
            }
        } else if (xml.name() == QLatin1String("word")) {
            PaperLine w{doc.pages, {}, number("xMin"), number("yMin"), number("xMax"), number("yMax")};
            w.text = withoutBlanks(xml.readElementText());
            words[{w.page, std::lround(w.top)}].append(w);
        }
    }
    for (auto& line : words) {
        std::sort(line.begin(), line.end(), [](const PaperLine& a, const PaperLine& b) { return a.left < b.left; });
        PaperLine joined = line.front();
        for (const PaperLine& w : line.mid(1)) {
            joined.text += w.text;
            joined.right = std::max(joined.right, w.right);
            joined.bottom = std::max(joined.bottom, w.bottom);
        }
        doc.lines.append(joined);
    }
    return doc;
}

// The lines of a text, split at CR LF, LF and CR.
QStringList sourceLines(const QString& text) { return text.split(QRegularExpression(QStringLiteral("\r\n|\n|\r"))); }

// A document of several pages: Chinese lines with every kind of line end, an empty line, a tab, and
// long lines of Chinese and of ASCII without blanks that must be wrapped.
QString chineseDocument() {
    QString text;
    const QStringList ends = {QStringLiteral("\r\n"), QStringLiteral("\n"), QStringLiteral("\r")};
    for (int i = 1; i <= 120; ++i) {
        text += QStringLiteral("第%1行：春眠不觉晓，处处闻啼鸟。").arg(i) + ends[i % 3];
        if (i == 10)
            text += QStringLiteral("\r\n列一\t列二\t列三\r\n");
        if (i == 20) {
            text += QStringLiteral("长行开始");
            for (int k = 0; k < 30; ++k)
                text += QStringLiteral("夜来风雨声花落知多少%1").arg(k);
            text += QStringLiteral("长行结束\r\n");
        }
        if (i == 30) {
            for (int k = 0; k < 40; ++k)
                text += QStringLiteral("abcdefghij%1").arg(k % 10);
            text += QStringLiteral("\n");
        }
    }
    return text;
}

QString artefactsDir() {
    const QString dir = qEnvironmentVariable("AQUINE_ARTEFACTS");
    return dir.isEmpty() || !QDir().mkpath(dir) ? QString() : dir;
}

} // namespace

class PrintTest : public QObject {
    Q_OBJECT

private slots:
    // Qt's own dialogs in Chinese, as the programs set them up.
    void initTestCase() { aquine::setUpApplication(*qobject_cast<QApplication*>(QCoreApplication::instance())); }

    void everyLineReachesPaperInOrderWrappedWithinEqualMargins() {
        Notepad pad;
        const QString text = chineseDocument();
        pad.type(text);
        const QString pdf = pad.file(QStringLiteral("打印.pdf"));
        pad.printDialog.answerPrintToFile(pdf);
        pad.window->action(Command::Print)->trigger();
        QCOMPARE(pad.printDialog.pending(), 0);
        QVERIFY(pad.failures.isEmpty());
        QVERIFY(pad.prompter.calls().isEmpty());

        const PaperDocument paper = readPdf(pdf);
        QVERIFY2(paper.pages >= 3, qPrintable(QString::number(paper.pages)));

        // Each line of the document is one or more whole lines on paper, in order: a short line is one,
        // a long one is wrapped over several and loses nothing where it is cut.
        qsizetype at = 0;
        int wrapped = 0;
        for (const QString& line : sourceLines(text)) {
            const QString expected = withoutBlanks(line);
            if (expected.isEmpty())
                continue; // an empty line leaves no word on paper
            QString found;
            int pieces = 0;
            while (found.size() < expected.size() && at < paper.lines.size()) {
                found += paper.lines[at++].text;
                ++pieces;
            }
            QCOMPARE(found, expected);
            wrapped += pieces > 1;
            if (pieces > 1)
                QVERIFY2(pieces >= 4, qPrintable(line.left(10))); // hundreds of characters, not cut short
        }
        QCOMPARE(at, paper.lines.size());
        QCOMPARE(wrapped, 2);

        // The same margin on all four sides; wrapped lines fill the width up to the right margin.
        const double margin = kPrintMarginMm * kPointsPerMm;
        double left = paper.width, top = paper.height, right = 0, bottom = 0;
        for (const PaperLine& line : paper.lines) {
            left = std::min(left, line.left);
            right = std::max(right, line.right);
            if (line.page == 1) {
                top = std::min(top, line.top);
                bottom = std::max(bottom, line.bottom);
            }
        }
        QVERIFY2(std::abs(left - margin) < 1, qPrintable(QString::number(left)));
        QVERIFY2(std::abs(top - margin) < 2, qPrintable(QString::number(top)));
        QVERIFY2(right <= paper.width - margin + 0.5, qPrintable(QString::number(right)));
        QVERIFY2(right > paper.width - margin - 12, qPrintable(QString::number(right))); // within a character
        QVERIFY2(bottom <= paper.height - margin + 0.5, qPrintable(QString::number(bottom)));
        QVERIFY2(bottom > paper.height - margin - 20, qPrintable(QString::number(bottom))); // a full first page

        // The printout and a picture of its first page, to look at.
        if (const QString dir = artefactsDir(); !dir.isEmpty()) {
            QFile::remove(dir + QStringLiteral("/aquinepad_print.pdf"));
            QFile::copy(pdf, dir + QStringLiteral("/aquinepad_print.pdf"));
            QProcess::execute(QStringLiteral("pdftoppm"),
                              {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("60"), QStringLiteral("-f"),
                               QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"),
                               QStringLiteral("-singlefile"), pdf, dir + QStringLiteral("/aquinepad_print_page1")});
        }
    }

    void cancelPrintsNothingAndSaysNothing() {
        Notepad pad;
        const QString path = pad.file(QStringLiteral("报告.txt"));
        writeAll(path, bytes(G("第一行\r\n")));
        QVERIFY(pad.window->session().OpenDocument(pad.nativePath(QStringLiteral("报告.txt"))).ok());
        pad.printDialog.answerCancel();
        pad.window->action(Command::Print)->trigger();
        QCOMPARE(pad.printDialog.shown(), 1);
        QCOMPARE(pad.printDialog.docName(), QStringLiteral("报告.txt")); // the job is named after the file
        const QMarginsF m = pad.printDialog.marginsMm();
        QVERIFY(m.left() == m.top() && m.top() == m.right() && m.right() == m.bottom() && m.left() >= kPrintMarginMm);
        QCOMPARE(QDir(pad.docs.path()).entryList(QDir::Files), QStringList{QStringLiteral("报告.txt")});
        QVERIFY(pad.prompter.calls().isEmpty());
        QVERIFY(pad.failures.isEmpty());
    }

    void hiddenTextNeverReachesTheDialogOrPaper() {
        Notepad pad;
        pad.type(QStringLiteral("不可外传"));
        pad.window->editor().setTextVisible(false);
        pad.window->action(Command::Print)->trigger();
        QCOMPARE(pad.printDialog.shown(), 0);
        QVERIFY(pad.prompter.calls().isEmpty());
        QVERIFY(pad.failures.isEmpty());
    }

    void aJobThatCannotStartIsReportedNotPassedOffAsPrinted() {
        Notepad pad;
        pad.type(QStringLiteral("第一行"));
        pad.printDialog.answerPrintToFile(pad.file(QStringLiteral("没有的文件夹/打印.pdf")));
        pad.prompter.answerMessage(aquine::Prompter::Button::Ok);
        pad.window->action(Command::Print)->trigger();
        QCOMPARE(pad.prompter.calls().size(), 1);
        const auto& call = pad.prompter.calls().front();
        QVERIFY2(call.text.startsWith(QStringLiteral("打印失败！\n")), qPrintable(call.text));
        QCOMPARE(call.title, QStringLiteral("错误"));
        QCOMPARE(call.icon, aquine::Prompter::Icon::Error);
        QVERIFY(pad.failures.isEmpty());
    }

    void copiesAndAPageRangeFromTheDialogAreHonouredWithProgressToTheEnd() {
        QTemporaryDir dir;
        QString text;
        for (int i = 1; i <= 150; ++i)
            text += QStringLiteral("第%1行\r\n").arg(i);
        const QByteArray utf8 = text.toUtf8();
        const std::string_view view(utf8.constData(), static_cast<std::size_t>(utf8.size()));
        QList<std::size_t> progress; // bytes on paper after each page, out of the total
        std::size_t total = 0;
        const auto print = [&](const QString& name, int copies, int from, int to) {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(dir.filePath(name));
            setEqualMargins(printer);
            printer.setCopyCount(copies);
            printer.setFromTo(from, to);
            progress.clear();
            const auto result = printText(printer, view, [&](std::size_t done, std::size_t all) {
                progress << done;
                total = all;
            });
            if (!result.ok())
                qWarning("not printed: %s", result.reason().c_str());
            return result.ok() ? readPdf(dir.filePath(name)) : PaperDocument{};
        };

        const PaperDocument all = print(QStringLiteral("all.pdf"), 1, 0, 0);
        QVERIFY(all.pages >= 3);
        QCOMPARE(progress.size(), all.pages);
        QVERIFY(std::is_sorted(progress.begin(), progress.end()));
        QCOMPARE(progress.back(), view.size());
        QCOMPARE(total, view.size());

        const PaperDocument twice = print(QStringLiteral("twice.pdf"), 2, 0, 0);
        QCOMPARE(twice.pages, 2 * all.pages);
        QCOMPARE(twice.lines.size(), 2 * all.lines.size());
        QCOMPARE(twice.lines.back().text, QStringLiteral("第150行"));
        QCOMPARE(progress.back(), 2 * view.size());
        QCOMPARE(total, 2 * view.size());

        const PaperDocument second = print(QStringLiteral("second.pdf"), 1, 2, 2);
        QCOMPARE(second.pages, 1);
        const auto onPage2 = [](const PaperLine& l) { return l.page == 2; };
        QCOMPARE(second.lines.size(), std::count_if(all.lines.begin(), all.lines.end(), onPage2));
        QCOMPARE(second.lines.front().text, std::find_if(all.lines.begin(), all.lines.end(), onPage2)->text);
    }

    void theProgressWindowCannotBeClosedOrCancelledAndGoesAtTheEnd() {
        PrintProgressWindow window;
        QCOMPARE(window.windowTitle(), QStringLiteral("打印"));
        QCOMPARE(window.findChild<QLabel*>()->text(), QStringLiteral("正在打印…"));
        QVERIFY(window.findChildren<QPushButton*>().isEmpty());
        QCOMPARE(window.windowModality(), Qt::ApplicationModal);
        window.show();
        window.close();
        QTest::keyClick(&window, Qt::Key_Escape);
        QVERIFY(window.isVisible());
        QVERIFY(!window.wasCanceled());
        window.showProgress(3, 4);
        QCOMPARE(window.value(), window.maximum() * 3 / 4);
        window.showProgress(4, 4);
        QVERIFY(!window.isVisible());
    }

    void qtsDialogIsChineseAndPrintsToAPdfWithoutAPrinter() {
        // This machine has no printer: the dialog offers printing to a PDF file, and printing goes there.
        Notepad pad;
        pad.type(QStringLiteral("真正的打印对话框"));
        const QString pdf = pad.file(QStringLiteral("对话框.pdf"));
        QString title;
        QStringList choices;
        whenModal([&](QWidget* w) {
            title = w->windowTitle();
            if (const QString dir = artefactsDir(); !dir.isEmpty())
                w->grab().save(dir + QStringLiteral("/aquinepad_print_dialog.png"));
            // Printing to a file is the last choice; on a machine with printers it must be chosen, or the
            // test would print on paper.
            if (auto* printers = w->findChild<QComboBox*>(QStringLiteral("printers"))) {
                for (int i = 0; i < printers->count(); ++i)
                    choices << printers->itemText(i);
                printers->setCurrentIndex(printers->count() - 1);
            }
            if (auto* file = w->findChild<QLineEdit*>(QStringLiteral("filename")))
                file->setText(pdf);
            w->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        QtPrintDialog dialog;
        printDocument(pad.window->editor(), dialog, pad.prompter, pad.window.get(), QStringLiteral("无标题"));
        QCOMPARE(title, QStringLiteral("打印"));
        QVERIFY2(!choices.isEmpty() && choices.last().contains(QStringLiteral("PDF")), qPrintable(choices.join('|')));
        const PaperDocument paper = readPdf(pdf);
        QCOMPARE(paper.pages, 1);
        QCOMPARE(paper.lines.size(), 1);
        QCOMPARE(paper.lines.front().text, QStringLiteral("真正的打印对话框"));

        // Cancelled, the real dialog prints nothing.
        whenModal([](QWidget* w) { w->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click(); });
        QFile::remove(pdf);
        printDocument(pad.window->editor(), dialog, pad.prompter, pad.window.get(), QStringLiteral("无标题"));
        QVERIFY(!QFile::exists(pdf));
        QVERIFY(pad.prompter.calls().isEmpty());
    }
};

QTEST_MAIN(PrintTest)
#include "print_test.moc"
