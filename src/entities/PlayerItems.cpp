// Player -- items picked up, used (also on another creature), identified and moved; skills and attributes bought with points.
#include "entities/Player.h"

#include "core/DatabaseEntry.h"
#include "entities/Actor.h"
#include "entities/EntityCovenant.h"
#include "entities/EntityQuest.h"
#include "entities/GameServices.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/ItemGround.h"
#include "entities/Skill.h"
#include "entities/SkillList.h"
#include "rules/CharacterClass.h"
#include "rules/GameData.h"
#include "rules/GameSystemTuning.h"
#include "rules/RulesEnums.h"
#include "rules/items/ItemDefinition.h"
#include "rules/items/ItemFormulas.h"
#include "rules/quests/QuestDefinition.h"
#include "rules/skills/SkillBase.h"
#include "rules/skills/SkillDefinition.h"
#include "rules/skills/SkillTree.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr int32_t kPlayerItemRefusalKind = 4;
// The interaction mode of a player at a stash.
constexpr int32_t kPlayerStashMode = 10;
constexpr float kPlayerPickupFadeSeconds = 2.0f;
// The interaction modes whose target is in use, and is let go of before a skill.
constexpr int32_t kPlayerObjectUseModes[] = {18, 19};
// The party bar's two quick gifts.
constexpr const char* kPlayerFoodBase = "BaseFood";
constexpr const char* kPlayerPotionBase = "BasePotionHealth";
// The town's talk about a remarkable item found.
constexpr int32_t kPlayerItemChatKind = 23;
// Skills bought with points are those without a stat requirement.
constexpr int32_t kPlayerPointSkillReq = CharacterStat::None;
// The alternate weapon set lies in the last bag.
constexpr int32_t kPlayerAlternateSetBag = InventoryGroupIndex::Backup;
constexpr std::array<const char*, 5> kPlayerAttributeNames = {"Strength", "Dexterity", "Vitality", "Intelligence",
                                                              "Spirit"};

const GameSystemTuning* PlayerItemsTuning()
{
    return gGameData ? &gGameData->GetTuning() : nullptr;
}

bool PlayerItemsIsEntryType(const ItemBase& item, int32_t type)
{
    return item.GetEntry() && item.GetEntry()->GetType() == type;
}

// A bag whose cells hold items stays in its place.
bool PlayerHoldsFullBag(const InventoryBase& inventory, int32_t bag, int32_t slot)
{
    int32_t contents = InventoryBase::GetContentGroup(bag, slot);
    return contents >= 0 && inventory.CountItems(contents) > 0;
}

// A move between two inventories (the player's and its covenant's storage): into the cell,
// swapped with its occupant when each fits the other's cell, under the target's placement rules
// (what must stay carried stays). Refused: false, both cells as they were.
bool PlayerMoveAcross(InventoryBase& from, int32_t fromBag, int32_t fromSlot, InventoryBase& to, int32_t toBag,
                      int32_t toSlot)
{
    const InventoryBag* target = to.GetBag(toBag);
    if (!target || !target->IsValidSlot(toSlot) || PlayerHoldsFullBag(from, fromBag, fromSlot) ||
        PlayerHoldsFullBag(to, toBag, toSlot))
        return false;
    std::unique_ptr<ItemBase> moving = from.RemoveAt(fromBag, fromSlot);
    std::unique_ptr<ItemBase> occupant = to.RemoveAt(toBag, toSlot);
    bool placed = to.PlaceItem(moving, toBag, toSlot, 0);
    if (placed && occupant && !from.PlaceItem(occupant, fromBag, fromSlot, 0)) {
        moving = to.RemoveAt(toBag, toSlot);
        placed = false;
    }
    if (placed)
        return true;
    // Both back where they came from, which took them before.
    from.PlaceItem(moving, fromBag, fromSlot, kPlaceAnyGroup | kPlaceIgnoreOffHand);
    if (occupant)
        to.PlaceItem(occupant, toBag, toSlot, kPlaceAnyGroup | kPlaceIgnoreOffHand);
    return false;
}

} // namespace

