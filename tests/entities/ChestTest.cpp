// ChestTest -- chests: their keys, randomisation rates on a seeded stream, opening through the timed action with its trap, locks and case-blind keys, stored items, secret links and loot, breaking, items swallowed at placing, and the saved state under cuts and huge counts.
#include "core/MessageBuffer.h"
#include "entities/Chest.h"
#include "entities/Gate.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/ItemGround.h"
#include "entities/LevelObjectWorld.h"
#include "entities/Trap.h"
#include "rules/items/InventoryBase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr const char* kChestRecords = R"(
GameSystem
{
    GridSize 32
    InventorySize 10
    BaseItemTimeOnGround 60
    TimeOnGroundMultNormal 1
}
ChestPlain
{
    Type Object
    ObjectType Chest
    Solid 1
    TimedAction OpeningChest
    ItemChance 0.75
    MinItems 2
    MaxItems 4
    IncreasedMagicChance 15
}
ChestLocked
{
    Type Object
    Base ChestPlain
    RequiresKey "Crypt"
}
ChestBreakable
{
    Type Object
    ObjectType Chest
    CanAttack 1
    MinHealth 5
    MaxHealth 7
    FadeTime 3
}
ChestTrapped
{
    Type Object
    Base ChestPlain
    TrapChance 1
}
ChestSecret
{
    Type Object
    Base ChestPlain
    SecretLevelChance 1
    AnyDirection 1
}
ChestCollector
{
    Type Object
    Base ChestPlain
    CollectDist 64
}
TrapSure
{
    Type Trap
    TriggerChance 1
    ShortDelayMin 0.1
    ShortDelayMax 0.1
}
CryptKey
{
    Type Item
    ItemType Other
    KeyName "crypt"
}
Goblet
{
    Type Item
    ItemType Other
}
Scroll
{
    Type QuestItem
    ItemType Other
}
NotAnItem
{
    Type Object
}
)";

class Chests : public LevelObjectWorld {
protected:
    void SetUp() override { LoadWorld(kChestRecords); }

    Chest* MakeChest(const char* record = "ChestPlain", float x = 1000.0f, float y = 1000.0f, int32_t level = 0)
    {
        auto* chest = new Chest();
        chest->Load(database.FindEntryByName(record));
        chest->SetPosition(At(x, y, level));
        EXPECT_NE(game.AddEntity(chest), -1);
        return chest;
    }

    void GiveItem(Player& player, const char* name)
    {
        auto item = std::make_unique<Item>();
        item->SetEntry(database.FindEntryByName(name));
        item->SetStackCount(1);
        std::unique_ptr<ItemBase> owned(item.release());
        ASSERT_TRUE(player.inventory->PlaceItem(owned, 0, 0, kPlaceAnyGroup));
    }

    ItemGround* LayItem(const char* name, float x, float y)
    {
        auto item = std::make_unique<Item>();
        item->SetEntry(database.FindEntryByName(name));
        item->SetStackCount(1);
        ItemGround* ground = ItemGround::Drop(At(x, y), item, true, false, false);
        EXPECT_NE(ground, nullptr);
        if (ground)
            ground->SetPosition(At(x, y));
        return ground;
    }

    int32_t CountGround(const char* name) const
    {
        int32_t count = 0;
        for (int32_t i = 0; i < GameServices::kMaxEntities; ++i) {
            auto* ground = dynamic_cast<ItemGround*>(game.GetEntity(i));
            count += ground && ground->GetItem() && ground->GetItem()->GetEntry() == database.FindEntryByName(name);
        }
        return count;
    }

    int32_t CountGates() const
    {
        int32_t count = 0;
        for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
            count += dynamic_cast<Gate*>(game.GetEntity(i)) != nullptr;
        return count;
    }

    static std::vector<std::string> Names(const Chest& chest)
    {
        std::vector<std::string> names;
        for (const DatabaseEntry* record : chest.GetStoredRecords())
            names.emplace_back(record->GetName());
        return names;
    }
};

} // namespace

// ---- Loading and randomisation ------------------------------------------------------------------------

