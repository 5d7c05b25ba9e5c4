// StatusEffectIconsTest -- the status-effect row loaded from a menu file over a fake game: at most ten icons, the enhancements among the first ten, the tooltip's whole-number inclusive edges, stacking by the offset, and an entity that goes away.
#include "ui/UiWorld.h"

#include "ui/widgets/UIStatusEffectIcons.h"

namespace {

class StatusEffectIcons : public UiWorld {
protected:
    void SetUp() override
    {
        WriteMenu("e.mnu", "name E\nvisible 1\nsize 640 480\n"
                           "StatusEffectIcons { internalName Row entityType PlayerServer position 100.5 50 }\n"
                           "StatusEffectIcons { internalName Column entityType PlayerServer position 300 50 "
                           "offset 0 20 }\n"
                           "StatusEffectIcons { internalName Enhanced entityType Selected position 400 50 "
                           "enhancementsOnly 1 }\n");
        ui->RegisterCommands();
        view.player = true;
        view.playerEntity = 1;
        view.entities[1] = UiEntityFacts{};
    }
    static UiStatusEffectFacts Effect(int32_t record, int32_t type = 0)
    {
        UiStatusEffectFacts effect;
        effect.record = record;
        effect.entryType = type;
        effect.displayName = "Effect" + std::to_string(record);
        effect.description = "Lasts " + std::to_string(record);
        return effect;
    }
    UIStatusEffectIcons& Icons(const std::string& name) const
    {
        return *dynamic_cast<UIStatusEffectIcons*>(ui->FindWidgetByPath("E::" + name));
    }
    std::string Tip(const std::string& name, int32_t x, int32_t y, bool& answered) const
    {
        std::string text;
        std::string title;
        answered = Icons(name).GetHelpText(x, y, text, title);
        return text;
    }
};

TEST_F(StatusEffectIcons, ElevenEffectsShowTheFirstTen)
{
    for (int32_t i = 0; i < 11; ++i)
        view.statusEffects[1].push_back(Effect(100 + i));
    Icons("Row").Refresh(false);
    EXPECT_EQ(Icons("Row").count, 10);
    EXPECT_EQ(Icons("Row").GetIcon(9).GetRecord(), 109);
    view.statusEffects[1].resize(2);
    Icons("Row").Refresh(false);
    EXPECT_EQ(Icons("Row").count, 2);
    EXPECT_FALSE(Icons("Row").GetIcon(2).HasEffect()) << "the slots past the count are emptied";
    EXPECT_EQ(Icons("Row").GetIcon(2).GetRecord(), -1);
}

TEST_F(StatusEffectIcons, OnlyEnhancementsAmongTheFirstTenAreShown)
{
    view.selectedEntity = 5;
    view.entities[5] = UiEntityFacts{};
    for (int32_t i = 0; i < 14; ++i)
        view.statusEffects[5].push_back(Effect(200 + i, i == 3 || i == 12 ? 6 : 1));
    Icons("Enhanced").Refresh(false);
    EXPECT_EQ(Icons("Enhanced").count, 1);
    EXPECT_EQ(Icons("Enhanced").GetIcon(0).GetRecord(), 203);
}

TEST_F(StatusEffectIcons, TheTooltipTakesWholeNumberEdgesBothIncluded)
{
    view.statusEffects[1] = {Effect(1), Effect(2)};
    bool answered = false;
    // The row starts at 100.5: its first icon spans 100 .. 116, the second 118 .. 134.
    EXPECT_EQ(Tip("Row", 100, 50, answered), "Effect1\nLasts 1");
    EXPECT_TRUE(answered);
    EXPECT_EQ(Tip("Row", 116, 66, answered), "Effect1\nLasts 1");
    Tip("Row", 117, 60, answered);
    EXPECT_FALSE(answered) << "the gap between icons shows nothing";
    EXPECT_EQ(Tip("Row", 118, 60, answered), "Effect2\nLasts 2");
    Tip("Row", 99, 60, answered);
    EXPECT_FALSE(answered);
    Tip("Row", 140, 60, answered);
    EXPECT_FALSE(answered) << "no third icon";
    // The column stacks downwards, 20 units apart.
    EXPECT_EQ(Tip("Column", 305, 75, answered), "Effect2\nLasts 2");
}

TEST_F(StatusEffectIcons, AnEntityThatGoesAwayEmptiesTheRow)
{
    view.statusEffects[1] = {Effect(1), Effect(2)};
    Icons("Row").Refresh(false);
    EXPECT_EQ(Icons("Row").count, 2);
    view.entities.erase(1);
    Icons("Row").Refresh(false);
    EXPECT_EQ(Icons("Row").count, 0);
    EXPECT_FALSE(Icons("Row").GetIcon(0).HasEffect());
}

} // namespace
