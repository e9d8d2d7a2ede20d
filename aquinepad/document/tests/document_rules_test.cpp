// Captions, the default extension and the geometry rules.
#include "aquinepad/document/document_rules.h"
#include "common/tests/gbk_literal.h"

#include <gtest/gtest.h>

using namespace aquinepad;

TEST(DocumentRules, CaptionsOfEachSituation) {
    EXPECT_EQ(untitledCaption(), G("无标题 - Aquine记事本"));
    EXPECT_EQ(failedOpenCaption(), G("未命名 - Aquine记事本"));
    const std::string path = G("/home/用户/笔记.txt");
    EXPECT_EQ(openedCaption(path), path + G("-记事本"));
    EXPECT_EQ(savedCaption(path), path + G(" - Aquine记事本"));
    EXPECT_EQ(newDocumentStatusText(), G("路径：新建文档"));
    EXPECT_EQ(pathStatusText(path), G("路径：") + path);
    EXPECT_EQ(productStatusText(), G("Aquine记事本v1.1"));
}

TEST(DocumentRules, OnlyNamesWithoutAnyExtensionGetTxt) {
    EXPECT_EQ(withDefaultExtension("/tmp/notes"), "/tmp/notes.txt");
    EXPECT_EQ(withDefaultExtension(G("/tmp/笔记")), G("/tmp/笔记.txt"));
    EXPECT_EQ(withDefaultExtension("/tmp/page.html"), "/tmp/page.html");
    EXPECT_EQ(withDefaultExtension("/tmp/archive.tar.gz"), "/tmp/archive.tar.gz");
    // A dot in a folder name is not the file's extension.
    EXPECT_EQ(withDefaultExtension("/tmp/v1.2/readme"), "/tmp/v1.2/readme.txt");
    EXPECT_EQ(withDefaultExtension("readme"), "readme.txt");
}

TEST(DocumentRules, EditorFillsTheClientAreaAboveTheStatusBar) {
    EXPECT_EQ(editorGeometry(792, 404), (Rect{0, 0, 792, 384}));
    EXPECT_EQ(editorGeometry(100, 10), (Rect{0, 0, 100, 0}));
}

TEST(DocumentRules, StartupGeometryFromStoredTexts) {
    EXPECT_EQ(startupWindowGeometry("50", "60", "794", "452"), (Rect{50, 60, 794, 452}));
    // Numbers truncate toward zero; blanks before them are skipped; text is 0.
    EXPECT_EQ(startupWindowGeometry(" 10.9", "-3.7", "640.5", "480px"), (Rect{10, -3, 640, 480}));
    EXPECT_EQ(startupWindowGeometry("abc", "", "800", "600"), (Rect{0, 0, 800, 600}));
}

TEST(DocumentRules, AnUnusableSizeFallsBackToTheDesignSize) {
    // An absent or emptied file would otherwise give a window of no size at all.
    EXPECT_EQ(startupWindowGeometry("", "", "", ""), (Rect{0, 0, 794, 452}));
    EXPECT_EQ(startupWindowGeometry("5", "5", "-20", "0"), (Rect{5, 5, 794, 452}));
}

TEST(DocumentRules, AStoredPlaceIsFittedOnTheScreen) {
    const Rect screen{0, 0, 1024, 768};
    const FrameMargins frame{4, 30, 4, 4};
    // What fits stays exactly as stored, also partly off the screen.
    EXPECT_EQ(fitOnScreen({50, 50, 794, 452}, screen, frame), (Rect{50, 50, 794, 452}));
    EXPECT_EQ(fitOnScreen({-300, 100, 794, 452}, screen, frame), (Rect{-300, 100, 794, 452}));
    // Larger than the screen: the frame fits the free area, and is moved into it.
    EXPECT_EQ(fitOnScreen({0, 0, 2147483647, 2147483647}, screen, frame), (Rect{0, 0, 1016, 734}));
    EXPECT_EQ(fitOnScreen({900, 700, 5000, 5000}, screen, frame), (Rect{0, 0, 1016, 734}));
    // Far away: back until half of the frame (or 200 px) is over the screen and the title bar is in it.
    EXPECT_EQ(fitOnScreen({99999, 99999, 600, 400}, screen, frame), (Rect{720, 728, 600, 400}));
    EXPECT_EQ(fitOnScreen({-99999, -99999, 600, 400}, screen, frame), (Rect{-304, 0, 600, 400}));
    EXPECT_EQ(fitOnScreen({-99999, 10, 100, 100}, screen, frame), (Rect{0, 10, 100, 100}));
    // The free area of a second screen, or one without the panel, counts from its own corner.
    EXPECT_EQ(fitOnScreen({0, 0, 3000, 3000}, {1920, 24, 1280, 1000}, frame), (Rect{1920, 24, 1272, 966}));
}
