// RefusalsEndToEndTest -- what a player is told when a request does nothing, each through the real path (the console's lines, keys and clicks pushed through SDL, the world host's answer over the in-process datagrams): every answer names its reason.
#include "app/OffscreenShots.h"

#include "client/ClientMessages.h"
#include "client/EntityClient.h"
#include "core/UserVarSystem.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "render/TextEvents.h"
#include "render/WorldMap.h"
#include "rules/items/ItemFormulas.h"

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

class RefusalsEndToEnd : public NewWorldShotGame {
protected:
    // The line in the refusal place; empty when none shows.
    static std::string Told()
    {
        const TextEvents::Record* shown = gTextEvents ? gTextEvents->FindTextEvent(ClientMessages::kRefusalEventId) : nullptr;
        return shown ? shown->text : std::string();
    }

    void PressAt(int32_t x, int32_t y, uint8_t which)
    {
        PushMotion(x, y);
        Frames(1);
        ClickAt(x, y, which);
        Frames(3);
    }

    // A point of the open map's middle that lies far from every pin, so that a click there is
    // on no gate.
    static bool FindEmptyMapPoint(int32_t& x, int32_t& y)
    {
        for (y = 120; y < 360; y += 20)
            for (x = 120; x < 500; x += 20) {
                bool clear = true;
                for (const MapPin& pin : gWorldMap->GetPins()) {
                    Vector2 at = gWorldMap->MapPosition(pin.position.level, Vector2{pin.position.x, pin.position.y},
                                                        false, true);
                    clear = clear && std::hypot(at.x - static_cast<float>(x), at.y - static_cast<float>(y)) > 40.0f;
                }
                if (clear)
                    return true;
            }
        return false;
    }
};

} // namespace

// Each request that used to end in silence, or in a reason-less line, and the words it now gets.
TEST_F(RefusalsEndToEnd, EveryRefusalSaysWhy)
{
    Player* host = HostPlayer();
    ASSERT_EQ(GetIdentifyAllCost(*host->inventory), 0) << "a new character carries only known things";
    ASSERT_EQ(gUserVarSystem->GetStringByName("SelectedQuest"), "");
    int32_t emptyX = 0;
    int32_t emptyY = 0;
    struct Row {
        const char* what;
        std::function<void()> act;
        std::vector<const char*> told;
    };
    // The map opened by its key, a click on it where no pin is, and the map closed again.
    auto clickTheLookingMap = [&](uint8_t button) {
        Tap(SDL_SCANCODE_M);
        Frames(2);
        gTextEvents->RemoveAll();
        ASSERT_TRUE(FindEmptyMapPoint(emptyX, emptyY));
        PressAt(emptyX, emptyY, button);
        EXPECT_TRUE(Shown("WorldMap")) << "told, not closed";
        Tap(SDL_SCANCODE_M);
        Frames(2);
    };
    const Row rows[] = {
        {"identify all with nothing to identify", [&] { TypeOnConsole("serverCommand IdentifyAll"); },
         {"$$NothingToIdentify$$"}},
        {"take it on with nothing offered", [&] { TypeOnConsole("ClientAcceptQuest"); }, {"$$NoQuestToTakeOn$$"}},
        {"a right click on the map opened by its key", [&] { clickTheLookingMap(SDL_BUTTON_RIGHT); },
         {"$$WorldMapTravelFromGate$$"}},
        {"a left click on a level of the map opened by its key: it only looks",
         [&] { clickTheLookingMap(SDL_BUTTON_LEFT); }, {"$$WorldMapTravelFromGate$$"}},
        {"the covenant gate opening the map", [&] {
             ASSERT_NO_FATAL_FAILURE(OpenTheMapAtTheGate());
             Frames(1);
         }, {"$$WorldMapChooseGate$$"}},
        {"a right click on no gate of the travel map",
         [&] {
             ASSERT_TRUE(FindEmptyMapPoint(emptyX, emptyY));
             PressAt(emptyX, emptyY, SDL_BUTTON_RIGHT);
             ASSERT_EQ(gWorldMap->GetHoverIndex(), -1);
         },
         {"$$WorldMapNoGate"}},
        {"a left click on no gate of the travel map",
         [&] {
             gTextEvents->RemoveAll();
             PressAt(emptyX, emptyY, SDL_BUTTON_LEFT);
             EXPECT_TRUE(gWorldMap->IsTeleportMode()) << "the map stays open to choose again";
             Tap(SDL_SCANCODE_ESCAPE);
             Frames(2);
         },
         {"$$WorldMapNoGate"}},
        {"a skill used while stunned",
         [&] {
             host->AddStatusEffectByName("StatusEffectStunningBlow", host, 1);
             TypeOnConsole("serverCommand useSkill 0 0 -1 0 0 0");
             Frames(3);
         },
         {"$$BlockedBy", "$$StatusEffectStunningBlow$$"}},
        {"a shield the hero may not wear before level 2, dropped on its place",
         [&] {
             std::unique_ptr<ItemBase> buckler = std::make_unique<Item>();
             buckler->SetEntry(gDatabase->FindEntryByName("OakBuckler"));
             ASSERT_TRUE(host->inventory->PlaceItem(buckler, InventoryGroupIndex::Bag1, 5, 0));
             Frames(4);
             Tap(SDL_SCANCODE_I);
             gTextEvents->RemoveAll();
             ClickOn(*gUISystem->FindWidgetByPath("Inventory::Bag1Cell5"));
             ClickOn(*gUISystem->FindWidgetByPath("Inventory::HandSecondary"));
             Frames(4);
             ASSERT_NE(host->inventory->GetItem(InventoryGroupIndex::Bag1, 5), nullptr) << "back in the pack";
             EXPECT_EQ(host->inventory->GetItem(InventoryGroupIndex::Equipment, EquipedLocation::HandSecondary), nullptr);
         },
         {"$$TooltipRequiredLevel"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        row.act();
        Frames(3);
        std::string told = Told();
        for (const char* words : row.told)
            EXPECT_NE(told.find(words), std::string::npos) << told;
    }
}
