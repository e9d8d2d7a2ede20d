// Key events to session actions, for input-method frameworks that hand over every key and want to know
// whether to pass it on.
#include "imvara/engine/key_front.h"

#include "common/code_page.h"
#include "common/gbk_codec.h"
#include "common/unicode.h"

#include <algorithm>

namespace imvara {

namespace {

// The X keysyms the input method answers to.
constexpr std::uint32_t kKeyspace = 0x0020;
constexpr std::uint32_t kLastPrintable = 0x007e; // '~'
constexpr std::uint32_t kKeyBackSpaceSym = 0xff08;
constexpr std::uint32_t kKeyPageUpSym = 0xff55;
constexpr std::uint32_t kKeyPageDownSym = 0xff56;
constexpr std::uint32_t kKeyKpPageUp = 0xff9a;
constexpr std::uint32_t kKeyKpPageDown = 0xff9b;
constexpr std::uint32_t kKeyShiftL = 0xffe1;
constexpr std::uint32_t kKeyShiftR = 0xffe2;
constexpr std::uint32_t kKeyCapsLock = 0xffe5;

// Keys held with these are shortcuts of the application, never ours.
constexpr std::uint32_t kShortcutMask = kControlMask | kAltMask | kMod4Mask | kSuperMask | kHyperMask | kMetaMask;

bool isShift(std::uint32_t keysym) { return keysym == kKeyShiftL || keysym == kKeyShiftR; }

} // namespace

std::vector<CandidateItem> splitCandidateLine(std::string_view gbkLine) {
    std::vector<CandidateItem> items;
    std::size_t at = 0;
    while (at < gbkLine.size()) {
        const std::size_t end = std::min(gbkLine.find(' ', at), gbkLine.size());
        const std::string_view token = gbkLine.substr(at, end - at);
        at = end + 1;
        if (token.empty())
            continue;
        if (token.size() >= 2 && token[0] >= '1' && token[0] <= '9' && token[1] == '.') {
            items.push_back({std::string(1, token[0]), aquine::codec::gbkToUtf8(token.substr(2))});
        } else if (!items.empty()) {
            // A word with a blank in it: the rest of it belongs to the item before.
            items.back().text += ' ' + aquine::codec::gbkToUtf8(token);
        }
    }
    return items;
}

KeyFront::KeyFront(const TextMeasure& measure, LookupText& lookup, CommitSink& sink)
    : m_sink(sink), m_session(*this, measure, lookup) {
    m_session.start();
}

bool KeyFront::processKey(std::uint32_t keysym, std::uint32_t keycode, std::uint32_t state) {
    m_capsOn = (state & kLockMask) != 0;
    const std::uint32_t key = keycode != 0 ? keycode : keysym;
    if (state & kReleaseMask) {
        if (isShift(keysym) && m_shiftDown == keysym) {
            // Shift pressed and let go alone switches between Chinese and direct English input. The
            // letters typed so far are not thrown away: they go to the application as they are.
            m_shiftDown = 0;
            if (m_session.barVisible() && !m_session.Composition().empty()) {
                m_sink.commit(m_session.Composition());
                m_session.clearComposition();
            }
            m_session.ProcessKey(kKeyHide);
            return false;
        }
        if (keysym == kKeyCapsLock)
            m_session.capsWatcherTick();
        const auto swallowed = std::find(m_swallowed.begin(), m_swallowed.end(), key);
        if (swallowed == m_swallowed.end())
            return false;
        m_swallowed.erase(swallowed);
        return true;
    }
    if (isShift(keysym)) {
        m_shiftDown = (state & kShortcutMask) ? 0 : keysym;
        return false;
    }
    m_shiftDown = 0;
    if ((state & kShortcutMask) || keysym == kKeyCapsLock || !m_session.barVisible())
        return false;
    m_session.capsWatcherTick(); // a lock that came on unseen drops the composition first
    if (!press(keysym, state)) {
        if (keysym < kKeyspace || keysym > kLastPrintable)
            return false;
        // A character key we do not claim is committed as its character rather than passed back.
        // Frameworks answer keys asynchronously, and an application puts a key that was passed back
        // behind the text committed meanwhile: in fast typing, "ni1," + "hao " would arrive as 你好,.
        // Committed, it keeps its place among the commits.
        m_sink.commit(std::string(1, static_cast<char>(keysym)));
    }
    if (std::find(m_swallowed.begin(), m_swallowed.end(), key) == m_swallowed.end())
        m_swallowed.push_back(key);
    return true;
}

bool KeyFront::press(std::uint32_t keysym, std::uint32_t state) {
    const bool shift = (state & kShiftMask) != 0;
    const bool composing = !m_session.Composition().empty();
    if (keysym >= 'a' && keysym <= 'z' && !shift) {
        m_session.ProcessKey(std::string(1, static_cast<char>(keysym)));
        return true;
    }
    if (keysym >= 'A' && keysym <= 'Z' && !shift && m_capsOn) {
        // Caps Lock: the session types the capital itself.
        m_session.ProcessKey(std::string(1, static_cast<char>(keysym - 'A' + 'a')));
        return true;
    }
    // Everything else means something only while composing; otherwise the application gets the key.
    if (!composing || shift)
        return false;
    if ((keysym >= '1' && keysym <= '9') || keysym == kKeyspace) {
        m_session.ProcessKey(std::string(1, static_cast<char>(keysym)));
        return true;
    }
    switch (keysym) {
    case kKeyBackSpaceSym: m_session.ProcessKey(kKeyBackspace); return true;
    case kKeyPageUpSym:
    case kKeyKpPageUp: m_session.ProcessKey(kKeyPageUp); return true;
    case kKeyPageDownSym:
    case kKeyKpPageDown: m_session.ProcessKey(kKeyPageDown); return true;
    default: return false;
    }
}

void KeyFront::pageUp() {
    if (!m_session.Composition().empty())
        m_session.ProcessKey(kKeyPageUp);
}

void KeyFront::pageDown() {
    if (!m_session.Composition().empty())
        m_session.ProcessKey(kKeyPageDown);
}

void KeyFront::chooseOnPage(int index) {
    if (index >= 0 && index < 9 && !m_session.CandidateLine().empty())
        m_session.ProcessKey(std::string(1, static_cast<char>('1' + index)));
}

void KeyFront::reset() {
    m_shiftDown = 0;
    if (!m_session.Composition().empty())
        m_session.clearComposition();
}

CandidatePage KeyFront::candidatePage() const {
    CandidatePage page;
    page.items = splitCandidateLine(m_session.CandidateLine());
    if (page.items.empty())
        return page;
    const CandidatePager& pager = m_session.pager();
    page.hasPrevious = pager.PageNumber() > 0;
    page.hasNext = pager.PageNumber() < static_cast<int>(pager.PageCache().size()) || pager.ScanPosition() != kNotFound;
    return page;
}

int KeyFront::takeCapsLockReleases() {
    if (m_capsOn == m_capsReported)
        return 0;
    m_capsReported = m_capsOn;
    return 1;
}

void KeyFront::typeText(std::string_view bytes, CodePage codePage) {
    std::string utf8;
    for (const char32_t c : aquine::decodeCodePage(bytes, codePage))
        aquine::unicode::appendUtf8(c, utf8);
    if (!utf8.empty())
        m_sink.commit(utf8);
}

} // namespace imvara
