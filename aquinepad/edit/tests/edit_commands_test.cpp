// The edit menu on the real editor: insertions replace the selection, the font dialog's colour wins
// over a menu colour, colours reach the paper, and the temporary caption.
#include "aquinepad/edit/edit_rules.h"
#include "aquinepad/tests/notepad_fixture.h"
#include "common/qt/app_setup.h"
#include "common/qt/qt_prompter.h"
#include "common/qt/tests/when_modal.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDate>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

using namespace aquinepad;
using namespace aquinepad::testing;
using Button = aquine::Prompter::Button;

class EditCommandsTest : public QObject {
    Q_OBJECT

    static void run(Notepad& pad, Command command) { pad.window->action(command)->trigger(); }
    static std::string utf8(Notepad& pad) { return std::string(pad.window->editor().textView()); }

private slots:
    void separatorReplacesTheSelectionAndLeavesTheCaretAfterIt() {
        Notepad pad;
        pad.type(QStringLiteral("前后中间"));
        TextEditor& editor = pad.window->editor();
        editor.setSelection({6, 12}); // 中间
        run(pad, Command::InsertSeparator);
        QCOMPARE(utf8(pad), "前后" + separatorText());
        QCOMPARE(editor.caretPosition(), std::size_t{6 + 41});
        QVERIFY(editor.selection().empty());

        editor.setSelection({3, 3}); // between 前 and 后: inserted, nothing replaced
        run(pad, Command::InsertSeparator);
        QCOMPARE(utf8(pad), "前" + separatorText() + "后" + separatorText());
        QCOMPARE(editor.caretPosition(), std::size_t{3 + 41});
    }

    void selectAllThenDateReplacesTheWholeDocument() {
        Notepad pad;
        pad.type(QStringLiteral("整篇文档\r\n第二行"));
        run(pad, Command::SelectAll);
        const QDate before = QDate::currentDate();
        run(pad, Command::InsertDate);
        const QDate after = QDate::currentDate();
        const QString text = QString::fromStdString(utf8(pad));
        QVERIFY2(text == before.toString(QStringLiteral("yyyy/M/d")) ||
                     text == after.toString(QStringLiteral("yyyy/M/d")),
                 qPrintable(text));

        run(pad, Command::InsertTime); // at the caret, after the date
        QVERIFY(QString::fromStdString(utf8(pad)).contains(
            QRegularExpression(QStringLiteral("^\\d{4}/\\d{1,2}/\\d{1,2}\\d{1,2}:\\d\\d:\\d\\d$"))));
        run(pad, Command::Undo);
        QCOMPARE(QString::fromStdString(utf8(pad)), text); // each insertion is one step of undo
    }

    void fontDialogAppliesEveryChoiceAndItsColourBeatsAMenuColour() {
        Notepad pad;
        pad.type(QStringLiteral("字体"));
        run(pad, Command::TextGreen);
        QCOMPARE(pad.window->editor().textColour(), (Rgb{0, 255, 0}));

        QFont chosen(QStringLiteral("WenQuanYi Zen Hei Mono"));
        chosen.setPixelSize(24);
        chosen.setBold(true);
        chosen.setItalic(true);
        chosen.setUnderline(true);
        chosen.setStrikeOut(true);
        pad.prompter.answerFont(aquine::Prompter::FontAnswer{chosen, QColor(255, 0, 0)});
        run(pad, Command::ChooseFont);
        const EditorFont font = pad.window->editor().font();
        QCOMPARE(QString::fromStdString(font.family), QStringLiteral("WenQuanYi Zen Hei Mono"));
        QCOMPARE(font.pixelSize, 24);
        QVERIFY(font.bold && font.italic && font.underline && font.strikeOut);
        QCOMPARE(pad.window->editor().textColour(), (Rgb{255, 0, 0}));
        QCOMPARE(pad.text(), G("字体")); // the look, not the text

        // Cancel changes nothing.
        pad.prompter.answerFont(std::nullopt);
        run(pad, Command::ChooseFont);
        QCOMPARE(pad.window->editor().font(), font);
        QCOMPARE(pad.window->editor().textColour(), (Rgb{255, 0, 0}));
        QVERIFY(pad.failures.isEmpty());
    }

