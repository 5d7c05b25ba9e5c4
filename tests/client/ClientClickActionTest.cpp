// ClientClickActionTest -- what a click on each kind of entity offers the local player: things on the ground, chests, NPCs by covenant and quest state, gates by the player's gate record, creatures by stealth and treaty, toggle objects in use; out of reach only nothing, attack or walk up.
#include "client/PlayerClientWorld.h"

#include "client/PlayerCovenantClient.h"
#include "core/Database.h"
#include "core/UserVarSystem.h"

#include <memory>

namespace {

constexpr const char* kClientClickRecords = R"(
ClickPebble
{
    Type Item
    Name "Pebble"
}
ClickCoins
{
    Type Money
}
ClickBox
{
    Type Chest
}
ClickSpikes
{
    Type Trap
}
ClickStone
{
    Type Object
}
)";

// Modes the answers name.
constexpr int32_t kNone = 0;
constexpr int32_t kAttack = 2;
constexpr int32_t kWalkUp = 4;

// A mirror whose movement value the test sets as a creature block would.
class ClickEntity : public EntityClient {
public:
    void SetMovement(float value) { serverFloat = value; }
};

class ClientClickAction : public PlayerClientWorld {
protected:
    void SetUp() override
    {
        StartWorldOnly("", kClientClickRecords);
        mine.index = 2;
        player->SetCovenant(&mine);
    }
    void TearDown() override { player->SetCovenant(nullptr); }

    std::unique_ptr<ClickEntity> Make(const char* recordName)
    {
        auto entity = std::make_unique<ClickEntity>();
        entity->Load(database.FindEntryByName(recordName));
        entity->entityNumber = 900;
        entity->maxHealth = 10;
        entity->health = 10;
        entity->netSolid = true;
        return entity;
    }

    std::unique_ptr<ClickEntity> Npc()
    {
        auto npc = Make("ClickStone");
        npc->isNpc = true;
        return npc;
    }

    // The covenant of that index holds the treaty state toward the player's covenant.
    void SetTreaty(int32_t covenant, int32_t state)
    {
        // The update makes covenants in index order.
        while (!gameClient->GetCovenant(covenant, false))
            gameClient->GetCovenant(covenant, true);
        gameClient->GetCovenant(covenant, false)->SetTreatyState(mine.index, state);
    }

    PlayerCovenantClient mine;
};

TEST_F(ClientClickAction, HiddenThingsAndThePlayersOwnBodyAreNeverActedOn)
{
    auto monster = Make("ClickStone");
    monster->canAttack = true;
    EXPECT_EQ(monster->GetClickAction(true, true), kAttack);
    monster->flags |= EntityBase::kFlagHidden;
    for (bool reach : {true, false})
        for (bool stealth : {true, false})
            EXPECT_EQ(monster->GetClickAction(reach, stealth), kNone);
    auto body = Make("ClickStone");
    body->canAttack = true;
    body->isPlayerBody = true;
    EXPECT_EQ(body->GetClickAction(true, true), kNone);
}

TEST_F(ClientClickAction, GroundThingsArePickedUpOnceShownAndMoneyAtOnce)
{
    auto pebble = Make("ClickPebble");
    EXPECT_EQ(pebble->GetClickAction(true, false), 23);
    EXPECT_EQ(pebble->GetClickAction(false, false), kWalkUp);
    pebble->entityAlpha = 0.99f;
    EXPECT_EQ(pebble->GetClickAction(true, false), kNone) << "still fading in";
    auto coins = Make("ClickCoins");
    coins->entityAlpha = 0.5f;
    EXPECT_EQ(coins->GetClickAction(true, false), 23);
    EXPECT_EQ(coins->GetClickAction(false, false), kWalkUp);
}

