#include "common/gbk_text.h"

#include <gtest/gtest.h>

#include <string>

TEST(GbkText, ConvertsBothWaysAndCountsTwoBytesPerChineseCharacter) {
    std::string gbk = Utf8ToGbk("张力N");
    EXPECT_EQ(gbk, std::string("\xD5\xC5\xC1\xA6N"));
    EXPECT_EQ(GbkToUtf8(gbk), "张力N");
    EXPECT_EQ(GbkToUtf8(Utf8ToGbk("测试数据存档")), "测试数据存档");
}

TEST(GbkText, InvalidBytesBecomeReplacementCharactersAndTheRestSurvives) {
    // 0xFF is never valid; a lead byte at the very end is an incomplete character.
    EXPECT_EQ(GbkToUtf8(std::string("a\xFF"
                                    "b")),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(GbkToUtf8(std::string("ok\xD5")), "ok\xEF\xBF\xBD");
    EXPECT_EQ(GbkToUtf8(std::string("\0x", 2)), std::string("\0x", 2));
}

TEST(GbkText, UnencodableOrInvalidUtf8BecomesQuestionMark) {
    EXPECT_EQ(Utf8ToGbk("a\xF0\x9F\x98\x80"
                        "b"),
              "a?b");                     // an emoji GBK cannot hold
    EXPECT_EQ(Utf8ToGbk("x\xC3"), "x?");  // truncated UTF-8
}

TEST(GbkText, AnyByteSequenceConvertsWithoutFault) {
    std::string all;
    for (int i = 0; i < 256; ++i)
        for (int j = 0; j < 256; j += 7) {
            all.push_back(static_cast<char>(i));
            all.push_back(static_cast<char>(j));
        }
    EXPECT_FALSE(GbkToUtf8(all).empty());
    EXPECT_FALSE(Utf8ToGbk(all).empty());
}
