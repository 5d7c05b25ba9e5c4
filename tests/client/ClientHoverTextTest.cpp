// ClientHoverTextTest -- the text under the cursor for each kind of mirrored entity (the player, items by quality, money, quest items, chests, gates by destination, lifestones, toggle objects, creatures, NPCs and stashes), with and without the simple tips, and only monsters when any entity is not asked for.
#include "client/PlayerClientWorld.h"

#include "client/PlayerCovenantClient.h"
#include "core/ColorSystem.h"
#include "core/UserVarSystem.h"
#include "entities/Actor.h"
#include "rules/Formulas.h"

#include <memory>
#include <string_view>
#include <vector>

namespace {

constexpr const char* kClientHoverRecords = R"(
ArchetypeWolf
{
    Type MonsterArchetype
    CanAttack 1
}
ActorWolf
{
    Type Actor
}
MonsterWolf
{
    Type MonsterType
    Archetype ArchetypeWolf
    Definition ActorWolf
    Name "Wolf"
}
HoverSword
{
    Type Item
    Name "Plain Sword"
    ItemType HandPrimary
}
HoverBlessedSword
{
    Type Item
    Base HoverSword
    Name "Blessed Sword"
}
HoverRelic
{
    Type Item
    Base HoverBlessedSword
    Name "Relic Sword"
}
HoverTome
{
    Type Item
    Name "Old Tome"
    ItemType Tome
}
HoverCoins
{
    Type Money
}
HoverToken
{
    Type QuestItem
    Name "Token"
}
HoverTarget
{
    Type Object
    QuestItemName "Fang"
}
HoverChest
{
    Type Chest
    Name "Crate"
    Color "Red"
}
HoverGate
{
    Type Object
    Gate 1
    UsableObject 1
    Name "Old Gate"
}
HoverSimpleGate
{
    Type Object
    Gate 1
    SimpleName 1
    Name "Arch"
    Desc " of stone"
}
HoverStone
{
    Type Object
    LifeStone 1
    Name "Lifestone"
}
HoverLever
{
    Type Object
    ToggleUsableObject 1
    Name "Lever"
}
HoverShelf
{
    Type Object
    Stash 1
    Bookshelf 1
    Name "Shelf"
}
)";

} // namespace

class ClientHoverText : public PlayerClientWorld {
protected:
    void SetUp() override
    {
        StartWorldOnly("ShowRightClickHint 1\nShowDescriptionHint 1\n", kClientHoverRecords);
        Join();
        gameClient->RegisterVars();
        mine.index = 2;
        player->SetCovenant(&mine);
        SetTips(true);
    }
    void TearDown() override { player->SetCovenant(nullptr); }

    // A creature made the host's way (the actor set up from its monster type) and mirrored; any
    // other kind a mirror of the record as its state record leaves it, kept by the test.
    EntityClient* Mirror(const char* recordName, float dx = 40.0f)
    {
        if (std::string_view(recordName) != "MonsterWolf") {
            made.push_back(std::make_unique<EntityClient>());
            EntityClient* entity = made.back().get();
            entity->Load(database.FindEntryByName(recordName));
            entity->entityNumber = 900 + static_cast<int32_t>(made.size());
            entity->position = hostPlayer->position;
            entity->maxHealth = 10;
            entity->health = 10;
            return entity;
        }
        auto* wolf = Spawn<Actor>(hostPlayer->position.x + dx, hostPlayer->position.y, hostPlayer->position.level);
        wolf->SetUpFromMonsterType(gameData.FindMonsterType("MonsterWolf"), 1, false);
        ClientFrame(50);
        ClientFrame(50);
        return gameClient->GetEntity(wolf->entityNumber);
    }

    static void SetTips(bool on) { gUserVarSystem->SetIntByName("ui_showSimpleTips", on ? 1 : 0); }
    static std::string Code(int32_t colour) { return ColorSystem::MakeColorCode(colour); }
    static std::string Hints(const std::string& lines) { return Code(8) + lines + Code(145); }

