// Skill slots over the client's mirror of a joined player: the raise request of the "IncreaseSkill" mode, and the drag rules between skill and item slots.
#include "ui/ItemSlotWorld.h"
#include "ui/SkillSlotWorld.h"

#include "client/SkillListClient.h"
#include "core/CommandSystem.h"
#include "core/LocSystem.h"
#include "rules/GameData.h"
#include "ui/widgets/UISkillSlot.h"

#include <algorithm>

namespace {

using Lines = std::vector<std::string>;

// Two skill slots of the first tree and one naming no skill, beside the item slots, placed where
// their layout puts them.
const char kSkillSlotMenuTail[] =
    "SkillSlot { internalName Jab skillIndex 0 0 fullDisplay 0 position 300 100 size 32 32 }\n"
    "SkillSlot { internalName Spare skillIndex 0 1 fullDisplay 0 position 340 100 size 32 32 }\n"
    "SkillSlot { internalName Nothing skillIndex 3 14 fullDisplay 0 position 380 100 size 32 32 }\n";

class SkillSlot : public ItemSlotWorld {
protected:
    void StartWithSkills()
    {
        StartWithMenu(std::string(kItemSlotMenu) + kSkillSlotMenuTail);
        const char* names[] = {"Jab", "Kick"};
        for (int32_t index = 0; index < 2; ++index)
            ASSERT_NE(player->GetSkillList().AddSkill(gGameData->FindSkillDefinition(names[index]), nullptr, 0, index),
                      nullptr);
        ui->Update(0.0f);
    }

    UISkillSlot& Skill(const std::string& name) const
    {
        return dynamic_cast<UISkillSlot&>(*ui->FindWidgetByPath("Slots::" + name));
    }
};

} // namespace

TEST_F(SkillSlot, InTheIncreaseModeALeftPressAsksToRaiseTheSkillOnceThenTheModeEnds)
{
    StartWithSkills();
    ExecuteCommandLine("setUIMode IncreaseSkill");
    Press(310, 110);
    EXPECT_EQ(Queued(), Lines({"increaseSkill 0 0 "}));
    EXPECT_EQ(ui->dragWidget, nullptr);
    Press(310, 110);
    EXPECT_EQ(Queued(), Lines({"increaseSkill 0 0 "}));
    EXPECT_EQ(ui->dragWidget, &Skill("Jab")) << "the next press is in the normal mode again";
}

TEST_F(SkillSlot, APressOnASkillCancelsADraggedSkillButReplacesADraggedItem)
{
    StartWithSkills();
    Press(310, 110);
    ASSERT_EQ(ui->dragWidget, &Skill("Jab"));
    Press(350, 110);
    EXPECT_EQ(ui->dragWidget, nullptr) << "the drag ends; the other skill is not picked up";
    Give("Pebble", InventoryGroupIndex::Bag1, 0);
    Sync();
    Press(10, 10);
    ASSERT_EQ(ui->dragWidget, &Slot("Cell0"));
    Press(350, 110);
    EXPECT_EQ(ui->dragWidget, &Skill("Spare"));
    EXPECT_TRUE(Queued().empty());
}

TEST_F(SkillSlot, ASlotNamingNoSkillIsHiddenBlackAndTakesNoPress)
{
    StartWithSkills();
    EXPECT_FALSE(Skill("Nothing").IsVisible());
    EXPECT_EQ(Skill("Nothing").textureName, "Textures/black.tga");
    EXPECT_TRUE(Skill("Jab").IsVisible());
    Press(390, 110);
    EXPECT_EQ(ui->dragWidget, nullptr);
    int32_t kind = -1;
    int32_t tree = -1;
    int32_t index = -1;
    Skill("Spare").GetSlotRef(kind, tree, index);
    EXPECT_EQ((std::array<int32_t, 3>{kind, tree, index}), (std::array<int32_t, 3>{1, 0, 1}));
    Skill("Spare").ClearSlot();
    ui->Update(0.0f);
    EXPECT_FALSE(Skill("Spare").IsVisible());
}

namespace {

// A tree screen (full display) and the quick-bar look of the same skills (no full display).
const char kSkillTreeMenu[] = "name Slots\nposition 0 0\nsize 400 300\n"
                              "SkillSlot { internalName TreeJolt skillIndex 0 0 manaHint 1 position 5 5 size 32 32 }\n"
                              "SkillSlot { internalName TreeSnare skillIndex 0 2 position 7 9 size 32 32 }\n"
                              "SkillSlot { internalName Jolt skillIndex 0 0 fullDisplay 0 position 300 260 size 32 32 }\n"
                              "SkillSlot { internalName Guard skillIndex 0 1 fullDisplay 0 position 340 260 size 32 32 }\n"
                              "SkillSlot { internalName Snare skillIndex 0 2 fullDisplay 0 position 260 260 size 32 32 }\n";

class SkillSlotOfClass : public SkillSlotWorld {
protected:
    void SetUp() override
    {
        StartWithSkillMenu(kSkillTreeMenu, "UseHintOffset \"0 -48\"\n");
        // The mirror was made before the game's tuning was read: it lays out its hint places again.
        player->InitUseHints();
    }

