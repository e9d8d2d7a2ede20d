// The real skin engine on the real main window: each shipped skin and a hue change give their own
// picture (kept as artefacts), start-up takes the look from the settings and falls back to the plain
// look, the options window takes the look and changes it at once, and the translucent frame sets
// every window's opacity and, where something composites, keeps a shadow beneath each window (on
// Wayland, where windows draw their own see-through and nothing places a shadow window, neither).
#include "aquinepad/config/options_dialog.h"
#include "aquinepad/skin/qt_skin_engine.h"
#include "aquinepad/skin/tests/skin_mutator.h"
#include "aquinepad/skin/window_shadow.h"
#include "aquinepad/tests/notepad_fixture.h"

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QRadioButton>
#include <QSlider>
#include <QStyle>
#include <QTabWidget>
#include <QTest>

using namespace aquinepad;
using namespace aquinepad::testing;

namespace {

const QString kSkinsDir = QStringLiteral(AQUINEPAD_SKINS_DIR);
const QStringList kSkinFiles = {QStringLiteral("skinh.she"), QStringLiteral("Aero.she"), QStringLiteral("QQ2008.she")};

// A notepad whose program folder holds the shipped skins and the given settings.
struct SkinnedPad : Notepad {
    SkinnedPad(SkinEngine& engine, const std::string& settingsUtf8) : Notepad(&engine) {
        for (const QString& file : kSkinFiles)
            QFile::copy(kSkinsDir + QLatin1Char('/') + file, programDir.filePath(file));
        writeAll(programDir.filePath(QStringLiteral("配置.ini")),
                 bytes(aquine::codec::utf8ToGbk("[配置信息]\r\n" + settingsUtf8)));
    }

    std::filesystem::path skin(const char* file) const {
        return std::filesystem::path(programDir.path().toStdString()) / file;
    }

    void startAndShow() {
        window->startUp(std::nullopt);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        type(QStringLiteral("春眠不觉晓，处处闻啼鸟。\r\n夜来风雨声，花落知多少。\r\nAquine记事本 1.0"));
        window->editor().setSelection({0, 15}); // the first five characters, in the skin's highlight
    }
};

QImage picture(QWidget& widget) {
    QApplication::processEvents();
    return widget.grab().toImage();
}

// The 编辑 menu opened over the window, for people to look at.
void keepMenuPicture(MainWindow& window, const QString& name) {
    QMenu* menu = window.menuBar()->actions().at(1)->menu();
    menu->popup(window.mapToGlobal(QPoint(60, 22)));
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    menu->setActiveAction(menu->actions().at(2));
    artefact(picture(*menu), name);
    menu->hide();
}

class CompositingWindowSystem : public WindowSystem {
public:
    bool compositing() override { return true; }
    void stackBelow(QWidget& shadow, QWidget& window) override { stacked.emplace_back(&shadow, &window); }
    std::vector<std::pair<QWidget*, QWidget*>> stacked;
};

WindowShadow* shadowOf(QWidget& window) {
    return window.findChild<WindowShadow*>(QString(), Qt::FindDirectChildrenOnly);
}

// The window as the screen gets it, alpha included: render() paints the same widgets in the same
// order as the window's own painting does.
QImage seenThrough(QWidget& window) {
    QApplication::processEvents();
    QImage image(window.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    window.render(&image);
    return image;
}

// How many pixels of `seen` are not `solid` scaled evenly to `alpha` (premultiplied, so every channel).
int unevenPixels(const QImage& solid, const QImage& seen, int alpha) {
    int uneven = 0;
    for (int y = 0; y < solid.height(); ++y)
        for (int x = 0; x < solid.width(); ++x) {
            const QRgb s = solid.pixel(x, y);
            const QRgb t = seen.pixel(x, y);
            const auto near = [alpha](int solidChannel, int seenChannel) {
                return std::abs(solidChannel * alpha / 255 - seenChannel) <= 2;
            };
            if (!near(qAlpha(s), qAlpha(t)) || !near(qRed(s), qRed(t)) || !near(qGreen(s), qGreen(t)) ||
                !near(qBlue(s), qBlue(t)))
                ++uneven;
        }
    return uneven;
}

bool anyShadow() {
    const auto windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(), [](QWidget* w) { return qobject_cast<WindowShadow*>(w); });
}

} // namespace

