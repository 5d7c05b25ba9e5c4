// TriggerTest -- switches that fire once: by use or by the nearest player, the name they broadcast to plates, the super secret and the unlock for the user, fading away, and the saved word that restores a fired switch without firing it again.
#include "entities/CombatWorld.h"
#include "entities/Trap.h"
#include "entities/TrapGround.h"
#include "entities/Trigger.h"

#include "core/MessageBuffer.h"
#include "core/SafePointer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr const char* kTriggerRecords = R"(
LeverPlain
{
    TriggerName "GateLever"
}
LeverNear
{
    TriggerName "HallStone"
    TriggerDistance 60
    SuperSecret 1
}
LeverVault
{
    TriggerName "VaultLever"
    UnlockName "VaultKey"
    FadeTime 1.5
}
PlateOnLever
{
    Type Trap
    TriggerName "gatelever"
    TriggerChance 1
    DudChance 1
    TriggerSound "sounds/click.wav"
}
)";

// A user that writes down what it unlocks.
class TriggerUser : public Sentient {
public:
    void Unlock(std::string_view name) override { unlocked.emplace_back(name); }
    std::vector<std::string> unlocked;
};

class TriggerSwitch : public CombatWorld {
protected:
    void SetUp() override
    {
        LoadCombat(kTriggerRecords);
        Trap::RegisterEventClass(events, types);
        user = Spawn<TriggerUser>(500.0f, 500.0f);
        game.players.push_back(user);
    }

    Trigger* Switch(const char* record, float x = 100.0f, float y = 100.0f)
    {
        auto* trigger = new Trigger();
        trigger->SetEntry(database.FindEntryByName(record));
        trigger->SetPosition(At(x, y));
        EXPECT_NE(game.AddEntity(trigger), -1);
        return trigger;
    }

    int32_t CountHooks(const std::string& prefix) const
    {
        return static_cast<int32_t>(std::count_if(game.hooks.begin(), game.hooks.end(), [&](const std::string& hook) {
            return hook.rfind(prefix, 0) == 0;
        }));
    }

    TriggerUser* user = nullptr;
};

} // namespace

TEST_F(TriggerSwitch, UsedTwiceItFiresOnce)
{
    Trigger* lever = Switch("LeverPlain");
    lever->Use(user);
    lever->Use(user);
    EXPECT_TRUE(lever->IsTriggered());
    EXPECT_EQ(game.hooks, (std::vector<std::string>{"signal GateLever " + std::to_string(user->entityNumber)}));
    EXPECT_TRUE(user->unlocked.empty());
}

TEST_F(TriggerSwitch, WithoutReachOnlyAUserFiresIt)
{
    Trigger* lever = Switch("LeverPlain");
    user->SetPosition(At(100.0f, 100.0f));
    for (int32_t i = 0; i < 40; ++i)
        lever->Update(FakeGameServices::kStep);
    EXPECT_FALSE(lever->IsTriggered());
    EXPECT_EQ(CountHooks("signal"), 0);
}

TEST_F(TriggerSwitch, TheNearestPlayerWithinReachFiresItAndFindsTheSecret)
{
    Trigger* stone = Switch("LeverNear");
    auto* other = Spawn<TriggerUser>(100.0f, 175.0f);
    game.players.push_back(other);
    user->SetPosition(At(100.0f, 160.0f));
    stone->Update(FakeGameServices::kStep);
    EXPECT_FALSE(stone->IsTriggered()) << "60 away is not within 60";
    other->SetPosition(At(100.0f, 150.0f));
    user->SetPosition(At(100.0f, 145.0f));
    stone->Update(FakeGameServices::kStep);
    ASSERT_TRUE(stone->IsTriggered());
    std::string number = std::to_string(user->entityNumber);
    EXPECT_EQ(game.hooks, (std::vector<std::string>{"signal HallStone " + number, "superSecret " + number}));
    stone->Update(FakeGameServices::kStep);
    EXPECT_EQ(CountHooks("superSecret"), 1);
}

