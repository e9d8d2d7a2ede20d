// Each command works on the editor through its interface; the font and the caption go through the
// prompter, so tests answer them.
#include "aquinepad/edit/edit_feature.h"

#include "aquinepad/edit/edit_rules.h"
#include "aquinepad/editor/plain_editor.h"
#include "aquinepad/feature/command_table.h"
#include "aquinepad/feature/notepad_context.h"

#include <QGuiApplication>
#include <QScreen>
#include <ctime>

namespace aquinepad {

namespace {

std::tm localNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

int pixelsOf(const QFont& font) {
    if (font.pixelSize() > 0)
        return font.pixelSize();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    return std::max(1, qRound(font.pointSizeF() * dpi / 72.0));
}

// The font dialog starts from a fresh 宋体 record (the bundled CJK face where 宋体 is not installed),
// not from the editor's font; what the user confirms replaces the whole look of the text, colour
// included.
void chooseFont(NotepadContext& context) {
    const auto answer = context.prompter.chooseFont(QFont(PlainEditor::fontFamily()), QColor(Qt::black));
    if (!answer)
        return;
    EditorFont font;
    font.family = answer->font.family().toStdString();
    font.pixelSize = pixelsOf(answer->font);
    font.bold = answer->font.bold();
    font.italic = answer->font.italic();
    font.underline = answer->font.underline();
    font.strikeOut = answer->font.strikeOut();
    context.editor.setFont(font);
    const QColor c = answer->color.isValid() ? answer->color : QColor(Qt::black);
    context.editor.setTextColour({static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                                  static_cast<std::uint8_t>(c.blue())});
}

void chooseTitle(NotepadContext& context) {
    const auto answer =
        context.prompter.input(QStringLiteral("方便如录制教程等用途，可以写教程作者姓名、教程标题等。请注意：这个标题在"
                                              "重新启动本程序、打开/新建文件后将消失。"),
                               QStringLiteral("设置临时窗口标题"), QString());
    // Cancel leaves the caption alone; an empty text confirmed empties it.
    if (answer.accepted)
        context.window.setTemporaryCaption(answer.text);
}

} // namespace

void installEditCommands(CommandTable& commands, NotepadContext& context) {
    TextEditor& editor = context.editor;
    // The edit control's own commands; their shortcuts are the menu's, so they must work from the start.
    commands.add(Command::Undo, [&editor] { editor.undo(); });
    commands.add(Command::Cut, [&editor] { editor.cut(); });
    commands.add(Command::Copy, [&editor] { editor.copy(); });
    commands.add(Command::Paste, [&editor] { editor.paste(); });
    commands.add(Command::SelectAll, [&editor] { editor.selectAll(); });

    commands.add(Command::InsertDate, [&editor] { editor.replaceSelection(dateText(localNow())); });
    commands.add(Command::InsertTime, [&editor] { editor.replaceSelection(timeText(localNow())); });
    commands.add(Command::InsertSeparator, [&editor] { editor.replaceSelection(separatorText()); });
    commands.add(Command::ChooseFont, [&context] { chooseFont(context); });
    commands.add(Command::SetTitle, [&context] { chooseTitle(context); });

    for (const ColourCommand& item : kColourCommands)
        commands.add(item.command, [&editor, item] {
            if (item.background)
                editor.setBackgroundColour(item.colour);
            else
                editor.setTextColour(item.colour);
        });
}

} // namespace aquinepad
