// The print command: the dialog, the job with its progress, and the one message a failed job gives.
#include "aquinepad/print/print_feature.h"

#include "aquinepad/feature/command_table.h"
#include "aquinepad/feature/notepad_context.h"
#include "aquinepad/print/print_dialog.h"
#include "aquinepad/print/print_progress.h"
#include "aquinepad/print/text_printer.h"
#include "common/file_names.h"

#include <QFileInfo>
#include <QPrinter>
#include <memory>

namespace aquinepad {

namespace {

QString jobNameFor(const DocumentSession& document) {
    if (document.DocumentPath().empty())
        return QStringLiteral("无标题");
    return QFileInfo(QString::fromStdString(aquine::displayFileName(document.DocumentPath()))).fileName();
}

} // namespace

void printDocument(TextEditor& editor, PrintDialog& dialog, aquine::Prompter& prompter, QWidget* parent,
                   const QString& jobName) {
    // Hidden text may not reach paper any more than the screen.
    if (!editor.isTextVisible())
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(jobName);
    setEqualMargins(printer);
    if (!dialog.choose(printer, parent))
        return;
    // The dialog may have changed the printer, and with it the unprintable edges.
    setEqualMargins(printer);

    // A long document takes a while: the progress window keeps the window painting. It is
    // application-modal and cannot be closed, so nothing can change the text while it is printed.
    PrintProgressWindow progress(parent);
    const auto result = printText(printer, editor.textView(), [&progress](std::size_t done, std::size_t total) {
        progress.showProgress(done, total);
    });
    progress.reset();
    if (!result.ok())
        prompter.message(QStringLiteral("打印失败！\n") + QString::fromStdString(result.reason()),
                         QStringLiteral("错误"), aquine::Prompter::Icon::Error, aquine::Prompter::Buttons::Ok);
}

void installPrint(CommandTable& commands, NotepadContext& context) {
    auto qtDialog = std::make_shared<QtPrintDialog>();
    commands.add(Command::Print, [&context, qtDialog] {
        PrintDialog& dialog = context.printDialog ? *context.printDialog : *qtDialog;
        printDocument(context.editor, dialog, context.prompter, context.window.dialogParent(),
                      jobNameFor(context.document));
    });
}

} // namespace aquinepad
