// Command registration and dispatch.
#include "aquinepad/feature/command_table.h"

#include <stdexcept>
#include <string>

namespace aquinepad {

void CommandTable::add(Command command, Handler handler) {
    if (!handler)
        throw std::logic_error("empty handler for command " + std::to_string(static_cast<int>(command)));
    if (!m_handlers.emplace(command, std::move(handler)).second)
        throw std::logic_error("command " + std::to_string(static_cast<int>(command)) + " registered twice");
}

bool CommandTable::run(Command command) const {
    const auto it = m_handlers.find(command);
    if (it == m_handlers.end())
        return false;
    it->second();
    return true;
}

} // namespace aquinepad
