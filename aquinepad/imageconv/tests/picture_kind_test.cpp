// Pictures are known by their first bytes, never by their names, and their declared sizes judged.
#include "aquinepad/imageconv/picture_kind.h"

#include <gtest/gtest.h>

using namespace aquinepad;

namespace {

std::string padded(std::string head, std::size_t size) {
    head.resize(size, '\0');
    return head;
}

} // namespace

TEST(PictureKind, VectorScriptAndTextFilesAreNoPictures) {
    for (const std::string_view text : {
             std::string_view("<?xml version=\"1.0\"?><svg/>"), std::string_view("<svg width=\"1\" height=\"1\"/>"),
             std::string_view("push graphic-context\nviewbox 0 0 1 1\n"),
             std::string_view("<?xml version=\"1.0\"?><image><read filename=\"x\"/></image>"),
             std::string_view("%!PS-Adobe-3.0\n"), std::string_view("%PDF-1.4\n"), std::string_view("@/etc/passwd"),
             std::string_view("P9\n"), std::string_view("PNG"), std::string_view(""),
             std::string_view("\x0A\x07\x01\x08"), // PCX magic with no such version, too short as well
         })
        EXPECT_EQ(recognisePicture(text), std::nullopt) << text;
}

TEST(PictureKind, DeclaredSizesAreReadFromFixedHeaders) {
    std::string png = padded("\x89PNG\r\n\x1A\n", 8);
    png += std::string("\0\0\0\x0DIHDR\x00\x01\x86\xA0\x00\x00\x75\x30", 16); // 100000 x 30000
    EXPECT_EQ(recognisePicture(png)->declaredSize, (PictureSize{100000, 30000}));
    EXPECT_EQ(recognisePicture(padded("GIF89a\x10\x27\x01\x00", 20))->declaredSize, (PictureSize{10000, 1}));
    std::string bmp = padded("BM", 14);
    bmp += std::string("\x28\0\0\0\x03\0\0\0\xFE\xFF\xFF\xFF", 12); // 3 wide, 2 high stored top down
    EXPECT_EQ(recognisePicture(padded(bmp, 60))->declaredSize, (PictureSize{3, 2}));
    EXPECT_EQ(recognisePicture(padded(std::string("\x0A\x05\x01\x08\0\0\0\0\x09\0\x04\0", 12), 128))->declaredSize,
              (PictureSize{10, 5}));
    EXPECT_EQ(recognisePicture(padded(std::string("\x01\xDA\0\x01\0\x03\x00\x07\x00\x05", 10), 512))->declaredSize,
              (PictureSize{7, 5}));
    std::string pict(600, '\0');
    pict.replace(514, 14, std::string("\0\0\0\0\0\x02\0\x03\x00\x11\x02\xFF\x0C\x00", 14));
    EXPECT_EQ(recognisePicture(pict)->declaredSize, (PictureSize{3, 2}));
    EXPECT_EQ(recognisePicture(padded("\xFF\xD8\xFF", 40))->declaredSize, std::nullopt) << "left to the header read";
}

TEST(PictureKind, SizesBeyondTheLimitsOrEmptyAreRefused) {
    const PictureLimits limits{.maxSide = 100, .maxPixels = 5000};
    EXPECT_EQ(sizeRefusal({100, 50}, limits), "");
    EXPECT_EQ(sizeRefusal({101, 1}, limits).rfind("图片太大（101×1 像素）", 0), 0u);
    EXPECT_NE(sizeRefusal({1, 101}, limits), "");
    EXPECT_NE(sizeRefusal({100, 51}, limits), "") << "5100 pixels";
    EXPECT_NE(sizeRefusal({0xFFFFFFFF, 0xFFFFFFFF}, limits), "") << "no overflow";
    EXPECT_EQ(sizeRefusal({0, 7}, limits).rfind("图片已损坏", 0), 0u);
    EXPECT_EQ(sizeRefusal({20001, 1}, PictureLimits{}),
              "图片太大（20001×1 像素）：最多可以读取每边 20000 像素、共 1.2 亿像素的图片");
}
