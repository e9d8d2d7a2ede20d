// The tools window opens modally over the main window and is made afresh each time, so the calculator
// page is requested again on every opening.
#include "aquinepad/tools/tools_feature.h"

#include "aquinepad/feature/command_table.h"
#include "aquinepad/feature/notepad_context.h"
#include "aquinepad/tools/tools_window.h"

namespace aquinepad {

void installTools(CommandTable& commands, NotepadContext& context) {
    commands.add(Command::Tools, [&context] {
        ToolsWindow window(context.window.dialogParent());
        window.exec();
    });
}

} // namespace aquinepad
