// "配置选项(&S)": the options window over the settings file.
#pragma once

namespace aquinepad {

class CommandTable;
struct NotepadContext;

void installOptions(CommandTable& commands, NotepadContext& context);

} // namespace aquinepad
