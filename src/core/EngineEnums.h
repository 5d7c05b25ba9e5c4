// EngineEnums -- the engine's enumerations: value names in order, their tables, by-name lookups and stat names.
#pragma once

#include "core/EnumTable.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Each list gives one table's value names in value order. A list makes both the constants
// (Table::Name, an int32_t) and the table's texts, so the two can never drift apart.
#define EMBERLODE_ENUM_CONSTANT(name) name,
#define EMBERLODE_ENUM_ONE(name) +1

#define EMBERLODE_CHARACTER_STAT(X)                                                                          \
    X(BaseStrength) X(BaseDexterity) X(BaseVitality) X(BaseIntelligence) X(BaseSpirit) X(Strength)            \
    X(Dexterity) X(Vitality) X(Intelligence) X(Spirit)                                                        \
    X(Skill1) X(Skill2) X(Skill3) X(Skill4) X(Skill5) X(Skill6) X(Skill7) X(Skill8) X(Skill9) X(Skill10)       \
    X(Skill11) X(Skill12) X(Skill13) X(Skill14) X(Skill15) X(Skill16) X(Skill17) X(Skill18) X(Skill19)         \
    X(Skill20) X(Skill21) X(Skill22) X(Skill23) X(Skill24) X(Skill25) X(Skill26) X(Skill27) X(Skill28)         \
    X(Skill29) X(Skill30) X(Skill31) X(Skill32) X(Skill33) X(Skill34) X(Skill35) X(Skill36) X(Skill37)         \
    X(Skill38) X(Skill39) X(Skill40) X(Skill41) X(Skill42) X(Skill43) X(Skill44) X(Skill45) X(Skill46)         \
    X(Skill47) X(Skill48) X(Skill49) X(Skill50) X(Skill51) X(Skill52) X(Skill53) X(Skill54) X(Skill55)         \
    X(Skill56) X(Skill57) X(Skill58) X(Skill59) X(Skill60)                                                    \
    X(Defense) X(Block) X(Parry) X(Deflection) X(Dodge) X(Evade) X(Attack) X(AttackSpeed) X(Armor)            \
    X(ArmorPiercing) X(Power) X(MaxPower) X(MaxHealth) X(PowerRising) X(Level) X(Xp) X(XpNeeded) X(XpDebt)    \
    X(MinDamage) X(MaxDamage) X(HealthRegen) X(PowerRegen) X(Class) X(AttributePointsLeft)                    \
    X(SkillPointsLeft) X(Movement) X(Money) X(ResistancePhysical) X(ResistanceFire) X(ResistanceCold)        \
    X(ResistancePoison) X(ResistanceLightning) X(ResistanceMagic) X(ExtraMoney) X(ItemsChance)                \
    X(MagicChance) X(LightIntensity) X(Size) X(LastSkillRaised) X(DisarmTrap) X(SecretsFound)                 \
    X(SpecificSecrets) X(Score) X(Lives) X(Num) X(None)

#define EMBERLODE_DYNAMIC_STAT(X)                                                                            \
    X(CriticalHit) X(CrushingBlow) X(StunningBlow) X(DeepWounds) X(ExtraDamage) X(HealthChange) X(TotalTime)  \
    X(ExtraPowerGainChance) X(PowerGainMult) X(HateChange) X(GeneralPower) X(CastTime) X(CriticalHeal)        \
    X(HealingHate) X(SkillDamage) X(PowerNeeded) X(PowerRegen) X(HealthRegen) X(MagicCriticalHit)            \
    X(MagicCrushingBlow) X(Attack) X(ScoreKillMult) X(ScoreItemMult) X(EscapeNotice) X(ItemHealMult)         \
    X(ItemPowerGainMult)

