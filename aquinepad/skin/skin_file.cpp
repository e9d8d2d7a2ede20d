// The skin file format and its reader.
//
// A skin file is UTF-8 text (an initial byte-order mark is skipped; lines end in LF or CR LF) of at
// most kMaxSkinFileBytes, in up to four sections, each at most once, [style] last:
//
//   [skin]      name = <text>                   the skin's name; required
//   [colours]   <name> = #rrggbb | #rrggbbaa    the colours the look is made of
//   [lengths]   <name> = <0 to 64>              lengths in pixels
//   [style]     a Qt style sheet, running to the end of the file
//
// Names are 1 to 32 characters of a-z, 0-9 and '-', each used once across [colours] and [lengths].
// Before [style], blank lines and lines whose first non-blank character is '#' or ';' are skipped,
// and blanks around names and values do not count.
//
// Colours named after palette roles colour what the style sheet leaves to the toolkit: window,
// window-text, base, alternate-base, text, button, button-text, bright-text, highlight,
// highlighted-text, tooltip-base, tooltip-text, placeholder-text, link, light, midlight, mid, dark,
// shadow. The first eight roles (window to highlighted-text) are required; "shadow" also colours
// the translucent frame's drop shadow (black when absent).
//
// In the style sheet, "@name" stands for a colour or a length ("<n>px"). Write every colour that
// way: only named colours turn with the 色调 slider. A skin is one self-contained file, so its sheet
// may not name others ("url(" is refused), and its braces, comments and strings must be closed, so a
// damaged file is refused whole instead of half applied.
//
// A skin draws the controls and never moves them: the windows place their controls themselves, so a
// size limit (min-width, max-width, min-height, max-height) is refused, except for the buttons of a
// row of dialog buttons (a selector that begins "QDialogButtonBox ") and for the parts drawn inside a
// control (a selector with "::", such as "QScrollBar::handle").
#include "aquinepad/skin/skin_file.h"

#include "common/unicode.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <fstream>
#include <optional>

namespace aquinepad {

namespace {

using aquine::fail;
using aquine::Failure;

struct RoleName {
    std::string_view name;
    PaletteRole role;
    bool required;
};

constexpr std::array kRoles = {
    RoleName{"window", PaletteRole::Window, true},
    RoleName{"window-text", PaletteRole::WindowText, true},
    RoleName{"base", PaletteRole::Base, true},
    RoleName{"text", PaletteRole::Text, true},
    RoleName{"button", PaletteRole::Button, true},
    RoleName{"button-text", PaletteRole::ButtonText, true},
    RoleName{"highlight", PaletteRole::Highlight, true},
    RoleName{"highlighted-text", PaletteRole::HighlightedText, true},
    RoleName{"alternate-base", PaletteRole::AlternateBase, false},
    RoleName{"bright-text", PaletteRole::BrightText, false},
    RoleName{"tooltip-base", PaletteRole::ToolTipBase, false},
    RoleName{"tooltip-text", PaletteRole::ToolTipText, false},
    RoleName{"placeholder-text", PaletteRole::PlaceholderText, false},
    RoleName{"link", PaletteRole::Link, false},
    RoleName{"light", PaletteRole::Light, false},
    RoleName{"midlight", PaletteRole::Midlight, false},
    RoleName{"mid", PaletteRole::Mid, false},
    RoleName{"dark", PaletteRole::Dark, false},
    RoleName{"shadow", PaletteRole::Shadow, false},
};

constexpr std::size_t kMaxNameLength = 32;
constexpr std::size_t kMaxSkinNameBytes = 64;
constexpr int kMaxLength = 64;

enum class Section { None, Skin, Colours, Lengths, Style };

bool isNameChar(char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'; }

bool isName(std::string_view s) {
    return !s.empty() && s.size() <= kMaxNameLength && std::all_of(s.begin(), s.end(), isNameChar);
}

std::string_view trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool validUtf8(std::string_view s) {
    for (std::size_t i = 0, len = 0; i < s.size(); i += len)
        if (aquine::unicode::readUtf8(s, i, len) == aquine::unicode::kIllFormed)
            return false;
    return true;
}

Failure onLine(std::size_t line, const std::string& what) {
    return fail("皮肤文件第 " + std::to_string(line) + " 行：" + what);
}

class Reader {
public:
    aquine::Result<SkinFile> read(std::string_view text) {
        std::size_t lineNumber = 0;
        while (!text.empty()) {
            const std::size_t end = text.find('\n');
            std::string_view line = text.substr(0, end);
            const std::string_view rest = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
            ++lineNumber;
            if (m_section == Section::Style)
                return readStyle(text, lineNumber);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            if (auto failure = readLine(trim(line), lineNumber))
                return *failure;
            text = rest;
        }
        return finish();
    }

private:
    std::optional<Failure> readLine(std::string_view line, std::size_t n) {
        if (line.empty() || line.front() == '#' || line.front() == ';')
            return std::nullopt;
        if (line.front() == '[')
            return readHeader(line, n);
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            return onLine(n, "缺少“=”");
        const std::string_view key = trim(line.substr(0, eq));
        const std::string_view value = trim(line.substr(eq + 1));
        switch (m_section) {
        case Section::None: return onLine(n, "设置不在任何一节之内");
        case Section::Skin:
            if (key != "name")
                return onLine(n, "[skin] 一节只有 name");
            if (value.empty() || value.size() > kMaxSkinNameBytes)
                return onLine(n, "皮肤名称为空或过长");
            m_skin.name = value;
            return std::nullopt;
        case Section::Colours: {
            if (auto failure = checkNewName(key, n))
                return failure;
            const auto colour = parseSkinColour(value);
            if (!colour)
                return onLine(n, "颜色应写作 #rrggbb 或 #rrggbbaa");
            m_skin.colours.emplace_back(key, *colour);
            return std::nullopt;
        }
        case Section::Lengths: {
            if (auto failure = checkNewName(key, n))
                return failure;
            int length = -1;
            const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), length);
            if (error != std::errc{} || end != value.data() + value.size() || length < 0 || length > kMaxLength)
                return onLine(n, "长度应为 0 到 64 的整数");
            m_lengths.emplace_back(key, length);
            return std::nullopt;
        }
        case Section::Style: break;
        }
        return std::nullopt;
    }

