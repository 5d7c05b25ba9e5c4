// ProfileRestartEndToEndTest -- the shipped game offscreen, driven by SDL clicks and keys: the profile in use, with its unlocks, is the one in use again after the program is shut down and started again; a row only looked at in the list is not; a profile whose file is gone leaves none.
#include "app/OffscreenShots.h"

#include "client/ClientProfiles.h"
#include "client/GameClient.h"
#include "core/UserVarSystem.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"
#include "ui/UIWidget.h"
#include "ui/widgets/UIList.h"

#include <filesystem>
#include <string>

namespace {

class ProfileRestartEndToEnd : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartShippedGame();
    }

    // Title, Profiles, New, the name typed, Create: back on the title with the new profile in use.
    void MakeProfile(const std::string& name)
    {
        ClickAt(320, 322);
        ASSERT_TRUE(Shown("Profiles"));
        ClickAt(200, 359);
        ASSERT_TRUE(Shown("NewProfile"));
        ClickAt(360, 201);
        for (char c : name) {
            bool upper = c >= 'A' && c <= 'Z';
            if (upper)
                Push(SDL_SCANCODE_LSHIFT, true);
            Tap(ScancodeOf(c));
            if (upper)
                Push(SDL_SCANCODE_LSHIFT, false);
        }
        ClickAt(420, 296);
        ASSERT_TRUE(Shown("Main"));
    }

    void Restart()
    {
        app.ShutDown();
        ASSERT_TRUE(app.StartUp()) << "the next run starts";
        gUserVarSystem->SetStringByName("r_screenshotType", "2");
        app.RunFrame();
        ASSERT_TRUE(Shown("Main"));
    }

    static std::string InUse() { return gGameClient ? gGameClient->GetProfiles().GetUserName() : "(no client)"; }

    static std::string ShownOnTheTitle()
    {
        UIWidget* shown = gUISystem->FindWidgetByPath("Main::Profile");
        return shown ? shown->BuildText(shown->textSource) : "(no widget)";
    }
};

TEST_F(ProfileRestartEndToEnd, TheProfileInUseAndItsUnlocksComeBackAfterARestartAndALookedAtRowDoesNot)
{
    MakeProfile("Wren");
    MakeProfile("Ash");
    ASSERT_EQ(InUse(), "Ash");
    TypeOnConsole("unlock EmberTrophy");
    ASSERT_TRUE(gGameClient->GetProfiles().IsUnlocked("EmberTrophy"));

    // Wren's row chosen in the list, then the list left without loading it.
    ClickAt(320, 322);
    ASSERT_TRUE(Shown("Profiles"));
    auto* users = dynamic_cast<UIList*>(gUISystem->FindWidgetByPath("Profiles::Users"));
    ASSERT_NE(users, nullptr);
    ASSERT_EQ(users->rows.size(), 2u);
    int32_t wrenRow = users->rows[0]->name == "Wren" ? 0 : 1;
    ClickAt(200, 114 + 20 * wrenRow + 10);
    EXPECT_EQ(gUserVarSystem->GetStringByName("UserName"), "wren") << "the list names the row it shows";
    Tap(SDL_SCANCODE_ESCAPE);
    ASSERT_TRUE(Shown("Main"));
    EXPECT_EQ(InUse(), "Ash");

    Restart();
    std::string settings = folder.Read("User/user.cfg");
    EXPECT_NE(settings.find("UserName Ash"), std::string::npos) << settings;
    EXPECT_EQ(InUse(), "Ash") << "the profile in use when the program closed";
    EXPECT_EQ(ShownOnTheTitle(), "Ash");
    EXPECT_TRUE(gGameClient->GetProfiles().IsUnlocked("EmberTrophy")) << "its unlock kept in its file";

    // Wren loaded from the list is the one the next run starts with.
    ClickAt(320, 322);
    ClickAt(200, 114 + 20 * wrenRow + 10);
    Tap(SDL_SCANCODE_RETURN);
    ASSERT_TRUE(Shown("Main"));
    ASSERT_EQ(InUse(), "Wren");
    Restart();
    EXPECT_EQ(InUse(), "Wren");
    EXPECT_FALSE(gGameClient->GetProfiles().IsUnlocked("EmberTrophy")) << "Ash's unlock stays Ash's";

    // The remembered profile's file removed while the program was closed: none is in use.
    app.ShutDown();
    std::filesystem::remove(folder.Path() / "User/chars/wren.usr");
    ASSERT_TRUE(app.StartUp());
    app.RunFrame();
    EXPECT_EQ(InUse(), "");
    EXPECT_EQ(gUserVarSystem->GetStringByName("UserName"), "");
    EXPECT_EQ(ShownOnTheTitle(), "");
}

} // namespace
