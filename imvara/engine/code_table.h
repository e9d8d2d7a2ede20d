// The built-in code table, carried inside the program: GBK text that begins with CR LF, then one
// "code word" line per entry, each ending in CR LF.
#pragma once

#include <string_view>

namespace imvara {

std::string_view CodeTable();

} // namespace imvara
