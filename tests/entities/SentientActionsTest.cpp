// SentientActionsTest -- a sentient's combat events and their parameters, its timed actions and their lines, power gains, warps and projectiles, state bits from combat records, the attack and death.
#include "entities/CombatWorld.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/NeutralCovenant.h"
#include "entities/Projectile.h"

#include "core/Event.h"
#include "core/Listener.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

// A listener that hands the events of its class's table to a test function.
class ActionsProbe : public Listener {
public:
    explicit ActionsProbe(EventClass* table) : table(table) {}
    EventClass* GetEventClass() const override { return table; }

    EventClass* table;
    std::function<void(Event&)> seen;
};

// A sentient with a target of the test's choosing.
class AimingSentient : public Sentient {
public:
    Entity* GetCurrentTarget() const override { return aim; }
    Entity* aim = nullptr;
};

class SentientActions : public CombatWorld {
protected:
    void SetUp() override { LoadCombat(); }

    // A probe entered for the sentient event, whose handler runs the function.
    ActionsProbe& Probe(int32_t sentientEvent, std::function<void(Event&)> seen)
    {
        EventClass* table = types.FindType("ActionsProbe");
        if (!table)
            table = types.RegisterType("ActionsProbe", "Listener", nullptr, nullptr);
        auto probe = std::make_unique<ActionsProbe>(table);
        int id = Sentient::GetEventId(sentientEvent);
        Listener::Subscribe(table, id, [](Listener& listener, Event& event) {
            static_cast<ActionsProbe&>(listener).seen(event);
        });
        probe->seen = std::move(seen);
        events.AddListenerEntry(id, probe.get());
        probes.push_back(std::move(probe));
        return *probes.back();
    }

    std::string Timer(const Sentient& sentient, const char* seconds, int32_t kind) const
    {
        return "timer " + std::to_string(sentient.entityNumber) + " " + seconds + " " + std::to_string(kind);
    }

    std::vector<std::unique_ptr<ActionsProbe>> probes;
};

} // namespace

TEST_F(SentientActions, TheTwelveEventsAreRegisteredInTheirOrder)
{
    const char* names[] = {"SuccessfulHit", "WhenHit",   "WhenMissed", "WhenKilled", "EnemyKilled", "SuccessfulKill",
                           "IdentifyItem",  "UseSkill",  "UseEntity",  "Attack",     "CreateGate",  "Resurrect"};
    for (int32_t i = 0; i < SentientEvent::kCount; ++i) {
        EXPECT_EQ(events.GetEventName(Sentient::GetEventId(i)), names[i]);
        EXPECT_EQ(Sentient::GetEventId(i), Sentient::GetEventId(0) + i);
    }
    EXPECT_EQ(Sentient::GetEventId(SentientEvent::kCount), -1);
}

TEST_F(SentientActions, HitEventsCarryTheirParametersInOrder)
{
    Sentient* fighter = Fighter(0, 0);
    CombatDummy* target = Dummy(10, 0, 100);
    std::vector<std::string> read;
    Probe(SentientEvent::SuccessfulHit, [&](Event& event) {
        read.push_back(event.ReadEntity() == target ? "target" : "other");
        read.push_back(std::to_string(event.params.ReadInt()));
        read.push_back(std::to_string(event.params.ReadBool()));
        read.push_back(std::to_string(event.params.ReadBool()));
    });
    Probe(SentientEvent::WhenHit, [&](Event& event) {
        read.push_back(event.ReadEntity() == target ? "attacker" : "other");
        read.push_back(std::to_string(event.params.ReadBool()));
    });
    // The two flags differ in each pair, so a swap would show.
    fighter->OnSuccessfulHit(17, target, true, false, false, false, false);
    fighter->OnSuccessfulHit(9, target, false, false, false, false, true);
    fighter->RaiseWhenHit(target, true);
    fighter->RaiseWhenHit(target, false);
    events.DispatchQueue();
    EXPECT_EQ(read, (std::vector<std::string>{"target", "17", "1", "0", "target", "9", "0", "1", "attacker", "1",
                                              "attacker", "0"}));
}