class QtSkinEngineTest : public QObject {
    Q_OBJECT

private slots:
    void eachSkinAndAHueChangeGiveTheirOwnPicture() {
        QtSkinEngine engine;
        SkinnedPad pad(engine, "皮肤=\\skinh.she\r\n色调=0\r\naero=否\r\n");
        pad.startAndShow();
        QCOMPARE(engine.skinName(), std::string("默认蓝色风格"));
        const QImage blue = picture(*pad.window);
        keepMenuPicture(*pad.window, QStringLiteral("skin_blue_menu.png"));
        engine.attachEx(pad.skin("Aero.she"), "");
        const QImage vista = picture(*pad.window);
        keepMenuPicture(*pad.window, QStringLiteral("skin_vista_menu.png"));
        engine.attachEx(pad.skin("QQ2008.she"), "");
        const QImage qq = picture(*pad.window);
        keepMenuPicture(*pad.window, QStringLiteral("skin_qq2008_menu.png"));
        engine.attachEx(pad.skin("skinh.she"), "");
        engine.adjustHsv(60, 0, 0);
        const QImage blueTurned = picture(*pad.window);
        engine.adjustHsv(0, 0, 0);
        QCOMPARE(picture(*pad.window), blue); // the look depends on the skin and hue alone
        engine.attachEx({}, "");
        const QImage plain = picture(*pad.window);

        const std::vector<std::pair<QString, QImage>> shots = {{QStringLiteral("skin_blue.png"), blue},
                                                               {QStringLiteral("skin_vista.png"), vista},
                                                               {QStringLiteral("skin_qq2008.png"), qq},
                                                               {QStringLiteral("skin_blue_hue60.png"), blueTurned},
                                                               {QStringLiteral("skin_plain.png"), plain}};
        for (std::size_t i = 0; i < shots.size(); ++i) {
            artefact(shots[i].second, shots[i].first);
            for (std::size_t j = 0; j < i; ++j)
                QVERIFY2(shots[i].second != shots[j].second,
                         qPrintable(shots[i].first + QStringLiteral(" looks like ") + shots[j].first));
        }
    }

    void startUpTakesTheLookFromTheSettingsAndFallsBackToThePlainLook() {
        const QString plainStyle = QApplication::style()->name();
        struct Case {
            std::string settings;
            std::string skin;
            bool failed;
        };
        for (const Case& c : {Case{"皮肤=\\QQ2008.she\r\n色调=20\r\n", "QQ2008", false},
                              Case{"皮肤=默认\r\n", "", false}, Case{"皮肤=\\没有这个.she\r\n", "", true},
                              Case{"色调=20\r\n", "", true}, // no "皮肤": the program's folder itself
                              Case{"皮肤=\\broken.she\r\n", "", true}}) {
            {
                QtSkinEngine engine;
                SkinnedPad pad(engine, c.settings);
                writeAll(pad.programDir.filePath(QStringLiteral("broken.she")),
                         "[skin]\nname = x\n[colours]\nwindow = #fff\n[style]\nQWidget { color: @nothing; ");
                pad.startAndShow();
                QCOMPARE(engine.skinName(), c.skin);
                QCOMPARE(engine.lastFailure().empty(), !c.failed);
                QCOMPARE(qApp->styleSheet().isEmpty(), c.skin.empty());
            }
            // The engine gives the application back the look it had.
            QVERIFY(qApp->styleSheet().isEmpty());
            QCOMPARE(QApplication::style()->name(), plainStyle);
        }
    }