// ---- Picking up -----------------------------------------------------------------------------------

bool Player::PickUpItem(int32_t entityNumber)
{
    auto* ground = dynamic_cast<ItemGround*>(gGameServices ? gGameServices->GetEntity(entityNumber) : nullptr);
    if (!IsAlive() || !ground || !ground->CanBePickedUp() || !ground->GetItem())
        return false;
    // Taken before anything is paid: what is only counted lies here until the next step, and a
    // second request meanwhile (the same player's or another's) must find nothing to take. A
    // taken item's going is no expiry either, so it makes no disappear sound.
    ground->beingPickedUp = true;
    Item& item = *ground->GetItem();
    const ItemDefinition* definition = item.GetDefinition();
    bool questItem = PlayerItemsIsEntryType(item, DatabaseEntryType::QuestItem);
    bool taken = false;
    if (definition && definition->instantUse) {
        // Mended: used where it lies, the item never takes the temporary slot from what is there.
        item.ShowPickupText(*this);
        std::unique_ptr<ItemBase> owned = ground->TakeItem();
        // An item its use does not consume stays with the player where there is room.
        if (!static_cast<Item*>(owned.get())->Use(this))
            inventory->AddItem(owned, InventoryGroupIndex::Bag1);
        taken = true;
    } else if (PlayerItemsIsEntryType(item, DatabaseEntryType::Money)) {
        AddMoney(item.money);
        taken = true;
    } else if (definition && definition->covenantCurrency != 0) {
        if (EntityCovenant* covenant = GetCovenant())
            covenant->AddCurrency(item.GetStackCount());
        taken = true;
    } else if (questItem) {
        taken = OfferQuestItem(item);
    } else {
        taken = TakeIntoBags(ground);
    }
    if (!taken) {
        ground->beingPickedUp = false;
        SendMessage(questItem ? "$$AlreadyHaveAllWeNeed$$" : "$$NoRoomInInventory$$", kPlayerItemRefusalKind);
        return false;
    }
    // What was counted, not carried, still lies there until the ground lets it go.
    if (Item* counted = ground->GetItem())
        counted->ShowPickupText(*this);
    if (definition && definition->fadeOnPickup)
        ground->FadeOutAndDelete(kPlayerPickupFadeSeconds);
    else
        ground->ScheduleDelete(0.0f);
    RecalculateStats(false);
    return true;
}

bool Player::OfferQuestItem(const Item& item)
{
    for (const auto& quest : questSlots) {
        if (!quest || quest->IsEmpty() || !quest->CanTakeItemThroughLinks() || !quest->IsQuestItem(item.GetEntry()))
            continue;
        if (quest->progress < quest->count)
            ++quest->progress;
        if (quest->type == QuestType::StoryVarrowFindItem && quest->definition && quest->definition->statusEffect)
            AddStatusEffect(quest->definition->statusEffect, this, 1);
        return true;
    }
    return false;
}

bool Player::TakeIntoBags(ItemGround* ground)
{
    const Item& item = *ground->GetItem();
    for (int32_t bag = InventoryGroupIndex::Bag1; bag <= InventoryGroupIndex::Bag4; ++bag)
        if (inventory->HasRoom(item, bag)) {
            std::unique_ptr<ItemBase> owned = ground->TakeItem();
            // Mended: told after placing, it read an item already merged into a stack and freed.
            OnItemObtained(static_cast<Item*>(owned.get()));
            static_cast<Item*>(owned.get())->ShowPickupText(*this);
            inventory->AddItem(owned, bag);
            return true;
        }
    if (!inventory->HasRoom(item, InventoryGroupIndex::Main))
        return false;
    item.ShowPickupText(*this);
    std::unique_ptr<ItemBase> owned = ground->TakeItem();
    inventory->AddItem(owned, InventoryGroupIndex::Main);
    return true;
}

