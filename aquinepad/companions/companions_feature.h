// "快速截图(&U)": the screenshot tool started beside the notepad.
#pragma once

namespace aquinepad {

class CommandTable;
struct NotepadContext;

void installCompanions(CommandTable& commands, NotepadContext& context);

} // namespace aquinepad
