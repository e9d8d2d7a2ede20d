// Captions, status texts and geometry rules of the notepad's document.
#include "aquinepad/document/document_rules.h"

#include "common/gbk_codec.h"
#include "common/numbers.h"

#include <algorithm>
#include <limits>

namespace aquinepad {

namespace {

std::string gbk(std::string_view utf8) { return aquine::codec::utf8ToGbk(utf8); }

int clampToInt(std::int64_t v) {
    return static_cast<int>(
        std::clamp<std::int64_t>(v, std::numeric_limits<int>::min() / 2, std::numeric_limits<int>::max() / 2));
}

} // namespace

std::string untitledCaption() { return gbk("无标题 - Aquine记事本"); }
std::string failedOpenCaption() { return gbk("未命名 - Aquine记事本"); }
std::string openedCaption(std::string_view path) { return std::string(path) + gbk("-记事本"); }
std::string savedCaption(std::string_view path) { return std::string(path) + gbk(" - Aquine记事本"); }

std::string productStatusText() { return gbk("Aquine记事本v1.1"); }
std::string newDocumentStatusText() { return gbk("路径：新建文档"); }
std::string pathStatusText(std::string_view path) { return gbk("路径：") + std::string(path); }

std::string withDefaultExtension(std::string_view path) {
    const auto slash = path.find_last_of('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    if (name.empty() || name.find('.') != std::string_view::npos)
        return std::string(path);
    return std::string(path) + ".txt";
}

Rect editorGeometry(int clientWidth, int clientHeight) {
    return {0, 0, std::max(clientWidth, 0), std::max(clientHeight - kStatusBarHeight, 0)};
}

Rect startupWindowGeometry(std::string_view left, std::string_view top, std::string_view width,
                           std::string_view height) {
    Rect r{clampToInt(aquine::toInteger(left)), clampToInt(aquine::toInteger(top)),
           clampToInt(aquine::toInteger(width)), clampToInt(aquine::toInteger(height))};
    if (r.width <= 0)
        r.width = kDesignWindowGeometry.width;
    if (r.height <= 0)
        r.height = kDesignWindowGeometry.height;
    return r;
}

Rect fitOnScreen(const Rect& stored, const Rect& available, const FrameMargins& frame) {
    // 64-bit throughout: the stored values may be anything an int holds.
    using I = std::int64_t;
    const I frameWidth = I(frame.left) + frame.right;
    const I frameHeight = I(frame.top) + frame.bottom;
    const I areaWidth = std::max<I>(available.width, 1);
    const I areaHeight = std::max<I>(available.height, 1);
    const I width = std::clamp<I>(stored.width, 1, std::max<I>(areaWidth - frameWidth, 1));
    const I height = std::clamp<I>(stored.height, 1, std::max<I>(areaHeight - frameHeight, 1));

    const I outerWidth = width + frameWidth;
    const I visible = std::min<I>(outerWidth, std::max<I>(outerWidth / 2, 200));
    const I areaLeft = available.left;
    // A window made smaller than stored was meant to be large: it fills the area from its corner.
    const I left = width < stored.width
                       ? areaLeft
                       : std::clamp<I>(stored.left, areaLeft - (outerWidth - visible), areaLeft + areaWidth - visible);
    const I areaTop = available.top;
    const I titleBar = std::min<I>(std::max<I>(frame.top, 40), areaHeight);
    const I top =
        height < stored.height ? areaTop : std::clamp<I>(stored.top, areaTop, areaTop + areaHeight - titleBar);
    return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(width), static_cast<int>(height)};
}

} // namespace aquinepad