TEST_F(Chests, LoadReadsItsKeysAndMissingOnesReadZero)
{
    Chest* chest = MakeChest("ChestLocked");
    EXPECT_FLOAT_EQ(chest->itemChance, 0.75f);
    EXPECT_EQ(chest->minItems, 2);
    EXPECT_EQ(chest->maxItems, 4);
    EXPECT_EQ(chest->increasedMagicChance, 15);
    EXPECT_EQ(chest->timedAction, TimedAction::OpeningChest);
    EXPECT_EQ(chest->requiredKey, "Crypt");
    EXPECT_TRUE(chest->alwaysBlocks);
    EXPECT_FALSE(chest->breakable);
    Chest* breakable = MakeChest("ChestBreakable");
    EXPECT_TRUE(breakable->breakable);
    EXPECT_FLOAT_EQ(breakable->itemChance, 0.0f) << "a missing float reads 0";
    EXPECT_EQ(breakable->minItems, 0);
    EXPECT_EQ(breakable->timedAction, TimedAction::None);
    EXPECT_EQ(breakable->GetStat(Chest::kLevelStat), 1);
    EXPECT_EQ(breakable->GetStat(11), 0);
}

TEST_F(Chests, TrapsAreArmedByChanceOnlyWhereTheAreaAllowsThem)
{
    game.trapRecord = database.FindEntryByName("TrapSure");
    int32_t armed = 0;
    for (int32_t i = 0; i < 200; ++i) {
        Chest* sure = MakeChest("ChestTrapped");
        sure->level = 7;
        sure->Randomize(0);
        armed += sure->GetTrap() != nullptr;
        Chest* safe = MakeChest("ChestTrapped", 1000.0f, 1000.0f, 1);
        safe->Randomize(1);
        EXPECT_EQ(safe->GetTrap(), nullptr) << "an area without traps";
        Chest* plain = MakeChest();
        plain->Randomize(0);
        EXPECT_EQ(plain->GetTrap(), nullptr) << "chance 0";
        game.RemoveEntity(sure);
        game.RemoveEntity(safe);
        game.RemoveEntity(plain);
        delete sure;
        delete safe;
        delete plain;
    }
    EXPECT_EQ(armed, 200);
    ASSERT_FALSE(game.trapLevels.empty());
    EXPECT_EQ(game.trapLevels.front(), 7) << "the trap is picked for the chest's level";
}

TEST_F(Chests, AThirdOfChestsWithThatChanceGetATrap)
{
    int32_t armed = 0;
    for (int32_t i = 0; i < 4000; ++i) {
        Chest fresh;
        fresh.trapChance = 0.3f;
        fresh.Randomize(0);
        armed += fresh.GetTrap() != nullptr;
    }
    EXPECT_NEAR(armed / 4000.0, 0.3, 0.03);
}

TEST_F(Chests, SecretLinksAreRolledOutsideSecretLevelsOnly)
{
    int32_t linked = 0;
    for (int32_t i = 0; i < 100; ++i) {
        Chest onPlain;
        onPlain.secretLevelChance = 1.0f;
        onPlain.Randomize(0);
        linked += onPlain.secretLink;
        Chest inSecret;
        inSecret.secretLevelChance = 1.0f;
        inSecret.Randomize(2);
        EXPECT_FALSE(inSecret.secretLink);
        Chest never;
        never.Randomize(0);
        EXPECT_FALSE(never.secretLink);
    }
    EXPECT_EQ(linked, 100);
}

TEST_F(Chests, FacingIsSouthwardUnlessAnyDirectionIsAllowed)
{
    std::map<int32_t, int32_t> plain;
    std::map<int32_t, int32_t> any;
    for (int32_t i = 0; i < 3000; ++i) {
        Chest chest;
        chest.Randomize(0);
        ++plain[chest.facing];
        Chest free;
        free.anyDirection = true;
        free.Randomize(0);
        ++any[free.facing];
    }
    ASSERT_EQ(plain.size(), 3u);
    EXPECT_NEAR(plain[4] / 3000.0, 0.33, 0.03);
    EXPECT_NEAR(plain[5] / 3000.0, 0.335, 0.03);
    EXPECT_NEAR(plain[6] / 3000.0, 0.335, 0.03);
    EXPECT_EQ(any.size(), 8u);
    EXPECT_EQ(any.begin()->first, 0);
    EXPECT_EQ(any.rbegin()->first, 7);
}

