// Every feature of the notepad, installed into the main window's command table at start-up.
#pragma once

namespace aquinepad {

class CommandTable;
struct NotepadContext;

void installFeatures(CommandTable& commands, NotepadContext& context);

} // namespace aquinepad
