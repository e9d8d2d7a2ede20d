// Each document command goes to the document session; exit asks it before the window closes.
#include "aquinepad/document/document_feature.h"

#include "aquinepad/feature/command_table.h"
#include "aquinepad/feature/notepad_context.h"

namespace aquinepad {

void installDocumentCommands(CommandTable& commands, NotepadContext& context) {
    DocumentSession& document = context.document;
    commands.add(Command::New, [&document] { document.newDocument(); });
    commands.add(Command::Open, [&document] { document.openChosenFile(); });
    commands.add(Command::Save, [&document] { document.saveCurrent(); });
    commands.add(Command::SaveAs, [&document] { document.saveAsChosenFile(); });
    commands.add(Command::Exit, [&context] {
        if (context.document.mayClose())
            context.window.closeAfterDocumentAgreed();
    });
}

} // namespace aquinepad