TEST_F(Chests, ABreakableChestDrawsItsHealthInItsRangeAndAtLeastOne)
{
    std::map<int32_t, int32_t> seen;
    for (int32_t i = 0; i < 300; ++i) {
        Chest chest;
        chest.breakable = true;
        chest.healthLow = 5;
        chest.healthHigh = 7;
        chest.Randomize(0);
        EXPECT_EQ(chest.health, chest.maxHealth);
        ++seen[chest.health];
    }
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen.begin()->first, 5);
    EXPECT_EQ(seen.rbegin()->first, 7);
    Chest weak;
    weak.breakable = true;
    weak.Randomize(0);
    EXPECT_EQ(weak.health, 1);
    Chest solid;
    solid.Randomize(0);
    EXPECT_EQ(solid.maxHealth, 0) << "only breakable chests get health";
}

// ---- Opening ---------------------------------------------------------------------------------------------

TEST_F(Chests, UsingStartsTheTimedActionOfTheChestsKindAndGivesTheTrapItsChance)
{
    game.trapRecord = database.FindEntryByName("TrapSure");
    Chest* chest = MakeChest("ChestTrapped");
    chest->level = 4;
    chest->Randomize(0);
    ASSERT_NE(chest->GetTrap(), nullptr);
    Player* player = MakePlayer(1000.0f, 1040.0f);
    game.lines.clear();
    chest->OnUsedBy(player);
    int32_t userLevel = player->stats.Get(CharacterStat::Level);
    float seconds = game.chestOpenTime + static_cast<float>(4 - userLevel);
    EXPECT_TRUE(HasLine(StringFormat("timer %d %f %d", player->entityNumber, seconds, TimedAction::OpeningChest)));
    EXPECT_EQ(chest->GetTrap()->GetVictim(), player);
    EXPECT_NE(game.FindTimedAction(Sentient::GetEventId(SentientEvent::UseEntity), player), nullptr);
    chest->OnUseEnded(player);
    EXPECT_EQ(game.FindTimedAction(Sentient::GetEventId(SentientEvent::UseEntity), player), nullptr);
    EXPECT_EQ(game.FindTimedAction(events.FindEvent(Trap::kTriggerEvent), chest->GetTrap()), nullptr)
        << "the trap's pending chance at this user goes too";
    chest->OnUsedBy(nullptr);
}

TEST_F(Chests, ALockedChestStaysClosedUntilItsUserCarriesTheKey)
{
    Chest* chest = MakeChest("ChestLocked");
    Player* player = MakePlayer(1000.0f, 1040.0f);
    chest->Use(player);
    EXPECT_TRUE(chest->IsClosed());
    EXPECT_TRUE(HasLine("msg 2 \"$$RequiresKeyXChest~<$$Crypt$$@@>~$$\""));
    ASSERT_FALSE(game.worldEvents.empty());
    EXPECT_EQ(game.worldEvents.back().name, Chest::kLockedSound);
    EXPECT_EQ(CountNotices("loot "), 0);
    GiveItem(*player, "CryptKey");
    chest->Use(player);
    EXPECT_FALSE(chest->IsClosed()) << "the key's name is compared case-blind";
    EXPECT_FALSE(chest->alwaysBlocks);
}

