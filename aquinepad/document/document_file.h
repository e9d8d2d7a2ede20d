// Documents on disk are GBK bytes, kept byte for byte: reading decodes them losslessly into the editor,
// writing encodes the editor's text back and replaces the file safely.
#pragma once

#include "aquinepad/editor/text_editor.h"
#include "common/file_io.h"

#include <filesystem>
#include <string_view>

namespace aquinepad {

// Appends the file's text to the editor, piece by piece. Fails when the file cannot be read (absent,
// a folder, no permission, a read error); the editor may then hold part of it.
aquine::Result<> readDocumentFile(const std::filesystem::path& file, TextEditor& text);

// Writes the text as GBK through a temporary file renamed over the target. A symbolic link is
// followed, so the file it points to is updated and the link stays.
aquine::Result<> writeDocumentFile(const std::filesystem::path& file, std::string_view utf8);

} // namespace aquinepad
