// Item slots over the client's mirror of a joined player: the request lines their clicks queue for the world host, the refusals they show, and their tooltips.
#include "ui/ItemSlotWorld.h"

#include "client/ClientApp.h"
#include "client/ScreenConversion.h"
#include "core/DatabaseEntry.h"
#include "core/LocSystem.h"

#include <cmath>

namespace {

using Lines = std::vector<std::string>;

class ItemSlotRequests : public ItemSlotWorld {};
class ItemSlotTooltip : public ItemSlotWorld {};

} // namespace

// ---- Moving ----

TEST_F(ItemSlotRequests, APickUpAndADropOnAnEmptyCellMoveTheItemThroughTheHost)
{
    StartWithMenu();
    Give("Pebble", InventoryGroupIndex::Bag1, 0);
    Sync();
    EXPECT_TRUE(Press(10, 10));
    EXPECT_EQ(ui->dragWidget, &Slot("Cell0"));
    EXPECT_TRUE(Queued().empty());
    EXPECT_TRUE(Press(210, 10));
    EXPECT_EQ(Queued(), Lines({"moveItem 2 0 2 5"}));
    EXPECT_EQ(ui->dragWidget, nullptr);
    Sync();
    EXPECT_EQ(player->GetInventory().GetItem(InventoryGroupIndex::Bag1, 0), nullptr);
    EXPECT_EQ(HostAt(InventoryGroupIndex::Bag1, 0), nullptr);
    ASSERT_NE(HostAt(InventoryGroupIndex::Bag1, 5), nullptr);
    EXPECT_EQ(Slot("Cell5").shownDefinition, HostAt(InventoryGroupIndex::Bag1, 5)->GetEntry());
    EXPECT_EQ(Slot("Cell0").shownDefinition, nullptr);
}

TEST_F(ItemSlotRequests, AHelmDroppedOnTheHeadIsWornAndAPebbleIsRefusedByItsSlotType)
{
    StartWithMenu();
    Give("Helm", InventoryGroupIndex::Bag1, 0);
    Give("Pebble", InventoryGroupIndex::Bag1, 1);
    Sync();
    Press(50, 10);
    Press(10, 110);
    EXPECT_TRUE(Queued().empty());
    EXPECT_EQ(Shown("$$SlotCanOnlyHold$$ $$HeadOnlyHold$$!"), 1);
    EXPECT_EQ(ui->dragWidget, nullptr);
    Press(10, 10);
    Press(10, 110);
    EXPECT_EQ(Queued(), Lines({"moveItem 2 0 1 0"}));
    Sync();
    EXPECT_NE(HostAt(InventoryGroupIndex::Equipment, EquipedLocation::Head), nullptr);
}

// Refused by the place it would be worn in, either way round (dropped on the head, or a worn helm
// dropped on the cell that holds it, which would swap it in): the refusal names the level it needs.
TEST_F(ItemSlotRequests, AHelmAboveThePlayersLevelIsRefusedNamingTheLevelItNeeds)
{
    StartWithMenu();
    Give("Greathelm", InventoryGroupIndex::Bag1, 0);
    Sync();
    const std::string needs = MakeLocToken("TooltipRequiredLevel", "%d", 40);
    Press(10, 10);
    Press(10, 110);
    EXPECT_TRUE(Queued().empty());
    EXPECT_EQ(Shown(needs), 1);
    Give("Helm", InventoryGroupIndex::Equipment, EquipedLocation::Head);
    Sync();
    textEvents.RemoveAll();
    Press(10, 110);
    Press(10, 10);
    EXPECT_TRUE(Queued().empty());
    EXPECT_EQ(Shown(needs), 1) << "the swap that would wear it";
}

