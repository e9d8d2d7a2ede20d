// The sharing window opens modally over the main window; the document is never handed to it.
#include "aquinepad/share/share_feature.h"

#include "aquinepad/share/share_dialog.h"
#include "aquinepad/window/command_table.h"
#include "aquinepad/window/notepad_context.h"

namespace aquinepad {

void installSharing(CommandTable& commands, NotepadContext& context) {
    commands.add(Command::ShareDocument, [&context] {
        ShareDialog dialog(context.prompter, context.window.dialogParent());
        dialog.exec();
    });
}

} // namespace aquinepad
