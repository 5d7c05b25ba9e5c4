// ShippedScreensTest -- the shipped game's own screens in an offscreen window, driven by clicks and keys pushed through SDL: the title screen, a new character made and taken into the world with its rivals at their starting level, the in-game screen with its windows and game menu, leaving back to the title, and the options kept in the user's settings.
#include "app/OffscreenShots.h"

#include "client/ClientApp.h"
#include "client/PlayerClient.h"
#include "client/ScreenConversion.h"
#include "covenants/PlayerCovenant.h"
#include "core/EngineEnums.h"
#include "covenants/ActorCovenant.h"
#include "rules/Formulas.h"
#include "core/UserVarSystem.h"
#include "entities/Player.h"
#include "server/Game.h"
#include "server/WorldHost.h"
#include "core/LocSystem.h"
#include "render/TextEvents.h"
#include "render/TextMeasure.h"
#include "rules/GameData.h"
#include "rules/GameSystemTuning.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"
#include "ui/UIWidget.h"
#include "ui/widgets/UIStatValue.h"

#include <array>
#include <cmath>
#include <filesystem>
#include <string>

namespace {

class ShippedScreens : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartShippedGame();
    }

    static bool OnStackTop(const char* menuName)
    {
        const auto& stack = gUISystem->GetMenuStack();
        return !stack.empty() && stack.back() == gUISystem->FindMenu(menuName);
    }

    static std::string Var(const char* name) { return gUserVarSystem->GetStringByName(name); }

    // Pixels of the box whose red is well above their green and blue, as the filled health bar's are.
    static int RedPixels(const TargaImage& image, int x0, int y0, int x1, int y1)
    {
        return CountPixels(image, x0, y0, x1, y1,
                           [](const auto& p) { return p[0] > 120 && p[0] > 2 * p[1] && p[0] > 2 * p[2]; });
    }

    // Pixels of the box bright enough to be text or the frames' bronze.
    static int LitPixels(const TargaImage& image, int x0, int y0, int x1, int y1)
    {
        return CountPixels(image, x0, y0, x1, y1, [](const auto& p) { return p[0] + p[1] + p[2] > 300; });
    }

    // Every screen's last screenshot is kept beside the staged game folder for a person to look at;
    // a failed check names it.
    void KeepScreen(const std::string& screen)
    {
        if (lastShot.empty())
            return;
        std::filesystem::path kept =
            std::filesystem::path(std::getenv("EMBERLODE_GAME_DIR")).parent_path() / ("ShippedScreens-" + screen + ".tga");
        std::filesystem::copy_file(lastShot, kept, std::filesystem::copy_options::overwrite_existing);
        if (HasFailure())
            ADD_FAILURE() << "the screenshot is kept in " << kept.string();
        lastShot.clear();
    }

    // The bronze of a button's face: warm, red over green over blue.
    static bool IsBronze(const std::array<int, 3>& p) { return p[0] > 25 && p[0] > p[1] && p[1] > p[2]; }

    // The window a key brings up in the world is drawn within its box and leaves the quick-use
    // bar's slots and their key numbers whole.
    void ExpectTheBarWholeUnder(SDL_Scancode key, const char* menu, int x0, int y0, int x1, int y1)
    {
        EnterTheWorld("Ashguard");
        ASSERT_TRUE(Shown("InGame"));
        TargaImage bare = Screenshot();
        Tap(key);
        ASSERT_TRUE(Shown(menu));
        TargaImage open = Screenshot();
        EXPECT_EQ(ChangedPixels(bare, open, 8, 398, 300, 436, 60), 0) << menu << " covers the quick-use bar";
        EXPECT_GT(ChangedPixels(bare, open, x0, y0, x1, y1, 60), 5000) << menu << " is drawn";
    }
};

