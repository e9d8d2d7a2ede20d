// "上传你的文档" of the "分享文档" menu.
#pragma once

namespace aquinepad {

class CommandTable;
struct NotepadContext;

void installSharing(CommandTable& commands, NotepadContext& context);

} // namespace aquinepad
