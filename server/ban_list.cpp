// Reading the ban list: a stat() per request is cheap next to the request; the file is parsed only
// when its time, size or inode changed, so an editor's save-by-rename is noticed too.
#include "server/ban_list.h"

#include <fstream>
#include <sys/stat.h>

namespace aquine::server {

bool BanList::isBanned(const std::string& address) {
    std::lock_guard lock(m_mutex);
    reloadIfChanged();
    return m_addresses.count(address) > 0;
}

void BanList::reloadIfChanged() {
    struct stat info {};
    if (::stat(m_file.c_str(), &info) != 0) {
        m_addresses.clear();
        m_size = -1;
        return;
    }
    if (info.st_mtim.tv_sec == m_modified.tv_sec && info.st_mtim.tv_nsec == m_modified.tv_nsec &&
        info.st_size == m_size && info.st_ino == m_inode)
        return;
    m_modified = info.st_mtim;
    m_size = info.st_size;
    m_inode = info.st_ino;
    m_addresses.clear();
    std::ifstream in(m_file);
    std::string line;
    while (std::getline(in, line)) {
        const auto hash = line.find('#');
        if (hash != std::string::npos)
            line.erase(hash);
        const auto first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos)
            continue;
        const auto last = line.find_last_not_of(" \t\r");
        m_addresses.insert(line.substr(first, last - first + 1));
    }
}

} // namespace aquine::server
