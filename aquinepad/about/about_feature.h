// "关于记事本(&A)": the about window.
#pragma once

namespace aquinepad {

class CommandTable;
struct NotepadContext;

void installAbout(CommandTable& commands, NotepadContext& context);

} // namespace aquinepad