    void theRealFontDialogIsChineseAndOffersAColour() {
        aquine::setUpApplication(*qApp);
        Notepad pad;
        aquine::QtPrompter real(pad.window.get());
        QStringList checks;
        QString colourButton;
        QString title;
        whenModal([&](QWidget* dialog) {
            title = dialog->windowTitle();
            for (const QCheckBox* box : dialog->findChildren<QCheckBox*>())
                checks << box->text();
            for (const QPushButton* button : dialog->findChildren<QPushButton*>())
                if (button->text().startsWith(QStringLiteral("颜色")))
                    colourButton = button->text();
            dialog->resize(dialog->sizeHint());
            artefact(dialog->grab().toImage(), QStringLiteral("aquinepad_font_dialog.png"));
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QVERIFY(!real.chooseFont(QFont(QStringLiteral("宋体")), Qt::black));
        QCOMPARE(title, QStringLiteral("字体"));
        QVERIFY2(checks.join(QLatin1Char('|')).contains(QStringLiteral("删除线")), qPrintable(checks.join('|')));
        QVERIFY(checks.join(QLatin1Char('|')).contains(QStringLiteral("下划线")));
        QCOMPARE(colourButton, QStringLiteral("颜色(&C)..."));
    }

    void whiteTextOnBlackPaperShowsSo() {
        Notepad pad;
        pad.type(QStringLiteral("黑底白字 black paper"));
        run(pad, Command::TextWhite);
        run(pad, Command::BackgroundBlack);
        QCOMPARE(pad.window->editor().textColour(), (Rgb{255, 255, 255}));
        QCOMPARE(pad.window->editor().backgroundColour(), (Rgb{0, 0, 0}));
        pad.window->resize(400, 200);
        pad.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(pad.window.get()));
        const QImage shot = pad.window->editor().grab().toImage();
        artefact(shot, QStringLiteral("aquinepad_white_on_black.png"));
        // Mostly black paper, and some white text on it.
        int black = 0, white = 0;
        for (int y = 0; y < shot.height(); y += 2)
            for (int x = 0; x < shot.width(); x += 2) {
                const QRgb p = shot.pixel(x, y);
                black += p == qRgb(0, 0, 0);
                white += p == qRgb(255, 255, 255);
            }
        QVERIFY2(black > shot.width() * shot.height() / 8, qPrintable(QString::number(black)));
        QVERIFY(white > 10);

        run(pad, Command::BackgroundBlue);
        QCOMPARE(pad.window->editor().backgroundColour(), (Rgb{0, 0, 255}));
    }

    void titleCancelledKeepsTheCaptionAndNewRestoresTheUntitledOne() {
        Notepad pad;
        pad.prompter.answerInput(false, QStringLiteral("ignored"));
        run(pad, Command::SetTitle);
        QCOMPARE(pad.caption(), QStringLiteral("无标题 - Aquine记事本"));
        const auto call = pad.prompter.calls().last();
        QCOMPARE(call.title, QStringLiteral("设置临时窗口标题"));
        QVERIFY(call.text.startsWith(QStringLiteral("方便如录制教程等用途")));
        QVERIFY(call.initialText.isEmpty());

        pad.prompter.answerInput(true, QStringLiteral("教程：第一课"));
        run(pad, Command::SetTitle);
        QCOMPARE(pad.caption(), QStringLiteral("教程：第一课"));
        pad.prompter.answerInput(true, QString());
        run(pad, Command::SetTitle);
        QCOMPARE(pad.caption(), QString()); // confirmed empty: an empty caption

        run(pad, Command::New);
        QCOMPARE(pad.caption(), QStringLiteral("无标题 - Aquine记事本"));
        QVERIFY(pad.failures.isEmpty());
    }

    void pasteOfAClipboardWithoutTextDoesNothing() {
        Notepad pad;
        pad.type(QStringLiteral("原文"));
        QApplication::clipboard()->setImage(QImage(4, 4, QImage::Format_RGB32));
        run(pad, Command::Paste);
        QCOMPARE(pad.text(), G("原文"));
        run(pad, Command::SelectAll);
        run(pad, Command::Copy);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("原文"));
        run(pad, Command::Cut);
        QCOMPARE(pad.text(), std::string());
        run(pad, Command::Paste);
        run(pad, Command::Paste);
        QCOMPARE(pad.text(), G("原文原文"));
    }
};

QTEST_MAIN(EditCommandsTest)
#include "edit_commands_test.moc"
