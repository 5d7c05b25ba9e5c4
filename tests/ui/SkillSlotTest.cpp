// Skill slots over the client's mirror of a joined player: the raise request of the "IncreaseSkill" mode, and the drag rules between skill and item slots.
#include "ui/ItemSlotWorld.h"

#include "client/SkillListClient.h"
#include "core/CommandSystem.h"
#include "rules/GameData.h"
#include "ui/widgets/UISkillSlot.h"

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