// A two-handed weapon and a shield would share the hands, whichever is taken up second; a worn
// sword or ring the wearer has fallen short of since, moved to the other hand or ring, is worn
// anew: each drop says why and asks the host nothing.
TEST_F(ItemSlotRequests, AHandOrRingThatCannotWearTheItemRefusesItSayingWhy)
{
    const std::string hands = "ItemSlot { internalName Main inventorySlot Equipment HandPrimary itemSlotType HandPrimary "
                              "position 0 400 size 32 32 }\n"
                              "ItemSlot { internalName Off inventorySlot Equipment HandSecondary itemSlotType "
                              "HandSecondary position 40 400 size 32 32 }\n"
                              "ItemSlot { internalName Ring1 inventorySlot Equipment Ring1 itemSlotType Ring "
                              "position 80 400 size 32 32 }\n"
                              "ItemSlot { internalName Ring2 inventorySlot Equipment Ring2 itemSlotType Ring "
                              "position 120 400 size 32 32 }\n";
    StartWithMenu(kItemSlotMenu + hands, "",
                  "Maul\n{\n    Type Item\n    ItemType HandBoth\n}\nBuckler\n{\n    Type Item\n    ItemType HandSecondary\n}\n"
                  "Sword\n{\n    Type Item\n    ItemType HandEither\n    RequiredStrength 500\n}\n"
                  "Band\n{\n    Type Item\n    ItemType Ring\n    RequiredStrength 500\n}\n");
    const std::string shareHands = "$$CantEquip2HandedWeaponAndShield$$";
    const std::string strength = "$$TooltipRequiredStat~<500@@$$Strength$$@@>~$$";
    struct Case {
        const char* held;
        int32_t heldAt;
        const char* carried;  // in the bag's first cell, or none
        int fromX;
        int fromY;
        int toX;
        const std::string& said;
    };
    const Case cases[] = {
        {"Buckler", EquipedLocation::HandSecondary, "Maul", 10, 10, 10, shareHands},
        {"Maul", EquipedLocation::HandPrimary, "Buckler", 10, 10, 50, shareHands},
        {"Sword", EquipedLocation::HandPrimary, nullptr, 10, 410, 50, strength},
        {"Band", EquipedLocation::Ring1, nullptr, 90, 410, 130, strength},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.held);
        for (int32_t place : {EquipedLocation::HandPrimary, EquipedLocation::HandSecondary, EquipedLocation::Ring1})
            hostPlayer->inventory->DeleteAt(InventoryGroupIndex::Equipment, place);
        hostPlayer->inventory->DeleteAt(InventoryGroupIndex::Bag1, 0);
        Give(c.held, InventoryGroupIndex::Equipment, c.heldAt);
        if (c.carried)
            Give(c.carried, InventoryGroupIndex::Bag1, 0);
        Sync();
        textEvents.RemoveAll();
        Press(c.fromX, c.fromY);
        Press(c.toX, 410);
        EXPECT_TRUE(Queued().empty());
        EXPECT_EQ(Shown(c.said), 1);
        EXPECT_EQ(Shown(shareHands) + Shown(strength), 1) << "one reason, the right one";
    }
}

TEST_F(ItemSlotRequests, ABagNeverGoesIntoItsOwnContents)
{
    StartWithMenu();
    Give("Satchel", InventoryGroupIndex::Main, 0);
    Sync();
    Press(10, 210);
    ASSERT_EQ(ui->dragWidget, &Slot("BagRow"));
    Press(50, 10);
    EXPECT_TRUE(Queued().empty());
    EXPECT_EQ(Shown("$$CantMoveItemHere$$"), 1);
}

TEST_F(ItemSlotRequests, AFullBagRefusesAnItemFromOutsideButTakesOneFromInside)
{
    StartWithMenu();
    Give("Satchel", InventoryGroupIndex::Main, 0);
    for (int32_t cell = 0; cell < 6; ++cell)
        Give("Pebble", InventoryGroupIndex::Bag1, cell);
    Give("Helm", InventoryGroupIndex::Equipment, EquipedLocation::Head);
    Sync();
    Press(10, 110);
    Press(10, 210);
    EXPECT_EQ(Shown("$$BagIsFull$$"), 1);
    EXPECT_TRUE(Queued().empty());
    EXPECT_EQ(ui->dragWidget, &Slot("Head"));  // a refusal leaves the item in hand
    Press(600, 400);
    Queued();
    Press(10, 10);
    Press(10, 210);  // from inside the bag: taken, then refused only by the bag row's type
    EXPECT_EQ(Shown("$$SlotCanOnlyHold$$ $$BagOnlyHold$$!"), 1);
    EXPECT_EQ(Queued(), Lines({"dropItem 1 0"}));
}

TEST_F(ItemSlotRequests, ABagWithItemsCannotBePickedUp)
{
    StartWithMenu();
    Give("Satchel", InventoryGroupIndex::Main, 0);
    Give("Pebble", InventoryGroupIndex::Bag1, 0);
    Sync();
    Press(10, 210);
    EXPECT_EQ(ui->dragWidget, nullptr);
    EXPECT_EQ(Shown("$$CantPickupBagsWithItems$$"), 1);
}

