// imvara-ibus: the input method as an IBus engine, for GNOME, KDE and every GTK and Qt application that
// talks to IBus. ibus-daemon starts it from the component file with --ibus; it then serves engines
// until the daemon goes away. A Qt program: Qt runs GLib's main loop on Linux, and libibus's calls
// arrive on it, beside the windows of the engine's menu.
#include "common/program_dir.h"
#include "common/qt/app_setup.h"
#include "common/qt/qt_prompter.h"
#include "common/user_files.h"
#include "imvara/engine/code_table.h"
#include "imvara/engine/word_file.h"
#include "imvara/ibus/ibus_engine.h"
#include "imvara/ui/bar_window.h"
#include "imvara/ui/dialogs.h"

#include <ibus.h>

#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <cstdio>
#include <cstring>

namespace {

// The component's name on the bus: ibus-daemon waits for it after starting us.
constexpr const char* kComponentName = "org.freedesktop.IBus.Imvara";

// The menu's windows, one of each at a time, in the middle of the screen: an engine has no bar to
// sit above.
class MenuWindows {
public:
    MenuWindows(imvara::LookupText& lookup, imvara::WordFile& wordFile, aquine::Prompter& prompter)
        : m_lookup(lookup), m_wordFile(wordFile), m_prompter(prompter) {}

    void open(imvara::IbusEngineShared::Window which) {
        switch (which) {
        case imvara::IbusEngineShared::Window::Words:
            show<imvara::WordWindow>(m_words, m_lookup, m_wordFile.dir(), m_prompter);
            break;
        case imvara::IbusEngineShared::Window::Reverse:
            show<imvara::ReverseWindow>(m_reverse, m_lookup, &m_wordFile);
            break;
        case imvara::IbusEngineShared::Window::Version: show<imvara::VersionWindow>(m_version); break;
        }
    }

private:
    template <class W, class... Args> void show(QPointer<QWidget>& window, Args&&... args) {
        if (!window) {
            window = new W(nullptr, std::forward<Args>(args)...);
            window->setAttribute(Qt::WA_DeleteOnClose);
            if (const QScreen* screen = QGuiApplication::primaryScreen()) {
                QRect frame = window->frameGeometry();
                frame.moveCenter(screen->availableGeometry().center());
                window->move(frame.topLeft());
            }
        }
        window->show();
        window->raise();
        window->activateWindow();
    }

    imvara::LookupText& m_lookup;
    imvara::WordFile& m_wordFile;
    aquine::Prompter& m_prompter;
    QPointer<QWidget> m_words;
    QPointer<QWidget> m_reverse;
    QPointer<QWidget> m_version;
};

void quitWhenDisconnected(IBusBus* /*bus*/, gpointer /*data*/) { QCoreApplication::quit(); }

} // namespace

int main(int argc, char** argv) {
    const bool startedByDaemon = argc > 1 && std::strcmp(argv[1], "--ibus") == 0;
    if (argc > 1 && !startedByDaemon) {
        std::fprintf(stderr, "用法：imvara-ibus [--ibus]\n由 ibus-daemon 按组件文件 imvara.xml 启动；"
                             "不带参数时自己向 IBus 登记引擎 imvara。\n");
        return 2;
    }
    // The engine's own windows type through IBus too, so a word's characters can be typed into the word
    // window with this very engine. Qt's IBus module asks asynchronously, so the request it sends out
    // comes back to this process's loop without waiting on it.
    qputenv("QT_IM_MODULE", "ibus");
    aquine::prepareChineseLocale();
    QApplication app(argc, argv);
    aquine::setUpApplication(app);
    QApplication::setQuitOnLastWindowClosed(false);

    ibus_init();
    IBusBus* bus = ibus_bus_new();
    if (!ibus_bus_is_connected(bus)) {
        std::fprintf(stderr, "imvara-ibus: 连接不上 IBus：ibus-daemon 没有运行（可用 ibus-daemon -drx 启动）\n");
        return 1;
    }
    g_signal_connect(bus, "disconnected", G_CALLBACK(quitWhenDisconnected), nullptr);

    const std::filesystem::path dir = aquine::programDirectory();
    // The same words as the bar: beside the program, or in the user's data folder for an installed copy.
    const std::filesystem::path wordDir =
        aquine::userFile(dir, imvara::kWordFileName, aquine::UserFolder::Data).parent_path();
    // Every engine checks the file before a fresh lookup, so words the bar or the word window saved
    // are found by the next one.
    imvara::LookupText lookup(imvara::CodeTable(), "");
    imvara::WordFile wordFile(wordDir);
    wordFile.reloadIfChanged(lookup);
    const imvara::QtTextMeasure measure(imvara::barFont());
    aquine::QtPrompter prompter;
    MenuWindows windows(lookup, wordFile, prompter);
    imvara::IbusEngineShared shared{lookup, measure, &wordFile};
    shared.openWindow = [&windows](imvara::IbusEngineShared::Window which) { windows.open(which); };

    IBusFactory* factory = ibus_factory_new(ibus_bus_get_connection(bus));
    imvara::addIbusEngine(factory, shared);
    if (startedByDaemon) {
        ibus_bus_request_name(bus, kComponentName, 0);
    } else {
        IBusComponent* component =
            ibus_component_new(kComponentName, "全拼输入法", PROJECT_VERSION_TEXT, "", "Aquine", "", "", "imvara");
        ibus_component_add_engine(component, ibus_engine_desc_new(imvara::kIbusEngineName, "全拼", "全拼输入法",
                                                                  "zh_CN", "", "Aquine", "", "us"));
        ibus_bus_register_component(bus, component);
    }
    const int status = app.exec();
    g_object_unref(factory);
    g_object_unref(bus);
    return status;
}