// ---- Using ----------------------------------------------------------------------------------------

void Player::UseItem(int32_t bag, int32_t slot)
{
    const ItemBase* item = inventory->GetItem(bag, slot);
    if (!IsAlive() || !item)
        return;
    const ItemDefinition* definition = item->GetDefinition();
    if (definition && definition->canBeUsed && !definition->instantUse)
        statistics.Add(PlayerStatistic::ItemsUsed, 1);
    Item::UseItemAt(*inventory, bag, slot, this);
    CloseFrontSlotGaps(0);
    RecalculateStats(false);
}

void Player::UseItemOn(Entity* target, int32_t bag, int32_t slot)
{
    auto* receiver = dynamic_cast<Sentient*>(target);
    if (!IsAlive() || !receiver || !receiver->IsAlive() || !inventory->GetItem(bag, slot))
        return;
    auto* actor = dynamic_cast<Actor*>(receiver);
    if (actor && !actor->npc) {
        SendMessage("$$InvalidCantGiveItemsMonsters$$", kPlayerItemRefusalKind);
        return;
    }
    if (IsHostile(receiver)) {
        SendMessage("$$InvalidCantGiveItemsEnemies$$", kPlayerItemRefusalKind);
        return;
    }
    Item::UseItemAt(*inventory, bag, slot, receiver);
    RecalculateStats(false);
}

void Player::ForceUseItem(Entity* entity, int32_t group, int32_t slot)
{
    if (entity)
        UseItemOn(entity, group, slot);
}

void Player::ForceFood(Entity* entity)
{
    if (entity)
        UseBestItemOf(kPlayerFoodBase, entity);
}

void Player::ForcePotion(Entity* entity)
{
    if (entity)
        UseBestItemOf(kPlayerPotionBase, entity);
}

void Player::UseSkillAt(const WorldPos& mouse, int32_t tree, int32_t index, Entity* target)
{
    skillTargetPosition = mouse;
    Entity* inUse = GetInteractionTarget();
    for (int32_t mode : kPlayerObjectUseModes)
        if (interactionMode == mode && inUse)
            inUse->OnUseEnded(this);
    auto* skill = skillList ? dynamic_cast<Skill*>(skillList->FindSkill(tree, index)) : nullptr;
    if (!skill)
        return;
    // The client walks the player and turns it to the target as it sends the use; its updates
    // carry no facing, so the host turns the same way here, or a skill with a sight cone would be
    // refused for facing the way the player last stood on the host.
    const SkillDefinition* definition = skill->definition;
    bool faces = definition && (definition->attack || definition->needsEnemy) && !definition->self &&
                 !definition->dontLookAtTarget;
    if (faces && target)
        FaceEntity(target, false);
    UseSkillOn(skill->GetRecordId(), target);
}

void Player::UseBestItemOf(std::string_view baseName, Entity* target)
{
    int32_t bestBag = -1;
    int32_t bestSlot = -1;
    int32_t bestLevel = 0;
    for (int32_t bag = InventoryGroupIndex::Bag1; bag <= InventoryGroupIndex::Bag4; ++bag)
        for (int32_t slot = 0; slot < inventory->GetSlotCount(bag); ++slot) {
            const ItemBase* item = inventory->GetItem(bag, slot);
            const DatabaseEntry* entry = item ? item->GetEntry() : nullptr;
            if (!entry || !(entry->GetName() == baseName || entry->IsDerivedFrom(baseName)))
                continue;
            if (bestBag == -1 || item->GetLevel() > bestLevel) {
                bestBag = bag;
                bestSlot = slot;
                bestLevel = item->GetLevel();
            }
        }
    if (bestBag != -1)
        UseItemOn(target, bestBag, bestSlot);
}

// ---- Identifying ------------------------------------------------------------------------------------

