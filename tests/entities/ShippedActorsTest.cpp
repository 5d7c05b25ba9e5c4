// ShippedActorsTest -- every shipped monster type sets up at levels 1 and 20 without a warning, senses a fake player, takes it as its target and dies into a corpse that leaves the table.
#include "core/DatabaseEntry.h"
#include "core/EventSystem.h"
#include "core/RandomSystem.h"
#include "core/TypeRegistry.h"
#include "entities/Actor.h"
#include "entities/FakeGameServices.h"
#include "entities/SkillList.h"
#include "rules/monsters/MonsterDefinition.h"
#include "rules/monsters/MonsterType.h"
#include "rules/ShippedRulesWorld.h"
#include "support/LogLines.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

class ShippedActors : public ShippedRulesWorld {
protected:
    ShippedActors() : random(0x5eed)
    {
        gEventSystem = &events;
        gTypeRegistry = &types;
        gRandomSystem = &random;
        gGameServices = &fake;
        Entity::RegisterEventClass(events, types);
        Actor::RegisterEventClass(events, types);
    }

    ~ShippedActors() override
    {
        fake.DestroyAll();
        gGameServices = nullptr;
        gRandomSystem = nullptr;
        gTypeRegistry = nullptr;
        gEventSystem = nullptr;
    }

    EventSystem events;
    TypeRegistry types;
    RandomSystem random;
    FakeGameServices fake;
};

} // namespace

TEST_F(ShippedActors, EveryMonsterTypeSetsUpSensesAndDiesIntoACorpse)
{
    ASSERT_GT(gameData.GetMonsterTypeCount(), 0);
    int warningsBefore = CountLinesHolding(game.debug, "arning");
    Sentient* player = new Sentient();
    player->maxHealth = player->health = 100;
    WorldPos where;
    where.level = 0;
    where.x = 60.0f;
    player->SetPosition(where);
    ASSERT_NE(fake.AddEntity(player), -1);
    fake.players.push_back(player);
    fake.relationship = 0;
    for (int32_t i = 0; i < gameData.GetMonsterTypeCount(); ++i) {
        const MonsterType* type = gameData.GetMonsterType(i);
        for (int32_t level : {1, 20}) {
            // A death skill of the one before may have hurt the player.
            player->health = player->maxHealth;
            auto* actor = new Actor();
            actor->SetUpFromMonsterType(type, level, false);
            where.x = 0.0f;
            actor->SetPosition(where);
            int32_t number = fake.AddEntity(actor);
            ASSERT_NE(number, -1);
            SCOPED_TRACE(type->GetEntry()->GetName());
            EXPECT_GT(actor->maxHealth, 0);
            actor->SetActive(true);
            actor->mayGoInactive = false;
            actor->Update(FakeGameServices::kStep);
            // Town folk (would-be recruits) and traders neither carry the monsters' blow nor hunt
            // players.
            if (!type->definition->npc && !type->vendor) {
                EXPECT_NE(actor->skillList->FindSkillByName("SkillMonsterStrike"), nullptr);
                EXPECT_EQ(actor->GetCurrentTarget(), player);
            }
            actor->TakeDamage(actor->maxHealth, player, false, false);
            // The town's own folk cannot be hurt: they stand through the blow.
            if (actor->flags & EntityFlag::Invulnerable) {
                EXPECT_FALSE(actor->IsDead());
                fake.RemoveEntity(actor);
                delete actor;
                continue;
            }
            for (int step = 0; step < 2000 && fake.GetEntity(number) == actor; ++step) {
                actor->Update(FakeGameServices::kStep);
                fake.Step();
            }
            EXPECT_EQ(fake.GetEntity(number), nullptr);
        }
    }
    EXPECT_EQ(CountLinesHolding(game.debug, "arning"), warningsBefore);
}

TEST_F(ShippedActors, TheHealerBufferSummonerAndStalkerKnowTheirSkills)
{
    const std::pair<const char*, const char*> expected[] = {{"MonsterGoblinShaman", "SkillMonsterMend"},
                                                            {"MonsterGoblinWarlord", "SkillMonsterWarCry"},
                                                            {"MonsterBoneKing", "SkillMonsterRaiseDead"},
                                                            {"MonsterAshfang", "SkillMonsterStalk"},
                                                            {"MonsterSkeleton", "SkillMonsterBoneBurst"}};
    for (const auto& [typeName, skillName] : expected) {
        const MonsterType* type = gameData.FindMonsterType(typeName);
        ASSERT_NE(type, nullptr) << typeName;
        Actor actor;
        actor.SetUpFromMonsterType(type, 15, false);
        EXPECT_NE(actor.skillList->FindSkillByName(skillName), nullptr) << typeName << " " << skillName;
        EXPECT_NE(actor.skillList->FindSkillByName("SkillMonsterStrike"), nullptr) << typeName;
    }
    Actor skeleton;
    skeleton.SetUpFromMonsterType(gameData.FindMonsterType("MonsterSkeleton"), 5, false);
    ASSERT_NE(skeleton.deathSkill, nullptr);
    ASSERT_NE(skeleton.GetMusic(), nullptr);
    EXPECT_EQ(skeleton.GetMusic()->GetName(), "MusicCrypt");
}
