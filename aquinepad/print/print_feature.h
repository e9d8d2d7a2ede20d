// "打印(&P)": the print dialog, then the whole document on paper (or in a PDF file).
#pragma once

#include <QString>

class QWidget;

namespace aquine {
class Prompter;
}

namespace aquinepad {

class CommandTable;
class PrintDialog;
class TextEditor;
struct NotepadContext;

void installPrint(CommandTable& commands, NotepadContext& context);

// The command itself. `jobName` names the job in the printer queue and the PDF file the dialog offers.
// Nothing is printed, and nothing said, while the text is hidden or when the user cancels the dialog;
// a job that fails after the user confirmed it is reported.
void printDocument(TextEditor& editor, PrintDialog& dialog, aquine::Prompter& prompter, QWidget* parent,
                   const QString& jobName);

} // namespace aquinepad
