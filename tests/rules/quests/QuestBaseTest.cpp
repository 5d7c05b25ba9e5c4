// QuestBaseTest -- Quest state: deterministic generation for each family of kinds, identity, kills, quest items, target levels and the saved record.
#include "QuestTestWorld.h"

#include "core/MessageBuffer.h"
#include "rules/RulesEnums.h"

#include <cstring>
#include <set>
#include <tuple>

namespace {

const std::string kQuestBaseQuests = RecordWorld::Records({
    "Kill: Type Quest; QuestType KillMonsters; NeedsMonsterType 1; HasWorldLevel 1; MinCountMult 0.5; "
        "MaxCountMult 1.0; XpMinRewardPerMonster 10; XpMaxRewardPerMonster 20; MoneyRewardMinMultiplier 1; "
        "MoneyRewardMaxMultiplier 2; TextList K1; TextList K2; TextList K3; MinTime 100; MaxTime 200; "
        "UseDifficultyTimeMult 1; NeedRandomNpcName 1",
    "Fixed: Type Quest; QuestType KillMonsters; Count 3; MinCountMult 5; MaxCountMult 9",
    "Inverted: Type Quest; QuestType KillMonsters; MinCountMult 0.8; MaxCountMult 0.2",
    "Dungeon: Type Quest; QuestType KillMonsters; HasWorldLevel 1; MinCountMult 0.4; MaxCountMult 0.4; "
        "DungeonCountMult 1.5",
    "Uprising: Type Quest; QuestType Uprising; HasWorldLevel 1; MinCountMult 0.5; MaxCountMult 0.5",
    "War: Type Quest; QuestType WarAgainstBarbarians; MinCountMult 0.6; MaxCountMult 0.6; "
        "XpMinRewardPerMonster 10; XpMaxRewardPerMonster 10",
    "Unique: Type Quest; QuestType UniqueMonsterSpotted; XpMinRewardPerMonster 10; XpMaxRewardPerMonster 10",
    "Boss: Type Quest; QuestType BossPrince; Boss 1; HasWorldLevel 1; XpMinRewardPerMonster 10; "
        "XpMaxRewardPerMonster 10",
    "Totems: Type Quest; QuestType MonsterQuestItem; MinCountMult 0.3; MaxCountMult 0.3; XpMinRewardPerMonster 10; "
        "XpMaxRewardPerMonster 10",
    "Pages: Type Quest; QuestType LevelQuestItem; HasWorldLevel 1; DefaultItem Page; MinCount 6; MaxCount 2",
    "Urns: Type Quest; QuestType StoryBemmelGraves; DefaultItem Urn; Count 2; CanPickupExtra 1",
    "Clear: Type Quest; QuestType ClearLevel; HasWorldLevel 1; MinCount 4; MaxCount 4",
    "Hunt: Type Quest; QuestType MonsterQuest; MinCountMult 0.7; MaxCountMult 0.7",
    "Group: Type Quest; QuestType KillMonsterGroup; XpMinRewardPerMonster 10; XpMaxRewardPerMonster 10",
    "House: Type Quest; QuestType TutorialInvestigateHouse",
    "Givers: Type Quest; QuestType TutorialTalkToQuestGivers",
    "Vendors: Type Quest; QuestType TutorialTalkToVendors",
    "Siege: Type Quest; QuestType Siege; HasWorldLevel 1; MinCount 7; MaxCount 7",
    "Recruit: Type Quest; QuestType Recruit; MinLevelChange -200; MaxLevelChange 200",
    "Poison: Type Quest; QuestType DeadlyPoison; TextList P1",
    "Rescue: Type Quest; QuestType RescueNpc; HasWorldLevel 1; AboveGroundOnly 1",
    "Escort: Type Quest; QuestType Escort; HasWorldLevel 1",
    "Cavern: Type Quest; QuestType ScoutLocation; HasWorldLevel 1; DefaultArea Cave",
    "Forced: Type Quest; QuestType Delivery; ForceLevel 9; ReturnNpcType Steward",
    "Unreturned: Type Quest; QuestType Delivery",
});

// What generation and progress decide, for comparing two quests.
auto Snapshot(const QuestBase& quest)
{
    std::vector<std::tuple<int32_t, int32_t, const MonsterType*, int32_t>> goals;
    for (const QuestGoal& goal : quest.goals)
        goals.emplace_back(goal.progress, goal.required, goal.target, goal.rarity);
    return std::make_tuple(quest.definition, quest.level, quest.seed, quest.progress, quest.count, quest.xpReward,
                           quest.moneyReward, quest.textIndex, quest.npcName, quest.npcId, quest.recruitLevel,
                           quest.target, quest.failed, quest.questId, quest.deadline.days, quest.deadline.hours,
                           quest.deadline.minutes, quest.deadline.seconds, goals);
}

class QuestState : public QuestTestWorld {
protected:
    QuestState()
    {
        LoadQuests(kQuestBaseQuests);
        // Level 0 the town; the cave level 5 lies below the barrows, and holds the area "Cave".
        world.levels = {{"Town", 1}, {"Barrows", 5}, {"Deep Cave", 5, true, 1, QuestEntry("Cave"), QuestEntry("Urn")},
                        {"Hills", 6}};
        world.bossLevels = {-1, 3, 2, 1, 0};
    }

