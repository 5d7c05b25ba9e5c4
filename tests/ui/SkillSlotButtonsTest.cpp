// The buttons beside a skill slot over a joined player: raising within the points and below the highest level, lowering above the starting level, the set-up preview that sends nothing, their sound; and the world host raising a skill once for the request a press sends.
#include "ui/SkillSlotWorld.h"

#include "support/ProfileFileBytes.h"

#include "client/ClientProfiles.h"
#include "client/ClientServicesWorld.h"
#include "client/UserProfile.h"
#include "core/LocSystem.h"
#include "core/MessageBuffer.h"
#include "ui/widgets/UISkillSlotButtons.h"

namespace {

using Lines = std::vector<std::string>;

// Each skill of the tree with both buttons beside it, and a pair whose parent is no skill slot.
const char kSkillButtonsMenu[] =
    "name Slots\nposition 0 0\nsize 400 300\n"
    "SkillSlot { internalName Jolt skillIndex 0 0 fullDisplay 0 position 100 100 size 32 32 }\n"
    "SkillSlotIncrease { internalName RaiseJolt parentWidget Slots::Jolt position 140 100 size 12 12 }\n"
    "SkillSlotDecrease { internalName LowerJolt parentWidget Slots::Jolt position 80 100 size 12 12 }\n"
    "SkillSlot { internalName Guard skillIndex 0 1 fullDisplay 0 position 200 100 size 32 32 }\n"
    "SkillSlotIncrease { internalName RaiseGuard parentWidget Slots::Guard position 240 100 size 12 12 }\n"
    "SkillSlotDecrease { internalName LowerGuard parentWidget Slots::Guard position 180 100 size 12 12 }\n"
    "SkillSlot { internalName Ward skillIndex 1 0 fullDisplay 0 position 100 200 size 32 32 }\n"
    "SkillSlotDecrease { internalName LowerWard parentWidget Slots::Ward position 80 200 size 12 12 }\n"
    "Widget { internalName Plain position 300 100 size 32 32 }\n"
    "SkillSlotIncrease { internalName Orphan parentWidget Slots::Plain position 340 100 size 12 12 }\n";

class SkillSlotButtons : public SkillSlotWorld {
protected:
    void SetUp() override { StartWithSkillMenu(kSkillButtonsMenu); }

    bool Help(const std::string& name, std::string& text)
    {
        std::string title;
        return Get<UIWidget>(name).GetHelpText(0, 0, text, title);
    }
};

} // namespace

TEST_F(SkillSlotButtons, RaisingNeedsThePriceInPointsAndALevelBelowTheHighest)
{
    auto& raise = Get<UISkillSlotIncrease>("RaiseJolt");
    SetHostStat(CharacterStat::SkillPointsLeft, 1);
    EXPECT_FALSE(raise.CanIncrease()) << "level 0 costs 2";
    Press(145, 105);
    EXPECT_TRUE(Queued().empty());
    std::string text;
    EXPECT_FALSE(Help("RaiseJolt", text));

    SetHostStat(CharacterStat::SkillPointsLeft, 2);
    EXPECT_TRUE(raise.CanIncrease());
    ASSERT_TRUE(Help("RaiseJolt", text));
    EXPECT_EQ(text.rfind(MakeLocToken("LeftClickToIncreaseXByY", "%s %d", "Jolt", 1), 0), 0u) << text;
    EXPECT_NE(text.find("$$CostForNextPoint$$"), std::string::npos) << text;
    Press(145, 105);
    EXPECT_EQ(Queued(), Lines({"increaseSkill 0 0 "}));

    hostPlayer->stats.Set(CharacterStat::SkillPointsLeft, 50);
    SetHostStat(LevelStat(0), 3);
    EXPECT_FALSE(raise.CanIncrease()) << "3 is Jolt's highest level";
    EXPECT_FALSE(Get<UISkillSlotIncrease>("Orphan").CanIncrease()) << "its parent is no skill slot";
    Press(345, 105);
    EXPECT_TRUE(Queued().empty());
}

