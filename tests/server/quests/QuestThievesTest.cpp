// QuestThievesTest -- thieves, recruits, quest items laid on a level or found for a story quest, and the plague's saved victims.
#include "server/quests/QuestKindWorld.h"

#include "core/CommandSystem.h"
#include "core/MessageBuffer.h"
#include "covenants/ActorCovenant.h"
#include "entities/EntityQuest.h"
#include "entities/Item.h"
#include "entities/ItemGround.h"
#include "rules/quests/QuestDefinition.h"
#include "server/ServerCommands.h"

#include <set>
#include <string>

namespace {

constexpr const char* kQuestThievesRecords = R"(
Pickpocket
{
    Type Quest
    QuestType Thief
    DuplicatesAllowed 1
}
Sickness
{
    Type Quest
    QuestType Plague
    DuplicatesAllowed 1
}
Ledger
{
    Type Quest
    QuestType LevelQuestItem
    HasWorldLevel 1
    DefaultItem LedgerPage
    DuplicatesAllowed 1
}
LedgerPage
{
    Type QuestItem
    Name "Page"
    MaxStack 10
}
Totems
{
    Type Quest
    QuestType MonsterQuestItem
    DuplicatesAllowed 1
}
Relic
{
    Type Quest
    QuestType StoryVarrowFindItem
    DefaultItem LedgerPage
    StatusEffect StatusEffectRelicWard
    DuplicatesAllowed 1
}
StatusEffectRelicWard
{
    Type StatusEffect
    Forever 1
}
ArchetypeTotemBearer
{
    Type MonsterArchetype
    FactionName "Wilds"
    QuestItem LedgerPage
    QuestItemDropChance 1
}
MonsterTotemBearer
{
    Type MonsterType
    Archetype ArchetypeTotemBearer
    Definition ActorBeast
    MinLevel 1
    MaxLevel 60
    QuestItemAmount 2
}
ClassPorter
{
    Type Class
    HealthPerVit 5
    StartVitality 10
}
Join
{
    Type Quest
    QuestType Recruit
    DuplicatesAllowed 1
}
ArchetypeNpcPotentialRecruitClassBeast
{
    Type MonsterArchetype
    FactionName "Townsfolk"
}
RecruitOne
{
    Type MonsterType
    Archetype ArchetypeNpcPotentialRecruitClassBeast
    Definition ActorBeast
    MinLevel 1
    MaxLevel 100
    Excluded 1
}
RecruitTwo
{
    Type MonsterType
    Archetype ArchetypeNpcPotentialRecruitClassBeast
    Definition ActorBeast
    MinLevel 1
    MaxLevel 100
    Excluded 1
}
SpawnSystem
{
    MaxNormalItemLevel 20
}
RewardRing
{
    Type Item
    ItemType Ring
    SpawnChance 1
    MinLevel 1
    MaxLevel 20
}
RewardGreaves
{
    Type Item
    ItemType Legs
    ItemRequirement ArmorLeather
    SpawnChance 1
    MinLevel 1
    MaxLevel 20
}
RewardPlate
{
    Type Item
    ItemType Chest
    ItemRequirement ArmorPlate
    SpawnChance 1
    MinLevel 1
    MaxLevel 20
}
RewardGreatsword
{
    Type Item
    ItemType HandBoth
    ItemRequirement WeaponSwordTwoHanded
    SpawnChance 1
    MinLevel 1
    MaxLevel 20
}
Arms
{
    Type Quest
    QuestType KillMonsters
    WeaponReward 1
    MaxItemGenerationTries 40
    DuplicatesAllowed 1
}
Mail
{
    Type Quest
    QuestType KillMonsters
    ArmorReward 1
    ClassSkewChance 1
    MaxItemGenerationTries 40
    DuplicatesAllowed 1
}
RecruitThree
{
    Type MonsterType
    Archetype ArchetypeNpcPotentialRecruitClassBeast
    Definition ActorBeast
    MinLevel 1
    MaxLevel 100
    Excluded 1
}
)";

class QuestThievesRecruits : public QuestKindWorld {
protected:
    QuestThievesRecruits() { Load(kQuestThievesRecords); }

    int32_t CountGroundItems() const
    {
        int32_t found = 0;
        for (int32_t number = 0; number < GameServices::kMaxEntities; ++number)
            found += dynamic_cast<const ItemGround*>(game->GetEntity(number)) != nullptr;
        return found;
    }
};

} // namespace

