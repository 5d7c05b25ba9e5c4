// ItemGround -- the entity that shows one item lying in the world: its drop near a spot, its fall, its time on the ground and its state for the clients.
#include "entities/ItemGround.h"

#include "core/DatabaseEntry.h"
#include "core/MessageBuffer.h"
#include "core/RandomSystem.h"
#include "entities/GameServices.h"
#include "entities/Item.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"

namespace {

constexpr int32_t kItemGroundFallPriority = 9;
constexpr int32_t kItemGroundIdlePriority = 2;

} // namespace

ItemGround::ItemGround()
{
    alwaysBlocks = false;
}

ItemGround::~ItemGround()
{
    if (itemKept) {
        (void)item.release();
        return;
    }
    const ItemDefinition* definition = item ? item->GetDefinition() : nullptr;
    if (definition && timeOnGround > 0.0f && !beingPickedUp && !definition->disappearSoundName.empty())
        QueueWorldEvent(definition->disappearSoundName, kDisappearSoundRadius, 0.0f);
    item.reset();
}

bool ItemGround::FindSpot(const WorldPos& near, bool searchWidely, WorldPos& out)
{
    if (!gGameServices)
        return false;
    SpawnSearch search;
    search.freeSpot = true;
    search.otherLevels = true;
    if (searchWidely) {
        int32_t rings = gGameData ? gGameData->GetTuning().levelTileWidth : GameSystemTuning().levelTileWidth;
        return gGameServices->FindSpawnPosition(near, rings, search, false, out);
    }
    for (int32_t ring = 0; ring <= kNearRings; ++ring)
        if (gGameServices->FindSpawnPositionInRing(near, ring, search, out))
            return true;
    return false;
}

ItemGround* ItemGround::Drop(const WorldPos& near, std::unique_ptr<Item>& item, bool withoutTimer,
                             bool searchWidely, bool fall)
{
    WorldPos spot;
    if (!item || near.level == -1 || !FindSpot(near, searchWidely, spot))
        return nullptr;
    auto* ground = new ItemGround();
    ground->SetPosition(spot);
    ground->SetMoveTarget(spot);
    bool randomDirection = item->GetDefinition() && item->GetDefinition()->randomDirection;
    ground->facing = randomDirection && gRandomSystem ? gRandomSystem->RandomIndex8(RandomStream::GameData)
                                                      : Direction::South;
    if (!withoutTimer)
        ground->timeOnGround = item->GetTimeOnGround();
    if (item->GetEntry() && ground->GetEntry() != item->GetEntry())
        ground->SetEntry(item->GetEntry());
    Item* carried = item.get();
    ground->item = std::move(item);
    if (gGameServices->AddEntity(ground) == -1) {
        // The table is full: the item goes back to the caller, the entity goes.
        item = std::move(ground->item);
        delete ground;
        return nullptr;
    }
    carried->SetGroundEntity(ground);
    if (ground->timeOnGround > 0.0f)
        ground->ScheduleDelete(ground->timeOnGround);
    if (fall)
        ground->PlayFall();
    return ground;
}

ItemGround* ItemGround::MakeDisplay(std::unique_ptr<Item> shown)
{
    auto* ground = new ItemGround();
    ground->display = true;
    if (shown && shown->GetEntry() && ground->GetEntry() != shown->GetEntry())
        ground->SetEntry(shown->GetEntry());
    ground->item = std::move(shown);
    return ground;
}

void ItemGround::PlayFall()
{
    PlayAnimation("fall", kItemGroundFallPriority, AnimationMode::ReturnToIdle, false);
}

bool ItemGround::CanBePickedUp() const
{
    return !display && !beingPickedUp && !IsPlayingAnimation("fall");
}

void ItemGround::Update(float seconds)
{
    EntityBase::Update(seconds);
    PlayAnimation("idle", kItemGroundIdlePriority, AnimationMode::ReturnToIdle, false);
}

void ItemGround::WriteNetState(MessageBuffer& buffer) const
{
    switch (GetEntryType()) {
    case DatabaseEntryType::Item:
        buffer.WriteInt(item ? item->GetQuality() : 0);
        break;
    case DatabaseEntryType::Money:
        buffer.WriteInt(item ? item->money : 0);
        break;
    case DatabaseEntryType::QuestItem:
        buffer.WriteInt(item ? item->questNumber : -1);
        break;
    default:
        break;
    }
}

std::unique_ptr<Item> ItemGround::TakeItem()
{
    if (item)
        item->SetGroundEntity(nullptr);
    return std::move(item);
}

bool ItemGround::IsFree() const
{
    return timeOnGround <= 0.0f;
}