    FakeQuest quest{&world};
};

} // namespace

TEST_F(QuestState, TheSameIdentityGivesTheSameQuestAndTheSeedDecides)
{
    std::set<int32_t> counts;
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        FakeQuest first{&world}, second{&world};
        Start(first, "Kill", 5, seed * 7919u, "Scout");
        Start(second, "Kill", 5, seed * 7919u, "Scout");
        EXPECT_EQ(Snapshot(first), Snapshot(second));
        EXPECT_FALSE(first.npcName.empty());
        counts.insert(first.count);
    }
    EXPECT_GT(counts.size(), 3u);
}

// Mended among them: bounds the wrong way round (Inverted, Pages) gave one below the lower bound.
TEST_F(QuestState, CountsAndRewardsFollowEachFamilyOfKinds)
{
    struct Case {
        const char* definition;
        const char* target;
        std::vector<const char*> goals;
        int32_t count, xp;
    };
    const Case cases[] = {
        {"Fixed", "Scout", {}, 3, 0},           {"Inverted", "Scout", {}, 8, 0},
        {"Inverted", "Ghostly", {}, 1, 0},      {"Pages", nullptr, {}, 6, 0},
        {"Clear", nullptr, {}, 4, 0},           {"Siege", nullptr, {}, 7, 0},
        {"Totems", "Scout", {}, 3, 30},         // paid per item, without a rarity factor
        {"Unique", "Ashfang", {}, 1, 50},       {"Boss", "Ashfang", {}, 1, 120},
        {"War", "Scout", {}, 6, 10},            // paid for one, then the count is drawn
        {"Group", nullptr, {"Scout", "Wolf", "Ashfang"}, 1, 30},  // goal rarities come from saves only
    };
    for (const Case& c : cases) {
        Start(quest, c.definition, 5, 1u, c.target, c.goals);
        EXPECT_EQ(quest.count, c.count) << c.definition;
        EXPECT_EQ(quest.xpReward, c.xp) << c.definition;
    }
    Start(quest, "Hunt", 5, 1u, nullptr, {"Scout", "Wolf"});
    EXPECT_EQ(std::make_pair(quest.goals[0].required, quest.goals[1].required), std::make_pair(7, 0));
    Start(quest, "Hunt", 5, 1u);  // without its goals the kind has nothing to require
    EXPECT_TRUE(quest.goals.empty());
    for (auto [name, goals] : {std::pair{"House", 6u}, std::pair{"Givers", 3u}, std::pair{"Vendors", 5u}}) {
        Start(quest, name, 5, 1u);
        ASSERT_EQ(quest.goals.size(), goals) << name;
        EXPECT_EQ(quest.goals.back().required, 1);
    }
}

TEST_F(QuestState, ADungeonCountWaitsForTheWorldAndGrowsBelowGround)
{
    world.ready = false;
    Start(quest, "Dungeon", 5, 1u, "Scout");
    EXPECT_EQ(quest.count, 4);
    EXPECT_TRUE(quest.regenerate);

    world.ready = true;
    ASSERT_TRUE(quest.Setup(QuestEntry("Dungeon"), 5, 1u, 0, TimeStamp{}));
    quest.target = Monster("Scout");
    quest.RollParameters(false);
    quest.Generate();
    ASSERT_EQ(world.IsLevelFlagSet(quest.targetLevel), quest.targetLevel == 2);
    EXPECT_EQ(quest.count, quest.targetLevel == 2 ? 6 : 4);
    EXPECT_FALSE(quest.regenerate);
}

