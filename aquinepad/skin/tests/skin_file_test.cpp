// Skin files: what a good file gives, which damaged files are refused and why, reading from disk,
// and the three shipped skins: they load, differ, and keep their texts legible at every hue.
#include "aquinepad/skin/skin_file.h"
#include "aquinepad/skin/tests/contrast.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <unistd.h>

using namespace aquinepad;
using aquinepad::testing::contrastRatio;
namespace fs = std::filesystem;

namespace {

const std::string kRequired = "window = #e0e8f0\nwindow-text = #102030\nbase = #ffffff\ntext = #102030\n"
                              "button = #d0d8e0\nbutton-text = #102030\nhighlight = #2060a0\n"
                              "highlighted-text = #ffffff\n";

std::string skinText(const std::string& colours, const std::string& style, const std::string& lengths = "") {
    return "[skin]\nname = 测试\n[colours]\n" + kRequired + colours + "[lengths]\n" + lengths + "[style]\n" + style;
}

fs::path shipped(const char* name) { return fs::path(AQUINEPAD_SKINS_DIR) / name; }

SkinColour colourNamed(const SkinFile& skin, const std::string& name) {
    for (const auto& [key, colour] : skin.colours)
        if (key == name)
            return colour;
    ADD_FAILURE() << "no colour " << name;
    return {};
}

} // namespace

TEST(SkinFile, AGoodFileGivesItsNamePaletteAndSheet) {
    const std::string text =
        "\xEF\xBB\xBF# a comment before any section\r\n[skin]\r\n  name =  蓝天  \r\n\r\n[colours]\r\n" + kRequired +
        "; another comment\r\nbar = #3366cc80\r\nshadow = #001122\r\n[lengths]\r\n"
        "radius = 6\r\n[style]\r\n"
        "QMenuBar { background: @bar; border-radius: @radius; }\r\n"
        "/* @nothing here is a name */ QLabel[x=\"@text\"] { color: @text; }";
    const auto skin = parseSkinFile(text);
    ASSERT_TRUE(skin) << skin.reason();
    const SkinLook look = skinLook(*skin, 0);
    EXPECT_EQ(look.name, "蓝天");
    EXPECT_EQ(look.styleSheet, "QMenuBar { background: rgba(51, 102, 204, 128); border-radius: 6px; }\r\n"
                               "/* @nothing here is a name */ QLabel[x=\"@text\"] { color: #102030; }");
    EXPECT_EQ(look.palette.size(), 9u); // the eight required roles and shadow; "bar" is the sheet's own
    EXPECT_EQ(look.shadow, (SkinColour{0x00, 0x11, 0x22, 255}));
    EXPECT_NE(std::find(look.palette.begin(), look.palette.end(),
                        std::pair{PaletteRole::Highlight, SkinColour{0x20, 0x60, 0xa0, 255}}),
              look.palette.end());
}

TEST(SkinFile, TheHueTurnsEveryNamedColourAndNothingElse) {
    const auto skin = parseSkinFile(
        skinText("bar = #3366cc\n", "A { color: @bar; margin: @gap; border: 1px solid black; }", "gap = 4\n"));
    ASSERT_TRUE(skin) << skin.reason();
    const SkinLook plain = skinLook(*skin, 0);
    const SkinLook turned = skinLook(*skin, 45);
    EXPECT_NE(turned.styleSheet, plain.styleSheet);
    EXPECT_NE(turned.styleSheet.find("margin: 4px; border: 1px solid black; }"), std::string::npos);
    EXPECT_EQ(turned.styleSheet, "A { color: " + styleSheetColour(turnHue({0x33, 0x66, 0xcc, 255}, 90)) +
                                     "; margin: 4px; border: 1px solid black; }");
    EXPECT_NE(turned.palette, plain.palette);
    EXPECT_EQ(turned.shadow, (SkinColour{0, 0, 0, 255})); // no shadow colour given: black
    EXPECT_EQ(skinLook(*skin, 180).styleSheet, plain.styleSheet);
}

