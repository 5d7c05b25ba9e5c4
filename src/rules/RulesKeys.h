// RulesKeys -- the database keys the game rules named themselves, in one place; the shipped "GameSystem" record documents each.
#pragma once

// Keys ending in a name take it from a table: "ItemTypeColor" + "Chest" is "ItemTypeColorChest".
// The world difficulty names ("Novice", "Normal", "Champion", "Elite", "Legendary") are the
// "WorldDifficultyLevel" table of core/EngineEnums.h.
namespace RulesKeys {

// The experience curve. "XpFactorLevel" + a level number (2 and up): the points a level needs
// are those of the level below times this factor. A level without its own key takes the factor
// of the nearest level below that has one (1.0 when none has).
inline constexpr const char* kXpFactorLevel = "XpFactorLevel";
// Experience for a source level above (below) the receiver's: this factor once per level apart.
inline constexpr const char* kXpMultPerLevelAbove = "XpMultPerLevelAbove";
inline constexpr const char* kXpMultPerLevelBelow = "XpMultPerLevelBelow";

// Money one skill point costs when it is bought or refunded.
inline constexpr const char* kMoneyPerSkillPoint = "MoneyPerSkillPoint";

// Colour-table entries, each a "ColorType" name or an index: + an "ItemType" name, + an
// "ItemRarity" (quality) name, + a "MonsterRarity" name, + a "CovenantTreaty" name, + a
// "TradeRouteType" name.
inline constexpr const char* kItemTypeColor = "ItemTypeColor";
inline constexpr const char* kItemQualityColor = "ItemQualityColor";
inline constexpr const char* kMonsterRarityColor = "MonsterRarityColor";
inline constexpr const char* kTreatyColor = "TreatyColor";
inline constexpr const char* kTradeRouteColor = "TradeRouteColor";

// A covenant's power: "PowerWeight" + "House", "AbsoluteInfluence", "People", "Items", "LifeStone".
inline constexpr const char* kPowerWeight = "PowerWeight";

// The lowest character level that may start a world of a difficulty: + a "WorldDifficultyLevel" name.
inline constexpr const char* kDifficultyMinLevel = "DifficultyMinLevel";

// The damage a typical hit does at a level: base + (level - 1) x per level; resistance
// absorption is measured against it.
inline constexpr const char* kTypicalDamageBase = "TypicalDamageBase";
inline constexpr const char* kTypicalDamagePerLevel = "TypicalDamagePerLevel";

// The share of an item's value a vendor pays, from the start value at level 0 to the end value
// at the level count and beyond.
inline constexpr const char* kSellFractionStart = "SellFractionStart";
inline constexpr const char* kSellFractionEnd = "SellFractionEnd";
inline constexpr const char* kSellFractionLevels = "SellFractionLevels";

} // namespace RulesKeys
