// Reading the ban list off the request path: a check now and then stats the file and parses it only
// when it changed, into a new set that replaces the old one at once.
#include "server/ban_list.h"

#include <algorithm>
#include <cstdio>
#include <sys/stat.h>

namespace aquine::server {

namespace {

std::string_view trimmed(std::string_view line) {
    const auto hash = line.find('#');
    if (hash != std::string_view::npos)
        line = line.substr(0, hash);
    const auto first = line.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
}

} // namespace

BanList::BanList(std::filesystem::path file)
    : m_file(std::move(file)), m_addresses(std::make_shared<const Addresses>()) {
    reloadIfChanged();
}

bool BanList::isBanned(const std::string& address) const {
    std::shared_ptr<const Addresses> addresses;
    {
        std::lock_guard lock(m_mutex);
        addresses = m_addresses;
    }
    return addresses->count(address) > 0;
}

bool BanList::truncated() const {
    std::lock_guard lock(m_mutex);
    return m_truncated;
}

bool BanList::reloadIfChanged() {
    struct stat info {};
    if (::stat(m_file.c_str(), &info) != 0) {
        if (m_size < 0)
            return false;
        m_size = -1;
        std::lock_guard lock(m_mutex);
        m_addresses = std::make_shared<const Addresses>();
        m_truncated = false;
        return true;
    }
    if (info.st_mtim.tv_sec == m_modified.tv_sec && info.st_mtim.tv_nsec == m_modified.tv_nsec &&
        info.st_size == m_size && info.st_ino == m_inode)
        return false;
    m_modified = info.st_mtim;
    m_size = info.st_size;
    m_inode = info.st_ino;

    std::string text(kBanListLimit + 1, '\0');
    std::size_t got = 0;
    if (FILE* in = std::fopen(m_file.c_str(), "rb")) {
        got = std::fread(text.data(), 1, text.size(), in);
        std::fclose(in);
    }
    const bool truncated = got > kBanListLimit;
    text.resize(got);
    if (truncated) // the last line is cut and would ban a part of an address
        text.resize(std::min(kBanListLimit, text.rfind('\n', kBanListLimit) + 1));
    auto addresses = std::make_shared<Addresses>();
    std::string_view rest = text;
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        const auto line = trimmed(rest.substr(0, end));
        if (!line.empty())
            addresses->emplace(line);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    }
    std::lock_guard lock(m_mutex);
    m_addresses = std::move(addresses);
    m_truncated = truncated;
    return true;
}

} // namespace aquine::server
