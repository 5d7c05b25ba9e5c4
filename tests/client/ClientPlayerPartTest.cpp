// ClientPlayerPartTest -- the player's part of the game update as the host's player writes it, read back field by field; the level-up hint, kills per death, the tutorial's end and the quest pop-up; a class new to the menus tells them and every widget its index, shows its hint and is taken with its record, an unlisted one is not; a cut part changes nothing.
#include "client/PlayerClientWorld.h"

#include "core/UserVarSystem.h"
#include "rules/CharacterFlags.h"
#include "rules/GameData.h"
#include "rules/PlayerPartLayout.h"

namespace {

class ClientPlayerPart : public PlayerClientWorld {
protected:
    void SetUp() override
    {
        StartWorldOnly();
        ui.hintChain = {{"LevelUp", ""}, {"TutorialFinishedHints", ""}};
        MakePlayer();
        Join();
    }

    // The host's player writes its part; the client's player reads and takes it.
    bool Deliver()
    {
        MessageBuffer part;
        hostPlayer->WritePlayerPart(part);
        part.SetReadPos(0);
        if (!player->ParsePlayerPart(part))
            return false;
        player->ApplyPlayerPart(part);
        return true;
    }
};

TEST_F(ClientPlayerPart, EveryFieldOfTheHostsWriterLandsWhereItBelongs)
{
    for (int32_t stat = 0; stat < PlayerPartLayout::kAttributes; ++stat)
        hostPlayer->stats.Set(stat, 1000 + stat);
    for (int32_t stat : PlayerPartLayout::kStats)
        hostPlayer->stats.Set(stat, 2000 + stat);
    for (int32_t stat = CharacterStat::Skill1; stat <= CharacterStat::Skill60; ++stat)
        hostPlayer->stats.Set(stat, 3000 + stat);
    // The class must name a class: the part's class is applied as one.
    hostPlayer->stats.Set(CharacterStat::Class, 0);
    hostPlayer->playerGatePosition = WorldPos{1, 11.0f, 12.0f, true};
    hostPlayer->raidGatePosition = WorldPos{2, 21.0f, 22.0f, true};
    hostPlayer->flags = 0x80u;
    hostPlayer->playerName = "Renamed";
    for (int32_t i = 0; i < hostPlayer->statistics.GetCount(); ++i)
        hostPlayer->statistics.Set(i, 500 + i);
    hostPlayer->entityState = 0x400u;
    hostPlayer->exploredLevels = {true, false, true};
    hostPlayer->characterFlags.assign(CharacterFlag::kCount, false);
    hostPlayer->characterFlags[CharacterFlag::kStaysDead] = true;
    ASSERT_TRUE(Deliver());

    EXPECT_EQ(player->GetEntityNumber(), hostPlayer->entityNumber);
    EXPECT_EQ(player->GetBody(), gameClient->GetEntity(hostPlayer->entityNumber));
    for (int32_t stat = 0; stat < PlayerPartLayout::kAttributes; ++stat)
        EXPECT_EQ(player->stats.Get(stat), 1000 + stat) << stat;
    for (int32_t stat : PlayerPartLayout::kStats)
        EXPECT_EQ(player->stats.Get(stat), stat == CharacterStat::Class ? 0 : 2000 + stat) << stat;
    for (int32_t stat = CharacterStat::Skill1; stat <= CharacterStat::Skill60; ++stat)
        EXPECT_EQ(player->stats.Get(stat), 3000 + stat) << stat;
    // Stats the part does not carry are left alone.
    EXPECT_EQ(player->stats.Get(CharacterStat::MaxHealth), 0);
    EXPECT_EQ(player->returnPoint.level, 1);
    EXPECT_FLOAT_EQ(player->returnPoint.y, 12.0f);
    EXPECT_EQ(player->secondPoint.level, 2);
    EXPECT_FLOAT_EQ(player->secondPoint.x, 21.0f);
    EXPECT_EQ(player->movementFlags, 0x80u);
    EXPECT_EQ(player->characterName, "Renamed");
    EXPECT_EQ(player->statusFlags, 0x400u);
    for (int32_t i = 0; i < CharacterFunStat::kCount; ++i) {
        if (i != CharacterFunStat::KillsPerDeath) {
            EXPECT_EQ(player->funStats.Get(i), 500 + i) << i;
        }
    }
    EXPECT_EQ(player->discoveredLevels, (std::vector<bool>{true, false, true}));
    EXPECT_TRUE(player->GetCharacterFlag(CharacterFlag::kStaysDead));
    EXPECT_FALSE(player->GetCharacterFlag(CharacterFlag::kLoner));
    EXPECT_EQ(player->opponentNumber, -1);
}

TEST_F(ClientPlayerPart, LevelUpKillsPerDeathAndTheTutorialsEnd)
{
    hostPlayer->stats.Set(CharacterStat::Level, 1);
    ASSERT_TRUE(Deliver());
    ui.shownHints.clear();
    hostPlayer->stats.Set(CharacterStat::Level, 2);
    ASSERT_TRUE(Deliver());
    EXPECT_EQ(ui.shownHints, std::vector<std::string>{"LevelUp"});
    // Back to level 1 (a new character): no hint.
    ui.shownHints.clear();
    hostPlayer->stats.Set(CharacterStat::Level, 1);
    ASSERT_TRUE(Deliver());
    EXPECT_TRUE(ui.shownHints.empty());

    hostPlayer->statistics.Set(CharacterFunStat::Kills, 7);
    hostPlayer->statistics.Set(CharacterFunStat::Deaths, 2);
    ASSERT_TRUE(Deliver());
    EXPECT_EQ(player->funStats.Get(CharacterFunStat::KillsPerDeath), 3);
    hostPlayer->statistics.Set(CharacterFunStat::Deaths, 0);
    ASSERT_TRUE(Deliver());
    EXPECT_EQ(player->funStats.Get(CharacterFunStat::KillsPerDeath), 7);

    // The tutorial's end shows its hint once, when the flag turns on.
    hostPlayer->characterFlags.assign(CharacterFlag::kCount, false);
    hostPlayer->characterFlags[CharacterFlag::kTutorialOver] = true;
    ASSERT_TRUE(Deliver());
    ASSERT_TRUE(Deliver());
    EXPECT_EQ(std::count(ui.shownHints.begin(), ui.shownHints.end(), "TutorialFinishedHints"), 1);
}

// A second class for the player to change to, with a hint named after it and a body of its own.
constexpr const char* kClientPlayerPartScout = R"(
ClassScout
{
    Type Class
    Name "ClassScout"
    BaseSpeed 150
    Radius 12
}
)";

