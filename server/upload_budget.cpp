// Token buckets per client address, forgotten once full again so that memory follows the clients of
// the last minute, not every address ever seen.
#include "server/upload_budget.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cmath>

namespace aquine::server {

namespace {

constexpr auto kMinute = std::chrono::seconds(60);
// Where the newcomers go once the table is full.
constexpr char kOverflow = '*';

double perSecond(double perMinute) { return perMinute / 60.0; }

} // namespace

UploadBudget::UploadBudget(UploadAllowance allowance, std::size_t maxClients)
    : m_allowance(allowance), m_maxClients(std::max<std::size_t>(maxClients, 1)) {}

std::string UploadBudget::holderOf(const std::string& address) {
    unsigned char bytes[16];
    if (address.find(':') == std::string::npos || ::inet_pton(AF_INET6, address.c_str(), bytes) != 1)
        return address;
    std::fill(bytes + 8, bytes + 16, 0);
    char text[INET6_ADDRSTRLEN];
    ::inet_ntop(AF_INET6, bytes, text, sizeof text);
    return std::string(text) + "/64";
}

void UploadBudget::refill(Bucket& bucket, Clock::time_point now) const {
    const double seconds = std::chrono::duration<double>(now - bucket.updated).count();
    if (seconds <= 0)
        return;
    bucket.requests =
        std::min(m_allowance.requestsPerMinute, bucket.requests + seconds * perSecond(m_allowance.requestsPerMinute));
    bucket.bytes = std::min(m_allowance.bytesPerMinute, bucket.bytes + seconds * perSecond(m_allowance.bytesPerMinute));
    bucket.updated = now;
}

void UploadBudget::forgetRefilled(Clock::time_point now) {
    m_lastSweep = now;
    for (auto it = m_buckets.begin(); it != m_buckets.end();) {
        refill(it->second, now);
        const bool full =
            it->second.requests >= m_allowance.requestsPerMinute && it->second.bytes >= m_allowance.bytesPerMinute;
        it = full ? m_buckets.erase(it) : std::next(it);
    }
}

std::chrono::seconds UploadBudget::charge(const std::string& address, unsigned long long bytes, Clock::time_point now) {
    std::lock_guard lock(m_mutex);
    // A full table is swept at most once a second, so a flood of new addresses cannot make every
    // request walk it.
    const auto sinceSweep = now - m_lastSweep;
    if (sinceSweep >= kMinute || (m_buckets.size() >= m_maxClients && sinceSweep >= std::chrono::seconds(1)))
        forgetRefilled(now);
    auto holder = holderOf(address);
    auto it = m_buckets.find(holder);
    if (it == m_buckets.end()) {
        if (m_buckets.size() >= m_maxClients)
            holder.assign(1, kOverflow);
        it =
            m_buckets.try_emplace(holder, Bucket{m_allowance.requestsPerMinute, m_allowance.bytesPerMinute, now}).first;
    }
    Bucket& bucket = it->second;
    refill(bucket, now);
    if (bucket.requests >= 1 && bucket.bytes > 0) {
        bucket.requests -= 1;
        bucket.bytes -= static_cast<double>(bytes);
        return std::chrono::seconds(0);
    }
    const double forRequest =
        bucket.requests >= 1 ? 0 : (1 - bucket.requests) / perSecond(m_allowance.requestsPerMinute);
    // "Any bytes left" is taken as one byte.
    const double forBytes = bucket.bytes > 0 ? 0 : (1 - bucket.bytes) / perSecond(m_allowance.bytesPerMinute);
    return std::chrono::seconds(
        std::max<long long>(1, static_cast<long long>(std::ceil(std::max(forRequest, forBytes)))));
}

std::size_t UploadBudget::clients() const {
    std::lock_guard lock(m_mutex);
    return m_buckets.size();
}

} // namespace aquine::server
