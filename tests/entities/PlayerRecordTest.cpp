// PlayerRecordTest -- the player's part of the game update byte by byte, and the character record a joining client sends: both forms, both world cases, cuts and hostile values.
#include "core/MessageBuffer.h"
#include "entities/CharacterSettings.h"
#include "entities/EntityWorld.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/JoiningCharacter.h"
#include "entities/Player.h"
#include "entities/ScriptedQuest.h"
#include "support/LogLines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr const char* kRecordRecords = R"(
GameSystem
{
    InventorySize 30
    BookshelfSize 12
    MaxMoney 100000
    GridSize 32
}
Lunge
{
    Type Skill
    StatReq Strength
    PointsReq 5
}
Drill
{
    Type SkillTree
    StartingSkills 1
    Skill Lunge
}
ClassWanderer
{
    Type Class
    BaseSpeed 150
    HealthPerVit 5
    StartStrength 11
    StartDexterity 12
    StartVitality 13
    StartIntelligence 14
    StartSpirit 15
    SkillTree Drill
    StartingMoney 75
    StartingItem Satchel
    StartingItem Ration
    StartingItem Ration
    StartingItem NoSuchItem
    AutoStartItem Helm
}
ClassSeer
{
    Type Class
    BaseSpeed 140
    HealthPerVit 4
    StartStrength 5
    StartDexterity 6
    StartVitality 7
    StartIntelligence 8
    StartSpirit 9
}
Ration
{
    Type Item
    ItemType Other
    MaxStack 5
}
Grain
{
    Type Item
    ItemType Food
    CovenantCurrency 1
}
Satchel
{
    Type Item
    ItemType Bag
    BagSize 6
}
Helm
{
    Type Item
    ItemType Head
    Armor 3
}
Bag1
{
    Type Item
    ItemType Bag
    BagSize 4
}
StatusEffectBasicRegen
{
    Type StatusEffect
    BasicRegen 1
    Forever 1
    TickTime 1
    EffectType OnlyOne
    GroupName "BasicRegen"
}
)";

// What the client's writer puts in a loaded character's record; the test writer below lays it
// out in the record's order.
struct LoadedCharacter {
    std::string name = "Ayla";
    int32_t maxHealth = 999;
    int32_t health = 30;
    int32_t classIndex = 1;
    std::vector<int32_t> stats;
    std::vector<int32_t> statistics;
    const Inventory* inventory = nullptr;
    std::vector<int32_t> flags{1, 0, 1};
    bool gatesKept = false;
    std::pair<int32_t, std::pair<float, float>> playerGate{-1, {0.0f, 0.0f}};
    std::pair<int32_t, std::pair<float, float>> raidGate{-1, {0.0f, 0.0f}};
    std::vector<int32_t> explored;
    int32_t difficulty = 0;
    uint32_t worldWord = 7;
    bool partyKept = false;
    std::vector<int32_t> firstFlags;
    std::vector<int32_t> secondFlags;
    std::vector<int32_t> recruits;
    bool hasPosition = false;
    int32_t positionLevel = 0;
    float positionX = 0.0f;
    float positionY = 0.0f;
    // {level stat, level} words of the skill gift record.
    std::vector<int32_t> skillGifts{10, 2};
};

void WriteEmptyQuestWords(MessageBuffer& buffer)
{
    for (int32_t word : {-1, 0, 0, -1, 0, 0, 0})
        buffer.WriteInt(word);
    buffer.WriteFloat(0.0f);
    for (int32_t word : {0, 0, 0, 0})
        buffer.WriteInt(word);
}

void WriteWords(MessageBuffer& buffer, const std::vector<int32_t>& words, bool withCount)
{
    if (withCount)
        buffer.WriteInt(static_cast<int32_t>(words.size()));
    for (int32_t word : words)
        buffer.WriteInt(word);
}

