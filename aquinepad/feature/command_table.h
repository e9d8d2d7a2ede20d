// The handlers of the menu commands, one per command, registered by the features that own them and
// run by the main window when an item is chosen.
#pragma once

#include "aquinepad/feature/command.h"

#include <functional>
#include <map>

namespace aquinepad {

class CommandTable {
public:
    using Handler = std::function<void()>;

    // A command has one owner: registering it twice is a mistake in the feature list and throws
    // std::logic_error, so it shows at the first start rather than as a menu item that does the wrong
    // thing.
    void add(Command command, Handler handler);
    bool has(Command command) const { return m_handlers.count(command) != 0; }
    // Runs the command's handler; false when no feature has one for it yet.
    bool run(Command command) const;

private:
    std::map<Command, Handler> m_handlers;
};

} // namespace aquinepad
