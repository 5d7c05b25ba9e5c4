// ShippedCreaturesTest -- The shipped monsters, town NPCs, chat sets and covenants: what the game needs of them, and the lint checks of their kinds.
#include "core/LocSystem.h"
#include "rules/PlantedGame.h"
#include "rules/RulesEnums.h"
#include "rules/ShippedRulesWorld.h"
#include "rules/covenants/CovenantDefinition.h"
#include "rules/covenants/CovenantTrait.h"
#include "core/EnumTable.h"
#include "rules/monsters/Attachment.h"
#include "rules/monsters/MonsterArchetype.h"
#include "rules/monsters/MonsterDefinition.h"
#include "rules/monsters/MonsterEnhancement.h"
#include "rules/monsters/MonsterType.h"
#include "rules/statuseffects/StatusEffectBase.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>

using ShippedCreatures = ShippedRulesWorld;

TEST_F(ShippedCreatures, MonstersCoverTheLevelsWithEverySpecialRarity)
{
    // Goblins, undead, beasts, would-be recruits, bone callers, cinderlings, cantors, rovers, the
    // town's own folk and the town's recruit, who goes along with its leader.
    EXPECT_EQ(gameData.GetArchetypes().GetCount(), 10);
    ASSERT_GE(gameData.GetMonsterTypeCount(), 8);
    std::set<int32_t> rarities;
    std::set<int32_t> levels;
    for (int32_t i = 0; i < gameData.GetMonsterTypeCount(); ++i) {
        const MonsterType& type = *gameData.GetMonsterType(i);
        EXPECT_NE(type.archetype, nullptr) << type.name;
        EXPECT_NE(type.definition, nullptr) << type.name;
        rarities.insert(type.rarity);
        for (int32_t level = type.baseMinLevel; level <= type.baseMaxLevel; ++level)
            levels.insert(level);
    }
    for (int32_t rarity : {MonsterRarity::Unique, MonsterRarity::Legend, MonsterRarity::Boss})
        EXPECT_TRUE(rarities.count(rarity)) << rarity;
    for (int32_t level = 1; level <= 20; ++level) {
        EXPECT_TRUE(levels.count(level)) << level;
        EXPECT_GT(gameData.CountEligibleMonsterTypes(level), 0) << level;
    }
}

TEST_F(ShippedCreatures, EveryTownNpcTypeHasOneActorWithChat)
{
    // An actor comes into the game only as some monster type's definition.
    std::set<const MonsterDefinition*> actors;
    for (int32_t i = 0; i < gameData.GetMonsterTypeCount(); ++i)
        actors.insert(gameData.GetMonsterType(i)->definition);
    actors.erase(nullptr);
    std::vector<int32_t> actorsOfType(NpcType::kCount, 0);
    for (const MonsterDefinition* definition : actors) {
        ++actorsOfType[static_cast<size_t>(definition->npcType)];
        if (definition->npcType != NpcType::None) {
            EXPECT_FALSE(definition->chatIntro.empty()) << definition->name;
            EXPECT_GE(definition->chats.size(), 2u) << definition->name;
        }
    }
    // The would-be recruits of recruit quests share the town recruit's kind (their screen and
    // their quests go by it); every other kind is one townsperson's.
    for (int32_t type = NpcType::Warmaster; type < NpcType::kCount; ++type)
        EXPECT_EQ(actorsOfType[static_cast<size_t>(type)], type == NpcType::Recruit ? 2 : 1) << type;
    // The town's slot of a kind takes the first monster type of that kind: the town's own.
    for (int32_t type = NpcType::Warmaster; type < NpcType::kCount; ++type)
        for (int32_t i = 0; i < gameData.GetMonsterTypeCount(); ++i) {
            const MonsterType* monsterType = gameData.GetMonsterType(i);
            if (!monsterType->definition || monsterType->definition->npcType != type)
                continue;
            EXPECT_EQ(monsterType->GetEntry()->GetName().substr(0, 11), "MonsterTown") << type;
            break;
        }
}

