// The edit control's own commands of the "编辑(&E)" menu: undo, cut, copy, paste, select all.
#pragma once

namespace aquinepad {

class CommandTable;
struct NotepadContext;

void installEditCommands(CommandTable& commands, NotepadContext& context);

} // namespace aquinepad
