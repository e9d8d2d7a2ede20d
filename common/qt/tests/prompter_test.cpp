// Prompter: the scripted form tests rely on, and the Qt dialogs driven the way a user would.
#include "common/qt/gbk_qt.h"
#include "common/qt/qt_prompter.h"
#include "common/qt/scripted_prompter.h"
#include "common/qt/tests/when_modal.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <fstream>
#include <functional>

using namespace aquine;

namespace {

QPushButton* buttonWithText(QWidget* dialog, const QString& text) {
    for (auto* b : dialog->findChildren<QPushButton*>())
        if (b->text() == text)
            return b;
    return nullptr;
}

} // namespace

class PrompterTest : public QObject {
    Q_OBJECT

private slots:
    void gbkGlueIsLossless() {
        const std::string bytes("\xD6\xD0\x80\xFF"
                                "a\r\n\x95\x32\x82\x36",
                                11);
        QCOMPARE(qFromGbk(bytes), QString::fromUtf8("中") + QChar(0xF780) + QChar(0xF7FF) + QStringLiteral("a\r\n") +
                                      QString::fromUtf8("𠀀"));
        QCOMPARE(gbkFromQ(qFromGbk(bytes)), bytes);
    }

    void filtersBecomeQtNameFilters() {
        const QString filter = QStringLiteral("文本文件(*.txt)|*.txt|图片|*.png;*.jpg|所有文件(*.*)|*.*");
        const auto rows = parseFilter(filter);
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[1].patterns, (QStringList{"*.png", "*.jpg"}));
        // Qt splits patterns at blanks only: the Windows-style ';' must not reach it.
        QCOMPARE(qtNameFilters(filter),
                 (QStringList{QStringLiteral("文本文件(*.txt) (*.txt)"), QStringLiteral("图片 (*.png *.jpg)"),
                              QStringLiteral("所有文件(*.*) (*.*)")}));
    }

    void scriptedAnswersInOrderAndRecords() {
        ScriptedPrompter p;
        p.answerMessage(Prompter::Button::Yes).answerInput(true, QStringLiteral("密码")).answerSaveFile(std::nullopt);
        QCOMPARE(p.message(QStringLiteral("保存吗？"), QStringLiteral("提示"), Prompter::Icon::Question,
                           Prompter::Buttons::YesNoCancel),
                 Prompter::Button::Yes);
        QCOMPARE(p.input(QStringLiteral("请输入"), QStringLiteral("密码"), {}).text, QStringLiteral("密码"));
        QVERIFY(!p.saveFile({QStringLiteral("另存为"), {}, {}, {}, 0}));
        QCOMPARE(p.pending(), 0);
        QCOMPARE(p.calls().size(), 3);
        QCOMPARE(p.calls()[0].text, QStringLiteral("保存吗？"));
        QCOMPARE(p.calls()[0].icon, Prompter::Icon::Question);
        QCOMPARE(p.calls()[2].title, QStringLiteral("另存为"));
    }

    void scriptedFailsOnUnexpectedPrompts() {
        QStringList failures;
        ScriptedPrompter p;
        p.setFailureHandler([&](const QString& why) { failures << why; });
        // Nothing scripted: fails, and answers with the choice that changes nothing.
        QCOMPARE(p.message(QStringLiteral("覆盖？"), {}, Prompter::Icon::Question, Prompter::Buttons::YesNoCancel),
                 Prompter::Button::Cancel);
        // The wrong kind of prompt: fails too.
        p.answerMessage(Prompter::Button::Ok);
        QVERIFY(!p.input(QStringLiteral("名字"), {}, {}).accepted);
        QCOMPARE(failures.size(), 2);
        QVERIFY(failures[0].contains(QStringLiteral("覆盖？")));
        QVERIFY(failures[1].contains(QStringLiteral("message box")));
    }

    void qtMessageBoxShowsChineseButtons() {
        QtPrompter p;
        QString title, text;
        QStringList buttons;
        whenModal([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            QVERIFY(box);
            title = box->windowTitle();
            text = box->text();
            for (auto* b : box->buttons())
                buttons << b->text();
            buttonWithText(box, QStringLiteral("否(&N)"))->click();
        });
        const auto answer = p.message(QStringLiteral("文件已修改，要保存吗？"), QStringLiteral("Aquine记事本"),
                                      Prompter::Icon::Question, Prompter::Buttons::YesNoCancel);
        QCOMPARE(answer, Prompter::Button::No);
        QCOMPARE(title, QStringLiteral("Aquine记事本"));
        QCOMPARE(text, QStringLiteral("文件已修改，要保存吗？"));
        QVERIFY(buttons.contains(QStringLiteral("是(&Y)")));
        QVERIFY(buttons.contains(QStringLiteral("取消")));
    }

    void qtInputBoxReturnsTypedText() {
        QtPrompter p;
        whenModal([](QWidget* w) {
            auto* edit = w->findChild<QLineEdit*>();
            edit->selectAll();
            QTest::keyClicks(edit, QStringLiteral("abc"));
            buttonWithText(w, QStringLiteral("确定"))->click();
        });
        const auto answer = p.input(QStringLiteral("请输入密码："), QStringLiteral("密码"), QStringLiteral("x"));
        QVERIFY(answer.accepted);
        QCOMPARE(answer.text, QStringLiteral("abc"));

        whenModal([](QWidget* w) { buttonWithText(w, QStringLiteral("取消"))->click(); });
        QVERIFY(!p.input(QStringLiteral("请输入密码："), QStringLiteral("密码"), {}).accepted);
    }

    void qtPasswordBoxHidesWhatIsTyped() {
        QtPrompter p;
        QLineEdit::EchoMode echo = QLineEdit::Normal;
        QString initial = QStringLiteral("unset");
        whenModal([&](QWidget* w) {
            auto* edit = w->findChild<QLineEdit*>();
            echo = edit->echoMode();
            initial = edit->text();
            edit->insert(QStringLiteral("秘密"));
            buttonWithText(w, QStringLiteral("确定"))->click();
        });
        const auto answer = p.inputPassword(QStringLiteral("请输入密码："), QStringLiteral("密码"));
        QCOMPARE(echo, QLineEdit::Password);
        QVERIFY(initial.isEmpty());
        QVERIFY(answer.accepted);
        QCOMPARE(answer.text, QStringLiteral("秘密"));
    }

    void qtSaveDialogReportsPathAndFilterRow() {
        QTemporaryDir dir;
        QtPrompter p;
        QString shownRow;
        bool detailsHidden = false;
        whenModal([&](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            shownRow = dialog->selectedNameFilter();
            detailsHidden = dialog->testOption(QFileDialog::HideNameFilterDetails);
            // Type a name without extension, as a user would; the dialog adds the default suffix.
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            name->selectAll();
            QTest::keyClicks(name, QStringLiteral("shot"));
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        });
        const auto answer = p.saveFile({QStringLiteral("另存为"), QStringLiteral("PNG|*.png|JPEG|*.jpg;*.jpeg"),
                                        QStringLiteral("jpg"), dir.filePath(QStringLiteral("a.jpg")), 1});
        // The user sees the captions alone, as on Windows, and the row comes back by its number.
        QCOMPARE(shownRow, QStringLiteral("JPEG"));
        QVERIFY(detailsHidden);
        QVERIFY(answer);
        QCOMPARE(answer->filterIndex, 1);
        QCOMPARE(answer->path, dir.filePath(QStringLiteral("shot.jpg")));
    }

    void qtDialogsReachFilesWhoseNamesAreNotUtf8() {
        // Qt lists no such file; typed as the programs show it (read as GBK), the name finds it.
        QTemporaryDir dir;
        const std::string gbk = QFile::encodeName(dir.path()).toStdString() + "/\xD6\xD0\xCE\xC4.txt";
        std::ofstream(gbk, std::ios::binary) << "x";
        const auto typeName = [](const QString& typed) {
            whenModal([typed](QWidget* w) {
                auto* name = w->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                name->setText(typed); // as typed: QTest types ASCII only
                QMetaObject::invokeMethod(w, "accept", Qt::QueuedConnection);
            });
        };
        QtPrompter p;
        typeName(QStringLiteral("中文.txt"));
        const auto opened = p.openFile({QStringLiteral("打开"), {}, {}, dir.path() + QLatin1Char('/'), 0});
        QVERIFY(opened);
        QCOMPARE(nativePath(*opened), gbk);

        // Saving over it asks first, as for any file that is there.
        QString asked;
        typeName(QStringLiteral("中文.txt"));
        auto* boxWatch = new QTimer;
        boxWatch->setInterval(10);
        QObject::connect(boxWatch, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxWatch->stop();
                asked = box->text();
                buttonWithText(box, QStringLiteral("是(&Y)"))->click();
            }
        });
        boxWatch->start();
        const auto saved = p.saveFile({QStringLiteral("保存"), {}, {}, dir.path() + QLatin1Char('/'), 0});
        delete boxWatch;
        QVERIFY(saved);
        QCOMPARE(nativePath(*saved), gbk);
        QVERIFY(asked.startsWith(QStringLiteral("中文.txt 已存在")));

        // A new name is the dialog's own answer, its bytes UTF-8.
        typeName(QStringLiteral("新.txt"));
        const auto fresh = p.saveFile({QStringLiteral("保存"), {}, {}, dir.path() + QLatin1Char('/'), 0});
        QVERIFY(fresh);
        QCOMPARE(nativePath(*fresh), QFile::encodeName(dir.filePath(QStringLiteral("新.txt"))).toStdString());
        std::remove(gbk.c_str()); // QTemporaryDir cannot see it to remove it
    }

    void qtFontDialogKeepsTheChoice() {
        QtPrompter p;
        whenModal([](QWidget* w) {
            auto* box = w->findChild<QDialogButtonBox*>();
            buttonWithText(box, QStringLiteral("确定"))->click();
        });
        QFont font(QStringLiteral("WenQuanYi Zen Hei Mono"), 12);
        const auto answer = p.chooseFont(font, Qt::red);
        QVERIFY(answer);
        QCOMPARE(answer->color, QColor(Qt::red));
        QCOMPARE(answer->font.pointSize(), 12);
    }
};

QTEST_MAIN(PrompterTest)
#include "prompter_test.moc"
