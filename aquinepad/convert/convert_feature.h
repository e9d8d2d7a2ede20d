// "文档由简体转繁体" and "文档由繁体转简体" of the "简繁转换(&S)" menu.
#pragma once

namespace aquinepad {

class CommandTable;
struct NotepadContext;

void installConversion(CommandTable& commands, NotepadContext& context);

} // namespace aquinepad