TEST_F(ShippedCreatures, HumanComesLastAfterSevenRivalsWithTheirTraits)
{
    ASSERT_EQ(gameData.GetCovenantDefinitionCount(), 8);
    EXPECT_EQ(gameData.FindCovenantDefinitionIndex("Human"), 7);
    EXPECT_EQ(gameData.GetCovenantTraitCount(), 6);
    for (int32_t i = 0; i < 7; ++i) {
        const CovenantDefinition& rival = *gameData.GetCovenantDefinition(i);
        EXPECT_FALSE(rival.traitNames.empty()) << rival.name;
        // Every other covenant of the game, the player's among them.
        EXPECT_EQ(rival.startingRelations.size(), 7u) << rival.name;
        EXPECT_EQ(rival.relationChangeCancelledTreaty.size(), static_cast<size_t>(CovenantTreaty::Alliance + 1));
        EXPECT_EQ(rival.relationForTradeRoute.size(), static_cast<size_t>(TradeRouteType::kCount));
    }
    for (int32_t i = 0; i < gameData.GetCovenantTraitCount(); ++i)
        EXPECT_NE(gameData.GetCovenantTrait(i)->statusEffect, nullptr);
}

// Each random table holds an enhancement for the first levels; the ones given by name exist
// for every rarity above Normal, for town NPCs and for recruits, and read as status effects.
TEST_F(ShippedCreatures, EnhancementsFillEveryTableAndEveryNamedRecordExists)
{
    using Table = MonsterEnhancement::Table;
    const RecordList<MonsterEnhancement>& enhancements = gameData.GetMonsterEnhancements();
    auto drawable = [&](Table table, int32_t level) {
        for (int32_t i = 0; i < enhancements.GetCount(); ++i) {
            const MonsterEnhancement& enhancement = *enhancements.Get(i);
            if (enhancement.table == table && enhancement.spawnChance > 0.0f && enhancement.HoldsLevel(level))
                return true;
        }
        return false;
    };
    // Major enhancements wait until monsters are strong enough to carry them.
    const std::pair<Table, int32_t> firstLevels[] = {{Table::Minor, 1}, {Table::Other, 1}, {Table::Npc, 1},
                                                     {Table::Major, 4}};
    for (auto [table, first] : firstLevels) {
        EXPECT_FALSE(drawable(table, first - 1) && table == Table::Major);
        for (int32_t level = first; level <= 20; ++level)
            EXPECT_TRUE(drawable(table, level)) << static_cast<int>(table) << " at " << level;
    }
    std::vector<std::string> named = {"EnhancementTownNpc", "EnhancementRecruitBasic"};
    for (int32_t rarity = MonsterRarity::Common; rarity < MonsterRarity::kCount; ++rarity)
        named.push_back("EnhancementRarity" + EnumTable::Find("MonsterRarity")->GetName(rarity));
    for (const std::string& name : named) {
        const DatabaseEntry* entry = database.FindEntryByName(name);
        ASSERT_NE(entry, nullptr) << name;
        EXPECT_EQ(entry->GetType(), DatabaseEntryType::MonsterEnhancement) << name;
        StatusEffectBase effect;
        effect.SetDefinition(entry, 1, nullptr);
        EXPECT_TRUE(effect.forever) << name;
        EXPECT_GT(effect.statMult.Get(CharacterStat::MaxHealth), 0) << name;
        EXPECT_FALSE(effect.textureName.empty()) << name;
    }
}

// The recruit quest draws its recruit from the would-be recruits of the first class, who take
// that class and a personal name.
TEST_F(ShippedCreatures, RecruitQuestFindsItsRecruitsArchetype)
{
    const MonsterArchetype* recruits =
        gameData.FindArchetype("ArchetypeNpcPotentialRecruit" + gameData.GetCharacterClassName(0));
    ASSERT_NE(recruits, nullptr);
    EXPECT_EQ(recruits->types.size(), 2u);
    EXPECT_NE(recruits->PickRandomFromList(), nullptr);
    EXPECT_EQ(recruits->classIndex, 0);
    EXPECT_EQ(recruits->nameListName, "npcsMale");
    for (int32_t level = 1; level <= 20; ++level) {
        for (int32_t n = 0; n < gameData.CountEligibleMonsterTypes(level); ++n)
            EXPECT_NE(gameData.GetEligibleMonsterType(level, n)->archetype, recruits) << level;
    }
}

