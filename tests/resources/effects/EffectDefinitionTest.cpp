// EffectDefinitionTest -- the three effect file kinds: keyword conversions, the value expressions, the line rules, the texture rule and hostile files.
#include "resources/effects/EffectWorld.h"

#include "resources/effects/BeamDefinition.h"
#include "resources/effects/EffectDefinition.h"
#include "resources/effects/SwipeDefinition.h"

namespace {

class EffectDefinitionTest : public EffectWorld {};

void ExpectValue(const EffectValue& value, int32_t kind, float min, float max)
{
    EXPECT_EQ(value.kind, kind);
    EXPECT_FLOAT_EQ(value.min, min);
    EXPECT_FLOAT_EQ(value.max, max);
}

// The keywords whose values are converted or shared, and the value expressions of each kind.
TEST_F(EffectDefinitionTest, KeywordsConvertTheirValues)
{
    const auto* d = Load<EffectDefinition>("all.eff", "spawnRate 4\nlinked\nadditive\nfadeIn\nbounce\nspin 0.5\n"
                                                      "velocity 1 rand 2 crand 3\navelocity 0 90 randRange 5 1\n"
                                                      "direction 0 0 1\nscale rand 2\nsphere 3 0\ncolor 0.1 0.2 0.3\n"
                                                      "swipe trail.swp\nhideWhenParentHidden 0\nline Hand\n");
    ASSERT_NE(d, nullptr);
    EXPECT_FLOAT_EQ(d->spawnInterval, 0.25f);
    EXPECT_TRUE(d->linked && d->additive && d->fadeIn && d->bounce);
    EXPECT_FALSE(d->fadeOut);
    EXPECT_FLOAT_EQ(d->spin, 180.0f);
    ExpectValue(d->velocity[0], EffectValue::kConstant, 1.0f, 1.0f);
    ExpectValue(d->velocity[1], EffectValue::kUniform, 0.0f, 2.0f);
    ExpectValue(d->velocity[2], EffectValue::kUniform, -3.0f, 3.0f);
    ExpectValue(d->avelocity[2], EffectValue::kUniform, 5.0f, 1.0f);
    EXPECT_TRUE(d->hasDirection);
    ExpectValue(d->scale, EffectValue::kUniform, 0.0f, 2.0f);
    EXPECT_FLOAT_EQ(d->sphereRadius, 3.0f);
    EXPECT_FALSE(d->onSurface);
    EXPECT_FLOAT_EQ(d->color.b, 0.3f);
    EXPECT_EQ(d->swipeName, "trail.swp");
    EXPECT_FALSE(d->hideWhenParentHidden);
    EXPECT_TRUE(d->line);
    EXPECT_EQ(d->lineTagName, "Hand");
    EXPECT_EQ(CountLogged("Unknown"), 0);
}

TEST_F(EffectDefinitionTest, ValuesStopAtTheLineEnd)
{
    // "color 1 0": blue reads 0 and the next line starts with a keyword again. "size" alone is
    // 0 and the number below it is a word of its own. Leftover tokens are keywords.
    const auto* d = Load<EffectDefinition>("lines.eff", "color 1 0\nfade\nsize\n4\nFADEIN ADDITIVE spawnRate -2\n"
                                                        "circle 2\nsphere 0 0\nspawnRate 0\nmaxAge 5x // five\n"
                                                        "/* speed 9 */ bogus 1\n");
    ASSERT_NE(d, nullptr);
    EXPECT_FLOAT_EQ(d->color.r, 1.0f);
    EXPECT_FLOAT_EQ(d->color.g, 0.0f);
    EXPECT_FLOAT_EQ(d->color.b, 0.0f);
    EXPECT_TRUE(d->fadeIn && d->fadeOut && d->additive);
    EXPECT_FLOAT_EQ(d->size, 0.0f);
    EXPECT_FLOAT_EQ(d->spawnInterval, 0.0f);
    // The last shape line's flag wins for both shapes.
    EXPECT_FLOAT_EQ(d->circleRadius, 2.0f);
    EXPECT_FALSE(d->onSurface);
    EXPECT_FLOAT_EQ(d->maxAge, 5.0f);
    EXPECT_FLOAT_EQ(d->speed, 0.0f);
    EXPECT_EQ(CountLogged("Unknown effects parm 4 in effects/lines.eff"), 1);
    EXPECT_EQ(CountLogged("Unknown effects parm bogus in effects/lines.eff"), 1);
    EXPECT_EQ(CountLogged("Unknown effects parm 1 in effects/lines.eff"), 1);
}

TEST_F(EffectDefinitionTest, ValueExpressionsDrawFromStreamZero)
{
    const auto* d = Load<EffectDefinition>("values.eff", "velocity crand 2 rand randRange 5 1\noffset 7 zz randRange\n");
    ASSERT_NE(d, nullptr);
    ExpectValue(d->velocity[1], EffectValue::kUniform, 0.0f, 0.0f);
    ExpectValue(d->offset[1], EffectValue::kConstant, 0.0f, 0.0f);
    ExpectValue(d->offset[2], EffectValue::kUniform, 0.0f, 0.0f);
    for (int i = 0; i < 200; ++i) {
        uint32_t before = random.GetState(RandomStream::GameData);
        float spread = d->velocity[0].Evaluate();
        EXPECT_NE(random.GetState(RandomStream::GameData), before);
        EXPECT_GE(spread, -2.0f);
        EXPECT_LT(spread, 2.0f);
        EXPECT_EQ(d->velocity[1].Evaluate(), 0.0f);
        float reversed = d->velocity[2].Evaluate();
        EXPECT_GT(reversed, 1.0f);
        EXPECT_LE(reversed, 5.0f);
    }
    // A constant draws nothing; a kind the files cannot make evaluates to 0.
    uint32_t before = random.GetState(RandomStream::GameData);
    EXPECT_EQ(d->offset[0].Evaluate(), 7.0f);
    EXPECT_EQ(random.GetState(RandomStream::GameData), before);
    EXPECT_EQ((EffectValue{7, 3.0f, 4.0f}).Evaluate(), 0.0f);
}

// A beam's "size" stands for a start size or end size the file does not give; a flag without its
// number is off. Trails read the beam keywords they share and report the rest as beam words.
TEST_F(EffectDefinitionTest, BeamSizesAndSwipeKeywords)
{
    const auto* beam = Load<BeamDefinition>("all.bem", "size 4\nendSize 0.5\nnumSegments 3\nendPointsFromEntity 1\n");
    ASSERT_NE(beam, nullptr);
    EXPECT_FLOAT_EQ(beam->startSize, 4.0f);
    EXPECT_FLOAT_EQ(beam->endSize, 0.5f);
    EXPECT_EQ(beam->numSegments, 3);
    EXPECT_TRUE(beam->endPointsFromEntity);
    const auto* late = Load<BeamDefinition>("late.bem", "startSize 2\nendSize -1\nsize 5\nendPointsFromEntity\n");
    ASSERT_NE(late, nullptr);
    EXPECT_FLOAT_EQ(late->startSize, 2.0f);
    EXPECT_FLOAT_EQ(late->endSize, 5.0f);
    EXPECT_FALSE(late->endPointsFromEntity);

    const auto* swipe = Load<SwipeDefinition>("all.swp", "additive\nmaxAge 0.5\ncolor 1 0.5 0\nupdateTime 0\nnumSegments 3\n");
    ASSERT_NE(swipe, nullptr);
    EXPECT_TRUE(swipe->additive);
    EXPECT_FLOAT_EQ(swipe->maxAge, 0.5f);
    EXPECT_FLOAT_EQ(swipe->color.g, 0.5f);
    EXPECT_FLOAT_EQ(swipe->updateTime, 0.0f);
    EXPECT_EQ(CountLogged("Unknown beam parm numSegments in effects/all.swp"), 1);
    EXPECT_EQ(CountLogged("Unknown beam parm 3 in effects/all.swp"), 1);
}

TEST_F(EffectDefinitionTest, TexturesLoadUnderTexturesWithTheUsageOfTheWholeFile)
{
    const auto* additive = Load<EffectDefinition>("glow.eff", "Texture Effects/Spark.TGA\naDDitive\n");
    const auto* blended = Load<BeamDefinition>("plain.bem", "texture Effects/Smoke.tga\n");
    const auto* none = Load<SwipeDefinition>("none.swp", "texture\n");
    ASSERT_TRUE(additive && blended && none);
    EXPECT_EQ(TextureName(additive->texture), "Textures/effects/spark.sdr");
    EXPECT_EQ(GetShader(additive->texture)->sort, SortType::Additive);
    EXPECT_EQ(TextureName(blended->texture), "Textures/effects/smoke.sdr");
    EXPECT_EQ(GetShader(blended->texture)->sort, SortType::Transparent);
    EXPECT_EQ(none->texture.GetValue(), -1);
}

// Every prefix of a file and every single-bit change of it parses to some definition.
TEST_F(EffectDefinitionTest, CutAndFlippedFilesStillGiveDefinitions)
{
    const std::string texts[3] = {
        "spawnRate 40\nvelocity crand 1 rand 2 randRange 3 4\nsphere 2 0\ncolor 1 0.5 0\nline Hand\nswipe t.swp\n",
        "numSegments 4\nsize 2\nstartSize 1\ncolor 1 1 0\nendPointsFromEntity 1\nmaxAge 0.5\n",
        "additive\nmaxAge 0.25\nupdateTime 0.02\ncolor 0.5 0.5 1\nalpha 0.8\n"};
    decltype(&EffectDefinition::Create) factories[3] = {EffectDefinition::Create, BeamDefinition::Create,
                                                        SwipeDefinition::Create};
    for (int kind = 0; kind < 3; ++kind) {
        const std::string& text = texts[kind];
        for (size_t cut = 0; cut <= text.size(); ++cut) {
            std::string bytes = text.substr(0, cut);
            std::unique_ptr<Resource>(factories[kind]("cut", reinterpret_cast<uint8_t*>(bytes.data()),
                                                      static_cast<uint32_t>(bytes.size()), 0));
            for (int bit = 0; bit < 8 && cut < text.size(); ++bit) {
                std::string flipped = text;
                flipped[cut] = static_cast<char>(flipped[cut] ^ (1 << bit));
                std::unique_ptr<Resource> definition(factories[kind](
                    "flip", reinterpret_cast<uint8_t*>(flipped.data()), static_cast<uint32_t>(flipped.size()), 0));
                EXPECT_NE(definition, nullptr);
            }
        }
    }
    std::unique_ptr<Resource> empty(EffectDefinition::Create("null", nullptr, 0, 0));
    EXPECT_NE(empty, nullptr);
}

} // namespace
