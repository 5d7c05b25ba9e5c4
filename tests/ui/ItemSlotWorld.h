// ItemSlotWorld -- both halves in one process with the real player mirror, and a UI system whose menu of item slots is read from the temporary game folder; the client's queued request lines are what the slots asked of the world host.
#pragma once

#include "client/PlayerClientWorld.h"
#include "client/ItemClient.h"
#include "entities/Actor.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "render/TextEvents.h"
#include "server/ServerCommands.h"
#include "ui/ClientUiGameView.h"
#include "ui/UISystem.h"
#include "ui/UiWorld.h"
#include "ui/widgets/UIItemSlot.h"

#include <memory>
#include <string>
#include <vector>

class ItemSlotWorld : public PlayerClientWorld {
protected:
    static constexpr const char* kItemSlotRecords = R"(
Pebble
{
    Type Item
    ItemType Other
    MaxStack 5
    Value 4
}
Helm
{
    Type Item
    ItemType Head
    Value 30
}
Greathelm
{
    Type Item
    ItemType Head
    MinLevel 40
}
Satchel
{
    Type Item
    ItemType Bag
    BagSize 2
}
Pack
{
    Type Item
    ItemType Bag
    BagSize 4
}
Charm
{
    Type Item
    ItemType Other
    NoDrop 1
}
Tonic
{
    Type Item
    ItemType Drink
    CanBeUsed 1
    MaxStack 10
    ItemTimer 1
    ItemTimerTime 3
}
Jab
{
    Type Skill
    BaseCost 1
    MaxSkillLevel 3
}
Kick
{
    Type Skill
}
Almanac
{
    Type Item
    ItemType Tome
    TextFile "Text/almanac.txt"
}
)";

    // A salve that may be forced on another, and a townsman of no covenant to force it on.
    static constexpr const char* kFolkRecords = R"(
Salve
{
    Type Item
    ItemType Other
    CanForceUse 1
}
ArchetypeFolk
{
    Type MonsterArchetype
}
ActorFolk
{
    Type Actor
    Npc 1
}
MonsterFolk
{
    Type MonsterType
    Archetype ArchetypeFolk
    Definition ActorFolk
}
)";

    // The slots of the first carried bag in a row of 40-pixel cells from (0, 0), the head's
    // equipment place, the first bag row's slot and the stash's first cell below.
    static constexpr const char* kItemSlotMenu =
        "name Slots\nposition 0 0\n"
        "ItemSlot { internalName Cell0 inventorySlot Bag1 0 position 0 0 size 32 32 }\n"
        "ItemSlot { internalName Cell1 inventorySlot Bag1 1 position 40 0 size 32 32 }\n"
        "ItemSlot { internalName Cell2 inventorySlot Bag1 2 position 80 0 size 32 32 }\n"
        "ItemSlot { internalName Cell5 inventorySlot Bag1 5 position 200 0 size 32 32 }\n"
        "ItemSlot { internalName Head inventorySlot Equipment Head itemSlotType Head position 0 100 size 32 32 }\n"
        "ItemSlot { internalName BagRow inventorySlot Main 0 itemSlotType Bag position 0 200 size 32 32 }\n"
        "ItemSlot { internalName Stash0 inventorySlot Stash 0 position 0 300 size 32 32 }\n"
        "ItemSlot { internalName Far inventorySlot Bag9 0 position 100 300 size 32 32 }\n";

    ItemSlotWorld()
    {
        gTimerSystem = &clock;
        gInputSystem = &input;
        gTextEvents = &textEvents;
        clock.UpdateClock();
    }

    ~ItemSlotWorld() override
    {
        ui.reset();
        gUISystem = nullptr;
        gTextEvents = nullptr;
        gInputSystem = nullptr;
        gTimerSystem = nullptr;
    }

    // The world with the slot records, the join, roomy bags, and the menu pushed.
    void StartWithMenu(const std::string& menu = kItemSlotMenu, const std::string& moreTuning = "",
                       const std::string& moreRecords = "")
    {
        StartWorldOnly(moreTuning, kItemSlotRecords + moreRecords);
        // The game's start-up registers the clients' requests; this world starts without it.
        ServerCommands::Register(host->GetClientCommands());
        Join();
        hostPlayer->inventory->ResizeBag(InventoryGroupIndex::Main, 4);
        hostPlayer->inventory->ResizeBag(InventoryGroupIndex::Bag1, 6);
        hostPlayer->inventory->ResizeBag(InventoryGroupIndex::Stash, 4);
        folder.Write("Assets/UI/slots.mnu", menu);
        ui = std::make_unique<UISystem>();
        gUISystem = ui.get();
        ui->SetGameView(&view);
        ui->RegisterCommands();
        ui->PushMenuByName("Slots");
        Sync();
        // The level's name shown on arriving is nobody's answer to a slot: the messages are
        // counted from here.
        MessageBuffer none;
        none.WriteInt(0);
        none.SetReadPos(0);
        textEvents.LoadTextEvents(none, PlayerClient::kFileVersion, Vector2{});
    }

    // A townsman of the host's making a few steps from the player, once the client mirrors it.
    Actor* AddFolk()
    {
        auto* folk = Spawn<Actor>(hostPlayer->position.x + 60.0f, hostPlayer->position.y, hostPlayer->position.level);
        folk->SetUpFromMonsterType(gameData.FindMonsterType("MonsterFolk"), 2, false);
        Sync();
        EXPECT_NE(gameClient->GetEntity(folk->entityNumber), nullptr);
        return folk;
    }

    ItemBase* Give(const char* name, int32_t bag, int32_t slot)
    {
        std::unique_ptr<ItemBase> item = std::make_unique<Item>();
        item->SetEntryByName(name);
        ItemBase* raw = item.get();
        EXPECT_TRUE(hostPlayer->inventory->PlaceItem(item, bag, slot, kPlaceAnyGroup)) << name;
        return raw;
    }

    // Three frames: a queued line reaches the host, the host's next update reaches the client's
    // mirror, then the menus update.
    void Sync()
    {
        ClientFrame(0);
        ClientFrame(0);
        ClientFrame(0);
        ui->Update(0.0f);
    }

    // A press and a release of the button at the point, through the UI system as the input
    // glue hands them on.
    bool Press(int32_t x, int32_t y, int32_t button = 0)
    {
        input.cursorAt[0] = x;
        input.cursorAt[1] = y;
        input.UpdateCursor();
        bool taken = ui->HandleMouseButton(button, true, x, y);
        ui->HandleMouseButton(button, false, x, y);
        return taken;
    }

    std::vector<std::string> Queued() const
    {
        return {app->GetQueuedLines().begin(), app->GetQueuedLines().end()};
    }

    // How many times the message was put on screen.
    int32_t Shown(const std::string& text) const
    {
        int32_t count = 0;
        for (const TextEvents::Record& record : textEvents.GetRecords())
            count += record.text == text ? 1 : 0;
        return count;
    }

    UIItemSlot& Slot(const std::string& name) const
    {
        auto* slot = dynamic_cast<UIItemSlot*>(ui->FindWidgetByPath("Slots::" + name));
        if (!slot)
            throw std::runtime_error("no item slot " + name);
        return *slot;
    }

    ItemBase* HostAt(int32_t bag, int32_t slot) const { return hostPlayer->inventory->GetItem(bag, slot); }

    UiTestClock clock;
    UiTestInput input;
    TextEvents textEvents;
    ClientUiGameView view;
    std::unique_ptr<UISystem> ui;
};
