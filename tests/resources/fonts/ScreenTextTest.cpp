// ScreenTextTest -- text laid out glyph by glyph on a recording device: pens, lines, colour codes and their stack, fonts, shader rectangles.
#include "resources/shaders/ShaderWorld.h"

#include "core/UserVarSystem.h"
#include "resources/fonts/FontResource.h"
#include "resources/fonts/ScreenText.h"

#include <cmath>

namespace {

int Width(char c)
{
    return 4 + static_cast<unsigned char>(c) % 3;
}

using Bytes = std::array<uint8_t, 3>;

struct Quad {
    float x0, y0, x1, y1;
    Bytes color;
};

Bytes ColorBytes(const Color& color)
{
    auto byte = [](float value) { return static_cast<uint8_t>(std::lround(value * 255.0f)); };
    return {byte(color.r), byte(color.g), byte(color.b)};
}

class ScreenTextTest : public ShaderWorld {
protected:
    ScreenTextTest()
    {
        StartShaders();
        text.RegisterVars();
        text.SetLineSpacing(2.0f);
        gUserVarSystem->SetStringByName("r_higherResFonts", "0");
    }

    int32_t Font(const std::string& name, int scale = 1)
    {
        WriteAsset("Fonts/" + name + ".fnt", MakeGlyphFont(scale));
        WriteTarga("Textures/Fonts/" + name + ".tga", 32, 32);
        ResourceHandle& handle = Hold();
        manager->Load("Fonts/" + name + ".fnt", handle);
        return handle;
    }

    const Shader* FontShader(int32_t font)
    {
        auto* resource = dynamic_cast<FontResource*>(manager->Get(font));
        return dynamic_cast<Shader*>(manager->Get(resource->GetShader()));
    }

    static std::vector<Quad> Quads(const DeviceBatch& batch)
    {
        std::vector<Quad> quads;
        for (size_t v = 0; v + 3 < batch.vertices.size(); v += 4) {
            const DeviceVertex& topLeft = batch.vertices[v];
            const DeviceVertex& bottomRight = batch.vertices[v + 2];
            Bytes color{topLeft.color[0], topLeft.color[1], topLeft.color[2]};
            quads.push_back({topLeft.position[0], topLeft.position[1], bottomRight.position[0], bottomRight.position[1], color});
        }
        return quads;
    }

    static void ExpectQuad(const Quad& quad, float x, float y, char glyph, const Color& color)
    {
        EXPECT_FLOAT_EQ(quad.x0, x) << glyph;
        EXPECT_FLOAT_EQ(quad.y0, y) << glyph;
        EXPECT_FLOAT_EQ(quad.x1, x + static_cast<float>(Width(glyph))) << glyph;
        EXPECT_FLOAT_EQ(quad.y1, y + 8.0f) << glyph;
        // Colours go out as bytes, rounded.
        EXPECT_EQ(quad.color, ColorBytes(color)) << glyph;
    }

    std::vector<Quad> Draw(int32_t font, std::u16string_view line, bool shadow = false)
    {
        device.Clear();
        text.DrawText(font, line, 10, 20, kCallColor, shadow, 0.75f);
        std::vector<DeviceBatch> batches = device.GetBatches();
        return batches.empty() ? std::vector<Quad>() : Quads(batches.back());
    }