void Player::IdentifyAll()
{
    // Shared bags belong to the covenant and are not the player's to pay for.
    int32_t cost = GetIdentifyAllCost(*inventory);
    if (cost <= 0) {
        SendMessage("$$NothingToIdentify$$", kPlayerItemRefusalKind);
        return;
    }
    if (stats.Get(CharacterStat::Money) < cost) {
        SendMessage("$$DontHaveEnoughMoneyToIdentifyEverything$$", kPlayerItemRefusalKind);
        return;
    }
    stats.SubtractFloored(CharacterStat::Money, cost);
    for (int32_t bag = 0; bag < InventoryBase::kBagCount; ++bag) {
        const InventoryBag* contents = inventory->GetBag(bag);
        for (int32_t slot = 0; contents && !contents->IsShared() && slot < contents->GetSlotCount(); ++slot) {
            auto* item = dynamic_cast<Item*>(contents->GetItem(slot));
            if (item && item->IsUnidentified()) {
                item->SetIdentified(true);
                OnItemIdentified(item);
            }
        }
    }
}

// ---- Skills and attributes bought with points ---------------------------------------------------

void Player::RaiseSkill(int32_t tree, int32_t index)
{
    SkillBase* skill = skillList ? skillList->FindSkill(tree, index) : nullptr;
    const SkillDefinition* definition = skill ? skill->definition : nullptr;
    const GameSystemTuning* tuning = PlayerItemsTuning();
    if (!definition || !tuning || definition->statReq != kPlayerPointSkillReq)
        return;
    int32_t stat = skill->GetSlotNumber();
    int32_t level = stats.Get(stat);
    int32_t points = definition->GetCostForLevel(level);
    // A request past the skill's highest level is refused as the menus refuse it.
    if (stat <= 0 || stats.Get(CharacterStat::SkillPointsLeft) < points ||
        (definition->HasMaxLevel() && level >= definition->GetMaxLevel()))
        return;
    int32_t money = static_cast<int32_t>(tuning->moneyPerSkillPoint * static_cast<float>(points));
    if (stats.Get(CharacterStat::Money) < money) {
        SendMessage("$$NotEnoughMoney$$", kPlayerItemRefusalKind);
        return;
    }
    stats.Add(stat, 1);
    stats.Set(CharacterStat::LastSkillRaised, stat);
    stats.SubtractFloored(CharacterStat::SkillPointsLeft, points);
    stats.SubtractFloored(CharacterStat::Money, money);
    if (auto* raised = dynamic_cast<Skill*>(skill))
        ReachSkillLevel(*raised, stat, level + 1);
    RecalculateStats(false);
}

void Player::LowerSkill(int32_t tree, int32_t index)
{
    SkillBase* skill = skillList ? skillList->FindSkill(tree, index) : nullptr;
    const SkillDefinition* definition = skill ? skill->definition : nullptr;
    const GameSystemTuning* tuning = PlayerItemsTuning();
    if (!definition || !tuning || definition->statReq != kPlayerPointSkillReq)
        return;
    int32_t stat = skill->GetSlotNumber();
    int32_t level = stats.Get(stat);
    // No skill goes below the level the class starts it at: those levels were never paid for,
    // so lowering them would hand out free points.
    const SkillTree* classTree = GetClass() ? GetClass()->GetSkillTree(tree) : nullptr;
    int32_t minimum = std::max({definition->basicSkill ? 1 : 0, definition->startingSkillLevel,
        classTree ? classTree->GetStartingLevel(index) : 0});
    if (stat <= 0 || level <= minimum)
        return;
    int32_t refund = definition->GetCostForLevel(level - 1);
    int32_t charge = 3 * static_cast<int32_t>(tuning->moneyPerSkillPoint * static_cast<float>(refund));
    if (stats.Get(CharacterStat::Money) < charge) {
        SendMessage("$$NotEnoughMoney$$", kPlayerItemRefusalKind);
        return;
    }
    stats.Add(stat, -1);
    stats.Add(CharacterStat::SkillPointsLeft, refund);
    stats.SubtractFloored(CharacterStat::Money, charge);
    RecalculateStats(false);
}

