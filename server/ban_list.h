// The banned addresses: a text file, one address a line, read at start and again whenever it changes
// on disk, by a background check; requests only look at the list last read.
#pragma once

#include <cstddef>
#include <ctime>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>

namespace aquine::server {

// Only this much of the file is read: a list is a few thousand lines, and a runaway file (a log
// written to the wrong name) must not take the server's memory. The lines past it are ignored.
inline constexpr std::size_t kBanListLimit = 1024 * 1024;

class BanList {
public:
    // Reads the file at once.
    explicit BanList(std::filesystem::path file);

    bool isBanned(const std::string& address) const;

    // Reads the file again if its time, size or inode changed (an editor's save-by-rename is noticed
    // too); the new list replaces the old one whole. Returns whether it did.
    bool reloadIfChanged();

    // Whether the last read stopped at kBanListLimit.
    bool truncated() const;

private:
    using Addresses = std::unordered_set<std::string>;

    std::filesystem::path m_file;
    // Only the reload thread touches what the file looked like; requests only copy the pointer.
    mutable std::mutex m_mutex;
    std::shared_ptr<const Addresses> m_addresses;
    bool m_truncated = false;
    struct timespec m_modified {};
    long long m_size = -1;
    unsigned long long m_inode = 0;
};

} // namespace aquine::server
