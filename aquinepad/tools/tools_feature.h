// "工具(&O)": the extension tools window.
#pragma once

namespace aquinepad {

class CommandTable;
struct NotepadContext;

void installTools(CommandTable& commands, NotepadContext& context);

} // namespace aquinepad