    void damagedSkinsNeverBringTheWindowsDown() {
        // What the reader lets through goes on to Qt's own style sheet parser and to painting.
        QtSkinEngine engine;
        SkinnedPad pad(engine, "皮肤=默认\r\n");
        pad.startAndShow();
        const QString damaged = pad.programDir.filePath(QStringLiteral("damaged.she"));
        // Qt reports each sheet it cannot parse; hundreds of those reports would bury the test's own.
        struct Quiet {
            Quiet() : previous(qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {})) {}
            ~Quiet() { qInstallMessageHandler(previous); }
            QtMessageHandler previous;
        } quiet;
        aquinepad::testing::SkinMutator mutator(7);
        int applied = 0;
        for (const QString& file : kSkinFiles) {
            const std::string original = readAll(kSkinsDir + QLatin1Char('/') + file).toStdString();
            for (int i = 0; i < 60; ++i) {
                const std::string bytes = mutator.mutate(original, 2);
                writeAll(damaged, QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
                engine.attachEx(damaged.toStdString(), "");
                engine.adjustHsv(static_cast<int>(mutator.below(181)), 0, 0);
                picture(*pad.window);
                // A skin, or the reason there is none.
                QCOMPARE(engine.skinName().empty(), !engine.lastFailure().empty());
                applied += !engine.skinName().empty();
            }
        }
        QVERIFY2(applied > 20, qPrintable(QString::number(applied)));
    }

    void theOptionsWindowTakesTheLookAndChangesItAtOnce() {
        QtSkinEngine engine;
        SkinnedPad pad(engine, "皮肤=默认\r\n色调=0\r\n");
        pad.startAndShow();
        OptionChoices choices;
        OptionsDialog dialog(pad.window->settings(), choices, pad.prompter, &engine,
                             pad.programDir.path().toStdString(), pad.window.get());
        dialog.findChild<QTabWidget*>(QStringLiteral("选择夹1"))->setCurrentIndex(3); // 皮肤设置
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QImage plain = picture(dialog);
        artefact(plain, QStringLiteral("skin_plain_options.png"));

        dialog.findChild<QRadioButton*>(QStringLiteral("单选框5"))->click();
        QCOMPARE(engine.skinName(), std::string("QQ2008"));
        const QImage qq = picture(dialog);
        QVERIFY(qq != plain);
        artefact(qq, QStringLiteral("skin_qq2008_options.png"));

        auto* hue = dialog.findChild<QSlider*>(QStringLiteral("滑块条1"));
        const QString before = qApp->styleSheet();
        hue->setValue(100);
        QCOMPARE(qApp->styleSheet(), before); // moved, not yet released
        QTest::mouseRelease(hue, Qt::LeftButton, {}, hue->rect().center());
        QVERIFY(qApp->styleSheet() != before);
        artefact(picture(dialog), QStringLiteral("skin_qq2008_hue100_options.png"));

        for (const auto& [radio, name] :
             {std::pair{"单选框3", "skin_blue_options.png"}, std::pair{"单选框4", "skin_vista_options.png"}}) {
            hue->setValue(0);
            QTest::mouseRelease(hue, Qt::LeftButton, {}, hue->rect().center());
            dialog.findChild<QRadioButton*>(QString::fromUtf8(radio))->click();
            artefact(picture(dialog), QString::fromUtf8(name));
        }
        // A dialog opened later takes the look too.
        QDialog later(pad.window.get());
        later.resize(200, 80);
        later.show();
        QVERIFY(QTest::qWaitForWindowExposed(&later));
        const QImage skinned = picture(later);
        engine.attachEx({}, "");
        QVERIFY(picture(later) != skinned);
    }

    void theTranslucentFrameSetsEveryWindowsOpacityAndIsHarmlessWithoutACompositor() {
        QtSkinEngine engine; // offscreen: nothing composites
        SkinnedPad pad(engine, "皮肤=\\Aero.she\r\naero=是\r\n透明度=120\r\n阴影大小=10\r\n");
        pad.startAndShow();
        const auto opacityIs = [](QWidget& w, double expected) {
            return std::abs(w.windowOpacity() - expected) < 0.01;
        };
        QVERIFY(opacityIs(*pad.window, QtSkinEngine::windowOpacity(120)));
        QVERIFY(QtSkinEngine::windowOpacity(120) < 0.8);
        QDialog later(pad.window.get());
        later.show();
        QVERIFY(opacityIs(later, QtSkinEngine::windowOpacity(120)));
        QVERIFY(!anyShadow());

        // Fully transparent would lose every window, this one and the options window with it.
        engine.adjustAero(0, 0, 8, 10, 0, 0, 0, 0, 0);
        QVERIFY(opacityIs(*pad.window, 0.5));
        engine.adjustAero(255, 0, 8, 10, 0, 0, 0, 0, 0);
        QVERIFY(opacityIs(later, 1.0));
        engine.adjustAero(120, 0, 8, 10, 0, 0, 0, 0, 0);
        engine.setAero(0);
        QVERIFY(opacityIs(*pad.window, 1.0));
        QVERIFY(opacityIs(later, 1.0));
    }