TEST_F(ClientClickAction, ChestsBreakFromAfarOpenInReachAndIgnoreAClearedStateByte)
{
    auto chest = Make("ClickBox");
    chest->isUsableObject = true;
    EXPECT_EQ(chest->GetClickAction(false, false), kWalkUp);
    EXPECT_EQ(chest->GetClickAction(true, false), 19);
    chest->canAttack = true;
    EXPECT_EQ(chest->GetClickAction(false, false), kAttack);
    chest->isUsableObject = false;
    EXPECT_EQ(chest->GetClickAction(true, false), kNone);
    auto trap = Make("ClickSpikes");
    trap->canAttack = true;
    EXPECT_EQ(trap->GetClickAction(true, true), kNone);
}

TEST_F(ClientClickAction, NpcsAnswerByWarCovenantQuestsAndParty)
{
    auto npc = Npc();
    EXPECT_EQ(npc->GetClickAction(true, false), 5) << "a free NPC talks";
    EXPECT_EQ(npc->GetClickAction(false, false), kWalkUp);
    npc->givesQuests = true;
    EXPECT_EQ(npc->GetClickAction(true, false), kWalkUp) << "a quest giver that cannot move";
    npc->SetMovement(1.0f);
    EXPECT_EQ(npc->GetClickAction(true, false), 24);
    // At war the answer is an attack whatever else holds.
    npc->covenantIndex = 5;
    SetTreaty(5, 2);
    EXPECT_EQ(npc->GetClickAction(false, false), kAttack);
    SetTreaty(5, 3);
    EXPECT_EQ(npc->GetClickAction(true, false), kAttack);
    SetTreaty(5, 1);
    EXPECT_EQ(npc->GetClickAction(true, false), 6) << "another covenant's NPC is not available";
    player->party.push_back(npc->entityNumber);
    EXPECT_EQ(npc->GetClickAction(true, false), 7);
    npc->covenantIndex = mine.index;
    EXPECT_EQ(npc->GetClickAction(true, false), 8);
    player->party.clear();
    EXPECT_EQ(npc->GetClickAction(true, false), 9);
}

TEST_F(ClientClickAction, RescueTargetsWaitUntilFullyShownAndVendorsTradeOrWalkUp)
{
    auto lost = Npc();
    lost->canBeRescued = true;
    lost->entityAlpha = 0.5f;
    EXPECT_EQ(lost->GetClickAction(true, false), kNone);
    lost->entityAlpha = 1.0f;
    EXPECT_EQ(lost->GetClickAction(true, false), 26);
    auto vendor = Npc();
    vendor->isVendor = true;
    EXPECT_EQ(vendor->GetClickAction(true, false), kWalkUp) << "a vendor that cannot move";
    vendor->SetMovement(1.0f);
    EXPECT_EQ(vendor->GetClickAction(true, false), 22);
    EXPECT_EQ(vendor->GetClickAction(false, false), kWalkUp);
}

TEST_F(ClientClickAction, GatesOpenTheMapForTheOwnCovenantElseAskTheGateRecord)
{
    auto gate = Make("ClickStone");
    gate->isGate = true;
    // A gate on screen stands on the level the world shows: the player's.
    gate->position.level = 3;
    player->position.level = 3;
    EXPECT_EQ(gate->GetClickAction(false, false), kWalkUp);
    EXPECT_EQ(gate->GetClickAction(true, false), 18) << "the player's record for level 3 is clear";
    player->GetItemList(0).Add(3, 0);
    player->GetItemList(0).Get(player->GetItemList(0).GetCount() - 1)->flag = true;
    EXPECT_EQ(gate->GetClickAction(true, false), 19);
    gate->covenantIndex = mine.index;
    EXPECT_EQ(gate->GetClickAction(true, false), 14);
}