// An item that may be forced on another is given to the thing it is let go over when that thing
// would take it (one of no covenant here), and dropped at the player's feet when it would not (one
// of another covenant).
TEST_F(ItemSlotRequests, AnItemLetGoOverWhatWouldTakeItIsForcedOnItAndElseDropped)
{
    StartWithMenu(kItemSlotMenu, "", R"(
Salve
{
    Type Item
    ItemType Other
    CanForceUse 1
}
DropPost
{
    Type Object
    Radius 30
    ToggleUsableObject 1
}
)");
    Give("Salve", InventoryGroupIndex::Bag1, 0);
    Give("Salve", InventoryGroupIndex::Bag1, 1);
    auto* post = new Entity();
    post->SetEntry(database.FindEntryByName("DropPost"));
    post->SetPosition(hostPlayer->position.Offset(Vector2{120.0f, 120.0f}));
    post->covenantIndex = 5;
    ASSERT_NE(game->AddEntity(post), -1);
    Sync();
    const EntityClient* shown = gameClient->GetEntity(post->entityNumber);
    ASSERT_NE(shown, nullptr);
    // Where the client shows the post, only read to decide where to let go.
    Vector2 at = Client::WorldToScreen(shown->position, true);
    auto x = static_cast<int32_t>(std::lround(at.x));
    auto y = static_cast<int32_t>(std::lround(at.y - 20.0f));
    auto letGoOverThePost = [&](int32_t cellX) {
        Press(cellX, 10);
        input.cursorAt[0] = x;
        input.cursorAt[1] = y;
        input.UpdateCursor();
        ClientFrame(0);
        ASSERT_EQ(gClientApp->GetHoverEntity(), shown);
        Press(x, y);
    };
    letGoOverThePost(50);
    EXPECT_EQ(Queued(), Lines({"dropItem 2 1"})) << "another covenant's takes nothing";
    post->covenantIndex = -1;
    Sync();
    ASSERT_EQ(shown->covenantIndex, -1);
    letGoOverThePost(10);
    EXPECT_EQ(Queued(), Lines({"forceUse " + std::to_string(post->entityNumber) + " 2 0"}));
}

// An item let go over the portrait of the player's party member is forced on that member: the
// slot takes the drop, the request names the member, and the drag ends.
TEST_F(ItemSlotRequests, AnItemLetGoOverAPartyMembersPortraitIsForcedOnTheMember)
{
    StartWithMenu(std::string(kItemSlotMenu) + "Widget { internalName Member entityType PartyMember entityIndex 0 "
                                               "canClick 1 position 300 100 size 32 32 }\n",
                  "", kFolkRecords);
    Give("Salve", InventoryGroupIndex::Bag1, 0);
    Actor* folk = AddFolk();
    // The party as the player's part of the update would bring it.
    player->party = {folk->entityNumber};
    Press(10, 10);
    ASSERT_EQ(ui->dragWidget, &Slot("Cell0"));
    EXPECT_TRUE(Press(310, 110));
    EXPECT_EQ(Queued(), Lines({"forceUse " + std::to_string(folk->entityNumber) + " 2 0"}));
    EXPECT_EQ(ui->dragWidget, nullptr);
}

TEST_F(ItemSlotRequests, AnItemThatMustStayIsNeitherStashedNorDropped)
{
    StartWithMenu();
    Give("Charm", InventoryGroupIndex::Bag1, 0);
    Sync();
    Press(10, 10);
    Press(10, 310);
    EXPECT_EQ(Shown("$$ItemMustStayInInventory$$"), 1);
    Press(10, 10);
    EXPECT_TRUE(Press(600, 400));
    EXPECT_EQ(Shown("$$CantDropItem$$"), 1);
    EXPECT_TRUE(Queued().empty());
    EXPECT_EQ(ui->dragWidget, nullptr);
}

TEST_F(ItemSlotRequests, APressOutsideEveryMenuDropsTheDraggedItem)
{
    StartWithMenu();
    Give("Pebble", InventoryGroupIndex::Bag1, 2);
    Sync();
    Press(90, 10);
    EXPECT_TRUE(Press(600, 400));
    EXPECT_EQ(Queued(), Lines({"dropItem 2 2"}));
    EXPECT_EQ(ui->dragWidget, nullptr);
    Sync();
    EXPECT_EQ(HostAt(InventoryGroupIndex::Bag1, 2), nullptr);
}

TEST_F(ItemSlotRequests, AnEmptyCellAndAnOnlyDropSlotAreNeverPickedUp)
{
    StartWithMenu(std::string(kItemSlotMenu) +
                  "ItemSlot { internalName Sink inventorySlot Bag1 4 onlyDrop 1 position 160 0 size 32 32 }\n");
    Give("Pebble", InventoryGroupIndex::Bag1, 4);
    Sync();
    Press(50, 10);
    EXPECT_EQ(ui->dragWidget, nullptr);
    Press(170, 10);
    EXPECT_EQ(ui->dragWidget, nullptr);
    EXPECT_TRUE(Queued().empty());
    EXPECT_EQ(textEvents.GetRecords().size(), 0u);
}

