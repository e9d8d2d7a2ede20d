// The options window opens modally each time; the radio choices it records live as long as the
// program, not the window.
#include "aquinepad/config/options_feature.h"

#include "aquinepad/config/options_choices.h"
#include "aquinepad/config/options_dialog.h"
#include "aquinepad/feature/command_table.h"
#include "aquinepad/feature/notepad_context.h"

#include <memory>

namespace aquinepad {

void installOptions(CommandTable& commands, NotepadContext& context) {
    auto choices = std::make_shared<OptionChoices>();
    commands.add(Command::Options, [&context, choices] {
        OptionsDialog dialog(context.settings, *choices, context.prompter, context.skin, context.programDir,
                             context.window.dialogParent());
        dialog.exec();
    });
}

} // namespace aquinepad
