// The user's own words: the list shown in the word management window, edited entry by entry and
// saved after every change to "\word.bin" and into the lookup text, so the next lookup sees it.
#pragma once

#include "common/file_io.h"
#include "imvara/engine/lookup.h"

#include <filesystem>
#include <string>
#include <vector>

namespace imvara {

// What the window says to input that is blank once trimmed (UTF-8).
inline constexpr std::string_view kBlankEntryMessage = "编码为空,不能加入到自定义词汇中!";

class UserWords {
public:
    // The list from the lookup text's user part: its lines in order, blank ones left out. Entries are
    // kept exactly as typed (not trimmed, not checked for the "code word" form).
    static UserWords fromLookup(const LookupText& lookup);
    // The same from a user text as "\word.bin" holds it.
    static UserWords fromUserText(std::string_view userText);

    const std::vector<std::string>& entries() const { return m_entries; }

    // Each returns false and changes nothing for input that is blank once trimmed (or a bad index).
    bool add(std::string entry);
    bool modify(std::size_t index, std::string entry);
    bool remove(std::size_t index);

    // CR LF before every entry: begins with CR LF, no final line break; empty for no entries.
    std::string userText() const;

    // Puts the list into the lookup text, then writes "\word.bin" in dir through a temporary file.
    // The lookup text keeps the change even when the write fails; the failure is returned so the
    // window can tell the user, whose words would otherwise be gone at the next start.
    aquine::Result<> save(LookupText& lookup, const std::filesystem::path& dir) const;

    static bool isBlank(std::string_view entry);

private:
    std::vector<std::string> m_entries;
};

} // namespace imvara
