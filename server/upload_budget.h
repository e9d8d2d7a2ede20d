// How much one client may upload: so many requests and so many bytes a minute, each a bucket that
// refills steadily, so a client that pauses gets its full budget back and one that floods is held.
#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>
#include <unordered_map>

namespace aquine::server {

struct UploadAllowance {
    double requestsPerMinute = 30;
    double bytesPerMinute = 20.0 * 1024 * 1024;
};

class UploadBudget {
public:
    using Clock = std::chrono::steady_clock;

    // At most maxClients addresses are remembered; past that, the newcomers share one budget.
    explicit UploadBudget(UploadAllowance allowance, std::size_t maxClients = 65536);

    // Zero when an upload of `bytes` may go ahead, and then charges it; else how long until it may
    // (at least a second). An upload goes ahead while any bytes are left, so one file larger than
    // the minute's budget still passes, and the next waits until the debt is paid.
    std::chrono::seconds charge(const std::string& address, unsigned long long bytes, Clock::time_point now);

    // Addresses remembered now; those whose budget has refilled are forgotten.
    std::size_t clients() const;

    // The budget's holder for an address: an IPv6 client owns its whole /64, as one machine does.
    static std::string holderOf(const std::string& address);

private:
    struct Bucket {
        double requests;
        double bytes;
        Clock::time_point updated;
    };
    void refill(Bucket& bucket, Clock::time_point now) const;
    void forgetRefilled(Clock::time_point now);

    UploadAllowance m_allowance;
    std::size_t m_maxClients;
    mutable std::mutex m_mutex;
    std::unordered_map<std::string, Bucket> m_buckets;
    Clock::time_point m_lastSweep{};
};

} // namespace aquine::server
