// How wide a text is on the bar, in pixels. The bar passes its font's metrics; tests and the query
// tool use fixed metrics of the bar's font.
#pragma once

#include <string_view>

namespace imvara {

class TextMeasure {
public:
    virtual ~TextMeasure() = default;
    // Width of GBK text in pixels.
    virtual int width(std::string_view gbk) const = 0;
};

// 12 pixels per Chinese character, 6 per ASCII character: WenQuanYi Zen Hei Mono at 12 px.
class FixedMeasure : public TextMeasure {
public:
    int width(std::string_view gbk) const override;
};

} // namespace imvara