void WriteLoaded(MessageBuffer& buffer, const LoadedCharacter& c)
{
    buffer.WriteInt(1);
    buffer.WriteString(c.name);
    buffer.WriteInt(c.maxHealth);
    buffer.WriteInt(c.health);
    buffer.WriteInt(c.classIndex);
    WriteWords(buffer, c.stats, true);
    WriteWords(buffer, c.statistics, true);
    c.inventory->Write(buffer, false);
    for (int32_t i = 0; i < 6; ++i)
        WriteEmptyQuestWords(buffer);
    WriteWords(buffer, c.flags, true);
    buffer.WriteInt(c.gatesKept ? 1 : 0);
    if (c.gatesKept) {
        for (const auto& gate : {c.playerGate, c.raidGate}) {
            buffer.WriteInt(gate.first);
            buffer.WriteFloat(gate.second.first);
            buffer.WriteFloat(gate.second.second);
        }
        WriteWords(buffer, c.explored, true);
    }
    buffer.WriteInt(c.difficulty);
    buffer.WriteUInt(c.worldWord);
    buffer.WriteInt(c.partyKept ? 1 : 0);
    if (c.partyKept) {
        WriteWords(buffer, c.firstFlags, false);
        WriteWords(buffer, c.secondFlags, false);
        WriteWords(buffer, c.recruits, true);
    } else {
        WriteWords(buffer, c.secondFlags, false);
    }
    buffer.WriteInt(c.hasPosition ? 1 : 0);
    if (c.hasPosition) {
        buffer.WriteInt(c.positionLevel);
        buffer.WriteFloat(c.positionX);
        buffer.WriteFloat(c.positionY);
    }
    WriteWords(buffer, c.skillGifts, true);
}

void WriteNew(MessageBuffer& buffer, const std::string& name, int32_t classIndex,
              const std::vector<std::pair<int32_t, int32_t>>* bonuses, bool hardcore, bool loner)
{
    buffer.WriteInt(0);
    buffer.WriteString(name);
    buffer.WriteInt(classIndex);
    if (bonuses) {
        buffer.WriteInt(static_cast<int32_t>(bonuses->size()));
        for (const auto& [stat, level] : *bonuses) {
            buffer.WriteInt(stat);
            buffer.WriteInt(level);
        }
    }
    buffer.WriteInt(hardcore ? 1 : 0);
    buffer.WriteInt(loner ? 1 : 0);
}

class PlayerRecordWorld : public EntityWorld {
protected:
    void SetUp() override
    {
        Player::RegisterEventClass(events, types);
        game.levelCount = 4;
        game.gateRecords.Add(1, 0);
        game.gateRecords.Add(2, 0);
        game.gateRecords.Add(3, 1);
        game.questMaker = [] { return std::make_unique<ScriptedQuest>(); };
    }

    void Load(const std::string& extraSystem = "")
    {
        std::string records = kRecordRecords;
        if (!extraSystem.empty())
            records.insert(records.find("GridSize"), extraSystem + "\n    ");
        LoadRecords(records);
    }

    Player* Fresh()
    {
        auto* player = Spawn<Player>(100.0f, 100.0f);
        game.lines.clear();
        return player;
    }

    // A record of a loaded Seer at level 7 with 4,321 copper, one helm in the main bag.
    LoadedCharacter Saved()
    {
        LoadedCharacter c;
        c.stats.assign(CharacterStat::Num, 0);
        for (int32_t i = 0; i < 5; ++i)
            c.stats[static_cast<size_t>(i)] = 20 + i;
        c.stats[CharacterStat::Level] = 7;
        c.stats[CharacterStat::Money] = 4321;
        c.stats[CharacterStat::Xp] = 5555;
        c.stats[CharacterStat::Score] = 88;
        c.statistics.assign(PlayerStatistic::kCount, 0);
        c.statistics[PlayerStatistic::Deaths] = 3;
        c.statistics[PlayerStatistic::QuestsCompleted] = 9;
        savedInventory.DeleteAll();
        savedInventory.ResizeBag(InventoryGroupIndex::Bag1, 6);
        std::unique_ptr<ItemBase> helm = std::make_unique<Item>();
        helm->SetEntryByName("Helm");
        EXPECT_TRUE(savedInventory.PlaceItem(helm, InventoryGroupIndex::Bag1, 4, 0));
        c.inventory = &savedInventory;
        c.secondFlags = {0, 1, 1};
        return c;
    }

    static std::vector<uint8_t> Bytes(const MessageBuffer& buffer)
    {
        return {buffer.Data(), buffer.Data() + buffer.Size()};
    }

    static std::vector<uint8_t> Snapshot(Player& player)
    {
        MessageBuffer part;
        player.WritePlayerPart(part);
        return Bytes(part);
    }