#define EMBERLODE_CHARACTER_FUN_STAT(X)                                                                      \
    X(Kills) X(Deaths) X(KillsPerDeath) X(GoldFound) X(TimePlayedMilliSeconds) X(TimePlayedDays)             \
    X(MaxDamageDealt) X(MaxDamageTaken) X(StrongestMonsterDefeated) X(StrongestMonsterDefeatedInfo)          \
    X(ToughestBattleWon) X(ToughestBattleWonInfo) X(StrongestMonsterKilledBy)                                 \
    X(StrongestMonsterKilledByInfo) X(WeakestMonsterKilledBy) X(WeakestMonsterKilledByInfo) X(QuestsSolved)  \
    X(MaxDamageDealtAtOnce) X(MaxHealthHealed) X(RaidsOffensiveWon) X(RaidsOffensiveTotal)                   \
    X(RaidsDefensiveWon) X(RaidsDefensiveTotal) X(DestroyedByMonsters) X(BestTrapDisarmed) X(GemsFound)      \
    X(TotalDamageTaken) X(PowerupsUsed) X(BonusScores)

#define EMBERLODE_COVENANT_STAT(X)                                                                           \
    X(GuardCosts) X(Free1) X(Free2) X(AbsoluteInfluence) X(MaxNPCs) X(MaxLifeStone) X(People) X(Items)        \
    X(LifeStone) X(House) X(Money) X(InfluenceAdventure) X(InfluenceCompetition) X(InfluenceWorld)           \
    X(InfluenceTransferred)

#define EMBERLODE_COVENANT_FUN_STAT(X) X(WorldsConquered) X(WorldsLost) X(WorldsAbandoned) X(WorldsAllyWin)

#define EMBERLODE_EQUIPED_LOCATION(X)                                                                        \
    X(Head) X(Neck) X(Shoulders) X(Back) X(Chest) X(Wrists) X(Hands) X(Waist) X(Legs) X(Feet) X(Ring1)        \
    X(Ring2) X(Jewelry1) X(Jewelry2) X(HandPrimary) X(HandSecondary) X(Ranged) X(None)

#define EMBERLODE_ITEM_TYPE(X)                                                                               \
    X(Head) X(Neck) X(Shoulders) X(Back) X(Chest) X(Wrists) X(Hands) X(Waist) X(Legs) X(Feet) X(Ring)         \
    X(Jewelry) X(HandPrimary) X(HandSecondary) X(HandEither) X(HandBoth) X(Ranged) X(Bag) X(Tome) X(Guard)    \
    X(Relic) X(TreasureMap) X(Food) X(Drink) X(Other)

#define EMBERLODE_ITEM_SLOT_TYPE(X)                                                                          \
    X(Head) X(Neck) X(Shoulders) X(Back) X(Chest) X(Wrists) X(Hands) X(Waist) X(Legs) X(Feet) X(Ring)         \
    X(Jewelry) X(HandPrimary) X(HandSecondary) X(Ranged) X(Bag) X(Guard) X(Relic) X(Tome) X(General) X(Key)   \
    X(Powerup) X(None)

#define EMBERLODE_INVENTORY_GROUP_INDEX(X)                                                                   \
    X(Main) X(Equipment) X(Bag1) X(Bag2) X(Bag3) X(Bag4) X(Stash) X(StashBag1) X(StashBag2) X(StashBag3)      \
    X(StashBag4) X(StashBag5) X(StashBag6) X(StashBag7) X(StashBag8) X(Loot) X(LootBag1) X(LootBag2)          \
    X(LootBag3) X(LootBag4) X(LootBag5) X(LootBag6) X(LootBag7) X(LootBag8) X(House) X(Bookshelf) X(Backup)

#define EMBERLODE_STATUS_EFFECT_TYPE(X)                                                                      \
    X(Normal) X(Combine) X(OnlyOne) X(OnePerInflicter) X(OnlyOneExact) X(OnlyOneKeepOld) X(Cancel)

#define EMBERLODE_STATUS_TYPE(X) X(Normal) X(Distracted)

