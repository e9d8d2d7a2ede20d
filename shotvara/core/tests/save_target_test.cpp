// Save naming: the filter row's format and extension, and names that already carry one.
#include "shotvara/core/save_target.h"

#include <gtest/gtest.h>

using namespace shotvara;

TEST(SaveTarget, RowsAreTheFilterRowsInOrder) {
    EXPECT_EQ(formatOfRow(0), PictureFormat::Png);
    EXPECT_EQ(formatOfRow(1), PictureFormat::Gif);
    EXPECT_EQ(formatOfRow(2), PictureFormat::Jpeg);
    EXPECT_EQ(formatOfRow(-1), PictureFormat::Png);
    EXPECT_EQ(formatOfRow(3), PictureFormat::Png);
    for (auto f : {PictureFormat::Png, PictureFormat::Gif, PictureFormat::Jpeg})
        EXPECT_EQ(formatOfRow(rowOfFormat(f)), f);
    // The filter's patterns name the same extensions as the rows.
    EXPECT_NE(kSaveFilter.find("|*.png|"), std::string_view::npos);
    EXPECT_NE(kSaveFilter.find("|*.gif|"), std::string_view::npos);
    EXPECT_TRUE(kSaveFilter.ends_with("|*.jpg"));
}

TEST(SaveTarget, NameWithoutExtensionGetsTheRowsExtension) {
    EXPECT_EQ(saveTarget("/tmp/shot", 0), (SaveTarget{"/tmp/shot.png", PictureFormat::Png}));
    EXPECT_EQ(saveTarget("/tmp/shot", 1), (SaveTarget{"/tmp/shot.gif", PictureFormat::Gif}));
    EXPECT_EQ(saveTarget("/tmp/shot", 2), (SaveTarget{"/tmp/shot.jpg", PictureFormat::Jpeg}));
    EXPECT_EQ(saveTarget("/tmp/截图", 1), (SaveTarget{"/tmp/截图.gif", PictureFormat::Gif}));
    EXPECT_EQ(saveTarget("/tmp/shot.", 2), (SaveTarget{"/tmp/shot.jpg", PictureFormat::Jpeg}));
    // Dots that do not start a picture extension: a date, a hidden file, a dotted folder.
    EXPECT_EQ(saveTarget("/tmp/2024.05.01", 0)->path, "/tmp/2024.05.01.png");
    EXPECT_EQ(saveTarget("/tmp/.png", 0)->path, "/tmp/.png.png");
    EXPECT_EQ(saveTarget("/tmp/a.gif/shot", 2)->path, "/tmp/a.gif/shot.jpg");
}

TEST(SaveTarget, TypedPictureExtensionDecidesTheFormat) {
    EXPECT_EQ(saveTarget("/tmp/shot.png", 0), (SaveTarget{"/tmp/shot.png", PictureFormat::Png}));
    EXPECT_EQ(saveTarget("/tmp/shot.GIF", 0), (SaveTarget{"/tmp/shot.GIF", PictureFormat::Gif}));
    EXPECT_EQ(saveTarget("/tmp/shot.jpeg", 1), (SaveTarget{"/tmp/shot.jpeg", PictureFormat::Jpeg}));
    EXPECT_EQ(saveTarget("/tmp/shot.Jpg", 0)->format, PictureFormat::Jpeg);
}

TEST(SaveTarget, PathWithoutFileNameIsRefused) {
    EXPECT_FALSE(saveTarget("", 0));
    EXPECT_FALSE(saveTarget("/tmp/", 0));
}