TEST(SkinFile, DamagedFilesAreRefusedWithAReason) {
    const std::map<std::string, std::string> damaged = {
        {"empty", ""},
        {"no name", "[colours]\n" + kRequired},
        {"a required colour missing", "[skin]\nname = x\n[colours]\nwindow = #ffffff\n"},
        {"a setting before any section", "name = x\n" + skinText("", "")},
        {"an unknown section", "[skin]\nname = x\n[palette]\n"},
        {"a section twice", "[skin]\nname = x\n[skin]\nname = y\n[colours]\n" + kRequired},
        {"a line without =", skinText("bar #123456\n", "")},
        {"a bad colour", skinText("bar = #12345\n", "")},
        {"an upper-case name", skinText("Bar = #123456\n", "")},
        {"a name used twice", skinText("bar = #123456\n", "", "bar = 3\n")},
        {"a length out of range", skinText("", "", "gap = 65\n")},
        {"a length that is not a number", skinText("", "", "gap = 4px\n")},
        {"an unknown reference", skinText("", "A { color: @nothing; }")},
        {"a bare @", skinText("", "A { color: @; }")},
        {"an unclosed brace", skinText("", "A { color: @text;")},
        {"a stray closing brace", skinText("", "A { color: @text; } }")},
        {"an unclosed comment", skinText("", "A { color: @text; } /* ")},
        {"an unclosed string", skinText("", "A[x=\"open] { }")},
        {"another file named", skinText("", "A { image: URL(/etc/passwd); }")},
        {"not UTF-8", skinText("", "A { font-family: \"\xCB\xCE\xCC\xE5\"; }")},
        {"too large", skinText("", std::string(kMaxSkinFileBytes, ' '))},
        {"a name too long", "[skin]\nname = " + std::string(65, 'x') + "\n[colours]\n" + kRequired},
    };
    for (const auto& [what, text] : damaged) {
        const auto skin = parseSkinFile(text);
        EXPECT_FALSE(skin) << what;
        EXPECT_FALSE(skin.reason().empty()) << what;
    }
    // The reason says where: the line of the fault.
    EXPECT_EQ(parseSkinFile(skinText("bar = #12345\n", "")).reason(),
              "皮肤文件第 12 行：颜色应写作 #rrggbb 或 #rrggbbaa");
}

TEST(SkinFile, OnlyDialogButtonRowsAndPartsOfControlsMayHaveSizeLimits) {
    // The windows place their controls: a size limit on a control would move or stack them.
    for (const std::string style :
         {"QPushButton { padding: 3px; min-width: 64px; }", "QLineEdit { MAX-HEIGHT : 10px }",
          "QScrollBar::handle, QLabel { min-height: 4px; }", "QDialogButtonBoxes QPushButton { min-width: 64px; }",
          "A { color: @text; }\nQFrame /* a frame */ { max-width: 3px; }"}) {
        const auto skin = parseSkinFile(skinText("", style));
        EXPECT_FALSE(skin) << style;
        EXPECT_NE(skin.reason().find("皮肤不能改变控件的大小"), std::string::npos) << style;
    }
    EXPECT_EQ(parseSkinFile(skinText("", "A { color: @text; }\nQLabel {\n  min-width: 1px; }")).reason(),
              "皮肤文件第 16 行：皮肤不能改变控件的大小（min-width）：只有对话框按钮行里的按钮"
              "（QDialogButtonBox QPushButton）和控件的部件（如 ::handle）可以设定");
    for (const std::string style :
         {"QDialogButtonBox QPushButton { min-width: 64px; }", "QDialogButtonBox > QPushButton { min-width: 6px }",
          "QScrollBar::handle:vertical { min-height: 24px; margin: 2px; }",
          "QPushButton { width: 10px; padding: 3px 4px; border: 1px solid @text; }",
          "QLabel[x=\"min-width: 3px\"] { color: @text; } /* min-width: 9px; */"}) {
        const auto skin = parseSkinFile(skinText("", style));
        EXPECT_TRUE(skin) << style << ": " << skin.reason();
    }
}