    Inventory savedInventory;
};

} // namespace

// ---- The player part of the game update ---------------------------------------------------------

TEST_F(PlayerRecordWorld, PlayerPartLaysOutEveryFieldInOrder)
{
    Load();
    Player* player = Fresh();
    player->SetUpNew(0);
    for (int32_t stat = 0; stat < CharacterStat::Num; ++stat)
        player->stats.Set(stat, 1000 + stat);
    player->flags = 0x24u;
    player->entityState = 0x81u;
    player->playerName = "Ayla";
    player->gateLists[0].Get(1)->flag = true;
    player->SetCharacterFlag(CharacterFlag::kTutorialOver, true);
    player->skillGiftLevels[4] = 3;

    MessageBuffer expected;
    expected.WriteInt(player->entityNumber);
    expected.WriteInt(-1);  // no animation plays without a model
    expected.WriteInt(0);
    expected.WriteInt(0);
    for (int32_t stat = 0; stat < 10; ++stat)
        expected.WriteInt(1000 + stat);
    for (int32_t stat : {80, 81, 83, 85, 86, 87, 76, 70, 78, 84, 88, 89, 77, 93, 94, 95, 92, 96, 112, 113, 98, 99, 100,
                         101, 102, 110, 111})
        expected.WriteInt(1000 + stat);
    for (int32_t gate = 0; gate < 2; ++gate) {
        expected.WriteInt(-1);
        expected.WriteFloat(0.0f);
        expected.WriteFloat(0.0f);
    }
    for (int32_t stat = 10; stat < 70; ++stat)
        expected.WriteInt(1000 + stat);
    expected.WriteUInt(0x24u);
    // The inventory: 27 bags, each its slot count and an empty word per slot.
    expected.WriteInt(27);
    for (int32_t bag = 0; bag < 27; ++bag) {
        int32_t size = bag == 0 ? 30 : bag == 1 ? 18 : bag == 6 || bag == 24 ? 8 : bag == 25 ? 12 : 0;
        expected.WriteInt(size);
        for (int32_t slot = 0; slot < size; ++slot)
            expected.WriteRaw32(0u);
    }
    expected.WriteString("Ayla");
    expected.WriteInt(0);
    for (int32_t i = 0; i < PlayerStatistic::kCount; ++i)
        expected.WriteInt(i == 8 || i == 12 || i == 14 ? -1 : 0);
    expected.WriteUInt(0x81u);
    for (int32_t slot = 0; slot < 6; ++slot)
        WriteEmptyQuestWords(expected);
    for (int32_t flag : {0, 1, 0})
        expected.WriteInt(flag);
    expected.WriteInt(-1);
    WriteWords(expected, {1}, true);  // level 0, where the player stands
    std::vector<int32_t> characterFlags(CharacterFlag::kCount, 0);
    characterFlags[0] = 1;
    WriteWords(expected, characterFlags, true);
    expected.WriteInt(-1);
    expected.WriteFloat(0.0f);
    WriteWords(expected, {14, 3}, true);  // the gift record: Skill5 has had level 3's gifts

    EXPECT_EQ(Snapshot(*player), Bytes(expected));
}

TEST_F(PlayerRecordWorld, PlayerPartSendsTheRestartWordOnceAfterAnAnimationStarts)
{
    Load();
    Player* player = Fresh();
    player->SetUpNew(0);
    constexpr size_t kRestartOffset = 8;
    Snapshot(*player);
    player->OnAnimationEvent(0, AnimationSignal::Started, -1);
    EXPECT_EQ(Snapshot(*player)[kRestartOffset], 1);
    EXPECT_EQ(Snapshot(*player)[kRestartOffset], 0);
    player->OnAnimationEvent(0, AnimationSignal::Ended, -1);
    EXPECT_EQ(Snapshot(*player)[kRestartOffset], 0);
}