    static constexpr Color kCallColor{0.5f, 0.25f, 1.0f};
    ScreenText text{&device};
};

Color Entry(int32_t index)
{
    Color color;
    ColorSystem::GetColorByIndex(color.r, color.g, color.b, index);
    return color;
}

TEST_F(ScreenTextTest, ColourCodesPushAndPopAcrossANewLine)
{
    int32_t font = Font("plain");
    device.Clear();
    text.DrawText(font, u"A^c004B^c001C^c145D^c145E\\nF", 10, 20, kCallColor, false, 0.75f);
    std::vector<DeviceBatch> batches = device.GetBatches();
    ASSERT_EQ(batches.size(), 1u);
    const DeviceBatch& batch = batches[0];
    EXPECT_EQ(batch.shader, FontShader(font));
    ASSERT_EQ(batch.stages.size(), 1u);
    EXPECT_NE(batch.stages[0].textureId, -1);
    EXPECT_TRUE(batch.hasColors);
    std::vector<Quad> quads = Quads(batch);
    ASSERT_EQ(quads.size(), 6u);
    ASSERT_EQ(batch.indexes.size(), 36u);
    // The screen writers' order after four vertices already in the batch.
    EXPECT_EQ(std::vector<uint16_t>(batch.indexes.begin() + 6, batch.indexes.begin() + 12),
              (std::vector<uint16_t>{4, 6, 5, 4, 7, 6}));
    float x = 10.0f;
    const char glyphs[] = "ABCDE";
    const Color colorsDrawn[] = {kCallColor, Entry(4), Entry(1), Entry(4), kCallColor};
    for (int i = 0; i < 5; ++i) {
        ExpectQuad(quads[static_cast<size_t>(i)], x, 20.0f, glyphs[i], colorsDrawn[i]);
        x += static_cast<float>(Width(glyphs[i]) + 1);
    }
    // The next line: line spacing 2 plus the tallest glyph of the line.
    ExpectQuad(quads[5], 10.0f, 30.0f, 'F', kCallColor);
    EXPECT_EQ(text.GetColorStackSize(), 0u);
    // Glyph rectangles are flipped into texture space; alpha is the call's.
    const DeviceVertex& corner = batch.vertices[0];
    EXPECT_NEAR(corner.texCoord[0], 'A' / 256.0f, 1e-5f);
    EXPECT_FLOAT_EQ(corner.texCoord[1], 0.75f);
    EXPECT_FLOAT_EQ(batch.vertices[2].texCoord[1], 0.25f);
    EXPECT_EQ(corner.color[3], 191);
}

TEST_F(ScreenTextTest, LinesTabsAndCodesThatStopReading)
{
    int32_t font = Font("plain");
    EXPECT_TRUE(Draw(font, u"\n").empty());
    std::vector<Quad> quads = Draw(font, u"\nA");
    ASSERT_EQ(quads.size(), 1u);
    ExpectQuad(quads[0], 10.0f, 20.0f + 2.0f + 12.0f, 'A', kCallColor);

    quads = Draw(font, u"\tA");
    ASSERT_EQ(quads.size(), 1u);
    ExpectQuad(quads[0], 10.0f + 5.0f * Width(' ') + 1.0f, 20.0f, 'A', kCallColor);

    // A code of any other letter is passed over without drawing or moving the pen.
    quads = Draw(font, u"A^x123^Q000B");
    ASSERT_EQ(quads.size(), 2u);
    ExpectQuad(quads[1], 10.0f + Width('A') + 1.0f, 20.0f, 'B', kCallColor);

    // After "^l" later codes are passed over, not applied.
    quads = Draw(font, u"^l000^c004B");
    ASSERT_EQ(quads.size(), 1u);
    ExpectQuad(quads[0], 10.0f, 20.0f, 'B', kCallColor);

    // A code cut off by the end of the text is drawn as it stands; a whole one at the end applies.
    quads = Draw(font, u"AB^c00");
    ASSERT_EQ(quads.size(), 6u);
    ExpectQuad(quads[5], 10.0f + Width('A') + Width('B') + Width('^') + Width('c') + Width('0') + 5.0f, 20.0f, '0',
               kCallColor);
    EXPECT_EQ(Draw(font, u"A^c004").size(), 1u);
    // A character outside the code page is skipped without moving the pen; a glyph of no
    // size draws nothing and moves it one unit.
    quads = Draw(font, u"A\u00ffB\u4e00C");
    ASSERT_EQ(quads.size(), 3u);
    ExpectQuad(quads[2], 10.0f + Width('A') + 1.0f + 1.0f + Width('B') + 1.0f, 20.0f, 'C', kCallColor);

    quads = Draw(font, u"A", true);
    ASSERT_EQ(quads.size(), 2u);
    ExpectQuad(quads[0], 11.0f, 21.0f, 'A', Entry(ScreenText::kShadowColor));
    ExpectQuad(quads[1], 10.0f, 20.0f, 'A', kCallColor);
}

TEST_F(ScreenTextTest, FontCodesAndTheLadder)
{
    std::array<std::string, ScreenText::kLadderSize> names = {"Fonts/f0.fnt", "Fonts/f1.fnt", "Fonts/f2.fnt",
                                                              "Fonts/f3.fnt"};
    std::array<int32_t, ScreenText::kLadderSize> ladder{};
    for (int i = 0; i < ScreenText::kLadderSize; ++i)
        ladder[static_cast<size_t>(i)] = Font("f" + std::to_string(i));
    text.LoadFontLadder(names);
    EXPECT_EQ(text.GetLadderFont(2).GetValue(), ladder[2]);
    Draw(ladder[0], u"A");
    EXPECT_EQ(device.GetBatches().back().shader, FontShader(ladder[0]));
    gUserVarSystem->SetStringByName("r_higherResFonts", "1");
    Draw(ladder[0], u"A");
    EXPECT_EQ(device.GetBatches().back().shader, FontShader(ladder[1]));
    Draw(ladder[3], u"A");
    EXPECT_EQ(device.GetBatches().back().shader, FontShader(ladder[3]));

    // "^f001" draws what follows with font 1 of the text codes, in a batch of its own.
    int32_t other = Font("other");
    text.SetFontNameForCode([](int32_t n) { return n == 1 ? std::string("Fonts/other.fnt") : std::string(); });
    Draw(ladder[3], u"A^f001BC");
    std::vector<DeviceBatch> batches = device.GetBatches();
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_EQ(Quads(batches[0]).size(), 1u);
    EXPECT_EQ(batches[1].shader, FontShader(other));
    EXPECT_EQ(Quads(batches[1]).size(), 2u);
    // A font code naming no usable font ends the text there.
    Draw(ladder[3], u"A^f002BC");
    batches = device.GetBatches();
    ASSERT_EQ(batches.size(), 1u);
    EXPECT_EQ(Quads(batches[0]).size(), 1u);
}

// The text measure scales a larger font's glyphs to the asked font's heights: the drawn text
// must cover the same boxes, or measured labels would overflow their frames.
TEST_F(ScreenTextTest, HigherResolutionGlyphsAreDrawnAtTheAskedFontsSize)
{
    std::array<std::string, ScreenText::kLadderSize> names = {"Fonts/s0.fnt", "Fonts/s1.fnt", "Fonts/s2.fnt",
                                                              "Fonts/s3.fnt"};
    int32_t small = Font("s0");
    int32_t large = Font("s1", 2);
    Font("s2", 3);
    Font("s3", 4);
    text.LoadFontLadder(names);
    gUserVarSystem->SetStringByName("r_higherResFonts", "1");
    std::vector<Quad> quads = Draw(small, u"AB\tC\\nD");
    EXPECT_EQ(device.GetBatches().back().shader, FontShader(large));
    ASSERT_EQ(quads.size(), 4u);
    ExpectQuad(quads[0], 10.0f, 20.0f, 'A', kCallColor);
    ExpectQuad(quads[1], 10.0f + Width('A') + 1.0f, 20.0f, 'B', kCallColor);
    float tab = 5.0f * static_cast<float>(Width(' ')) + 1.0f;
    ExpectQuad(quads[2], 10.0f + Width('A') + 1.0f + Width('B') + 1.0f + tab, 20.0f, 'C', kCallColor);
    // The line is as tall as the asked font's glyphs, plus the spacing.
    ExpectQuad(quads[3], 10.0f, 20.0f + 8.0f + 2.0f, 'D', kCallColor);
}

TEST_F(ScreenTextTest, ShaderRectanglesSpanOrRepeatTheirTexture)
{
    WriteTarga("ui/tile.tga", 8, 4);
    ResourceHandle& shader = LoadShader("ui/tile.tga", TextureUsage::OverlayRepeat);
    device.Clear();
    text.DrawShaderRect(shader, kCallColor, 0.0f, 0.0f, 16.0f, 8.0f, 0.5f, false, false, 7);
    text.DrawShaderRect(shader, kCallColor, 0.0f, 0.0f, 16.0f, 8.0f, 0.5f, true, true, 0);
    text.DrawShaderRect(-1, kCallColor, 0.0f, 0.0f, 16.0f, 8.0f, 0.5f, true, true, 0);
    std::vector<DeviceBatch> batches = device.GetBatches();
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_EQ(batches[0].flushWords[0], 7u);
    ASSERT_EQ(batches[0].vertices.size(), 4u);
    EXPECT_FLOAT_EQ(batches[0].vertices[2].texCoord[0], 1.0f);
    EXPECT_FLOAT_EQ(batches[0].vertices[0].texCoord[1], 1.0f);
    EXPECT_FLOAT_EQ(batches[0].vertices[2].position[0], 16.0f);
    // Repeated: twice across (16 / 8) and twice down (8 / 4).
    EXPECT_FLOAT_EQ(batches[1].vertices[2].texCoord[0], 2.0f);
    EXPECT_FLOAT_EQ(batches[1].vertices[0].texCoord[1], 2.0f);
    EXPECT_EQ(batches[1].vertices[0].color[3], 128);
}

// A widget's "tiled" repeats its picture by the size; "tiledToFit" in whole repeats, so the
// picture ends at the rectangle's edge.
TEST_F(ScreenTextTest, TiledRectanglesRepeatByTheSizeAndTiledToFitInWholeRepeats)
{
    WriteTarga("ui/tile.tga", 8, 4);
    ResourceHandle& shader = LoadShader("ui/tile.tga", TextureUsage::OverlayRepeat);
    struct Case {
        float width;
        float height;
        bool tiled;
        bool tiledToFit;
        float u;
        float v;
    };
    const Case cases[] = {
        {20.0f, 6.0f, true, false, 2.5f, 1.5f},   {20.0f, 6.0f, false, true, 3.0f, 2.0f},
        {20.0f, 6.0f, true, true, 3.0f, 2.0f},    {3.0f, 1.0f, true, false, 0.375f, 0.25f},
        {3.0f, 1.0f, false, true, 1.0f, 1.0f},    {20.0f, 6.0f, false, false, 1.0f, 1.0f},
    };
    for (const Case& c : cases) {
        device.Clear();
        text.DrawShaderRect(shader, kCallColor, 10.0f, 10.0f, 10.0f + c.width, 10.0f + c.height, 1.0f, c.tiled,
                            c.tiledToFit, 0);
        std::vector<DeviceBatch> batches = device.GetBatches();
        ASSERT_EQ(batches.size(), 1u);
        const DeviceBatch& drawn = batches[0];
        ASSERT_EQ(drawn.vertices.size(), 4u);
        EXPECT_FLOAT_EQ(drawn.vertices[2].texCoord[0], c.u) << c.width << " " << c.tiled << c.tiledToFit;
        EXPECT_FLOAT_EQ(drawn.vertices[0].texCoord[1], c.v) << c.width << " " << c.tiled << c.tiledToFit;
        EXPECT_FLOAT_EQ(drawn.vertices[0].texCoord[0], 0.0f);
    }
}

} // namespace
