// SkillSlotWorld -- the item slot world with a class of three skills in one tree, joined by the real player mirror, so that the host's player and the client's mirror hold the same skills; a menu of skill slots and quick-use slots read from the game folder.
#pragma once

#include "client/SkillListClient.h"
#include "core/ColorSystem.h"
#include "core/CommandSystem.h"
#include "entities/Player.h"
#include "rules/GameData.h"
#include "ui/ItemSlotWorld.h"
#include "ui/UIMenu.h"
#include "ui/widgets/UISkillSlot.h"
#include "ui/widgets/UIUseSlot.h"

#include <array>
#include <string>

class SkillSlotWorld : public ItemSlotWorld {
protected:
    // Jolt costs 2 + level points, up to level 3, with a 4-second reuse and 5 power a use;
    // Guard starts at level 1; Snare keeps the place its layout gives it. Ward, alone in the
    // second tree, is the class's starting skill there.
    static constexpr const char* kSkillSlotRecords = R"(
SkillJolt
{
    Type Skill
    BaseName "Jolt"
    TextureName "Textures/jolt.tga"
    BaseCost 2
    CostIncreasePerLevel 1
    MaxSkillLevel 3
    ReuseTime 4
    Power 5
    ShowSkillHint 1
    SkillType Simple
    Self 1
    DynamicStatMultCriticalHit 1.5
}
SkillGuard
{
    Type Skill
    BaseName "Guard"
    BaseCost 1
    StartingSkillLevel 1
    RequiredEntityState-One EnemyMinorDistraction
}
SkillSnare
{
    Type Skill
    BaseName "Snare"
    BaseCost 1
    HardCodedLocation 1
    NeedsEnemy 1
}
SkillTreeTester
{
    Type SkillTree
    Name "Tester tree"
    Skill SkillJolt
    Skill SkillGuard
    Skill SkillSnare
}
SkillWard
{
    Type Skill
    BaseName "Ward"
    BaseCost 1
}
SkillTreeTesterStart
{
    Type SkillTree
    Name "Starting tree"
    StartingSkills 1
    Skill SkillWard
}
ClassTester
{
    Type Class
    BaseSpeed 150
    HealthPerVit 5
    StartVitality 10
    MaxPower 100
    SkillTree SkillTreeTester
    SkillTree SkillTreeTesterStart
}
HelpTopics
{
    Type Info
    HelpTopic FindCombatPercents
    HelpTopic Distractions
    HelpTopic StateRequirements
}
)";

    SkillSlotWorld()
    {
        vars.SetStringByName("PlayerClass", "ClassTester");
        gColorSystem = &colors;
    }
    ~SkillSlotWorld() override { gColorSystem = nullptr; }

    // The world with the item and skill records, the join, and the menu pushed.
    void StartWithSkillMenu(const std::string& menu, const std::string& moreTuning = "")
    {
        StartWorldOnly(moreTuning, std::string(kItemSlotRecords) + kSkillSlotRecords);
        ServerCommands::Register(host->GetClientCommands());
        Join();
        // The host's steps build its player's skill list from the class.
        ClientFrame(250);
        hostPlayer->inventory->ResizeBag(InventoryGroupIndex::Bag1, 6);
        // The first tree's skills start as their records say.
        hostPlayer->stats.Set(LevelStat(0), 0);
        hostPlayer->stats.Set(LevelStat(1), 1);
        hostPlayer->stats.Set(LevelStat(2), 0);
        folder.Write("Assets/UI/slots.mnu", menu);
        ui = std::make_unique<UISystem>();
        gUISystem = ui.get();
        ui->SetGameView(&view);
        ui->RegisterCommands();
        ui->PushMenuByName("Slots");
        Sync();
    }

    // The host's stats, as the next update brings them to the mirror.
    void SetHostStat(int32_t stat, int32_t value)
    {
        hostPlayer->stats.Set(stat, value);
        Sync();
    }

    // The level stat of the tree's skill at index i.
    static int32_t LevelStat(int32_t index) { return kFirstSkillStat + index; }

    SkillClient& ClientSkill(int32_t index) const
    {
        auto* skill = dynamic_cast<SkillClient*>(player->GetSkillList().FindSkill(0, index));
        if (!skill)
            throw std::runtime_error("no client skill " + std::to_string(index));
        return *skill;
    }

    template <class Widget>
    Widget& Get(const std::string& name) const
    {
        auto* widget = dynamic_cast<Widget*>(ui->FindWidgetByPath("Slots::" + name));
        if (!widget)
            throw std::runtime_error("no widget " + name);
        return *widget;
    }

    std::array<int32_t, 4> Record(int32_t index) const { return player->GetQuickUseRecord(index); }

    static Color TableColor(int32_t index)
    {
        Color color;
        ColorSystem::GetColorByIndex(color.r, color.g, color.b, index);
        return color;
    }

    // A help topic's button is up.
    bool Offered(const std::string& topic) const
    {
        UIMenu* button = ui->FindMenu(topic + "Button");
        return button && button->IsShown();
    }

    ColorSystem colors;
};
