// The user's word file as every front end shares it: a cheap check that brings words saved by another
// program into the lookup text, and edits applied under a lock to what the file holds at that moment,
// so that no sequence of saves from two programs loses a word.
#pragma once

#include "common/result.h"
#include "imvara/engine/lookup.h"
#include "imvara/engine/user_words.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace imvara {

// An entry as the user saw it in the list: its text, and which of the entries with that same text it
// was (0: the first one), so that an edit finds it wherever it has moved meanwhile.
struct SeenEntry {
    std::string text;
    std::size_t occurrence = 0;
};
SeenEntry seenAt(const UserWords& words, std::size_t index);
// Where that entry is in words now: the same copy if it is still there, else the last copy of that
// text (they are alike), else none.
std::optional<std::size_t> findSeen(const UserWords& words, const SeenEntry& seen);
// Why an edit of an entry that is no longer there changes nothing.
aquine::Failure entryGone(const SeenEntry& seen);

// What an edit left: the words the file holds now (the list to show), and whether the edit reached
// the file (a failure says why, in Chinese, ready for the message box).
struct WordEdit {
    UserWords words;
    aquine::Result<> saved;
};

class WordFile {
public:
    explicit WordFile(std::filesystem::path dir);

    const std::filesystem::path& dir() const { return m_dir; }
    std::filesystem::path path() const;

    // Rebuilds the user part of the lookup text when the file changed since this object last read or
    // wrote it (one stat otherwise: no read when nothing changed). Returns whether it rebuilt. The file
    // is read by the rule the start-up load uses (ReadUserWordFile).
    bool reloadIfChanged(LookupText& lookup);
    // Whether the file differs from what this object last read or wrote.
    bool changed() const;
    // The words the file holds now, by the same rule; also rebuilds the lookup text from them.
    UserWords reload(LookupText& lookup);

    // Each edit locks the file against the other programs, reads it, applies the change to what it
    // holds, writes it through the one safe write and puts the result into the lookup text. A modify
    // or delete of an entry that is no longer there changes nothing and says so. When only the write
    // fails, the lookup text and the words keep the change, and the failure is returned.
    WordEdit add(LookupText& lookup, std::string entry);
    WordEdit modify(LookupText& lookup, const SeenEntry& seen, std::string entry);
    WordEdit remove(LookupText& lookup, const SeenEntry& seen);

private:
    struct Stamp {
        bool exists = false;
        std::uint64_t device = 0, inode = 0, size = 0;
        std::int64_t mtimeNs = 0;
        bool operator==(const Stamp&) const = default;
    };
    Stamp stampNow() const;
    template <class Change> WordEdit edit(LookupText& lookup, Change change);

    std::filesystem::path m_dir;
    Stamp m_seen;
    bool m_loaded = false; // whether m_seen names what the lookup text holds
};

} // namespace imvara