TEST_F(ItemSlotRequests, ACellOutsideTheInventoryShowsAndSendsNothing)
{
    StartWithMenu(std::string(kItemSlotMenu) +
                  "ItemSlot { internalName Past inventorySlot Bag1 99 position 300 0 size 32 32 }\n");
    Give("Pebble", InventoryGroupIndex::Bag1, 0);
    Sync();
    EXPECT_EQ(Slot("Past").GetItem(), nullptr);
    EXPECT_EQ(Slot("Far").group, InventoryGroupIndex::Main);  // an unknown group name reads as Main
    Press(10, 10);
    Press(310, 10);
    EXPECT_TRUE(Queued().empty());
    EXPECT_EQ(ui->dragWidget, &Slot("Cell0"));
}

// ---- Using ----

TEST_F(ItemSlotRequests, ARightClickUsesATonicButNotOneLyingInTheStash)
{
    StartWithMenu();
    Give("Tonic", InventoryGroupIndex::Bag1, 1);
    Give("Tonic", InventoryGroupIndex::Stash, 0);
    Sync();
    Press(10, 310, 1);
    EXPECT_TRUE(Queued().empty());
    Press(50, 10, 1);
    EXPECT_EQ(Queued(), Lines({"useItem 2 1"}));
}

TEST_F(ItemSlotRequests, EitherButtonUsesWhenTheTuningSaysSo)
{
    StartWithMenu(kItemSlotMenu, "EitherButtonToUseItem 1");
    Give("Tonic", InventoryGroupIndex::Bag1, 1);
    Sync();
    Press(50, 10);
    EXPECT_EQ(Queued(), Lines({"useItem 2 1"}));
    EXPECT_EQ(ui->dragWidget, nullptr);
}

TEST_F(ItemSlotRequests, ATomeOpensTheStoryScreenWithItsText)
{
    folder.Write("Assets/UI/story.mnu", "name Story\n");
    StartWithMenu();
    Give("Almanac", InventoryGroupIndex::Bag1, 0);
    Give("Tonic", InventoryGroupIndex::Bag1, 1);
    Sync();
    // The slot's text is its item's text file: the tome's, nothing for a tonic or an empty cell.
    const std::pair<const char*, const char*> texts[] = {
        {"Cell0", "Text/almanac.txt"}, {"Cell1", ""}, {"Cell2", ""}};
    for (const auto& [cell, text] : texts) {
        EXPECT_EQ(Slot(cell).GetText(), text) << cell;
        EXPECT_EQ(Slot(cell).GetLocationText(), text) << cell;
    }
    Press(10, 10, 1);
    EXPECT_TRUE(Queued().empty());
    EXPECT_EQ(ui->currentTextFile, "Text/almanac.txt");
    EXPECT_EQ(ui->GetMenuStack().back(), ui->FindMenu("Story"));
}

TEST_F(ItemSlotRequests, ABagRowsRightClickOpensItsBagMenu)
{
    folder.Write("Assets/UI/bag0.mnu", "name bag0\n");
    StartWithMenu();
    Give("Satchel", InventoryGroupIndex::Main, 0);
    Sync();
    Press(10, 210, 1);
    EXPECT_EQ(ui->GetMenuStack().back(), ui->FindMenu("bag0"));
}

// ---- Tooltips ----

TEST_F(ItemSlotTooltip, AnEmptySlotNamesWhatItHolds)
{
    StartWithMenu();
    std::string text;
    std::string title;
    EXPECT_TRUE(Slot("Head").GetHelpText(5, 105, text, title));
    EXPECT_EQ(text, "$$HeadItemSlot$$\n$$EmptySlotHolds$$ $$HeadOnlyHold$$");
    EXPECT_TRUE(Slot("Far").GetHelpText(105, 305, text, title));
    EXPECT_EQ(text, "$$GeneralItemSlot$$");
}

TEST_F(ItemSlotTooltip, AttachedToItsMenuAnEmptySlotShowsTheBlackCellUnlessItHidesWhenEmpty)
{
    StartWithMenu();
    for (bool hide : {false, true}) {
        UIItemSlot slot;
        slot.hideIfEmpty = hide;
        slot.AttachToMenu();
        EXPECT_EQ(slot.textureName, hide ? "" : "Textures/black.tga") << hide;
    }
}

