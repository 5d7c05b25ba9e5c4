// ClientHoverDrawTest -- the models a client entity's draw hands the scene are marked drawn as hovered exactly while it is the thing under the cursor and no secret: its body, its hover tint and the second drawing its status effect's shader asks for; no "available" mark over a tutor.
#include "client/ClientServicesWorld.h"

#include "client/RecordingEntityScene.h"
#include "client/StatusEffectClient.h"
#include "entities/Actor.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"

#include <vector>

namespace {

// A creature and the effect whose shader draws it a second time.
constexpr const char* kClientHoverDrawRecords = R"(
ArchetypeBoar
{
    Type MonsterArchetype
    CanAttack 1
}
ActorBoar
{
    Type Actor
    Radius 20
}
MonsterBoar
{
    Type MonsterType
    Archetype ArchetypeBoar
    Definition ActorBoar
    Name "Boar"
}
Frosted
{
    Type StatusEffect
    Public 1
    TotalTime 60
    VictimShader "Textures/frost.tga"
}
)";

// The hover tint's texture, only passed through.
constexpr int32_t kTint = 9;

class ClientHoverDraw : public ClientServices<PlayerClientWorld> {
protected:
    // A frosted boar of the host's making beside the player, and its mirror.
    EntityClient* FrostedBoar(float dx)
    {
        auto* boar = Spawn<Actor>(hostPlayer->position.x + dx, hostPlayer->position.y, hostPlayer->position.level);
        boar->SetUpFromMonsterType(gameData.FindMonsterType("MonsterBoar"), 2, false);
        boar->AddStatusEffectByName("Frosted", nullptr, 1);
        for (int i = 0; i < 3; ++i)
            ClientFrame(50);
        return gameClient->GetEntity(boar->entityNumber);
    }
};

} // namespace

TEST_F(ClientHoverDraw, EveryModelOfTheThingUnderTheCursorIsDrawnAsHoveredAndNothingElsesIs)
{
    StartWorldOnly("", kClientHoverDrawRecords);
    Join();
    EntityClient* boar = FrostedBoar(40.0f);
    EntityClient* other = FrostedBoar(-40.0f);
    ASSERT_TRUE(boar && other);
    ASSERT_EQ(boar->GetStatusEffectList().size(), 1u);
    int32_t frost = boar->GetStatusEffectList()[0]->GetVictimShader().GetValue();
    ASSERT_NE(frost, -1);

    struct Case {
        const char* what;
        const EntityClient* hovered;
        bool secret;
        bool drawnHovered;
        bool tinted;
    };
    const Case cases[] = {
        {"nothing under the cursor", nullptr, false, false, false},
        {"another creature under it", other, false, false, false},
        {"the boar under it", boar, false, true, true},
        // A secret gives itself away neither way.
        {"a secret boar under it", boar, true, false, false},
    };
    for (const Case& c : cases) {
        boar->isSecret = c.secret;
        EntityDrawFrame frame;
        frame.hovered = c.hovered;
        RecordingEntityScene scene;
        scene.tint = kTint;
        boar->Draw(scene, frame);
        // The body, the frost's second drawing, then the tint when hovered.
        ASSERT_EQ(scene.models.size(), c.tinted ? 3u : 2u) << c.what;
        EXPECT_EQ(scene.models[1].shaderOverride, frost) << c.what;
        if (c.tinted) {
            EXPECT_EQ(scene.models[2].shaderOverride, kTint) << c.what;
        }
        for (size_t i = 0; i < scene.models.size(); ++i)
            EXPECT_EQ(scene.models[i].hovered, c.drawnHovered) << c.what << ", model " << i;
    }
}

// Mended: another client saw the "available" mark over the first player's tutor, whose click
// offered nothing: the tutor's lessons are given, never taken up. A quest giver's work the player
// lacks still shows it.
TEST_F(ClientHoverDraw, NoAvailableMarkShowsOverATutorThoughItListsALessonThePlayerLacks)
{
    StartWorldOnly("", kClientHoverDrawRecords);
    Join();
    EntityClient* npc = FrostedBoar(40.0f);
    ASSERT_NE(npc, nullptr);
    struct Case {
        const char* what;
        int32_t npcType;
        bool marked;
    };
    const Case cases[] = {
        {"a quest giver", NpcType::Warmaster, true},
        {"the tutor", NpcType::Tutor, false},
    };
    for (const Case& c : cases) {
        npc->npcType = c.npcType;
        npc->questOffers = {3};
        RecordingEntityScene scene;
        npc->Draw(scene, EntityDrawFrame{});
        int32_t available = 0;
        for (int32_t icon : scene.icons)
            available += manager->GetName(icon).find("questAvailable") != std::string::npos ? 1 : 0;
        EXPECT_EQ(available, c.marked ? 1 : 0) << c.what;
    }
}
