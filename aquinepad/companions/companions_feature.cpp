// The commands report nothing: a companion that is missing leaves the notepad as it was, without a
// message.
#include "aquinepad/companions/companions_feature.h"

#include "aquinepad/companions/companion_launcher.h"
#include "aquinepad/window/command_table.h"
#include "aquinepad/window/notepad_context.h"

namespace aquinepad {

void installCompanions(CommandTable& commands, NotepadContext& context) {
    commands.add(Command::QuickScreenshot, [&context] { startCompanion(context.programDir, kScreenshotProgram); });
}

} // namespace aquinepad
