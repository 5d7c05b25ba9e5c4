// ClientMapBlipTest -- the blips of host entities mirrored by the client: the colour their top owner decides (usable things, the player, its quest item, covenants by treaty, monsters, NPCs), which are shown at all and with only the party, and the maps' colours.
#include "client/PlayerClientWorld.h"

#include "client/PlayerCovenantClient.h"
#include "core/ColorSystem.h"
#include "entities/Actor.h"

#include <memory>
#include <string_view>

namespace {

constexpr const char* kClientMapBlipRecords = R"(
ArchetypeWolf
{
    Type MonsterArchetype
}
ActorWolf
{
    Type Actor
}
MonsterWolf
{
    Type MonsterType
    Archetype ArchetypeWolf
    Definition ActorWolf
    Name "Wolf"
}
BlipStash
{
    Type Object
    Stash 1
}
BlipRock
{
    Type Object
}
BlipShrine
{
    Type Object
    Secret 1
}
BlipTorch
{
    Type Object
    HideFromMiniMap 1
}
BlipToken
{
    Type QuestItem
}
)";

constexpr int32_t kHostile = 1;
constexpr int32_t kFriend = 2;
constexpr int32_t kQuestGiver = 3;
constexpr int32_t kNeutral = 6;
constexpr int32_t kUsable = 8;
constexpr int32_t kTreatyWar = 2;
constexpr int32_t kTreatyPeace = 0;

} // namespace

class ClientMapBlip : public PlayerClientWorld {
protected:
    void SetUp() override
    {
        StartWorldOnly("ShowLineOfSight 1\n", kClientMapBlipRecords);
        Join();
        mine.index = 2;
        player->SetCovenant(&mine);
    }
    void TearDown() override { player->SetCovenant(nullptr); }

    // A host entity of the record beside the player, mirrored through two updates.
    Entity* Host(const char* recordName, float dx = 40.0f)
    {
        if (std::string_view(recordName) == "MonsterWolf")
            return Wolf(dx);
        Entity* entity = Spawn<Entity>(hostPlayer->position.x + dx, hostPlayer->position.y, hostPlayer->position.level);
        entity->SetEntry(database.FindEntryByName(recordName));
        entity->Load(entity->GetEntry());
        entity->health = 10;
        entity->maxHealth = 10;
        return entity;
    }

    // A creature made the host's way: the actor set up from its monster type.
    Actor* Wolf(float dx)
    {
        auto* wolf = Spawn<Actor>(hostPlayer->position.x + dx, hostPlayer->position.y, hostPlayer->position.level);
        wolf->SetUpFromMonsterType(gameData.FindMonsterType("MonsterWolf"), 1, false);
        wolf->maxHealth = 10;
        wolf->health = 10;
        return wolf;
    }

    EntityClient* Mirror(const Entity* entity)
    {
        ClientFrame(50);
        ClientFrame(50);
        return gameClient->GetEntity(entity->entityNumber);
    }

    void SetTreaty(int32_t covenant, int32_t state)
    {
        while (!gameClient->GetCovenant(covenant, false))
            gameClient->GetCovenant(covenant, true);
        gameClient->GetCovenant(covenant, false)->SetTreatyState(mine.index, state);
    }

    PlayerCovenantClient mine;
};

TEST_F(ClientMapBlip, TheColourTellsUsableThingsThePlayerMonstersAndCovenantsApart)
{
    EntityClient* stash = Mirror(Host("BlipStash"));
    ASSERT_NE(stash, nullptr);
    EXPECT_EQ(stash->GetMapColorIndex(), kUsable);
    EXPECT_EQ(player->GetBody()->GetMapColorIndex(), kFriend);

    Entity* hostWolf = Host("MonsterWolf", 60.0f);
    EntityClient* wolf = Mirror(hostWolf);
    ASSERT_NE(wolf, nullptr);
    EXPECT_EQ(wolf->GetMapColorIndex(), kHostile);
    wolf->questOffers = {4};
    EXPECT_EQ(wolf->GetMapColorIndex(), kQuestGiver);
    wolf->questOffers.clear();
    // A covenant's creature by the treaty toward the player's covenant; the own covenant's is a friend.
    hostWolf->covenantIndex = 5;
    SetTreaty(5, kTreatyPeace);
    Mirror(hostWolf);
    EXPECT_EQ(wolf->GetMapColorIndex(), kNeutral);
    SetTreaty(5, kTreatyWar);
    EXPECT_EQ(wolf->GetMapColorIndex(), kHostile);
    hostWolf->covenantIndex = mine.index;
    Mirror(hostWolf);
    EXPECT_EQ(wolf->GetMapColorIndex(), kFriend);

    // A plain object, and a monster that has died before the host takes it away, have no blip.
    EntityClient* rock = Mirror(Host("BlipRock", 80.0f));
    EXPECT_EQ(rock->GetMapColorIndex(), EntityClient::kNoMapColour);
    float red = -1.0f;
    float green = -1.0f;
    float blue = -1.0f;
    EXPECT_FALSE(rock->GetMapColor(red, green, blue));
    wolf->health = 0;
    EXPECT_EQ(wolf->GetMapColorIndex(), EntityClient::kNoMapColour);
    EXPECT_FALSE(wolf->IsShownOnMap(false));

    ColorSystem colours;
    gColorSystem = &colours;
    bool coloured = stash->GetMapColor(red, green, blue);
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    ColorSystem::GetColorByIndex(r, g, b, kUsable);
    gColorSystem = nullptr;
    ASSERT_TRUE(coloured);
    EXPECT_EQ(red, r);
    EXPECT_EQ(green, g);
    EXPECT_EQ(blue, b);
}

