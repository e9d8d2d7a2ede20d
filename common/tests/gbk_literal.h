// Tests write Chinese as UTF-8 literals; G() gives the GBK bytes the programs hold.
#pragma once

#include "common/gbk_codec.h"

#include <string>
#include <string_view>

inline std::string G(std::string_view utf8) { return aquine::codec::utf8ToGbk(utf8); }
