// Puts a plain text on paper: the notepad's print font, the same margin on all four sides, lines
// wrapped at character boundaries and broken into pages by PageBreaker.
#pragma once

#include "common/result.h"

#include <QFont>
#include <cstddef>
#include <functional>
#include <string_view>

class QPrinter;

namespace aquinepad {

// The printer's design font, "宋体" at 16 px, where installed; else the CJK face the editor uses.
QFont printFont();

// Sets the same margin on all four sides: kPrintMarginMm, or the printer's widest unprintable edge
// where that is wider, so the margins stay equal on any printer.
inline constexpr double kPrintMarginMm = 20;
void setEqualMargins(QPrinter& printer);

// Told after each page how many bytes of the text are on paper. A job cannot be called off once it has
// started: Qt's PDF and CUPS printers cannot abort, and would send the pages so far as if finished.
using PrintProgress = std::function<void(std::size_t printed, std::size_t total)>;

// Prints the whole UTF-8 text on a printer the user has set up, within its page range and with the
// copies it asks for. The text must stay unchanged while it prints. Fails, with the reason, when the
// job cannot start or the printer reports an error.
aquine::Result<> printText(QPrinter& printer, std::string_view utf8, const PrintProgress& progress = {});

} // namespace aquinepad
