// ClientDisplayNameTest -- the names the client shows: a creature's name and rank lines, an NPC's name and title by its kind and the language's rank endings, and the covenant home nearest a place as the host's covenants arrive.
#include "client/PlayerClientWorld.h"

#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "covenants/PlayerCovenant.h"
#include "covenants/PlayerHouseRecords.h"
#include "rules/CharacterClass.h"
#include "rules/GameData.h"

#include <memory>

namespace {

constexpr const char* kClientDisplayNameRecords = R"(
ClassKeeper
{
    Type Class
    Name "$$ClassKeeper$$"
    Title "$$KeeperTitle$$"
    PlayerName "Keeper"
}
ClassNameless
{
    Type Class
    Name "$$Nameless$$"
}
ArchetypeKeeper
{
    Type MonsterArchetype
    Class ClassKeeper
}
ActorKeeper
{
    Type Actor
    Npc 1
}
KeeperNpc
{
    Type MonsterType
    Archetype ArchetypeKeeper
    Definition ActorKeeper
}
)";

} // namespace

class ClientDisplayName : public PlayerClientWorld {
protected:
    ClientDisplayName() { gLocSystem = &loc; }
    ~ClientDisplayName() override { gLocSystem = nullptr; }

    // A keeper NPC of the level and type, named as given.
    std::unique_ptr<EntityClient> Keeper(int32_t level, int32_t type, const std::string& name = "Orla")
    {
        auto entity = std::make_unique<EntityClient>();
        entity->Load(database.FindEntryByName("KeeperNpc"));
        entity->displayName = name;
        entity->level = level;
        entity->npcType = type;
        return entity;
    }

    void UseLanguage(bool rankEndings)
    {
        folder.Write("Assets/Loc/English.loc", rankEndings ? "AddRankEndings 1\n" : "AddRankEndings 0\n");
        ASSERT_TRUE(loc.Load("English"));
    }

    static std::string Name(int32_t rank, int32_t level, bool nameLine, bool decorate, std::string out = "")
    {
        GameClient::GetMonsterDisplayName(out, rank, level, "Wolf", false, nameLine, decorate);
        return out;
    }

    static std::string Npc(const EntityClient& entity, bool withName, bool withTitle, std::string out = "")
    {
        GameClient::GetNpcDisplayName(entity, out, withName, withTitle);
        return out;
    }

    LocSystem loc;
};

TEST_F(ClientDisplayName, ACreatureNameAndRankLineCarryTheRankColourAndWords)
{
    StartWorldOnly("", kClientDisplayNameRecords);
    auto colour = [this](int32_t rank) { return gameData.GetMonsterRarityColorCode(rank); };
    ASSERT_EQ(colour(3).size(), 5u);
    EXPECT_EQ(Name(3, 9, true, true), colour(3) + "$$Elite$$ Wolf");
    EXPECT_EQ(Name(1, 9, true, true), colour(1) + "Wolf $$Champion$$");
    EXPECT_EQ(Name(5, 9, true, true), colour(5) + "Wolf");
    EXPECT_EQ(Name(0, 9, true, true, "^c002"), "^c002Wolf");
    EXPECT_EQ(Name(4, 9, true, false), colour(4) + "Wolf");

    // The level replaces the colour code; without a level the colour stays before the word.
    EXPECT_EQ(Name(1, 12, false, true), "$$LevelAbrev$$ 12 $$Champion$$");
    EXPECT_EQ(Name(5, 0, false, true), colour(5) + "$$Unique$$");
    EXPECT_EQ(Name(7, -3, false, true), colour(7) + "$$Boss$$");
    EXPECT_EQ(Name(6, 2, false, true), "$$LevelAbrev$$ 2 $$Legend$$");
    EXPECT_EQ(Name(0, 4, false, true), "$$LevelAbrev$$ 4");
    // Rank 0 at level 0 leaves the caller's text; undecorated or an NPC only colours it.
    EXPECT_EQ(Name(0, 0, false, true, "kept"), "kept");
    EXPECT_EQ(Name(2, 5, false, false, "kept"), colour(2));
    std::string npc;
    GameClient::GetMonsterDisplayName(npc, 3, 5, "Wolf", true, true, true);
    EXPECT_EQ(npc, colour(3) + "Wolf");
    // A rank past the table adds no word rather than reading past it.
    EXPECT_EQ(Name(8, 3, false, true).substr(0, 18), "$$LevelAbrev$$ 3 ");
}

