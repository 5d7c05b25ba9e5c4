// ColorCodeTest -- making, finding and stripping the five-character inline codes in narrow and wide text.
#include "core/ColorCode.h"

#include <gtest/gtest.h>

#include <string>

TEST(ColorCodeMake, ThreeDigitsAfterCaretAndLetter)
{
    EXPECT_EQ(MakeColorCode(8), "^c008");
    EXPECT_EQ(MakeColorCode(145), "^c145");
    EXPECT_EQ(MakeInlineCode('f', 6), "^f006");
}

TEST(ColorCodeParse, FindsCodesOnlyWhereAllFiveCharactersFit)
{
    const std::string text = "A^c004B^l000^f123^c1";
    char letter = 0;
    int32_t number = -1;
    for (size_t i = 0; i <= text.size() + 1; ++i) {
        bool found = ParseColorCode(text, i, letter, number);
        EXPECT_EQ(found, i == 1 || i == 7 || i == 12) << i;
    }
    ASSERT_TRUE(ParseColorCode(text, 12, letter, number));
    EXPECT_EQ(letter, 'f');
    EXPECT_EQ(number, 123);
    for (const char* bad : {"^1004", "^^004", "^c0a4", "^c00", "c004", "^\xe9" "004"})
        EXPECT_FALSE(ParseColorCode(bad, 0, letter, number)) << bad;
    // Any letter makes a code, of either case.
    ASSERT_TRUE(ParseColorCode("^x004", 0, letter, number));
    EXPECT_EQ(letter, 'x');
    ASSERT_TRUE(ParseColorCode("^Z999", 0, letter, number));
    EXPECT_EQ(number, 999);
}

TEST(ColorCodeParse, WideTextNeedsTheRealCharactersNotTheirLowBytes)
{
    char letter = 0;
    int32_t number = -1;
    ASSERT_TRUE(ParseColorCodeW(u"x^l149", 1, letter, number));
    EXPECT_EQ(letter, 'l');
    EXPECT_EQ(number, 149);
    // U+0163 and U+0130 end in the bytes of 'c' and '0'.
    EXPECT_FALSE(ParseColorCodeW(u"^\u0163004", 0, letter, number));
    EXPECT_FALSE(ParseColorCodeW(u"^c0\u01301", 0, letter, number));
}

TEST(ColorCodeStrip, RemovesEveryWholeCodeAndNothingElse)
{
    std::string text = "A^c004B^c145D^f006";
    StripColorCodes(text);
    EXPECT_EQ(text, "ABD");
    text = "^^c001x^y123 ^c12^1234";
    StripColorCodes(text);
    EXPECT_EQ(text, "^x ^c12^1234");
}

TEST(ColorCodeReplace, EachColourCodeBecomesItsOwnTextAndEverythingElseStays)
{
    std::string text = "A^c004B^c145^c004D^f006";
    ReplaceColorCodes(text, [](int32_t number) { return "<" + std::to_string(number) + ">"; });
    EXPECT_EQ(text, "A<4>B<145><4>D^f006");
    // A caret that starts no code, a cut-off code and a caret in what a code becomes are kept.
    text = "^^c001x^y123 ^c12";
    ReplaceColorCodes(text, [](int32_t) { return std::string("^c009"); });
    EXPECT_EQ(text, "^^c009x^y123 ^c12");
}
