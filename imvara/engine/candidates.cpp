// Candidate pages.
#include "imvara/engine/candidates.h"

namespace imvara {

int FixedMeasure::width(std::string_view gbk) const {
    int w = 0;
    for (std::size_t i = 0; i < gbk.size();) {
        const std::size_t n = aquine::gbk::charLength(gbk, i);
        w += n == 1 ? 6 : 12;
        i += n;
    }
    return w;
}

void CandidatePager::RefreshCandidates(std::string_view lookupText, std::string_view composition, bool paging,
                                       bool backward) {
    if (composition.empty()) {
        m_candidateLine.clear();
        return;
    }
    if (!paging) {
        freshLookup(lookupText, composition);
        return;
    }
    if (!backward) {
        if (m_pageNumber < static_cast<int>(m_pageCache.size())) {
            ++m_pageNumber;
            m_candidateLine = m_pageCache[m_pageNumber - 1];
            return;
        }
        // Past the last match there is nothing more to show: the current page stays as it is, so its
        // candidates stay selectable and Page Up still walks back through the history.
        if (m_scanPosition == kNotFound)
            return;
        m_candidateLine.clear();
        buildPage(lookupText, composition);
        if (!m_candidateLine.empty())
            m_pageCache.push_back(m_candidateLine);
        m_pageNumber = static_cast<int>(m_pageCache.size());
        return;
    }
    if (m_pageNumber > 1) {
        --m_pageNumber;
        m_candidateLine = m_pageCache[m_pageNumber - 1];
    } else if (m_pageNumber == 1) {
        freshLookup(lookupText, composition);
    }
}

void CandidatePager::freshLookup(std::string_view lookupText, std::string_view composition) {
    m_pageNumber = 0;
    m_candidateLine.clear();
    m_scanPosition = FindMatch(lookupText, composition, 1);
    buildPage(lookupText, composition);
    m_pageCache.clear();
    m_pageNumber = 0;
}

void CandidatePager::buildPage(std::string_view lookupText, std::string_view composition) {
    int n = 1;
    while (m_scanPosition != kNotFound) {
        if (const auto entry = ReadEntry(lookupText, m_scanPosition)) {
            const std::string text = CandidateText(entry->code, entry->word, composition);
            if (!IsDuplicate(text, m_candidateLine)) {
                const std::string item = std::to_string(n) + "." + text;
                if (m_measure.width(m_candidateLine + " " + item) > kCandidateLineWidth) {
                    if (!m_candidateLine.empty())
                        break; // the page is full; the next page starts with this match
                    // Too wide even alone on a page: it can never be shown, so it is skipped.
                } else {
                    m_candidateLine.append(" ").append(item);
                    ++n;
                }
            }
        }
        m_scanPosition = FindMatch(lookupText, composition, m_scanPosition + 1);
    }
    if (!m_candidateLine.empty())
        m_candidateLine.push_back(' ');
}

std::optional<std::string> CandidatePager::selectedText(char digit) const {
    const char key[3] = {digit, '.', '\0'};
    const auto at = m_candidateLine.find(key);
    if (at == std::string::npos)
        return std::nullopt;
    const std::string_view rest = std::string_view(m_candidateLine).substr(at + 2);
    const std::string_view raw = rest.substr(0, rest.find(' '));
    // Strip the hint letters (and digits and blanks), one whole character at a time so that a
    // second byte that looks like a letter is never cut out of a Chinese character.
    std::string text;
    for (std::size_t i = 0; i < raw.size();) {
        const std::size_t len = aquine::gbk::charLength(raw, i);
        const char c = raw[i];
        const bool strip = len == 1 && ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || c == ' ');
        if (!strip)
            text.append(raw.substr(i, len));
        i += len;
    }
    return std::string(aquine::gbk::trim(text));
}

} // namespace imvara
