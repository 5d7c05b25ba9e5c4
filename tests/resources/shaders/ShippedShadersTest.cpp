// ShippedShadersTest -- the game's shader files and fonts load through the resource manager over the shipped assets without a message.
#include "resources/shaders/ShippedShaderWorld.h"

namespace {

using ShippedShaders = ShippedShaderWorld;

TEST_F(ShippedShaders, EveryDefinitionBuildsOnRealTextures)
{
    ASSERT_GE(shaders->GetDefinitionCount(), 30u);
    for (size_t i = 0; i < shaders->GetDefinitionCount(); ++i) {
        const std::string name = shaders->GetDefinition(i).name;
        ResourceHandle& handle = Hold();
        LoadTextureByName(name, handle, TextureUsage::Plain);
        auto* shader = dynamic_cast<Shader*>(manager->Get(handle));
        ASSERT_NE(shader, nullptr) << name;
        EXPECT_EQ(shader->index, static_cast<int32_t>(i)) << name;
        ASSERT_FALSE(shader->stages.empty()) << name;
        for (const auto& stage : shader->stages) {
            if (stage->animTextures.empty()) {
                EXPECT_NE(RealTexture(stage->texture), nullptr) << name;
            }
            for (const ResourceHandle& frame : stage->animTextures)
                EXPECT_NE(RealTexture(frame), nullptr) << name;
        }
    }
    std::vector<std::string> printed = NewLines();
    EXPECT_TRUE(printed.empty()) << printed.front();
}

// The pages hold characters 32 to 126 in 16 columns of cells from the top-left corner.
TEST_F(ShippedShaders, FontsPlaceTheirGlyphsOnTheirPagesCells)
{
    std::vector<std::string> names;
    files.ListFiles("Textures/Fonts", "fnt", names, kLocationAssets, false, false, true);
    ASSERT_GE(names.size(), 4u);
    for (const std::string& name : names) {
        ResourceHandle& handle = Hold();
        manager->Load("Textures/Fonts/" + name, handle);
        auto* font = dynamic_cast<FontResource*>(manager->Get(handle));
        ASSERT_NE(font, nullptr) << name;
        auto* shader = dynamic_cast<Shader*>(manager->Get(font->GetShader()));
        ASSERT_NE(shader, nullptr) << name;
        const TextureResource* page = RealTexture(shader->stages[0]->texture);
        ASSERT_NE(page, nullptr) << name;
        for (int character : {' ', 'A', 'q', '~'}) {
            const FontGlyph* glyph = font->GetGlyph(font->GetGlyphIndex(character));
            ASSERT_NE(glyph, nullptr) << name;
            int cell = character - 32;
            float width = static_cast<float>(glyph->width);
            float height = static_cast<float>(glyph->height);
            EXPECT_NEAR(glyph->left * page->GetWidth(), (cell % 16) * width, 0.01f) << name << character;
            EXPECT_NEAR(glyph->top * page->GetHeight(), (cell / 16) * height, 0.01f) << name << character;
            EXPECT_NEAR(glyph->right * page->GetWidth(), (cell % 16 + 1) * width, 0.01f) << name << character;
            EXPECT_NEAR(glyph->bottom * page->GetHeight(), (cell / 16 + 1) * height, 0.01f) << name << character;
            EXPECT_EQ(height * 6.0f, width * 10.0f) << name;
        }
        EXPECT_EQ(font->GetGlyphIndex(200), 95);
        EXPECT_EQ(FontResource::GetGlyphWidth(*font->GetGlyph(95)), 0);
        EXPECT_EQ(font->GetDefaultLineHeight(), font->GetSize());
    }
    std::vector<std::string> printed = NewLines();
    EXPECT_TRUE(printed.empty()) << printed.front();
}

} // namespace
