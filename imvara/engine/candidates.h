// The candidate line: one page of numbered candidates that fits the bar's 286-pixel label, paging
// forwards by scanning on and backwards through the pages already built, and the selection rule that
// turns a digit into the text to type.
#pragma once

#include "imvara/engine/lookup.h"
#include "imvara/engine/text_measure.h"

#include <optional>
#include <string>
#include <vector>

namespace imvara {

inline constexpr int kCandidateLineWidth = 286;

class CandidatePager {
public:
    explicit CandidatePager(const TextMeasure& measure) : m_measure(measure) {}

    // paging false: fresh lookup of composition. paging true: next page, or previous when backward.
    void RefreshCandidates(std::string_view lookupText, std::string_view composition, bool paging, bool backward);

    // For the digit '1'..'9': the text to type, its hint letters stripped; nothing when the page has no
    // such candidate. Only meaningful when the candidate line is not empty.
    std::optional<std::string> selectedText(char digit) const;

    // After a selection: the line is emptied; the page history stays until the next fresh lookup.
    void clearLine() { m_candidateLine.clear(); }

    const std::string& CandidateLine() const { return m_candidateLine; }
    int PageNumber() const { return m_pageNumber; }
    const std::vector<std::string>& PageCache() const { return m_pageCache; }
    Position ScanPosition() const { return m_scanPosition; }

private:
    void freshLookup(std::string_view lookupText, std::string_view composition);
    void buildPage(std::string_view lookupText, std::string_view composition);

    const TextMeasure& m_measure;
    std::string m_candidateLine;
    std::vector<std::string> m_pageCache; // pages after the first, in order
    int m_pageNumber = 0;                 // 0: first page; k: m_pageCache[k - 1]
    Position m_scanPosition = kNotFound;  // the first match not yet on a page
};

} // namespace imvara
