// WidgetBaseTest -- what every widget does: hit tests, clicks and their lists, verify procedures, visibility through parents and conditions, tooltips, text placement and copies.
#include "ui/UiWorld.h"
#include "ui/widgets/UIItemSlot.h"
#include "ui/widgets/UIModelWidget.h"
#include "ui/widgets/UIUseSlot.h"

#include "core/ColorSystem.h"
#include "ui/UiNameTables.h"

namespace {

class WidgetBase : public UiWorld {
protected:
    void SetUp() override
    {
        WriteMenu("m.mnu", "name M\nvisible 1\nposition 100 100\n"
                           "Widget { internalName Box position 10 10 size 20 10 canClick 1\n"
                           "  addCommand \"record click\" addRightClickCommand \"record right\"\n"
                           "  addFailCommand \"record refused\" }\n"
                           "Widget { internalName Parent position 200 0 size 10 10 }\n"
                           "Widget { internalName Child parentWidget M::Parent parentLinked 3 4 size 5 5 }\n");
        ui->RegisterCommands();
        box = ui->FindWidgetByPath("M::Box");
        ASSERT_NE(box, nullptr);
    }

    UIWidget* box = nullptr;
};

TEST_F(WidgetBase, TheHitTestHoldsBothEdgesAndFollowsTheMenu)
{
    EXPECT_TRUE(box->HitTest(110, 110));
    EXPECT_TRUE(box->HitTest(130, 120));
    EXPECT_FALSE(box->HitTest(130.5f, 120));
    EXPECT_FALSE(box->HitTest(110, 109.5f));
    EXPECT_TRUE(Click(130, 120));
    EXPECT_EQ(TakeRan(), std::vector<std::string>{"click"});
    Menu("M").position[0] = 0.0f;
    EXPECT_FALSE(Click(130, 120));
    EXPECT_TRUE(TakeRan().empty());
}

TEST_F(WidgetBase, TheScreenPositionIsTheWidgetsPlusItsMenusAndItsOwnOutsideAMenu)
{
    struct Case {
        float menuX, menuY;
        float x, y;
    };
    for (const Case& c : {Case{100, 100, 110, 110}, Case{0, 0, 10, 10}, Case{-40, 7.5f, -30, 17.5f}}) {
        Menu("M").position[0] = c.menuX;
        Menu("M").position[1] = c.menuY;
        EXPECT_EQ(box->GetScreenPosition().x, c.x) << c.menuX;
        EXPECT_EQ(box->GetScreenPosition().y, c.y) << c.menuY;
    }
    std::unique_ptr<UIWidget> loose(::UISystem::CloneWidget(box));
    loose->menu = nullptr;
    EXPECT_EQ(loose->GetScreenPosition().x, 10.0f);
    EXPECT_EQ(loose->GetScreenPosition().y, 10.0f);
}

TEST_F(WidgetBase, AFailedVerifyRunsOnlyTheFailListAndARightClickNeedsNone)
{
    box->verifyProc = "mayClick";
    box->selectable = true;
    // A procedure that is not registered counts as a refusal.
    EXPECT_TRUE(Click(115, 115));
    EXPECT_EQ(TakeRan(), std::vector<std::string>{"refused"});
    bool allow = false;
    commands.RegisterVerifyProc("mayClick", [&allow] { return allow; });
    EXPECT_TRUE(Click(115, 115));
    EXPECT_EQ(TakeRan(), std::vector<std::string>{"refused"});
    EXPECT_FALSE(box->selected);
    EXPECT_TRUE(Click(115, 115, 1));
    EXPECT_EQ(TakeRan(), std::vector<std::string>{"right"});
    // The middle button is not used at all.
    EXPECT_FALSE(Click(115, 115, 2));
    allow = true;
    EXPECT_TRUE(Click(115, 115));
    EXPECT_EQ(TakeRan(), std::vector<std::string>{"click"});
    EXPECT_TRUE(box->selected);
    EXPECT_TRUE(Click(115, 115));
    EXPECT_FALSE(box->selected);
}

TEST_F(WidgetBase, ALeftPressWritesTheTextWithoutItsMarkersIntoTheUserVar)
{
    box->setVarOnButtonPress = true;
    box->text = "$$Easy$$";
    box->userVar = vars.RegisterVar("ui_level", "", true);
    EXPECT_TRUE(Click(115, 115, 1));
    EXPECT_EQ(vars.GetStringByName("ui_level"), "");
    EXPECT_TRUE(Click(115, 115));
    EXPECT_EQ(vars.GetStringByName("ui_level"), "Easy");
}

TEST_F(WidgetBase, AHiddenParentHidesItsLinkedChildWhichFollowsItsPlace)
{
    UIWidget* parent = ui->FindWidgetByPath("M::Parent");
    UIWidget* child = ui->FindWidgetByPath("M::Child");
    child->showCondition = ::UICondition::AlwaysTrue;
    EXPECT_TRUE(child->IsVisible());
    ui->Update(0.0f);
    EXPECT_EQ(child->position[0], 203.0f);
    EXPECT_EQ(child->position[1], 4.0f);
    parent->SetVisible(false);
    EXPECT_FALSE(child->IsVisible());
    parent->SetVisible(true);
    child->hideCondition = ::UICondition::AlwaysTrue;
    EXPECT_FALSE(child->IsVisible());
    child->hideCondition = 0;
    child->showCondition = ::UICondition::ParentWidgetVisible;
    EXPECT_TRUE(child->IsVisible());
}

TEST_F(WidgetBase, ParentAndRedirectLoopsStopAtTheirRepeatWithOneLine)
{
    UIWidget* parent = ui->FindWidgetByPath("M::Parent");
    UIWidget* child = ui->FindWidgetByPath("M::Child");
    parent->parentWidget = child;
    parent->parentLinked = true;
    EXPECT_FALSE(child->IsVisible());
    EXPECT_FALSE(child->IsVisible());
    EXPECT_EQ(Logged("its visibility depends on itself"), 1);
    parent->parentLinked = false;
    parent->showCondition = ::UICondition::ParentWidgetVisible;
    EXPECT_FALSE(parent->IsVisible());

    box->highlightRedirect = "M::Parent";
    parent->highlightRedirect = "M::Box";
    box->blocksMouse = false;
    parent->blocksMouse = false;
    std::string text;
    std::string title;
    EXPECT_FALSE(box->GetHelpText(0, 0, text, title));
    EXPECT_EQ(Logged("its tooltip redirection leads back to it"), 1);
    parent->highlightText = "from the parent";
    EXPECT_TRUE(box->GetHelpText(0, 0, text, title));
    EXPECT_EQ(text, "from the parent");
}

TEST_F(WidgetBase, TheLevelDifferenceNamesHowHardAnEntityIs)
{
    view.running = true;
    view.player = true;
    view.playerEntity = 1;
    view.selectedEntity = 2;
    view.entities[1].level = 10;
    box->entityType = UIEntity::Selected;
    box->AddTextSource(12, "");
    box->blocksMouse = false;
    const std::pair<int32_t, const char*> labels[] = {{5, "Very easy"}, {6, "Easy"},     {8, "Easy"},
                                                      {9, "Average"},   {12, "Average"}, {13, "Hard"},
                                                      {14, "Hard"},     {15, "Very hard"}, {16, "Impossible"}};
    for (const auto& [level, label] : labels) {
        view.entities[2].level = level;
        std::string text;
        std::string title;
        // The label alone does not make a tooltip.
        EXPECT_FALSE(box->GetHelpText(0, 0, text, title));
        EXPECT_EQ(text, label) << level;
    }
    box->highlightText = "with text";
    std::string text;
    std::string title;
    EXPECT_TRUE(box->GetHelpText(0, 0, text, title));
    EXPECT_EQ(text, "with text");
}

TEST_F(WidgetBase, TextIsPlacedByTheAlignmentInsideTheRectangle)
{
    box->textOffset[0] = 2.0f;
    box->textOffset[1] = 3.0f;
    float x = 0.0f;
    float y = 0.0f;
    box->GetTextPosition(8.0f, 4.0f, x, y);
    EXPECT_EQ(x, 112.0f);
    EXPECT_EQ(y, 113.0f);
    box->textAlignment = TextOrientation::Center;
    box->GetTextPosition(8.0f, 4.0f, x, y);
    EXPECT_EQ(x, 116.0f);
    EXPECT_EQ(y, 113.0f);
    box->textAlignment = TextOrientation::CenterLeft;
    box->GetTextPosition(8.0f, 4.0f, x, y);
    EXPECT_EQ(x, 110.0f);
    box->textAlignment = TextOrientation::CenterRight;
    box->GetTextPosition(8.0f, 4.0f, x, y);
    EXPECT_EQ(x, 122.0f);
    // Without a size the offset alone places the text.
    box->size[1] = 0.0f;
    box->GetTextPosition(8.0f, 4.0f, x, y);
    EXPECT_EQ(x, 112.0f);
    EXPECT_EQ(y, 113.0f);
}

TEST_F(WidgetBase, ACloneCarriesTheBaseFieldsAndUnbuiltKindsStandInAsPlainWidgets)
{
    box->highlightText = "tip";
    box->selected = true;
    std::unique_ptr<UIWidget> copy(::UISystem::CloneWidget(box));
    EXPECT_EQ(copy->internalName, "Box");
    EXPECT_EQ(copy->commands, box->commands);
    EXPECT_EQ(copy->failCommands, box->failCommands);
    EXPECT_EQ(copy->menu, box->menu);
    EXPECT_TRUE(copy->selected);
    EXPECT_EQ(copy->size[0], 20.0f);
    EXPECT_EQ(::UISystem::CloneWidget(nullptr), nullptr);

    std::unique_ptr<UIWidget> decrease(ui->CreateWidget("skillslotdecrease"));
    EXPECT_TRUE(decrease->canClick);
    std::unique_ptr<UIWidget> first(ui->CreateWidget("modelwidget"));
    std::unique_ptr<UIWidget> second(ui->CreateWidget("ModelWidget"));
    EXPECT_NE(dynamic_cast<UIModelWidget*>(first.get()), nullptr) << "names compared case-blind";
    EXPECT_NE(dynamic_cast<UIModelWidget*>(second.get()), nullptr);
    EXPECT_EQ(Logged("is made as a plain widget"), 0) << "every widget kind is built now";
    std::unique_ptr<UIWidget> useSlot(ui->CreateWidget("useslot"));
    EXPECT_NE(dynamic_cast<UIUseSlot*>(useSlot.get()), nullptr);
    std::unique_ptr<UIWidget> built(ui->CreateWidget("itemslot"));
    EXPECT_NE(dynamic_cast<UIItemSlot*>(built.get()), nullptr);
    EXPECT_EQ(ui->CreateWidget("Gadget"), nullptr);
}

TEST_F(WidgetBase, AWidgetOutsideAnyMenuRunsItsLinesInOrder)
{
    UIWidget loose;
    loose.canClick = true;
    loose.size[0] = 5.0f;
    loose.size[1] = 5.0f;
    loose.commands = {"record first", "nonsense here", "record second"};
    EXPECT_TRUE(loose.HandleMouseButton(0, true, 5, 5));
    EXPECT_EQ(TakeRan(), (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(Logged("nonsense command not found"), 1);
}

TEST_F(WidgetBase, TheColourSourcesTintFromTheCovenantEachUpdate)
{
    view.playerCovenant = 0;
    view.covenants.resize(1);
    view.covenants[0].colorIndex = 1;
    ColorSystem colours;
    gColorSystem = &colours;
    box->colorSource = 2;
    box->entityType = UIEntity::PlayerCovenant;
    box->color = Color{0.0f, 0.0f, 0.0f};
    box->Update(0.0f);
    Color expected;
    ColorSystem::GetColorByIndex(expected.r, expected.g, expected.b, 1);
    EXPECT_EQ(box->color.r, expected.r);
    EXPECT_EQ(box->color.g, expected.g);
    gColorSystem = nullptr;
}

} // namespace