// A gate near a level's edge is seen, and clicked, from the next level: its click and its hover
// ask the player's gate record of the gate's own level, not of the level the player stands on.
TEST_F(ClientClickAction, AGateAcrossALevelEdgeAnswersByTheRecordOfItsOwnLevel)
{
    gUserVarSystem->SetIntByName("ui_showSimpleTips", 1);
    auto gate = Make("ClickStone");
    gate->isGate = true;
    gate->isUsableObject = true;
    gate->gateDestinationKnown = false;
    gate->position.level = 4;
    struct Case {
        int32_t playerLevel;
        int32_t openLevel;
        int32_t mode;
        const char* hint;
    };
    for (Case c : {Case{3, 4, 19, "$$LeftClickToUse$$"}, Case{3, 3, 18, "$$LeftClickToActivate$$"},
                   Case{4, 4, 19, "$$LeftClickToUse$$"}, Case{5, 5, 18, "$$LeftClickToActivate$$"}}) {
        SCOPED_TRACE(testing::Message() << "standing on " << c.playerLevel << ", open " << c.openLevel);
        player->position.level = c.playerLevel;
        ItemPtrList& known = player->GetItemList(0);
        known.DeleteAll();
        known.Add(c.openLevel, 0);
        known.Get(0)->flag = true;
        EXPECT_EQ(gate->GetClickAction(true, false), c.mode);
        std::string hover = gate->GetHoverText(false, true, true);
        EXPECT_NE(hover.find(c.hint), std::string::npos) << hover;
    }
}

TEST_F(ClientClickAction, CreaturesAreAttackedUnlessStealthedPeacefulOrOffering)
{
    auto wolf = Make("ClickStone");
    wolf->canAttack = true;
    EXPECT_EQ(wolf->GetClickAction(true, false), kAttack);
    EXPECT_EQ(wolf->GetClickAction(false, false), kWalkUp);
    player->statusFlags |= PlayerClient::kStatusStealthed;
    EXPECT_EQ(wolf->GetClickAction(true, false), kWalkUp);
    EXPECT_EQ(wolf->GetClickAction(true, true), kAttack);
    player->statusFlags = 0;
    // A guard of a covenant at peace opens its house instead.
    wolf->covenantIndex = 4;
    SetTreaty(4, 1);
    EXPECT_EQ(wolf->GetClickAction(true, true), 17);
    SetTreaty(4, 2);
    EXPECT_EQ(wolf->GetClickAction(true, true), kAttack);
    wolf->covenantIndex = -1;
    wolf->questOffers = {1};
    EXPECT_EQ(wolf->GetClickAction(true, true), 24);
    wolf->health = 0;
    EXPECT_EQ(wolf->GetClickAction(true, true), kNone) << "the dead are not acted on";
}

TEST_F(ClientClickAction, LifestonesAndToggleObjectsAndTheOwnCovenantsThings)
{
    auto stone = Make("ClickStone");
    stone->isLifeStone = true;
    stone->covenantIndex = mine.index;
    EXPECT_EQ(stone->GetClickAction(true, false), 19);
    stone->covenantIndex = 7;
    SetTreaty(7, 1);
    EXPECT_EQ(stone->GetClickAction(true, false), kAttack);
    auto lever = Make("ClickStone");
    lever->isToggleUsableObject = true;
    EXPECT_EQ(lever->GetClickAction(true, false), 20);
    player->SetTarget(lever.get(), false);
    player->interactionMode = 20;
    EXPECT_EQ(lever->GetClickAction(true, false), 21) << "the lever the player already pulls";
    player->SetTarget(nullptr, false);
    lever->useOnlyWhenSolid = true;
    lever->netSolid = false;
    EXPECT_EQ(lever->GetClickAction(true, false), kNone);
    auto wall = Make("ClickStone");
    EXPECT_EQ(wall->GetClickAction(true, false), kNone) << "a solid object of no covenant";
    wall->covenantIndex = mine.index;
    EXPECT_EQ(wall->GetClickAction(true, false), 16);
    wall->netSolid = false;
    EXPECT_EQ(wall->GetClickAction(true, false), kNone);
}

