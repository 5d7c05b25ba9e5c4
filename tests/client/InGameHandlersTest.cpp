// InGameHandlersTest -- the running game's requests about NPCs, the party, quests and diplomacy with their exact lines and refusals, the local selections, the quests an NPC offers and the skill-level tool.
#include "client/CovenantClient.h"
#include "client/InGameHandlers.h"
#include "client/PlayerClientWorld.h"
#include "client/PlayerCovenantClient.h"
#include "client/RecruitClient.h"
#include "core/UserVarSystem.h"
#include "covenants/PlayerCovenant.h"
#include "covenants/PlayerHouseRecords.h"
#include "entities/Actor.h"
#include "server/quests/Quest.h"

#include <climits>

namespace {

class InGameHandlersRequests : public PlayerClientWorld {
protected:
    void SetUp() override
    {
        StartWorldOnly();
        Join();
    }

    // A host entity beside the player, mirrored by the client.
    EntityClient* MirroredNeighbour(float dx)
    {
        Entity* neighbour = Spawn<Entity>(hostPlayer->position.x + dx, hostPlayer->position.y, hostPlayer->position.level);
        ClientFrame(50);
        ClientFrame(50);
        return gameClient->GetEntity(neighbour->entityNumber);
    }

    // The lines the commands queued, in order; the queue is emptied.
    std::vector<std::string> Run(std::initializer_list<const char*> lines)
    {
        for (const char* line : lines)
            EXPECT_TRUE(ExecuteCommandLine(line)) << line;
        std::vector<std::string> queued(app->GetQueuedLines().begin(), app->GetQueuedLines().end());
        ClientFrame(0);
        return queued;
    }

