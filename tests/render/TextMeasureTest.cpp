// TextMeasureTest -- text measured in fonts on a resource manager: glyph widths plus one, lines and their heights, tabs, inline codes cut by the end, font changes and their stop, characters outside the font, the larger font's metrics.
#include "resources/shaders/ShaderWorld.h"

#include "core/UserVarSystem.h"
#include "render/TextMeasure.h"
#include "resources/fonts/ScreenText.h"

#include <cmath>

namespace {

float Width(char c)
{
    return static_cast<float>(4 + static_cast<unsigned char>(c) % 3);
}

class TextMeasureTest : public ShaderWorld {
protected:
    TextMeasureTest()
    {
        StartShaders();
        text.RegisterVars();
        text.SetLineSpacing(2.0f);
        gUserVarSystem->SetStringByName("r_higherResFonts", "0");
        gScreenText = &text;
        for (int i = 0; i < 4; ++i) {
            WriteAsset("Fonts/f" + std::to_string(i) + ".fnt", MakeGlyphFont(i + 1));
            WriteTarga("Textures/Fonts/f" + std::to_string(i) + ".tga", 8, 8);
        }
        text.LoadFontLadder({"Fonts/f0.fnt", "Fonts/f1.fnt", "Fonts/f2.fnt", "Fonts/f3.fnt"});
        text.SetFontNameForCode([](int32_t n) { return n < 4 ? "Fonts/f" + std::to_string(n) + ".fnt" : std::string(); });
    }
    ~TextMeasureTest() override { gScreenText = nullptr; }
    void TearDown() override
    {
        text.LoadFontLadder({"", "", "", ""});
        ShaderWorld::TearDown();
    }

    int32_t Ladder(int i) const { return text.GetLadderFont(i); }

