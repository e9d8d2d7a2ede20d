// Each direction asks first; only Yes converts. The window is busy while the service runs.
#include "aquinepad/convert/convert_feature.h"

#include "aquinepad/convert/document_conversion.h"
#include "aquinepad/feature/command_table.h"
#include "aquinepad/feature/notepad_context.h"

#include <QApplication>
#include <QCursor>
#include <QProgressDialog>

namespace aquinepad {

namespace {

void convertAfterAsking(NotepadContext& context, const QString& question, ConversionDirection direction) {
    using aquine::Prompter;
    if (context.prompter.message(question, QStringLiteral("确定"), Prompter::Icon::None, Prompter::Buttons::YesNo) !=
        Prompter::Button::Yes)
        return;
    // A large document takes seconds: the window keeps painting and shows how far it got, but takes no
    // input, so nothing is typed into a text about to be replaced.
    QProgressDialog progress(QStringLiteral("正在转换文档……"), QString(), 0, 1000, context.window.dialogParent());
    progress.setWindowTitle(QStringLiteral("简繁转换"));
    progress.setMinimumDuration(500);
    progress.setAutoClose(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    convertDocument(context.editor, direction, [&progress](std::size_t done, std::size_t total) {
        progress.setValue(static_cast<int>(1000.0 * static_cast<double>(done) / static_cast<double>(total)));
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    QApplication::restoreOverrideCursor();
}

} // namespace

void installConversion(CommandTable& commands, NotepadContext& context) {
    commands.add(Command::ToTraditional, [&context] {
        convertAfterAsking(context, QStringLiteral("确定要开始将正在编辑的文档从GBK简体转换为繁体吗？"),
                           ConversionDirection::ToTraditional);
    });
    commands.add(Command::ToSimplified, [&context] {
        convertAfterAsking(context, QStringLiteral("确定要开始将正在编辑的文档从GBK繁体转换为简体吗？"),
                           ConversionDirection::ToSimplified);
    });
}

} // namespace aquinepad
