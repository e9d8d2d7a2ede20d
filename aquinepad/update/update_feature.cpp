// The menu's check is the start-up check with its own pause, through the same service.
#include "aquinepad/update/update_feature.h"

#include "aquinepad/feature/command_table.h"
#include "aquinepad/feature/notepad_context.h"
#include "aquinepad/update/update_checker.h"

namespace aquinepad {

void installUpdateProgram(CommandTable& commands, NotepadContext& context) {
    commands.add(Command::UpdateProgram, [&context] {
        if (context.updates)
            context.updates->check(context, CheckOccasion::Menu);
    });
}

} // namespace aquinepad
