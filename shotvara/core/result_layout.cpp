// Result window layout rules.
#include "shotvara/core/result_layout.h"

#include <algorithm>

namespace shotvara {

Size resultWindowSize(Size selection, Size usable) {
    return {std::max(selection.width + kResultExtraWidth, usable.width),
            std::max(selection.height + kResultExtraHeight, usable.height)};
}

Rect resultCanvasRect(Size selection) {
    return {kResultCanvasLeft, kResultCanvasTop, selection.width, selection.height};
}

} // namespace shotvara
