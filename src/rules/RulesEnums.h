// RulesEnums -- the game rules' enumerations: value names in order, their registered tables and by-name lookups.
#pragma once

#include "core/EngineEnums.h"

#include <cstdint>
#include <string>
#include <string_view>

// Values are stored in saves and sent to clients as plain integers: the order is fixed.
#define EMBERLODE_QUEST_TYPE(X)                                                                              \
    X(None) X(BossKnight) X(BossLord) X(BossPrince) X(BossKing) X(KillMonsters) X(UniqueMonsterSpotted)      \
    X(Assassin) X(MonsterQuestItem) X(LevelQuestItem) X(TownTraps) X(Recruit) X(KillMonsterGroup)            \
    X(RescueNpc) X(ClearLevel) X(ScoutLocation) X(Delivery) X(CrystalGain) X(CrystalLoss) X(InfluenceGain)   \
    X(InfluenceLoss) X(Uprising) X(Renegade) X(RenegadeAttack) X(GhostRevenge) X(Revenge) X(War) X(Escort)   \
    X(TreasureMap) X(MonsterQuest) X(PoisonedSupply) X(DeadlyPoison) X(Petrify) X(Plague) X(NewNpc)          \
    X(TownAttack) X(GuardBreaksFree) X(TutorialEquipWeapon) X(TutorialUseSlot) X(TutorialInvestigateHouse)   \
    X(TutorialTalkToQuestGivers) X(TutorialTalkToVendors) X(TutorialCovenantTrade) X(Thief) X(Kidnapping)    \
    X(Siege) X(WanderingVendor) X(MonsterScout) X(ArmorsmithMonsterQuestItem)                                 \
    X(WeaponsmithMonsterQuestItem) X(ArmorsmithLevelQuestItem) X(WeaponsmithLevelQuestItem)                   \
    X(StoryKillBemmelScout) X(StoryBemmelArmy) X(StoryBemmelGraves) X(StoryQuorrinPellDallet)                \
    X(StoryKillQuorrinPartner) X(StoryQuorrinRescue) X(StoryVarrowFindItem) X(StoryKillVarrowGuard)          \
    X(StoryVarrowHorde) X(StoryKillOskithMage) X(StoryOskithNullifier) X(StoryOskithArmy)                    \
    X(WarAgainstBarbarians) X(Meeting) X(TutorialGetQuest) X(Trigger)

#define EMBERLODE_NPC_TYPE(X)                                                                                \
    X(None) X(Warmaster) X(Apothecary) X(Steward) X(Recruit) X(OneShot) X(VendorBasic) X(VendorWeapon)        \
    X(VendorArmor) X(VendorGuard) X(Gambler) X(Tutor) X(VendorWandering)

#define EMBERLODE_CHAT_DIALOG_TYPE(X)                                                                        \
    X(None) X(Any) X(UniqueMonster) X(ScoutKilled) X(RenegadeKilled) X(AssassinKilled) X(TownAttackRepelled) \
    X(ThiefKilled) X(RescueNpcDied) X(DeliveryNpcDied) X(EscortNpcDied) X(Rain) X(RescuedNpc) X(RescuedMe)   \
    X(CuredMePoison) X(CuredMePetrify) X(CuredPlague) X(PlayerDestroyedCovenant)                              \
    X(CovenantDestroyedCovenant) X(MonstersDestroyedCovenant) X(BossKilled) X(NpcKilledByUniqueMonster)     \
    X(NpcKilledByNormalMonster) X(FoundUniqueItem) X(PlayerDeath) X(CovenantDefendedRaid)                    \
    X(CovenantDefendedPlayerRaid) X(PlayerDefendedRaid)

#define EMBERLODE_IN_WAY_ALPHA_TYPE(X) X(Never) X(Normal) X(South) X(East) X(Below)

#define EMBERLODE_DIRECTION(X) X(North) X(NorthEast) X(East) X(SouthEast) X(South) X(SouthWest) X(West) X(NorthWest)

#define EMBERLODE_SOLID_TYPE(X) X(Normal) X(Gate) X(Transparent)

#define EMBERLODE_ATTACK_SOUND_TYPE(X)                                                                       \
    X(DeadlyHit) X(CriticalHit) X(CrushingBlow) X(DeepWounds) X(NormalHit) X(Block) X(Parry) X(NormalMiss)

// Treaty states 0 to 6 are what a relation holds; the last four name the other agreements.
#define EMBERLODE_COVENANT_TREATY(X)                                                                         \
    X(None) X(Peace) X(War) X(Raid) X(NonAggressionPact) X(MutualProtectionPact) X(Alliance) X(GiveBribe)     \
    X(DemandBribe) X(BreakTreaty) X(BreakTradeRoute)

