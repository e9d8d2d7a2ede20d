// The "寻找(&S)" menu: the find window, "查找下一个" (F3) and "查找上一个" (Shift+F3).
#pragma once

namespace aquinepad {

class CommandTable;
struct NotepadContext;

void installFind(CommandTable& commands, NotepadContext& context);

} // namespace aquinepad
