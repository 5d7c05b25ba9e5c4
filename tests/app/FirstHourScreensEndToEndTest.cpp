// FirstHourScreensEndToEndTest -- what a new player meets on the shipped screens, driven by keys and clicks pushed through SDL: Escape closes whatever window is open, the game menu holds the game and the window keys and reaches the options, the number of rivals chosen is the number the world makes, and the in-game bar's level-up marks light up rather than dim.
#include "app/OffscreenShots.h"

#include "client/ClientApp.h"
#include "client/GameClient.h"
#include "core/LocSystem.h"
#include "core/UserVarSystem.h"
#include "render/TextMeasure.h"
#include "core/StringUtil.h"
#include "covenants/Covenant.h"
#include "entities/Player.h"
#include "entities/Stash.h"
#include "entities/Vendor.h"
#include "rules/Formulas.h"
#include "rules/RulesEnums.h"
#include "rules/covenants/DiplomacyText.h"
#include "server/Game.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"
#include "ui/UIWidget.h"
#include "ui/widgets/UIList.h"
#include "ui/widgets/UISkillSlot.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

class FirstHourScreens : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartShippedGame();
    }

    void TearDown() override { KeepFailedFrame("FirstHourScreens"); }

    static bool OnStackTop(const char* menuName)
    {
        const auto& stack = gUISystem->GetMenuStack();
        return !stack.empty() && stack.back() == gUISystem->FindMenu(menuName);
    }

    // The rival covenants the world host made, the player's own not counted.
    static int32_t HostRivals()
    {
        int32_t rivals = 0;
        for (int32_t i = 0; i < gGame->GetCovenantCount(); ++i)
            if (const Covenant* covenant = gGame->GetCovenant(i); covenant && !covenant->IsPlayerCovenant())
                ++rivals;
        return rivals;
    }

    void ClickOnWidget(const char* path)
    {
        UIWidget* widget = gUISystem->FindWidgetByPath(path);
        ASSERT_NE(widget, nullptr) << path;
        ClickOn(*widget);
    }

    // The player set down beside the host's entity, then its place clicked until the window shows.
    bool OpenAt(const Entity& entity, const char* menu)
    {
        Local()->Teleport(entity.position.Offset(Vector2{60.0f, 60.0f}));
        Frames(6);
        for (int click = 0; click < 6 && !Shown(menu); ++click) {
            const EntityClient* shown = gGameClient->GetEntity(entity.entityNumber);
            int32_t x = 0;
            int32_t y = 0;
            if (!shown || !FindPickPoint(*shown, x, y))
                return false;
            ClickAt(x, y);
            FramesUntil([menu] { return Shown(menu); }, 40);
        }
        return Shown(menu);
    }

    // Whether any of the menus named, "A|B", is shown.
    static bool AnyShown(const std::string& names)
    {
        for (size_t start = 0; start <= names.size();) {
            size_t end = std::min(names.find('|', start), names.size());
            if (Shown(names.substr(start, end - start).c_str()))
                return true;
            start = end + 1;
        }
        return false;
    }

    // The first of the host's entities of the class that the test wants.
    template <class T>
    static T* FindHost(bool (*wanted)(const T&))
    {
        for (int32_t number = 0; number < GameServices::kMaxEntities; ++number)
            if (auto* found = dynamic_cast<T*>(gGame->GetEntity(number)); found && wanted(*found))
                return found;
        return nullptr;
    }

    // The mean brightness of a box of the screen.
    static double Brightness(const TargaImage& image, int x0, int y0, int x1, int y1)
    {
        double sum = 0.0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                std::array<int, 3> p = PixelAt(image, x, y);
                sum += p[0] + p[1] + p[2];
            }
        return sum / ((x1 - x0) * (y1 - y0) * 3.0);
    }
};