TEST_F(QuestState, ParametersStayWithinTheirLists)
{
    for (uint32_t seed = 1; seed <= 60; ++seed) {
        Start(quest, "Recruit", 10, seed * 104729u, "Scout");
        EXPECT_TRUE(quest.recruitLevel >= 1 && quest.recruitLevel <= 100) << quest.recruitLevel;
        Start(quest, "Poison", 5, seed, "Scout");
        EXPECT_TRUE(quest.npcId >= 0 && quest.npcId < 3) << quest.npcId;
        Start(quest, "Kill", 5, seed, "Scout");
        EXPECT_TRUE(quest.textIndex >= 0 && quest.textIndex < 3) << quest.textIndex;
    }
    quest.npcs.clear();
    Start(quest, "Poison", 5, 3u, "Scout");
    EXPECT_EQ(quest.npcId, -1);
    Start(quest, "Clear", 5, 3u);  // no TextList
    EXPECT_EQ(quest.textIndex, -1);
}

TEST_F(QuestState, SetupKeepsAnUnchangedIdentityAndRefusesWhatIsNoQuest)
{
    Start(quest, "Kill", 5, 9u, "Scout");
    quest.deadline = TimeStamp{1, 2, 0, 30.0f};
    EXPECT_EQ(quest.GetTimeRemaining(TimeStamp{1, 1, 59, 0.0f}), 90.0f);
    EXPECT_EQ(quest.GetTimeRemaining(TimeStamp{1, 2, 0, 30.0f}), 0.0f);
    quest.progress = 2;
    EXPECT_FALSE(quest.Setup(QuestEntry("Kill"), 5, 9u, 0, TimeStamp{}));
    EXPECT_EQ(quest.progress, 2);
    quest.regenerate = true;
    EXPECT_TRUE(quest.Setup(QuestEntry("Kill"), 5, 9u, 0, TimeStamp{}));
    EXPECT_EQ(quest.progress, 0);

    EXPECT_FALSE(quest.Setup(QuestEntry("Kill"), -1, 9u, 0, TimeStamp{}));
    EXPECT_EQ(quest.level, -1);
    // Mended: an entry that is no quest definition is refused, not read through.
    EXPECT_FALSE(quest.Setup(QuestEntry("Page"), 5, 9u, 0, TimeStamp{}));
    EXPECT_EQ(quest.definition, nullptr);
    EXPECT_EQ(quest.level, -1);
    EXPECT_EQ(CountLogged("^c001Quest set up with Page, which is no quest definition\n"), 1);
    quest.RollParameters(false);
    quest.Generate();
    EXPECT_EQ(quest.count, 0);

    EXPECT_TRUE(quest.Setup(QuestEntry("Forced"), 2, 9u, 0, TimeStamp{}));
    EXPECT_EQ(quest.level, 9);
    EXPECT_EQ(quest.type, QuestType::Delivery);
}

TEST_F(QuestState, AQuestGoesBackOnlyToItsOwnKindOfNpcAndNeverToNone)
{
    EXPECT_FALSE(quest.IsReturnNpcType(NpcType::Steward)) << "an empty quest";
    Start(quest, "Forced", 2, 9u);
    const std::pair<int32_t, bool> kinds[] = {
        {NpcType::Steward, true}, {NpcType::Apothecary, false}, {NpcType::None, false}, {-1, false}};
    for (auto [kind, taken] : kinds)
        EXPECT_EQ(quest.IsReturnNpcType(kind), taken) << kind;
    Start(quest, "Unreturned", 2, 9u);
    EXPECT_FALSE(quest.IsReturnNpcType(NpcType::None)) << "None is no kind, even where the quest names none";
}