TEST_F(TriggerSwitch, ASecretWithoutAUserRevealsNothing)
{
    Trigger* stone = Switch("LeverNear");
    stone->Fire(nullptr);
    EXPECT_TRUE(stone->IsTriggered());
    EXPECT_EQ(game.hooks, (std::vector<std::string>{"signal HallStone -1"}));
}

TEST_F(TriggerSwitch, TheUserUnlocksAndAFadingSwitchLeavesTheSaveAndTheWorld)
{
    Trigger* vault = Switch("LeverVault");
    SafePointer watch(vault);
    EXPECT_TRUE(vault->ShouldSaveWithWorld());
    vault->Use(user);
    EXPECT_EQ(user->unlocked, (std::vector<std::string>{"VaultKey"}));
    EXPECT_FALSE(vault->IsFree());
    game.StepFor(1.4f);
    EXPECT_TRUE(watch);
    EXPECT_LT(vault->alpha, 0.2f);
    game.StepFor(0.2f);
    EXPECT_FALSE(watch);
}

TEST_F(TriggerSwitch, ItsNameSetsOffThePlatesThatListenCaseBlind)
{
    auto* plate = new TrapGround();
    plate->SetEntry(database.FindEntryByName("PlateOnLever"));
    plate->ArmTrap();
    plate->SetPosition(At(900.0f, 900.0f));
    game.AddEntity(plate);
    Switch("LeverPlain")->Use(user);
    EXPECT_TRUE(plate->IsTriggered());
    game.Step();
    EXPECT_TRUE(plate->GetTrap()->IsTriggered());
    EXPECT_EQ(plate->GetTrap()->GetVictim(), user);
}

// ---- The saved word ------------------------------------------------------------------------------

TEST_F(TriggerSwitch, AFiredSwitchIsSavedAsOneAndRestoredWithoutFiringAgain)
{
    Trigger* lever = Switch("LeverVault");
    MessageBuffer unfired;
    lever->WriteSavedState(unfired);
    ASSERT_EQ(unfired.Size(), 4u);
    EXPECT_EQ(unfired.Data()[0], 0);

    Trigger* plain = Switch("LeverPlain");
    plain->Use(user);
    MessageBuffer saved;
    plain->WriteSaved(saved);
    ASSERT_EQ(saved.Size(), 4u);
    EXPECT_EQ(saved.Data()[0], 1);
    EXPECT_EQ(saved.Data()[3], 0) << "little-endian";
    game.hooks.clear();

    Trigger* restored = Switch("LeverVault");
    ASSERT_TRUE(restored->ReadSaved(saved, 0));
    EXPECT_TRUE(restored->IsTriggered());
    EXPECT_TRUE(game.hooks.empty()) << "no broadcast";
    EXPECT_TRUE(user->unlocked.empty()) << "no unlock";
    restored->Use(user);
    EXPECT_TRUE(game.hooks.empty());
    EXPECT_EQ(game.CountScheduledActions(), 0) << "no fade either";
}

TEST_F(TriggerSwitch, AWordCutShortChangesNothing)
{
    MessageBuffer full;
    full.WriteInt(1);
    for (size_t cut = 0; cut < full.Size(); ++cut) {
        MessageBuffer part;
        part.WriteBytes(full.Data(), cut);
        Trigger* lever = Switch("LeverPlain");
        EXPECT_FALSE(lever->ReadSavedState(part, 0)) << cut;
        EXPECT_FALSE(lever->IsTriggered());
    }
}

TEST_F(TriggerSwitch, AnObjectThatFiresItUnlocksNothing)
{
    Trigger* vault = Switch("LeverVault");
    auto* crate = Spawn<Entity>(120.0f, 100.0f);
    vault->Use(crate);
    EXPECT_TRUE(vault->IsTriggered());
    EXPECT_EQ(game.hooks, (std::vector<std::string>{"signal VaultLever " + std::to_string(crate->entityNumber)}));
    EXPECT_TRUE(user->unlocked.empty());
}
