// EntityClient -- the text shown while the cursor rests on an entity (or its map blip): its coloured name, what it is and what each mouse button does.
#include "client/EntityClient.h"

#include "client/ClientApp.h"
#include "client/CovenantClient.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "core/ColorSystem.h"
#include "core/DatabaseEntry.h"
#include "core/EngineEnums.h"
#include "core/EnumTable.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "rules/Formulas.h"
#include "rules/GameData.h"
#include "world/World.h"

#include <algorithm>

namespace {

// Colour-table entries of the texts: the hints, and the plain text the name returns to.
constexpr int32_t kHoverHintColour = 8;
constexpr int32_t kHoverPlainColour = 145;
constexpr int32_t kHoverPartySlots = 4;
constexpr int32_t kHoverAttackMode = 2;
constexpr const char* kHoverPickUpHints = "\n$$LeftClickToPickUp$$\n$$HoldDownAltToSeeAllItemsOnGround$$";

const PlayerClient* HoverPlayer()
{
    return gClientApp ? gClientApp->GetLocalPlayer() : nullptr;
}

bool HoverSimpleTips()
{
    return !gGameClient || gGameClient->ShowsSimpleTips();
}

// The hint lines between the hint colour and the plain colour, only when hints are wanted.
void HoverAppendHints(std::string& out, bool nameOnly, const char* lines)
{
    if (nameOnly || !HoverSimpleTips())
        return;
    out += ColorSystem::MakeColorCode(kHoverHintColour);
    out += lines;
    out += ColorSystem::MakeColorCode(kHoverPlainColour);
}

// Mended: a chest record that names no colour took the table's "None", which is black, and its
// name was black on the black hover box; such a name keeps the text's own colour.
std::string HoverChestColour(const DatabaseEntry& record)
{
    int32_t colour = EnumTable::LookupIn("ColorType", record.GetString("Color"), true);
    return colour == ColorType::None ? std::string() : ColorSystem::MakeColorCode(colour);
}

std::string HoverLevelName(int32_t level)
{
    return gWorld ? gWorld->GetLevelName(level) : std::string();
}

std::string HoverCovenantName(int32_t index)
{
    return gGameClient ? gGameClient->GetCovenantText(index) : std::string();
}

bool HoverSamePlace(const WorldPos& a, const WorldPos& b)
{
    return a.level == b.level && a.x == b.x && a.y == b.y;
}

// The record a named quality takes its name from: the base for Set and Unique, the base's
// base for Artifact; null when the chain is shorter.
const DatabaseEntry* HoverNamedRecord(const DatabaseEntry& record, int32_t quality)
{
    size_t steps = quality == ItemRarity::Artifact ? 2 : (quality == ItemRarity::Set || quality == ItemRarity::Unique);
    if (steps == 0)
        return &record;
    auto chain = record.GetBaseChain();
    return steps <= chain.size() ? chain[steps - 1] : nullptr;
}

} // namespace

std::string EntityClient::GetHoverText(bool nameOnly, bool forAnyEntity, bool withOwnTag) const
{
    std::string out;
    BuildHoverText(out, nameOnly, forAnyEntity, withOwnTag);
    return out;
}

void EntityClient::BuildHoverText(std::string& out, bool nameOnly, bool forAnyEntity, bool withOwnTag) const
{
    out.clear();
    if (!record)
        return;
    bool own = entityNumber != -1 && entityNumber == Client::GetLocalPlayerNumber();
    if (!forAnyEntity && !own && !IsMonster())
        return;
    if (own) {
        AppendHoverName(out, forAnyEntity, withOwnTag);
        return;
    }
    switch (record->GetType()) {
    case DatabaseEntryType::Item:
        AppendItemHover(out);
        HoverAppendHints(out, nameOnly, kHoverPickUpHints);
        return;
    case DatabaseEntryType::Money:
        out = FormatMoney(moneyAmount);
        HoverAppendHints(out, nameOnly, kHoverPickUpHints);
        return;
    case DatabaseEntryType::QuestItem:
        AppendQuestItemHover(out);
        HoverAppendHints(out, nameOnly, kHoverPickUpHints);
        if (!nameOnly && HoverSimpleTips() && IsPlayerQuestItem())
            out += "\n$$PickupToReduceExperiencePenaltyByHalf$$";
        return;
    default: break;
    }
    if (isChest) {
        out = HoverChestColour(*record);
        out += record->GetString("Name");
        // Mended: an opened chest (its state word clear) went on offering to be opened.
        if (!isUsableObject) {
            out += " $$ChestOpened$$";
            return;
        }
        HoverAppendHints(out, nameOnly, canAttack ? "\n$$LeftClickToBreak$$" : "\n$$LeftClickToOpen$$");
        return;
    }
    if (isGate)
        AppendGateHover(out, nameOnly);
    else
        AppendCreatureHover(out, nameOnly, forAnyEntity, withOwnTag);
}

