// Private-profile ("ini") files as Windows reads and writes them: "[section]" headers and "key=value"
// lines, names compared ASCII-case-insensitively, everything else kept byte for byte. Names and values
// are GBK text.
#pragma once

#include "common/file_io.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace aquine::ini {

// The value of key in section; empty text when the file, the section or the key is absent.
// Blanks around the value are dropped, and one pair of matching quotes around it is removed.
std::string readKey(const std::filesystem::path& file, std::string_view section, std::string_view key);

// Sets key in section to value, creating the file, section and key as needed. The line of an existing
// key is replaced; a new key goes after the last entry of its section; a new section goes at the end.
// Every other line stays exactly as it was. Line breaks (CR, LF) in the section, key or value are
// dropped, so that one entry stays one line. The file is replaced atomically; failures are returned.
Result<> writeKey(const std::filesystem::path& file, std::string_view section, std::string_view key,
                  std::string_view value);

// The same two operations on file contents in memory.
std::string readKeyFromText(std::string_view text, std::string_view section, std::string_view key);
std::string writeKeyToText(std::string_view text, std::string_view section, std::string_view key,
                           std::string_view value);

} // namespace aquine::ini
