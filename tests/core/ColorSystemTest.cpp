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

TEST(ColorPacking, HexClampsEachChannel)
{
    EXPECT_EQ(ColorToHexString(Color{1.0f, 0.5f, -1.0f}), "#ff8000");
}

} // namespace
