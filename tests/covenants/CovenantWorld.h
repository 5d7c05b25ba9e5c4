// CovenantWorld -- the covenant test world: the actor world's records and fake game, covenant, item and object records, the fake covenant host and a plain covenant kind.
#pragma once

#include "covenants/Covenant.h"
#include "covenants/FakeCovenantHost.h"
#include "covenants/Recruit.h"
#include "entities/ActorWorld.h"
#include "entities/Inventory.h"
#include "entities/Item.h"

#include <memory>
#include <string>

// The least a covenant kind supplies: a leader and a player the test sets, and recruit slots.
class PlainCovenant : public Covenant {
public:
    explicit PlainCovenant(int32_t recruitSlots = 4)
    {
        SetRecruitSlots(recruitSlots);
        inventory->ResizeBag(InventoryGroupIndex::House, kHouseSlots);
    }

    void Start(int32_t, int32_t) override {}
    void SetUpFirstWorld() override {}
    Entity* GetLeader() const override { return leader; }
    Entity* GetPlayer() const override { return player; }
    void ModifyMemberStat(int32_t, int32_t&, int32_t) const override {}
    void RecordMemberExperience(int32_t, int32_t, float) override {}
    void OnMemberGainedExperience(Sentient&, int32_t) override {}
    void ApplyTraitEffects(Entity& entity) override { traitTargets.push_back(&entity); }
    void OnLevelReached(int32_t level, Entity* actor) override { reached.emplace_back(level, actor); }
    bool AllowsTarget(const Entity*, int32_t level) const override { return level != refusedLevel; }

    Entity* leader = nullptr;
    Entity* player = nullptr;
    std::vector<Entity*> traitTargets;
    std::vector<std::pair<int32_t, Entity*>> reached;
    int32_t refusedLevel = -2;
};

class CovenantWorld : public ActorWorld {
protected:
    static constexpr const char* kCovenantRecords = R"(
CovenantTest
{
    Type Covenant
    Name "$$CovenantTest$$"
    LifestoneRegenMult 0.5
    LifestoneHealthMult 2
    RelationForPeaceTreatyAverage 30
}
CovenantOther
{
    Type Covenant
    Name "$$CovenantOther$$"
}
TraitSteady
{
    Type CovenantTrait
}
TraitBold
{
    Type CovenantTrait
}
ObjectPedestal
{
    Type Object
}
GuardWrit
{
    Type Item
    ItemType Guard
    AlwaysIdentified 1
    Guard MonsterTester
    Value 100
}
GuardWritDear
{
    Type Item
    ItemType Guard
    AlwaysIdentified 1
    Guard MonsterTester
    Value 300
}
GuardWritMiddling
{
    Type Item
    ItemType Guard
    AlwaysIdentified 1
    Guard MonsterTester
    Value 200
}
RelicHalf
{
    Type Item
    ItemType Relic
    AlwaysIdentified 1
    ItemLevel 10
    RelicBonusPerLevel 0
    RelicBonusPerLevel 0
    RelicBonusPerLevel 0.05
    Value 500
}
RelicMight
{
    Type Item
    ItemType Relic
    AlwaysIdentified 1
    ItemLevel 10
    StatusEffect RelicMightEffect
    Value 300
}
RelicMightEffect
{
    Type StatusEffect
    Forever 1
    StatChangeStrength 7
}
RelicWhole
{
    Type Item
    ItemType Relic
    AlwaysIdentified 1
    ItemLevel 10
    RelicBonusPerLevel 0
    RelicBonusPerLevel 0
    RelicBonusPerLevel 0.1
    Value 400
}
)";

    CovenantWorld() { LoadRecords(std::string(kActorRecords) + kCovenantRecords); }

    ~CovenantWorld() override { game.DestroyAll(); }

    // A covenant of the definition, in the host's list and the fake game's.
    PlainCovenant& AddCovenant(const char* definition = "CovenantTest", int32_t recruitSlots = 4)
    {
        return AddCovenantOf<PlainCovenant>(definition, recruitSlots);
    }

    // A covenant of a test's own kind, made as AddCovenant makes one.
    template <class Kind>
    Kind& AddCovenantOf(const char* definition = "CovenantTest", int32_t recruitSlots = 4)
    {
        auto covenant = std::make_unique<Kind>();
        covenant->SetRecruitSlots(recruitSlots);
        Kind& made = *covenant;
        made.SetDefinitionByName(definition);
        host.Add(made);
        game.covenants.push_back(&made);
        owned.push_back(std::move(covenant));
        return made;
    }

    // A plain entity in the fake game standing as the covenant's lifestone, at x, y of level 0.
    Entity* GiveHome(Covenant& covenant, int32_t health, int32_t maxHealth, float x = 1000.0f, float y = 1000.0f)
    {
        Entity* lifestone = Spawn<Entity>(x, y);
        lifestone->health = health;
        lifestone->maxHealth = maxHealth;
        covenant.homeLevel = 0;
        covenant.homeX = x;
        covenant.homeY = y;
        covenant.SetHome(lifestone);
        return lifestone;
    }

    // An item of the record put into the house slot; null when refused.
    Item* PutInHouse(Covenant& covenant, const char* record, int32_t slot)
    {
        std::unique_ptr<ItemBase> item = std::make_unique<Item>();
        item->SetEntryByName(record);
        auto* raw = static_cast<Item*>(item.get());
        bool placed = covenant.inventory->PlaceItem(item, InventoryGroupIndex::House, slot, 0);
        return placed ? raw : nullptr;
    }

    FakeCovenantHost host;
    std::vector<std::unique_ptr<PlainCovenant>> owned;
};
