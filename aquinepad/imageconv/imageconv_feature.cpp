// The conversion window opens modally over the main window; it keeps nothing once closed.
#include "aquinepad/imageconv/imageconv_feature.h"

#include "aquinepad/feature/command_table.h"
#include "aquinepad/feature/notepad_context.h"
#include "aquinepad/imageconv/image_conversion_dialog.h"

namespace aquinepad {

void installImageConversion(CommandTable& commands, NotepadContext& context) {
    commands.add(Command::ImageConversion, [&context] {
        ImageConversionDialog dialog(context.prompter, context.window.dialogParent());
        dialog.exec();
    });
}

} // namespace aquinepad
