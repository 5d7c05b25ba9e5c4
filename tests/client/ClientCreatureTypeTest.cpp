// ClientCreatureTypeTest -- the client knows each creature the host sends as its own monster type, also when two types share one actor record; its body's keys and a trader's keys still count from its actor record; the shots of its kind's and its type's own skills are kept loaded.
#include "client/ClientServicesWorld.h"
#include "client/PlayerClientWorld.h"

#include "client/RecordingEntityScene.h"
#include "entities/Actor.h"
#include "core/StringUtil.h"
#include "rules/GameData.h"

#include <string>
#include <vector>

namespace {

// A surface is drawn unless the entity's list switches it off.
bool SurfaceShown(const EntityBase& entity, int32_t surface)
{
    const std::vector<bool>* shown = entity.GetShownSurfaces();
    return !shown || surface < 0 || static_cast<size_t>(surface) >= shown->size() || (*shown)[static_cast<size_t>(surface)];
}

// Two wolves of one actor record, told apart only by their monster type; a trader whose
// vendor and talk keys are its actor record's.
constexpr const char* kClientCreatureTypeRecords = R"(
ArchetypeWolf
{
    Type MonsterArchetype
    CanAttack 1
}
ActorWolf
{
    Type Actor
    Radius 21
    SelectRadius 30
    NoShadow 1
}
MonsterWolf
{
    Type MonsterType
    Archetype ArchetypeWolf
    Definition ActorWolf
    Name "Wolf"
}
MonsterDireWolf
{
    Type MonsterType
    Archetype ArchetypeWolf
    Definition ActorWolf
    Name "Dire Wolf"
}
ActorPelter
{
    Type Actor
    Npc 1
    Vendor 1
    Talks 1
}
MonsterPelter
{
    Type MonsterType
    Archetype ArchetypeWolf
    Definition ActorPelter
    Name "Pelter"
}
ActorMaskedWolf
{
    Type Actor
    Base ActorWolf
    HideSurface 1
    HideSurface 64
}
MonsterMaskedWolf
{
    Type MonsterType
    Archetype ArchetypeWolf
    Definition ActorMaskedWolf
    HideSurface 3
    HideSurface -1
}
)";

// Keeps what an entity's draw hands the scene.
using ClientCreatureTypeScene = RecordingEntityScene;

} // namespace

class ClientCreatureType : public PlayerClientWorld {
protected:
    void SetUp() override
    {
        StartWorldOnly("", kClientCreatureTypeRecords);
        Join();
    }

    // An actor of the type set up the host's way beside the player, and its mirror after two frames.
    EntityClient* Mirror(const char* typeName, float dx)
    {
        auto* actor = Spawn<Actor>(hostPlayer->position.x + dx, hostPlayer->position.y, hostPlayer->position.level);
        actor->SetUpFromMonsterType(gameData.FindMonsterType(typeName), 2, false);
        ClientFrame(50);
        ClientFrame(50);
        return gameClient->GetEntity(actor->entityNumber);
    }
};

TEST_F(ClientCreatureType, TwoTypesOfOneActorRecordAreEachNamedAsTheirOwn)
{
    EntityClient* dire = Mirror("MonsterDireWolf", 40.0f);
    EntityClient* wolf = Mirror("MonsterWolf", 60.0f);
    ASSERT_TRUE(dire && wolf);
    EXPECT_EQ(dire->monsterType, gameData.FindMonsterType("MonsterDireWolf"));
    EXPECT_EQ(dire->displayName, "Dire Wolf");
    EXPECT_EQ(wolf->monsterType, gameData.FindMonsterType("MonsterWolf"));
    EXPECT_EQ(wolf->displayName, "Wolf");
    EXPECT_EQ(dire->GetHoverText(true, false, true).rfind("Dire Wolf\n", 0), 0u) << dire->GetHoverText(true, false, true);
    EXPECT_TRUE(dire->canAttack) << "the archetype's keys still come with the type";
    // The body's keys are the actor record's: the size it is picked and reached by.
    EXPECT_FLOAT_EQ(dire->radius, 21.0f);
    EXPECT_FLOAT_EQ(dire->selectRadius, 30.0f);
    EXPECT_FALSE(dire->castsShadow);
}

TEST_F(ClientCreatureType, ATradersKeysInItsActorRecordStillMakeItAVendorThatTalks)
{
    EntityClient* pelter = Mirror("MonsterPelter", 40.0f);
    ASSERT_NE(pelter, nullptr);
    EXPECT_EQ(pelter->displayName, "Pelter");
    EXPECT_TRUE(pelter->isVendor);
    EXPECT_TRUE(pelter->talks);
    EXPECT_TRUE(pelter->isNpc);
    EXPECT_FALSE(pelter->isGambler);
}