TEST_F(ShippedScreens, FromTheTitleANewCharacterEntersTheWorldAndTheGameMenuLeavesItForTheTitle)
{
    ASSERT_TRUE(Shown("Main")) << "the title screen is what the game shows first";
    TargaImage title = Screenshot();
    // The title's letters across the top and the first button's bronze face under them.
    EXPECT_GT(LitPixels(title, 160, 70, 480, 120), 200);
    EXPECT_TRUE(IsBronze(PixelAt(title, 250, 196)));
    KeepScreen("title");

    ClickAt(320, 196);
    ASSERT_TRUE(Shown("NewCharacter"));
    EXPECT_FALSE(Shown("Main"));
    EXPECT_FALSE(Var("PlayerName").empty()) << "a new character starts with a name drawn for its class";
    TargaImage form = Screenshot();
    EXPECT_GT(LitPixels(form, 200, 42, 440, 72), 100) << "the heading is drawn";
    KeepScreen("newcharacter");

    // The drawn name is replaced by a typed one.
    ClickAt(330, 101);
    for (int i = 0; i < 24; ++i)
        Tap(SDL_SCANCODE_BACKSPACE);
    TypeKeys("Brannoc");
    EXPECT_EQ(Var("PlayerName"), "Brannoc");

    // Without a covenant name the start is refused and says why.
    ClickAt(440, 408);
    EXPECT_EQ(Var("LastError"), "$$ErrorCovenantNameEmpty$$");
    EXPECT_TRUE(Shown("NewCharacter"));
    EXPECT_FALSE(gClientApp->IsActive());

    // The covenants' difficulty is the setting the rivals are made with.
    ClickAt(398, 207);
    EXPECT_EQ(Var("CovenantDifficultyLevel"), "Hard");
    ClickAt(262, 275);
    EXPECT_EQ(Var("NumCovenants"), "4");
    // Hardcore is not offered before a character of the profile has come far enough.
    ClickAt(208, 308);
    EXPECT_EQ(Var("PlayerHardcore"), "");

    // Enter in the covenant's field presses Start.
    ClickAt(330, 133);
    TypeKeys("Ashguard");
    Tap(SDL_SCANCODE_RETURN);
    for (int i = 0; i < 60 && !(HostPlayer() && gClientApp->IsActive()); ++i) {
        now += 50;
        app.RunFrame();
    }
    ASSERT_NE(HostPlayer(), nullptr) << "Start made a world host with the player";
    EXPECT_EQ(HostPlayer()->playerName, "Brannoc");
    // The rivals start at the shipped starting level, each leader with its purse.
    int32_t rivals = 0;
    for (int32_t i = 0; i < gGame->GetCovenantCount(); ++i)
        if (const auto* rival = dynamic_cast<const ActorCovenant*>(gGame->GetCovenant(i))) {
            ++rivals;
            EXPECT_GT(rival->GetMoney(), 0) << "rival " << i << " started with an empty purse";
            EXPECT_EQ(rival->GetDifficultyLevel(), DifficultyLevel::Hard) << "rival " << i;
        }
    EXPECT_GT(rivals, 0);
    EXPECT_FALSE(Shown("NewCharacter"));
    // The in-game screen shows once the first game update has come.
    for (int i = 0; i < 10; ++i) {
        now += 50;
        app.RunFrame();
    }
    ASSERT_TRUE(Shown("InGame"));
    TargaImage hud = Screenshot();
    EXPECT_GT(RedPixels(hud, 10, 445, 170, 455), 300) << "the health bar is filled";
    KeepScreen("ingame");

    // Escape brings the game menu up and takes it down again.
    Tap(SDL_SCANCODE_ESCAPE);
    ASSERT_TRUE(OnStackTop("GameMenu"));
    EXPECT_TRUE(IsBronze(PixelAt(Screenshot(), 250, 196))) << "the game menu's first button";
    KeepScreen("gamemenu");
    Tap(SDL_SCANCODE_ESCAPE);
    EXPECT_FALSE(Shown("GameMenu"));

    // C opens the character sheet, its button closes it, and Escape closes it before the game menu opens.
    Tap(SDL_SCANCODE_C);
    ASSERT_TRUE(Shown("Character"));
    TargaImage sheet = Screenshot();
    EXPECT_GT(LitPixels(sheet, 40, 150, 160, 250), 100) << "the attributes' names";
    KeepScreen("character");
    Tap(SDL_SCANCODE_ESCAPE);
    EXPECT_FALSE(Shown("Character"));
    EXPECT_FALSE(Shown("GameMenu"));
    ClickAt(480, 457);
    EXPECT_TRUE(Shown("Character")) << "the in-game screen's button opens it too";
    ClickAt(16 + 260, 4 + 16);
    EXPECT_FALSE(Shown("Character"));

    // The menu button, then Quit: asked first, and No keeps the game.
    ClickAt(582, 457);
    ASSERT_TRUE(OnStackTop("GameMenu"));
    ClickAt(320, 118 + 192);
    ASSERT_TRUE(OnStackTop("ConfirmQuit")) << "Quit asks before what was not saved is lost";
    EXPECT_TRUE(app.IsRunning());
    ClickAt(180 + 205, 180 + 85);
    EXPECT_TRUE(OnStackTop("GameMenu"));
    EXPECT_TRUE(app.IsRunning());
    EXPECT_TRUE(gClientApp->IsActive());

    // Then leaving without saving, asked and confirmed.
    ClickAt(320, 130 + 150);
    ASSERT_TRUE(OnStackTop("ConfirmExit"));
    ClickAt(180 + 75, 180 + 85);
    EXPECT_FALSE(gClientApp->IsActive());
    EXPECT_TRUE(Shown("Main"));
    EXPECT_FALSE(Shown("InGame"));
    EXPECT_TRUE(gUISystem->GetMenuStack().empty());
}

