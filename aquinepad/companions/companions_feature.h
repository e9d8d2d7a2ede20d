// "快速截图(&U)" and the "文件关联(&F)" items: companion starts and the .txt association.
#pragma once

namespace aquinepad {

class CommandTable;
struct NotepadContext;

void installCompanions(CommandTable& commands, NotepadContext& context);

} // namespace aquinepad