TEST_F(PlayerRecordWorld, PlayerPartNamesTheAutoTargetAndThePartyByNumber)
{
    Load();
    Player* player = Fresh();
    player->SetUpNew(0);
    auto* companion = Spawn<Sentient>(110.0f, 100.0f);
    companion->health = companion->maxHealth = 10;
    player->AddCompanion(companion, 4);
    MessageBuffer part;
    player->WritePlayerPart(part);
    // Past the fixed head (4 + 10 + 27 ints, two gates, 60 skills, the flags), the inventory
    // and the name come the party's count and numbers.
    part.SetReadPos(4 * (4 + 10 + 27 + 6 + 60 + 1));
    Inventory scratch;
    ASSERT_TRUE(scratch.Read(part, false, 51));
    EXPECT_EQ(part.ReadString(), "");
    EXPECT_EQ(part.ReadInt(), 1);
    EXPECT_EQ(part.ReadInt(), companion->entityNumber);
}

// ---- A new character -----------------------------------------------------------------------------

TEST_F(PlayerRecordWorld, NewCharacterTakesClassNameFlagsAndStartingEquipment)
{
    Load();
    Player* player = Fresh();
    MessageBuffer record;
    WriteNew(record, "Brannoc", 0, nullptr, true, true);
    ASSERT_TRUE(ReadJoiningCharacter(*player, record));
    EXPECT_EQ(player->playerName, "Brannoc");
    EXPECT_EQ(player->stats.Get(CharacterStat::Class), 0);
    EXPECT_EQ(player->stats.Get(CharacterStat::BaseSpirit), 15);
    EXPECT_TRUE(player->GetCharacterFlag(CharacterFlag::kStaysDead));
    EXPECT_TRUE(player->GetCharacterFlag(CharacterFlag::kLoner));
    EXPECT_EQ(player->stats.Get(CharacterStat::Money), 75);
    const ItemBase* satchel = player->inventory->GetItem(InventoryGroupIndex::Main, 0);
    ASSERT_NE(satchel, nullptr);
    EXPECT_EQ(satchel->GetEntry()->GetName(), "Satchel");
    EXPECT_EQ(player->inventory->GetSlotCount(InventoryGroupIndex::Bag1), 6);
    const ItemBase* rations = player->inventory->GetItem(InventoryGroupIndex::Bag1, 0);
    ASSERT_NE(rations, nullptr);
    EXPECT_EQ(rations->GetEntry()->GetName(), "Ration");
    EXPECT_EQ(rations->GetStackCount(), 2);  // the second merged into the first
    EXPECT_EQ(player->inventory->GetItem(InventoryGroupIndex::Bag1, 1), nullptr);
    const ItemBase* helm = player->inventory->GetItem(InventoryGroupIndex::Equipment, EquipedLocation::Head);
    ASSERT_NE(helm, nullptr);
    EXPECT_EQ(helm->GetEntry()->GetName(), "Helm");
    EXPECT_EQ(player->health, player->maxHealth);
}

// A new character's own stash holds one bag in its first place, whose cells are open at once; a
// loaded character keeps the stash it saved and gets no second bag.
TEST_F(PlayerRecordWorld, NewCharacterFindsOneBagInItsOwnStashAndALoadedOneNoMore)
{
    Load();
    Player* fresh = Fresh();
    MessageBuffer record;
    WriteNew(record, "Brannoc", 0, nullptr, false, false);
    ASSERT_TRUE(ReadJoiningCharacter(*fresh, record));
    const ItemBase* bag = fresh->inventory->GetItem(InventoryGroupIndex::Stash, 0);
    ASSERT_NE(bag, nullptr);
    EXPECT_EQ(bag->GetEntry()->GetName(), "Bag1");
    EXPECT_EQ(fresh->inventory->CountItems(InventoryGroupIndex::Stash), 1);
    EXPECT_EQ(fresh->inventory->GetSlotCount(InventoryGroupIndex::StashBag1), 4);
    EXPECT_EQ(fresh->inventory->GetSlotCount(InventoryGroupIndex::StashBag2), 0);

    Player* loaded = Fresh();
    MessageBuffer saved;
    WriteLoaded(saved, Saved());
    ASSERT_TRUE(ReadJoiningCharacter(*loaded, saved));
    EXPECT_EQ(loaded->inventory->CountItems(InventoryGroupIndex::Stash), 0);
}