    PlayerCovenantClient mine;
    std::vector<std::unique_ptr<EntityClient>> made;
};

TEST_F(ClientHoverText, ThePlayerIsNamedAndTaggedAndOnlyMonstersAnswerWhenAnyEntityIsNotAsked)
{
    player->characterName = "Ada";
    const EntityClient* body = player->GetBody();
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body->GetHoverText(false, true, true), "Ada ($$YourCharacter$$)");
    EXPECT_EQ(body->GetHoverText(false, true, false), "Ada");
    EXPECT_EQ(body->GetHoverText(false, false, true), "($$YourCharacter$$)");

    EntityClient* chest = Mirror("HoverChest");
    EntityClient* sword = Mirror("HoverSword", 45.0f);
    EntityClient* gate = Mirror("HoverGate", 50.0f);
    EntityClient* wolf = Mirror("MonsterWolf", 55.0f);
    for (const EntityClient* other : {chest, sword, gate})
        EXPECT_EQ(other->GetHoverText(false, false, true), "");
    EXPECT_EQ(wolf->GetHoverText(true, false, true), "Wolf\n$$LevelAbrev$$ 1");
    EntityClient bare;
    EXPECT_EQ(bare.GetHoverText(false, true, true), "");
}

TEST_F(ClientHoverText, ThingsOnTheGroundShowQualityNamesMoneyAndQuestItemsWithPickUpHints)
{
    const std::string pickUp = Hints("\n$$LeftClickToPickUp$$\n$$HoldDownAltToSeeAllItemsOnGround$$");
    EntityClient* sword = Mirror("HoverBlessedSword");
    sword->itemQuality = 3;
    EXPECT_EQ(sword->GetHoverText(false, true, true),
              gameData.GetItemQualityColorCode(3) + "Blessed Sword" + Code(145) + pickUp);
    // Unique and Set take the name of the record they derive from; Artifact that of two steps up.
    sword->itemQuality = 6;
    EXPECT_EQ(sword->GetHoverText(true, true, true), gameData.GetItemQualityColorCode(6) + "Plain Sword" + Code(145));
    EntityClient* relic = Mirror("HoverRelic", 42.0f);
    relic->itemQuality = 7;
    EXPECT_EQ(relic->GetHoverText(true, true, true), gameData.GetItemQualityColorCode(7) + "Plain Sword" + Code(145));
    relic->itemQuality = 5;
    EXPECT_EQ(relic->GetHoverText(true, true, true), gameData.GetItemQualityColorCode(5) + "Blessed Sword" + Code(145));
    // A named quality without a base names nothing rather than reading past the chain.
    EntityClient* plain = Mirror("HoverSword", 43.0f);
    plain->itemQuality = 7;
    EXPECT_EQ(plain->GetHoverText(true, true, true), gameData.GetItemQualityColorCode(7) + Code(145));
    EntityClient* tome = Mirror("HoverTome", 44.0f);
    tome->itemQuality = 3;
    EXPECT_EQ(tome->GetHoverText(true, true, true), "^c000Old Tome" + Code(145));

    EntityClient* coins = Mirror("HoverCoins", 46.0f);
    coins->moneyAmount = 1234;
    EXPECT_EQ(coins->GetHoverText(false, true, true), FormatMoney(1234) + pickUp);

    EntityClient* token = Mirror("HoverToken", 48.0f);
    EXPECT_EQ(token->GetHoverText(true, true, true), "Token");
    token->questTarget = database.FindEntryByName("HoverTarget");
    token->questRecord = database.FindEntryByName("MonsterWolf");
    EXPECT_EQ(token->GetHoverText(true, true, true), "$$MonsterItemName~<Wolf@@Fang@@>~$$");
    // The player's own quest item adds the penalty line after the hints.
    token->questRecord = player->GetBody()->GetRecord();
    EXPECT_EQ(token->GetHoverText(false, true, true),
              "Fang" + pickUp + "\n$$PickupToReduceExperiencePenaltyByHalf$$");

    SetTips(false);
    EXPECT_EQ(sword->GetHoverText(false, true, true), gameData.GetItemQualityColorCode(6) + "Plain Sword" + Code(145));
    EXPECT_EQ(coins->GetHoverText(false, true, true), FormatMoney(1234));
    EXPECT_EQ(token->GetHoverText(false, true, true), "Fang");
}