TEST_F(Chests, AnOpenedChestGivesLootWithTheOpenersChancesOnce)
{
    Chest* chest = MakeChest();
    Player* player = MakePlayer(1000.0f, 1040.0f);
    player->stats.Set(CharacterStat::ItemsChance, 30);
    player->stats.Set(CharacterStat::MagicChance, 12);
    MessageBuffer before;
    chest->WriteNetState(before);
    EXPECT_EQ(before.ReadInt(), 1);
    EXPECT_TRUE(chest->IsFree());
    chest->Use(player);
    chest->Use(player);
    EXPECT_EQ(CountNotices("loot "), 1);
    EXPECT_TRUE(HasNotice(StringFormat("loot %d %.1f %.1f", chest->entityNumber, 30.0f, 12.0f)));
    MessageBuffer after;
    chest->WriteNetState(after);
    EXPECT_EQ(after.ReadInt(), 0);
    EXPECT_FALSE(chest->IsFree()) << "an opened chest leaves the world save";
    EXPECT_EQ(CountNotices("chest "), 0) << "not flagged for the quests";
}

TEST_F(Chests, AQuestChestIsOfferedToTheQuests)
{
    Chest* chest = MakeChest();
    chest->questNotify = true;
    Player* player = MakePlayer(1000.0f, 1040.0f);
    chest->Use(player);
    EXPECT_TRUE(HasNotice(StringFormat("chest %d %d", chest->entityNumber, player->entityNumber)));
}

TEST_F(Chests, StoredItemsAreDroppedExactlyAndNothingElseHappens)
{
    game.makesItems = true;
    game.secretLevels = {2};
    Chest* chest = MakeChest("ChestSecret");
    chest->secretLink = true;
    ASSERT_TRUE(chest->TryStoreRecord(database.FindEntryByName("Goblet"), chest->position));
    ASSERT_TRUE(chest->TryStoreRecord(database.FindEntryByName("Scroll"), chest->position));
    ASSERT_TRUE(chest->TryStoreRecord(database.FindEntryByName("Goblet"), chest->position));
    Player* player = MakePlayer(1000.0f, 1040.0f);
    chest->Use(player);
    EXPECT_EQ(CountGround("Goblet"), 2);
    EXPECT_EQ(CountGround("Scroll"), 1);
    EXPECT_EQ(CountNotices("loot "), 0);
    EXPECT_EQ(CountGates(), 0) << "stored items come before the secret link";
    EXPECT_EQ(game.itemLevels, (std::vector<int32_t>{-1, -1, -1})) << "no level asked";
}

TEST_F(Chests, ASecretLinkOpensGatesIntoTheNextSecretLevel)
{
    game.secretLevels = {2};
    Chest* chest = MakeChest("ChestSecret");
    chest->Randomize(0);
    ASSERT_TRUE(chest->secretLink);
    Player* player = MakePlayer(1000.0f, 1040.0f);
    game.worldEvents.clear();
    chest->Use(player);
    EXPECT_EQ(CountGates(), 2);
    EXPECT_TRUE(HasNotice("gates 3 made"));
    EXPECT_EQ(world.GetLevel(2)->monsterLevel, world.GetLevel(0)->monsterLevel + 1);
    EXPECT_EQ(CountNotices("loot "), 0);
    ASSERT_FALSE(game.worldEvents.empty());
    EXPECT_EQ(game.worldEvents.back().name, Chest::kSecretSound);
    EXPECT_EQ(game.worldEvents.back().entityNumber, chest->entityNumber);
}

TEST_F(Chests, ASecretLinkWhoseGatesCannotBeMadeKeepsItsLinkForALaterTry)
{
    game.secretLevels = {2};
    Chest* chest = MakeChest("ChestSecret");
    chest->Randomize(0);
    ASSERT_TRUE(chest->secretLink);
    Player* player = MakePlayer(1000.0f, 1040.0f);
    std::vector<Entity*> fillers = FillTableLeaving(1);
    game.worldEvents.clear();
    chest->Use(player);
    EXPECT_TRUE(chest->IsClosed()) << "room for one gate only";
    EXPECT_TRUE(chest->secretLink);
    EXPECT_EQ(CountGates(), 0);
    EXPECT_EQ(game.secretLevels, (std::vector<int32_t>{2})) << "the secret level is not used up";
    EXPECT_TRUE(game.worldEvents.empty()) << "no sound";
    EXPECT_EQ(CountNotices("loot "), 0);
    for (Entity* filler : {fillers[0], fillers[1]}) {
        game.RemoveEntity(filler);
        delete filler;
    }
    chest->Use(player);
    EXPECT_FALSE(chest->IsClosed());
    EXPECT_EQ(CountGates(), 2);
    EXPECT_TRUE(game.secretLevels.empty());
    ASSERT_FALSE(game.worldEvents.empty());
    EXPECT_EQ(game.worldEvents.back().name, Chest::kSecretSound);
}