TEST_F(PlayerRecordWorld, NewCharacterNameIsCutTo63Bytes)
{
    Load();
    Player* player = Fresh();
    MessageBuffer record;
    WriteNew(record, std::string(200, 'n'), 1, nullptr, false, false);
    ASSERT_TRUE(ReadJoiningCharacter(*player, record));
    EXPECT_EQ(player->playerName, std::string(63, 'n'));
    EXPECT_FALSE(player->GetCharacterFlag(CharacterFlag::kLoner));
}

TEST_F(PlayerRecordWorld, NewCharacterSkillBonusesRaiseTheSkillStats)
{
    Load("UseNewCharSkillBonuses 1");
    Player* player = Fresh();
    std::vector<std::pair<int32_t, int32_t>> bonuses{{10, 2}, {69, 3}};
    MessageBuffer record;
    WriteNew(record, "Brannoc", 0, &bonuses, false, false);
    ASSERT_TRUE(ReadJoiningCharacter(*player, record));
    EXPECT_EQ(player->stats.Get(CharacterStat::Skill1), 3);  // one from the class's tree, two given
    EXPECT_EQ(player->stats.Get(CharacterStat::Skill60), 3);
}

TEST_F(PlayerRecordWorld, NewCharacterLivesComeFromTheDifficultyAndTheAdventure)
{
    Load("LimitedLives 1");
    Player* player = Fresh();
    MessageBuffer record;
    WriteNew(record, "Brannoc", 0, nullptr, false, false);
    ASSERT_TRUE(ReadJoiningCharacter(*player, record));
    // No world: no lives of its own and no change, so the one life the player has is the last.
    EXPECT_EQ(player->stats.Get(CharacterStat::Lives), 0);
}

// ---- A loaded character ------------------------------------------------------------------------

TEST_F(PlayerRecordWorld, LoadedCharacterRoundTripsStatsInventoryAndFlags)
{
    Load();
    Player* player = Fresh();
    LoadedCharacter saved = Saved();
    MessageBuffer record;
    WriteLoaded(record, saved);
    ASSERT_TRUE(ReadJoiningCharacter(*player, record));
    EXPECT_EQ(player->playerName, "Ayla");
    EXPECT_EQ(player->stats.Get(CharacterStat::Class), 1);
    EXPECT_EQ(player->stats.Get(CharacterStat::BaseStrength), 20);
    EXPECT_EQ(player->stats.Get(CharacterStat::Level), 7);
    EXPECT_EQ(player->stats.Get(CharacterStat::Money), 4321);
    EXPECT_EQ(player->stats.Get(CharacterStat::Xp), 5555);
    EXPECT_EQ(player->statistics.Get(PlayerStatistic::Deaths), 3);
    EXPECT_EQ(player->statistics.Get(PlayerStatistic::QuestsCompleted), 9);
    const ItemBase* helm = player->inventory->GetItem(InventoryGroupIndex::Bag1, 4);
    ASSERT_NE(helm, nullptr);
    EXPECT_EQ(helm->GetEntry()->GetName(), "Helm");
    EXPECT_EQ(player->inventory->GetSlotCount(InventoryGroupIndex::Bookshelf), 12);
    EXPECT_TRUE(player->GetCharacterFlag(0));
    EXPECT_FALSE(player->GetCharacterFlag(1));
    EXPECT_TRUE(player->GetCharacterFlag(2));
    // Another world: the saved gates and explored levels stay behind, the second list's flags come.
    EXPECT_EQ(player->playerGatePosition.level, -1);
    EXPECT_FALSE(player->gateLists[1].Get(0)->flag);
    EXPECT_TRUE(player->gateLists[1].Get(1)->flag);
    EXPECT_TRUE(player->gateLists[1].Get(2)->flag);
    EXPECT_FALSE(player->gateLists[0].Get(1)->flag);
}

TEST_F(PlayerRecordWorld, LoadedCharacterHealthIsClampedToTheRecomputedMaximum)
{
    Load();
    Player* player = Fresh();
    LoadedCharacter saved = Saved();
    saved.health = 1000000;
    MessageBuffer record;
    WriteLoaded(record, saved);
    ASSERT_TRUE(ReadJoiningCharacter(*player, record));
    EXPECT_GT(player->maxHealth, 0);
    EXPECT_EQ(player->health, player->maxHealth);
    EXPECT_NE(player->maxHealth, saved.maxHealth);
}