    ScreenText text{&device};
};

TEST_F(TextMeasureTest, NothingMeasuresNothing)
{
    TextSize empty = MeasureTextA("", Ladder(0));
    EXPECT_EQ(empty.width, 0.0f);
    EXPECT_EQ(empty.height, 0.0f);
    TextSize noFont = MeasureTextA("abc", -1);
    EXPECT_EQ(noFont.width, 0.0f);
    EXPECT_EQ(noFont.height, 0.0f);
}

TEST_F(TextMeasureTest, EachGlyphAddsItsWidthAndOnePixel)
{
    TextSize size = MeasureTextA("ab", Ladder(0));
    EXPECT_FLOAT_EQ(size.width, Width('a') + Width('b') + 2.0f);
    EXPECT_FLOAT_EQ(size.height, 2.0f + 8.0f);
}

TEST_F(TextMeasureTest, ANewLineEndsALineAndAnEmptyLineIsAsTallAsGlyphZero)
{
    EXPECT_FLOAT_EQ(MeasureTextA("abc\n", Ladder(0)).height, 10.0f);
    EXPECT_FLOAT_EQ(MeasureTextA("abc\n\n", Ladder(0)).height, 10.0f + 14.0f);
    TextSize two = MeasureTextA("a\nabc", Ladder(0));
    EXPECT_FLOAT_EQ(two.height, 20.0f);
    EXPECT_FLOAT_EQ(two.width, Width('a') + Width('b') + Width('c') + 3.0f);
}

TEST_F(TextMeasureTest, ATabIsFiveWidthsOfGlyphRecord32AndOnePixelAndLeavesTheLineEmpty)
{
    TextSize tab = MeasureTextA("\t", Ladder(0));
    EXPECT_FLOAT_EQ(tab.width, 5.0f * (4 + 32 % 3) + 1.0f);
    EXPECT_FLOAT_EQ(tab.height, 0.0f);
}

TEST_F(TextMeasureTest, InlineCodesAreSkippedButACodeCutByTheEndIsMeasured)
{
    TextSize plain = MeasureTextA("abc", Ladder(0));
    TextSize coloured = MeasureTextA("^c004abc", Ladder(0));
    EXPECT_FLOAT_EQ(coloured.width, plain.width);
    EXPECT_FLOAT_EQ(MeasureTextA("abc^c1", Ladder(0)).width, plain.width + Width('^') + Width('c') + Width('1') + 3.0f);
    // Every cut of a code at the end: no more than the characters there.
    for (const char* cut : {"abc^", "abc^c", "abc^c0", "abc^c00"}) {
        std::string text = cut;
        float expected = plain.width;
        for (size_t i = 3; i < text.size(); ++i)
            expected += Width(text[i]) + 1.0f;
        EXPECT_FLOAT_EQ(MeasureTextA(text, Ladder(0)).width, expected) << text;
    }
}

TEST_F(TextMeasureTest, AFontCodeChangesTheFontUntilTheStopCode)
{
    // Font 1 is twice the size: "b" after it is twice as wide and the line twice as tall.
    TextSize changed = MeasureTextA("a^f001b", Ladder(0));
    EXPECT_FLOAT_EQ(changed.width, Width('a') + 1.0f + 2.0f * Width('b') + 1.0f);
    EXPECT_FLOAT_EQ(changed.height, 2.0f + 16.0f);
    TextSize stopped = MeasureTextA("a^l000^f001b", Ladder(0));
    EXPECT_FLOAT_EQ(stopped.width, Width('a') + Width('b') + 2.0f);
    // A code naming no font leaves the font in use.
    EXPECT_FLOAT_EQ(MeasureTextA("a^f009b", Ladder(0)).width, Width('a') + Width('b') + 2.0f);
}

TEST_F(TextMeasureTest, ACharacterOutsideTheFontNeitherWidensNorMakesALine)
{
    TextSize size = MeasureTextW(Ladder(0), u"\u4e00\u4e01");
    EXPECT_EQ(size.width, 0.0f);
    EXPECT_EQ(size.height, 0.0f);
    // Byte 200 is in the code page but its glyph has no size: one pixel, and the line counts.
    TextSize sizeless = MeasureTextW(Ladder(0), u"\u00c8");
    EXPECT_FLOAT_EQ(sizeless.width, 1.0f);
}

TEST_F(TextMeasureTest, HigherResolutionFontsLendTheirWidthsScaledToTheBaseHeight)
{
    EXPECT_EQ(NextLargerFont(Ladder(0)), Ladder(1));
    EXPECT_EQ(NextLargerFont(Ladder(2)), Ladder(3));
    EXPECT_EQ(NextLargerFont(Ladder(3)), Ladder(3));
    EXPECT_EQ(NextLargerFont(12345), 12345);
    gUserVarSystem->SetStringByName("r_higherResFonts", "1");
    // Font 1's widths are twice font 0's and its heights too: the scaled widths are font 0's.
    TextSize size = MeasureTextA("ab", Ladder(0));
    EXPECT_FLOAT_EQ(size.width, Width('a') + Width('b') + 2.0f);
    EXPECT_FLOAT_EQ(size.height, 10.0f);
    auto* base = dynamic_cast<FontResource*>(manager->Get(Ladder(0)));
    auto* larger = dynamic_cast<FontResource*>(manager->Get(Ladder(1)));
    ASSERT_NE(base, nullptr);
    ASSERT_NE(larger, nullptr);
    EXPECT_FLOAT_EQ(GetScaledGlyphWidth(*larger, *base, 'a'), Width('a'));
    // A metrics glyph of no height gives no width.
    EXPECT_FLOAT_EQ(GetScaledGlyphWidth(*larger, *base, 200), 0.0f);
}

} // namespace

namespace {

// Seeded texts full of carets, code letters, digits, line ends, tabs and characters no font
// holds, cut at every length: each measures to finite sizes no larger than its characters allow.
TEST_F(TextMeasureTest, CodesCutAnywhereNeverReadPastTheEnd)
{
    const char16_t alphabet[] = {u'^', u'c', u'f', u'l', u'x', u'0', u'1', u'9', u'a', u'\n', u'\t', u'\u4e00'};
    uint32_t state = 12345;
    for (int round = 0; round < 300; ++round) {
        std::u16string text;
        for (int i = 0; i < 14; ++i) {
            state = state * 0x8B1D5u + 0x8B1D3Fu;
            text.push_back(alphabet[(state >> 16) % (sizeof(alphabet) / sizeof(alphabet[0]))]);
        }
        for (size_t length = 0; length <= text.size(); ++length) {
            // The widest step is a tab in the largest font a code may switch to: 5 x 24 + 1.
            TextSize size = MeasureTextW(Ladder(0), std::u16string_view(text).substr(0, length));
            ASSERT_TRUE(std::isfinite(size.width) && std::isfinite(size.height));
            ASSERT_GE(size.width, 0.0f);
            ASSERT_LE(size.width, static_cast<float>(length) * 121.0f);
            ASSERT_LE(size.height, static_cast<float>(length + 1) * (2.0f + 48.0f));
        }
    }
}

} // namespace
