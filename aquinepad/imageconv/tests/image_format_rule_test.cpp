// The destination name's extension picks the format: first matching row, exact case, lengths 4 and 5.
#include "aquinepad/imageconv/image_format_rule.h"

#include <gtest/gtest.h>

using namespace aquinepad;

namespace {

std::optional<ImageFormat> pick(std::string_view name) { return formatForDestination(name); }

} // namespace

TEST(ImageFormatRule, EachExtensionSelectsItsFormat) {
    EXPECT_EQ(pick("/tmp/a.jpg"), ImageFormat::Jpeg);
    EXPECT_EQ(pick("/tmp/a.sgi"), ImageFormat::Sgi);
    EXPECT_EQ(pick("/tmp/a.pic"), ImageFormat::Pict);
    EXPECT_EQ(pick("/tmp/a.pbm"), ImageFormat::Pbm);
    EXPECT_EQ(pick("/tmp/a.pgm"), ImageFormat::Pgm);
    EXPECT_EQ(pick("/tmp/a.bmp"), ImageFormat::Bmp);
    EXPECT_EQ(pick("/tmp/a.tif"), ImageFormat::Tiff);
    EXPECT_EQ(pick("/tmp/a.png"), ImageFormat::Png);
    EXPECT_EQ(pick("/tmp/a.ppm"), ImageFormat::Ppm);
    EXPECT_EQ(pick("/tmp/图片.pcx"), ImageFormat::Pcx);
}

TEST(ImageFormatRule, FourCharacterRowsAlsoMatchLongerExtensions) {
    EXPECT_EQ(pick("a.jpgz"), ImageFormat::Jpeg);
    EXPECT_EQ(pick("a.pngpng"), ImageFormat::Png);
    EXPECT_EQ(pick("a.bmp.bak.bmpx"), ImageFormat::Bmp); // only the last "." counts
}

TEST(ImageFormatRule, FiveCharacterRowsWantTheNameToEndThere) {
    EXPECT_EQ(pick("a.tiff"), std::nullopt);
    EXPECT_EQ(pick("a.pict"), std::nullopt);
    EXPECT_EQ(pick("a.tif.x"), std::nullopt);
}

TEST(ImageFormatRule, CaseAndMissingDotsMatchNothing) {
    EXPECT_EQ(pick("a.JPG"), std::nullopt);
    EXPECT_EQ(pick("a.Png"), std::nullopt);
    EXPECT_EQ(pick("picture"), std::nullopt);
    EXPECT_EQ(pick(""), std::nullopt);
    EXPECT_EQ(pick("a."), std::nullopt);
    EXPECT_EQ(pick("a.jp"), std::nullopt);
    // A dot in a folder's name is no extension of the file.
    EXPECT_EQ(pick("/home/u/photos.jpg/picture"), std::nullopt);
    EXPECT_EQ(pick("/home/u/photos.jpg/picture.png"), ImageFormat::Png);
}

TEST(ImageFormatRule, MessagesListTheExtensionsInTableOrder) {
    EXPECT_EQ(extensionList(), ".jpg .sgi .pic .pbm .pgm .bmp .tif .png .ppm .pcx");
}