TEST_F(ClientClickAction, OutOfReachTheAnswerIsOnlyNothingAttackOrWalkUp)
{
    SetTreaty(5, 1);
    bool EntityClient::*kinds[] = {&EntityClient::isNpc,     &EntityClient::isVendor,   &EntityClient::canAttack,
                                   &EntityClient::isStash,   &EntityClient::isPedestal, &EntityClient::isNpcList,
                                   &EntityClient::isGate,    &EntityClient::isLifeStone,
                                   &EntityClient::isToggleUsableObject, &EntityClient::givesQuests,
                                   &EntityClient::canBeRescued, &EntityClient::canBeEscorted};
    for (const char* recordName : {"ClickPebble", "ClickCoins", "ClickBox", "ClickSpikes", "ClickStone"})
        for (bool EntityClient::*kind : kinds)
            for (int32_t covenant : {-1, 2, 5}) {
                auto entity = Make(recordName);
                (*entity).*kind = true;
                entity->isUsableObject = true;
                entity->covenantIndex = covenant;
                entity->SetMovement(1.0f);
                for (bool stealth : {true, false}) {
                    int32_t answer = entity->GetClickAction(false, stealth);
                    EXPECT_TRUE(answer == kNone || answer == kAttack || answer == kWalkUp)
                        << recordName << " covenant " << covenant << " answered " << answer;
                }
            }
}

TEST_F(ClientClickAction, CreaturesArePickedBeforeGroundThingsAndItemsAreDroppedOnFriendsAndTheNeutral)
{
    auto wolf = Make("ClickStone");
    auto pebble = Make("ClickPebble");
    auto coins = Make("ClickCoins");
    EXPECT_GT(wolf->GetPickPriority(), pebble->GetPickPriority());
    EXPECT_EQ(pebble->GetPickPriority(), coins->GetPickPriority());
    EXPECT_GT(pebble->GetPickPriority(), 0.0f);
    wolf->entityAlpha = 0.0f;
    EXPECT_EQ(wolf->GetPickPriority(), 0.0f) << "a fully transparent entity is never picked";

    auto stranger = Make("ClickStone");
    EXPECT_TRUE(stranger->AcceptsDroppedItem()) << "no covenant";
    stranger->covenantIndex = 7;
    EXPECT_FALSE(stranger->AcceptsDroppedItem()) << "another covenant's";
    stranger->canBeEscorted = true;
    EXPECT_TRUE(stranger->AcceptsDroppedItem()) << "a quest target";
    stranger->canBeEscorted = false;
    stranger->flags |= 0x200;
    EXPECT_TRUE(stranger->AcceptsDroppedItem());
    stranger->flags = 0;
    stranger->covenantIndex = mine.index;
    EXPECT_TRUE(stranger->AcceptsDroppedItem());
}

TEST_F(ClientClickAction, HelpLabelsNameThingsToTakeAndUseInObjectsModeAndLivingMonstersOtherwise)
{
    auto pebble = Make("ClickPebble");
    EXPECT_TRUE(pebble->ShouldShowHelp(true));
    EXPECT_FALSE(pebble->ShouldShowHelp(false));
    pebble->entityAlpha = 0.5f;
    EXPECT_FALSE(pebble->ShouldShowHelp(true)) << "an item still fading in";
    auto coins = Make("ClickCoins");
    coins->entityAlpha = 0.5f;
    EXPECT_TRUE(coins->ShouldShowHelp(true));
    coins->flags |= 0x1;
    EXPECT_FALSE(coins->ShouldShowHelp(true));

    auto chest = Make("ClickBox");
    EXPECT_TRUE(chest->ShouldShowHelp(true));
    chest->netSolid = false;
    EXPECT_FALSE(chest->ShouldShowHelp(true));
    auto lever = Make("ClickStone");
    lever->isToggleUsableObject = true;
    lever->useOnlyWhenSolid = true;
    EXPECT_TRUE(lever->ShouldShowHelp(true));
    lever->netSolid = false;
    EXPECT_FALSE(lever->ShouldShowHelp(true));
    auto gate = Make("ClickStone");
    EXPECT_FALSE(gate->ShouldShowHelp(true));
    gate->isGate = true;
    EXPECT_TRUE(gate->ShouldShowHelp(true));
    gate->hideFromMiniMap = true;
    EXPECT_FALSE(gate->ShouldShowHelp(true));
    gate->showsAltHelp = true;
    EXPECT_TRUE(gate->ShouldShowHelp(true));
    EXPECT_FALSE(gate->ShouldShowHelp(false)) << "not a monster";
}

} // namespace