TEST_F(ShippedScreens, TheOptionsScreenSetsTheVolumesAndSwitchesAndTheUserSettingsKeepThem)
{
    ClickAt(320, 238);
    ASSERT_TRUE(Shown("Options"));
    TargaImage options = Screenshot();
    EXPECT_GT(LitPixels(options, 250, 74, 390, 100), 100) << "the heading is drawn";
    KeepScreen("options");
    // A quarter of the way along the music slider.
    ClickAt(250 + 170 / 4, 206);
    EXPECT_NEAR(std::stof(Var("s_volumeMusic")), 0.25f, 0.02f);
    ClickAt(98, 268);
    EXPECT_EQ(Var("ui_showDamageNumbers"), "0");
    std::string settings = folder.Read("User/user.cfg");
    EXPECT_NE(settings.find("s_volumeMusic 0.2"), std::string::npos) << settings;
    EXPECT_NE(settings.find("ui_showDamageNumbers 0"), std::string::npos) << settings;

    Tap(SDL_SCANCODE_ESCAPE);
    EXPECT_FALSE(Shown("Options"));
    EXPECT_TRUE(Shown("Main"));
}

TEST_F(ShippedScreens, HelpOpensFromTheTitleAndItsBackButtonReturns)
{
    Tap(SDL_SCANCODE_H);
    ASSERT_TRUE(Shown("HelpScreen"));
    TargaImage help = Screenshot();
    EXPECT_GT(LitPixels(help, 84, 96, 556, 200), 300) << "the help text is drawn";
    KeepScreen("help");
    ClickAt(320, 406);
    EXPECT_FALSE(Shown("HelpScreen"));
    EXPECT_TRUE(Shown("Main"));
}

TEST_F(ShippedScreens, TheDeathScreenComesWhenThePlayerFallsAndItsButtonRaisesHimAgain)
{
    EnterTheWorld("Ashguard");
    Player* player = HostPlayer();
    ASSERT_NE(player, nullptr);
    ASSERT_TRUE(Shown("InGame"));
    UIWidget* rise = gUISystem->FindWidgetByPath("PlayerDead::Resurrect");
    ASSERT_NE(rise, nullptr);
    EXPECT_FALSE(rise->IsVisible()) << "the death screen waits for a death";

    // The world strikes the player down, as a monster's blow would.
    player->TakeDamage(player->health + 100, nullptr, false, true);
    for (int i = 0; i < 40 && !rise->IsVisible(); ++i)
        Frames(1);
    ASSERT_TRUE(rise->IsVisible());
    TargaImage dead = Screenshot();
    EXPECT_GT(RedPixels(dead, 200, 264, 440, 292), 50) << "the heading in its red";
    EXPECT_TRUE(IsBronze(PixelAt(dead, 246, 330))) << "the button's face";
    KeepScreen("playerdead");

    ClickAt(320, 330);
    Frames(4);
    ClickAt(320, 330);
    Frames(4);
    EXPECT_LE(player->health, 0) << "a second press keeps the lifestone's wait";
    EXPECT_TRUE(rise->IsVisible());
    // The covenant may make the fallen wait before the lifestone raises them.
    for (int i = 0; i < 1200 && (player->health <= 0 || rise->IsVisible()); ++i)
        Frames(1);
    EXPECT_GT(player->health, 0) << "the resurrect request reached the world host";
    EXPECT_FALSE(rise->IsVisible());
}

