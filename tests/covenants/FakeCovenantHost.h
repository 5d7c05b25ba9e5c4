// FakeCovenantHost -- the game as the covenant tests see it: a list of covenants, a settable clock, scripted pedestal offsets and a log of the calls.
#pragma once

#include "covenants/Covenant.h"
#include "core/DatabaseEntry.h"
#include "covenants/CovenantHost.h"
#include "entities/Actor.h"
#include "entities/Chest.h"
#include "entities/Item.h"
#include "rules/RulesEnums.h"
#include "rules/monsters/MonsterType.h"

#include <array>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

class FakeCovenantHost : public CovenantHost {
public:
    FakeCovenantHost() { gCovenantHost = this; }
    ~FakeCovenantHost() override
    {
        if (gCovenantHost == this)
            gCovenantHost = nullptr;
    }

    int32_t GetCovenantCount() const override { return static_cast<int32_t>(covenants.size()); }
    Covenant* GetCovenant(int32_t index) const override
    {
        return index >= 0 && index < GetCovenantCount() ? covenants[static_cast<size_t>(index)] : nullptr;
    }
    TimeStamp GetGameClock() const override { return clock; }
    bool IsWorldAwake() const override { return awake; }
    bool IsFirstPlayer(const Entity& entity) const override { return &entity == firstPlayer; }
    std::string GetCovenantText(int32_t index) const override { return "covenant " + std::to_string(index); }
    // "lifestone <index> <ratio to two places>"
    void AnnounceLifestone(int32_t index, float ratio) override
    {
        char text[64];
        std::snprintf(text, sizeof(text), "lifestone %d %.2f", index, static_cast<double>(ratio));
        calls.emplace_back(text);
    }
    // "route off <first> <second>" (or "route <kind> ..."); unless refused, the kind is set on both sides.
    void SetTradeRoute(Covenant* first, Covenant* second, int32_t kind, bool) override
    {
        std::string what = kind == 0 ? "off" : std::to_string(kind);
        calls.push_back("route " + what + " " + std::to_string(first->index) + " " + std::to_string(second->index));
        if (refuseRoutes)
            return;
        first->SetTradeRouteKind(second->index, kind);
        second->SetTradeRouteKind(first->index, kind);
    }
    // "treaty <first> <second> <treaty>"; the treaty set both ways between covenants that exist.
    void AnnounceDiplomacy(int32_t first, int32_t second, int32_t treaty, bool) override
    {
        calls.push_back("treaty " + std::to_string(first) + " " + std::to_string(second) + " " + std::to_string(treaty));
        Covenant* one = GetCovenant(first);
        Covenant* other = GetCovenant(second);
        if (!one || !other)
            return;
        one->SetTreatyState(second, treaty);
        other->SetTreatyState(first, treaty);
    }
    // "raid <raider> <raided>"; the raider's treaty toward the raided becomes Raid both ways.
    void StartRaid(int32_t raider, int32_t raided) override
    {
        calls.push_back("raid " + std::to_string(raider) + " " + std::to_string(raided));
        if (Covenant* one = GetCovenant(raider))
            one->SetTreatyState(raided, CovenantTreaty::Raid);
        if (Covenant* other = GetCovenant(raided))
            other->SetTreatyState(raider, CovenantTreaty::Raid);
    }
    // "raid off <raider> <raided>"; the raider's target cleared, both at war.
    void StopRaid(int32_t raider, int32_t raided) override
    {
        calls.push_back("raid off " + std::to_string(raider) + " " + std::to_string(raided));
        if (Covenant* one = GetCovenant(raider)) {
            one->targetCovenant = -1;
            one->SetTreatyState(raided, CovenantTreaty::War);
        }
        if (Covenant* other = GetCovenant(raided))
            other->SetTreatyState(raider, CovenantTreaty::War);
    }
    // "execute <first> <second> <entries>"
    void ExecuteOffer(const TradeOffer& offer, Covenant* first, Covenant* second) override
    {
        calls.push_back("execute " + std::to_string(first->index) + " " + std::to_string(second->index) + " " +
                        std::to_string(offer.entries.size()));
    }
    // Unless refuseOffers, every giver holds what it gives.
    bool CanAffordOffer(const Covenant*, const Covenant*, const TradeOffer&) const override { return !refuseOffers; }
    // "rumor <level> <source> <target>"
    void StartRumor(int32_t level, Covenant* source, Covenant* target) override
    {
        calls.push_back("rumor " + std::to_string(level) + " " + std::to_string(source ? source->index : -1) + " " +
                        std::to_string(target ? target->index : -1));
    }
    // "peace answer <first> <second> <accepted>"
    void AnnouncePeaceResponse(Covenant& first, Covenant& second, bool accepted) override
    {
        calls.push_back("peace answer " + std::to_string(first.index) + " " + std::to_string(second.index) + " " +
                        std::to_string(accepted ? 1 : 0));
    }
    // "destroyed <index> by <destroyer or -1>"
    void OnCovenantDestroyed(Covenant& destroyed, Covenant* destroyer) override
    {
        calls.push_back("destroyed " + std::to_string(destroyed.index) + " by " +
                        std::to_string(destroyer ? destroyer->index : -1));
    }
    // "peace with all <index>" and "routes cleared <index>"; the records change both ways.
    void SetPeaceWithAll(int32_t covenant) override
    {
        calls.push_back("peace with all " + std::to_string(covenant));
        ForEachOther(covenant, [covenant](Covenant& own, Covenant& other) {
            own.SetTreatyState(other.index, CovenantTreaty::Peace);
            other.SetTreatyState(covenant, CovenantTreaty::Peace);
        });
    }
    void ClearTradeRoutesOfAll(int32_t covenant) override
    {
        calls.push_back("routes cleared " + std::to_string(covenant));
        ForEachOther(covenant, [covenant](Covenant& own, Covenant& other) {
            own.SetTradeRouteKind(other.index, 0);
            other.SetTradeRouteKind(covenant, 0);
        });
    }
    Vector2 GetPedestalOffset(int32_t i) const override
    {
        return i >= 0 && i < kPedestalCount ? pedestalOffsets[static_cast<size_t>(i)] : Vector2{};
    }
    // A set-up actor of the type, as the spawn system makes one; "guard <type> <level>" logged.
    Actor* MakeGuard(const MonsterType& type, int32_t level) override
    {
        calls.push_back("guard " + std::string(type.GetEntry() ? type.GetEntry()->GetName() : "") + " " +
                        std::to_string(level));
        auto* actor = new Actor();
        actor->SetUpFromMonsterType(&type, level, false);
        actor->RecalculateStats(true);
        if (guardMaxHealth > 0)
            actor->maxHealth = actor->health = guardMaxHealth;
        return actor;
    }