TEST_F(ClientHoverText, ChestsAndGatesNameThemselvesByColourAndDestination)
{
    EntityClient* chest = Mirror("HoverChest");
    chest->isUsableObject = true;  // closed, as a closed chest's state word says
    const std::string red = Code(ColorType::Red);
    EXPECT_EQ(chest->GetHoverText(false, true, true), red + "Crate" + Hints("\n$$LeftClickToOpen$$"));
    chest->canAttack = true;
    EXPECT_EQ(chest->GetHoverText(false, true, true), red + "Crate" + Hints("\n$$LeftClickToBreak$$"));
    // Opened (or broken): named so, and nothing left to click for.
    chest->isUsableObject = false;
    EXPECT_EQ(chest->GetHoverText(false, true, true), red + "Crate $$ChestOpened$$");

    EntityClient* gate = Mirror("HoverGate", 50.0f);
    ASSERT_EQ(gate->position.level, 0);
    gate->gateDestination.level = -1;
    EXPECT_EQ(gate->GetHoverText(false, true, true), "$$CovenantGate$$" + Hints("\n$$LeftClickToUse$$"));
    gate->isTownGate = true;
    EXPECT_EQ(gate->GetHoverText(true, true, true), "$$TownGate$$");
    gate->gateDestination = WorldPos{0, 300.0f, 200.0f, true};
    EXPECT_EQ(gate->GetHoverText(true, true, true), "$$GateToHome$$");
    player->secondPoint = gate->gateDestination;
    EXPECT_EQ(gate->GetHoverText(true, true, true), "$$GateTo$$ " + gWorld->GetLevelName(0));
    // A destination level the world does not hold has an empty name.
    gate->gateDestination.level = 999;
    EXPECT_EQ(gate->GetHoverText(true, true, true), "$$GateXToY~<Old Gate@@@@>~$$");

    // On another level, a gate that does not know its destination wakes rather than carries.
    gate->position.level = 1;
    gate->gateDestination.level = -1;
    gate->gateDestinationKnown = false;
    EXPECT_EQ(gate->GetHoverText(false, true, true),
              gWorld->GetLevelName(1) + " $$Gate$$" + Hints("\n$$LeftClickToActivate$$"));
    SetTips(false);
    EXPECT_EQ(gate->GetHoverText(false, true, true), gWorld->GetLevelName(1) + " $$Gate$$");

    EntityClient* arch = Mirror("HoverSimpleGate", 52.0f);
    arch->gateDestination = WorldPos{3, 1.0f, 1.0f, true};
    EXPECT_EQ(arch->GetHoverText(false, true, true), "Arch of stone");
    EXPECT_EQ(arch->GetHoverText(true, true, true), "Arch");
}

TEST_F(ClientHoverText, LifestonesAndLeversKeepTheirHintsWithoutTips)
{
    SetTips(false);
    EntityClient* stone = Mirror("HoverStone");
    EXPECT_EQ(stone->GetHoverText(false, true, true), "Lifestone" + Hints("\n$$LeftClickToAttack$$"));
    stone->covenantIndex = mine.index;
    while (!gameClient->GetCovenant(mine.index, false))
        gameClient->GetCovenant(mine.index, true);
    EXPECT_EQ(stone->GetHoverText(false, true, true),
              "Lifestone\n" + gameClient->GetCovenantText(mine.index) + "\n$$SlowlyHealsCharactersWhenUsed$$" +
                  Hints("\n$$LeftClickToUse$$"));
    EXPECT_EQ(stone->GetHoverText(true, true, true), "Lifestone");
    EntityClient* lever = Mirror("HoverLever", 45.0f);
    EXPECT_EQ(lever->GetHoverText(false, true, true), "Lever" + Hints("\n$$LeftClickToUse$$"));
}

