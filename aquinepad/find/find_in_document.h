// The find rules of the notepad: what the search remembers between searches, and one search of the
// document from the current selection, as "查找下一个" (F3), "查找上一个" (Shift+F3) and the find
// window's buttons run it.
#pragma once

#include "aquinepad/editor/text_editor.h"
#include "aquinepad/find/text_search.h"

#include <string>
#include <string_view>

namespace aquinepad {

// Kept for the whole run of the program; only the find window's buttons change it.
struct SearchState {
    std::string LastSearchText; // UTF-8
    bool MatchCase = false;
};

enum class FindOutcome {
    NothingToFind, // no search text yet, or the text is hidden: nothing happens, nothing is shown
    Found,         // the occurrence is selected
    NotFound,      // the selection is unchanged; the user is told
};

// Forward: the first occurrence from the end of the selection on. Backward: the last one that begins
// before the start of the selection. Never wraps around to the other end of the document.
FindOutcome FindInDocument(TextEditor& editor, const SearchState& state, SearchDirection direction);

// The not-found message for a search text, UTF-8: "未找到指定文本“…”".
std::string notFoundMessage(std::string_view searchText);

} // namespace aquinepad
