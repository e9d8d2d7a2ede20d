// "图片格式转换(&P)" of the "扩展(&E)" menu.
#pragma once

namespace aquinepad {

class CommandTable;
struct NotepadContext;

void installImageConversion(CommandTable& commands, NotepadContext& context);

} // namespace aquinepad