TEST_F(ItemSlotTooltip, TheCoolDownLineCountsWholeSecondsLeft)
{
    StartWithMenu();
    Give("Tonic", InventoryGroupIndex::Bag1, 0);
    Sync();
    std::string title;
    std::string plain;
    ASSERT_TRUE(Slot("Cell0").GetHelpText(5, 5, plain, title));
    ASSERT_GE(plain.size(), 10u);
    EXPECT_EQ(plain.substr(plain.size() - 10), "^c001^c145");  // no time left: the two codes alone
    RandomTimer* timer = player->GetItemTimer(1);
    ASSERT_NE(timer, nullptr);
    timer->running = true;
    timer->remaining = 0.4f;
    std::string one;
    Slot("Cell0").GetHelpText(5, 5, one, title);
    EXPECT_EQ(one, plain.substr(0, plain.size() - 10) + "^c001\n$$CantUseForAnotherSecond$$^c145");
    timer->remaining = 2.2f;
    std::string three;
    Slot("Cell0").GetHelpText(5, 5, three, title);
    EXPECT_EQ(three, plain.substr(0, plain.size() - 10) + "^c001\n$$CantUseForAnotherXSeconds~<3@@>~$$^c145");
}

TEST_F(ItemSlotTooltip, TheItemsOwnDescriptionComesFirst)
{
    StartWithMenu();
    Give("Helm", InventoryGroupIndex::Bag1, 0);
    Sync();
    std::string text;
    std::string title;
    ASSERT_TRUE(Slot("Cell0").GetHelpText(5, 5, text, title));
    std::string built;
    const auto* item = Slot("Cell0").GetItem();
    ASSERT_NE(item, nullptr);
    ItemTooltipOptions options;
    options.viewerStats = player->GetStats();
    item->BuildTooltip(options, built);
    EXPECT_EQ(text, built);
}

// ---- Buying ----

TEST_F(ItemSlotRequests, AVendorsOfferIsBoughtOnlyWithTheMoneyForIt)
{
    StartWithMenu(std::string(kItemSlotMenu) +
                  "ItemSlot { internalName Offer inventorySlot Loot 0 vendorSlot 1 position 300 300 size 32 32 }\n");
    hostPlayer->inventory->ResizeBag(InventoryGroupIndex::Loot, 2);
    Give("Helm", InventoryGroupIndex::Loot, 0);
    Sync();
    Press(310, 310, 1);
    EXPECT_EQ(Shown("$$CantAffordItem$$"), 1);
    EXPECT_TRUE(Queued().empty());
    hostPlayer->stats.Set(CharacterStat::Money, 29);
    Sync();
    Press(310, 310, 1);
    EXPECT_TRUE(Queued().empty()) << "one short of the helm's value";
    hostPlayer->stats.Set(CharacterStat::Money, 30);
    Sync();
    Press(310, 310, 1);
    EXPECT_EQ(Queued(), Lines({"buyItem 15 0"}));
}

TEST_F(ItemSlotRequests, WithoutATraderTheLootCannotBePickedUp)
{
    StartWithMenu(std::string(kItemSlotMenu) +
                  "ItemSlot { internalName Offer inventorySlot Loot 0 vendorSlot 1 position 300 300 size 32 32 }\n");
    hostPlayer->inventory->ResizeBag(InventoryGroupIndex::Loot, 2);
    Give("Helm", InventoryGroupIndex::Loot, 0);
    hostPlayer->stats.Set(CharacterStat::Money, 100);
    Sync();
    Press(310, 310);
    EXPECT_EQ(ui->dragWidget, nullptr);
    EXPECT_EQ(Shown("$$CantTakeThisItem$$"), 1);
    EXPECT_TRUE(Queued().empty());
}

TEST_F(ItemSlotRequests, SellHighlightedItemBuysTheOfferUnderTheCursor)
{
    StartWithMenu(std::string(kItemSlotMenu) +
                  "ItemSlot { internalName Offer inventorySlot Loot 0 vendorSlot 1 position 300 300 size 32 32 }\n");
    hostPlayer->inventory->ResizeBag(InventoryGroupIndex::Loot, 2);
    Give("Helm", InventoryGroupIndex::Loot, 0);
    Give("Pebble", InventoryGroupIndex::Bag1, 0);
    hostPlayer->stats.Set(CharacterStat::Money, 100);
    Sync();
    input.cursorAt[0] = 10;
    input.cursorAt[1] = 10;
    input.UpdateCursor();
    ExecuteCommandLine("sellHighlightedItem");
    EXPECT_TRUE(Queued().empty()) << "nobody to sell the pebble to";
    input.cursorAt[0] = 310;
    input.cursorAt[1] = 310;
    input.UpdateCursor();
    ExecuteCommandLine("sellHighlightedItem");
    EXPECT_EQ(Queued(), Lines({"buyItem 15 0"}));
}
