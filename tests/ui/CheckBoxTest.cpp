// CheckBoxTest -- check boxes loaded from a menu file: clicks flip the boolean in the bound user var, a box without a var ignores them, and a copy of the menu keeps the kind; in the shipped game offscreen, a left press pushed through SDL ticks the box and the tick is read back in a screenshot.
#include "app/OffscreenShots.h"
#include "ui/UiWorld.h"

#include "ui/widgets/UICheckBox.h"

namespace {

class CheckBox : public UiWorld {
protected:
    void SetUp() override
    {
        WriteMenu("c.mnu", "name C\nvisible 1\nsize 640 480\n"
                           "CheckBox { internalName Bound position 100 100 size 16 16 userVar boxVar 0 text Music }\n"
                           "CheckBox { internalName Loose position 200 100 size 16 16 }\n");
        ui->RegisterCommands();
        bound = dynamic_cast<UICheckBox*>(ui->FindWidgetByPath("C::Bound"));
        loose = dynamic_cast<UICheckBox*>(ui->FindWidgetByPath("C::Loose"));
        ASSERT_NE(bound, nullptr) << "the factory makes the kind";
        ASSERT_NE(loose, nullptr);
        ui->Update(0.0f);
    }

    UICheckBox* bound = nullptr;
    UICheckBox* loose = nullptr;
};

TEST_F(CheckBox, AClickFlipsTheVarsBooleanBetweenZeroAndOne)
{
    vars.SetStringByName("boxVar", "2");
    EXPECT_TRUE(bound->IsTicked()) << "any whole number but 0 is ticked";
    Click(108, 108);
    EXPECT_EQ(vars.GetStringByName("boxVar"), "0");
    EXPECT_FALSE(bound->IsTicked());
    Click(108, 108);
    EXPECT_EQ(vars.GetStringByName("boxVar"), "1");
    Click(108, 108, 1);
    EXPECT_EQ(vars.GetStringByName("boxVar"), "1") << "only the left button flips it";
    bound->OnClick(0, false, 108, 108);
    EXPECT_EQ(vars.GetStringByName("boxVar"), "1") << "a release flips nothing";
    bound->SetVisible(false);
    bound->OnClick(0, true, 108, 108);
    EXPECT_EQ(vars.GetStringByName("boxVar"), "1") << "a hidden box flips nothing";
}

TEST_F(CheckBox, ABoxWithoutAVarIsNeverTickedAndIgnoresClicks)
{
    EXPECT_FALSE(loose->IsTicked());
    Click(208, 108);
    EXPECT_FALSE(loose->IsTicked());
    EXPECT_TRUE(loose->canClick) << "a check box is clickable without saying so";
}

TEST_F(CheckBox, ACopyIsACheckBoxBoundToTheSameVar)
{
    std::unique_ptr<UIWidget> copy(UISystem::CloneWidget(bound));
    auto* box = dynamic_cast<UICheckBox*>(copy.get());
    ASSERT_NE(box, nullptr);
    vars.SetStringByName("boxVar", "1");
    EXPECT_TRUE(box->IsTicked());
    EXPECT_EQ(box->text, "Music");
}

const char kCheckBoxDrawMenu[] = "MenuType Menu\nname Boxes\nposition 0 0\nsize 640 480\n"
                                 "CheckBox { internalName Tick position 100 100 size 16 16 userVar drawnBox 0 }\n";

class CheckBoxDraw : public OffscreenShotGame {
protected:
    // The tick is the only bright green inside the box's square.
    static int CountTickPixels(const TargaImage& shot)
    {
        int count = 0;
        for (int y = 100; y < 116; ++y)
            for (int x = 100; x < 116; ++x)
                count += PixelAt(shot, x, y)[1] > 200 && PixelAt(shot, x, y)[0] < 160 ? 1 : 0;
        return count;
    }

    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        folder.Write("Assets/UI/boxes.mnu", kCheckBoxDrawMenu);
        folder.Write("User/user.cfg", "r_width 640\nr_height 480\n");
        ASSERT_TRUE(app.StartUp());
        app.RunFrame();
    }
};

TEST_F(CheckBoxDraw, ALeftPressTicksTheBoxOnScreen)
{
    TypeOnConsole("showMenu Boxes");
    gUserVarSystem->SetStringByName("r_screenshotType", "2");
    TargaImage empty = Screenshot();
    EXPECT_EQ(CountTickPixels(empty), 0) << "an unticked box shows no tick";
    EXPECT_GT(PixelAt(empty, 101, 101)[0] + PixelAt(empty, 101, 101)[1], 60) << "the box's frame is drawn";
    KeepFailedFrame("CheckBoxDraw");

    ClickAt(108, 108);
    EXPECT_EQ(gUserVarSystem->GetStringByName("drawnBox"), "1");
    TargaImage ticked = Screenshot();
    EXPECT_GT(CountTickPixels(ticked), 8) << "the tick is drawn over the box";
    KeepFailedFrame("CheckBoxDraw");
}

} // namespace
