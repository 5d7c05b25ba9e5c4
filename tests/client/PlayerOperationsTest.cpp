// PlayerOperationsTest -- the local player's title and rank words, the item comparison texts (both rings, a recruit gone, the guard and relic slots, every wrap of the cycle) and the key operations against the real world host: recruits walked over gaps, the next hostile target at the edge of its reach, the known gates, the party's slots and the power test.
#include "client/ItemClient.h"
#include "client/PlayerClientWorld.h"
#include "client/PlayerCovenantClient.h"
#include "client/RecruitClient.h"
#include "core/ColorSystem.h"
#include "core/LocSystem.h"
#include "covenants/PlayerCovenant.h"
#include "covenants/PlayerHouseRecords.h"
#include "entities/Actor.h"
#include "entities/Item.h"
#include "entities/ItemGround.h"
#include "rules/CharacterFlags.h"
#include "rules/GameData.h"
#include "rules/items/ItemBase.h"
#include "world/World.h"

#include <algorithm>
#include <array>

namespace {

constexpr const char* kOperationsRecords = R"(
ClassOpsRecruit
{
    Type Class
    BaseSpeed 140
    HealthPerVit 4
    StartVitality 10
}
ArchetypeOpsRecruit
{
    Type MonsterArchetype
    FactionName "Recruits"
}
ActorOpsRecruit
{
    Type Actor
    Class ClassOpsRecruit
}
MonsterOpsRecruit
{
    Type MonsterType
    Archetype ArchetypeOpsRecruit
    Definition ActorOpsRecruit
    Name "$$MonsterOpsRecruit$$"
    MinLevel 1
    MaxLevel 30
}
ObjectPedestal
{
    Type Object
}
OpsGold
{
    Type Money
}
OpsLetter
{
    Type QuestItem
}
OpsRing
{
    Type Item
    ItemType Ring
    Name "$$OpsRing$$"
}
OpsHat
{
    Type Item
    ItemType Head
    Name "$$OpsHat$$"
}
OpsBoots
{
    Type Item
    ItemType Feet
    Name "$$OpsBoots$$"
}
OpsRelic
{
    Type Item
    ItemType Relic
    Name "$$OpsRelic$$"
}
OpsGuard
{
    Type Item
    ItemType Guard
    Name "$$OpsGuard$$"
}
OpsBook
{
    Type Item
    ItemType Tome
    Name "$$OpsBook$$"
}
)";

class PlayerOperationsWorld : public PlayerClientWorld {
protected:
    static constexpr int32_t kSlots = 4;

    void SetUp() override
    {
        StartWorld("UsingCovenants 1\nMaxRecruits " + std::to_string(maxRecruits) + "\nStartPosition 0.5 0.5\n",
                   std::string(kPlayerHouseRecords) + kOperationsRecords);
        MakePlayer();
        mirror = std::make_unique<PlayerCovenantClient>();
        player->SetCovenant(mirror.get());
        PlayerClient::RegisterCommands(*app);
    }