TEST_F(QuestState, TargetLevelsComeFromTheWorldByKind)
{
    // Boss slot 3 for a BossPrince; Siege's fixed level; the default area's level; the rescue
    // above ground; no world level at all.
    for (auto [name, level] : {std::pair{"Boss", 1}, std::pair{"Siege", 1}, std::pair{"Cavern", 2},
                               std::pair{"Rescue", 1}, std::pair{"Totems", -1}}) {
        Start(quest, name, 5, 1u, "Ashfang");
        quest.AssignTargetLevels();
        EXPECT_EQ(quest.targetLevel, level) << name;
    }
    Start(quest, "Escort", 5, 1u);
    quest.AssignTargetLevels();
    EXPECT_TRUE(quest.targetLevel == 1 || quest.targetLevel == 2);
    EXPECT_EQ(quest.destLevel, 3);

    Start(quest, "Cavern", 5, 1u);
    EXPECT_TRUE(quest.IsTargetLevel(2));
    EXPECT_TRUE(quest.IsTargetLevel(1));  // the level the cave lies under
    EXPECT_FALSE(quest.IsTargetLevel(0) || quest.IsTargetLevel(-1));
    quest.SetComplete();
    EXPECT_FALSE(quest.IsTargetLevel(2));
}

TEST_F(QuestState, KillsCountForTheTargetItsBaseTypeAndTheRightLevel)
{
    Start(quest, "Fixed", 5, 1u, "Scout");
    quest.OnKill(Monster("Wolf"), 0);
    quest.OnKill(Monster("Raider"), 0);  // a Raider is a kind of Scout
    EXPECT_EQ(quest.progress, 1);
    for (int i = 0; i < 5; ++i)
        quest.OnKill(Monster("Scout"), 0);
    EXPECT_EQ(quest.progress, 3);
    EXPECT_TRUE(quest.IsComplete());

    Start(quest, "Uprising", 5, 1u, "Scout");
    quest.AssignTargetLevels();
    quest.OnKill(Monster("Scout"), quest.targetLevel == 1 ? 2 : 1);
    EXPECT_EQ(quest.progress, 0);
    quest.OnKill(Monster("Scout"), quest.targetLevel);
    EXPECT_EQ(quest.progress, 1);

    // Mended: a quest without a target counts kills of monsters without a base type too.
    Start(quest, "Clear", 5, 1u);
    quest.OnKill(Monster("Wolf"), 0);
    quest.OnKill(Monster("Wolf"), quest.targetLevel);
    EXPECT_EQ(quest.progress, 1);

    Start(quest, "Hunt", 5, 1u, nullptr, {"Scout", "Wolf"});
    quest.OnKill(Monster("Scout"), 0);
    EXPECT_EQ(quest.goals[0].progress, 1);
    EXPECT_EQ(quest.progress, 0);

    Start(quest, "Group", 5, 1u, nullptr, {"Scout", "Wolf"});
    quest.count = 2;
    quest.OnKill(Monster("Wolf"), 0);
    quest.OnKill(Monster("Wolf"), 0);
    EXPECT_EQ(quest.goals[1].progress, 1);
    EXPECT_EQ(quest.progress, 1);
    EXPECT_FALSE(quest.IsComplete());
    quest.OnKill(Monster("Raider"), 0);  // kills count by the goal's own type only
    quest.SetFailed();
    quest.OnKill(Monster("Scout"), 0);
    EXPECT_EQ(quest.goals[0].progress, 0);
    EXPECT_TRUE(quest.HasProgress());
}

TEST_F(QuestState, QuestItemsAreTheKindsOwnAndStopAtTheCount)
{
    Start(quest, "Totems", 5, 1u, "Scout");
    EXPECT_TRUE(quest.IsQuestItem(Monster("Scout")->GetEntry()));
    EXPECT_FALSE(quest.IsQuestItem(QuestEntry("Page")) || quest.IsQuestItem(nullptr));
    EXPECT_TRUE(quest.CanTakeMoreItems());
    quest.progress = quest.count - 1;
    EXPECT_TRUE(quest.CanTakeMoreItems());
    quest.progress = quest.count;
    EXPECT_FALSE(quest.CanTakeMoreItems());
    EXPECT_FALSE(quest.IsQuestItem(Monster("Scout")->GetEntry()));

    Start(quest, "Pages", 5, 1u);
    quest.AssignTargetLevels();
    EXPECT_TRUE(quest.IsQuestItem(QuestEntry("Page")));
    EXPECT_EQ(quest.IsQuestItem(QuestEntry("Urn")), quest.targetLevel == 2);  // the cave's own item

    Start(quest, "Urns", 5, 1u);
    quest.progress = 5;
    EXPECT_TRUE(quest.IsQuestItem(QuestEntry("Urn")));  // extra ones still count
    EXPECT_TRUE(quest.CanTakeMoreItems());
    quest.SetFailed();
    EXPECT_FALSE(quest.CanTakeMoreItems());
    EXPECT_FALSE(quest.IsQuestItem(QuestEntry("Urn")));
}

