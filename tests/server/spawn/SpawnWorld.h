// SpawnWorld -- the spawn test world: the real game over three levels, monster, item, affix, enhancement and trap records, and a loaded spawn system.
#pragma once

#include "entities/Actor.h"
#include "entities/CombatSystem.h"
#include "entities/Item.h"
#include "entities/Player.h"
#include "rules/monsters/MonsterType.h"
#include "server/GameWorld.h"
#include "server/spawn/SpawnSystem.h"
#include "world/AreaDefinition.h"

#include <memory>
#include <string>

class SpawnWorld : public GameWorld {
public:
    static constexpr const char* kSpawnBaseRecords = R"(
GameSystem
{
    BaseXpNeededEachLevel 1000
    GridSize 32 32
    TileSize 64
    SunriseStart 6
    SunsetEnd 20
    WarpRings 3
    MinSellPercent 0.2
    MaxSellPercent 0.5
    MinSellPercentPrice 1000
    NpcType Warmaster
    NpcType VendorBasic
    NpcType Tutor
    TownSpotWarmaster "0 500 500"
    TownFacingWarmaster 3
    TownSpotVendorBasic "0 900 500"
}
ClassMonsterGeneric
{
    Type Class
    BaseSpeed 100
    HealthPerVit 4
    HealthPerLevel 6
    StartVitality 10
    MinDamage 2
    MaxDamage 4
}
StatusEffectBasicRegen
{
    Type StatusEffect
    BasicRegen 1
    Forever 1
    TickTime 1
    EffectType OnlyOne
    GroupName "BasicRegen"
}
ArchetypeSpawnTest
{
    Type MonsterArchetype
    InitChance 1
    SpawnChance 1
    FactionName "Testers"
}
ActorSpawnBase
{
    Type Actor
    Class ClassMonsterGeneric
    CanBeAttacked 1
    CanBeHurt 1
    Radius 10
}
ActorSpawnNpc
{
    Type Actor
    Base ActorSpawnBase
    Npc 1
}
ActorSpawnVendor
{
    Type Actor
    Base ActorSpawnBase
    Npc 1
    Vendor 1
    NpcType VendorBasic
}
ActorTownWarmaster
{
    Type Actor
    Base ActorSpawnNpc
    NpcType Warmaster
}
MonsterTownWarmaster
{
    Type MonsterType
    Archetype ArchetypeSpawnTest
    Definition ActorTownWarmaster
    MinLevel 3
    MaxLevel 3
    Excluded 1
}
EnhancementTownNpc
{
    Type StatusEffect
    Forever 1
    EffectType OnlyOne
    GroupName "TownNpc"
}
MonsterGrunt
{
    Type MonsterType
    Archetype ArchetypeSpawnTest
    Definition ActorSpawnBase
    MinLevel 1
    MaxLevel 30
}
MonsterFixedLevel
{
    Type MonsterType
    Archetype ArchetypeSpawnTest
    Definition ActorSpawnBase
    MinLevel 7
    MaxLevel 7
}
MonsterGruntLegend
{
    Type MonsterType
    Archetype ArchetypeSpawnTest
    Definition ActorSpawnBase
    Rarity Legend
    MinLevel 1
    MaxLevel 30
    Excluded 1
}
MonsterGruntUnique
{
    Type MonsterType
    Archetype ArchetypeSpawnTest
    Definition ActorSpawnBase
    Rarity Unique
    MinLevel 1
    MaxLevel 30
    Excluded 1
}
MonsterLinked
{
    Type MonsterType
    Archetype ArchetypeSpawnTest
    Definition ActorSpawnBase
    MinLevel 1
    MaxLevel 30
    LegendType MonsterGruntLegend
    Version MonsterGruntUnique
}
MonsterVersioned
{
    Type MonsterType
    Archetype ArchetypeSpawnTest
    Definition ActorSpawnBase
    MinLevel 1
    MaxLevel 30
    Version MonsterGruntUnique
}
MonsterVillager
{
    Type MonsterType
    Archetype ArchetypeSpawnTest
    Definition ActorSpawnNpc
    MinLevel 1
    MaxLevel 30
    Excluded 1
}
MonsterShopkeeper
{
    Type MonsterType
    Archetype ArchetypeSpawnTest
    Definition ActorSpawnVendor
    MinLevel 1
    MaxLevel 30
    Excluded 1
}
MonsterGiant
{
    Type MonsterType
    Archetype ArchetypeSpawnTest
    Definition ActorSpawnBase
    MinLevel 1
    MaxLevel 30
    Size 96
    GuardItem GuardWrit
}
EnhancementBase
{
    Type MonsterEnhancement
    BaseOnly 1
    Forever 1
    EffectType OnlyOne
    SpawnChance 1
    MinLevel 1
    MaxLevel 100
}
EnhancementMinorA
{
    Base EnhancementBase
    GroupName "MinorA"
    EnhancementType Minor
}
EnhancementMinorB
{
    Base EnhancementBase
    GroupName "MinorB"
    EnhancementType minor
}
EnhancementMajorA
{
    Base EnhancementBase
    GroupName "MajorA"
    EnhancementType Major
}
EnhancementOtherA
{
    Base EnhancementBase
    GroupName "OtherA"
    EnhancementType Lesser
}
EnhancementNpcA
{
    Base EnhancementBase
    GroupName "NpcA"
    NpcOnly 1
    EnhancementType Major
}
EnhancementNpcB
{
    Base EnhancementBase
    GroupName "NpcB"
    NpcOnly 1
}
EnhancementNpcC
{
    Base EnhancementBase
    GroupName "NpcC"
    NpcOnly 1
}
EnhancementNpcD
{
    Base EnhancementBase
    GroupName "NpcD"
    NpcOnly 1
}
EnhancementRarityRare
{
    Type StatusEffect
    Forever 1
    EffectType OnlyOne
    GroupName "RarityRare"
}
ItemBaseRecord
{
    Type Item
    BaseOnly 1
    SpawnChance 1
    CanSpawnOnVendor 1
}
BaseSword
{
    Base ItemBaseRecord
    BaseOnly 1
    ItemType HandPrimary
    ItemRequirement WeaponSword
    ModifiersAllowed 1
    ModifierLevelRequirement 0.5
    ItemLevel 5
    Value 100
}
RustySword
{
    Base BaseSword
    Name "Rusty Sword"
    ItemLevel 1
    MinLevel 1
    MaxLevel 105
}
SteelSword
{
    Base BaseSword
    Name "Steel Sword"
    ItemLevel 8
    MinLevel 8
    MaxLevel 105
}
PotionBase
{
    Base ItemBaseRecord
    BaseOnly 1
    ItemType Drink
    MaxStack 10
    AlwaysIdentified 1
    Value 10
}
SmallPotion
{
    Base PotionBase
    SpawnChance 0
    ItemLevel 1
}
LargePotion
{
    Base PotionBase
    SpawnChance 0
    ItemLevel 9
}
CrownOfAsh
{
    Base ItemBaseRecord
    Quality Unique
    ItemType Head
    ModifiersAllowed 1
    MinLevel 1
    MaxLevel 105
    Value 500
}
TwinBlade
{
    Base ItemBaseRecord
    Set "Twins"
    ItemType HandPrimary
    MinLevel 1
    MaxLevel 105
}
EmberIdol
{
    Base ItemBaseRecord
    Artifact 1
    ItemType Neck
    MinLevel 1
    MaxLevel 105
}
GuardWrit
{
    Type Item
    ItemType Guard
    MaxStack 1000000000
    Value 200
}
AffixHeavy
{
    Type MagicModifier
    Name "Heavy"
    Prefix 1
    ItemLevel 1
    MinLevel 4
    MagicRequirement Weapon
    SpawnChance 1
    AvailableAtMaxLevel 1
    StatChangeStrength 1
}
AffixBright
{
    Type MagicModifier
    Name "Bright"
    Prefix 1
    ItemLevel 1
    SpawnChance 1
    AvailableAtMaxLevel 1
}
AffixOfFoxes
{
    Type MagicModifier
    Name "of Foxes"
    ItemLevel 1
    SpawnChance 1
    AvailableAtMaxLevel 1
}
AffixOfBears
{
    Type MagicModifier
    Name "of Bears"
    ItemLevel 10
    SpawnChance 1
    AvailableAtMaxLevel 1
}
TrapPlate
{
    Type Trap
    SpawnChance 2
    MinLevel 1
    MaxLevel 50
}
)";

    static constexpr const char* kSpawnRecord = R"(
