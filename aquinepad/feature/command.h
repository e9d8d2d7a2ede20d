// Every command of the notepad's menus. The menu table says where each one sits; the feature that
// owns it registers its handler in the command table.
#pragma once

namespace aquinepad {

// Add new commands at the end. Grouped by menu, so the formatter leaves the lines alone.
// clang-format off
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
// clang-format on

} // namespace aquinepad
