// Finding a text in the document's UTF-8 text, forward or backward from a position, with Latin letters
// matched in either case or not. The search runs over whole documents of 100 MB on each F3, so it scans
// with memmem rather than byte by byte.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace aquinepad {

enum class SearchDirection { Forward, Backward };

struct SearchRequest {
    std::string_view needle; // UTF-8
    bool matchCase = false;  // false: the ASCII letters A-Z and a-z match either case, nothing else folds
};

// Where an occurrence of the needle begins. Forward: the first one that begins at or after `from`.
// Backward: the last one that begins before `from`. An occurrence never begins or ends inside a
// character. Nothing for an empty needle, or when there is no such occurrence.
std::optional<std::size_t> findOccurrence(std::string_view text, const SearchRequest& request, std::size_t from,
                                          SearchDirection direction);

} // namespace aquinepad