    std::string Tooltip(const std::string& name)
    {
        std::string text;
        std::string title;
        return Get<UISkillSlot>(name).GetHelpText(0, 0, text, title) ? text : std::string("<none>");
    }

    static bool Holds(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
    // The player's ready notices that name the widget.
    int32_t Notices(const void* widget) const
    {
        const auto& hints = player->GetUseHints();
        return static_cast<int32_t>(
            std::count_if(hints.begin(), hints.end(), [widget](const auto& hint) { return hint.object == widget; }));
    }
};

bool SameColor(const Color& a, const Color& b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

} // namespace

TEST_F(SkillSlotOfClass, ATreeSlotTakesItsSkillsPlaceInTheMenuUnlessTheSkillIsHardCoded)
{
    const SkillClient& jolt = ClientSkill(0);
    const UISkillSlot& slot = Get<UISkillSlot>("TreeJolt");
    EXPECT_FLOAT_EQ(slot.position[0], jolt.layoutX * 400.0f - 16.0f);
    EXPECT_FLOAT_EQ(slot.position[1], jolt.layoutY * 300.0f - 16.0f);
    EXPECT_FALSE(slot.position[0] == 5.0f && slot.position[1] == 5.0f);
    EXPECT_FLOAT_EQ(Get<UISkillSlot>("TreeSnare").position[0], 7.0f);
    EXPECT_FLOAT_EQ(Get<UISkillSlot>("TreeSnare").position[1], 9.0f);
    EXPECT_FLOAT_EQ(Get<UISkillSlot>("Jolt").position[0], 300.0f) << "a slot out of full display keeps its place";
}

TEST_F(SkillSlotOfClass, TheTintDimsASkillThatCannotBeUsedNowAndATreeSkillWithoutPower)
{
    const Color white = TableColor(0);
    const Color dim = TableColor(148);
    ASSERT_FALSE(SameColor(white, dim));
    EXPECT_TRUE(SameColor(Get<UISkillSlot>("Jolt").color, dim)) << "not learned";
    hostPlayer->stats.Set(LevelStat(0), 1);
    SetHostStat(CharacterStat::Power, 20);
    EXPECT_TRUE(SameColor(Get<UISkillSlot>("Jolt").color, white));
    ClientSkill(0).reuseTimer.running = true;
    ClientSkill(0).reuseTimer.remaining = 2.0f;
    ui->Update(0.0f);
    EXPECT_TRUE(SameColor(Get<UISkillSlot>("Jolt").color, dim)) << "cooling down";
    EXPECT_TRUE(SameColor(Get<UISkillSlot>("TreeJolt").color, white)) << "the tree looks only at the power";
    SetHostStat(CharacterStat::Power, 4);
    EXPECT_TRUE(SameColor(Get<UISkillSlot>("TreeJolt").color, dim)) << "5 power a use, 4 held";
    EXPECT_FLOAT_EQ(ClientSkill(0).GetReuseFraction(), 0.5f) << "the sweep covers what is left of 4 seconds";
}

TEST_F(SkillSlotOfClass, TheReadyNoticeGoesOutOnceWhenTheCoolDownEndsWithPowerEnough)
{
    hostPlayer->stats.Set(LevelStat(0), 1);
    SetHostStat(CharacterStat::Power, 20);
    const UISkillSlot& slot = Get<UISkillSlot>("Jolt");
    EXPECT_EQ(Notices(&slot), 0) << "ready from the start is no change";
    ClientSkill(0).reuseTimer.running = true;
    ClientSkill(0).reuseTimer.remaining = 1.0f;
    ui->Update(0.0f);
    EXPECT_EQ(Notices(&slot), 0);
    ClientSkill(0).reuseTimer.remaining = 0.0f;
    for (int frame = 0; frame < 3; ++frame)
        ui->Update(0.1f);
    EXPECT_EQ(Notices(&slot), 1) << "once, though three frames found it ready";
    ASSERT_EQ(player->GetUseHints().size(), 1u);
    EXPECT_EQ(player->GetUseHints()[0].object, &slot) << "the first slot's icon rises beside the player";
    EXPECT_EQ(player->GetUseHints()[0].icon, slot.texture.GetValue());
    ExecuteCommandLine("reloadMenus");
    EXPECT_EQ(player->GetUseHints()[0].object, nullptr) << "the replaced widgets' notices are forgotten";
}

TEST_F(SkillSlotOfClass, TheTooltipNamesTheWaitThePowerAndTheMissingEnemyOutOfTheTree)
{
    hostPlayer->stats.Set(LevelStat(0), 1);
    SetHostStat(CharacterStat::Power, 20);
    ClientSkill(0).reuseTimer.running = true;
    ClientSkill(0).reuseTimer.remaining = 0.4f;
    EXPECT_TRUE(Holds(Tooltip("Jolt"), "^c001\n$$CantUseForAnotherSecond$$^c145")) << Tooltip("Jolt");
    ClientSkill(0).reuseTimer.remaining = 2.2f;
    EXPECT_TRUE(Holds(Tooltip("Jolt"), MakeLocToken("CantUseForAnotherXSeconds", "%d", 3))) << Tooltip("Jolt");
    EXPECT_FALSE(Holds(Tooltip("TreeJolt"), "CantUseForAnother")) << "the tree does not say so";
    EXPECT_FALSE(Holds(Tooltip("Jolt"), "NotEnoughPower"));
    SetHostStat(CharacterStat::Power, 4);
    EXPECT_TRUE(Holds(Tooltip("Jolt"), "$$NotEnoughPower~<")) << Tooltip("Jolt");
    EXPECT_TRUE(Holds(Tooltip("Snare"), "\n$$NeedAnEnemy$$")) << "no target";
    EXPECT_FALSE(Holds(Tooltip("Jolt"), "NeedAnEnemy"));
    EXPECT_TRUE(Holds(Tooltip("Jolt"), "Jolt")) << "the description leads";
}

TEST_F(SkillSlotOfClass, TheTooltipOffersEachHelpTopicItsSkillTouches)
{
    Tooltip("Jolt");
    EXPECT_TRUE(Offered("FindCombatPercents"));
    EXPECT_FALSE(Offered("Distractions"));
    EXPECT_FALSE(Offered("StateRequirements"));
    Tooltip("Snare");
    EXPECT_FALSE(Offered("Distractions"));
    Tooltip("Guard");
    EXPECT_TRUE(Offered("Distractions")) << "it needs a distracted enemy";
    EXPECT_TRUE(Offered("StateRequirements"));
}

TEST_F(SkillSlotOfClass, ASkillNotLearnedSaysSoWhenReportedAndALearnedOneDoesNot)
{
    Get<UISkillSlot>("Jolt").ReportUnavailable();
    EXPECT_EQ(Shown(MakeLocToken("DontHaveXSkill", "%s", "Jolt")), 1);
    SetHostStat(LevelStat(0), 1);
    Get<UISkillSlot>("Jolt").ReportUnavailable();
    EXPECT_EQ(Shown(MakeLocToken("DontHaveXSkill", "%s", "Jolt")), 1);
}

namespace {

constexpr const char* kAttributeSkillRecords = R"(
SkillBrawn
{
    Type Skill
    Passive 1
    StatChangeStrength 3
}
SkillTraining
{
    Type Skill
    Passive 1
    ApplyStatsOnIncrease 1
    StatChangeStrength 5
}
SkillShout
{
    Type Skill
    StatChangeStrength 7
}
SkillGritPerLevel
{
    Type Skill
    PointsReq 4
}
SkillGrit
{
    Type Skill
    Name "$$SkillGrit$$"
    Passive 1
    StatReq Vitality
    PointsReq 12
    PerLevel SkillGritPerLevel
    MaxSkillLevel 4
}
)";

} // namespace

TEST_F(SkillSlot, AnAttributesSkillBonusCountsThePassiveSkillsAtTheirLevelsAndItsNextBonusSkillWhatItNeeds)
{
    StartWithMenu(kItemSlotMenu, "", kAttributeSkillRecords);
    const char* names[] = {"SkillBrawn", "SkillTraining", "SkillShout", "SkillGrit"};
    for (int32_t index = 0; index < 4; ++index)
        ASSERT_NE(player->GetSkillList().AddSkill(gGameData->FindSkillDefinition(names[index]), player, 0, index),
                  nullptr);
    EXPECT_EQ(view.GetSkillAttributeBonus(0), 0) << "no skill has a level yet";
    // A skill's level is the player's value at its place: 10 + 15 x tree + index.
    for (int32_t index = 0; index < 3; ++index)
        player->stats.Set(10 + index, 2);
    EXPECT_EQ(view.GetSkillAttributeBonus(0), 3) << "only the passive skill that does not add to the base";
    EXPECT_EQ(view.GetSkillAttributeBonus(2), 0);
    EXPECT_EQ(view.GetSkillAttributeBonus(5), 0) << "an attribute outside the five";

    // Grit takes its level from vitality: 12 for the first, then 4 more each.
    player->stats.Set(CharacterStat::BaseVitality, 10);
    player->stats.Set(CharacterStat::Vitality, 13);
    std::string name;
    int32_t nextLevel = 0;
    int32_t needed = 0;
    ASSERT_TRUE(view.GetBonusSkill(2, name, nextLevel, needed));
    EXPECT_EQ(name, "$$SkillGrit$$");
    EXPECT_EQ(nextLevel, 2);
    // 16 vitality is 3 more than 13: a base of 13.
    EXPECT_EQ(needed, 13);
    EXPECT_FALSE(view.GetBonusSkill(0, name, nextLevel, needed)) << "no skill waits on strength";
}