void EntityClient::AppendHoverName(std::string& out, bool forAnyEntity, bool withOwnTag) const
{
    if (forAnyEntity) {
        const PlayerClient* player = HoverPlayer();
        out += player ? player->characterName : personalName;
        if (withOwnTag)
            out += ' ';
    }
    if (withOwnTag)
        out += "($$YourCharacter$$)";
}

void EntityClient::AppendItemHover(std::string& out) const
{
    bool plainColour = itemType == ItemType::Tome || itemType == ItemType::TreasureMap;
    if (plainColour)
        StringAppendFormat(out, "%c%c%03d", '^', 'c', 0);
    else if (gGameData)
        out += gGameData->GetItemQualityColorCode(itemQuality);
    if (const DatabaseEntry* named = HoverNamedRecord(*record, itemQuality))
        out += named->GetString("Name");
    out += ColorSystem::MakeColorCode(kHoverPlainColour);
}

void EntityClient::AppendQuestItemHover(std::string& out) const
{
    if (!questRecord || !questTarget) {
        out += record->GetString("Name");
        return;
    }
    std::string itemName = questTarget->GetString("QuestItemName");
    if (questRecord->GetType() == DatabaseEntryType::MonsterType)
        out += MakeLocToken("MonsterItemName", "%s %s", questRecord->GetString("Name").c_str(), itemName.c_str());
    else
        out += itemName;
}

void EntityClient::AppendGateHover(std::string& out, bool nameOnly) const
{
    const PlayerClient* player = HoverPlayer();
    if (record->GetInt("SimpleName") != 0) {
        out += record->GetString("Name");
        if (!nameOnly)
            out += record->GetString("Desc");
    } else if (gateDestination.level == -1) {
        if (position.level == 0)
            out += isTownGate ? "$$TownGate$$" : "$$CovenantGate$$";
        else
            StringAppendFormat(out, "%s $$Gate$$", HoverLevelName(position.level).c_str());
    } else if (gateDestination.level == 0) {
        if (player && HoverSamePlace(gateDestination, player->returnPoint)) {
            const CovenantClient* home = gGameClient ? gGameClient->FindNearestCovenantHome(gateDestination) : nullptr;
            StringAppendFormat(out, "$$GateTo$$ %s", home ? home->GetDisplayName().c_str() : "");
        } else if (player && HoverSamePlace(gateDestination, player->secondPoint)) {
            StringAppendFormat(out, "$$GateTo$$ %s", HoverLevelName(0).c_str());
        } else {
            out += "$$GateToHome$$";
        }
    } else {
        out += MakeLocToken("GateXToY", "%s %s", record->GetString("Name").c_str(),
                            HoverLevelName(gateDestination.level).c_str());
    }
    if (!isUsableObject)
        return;
    bool usable = (player && player->GetCurrentLevelGateFlag(position.level)) || gateDestinationKnown || position.level == 0;
    HoverAppendHints(out, nameOnly, usable ? "\n$$LeftClickToUse$$" : "\n$$LeftClickToActivate$$");
}

void EntityClient::AppendMonsterName(std::string& out) const
{
    const DatabaseField* named = record->FindField("Name");
    std::string_view name = named ? named->value : std::string_view(displayName);
    // A creature the host calls by the name its seed gives (a road trader, a quest's renegade)
    // is called so here too, as the host's messages and the quest's words call it; its kind
    // stands beneath.
    std::string_view called = personalName.empty() ? name : std::string_view(personalName);
    GameClient::GetMonsterDisplayName(out, rank, level, called, isNpc, true, true, out.size());
    if (!personalName.empty()) {
        out += '\n';
        out += name;
    }
    // The level and rank word on a line of their own, when there is either.
    size_t lineBreak = out.size();
    out += '\n';
    GameClient::GetMonsterDisplayName(out, rank, level, name, isNpc, false, true, out.size());
    if (out.size() == lineBreak + 1)
        out.resize(lineBreak);
}

