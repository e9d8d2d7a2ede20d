// 简繁转换 of the whole document: the editor's text through the conversion service and back, as one
// edit the user can undo.
#pragma once

#include "aquinepad/editor/text_editor.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace aquinepad {

enum class ConversionDirection { ToTraditional, ToSimplified };

// Told how many bytes of the text are done, of how many, after each piece.
using ConversionProgress = std::function<void(std::size_t done, std::size_t total)>;

// The editor's UTF-8 text in the other character forms. What the service does not convert comes back
// as it was, bytes the codec keeps as they are and characters outside GBK included. A long text goes
// through in pieces that end at line breaks, which no phrase crosses, so the result is the same.
std::string convertedText(std::string_view utf8, ConversionDirection direction,
                          const ConversionProgress& progress = {});

// Replaces the editor's text with its conversion as one step of undo. A text the conversion leaves
// as it was is not touched, so it gains no undo step and no modified flag.
void convertDocument(TextEditor& editor, ConversionDirection direction, const ConversionProgress& progress = {});

} // namespace aquinepad