TEST_F(SentientActions, ASecondCastOfTheSameSkillIsRefused)
{
    Sentient* caster = Fighter(0, 0);
    EXPECT_TRUE(caster->StartSkillUse(5, 2.0f, nullptr, true, 1));
    EXPECT_FALSE(caster->StartSkillUse(5, 1.0f, nullptr, true, 1));
    EXPECT_EQ(game.lines, (std::vector<std::string>{Timer(*caster, "2.000000", 1)}));
    Event* pending = game.FindTimedAction(Sentient::GetEventId(SentientEvent::UseSkill), caster);
    ASSERT_NE(pending, nullptr);
    pending->params.SetReadPos(0);
    EXPECT_EQ(pending->params.ReadUInt(), 5u);
    EXPECT_FALSE(pending->params.ReadBool());
    EXPECT_EQ(pending->ReadEntity(), nullptr);
    EXPECT_EQ(pending->params.ReadInt(), 1);
}

TEST_F(SentientActions, AReplacedCastClearsTheTimerBeforeTheNewOne)
{
    Sentient* caster = Fighter(0, 0);
    CombatDummy* target = Dummy(20, 0, 100);
    caster->StartSkillUse(5, 2.0f, nullptr, true, 1);
    game.lines.clear();
    EXPECT_TRUE(caster->StartSkillUse(6, 1.5f, target, true, 1));
    EXPECT_EQ(game.lines, (std::vector<std::string>{Timer(*caster, "0.000000", 0), Timer(*caster, "1.500000", 1)}));
    Event* pending = game.FindTimedAction(Sentient::GetEventId(SentientEvent::UseSkill), caster);
    ASSERT_NE(pending, nullptr);
    pending->params.SetReadPos(0);
    EXPECT_EQ(pending->params.ReadUInt(), 6u);
    EXPECT_TRUE(pending->params.ReadBool());
    EXPECT_EQ(pending->ReadEntity(), target);
    EXPECT_EQ(game.CountPendingActions(), 1);
}

TEST_F(SentientActions, IdentifyingAndTimedEventsCancelOtherActions)
{
    Sentient* actor = Fighter(0, 0);
    actor->StartSkillUse(5, 2.0f, nullptr, false, 1);
    actor->StartIdentifyItem(nullptr, 3.0f);
    EXPECT_EQ(game.FindTimedAction(Sentient::GetEventId(SentientEvent::UseSkill), actor), nullptr);
    EXPECT_NE(game.FindTimedAction(Sentient::GetEventId(SentientEvent::IdentifyItem), actor), nullptr);
    int gate = Sentient::GetEventId(SentientEvent::CreateGate);
    EXPECT_TRUE(actor->StartTimedEvent(gate, 6, 4.0f));
    EXPECT_FALSE(actor->StartTimedEvent(gate, 6, 4.0f));
    EXPECT_EQ(game.FindTimedAction(Sentient::GetEventId(SentientEvent::IdentifyItem), actor), nullptr);
    EXPECT_EQ(game.lines.back(), Timer(*actor, "4.000000", 6));
    actor->CancelAllActions();
    EXPECT_EQ(game.CountPendingActions(), 0);
}

TEST_F(SentientActions, APowerGainOfTwoPointFourAddsTwoOrThree)
{
    Sentient* fighter = Fighter(0, 0);
    int32_t threes = 0;
    for (int32_t i = 0; i < 2000; ++i) {
        fighter->stats.Set(CharacterStat::Power, 0);
        fighter->GainPower(2.4f);
        int32_t power = fighter->GetStat(CharacterStat::Power);
        ASSERT_TRUE(power == 2 || power == 3) << power;
        threes += power == 3 ? 1 : 0;
    }
    EXPECT_NEAR(threes / 2000.0, 0.4, 0.04);
}