TEST(SkinFile, OnlyARegularFileOfBoundedSizeIsRead) {
    std::string name = (fs::temp_directory_path() / "aquinepad-skin-XXXXXX").string();
    ASSERT_NE(::mkdtemp(name.data()), nullptr);
    const fs::path dir = name;
    EXPECT_FALSE(loadSkinFile(dir / "absent.she"));
    EXPECT_FALSE(loadSkinFile(dir)); // an absent "皮肤" names the program's folder itself
    {
        std::ofstream(dir / "big.she", std::ios::binary) << skinText("", std::string(kMaxSkinFileBytes, ' '));
        std::ofstream(dir / "good.she", std::ios::binary) << skinText("", "A { color: @text; }");
    }
    EXPECT_EQ(loadSkinFile(dir / "big.she").reason(), "皮肤文件过大");
    const auto good = loadSkinFile(dir / "good.she");
    ASSERT_TRUE(good) << good.reason();
    EXPECT_EQ(good->name, "测试");
    fs::remove_all(dir);
}

TEST(ShippedSkins, LoadWithTheirNamesAndLookDifferent) {
    const std::map<std::string, std::string> names = {
        {"skinh.she", "默认蓝色风格"}, {"Aero.she", "Windows Vista"}, {"QQ2008.she", "QQ2008"}};
    std::vector<std::string> sheets;
    for (const auto& [file, name] : names) {
        const auto skin = loadSkinFile(shipped(file.c_str()));
        ASSERT_TRUE(skin) << file << ": " << skin.reason();
        EXPECT_EQ(skin->name, name);
        const SkinLook look = skinLook(*skin, 0);
        EXPECT_EQ(look.styleSheet.find('@'), std::string::npos) << file;
        sheets.push_back(look.styleSheet);
    }
    std::sort(sheets.begin(), sheets.end());
    EXPECT_EQ(std::unique(sheets.begin(), sheets.end()), sheets.end());
}

TEST(ShippedSkins, TextsStayLegibleAtEveryHue) {
    // Each text colour on what it is drawn on; 4.5 is the usual floor for body text.
    const std::vector<std::pair<std::string, std::string>> common = {
        {"window-text", "window"},        {"text", "base"},
        {"button-text", "button"},        {"highlighted-text", "highlight"},
        {"tooltip-text", "tooltip-base"}, {"text", "alternate-base"},
    };
    const std::map<std::string, std::vector<std::pair<std::string, std::string>>> own = {
        {"skinh.she",
         {{"bar-text", "bar-top"},
          {"bar-text", "bar-bottom"},
          {"bar-text", "bar-hover"},
          {"status-text", "status-top"},
          {"status-text", "status-bottom"},
          {"button-text", "button-bottom"},
          {"button-text", "button-down"},
          {"text", "menu"},
          {"window-text", "tab"}}},
        {"Aero.she",
         {{"window-text", "glass-lower"},
          {"text", "glow-lower"},
          {"text", "press-bottom"},
          {"button-text", "button-bottom"},
          {"text", "menu"}}},
        {"QQ2008.she",
         {{"sky-text", "sky-top"},
          {"sky-text", "sky-bottom"},
          {"sky-hover-text", "sky-hover"},
          {"window-text", "status-bottom"},
          {"button-text", "button-down"},
          {"button-text", "tab"}}},
    };
    for (const auto& [file, pairs] : own) {
        const auto skin = loadSkinFile(shipped(file.c_str()));
        ASSERT_TRUE(skin) << file << ": " << skin.reason();
        auto all = common;
        all.insert(all.end(), pairs.begin(), pairs.end());
        for (const auto& [fore, back] : all) {
            double worst = 21;
            int worstHue = 0;
            for (int hue = 0; hue < 180; ++hue) {
                const int degrees = hueTurnDegrees(hue);
                const double ratio = contrastRatio(turnHue(colourNamed(*skin, fore), degrees),
                                                   turnHue(colourNamed(*skin, back), degrees));
                if (ratio < worst)
                    worst = ratio, worstHue = hue;
            }
            EXPECT_GE(worst, 4.5) << file << ": " << fore << " on " << back << " at 色调 " << worstHue;
        }
    }
}