#define EMBERLODE_SIMPLE_EVENT(X)                                                                            \
    X(None) X(Move) X(UseSkill) X(SkillFinished) X(PathFindingFailed) X(PathFindingSuccess)                  \
    X(AttackSuccessful) X(Hit) X(DamageOverTime) X(Attacked)

#define EMBERLODE_MONSTER_RARITY(X)                                                                          \
    X(Normal) X(Common) X(Uncommon) X(Rare) X(VeryRare) X(Unique) X(Legend) X(Boss)

#define EMBERLODE_ITEM_RARITY(X)                                                                             \
    X(Normal) X(Common) X(Uncommon) X(Rare) X(VeryRare) X(Set) X(Unique) X(Artifact)

#define EMBERLODE_ITEM_REQUIREMENT(X)                                                                        \
    X(None) X(Health) X(Mana) X(Faith) X(ArmorCloth) X(ArmorLeather) X(ArmorMail) X(ArmorPlate)              \
    X(WeaponDagger) X(WeaponAxe) X(WeaponSword) X(WeaponSwordTwoHanded) X(WeaponMace) X(WeaponStaff)          \
    X(Shield) X(Cape)

#define EMBERLODE_DAMAGE_TYPE(X) X(Physical) X(Fire) X(Cold) X(Poison) X(Lightning) X(Magic)

#define EMBERLODE_SKILL_TYPE(X)                                                                              \
    X(Dot) X(DirectDamage) X(Situational) X(Finish) X(Heal) X(Buff) X(Debuff) X(Stealth) X(Simple)

#define EMBERLODE_ENTITY_STATE(X)                                                                            \
    X(Block) X(Parry) X(Deflection) X(Dodge) X(Evade) X(CriticalHit) X(Hit) X(MinorDistraction)              \
    X(DecentDistraction) X(MajorDistraction) X(Stealthed) X(EnemyBlock) X(EnemyParry) X(EnemyDeflection)     \
    X(EnemyDodge) X(EnemyEvade) X(EnemyCriticalHit) X(EnemyHit) X(EnemyMinorDistraction)                     \
    X(EnemyDecentDistraction) X(EnemyMajorDistraction) X(EnemyStealthed) X(HasEnemies)

#define EMBERLODE_TIMED_ACTION(X)                                                                            \
    X(None) X(UsingSkill) X(IdentifyingItem) X(OpeningChest) X(OpeningStash) X(OpeningDeadBody)              \
    X(CreatingGate) X(Resurrecting)

#define EMBERLODE_DATABASE_ENTRY_TYPE(X)                                                                     \
    X(None) X(Item) X(MagicModifier) X(Actor) X(MonsterArchetype) X(MonsterType) X(MonsterEnhancement)      \
    X(Stat) X(StatusEffect) X(Skill) X(SkillTree) X(Class) X(Info) X(Projectile) X(BehaviorStack)            \
    X(BehaviorData) X(Object) X(Covenant) X(CovenantTrait) X(Money) X(Chest) X(Faction) X(QuestItem)         \
    X(Quest) X(Area) X(Trap) X(Attachment) X(NpcChat) X(Adventure) X(Unlock) X(Music) X(SoundGroup)

#define EMBERLODE_STAT_TYPE(X)                                                                               \
    X(Normal) X(Fun) X(Covenant) X(CovenantFun) X(PlayerCovenant) X(GlobalNormal) X(GlobalFun)              \
    X(GlobalOther) X(Other)

#define EMBERLODE_STAT_OTHER_INDEX(X)                                                                        \
    X(Health) X(MaxHealth) X(Power) X(MaxPower) X(TimedEvent) X(MaxTimedEvent) X(CovenantHealth)             \
    X(CovenantMaxHealth) X(Dps) X(EquipmentWorth) X(InventoryWorth) X(CovenantPower) X(CovenantMaxPower)

