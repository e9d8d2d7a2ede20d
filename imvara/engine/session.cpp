// Key handling of the input method: the hot-key table binds keys to actions, and the session performs
// the action of whichever entry fired, whether it came as a hot-key identifier or as a key name.
#include "imvara/engine/session.h"

#include "common/text_convert.h"
#include "imvara/engine/word_file.h"

#include <string>

namespace imvara {

namespace {

// One row per entry, in entry order.
constexpr std::array<HotKey, kHotKeyCount> kTable = {{
    {VirtualKey::A, Modifiers::NoModifier, KeyAction::Compose, "a"},
    {VirtualKey::B, Modifiers::NoModifier, KeyAction::Compose, "b"},
    {VirtualKey::C, Modifiers::NoModifier, KeyAction::Compose, "c"},
    {VirtualKey::D, Modifiers::NoModifier, KeyAction::Compose, "d"},
    {VirtualKey::E, Modifiers::NoModifier, KeyAction::Compose, "e"},
    {VirtualKey::F, Modifiers::NoModifier, KeyAction::Compose, "f"},
    {VirtualKey::G, Modifiers::NoModifier, KeyAction::Compose, "g"},
    {VirtualKey::H, Modifiers::NoModifier, KeyAction::Compose, "h"},
    {VirtualKey::I, Modifiers::NoModifier, KeyAction::Compose, "i"},
    {VirtualKey::J, Modifiers::NoModifier, KeyAction::Compose, "j"},
    {VirtualKey::K, Modifiers::NoModifier, KeyAction::Compose, "k"},
    {VirtualKey::L, Modifiers::NoModifier, KeyAction::Compose, "l"},
    {VirtualKey::M, Modifiers::NoModifier, KeyAction::Compose, "m"},
    {VirtualKey::N, Modifiers::NoModifier, KeyAction::Compose, "n"},
    {VirtualKey::O, Modifiers::NoModifier, KeyAction::Compose, "o"},
    {VirtualKey::P, Modifiers::NoModifier, KeyAction::Compose, "p"},
    {VirtualKey::Q, Modifiers::NoModifier, KeyAction::Compose, "q"},
    {VirtualKey::R, Modifiers::NoModifier, KeyAction::Compose, "r"},
    {VirtualKey::S, Modifiers::NoModifier, KeyAction::Compose, "s"},
    {VirtualKey::T, Modifiers::NoModifier, KeyAction::Compose, "t"},
    {VirtualKey::U, Modifiers::NoModifier, KeyAction::Compose, "u"},
    {VirtualKey::V, Modifiers::NoModifier, KeyAction::Compose, "v"},
    {VirtualKey::W, Modifiers::NoModifier, KeyAction::Compose, "w"},
    {VirtualKey::X, Modifiers::NoModifier, KeyAction::Compose, "x"},
    {VirtualKey::Y, Modifiers::NoModifier, KeyAction::Compose, "y"},
    {VirtualKey::Z, Modifiers::NoModifier, KeyAction::Compose, "z"},
    {VirtualKey::PageDown, Modifiers::NoModifier, KeyAction::NextPage, kKeyPageDown},
    {VirtualKey::PageUp, Modifiers::NoModifier, KeyAction::PreviousPage, kKeyPageUp},
    {VirtualKey::NoKey, Modifiers::Shift, KeyAction::ToggleBar, kKeyHide}, // Shift alone
    {VirtualKey::Space, Modifiers::NoModifier, KeyAction::Select, " "},
    {VirtualKey::Backspace, Modifiers::NoModifier, KeyAction::Backspace, kKeyBackspace},
    {VirtualKey::Digit1, Modifiers::NoModifier, KeyAction::Select, "1"},
    {VirtualKey::Digit2, Modifiers::NoModifier, KeyAction::Select, "2"},
    {VirtualKey::Digit3, Modifiers::NoModifier, KeyAction::Select, "3"},
    {VirtualKey::Digit4, Modifiers::NoModifier, KeyAction::Select, "4"},
    {VirtualKey::Digit5, Modifiers::NoModifier, KeyAction::Select, "5"},
    {VirtualKey::Digit6, Modifiers::NoModifier, KeyAction::Select, "6"},
    {VirtualKey::Digit7, Modifiers::NoModifier, KeyAction::Select, "7"},
    {VirtualKey::Digit8, Modifiers::NoModifier, KeyAction::Select, "8"},
    {VirtualKey::Digit9, Modifiers::NoModifier, KeyAction::Select, "9"},
}};

static_assert(kTable[kEntryShiftAlone].action == KeyAction::ToggleBar);
static_assert(kTable[kEntryBackspace].action == KeyAction::Backspace);

} // namespace

const std::array<HotKey, kHotKeyCount>& hotKeyTable() { return kTable; }

OutputBytes convertForOutput(std::string_view gbk, OutputMode mode) {
    switch (mode) {
    case OutputMode::Traditional: return {aquine::ToTraditional(gbk), CodePage::Gbk};
    case OutputMode::Big5: return {aquine::ToBig5(gbk), CodePage::Big5};
    case OutputMode::ShiftJis: return {aquine::ToShiftJis(gbk), CodePage::ShiftJis};
    case OutputMode::Standard: break;
    }
    return {std::string(gbk), CodePage::Gbk};
}

Session::Session(Keyboard& keyboard, const TextMeasure& measure, LookupText& lookup)
    : m_keyboard(keyboard), m_lookup(lookup), m_pager(measure) {}

void Session::start() {
    for (int entry = 0; entry < kHotKeyCount; ++entry)
        registerEntry(entry);
}

void Session::registerEntry(int entry) {
    const HotKey& key = kTable[static_cast<std::size_t>(entry)];
    m_hotKeyIds[static_cast<std::size_t>(entry)] = m_keyboard.registerHotKey(entry, key.virtualKey, key.modifiers);
}

void Session::OnHotKey(int id) {
    for (int entry = 0; entry < kHotKeyCount; ++entry) {
        if (m_hotKeyIds[static_cast<std::size_t>(entry)] == id) {
            perform(entry);
            return;
        }
    }
}

void Session::ProcessKey(std::string_view keyName) {
    for (int entry = 0; entry < kHotKeyCount; ++entry) {
        if (kTable[static_cast<std::size_t>(entry)].keyName == keyName) {
            perform(entry);
            return;
        }
    }
}

void Session::perform(int entry) {
    const HotKey& key = kTable[static_cast<std::size_t>(entry)];
    switch (key.action) {
    case KeyAction::Compose: compose(key.keyName[0]); return;
    case KeyAction::Select: select(key.keyName[0]); return;
    case KeyAction::NextPage: refresh(true, false); return;
    case KeyAction::PreviousPage: refresh(true, true); return;
    case KeyAction::ToggleBar: toggleBar(); return;
    case KeyAction::Backspace: backspace(entry); return;
    }
}

void Session::compose(char letter) {
    if (CapsState()) {
        SendText(std::string(1, static_cast<char>(letter - 'a' + 'A')));
        return;
    }
    // A fresh lookup may take new user words; later letters keep scanning the text the first one saw.
    if (m_composition.empty() && m_wordFile)
        m_wordFile->reloadIfChanged(m_lookup);
    m_composition.push_back(letter);
    refresh(false, false);
}

void Session::select(char key) {
    if (m_pager.CandidateLine().empty()) {
        SendText(std::string_view(&key, 1)); // nothing to choose from: the digit or blank types itself
        return;
    }
    const auto text = m_pager.selectedText(key == ' ' ? '1' : key);
    if (!text)
        return;
    SendText(*text);
    m_composition.clear();
    m_pager.clearLine();
}

void Session::backspace(int entry) {
    if (!m_composition.empty()) {
        m_composition.pop_back();
        refresh(false, false);
        return;
    }
    // Pass the Backspace on: release our claim so the synthesized key reaches the application.
    m_keyboard.unregisterHotKey(m_hotKeyIds[static_cast<std::size_t>(entry)]);
    m_keyboard.synthesizeKey(kTable[static_cast<std::size_t>(entry)].virtualKey);
    registerEntry(entry);
}

void Session::toggleBar() {
    m_barVisible = !m_barVisible;
    // The key that toggles stays claimed, or the bar could never come back.
    for (int entry = 0; entry < kHotKeyCount; ++entry) {
        if (kTable[static_cast<std::size_t>(entry)].action == KeyAction::ToggleBar)
            continue;
        if (m_barVisible)
            registerEntry(entry);
        else
            m_keyboard.unregisterHotKey(m_hotKeyIds[static_cast<std::size_t>(entry)]);
    }
    if (m_barView)
        m_barView->setBarVisible(m_barVisible);
}

void Session::clearComposition() {
    m_composition.clear();
    refresh(false, false);
}

void Session::refresh(bool paging, bool backward) {
    m_pager.RefreshCandidates(m_lookup.text(), m_composition, paging, backward);
}

bool Session::CapsState() {
    if (!m_capsInitialised) {
        // The keyboard's own lock state is read once, when Caps Lock is not held; from then on every
        // completed press flips our state exactly once.
        if (m_keyboard.capsLockHeld())
            return m_capsOn;
        m_capsOn = m_keyboard.capsLockOn();
        m_keyboard.takeCapsLockReleases();
        m_capsInitialised = true;
        return m_capsOn;
    }
    if (m_keyboard.takeCapsLockReleases() % 2 != 0)
        m_capsOn = !m_capsOn;
    return m_capsOn;
}

void Session::capsWatcherTick() {
    if (CapsState() && !m_composition.empty()) {
        m_composition.clear();
        refresh(false, false);
    }
}

void Session::SendText(std::string_view gbk) {
    if (gbk.empty())
        return;
    const OutputBytes out = convertForOutput(gbk, m_outputMode);
    m_keyboard.typeText(out.bytes, out.codePage);
}

} // namespace imvara
