// The update check's decisions and texts.
#include "aquinepad/update/update_rules.h"

#include "common/gbk_codec.h"
#include "common/gbk_text.h"

#include <algorithm>
#include <cstdio>

namespace aquinepad {

namespace {

std::string gbk(std::string_view utf8) { return aquine::codec::utf8ToGbk(utf8); }

std::string amount(std::int64_t bytes) {
    char text[32];
    if (bytes < 1024 * 1024)
        std::snprintf(text, sizeof text, "%.1f KB", static_cast<double>(bytes) / 1024.0);
    else
        std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
    return text;
}

} // namespace

std::string notAVersionReason(std::string_view reply, bool cutOff) {
    if (cutOff || reply.size() > kVersionLimit)
        return "服务器发来的版本号超过 " + std::to_string(kVersionLimit) + " 字节，不是版本号";
    // One closing line end is part of the name as received (and shown); anywhere else it is not.
    std::string_view name = reply;
    if (name.ends_with("\r\n"))
        name.remove_suffix(2);
    else if (name.ends_with('\n') || name.ends_with('\r'))
        name.remove_suffix(1);
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\r' || c == '\n')
            return "服务器发来的版本号不止一行";
        if (u < 0x20 || u == 0x7F)
            return "服务器发来的版本号含有控制字符（" + std::to_string(u) + "）";
    }
    return {};
}

VersionVerdict judgeVersion(std::string_view reply, bool cutOff) {
    if (!notAVersionReason(reply, cutOff).empty())
        return VersionVerdict::NotAVersion;
    if (reply.empty())
        return VersionVerdict::NoReply;
    return reply == kOwnVersion ? VersionVerdict::Current : VersionVerdict::Newer;
}

std::string shownNotes(std::string_view received, bool cutOff) {
    if (!cutOff)
        return std::string(received);
    // Cut between characters, so that no half character stands before the note.
    std::size_t kept = std::min<std::size_t>(received.size(), kNotesLimit);
    while (kept > 0 && !aquine::gbk::isCharBoundary(received, kept))
        --kept;
    return std::string(received.substr(0, kept)) +
           gbk("……\r\n（更新说明超过 " + std::to_string(kNotesLimit / 1024) + " KB，其余部分没有显示）");
}

std::chrono::milliseconds packageDeadline(const UpdateTimeouts& timeouts, std::uint64_t size) {
    const auto forSize = std::chrono::milliseconds(timeouts.packageRate == 0 ? 0 : size * 1000 / timeouts.packageRate);
    return std::min(timeouts.packageBase + forSize, timeouts.packageLongest);
}

std::string updateQuestion(std::string_view version) {
    return gbk("程序已有更新，最新版本：") + std::string(version) + gbk("。 是否立即升级？");
}

std::chrono::milliseconds pauseAfterReply(CheckOccasion occasion) {
    return occasion == CheckOccasion::Startup ? std::chrono::milliseconds(500) : std::chrono::milliseconds(1000);
}

int downloadPercent(std::int64_t received, std::int64_t total) {
    if (total <= 0)
        return -1;
    if (received >= total)
        return 100;
    return static_cast<int>(received * 100 / total);
}

std::string downloadProgress(std::int64_t received, std::int64_t total) {
    std::string text = gbk("已下载 ") + amount(received);
    const int percent = downloadPercent(received, total);
    if (percent < 0)
        return text;
    return text + " / " + amount(total) + gbk("（") + std::to_string(percent) + gbk("%）");
}

} // namespace aquinepad
