// Every window of the notepad under the plain look and each shipped skin: no two controls side by side
// overlap, each lies inside what holds it (within a group box's frame and clear of its title), a
// control the design places keeps its place and size whatever the skin, and no skin narrows a button.
#include "aquinepad/skin/qt_skin_engine.h"
#include "aquinepad/tests/notepad_fixture.h"
#include "aquinepad/update/download_window.h"
#include "aquinepad/update/server_update_checker.h"
#include "aquinepad/update/tests/update_server.h"
#include "common/qt/app_setup.h"
#include "common/qt/tests/when_modal.h"

#include <QApplication>
#include <QGroupBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyleOptionGroupBox>
#include <QTabWidget>
#include <QTest>
#include <map>
#include <optional>

using namespace aquinepad;
using namespace aquinepad::testing;

namespace {

const QString kSkinsDir = QStringLiteral(AQUINEPAD_SKINS_DIR);

struct Look {
    QString name;
    QString file; // empty: the plain look of "默认"
};
const std::vector<Look> kLooks = {{QStringLiteral("默认"), {}},
                                  {QStringLiteral("skinh"), QStringLiteral("skinh.she")},
                                  {QStringLiteral("Aero"), QStringLiteral("Aero.she")},
                                  {QStringLiteral("QQ2008"), QStringLiteral("QQ2008.she")}};

QString rectText(const QRect& r) {
    return QStringLiteral("(%1,%2 %3x%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// A control's name among its siblings: its object name, else its class and how many of that class
// come before it, so that the same control has the same name at every opening.
QString nameOf(const QWidget* w) {
    if (!w->objectName().isEmpty())
        return w->objectName();
    int index = 0;
    if (const QWidget* parent = w->parentWidget())
        for (const QObject* sibling : parent->children()) {
            if (sibling == w)
                break;
            index += sibling->metaObject() == w->metaObject();
        }
    return QStringLiteral("%1#%2").arg(QString::fromLatin1(w->metaObject()->className())).arg(index);
}

// What holds controls the design places: the window, group boxes and plain frames. Everything else
// (editors, lists, browser views, calendars) is one control, looked at from outside.
bool holdsControls(const QWidget* w) {
    const QMetaObject* type = w->metaObject();
    return qobject_cast<const QGroupBox*>(w) || type == &QWidget::staticMetaObject || type == &QFrame::staticMetaObject;
}

// Where a group box draws its frame and its title, as its style has it.
std::pair<QRect, QRect> frameAndTitle(const QGroupBox& box) {
    QStyleOptionGroupBox option;
    option.initFrom(&box);
    option.text = box.title();
    option.lineWidth = 1;
    option.midLineWidth = 0;
    option.textAlignment = box.alignment();
    option.subControls = QStyle::SC_GroupBoxFrame;
    if (!box.title().isEmpty())
        option.subControls |= QStyle::SC_GroupBoxLabel;
    if (box.isFlat())
        option.features |= QStyleOptionFrame::Flat;
    const QStyle* style = box.style();
    const QRect frame = style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxFrame, &box);
    const QRect title = box.title().isEmpty()
                            ? QRect()
                            : style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, &box);
    return {frame, title};
}

// Looks over one window at a time under one look, and remembers the designed places it saw.
class Survey {
public:
    QStringList faults;
    // Places of controls no layout places, by path, as the plain look showed them.
    std::map<QString, QRect> designed;
    // Widths of every button under the plain look: a skin may not narrow one a layout places either.
    std::map<QString, int> buttonWidths;
    QString look;
    bool recording = false;

    void window(QWidget* w, const QString& name) {
        QApplication::processEvents();
        holder(w, w->rect(), name);
    }

private:
    void fault(const QString& text) { faults << look + QStringLiteral(": ") + text; }

