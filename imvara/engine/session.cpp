// Key handling of the input method.
#include "imvara/engine/session.h"

#include "common/text_convert.h"

namespace imvara {

namespace {

constexpr std::array<std::string_view, 26> kLetters = {"a", "b", "c", "d", "e", "f", "g", "h", "i",
                                                       "j", "k", "l", "m", "n", "o", "p", "q", "r",
                                                       "s", "t", "u", "v", "w", "x", "y", "z"};
constexpr std::array<std::string_view, 9> kDigits = {"1", "2", "3", "4", "5", "6", "7", "8", "9"};

constexpr std::array<HotKey, kHotKeyCount> makeTable() {
    std::array<HotKey, kHotKeyCount> t{};
    for (int i = 0; i < 26; ++i)
        t[static_cast<std::size_t>(i)] = {0x41 + i, 0, kLetters[static_cast<std::size_t>(i)]};
    t[26] = {0x22, 0, kKeyPageDown};
    t[27] = {0x21, 0, kKeyPageUp};
    t[28] = {0, kModShift, kKeyHide};
    t[29] = {0x20, 0, " "};
    t[30] = {kVkBackspace, 0, kKeyBackspace};
    for (int i = 0; i < 9; ++i)
        t[static_cast<std::size_t>(31 + i)] = {0x31 + i, 0, kDigits[static_cast<std::size_t>(i)]};
    return t;
}

constexpr std::array<HotKey, kHotKeyCount> kTable = makeTable();

bool isLetterKey(std::string_view name) { return name.size() == 1 && name[0] >= 'a' && name[0] <= 'z'; }
bool isSelectionKey(std::string_view name) {
    return name.size() == 1 && (name[0] == ' ' || (name[0] >= '1' && name[0] <= '9'));
}

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
            ProcessKey(kTable[static_cast<std::size_t>(entry)].keyName);
            return;
        }
    }
}

void Session::ProcessKey(std::string_view keyName) {
    if (keyName == kKeyBackspace) {
        if (m_composition.empty()) {
            // Pass the Backspace on: release our claim so the synthesized key reaches the application.
            m_keyboard.unregisterHotKey(m_hotKeyIds[kEntryBackspace]);
            m_keyboard.synthesizeKey(kVkBackspace);
            registerEntry(kEntryBackspace);
        } else {
            m_composition.pop_back();
            refresh(false, false);
        }
        return;
    }
    if (isSelectionKey(keyName)) {
        select(keyName);
        return;
    }
    if (keyName == kKeyPageDown || keyName == kKeyPageUp) {
        refresh(true, keyName == kKeyPageUp);
        return;
    }
    if (keyName == kKeyHide) {
        m_barVisible = !m_barVisible;
        for (int entry = 0; entry < kHotKeyCount; ++entry) {
            if (entry == kEntryShiftAlone)
                continue;
            if (m_barVisible)
                registerEntry(entry);
            else
                m_keyboard.unregisterHotKey(m_hotKeyIds[static_cast<std::size_t>(entry)]);
        }
        m_keyboard.setBarVisible(m_barVisible);
        return;
    }
    if (!isLetterKey(keyName))
        return;
    if (CapsState()) {
        SendText(std::string(1, static_cast<char>(keyName[0] - 'a' + 'A')));
        return;
    }
    m_composition.append(keyName);
    refresh(false, false);
}

void Session::select(std::string_view keyName) {
    if (m_pager.CandidateLine().empty()) {
        SendText(keyName); // nothing to choose from: the digit or blank types itself
        return;
    }
    const auto text = m_pager.selectedText(keyName[0] == ' ' ? '1' : keyName[0]);
    if (!text)
        return;
    SendText(*text);
    m_composition.clear();
    m_pager.clearLine();
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