    using Lines = std::vector<std::string>;
};

TEST_F(InGameHandlersRequests, RequestsAboutTheSelectedNpcNameIt)
{
    EntityClient* npc = MirroredNeighbour(40.0f);
    ASSERT_NE(npc, nullptr);
    const char* npcLines[] = {"npcRecruit 1", "npcDirectRemove", "npcRescue", "npcDelivery", "npcEscort"};
    // No selection, then a selection that is no NPC: nothing.
    for (const char* line : npcLines)
        EXPECT_TRUE(Run({line}).empty()) << line;
    player->SetTarget(npc, false);
    for (const char* line : npcLines)
        EXPECT_TRUE(Run({line}).empty()) << line;
    npc->isNpc = true;
    std::string n = std::to_string(npc->entityNumber);
    EXPECT_EQ(Run({"npcRecruit 1", "npcRecruit 0"}), (Lines{"recruit " + n + " 1", "recruit " + n + " 0"}));
    EXPECT_EQ(Run({"npcDirectRemove", "npcRescue", "npcDelivery", "npcEscort"}),
              (Lines{"removeNpc " + n, "rescue " + n, "delivery " + n, "escort " + n}));
}

TEST_F(InGameHandlersRequests, PartyRequestsNameTheMemberAtThatPlace)
{
    EXPECT_TRUE(Run({"npcRemove 0", "clientForceFood 0", "clientForcePotion 0"}).empty());
    player->party = {700, 701};
    EXPECT_EQ(Run({"npcRemove 1", "clientForceFood 0", "clientForcePotion 1"}),
              (Lines{"removeNpc 701", "forceFood 700", "forcePotion 701"}));
    EXPECT_TRUE(Run({"npcRemove 2", "clientForceFood -1", "clientForcePotion 2147483647"}).empty());
}

TEST_F(InGameHandlersRequests, QuestLinesCarryWholeNumbersOnly)
{
    vars.SetStringByName("SelectedQuest", "4");
    vars.SetStringByName("QuestToDecline", "9");
    EXPECT_EQ(Run({"ClientAcceptQuest", "ClientDeclineQuest", "ClientSkipQuest"}),
              (Lines{"acceptQuest 4", "declineQuest 9", "skipQuest 4"}));
    // Text that is no number would reach the host as quest 0.
    vars.SetStringByName("SelectedQuest", "abc");
    vars.SetStringByName("QuestToDecline", "");
    EXPECT_TRUE(Run({"ClientAcceptQuest", "ClientDeclineQuest", "ClientSkipQuest"}).empty());
    vars.SetStringByName("SelectedQuest", "4 5");
    EXPECT_TRUE(Run({"ClientAcceptQuest"}).empty());
}

TEST_F(InGameHandlersRequests, SkippingAnEmptyOrUnknownQuestSlotAsksToSkipNone)
{
    vars.SetStringByName("QuestToSkip", "6");
    EXPECT_EQ(Run({"ClientSkipPlayerQuest"}), Lines{"skipQuest -1"});
    vars.SetStringByName("QuestToSkip", "0");
    EXPECT_EQ(Run({"ClientSkipPlayerQuest"}), Lines{"skipQuest -1"});
    vars.SetStringByName("QuestToSkip", "-3");
    EXPECT_EQ(Run({"ClientSkipPlayerQuest"}), Lines{"skipQuest -1"});
}

TEST_F(InGameHandlersRequests, DiplomacyNeedsACovenantTheClientKnows)
{
    EXPECT_TRUE(Run({"War", "startRumorClient 2"}).empty());
    gameClient->GetCovenant(0, true);
    gameClient->GetCovenant(1, true);
    gameClient->selectedCovenant = 1;
    EXPECT_EQ(Run({"War", "startRumorClient 2"}), (Lines{"declareWar 1", "startRumor 1 2"}));
    EXPECT_TRUE(Run({"startRumorClient high"}).empty());
    gameClient->selectedCovenant = 2;
    EXPECT_TRUE(Run({"War", "startRumorClient 2"}).empty());
}

TEST_F(InGameHandlersRequests, AnAttributeNameGoesOnAsOneWord)
{
    EXPECT_EQ(Run({"ClientIncrementAttribute Strength"}), Lines{"IncAtrb Strength"});
    EXPECT_TRUE(Run({"ClientIncrementAttribute \"Strength 5\"", "ClientIncrementAttribute \"\""}).empty());
}

TEST_F(InGameHandlersRequests, LocalSelectionsChangeTheTargetAndQueueNothing)
{
    EntityClient* member = MirroredNeighbour(40.0f);
    ASSERT_NE(member, nullptr);
    player->party = {member->entityNumber};
    EXPECT_TRUE(Run({"selectPartyMember 0"}).empty());
    EXPECT_EQ(player->GetInteractionTarget(), member);
    EXPECT_TRUE(Run({"selectPartyMember 1", "selectPartyMember -1"}).empty());
    EXPECT_EQ(player->GetInteractionTarget(), member);
    player->pendingSkill = 3;
    EXPECT_TRUE(Run({"selectPlayer"}).empty());
    EXPECT_EQ(player->GetInteractionTarget(), player->GetBody());
    EXPECT_EQ(player->pendingSkill, -1);
    // Already selected: nothing changes.
    player->pendingSkill = 3;
    Run({"selectPlayer"});
    EXPECT_EQ(player->pendingSkill, 3);
}

TEST_F(InGameHandlersRequests, TheEquipmentScreenNeedsASelection)
{
    player->SetTarget(nullptr, true);
    Run({"npcEquipment"});
    EXPECT_NE(player->interactionMode, InGameHandlers::kModeNpcEquipment);
    EntityClient* npc = MirroredNeighbour(40.0f);
    ASSERT_NE(npc, nullptr);
    npc->isNpc = true;
    player->SetTarget(npc, false);
    EXPECT_TRUE(Run({"npcEquipment"}).empty());
    EXPECT_EQ(player->interactionMode, InGameHandlers::kModeNpcEquipment);
}

TEST_F(InGameHandlersRequests, NoQuestsAreOfferedWithoutALivingSelection)
{
    std::vector<ListEntry> rows(3);
    commands.CallInfoProc("getAvailableQuests", rows);
    EXPECT_TRUE(rows.empty());
    EntityClient* npc = MirroredNeighbour(40.0f);
    ASSERT_NE(npc, nullptr);
    npc->questOffers = {0, 5, -1, 1500};
    player->SetTarget(npc, false);
    // The world holds no quests here: the numbers name none.
    commands.CallInfoProc("getAvailableQuests", rows);
    EXPECT_TRUE(rows.empty());
}

TEST(InGameHandlersSkillLevel, PointsPayACostThatGrowsByOneEachLevel)
{
    EXPECT_EQ(InGameHandlers::CalculateSkillLevel(1, 10), 4);
    EXPECT_EQ(InGameHandlers::CalculateSkillLevel(1, 3), 2);
    EXPECT_EQ(InGameHandlers::CalculateSkillLevel(5, 4), 0);
    EXPECT_EQ(InGameHandlers::CalculateSkillLevel(5, 5), 1);
    EXPECT_EQ(InGameHandlers::CalculateSkillLevel(3, -7), 0);
    // A negative cost would pay points back without end.
    EXPECT_EQ(InGameHandlers::CalculateSkillLevel(-1, 10), 0);
    EXPECT_EQ(InGameHandlers::CalculateSkillLevel(INT_MIN, INT_MAX), 0);
    // A free first level, then 1, 2, 3...: the largest n with n(n-1)/2 <= points.
    EXPECT_EQ(InGameHandlers::CalculateSkillLevel(0, INT_MAX), 65536);
}

TEST_F(InGameHandlersRequests, TheSkillLevelToolPrintsToTheConsole)
{
    Run({"calculateSkillLevel 1 10", "calculateSkillLevel -5 100"});
    std::vector<std::string> lines = debug.GetConsoleLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "Skill level = 4\n");
    EXPECT_EQ(lines.back(), "Skill level = 0\n");
}

} // namespace