TEST_F(Chests, ASecretLinkWithEverySecretLevelTakenOpensQuietly)
{
    Chest* chest = MakeChest("ChestSecret");
    chest->Randomize(0);
    Player* player = MakePlayer(1000.0f, 1040.0f);
    game.worldEvents.clear();
    chest->Use(player);
    EXPECT_FALSE(chest->IsClosed());
    EXPECT_EQ(CountGates(), 0);
    EXPECT_EQ(CountNotices("loot "), 0);
    EXPECT_TRUE(game.worldEvents.empty());
}

TEST_F(Chests, WithoutAnOpeningAnimationTheChestFadesAndGoes)
{
    Chest* chest = MakeChest();
    int32_t number = chest->entityNumber;
    Player* player = MakePlayer(1000.0f, 1040.0f);
    chest->Use(player);
    game.Step();
    EXPECT_EQ(game.GetEntity(number), nullptr) << "a fade time of 0 deletes it at once";
}

// ---- Breaking ---------------------------------------------------------------------------------------------

TEST_F(Chests, ABeatenBreakableChestBreaksOpenOnce)
{
    Chest* chest = MakeChest("ChestBreakable");
    chest->Randomize(0);
    Player* player = MakePlayer(1000.0f, 1040.0f);
    chest->OnAttackedBy(player);
    EXPECT_TRUE(chest->IsClosed()) << "still standing";
    chest->health = 0;
    chest->OnAttackedBy(player);
    chest->OnAttackedBy(player);
    EXPECT_TRUE(chest->IsBroken());
    EXPECT_FALSE(chest->IsClosed());
    EXPECT_EQ(CountNotices("loot "), 1);
}

TEST_F(Chests, AChestWithoutHealthCannotBeBroken)
{
    Chest* chest = MakeChest("ChestBreakable");
    chest->health = 0;
    chest->OnAttackedBy(nullptr);
    EXPECT_FALSE(chest->IsBroken());
    EXPECT_TRUE(chest->IsClosed());
}

// ---- Items taken in at placing -------------------------------------------------------------------------

TEST_F(Chests, ItemsLyingWithinReachAreSwallowedAsTheirRecords)
{
    Chest* chest = MakeChest("ChestCollector");
    int32_t laid = LayItem("Goblet", 1040.0f, 1000.0f)->entityNumber;
    LayItem("Scroll", 1000.0f, 1050.0f);
    LayItem("Goblet", 1200.0f, 1000.0f);
    Chest* neighbour = MakeChest("ChestPlain", 1010.0f, 1000.0f);
    chest->CollectNearbyItems();
    std::vector<std::string> names = Names(*chest);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Goblet", "Scroll"}));
    EXPECT_EQ(game.GetEntity(laid), nullptr);
    EXPECT_EQ(CountGround("Scroll"), 0);
    EXPECT_EQ(CountGround("Goblet"), 1) << "out of reach";
    EXPECT_EQ(game.GetEntity(neighbour->entityNumber), neighbour) << "no item, nothing taken";
    MakeChest("ChestPlain")->CollectNearbyItems();
    EXPECT_EQ(CountGround("Goblet"), 1) << "a chest without a collect distance takes nothing";
}