TEST_F(SentientActions, AFullExtraPowerChanceAddsTheRawAmountAgain)
{
    LoadCombat("Eager\n{\n Type StatusEffect\n Forever 1\n DynamicStatChangeExtraPowerGainChance 100\n}\n");
    Sentient* fighter = Fighter(0, 0, "Eager");
    for (int32_t i = 0; i < 200; ++i) {
        fighter->stats.Set(CharacterStat::Power, 0);
        fighter->GainPower(2.4f);
        int32_t power = fighter->GetStat(CharacterStat::Power);
        ASSERT_TRUE(power == 4 || power == 5) << power;
    }
}

TEST_F(SentientActions, AWarpOfMoreThanAHundredUnitsDropsTheProjectilesAimedAtIt)
{
    for (float distance : {100.0f, 101.0f}) {
        Sentient* runner = Fighter(0, 0);
        auto* projectile = Spawn<Projectile>(50, 50);
        projectile->SetTarget(runner);
        int32_t number = projectile->entityNumber;
        runner->Warp(At(distance, 0));
        game.Step();
        EXPECT_EQ(game.GetEntity(number) == projectile, distance <= 100.0f) << distance;
    }
}

TEST_F(SentientActions, CombatRecordsOfTheTargetBecomeStateBits)
{
    auto* watcher = Fighter<AimingSentient>(0, 0);
    auto* target = Fighter<AimingSentient>(20, 0);
    CombatDummy* other = Dummy(40, 0, 100);
    watcher->aim = target;
    watcher->RecordCombatEvent(EntityState::Block, target->entityNumber);
    watcher->RecordCombatEvent(EntityState::Hit, other->entityNumber);
    target->RecordCombatEvent(EntityState::Parry, watcher->entityNumber);
    target->Update(0.05f);
    watcher->Update(0.05f);
    EXPECT_TRUE(watcher->entityState & (1u << EntityState::Block));
    EXPECT_FALSE(watcher->entityState & (1u << EntityState::Hit));
    // The target's own bit shows here as its enemy form.
    EXPECT_FALSE(target->entityState & (1u << EntityState::Parry));
    target->aim = watcher;
    target->Update(0.05f);
    watcher->Update(0.05f);
    EXPECT_TRUE(watcher->entityState & (1u << EntityState::EnemyParry));
    // The record lasts the combat event time of the fake game.
    for (int32_t i = 0; i < 40; ++i)
        watcher->Update(0.05f);
    EXPECT_FALSE(watcher->entityState & (1u << EntityState::Block));
}

TEST_F(SentientActions, AnAttackStrikesItsTargetWhenItsActionFalls)
{
    auto* attacker = Fighter<AimingSentient>(0, 0);
    CombatDummy* target = Dummy(20, 0, 100);
    attacker->aim = target;
    attacker->stats.Set(CharacterStat::Attack, 1000000);
    attacker->Attack();
    EXPECT_EQ(game.CountPendingActions(), 1);
    EXPECT_EQ(target->health, 100);
    game.Step();
    EXPECT_LT(target->health, 100);
    target->flags |= EntityFlag::Hidden;
    attacker->Attack();
    EXPECT_EQ(game.CountPendingActions(), 0);
}

TEST_F(SentientActions, DeathCancelsEveryActionAndClearsTheNetFlag)
{
    Sentient* dying = Fighter(0, 0);
    CombatDummy* foe = Dummy(20, 0, 100);
    dying->AddEngaged(foe);
    dying->StartSkillUse(5, 2.0f, nullptr, true, 1);
    dying->OnDeath(foe);
    EXPECT_EQ(game.CountPendingActions(), 0);
    EXPECT_FALSE(dying->netFlag);
    EXPECT_EQ(std::count(game.lines.begin(), game.lines.end(), Timer(*dying, "0.000000", 0)), 2);
}