TEST_F(SkillSlotButtons, LoweringNeedsALevelAboveTheStartingLevel)
{
    auto& lower = Get<UISkillSlotDecrease>("LowerGuard");
    SetHostStat(LevelStat(1), 1);
    EXPECT_FALSE(lower.CanDecrease()) << "Guard starts at 1";
    Press(185, 105);
    EXPECT_TRUE(Queued().empty());
    SetHostStat(LevelStat(1), 2);
    EXPECT_TRUE(lower.CanDecrease());
    std::string text;
    ASSERT_TRUE(Help("LowerGuard", text));
    EXPECT_EQ(text.rfind(MakeLocToken("SkillDecreaseClick", "%s", "Guard") + "\n", 0), 0u) << text;
    Press(185, 105);
    EXPECT_EQ(Queued(), Lines({"decreaseSkill 0 1 "}));
    EXPECT_FALSE(Get<UISkillSlotDecrease>("LowerJolt").CanDecrease()) << "Jolt is at its starting level 0";
}

TEST_F(SkillSlotButtons, TheClassesStartingSkillIsNeverLoweredBelowItsFirstLevel)
{
    const int32_t ward = kFirstSkillStat + 15;
    ASSERT_EQ(hostPlayer->stats.Get(ward), 1) << "the class starts its tree's first skill";
    auto& lower = Get<UISkillSlotDecrease>("LowerWard");
    EXPECT_FALSE(lower.CanDecrease()) << "its first level was never paid for";
    hostPlayer->stats.Set(CharacterStat::Money, 1000);
    SetHostStat(ward, 2);
    ASSERT_TRUE(lower.CanDecrease());
    Press(85, 205);
    EXPECT_EQ(Queued(), Lines({"decreaseSkill 1 0 "}));
    Sync();
    EXPECT_EQ(hostPlayer->stats.Get(ward), 1);
    EXPECT_FALSE(lower.CanDecrease());
    int32_t points = hostPlayer->stats.Get(CharacterStat::SkillPointsLeft);
    app->QueueServerCommand("decreaseSkill 1 0 ");
    Sync();
    EXPECT_EQ(hostPlayer->stats.Get(ward), 1) << "the host refuses what the button hides";
    EXPECT_EQ(hostPlayer->stats.Get(CharacterStat::SkillPointsLeft), points);
}

TEST_F(SkillSlotButtons, TheSetUpPreviewBuysATrophyUpgradeForNewCharactersAndSendsNothing)
{
    // The user's profile file, as a win left it: five trophy points to spend.
    const std::string won = ProfileFileBytes("bob", 5);
    folder.Write("User/chars/bob.usr", won);
    vars.SetStringByName("UserName", "bob");
    gameClient->GetProfiles().LoadUser();
    const UserProfile* profile = gameClient->GetProfiles().GetCurrent();
    ASSERT_NE(profile, nullptr);
    SetHostStat(CharacterStat::SkillPointsLeft, 0);
    player->displayOnly = true;
    EXPECT_TRUE(Get<UISkillSlotIncrease>("RaiseJolt").CanIncrease()) << "the trophy points pay, not the player's";
    Press(145, 105);
    EXPECT_TRUE(Queued().empty());
    EXPECT_EQ(profile->GetUpgrade(LevelStat(0)), 1);
    EXPECT_EQ(profile->GetUpgrade(CharacterStat::SkillPointsLeft), 3);
    EXPECT_EQ(gameClient->characterSetUp.Get(LevelStat(0)), 1) << "every new character starts with it";
    EXPECT_NE(folder.Read("User/chars/bob.usr"), won)
        << "saved at once";
    ExecuteCommandLine("setUIMode IncreaseSkill");
    Press(105, 105);
    EXPECT_TRUE(Queued().empty()) << "the preview's skill slot asks the host for nothing either";
}

TEST_F(SkillSlotButtons, ACopyOfTheDecreaseButtonIsAPlainWidget)
{
    std::unique_ptr<UIWidget> raise(UISystem::CloneWidget(&Get<UIWidget>("RaiseJolt")));
    std::unique_ptr<UIWidget> lower(UISystem::CloneWidget(&Get<UIWidget>("LowerJolt")));
    EXPECT_NE(dynamic_cast<UISkillSlotIncrease*>(raise.get()), nullptr);
    EXPECT_EQ(dynamic_cast<UISkillSlotDecrease*>(lower.get()), nullptr);
    EXPECT_EQ(lower->parentWidget, &Get<UIWidget>("Jolt"));
}

