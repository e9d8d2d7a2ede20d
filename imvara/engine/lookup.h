// The lookup text and its primitives. The lookup works directly on one GBK text, the built-in table
// followed by the user's words, every line preceded by CR LF; no index is built, so a match is one
// forward byte search and a page costs at most one pass over the text.
#pragma once

#include "common/gbk_text.h"
#include "common/result.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace imvara {

using aquine::gbk::kNotFound;
using aquine::gbk::Position; // 1-based byte position; kNotFound when none

// The user word file's name in the program folder.
inline constexpr std::string_view kWordFileName = "\\word.bin";

// The lookup text: the code table, then the user text, then CR LF, so that every line, built-in or
// user, is preceded by CR LF. Remembers where the built-in part ends.
class LookupText {
public:
    LookupText(std::string_view codeTable, std::string_view userText);

    const std::string& text() const { return m_text; }
    std::string_view codeTable() const { return std::string_view(m_text).substr(0, m_codeTableSize); }
    // Everything after the built-in part (the user text and the final CR LF).
    std::string_view userPart() const { return std::string_view(m_text).substr(m_codeTableSize); }
    // Rebuilds the text by the same rule with new user words.
    void setUserText(std::string_view userText);

private:
    std::string m_text;
    std::size_t m_codeTableSize;
};

// "\word.bin" in dir as every reader takes it: its bytes unchanged (bytes that are not GBK stay as
// they are; a line over 200 bytes is kept and simply never matches), an absent file as no bytes, and a
// file over kSettingsFileLimit, or one that cannot be read, as the reason why.
aquine::Result<std::string> ReadUserWordFile(const std::filesystem::path& dir);

// The built-in table joined with "\word.bin" from dir (an absent or unreadable file: no user words).
LookupText LoadLookupText(std::string_view codeTable, const std::filesystem::path& dir);

// The position of the CR of the first "CR LF + composition" at or after start, or kNotFound.
Position FindMatch(std::string_view lookupText, std::string_view composition, Position start);

struct Entry {
    std::string code;
    std::string word;
};

// The code and word of the line behind the CR LF at scanPosition. Nothing for a line without a blank,
// with an empty word, or that does not end within 200 bytes.
std::optional<Entry> ReadEntry(std::string_view lookupText, Position scanPosition);

// The word followed by the code letters not typed yet: zh + (zhong, 中) -> 中ong.
std::string CandidateText(std::string_view code, std::string_view word, std::string_view composition);

// Whether the candidate text already occurs anywhere in the candidate line being built.
bool IsDuplicate(std::string_view candidateText, std::string_view candidateLine);

// Every code whose line produces exactly text, in lookup order, one per line (CR LF between them).
std::string ReverseLookup(std::string_view lookupText, std::string_view text);

} // namespace imvara
