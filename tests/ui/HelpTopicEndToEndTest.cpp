// HelpTopicEndToEndTest -- the shipped game in an offscreen window: "addHelpTopic" typed on the console shows the start topic's button on the settings' row, a click pushed through SDL opens a "helpTopic" test menu whose text shows the topic's title, and a status-effect icon keeps its texture while its definition stays.
#include "app/OffscreenShots.h"
#include "ui/UiWorld.h"
#include "ui/widgets/UIStatusEffectIcons.h"
#include "ui/widgets/UIText.h"

#include <algorithm>

namespace {

const char kHelpTopicEndMenu[] = "MenuType Menu\nname helpTopic\nposition 100 200\nsize 400 100\n"
                                 "Text { internalName Title position 0 0 size 400 60\n"
                                 "textSource HelpTopicTitle\n}\n";

const char kHelpTopicEndIcons[] = "MenuType Menu\nname Effects\nposition 0 0\nsize 640 480\n"
                                  "StatusEffectIcons { internalName Row entityType PlayerServer position 200 300 "
                                  "iconSize 32 32 offset 40 0 color \"1 0 0\" }\n";

class HelpTopicEndToEnd : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        folder.Write("Assets/UI/helptopic.mnu", kHelpTopicEndMenu);
        folder.Write("Assets/UI/effects.mnu", kHelpTopicEndIcons);
        folder.Write("User/user.cfg", "r_width 640\nr_height 480\n");
        ASSERT_TRUE(app.StartUp());
        view.player = true;
        view.playerEntity = 4;
        view.entities[4] = UiEntityFacts{};
        gUISystem->SetGameView(&view);
        gUserVarSystem->SetStringByName("r_screenshotType", "2");
        app.RunFrame();
        // The shipped title screen covers the whole window; these menus are tried without it.
        TypeOnConsole("hideMenu Main");
    }
    void TearDown() override
    {
        if (gUISystem)
            gUISystem->SetGameView(nullptr);
    }

    FakeGameView view;
};

TEST_F(HelpTopicEndToEnd, TheStartTopicsButtonOpensItsPage)
{
    TypeOnConsole("addHelpTopic Welcome");
    UIMenu* button = gUISystem->FindMenu("WelcomeButton");
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->IsShown());
    const UiSettings& settings = gUISystem->settings;
    EXPECT_FLOAT_EQ(button->position[0], settings.helpTopicBasePosition[0] - settings.helpTopicButtonOffset * 0.5f);
    EXPECT_FLOAT_EQ(button->position[1], settings.helpTopicBasePosition[1]);

    float half = settings.helpTopicButtonSize * 0.5f;
    ClickAt(static_cast<int32_t>(button->position[0] + half), static_cast<int32_t>(button->position[1] + half));
    const auto& stack = gUISystem->GetMenuStack();
    ASSERT_NE(std::find(stack.begin(), stack.end(), gUISystem->FindMenu("helpTopic")), stack.end());
    auto* title = dynamic_cast<UIText*>(gUISystem->FindWidgetByPath("helpTopic::Title"));
    ASSERT_NE(title, nullptr);
    app.RunFrame();
    ASSERT_FALSE(title->lines.empty());
    EXPECT_EQ(WideToNarrow(title->lines.front()), "Welcome to Emberlode");
    TargaImage shot = Screenshot();
    int lit = 0;
    for (int y = 200; y < 230; ++y)
        for (int x = 100; x < 400; ++x)
            lit += PixelAt(shot, x, y)[0] > 150 ? 1 : 0;
    EXPECT_GT(lit, 50) << "the title is drawn";
    KeepFailedFrame("HelpTopicEndToEnd");
}

TEST_F(HelpTopicEndToEnd, AnIconKeepsItsTextureWhileItsDefinitionStays)
{
    UiStatusEffectFacts burning;
    burning.record = 40;
    burning.iconName = "Textures/white.tga";
    view.statusEffects[4] = {burning};
    TypeOnConsole("showMenu Effects");
    auto* row = dynamic_cast<UIStatusEffectIcons*>(gUISystem->FindWidgetByPath("Effects::Row"));
    ASSERT_NE(row, nullptr);
    int32_t first = row->GetIcon(0).GetIcon();
    ASSERT_NE(first, -1);
    app.RunFrame();
    EXPECT_EQ(row->GetIcon(0).GetIcon(), first) << "the same definition loads nothing again";
    TargaImage shot = Screenshot();
    EXPECT_GT(PixelAt(shot, 215, 315)[0], 200) << "the icon is drawn in the widget's colour";
    EXPECT_LT(PixelAt(shot, 236, 315)[0], 40) << "between icons nothing is drawn";
    KeepFailedFrame("HelpTopicEndToEnd");
    view.statusEffects[4].clear();
    app.RunFrame();
    EXPECT_EQ(row->count, 0);
    EXPECT_EQ(row->GetIcon(0).GetIcon(), -1) << "an emptied slot lets its icon go";
}

} // namespace