void Player::RaiseAttribute(std::string_view name)
{
    if (stats.Get(CharacterStat::AttributePointsLeft) <= 0)
        return;
    for (int32_t i = 0; i < static_cast<int32_t>(kPlayerAttributeNames.size()); ++i) {
        if (name != kPlayerAttributeNames[static_cast<size_t>(i)])
            continue;
        int32_t base = CharacterStat::BaseStrength + i;
        int32_t cap = gGameData ? gGameData->GetAttributeCap(base) : 0;
        if (cap > 0 && stats.Get(base) >= cap)
            return;
        CheckBonusSkill(base);
        stats.Add(base, 1);
        stats.Add(CharacterStat::AttributePointsLeft, -1);
        RecalculateStats(false);
        return;
    }
}

void Player::CanEquip(Item* first, Item* second)
{
    if (!first || !second)
        return;
    int32_t firstType = first->GetItemType();
    int32_t secondType = second->GetItemType();
    // A shield is the only item made for the second hand alone.
    if ((firstType == ItemType::HandBoth && secondType == ItemType::HandSecondary) ||
        (secondType == ItemType::HandBoth && firstType == ItemType::HandSecondary))
        SendMessage("$$CantEquip2HandedWeaponAndShield$$", kPlayerItemRefusalKind);
}

// ---- Moving equipment -------------------------------------------------------------------------------

void Player::SwapWeaponSets()
{
    inventory->ResizeBag(kPlayerAlternateSetBag, std::max(inventory->GetSlotCount(kPlayerAlternateSetBag), 2));
    for (int32_t hand = 0; hand < 2; ++hand) {
        int32_t slot = EquipedLocation::HandPrimary + hand;
        std::unique_ptr<ItemBase> worn = inventory->RemoveAt(InventoryGroupIndex::Equipment, slot);
        std::unique_ptr<ItemBase> spare = inventory->RemoveAt(kPlayerAlternateSetBag, hand);
        if (spare)
            inventory->PlaceItem(spare, InventoryGroupIndex::Equipment, slot, kPlaceAnyGroup | kPlaceIgnoreOffHand);
        if (worn)
            inventory->PlaceItem(worn, kPlayerAlternateSetBag, hand, kPlaceAnyGroup);
    }
    ItemBase* primary = inventory->GetItem(InventoryGroupIndex::Equipment, EquipedLocation::HandPrimary);
    bool twoHanded = primary && primary->GetItemType() == ItemType::HandBoth;
    if (twoHanded && inventory->GetItem(InventoryGroupIndex::Equipment, EquipedLocation::HandSecondary)) {
        std::unique_ptr<ItemBase> offHand = inventory->RemoveAt(InventoryGroupIndex::Equipment,
                                                                EquipedLocation::HandSecondary);
        bool placed = inventory->AddItem(offHand, InventoryGroupIndex::Bag1);
        for (int32_t bag = InventoryGroupIndex::Bag2; !placed && bag <= InventoryGroupIndex::Bag4; ++bag)
            placed = inventory->AddItem(offHand, bag);
        if (!placed)
            inventory->PlaceItem(offHand, InventoryGroupIndex::Equipment, EquipedLocation::HandSecondary,
                                 kPlaceAnyGroup | kPlaceIgnoreOffHand);
    }
    RecalculateStats(false);
}

