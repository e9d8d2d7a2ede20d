// The commands of the "编辑(&E)" menu (undo, clipboard, select all, date, time, separator, font) and
// the look and caption items of "扩展(&E)" (background and text colours, 标题).
#pragma once

namespace aquinepad {

class CommandTable;
struct NotepadContext;

void installEditCommands(CommandTable& commands, NotepadContext& context);

} // namespace aquinepad