    // ---- What the computer-run covenants ask: scripted answers, calls logged ------------------
    WorldPos TakeHomePosition() override { return homePosition; }
    // An open quest of the type (the target null) or on that target: "type target-number".
    bool HasOpenQuest(int32_t type, const Entity* target) const override
    {
        for (auto [openType, openTarget] : openQuests)
            if (openType == type && (!target || openTarget == target))
                return true;
        return false;
    }
    Entity* PickLivingTownNpc() const override { return townPerson; }
    // "quest solved <quest> <covenant>"
    void QuestSolvedByOtherCovenant(int32_t quest, int32_t covenant) override
    {
        calls.push_back("quest solved " + std::to_string(quest) + " " + std::to_string(covenant));
    }
    bool IsLevelActive(int32_t level) const override { return level == activeLevel; }
    // "monster <level> <factor>"; the monster the test's maker gives, else none.
    Actor* RollMonster(int32_t level, float factor) override
    {
        char text[64];
        std::snprintf(text, sizeof(text), "monster %d %.2f", level, static_cast<double>(factor));
        calls.emplace_back(text);
        return monsterMaker ? monsterMaker(level) : nullptr;
    }
    // A set-up actor of recruitType at the level; none without a type.
    Actor* MakeRecruitActor(int32_t level) override
    {
        if (!recruitType)
            return nullptr;
        auto* actor = new Actor();
        actor->SetUpFromMonsterType(recruitType, level, false);
        actor->npc = true;
        actor->RecalculateStats(true);
        return actor;
    }
    // An item of guardItem, "guard item <level>" logged.
    std::unique_ptr<Item> PickGuardItem(int32_t level) override
    {
        calls.push_back("guard item " + std::to_string(level));
        return MakeItem(guardItem);
    }
    // An item of randomItem at the level, "random <level> <min> <max>" logged.
    std::unique_ptr<Item> MakeRandomItem(int32_t level, int32_t minSpread, int32_t maxSpread) override
    {
        calls.push_back("random " + std::to_string(level) + " " + std::to_string(minSpread) + " " +
                        std::to_string(maxSpread));
        return MakeItem(randomItem);
    }
    int32_t GetLevelChestCount(int32_t) const override { return chestCount; }
    // A chest of chestRecord at chestLevel; none without a record.
    std::unique_ptr<Chest> MakeLevelChest(int32_t) override
    {
        if (!chestRecord)
            return nullptr;
        auto chest = std::make_unique<Chest>();
        chest->SetEntry(chestRecord);
        chest->level = chestLevel;
        return chest;
    }
    // chestItems items of randomItem at the chest's level.
    void GenerateChestItems(const Chest& chest, const Entity&, std::vector<std::unique_ptr<Item>>& out) override
    {
        for (int32_t i = 0; i < chestItems; ++i)
            if (std::unique_ptr<Item> item = MakeItem(randomItem))
                out.push_back(std::move(item));
        calls.push_back("chest " + std::to_string(chest.level));
    }
    static std::unique_ptr<Item> MakeItem(const char* record)
    {
        if (!record)
            return nullptr;
        auto item = std::make_unique<Item>();
        item->SetEntryByName(record);
        return item->GetEntry() ? std::move(item) : nullptr;
    }

    // Gives the covenant its index in the list.
    void Add(Covenant& covenant)
    {
        covenant.index = GetCovenantCount();
        covenants.push_back(&covenant);
    }

    template <class Change>
    void ForEachOther(int32_t covenant, Change change)
    {
        Covenant* own = GetCovenant(covenant);
        for (Covenant* other : covenants)
            if (own && other != own)
                change(*own, *other);
    }

    std::vector<Covenant*> covenants;
    TimeStamp clock;
    bool awake = true;
    const Entity* firstPlayer = nullptr;
    std::array<Vector2, kPedestalCount> pedestalOffsets{{{-40.0f, 0.0f}, {40.0f, 0.0f}, {0.0f, 40.0f}, {0.0f, -40.0f}}};
    // Above 0: every guard made has this maximum and health.
    int32_t guardMaxHealth = 0;
    bool refuseRoutes = false;
    bool refuseOffers = false;
    std::vector<std::string> calls;
    WorldPos homePosition;
    std::vector<std::pair<int32_t, const Entity*>> openQuests;
    Entity* townPerson = nullptr;
    int32_t activeLevel = -1;
    std::function<Actor*(int32_t)> monsterMaker;
    const MonsterType* recruitType = nullptr;
    const char* randomItem = nullptr;
    const char* guardItem = nullptr;
    int32_t chestCount = 0;
    const DatabaseEntry* chestRecord = nullptr;
    int32_t chestLevel = 1;
    int32_t chestItems = 0;
};