// The lifestone makes its fallen leader wait: the first press of Rise again starts the wait, the
// fallen hero's bar shows it above the death window, the lifestone's notice is written clear of
// the window, and the hero rises with no second press.
TEST_F(ShippedScreens, RiseAgainAnswersTheFirstPressWithTheWaitShownClearOfTheNotices)
{
    EnterTheWorld("Ashguard");
    Player* player = HostPlayer();
    ASSERT_NE(player, nullptr);
    PlayerCovenant* covenant = HostCovenant();
    ASSERT_NE(covenant, nullptr);
    ASSERT_NE(covenant->GetHomeEntity(), nullptr);
    Entity* lifestone = gGame->GetEntity(covenant->GetHomeEntity()->entityNumber);
    ASSERT_NE(lifestone, nullptr);
    UIWidget* rise = gUISystem->FindWidgetByPath("PlayerDead::Resurrect");
    ASSERT_NE(rise, nullptr);

    // The lifestone struck below half its health, then its leader falls.
    lifestone->health = lifestone->maxHealth * 2 / 5;
    Frames(4);
    player->TakeDamage(player->health + 100, nullptr, false, true);
    FramesUntil([rise] { return rise->IsVisible(); }, 40);
    ASSERT_TRUE(rise->IsVisible());
    const TextEvents::Record* notice = gTextEvents->FindTextEvent(5);
    ASSERT_NE(notice, nullptr) << "the lifestone's notice";
    UIMenu* window = gUISystem->FindMenu("PlayerDead");
    ASSERT_NE(window, nullptr);
    EXPECT_LT(notice->y + 24.0f, window->position[1]) << "the notice is written above the death window";

    ClickOn(*rise);
    Frames(6);
    ASSERT_LE(player->health, 0) << "the lifestone makes its leader wait";
    const EntityClient* body = Local()->GetBody();
    ASSERT_NE(body, nullptr);
    EXPECT_GT(body->timerDuration, 1.0f) << "the first press started the wait the hero's bar shows";
    ScreenBox box = Client::GetEntityScreenBox(*body);
    EXPECT_LT(std::max(box.y1, box.y2), window->position[1]) << "the fallen hero and his bar stand above the window";
    KeepScreen("playerdead-waiting");

    // The window says how long the wait is, in the heading's place, and counts it down.
    UIWidget* waiting = gUISystem->FindWidgetByPath("PlayerDead::Waiting");
    UIWidget* heading = gUISystem->FindWidgetByPath("PlayerDead::Heading");
    ASSERT_NE(waiting, nullptr);
    ASSERT_NE(heading, nullptr);
    EXPECT_TRUE(waiting->IsVisible());
    EXPECT_FALSE(heading->IsVisible());
    auto secondsLeft = [body] { return static_cast<int>(std::ceil(body->timerDuration - body->timerElapsed)); };
    int before = secondsLeft();
    TargaImage counting = Screenshot();
    EXPECT_EQ(waiting->text, MakeLocToken("Resurrecting", "%d", before));
    EXPECT_GE(before, 40) << "the leader's 45 seconds, less the frames since the press";
    int headingTop = static_cast<int>(window->position[1]) + 10;
    EXPECT_GT(CountPixels(counting, 200, headingTop, 440, headingTop + 20,
                          [](const auto& p) { return p[0] > 200 && p[1] > 150 && p[2] < 160; }),
              50)
        << "the count in gold where the heading stood";
    Frames(60);
    Screenshot();
    EXPECT_EQ(waiting->text, MakeLocToken("Resurrecting", "%d", before - 3)) << "three seconds on";

    FramesUntil([player, rise] { return player->health > 0 && !rise->IsVisible(); },
                int(body->timerDuration * 20.0f) + 40);
    EXPECT_GT(player->health, 0) << "risen after the wait, with no second press";
}

