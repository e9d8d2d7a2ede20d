// The document's conversion: phrase-aware, one undo step, and nothing lost that was not converted.
#include "aquinepad/convert/document_conversion.h"
#include "aquinepad/editor/tests/fake_text_editor.h"
#include "common/gbk_codec.h"
#include "common/text_convert.h"

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

using namespace aquinepad;
using aquinepad::testing::FakeTextEditor;

TEST(DocumentConversion, ConvertsByPhraseBothWays) {
    EXPECT_EQ(convertedText("头发和发展，皇后后来", ConversionDirection::ToTraditional), "頭髮和發展，皇后後來");
    EXPECT_EQ(convertedText("頭髮和發展", ConversionDirection::ToSimplified), "头发和发展");
}

TEST(DocumentConversion, WhatTheServiceDoesNotConvertSurvivesByteForByte) {
    // A GBK file with a byte that forms no character, a four-byte GB18030 character and an emoji, as
    // the editor holds them after loading.
    const std::string gbk = aquine::codec::utf8ToGbk("中文") + "\x81" + aquine::codec::utf8ToGbk("𠀀😀 ASCII\r\n") +
                            std::string("\0x", 2) + "\xFF";
    const std::string utf8 = aquine::codec::gbkToUtf8(gbk);
    const std::string back = aquine::codec::utf8ToGbk(convertedText(utf8, ConversionDirection::ToTraditional));
    EXPECT_EQ(back, aquine::codec::utf8ToGbk("中文") + "\x81" + aquine::codec::utf8ToGbk("𠀀😀 ASCII\r\n") +
                        std::string("\0x", 2) + "\xFF");
}

TEST(DocumentConversion, ALongTextGoesThroughInPiecesWithTheSameResult) {
    // About 2 MB with every kind of line end, and phrases near every piece boundary.
    std::string text;
    const char* ends[] = {"\r\n", "\n", "\r"};
    for (int i = 0; text.size() < (2u << 20); ++i)
        text += std::string("他的头发很长，") + "发展很快" + ends[i % 3];
    text += "一行很长的没有换行的文字头发";
    std::vector<std::size_t> reports;
    const std::string pieces =
        convertedText(text, ConversionDirection::ToTraditional, [&](std::size_t done, std::size_t total) {
            EXPECT_EQ(total, text.size());
            reports.push_back(done);
        });
    const std::string gbk = aquine::codec::utf8ToGbk(text);
    EXPECT_EQ(pieces, aquine::codec::gbkToUtf8(aquine::ToTraditional(gbk)));
    ASSERT_GT(reports.size(), 4u);
    EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
    EXPECT_EQ(reports.back(), text.size());
}

TEST(DocumentConversion, OneUndoBringsTheTextBack) {
    FakeTextEditor editor("发展\r\n头发");
    editor.setModified(false);
    convertDocument(editor, ConversionDirection::ToTraditional);
    EXPECT_EQ(editor.text(), "發展\r\n頭髮");
    EXPECT_TRUE(editor.isModified());
    editor.undo();
    EXPECT_EQ(editor.text(), "发展\r\n头发");
    EXPECT_FALSE(editor.isModified());
}

TEST(DocumentConversion, TextWithNothingToConvertIsLeftUntouched) {
    for (const char* text : {"", "plain ASCII\r\n", "中文"}) { // 中文 is the same in both forms
        FakeTextEditor editor(text);
        convertDocument(editor, ConversionDirection::ToTraditional);
        EXPECT_EQ(editor.text(), text);
        EXPECT_FALSE(editor.isModified()) << text;
    }
}
