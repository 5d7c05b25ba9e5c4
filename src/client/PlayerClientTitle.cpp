// PlayerClient -- the texts built from the local player the interface shows all the time: its title under its name, and what a hovered item would be compared with (what the player or a chosen recruit wears there, or the guard or relic of a chosen house slot).
#include "client/PlayerClient.h"

#include "client/PlayerCovenantClient.h"
#include "client/RecruitClient.h"
#include "core/ColorSystem.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "rules/CharacterClass.h"
#include "rules/CharacterFlags.h"
#include "rules/items/ItemBase.h"
#include "rules/items/ItemFormulas.h"

namespace {

// The colours of the comparison's instruction line and of the text after it.
constexpr int32_t kTitleInstructionColor = 8;
constexpr int32_t kTitleTextColor = 145;
// The relics stand in the house slots after the four guards'.
constexpr int32_t kTitleGuardSlots = 4;

void TitleAppendTooltip(const ItemBase& item, const ItemTooltipOptions& options, std::string& text)
{
    item.BuildTooltip(options, text);
}

} // namespace

// ---- The title ------------------------------------------------------------------------------------------

const char* PlayerClient::GetLevelRankWord() const
{
    int32_t level = GetStat(CharacterStat::Level);
    if (level >= 100)
        return "$$Grandmaster$$";
    if (level >= 50)
        return "$$Master$$";
    if (level >= 25)
        return "$$Expert$$";
    if (level >= 10)
        return "$$Amateur$$";
    return "$$Apprentice$$";
}

std::string PlayerClient::GetTitle() const
{
    std::string className = classRecord ? classRecord->name : std::string();
    std::string title = MakeLocToken("PlayerTitle", "%d %s %s", GetStat(CharacterStat::Level), GetLevelRankWord(),
                                     className.c_str());
    if (HasHardcoreMode())
        title += " ($$HardcoreMode$$)";
    if (HasLonerChallengeMode())
        title += " ($$LonerChallengeMode$$)";
    return title;
}

std::string PlayerClient::GetNameAndTitle() const
{
    return StringFormat("%s %s", characterName.c_str(), GetTitle().c_str());
}

bool PlayerClient::HasHardcoreMode() const
{
    return GetCharacterFlag(CharacterFlag::kStaysDead);
}

bool PlayerClient::HasLonerChallengeMode() const
{
    return GetCharacterFlag(CharacterFlag::kLoner);
}

// ---- Item comparisons ----------------------------------------------------------------------------------

void PlayerClient::BuildEquippedComparison(const ItemBase* item, const ItemTooltipOptions& options, std::string& text)
{
    if (!item)
        return;
    int32_t type = item->GetItemType();
    lastComparedType = type;
    if (type == ItemType::Guard || item->GetGuardRecord() || type == ItemType::Relic) {
        BuildGuardRelicComparison(*item, options, text);
        return;
    }
    if (!covenant || type > ItemType::Ranged)
        return;
    int32_t slot = BagForSlotType(type);
    if (slot == EquipedLocation::None)
        return;
    const RecruitClient* recruit = comparisonRecruit >= 0 ? covenant->GetRecruit(comparisonRecruit) : nullptr;
    // A recruit gone since it was chosen: the player compares with himself again.
    if (!recruit || !recruit->inventory)
        comparisonRecruit = -1;
    const InventoryBase& worn = comparisonRecruit >= 0 ? *recruit->inventory : GetInventory();
    text = comparisonRecruit >= 0 ? MakeLocToken("EquippedBy", "%s", recruit->displayName.c_str())
                                  : "$$CurrentlyEquipped$$\n";
    text += ColorSystem::MakeColorCode(kTitleInstructionColor) + "$$EquippedComparisonInstructions$$" +
            ColorSystem::MakeColorCode(kTitleTextColor);
    bool shown = false;
    if (const ItemBase* first = worn.GetItem(InventoryGroupIndex::Equipment, slot)) {
        TitleAppendTooltip(*first, options, text);
        shown = true;
    }
    // Rings and jewels come in pairs: the second of the pair is shown as well.
    int32_t second = slot == EquipedLocation::Ring1      ? EquipedLocation::Ring2
                     : slot == EquipedLocation::Jewelry1 ? EquipedLocation::Jewelry2
                                                         : -1;
    if (second >= 0) {
        if (shown)
            text += "\n\n";
        if (const ItemBase* pair = worn.GetItem(InventoryGroupIndex::Equipment, second)) {
            TitleAppendTooltip(*pair, options, text);
            return;
        }
    }
    if (shown)
        return;
    bool recruitCantWear = comparisonRecruit >= 0 && slot != EquipedLocation::Chest &&
                           slot != EquipedLocation::HandPrimary && slot != EquipedLocation::HandSecondary;
    text += recruitCantWear ? "  $$RecruitCantHold$$" : "  $$NoComparisonItem$$";
}

void PlayerClient::BuildGuardRelicComparison(const ItemBase& item, const ItemTooltipOptions& options,
                                             std::string& text) const
{
    if (!covenant)
        return;
    bool relic = item.GetItemType() == ItemType::Relic;
    int32_t index = relic ? comparisonRelicSlot : comparisonGuardSlot;
    int32_t houseSlot = relic ? index + kTitleGuardSlots : index;
    text = MakeLocToken(relic ? "InRelicSlotX" : "InGuardSlotX", "%d", index + 1);
    const ItemBase* standing = houseSlot >= 0 && houseSlot < GetInventory().GetSlotCount(InventoryGroupIndex::House)
                                   ? GetInventory().GetItem(InventoryGroupIndex::House, houseSlot)
                                   : nullptr;
    text += ColorSystem::MakeColorCode(kTitleInstructionColor) +
            (relic ? "$$RelicSlotCompareScroll$$" : "$$GuardSlotCompareScroll$$") +
            ColorSystem::MakeColorCode(kTitleTextColor);
    if (standing)
        TitleAppendTooltip(*standing, options, text);
    else
        text += "  $$GuardRelicCompareNone$$";
}

void PlayerClient::CycleComparisonTarget(int32_t step)
{
    if (!covenant)
        return;
    auto wrap = [](int32_t slot) { return slot < 0 ? kTitleGuardSlots - 1 : slot >= kTitleGuardSlots ? 0 : slot; };
    if (lastComparedType == ItemType::Guard) {
        comparisonGuardSlot = wrap(comparisonGuardSlot + step);
        return;
    }
    if (lastComparedType == ItemType::Relic) {
        comparisonRelicSlot = wrap(comparisonRelicSlot + step);
        return;
    }
    int32_t count = covenant->GetRecruitSlots();
    // At most one pass over the slots and the player: the walk always ends on -1 or a recruit.
    for (int32_t tries = 0; tries <= count + 1; ++tries) {
        comparisonRecruit += step;
        if (comparisonRecruit >= count)
            comparisonRecruit = -1;
        else if (comparisonRecruit < -1)
            comparisonRecruit = count - 1;
        if (comparisonRecruit == -1 || covenant->GetRecruit(comparisonRecruit))
            return;
    }
}
