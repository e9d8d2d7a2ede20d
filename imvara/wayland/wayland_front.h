// The input method on wlroots compositors: the compositor's input-method-v2 protocol hands over the
// keyboard while a text field has the focus, and the keys go through the same KeyFront as under IBus.
// The composition is shown inline in the application, the candidates in a popup beside its text
// cursor; keys the input method does not take go on through a virtual keyboard with the same keymap.
#pragma once

#include "common/result.h"
#include "imvara/engine/key_front.h"
#include "imvara/wayland/xkb_keys.h"

#include <QImage>
#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <string>

class QSocketNotifier;

struct wl_buffer;
struct wl_compositor;
struct wl_display;
struct wl_registry;
struct wl_seat;
struct wl_shm;
struct wl_surface;
struct zwp_input_method_keyboard_grab_v2;
struct zwp_input_method_manager_v2;
struct zwp_input_method_v2;
struct zwp_input_popup_surface_v2;
struct zwp_virtual_keyboard_manager_v1;
struct zwp_virtual_keyboard_v1;
struct zwlr_layer_shell_v1;
struct zwlr_layer_surface_v1;
struct wl_registry_listener;
struct wl_buffer_listener;
struct zwp_input_method_v2_listener;
struct zwp_input_method_keyboard_grab_v2_listener;
struct zwp_input_popup_surface_v2_listener;
struct zwlr_layer_surface_v1_listener;

namespace imvara {

class WaylandFront : public QObject, private CommitSink {
    Q_OBJECT

public:
    // What open() gives: the front end, or why there is none. alreadyRunning: another input method
    // holds the seat, which is no error to a second start of ours.
    struct Opening {
        aquine::Result<std::unique_ptr<WaylandFront>> front;
        bool alreadyRunning = false;
    };

    // Whether the compositor named by $WAYLAND_DISPLAY offers input-method-v2 and virtual keyboards;
    // asked before Qt starts, to choose its platform.
    static bool compositorOffersInputMethod();
    // Connects to the compositor named by $WAYLAND_DISPLAY and becomes the input method of its seat.
    static Opening open(const TextMeasure& measure, LookupText& lookup);
    ~WaylandFront() override;

    Session& session() { return m_front.session(); }
    // Draws the candidate picture (the bar's look) from the session; set before the first key.
    void setPainter(std::function<QImage()> paint) { m_paint = std::move(paint); }

private:
    struct Buffer;
    WaylandFront(wl_display* display, const TextMeasure& measure, LookupText& lookup);

    void commit(const std::string& utf8) override { m_pendingCommit += utf8; }

    void readEvents();
    void applyActivation(bool active);
    void onKeymap(std::uint32_t format, int fd, std::uint32_t size);
    void onKey(std::uint32_t time, std::uint32_t key, std::uint32_t state);
    void onModifiers(const std::uint32_t (&mods)[4]);
    void repeatKey();
    void handleKey(std::uint32_t time, std::uint32_t key, bool pressed, bool repeated);
    // Handles the keys that came in while a commit was held back, until the next one is held.
    void drainKeys();
    void releaseHeldCommit();
    void passOn(std::uint32_t time, std::uint32_t key, bool pressed);
    // Sends what was committed and the composition, then brings the candidates up to date.
    void showState();
    void showCandidates(bool visible);
    void showPanel(const QImage& image);
    void hidePanel();
    wl_buffer* makeBuffer(const QImage& image);
    void sendVirtualKeymap(const std::string& text);

    // Protocol callbacks.
    static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t version);
    static void globalRemove(void*, wl_registry*, std::uint32_t) {}
    static const ::wl_registry_listener kRegistryListener;
    static const ::zwp_input_method_v2_listener kInputMethodListener;
    static const ::zwp_input_method_keyboard_grab_v2_listener kGrabListener;
    static const ::zwp_input_popup_surface_v2_listener kPopupListener;
    static const ::zwlr_layer_surface_v1_listener kLayerListener;
    static const ::wl_buffer_listener kBufferListener;

    wl_display* m_display;
    wl_registry* m_registry = nullptr;
    wl_compositor* m_compositor = nullptr;
    wl_shm* m_shm = nullptr;
    wl_seat* m_seat = nullptr;
    zwp_input_method_manager_v2* m_inputMethodManager = nullptr;
    zwp_virtual_keyboard_manager_v1* m_keyboardManager = nullptr;
    zwlr_layer_shell_v1* m_layerShell = nullptr;

    zwp_input_method_v2* m_inputMethod = nullptr;
    zwp_input_method_keyboard_grab_v2* m_grab = nullptr;
    zwp_virtual_keyboard_v1* m_virtualKeyboard = nullptr;
    wl_surface* m_popupSurface = nullptr;
    zwp_input_popup_surface_v2* m_popup = nullptr;
    wl_surface* m_panelSurface = nullptr;
    zwlr_layer_surface_v1* m_panel = nullptr;

    std::unique_ptr<QSocketNotifier> m_notifier;
    KeyFront m_front;
    XkbKeys m_keys;
    std::function<QImage()> m_paint;

    std::uint32_t m_doneCount = 0;   // the serial of our commits
    bool m_pendingActive = false;    // the activation the next done applies
    bool m_active = false;           // a text field has the input method
    bool m_unavailable = false;      // another input method holds the seat
    bool m_virtualKeymapSet = false; // the virtual keyboard has a keymap
    std::uint32_t m_mods[4] = {};    // the modifier state last heard from the grab
    bool m_popupPlaced = false;      // the compositor places our popup beside the text
    bool m_panelConfigured = false;  // the panel may take buffers
    bool m_candidatesShown = false;
    QImage m_panelImage;         // what the panel shows once configured
    std::string m_pendingCommit; // committed since the last commit request
    std::string m_shownPreedit;  // the composition as the application last heard of it
    std::string m_shownLine;     // the candidate line the popup shows

    // Commits wait for the application's answer to the composition it was last shown: some applications
    // (foot) drop a commit whose serial lags their own latest state, and showing a new composition
    // makes them send new state. Keys that come in meanwhile wait behind the commit, in order.
    struct RawKey {
        std::uint32_t time;
        std::uint32_t key;
        bool pressed;
        bool modifiers = false; // a change of modifiers instead, in mods
        std::uint32_t mods[4] = {};
    };
    std::deque<RawKey> m_keyQueue;
    bool m_answerPending = false; // a new composition shown, the application's state not yet back
    // Whether the application answers a new composition at all: one that never does (it keeps no
    // serial) has its commits sent at once after the first wait, one that has answered is waited for.
    enum class Answering { Unknown, Answers, Silent };
    Answering m_answering = Answering::Unknown;
    bool m_commitHeld = false; // the latest key's commit waits for that answer
    bool m_heldPassOn = false; // and the key goes on to the application after it
    RawKey m_heldKey{};
    QTimer m_answerWait; // how long an answer is waited for

    QTimer m_repeat;
    std::uint32_t m_repeatKeyCode = 0; // the evdev key held and repeated, when m_repeat runs
    std::uint32_t m_repeatTime = 0;
    int m_repeatRate = 25;   // keys a second; 0: no repeat
    int m_repeatDelay = 600; // ms before the first repeat
};

} // namespace imvara