// A reward item is of the reward's kind by its requirement, not its slot: a weapon reward is
// the two-handed sword, never the greaves or the ring. With the class skew at 1 only what the
// player's class may wear is taken; when nothing it may wear turns up, the tries run again
// without the skew.
TEST_F(QuestThievesRecruits, RewardItemsAreOfTheirKindAndSuitTheClassUnlessNoneDoes)
{
    spawn.Load();
    // The names of the items twelve rewards leave on the ground, each taken away again.
    auto rewardsOf = [this](const char* name) {
        std::set<std::string> dropped;
        for (int32_t attempt = 0; attempt < 12; ++attempt) {
            Quest* quest = Make(name);
            quest->GenerateRewardItem(*player, quest->definition->classSkewChance);
            for (int32_t number = 0; number < GameServices::kMaxEntities; ++number)
                if (auto* ground = dynamic_cast<ItemGround*>(game->GetEntity(number))) {
                    dropped.insert(std::string(ground->GetItem()->GetEntry()->GetName()));
                    game->RemoveEntity(ground);
                    delete ground;
                }
        }
        return dropped;
    };
    EXPECT_EQ(rewardsOf("Arms"), std::set<std::string>{"RewardGreatsword"});
    EXPECT_EQ(rewardsOf("Mail"), (std::set<std::string>{"RewardGreaves", "RewardPlate"}))
        << "no armour suits a player without the skills; the second series takes either";
    player->extraSkills.push_back(ItemRequirement::ArmorLeather);
    EXPECT_EQ(rewardsOf("Mail"), std::set<std::string>{"RewardGreaves"}) << "the plate never suits";
}

// With no vendor to rob and the chance to win, the thief wins at once with nothing stolen.
TEST_F(QuestThievesRecruits, AThiefWithNoVendorToRobWinsWithNothing)
{
    Quest* thief = Make("Pickpocket");
    ASSERT_NE(thief, nullptr);
    thief->target.Set(Creature("NpcThief", 500.0f));
    int32_t number = thief->questId;
    EXPECT_FALSE(thief->ShowThief(false));
    EXPECT_TRUE(thief->hidden);
    game->GetClientLines().clear();
    EXPECT_TRUE(thief->ShowThief(true));
    ASSERT_EQ(CountLinesWith("QuestThiefWins"), 1);
    EXPECT_EQ(CountLinesWith("$$QuestThiefWins~<0@@@@>~$$"), 1) << game->GetClientLines().back();
    EXPECT_EQ(quests().GetQuest(number), nullptr) << "held by nobody: gone";
}

// Between 125 % and 200 % of the count, laid only once a holder has the quest.
TEST_F(QuestThievesRecruits, ALevelsQuestItemsAreLaidOnceItsHolderTakesIt)
{
    for (int32_t attempt = 0; attempt < 6; ++attempt) {
        Quest* ledger = Start("Ledger");
        ASSERT_NE(ledger, nullptr);
        ledger->count = 4;
        EXPECT_TRUE(ledger->levelItemsPending);
        int32_t before = CountGroundItems();
        ledger->OnLevelLoaded();
        EXPECT_EQ(CountGroundItems(), before) << "nobody holds it";
        ASSERT_NE(player->AcceptQuest(ledger->questId), nullptr);
        int32_t laid = CountGroundItems() - before;
        EXPECT_GE(laid, 5);
        EXPECT_LE(laid, 8);
        EXPECT_EQ(ledger->spawnedCount, laid);
        EXPECT_FALSE(ledger->levelItemsPending);
        ledger->SpawnLevelItems();
        EXPECT_EQ(CountGroundItems() - before, laid) << "laid once";
        player->AbandonQuest(ledger->questId);
    }
}

// The recruit comes from the quest's seed: made again, it is the same type at the same level.
TEST_F(QuestThievesRecruits, ARecruitRebuiltFromItsSeedIsTheSame)
{
    Quest* join = Make("Join");
    ASSERT_NE(join, nullptr);
    join->recruitLevel = 6;
    for (uint32_t seed : {11u, 12u, 13u, 14u}) {
        join->seed = seed;
        join->CreateRecruit();
        auto* first = join->target.GetAs<Actor>();
        ASSERT_NE(first, nullptr);
        const MonsterType* type = first->GetMonsterType();
        int32_t level = first->stats.Get(CharacterStat::Level);
        random.Next(RandomStream::Quest);
        join->CreateRecruit();
        auto* again = join->target.GetAs<Actor>();
        ASSERT_NE(again, nullptr);
        EXPECT_NE(again, first);
        EXPECT_EQ(again->GetMonsterType(), type) << seed;
        EXPECT_EQ(again->stats.Get(CharacterStat::Level), level);
        EXPECT_TRUE(again->questFigure);
    }
}