// ---- Recruits of the player's covenant ------------------------------------------------------------------

namespace {

// A creature a recruit can be; an NPC, so that the player may select it as one.
constexpr const char* kInGameHandlersRecruitRecords = R"(
ClassHandlersRecruit
{
    Type Class
    BaseSpeed 140
    HealthPerVit 4
    StartVitality 10
}
ArchetypeHandlersRecruit
{
    Type MonsterArchetype
    FactionName "Recruits"
}
ActorHandlersRecruit
{
    Type Actor
    Class ClassHandlersRecruit
    Npc 1
}
MonsterHandlersRecruit
{
    Type MonsterType
    Archetype ArchetypeHandlersRecruit
    Definition ActorHandlersRecruit
    Name "$$MonsterHandlersRecruit$$"
    MinLevel 1
    MaxLevel 30
}
ObjectPedestal
{
    Type Object
}
)";

class InGameHandlersRecruits : public PlayerClientWorld {
protected:
    void SetUp() override
    {
        StartWorld("UsingCovenants 1\nMaxRecruits 4\nStartPosition 0.5 0.5\n",
                   std::string(kPlayerHouseRecords) + kInGameHandlersRecruitRecords);
        MakePlayer();
        mirror = std::make_unique<PlayerCovenantClient>();
        player->SetCovenant(mirror.get());
    }

    // The character file's block with one recruit, in slot 2.
    MessageBuffer SavedBlock() const
    {
        MessageBuffer buffer;
        buffer.WriteInt(4);
        for (int32_t slot = 0; slot < 4; ++slot) {
            RecruitClient recruit;
            if (slot == 2) {
                recruit.definitionEntry = database.FindEntryByName("MonsterHandlersRecruit")->GetId();
                recruit.stats.Set(CharacterStat::Level, 5);
            }
            recruit.Write(buffer);
        }
        buffer.WriteInt(40);
        buffer.WriteInt(90);
        buffer.WriteInt(55);
        buffer.WriteString("Ember Hall");
        buffer.WriteInt(2);
        buffer.WriteInt(5);
        IntArray(PlayerCovenantClient::kTrackedValues).Write(buffer);
        IntArray(CovenantStat::kCount).Write(buffer);
        return buffer;
    }

    std::vector<std::string> Queued() const { return {app->GetQueuedLines().begin(), app->GetQueuedLines().end()}; }

    std::unique_ptr<PlayerCovenantClient> mirror;
};

