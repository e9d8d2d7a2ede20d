// Exec quoting follows the Desktop Entry rules: the quoting rule first (reserved characters force
// double quotes; inside them " ` $ \ take a backslash), then the string rule on top (\ becomes \\).
#include "aquinepad/companions/desktop_entry.h"

#include "common/unicode.h"

namespace aquinepad {

namespace {

bool isReserved(char c) {
    constexpr std::string_view reserved = " \t\n\"'\\><~|&;$*?#()`";
    return reserved.find(c) != std::string_view::npos;
}

bool isWritable(std::string_view text) {
    for (std::size_t i = 0, len = 0; i < text.size(); i += len) {
        const char32_t cp = aquine::unicode::readUtf8(text, i, len);
        if (cp == aquine::unicode::kIllFormed || cp < 0x20 || cp == 0x7F)
            return false;
    }
    return true;
}

} // namespace

std::optional<std::string> execArgument(std::string_view argument) {
    if (argument.empty() || !isWritable(argument))
        return std::nullopt;
    bool quote = false;
    for (const char c : argument)
        quote = quote || isReserved(c);

    std::string quoted;
    for (const char c : argument) {
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\'))
            quoted += '\\';
        quoted += c;
        if (c == '%')
            quoted += '%';
    }
    if (quote)
        quoted = '"' + quoted + '"';

    std::string written;
    for (const char c : quoted) {
        written += c;
        if (c == '\\')
            written += '\\';
    }
    return written;
}

aquine::Result<std::string> txtEntryText(const std::filesystem::path& notepad) {
    if (!notepad.is_absolute())
        return aquine::fail("记事本的路径不是绝对路径");
    const auto exec = execArgument(notepad.native());
    if (!exec)
        return aquine::fail("记事本的路径无法写进桌面文件");
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Aquine记事本\n"
           "Comment=用Aquine记事本打开文本文件\n"
           "Exec=" +
           *exec +
           " %f\n"
           "Icon=aquinepad\n"
           "Terminal=false\n"
           "NoDisplay=true\n"
           "MimeType=text/plain;\n";
}

} // namespace aquinepad
