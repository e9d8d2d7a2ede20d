// File names as the file system holds them: bytes, which need not be UTF-8 (a GBK name from a Windows
// archive, a Latin-1 one from an old disk). The programs keep and pass on these bytes unchanged; only
// what a person reads or types is decoded.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace aquine {

// The name for people to read (UTF-8): as it is when it is UTF-8, else read as GBK. Bytes that are
// neither show as U+FFFD. Never used to reach the file.
std::string displayFileName(std::string_view native);

// A file name given on the command line, made absolute against the current folder. Empty stays empty.
std::string absoluteFileName(std::string_view native);

// The file a person means by a path typed or chosen as Unicode text (UTF-8), when no file has that
// UTF-8 name: each missing part is looked up among its folder's entries by the name they are shown
// with (displayFileName). Only an existing file that exactly one entry per part leads to is given.
std::optional<std::string> resolveDisplayedPath(std::string_view utf8Path);

// A failure reason that names the file by its bytes, with the name as people read it instead.
std::string readableReason(std::string reason, std::string_view native);

} // namespace aquine
