// The options window on a temporary program folder: what "保存" stores, what a radio click writes at
// once, what the skin and Aero buttons and the sliders' releases ask of the skin engine, the built-in
// input method started beside the program, and a settings file that cannot be written.
#include "aquinepad/config/options_dialog.h"
#include "aquinepad/skin/tests/recording_skin.h"
#include "aquinepad/tests/notepad_fixture.h"
#include "common/tests/gbk_literal.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>

using namespace aquinepad;
using namespace aquinepad::testing;
using Calls = std::vector<std::string>;

namespace {

struct Options {
    Options() {
        prompter.setFailureHandler([this](const QString& what) { failures << what; });
    }

    std::unique_ptr<OptionsDialog> open() {
        return std::make_unique<OptionsDialog>(settings, choices, prompter, &skin, programDir.path().toStdString());
    }
    QString ini() const { return programDir.filePath(QStringLiteral("配置.ini")); }
    QString iniText() const { return QString::fromStdString(aquine::codec::gbkToUtf8(readAll(ini()).toStdString())); }

    QTemporaryDir programDir;
    Settings settings = Settings::inProgramDirectory(programDir.path().toStdString());
    OptionChoices choices;
    aquine::ScriptedPrompter prompter;
    QStringList failures;
    RecordingSkin skin;
};

template <typename T> T* control(const std::unique_ptr<OptionsDialog>& dialog, const char* name) {
    T* w = dialog->findChild<T*>(QString::fromUtf8(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

} // namespace

class OptionsDialogTest : public QObject {
    Q_OBJECT

private slots:
    void savingWithoutTouchingRadiosStoresTheDefaults() {
        Options o;
        auto dialog = o.open();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("配置选项"));
        QCOMPARE(dialog->findChild<QTabWidget*>()->count(), 5);
        control<QLineEdit>(dialog, "编辑框1")->setText(QStringLiteral("  100"));
        control<QLineEdit>(dialog, "编辑框2")->setText(QStringLiteral("顶"));
        control<QLineEdit>(dialog, "编辑框3")->setText(QStringLiteral("800"));
        control<QLineEdit>(dialog, "编辑框4")->setText(QStringLiteral("600 "));
        control<QLineEdit>(dialog, "编辑框5")->setText(QStringLiteral("-3"));
        control<QSlider>(dialog, "滑块条1")->setValue(45);
        control<QPushButton>(dialog, "按钮2")->click();
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(o.iniText(),
                 QStringLiteral("[配置信息]\r\n屏幕_左边=  100\r\n屏幕_顶边=顶\r\n启动窗口_宽度=800\r\n"
                                "启动窗口_高度=600 \r\n色调=45\r\n透明度=0\r\n阴影大小=0\r\n朗读速度=-3\r\n"
                                "皮肤=\\skinh.she\r\naero=否\r\n"));
        QVERIFY(o.failures.isEmpty());
    }

    void reopeningShowsStoredValuesAndDesignRadios() {
        Options o;
        writeAll(o.ini(),
                 bytes(G("[配置信息]\r\n屏幕_左边=30\r\n朗读速度=快\r\n色调=200\r\n透明度=99.9\r\n阴影大小=7\r\n"
                         "皮肤=\\Aero.she\r\naero=是\r\n输入法=内置\r\n")));
        auto dialog = o.open();
        QCOMPARE(control<QLineEdit>(dialog, "编辑框1")->text(), QStringLiteral("30"));
        QCOMPARE(control<QLineEdit>(dialog, "编辑框3")->text(), QString());
        QCOMPARE(control<QLineEdit>(dialog, "编辑框5")->text(), QStringLiteral("快"));
        QCOMPARE(control<QSlider>(dialog, "滑块条1")->value(), 180); // beyond the range: its end
        QCOMPARE(control<QSlider>(dialog, "滑块条4")->value(), 99);
        QCOMPARE(control<QSlider>(dialog, "滑块条5")->value(), 7);
        QVERIFY(control<QRadioButton>(dialog, "单选框1")->isChecked());
        QVERIFY(control<QRadioButton>(dialog, "单选框3")->isChecked());
        QVERIFY(!control<QRadioButton>(dialog, "单选框6")->isChecked());
        QVERIFY(!control<QRadioButton>(dialog, "单选框7")->isChecked());
    }

    void radioChoicesBecomeSkinAndAero() {
        Options o;
        auto dialog = o.open();
        control<QRadioButton>(dialog, "单选框4")->click();
        control<QRadioButton>(dialog, "单选框2")->click();
        control<QPushButton>(dialog, "按钮2")->click();
        QVERIFY(o.iniText().endsWith(QStringLiteral("皮肤=\\Aero.she\r\naero=否\r\n")));
        dialog = o.open();
        control<QRadioButton>(dialog, "单选框1")->click();
        control<QPushButton>(dialog, "按钮2")->click();
        QVERIFY(o.iniText().endsWith(QStringLiteral("皮肤=\\Aero.she\r\naero=是\r\n")));
    }

    void skinAndAeroButtonsApplyAtOnceAndWriteNothing() {
        Options o;
        const std::string dir = o.programDir.path().toStdString();
        auto dialog = o.open();
        control<QRadioButton>(dialog, "单选框4")->click();
        control<QRadioButton>(dialog, "单选框5")->click();
        control<QRadioButton>(dialog, "单选框3")->click();
        control<QRadioButton>(dialog, "单选框2")->click();
        control<QRadioButton>(dialog, "单选框1")->click();
        QCOMPARE(o.skin.calls, (Calls{"attachEx " + dir + "/Aero.she|", "attachEx " + dir + "/QQ2008.she|",
                                      "attachEx " + dir + "/skinh.she|", "setAero 0", "setAero 1"}));
        control<QPushButton>(dialog, "按钮1")->click();
        // What was tried stays in force; the file never heard of it.
        QVERIFY(!QFile::exists(o.ini()));
        QCOMPARE(o.skin.calls.size(), std::size_t(5));
    }

    void slidersApplyWhenTheLeftButtonIsReleasedOverThem() {
        Options o;
        writeAll(o.ini(), bytes(G("[配置信息]\r\n色调=30\r\n透明度=77\r\n阴影大小=4\r\n")));
        auto dialog = o.open();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        auto* hue = control<QSlider>(dialog, "滑块条1");
        auto* alpha = control<QSlider>(dialog, "滑块条4");
        auto* shadow = control<QSlider>(dialog, "滑块条5");
        control<QTabWidget>(dialog, "选择夹1")->setCurrentIndex(3);
        const auto clickOn = [](QSlider* slider, Qt::MouseButton button = Qt::LeftButton) {
            const QPoint end(slider->width() - 2, slider->height() / 2);
            QTest::mousePress(slider, button, {}, end);
            QTest::mouseRelease(slider, button, {}, end);
        };
        clickOn(hue);
        QVERIFY(hue->value() > 30); // the click moved it
        QCOMPARE(o.skin.calls, Calls{"adjustHsv " + std::to_string(hue->value()) + " 0 0"});

        // Keyboard movement and other buttons change the position, and call nothing.
        o.skin.calls.clear();
        hue->setFocus();
        QTest::keyClick(hue, Qt::Key_Left);
        clickOn(hue, Qt::RightButton);
        // A drag that ends off the slider is not applied either.
        QTest::mousePress(hue, Qt::LeftButton, {}, QPoint(hue->width() / 2, hue->height() / 2));
        QTest::mouseRelease(hue, Qt::LeftButton, {}, QPoint(hue->width() / 2, hue->height() + 40));
        QCOMPARE(o.skin.calls, Calls{});

        // Either translucency slider applies both positions.
        control<QTabWidget>(dialog, "选择夹1")->setCurrentIndex(2);
        clickOn(shadow);
        QCOMPARE(o.skin.calls, Calls{"adjustAero 77 0 8 " + std::to_string(shadow->value()) + " 0 0 0 0 0"});
        clickOn(alpha);
        QCOMPARE(o.skin.calls.back(), "adjustAero " + std::to_string(alpha->value()) + " 0 8 " +
                                          std::to_string(shadow->value()) + " 0 0 0 0 0");
        QVERIFY(alpha->value() > 77);
    }

    void inputMethodIsWrittenAtOnceAndStartedOnlyBySave() {
        Options o;
        // A stand-in input method that notes each start.
        const QString marker = o.programDir.filePath(QStringLiteral("started"));
        writeAll(o.programDir.filePath(QStringLiteral("imvara")),
                 QStringLiteral("#!/bin/sh\necho started >> '%1'\n").arg(marker).toUtf8());
        QFile::setPermissions(o.programDir.filePath(QStringLiteral("imvara")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        auto dialog = o.open();
        control<QRadioButton>(dialog, "单选框7")->click();
        QCOMPARE(o.iniText(), QStringLiteral("[配置信息]\r\n输入法=内置\r\n"));
        control<QPushButton>(dialog, "按钮1")->click();
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QCOMPARE(o.iniText(), QStringLiteral("[配置信息]\r\n输入法=内置\r\n"));

        dialog = o.open();
        control<QRadioButton>(dialog, "单选框6")->click();
        QVERIFY(o.iniText().contains(QStringLiteral("输入法=用户\r\n")));
        control<QRadioButton>(dialog, "单选框7")->click();
        control<QPushButton>(dialog, "按钮2")->click();
        QTRY_COMPARE(readAll(marker), QByteArray("started\n"));
        QVERIFY(o.failures.isEmpty());
    }

    void aMissingInputMethodProgramIsHarmless() {
        Options o;
        o.choices.ime = ImeChoice::BuiltIn;
        auto dialog = o.open();
        control<QPushButton>(dialog, "按钮2")->click();
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QVERIFY(o.failures.isEmpty());
    }

    void aSettingsFileThatCannotBeWrittenIsReported() {
        Options o;
        QVERIFY(QDir().mkpath(o.ini())); // a folder where the file should be
        o.prompter.answerMessage(aquine::Prompter::Button::Ok).answerMessage(aquine::Prompter::Button::Ok);
        auto dialog = o.open();
        dialog->show();
        control<QRadioButton>(dialog, "单选框6")->click();
        control<QLineEdit>(dialog, "编辑框1")->setText(QStringLiteral("10"));
        control<QPushButton>(dialog, "按钮2")->click();
        QCOMPARE(o.prompter.calls().size(), 2);
        QCOMPARE(o.prompter.calls().at(1).text, QStringLiteral("保存配置失败！"));
        QCOMPARE(o.prompter.calls().at(1).title, QStringLiteral("错误"));
        // Still open, with what the user typed.
        QVERIFY(dialog->isVisible());
        QCOMPARE(control<QLineEdit>(dialog, "编辑框1")->text(), QStringLiteral("10"));
        QVERIFY(o.failures.isEmpty());
    }
};

QTEST_MAIN(OptionsDialogTest)
#include "options_dialog_test.moc"
