// One search of the document from the selection, on the editor's own positions: UTF-8 bytes between
// characters.
#include "aquinepad/find/find_in_document.h"

namespace aquinepad {

FindOutcome FindInDocument(TextEditor& editor, const SearchState& state, SearchDirection direction) {
    // While the text is hidden, a search would tell what the document holds.
    if (state.LastSearchText.empty() || !editor.isTextVisible())
        return FindOutcome::NothingToFind;
    const TextRange selection = editor.selection();
    const std::size_t from = direction == SearchDirection::Forward ? selection.end : selection.start;
    const auto at = findOccurrence(editor.textView(), {state.LastSearchText, state.MatchCase}, from, direction);
    if (!at)
        return FindOutcome::NotFound;
    editor.setSelection({*at, *at + state.LastSearchText.size()});
    return FindOutcome::Found;
}

std::string notFoundMessage(std::string_view searchText) {
    std::string message = "未找到指定文本“";
    message += searchText;
    message += "”";
    return message;
}

} // namespace aquinepad
