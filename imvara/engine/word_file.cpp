// The shared word file: stat stamps for the cheap check, an flock beside the file for the edits.
#include "imvara/engine/word_file.h"

#include "common/gbk_codec.h"
#include "common/program_dir.h"

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace imvara {

namespace {

// Kept for good: removing it would let a program that waits on the old one lock a file nobody else sees.
constexpr std::string_view kLockFileName = "\\.word.bin.lock";

// Held while a program reads and rewrites the file. The safe write replaces the file by a rename, so
// the lock lives on a file of its own; in a folder where it cannot be made the file is written in
// place, and the file itself is locked. Where neither opens, nothing is there to protect: the write
// that follows fails and says why.
class FileLock {
public:
    FileLock(const std::filesystem::path& dir, int operation) {
        m_fd = ::open(aquine::systemFile(dir, kLockFileName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0644);
        if (m_fd < 0)
            m_fd = ::open(aquine::systemFile(dir, kWordFileName).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (m_fd >= 0)
            while (::flock(m_fd, operation) != 0 && errno == EINTR) {
            }
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock() {
        if (m_fd >= 0)
            ::close(m_fd); // closing lets go of the lock
    }

private:
    int m_fd = -1;
};

} // namespace

SeenEntry seenAt(const UserWords& words, std::size_t index) {
    SeenEntry seen{words.entries().at(index), 0};
    for (std::size_t i = 0; i < index; ++i)
        seen.occurrence += words.entries()[i] == seen.text ? 1 : 0;
    return seen;
}

std::optional<std::size_t> findSeen(const UserWords& words, const SeenEntry& seen) {
    std::optional<std::size_t> last;
    std::size_t copies = 0;
    for (std::size_t i = 0; i < words.entries().size(); ++i) {
        if (words.entries()[i] != seen.text)
            continue;
        if (copies++ == seen.occurrence)
            return i;
        last = i;
    }
    return last;
}

aquine::Failure entryGone(const SeenEntry& seen) {
    return aquine::fail("词条“" + aquine::codec::gbkToUtf8(seen.text) +
                        "”已被另一个程序修改或删除，列表已按词库文件更新。");
}

WordFile::WordFile(std::filesystem::path dir) : m_dir(std::move(dir)) {}

std::filesystem::path WordFile::path() const { return aquine::systemFile(m_dir, kWordFileName); }

WordFile::Stamp WordFile::stampNow() const {
    struct stat st {};
    if (::stat(path().c_str(), &st) != 0)
        return {};
    return {true, static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::uint64_t>(st.st_size),
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

bool WordFile::changed() const { return !m_loaded || stampNow() != m_seen; }

bool WordFile::reloadIfChanged(LookupText& lookup) {
    if (!changed())
        return false;
    reload(lookup);
    return true;
}

UserWords WordFile::reload(LookupText& lookup) {
    const FileLock lock(m_dir, LOCK_SH); // a file written in place is never read half way
    // Stamped before the read: a change that lands in between is seen by the next check.
    const Stamp stamp = stampNow();
    const auto bytes = ReadUserWordFile(m_dir);
    lookup.setUserText(bytes ? std::string_view(*bytes) : std::string_view());
    m_seen = stamp;
    m_loaded = true;
    return UserWords::fromLookup(lookup);
}

template <class Change> WordEdit WordFile::edit(LookupText& lookup, Change change) {
    const FileLock lock(m_dir, LOCK_EX);
    const Stamp before = stampNow();
    const auto bytes = ReadUserWordFile(m_dir);
    if (!bytes) {
        // What cannot be read is not replaced: the user's words may all be in it.
        return {UserWords::fromLookup(lookup), aquine::fail("无法读取词库文件，这次修改没有保存！\n" + bytes.reason())};
    }
    lookup.setUserText(*bytes);
    m_seen = before;
    m_loaded = true;
    UserWords words = UserWords::fromUserText(*bytes);
    if (aquine::Result<> applied = change(words); !applied)
        return {std::move(words), std::move(applied)};
    const aquine::Result<> written = words.save(lookup, m_dir);
    if (!written)
        return {std::move(words), aquine::fail("保存文件失败！\n" + written.reason())};
    m_seen = stampNow(); // still under the lock: nobody else has written since
    return {std::move(words), {}};
}

WordEdit WordFile::add(LookupText& lookup, std::string entry) {
    return edit(lookup, [&](UserWords& words) -> aquine::Result<> {
        if (!words.add(std::move(entry)))
            return aquine::fail(std::string(kBlankEntryMessage));
        return {};
    });
}

WordEdit WordFile::modify(LookupText& lookup, const SeenEntry& seen, std::string entry) {
    if (UserWords::isBlank(entry))
        return {UserWords::fromLookup(lookup), aquine::fail(std::string(kBlankEntryMessage))};
    return edit(lookup, [&](UserWords& words) -> aquine::Result<> {
        const auto at = findSeen(words, seen);
        if (!at)
            return entryGone(seen);
        words.modify(*at, std::move(entry));
        return {};
    });
}

WordEdit WordFile::remove(LookupText& lookup, const SeenEntry& seen) {
    return edit(lookup, [&](UserWords& words) -> aquine::Result<> {
        const auto at = findSeen(words, seen);
        if (!at)
            return entryGone(seen);
        words.remove(*at);
        return {};
    });
}

} // namespace imvara
