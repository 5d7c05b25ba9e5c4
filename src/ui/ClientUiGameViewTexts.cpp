// ClientUiGameViewTexts -- what the widgets' texts read of the client's game: the classes of entities, the game clock against the adventure's times, the local player's bags, statistics and what identifying its items costs, the world's secrets and closing text, and the won and lost texts.
#include "ui/ClientUiGameView.h"

#include "client/ClientApp.h"
#include "client/ClientMessages.h"
#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "client/InventoryClient.h"
#include "client/PlayerClient.h"
#include "core/DatabaseEntry.h"
#include "core/EngineEnums.h"
#include "rules/CharacterClass.h"
#include "rules/GameData.h"
#include "rules/items/ItemFormulas.h"
#include "world/World.h"

const CharacterClass* ClientUiGameView::GetEntityClass(int32_t number) const
{
    if (!gGameData || number < 0)
        return nullptr;
    int32_t index = -1;
    if (number == GetPlayerEntityNumber())
        return GetPlayerStat(CharacterStat::Class, index) ? gGameData->GetCharacterClass(index) : nullptr;
    const EntityClient* entity = gGameClient ? gGameClient->GetEntity(number) : nullptr;
    // A creature's class is named by its actor record, whichever record the host sent.
    const DatabaseEntry* record = entity ? entity->GetKeyRecord() : nullptr;
    return record ? gGameData->FindCharacterClass(record->GetString("Class")) : nullptr;
}

bool ClientUiGameView::GetGameClock(TimeStamp& out) const
{
    if (!IsGameRunning())
        return false;
    out = gGameClient->clock;
    return true;
}

bool ClientUiGameView::GetBagFill(int32_t bag, int32_t& items, int32_t& slots) const
{
    const PlayerClient* player = gClientApp ? gClientApp->GetLocalPlayer() : nullptr;
    if (!player || bag < 0 || bag >= InventoryBase::kBagCount)
        return false;
    items = player->GetInventory().CountItems(bag);
    slots = player->GetInventory().GetSlotCount(bag);
    return true;
}

bool ClientUiGameView::GetPlayerFunStat(int32_t index, int32_t& out) const
{
    const PlayerClient* player = gClientApp ? gClientApp->GetLocalPlayer() : nullptr;
    if (!player || index < 0 || index >= player->funStats.GetCount())
        return false;
    out = player->funStats.Get(index);
    return true;
}

int32_t ClientUiGameView::GetPlayerComputedValue(int32_t index) const
{
    const PlayerClient* player = gClientApp ? gClientApp->GetLocalPlayer() : nullptr;
    if (!player)
        return 0;
    switch (index) {
    case StatOtherIndex::Dps: return player->GetDpsHundredths();
    case StatOtherIndex::EquipmentWorth: return player->GetBagValue(InventoryGroupIndex::Equipment);
    case StatOtherIndex::InventoryWorth: return player->GetCarriedValue();
    default: return 0;
    }
}

int32_t ClientUiGameView::GetWorldSecretCount() const
{
    return gWorld ? gWorld->GetSecretCount() : 0;
}

std::string ClientUiGameView::GetWorldEpilogue() const
{
    return gWorld ? gWorld->GetEpilogueText() : std::string();
}

std::string ClientUiGameView::GetWonGameText() const
{
    return gGameClient ? gGameClient->GetMessages().GetWonText() : std::string();
}

std::string ClientUiGameView::GetLostGameText() const
{
    return gGameClient ? gGameClient->GetMessages().GetLostText() : std::string();
}

// The client's world reads the adventure's times from the same record as the host's, and the
// clock is the host's as the last update gave it.
float ClientUiGameView::GetAdventureRewardMultiplier() const
{
    TimeStamp clock;
    return gWorld && GetGameClock(clock) ? gWorld->GetTimeScoreMult(clock) : 1.0f;
}

bool ClientUiGameView::GetAdventureTimeTests(bool& great, bool& good) const
{
    TimeStamp clock;
    if (!gWorld || !GetGameClock(clock))
        return false;
    great = gWorld->IsGreatTime(clock);
    good = gWorld->IsGoodTime(clock);
    return true;
}

std::string ClientUiGameView::GetWorldTimesText() const
{
    TimeStamp clock;
    std::string text;
    if (gWorld && GetGameClock(clock))
        gWorld->BuildTimeText(text, clock);
    return text;
}

bool ClientUiGameView::GetIdentifyAllCost(int32_t& cost) const
{
    const PlayerClient* player = gClientApp ? gClientApp->GetLocalPlayer() : nullptr;
    if (!player)
        return false;
    // The mirror's loot group holds the goods of whoever the player deals with: a gambler's
    // wagers are no items of the player's to identify, and the host counts none of them.
    cost = ::GetIdentifyAllCost(player->GetInventory(), InventoryGroupIndex::Loot);
    return true;
}
