// Where things go in the result window: its size follows the selection, and the canvas sits at a fixed
// place with the selection's size however the window is resized later.
#pragma once

#include "shotvara/core/geometry.h"

namespace shotvara {

inline constexpr int kResultExtraWidth = 24;
inline constexpr int kResultExtraHeight = 105;
inline constexpr int kResultCanvasLeft = 4;
inline constexpr int kResultCanvasTop = 40; // below the toolbar

// The window size for a new selection: the selection plus the fixed margins, but never narrower or
// lower than `usable`, the least size that still shows the whole menu bar and toolbar.
Size resultWindowSize(Size selection, Size usable);

// The canvas in the window's client area (below the menu bar).
Rect resultCanvasRect(Size selection);

} // namespace shotvara