    void whereSomethingCompositesAShadowFollowsEachWindow() {
        auto system = std::make_unique<CompositingWindowSystem>();
        CompositingWindowSystem& windows = *system;
        QtSkinEngine engine(std::move(system));
        engine.setAero(1);
        engine.adjustAero(200, 0, 8, 12, 0, 0, 0, 0, 0);
        QDialog window;
        window.setGeometry(100, 100, 300, 200);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        WindowShadow* shadow = shadowOf(window);
        QVERIFY(shadow && shadow->isVisible());
        QCOMPARE(shadow->geometry(), shadowGeometry(window.frameGeometry(), 12));
        QVERIFY(!windows.stacked.empty());
        const std::pair<QWidget*, QWidget*> beneath(shadow, &window);
        QVERIFY(windows.stacked.back() == beneath);

        window.move(150, 120);
        window.resize(320, 240);
        QApplication::processEvents();
        QCOMPARE(shadow->geometry(), shadowGeometry(window.frameGeometry(), 12));

        engine.adjustAero(200, 0, 8, 40, 0, 0, 0, 0, 0); // beyond the slider: its end
        QCOMPARE(shadowOf(window)->geometry(), shadowGeometry(window.frameGeometry(), 18));
        engine.adjustAero(200, 0, 8, 0, 0, 0, 0, 0, 0);
        QVERIFY(!shadowOf(window));
        engine.adjustAero(200, 0, 8, 12, 0, 0, 0, 0, 0);
        QVERIFY(shadowOf(window));
        window.showMaximized();
        QApplication::processEvents();
        QVERIFY(!shadowOf(window)); // a maximized window has nothing around it to shade
        window.showNormal();
        QApplication::processEvents();
        QVERIFY(shadowOf(window));
        engine.setAero(0);
        QVERIFY(!shadowOf(window));
        engine.setAero(1);
        window.hide();
        QVERIFY(!anyShadow());
    }