TEST_F(ClientCreatureType, ACreatureDrawsWithoutTheSurfacesItsTypeAndActorRecordHide)
{
    EntityClient* masked = Mirror("MonsterMaskedWolf", 40.0f);
    EntityClient* plain = Mirror("MonsterWolf", 60.0f);
    ASSERT_TRUE(masked && plain);
    const auto* host = dynamic_cast<const Actor*>(game->GetEntity(masked->entityNumber));
    ASSERT_NE(host, nullptr);
    for (int32_t surface = 0; surface < 6; ++surface) {
        bool hidden = surface == 1 || surface == 3;
        EXPECT_EQ(SurfaceShown(*host, surface), !hidden) << "host, surface " << surface;
        EXPECT_EQ(SurfaceShown(*masked, surface), !hidden) << "mirror, surface " << surface;
    }
    // Indexes past what a model may have, or below 0, switch nothing.
    ASSERT_NE(masked->GetShownSurfaces(), nullptr);
    EXPECT_EQ(masked->GetShownSurfaces()->size(), 4u);
    ClientCreatureTypeScene scene;
    masked->Draw(scene, EntityDrawFrame{});
    plain->Draw(scene, EntityDrawFrame{});
    ASSERT_EQ(scene.models.size(), 2u);
    ASSERT_NE(scene.models[0].visibleSubMeshes, nullptr);
    EXPECT_EQ(*scene.models[0].visibleSubMeshes, (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(scene.models[1].visibleSubMeshes, nullptr) << "a type hiding nothing draws every surface";
}

TEST_F(ClientCreatureType, TheFramesDrawLeavesOutAModelTheHostHidesButTheDrawItselfDoesNot)
{
    EntityClient* wolf = Mirror("MonsterWolf", 40.0f);
    ASSERT_NE(wolf, nullptr);
    struct Case {
        uint32_t flags;
        bool viaDefault;
        size_t models;
    };
    const Case cases[] = {
        {0u, true, 1u},
        {EntityBase::kFlagHideModel, true, 0u},
        // The model editor draws its entity whatever the host says.
        {EntityBase::kFlagHideModel, false, 1u},
        // Hidden (0x400) is not bit 0: the frame hands it on and the draw leaves it out.
        {EntityBase::kFlagHidden, true, 0u},
    };
    for (const Case& c : cases) {
        wolf->flags = c.flags;
        ClientCreatureTypeScene scene;
        if (c.viaDefault)
            wolf->DrawDefault(scene, EntityDrawFrame{});
        else
            wolf->Draw(scene, EntityDrawFrame{});
        EXPECT_EQ(scene.models.size(), c.models) << "flags " << c.flags << (c.viaDefault ? " by default" : " drawn");
    }
}

namespace {

// A kind whose skill fires a bolt, and a type of it that spits as well.
constexpr const char* kClientCreaturePrecacheRecords = R"(
ProjectileBolt
{
    Type Projectile
    ModelName "effects/bolt.mdl"
    Explosion "effects/boom.mdl"
}
ProjectileSpit
{
    Type Projectile
    ModelName "effects/spit.mdl"
}
SkillBolt
{
    Type Skill
    Projectile ProjectileBolt
}
SkillSpit
{
    Type Skill
    Projectile ProjectileSpit
}
ArchetypeCaster
{
    Type MonsterArchetype
    CanAttack 1
    Skill SkillBolt
}
ActorCaster
{
    Type Actor
    Radius 20
}
MonsterSpitter
{
    Type MonsterType
    Archetype ArchetypeCaster
    Definition ActorCaster
    Skill SkillSpit
    precache "sounds/hiss.wav"
}
)";

class ClientCreaturePrecache : public ClientServices<PlayerClientWorld> {
protected:
    void SetUp() override
    {
        StartWorldOnly("", kClientCreaturePrecacheRecords);
        Join();
    }
};

TEST_F(ClientCreaturePrecache, TheShotsOfTheKindsSkillsThenOfTheTypesOwnThenItsListAreHeld)
{
    auto* actor = Spawn<Actor>(hostPlayer->position.x + 40.0f, hostPlayer->position.y, hostPlayer->position.level);
    actor->SetUpFromMonsterType(gameData.FindMonsterType("MonsterSpitter"), 2, false);
    ClientFrame(50);
    ClientFrame(50);
    const EntityClient* spitter = gameClient->GetEntity(actor->entityNumber);
    ASSERT_NE(spitter, nullptr);
    std::vector<std::string> held;
    for (const ResourceHandle& handle : spitter->precached) {
        held.push_back(StringToLower(handle.GetName()));
        EXPECT_GE(manager->GetReferenceCount(handle.GetValue()), 1) << held.back();
    }
    EXPECT_EQ(held, (std::vector<std::string>{"effects/bolt.mdl", "effects/boom.mdl", "effects/spit.mdl",
                                              "sounds/hiss.wav"}));
}

} // namespace
