// The sharing window opens modally over the main window; the document is never handed to it.
#include "aquinepad/share/share_feature.h"

#include "aquinepad/feature/command_table.h"
#include "aquinepad/feature/notepad_context.h"
#include "aquinepad/share/share_dialog.h"

namespace aquinepad {

void installSharing(CommandTable& commands, NotepadContext& context) {
    commands.add(Command::ShareDocument, [&context] {
        ShareDialog dialog(context.prompter, context.window.dialogParent());
        dialog.exec();
    });
}

} // namespace aquinepad
