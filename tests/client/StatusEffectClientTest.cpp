// StatusEffectClientTest -- the client-only keys of a status effect's record, read again when the record changes.
#include "client/StatusEffectClient.h"

#include "core/DatabaseWorld.h"

#include <gtest/gtest.h>

namespace {

class StatusEffectClientKeys : public DatabaseWorld {
protected:
    StatusEffectClientKeys()
    {
        Load({{"effects.dbr", R"(
EffectFrozen
{
    Type StatusEffect
    VictimShaderOnChild 1
    FreezeAnim 1
    PlayLostEffectSound 1
    AlwaysPlayLostEffectSound 1
    Untargetable 1
}
EffectPlain
{
    Type StatusEffect
    VictimShader ""
}
)"}});
    }
};

TEST_F(StatusEffectClientKeys, TheFlagsComeFromTheRecordAndGoWithIt)
{
    StatusEffectClient effect(&Entry("EffectFrozen"), 7);
    EXPECT_EQ(effect.GetInstanceId(), 7);
    EXPECT_TRUE(effect.shaderOnChild);
    EXPECT_TRUE(effect.freezeAnimation);
    EXPECT_TRUE(effect.playLostEffectSound);
    EXPECT_TRUE(effect.alwaysPlayLostEffectSound);
    EXPECT_TRUE(effect.BlocksTargeting());
    EXPECT_FALSE(effect.GetVictimShader().IsValid());

    effect.Load(&Entry("EffectPlain"), 8);
    EXPECT_EQ(effect.GetRecord(), &Entry("EffectPlain"));
    EXPECT_FALSE(effect.shaderOnChild);
    EXPECT_FALSE(effect.freezeAnimation);
    EXPECT_FALSE(effect.playLostEffectSound);
    EXPECT_FALSE(effect.alwaysPlayLostEffectSound);
    EXPECT_FALSE(effect.BlocksTargeting());

    StatusEffectClient none(nullptr, -1);
    EXPECT_FALSE(none.freezeAnimation);
    EXPECT_EQ(none.GetRecord(), nullptr);
}

} // namespace