// ---- The world host's side ----

class SkillRaiseHost : public SkillSlotWorld {
protected:
    void SetUp() override { StartWithSkillMenu(kSkillButtonsMenu); }
};

TEST_F(SkillRaiseHost, ARaisePressWithItsTrailingBlankRaisesTheSkillOnceOnTheHost)
{
    hostPlayer->stats.Set(CharacterStat::SkillPointsLeft, 5);
    SetHostStat(CharacterStat::Money, 1000);
    ExecuteCommandLine("setUIMode IncreaseSkill");
    Press(105, 105);
    ASSERT_EQ(Queued(), Lines({"increaseSkill 0 0 "}));
    Sync();
    EXPECT_EQ(hostPlayer->stats.Get(LevelStat(0)), 1);
    EXPECT_EQ(hostPlayer->stats.Get(CharacterStat::SkillPointsLeft), 3);
    EXPECT_EQ(ClientSkill(0).GetLevel(), 1) << "the mirror shows the new level";
    Sync();
    EXPECT_EQ(hostPlayer->stats.Get(LevelStat(0)), 1) << "once";
}

TEST_F(SkillRaiseHost, TheHostRefusesToLowerBelowTheStartingLevelOrRaisePastTheHighest)
{
    hostPlayer->stats.Set(CharacterStat::Money, 1000);
    hostPlayer->stats.Set(CharacterStat::SkillPointsLeft, 50);
    hostPlayer->stats.Set(LevelStat(1), 1);
    SetHostStat(LevelStat(0), 3);
    app->QueueServerCommand("decreaseSkill 0 1 ");
    app->QueueServerCommand("increaseSkill 0 0 ");
    Sync();
    EXPECT_EQ(hostPlayer->stats.Get(LevelStat(1)), 1);
    EXPECT_EQ(hostPlayer->stats.Get(LevelStat(0)), 3);
    EXPECT_EQ(hostPlayer->stats.Get(CharacterStat::SkillPointsLeft), 50);
    EXPECT_EQ(hostPlayer->stats.Get(CharacterStat::Money), 1000);
}

// ---- Sounds ----

namespace {

class SkillSlotSounds : public ClientServices<SkillSlotWorld> {
protected:
    ~SkillSlotSounds() override
    {
        ui.reset();
        gUISystem = nullptr;
    }

    void Start(const std::string& menu)
    {
        WriteSound("Sounds/raise.wav");
        WriteSound("Sounds/slot.wav");
        StartWithSkillMenu(menu, "SoundNameSkillIncrease \"Sounds/raise.wav\"\nSoundNameUseSlot \"Sounds/slot.wav\"");
        gameClient->GetMusic().LoadGameSystem(database);
    }

    int32_t Playing(const std::string& name)
    {
        int32_t count = 0;
        for (const std::string& sound : PlayingSounds())
            count += sound == name ? 1 : 0;
        return count;
    }
};

} // namespace

TEST_F(SkillSlotSounds, TheButtonsPlayTheRaiseSoundAndTheQuickUseSlotsTheirOwn)
{
    Start(std::string(kSkillButtonsMenu) +
          "UseSlot { internalName Use1 index 1 position 0 200 size 32 32 }\n");
    Press(145, 105);
    EXPECT_EQ(Playing("Sounds/raise.wav"), 0) << "a raise it cannot pay asks nothing";
    hostPlayer->stats.Set(CharacterStat::SkillPointsLeft, 5);
    SetHostStat(LevelStat(1), 2);
    Press(145, 105);
    EXPECT_EQ(Playing("Sounds/raise.wav"), 1);
    Press(185, 105);
    EXPECT_EQ(Playing("Sounds/raise.wav"), 2) << "lowering plays it too";
    Press(105, 105);
    Press(10, 210);
    EXPECT_EQ(Playing("Sounds/slot.wav"), 1);
    input.cursorAt[0] = 10;
    input.cursorAt[1] = 210;
    input.UpdateCursor();
    ExecuteCommandLine("clearUseSlot");
    EXPECT_EQ(Playing("Sounds/slot.wav"), 2);
}