TEST_F(ShippedCreatures, TheShamanHoldsAFirebrand)
{
    const DatabaseEntry* shaman = database.FindEntryByName("ActorGoblinShaman");
    ASSERT_NE(shaman, nullptr);
    std::vector<std::string> names;
    shaman->GetStringList("Attachment", names, true, false);
    ASSERT_EQ(names.size(), 1u);
    const Attachment* firebrand = gameData.FindAttachment(names[0]);
    ASSERT_NE(firebrand, nullptr);
    ASSERT_EQ(firebrand->alternatives.size(), 2u);
    EXPECT_EQ(firebrand->alternatives[0].modelName, "models/props/torch.mdl");
    EXPECT_EQ(firebrand->alternatives[0].tagName, "weapon");
    EXPECT_EQ(firebrand->alternatives[1].scale, 0.3f);
}

TEST(CreatureLint, ReportsPlantedFaults)
{
    TempFolder folder;
    WritePlantedGame(folder, "GameSystem\n{\n Type Info\n GameName x\n Version 1\n}\n"
                             "Nameless\n{\n Type MonsterType\n MinLevel 4\n MaxLevel 3\n}\n"
                             "Talker\n{\n Type Actor\n ChatIntro Unknown\n}\n"
                             "Mute\n{\n Type NpcChat\n DialogType None\n MinLevel 2\n MaxLevel 1\n}\n"
                             "Chatty\n{\n Type NpcChat\n DialogType None\n ChatText Known\n ChatText Missing\n}\n"
                             "Human\n{\n Type Covenant\n Name x\n}\n"
                             "Late\n{\n Type Covenant\n}\n"
                             "Bare\n{\n Type CovenantTrait\n Name x\n}\n"
                             "Pale\n{\n Type CovenantTrait\n Name x\n Desc x\n TextureName textures/none.tga\n}\n"
                             "Carrier\n{\n Type Actor\n Attachment Hat\n Attachment Talker\n}\n"
                             "Hat\n{\n Type Attachment\n Alternative models/hat.mdl head\n"
                             " Alternative models/none.mdl head\n}\n"
                             "Empty\n{\n Type Attachment\n}\n"
                             "Fierce\n{\n Type MonsterEnhancement\n}\n");
    folder.Write("Assets/models/hat.mdl", "type 3d");
    std::vector<std::string> problems = LintGameFolder(folder.Path().string());
    for (const char* expected :
         {"Nameless: Name is empty", "Nameless: Archetype is empty", "Nameless: level window 4..3 is empty or below 1",
          "Talker: ChatIntro names the missing text Unknown", "Mute: has no ChatText",
          "Mute: MaxLevel is below MinLevel", "Chatty: ChatText names the missing text Missing",
          "Human: is not the last covenant definition", "Late: Name is empty", "Bare: Desc is empty",
          "Bare: TextureName is empty", "Pale: TextureName names the missing file textures/none.tga",
          "Carrier: Attachment names no attachment record Talker", "Hat: Alternative names the missing model models/none.mdl",
          "Empty: has no Alternative", "Fierce: Name is empty", "Fierce: TextureName is empty"})
        EXPECT_TRUE(std::find(problems.begin(), problems.end(), expected) != problems.end()) << expected;
    for (const char* unexpected : {"Chatty: ChatText names the missing text Known",
                                   "Hat: Alternative names the missing model models/hat.mdl",
                                   "Carrier: Attachment names no attachment record Hat"})
        EXPECT_TRUE(std::find(problems.begin(), problems.end(), unexpected) == problems.end()) << unexpected;
}
