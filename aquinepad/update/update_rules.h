// What the update check decides from the server's replies, and the texts it shows, as GBK bytes. No
// network here: the check and the download window feed these rules the bytes they received.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace aquinepad {

// The version this build calls itself; the server's version file is compared with it byte for byte.
inline constexpr std::string_view kOwnVersion = "v1.0";

// How much of each text file the notepad reads; a reply that passes its limit is cut off as it arrives.
// A version name fits one line of the question; the notes fill a small label.
inline constexpr std::uint64_t kVersionLimit = 100;
inline constexpr std::uint64_t kAddressLimit = 2048;
inline constexpr std::uint64_t kNotesLimit = 16 * 1024;

enum class VersionVerdict {
    NoReply,     // empty reply, or none at all
    NotAVersion, // too long, a control character, more than one line: a broken or hostile server
    Current,     // exactly our own version: nothing to say
    Newer,       // any other text, blanks and one closing line end included
};

// `cutOff`: the reply passed kVersionLimit and was not read to its end.
VersionVerdict judgeVersion(std::string_view reply, bool cutOff = false);
// Why the reply is NotAVersion, for the failure the user sees (UTF-8); empty for any other verdict.
std::string notAVersionReason(std::string_view reply, bool cutOff = false);

// The question offering version `version` (as received, GBK).
std::string updateQuestion(std::string_view version);

enum class CheckOccasion { Startup, Menu };
// How long the check waits after the reply before it speaks.
std::chrono::milliseconds pauseAfterReply(CheckOccasion occasion);

// The notes as shown: a reply cut off at kNotesLimit keeps what arrived and says that the rest is missing.
std::string shownNotes(std::string_view received, bool cutOff);

// How long the fetches may take. The whole package must arrive within `packageBase` plus the time its
// size needs at `packageRate` bytes a second, never more than `packageLongest`; silence ends any fetch
// earlier. Tests shorten them.
struct UpdateTimeouts {
    std::chrono::milliseconds textIdle{15000};
    std::chrono::milliseconds textWhole{30000};
    std::chrono::milliseconds packageIdle{30000}; // the figure the download button names
    std::chrono::milliseconds packageBase{30000};
    std::uint64_t packageRate = 128 * 1024;
    std::chrono::milliseconds packageLongest{30 * 60 * 1000};
};
std::chrono::milliseconds packageDeadline(const UpdateTimeouts& timeouts, std::uint64_t size);

// How far the package download got, for the download button: "已下载 1.5 MB / 3.0 MB（50%）", or
// without the total and percent when the server does not say how long the package is (total < 0).
std::string downloadProgress(std::int64_t received, std::int64_t total);
// 0..100, or -1 when the total is unknown.
int downloadPercent(std::int64_t received, std::int64_t total);

} // namespace aquinepad