TEST_F(PlayerRecordWorld, LoadedCharacterOfTheSameWorldKeepsGatesExploredLevelsFlagsAndPosition)
{
    Load();
    Player* player = Fresh();
    LoadedCharacter saved = Saved();
    saved.gatesKept = true;
    saved.playerGate = {2, {40.0f, 50.0f}};
    saved.raidGate = {-1, {0.0f, 0.0f}};
    saved.explored = {1, 0, 1};
    saved.partyKept = true;
    saved.firstFlags = {1, 0, 1};
    saved.hasPosition = true;
    saved.positionLevel = 3;
    saved.positionX = 12.5f;
    saved.positionY = 7.5f;
    MessageBuffer record;
    WriteLoaded(record, saved);
    ASSERT_TRUE(ReadJoiningCharacter(*player, record));
    EXPECT_EQ(player->playerGatePosition.level, 2);
    EXPECT_FLOAT_EQ(player->playerGatePosition.x, 40.0f);
    EXPECT_EQ(player->raidGatePosition.level, -1);
    EXPECT_TRUE(player->gateLists[0].Get(0)->flag);
    EXPECT_FALSE(player->gateLists[0].Get(1)->flag);
    EXPECT_TRUE(player->gateLists[0].Get(2)->flag);
    EXPECT_EQ(player->position.level, 3);
    EXPECT_FLOAT_EQ(player->position.x, 12.5f);
    EXPECT_TRUE(player->moveTargetValid);
    EXPECT_NE(std::find(game.lines.begin(), game.lines.end(), "warp 3 12.5 7.5"), game.lines.end());
    // The saved explored levels came back, and level 3 where the player now stands joined them,
    // with no experience for the levels seen before.
    ASSERT_GE(player->exploredLevels.size(), 4u);
    EXPECT_TRUE(player->IsLevelExplored(0));
    EXPECT_FALSE(player->IsLevelExplored(1));
    EXPECT_TRUE(player->IsLevelExplored(2));
    EXPECT_TRUE(player->IsLevelExplored(3));
}

// ---- Hostile records ---------------------------------------------------------------------------

TEST_F(PlayerRecordWorld, EveryCutOfALoadedRecordIsRefusedAndChangesNothing)
{
    Load();
    Player* player = Fresh();
    player->SetUpNew(0);
    LoadedCharacter saved = Saved();
    saved.gatesKept = true;
    saved.playerGate = {1, {4.0f, 5.0f}};
    saved.explored = {1, 1};
    saved.partyKept = true;
    saved.firstFlags = {1, 1, 1};
    saved.recruits = {0, 2};
    saved.hasPosition = true;
    MessageBuffer whole;
    WriteLoaded(whole, saved);
    Snapshot(*player);
    std::vector<uint8_t> before = Snapshot(*player);
    size_t entities = game.GetPlayers().size();
    for (size_t cut = 0; cut < whole.Size(); ++cut) {
        MessageBuffer part;
        part.WriteBytes(whole.Data(), cut);
        EXPECT_FALSE(ReadJoiningCharacter(*player, part)) << "cut at " << cut;
    }
    EXPECT_EQ(Snapshot(*player), before);
    EXPECT_EQ(game.GetPlayers().size(), entities);
}

TEST_F(PlayerRecordWorld, EveryCutOfANewRecordIsRefused)
{
    Load("UseNewCharSkillBonuses 1");
    Player* player = Fresh();
    player->SetUpNew(1);
    std::vector<std::pair<int32_t, int32_t>> bonuses{{12, 1}};
    MessageBuffer whole;
    WriteNew(whole, "Brannoc", 0, &bonuses, false, true);
    std::vector<uint8_t> before = Snapshot(*player);
    for (size_t cut = 0; cut < whole.Size(); ++cut) {
        MessageBuffer part;
        part.WriteBytes(whole.Data(), cut);
        EXPECT_FALSE(ReadJoiningCharacter(*player, part)) << "cut at " << cut;
    }
    EXPECT_EQ(Snapshot(*player), before);
}