// Each window a key or a click opens in the world closes again on Escape, and Escape then brings up
// no game menu behind it.
TEST_F(FirstHourScreens, EscapeClosesEachWindowWithoutOpeningTheGameMenu)
{
    EnterTheWorld();
    ASSERT_TRUE(gClientApp->IsActive());
    const std::pair<SDL_Scancode, const char*> windows[] = {
        {SDL_SCANCODE_M, "WorldMap"}, {SDL_SCANCODE_R, "CovenantRelations"}, {SDL_SCANCODE_I, "Inventory"},
        {SDL_SCANCODE_C, "Character"}, {SDL_SCANCODE_S, "Skills"},       {SDL_SCANCODE_Q, "Quests"},
        {SDL_SCANCODE_P, "NpcList"},
    };
    for (const auto& [key, menu] : windows) {
        Tap(key);
        Frames(1);
        ASSERT_TRUE(Shown(menu)) << menu;
        Tap(SDL_SCANCODE_ESCAPE);
        Frames(1);
        EXPECT_FALSE(Shown(menu)) << menu << " stays open on Escape";
        EXPECT_FALSE(Shown("GameMenu")) << "Escape on " << menu << " opened the game menu";
        if (Shown("GameMenu"))
            Tap(SDL_SCANCODE_ESCAPE);
    }
    EXPECT_EQ(gUserVarSystem->GetStringByName("drawWorldMap"), "0") << "the map closed is not drawn";
}