#define EMBERLODE_STAT_CONVERSION_TYPE(X)                                                                    \
    X(None) X(Money) X(MoneyShort) X(CovenantMoney) X(Float) X(TimeInTwoStats) X(MonsterType)                \
    X(MonsterTypeAtPlayerLevel) X(Percent) X(Level) X(LargeNumber)

#define EMBERLODE_OBJECT_TYPE(X)                                                                             \
    X(Normal) X(Door) X(Torch) X(Secret) X(Item) X(Monster) X(Chest) X(Trap) X(Gate) X(Trigger)              \
    X(SimpleAnimating)

// No list of the two difficulty tables is given with them; these are our choice: the covenants'
// difficulty words (which also end the per-difficulty database keys) and the difficulties a
// character can beat. The item rarity table's name, "ItemRarity", is ours as well.
#define EMBERLODE_DIFFICULTY_LEVEL(X) X(Easy) X(Average) X(Hard) X(VeryHard)

// Five world difficulties: the game rules' minimum levels of entries 2 to 4 gate the three hardest.
#define EMBERLODE_WORLD_DIFFICULTY_LEVEL(X) X(Novice) X(Normal) X(Champion) X(Elite) X(Legendary)

// One namespace per table: Table::Name is the value, kCount the number of names and
// kDefault what an unknown name gives.
#define EMBERLODE_DECLARE_ENUM(Table, LIST, expectedCount, defaultValue)                                     \
    namespace Table {                                                                                         \
    enum Value : int32_t { LIST(EMBERLODE_ENUM_CONSTANT) };                                                  \
    constexpr int32_t kCount = 0 LIST(EMBERLODE_ENUM_ONE);                                                   \
    constexpr int32_t kDefault = defaultValue;                                                               \
    static_assert(kCount == (expectedCount), #Table " has the wrong number of names");                       \
    }

EMBERLODE_DECLARE_ENUM(CharacterStat, EMBERLODE_CHARACTER_STAT, 116, None)
EMBERLODE_DECLARE_ENUM(DynamicStat, EMBERLODE_DYNAMIC_STAT, 26, CriticalHit)
EMBERLODE_DECLARE_ENUM(CharacterFunStat, EMBERLODE_CHARACTER_FUN_STAT, 29, Kills)
EMBERLODE_DECLARE_ENUM(CovenantStat, EMBERLODE_COVENANT_STAT, 15, GuardCosts)
EMBERLODE_DECLARE_ENUM(CovenantFunStat, EMBERLODE_COVENANT_FUN_STAT, 4, WorldsConquered)
EMBERLODE_DECLARE_ENUM(EquipedLocation, EMBERLODE_EQUIPED_LOCATION, 18, None)
EMBERLODE_DECLARE_ENUM(ItemType, EMBERLODE_ITEM_TYPE, 25, Other)
EMBERLODE_DECLARE_ENUM(ItemSlotType, EMBERLODE_ITEM_SLOT_TYPE, 23, None)
EMBERLODE_DECLARE_ENUM(InventoryGroupIndex, EMBERLODE_INVENTORY_GROUP_INDEX, 27, Main)
EMBERLODE_DECLARE_ENUM(StatusEffectType, EMBERLODE_STATUS_EFFECT_TYPE, 7, Normal)
EMBERLODE_DECLARE_ENUM(StatusType, EMBERLODE_STATUS_TYPE, 2, Normal)
EMBERLODE_DECLARE_ENUM(SimpleEvent, EMBERLODE_SIMPLE_EVENT, 10, None)
EMBERLODE_DECLARE_ENUM(MonsterRarity, EMBERLODE_MONSTER_RARITY, 8, Normal)
EMBERLODE_DECLARE_ENUM(ItemRarity, EMBERLODE_ITEM_RARITY, 8, Normal)
EMBERLODE_DECLARE_ENUM(ItemRequirement, EMBERLODE_ITEM_REQUIREMENT, 16, None)
EMBERLODE_DECLARE_ENUM(DamageType, EMBERLODE_DAMAGE_TYPE, 6, Physical)
EMBERLODE_DECLARE_ENUM(SkillType, EMBERLODE_SKILL_TYPE, 9, DirectDamage)
EMBERLODE_DECLARE_ENUM(EntityState, EMBERLODE_ENTITY_STATE, 23, Parry)
EMBERLODE_DECLARE_ENUM(TimedAction, EMBERLODE_TIMED_ACTION, 8, None)
EMBERLODE_DECLARE_ENUM(DatabaseEntryType, EMBERLODE_DATABASE_ENTRY_TYPE, 32, None)
EMBERLODE_DECLARE_ENUM(StatType, EMBERLODE_STAT_TYPE, 9, Normal)
EMBERLODE_DECLARE_ENUM(StatOtherIndex, EMBERLODE_STAT_OTHER_INDEX, 13, Health)
EMBERLODE_DECLARE_ENUM(StatConversionType, EMBERLODE_STAT_CONVERSION_TYPE, 11, None)
EMBERLODE_DECLARE_ENUM(ObjectType, EMBERLODE_OBJECT_TYPE, 11, Normal)
// Neither difficulty table's default is given by the game; these are the middle setting and
// the ordinary world.
EMBERLODE_DECLARE_ENUM(DifficultyLevel, EMBERLODE_DIFFICULTY_LEVEL, 4, Average)
EMBERLODE_DECLARE_ENUM(WorldDifficultyLevel, EMBERLODE_WORLD_DIFFICULTY_LEVEL, 5, Normal)

// "ModelType" names are not identifiers: "2d" (0, sprite) and "3d" (1, skeletal, the default).
namespace ModelType {
enum Value : int32_t { Sprite = 0, Skeletal = 1 };
constexpr int32_t kCount = 2;
constexpr int32_t kDefault = Skeletal;
} // namespace ModelType

// Fills the registry with every table above and "ColorType"; the registry calls it once.
void AddEngineEnumTables(std::vector<std::unique_ptr<EnumTable>>& tables);

// By-name lookups: the table's default for an unknown name, which is logged.
int32_t GetCharacterStatByName(std::string_view name);
int32_t GetCharacterFunStatByName(std::string_view name);
int32_t GetEquipedLocationByName(std::string_view name);
int32_t GetItemTypeByName(std::string_view name);
int32_t GetItemSlotTypeByName(std::string_view name);
int32_t GetInventoryGroupIndexByName(std::string_view name);
int32_t GetStatusEffectTypeByName(std::string_view name);
int32_t GetStatusTypeByName(std::string_view name);
int32_t GetSimpleEventByName(std::string_view name);
int32_t GetMonsterRarityByName(std::string_view name);
int32_t GetItemRequirementByName(std::string_view name);
int32_t GetDamageTypeByName(std::string_view name);
int32_t GetSkillTypeByName(std::string_view name);
int32_t GetModelTypeByName(std::string_view name);
int32_t GetEntityStateByName(std::string_view name);
int32_t GetTimedActionByName(std::string_view name);
int32_t GetDifficultyLevelByName(std::string_view name);
int32_t GetWorldDifficultyLevelByName(std::string_view name);

// The name at that position (empty outside the table); asToken gives its localisation
// token instead, since a stat's name is also its localisation key.
std::string GetCharacterStatName(int32_t value, bool asToken);
std::string GetDynamicStatName(int32_t value, bool asToken);
std::string GetDamageTypeName(int32_t value);

// A stem joined to each damage type's name ("DamagePercent" gives "DamagePercentPhysical", ...),
// spelt once for keys and record names looked up at every hit; a type outside the table gives
// an empty text.
class DamageTypeKeys {
public:
    explicit DamageTypeKeys(std::string_view stem);
    const std::string& operator[](int32_t type) const;

private:
    std::array<std::string, DamageType::kCount> keys;
};
std::string GetEntityStateName(int32_t value);
