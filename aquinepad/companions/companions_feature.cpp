// The three commands report nothing: a companion that is missing, or an association the desktop
// refuses, leaves the notepad as it was, without a message.
#include "aquinepad/companions/companions_feature.h"

#include "aquinepad/companions/companion_launcher.h"
#include "aquinepad/companions/desktop_entry.h"
#include "aquinepad/companions/txt_association.h"
#include "aquinepad/feature/command_table.h"
#include "aquinepad/feature/notepad_context.h"

#include <system_error>

namespace aquinepad {

void installCompanions(CommandTable& commands, NotepadContext& context) {
    commands.add(Command::QuickScreenshot, [&context] { startCompanion(context.programDir, kScreenshotProgram); });
    // The folders are read when the command runs, so a changed environment is honoured.
    commands.add(Command::AssociateTxt, [&context] {
        std::error_code error;
        const auto notepad = std::filesystem::absolute(context.programDir / std::string(kNotepadProgram), error);
        if (const auto folders = userFolders(); folders && !error)
            (void)associateTxt(*folders, notepad);
    });
    commands.add(Command::RemoveAssociation, [] {
        if (const auto folders = userFolders())
            (void)removeTxtAssociation(*folders);
    });
}

} // namespace aquinepad
