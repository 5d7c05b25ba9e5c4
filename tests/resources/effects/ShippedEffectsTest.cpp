// ShippedEffectsTest -- the game's effect files load over the shipped assets without a message and draw with shipped shaders and textures.
#include "resources/effects/EffectWorld.h"

#include "resources/effects/BeamDefinition.h"
#include "resources/effects/EffectDefinition.h"
#include "resources/effects/SwipeDefinition.h"

namespace {

class ShippedEffects : public EffectWorld {
protected:
    ShippedEffects() : EffectWorld(true) {}

    // The texture is a shader of the shipped files, drawn from a generated texture.
    void ExpectShippedTexture(const ResourceHandle& texture, const std::string& name)
    {
        Shader* shader = GetShader(texture);
        ASSERT_TRUE(shader && !shader->stages.empty()) << name;
        std::string shaderName = TextureName(texture);
        EXPECT_NE(shaders->FindDefinition(shaderName.substr(0, shaderName.size() - 4)), nullptr) << name;
        auto* image = dynamic_cast<TextureResource*>(manager->Get(shader->stages[0]->texture));
        EXPECT_TRUE(image && !image->IsPlaceholder()) << name;
    }
};

TEST_F(ShippedEffects, EveryEffectFileLoadsQuietlyOnShippedTextures)
{
    std::vector<std::string> names;
    files.ListFiles("Effects", "", names, kLocationAssets, false, false, true);
    ASSERT_GE(names.size(), 7u);
    size_t quietUntil = debug.GetConsoleLines().size();
    for (const std::string& name : names) {
        ResourceHandle& handle = Hold();
        manager->Load("Effects/" + name, handle);
        Resource* definition = manager->Get(handle);
        if (auto* effect = dynamic_cast<EffectDefinition*>(definition))
            ExpectShippedTexture(effect->texture, name);
        else if (auto* beam = dynamic_cast<BeamDefinition*>(definition))
            ExpectShippedTexture(beam->texture, name);
        else if (auto* swipe = dynamic_cast<SwipeDefinition*>(definition))
            ExpectShippedTexture(swipe->texture, name);
        else
            ADD_FAILURE() << name << " is no effect file";
    }
    std::vector<std::string> console = debug.GetConsoleLines();
    EXPECT_EQ(console.size(), quietUntil) << console.back();

    // The client starts the rain on every world entry; it falls only with the weather.
    client.weatherStrength = 0.0f;
    system->EnterWorld(&host);
    ASSERT_EQ(system->GetLiveEffects().size(), 1u);
    system->UpdateAll(0.25f);
    EXPECT_TRUE(system->GetLiveEffects()[0]->particles.empty());
    client.weatherStrength = 1.0f;
    system->UpdateAll(0.25f);
    EXPECT_FALSE(system->GetLiveEffects()[0]->particles.empty());
}

} // namespace
