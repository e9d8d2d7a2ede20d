// The main window's menu bar as data: every top-level menu, item, separator and shortcut, with the
// command each item gives. Later tools hang their handlers on these commands, not on captions.
#pragma once

#include "aquinepad/feature/command.h"

#include <QString>
#include <vector>

namespace aquinepad {

struct MenuItem {
    QString caption;  // empty for a separator
    QString shortcut; // QKeySequence text, empty for none
    Command command = Command::None;
    std::vector<MenuItem> items; // a submenu when not empty

    bool isSeparator() const { return caption.isEmpty(); }
};

// The top-level menus in order, each a MenuItem whose items are its entries.
const std::vector<MenuItem>& menuBarTable();

} // namespace aquinepad