    void holder(QWidget* box, QRect room, const QString& path) {
        QRect title;
        if (const auto* group = qobject_cast<const QGroupBox*>(box)) {
            const auto [frame, label] = frameAndTitle(*group);
            room = frame.adjusted(1, 1, -1, -1); // on or across the frame line is outside
            title = label;
        }
        // A control wholly outside is out of sight by design: the download window keeps its release
        // notes beside its narrow form until it widens. One partly outside is cut off.
        QList<QWidget*> controls;
        for (QObject* child : box->children()) {
            auto* w = qobject_cast<QWidget*>(child);
            if (w && !w->isWindow() && w->isVisibleTo(box->window()) && box->rect().intersects(w->geometry()))
                controls << w;
        }
        for (qsizetype i = 0; i < controls.size(); ++i) {
            QWidget* c = controls[i];
            const QString where = path + QLatin1Char('/') + nameOf(c);
            const QRect place = c->geometry();
            if (!room.contains(place))
                fault(QStringLiteral("%1 %2 leaves %3 %4").arg(where, rectText(place), path, rectText(room)));
            if (title.intersects(place))
                fault(QStringLiteral("%1 %2 covers the title of %3 %4")
                          .arg(where, rectText(place), path, rectText(title)));
            for (qsizetype j = 0; j < i; ++j)
                if (controls[j]->geometry().intersects(place))
                    fault(QStringLiteral("%1 %2 overlaps %3 %4")
                              .arg(where, rectText(place), nameOf(controls[j]), rectText(controls[j]->geometry())));
            if (qobject_cast<const QPushButton*>(c)) {
                if (recording)
                    buttonWidths[where] = place.width();
                else if (const auto it = buttonWidths.find(where);
                         it != buttonWidths.end() && place.width() < it->second)
                    fault(QStringLiteral("%1 is %2 wide, %3 under the plain look")
                              .arg(where)
                              .arg(place.width())
                              .arg(it->second));
            }
            if (!box->layout()) {
                if (recording)
                    designed[where] = place;
                else if (const auto it = designed.find(where); it != designed.end() && it->second != place)
                    fault(QStringLiteral("%1 is at %2, designed at %3")
                              .arg(where, rectText(place), rectText(it->second)));
            }
            if (auto* tabs = qobject_cast<QTabWidget*>(c)) {
                for (int page = 0; page < tabs->count(); ++page) {
                    tabs->setCurrentIndex(page);
                    QApplication::processEvents();
                    holder(tabs->widget(page), tabs->widget(page)->rect(),
                           where + QLatin1Char('/') + tabs->tabText(page));
                }
                tabs->setCurrentIndex(0);
            } else if (holdsControls(c)) {
                holder(c, c->rect(), where);
            }
        }
    }
};

// Triggers a menu command whose window is modal, lets `look` survey it, and closes it.
void surveyModal(Notepad& pad, Command command, const std::function<void(QWidget*)>& look) {
    bool seen = false;
    whenModal([&](QWidget* dialog) {
        seen = true;
        look(dialog);
        dialog->close();
    });
    pad.window->action(command)->trigger();
    QVERIFY2(seen, "the command opened no window");
}

void surveyEveryWindow(Notepad& pad, ServerUpdateChecker& updates, Survey& survey) {
    survey.window(pad.window.get(), QStringLiteral("主窗口"));

    pad.window->action(Command::Find)->trigger();
    QWidget* find = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->inherits("aquinepad::FindWindow"))
            find = w;
    QVERIFY(find);
    survey.window(find, QStringLiteral("查找"));
    find->close();

    surveyModal(pad, Command::Options, [&](QWidget* w) { survey.window(w, QStringLiteral("配置选项")); });
    surveyModal(pad, Command::LogoMode, [&](QWidget* w) {
        survey.window(w, QStringLiteral("Logo模式"));
        whenModal([&](QWidget* tutorial) {
            survey.window(tutorial, QStringLiteral("Logo语言简单教程"));
            tutorial->close();
        });
        w->findChild<QPushButton*>(QStringLiteral("按钮4"))->click();
    });
    surveyModal(pad, Command::ImageConversion, [&](QWidget* w) { survey.window(w, QStringLiteral("图片格式转换")); });
    surveyModal(pad, Command::Tools, [&](QWidget* w) { survey.window(w, QStringLiteral("工具")); });
    surveyModal(pad, Command::ShareDocument, [&](QWidget* w) { survey.window(w, QStringLiteral("分享文档")); });
    surveyModal(pad, Command::About, [&](QWidget* w) { survey.window(w, QStringLiteral("关于")); });

    // The download window, before and after it has fetched the links: its two buttons share one place
    // and only one of them shows at a time.
    QSignalSpy opened(&updates, &ServerUpdateChecker::downloadWindowOpened);
    pad.prompter.answerMessage(aquine::Prompter::Button::Yes);
    pad.window->action(Command::UpdateProgram)->trigger();
    QVERIFY(opened.wait(20000));
    auto* download = opened.at(0).at(0).value<DownloadWindow*>();
    QVERIFY(QTest::qWaitForWindowExposed(download));
    survey.window(download, QStringLiteral("下载更新"));
    QSignalSpy ended(download, &DownloadWindow::stepEnded);
    download->findChild<QPushButton*>(QStringLiteral("按钮1"))->click();
    QVERIFY(ended.wait(20000));
    survey.window(download, QStringLiteral("下载更新(链接已取得)"));
    download->close();
}

} // namespace

class WindowLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void noSkinMovesOrStacksTheControlsOfAnyWindow() {
        UpdateServer server("v1.1");
        QtSkinEngine engine;
        ServerUpdateChecker updates;
        Notepad pad(&engine, &updates);
        pad.window->startUp(std::nullopt);
        pad.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(pad.window.get()));

        Survey survey;
        for (const Look& look : kLooks) {
            const std::filesystem::path file =
                look.file.isEmpty() ? std::filesystem::path()
                                    : std::filesystem::path((kSkinsDir + QLatin1Char('/') + look.file).toStdString());
            engine.attachEx(file, "");
            QCOMPARE(engine.lastFailure(), std::string());
            survey.look = look.name;
            survey.recording = look.file.isEmpty();
            surveyEveryWindow(pad, updates, survey);
        }
        for (const QString& fault : survey.faults)
            qWarning().noquote() << fault;
        QVERIFY2(survey.faults.isEmpty(), qPrintable(QStringLiteral("%1 faults").arg(survey.faults.size())));
        QVERIFY(pad.failures.isEmpty());
    }
};

int main(int argc, char** argv) {
    // Chromium under the offscreen platform: no GPU, and no sandbox when the tests run as root.
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    aquine::prepareWebViews();
    QApplication app(argc, argv);
    WindowLayoutTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "window_layout_test.moc"
