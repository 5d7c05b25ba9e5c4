// GameUpdateReadTest -- the game client reading the bytes the world host's writers make: entity lists, quest slots kept, rebuilt and made again, the menu flags on change only, quest items and beams.
#include "client/ClientLockstepWorld.h"

#include "client/QuestClient.h"
#include "core/EngineEnums.h"
#include "core/LocSystem.h"
#include "rules/monsters/MonsterType.h"
#include "server/quests/Quest.h"
#include "render/WorldMap.h"
#include "server/spawn/SpawnSystem.h"
#include "world/AreaDefinition.h"
#include "world/Level.h"
#include "world/World.h"

namespace {

constexpr const char* kGameUpdateQuests = R"(
QuestRecruit
{
    Type Quest
    QuestType Recruit
}
QuestHunt
{
    Type Quest
    QuestType KillMonsters
    Count 3
}
QuestTotems
{
    Type Quest
    QuestType MonsterQuestItem
}
QuestPages
{
    Type Quest
    QuestType LevelQuestItem
    HasWorldLevel 1
    DefaultArea AreaMeadow
}
)";

class GameUpdateRead : public ClientLockstepWorld {
protected:
    void SetUp() override
    {
        StartAndJoin(std::string(kLockstepRecords) + kGameUpdateQuests);
        player = link->player;
        ExtendEast(1);
        link->position = WorldPos{1, 1000.0f, 1000.0f, true};
        Client::SendUpdate();
        LockstepFrame(0);
    }

    // A world quest of the definition, as the host keeps them.
    std::unique_ptr<Quest> MakeQuest(const char* name, uint32_t seed)
    {
        auto quest = std::make_unique<Quest>(nullptr);
        quest->Setup(database.FindEntryByName(name), 3, seed, 0, TimeStamp{});
        return quest;
    }

    int32_t CountHints(const std::string& topic) const
    {
        return static_cast<int32_t>(std::count(link->hints.begin(), link->hints.end(), topic));
    }

    // The game part as the host writes it, with the two end flags given.
    MessageBuffer EntitiesEndedThenGamePart(bool first, bool second)
    {
        MessageBuffer buffer;
        buffer.WriteInt(NetMessages::kListEnd);
        game->WriteNetPart(buffer, player);
        size_t size = buffer.Size();
        MessageBuffer patched;
        patched.WriteBytes(buffer.Data(), size - 8);
        patched.WriteBool(first);
        patched.WriteBool(second);
        patched.SetReadPos(0);
        return patched;
    }
};

TEST_F(GameUpdateRead, AnUpdateOfNoEntitiesDeletesEveryMirror)
{
    ASSERT_NE(gameClient->GetEntity(player->entityNumber), nullptr);
    MessageBuffer update = EntitiesEndedThenGamePart(false, false);
    ASSERT_TRUE(gameClient->ReadGameUpdate(update, nullptr));
    for (int32_t i = 0; i < GameClient::kMaxEntities; ++i)
        ASSERT_EQ(gameClient->GetEntity(i), nullptr) << i;
    EXPECT_EQ(update.BytesLeft(), 0u);
}

TEST_F(GameUpdateRead, QuestSlotsAreKeptRebuiltAndMadeAgainWithTheRecruitHelpForEachNewRecruitQuest)
{
    auto& quests = game->GetWorldQuests();
    quests.push_back(MakeQuest("QuestRecruit", 11));
    quests.push_back(MakeQuest("QuestHunt", 12));
    LockstepFrame(50);
    ASSERT_EQ(gameClient->GetQuests().size(), 2u);
    ASSERT_NE(gameClient->GetQuests()[0], nullptr);
    EXPECT_EQ(gameClient->GetQuests()[0]->type, QuestType::Recruit);
    EXPECT_EQ(gameClient->GetQuests()[1]->index, 1);
    EXPECT_EQ(gameClient->GetQuests()[1]->seed, 12u);
    EXPECT_EQ(CountHints("Recruit"), 1);

    // The same count keeps the objects and says nothing again.
    const QuestClient* kept = gameClient->GetQuests()[1].get();
    LockstepFrame(50);
    EXPECT_EQ(gameClient->GetQuests()[1].get(), kept);
    EXPECT_EQ(CountHints("Recruit"), 1);

    // An emptied slot goes; filled again, it is a new quest with its help again.
    quests[0].reset();
    LockstepFrame(50);
    EXPECT_EQ(gameClient->GetQuests()[0], nullptr);
    quests[0] = MakeQuest("QuestRecruit", 13);
    LockstepFrame(50);
    ASSERT_NE(gameClient->GetQuests()[0], nullptr);
    EXPECT_EQ(CountHints("Recruit"), 2);

    // Fewer slots: every mirror is made anew.
    quests.pop_back();
    LockstepFrame(50);
    ASSERT_EQ(gameClient->GetQuests().size(), 1u);
    EXPECT_EQ(CountHints("Recruit"), 3);
}

TEST_F(GameUpdateRead, TheVictoryMenusAreShownAndHiddenOnlyWhenTheirFlagsChange)
{
    ui.lines.clear();
    for (auto [allied, confirm] : {std::pair{true, false}, {true, false}, {true, true}, {false, true}, {false, false}}) {
        MessageBuffer update = EntitiesEndedThenGamePart(allied, confirm);
        ASSERT_TRUE(gameClient->ReadGameUpdate(update, nullptr));
    }
    EXPECT_EQ(ui.lines, (std::vector<std::string>{"showMenu AlliedVictory", "showMenu ConfirmWin",
                                                  "hideMenu AlliedVictory", "hideMenu ConfirmWin"}));
}

