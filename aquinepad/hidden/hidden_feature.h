// "隐藏文本(&H)": hides the document behind a password for as long as the user is away.
#pragma once

namespace aquinepad {

class CommandTable;
struct NotepadContext;

void installHiddenText(CommandTable& commands, NotepadContext& context);

} // namespace aquinepad
