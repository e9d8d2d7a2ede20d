// "更新程序(&U)" of the "配置/帮助(&H)" menu.
#pragma once

namespace aquinepad {

class CommandTable;
struct NotepadContext;

void installUpdateProgram(CommandTable& commands, NotepadContext& context);

} // namespace aquinepad