// ---- Saved record ----

class QuestRecord : public QuestState {};

TEST_F(QuestRecord, RoundTripsRebuildTheQuestByNameAndByIndex)
{
    Start(quest, "Group", 5, 31u, "Wolf", {"Scout", "Ashfang"});
    quest.goals[1].progress = 1;
    quest.progress = 1;
    quest.questId = 12;
    quest.startTime = TimeStamp{3, 4, 5, 6.5f};
    for (auto [byName, version] : {std::pair{true, 38}, std::pair{false, 38}, std::pair{false, 20}}) {
        MessageBuffer buffer;
        quest.Write(buffer, byName);
        FakeQuest copy{&world};
        EXPECT_TRUE(copy.Read(buffer, true, byName, version));
        EXPECT_EQ(buffer.BytesLeft(), 0u);
        EXPECT_EQ(copy.goals[1].rarity, MonsterRarity::Unique);  // from the saved target
        quest.goals[1].rarity = MonsterRarity::Unique;
        copy.Generate();
        quest.Generate();
        EXPECT_EQ(Snapshot(copy), Snapshot(quest)) << byName << " " << version;
        quest.goals[1].rarity = 0;
    }
}

TEST_F(QuestRecord, OnlyNamesSurviveAReorderedMonsterList)
{
    Start(quest, "Hunt", 5, 5u, nullptr, {"Wolf", "Scout"});
    quest.goals[0].progress = 2;
    MessageBuffer byName, byIndex, oldByName;
    quest.Write(byName, true);
    quest.Write(byIndex, false);
    quest.Write(oldByName, false);  // before version 38 every reference is an index

    LoadQuests(kQuestBaseQuests, RecordWorld::Records({"Moth: Type MonsterType; Archetype Goblins; Name $$Moth$$"}));
    FakeQuest fromName{&world}, fromIndex{&world}, fromOld{&world};
    ASSERT_TRUE(fromName.Read(byName, true, true, 38));
    ASSERT_TRUE(fromIndex.Read(byIndex, true, false, 38));
    ASSERT_TRUE(fromOld.Read(oldByName, true, true, 37));
    EXPECT_EQ(fromName.goals[0].target, Monster("Wolf"));
    EXPECT_EQ(fromName.goals[0].progress, 2);
    EXPECT_NE(fromIndex.goals[0].target, Monster("Wolf"));
    EXPECT_EQ(fromOld.goals[0].target, fromIndex.goals[0].target);
}

TEST_F(QuestRecord, ReadingTheSameIdentityKeepsTheQuestAndTakesTheProgress)
{
    Start(quest, "Fixed", 5, 4u, "Scout");
    MessageBuffer buffer;
    quest.progress = 2;
    quest.Write(buffer, true);
    quest.progress = 0;
    EXPECT_FALSE(quest.Read(buffer, true, true, 38));
    EXPECT_EQ(quest.progress, 2);
    EXPECT_EQ(quest.count, 3);
}

// The level word is the record's first; past the game's maximum (100 here) it counts as the maximum.
TEST_F(QuestRecord, SavedLevelsAreTakenIntoTheGamesRange)
{
    Start(quest, "Fixed", 5, 4u, "Scout");
    for (auto [saved, expected] : {std::pair{INT32_MAX, 100}, std::pair{0, 1}, std::pair{INT32_MIN, 1}}) {
        MessageBuffer buffer;
        quest.Write(buffer, false);
        std::vector<uint8_t> bytes(buffer.Data(), buffer.Data() + buffer.Size());
        std::memcpy(bytes.data(), &saved, 4);
        MessageBuffer changed;
        changed.WriteBytes(bytes.data(), bytes.size());
        FakeQuest copy{&world};
        copy.Read(changed, true, false, 38);
        EXPECT_EQ(copy.level, expected) << saved;
    }
}