#define EMBERLODE_TRADE_ROUTE_TYPE(X) X(None) X(Tiny) X(Small) X(Medium) X(Large) X(Huge)

#define EMBERLODE_RUMOR_LEVEL(X) X(Quick) X(Planned) X(WellCrafted)

// What one point of each kind of gain is worth ("ValueEachPoint" + name in the "GameSystem"
// record). The first five price status effects; the rest price what items and skills give.
#define EMBERLODE_VALUE_EACH_POINT(X)                                                                        \
    X(HealthChangeOverTime) X(PowerChangeOverTime) X(TemporaryAttribute) X(TemporaryResistance)              \
    X(TemporaryMagicChance) X(Attribute) X(Resistance) X(MagicChance) X(MaxHealth) X(MaxPower) X(HealthRegen) \
    X(PowerRegen) X(Armor) X(Defense) X(Attack) X(AttackSpeed) X(MinDamage) X(MaxDamage) X(Block) X(Parry)    \
    X(Dodge) X(Movement) X(SkillLevel) X(ExtraMoney) X(ItemsChance) X(LightIntensity) X(DisarmTrap)           \
    X(CriticalHit) X(CrushingBlow) X(StunningBlow) X(DeepWounds) X(ArmorPiercing)

EMBERLODE_DECLARE_ENUM(QuestType, EMBERLODE_QUEST_TYPE, 68, None)
EMBERLODE_DECLARE_ENUM(NpcType, EMBERLODE_NPC_TYPE, 13, None)
EMBERLODE_DECLARE_ENUM(ChatDialogType, EMBERLODE_CHAT_DIALOG_TYPE, 28, None)
EMBERLODE_DECLARE_ENUM(InWayAlphaType, EMBERLODE_IN_WAY_ALPHA_TYPE, 5, Never)
EMBERLODE_DECLARE_ENUM(Direction, EMBERLODE_DIRECTION, 8, North)
EMBERLODE_DECLARE_ENUM(SolidType, EMBERLODE_SOLID_TYPE, 3, Normal)
EMBERLODE_DECLARE_ENUM(AttackSoundType, EMBERLODE_ATTACK_SOUND_TYPE, 8, DeadlyHit)
EMBERLODE_DECLARE_ENUM(CovenantTreaty, EMBERLODE_COVENANT_TREATY, 11, None)
EMBERLODE_DECLARE_ENUM(TradeRouteType, EMBERLODE_TRADE_ROUTE_TYPE, 6, None)
EMBERLODE_DECLARE_ENUM(RumorLevel, EMBERLODE_RUMOR_LEVEL, 3, Quick)
EMBERLODE_DECLARE_ENUM(ValueEachPoint, EMBERLODE_VALUE_EACH_POINT, 32, HealthChangeOverTime)

// "DefenceResult" names are what the miss line prints; the sixth is empty on purpose, so
// nothing is ever looked up as it.
namespace DefenceResult {
enum Value : int32_t { Miss = 0, Block = 1, Parry = 2, Deflection = 3, Dodge = 4, Unnamed = 5 };
constexpr int32_t kCount = 6;
constexpr int32_t kDefault = Miss;
} // namespace DefenceResult

// "CompareFunction" names are operators: ">", ">=", "=", "<", "<="; an unknown name gives 5,
// which is no function.
namespace CompareFunction {
enum Value : int32_t { Greater = 0, GreaterEqual = 1, Equal = 2, Less = 3, LessEqual = 4, Invalid = 5 };
constexpr int32_t kCount = 5;
constexpr int32_t kDefault = Invalid;
} // namespace CompareFunction

// Registers every table above with the engine's enum registry, once; later calls do nothing.
// The lookups below register on first use too, so they never meet a missing table.
void RegisterRulesEnumTables();

// By-name lookups: the table's default for an unknown name, which is logged (an empty name is not).
int32_t GetQuestTypeByName(std::string_view name);
int32_t GetNpcTypeByName(std::string_view name);
int32_t GetChatDialogTypeByName(std::string_view name);
int32_t GetInWayAlphaTypeByName(std::string_view name);
int32_t GetDirectionByName(std::string_view name);
int32_t GetSolidTypeByName(std::string_view name);
int32_t GetAttackSoundTypeByName(std::string_view name);
int32_t GetDefenceResultByName(std::string_view name);
int32_t GetCovenantTreatyByName(std::string_view name);
int32_t GetTradeRouteTypeByName(std::string_view name);
int32_t GetRumorLevelByName(std::string_view name);
int32_t GetCompareFunctionByName(std::string_view name);

// A copy of the "NpcType" name of the value; empty below 0 or past the end of the table.
std::string GetNameByIndex(int32_t value);
