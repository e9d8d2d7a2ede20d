// The menu's check is the start-up check with its own pause, through the same service.
#include "aquinepad/update/update_feature.h"

#include "aquinepad/update/update_checker.h"
#include "aquinepad/window/command_table.h"
#include "aquinepad/window/notepad_context.h"

namespace aquinepad {

void installUpdateProgram(CommandTable& commands, NotepadContext& context) {
    commands.add(Command::UpdateProgram, [&context] {
        if (context.updates)
            context.updates->check(context, CheckOccasion::Menu);
    });
}

} // namespace aquinepad