// The progress is the record's third word; INT_MIN once overflowed the count left in the text.
TEST_F(QuestRecord, SavedProgressIsTakenIntoZeroToTheCount)
{
    Start(quest, "Fixed", 5, 4u, "Scout");
    ASSERT_EQ(quest.count, 3);
    for (auto [saved, expected] : {std::pair{INT32_MIN, 0}, std::pair{-1, 0}, std::pair{INT32_MAX, 3}, std::pair{2, 2}}) {
        for (bool sameQuest : {true, false}) {
            MessageBuffer buffer;
            quest.Write(buffer, false);
            std::vector<uint8_t> bytes(buffer.Data(), buffer.Data() + buffer.Size());
            std::memcpy(bytes.data() + 8, &saved, 4);
            MessageBuffer changed;
            changed.WriteBytes(bytes.data(), bytes.size());
            FakeQuest fresh{&world};
            QuestBase& reader = sameQuest ? quest : fresh;
            reader.Read(changed, true, false, 38);
            EXPECT_EQ(reader.progress, expected) << saved << " " << sameQuest;
        }
    }
    EXPECT_EQ(CountLogged("^c005Quest record's progress -2147483648 is outside 0 to 3; taken as 0\n"), 2);
}

TEST_F(QuestRecord, ACorruptGoalCountOrACutRecordChangesNothing)
{
    Start(quest, "Group", 5, 31u, "Wolf", {"Scout", "Wolf"});
    MessageBuffer good;
    quest.Write(good, false);
    const auto before = Snapshot(quest);

    // The goal count stands after 12 words: level, seed, progress, entry, four of time, quest id,
    // failed, the target flag and the target's index.
    constexpr size_t kCountOffset = 12 * 4;
    for (int32_t count : {-1, QuestBase::kMaxGoals + 1, 0x7FFFFFFF, 3}) {
        std::vector<uint8_t> bytes(good.Data(), good.Data() + good.Size());
        std::memcpy(bytes.data() + kCountOffset, &count, 4);
        MessageBuffer bad;
        bad.WriteBytes(bytes.data(), bytes.size());
        EXPECT_FALSE(quest.Read(bad, true, false, 38)) << count;
        EXPECT_EQ(Snapshot(quest), before) << count;
    }
    for (size_t cut = 0; cut < good.Size(); ++cut) {
        MessageBuffer shorter;
        shorter.WriteBytes(good.Data(), cut);
        EXPECT_FALSE(quest.Read(shorter, true, false, 38)) << cut;
        EXPECT_EQ(Snapshot(quest), before) << cut;
    }
    EXPECT_GE(CountLogged("^c001Quest record is cut short or corrupt; the quest is left as it was\n"), 4);
}

TEST_F(QuestRecord, AnEmptyRecordIsWhatAQuestNeverSetUpWrites)
{
    FakeQuest fresh{&world};
    MessageBuffer written;
    fresh.Write(written, false);
    MessageBuffer empty;
    QuestBase::WriteEmpty(empty);
    ASSERT_EQ(empty.Size(), written.Size());
    EXPECT_EQ(std::memcmp(empty.Data(), written.Data(), empty.Size()), 0);
}

TEST_F(QuestRecord, SkippingARecordStopsWhereReadingItWouldAndRefusesEveryCut)
{
    Start(quest, "Group", 5, 31u, "Wolf", {"Scout", "Ashfang"});
    for (bool byName : {true, false}) {
        MessageBuffer good;
        quest.Write(good, byName);
        good.WriteInt(0x1234);
        EXPECT_TRUE(QuestBase::Skip(good, byName, 38)) << byName;
        EXPECT_EQ(good.ReadInt(), 0x1234) << byName;
        for (size_t cut = 0; cut + 4 < good.Size(); ++cut) {
            MessageBuffer shorter;
            shorter.WriteBytes(good.Data(), cut);
            EXPECT_FALSE(QuestBase::Skip(shorter, byName, 38)) << byName << " " << cut;
        }
    }
}