// Windows open two and three at a time (a bag over the pack, the stash with a stored bag and the
// pack, a trader with the pack, the sheet with its export box) or opened at a gate or by a key:
// each Escape closes the window on top of the rest, never opening the game menu, until none is
// left. A bag window left open alone once brought up the game menu instead.
TEST_F(FirstHourScreens, EscapeClosesTheWindowOnTopFirstWhateverOpenedIt)
{
    EnterTheWorld();
    ASSERT_TRUE(gClientApp->IsActive());
    struct Row {
        const char* what;
        std::function<void()> open;
        // The windows each Escape closes, in turn; "A|B" is whichever of the two opened.
        std::vector<std::vector<const char*>> closes;
    };
    const Row rows[] = {
        // Before any other row carries the player away from its covenant's gate.
        {"the covenant gate's map", [&] { ASSERT_NO_FATAL_FAILURE(OpenTheMapAtTheGate()); }, {{"WorldMap"}}},
        {"a bag window alone",
         [&] {
             Tap(SDL_SCANCODE_I);
             UIWidget* place = gUISystem->FindWidgetByPath("Inventory::BagPlace0");
             ASSERT_NE(place, nullptr);
             ClickOn(*place, SDL_BUTTON_RIGHT);
             Tap(SDL_SCANCODE_I);
             Frames(2);
             EXPECT_FALSE(Shown("Inventory"));
         },
         {{"bag0"}}},
        {"a bag window over the pack",
         [&] {
             Tap(SDL_SCANCODE_I);
             ClickOn(*gUISystem->FindWidgetByPath("Inventory::BagPlace0"), SDL_BUTTON_RIGHT);
         },
         {{"bag0"}, {"Inventory"}}},
        {"the stash, a bag stored in it and the pack",
         [&] {
             Stash* stash = FindHost<Stash>([](const Stash& found) { return found.IsPlayerStash(); });
             ASSERT_NE(stash, nullptr);
             ASSERT_TRUE(OpenAt(*stash, "Stash"));
             ClickOn(*gUISystem->FindWidgetByPath("Stash::BagPlace0"), SDL_BUTTON_RIGHT);
         },
         {{"stashBag0"}, {"Inventory"}, {"Stash"}}},
        {"a trader's goods and the pack",
         [&] {
             Vendor* vendor = FindHost<Vendor>([](const Vendor& found) { return !found.IsGambler() && !found.IsGuardVendor(); });
             ASSERT_NE(vendor, nullptr);
             ASSERT_TRUE(OpenAt(*vendor, "Inventory"));
             EXPECT_TRUE(Shown("VendorMenu") || Shown("VendorMenuWithQuests"));
         },
         {{"Inventory"}, {"VendorMenu|VendorMenuWithQuests"}}},
        {"the character sheet and its export box",
         [&] {
             Tap(SDL_SCANCODE_C);
             ClickOnWidget("Character::Export");
         },
         {{"Character", "CharacterExport"}}},
        {"trade and diplomacy", [&] { Tap(SDL_SCANCODE_T); }, {{"Trade"}}},
        {"the world's story", [&] { Tap(SDL_SCANCODE_H); }, {{"Story"}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        row.open();
        Frames(2);
        for (const auto& step : row.closes)
            for (const char* menu : step)
                ASSERT_TRUE(AnyShown(menu)) << menu << " did not open";
        for (size_t press = 0; press < row.closes.size(); ++press) {
            Tap(SDL_SCANCODE_ESCAPE);
            Frames(2);
            EXPECT_FALSE(Shown("GameMenu")) << "Escape " << press + 1 << " opened the game menu";
            for (const char* menu : row.closes[press])
                EXPECT_FALSE(AnyShown(menu)) << menu << " stays open on Escape " << press + 1;
            for (size_t later = press + 1; later < row.closes.size(); ++later)
                for (const char* menu : row.closes[later])
                    EXPECT_TRUE(AnyShown(menu)) << menu << " closed before the window over it, on Escape " << press + 1;
        }
        if (Shown("GameMenu"))
            Tap(SDL_SCANCODE_ESCAPE);
        Frames(2);
    }
}

// The game menu holds the game still, takes the window keys so that no window opens behind it,
// and reaches the options, whose Back returns to it; Escape then resumes the game.
TEST_F(FirstHourScreens, TheGameMenuHoldsTheGameAndTheWindowKeysAndReachesTheOptions)
{
    EnterTheWorld();
    ASSERT_TRUE(gClientApp->IsActive());
    EXPECT_FALSE(gClientApp->IsPaused());
    Tap(SDL_SCANCODE_ESCAPE);
    ASSERT_TRUE(OnStackTop("GameMenu"));
    Frames(2);
    EXPECT_TRUE(gClientApp->IsPaused()) << "the game runs on under its menu";
    const std::pair<SDL_Scancode, const char*> windows[] = {
        {SDL_SCANCODE_I, "Inventory"}, {SDL_SCANCODE_C, "Character"},          {SDL_SCANCODE_S, "Skills"},
        {SDL_SCANCODE_Q, "Quests"},    {SDL_SCANCODE_P, "NpcList"},            {SDL_SCANCODE_M, "WorldMap"},
        {SDL_SCANCODE_T, "Trade"},     {SDL_SCANCODE_R, "CovenantRelations"}, {SDL_SCANCODE_H, "Story"},
    };
    for (const auto& [key, menu] : windows) {
        Tap(key);
        Frames(1);
        EXPECT_FALSE(Shown(menu)) << menu << " opened behind the game menu";
        EXPECT_TRUE(OnStackTop("GameMenu")) << menu;
    }

    ClickOnWidget("GameMenu::Options");
    ASSERT_TRUE(OnStackTop("Options"));
    Frames(2);
    EXPECT_TRUE(gClientApp->IsPaused()) << "the game runs on under the options";
    Tap(SDL_SCANCODE_I);
    EXPECT_FALSE(Shown("Inventory")) << "a window opened behind the options";
    // The keys page and back, then the options' Back: the game menu again.
    ClickOnWidget("Options::Keys");
    ASSERT_TRUE(OnStackTop("KeyBindings"));
    Tap(SDL_SCANCODE_ESCAPE);
    ASSERT_TRUE(OnStackTop("Options"));
    Tap(SDL_SCANCODE_ESCAPE);
    ASSERT_TRUE(OnStackTop("GameMenu"));
    EXPECT_FALSE(Shown("Main")) << "the title came up over the game";
    Tap(SDL_SCANCODE_ESCAPE);
    Frames(2);
    EXPECT_TRUE(gUISystem->GetMenuStack().empty());
    EXPECT_FALSE(gClientApp->IsPaused()) << "the game stays held after its menu closed";
    EXPECT_TRUE(gClientApp->IsActive());
}

// The rivals row of the new-character screen: the number clicked shows as chosen, and the world
// started with it holds that many rival covenants, on the host and in the client's mirror.
TEST_F(FirstHourScreens, TheNumberOfRivalsChosenIsTheNumberTheWorldMakes)
{
    for (int rivals = 3; rivals <= 6; ++rivals) {
        SCOPED_TRACE(rivals);
        ASSERT_TRUE(Shown("Main"));
        ClickAt(320, 196);
        ASSERT_TRUE(Shown("NewCharacter"));
        std::string button = "NewCharacter::Rivals" + std::to_string(rivals);
        ClickOnWidget(button.c_str());
        ASSERT_EQ(gUserVarSystem->GetStringByName("NumCovenants"), std::to_string(rivals));
        for (int other = 3; other <= 6; ++other) {
            UIWidget* widget = gUISystem->FindWidgetByPath(("NewCharacter::Rivals" + std::to_string(other)).c_str());
            ASSERT_NE(widget, nullptr);
            EXPECT_EQ(widget->EvaluateCondition(widget->selectedCondition), other == rivals) << other;
        }
        ClickAt(330, 133);
        TypeKeys("ash");
        ClickAt(440, 408);
        for (int i = 0; i < 80 && !(HostPlayer() && gClientApp->IsActive() && Shown("InGame")); ++i)
            Frames(1);
        Frames(10);
        ASSERT_TRUE(gClientApp->IsActive());
        EXPECT_EQ(HostRivals(), rivals);
        EXPECT_EQ(gGameClient->GetCovenantCount(), rivals + 1) << "the client's mirror";
        // Left unsaved, back to the title for the next.
        Tap(SDL_SCANCODE_ESCAPE);
        ClickOnWidget("GameMenu::ExitWithoutSave");
        ASSERT_TRUE(Shown("ConfirmExit"));
        ClickOnWidget("ConfirmExit::Yes");
        Frames(2);
        ASSERT_FALSE(gClientApp->IsActive());
    }
}

// The area editor and the model viewer, opened over a game, hold the screen without the game's
// bar drawn over their views (or its keys opening windows behind them), and give it back.
TEST_F(FirstHourScreens, TheEditorsHoldTheScreenWithoutTheGamesBar)
{
    EnterTheWorld();
    ASSERT_TRUE(Shown("InGame"));
    for (const char* editor : {"modelEditor", "editor"}) {
        TypeOnConsole(std::string(editor) + " 1");
        Frames(2);
        EXPECT_TRUE(Shown(editor == std::string("editor") ? "Editor" : "ModelEditor")) << editor;
        EXPECT_FALSE(Shown("InGame")) << editor;
        Tap(SDL_SCANCODE_I);
        EXPECT_FALSE(Shown("Inventory")) << editor;
        TypeOnConsole(std::string(editor) + " 0");
        Frames(2);
        EXPECT_TRUE(Shown("InGame")) << editor;
    }
}

// The saved characters' list: empty, it says so; then each row's two lines (the name and covenant, then the level and
// class with any challenge) keep inside the row's height, so no row's words run into the next's,
// and a start refused on the new-character screen is not told again on the list, nor on the
// question before the first save.
TEST_F(FirstHourScreens, TheSavedCharactersRowsKeepApartAndNoOldRefusalFollows)
{
    // None saved yet: the list says so in a row that a click does not choose.
    ClickAt(320, 280);
    ASSERT_TRUE(Shown("LoadCharacter"));
    auto* list = dynamic_cast<UIList*>(gUISystem->FindWidgetByPath("LoadCharacter::Characters"));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->rows.size(), 1u);
    EXPECT_EQ(list->rows[0]->name, "$$LoadCharNone$$");
    ClickAt(static_cast<int32_t>(list->GetScreenPosition().x) + 40,
            static_cast<int32_t>(list->GetScreenPosition().y) + 8);
    EXPECT_EQ(gUserVarSystem->GetStringByName("CharacterChosen"), "0");
    EXPECT_FALSE(gUISystem->FindWidgetByPath("LoadCharacter::Resume")->IsVisible());
    Tap(SDL_SCANCODE_ESCAPE);
    ASSERT_TRUE(Shown("Main"));

    // A start refused for want of a covenant's name.
    ClickAt(320, 196);
    ASSERT_TRUE(Shown("NewCharacter"));
    gUserVarSystem->SetStringByName("CovenantName", "");
    ClickAt(440, 408);
    ASSERT_FALSE(gUserVarSystem->GetStringByName("LastError").empty());
    Tap(SDL_SCANCODE_ESCAPE);
    ASSERT_TRUE(Shown("Main"));
    EnterTheWorld("Ashguard");
    ASSERT_TRUE(gClientApp->IsActive());
    Tap(SDL_SCANCODE_ESCAPE);
    ClickOnWidget("GameMenu::SaveAndExit");
    ASSERT_TRUE(Shown("ConfirmSaveExit"));
    // The refusal of the new-character screen is not this question's: its red line stays empty.
    EXPECT_EQ(gUserVarSystem->GetStringByName("LastError"), "") << "an old refusal is told on the save question";
    UIWidget* error = gUISystem->FindWidgetByPath("ConfirmSaveExit::Error");
    ASSERT_NE(error, nullptr);
    TargaImage asked = Screenshot();
    EXPECT_EQ(CountPixels(asked, static_cast<int>(error->GetScreenPosition().x), static_cast<int>(error->GetScreenPosition().y),
                          static_cast<int>(error->GetScreenPosition().x + error->size[0]),
                          static_cast<int>(error->GetScreenPosition().y + error->size[1]),
                          [](const auto& p) { return p[0] > 150 && p[0] > p[1] + 60; }),
              0)
        << "red words on the save question";
    ClickOnWidget("ConfirmSaveExit::Yes");
    Frames(2);
    ASSERT_TRUE(Shown("Main"));
    // Two more under other names, one a hardcore loner's, for the longest row.
    std::filesystem::path chars = folder.Path() / "User" / "chars";
    std::filesystem::path saved;
    for (const auto& entry : std::filesystem::directory_iterator(chars))
        if (entry.path().extension() == ".chr")
            saved = entry.path();
    ASSERT_FALSE(saved.empty());
    std::filesystem::copy_file(saved, chars / "second.chr");
    std::filesystem::copy_file(saved, chars / "third.chr");

    ClickAt(320, 280);
    ASSERT_TRUE(Shown("LoadCharacter"));
    EXPECT_EQ(gUserVarSystem->GetStringByName("LastError"), "") << "an old refusal is told on the list";
    ASSERT_EQ(list->rows.size(), 3u);
    for (const auto& row : list->rows) {
        TextSize size = MeasureTextW(list->font, gLocSystem->TranslateToWide(row->name + " ($$HardcoreMode$$) ($$LonerChallengeMode$$)"));
        EXPECT_LE(size.height, static_cast<float>(list->itemHeight)) << row->name << " runs into the next row";
        EXPECT_LE(size.width, list->size[0] + 1.0f) << row->name << " runs out of the list";
    }
}

// The lines the game builds while playing, at their longest, fit the widgets that show them: a
// covenant's answer after each mood on the trade window and the relations pages, the price of
// identifying everything, and each rumour at a high price.
TEST_F(FirstHourScreens, TheLongestBuiltLinesFitTheirWidgets)
{
    SettleLoads();
    std::vector<std::string> answers;
    for (float relation : {10.0f, 30.0f, 50.0f, 70.0f, 90.0f})
        for (int32_t response = 0; response < 40; ++response)
            if (gLocSystem->HasText("DiplomacyResponse" + std::to_string(response)))
                answers.push_back(DiplomacyText::MoodDescription(relation) + " $$DiplomacyResponse" +
                                  std::to_string(response) + "$$");
    ASSERT_GT(answers.size(), 50u);
    struct Line {
        const char* widget;
        std::vector<std::string> texts;
    };
    const Line lines[] = {
        {"Trade::Response", answers},
        {"RelationsTrade::Response", answers},
        {"RelationsTradeRequest::Response", answers},
        {"RelationsTradeResponse::Response", answers},
        {"VendorMenu::IdentifyAllLabel", {"$$IdentifyAllYourItemsFor$$ " + FormatMoney(999999), "$$IdentifyAllYourItemsFor$$ " + FormatMoney(4400)}},
        {"RelationsDiplomacy::RumorQuickLabel", {"$$RumorText1$$" + MakeLocToken("RumorCost", "%s%d", "", 99999)}},
        {"RelationsDiplomacy::RumorPlannedLabel", {"$$RumorText2$$" + MakeLocToken("RumorCost", "%s%d", "", 99999)}},
        {"RelationsDiplomacy::RumorCraftedLabel", {"$$RumorText3$$" + MakeLocToken("RumorCost", "%s%d", "", 99999)}},
    };
    for (const Line& line : lines) {
        UIWidget* widget = gUISystem->FindWidgetByPath(line.widget);
        ASSERT_NE(widget, nullptr) << line.widget;
        for (const std::string& text : line.texts) {
            TextSize size = MeasureTextW(widget->font, gLocSystem->TranslateToWide(text));
            ASSERT_GT(size.width, 0.0f) << text;
            EXPECT_LE(size.width, widget->size[0] + 1.0f)
                << line.widget << ": \"" << gLocSystem->Translate(text) << "\" is " << size.width << " wide in " << widget->size[0];
            EXPECT_LE(size.height, widget->size[1] + 2.0f) << line.widget << ": " << gLocSystem->Translate(text);
        }
    }
}

// A skill's tooltip, like an item's, hides the skill page under it wholly: the cursor resting on a
// skill of the skills window shows its description on a box drawn whole (the help box draws an
// item's the same way, whose flat colour the trader's test reads back).
TEST_F(FirstHourScreens, ASkillsTooltipHidesThePageUnderIt)
{
    EnterTheWorld();
    Tap(SDL_SCANCODE_S);
    Frames(2);
    ASSERT_TRUE(Shown("Skills"));
    UISkillSlot* slot = nullptr;
    for (const char* page : {"SkillPage1", "SkillPage2", "SkillPage3", "SkillPage4"})
        if (UIMenu* menu = gUISystem->FindMenu(page); menu && menu->IsShown() && !slot)
            for (UIWidget* widget : menu->GetWidgets())
                if (auto* found = dynamic_cast<UISkillSlot*>(widget); found && found->IsVisible() && !slot)
                    slot = found;
    ASSERT_NE(slot, nullptr) << "no skill on the shown page";
    auto [x, y] = CentreOf(*slot);
    PushMotion(x, y);
    Frames(20);
    ShownTooltip tip = ReadTooltip();
    ASSERT_FALSE(tip.text.empty()) << "no tooltip on the skill";
    EXPECT_EQ(tip.flag, 1.0f) << "a skill's tooltip lets the page show through";
}

// Points to spend and a level nearly reached mark the in-game bar's Skills and Stats buttons and
// its experience bar: the marks light up over the unmarked look and never dim below it, for a
// dimmed button reads as one switched off.
TEST_F(FirstHourScreens, TheLevelUpMarksLightTheBarsButtonsAndNeverDimThem)
{
    EnterTheWorld();
    ASSERT_NE(HostPlayer(), nullptr);
    Player& host = *HostPlayer();
    auto setMarks = [&](int32_t points, int32_t xp) {
        host.stats.Set(CharacterStat::AttributePointsLeft, points);
        host.stats.Set(CharacterStat::SkillPointsLeft, points);
        host.stats.Set(CharacterStat::Xp, xp);
        FramesUntil([&] { return Local() && Local()->GetStat(CharacterStat::SkillPointsLeft) == points &&
                                 Local()->GetStat(CharacterStat::Xp) == xp; },
                    40);
        ASSERT_EQ(Local()->GetStat(CharacterStat::SkillPointsLeft), points);
    };
    int32_t needed = host.stats.Get(CharacterStat::XpNeeded);
    ASSERT_GT(needed, 20);
    ASSERT_NO_FATAL_FAILURE(setMarks(0, needed / 2));
    Frames(200); // the words shown on entering fade
    // The two buttons' faces, and the first pixels of the experience bar's fill, which stay
    // filled whatever the bar's length.
    struct Box {
        const char* what;
        int x0, y0, x1, y1;
    };
    const Box boxes[] = {{"Skills", 308, 404, 400, 430}, {"Stats", 406, 444, 524, 470}, {"experience bar", 183, 467, 190, 471}};
    TargaImage plain = Screenshot();
    double plainLight[3];
    for (int i = 0; i < 3; ++i)
        plainLight[i] = Brightness(plain, boxes[i].x0, boxes[i].y0, boxes[i].x1, boxes[i].y1);

    ASSERT_NO_FATAL_FAILURE(setMarks(3, needed - 2));
    double lowest[3] = {1e9, 1e9, 1e9};
    double highest[3] = {0.0, 0.0, 0.0};
    // Some six seconds of frames: the glow's swell and the blink's phases both come round.
    for (int shot = 0; shot < 16; ++shot) {
        Frames(7);
        TargaImage marked = Screenshot();
        for (int i = 0; i < 3; ++i) {
            double light = Brightness(marked, boxes[i].x0, boxes[i].y0, boxes[i].x1, boxes[i].y1);
            lowest[i] = std::min(lowest[i], light);
            highest[i] = std::max(highest[i], light);
        }
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_GE(lowest[i], plainLight[i] - 2.0) << boxes[i].what << " dims below its unmarked look";
        EXPECT_GT(highest[i], plainLight[i] + 8.0) << boxes[i].what << " never lights up";
    }
}

} // namespace
