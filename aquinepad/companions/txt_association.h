// The notepad as the current user's program for plain text (.txt files), set and taken back the
// freedesktop way: a desktop entry in the user's applications folder and xdg-mime's default.
#pragma once

#include "common/result.h"

#include <filesystem>

namespace aquinepad {

// The user's folders the association lives in, from XDG_CONFIG_HOME and XDG_DATA_HOME, or HOME's
// .config and .local/share where those are unset (or relative, which the base directory rules
// ignore). Both are handed to xdg-mime too, so it edits the very files we read.
struct UserFolders {
    std::filesystem::path config;
    std::filesystem::path data;
};
aquine::Result<UserFolders> userFolders();

// Remembers the user's own default for text/plain (unless a second association would replace it
// with ours), writes our entry for this notepad and makes it the default. Nothing is changed when the
// previous default cannot be remembered first.
aquine::Result<> associateTxt(const UserFolders& folders, const std::filesystem::path& notepad);

// Puts back the remembered default (or none, when the user had none) if the list still names our
// entry, then removes our entry and what we remembered. Only the user's own files are touched.
aquine::Result<> removeTxtAssociation(const UserFolders& folders);

} // namespace aquinepad
