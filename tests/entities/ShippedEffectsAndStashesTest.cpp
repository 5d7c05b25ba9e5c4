// ShippedEffectsAndStashesTest -- every shipped status effect is carried, ticks and ends without a log line, its skills found; both shipped stashes open the bags they should.
#include "rules/ShippedRulesWorld.h"

#include "core/EventSystem.h"
#include "core/RandomSystem.h"
#include "core/TypeRegistry.h"
#include "entities/FakeGameServices.h"
#include "entities/Item.h"
#include "entities/Sentient.h"
#include "entities/Skill.h"
#include "entities/Stash.h"
#include "entities/StatusEffect.h"

#include <gtest/gtest.h>

namespace {

class ShippedEffectsAndStashes : public ShippedRulesWorld {
protected:
    ShippedEffectsAndStashes() : random(0x5eed)
    {
        gEventSystem = &events;
        gTypeRegistry = &types;
        gRandomSystem = &random;
        gGameServices = &services;
        Entity::RegisterEventClass(events, types);
        Sentient::RegisterEventClass(events, types);
    }

    ~ShippedEffectsAndStashes() override
    {
        services.DestroyAll();
        gGameServices = nullptr;
        gRandomSystem = nullptr;
        gTypeRegistry = nullptr;
        gEventSystem = nullptr;
    }

    template <class T>
    T* Place(float x)
    {
        auto* entity = new T();
        WorldPos where;
        where.level = 0;
        where.x = x;
        where.y = 100.0f;
        entity->SetPosition(where);
        EXPECT_NE(services.AddEntity(entity), -1);
        return entity;
    }

    // Lines logged as warnings or errors since the mark.
    std::vector<std::string> Complaints(size_t mark) const
    {
        std::vector<std::string> lines = game.debug.GetConsoleLines();
        std::vector<std::string> out;
        for (size_t i = mark; i < lines.size(); ++i)
            if (lines[i].rfind("^c00", 0) == 0)
                out.push_back(lines[i]);
        return out;
    }

    EventSystem events;
    TypeRegistry types;
    RandomSystem random;
    FakeGameServices services;
};

TEST_F(ShippedEffectsAndStashes, EveryEffectIsCarriedTicksAndEndsQuietly)
{
    size_t mark = game.debug.GetConsoleLines().size();
    int32_t effects = 0;
    for (int32_t file = 0; database.GetEntryByIndex(file << 16); ++file) {
        for (int32_t index = 0; const DatabaseEntry* entry = database.GetEntryByIndex((file << 16) | index); ++index) {
            if (entry->IsBaseOnly() || entry->GetType() != DatabaseEntryType::StatusEffect)
                continue;
            ++effects;
            auto* carrier = Place<Sentient>(100.0f);
            carrier->SetClass(0, true);
            carrier->RecalculateStats(true);
            auto* source = Place<Sentient>(140.0f);
            carrier->AddStatusEffect(entry, source, 3);
            ASSERT_FALSE(carrier->GetStatusEffects().empty()) << entry->GetName();
            const StatusEffect& effect = *carrier->GetStatusEffects().back();
            const char* keys[] = {"OnHitSkill", "WhenHitSkill", "WhenMissedSkill", "WhenKilledSkill"};
            for (int32_t i = 0; i < StatusEffect::kOwnSkillCount; ++i) {
                if (!entry->GetString(keys[i]).empty()) {
                    EXPECT_NE(effect.GetOwnSkill(i), nullptr) << entry->GetName() << " " << keys[i];
                }
            }
            for (int step = 0; step < 200; ++step)
                carrier->UpdateStatusEffects(0.1f);
            services.RemoveEntity(carrier);
            delete carrier;
            services.RemoveEntity(source);
            delete source;
        }
    }
    EXPECT_GE(effects, 20);
    EXPECT_EQ(Complaints(mark), std::vector<std::string>{});
}

TEST_F(ShippedEffectsAndStashes, TheAntidoteLessensTheMonstersPoisonAndEndsAWeakOne)
{
    // The shipped poison at level 30 takes 6 a tick, at level 10 two; the antidote cures 4.
    struct Case {
        int32_t poisonLevel;
        float left;
        bool over;
    };
    for (const Case& c : {Case{30, -2.0f, false}, Case{10, 2.0f, true}}) {
        auto* drinker = Place<Sentient>(100.0f);
        drinker->SetClass(0, true);
        drinker->RecalculateStats(true);
        drinker->AddStatusEffectByName("StatusEffectBasicPoison", drinker, c.poisonLevel);
        ASSERT_FALSE(drinker->GetStatusEffects().empty());
        const StatusEffect& poison = *drinker->GetStatusEffects().back();
        ASSERT_EQ(poison.groupName, "BasicPoison");
        Item antidote;
        antidote.SetEntry(database.FindEntryByName("Antidote"));
        antidote.SetStackCount(2);
        antidote.ComputeStats();
        antidote.ResolveDefinition();
        antidote.Use(drinker);
        EXPECT_NEAR(poison.healthChange, c.left, 1e-4f) << c.poisonLevel;
        EXPECT_EQ(poison.IsExpired(), c.over) << c.poisonLevel;
        services.RemoveEntity(drinker);
        delete drinker;
    }
}

TEST_F(ShippedEffectsAndStashes, TheStealthEndsInItsAmbushOnceItHasWorked)
{
    auto* thief = Place<Sentient>(100.0f);
    thief->SetClass(0, true);
    thief->RecalculateStats(true);
    thief->AddStatusEffectByName("StatusEffectThiefStealth", thief, 1);
    for (int step = 0; step < 220; ++step)
        thief->UpdateStatusEffects(0.1f);
    ASSERT_EQ(thief->GetStatusEffects().size(), 1u);
    EXPECT_EQ(thief->GetStatusEffects().front()->GetEntry()->GetName(), "StatusEffectAmbushReady");
}

TEST_F(ShippedEffectsAndStashes, BothStashesOpenTheBagsTheirRecordsSay)
{
    size_t mark = game.debug.GetConsoleLines().size();
    auto* player = Place<Sentient>(100.0f);
    auto* own = Place<Stash>(120.0f);
    own->SetEntry(database.FindEntryByName("ObjectPlayerStash"));
    auto* shared = Place<Stash>(140.0f);
    shared->SetEntry(database.FindEntryByName("ObjectCovenantStash"));
    EXPECT_EQ(own->GetStashBag(player, InventoryGroupIndex::LootBag3), player->GetBag(InventoryGroupIndex::StashBag3));
    EXPECT_EQ(shared->GetStashBag(player, InventoryGroupIndex::Loot), nullptr) << "the player has no covenant";
    EXPECT_EQ(Complaints(mark), std::vector<std::string>{});
}

} // namespace