TEST_F(ClientDisplayName, AnNpcNameFallsBackThroughRecordAndClassAndItsTitleFollowsItsKind)
{
    StartWorldOnly("", kClientDisplayNameRecords);
    UseLanguage(true);
    auto recruit = Keeper(7, 4);
    EXPECT_EQ(Npc(*recruit, true, true), "Orla7th $$KeeperTitle$$");
    recruit->level = 22;
    EXPECT_EQ(Npc(*recruit, false, true, "Orla "), "Orla 22nd $$KeeperTitle$$");
    auto townsfolk = Keeper(1, 0, "");
    // No own name and no record name: the class's player name.
    EXPECT_EQ(Npc(*townsfolk, true, false), "Keeper");
    EXPECT_EQ(Npc(*Keeper(3, 2), true, true), "Orla$$NpcTypeApothecary$$");
    EXPECT_EQ(Npc(*Keeper(3, 5), true, true), "Orla");

    auto ghost = Keeper(3, 4);
    ghost->isNpcGhost = true;
    ghost->isNpcRenegade = true;
    EXPECT_EQ(Npc(*ghost, true, true), "Orla$$NPCsGhost$$");
    auto renegade = Keeper(3, 4);
    renegade->isNpcRenegade = true;
    renegade->isNpcThief = true;
    EXPECT_EQ(Npc(*renegade, true, true), "Orla $$TheRenegade$$");
    renegade->isNpcRenegade = false;
    EXPECT_EQ(Npc(*renegade, true, true), "Orla $$TheThief$$");

    UseLanguage(false);
    EXPECT_EQ(Npc(*Keeper(1, 4), true, true), "Orla1 $$KeeperTitle$$");
    // A class without a title is titled by its name; an entity without a record gets nothing.
    auto nameless = Keeper(2, 0);
    nameless->classRecord = gameData.GetCharacterClass(gameData.FindCharacterClassIndex("ClassNameless"));
    ASSERT_NE(nameless->classRecord, nullptr);
    EXPECT_EQ(Npc(*nameless, true, true), "Orla2 $$Nameless$$");
    EntityClient bare;
    bare.displayName = "Nobody";
    EXPECT_EQ(Npc(bare, true, true, "left"), "left");
}

TEST_F(ClientDisplayName, TheNearestCovenantHomeWinsAndTheFirstWinsATie)
{
    StartWorld("UsingCovenants 1\nMaxRecruits 4\nStartPosition 0.5 0.5\n", kPlayerHouseRecords);
    Join();
    const WorldPos home{0, 300.0f, 300.0f, true};
    for (int32_t i = 0; i < 3; ++i) {
        auto covenant = std::make_unique<PlayerCovenant>();
        covenant->SetDefinitionByName("Human");
        covenant->name = "Rival " + std::to_string(i);
        covenant->homeLevel = home.level;
        covenant->homeX = home.x + 100.0f * static_cast<float>(i);
        covenant->homeY = home.y;
        game->AddCovenant(std::move(covenant));
    }
    for (int32_t i = 0; i < 3; ++i)
        ClientFrame(50);
    ASSERT_GE(gameClient->GetCovenantCount(), 3);
    int32_t rivals = gameClient->GetCovenantCount() - 3;

    const CovenantClient* found = gameClient->FindNearestCovenantHome({0, 390.0f, 300.0f, true});
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->GetName(), "Rival 1");
    found = gameClient->FindNearestCovenantHome({0, 350.0f, 300.0f, true});
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->index, rivals);  // halfway: the earlier of the two
    EXPECT_EQ(gameClient->FindNearestCovenantHome({0, 600.0f, 310.0f, true})->GetName(), "Rival 2");
}

TEST_F(ClientDisplayName, WithoutAPlayersCovenantTheSearchStartsFromTheFirstCovenant)
{
    StartWorldOnly("", kPlayerHouseRecords);
    Join();
    EXPECT_EQ(gameClient->FindNearestCovenantHome({0, 10.0f, 10.0f, true}), nullptr);
    for (int32_t i = 0; i < 2; ++i) {
        auto covenant = std::make_unique<PlayerCovenant>();
        covenant->SetDefinitionByName("Human");
        covenant->name = "Stranger " + std::to_string(i);
        covenant->homeLevel = 0;
        covenant->homeX = 100.0f + 200.0f * static_cast<float>(i);
        covenant->homeY = 100.0f;
        game->AddCovenant(std::move(covenant));
    }
    for (int32_t i = 0; i < 3; ++i)
        ClientFrame(50);
    ASSERT_EQ(Client::GetPlayerCovenantIndex(), -1);
    ASSERT_EQ(gameClient->GetCovenantCount(), 2);
    const CovenantClient* found = gameClient->FindNearestCovenantHome({0, 290.0f, 100.0f, true});
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->GetName(), "Stranger 1");
    EXPECT_EQ(gameClient->FindNearestCovenantHome({0, 0.0f, 100.0f, true})->GetName(), "Stranger 0");
}
