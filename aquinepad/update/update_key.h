// The public key this build of the notepad trusts for update packages; the build writes its definition
// (cmake/aquine_update_key.cmake says which key that is).
#pragma once

#include <string_view>

namespace aquinepad {

// 64 hex digits.
std::string_view builtInUpdateKeyHex();

} // namespace aquinepad