    std::optional<Failure> readHeader(std::string_view line, std::size_t n) {
        Section next;
        if (line == "[skin]")
            next = Section::Skin;
        else if (line == "[colours]")
            next = Section::Colours;
        else if (line == "[lengths]")
            next = Section::Lengths;
        else if (line == "[style]")
            next = Section::Style;
        else
            return onLine(n, "未知的节");
        const auto bit = 1u << static_cast<unsigned>(next);
        if (m_seen & bit)
            return onLine(n, "节重复");
        m_seen |= bit;
        m_section = next;
        return std::nullopt;
    }

    std::optional<Failure> checkNewName(std::string_view key, std::size_t n) {
        if (!isName(key))
            return onLine(n, "名称只能由小写字母、数字和“-”组成");
        if (colourIndex(key) >= 0 || lengthOf(key) >= 0)
            return onLine(n, "名称“" + std::string(key) + "”重复");
        return std::nullopt;
    }

    int colourIndex(std::string_view name) const {
        for (std::size_t i = 0; i < m_skin.colours.size(); ++i)
            if (m_skin.colours[i].first == name)
                return static_cast<int>(i);
        return -1;
    }

    int lengthOf(std::string_view name) const {
        for (const auto& [key, length] : m_lengths)
            if (key == name)
                return length;
        return -1;
    }

    // The sheet from its first line on: references filled or cut, and everything closed.
    aquine::Result<SkinFile> readStyle(std::string_view sheet, std::size_t firstLine) {
        enum class In { Rule, Comment, String } in = In::Rule;
        char quote = 0;
        int depth = 0;
        std::size_t line = firstLine;
        SkinFile::Piece piece;
        std::string selector; // of the rule being read
        std::string text;     // the selector so far, or the declaration so far inside the rule
        for (std::size_t i = 0; i < sheet.size(); ++i) {
            const char c = sheet[i];
            if (c == '\n')
                ++line;
            if (in == In::Comment) {
                piece.text += c;
                if (c == '*' && i + 1 < sheet.size() && sheet[i + 1] == '/') {
                    piece.text += '/';
                    ++i;
                    in = In::Rule;
                }
                continue;
            }
            if (in == In::String) {
                piece.text += c;
                if (c == quote)
                    in = In::Rule;
                else if (c == '\n')
                    return onLine(line - 1, "字符串没有结束");
                continue;
            }
            if (c == '/' && i + 1 < sheet.size() && sheet[i + 1] == '*') {
                piece.text += "/*";
                ++i;
                in = In::Comment;
            } else if (c == '"' || c == '\'') {
                piece.text += c;
                quote = c;
                in = In::String;
            } else if (c == '{' || c == '}') {
                if (c == '{' && depth == 0) {
                    selector.swap(text);
                    text.clear();
                } else if (depth == 1) {
                    if (auto failure = checkDeclaration(selector, text, line))
                        return *failure;
                    text.clear();
                }
                depth += c == '{' ? 1 : -1;
                if (depth < 0)
                    return onLine(line, "多余的“}”");
                piece.text += c;
            } else if (c == ';' && depth == 1) {
                if (auto failure = checkDeclaration(selector, text, line))
                    return *failure;
                text.clear();
                piece.text += c;
            } else if (c == '@') {
                std::size_t end = i + 1;
                while (end < sheet.size() && isNameChar(sheet[end]))
                    ++end;
                const std::string_view name = sheet.substr(i + 1, end - i - 1);
                if (const int colour = colourIndex(name); colour >= 0) {
                    piece.colour = colour;
                    m_skin.style.push_back(std::move(piece));
                    piece = {};
                } else if (const int length = lengthOf(name); length >= 0) {
                    piece.text += std::to_string(length) + "px";
                } else {
                    return onLine(line, "未知的名称“@" + std::string(name) + "”");
                }
                i = end - 1;
            } else if ((c == 'u' || c == 'U') && startsUrl(sheet.substr(i))) {
                return onLine(line, "皮肤不能引用其他文件");
            } else {
                piece.text += c;
                text += c;
            }
        }
        if (in == In::Comment)
            return fail("皮肤文件的样式表：注释没有结束");
        if (in == In::String)
            return fail("皮肤文件的样式表：字符串没有结束");
        if (depth != 0)
            return fail("皮肤文件的样式表：“{”没有配对的“}”");
        if (!piece.text.empty())
            m_skin.style.push_back(std::move(piece));
        return finish();
    }

