// Each opening gets a fresh window, panel and turtle: nothing of a drawing outlives its window.
#include "aquinepad/logo/logo_feature.h"

#include "aquinepad/feature/command_table.h"
#include "aquinepad/feature/notepad_context.h"
#include "aquinepad/logo/logo_dialog.h"

namespace aquinepad {

void installLogo(CommandTable& commands, NotepadContext& context) {
    commands.add(Command::LogoMode, [&context] {
        LogoDialog dialog(context.prompter, context.window.dialogParent());
        dialog.exec();
    });
}

} // namespace aquinepad
