// The input method's keyboard on X11: the hot keys are passive grabs on the root window, Shift alone
// and Caps Lock are read from XInput2 raw key events (which arrive whatever is grabbed) and from the
// keys we take while we hold the keyboard, and text is typed into the focused window through XTest
// with spare keycodes bound to each character, in the order of the keys that produced it.
#pragma once

#include "common/result.h"
#include "imvara/engine/keyboard.h"
#include "imvara/x11/send_queue.h"
#include "imvara/x11/spare_key_pool.h"

#include <QObject>
#include <QTimer>
#include <array>
#include <deque>
#include <map>
#include <memory>
#include <vector>

class QSocketNotifier;
typedef struct _XDisplay Display;
typedef union _XEvent XEvent;

namespace imvara {

class X11Keyboard : public QObject, public Keyboard, private KeySender {
    Q_OBJECT

public:
    // What open() gives: the keyboard, or the reason there is none. alreadyRunning tells a second start
    // on the same display, which is no error to the caller, from a display that cannot serve.
    struct Opening {
        aquine::Result<std::unique_ptr<X11Keyboard>> keyboard;
        bool alreadyRunning = false;
    };

    // A keyboard on the display named by $DISPLAY; none when there is no X server, it lacks XTest or
    // XInput 2, or another input method of ours already runs on it: two would fight over the same keys.
    static Opening open();
    ~X11Keyboard() override;

    int registerHotKey(int entry, VirtualKey key, Modifiers modifiers) override;
    void unregisterHotKey(int id) override;
    void synthesizeKey(VirtualKey key) override;
    bool capsLockHeld() override;
    bool capsLockOn() override;
    int takeCapsLockReleases() override;
    void typeText(std::string_view bytes, CodePage codePage) override;

signals:
    // A hot key was pressed: the identifier registerHotKey returned for it. Delivered while the keyboard
    // is held, so what the receiver types keeps its place among the keys around it; connect directly.
    void hotKeyPressed(int id);
    // Caps Lock was released, so the watcher runs when something can have changed.
    void capsLockReleased();

private:
    struct Grab {
        int keycode;
        unsigned modifiers;
    };

    struct DisplayCloser {
        void operator()(Display* display) const;
    };
    using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

    X11Keyboard(DisplayPtr connection, int xiOpcode);
    Display* display() const { return m_display.get(); }
    void readEvents();
    void handle(XEvent& event);
    void handleKeyPress(const XEvent& event);
    // A key that reached us: a hot key is handled (its output queued), any other is queued as it is.
    void takeKey(const XEvent& event);
    int hotKeyOf(const XEvent& event) const;
    std::vector<XEvent> takeFrozenKeys();
    // Takes every key queued up in the server, then sends the output queue as far as it can go;
    // while some of it waits, the keyboard stays ours so that later keys queue up behind it.
    void pump();
    void hold();
    void releaseKeyboard();
    // Shift alone or a Caps Lock release, at the server's time of the key. Fed by raw events, and by
    // the keys we take while we hold the keyboard (the server sends no raw events for those).
    struct RawAction {
        unsigned long time;
        bool shiftAlone; // else Caps Lock released
    };
    void handleRawKey(int keycode, bool press, unsigned long time, bool raw);
    void takeRawAction(RawAction action);
    void performRawActions(unsigned long before);
    void finishOutput(); // at the end: waiting output goes out, bindings are cleared when they may be
    void grabKey(const Grab& grab, bool on);
    void scheduleRead();
    void restoreSpareKeys();
    void clearOurLeftovers();
    void markSpareKeys();
    Millis now() const;
    static Millis spareKeyQuarantine();

    void bindSpareKey(int keycode, std::uint32_t keysym) override;
    void typeSpareKey(int keycode) override;
    void passOnKey(int keycode, unsigned modifiers) override;
    std::vector<int> liftModifiers(const char* keys, unsigned keep);

    DisplayPtr m_display; // first, so that it closes after everything else has let go of it
    int m_xiOpcode;
    QSocketNotifier* m_notifier = nullptr;
    QTimer m_restoreTimer;
    QTimer m_retryTimer; // output waits for a spare keycode to come out of quarantine
    unsigned long m_marksAtom = 0;
    unsigned m_numLockMask = 0;
    std::vector<Grab> m_modifierKeys; // the keycodes of Shift, Ctrl and Alt, with their mask
    int m_capsKeycode = 0;
    int m_shiftKeycodes[2] = {0, 0};
    int m_keysymsPerKeycode = 1;
    std::unique_ptr<SpareKeyPool> m_spareKeys;
    std::unique_ptr<SendQueue> m_queue;

    int m_nextId = 0xC000;
    std::map<int, Grab> m_grabs; // hot-key id -> grabbed key
    int m_shiftAloneId = -1;
    bool m_shiftAlone = false;
    bool m_holding = false; // the keyboard is ours: keys come to us, in order, one at a time
    bool m_pumping = false;
    std::deque<RawAction> m_rawActions;          // waiting for the keys pressed before them
    std::array<unsigned long, 256> m_lastSeen{}; // per keycode: time and press of the last event
    std::array<int, 256> m_ownModifierEvents{};  // raw events still to come of modifiers we let up
    bool m_capsHeld = false;
    int m_capsReleases = 0;
};

} // namespace imvara
