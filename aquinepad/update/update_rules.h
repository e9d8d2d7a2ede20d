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

enum class VersionVerdict {
    NoReply, // empty reply, or none at all
    Current, // exactly our own version: nothing to say
    Newer,   // any other text, line ends and blanks included
};

VersionVerdict judgeVersion(std::string_view reply);

// The question offering version `version` (as received, GBK).
std::string updateQuestion(std::string_view version);

enum class CheckOccasion { Startup, Menu };
// How long the check waits after the reply before it speaks.
std::chrono::milliseconds pauseAfterReply(CheckOccasion occasion);

// How far the package download got, for the download button: "已下载 1.5 MB / 3.0 MB（50%）", or
// without the total and percent when the server does not say how long the package is (total < 0).
std::string downloadProgress(std::int64_t received, std::int64_t total);
// 0..100, or -1 when the total is unknown.
int downloadPercent(std::int64_t received, std::int64_t total);

} // namespace aquinepad
