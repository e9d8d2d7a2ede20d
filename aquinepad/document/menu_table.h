// The main window's menu bar as data: every top-level menu, item, separator and shortcut, with the
// command each item gives. Later tools hang their handlers on these commands, not on captions.
#pragma once

#include <QString>
#include <vector>

namespace aquinepad {

// Add new commands at the end; handlers are looked up by these values.
enum class Command {
    None,
    New, Open, Save, SaveAs, Print, Exit,
    Undo, Cut, Copy, Paste, SelectAll, InsertDate, InsertTime, InsertSeparator, ChooseFont,
    Find, FindPrevious, FindNext,
    BackgroundWhite, BackgroundBlack, BackgroundGreen, BackgroundYellow, BackgroundBlue, BackgroundRed,
    BackgroundPurple, BackgroundOrange, BackgroundPink,
    TextBlack, TextWhite, TextGreen, TextYellow, TextBlue, TextPurple, TextOrange, TextPink,
    SetTitle, HiddenText, ToTraditional, ToSimplified, ReadAloud, ImageConversion, QuickScreenshot, Tools,
    LogoMode, ShareDocument, Options, AssociateTxt, RemoveAssociation, UpdateProgram, About,
};

struct MenuItem {
    QString caption;             // empty for a separator
    QString shortcut;            // QKeySequence text, empty for none
    Command command = Command::None;
    std::vector<MenuItem> items; // a submenu when not empty

    bool isSeparator() const { return caption.isEmpty(); }
};

// The top-level menus in order, each a MenuItem whose items are its entries.
const std::vector<MenuItem>& menuBarTable();

} // namespace aquinepad
