// ColorSystemTest -- the named colours, ParseColor's three forms and the packed colour formats.
#include "core/ColorSystem.h"
#include "core/DebugSystem.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

class ColorTable : public ::testing::Test {
protected:
    ColorTable()
    {
        gDebugSystem = &debug;
        gColorSystem = &colors;
    }
    ~ColorTable() override { gColorSystem = nullptr; }

    static Color ByIndex(int32_t index)
    {
        Color color{-1.0f, -1.0f, -1.0f};
        ColorSystem::GetColorByIndex(color.r, color.g, color.b, index);
        return color;
    }

    DebugSystem debug;
    ColorSystem colors;
};

void ExpectColor(const Color& color, float r, float g, float b)
{
    EXPECT_FLOAT_EQ(color.r, r);
    EXPECT_FLOAT_EQ(color.g, g);
    EXPECT_FLOAT_EQ(color.b, b);
}

TEST_F(ColorTable, FixedEntriesAndOutOfRangeIndex)
{
    ExpectColor(ByIndex(ColorType::White), 1, 1, 1);
    ExpectColor(ByIndex(ColorType::Red), 1, 0, 0);
    ExpectColor(ByIndex(10), 0, 0, 0);
    EXPECT_EQ(ColorSystem::GetColorName(5), "Yellow");
    EXPECT_EQ(ColorSystem::GetColorName(8), "Cyan");
    EXPECT_EQ(ColorSystem::GetColorName(145), "Pop");
    EXPECT_EQ(ColorSystem::GetColorName(149), "");
    ExpectColor(ByIndex(149), 1, 1, 1);
    ExpectColor(ByIndex(-1), 1, 1, 1);

    gColorSystem = nullptr;
    ExpectColor(ByIndex(1), -1, -1, -1);
}

TEST_F(ColorTable, ParseColorReadsEmptyNameOrNumbers)
{
    ExpectColor(ParseColor(""), 0, 0, 0);
    ExpectColor(ParseColor("red"), 1, 0, 0);
    ExpectColor(ParseColor("PURPLE"), ByIndex(ColorType::Purple).r, ByIndex(ColorType::Purple).g,
                ByIndex(ColorType::Purple).b);
    ExpectColor(ParseColor("0.25 0.5\t0.75"), 0.25f, 0.5f, 0.75f);
    ExpectColor(ParseColor("  0.5   1"), 0.5f, 1, 0);
    ExpectColor(ParseColor("nan inf 2"), 0, 0, 2);
    // The default entry's own name reads as numbers, which gives its colour anyway.
    ExpectColor(ParseColor("None"), 0, 0, 0);
    ExpectColor(ParseColor("Reddish"), 0, 0, 0);
    // A quiet lookup: an unknown name is no error.
    EXPECT_TRUE(debug.GetConsoleLines().empty());
}

TEST(ColorPacking, Rgb565RoundsClampsAndPlacesBits)
{
    EXPECT_EQ(Color::ToRgb565(255, 255, 255), 0xFFFF);
    EXPECT_EQ(Color::ToRgb565(0, 0, 0), 0x0000);
    EXPECT_EQ(Color::ToRgb565(255, 0, 0), 0xF800);
    EXPECT_EQ(Color::ToRgb565(0, 255, 0), 0x07E0);
    EXPECT_EQ(Color::ToRgb565(0, 0, 255), 0x001F);
    // 7.5 rounds up to 8, the first value that reaches the top five bits of red.
    EXPECT_EQ(Color::ToRgb565(7.5f, 3.49f, 7.49f), 0x0800);
    EXPECT_EQ(Color::ToRgb565(300, -20, NAN), 0xF800);
}

TEST(ColorPacking, Rgba32AndScaleToUnit)
{
    EXPECT_EQ(Color::ToRGBA32(Color{1.0f, 0.5f, 0.0f}, 2.0f), 0xFF0080FFu);
    EXPECT_EQ(Color::ToRGBA32(Color{-1.0f, NAN, 0.2f}, 0.0f), 0x00330000u);
    Color bright{2.0f, 1.0f, 0.5f};
    Color::ScaleToUnit(bright);
    ExpectColor(bright, 1.0f, 0.5f, 0.25f);
    // Exactly 1 is divided by itself, which changes nothing; below 1 is left alone.
    Color unit{1.0f, 0.4f, 0.2f};
    Color::ScaleToUnit(unit);
    ExpectColor(unit, 1.0f, 0.4f, 0.2f);
    Color dim{0.5f, 0.2f, 0.1f};
    Color::ScaleToUnit(dim);
    ExpectColor(dim, 0.5f, 0.2f, 0.1f);
}

TEST(ColorPacking, HexClampsEachChannel)
{
    EXPECT_EQ(ColorToHexString(Color{1.0f, 0.5f, -1.0f}), "#ff8000");
}

} // namespace