// The shipped rules count no lives, so the count stays 0 and the death screen leaves its line out;
// a character whose lives are counted sees how many are left.
TEST_F(ShippedScreens, TheDeathScreenShowsTheLivesLeftOnlyWhereLivesAreCounted)
{
    EnterTheWorld("Ashguard");
    Player* player = HostPlayer();
    ASSERT_NE(player, nullptr);
    UIWidget* rise = gUISystem->FindWidgetByPath("PlayerDead::Resurrect");
    auto* lives = dynamic_cast<UIStatValue*>(gUISystem->FindWidgetByPath("PlayerDead::Lives"));
    ASSERT_NE(rise, nullptr);
    ASSERT_NE(lives, nullptr);
    ASSERT_EQ(player->stats.Get(CharacterStat::Lives), 0);

    player->TakeDamage(player->health + 100, nullptr, false, true);
    FramesUntil([rise] { return rise->IsVisible(); }, 40);
    ASSERT_TRUE(rise->IsVisible());
    EXPECT_FALSE(lives->IsVisible()) << "no count of lives where they are not counted";
    // The line's row under the heading, label and number: the frame's dark face only.
    TargaImage uncounted = Screenshot();
    EXPECT_LT(LitPixels(uncounted, 230, 292, 410, 312), 5);
    KeepScreen("playerdead-unlimited");

    ClickAt(320, 330);
    FramesUntil([player, rise] { return player->health > 0 && !rise->IsVisible(); }, 1200);
    ASSERT_GT(player->health, 0);

    player->stats.Set(CharacterStat::Lives, 3);
    player->TakeDamage(player->health + 100, nullptr, false, true);
    FramesUntil([rise] { return rise->IsVisible(); }, 40);
    Frames(2);
    ASSERT_TRUE(rise->IsVisible());
    EXPECT_TRUE(lives->IsVisible());
    EXPECT_EQ(lives->GetValue(), 3) << "the client's mirror of the host's count";
    TargaImage counted = Screenshot();
    EXPECT_GT(LitPixels(counted, 230, 292, 410, 312), 40) << "the label and the count of lives";
    KeepScreen("playerdead-lives");
}

TEST_F(ShippedScreens, TheInventoryOpensByItsKeyAndItsButtonAndShowsWhatIsWorn)
{
    EnterTheWorld("Ashguard");
    ASSERT_TRUE(Shown("InGame"));
    Tap(SDL_SCANCODE_I);
    ASSERT_TRUE(Shown("Inventory"));
    TargaImage pack = Screenshot();
    // The window sits at (348, 4): the worn tunic's icon fills the chest place, the head place is empty.
    int chest = LitPixels(pack, 348 + 226, 4 + 60, 348 + 256, 4 + 90);
    int head = LitPixels(pack, 348 + 26, 4 + 60, 348 + 56, 4 + 90);
    EXPECT_GT(chest, head + 40) << chest << " lit in the chest place, " << head << " in the empty head place";
    KeepScreen("inventory");
    Tap(SDL_SCANCODE_ESCAPE);
    EXPECT_FALSE(Shown("Inventory"));
    EXPECT_FALSE(Shown("GameMenu"));
    ClickAt(379, 457);
    EXPECT_TRUE(Shown("Inventory")) << "the in-game screen's button opens it too";
    ClickAt(348 + 268, 4 + 16);
    EXPECT_FALSE(Shown("Inventory"));
}

