// The menu items do what the editor's own keys do; their shortcuts are the menu's, so they must work
// from the start.
#include "aquinepad/edit/edit_feature.h"

#include "aquinepad/window/command_table.h"
#include "aquinepad/window/notepad_context.h"

namespace aquinepad {

void installEditCommands(CommandTable& commands, NotepadContext& context) {
    TextEditor& editor = context.editor;
    commands.add(Command::Undo, [&editor] { editor.undo(); });
    commands.add(Command::Cut, [&editor] { editor.cut(); });
    commands.add(Command::Copy, [&editor] { editor.copy(); });
    commands.add(Command::Paste, [&editor] { editor.paste(); });
    commands.add(Command::SelectAll, [&editor] { editor.selectAll(); });
}

} // namespace aquinepad
