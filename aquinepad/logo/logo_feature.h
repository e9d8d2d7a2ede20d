// "Logo语言模式(&L)" of the "扩展(&E)" menu: the Logo window.
#pragma once

namespace aquinepad {

class CommandTable;
struct NotepadContext;

void installLogo(CommandTable& commands, NotepadContext& context);

} // namespace aquinepad
