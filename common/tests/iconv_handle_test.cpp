// The iconv handle: where a conversion stopped and why, and that a handle can be moved but is closed once.
#include "common/iconv_handle.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>

using aquine::IconvHandle;

TEST(IconvHandle, OpensConvertsAndSaysWhereItStopped) {
    EXPECT_FALSE(IconvHandle::open("UTF-8", "NO-SUCH-ENCODING"));
    EXPECT_FALSE(IconvHandle::open("UTF-8", "NO-SUCH-ENCODING").reason().empty());

    auto opened = IconvHandle::open("UTF-8", "GB18030");
    ASSERT_TRUE(opened) << opened.reason();
    IconvHandle gbk = std::move(*opened); // a moved-from handle closes nothing twice
    char out[16];

    auto piece = gbk.convert("\xD6\xD0z", out, sizeof out);
    EXPECT_EQ(piece.stop, IconvHandle::Stop::Done);
    EXPECT_EQ(piece.read, 3u);
    EXPECT_EQ(std::string(out, piece.written), "中z");

    piece = gbk.convert("a\xD6\xD0\xFF", out, sizeof out);
    EXPECT_EQ(piece.stop, IconvHandle::Stop::Unconvertible);
    EXPECT_EQ(piece.read, 3u);
    EXPECT_EQ(std::string(out, piece.written), "a中");

    piece = gbk.convert("a\xD6", out, sizeof out);
    EXPECT_EQ(piece.stop, IconvHandle::Stop::Incomplete);
    EXPECT_EQ(piece.read, 1u);

    piece = gbk.convert("\xD6\xD0\xCE\xC4", out, 4);
    EXPECT_EQ(piece.stop, IconvHandle::Stop::OutputFull);
    EXPECT_EQ(piece.read, 2u);
    EXPECT_EQ(std::string(out, piece.written), "中");

    IconvHandle other = std::move(*IconvHandle::open("UTF-8", "CP950"));
    other = std::move(gbk);
    other.reset();
    piece = other.convert("\xCE\xC4", out, sizeof out);
    EXPECT_EQ(std::string(out, piece.written), "文");
}