TEST_F(PlayerRecordWorld, UnknownClassesAndSkillStatsOutsideTheSkillsAreRefused)
{
    Load("UseNewCharSkillBonuses 1");
    Player* player = Fresh();
    player->SetUpNew(1);
    std::vector<uint8_t> before = Snapshot(*player);
    for (int32_t classIndex : {-1, 2, 999, std::numeric_limits<int32_t>::min()}) {
        MessageBuffer record;
        std::vector<std::pair<int32_t, int32_t>> none;
        WriteNew(record, "Brannoc", classIndex, &none, false, false);
        EXPECT_FALSE(ReadJoiningCharacter(*player, record)) << "class " << classIndex;
    }
    for (int32_t stat : {9, 70, -1}) {
        MessageBuffer record;
        std::vector<std::pair<int32_t, int32_t>> bonus{{stat, 1}};
        WriteNew(record, "Brannoc", 0, &bonus, false, false);
        EXPECT_FALSE(ReadJoiningCharacter(*player, record)) << "stat " << stat;
    }
    for (int32_t count : {61, -1, std::numeric_limits<int32_t>::max()}) {
        MessageBuffer record;
        record.WriteInt(0);
        record.WriteString("Brannoc");
        record.WriteInt(0);
        record.WriteInt(count);
        for (int32_t i = 0; i < 130; ++i)
            record.WriteInt(10);
        EXPECT_FALSE(ReadJoiningCharacter(*player, record)) << "count " << count;
    }
    EXPECT_EQ(Snapshot(*player), before);
}

TEST_F(PlayerRecordWorld, HostileValuesOfALoadedRecordAreRefused)
{
    Load();
    Player* player = Fresh();
    player->SetUpNew(0);
    std::vector<uint8_t> before = Snapshot(*player);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<std::function<void(LoadedCharacter&)>> faults = {
        [](LoadedCharacter& c) { c.classIndex = 999; },
        [](LoadedCharacter& c) { c.stats[CharacterStat::Level] = 0; },
        [](LoadedCharacter& c) { c.stats[CharacterStat::Level] = 101; },
        [](LoadedCharacter& c) { c.stats[CharacterStat::Money] = -1; },
        [](LoadedCharacter& c) { c.stats[CharacterStat::Money] = 100001; },
        [](LoadedCharacter& c) { c.recruits = {-1}; c.partyKept = true; c.firstFlags = {0, 0, 0}; },
        [&](LoadedCharacter& c) { c.gatesKept = true; c.playerGate = {1, {nan, 0.0f}}; },
        [](LoadedCharacter& c) { c.gatesKept = true; c.raidGate = {9, {1.0f, 1.0f}}; },
        [&](LoadedCharacter& c) { c.hasPosition = true; c.positionY = nan; },
        [](LoadedCharacter& c) { c.hasPosition = true; c.positionLevel = -1; },
        [](LoadedCharacter& c) { c.hasPosition = true; c.positionLevel = 4; },
        [](LoadedCharacter& c) { c.skillGifts = {10}; },
        [](LoadedCharacter& c) { c.skillGifts = {9, 2}; },
        [](LoadedCharacter& c) { c.skillGifts = {70, 2}; },
        [](LoadedCharacter& c) { c.skillGifts = {12, -1}; },
        [](LoadedCharacter& c) { c.skillGifts.assign(122, 10); },
    };
    for (size_t i = 0; i < faults.size(); ++i) {
        LoadedCharacter saved = Saved();
        faults[i](saved);
        MessageBuffer record;
        WriteLoaded(record, saved);
        EXPECT_FALSE(ReadJoiningCharacter(*player, record)) << "fault " << i;
    }
    EXPECT_EQ(Snapshot(*player), before);
}