    void onWaylandEachWindowDrawsItselfSeeThroughEvenlyAndCarriesItsShadow() {
        QtSkinEngine engine(waylandWindowSystem());
        SkinnedPad pad(engine, "皮肤=\\QQ2008.she\r\naero=否\r\n透明度=160\r\n阴影大小=18\r\n");
        pad.startAndShow();
        // No caret: it comes and goes with the focus and its blinking, not with the frame.
        pad.window->editor().SendScintilla(QsciScintillaBase::SCI_SETCARETSTYLE, 0ul);
        const QImage solid = seenThrough(*pad.window);
        QCOMPARE(qAlpha(solid.pixel(solid.width() / 2, solid.height() / 2)), 255);

        engine.setAero(1);
        const int alpha = static_cast<int>(std::lround(255 * QtSkinEngine::windowOpacity(160)));
        QCOMPARE(unevenPixels(solid, seenThrough(*pad.window), alpha), 0);
        QVERIFY(!anyShadow()); // the compositor places windows: a shadow window would land anywhere
        // The shadow is a surface of the window's own, around it; it takes no clicks meant for the window.
        const auto attached = [&](QWidget& window) {
            return window.windowHandle()->findChild<QWindow*>(QString(), Qt::FindDirectChildrenOnly);
        };
        QWindow* shadow = attached(*pad.window);
        QVERIFY(shadow && shadow->isVisible());
        // Around the frame, title bar included where the window draws its own.
        const auto frameOf = [](QWidget& window) {
            return window.frameGeometry().translated(-window.geometry().topLeft());
        };
        const QRect frame = frameOf(*pad.window);
        QVERIFY(frame.contains(QRect(QPoint(0, 0), pad.window->size())));
        QCOMPARE(shadow->geometry(), shadowGeometry(frame, 18));
        QVERIFY(!shadow->mask().isEmpty());
        QVERIFY(!shadow->mask().translated(shadow->position()).intersects(frame));
        pad.window->resize(500, 300);
        QApplication::processEvents();
        QCOMPARE(pad.window->size(), QSize(500, 300));
        QCOMPARE(shadow->geometry(), shadowGeometry(frameOf(*pad.window), 18));
        pad.window->showMaximized();
        QApplication::processEvents();
        QVERIFY(!attached(*pad.window));
        pad.window->showNormal();
        QApplication::processEvents();
        QVERIFY(attached(*pad.window));
        // What lies over the window lets the mouse through to the text.
        QWidget* under = pad.window->childAt(pad.window->rect().center());
        QVERIFY(under && pad.window->editor().isAncestorOf(under));
        // Text typed later and a dialog opened later (which takes the focus) are see-through alike.
        pad.type(QStringLiteral("夜来风雨声"));
        QDialog later(pad.window.get());
        // Given an alpha channel before it is made, or the compositor may be told it is opaque.
        QVERIFY(later.testAttribute(Qt::WA_TranslucentBackground) && !later.testAttribute(Qt::WA_WState_Created));
        later.resize(200, 100);
        later.show();
        QVERIFY(QTest::qWaitForWindowExposed(&later));
        engine.setAero(0);
        const QImage typedSolid = seenThrough(*pad.window);
        QVERIFY(unevenPixels(solid, typedSolid, 255) > 0);
        engine.setAero(1);
        QCOMPARE(unevenPixels(typedSolid, seenThrough(*pad.window), alpha), 0);
        QCOMPARE(qAlpha(seenThrough(later).pixel(100, 50)), alpha);

        engine.adjustAero(0, 0, 8, 18, 0, 0, 0, 0, 0);
        QCOMPARE(unevenPixels(typedSolid, seenThrough(*pad.window), 128), 0);
        engine.setAero(0); // solid again, as if it had never been otherwise
        QCOMPARE(unevenPixels(typedSolid, seenThrough(*pad.window), 255), 0);
        QCOMPARE(qAlpha(seenThrough(later).pixel(100, 50)), 255);
        QVERIFY(!attached(*pad.window) && !attached(later));
    }

    void theShadowFadesOutFromTheWindowsEdgeAndLeavesTheWindowClear() {
        const QImage shadow = shadowPicture(QSize(200, 100), 12, Qt::black);
        QCOMPARE(shadow.size(), QSize(224, 124));
        const auto alpha = [&](int x, int y) { return qAlpha(shadow.pixel(x, y)); };
        // The window stands 3 pixels higher than the shape it casts.
        QCOMPARE(alpha(112, 60), 0);
        QCOMPARE(alpha(12, 9), 0);
        QVERIFY(alpha(112, 110) > 90); // right below the window: darkest
        QVERIFY(alpha(6, 60) > 10 && alpha(6, 60) < alpha(11, 60));
        QCOMPARE(alpha(0, 60), 0);
        QCOMPARE(alpha(0, 0), 0);
        QVERIFY(alpha(112, 115) > alpha(112, 5)); // cast downwards: more below than above

        QImage scene(shadow.size() + QSize(40, 40), QImage::Format_RGB32);
        scene.fill(QColor(0xf4, 0xf4, 0xf0));
        QPainter painter(&scene);
        painter.drawImage(20, 20, shadowPicture(QSize(200, 100), 12, QColor(0x18, 0x32, 0x4f)));
        painter.fillRect(QRect(32, 29, 200, 100), Qt::white);
        painter.end();
        artefact(scene, QStringLiteral("skin_shadow.png"));
    }
};

QTEST_MAIN(QtSkinEngineTest)
#include "qt_skin_engine_test.moc"