TEST_F(GameUpdateRead, AQuestItemCarriesItsQuestsNumberAndABeamItsFourEnds)
{
    auto scroll = std::make_unique<Item>();
    scroll->SetEntry(database.FindEntryByName("Scroll"));
    scroll->questNumber = 42;
    ItemGround* ground = ItemGround::Drop(Near(100.0f, 0.0f), scroll, true, true, false);
    ASSERT_NE(ground, nullptr);
    Actor* goblin = AddGoblin(Near(-100.0f, 0.0f));
    ASSERT_NE(goblin, nullptr);
    Projectile* ray = Fire("Ray", goblin, player);
    ASSERT_NE(ray, nullptr);
    LockstepFrame(0);

    const EntityClient* item = gameClient->GetEntity(ground->entityNumber);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->questNumber, 42);
    EXPECT_EQ(item->groundRecord, ground->GetEntry());
    const EntityClient* beam = gameClient->GetEntity(ray->entityNumber);
    ASSERT_NE(beam, nullptr);
    EXPECT_TRUE(beam->projectileTrail);
    EXPECT_EQ(beam->projectileWords[0], goblin->entityNumber);
    EXPECT_EQ(beam->projectileWords[2], player->entityNumber);
}

TEST_F(GameUpdateRead, AQuestItemIsNamedAfterTheQuestItsNumberNamesAndANumberOfNoQuestNamesNothing)
{
    auto& quests = game->GetWorldQuests();
    // The kinds' own targets, as their set-up would draw them: a monster type, a level.
    quests.push_back(MakeQuest("QuestTotems", 21));
    static_cast<QuestBase&>(*quests.back()).target = gameData.FindMonsterType("MonsterGoblin");
    quests.push_back(MakeQuest("QuestPages", 22));
    static_cast<QuestBase&>(*quests.back()).target = nullptr;
    const DatabaseEntry* goblin = database.FindEntryByName("MonsterGoblin");
    const DatabaseEntry* archetype = database.FindEntryByName("ArchetypeGoblin");
    // The level quest's level lies in the area it names, which names its items.
    const DatabaseEntry* area = database.FindEntryByName("AreaMeadow");
    // The quest number the host lays each item for, and the records the client names it by.
    struct Case {
        int32_t questNumber;
        const DatabaseEntry* record;
        const DatabaseEntry* target;
    };
    const Case cases[] = {{0, goblin, archetype}, {1, area, area}, {77, nullptr, nullptr}, {-5, nullptr, nullptr}};
    SpawnSystem spawn;
    std::vector<int32_t> numbers;
    for (size_t i = 0; i < std::size(cases); ++i) {
        Entity* laid = spawn.PlaceQuestItem(database.FindEntryByName("Scroll"),
                                            Near(60.0f + 40.0f * static_cast<float>(i), 0.0f), 0, 0,
                                            cases[i].questNumber);
        ASSERT_NE(laid, nullptr);
        numbers.push_back(laid->entityNumber);
    }
    LockstepFrame(0);
    for (size_t i = 0; i < std::size(cases); ++i) {
        const EntityClient* item = gameClient->GetEntity(numbers[i]);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->questRecord, cases[i].record) << i;
        EXPECT_EQ(item->questTarget, cases[i].target) << i;
    }
    EXPECT_EQ(gameClient->GetEntity(numbers[0])->GetHoverText(true, true, false),
              MakeLocToken("MonsterItemName", "%s %s", "Goblin", "Totem"));
    EXPECT_EQ(gameClient->GetEntity(numbers[2])->GetHoverText(true, true, false), "") << "the Scroll has no name";

    // The quest gone, its items name nothing.
    quests[0].reset();
    LockstepFrame(0);
    EXPECT_EQ(gameClient->GetEntity(numbers[0])->questRecord, nullptr);
    EXPECT_EQ(gameClient->GetEntity(numbers[0])->questTarget, nullptr);
}

} // namespace

// A gate read where a connection of its level stands is recorded on the world map as that
// connection's gate; a gate standing anywhere else (a player's portal) records nothing.
TEST_F(GameUpdateRead, AGateAtAConnectionOfItsLevelIsRecordedOnTheWorldMapAndNoOtherGateIs)
{
    struct MapInPlace {
        MapInPlace() { gWorldMap = &map; }
        ~MapInPlace() { gWorldMap = nullptr; }
        WorldMap map;
    } shown;
    Level* level = gWorld->GetLevel(player->position.level);
    ASSERT_NE(level, nullptr);
    WorldPos connection = Near(100.0f, 0.0f);
    size_t index = level->gates.size();
    level->gates.push_back(LevelGate{connection, 0, 0, false});
    AddGate(connection);
    AddGate(Near(-100.0f, 60.0f));
    LockstepFrame(0);

    const ExploredLevel* record = shown.map.FindLevel(connection.level);
    ASSERT_NE(record, nullptr);
    ASSERT_EQ(record->connectionGates.size(), index + 1);
    for (size_t j = 0; j < index; ++j)
        EXPECT_EQ(record->connectionGates[j].level, -1) << "connection " << j;
    EXPECT_EQ(record->connectionGates[index].level, connection.level);
    EXPECT_FLOAT_EQ(record->connectionGates[index].x, connection.x);
    EXPECT_FLOAT_EQ(record->connectionGates[index].y, connection.y);
    EXPECT_EQ(record->levelGate.level, -1) << "the portal is not the level's gate";
}
