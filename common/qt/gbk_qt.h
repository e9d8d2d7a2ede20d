// QString <-> GBK bytes at the screen's edge, through the lossless codec.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace aquine {

QString qFromGbk(std::string_view gbk);
std::string gbkFromQ(const QString& text);

} // namespace aquine
