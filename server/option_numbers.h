// Numbers in the server's options and addresses: whole-text only, so "99999", "8080x" or "-1" are
// errors, not some other port.
#pragma once

#include <charconv>
#include <limits>
#include <optional>
#include <string>

namespace aquine::server {

inline constexpr double kSmallestPositive = std::numeric_limits<double>::min();

// The number the whole text spells, within [low, high] (which also refuses nan); empty otherwise.
template <class T> std::optional<T> parseNumber(const std::string& text, T low, T high) {
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !(value >= low && value <= high))
        return std::nullopt;
    return value;
}

} // namespace aquine::server