    // Windows place their controls themselves, and a size limit in a skin would move them: only a row
    // of dialog buttons, which a layout places, and the parts drawn inside a control may have one.
    static std::optional<Failure> checkDeclaration(std::string_view selector, std::string_view declaration,
                                                   std::size_t line) {
        const std::size_t colon = declaration.find(':');
        if (colon == std::string_view::npos)
            return std::nullopt;
        std::string property(trimBlank(declaration.substr(0, colon)));
        std::transform(property.begin(), property.end(), property.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
        if (property != "min-width" && property != "max-width" && property != "min-height" && property != "max-height")
            return std::nullopt;
        for (std::size_t start = 0; start <= selector.size();) {
            const std::size_t comma = std::min(selector.find(',', start), selector.size());
            const std::string_view one = trimBlank(selector.substr(start, comma - start));
            const bool inButtonRow =
                one.starts_with("QDialogButtonBox") && one.size() > 16 &&
                (one[16] == ' ' || one[16] == '\t' || one[16] == '\n' || one[16] == '\r' || one[16] == '>');
            if (one.find("::") == std::string_view::npos && !inButtonRow)
                return onLine(line, "皮肤不能改变控件的大小（" + property + "）：只有对话框按钮行里的按钮" +
                                        "（QDialogButtonBox QPushButton）和控件的部件（如 ::handle）可以设定");
            start = comma + 1;
        }
        return std::nullopt;
    }

    static std::string_view trimBlank(std::string_view s) {
        const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
        while (!s.empty() && blank(s.front()))
            s.remove_prefix(1);
        while (!s.empty() && blank(s.back()))
            s.remove_suffix(1);
        return s;
    }

    static bool startsUrl(std::string_view s) {
        constexpr std::string_view url = "url(";
        if (s.size() < url.size())
            return false;
        return std::equal(url.begin(), url.end(), s.begin(),
                          [](char a, char b) { return a == (b >= 'A' && b <= 'Z' ? b - 'A' + 'a' : b); });
    }

    aquine::Result<SkinFile> finish() {
        if (m_skin.name.empty())
            return fail("皮肤文件缺少名称");
        for (const RoleName& role : kRoles)
            if (role.required && colourIndex(role.name) < 0)
                return fail("皮肤文件缺少颜色“" + std::string(role.name) + "”");
        return std::move(m_skin);
    }

    SkinFile m_skin;
    std::vector<std::pair<std::string, int>> m_lengths;
    Section m_section = Section::None;
    unsigned m_seen = 0;
};

} // namespace

aquine::Result<SkinFile> parseSkinFile(std::string_view bytes) {
    if (bytes.size() > kMaxSkinFileBytes)
        return fail("皮肤文件过大");
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    if (!validUtf8(bytes))
        return fail("皮肤文件不是 UTF-8 文本");
    return Reader().read(bytes);
}

aquine::Result<SkinFile> loadSkinFile(const std::filesystem::path& file) {
    std::error_code error;
    // Only a regular file is read: a folder (an absent "皮肤" names the program's own) or a pipe never is.
    if (!std::filesystem::is_regular_file(file, error))
        return fail("找不到皮肤文件");
    std::ifstream in(file, std::ios::binary);
    std::string bytes(kMaxSkinFileBytes + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad() || (!in && !in.eof()))
        return fail("无法读取皮肤文件");
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return parseSkinFile(bytes);
}

SkinLook skinLook(const SkinFile& skin, int hueSetting) {
    const int degrees = hueTurnDegrees(hueSetting);
    std::vector<SkinColour> turned;
    turned.reserve(skin.colours.size());
    for (const auto& [name, colour] : skin.colours)
        turned.push_back(turnHue(colour, degrees));

    SkinLook look{.name = skin.name, .shadow = {0, 0, 0, 255}};
    for (const SkinFile::Piece& piece : skin.style) {
        look.styleSheet += piece.text;
        if (piece.colour >= 0)
            look.styleSheet += styleSheetColour(turned[static_cast<std::size_t>(piece.colour)]);
    }
    for (std::size_t i = 0; i < skin.colours.size(); ++i) {
        const auto role = std::find_if(kRoles.begin(), kRoles.end(),
                                       [&](const RoleName& r) { return r.name == skin.colours[i].first; });
        if (role == kRoles.end())
            continue;
        look.palette.emplace_back(role->role, turned[i]);
        if (role->role == PaletteRole::Shadow)
            look.shadow = turned[i];
    }
    return look;
}

} // namespace aquinepad