SpawnSystem
{
    MonsterEnchantmentNormalChance 50
    MonsterEnchantmentMajorChance 50
    MonsterNormalItemChance 1
    MonsterNormalMinItems 1
    MonsterNormalMaxItems 1
    MonsterRareItemChance 1
    MonsterRareMinItems 2
    MonsterRareMaxItems 2
    MonsterRareLevelIncrease 3
    MonsterRareIncreasedMagicChance 20
    MonsterRareEffectModel "models/effects/glow.mdl"
    ItemCommonChance 30
    ItemUncommonChance 20
    ItemRareChance 10
    ItemVeryRareChance 5
    ItemSetChance 50
    ItemUniqueChance 50
    ItemArtifactChance 50
    ItemNormalLevelSpreadMult 1
    ItemCommonLevelSpreadMult 1
    ItemUncommonLevelSpreadMult 1
    ItemRareLevelSpreadMult 1
    ItemVeryRareLevelSpreadMult 1
    MinLevelSpread 1
    MaxLevelSpread 5
    MinItemDropLevelSpread 1
    MaxItemDropLevelSpread 5
    MaxItemDropLevelAboveBase 3
    ItemDropAboveBaseLevel 0
    MinModifierLevelSpread 0
    MaxModifierLevelSpread 0
    MaxNormalItemLevel 20
}
)";

