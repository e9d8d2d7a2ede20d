// The document commands of the "文件(&F)" menu: new, open, save, save as and exit.
#pragma once

namespace aquinepad {

class CommandTable;
struct NotepadContext;

void installDocumentCommands(CommandTable& commands, NotepadContext& context);

} // namespace aquinepad