TEST_F(ShippedScreens, TheCharacterSheetShowsTheDamageRateAndWhatTheCharacterWearsAndCarriesIsWorth)
{
    EnterTheWorld("Ashguard");
    PlayerClient* player = Local();
    ASSERT_NE(player, nullptr);
    Tap(SDL_SCANCODE_C);
    ASSERT_TRUE(Shown("Character"));
    auto shown = [](const char* path) { return dynamic_cast<UIStatValue*>(gUISystem->FindWidgetByPath(path)); };
    UIStatValue* dps = shown("Character::Dps");
    UIStatValue* wornWorth = shown("Character::EquipmentWorth");
    UIStatValue* carriedWorth = shown("Character::InventoryWorth");
    ASSERT_TRUE(dps && wornWorth && carriedWorth);
    // The starting knife gives a damage rate, the tunic a worth, and the satchel's goods more.
    const IntArray& stats = player->stats;
    double rate = (stats.Get(CharacterStat::MinDamage) + stats.Get(CharacterStat::MaxDamage)) * 1000.0 /
                  (2.0 * stats.Get(CharacterStat::AttackSpeed));
    ASSERT_GT(rate, 0.0);
    EXPECT_NEAR(dps->GetValue(), rate * 100.0, 1.0) << "in hundredths";
    int32_t worn = player->GetBagValue(InventoryGroupIndex::Equipment);
    EXPECT_GT(worn, 0);
    EXPECT_GT(player->GetCarriedValue(), worn) << "the satchel's goods count too";
    EXPECT_EQ(wornWorth->FormatConvertedValue(), FormatMoney(worn));
    EXPECT_EQ(carriedWorth->FormatConvertedValue(), FormatMoney(player->GetCarriedValue()));
    TargaImage sheet = Screenshot();
    EXPECT_GT(LitPixels(sheet, 40, 348, 266, 428), 150) << "the three new rows are drawn inside the sheet";
    KeepScreen("character-worth");
}

// The sheet's lower rows lie over the in-game bar: with the bar hidden under it, not one of the
// sheet's pixels there may change, or the bar's words show through between its rows.
TEST_F(ShippedScreens, TheCharacterSheetHidesTheInGameBarUnderIt)
{
    EnterTheWorld("Ashguard");
    Tap(SDL_SCANCODE_C);
    ASSERT_TRUE(Shown("Character"));
    TargaImage over = Screenshot();
    TypeOnConsole("hideMenu InGame");
    ASSERT_FALSE(Shown("InGame"));
    TargaImage bare = Screenshot();
    int changed = 0;
    int barChanged = 0;
    for (int y = 398; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            bool differs = PixelAt(over, x, y) != PixelAt(bare, x, y);
            (x >= 16 && x < 296 ? changed : barChanged) += differs ? 1 : 0;
        }
    EXPECT_GT(barChanged, 500) << "the bar beside the sheet went with its menu";
    EXPECT_EQ(changed, 0) << "pixels of the sheet change with what lies under it";
    KeepScreen("character-over-bar");
}

// The quest window stands above the quick-use bar: its slots and their key numbers stay whole under
// the open window (its frame ran ten pixels over them).
TEST_F(ShippedScreens, TheQuestWindowLeavesTheQuickUseBarWhole)
{
    ExpectTheBarWholeUnder(SDL_SCANCODE_Q, "Quests", 140, 28, 500, 390);
    KeepScreen("quests-over-bar");
}

// The game menu Escape brings up stands above the quick-use bar too (its frame ran twelve pixels
// over the slots and their key numbers).
TEST_F(ShippedScreens, TheGameMenuLeavesTheQuickUseBarWhole)
{
    ExpectTheBarWholeUnder(SDL_SCANCODE_ESCAPE, "GameMenu", 170, 130, 470, 390);
    KeepScreen("gamemenu-over-bar");
}

// The most money a character may hold, written in gold, silver and copper, fits the sheet's money
// box (it ran out of the box over the "Money" label).
TEST_F(ShippedScreens, TheCharacterSheetHoldsTheMostMoneyACharacterMayHaveInItsBox)
{
    EnterTheWorld("Ashguard");
    Player* player = HostPlayer();
    ASSERT_NE(player, nullptr);
    ASSERT_GT(gGameData->GetTuning().maxMoney, 1000000);
    player->stats.Set(CharacterStat::Money, gGameData->GetTuning().maxMoney);
    FramesUntil([] { return Local() && Local()->GetStat(CharacterStat::Money) > 1000000; }, 20);
    Tap(SDL_SCANCODE_C);
    ASSERT_TRUE(Shown("Character"));
    SettleLoads();
    auto* money = dynamic_cast<UIStatValue*>(gUISystem->FindWidgetByPath("Character::Money"));
    ASSERT_NE(money, nullptr);
    std::string words = gLocSystem->Translate(money->BuildValueText(false));
    ASSERT_NE(words.find("gp"), std::string::npos) << words;
    TextSize size = MeasureTextW(money->font, gLocSystem->TranslateToWide(money->BuildValueText(false)));
    EXPECT_GT(size.width, 0.0f);
    EXPECT_LE(size.width, money->size[0] + 1.0f) << words << " in a box of " << money->size[0];
    Screenshot();
    KeepScreen("character-most-money");
}

