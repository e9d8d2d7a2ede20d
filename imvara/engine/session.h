// The input method's key handling: the hot-key table, the composition, the bar's visibility, the Caps
// Lock state, candidate pages and selection, and the one path by which anything is typed. Driven
// like a session: the platform calls OnHotKey (or ProcessKey) and the Caps Lock tick, then reads the
// composition and the candidate line to draw the bar.
#pragma once

#include "imvara/engine/candidates.h"
#include "imvara/engine/keyboard.h"
#include "imvara/engine/lookup.h"

#include <array>
#include <string>
#include <string_view>

namespace imvara {

// Key names: "a".."z", "1".."9", " ", and these four (GBK text).
inline constexpr std::string_view kKeyPageDown = "\xBA\xF3\xB7\xAD";  // 后翻
inline constexpr std::string_view kKeyPageUp = "\xC7\xB0\xB7\xAD";    // 前翻
inline constexpr std::string_view kKeyHide = "\xD2\xFE\xB2\xD8";      // 隐藏
inline constexpr std::string_view kKeyBackspace = "\xCD\xCB\xB8\xF1"; // 退格

// What a hot key does; the table binds each key to one of these.
enum class KeyAction {
    Compose,      // a letter: appended to the composition (or typed as a capital under Caps Lock)
    Select,       // a digit or the blank: types that candidate (or itself, when nothing is offered)
    NextPage,     // 后翻
    PreviousPage, // 前翻
    ToggleBar,    // 隐藏: hides the bar and lets go of every other key, or shows it and claims them again
    Backspace,    // 退格: shortens the composition, or passes the key on when there is none
};

// One row of the hot-key table: the key, the modifiers held with it, what it does, and the key name
// ProcessKey knows it by.
struct HotKey {
    VirtualKey virtualKey;
    Modifiers modifiers;
    KeyAction action;
    std::string_view keyName;
};
inline constexpr int kHotKeyCount = 40;
inline constexpr int kEntryShiftAlone = 28;
inline constexpr int kEntryBackspace = 30;

// The table: entries 0-25 letters, 26 Page Down, 27 Page Up, 28 Shift alone, 29 Space, 30 Backspace,
// 31-39 digits 1-9. Add nothing in the middle: the entry numbers are the keys' identity, and the keys
// are claimed in this order.
const std::array<HotKey, kHotKeyCount>& hotKeyTable();

enum class OutputMode { Standard, Traditional, Big5, ShiftJis };

// Whoever shows the bar: the session reports when Shift alone hides or shows it.
class BarView {
public:
    virtual ~BarView() = default;
    virtual void setBarVisible(bool visible) = 0;
};

class WordFile;

class Session {
public:
    Session(Keyboard& keyboard, const TextMeasure& measure, LookupText& lookup);

    // Where the bar's visibility goes (none: nobody is told).
    void setBarView(BarView* view) { m_barView = view; }

    // The user's word file, checked before every fresh lookup so that words saved by another program
    // are found (none: the lookup text changes only through this program).
    void setWordFile(WordFile* wordFile) { m_wordFile = wordFile; }

    // Start-up: registers the 40 hot keys in entry order.
    void start();

    // A hot-key event: the entry whose identifier matches gets its action performed, once.
    void OnHotKey(int id);
    // The same by key name ("a", "1", " ", kKeyPageDown ...); a name no entry has does nothing.
    void ProcessKey(std::string_view keyName);

    // The Caps Lock query: counts presses itself after reading the keyboard's lock once.
    bool CapsState();
    // One tick of the Caps Lock watcher: Caps Lock on drops any pending composition.
    void capsWatcherTick();

    // Drops the composition and its candidates, as if every letter had been taken back.
    void clearComposition();

    // Types text through the output mode's conversion.
    void SendText(std::string_view gbk);

    void setOutputMode(OutputMode mode) { m_outputMode = mode; }
    OutputMode outputMode() const { return m_outputMode; }

    const std::string& Composition() const { return m_composition; }
    const std::string& CandidateLine() const { return m_pager.CandidateLine(); }
    const CandidatePager& pager() const { return m_pager; }
    bool barVisible() const { return m_barVisible; }
    int hotKeyId(int entry) const { return m_hotKeyIds[static_cast<std::size_t>(entry)]; }

private:
    void perform(int entry);
    void compose(char letter);
    void select(char key);
    void backspace(int entry);
    void toggleBar();
    void refresh(bool paging, bool backward);
    void registerEntry(int entry);

    Keyboard& m_keyboard;
    BarView* m_barView = nullptr;
    WordFile* m_wordFile = nullptr;
    LookupText& m_lookup;
    CandidatePager m_pager;
    std::string m_composition;
    std::array<int, kHotKeyCount> m_hotKeyIds{};
    bool m_barVisible = true;
    bool m_capsOn = false;
    bool m_capsInitialised = false;
    OutputMode m_outputMode = OutputMode::Standard;
};

// The bytes SendText types for text in an output mode, and their code page.
struct OutputBytes {
    std::string bytes;
    CodePage codePage;
};
OutputBytes convertForOutput(std::string_view gbk, OutputMode mode);

} // namespace imvara
