// The about window opens modally over the main window.
#include "aquinepad/about/about_feature.h"

#include "aquinepad/about/about_dialog.h"
#include "aquinepad/feature/command_table.h"
#include "aquinepad/feature/notepad_context.h"

namespace aquinepad {

void installAbout(CommandTable& commands, NotepadContext& context) {
    commands.add(Command::About, [&context] {
        AboutDialog dialog(context.window.dialogParent());
        dialog.exec();
    });
}

} // namespace aquinepad