TEST_F(QuestThievesRecruits, APlaguesVictimsSurviveTheSaveAndHostileCountsChangeNothing)
{
    Quest* sickness = Make("Sickness");
    ASSERT_NE(sickness, nullptr);
    QuestVictim held;
    held.victim.Set(player);
    held.covenantIndex = 3;
    held.memberIndex = -1;
    sickness->members.push_back(held);
    sickness->members.push_back(QuestVictim{});
    MessageBuffer saved;
    sickness->WriteMemberList(saved);
    EXPECT_EQ(saved.Size(), 12u) << "a count and the one held record";

    Quest* loaded = Make("Sickness");
    std::vector<QuestVictim> read;
    ASSERT_TRUE(loaded->ReadMemberList(saved, read));
    loaded->TakeMemberList(std::move(read));
    ASSERT_EQ(loaded->members.size(), 1u);
    EXPECT_EQ(loaded->members[0].covenantIndex, 3);
    EXPECT_EQ(loaded->members[0].memberIndex, -1);
    EXPECT_TRUE(loaded->eventFlag);
    loaded->UpdateWithPlayer(nullptr, 0.05f);
    EXPECT_EQ(loaded->members[0].victim.Get(), player) << "member -1 is the player";
    EXPECT_FALSE(loaded->eventFlag);

    std::vector<uint8_t> bytes(saved.Data(), saved.Data() + saved.Size());
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        MessageBuffer part;
        part.WriteBytes(bytes.data(), cut);
        EXPECT_FALSE(loaded->ReadMemberList(part, read)) << cut;
        EXPECT_EQ(loaded->members.size(), 1u);
    }
    for (int32_t count : {-1, 1 << 30, 2}) {
        MessageBuffer hostile;
        hostile.WriteInt(count);
        hostile.WriteInt(0);
        hostile.WriteInt(0);
        EXPECT_FALSE(loaded->ReadMemberList(hostile, read)) << count;
        EXPECT_EQ(loaded->members.size(), 1u);
    }
}

// A slain monster leaves its kind's quest item only while the first player's quest about its
// type still wants items; the item then counts for that quest.
TEST_F(QuestThievesRecruits, ASlainMonsterDropsItsQuestItemOnlyForAnUnfinishedQuestAboutIt)
{
    Quest* totems = Make("Totems");
    ASSERT_NE(totems, nullptr);
    totems->QuestBase::target = gameData.FindMonsterType("MonsterTotemBearer");
    totems->count = 3;
    Actor* bearer = Creature("MonsterTotemBearer", 500.0f);
    Actor* wolf = Creature("MonsterWolf", 600.0f);
    EXPECT_EQ(spawn.DropQuestItem(*bearer, bearer->position), nullptr) << "nobody holds the quest";
    EntityQuest* copy = player->AcceptQuest(totems->questId);
    ASSERT_NE(copy, nullptr);
    copy->count = 3;
    EXPECT_EQ(spawn.DropQuestItem(*wolf, wolf->position), nullptr) << "another kind";
    Entity* dropped = spawn.DropQuestItem(*bearer, bearer->position);
    ASSERT_NE(dropped, nullptr);
    auto* ground = dynamic_cast<ItemGround*>(dropped);
    ASSERT_NE(ground, nullptr);
    ASSERT_NE(ground->GetItem(), nullptr);
    EXPECT_EQ(ground->GetItem()->GetStackCount(), 2);
    EXPECT_TRUE(copy->IsQuestItem(ground->GetItem()->GetEntry()));
    copy->progress = 3;
    EXPECT_EQ(spawn.DropQuestItem(*bearer, bearer->position), nullptr) << "the quest has its items";
    copy->progress = 0;
    EXPECT_EQ(spawn.DropQuestItem(*bearer, WorldPos{-1, 0.0f, 0.0f}), nullptr) << "nowhere";
}

