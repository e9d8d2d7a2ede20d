// The update check's decisions and texts.
#include "aquinepad/update/update_rules.h"

#include "common/gbk_codec.h"

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

VersionVerdict judgeVersion(std::string_view reply) {
    if (reply.empty())
        return VersionVerdict::NoReply;
    return reply == kOwnVersion ? VersionVerdict::Current : VersionVerdict::Newer;
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
