// The banned addresses: a text file, one address a line, read again whenever it changes on disk.
#pragma once

#include <ctime>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>

namespace aquine::server {

class BanList {
public:
    explicit BanList(std::filesystem::path file) : m_file(std::move(file)) {}

    bool isBanned(const std::string& address);

private:
    void reloadIfChanged();

    std::filesystem::path m_file;
    std::mutex m_mutex;
    std::set<std::string> m_addresses;
    // What the file looked like when last read; any difference means read it again.
    struct timespec m_modified {};
    long long m_size = -1;
    unsigned long long m_inode = 0;
};

} // namespace aquine::server