TEST_F(SentientActions, AClassNamedBeforeItsEventsStillGetsItsHandlers)
{
    TypeRegistry fresh;
    Entity::RegisterEventClass(events, fresh);
    EventClass* named = fresh.RegisterType("Sentient", "Entity", nullptr, nullptr);
    Sentient::RegisterEventClass(events, fresh);
    for (int32_t handled : {SentientEvent::IdentifyItem, SentientEvent::UseSkill, SentientEvent::UseEntity,
                            SentientEvent::Attack})
        EXPECT_NE(named->FindHandler(Sentient::GetEventId(handled)), nullptr) << handled;
    EXPECT_EQ(named->FindHandler(Sentient::GetEventId(SentientEvent::WhenHit)), nullptr);
    Entity::RegisterEventClass(events, types);
    Sentient::RegisterEventClass(events, types);
}

TEST_F(SentientActions, AnEnemyIsNearOnlyAliveWithinTheEngagedRange)
{
    Sentient* sentient = Fighter(0, 0);
    EXPECT_FALSE(sentient->HasEnemyNear());
    CombatDummy* far = Dummy(Sentient::kEngagedRange + 50.0f, 0, 100);
    sentient->AddEngaged(far);
    EXPECT_FALSE(sentient->HasEnemyNear()) << "beyond the range";
    CombatDummy* near = Dummy(Sentient::kEngagedRange - 50.0f, 0, 100);
    sentient->AddEngaged(near);
    EXPECT_TRUE(sentient->HasEnemyNear());
    near->health = 0;
    EXPECT_FALSE(sentient->HasEnemyNear()) << "the dead are no threat";
}

TEST_F(SentientActions, HomeIsNearForAMemberWithinItsRange)
{
    struct Home : NeutralCovenant {
        bool IsMember(const Sentient& sentient) const override { return member == &sentient; }
        const Sentient* member = nullptr;
    } home;
    home.home = At(0, 0);
    game.covenants = {&home};
    Sentient* sentient = Fighter(0, 0);
    sentient->covenantIndex = 0;
    struct Case {
        float x;
        bool member;
        bool near;
    };
    const Case cases[] = {{Sentient::kHomeRange, true, true}, {Sentient::kHomeRange + 1.0f, true, false},
                          {10.0f, false, false}};
    for (const Case& c : cases) {
        sentient->position = At(c.x, 0);
        home.member = c.member ? sentient : nullptr;
        EXPECT_EQ(sentient->IsNearCovenantHome(), c.near) << c.x << (c.member ? " member" : " stranger");
    }
    sentient->covenantIndex = -1;
    home.member = sentient;
    sentient->position = At(0, 0);
    EXPECT_FALSE(sentient->IsNearCovenantHome()) << "no covenant, no home";
    game.covenants.clear();
}

TEST_F(SentientActions, AnEntityIsUsedByItsNumberOnlyWhereOneStands)
{
    struct Usable : Entity {
        void Use(Entity* user) override { users.push_back(user); }
        std::vector<Entity*> users;
    };
    Sentient* user = Fighter(0, 0);
    auto* lever = Spawn<Usable>(10, 0);
    for (int32_t number : {-1, GameServices::kMaxEntities, lever->entityNumber + 1})
        user->UseEntityByNumber(number);
    EXPECT_TRUE(lever->users.empty());
    user->UseEntityByNumber(lever->entityNumber);
    EXPECT_EQ(lever->users, std::vector<Entity*>{user});
}

TEST_F(SentientActions, ABagHasRoomWhileOneOfItsSlotsIsEmpty)
{
    Sentient* sentient = Fighter(0, 0);
    sentient->inventory->ResizeBag(InventoryGroupIndex::Bag1, 1);
    EXPECT_TRUE(sentient->BagHasRoom(InventoryGroupIndex::Bag1));
    std::unique_ptr<ItemBase> stone = std::make_unique<Item>();
    ASSERT_TRUE(sentient->inventory->PlaceItem(stone, InventoryGroupIndex::Bag1, 0, 0));
    EXPECT_FALSE(sentient->BagHasRoom(InventoryGroupIndex::Bag1));
    EXPECT_FALSE(sentient->BagHasRoom(InventoryBase::kBagCount)) << "no such bag";
    EXPECT_FALSE(Entity().BagHasRoom(InventoryGroupIndex::Bag1)) << "an entity carries no bags";
}
