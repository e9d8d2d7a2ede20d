// "朗读文档(&R)" of the "扩展(&E)" menu.
#pragma once

namespace aquinepad {

class CommandTable;
struct NotepadContext;

void installReadAloud(CommandTable& commands, NotepadContext& context);

} // namespace aquinepad
