#include <gtest/gtest.h>

#include "base/Utf8.h"

TEST(Utf8, RoundTripsChineseAndAstralText)
{
    const std::wstring text = L"安装到：C:\\Program Files (x86)\\brovix\\Zelqa \U0001F680";
    EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
    EXPECT_EQ(ToUtf8(L"\u5B89"), "\xE5\xAE\x89");
    EXPECT_EQ(ToUtf8(L"\U0001F680"), "\xF0\x9F\x9A\x80");
}

TEST(Utf8, BrokenInputBecomesReplacementCharacters)
{
    EXPECT_EQ(FromUtf8("a\xFF"
                       "b"),
              L"a\uFFFD"
              L"b");
    EXPECT_EQ(FromUtf8("\xC0\xAF"), L"\uFFFD\uFFFD");           // overlong '/'
    EXPECT_EQ(FromUtf8("\xED\xA0\x80"), L"\uFFFD\uFFFD\uFFFD"); // an encoded surrogate
    EXPECT_EQ(FromUtf8("\xE5\xAE"), L"\uFFFD\uFFFD");           // cut short
}