// Variant 1 first moves slot 0 to slot 2, variant 2 to slot 1.
void Player::CloseFrontSlotGaps(int32_t variant)
{
    constexpr int32_t bag = InventoryBase::kPowerupBag;
    bool refused = false;
    if (variant == 1 || variant == 2)
        refused = !MoveFrontSlot(bag, 0, variant == 1 ? 2 : 1);
    for (auto [from, to] : {std::pair{1, 0}, std::pair{2, 1}, std::pair{1, 0}})
        if (!inventory->GetItem(bag, to) && inventory->GetItem(bag, from))
            refused = !MoveFrontSlot(bag, from, to) || refused;
    // Mended: the last step repeats a refused first one on unchanged cells; the player heard it twice.
    if (refused)
        SendMessage("$$CantMoveItemHere$$", kPlayerItemRefusalKind);
}

bool Player::MoveFrontSlot(int32_t bag, int32_t from, int32_t to)
{
    if (!inventory->GetItem(bag, from))
        return true;
    if (!inventory->MoveItem(bag, from, bag, to))
        return false;
    RecalculateStats(false);
    return true;
}

void Player::MoveItem(int32_t fromGroup, int32_t fromSlot, int32_t toGroup, int32_t toSlot)
{
    int32_t from = -1;
    int32_t to = -1;
    InventoryBase* source = FindGroupOwner(fromGroup, from);
    InventoryBase* target = FindGroupOwner(toGroup, to);
    if (!source || !target || !source->GetItem(from, fromSlot))
        return;
    bool moved = source == target ? source->MoveItem(from, fromSlot, to, toSlot)
                                   : PlayerMoveAcross(*source, from, fromSlot, *target, to, toSlot);
    if (!moved) {
        SendMessage("$$CantMoveItemHere$$", kPlayerItemRefusalKind);
        return;
    }
    RecalculateStats(false);
}

InventoryBase* Player::FindGroupOwner(int32_t group, int32_t& own) const
{
    own = FindOwnGroup(group);
    if (own >= 0)
        return inventory.get();
    const InventoryBag* shown = GetBag(group);
    const EntityCovenant* covenant = interactionMode == kPlayerStashMode ? GetCovenant() : nullptr;
    InventoryBase* storage = shown && covenant ? covenant->GetStorage() : nullptr;
    for (own = 0; storage && own < InventoryBase::kBagCount; ++own)
        if (storage->GetBag(own) == shown)
            return storage;
    own = -1;
    return nullptr;
}

int32_t Player::FindOwnGroup(int32_t group) const
{
    const InventoryBag* shown = GetBag(group);
    for (int32_t own = 0; shown && own < InventoryBase::kBagCount; ++own)
        if (inventory->GetBag(own) == shown)
            return own;
    return -1;
}

void Player::WatchHouseBag()
{
    for (int32_t slot = 0; slot < kHouseBagSlots; ++slot) {
        auto* now = dynamic_cast<Item*>(inventory->GetItem(InventoryGroupIndex::House, slot));
        SafePointer& seen = houseSeen[static_cast<size_t>(slot)];
        bool& held = houseHeld[static_cast<size_t>(slot)];
        if (held == (now != nullptr) && seen.Get() == now)
            continue;
        if (held)
            OnItemRemoved(InventoryGroupIndex::House, slot, seen.GetAs<Item>());
        seen.Set(now);
        held = now != nullptr;
        if (now)
            OnItemPlaced(InventoryGroupIndex::House, slot, now);
    }
}

void Player::OnItemPlaced(int32_t bag, int32_t slot, Item* item)
{
    if (EntityCovenant* covenant = GetCovenant(); covenant && item && bag == InventoryGroupIndex::House)
        covenant->OnHouseItemPlaced(slot, *item);
}

void Player::OnItemRemoved(int32_t bag, int32_t slot, Item*)
{
    if (EntityCovenant* covenant = GetCovenant(); covenant && bag == InventoryGroupIndex::House)
        covenant->OnHouseItemRemoved(slot);
}

void Player::OnItemIdentified(Item* item)
{
    if (item && item->GetQuality() >= ItemRarity::Set && gGameServices)
        gGameServices->AddDynamicNpcChat(kPlayerItemChatKind, item->GetDisplayName(), 0);
}
