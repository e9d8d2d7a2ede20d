// The notepad's document rules that need no window: the captions and status texts of each situation,
// the default extension of chosen file names, and where the editor sits in the client area.
#pragma once

#include <string>
#include <string_view>

namespace aquinepad {

// Captions (GBK). A new document and a failed open read differently on purpose: "无标题" after
// start-up and "新建(&N)", "未命名" after an open that failed.
std::string untitledCaption();
std::string failedOpenCaption();
std::string openedCaption(std::string_view path); // the path directly followed by "-记事本"
std::string savedCaption(std::string_view path);  // the path followed by " - Aquine记事本"

// Status-bar texts (GBK): the product part, and the path part.
std::string productStatusText();
std::string newDocumentStatusText();
std::string pathStatusText(std::string_view path);

// A name chosen in the save dialog without any extension gets ".txt".
std::string withDefaultExtension(std::string_view path);

inline constexpr int kStatusBarHeight = 20;

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Rect&) const = default;
};

// The editor fills the client area above the status bar.
Rect editorGeometry(int clientWidth, int clientHeight);

// The main window's place at start-up from the four stored texts (numbers truncated toward zero,
// non-numbers 0). A width or height that is not positive would give a window nobody can see or use,
// so the design size stands in for it.
Rect startupWindowGeometry(std::string_view left, std::string_view top, std::string_view width,
                           std::string_view height);
inline constexpr Rect kDesignWindowGeometry{50, 50, 794, 452};

// What the window manager adds around the client area; top is the title bar.
struct FrameMargins {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The stored place made usable on a screen whose free area is `available` (a window is placed by its
// frame's top-left corner and sized by its client area): the frame fits in the area, the title bar's
// top is inside it, and at least half of the frame's width (200 px or all of it, if more) stays over
// it, so the title bar can always be grabbed. Sizes are only made smaller; a window made smaller sits
// in the area's corner, any other is only moved as far as needed.
Rect fitOnScreen(const Rect& stored, const Rect& available, const FrameMargins& frame);

} // namespace aquinepad