TEST_F(InGameHandlersRecruits, InvitingAndKickingOutNameTheRecruitsSlot)
{
    MessageBuffer block = SavedBlock();
    ASSERT_TRUE(mirror->ReadSaved(block, PlayerClient::kFileVersion));
    Join();
    auto* covenant = dynamic_cast<PlayerCovenant*>(game->GetCovenant(hostPlayer->covenantIndex));
    ASSERT_NE(covenant, nullptr);
    Actor* actor = covenant->GetRecruitActor(2, hostPlayer);
    ASSERT_NE(actor, nullptr);
    // Beside the player, so that the updates show it.
    actor->SetPosition(WorldPos{hostPlayer->position.level, hostPlayer->position.x + 40.0f, hostPlayer->position.y, true});
    for (int i = 0; i < 2; ++i)
        ClientFrame(50);
    ASSERT_NE(mirror->GetRecruit(2), nullptr);
    EntityClient* recruit = gameClient->GetEntity(mirror->GetRecruit(2)->entityNumber);
    ASSERT_NE(recruit, nullptr);
    ASSERT_TRUE(recruit->isNpc);
    ExecuteCommandLine("npcDirectInvite");
    EXPECT_TRUE(Queued().empty());
    player->SetTarget(recruit, false);
    ExecuteCommandLine("npcDirectInvite");
    ExecuteCommandLine("npcDirectKick");
    EXPECT_EQ(Queued(), (std::vector<std::string>{"invite 2", "kickout 2"}));
}

TEST_F(InGameHandlersRecruits, AnNpcThatIsNoRecruitIsNeitherInvitedNorKickedOut)
{
    Join();
    Entity* stranger = Spawn<Entity>(hostPlayer->position.x + 40.0f, hostPlayer->position.y, hostPlayer->position.level);
    for (int i = 0; i < 2; ++i)
        ClientFrame(50);
    EntityClient* npc = gameClient->GetEntity(stranger->entityNumber);
    ASSERT_NE(npc, nullptr);
    npc->isNpc = true;
    player->SetTarget(npc, false);
    ExecuteCommandLine("npcDirectInvite");
    ExecuteCommandLine("npcDirectKick");
    player->SetCovenant(nullptr);
    ExecuteCommandLine("npcDirectInvite");
    EXPECT_TRUE(Queued().empty());
}

// Three rival covenants beside the player's: one eliminated, two allied with the player's.
TEST_F(InGameHandlersRecruits, CovenantCountsAndNamesFollowTheUpdate)
{
    Join();
    int32_t own = hostPlayer->covenantIndex;
    for (int32_t i = 0; i < 3; ++i) {
        auto covenant = std::make_unique<PlayerCovenant>();
        covenant->SetDefinitionByName("Human");
        covenant->name = "Rival " + std::to_string(i);
        covenant->eliminated = i == 1;
        game->AddCovenant(std::move(covenant));
    }
    int32_t count = game->GetCovenantCount();
    for (int32_t i = 0; i < count; ++i)
        if (i != own && game->GetCovenant(i)->name != "Rival 1")
            game->GetCovenant(i)->SetTreatyState(own, CovenantTreaty::Alliance);
    for (int32_t i = 0; i < 3; ++i)
        ClientFrame(50);
    ASSERT_EQ(gameClient->GetCovenantCount(), count);
    for (int32_t i = 0; i < count; ++i) {
        const CovenantClient* mirror = gameClient->GetCovenant(i, false);
        ASSERT_NE(mirror, nullptr);
        EXPECT_EQ(mirror->eliminated, game->GetCovenant(i)->eliminated) << i;
        if (i != own) {
            EXPECT_EQ(mirror->GetTreatyState(own), game->GetCovenant(i)->GetTreatyState(own)) << i;
        }
    }
    int32_t last = count - 1;
    EXPECT_EQ(gameClient->GetCovenantName(last), "Rival 2");
    EXPECT_EQ(gameClient->GetCovenantText(last), game->GetCovenant(last)->GetDisplayName());
    EXPECT_TRUE(gameClient->GetCovenantName(count).empty());
    EXPECT_TRUE(gameClient->GetCovenantName(-1).empty());
    EXPECT_FALSE(gameClient->HasOpenQuest(true, true));
}

// ---- World quests ---------------------------------------------------------------------------------------

constexpr const char* kInGameHandlersQuests = R"(
QuestHandlersHunt
{
    Type Quest
    QuestType KillMonsters
    Count 3
}
QuestHandlersTown
{
    Type Quest
    QuestType TownAttack
    Count 3
}
QuestHandlersSiege
{
    Type Quest
    QuestType Siege
    HasWorldLevel 1
    MinCount 3
    MaxCount 3
}
)";

class InGameHandlersQuests : public PlayerClientWorld {
protected:
    void SetUp() override
    {
        StartWorldOnly("", kInGameHandlersQuests);
        Join();
    }