protected:
    SpawnWorld()
    {
        Sentient::RegisterEventClass(events, types);
        Actor::RegisterEventClass(events, types);
    }

    ~SpawnWorld() override
    {
        game->Reset();
        gSpawnSystem = nullptr;
        CombatSystem::Destroy();
    }

    // The base records, the extra ones and the spawn record; then the spawn system reads them.
    void LoadSpawn(const std::string& extra = "", const std::string& spawnRecord = kSpawnRecord)
    {
        LoadRecords(std::string(kSpawnBaseRecords) + extra + spawnRecord);
        spawn.Load();
        gSpawnSystem = &spawn;
    }

    const MonsterType* Type(const char* name) const { return gameData.FindMonsterType(name); }

    // Level 0 gets an area drawing from the given type, with the chances given.
    AreaDefinition& GiveArea(const char* typeName, float monsterChance, int32_t level = 0)
    {
        areas.push_back(std::make_unique<AreaDefinition>());
        AreaDefinition& area = *areas.back();
        area.monsterChancePerBlock = monsterChance;
        area.AddToPoolA(gameData.FindMonsterType(typeName));
        row.world.GetLevel(level)->area = &area;
        row.world.GetLevel(level)->monsterLevel = 12;
        return area;
    }

    // A player standing at x, y of level 0, in the game's players list.
    Player* AddPlayer(float x, float y, int32_t level = 5)
    {
        auto* player = new Player();
        player->SetPosition(At(x, y));
        player->stats.Set(CharacterStat::Level, level);
        EXPECT_NE(game->AddEntity(player), -1);
        return player;
    }

    SpawnSystem spawn;
    std::vector<std::unique_ptr<AreaDefinition>> areas;
};