    // The character file's covenant block with recruits of these levels (0: an empty slot).
    void LoadRecruits(const std::array<int32_t, kSlots>& levels)
    {
        MessageBuffer buffer;
        buffer.WriteInt(kSlots);
        for (int32_t level : levels) {
            RecruitClient recruit;
            if (level > 0) {
                recruit.definitionEntry = database.FindEntryByName("MonsterOpsRecruit")->GetId();
                recruit.stats.Set(CharacterStat::Level, level);
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
        buffer.SetReadPos(0);
        ASSERT_TRUE(mirror->ReadSaved(buffer, PlayerClient::kFileVersion));
    }

    std::unique_ptr<ItemBase> MakeItem(const char* record)
    {
        auto item = std::make_unique<ItemClient>();
        item->Load(database.FindEntryByName(record));
        return item;
    }

    // Worn by the inventory in that equipment slot.
    void Wear(InventoryBase& inventory, const char* record, int32_t slot)
    {
        std::unique_ptr<ItemBase> item = MakeItem(record);
        if (inventory.GetSlotCount(InventoryGroupIndex::Equipment) < EquipedLocation::kCount) {
            ASSERT_TRUE(inventory.ResizeBag(InventoryGroupIndex::Equipment, EquipedLocation::kCount));
        }
        ASSERT_TRUE(inventory.PlaceItem(item, InventoryGroupIndex::Equipment, slot, kPlaceAnyGroup | kPlaceIgnoreOffHand));
    }

    static std::string Tooltip(const ItemBase& item, const ItemTooltipOptions& options)
    {
        std::string text;
        item.BuildTooltip(options, text);
        return text;
    }

    static std::string Instructions(const char* key)
    {
        return ColorSystem::MakeColorCode(8) + key + ColorSystem::MakeColorCode(145);
    }

    // The recruit's creature a few steps from the player, where the player sees it.
    void StandBeside(Actor* actor, int32_t slot)
    {
        ASSERT_NE(actor, nullptr) << slot;
        WorldPos place = hostPlayer->position;
        place.x += 20.0f * static_cast<float>(slot + 1);
        actor->SetPosition(place);
    }

    void Frames(int32_t count)
    {
        for (int32_t i = 0; i < count; ++i)
            ClientFrame(50);
    }

    int32_t maxRecruits = 4;
    std::unique_ptr<PlayerCovenantClient> mirror;
};

class PlayerTitle : public PlayerOperationsWorld {};
class ItemComparison : public PlayerOperationsWorld {};
class PlayerOperations : public PlayerOperationsWorld {};

} // namespace

TEST_F(PlayerTitle, RankWordsByLevelAndBothMarks)
{
    const std::pair<int32_t, const char*> ranks[] = {
        {9, "$$Apprentice$$"}, {10, "$$Amateur$$"}, {24, "$$Amateur$$"}, {25, "$$Expert$$"},  {49, "$$Expert$$"},
        {50, "$$Master$$"},    {99, "$$Master$$"},  {100, "$$Grandmaster$$"}, {400, "$$Grandmaster$$"}};
    for (const auto& [level, word] : ranks) {
        player->stats.Set(CharacterStat::Level, level);
        EXPECT_STREQ(player->GetLevelRankWord(), word) << level;
    }
    player->stats.Set(CharacterStat::Level, 12);
    std::string title = MakeLocToken("PlayerTitle", "%d %s %s", 12, "$$Amateur$$", "");
    EXPECT_EQ(player->GetTitle(), title);
    player->SetCharacterFlag(CharacterFlag::kLoner, true);
    EXPECT_EQ(player->GetTitle(), title + " ($$LonerChallengeMode$$)");
    player->SetCharacterFlag(CharacterFlag::kStaysDead, true);
    EXPECT_EQ(player->GetTitle(), title + " ($$HardcoreMode$$) ($$LonerChallengeMode$$)");
    player->characterName = "Ada";
    EXPECT_EQ(player->GetNameAndTitle(), "Ada " + player->GetTitle());
}

TEST_F(ItemComparison, BothRingsOrTheOneWornOrNone)
{
    ItemTooltipOptions options{&player->stats};
    std::unique_ptr<ItemBase> hovered = MakeItem("OpsRing");
    std::string text = "unchanged";
    // Without the covenant mirror nothing is built.
    player->SetCovenant(nullptr);
    player->BuildEquippedComparison(hovered.get(), options, text);
    EXPECT_EQ(text, "unchanged");
    player->SetCovenant(mirror.get());

    const std::string head = "$$CurrentlyEquipped$$\n" + Instructions("$$EquippedComparisonInstructions$$");
    player->BuildEquippedComparison(hovered.get(), options, text);
    EXPECT_EQ(text, head + "  $$NoComparisonItem$$");
    InventoryBase& own = player->GetInventory();
    Wear(own, "OpsRing", EquipedLocation::Ring2);
    const ItemBase* second = own.GetItem(InventoryGroupIndex::Equipment, EquipedLocation::Ring2);
    player->BuildEquippedComparison(hovered.get(), options, text);
    EXPECT_EQ(text, head + Tooltip(*second, options));
    Wear(own, "OpsRing", EquipedLocation::Ring1);
    const ItemBase* first = own.GetItem(InventoryGroupIndex::Equipment, EquipedLocation::Ring1);
    player->BuildEquippedComparison(hovered.get(), options, text);
    EXPECT_EQ(text, head + Tooltip(*first, options) + "\n\n" + Tooltip(*second, options));

    // Worn nowhere, or in no slot of its own: the text stays.
    for (const char* record : {"OpsBook"}) {
        text = "kept";
        std::unique_ptr<ItemBase> other = MakeItem(record);
        player->BuildEquippedComparison(other.get(), options, text);
        EXPECT_EQ(text, "kept") << record;
    }
    player->BuildEquippedComparison(nullptr, options, text);
    EXPECT_EQ(text, "kept");
}

TEST_F(ItemComparison, ARecruitsOwnAndThePlayersWhenTheRecruitIsGone)
{
    LoadRecruits({3, 0, 5, 0});
    ItemTooltipOptions options{&player->stats};
    RecruitClient* recruit = mirror->GetRecruit(2);
    ASSERT_NE(recruit, nullptr);
    ASSERT_NE(recruit->inventory, nullptr);
    recruit->displayName = "Bran";
    Wear(*recruit->inventory, "OpsBoots", EquipedLocation::Feet);
    std::string text;
    player->comparisonRecruit = 2;
    std::unique_ptr<ItemBase> boots = MakeItem("OpsBoots");
    player->BuildEquippedComparison(boots.get(), options, text);
    EXPECT_EQ(text, MakeLocToken("EquippedBy", "%s", "Bran") +
                        Instructions("$$EquippedComparisonInstructions$$") +
                        Tooltip(*recruit->inventory->GetItem(InventoryGroupIndex::Equipment, EquipedLocation::Feet), options));
    // A recruit holds nothing on its head: it cannot.
    std::unique_ptr<ItemBase> hat = MakeItem("OpsHat");
    player->BuildEquippedComparison(hat.get(), options, text);
    EXPECT_EQ(text.substr(text.size() - 21), "  $$RecruitCantHold$$");

    player->comparisonRecruit = 1;
    player->BuildEquippedComparison(hat.get(), options, text);
    EXPECT_EQ(player->comparisonRecruit, -1);
    EXPECT_EQ(text, "$$CurrentlyEquipped$$\n" + Instructions("$$EquippedComparisonInstructions$$") +
                        "  $$NoComparisonItem$$");
}

TEST_F(ItemComparison, GuardsAndRelicsAndEveryWrapOfTheCycle)
{
    LoadRecruits({3, 0, 5, 0});
    ItemTooltipOptions options{&player->stats};
    InventoryBase& own = player->GetInventory();
    ASSERT_TRUE(own.ResizeBag(InventoryGroupIndex::House, 8));
    std::unique_ptr<ItemBase> standing = MakeItem("OpsRelic");
    ASSERT_TRUE(own.PlaceItem(standing, InventoryGroupIndex::House, 4, kPlaceAnyGroup));
    std::unique_ptr<ItemBase> relic = MakeItem("OpsRelic");
    std::unique_ptr<ItemBase> guard = MakeItem("OpsGuard");
    std::string text;
    player->BuildEquippedComparison(relic.get(), options, text);
    EXPECT_EQ(text, MakeLocToken("InRelicSlotX", "%d", 1) + Instructions("$$RelicSlotCompareScroll$$") +
                        Tooltip(*own.GetItem(InventoryGroupIndex::House, 4), options));
    player->comparisonGuardSlot = 3;
    player->BuildEquippedComparison(guard.get(), options, text);
    EXPECT_EQ(text, MakeLocToken("InGuardSlotX", "%d", 4) + Instructions("$$GuardSlotCompareScroll$$") +
                        "  $$GuardRelicCompareNone$$");

    // The guard slot wraps both ways; the relic slot as well.
    player->CycleComparisonTarget(1);
    EXPECT_EQ(player->comparisonGuardSlot, 0);
    player->CycleComparisonTarget(-1);
    EXPECT_EQ(player->comparisonGuardSlot, 3);
    player->BuildEquippedComparison(relic.get(), options, text);
    player->CycleComparisonTarget(-1);
    EXPECT_EQ(player->comparisonRelicSlot, 3);
    player->CycleComparisonTarget(1);
    EXPECT_EQ(player->comparisonRelicSlot, 0);

    // Anything else: the player and each recruit that exists (slots 0 and 2), both ways round.
    std::unique_ptr<ItemBase> hat = MakeItem("OpsHat");
    player->BuildEquippedComparison(hat.get(), options, text);
    std::vector<int32_t> forward;
    for (int32_t i = 0; i < 4; ++i) {
        player->CycleComparisonTarget(1);
        forward.push_back(player->comparisonRecruit);
    }
    EXPECT_EQ(forward, (std::vector<int32_t>{0, 2, -1, 0}));
    std::vector<int32_t> backward;
    for (int32_t i = 0; i < 4; ++i) {
        player->CycleComparisonTarget(-1);
        backward.push_back(player->comparisonRecruit);
    }
    EXPECT_EQ(backward, (std::vector<int32_t>{-1, 2, 0, -1}));
}

TEST_F(PlayerOperations, RecruitsWalkOverGapsAndWrap)
{
    LoadRecruits({3, 0, 5, 7});
    Join();
    auto* house = dynamic_cast<PlayerCovenant*>(game->GetCovenant(hostPlayer->covenantIndex));
    ASSERT_NE(house, nullptr);
    for (int32_t slot : {0, 2, 3})
        StandBeside(house->GetRecruitActor(slot, hostPlayer), slot);
    Frames(3);
    std::vector<EntityClient*> bodies;
    for (int32_t slot : {0, 2, 3}) {
        const RecruitClient* recruit = mirror->GetRecruit(slot);
        ASSERT_NE(recruit, nullptr) << slot;
        bodies.push_back(gameClient->GetEntity(recruit->entityNumber));
        ASSERT_NE(bodies.back(), nullptr) << slot;
    }
    // Nothing is chosen: nothing to walk from.
    player->SelectNextRecruit();
    EXPECT_EQ(player->GetInteractionTarget(), nullptr);
    player->SetTarget(bodies[0], false);
    std::vector<EntityClient*> walked;
    for (int32_t i = 0; i < 4; ++i) {
        player->SelectNextRecruit();
        walked.push_back(player->GetInteractionTarget());
    }
    EXPECT_EQ(walked, (std::vector<EntityClient*>{bodies[1], bodies[2], bodies[0], bodies[1]}));
    player->SelectPrevRecruit();
    EXPECT_EQ(player->GetInteractionTarget(), bodies[0]);
    player->SelectPrevRecruit();
    EXPECT_EQ(player->GetInteractionTarget(), bodies[2]);

    // None in the party: the first recruit all the same; the party's own first when there is one.
    EXPECT_FALSE(player->SelectFirstRecruit(true));
    EXPECT_EQ(player->GetInteractionTarget(), nullptr);
    EXPECT_TRUE(player->SelectFirstRecruit(false));
    EXPECT_EQ(player->GetInteractionTarget(), bodies[0]);
    player->party = {-1, bodies[2]->entityNumber, bodies[1]->entityNumber};
    EXPECT_TRUE(player->SelectFirstRecruit(true));
    EXPECT_EQ(player->GetInteractionTarget(), bodies[1]);
    player->StoreParty();
    EXPECT_EQ(player->partyRecruitIndices, (std::vector<int32_t>{3, 2}));
}

TEST_F(PlayerOperations, OnlyARecruitOfTheOwnCovenantTargetedIsInTheOwnCovenant)
{
    LoadRecruits({3, 0, 5, 0});
    Join();
    auto* house = dynamic_cast<PlayerCovenant*>(game->GetCovenant(hostPlayer->covenantIndex));
    ASSERT_NE(house, nullptr);
    StandBeside(house->GetRecruitActor(0, hostPlayer), 0);
    // A creature of the same kind that is nobody's recruit.
    auto* wild = Spawn<Actor>(hostPlayer->position.x + 60.0f, hostPlayer->position.y, hostPlayer->position.level);
    wild->SetUpFromMonsterType(gameData.FindMonsterType("MonsterOpsRecruit"), 2, false);
    Frames(3);
    EntityClient* recruit = gameClient->GetEntity(mirror->GetRecruit(0)->entityNumber);
    EntityClient* stranger = gameClient->GetEntity(wild->entityNumber);
    ASSERT_TRUE(recruit && stranger);
    ASSERT_NE(mirror->index, -1);
    struct Case {
        const char* what;
        EntityClient* target;
        int32_t covenant;
        bool expected;
    };
    const Case cases[] = {
        {"no target", nullptr, 0, false},
        {"own recruit", recruit, mirror->index, true},
        {"own recruit under another index", recruit, mirror->index + 1, false},
        // Carrying the covenant's index (as a lifestone does) makes no member.
        {"non-member with the index", stranger, mirror->index, false},
    };
    for (const Case& c : cases) {
        if (c.target)
            c.target->covenantIndex = c.covenant;
        player->SetTarget(c.target, false);
        EXPECT_EQ(player->IsTargetInOwnCovenant(), c.expected) << c.what;
    }
}

// "MaxRecruits" 0 (a game data without the key) or below the covenant's own slots must not stop
// the walk short: the covenant's slots are walked.
TEST_F(PlayerOperations, RecruitWalkBelowTheCapWalksTheCovenantsSlots)
{
    LoadRecruits({0, 4, 0, 6});
    Join();
    auto* house = dynamic_cast<PlayerCovenant*>(game->GetCovenant(hostPlayer->covenantIndex));
    ASSERT_NE(house, nullptr);
    for (int32_t slot : {1, 3})
        StandBeside(house->GetRecruitActor(slot, hostPlayer), slot);
    Frames(3);
    EntityClient* second = gameClient->GetEntity(mirror->GetRecruit(1)->entityNumber);
    EntityClient* fourth = gameClient->GetEntity(mirror->GetRecruit(3)->entityNumber);
    ASSERT_NE(second, nullptr);
    ASSERT_NE(fourth, nullptr);
    for (int32_t cap : {0, 2}) {
        const_cast<GameSystemTuning&>(gGameData->GetTuning()).maxRecruits = cap;
        ExecuteCommandLine("selectFirstRecruit");
        EXPECT_EQ(player->GetInteractionTarget(), second) << cap;
        ExecuteCommandLine("selectNextRecruit");
        EXPECT_EQ(player->GetInteractionTarget(), fourth) << cap;
        ExecuteCommandLine("selectNextRecruit");
        EXPECT_EQ(player->GetInteractionTarget(), second) << cap;
        ExecuteCommandLine("selectPrevRecruit");
        EXPECT_EQ(player->GetInteractionTarget(), fourth) << cap;
    }
}

// Three creatures the player may attack, 10 wide each like the player: the next is the next
// number within 1.9 grid cells (32 each) edge to edge, and past the last the lowest.
TEST_F(PlayerOperations, NextTargetStopsAtTheEdgeOfItsReachAndWraps)
{
    LoadRecruits({3, 5, 7, 0});
    Join();
    auto* house = dynamic_cast<PlayerCovenant*>(game->GetCovenant(hostPlayer->covenantIndex));
    ASSERT_NE(house, nullptr);
    for (int32_t slot : {0, 1, 2})
        StandBeside(house->GetRecruitActor(slot, hostPlayer), slot);
    Frames(3);
    std::vector<EntityClient*> creatures;
    for (int32_t slot : {0, 1, 2})
        creatures.push_back(gameClient->GetEntity(mirror->GetRecruit(slot)->entityNumber));
    std::sort(creatures.begin(), creatures.end(),
              [](const EntityClient* a, const EntityClient* b) { return a && b && a->entityNumber < b->entityNumber; });
    // Edge gaps of 60.7 (in), 60.9 (out) and 30 (in) against 1.9 x 32 = 60.8.
    const float centres[] = {80.7f, 80.9f, 50.0f};
    player->radius = 10.0f;
    for (size_t i = 0; i < creatures.size(); ++i) {
        ASSERT_NE(creatures[i], nullptr) << i;
        creatures[i]->isNpc = false;
        creatures[i]->covenantIndex = -1;
        creatures[i]->canAttack = true;
        creatures[i]->radius = 10.0f;
        creatures[i]->maxHealth = 100;
        creatures[i]->health = 100;
        creatures[i]->position = player->position;
        creatures[i]->position.x += centres[i];
    }
    // Hostile: what a click would attack; not a creature that cannot be attacked, nor an entity
    // that is no client entity.
    EXPECT_TRUE(player->IsHostileTo(*creatures[1]));
    creatures[1]->canAttack = false;
    EXPECT_FALSE(player->IsHostileTo(*creatures[1]));
    EXPECT_FALSE(player->IsHostileTo(EntityBase()));
    creatures[1]->canAttack = true;
    ExecuteCommandLine("nextTarget");
    EXPECT_EQ(player->GetInteractionTarget(), creatures[0]);
    ExecuteCommandLine("nextTarget");
    EXPECT_EQ(player->GetInteractionTarget(), creatures[2]) << "the one past the edge is passed over";
    ExecuteCommandLine("nextTarget");
    EXPECT_EQ(player->GetInteractionTarget(), creatures[0]) << "past the last, the lowest";
    // Out of play or dead: not a target, and not alive.
    creatures[2]->flags |= PlayerClient::kStatusStealthed;
    ExecuteCommandLine("nextTarget");
    EXPECT_EQ(player->GetInteractionTarget(), creatures[0]);
    EXPECT_FALSE(PlayerClient::IsAliveTarget(*creatures[2]));
    creatures[0]->health = 0;
    EXPECT_FALSE(PlayerClient::IsAliveTarget(*creatures[0]));
    creatures[0]->maxHealth = 0;
    EXPECT_TRUE(PlayerClient::IsAliveTarget(*creatures[0]));

    // A covenant's lifestone is chosen by the covenant's number; one without changes nothing.
    creatures[1]->isLifeStone = true;
    creatures[1]->canAttack = false;
    creatures[1]->covenantIndex = 5;
    ExecuteCommandLine("selectLifestone 4");
    EXPECT_EQ(player->GetInteractionTarget(), creatures[0]);
    ExecuteCommandLine("selectLifestone 5");
    EXPECT_EQ(player->GetInteractionTarget(), creatures[1]);
}

TEST_F(PlayerOperations, KnownGatesTheItemSetAndTheHints)
{
    Join();
    ItemPtrList& gates = player->GetItemList(0);
    gates.DeleteAll();
    gates.Add(0, 3);
    gates.Add(hostPlayer->position.level == 0 ? 1 : 0, 4);
    gates.Get(0)->flag = true;
    std::vector<ListEntry> rows;
    commands.CallInfoProc("getGateList", rows);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(player->GetKnownGateCount(), 2);
    EXPECT_EQ(rows[0].name, gWorld->GetLevelName(0));
    EXPECT_EQ(rows[1].value, "1");
    EXPECT_EQ(rows[0].enabled, 1);
    EXPECT_EQ(rows[1].enabled, 0);
    EXPECT_EQ(player->GetCurrentLevelGateFlag(hostPlayer->position.level), hostPlayer->position.level == 0);

    size_t before = app->GetQueuedLines().size();
    ExecuteCommandLine("switchItemSetClient");
    EXPECT_EQ(player->itemSet, 1);
    ASSERT_EQ(app->GetQueuedLines().size(), before + 1);
    EXPECT_EQ(app->GetQueuedLines().back(), "switchItemSet");
    ExecuteCommandLine("switchItemSetClient");
    EXPECT_EQ(player->itemSet, 0);

    ui.hintChain = {{"Welcome", "Walk"}, {"Walk", ""}, {"Alt", ""}};
    player->SetAllHintsSeen();
    for (int32_t hint = 0; hint < 3; ++hint)
        EXPECT_TRUE(player->HasHintBeenSeen(hint)) << hint;
    ui.shownHints.clear();
    player->ResetHints();
    EXPECT_FALSE(player->HasHintBeenSeen(2));
    EXPECT_EQ(ui.shownHints, std::vector<std::string>{"Welcome"});
}

// Each thing new on the ground that the player may pick up shows the first unseen hint of the
// "Alt" chain, money then the "Money" chain too; a creature and a thing already seen show none.
TEST_F(PlayerOperations, ThingsNewlySeenOnTheGroundTriggerThePickUpHints)
{
    Join();
    ui.hintChain = {{"Alt", ""}, {"Money", ""}};
    Frames(2);
    ui.shownHints.clear();
    struct Case {
        const char* record;
        std::vector<std::string> hints;
    };
    const Case cases[] = {
        {"OpsRing", {"Alt"}},
        {"OpsGold", {"Alt", "Money"}},
        {"OpsLetter", {"Alt"}},
        {nullptr, {}},
    };
    float step = 40.0f;
    for (const Case& c : cases) {
        WorldPos near = hostPlayer->position.Offset(Vector2{step, 0.0f});
        step += 40.0f;
        if (c.record) {
            auto item = std::make_unique<Item>();
            item->SetEntry(database.FindEntryByName(c.record));
            ASSERT_NE(ItemGround::Drop(near, item, true, true, false), nullptr) << c.record;
        } else {
            auto* wild = Spawn<Actor>(near.x, near.y, near.level);
            wild->SetUpFromMonsterType(gameData.FindMonsterType("MonsterOpsRecruit"), 2, false);
        }
        Frames(2);
        EXPECT_EQ(ui.shownHints, c.hints) << (c.record ? c.record : "a creature");
        ui.shownHints.clear();
        Frames(2);
        EXPECT_TRUE(ui.shownHints.empty()) << "seen again, " << (c.record ? c.record : "a creature");
    }
}
