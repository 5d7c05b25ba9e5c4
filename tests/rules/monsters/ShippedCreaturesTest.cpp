// ShippedCreaturesTest -- The shipped monsters, town NPCs, chat sets and covenants: what the game needs of them, and the lint checks of their kinds.
#include "core/LocSystem.h"
#include "rules/PlantedGame.h"
#include "rules/RulesEnums.h"
#include "rules/ShippedRulesWorld.h"
#include "rules/covenants/CovenantDefinition.h"
#include "rules/covenants/CovenantTrait.h"
#include "rules/monsters/MonsterArchetype.h"
#include "rules/monsters/MonsterDefinition.h"
#include "rules/monsters/MonsterType.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>

using ShippedCreatures = ShippedRulesWorld;

TEST_F(ShippedCreatures, MonstersCoverTheLevelsWithEverySpecialRarity)
{
    EXPECT_EQ(gameData.GetArchetypes().GetCount(), 3);
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
    std::vector<int32_t> actorsOfType(NpcType::kCount, 0);
    for (const DatabaseEntry* entry = database.GetNextEntryOfType(DatabaseEntryType::Actor); entry;
         entry = database.GetNextEntryOfType(DatabaseEntryType::Actor, entry)) {
        const MonsterDefinition& definition = *gameData.FindMonsterDefinition(entry->GetName());
        ++actorsOfType[static_cast<size_t>(definition.npcType)];
        if (definition.npcType != NpcType::None) {
            EXPECT_FALSE(definition.chatIntro.empty()) << definition.name;
            EXPECT_GE(definition.chats.size(), 2u) << definition.name;
        }
    }
    for (int32_t type = NpcType::Warmaster; type < NpcType::kCount; ++type)
        EXPECT_EQ(actorsOfType[static_cast<size_t>(type)], 1) << type;
}

TEST_F(ShippedCreatures, HumanComesLastAfterFourRivalsWithTheirTraits)
{
    ASSERT_EQ(gameData.GetCovenantDefinitionCount(), 5);
    EXPECT_EQ(gameData.FindCovenantDefinitionIndex("Human"), 4);
    EXPECT_EQ(gameData.GetCovenantTraitCount(), 6);
    for (int32_t i = 0; i < 4; ++i) {
        const CovenantDefinition& rival = *gameData.GetCovenantDefinition(i);
        EXPECT_FALSE(rival.traitNames.empty()) << rival.name;
        EXPECT_EQ(rival.startingRelations.size(), 4u) << rival.name;
        EXPECT_EQ(rival.relationChangeCancelledTreaty.size(), static_cast<size_t>(CovenantTreaty::Alliance + 1));
        EXPECT_EQ(rival.relationForTradeRoute.size(), static_cast<size_t>(TradeRouteType::kCount));
    }
    for (int32_t i = 0; i < gameData.GetCovenantTraitCount(); ++i)
        EXPECT_NE(gameData.GetCovenantTrait(i)->statusEffect, nullptr);
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
                             "Bare\n{\n Type CovenantTrait\n Name x\n}\n");
    std::vector<std::string> problems = LintGameFolder(folder.Path().string());
    for (const char* expected :
         {"Nameless: Name is empty", "Nameless: Archetype is empty", "Nameless: level window 4..3 is empty or below 1",
          "Talker: ChatIntro names the missing text Unknown", "Mute: has no ChatText",
          "Mute: MaxLevel is below MinLevel", "Chatty: ChatText names the missing text Missing",
          "Human: is not the last covenant definition", "Late: Name is empty", "Bare: Desc is empty",
          "Bare: TextureName is empty"})
        EXPECT_TRUE(std::find(problems.begin(), problems.end(), expected) != problems.end()) << expected;
    EXPECT_TRUE(std::find(problems.begin(), problems.end(), "Chatty: ChatText names the missing text Known") ==
                problems.end());
}
