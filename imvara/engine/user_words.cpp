// User words.
#include "imvara/engine/user_words.h"

#include "common/gbk_text.h"
#include "common/program_dir.h"

namespace imvara {

UserWords UserWords::fromLookup(const LookupText& lookup) { return fromUserText(lookup.userPart()); }

UserWords UserWords::fromUserText(std::string_view userText) {
    UserWords words;
    for (std::string_view piece : aquine::gbk::splitLines(userText))
        if (!isBlank(piece))
            words.m_entries.emplace_back(piece);
    return words;
}

bool UserWords::isBlank(std::string_view entry) { return aquine::gbk::trim(entry).empty(); }

bool UserWords::add(std::string entry) {
    if (isBlank(entry))
        return false;
    m_entries.push_back(std::move(entry));
    return true;
}

bool UserWords::modify(std::size_t index, std::string entry) {
    if (index >= m_entries.size() || isBlank(entry))
        return false;
    m_entries[index] = std::move(entry);
    return true;
}

bool UserWords::remove(std::size_t index) {
    if (index >= m_entries.size())
        return false;
    m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
}

std::string UserWords::userText() const {
    std::string text;
    for (const std::string& entry : m_entries)
        text.append("\r\n").append(entry);
    return text;
}

aquine::Result<> UserWords::save(LookupText& lookup, const std::filesystem::path& dir) const {
    const std::string text = userText();
    lookup.setUserText(text);
    return aquine::writeFileAtomically(aquine::systemFile(dir, kWordFileName), text);
}

} // namespace imvara