// The two flags that choose the player's name and its tag choose an NPC's name and its title.
// A title the builder would join straight onto the name ("OrlaWarmaster") goes on a line of its
// own, as a monster's level and rank do, and a town NPC named after its calling shows it once.
void EntityClient::AppendNpcName(std::string& out, bool withName, bool withTitle) const
{
    std::string name;
    GameClient::GetNpcDisplayName(*this, name, withName, false);
    std::string title;
    GameClient::GetNpcDisplayName(*this, title, false, withTitle);
    out += name;
    if (title.empty() || title == name)
        return;
    if (!name.empty() && title.front() != ' ')
        out += '\n';
    out += title;
}

void EntityClient::AppendCreatureHover(std::string& out, bool nameOnly, bool withName, bool withTitle) const
{
    const std::string hint = ColorSystem::MakeColorCode(kHoverHintColour);
    const std::string plain = ColorSystem::MakeColorCode(kHoverPlainColour);
    if (isLifeStone || isToggleUsableObject) {
        out += record->GetString("Name");
        if (nameOnly)
            return;
        if (isToggleUsableObject && !isLifeStone) {
            out += hint + "\n$$LeftClickToUse$$" + plain;
            return;
        }
        if (covenantIndex != -1)
            out += "\n" + HoverCovenantName(covenantIndex);
        if (IsOfPlayerCovenant())
            out += "\n$$SlowlyHealsCharactersWhenUsed$$" + hint + "\n$$LeftClickToUse$$";
        else
            out += hint + "\n$$LeftClickToAttack$$";
        out += plain;
        return;
    }
    if (isNpc)
        AppendNpcName(out, withName, withTitle);
    else
        AppendMonsterName(out);
    if (nameOnly)
        return;
    if (isStash)
        out += isBookshelf ? "$$BookshelfDesc$$" : isPlayerStash ? "$$PlayerStashDesc$$" : "$$SharedStashDesc$$";
    if (covenantIndex != -1)
        out += "\n" + HoverCovenantName(covenantIndex);
    if (isNpc) {
        int32_t slot = -1;
        if (const std::vector<int32_t>* party = GetPartyRecord()) {
            auto at = std::find(party->begin(), party->end(), entityNumber);
            slot = at - party->begin() < kHoverPartySlots ? static_cast<int32_t>(at - party->begin()) : -1;
        }
        if (slot != -1)
            out += "\n" + MakeLocToken("DropFoodOfPotionOnRecruitToHealShowKeys", "%d %d", slot + 1, slot + 6);
        else if (IsOfPlayerCovenant())
            out += "\n$$DropFoodOfPotionOnRecruitToHeal$$";
    }
    out += hint;
    const GameSystemTuning* tuning = gGameData ? &gGameData->GetTuning() : nullptr;
    if (!description.empty() && tuning && tuning->showDescriptionHint)
        out += "\n$$PressKeyForDescription$$";
    if (isGambler)
        out += "\n$$LeftClickToGamble$$";
    else if (isVendor)
        out += "\n$$LeftClickToBuyAndSell$$";
    else if (isNpcList)
        out += "\n$$LeftClickToManageRecruits$$";
    else if (isStash)
        out += "\n$$LeftClickToOpen$$";
    else if (isNpc || !questOffers.empty())
        out += "\n$$LeftClickToTalk$$";
    else if (GetClickAction(true, true) == kHoverAttackMode)
        out += "\n$$LeftClickToAttack$$";
    if (HoverSimpleTips() && tuning && tuning->showRightClickHint)
        out += "\n$$RightClickToSelectOnly$$";
    out += plain;
}

bool EntityClient::IsTooltipPlaced() const
{
    auto entry = static_cast<size_t>(kVisualFlagPlaced);
    return entry >= visualFlags.size() || visualFlags[entry];
}