    // A world quest of the definition, as the host keeps them, in the next free entry.
    void AddWorldQuest(const char* name, uint32_t seed)
    {
        auto quest = std::make_unique<Quest>(nullptr);
        quest->Setup(database.FindEntryByName(name), 3, seed, 0, TimeStamp{});
        game->GetWorldQuests().push_back(std::move(quest));
    }
};

TEST_F(InGameHandlersQuests, AnNpcOffersTheWorldQuestsItNamesInItsOrder)
{
    AddWorldQuest("QuestHandlersHunt", 11);
    AddWorldQuest("QuestHandlersHunt", 12);
    Entity* giver = Spawn<Entity>(hostPlayer->position.x + 40.0f, hostPlayer->position.y, hostPlayer->position.level);
    giver->maxHealth = 10;
    giver->health = 10;
    for (int i = 0; i < 2; ++i)
        ClientFrame(50);
    ASSERT_EQ(gameClient->GetQuestCount(), 2);
    EntityClient* npc = gameClient->GetEntity(giver->entityNumber);
    ASSERT_NE(npc, nullptr);
    ASSERT_TRUE(npc->IsAlive());
    npc->questOffers = {1, 7, -1, 0};
    player->SetTarget(npc, false);
    std::vector<ListEntry> rows;
    commands.CallInfoProc("getAvailableQuests", rows);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].value, "1");
    EXPECT_EQ(rows[1].value, "0");
    EXPECT_FALSE(rows[0].name.empty());
    // A dead giver offers nothing.
    npc->health = 0;
    commands.CallInfoProc("getAvailableQuests", rows);
    EXPECT_TRUE(rows.empty());
}

TEST_F(InGameHandlersQuests, AnOpenTownAttackIsToldApartFromOtherQuests)
{
    AddWorldQuest("QuestHandlersHunt", 11);
    for (int i = 0; i < 2; ++i)
        ClientFrame(50);
    EXPECT_FALSE(gameClient->HasOpenQuest(true, true));
    AddWorldQuest("QuestHandlersTown", 12);
    for (int i = 0; i < 2; ++i)
        ClientFrame(50);
    ASSERT_EQ(gameClient->GetQuestCount(), 2);
    ASSERT_NE(gameClient->GetQuests()[1], nullptr);
    EXPECT_TRUE(gameClient->HasOpenQuest(true, false));
    EXPECT_FALSE(gameClient->HasOpenQuest(false, true));
    EXPECT_TRUE(gameClient->HasOpenQuest(true, true));
}

// The "[Here] " mark of a quest's title follows the level the player stands on, never the
// character's level: a hero of level 1 in town sees no mark on a quest aimed at level index 1.
TEST_F(InGameHandlersQuests, TheHereMarkFollowsTheLevelThePlayerStandsOnNotTheCharactersLevel)
{
    AddWorldQuest("QuestHandlersSiege", 13);
    Entity* giver = Spawn<Entity>(hostPlayer->position.x + 40.0f, hostPlayer->position.y, hostPlayer->position.level);
    giver->maxHealth = 10;
    giver->health = 10;
    for (int i = 0; i < 2; ++i)
        ClientFrame(50);
    EntityClient* npc = gameClient->GetEntity(giver->entityNumber);
    ASSERT_NE(npc, nullptr);
    npc->questOffers = {0};
    player->SetTarget(npc, false);
    struct Case {
        int32_t characterLevel;
        int32_t standingOn;
        bool marked;
    };
    for (const Case& c : {Case{1, 0, false}, Case{1, 1, true}, Case{3, 1, true}, Case{1, 2, false}}) {
        player->stats.Set(CharacterStat::Level, c.characterLevel);
        player->position.level = c.standingOn;
        std::vector<ListEntry> rows;
        commands.CallInfoProc("getAvailableQuests", rows);
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].name.starts_with("$$QuestTitlePlayerInQuestLevel$$"), c.marked)
            << "level " << c.characterLevel << " standing on " << c.standingOn << ": " << rows[0].name;
    }
    ASSERT_NE(gameClient->GetQuests()[0], nullptr);
    EXPECT_EQ(gameClient->GetQuests()[0]->targetLevel, 1) << "a siege is aimed at level index 1";
}

} // namespace