// Quest items picked up through the player's request count for the slot's copy until it has
// what it needs; the next one stays where it lies and the player is told.
TEST_F(QuestThievesRecruits, PickedUpQuestItemsCountUntilTheQuestHasEnough)
{
    CommandSystem commands;
    ServerCommands::Register(commands);
    // A class with health, so that the stat rebuild after each pick-up leaves the player alive.
    player->SetUpNew(gameData.FindCharacterClassIndex("ClassPorter"));
    ASSERT_TRUE(player->IsAlive());
    Quest* totems = Make("Totems");
    ASSERT_NE(totems, nullptr);
    totems->QuestBase::target = gameData.FindMonsterType("MonsterTotemBearer");
    totems->count = 2;
    Actor* bearer = Creature("MonsterTotemBearer", 340.0f);
    EntityQuest* copy = player->AcceptQuest(totems->questId);
    ASSERT_NE(copy, nullptr);
    copy->count = 2;
    std::vector<ItemGround*> dropped;
    for (int32_t i = 0; i < 3; ++i) {
        dropped.push_back(dynamic_cast<ItemGround*>(spawn.DropQuestItem(*bearer, player->position)));
        ASSERT_NE(dropped.back(), nullptr);
    }
    for (int32_t i = 0; i < 3; ++i) {
        commands.Execute("pickupEntity " + std::to_string(dropped[static_cast<size_t>(i)]->entityNumber), player);
        EXPECT_EQ(copy->progress, std::min(i + 1, 2)) << i;
        EXPECT_EQ(CountLinesWith("$$AlreadyHaveAllWeNeed$$"), i < 2 ? 0 : 1) << i;
    }
    EXPECT_NE(dropped[2]->GetItem(), nullptr) << "the third still lies there";
}

// The found item of a story quest puts the quest's effect on its finder as it is counted. Asked
// for twice before the step takes it away, it counts and wards once.
TEST_F(QuestThievesRecruits, AStoryQuestsFoundItemCountsOnceAndPutsItsEffectOnTheFinder)
{
    CommandSystem commands;
    ServerCommands::Register(commands);
    player->SetUpNew(gameData.FindCharacterClassIndex("ClassPorter"));
    ASSERT_TRUE(player->IsAlive());
    Quest* relic = Make("Relic");
    ASSERT_NE(relic, nullptr);
    EntityQuest* copy = player->AcceptQuest(relic->questId);
    ASSERT_NE(copy, nullptr);
    copy->count = 3;
    auto page = std::make_unique<Item>();
    page->SetEntryByName("LedgerPage");
    ItemGround* ground = ItemGround::Drop(player->position, page, true, false, false);
    ASSERT_NE(ground, nullptr);
    const std::string line = "pickupEntity " + std::to_string(ground->entityNumber);
    commands.Execute(line, player);
    commands.Execute(line, player);
    EXPECT_EQ(copy->progress, 1);
    const DatabaseEntry* ward = database.FindEntryByName("StatusEffectRelicWard");
    ASSERT_NE(ward, nullptr);
    EXPECT_TRUE(player->HasStatusEffect(ward->GetId()));
    EXPECT_EQ(player->GetStatusEffects().size(), 1u);
}

TEST_F(QuestThievesRecruits, RivalHousesCopyARecruitQuestAndForgetItOnceSolved)
{
    std::vector<ActorCovenant*> rivals;
    for (int32_t i = 0; i < 2; ++i) {
        auto made = std::make_unique<ActorCovenant>();
        rivals.push_back(made.get());
        game->AddCovenant(std::move(made));
    }
    Quest* join = Start("Join");
    ASSERT_NE(join, nullptr);
    ASSERT_NE(join->target.Get(), nullptr);
    std::vector<EntityQuest*> records;
    for (ActorCovenant* rival : rivals) {
        EntityQuest* record = rival->GetActiveQuest();
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->definition, join->definition);
        EXPECT_EQ(record->seed, join->seed);
        records.push_back(record);
    }
    EXPECT_NE(records[0], records[1]) << "each house keeps its own record";
    join->OnSolved(*player);
    for (size_t i = 0; i < rivals.size(); ++i) {
        EXPECT_EQ(rivals[i]->GetActiveQuest(), nullptr);
        EXPECT_EQ(rivals[i]->GetQuest(), records[i]) << "the record stays, empty";
    }
    // The next recruit quest fills the same records again.
    Quest* again = Start("Join");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(rivals[0]->GetActiveQuest(), records[0]);
}

TEST_F(QuestThievesRecruits, PlayersCopiesTakeUpTheProgressTheirWorldQuestsMadeButKeepTheirOwn)
{
    Quest* join = Make("Join");
    ASSERT_NE(join, nullptr);
    join->count = 5;
    int32_t number = join->questId;
    EntityQuest* copy = player->AcceptQuest(number);
    ASSERT_NE(copy, nullptr);
    struct Case {
        int32_t world, own, expected;
    };
    const Case cases[] = {
        {2, 0, 2},  // the world quest moved on: the copy follows
        {2, 4, 4},  // the copy counted further itself: it keeps that
        {3, 3, 3},
    };
    for (const Case& c : cases) {
        join->progress = c.world;
        copy->progress = c.own;
        game->RefreshPlayerQuests();
        EXPECT_EQ(copy->progress, c.expected) << c.world << " " << c.own;
    }
}