TEST_F(ShippedScreens, TheKeysScreenBindsAnActionToThePressedKeyAndWarnsOfAKeyInUse)
{
    ClickAt(320, 238);
    ASSERT_TRUE(Shown("Options"));
    ClickAt(400, 366);
    ASSERT_TRUE(Shown("KeyBindings"));
    ClickAt(260, 199);
    EXPECT_EQ(Var("KeyAction"), "VirtualCharacterWindow");
    EXPECT_EQ(Var("KeyPrompt"), "1");
    // The screen asks for the key while it waits for one, and no longer once it has it.
    UIWidget* prompt = gUISystem->FindWidgetByPath("KeyBindings::Prompt");
    ASSERT_NE(prompt, nullptr);
    EXPECT_TRUE(prompt->IsVisible());
    EXPECT_EQ(prompt->text, "$$KeysPrompt$$");
    Tap(SDL_SCANCODE_K);
    EXPECT_EQ(Var("KeyPrompt"), "0");
    EXPECT_FALSE(prompt->IsVisible());
    std::string settings = folder.Read("User/user.cfg");
    EXPECT_NE(settings.find("VirtualKey VirtualCharacterWindow K"), std::string::npos) << settings;
    TargaImage keys = Screenshot();
    EXPECT_GT(LitPixels(keys, 212, 186, 308, 212), 10) << "the bound key's name on its button";
    KeepScreen("keys");

    // K already belongs to the character sheet: the game menu's action takes it, the sheet takes
    // the menu's old key rather than both sharing K, and the warning says so.
    ClickAt(260, 139);
    Tap(SDL_SCANCODE_K);
    ASSERT_TRUE(OnStackTop("DuplicateKey"));
    EXPECT_EQ(Var("KeySwappedAction"), "$$CharacterWindow$$") << "the warning names the action that lost the key";
    Screenshot();
    KeepScreen("duplicatekey");
    settings = folder.Read("User/user.cfg");
    EXPECT_NE(settings.find("VirtualKey VirtualGameMenu K"), std::string::npos) << settings;
    EXPECT_NE(settings.find("VirtualKey VirtualCharacterWindow Escape"), std::string::npos) << settings;
    ClickAt(320, 257);
    EXPECT_TRUE(OnStackTop("KeyBindings")) << "the warning closes back to the keys";
    Tap(SDL_SCANCODE_ESCAPE);
    EXPECT_TRUE(OnStackTop("Options"));
}

// The same screens in a larger window: the 640 x 480 layout is scaled over 1024 x 768.
class ShippedScreensLarge : public ShippedScreens {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartShippedGameAt(1024, 768);
    }

    // A point of the 640 x 480 layout in the window's pixels.
    static int Scaled(int units) { return units * 8 / 5; }
};

TEST_F(ShippedScreensLarge, TheTitleScreenIsScaledToTheWindowAndItsButtonsTakeClicksWhereTheyAreDrawn)
{
    ASSERT_TRUE(Shown("Main"));
    PushMotion(1023, 767);
    app.RunFrame();
    TargaImage title = Screenshot();
    ASSERT_GT(title.GetWidth(), 1000);
    EXPECT_TRUE(IsBronze(PixelAt(title, Scaled(250), Scaled(196)))) << "the first button's face";
    EXPECT_GT(LitPixels(title, Scaled(160), Scaled(70), Scaled(480), Scaled(120)), 400) << "the title's letters";
    KeepScreen("title-1024x768");
    ClickAt(Scaled(320), Scaled(196));
    EXPECT_TRUE(Shown("NewCharacter"));
}

} // namespace