TEST_F(PlayerRecordWorld, EveryStatAtTheExtremesIsRefusedOrLeavesTheFormulasInRange)
{
    Load();
    Player* player = Fresh();
    for (int32_t value : {std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min(), -1}) {
        for (int32_t stat = 0; stat < CharacterStat::Num; ++stat) {
            LoadedCharacter saved = Saved();
            saved.stats[static_cast<size_t>(stat)] = value;
            MessageBuffer record;
            WriteLoaded(record, saved);
            bool read = ReadJoiningCharacter(*player, record);
            // Base attributes and skills never take a negative or an absurd value; no stat is
            // larger than a formula can take. The current attributes, which the join computes
            // afresh from the base ones, may have been saved weakened below 0.
            bool current = stat >= CharacterStat::Strength && stat <= CharacterStat::Spirit;
            bool trained = stat <= CharacterSettings::kLastSkillStat && !current;
            bool refused = trained || value != -1 || stat == CharacterStat::Level || stat == CharacterStat::Money;
            EXPECT_EQ(read, !refused) << "stat " << stat << " at " << value;
            EXPECT_GE(player->stats.Get(CharacterStat::MaxHealth), 0) << stat;
            EXPECT_GE(player->stats.Get(CharacterStat::HealthRegen), 0) << stat;
        }
    }
    // Each refusal is logged once with its reason: 65 base attributes and skills three times,
    // the other 49 stats twice, and level and money at -1.
    EXPECT_EQ(CountLinesHolding(debug, "Character record refused: "), 65 * 3 + 49 * 2 + 2);
    // A record with more stats than the table has is refused whole.
    LoadedCharacter longer = Saved();
    longer.stats.resize(static_cast<size_t>(CharacterStat::kCount) + 1, 0);
    MessageBuffer record;
    WriteLoaded(record, longer);
    EXPECT_FALSE(ReadJoiningCharacter(*player, record));
}

TEST_F(PlayerRecordWorld, TheStatFormulasSaturateInsteadOfOverflowing)
{
    Load();
    Player* player = Fresh();
    player->SetUpNew(0);
    for (int32_t stat : {CharacterStat::BaseVitality, CharacterStat::BaseIntelligence, CharacterStat::BaseSpirit})
        player->stats.Set(stat, std::numeric_limits<int32_t>::max());
    player->stats.Set(CharacterStat::Level, std::numeric_limits<int32_t>::max());
    player->RecalculateStats(true);
    EXPECT_GT(player->stats.Get(CharacterStat::MaxHealth), 2000000000) << "held at the top, not wrapped";
    EXPECT_GE(player->stats.Get(CharacterStat::HealthRegen), 0);
    EXPECT_GE(player->stats.Get(CharacterStat::MaxPower), 0);
}

TEST_F(PlayerRecordWorld, HugeAndNegativeCountsOfALoadedRecordAreRefused)
{
    Load();
    Player* player = Fresh();
    player->SetUpNew(0);
    std::vector<uint8_t> before = Snapshot(*player);
    LoadedCharacter saved = Saved();
    MessageBuffer whole;
    WriteLoaded(whole, saved);
    // The stats count sits after the marker, the name, and three ints.
    size_t statsCount = 4 + saved.name.size() + 1 + 12;
    for (int32_t count : {-1, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), 1 << 28}) {
        MessageBuffer record;
        record.WriteBytes(whole.Data(), statsCount);
        record.WriteInt(count);
        record.WriteBytes(whole.Data() + statsCount + 4, whole.Size() - statsCount - 4);
        EXPECT_FALSE(ReadJoiningCharacter(*player, record)) << "count " << count;
    }
    EXPECT_EQ(Snapshot(*player), before);
}

TEST_F(PlayerRecordWorld, QuestSlotsWithoutQuestObjectsTravelAsEmptyRecords)
{
    game.questMaker = nullptr;
    Load();
    Player* player = Fresh();
    EXPECT_EQ(player->GetQuestSlot(0), nullptr);
    LoadedCharacter saved = Saved();
    MessageBuffer record;
    WriteLoaded(record, saved);
    EXPECT_TRUE(ReadJoiningCharacter(*player, record));
    EXPECT_EQ(player->stats.Get(CharacterStat::Money), 4321);
}

TEST_F(PlayerRecordWorld, CovenantGoodsStayBehindWhenACharacterEntersAnotherWorld)
{
    Load();
    Player* player = Fresh();
    LoadedCharacter saved = Saved();
    std::unique_ptr<ItemBase> grain = std::make_unique<Item>();
    grain->SetEntryByName("Grain");
    ASSERT_TRUE(savedInventory.PlaceItem(grain, InventoryGroupIndex::Bag1, 0, 0));
    MessageBuffer record;
    WriteLoaded(record, saved);
    ASSERT_TRUE(ReadJoiningCharacter(*player, record));
    EXPECT_EQ(player->inventory->GetItem(InventoryGroupIndex::Bag1, 0), nullptr);
    EXPECT_NE(player->inventory->GetItem(InventoryGroupIndex::Bag1, 4), nullptr);  // the helm stays
}