TEST_F(ClientHoverText, CreaturesShowNameRankAndOneActionHintThenTheTips)
{
    EntityClient* wolf = Mirror("MonsterWolf");
    wolf->rank = 3;
    wolf->level = 4;
    const std::string rankColour = gameData.GetMonsterRarityColorCode(3);
    const std::string name = rankColour + "$$Elite$$ Wolf\n$$LevelAbrev$$ 4 $$Elite$$";
    EXPECT_EQ(wolf->GetHoverText(true, true, true), name);
    // Built again into last frame's string, the text replaces what it held.
    std::string reused = "last frame's text, longer than the name";
    wolf->BuildHoverText(reused, true, true, true);
    EXPECT_EQ(reused, name);
    wolf->rank = 0;
    wolf->level = 0;
    wolf->BuildHoverText(reused, true, true, true);
    EXPECT_EQ(reused, "Wolf") << "no rank line, and no line break left for it";
    wolf->rank = 3;
    wolf->level = 4;
    EXPECT_EQ(wolf->GetHoverText(false, true, true),
              name + Code(8) + "\n$$LeftClickToAttack$$\n$$RightClickToSelectOnly$$" + Code(145));
    wolf->description = "A grey wolf.";
    wolf->questOffers = {1};
    EXPECT_EQ(wolf->GetHoverText(false, true, true), name + Code(8) +
                                                          "\n$$PressKeyForDescription$$\n$$LeftClickToTalk$$"
                                                          "\n$$RightClickToSelectOnly$$" +
                                                          Code(145));
    wolf->questOffers.clear();
    wolf->isVendor = true;
    wolf->isGambler = true;
    SetTips(false);
    // The action hint stays; the right-click tip follows the switch.
    EXPECT_EQ(wolf->GetHoverText(false, true, true),
              name + Code(8) + "\n$$PressKeyForDescription$$\n$$LeftClickToGamble$$" + Code(145));

    EntityClient* shelf = Mirror("HoverShelf", 45.0f);
    EXPECT_EQ(shelf->GetHoverText(false, true, true), "Shelf$$BookshelfDesc$$" + Code(8) + "\n$$LeftClickToOpen$$" + Code(145));
}

TEST_F(ClientHoverText, AnNpcInThePartyShowsItsHealKeysAndACovenantNpcItsCovenant)
{
    EntityClient* npc = Mirror("MonsterWolf");
    npc->isNpc = true;
    npc->npcType = 5;
    npc->displayName = "Orla";
    npc->covenantIndex = mine.index;
    while (!gameClient->GetCovenant(mine.index, false))
        gameClient->GetCovenant(mine.index, true);
    const std::string covenant = "\n" + gameClient->GetCovenantText(mine.index);
    const std::string tail = Code(8) + "\n$$LeftClickToTalk$$\n$$RightClickToSelectOnly$$" + Code(145);
    EXPECT_EQ(npc->GetHoverText(false, true, true), "Orla" + covenant + "\n$$DropFoodOfPotionOnRecruitToHeal$$" + tail);
    player->party = {-5, npc->entityNumber};
    EXPECT_EQ(npc->GetHoverText(false, true, true),
              "Orla" + covenant + "\n$$DropFoodOfPotionOnRecruitToHealShowKeys~<2@@7@@>~$$" + tail);
    EXPECT_EQ(npc->GetHoverText(true, true, true), "Orla");
}