TEST_F(ClientMapBlip, NpcsAreFriendsInThePartyOrCovenantFoesAsTurncoatsElseQuestGivers)
{
    EntityClient* npc = Mirror(Host("MonsterWolf"));
    ASSERT_NE(npc, nullptr);
    npc->isNpc = true;
    EXPECT_EQ(npc->GetMapColorIndex(), kQuestGiver);
    npc->isNpcThief = true;
    EXPECT_EQ(npc->GetMapColorIndex(), kHostile);
    player->party = {npc->entityNumber};
    EXPECT_EQ(npc->GetMapColorIndex(), kFriend);
    EXPECT_TRUE(npc->IsShownOnMap(true)) << "a party member is shown on the party-only map";
    player->party.clear();
    EXPECT_FALSE(npc->IsShownOnMap(true));
    EXPECT_TRUE(npc->IsShownOnMap(false));
}

TEST_F(ClientMapBlip, OwnedEntitiesAnswerWithTheirTopOwnersColourButGetNoBlipOfTheirOwn)
{
    Entity* hostWolf = Host("MonsterWolf");
    Entity* cloak = Host("BlipRock", 50.0f);
    Entity* clasp = Host("BlipRock", 55.0f);
    cloak->parentNumber = hostWolf->entityNumber;
    clasp->parentNumber = cloak->entityNumber;
    EntityClient* mirroredClasp = Mirror(clasp);
    ASSERT_NE(mirroredClasp, nullptr);
    EXPECT_EQ(mirroredClasp->GetTopOwner(), gameClient->GetEntity(hostWolf->entityNumber));
    EXPECT_EQ(mirroredClasp->GetMapColorIndex(), kHostile);
    EXPECT_FALSE(mirroredClasp->IsShownOnMap(false));
    // The host's map byte shows it anyway.
    clasp->alwaysBlocks = true;
    Mirror(clasp);
    EXPECT_TRUE(mirroredClasp->IsShownOnMap(false));

    // A loop in the numbers the network sent is no owner: the entity decides for itself.
    clasp->alwaysBlocks = false;
    hostWolf->parentNumber = clasp->entityNumber;
    Mirror(clasp);
    EXPECT_EQ(mirroredClasp->GetTopOwner(), mirroredClasp);
    EXPECT_EQ(mirroredClasp->GetMapColorIndex(), EntityClient::kNoMapColour);
}

TEST_F(ClientMapBlip, SecretsHiddenThingsAndTheUnseenShowNoBlipUntilTheHostMarksThem)
{
    Entity* hostShrine = Host("BlipShrine");
    Entity* hostWolf = Host("MonsterWolf", 45.0f);
    EntityClient* shrine = Mirror(hostShrine);
    EntityClient* wolf = gameClient->GetEntity(hostWolf->entityNumber);
    ASSERT_NE(shrine, nullptr);
    ASSERT_NE(wolf, nullptr);
    shrine->isUsableObject = true;  // usable, so it has a colour
    EXPECT_FALSE(shrine->IsShownOnMap(false));
    hostShrine->alwaysBlocks = true;
    Mirror(hostShrine);
    EXPECT_TRUE(shrine->IsShownOnMap(false));

    EXPECT_TRUE(wolf->IsShownOnMap(false));
    wolf->entityAlpha = 0.0f;
    EXPECT_FALSE(wolf->IsShownOnMap(false));
    wolf->entityAlpha = 1.0f;
    wolf->flags |= EntityBase::kFlagHidden;
    EXPECT_FALSE(wolf->IsShownOnMap(false));
    wolf->flags = 0;
    wolf->isPlayerBody = true;
    EXPECT_FALSE(wolf->IsShownOnMap(false));
    wolf->isPlayerBody = false;
    // Far outside the player's sight.
    wolf->position.x += 5000.0f;
    EXPECT_FALSE(wolf->IsShownOnMap(false));

    // Hidden from the mini-map even with the host's map byte.
    Entity* hostTorch = Host("BlipTorch", 30.0f);
    hostTorch->alwaysBlocks = true;
    EXPECT_FALSE(Mirror(hostTorch)->IsShownOnMap(false));
}

TEST_F(ClientMapBlip, ThePlayersOwnQuestItemIsMarkedAndShownOnThePartyMap)
{
    // Quest items are the host's own kind of entity: the mirror is made as their state record leaves it.
    auto token = std::make_unique<EntityClient>();
    token->Load(database.FindEntryByName("BlipToken"));
    token->entityNumber = 900;
    token->position = hostPlayer->position;
    EXPECT_EQ(token->GetMapColorIndex(), EntityClient::kNoMapColour);
    token->questRecord = player->GetBody()->GetRecord();
    ASSERT_NE(token->questRecord, nullptr);
    EXPECT_EQ(token->GetMapColorIndex(), 0);
    EXPECT_TRUE(token->IsShownOnMap(true));
}
