// The search state lives as long as the program, in the commands' captures; the find window comes and
// goes. F3 and Shift+F3 search with the stored state alone, never with what the window shows.
#include "aquinepad/find/find_feature.h"

#include "aquinepad/feature/command_table.h"
#include "aquinepad/feature/notepad_context.h"
#include "aquinepad/find/find_in_document.h"
#include "aquinepad/find/find_window.h"

#include <QPointer>
#include <memory>

namespace aquinepad {

namespace {

void findAndReport(NotepadContext& context, const SearchState& state, SearchDirection direction) {
    if (FindInDocument(context.editor, state, direction) == FindOutcome::NotFound)
        context.prompter.message(QString::fromStdString(notFoundMessage(state.LastSearchText)), QStringLiteral("错误"),
                                 aquine::Prompter::Icon::Error, aquine::Prompter::Buttons::Ok);
}

} // namespace

void installFind(CommandTable& commands, NotepadContext& context) {
    auto state = std::make_shared<SearchState>();
    auto window = std::make_shared<QPointer<FindWindow>>();

    commands.add(Command::Find, [&context, state, window] {
        // One window at a time: asking again brings the open one forward.
        if (*window) {
            (*window)->focusText();
        } else {
            *window = new FindWindow(*state, context.window.dialogParent());
            (*window)->setAttribute(Qt::WA_DeleteOnClose);
            QObject::connect(
                *window, &FindWindow::searchRequested, *window,
                [&context, state](SearchDirection direction) { findAndReport(context, *state, direction); });
        }
        (*window)->show();
        (*window)->raise();
        (*window)->activateWindow();
    });
    commands.add(Command::FindNext, [&context, state] { findAndReport(context, *state, SearchDirection::Forward); });
    commands.add(Command::FindPrevious,
                 [&context, state] { findAndReport(context, *state, SearchDirection::Backward); });
}

} // namespace aquinepad