TEST_F(Chests, ARecordIsStoredOnlyWithinTheCollectDistanceBoundaryIncluded)
{
    Chest* chest = MakeChest("ChestCollector");
    const DatabaseEntry* goblet = database.FindEntryByName("Goblet");
    EXPECT_TRUE(chest->TryStoreRecord(goblet, At(1064.0f, 936.0f)));
    EXPECT_FALSE(chest->TryStoreRecord(goblet, At(1064.01f, 1000.0f)));
    EXPECT_FALSE(chest->TryStoreRecord(goblet, At(1000.0f, 935.9f)));
    EXPECT_FALSE(chest->TryStoreRecord(database.FindEntryByName("NotAnItem"), chest->position));
    EXPECT_FALSE(chest->TryStoreRecord(nullptr, chest->position));
    EXPECT_EQ(chest->GetStoredRecords().size(), 1u);
}

// ---- The saved state --------------------------------------------------------------------------------------

TEST_F(Chests, TheStoredRecordsSurviveASaveAndUnknownNamesAreSkipped)
{
    Chest* chest = MakeChest();
    chest->TryStoreRecord(database.FindEntryByName("Goblet"), chest->position);
    chest->TryStoreRecord(database.FindEntryByName("Scroll"), chest->position);
    chest->secretLink = true;
    MessageBuffer buffer;
    chest->WriteSaved(buffer);
    Chest copy;
    ASSERT_TRUE(copy.ReadSaved(buffer, Chest::kSavedLinkVersion));
    EXPECT_EQ(Names(copy), (std::vector<std::string>{"Goblet", "Scroll"}));
    EXPECT_TRUE(copy.secretLink) << "the link drawn once stays with the chest";
    EXPECT_EQ(buffer.BytesLeft(), 0u);
    MessageBuffer odd;
    odd.WriteInt(3);
    odd.WriteString("Goblet");
    odd.WriteString("Vanished");
    odd.WriteString("Scroll");
    Chest other;
    ASSERT_TRUE(other.ReadSaved(odd, 0));
    EXPECT_EQ(Names(other), (std::vector<std::string>{"Goblet", "Scroll"}));
}

TEST_F(Chests, ACutSaveChangesNothing)
{
    Chest* chest = MakeChest();
    chest->TryStoreRecord(database.FindEntryByName("Goblet"), chest->position);
    chest->TryStoreRecord(database.FindEntryByName("Scroll"), chest->position);
    MessageBuffer whole;
    chest->WriteSaved(whole);
    for (size_t cut = 0; cut < whole.Size(); ++cut) {
        MessageBuffer part;
        part.WriteBytes(whole.Data(), cut);
        Chest reader;
        reader.TryStoreRecord(database.FindEntryByName("Goblet"), reader.position);
        EXPECT_FALSE(reader.ReadSaved(part, Chest::kSavedLinkVersion)) << "cut at " << cut;
        EXPECT_EQ(Names(reader), (std::vector<std::string>{"Goblet"})) << "cut at " << cut;
    }
}

TEST_F(Chests, ALinkWordOtherThanOneOrNoughtIsRefused)
{
    for (int32_t link : {2, -1}) {
        MessageBuffer buffer;
        buffer.WriteInt(0);
        buffer.WriteInt(link);
        Chest reader;
        EXPECT_FALSE(reader.ReadSaved(buffer, Chest::kSavedLinkVersion)) << link;
        EXPECT_FALSE(reader.secretLink) << link;
    }
}

TEST_F(Chests, HugeNegativeAndOverlongCountsAreRefused)
{
    for (int32_t count : {-1, -2147483647 - 1, 2147483647, 257}) {
        MessageBuffer buffer;
        buffer.WriteInt(count);
        for (int32_t i = 0; i < 300; ++i)
            buffer.WriteString("Goblet");
        Chest reader;
        EXPECT_FALSE(reader.ReadSaved(buffer, 0)) << count;
        EXPECT_TRUE(reader.GetStoredRecords().empty()) << count;
    }
    MessageBuffer most;
    most.WriteInt(Chest::kMaxSavedRecords);
    for (int32_t i = 0; i < Chest::kMaxSavedRecords; ++i)
        most.WriteString("Goblet");
    Chest reader;
    EXPECT_TRUE(reader.ReadSaved(most, 0));
    EXPECT_EQ(reader.GetStoredRecords().size(), static_cast<size_t>(Chest::kMaxSavedRecords));
}