class ClientPlayerClass : public ClientPlayerPart {
protected:
    void SetUp() override
    {
        StartWorldOnly("", kClientPlayerPartScout);
        ui.hintChain = {{"ClassScout", ""}};
        MakePlayer();
        Join();
    }
};

TEST_F(ClientPlayerClass, ANewClassTellsTheMenusShowsItsHintOnceAndTakesItsRecordAndAnUnlistedOneIsNot)
{
    int32_t scout = gGameData->FindCharacterClassIndex("ClassScout");
    ASSERT_GE(scout, 0);
    ASSERT_NE(player->classIndex, scout);
    int32_t told = ui.playerChanges;
    ui.shownHints.clear();
    ui.widgetNotices.clear();
    hostPlayer->stats.Set(CharacterStat::Class, scout);
    ASSERT_TRUE(Deliver());
    EXPECT_EQ(ui.playerChanges, told + 1) << "the menus hear of the new class";
    EXPECT_EQ(ui.widgetNotices, std::vector<int32_t>{scout}) << "the widgets are told its index";
    EXPECT_EQ(ui.shownHints, std::vector<std::string>{"ClassScout"});
    EXPECT_EQ(player->classIndex, scout);
    EXPECT_EQ(player->GetRecord(), database.FindEntryByName("ClassScout"));
    EXPECT_FLOAT_EQ(player->radius, 12.0f) << "the class's body";

    ASSERT_TRUE(Deliver());
    EXPECT_EQ(ui.playerChanges, told + 1) << "the same class again tells nobody";
    EXPECT_EQ(ui.widgetNotices.size(), 1u);
    EXPECT_EQ(ui.shownHints.size(), 1u);

    hostPlayer->stats.Set(CharacterStat::Class, 99);
    ASSERT_TRUE(Deliver());
    EXPECT_EQ(player->classIndex, scout) << "a class the game does not list is not taken";
    EXPECT_EQ(ui.shownHints.size(), 1u);
    // Asked as any entity (as a record's load asks), the player's own form still answers.
    EntityClient& asEntity = *player;
    asEntity.SetClassIndex(-5);
    EXPECT_EQ(player->classIndex, scout);
    EXPECT_NE(player->classRecord, nullptr);
}

TEST_F(ClientPlayerPart, APartCutAnywhereIsRefusedWhole)
{
    MessageBuffer whole;
    hostPlayer->stats.Set(CharacterStat::Money, 42);
    hostPlayer->WritePlayerPart(whole);
    int32_t moneyBefore = player->stats.Get(CharacterStat::Money);
    for (size_t cut = 0; cut < whole.Size(); ++cut) {
        MessageBuffer part;
        part.WriteBytes(whole.Data(), cut);
        part.SetReadPos(0);
        ASSERT_FALSE(player->ParsePlayerPart(part)) << "cut at " << cut;
    }
    EXPECT_EQ(player->stats.Get(CharacterStat::Money), moneyBefore);
    MessageBuffer all;
    all.WriteBytes(whole.Data(), whole.Size());
    all.SetReadPos(0);
    EXPECT_TRUE(player->ParsePlayerPart(all));
}

TEST_F(ClientPlayerPart, AnUpdateOverTheQueueCarriesThePartToTheMirror)
{
    hostPlayer->stats.Set(CharacterStat::Money, 1234);
    ClientFrame(50);
    ClientFrame(50);
    EXPECT_EQ(player->stats.Get(CharacterStat::Money), 1234);
    EXPECT_EQ(player->characterName, "Ada");
    EXPECT_NE(player->GetBody(), nullptr);
}

} // namespace
