// The input method as input-method frameworks drive it: one key event at a time (an X keysym and the
// modifier state, the terms IBus, fcitx and xkb all use), answered with whether the key was ours, and
// the composition and the candidate page read back to show them inline and in the framework's popup.
// The same Session as the bar does the work, so every key means what it means there.
#pragma once

#include "imvara/engine/session.h"

#include <cstdint>
#include <string>
#include <vector>

namespace imvara {

// Modifier bits of a key event, with the values X11, IBus and fcitx share.
enum KeyState : std::uint32_t {
    kShiftMask = 1u << 0,
    kLockMask = 1u << 1,
    kControlMask = 1u << 2,
    kAltMask = 1u << 3, // Mod1
    kMod4Mask = 1u << 6,
    kSuperMask = 1u << 26,
    kHyperMask = 1u << 27,
    kMetaMask = 1u << 28,
    kReleaseMask = 1u << 30,
};

// Where committed text goes: the application, as UTF-8.
class CommitSink {
public:
    virtual ~CommitSink() = default;
    virtual void commit(const std::string& utf8) = 0;
};

// One candidate as the popup shows it: the number to press and the text (the word, then the code
// letters not typed yet), both UTF-8.
struct CandidateItem {
    std::string label;
    std::string text;
};

struct CandidatePage {
    std::vector<CandidateItem> items;
    bool hasPrevious = false;
    bool hasNext = false;
};

// The candidate line of the bar split into its numbered items, UTF-8.
std::vector<CandidateItem> splitCandidateLine(std::string_view gbkLine);

class KeyFront : private Keyboard {
public:
    KeyFront(const TextMeasure& measure, LookupText& lookup, CommitSink& sink);

    // A key press or release (kReleaseMask in state); keycode 0 when the framework has none. True: the
    // key was ours, and the application must not see it; false: pass it on untouched. In Chinese input,
    // a printable character the session does not claim is committed as that character, so that it
    // keeps its place among the commits.
    bool processKey(std::uint32_t keysym, std::uint32_t keycode, std::uint32_t state);

    // The framework's own page buttons and clicks on a candidate (0 = the first on the page).
    void pageUp();
    void pageDown();
    void chooseOnPage(int index);
    // The application asked to start afresh (a click elsewhere in its text, a new field): the
    // composition is dropped.
    void reset();

    void setOutputMode(OutputMode mode) { m_session.setOutputMode(mode); }
    OutputMode outputMode() const { return m_session.outputMode(); }
    // Chinese input, or direct English input after Shift alone.
    bool chinese() const { return m_session.barVisible(); }

    Session& session() { return m_session; }

    // The composition as typed (ASCII letters); empty: nothing to show inline.
    const std::string& preedit() const { return m_session.Composition(); }
    CandidatePage candidatePage() const;

private:
    bool press(std::uint32_t keysym, std::uint32_t state);

    // What the session asks of a keyboard: commits go to the sink, hot keys need no claiming here,
    // and Caps Lock is read off the key events.
    int registerHotKey(int entry, VirtualKey, Modifiers) override { return entry; }
    void unregisterHotKey(int) override {}
    void synthesizeKey(VirtualKey) override {}
    bool capsLockHeld() override { return false; }
    bool capsLockOn() override { return m_capsOn; }
    int takeCapsLockReleases() override;
    void typeText(std::string_view bytes, CodePage codePage) override;

    CommitSink& m_sink;
    Session m_session;
    bool m_capsOn = false;                  // the lock as the latest key event carried it
    bool m_capsReported = false;            // the lock as the session last heard of it
    std::uint32_t m_shiftDown = 0;          // the Shift keysym pressed with no other key since, or 0
    std::vector<std::uint32_t> m_swallowed; // keys whose press was ours: so is their release
};

} // namespace imvara
