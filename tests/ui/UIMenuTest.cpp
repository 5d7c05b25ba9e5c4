// UIMenuTest -- menus loaded from menu files: pages and their tabs, command lines forwarded to the top menu and "menuCommand" matched with case, the show and hide lists in order, the option screens' four user-var commands over "vidRestart" and "Save" vars, rings of parents and pages refused, and the loop sound started and stopped on a recording driver.
#include "ui/UiWorld.h"

#include "audio/RecordingSoundDriver.h"
#include "audio/SoundSystem.h"
#include "audio/WavBytes.h"
#include "core/RandomSystem.h"
#include "core/TextParser.h"
#include "platform/PosixPlatformSystem.h"
#include "resources/ResourceManager.h"

#include <fstream>
#include <sstream>

namespace {

class UIMenuWorld : public UiWorld {
protected:
    void SetUp() override
    {
        commands.RegisterCommand("vidRestart", [this](const std::vector<std::string>&) { ran.push_back("restart"); },
                                 "", "", "");
        WriteMenu("top.mnu", "name Top\nsize 640 480\naddSubMenu PageA\naddSubMenu PageB\naddSubMenu PageC\n"
                             "addShowCommand \"record start one\"\naddShowEndCommand \"record end\"\n"
                             "addShowStartCommand \"record start two\"\naddHideCommand \"record hidden\"\n"
                             "Widget { internalName TabA subMenuTab 1 position 0 0 size 10 10 }\n"
                             "Widget { internalName TabB subMenuTab 1 position 20 0 size 10 10 }\n"
                             "Widget { internalName TabC subMenuTab 1 position 40 0 size 10 10 }\n"
                             "CheckBox { internalName Sound position 0 100 size 16 16 userVar optSound 1 }\n"
                             "CheckBox { internalName Mode position 0 200 size 16 16 userVar optMode 0 }\n"
                             "Widget { internalName Plain position 0 300 size 10 10 }\n");
        WriteMenu("pagea.mnu", "name PageA\nsubMenu 1\n"
                               "Widget { internalName ToC position 100 100 size 20 20 canClick 1 "
                               "addCommand \"menuCommand selectSubMenu 2\" addCommand \"record through\" }\n"
                               "Widget { internalName Close position 100 140 size 20 20 canClick 1 "
                               "addCommand \"MenuCommand hide\" addCommand \"menuCommand HIDE\" }\n");
        WriteMenu("pageb.mnu", "name PageB\nsubMenu 1\n");
        WriteMenu("pagec.mnu", "name PageC\nsubMenu 1\n"
                               "Widget { internalName Back position 100 100 size 20 20 canClick 1 "
                               "addCommand \"menuCommand selectsubmenu 0\" }\n");
        ui->RegisterCommands();
        top = &Menu("Top");
        mode = vars.FindVar("optMode");
        sound = vars.FindVar("optSound");
        ASSERT_NE(mode, nullptr);
        ASSERT_NE(sound, nullptr);
        mode->AddFlags(kUserVarVidRestart | kUserVarSave);
        sound->SetDefault("1");
        mode->SetDefault("0");
        sound->Set("1");
        mode->Set("0");
    }

    void Run(const std::string& line) { top->HandleMenuCommand(line); }

    UIMenu* top = nullptr;
    UserVar* mode = nullptr;
    UserVar* sound = nullptr;
};

TEST_F(UIMenuWorld, PagesAreHeldInOrderAndTheTabsFollowTheSelection)
{
    ASSERT_EQ(top->GetSubMenu(0), &Menu("PageA"));
    EXPECT_EQ(top->GetSubMenu(2), &Menu("PageC"));
    EXPECT_EQ(top->GetSubMenu(3), nullptr);
    EXPECT_EQ(top->GetSubMenu(-1), nullptr);
    EXPECT_EQ(Menu("PageB").parent, top);
    EXPECT_TRUE(Menu("PageB").visible) << "a page added is shown";
    EXPECT_EQ(top->selectedSubMenu, 0) << "the tabs select the first page";
    ASSERT_EQ(top->subMenuTabs.size(), 3u);
    EXPECT_TRUE(top->subMenuTabs[0]->selected);
    EXPECT_FALSE(top->subMenuTabs[2]->selected);
    commands.Execute("showMenu Top");
    Click(105, 105);
    EXPECT_EQ(top->selectedSubMenu, 2) << "a page's line acts on its top menu";
    EXPECT_EQ(Menu("PageA").selectedSubMenu, -1);
    EXPECT_TRUE(top->subMenuTabs[2]->selected);
    EXPECT_FALSE(top->subMenuTabs[0]->selected);
    TakeRan();
    Click(105, 105);
    EXPECT_EQ(top->selectedSubMenu, 0) << "the click went to the selected page C";
    Run("menuCommand selectSubMenu 9");
    EXPECT_EQ(top->GetSelectedSubMenu(), nullptr) << "an index past the pages is no page";
    EXPECT_FALSE(top->HandleMouseButton(0, true, 105, 105));
    top->Draw();
    top->Update(0.0f);
    for (UIWidget* tab : top->subMenuTabs)
        EXPECT_FALSE(tab->selected);
}

TEST_F(UIMenuWorld, ShowAndHideListsRunInOrderAndOtherLinesRunAsConsoleLines)
{
    commands.Execute("showMenu Top");
    EXPECT_EQ(TakeRan(), (std::vector<std::string>{"start one", "start two", "end"}));
    Click(105, 105);
    EXPECT_EQ(TakeRan(), std::vector<std::string>{"through"});
    Run("menuCommand selectSubMenu 0");
    Click(105, 145);
    EXPECT_FALSE(top->visible) << "only the exact word menuCommand is a menu command; its commands ignore case";
    EXPECT_EQ(TakeRan(), std::vector<std::string>{"hidden"});
    top->subMenuTabs[1]->selected = true;
    Run("menuCommand unselectall");
    EXPECT_FALSE(top->subMenuTabs[1]->selected);
}

TEST_F(UIMenuWorld, ApplyRestartsTheVideoOnlyForAChangedRestartVar)
{
    Run("menuCommand saveUserVars");
    ASSERT_EQ(top->savedUserVarNames, (std::vector<std::string>{"optMode", "optSound"})) << "in widget order";
    EXPECT_EQ(top->savedUserVarValues, (std::vector<std::string>{"0", "1"}));
    sound->Set("0");
    Run("menuCommand applyUserVars");
    EXPECT_TRUE(TakeRan().empty()) << "a var without the restart flag restarts nothing";
    mode->Set("1");
    mode->Set("0");
    Run("menuCommand applyUserVars");
    EXPECT_TRUE(TakeRan().empty()) << "set back to the saved text";
    mode->Set("1");
    Run("menuCommand applyUserVars");
    EXPECT_EQ(TakeRan(), std::vector<std::string>{"restart"});
    EXPECT_EQ(mode->GetString(), "1") << "applying keeps the values";
}

TEST_F(UIMenuWorld, RestorePutsTheSavedValuesBackAndRewritesTheSettingsFile)
{
    Run("menuCommand restoreUserVars");
    EXPECT_EQ(sound->GetString(), "1") << "before any save, nothing";
    Run("menuCommand saveUserVars");
    sound->Set("0");
    mode->Set("3");
    mode->ClearChanged();
    std::filesystem::remove(folder.Path() / "User/user.cfg");
    Run("menuCommand restoreUserVars");
    EXPECT_EQ(sound->GetString(), "1");
    EXPECT_EQ(mode->GetString(), "0");
    EXPECT_EQ(mode->GetInt(), 0);
    EXPECT_TRUE(mode->IsChanged());
    std::ifstream saved(folder.Path() / "User/user.cfg");
    std::stringstream text;
    text << saved.rdbuf();
    EXPECT_NE(text.str().find("optMode"), std::string::npos) << "the Save var is written at once";
    EXPECT_EQ(text.str().find("optSound"), std::string::npos);
}

TEST_F(UIMenuWorld, ResetGivesEachSavedVarItsDefault)
{
    Run("menuCommand saveUserVars");
    sound->Set("0");
    mode->Set("2.5");
    Run("menuCommand resetToDefaultUserVars");
    EXPECT_EQ(sound->GetString(), "1");
    EXPECT_EQ(mode->GetString(), "0");
    EXPECT_EQ(mode->GetFloat(), 0.0f);
}

// A widget that shows live effects, as a model widget does.
class UIMenuEffectsWidget : public UIWidget {
public:
    bool WantsEffects() const override { return true; }
};

TEST_F(UIMenuWorld, AShownMenuWantsEffectsWhenOneOfItsWidgetsDoes)
{
    commands.Execute("showMenu Top");
    EXPECT_FALSE(top->WantsEffects());
    auto* widget = new UIMenuEffectsWidget();
    top->AddWidget(widget);
    widget->menu = top;
    EXPECT_TRUE(top->WantsEffects());
    commands.Execute("hideMenu Top");
    EXPECT_FALSE(top->WantsEffects()) << "a hidden menu's widgets show nothing";
}

class UIMenuRing : public UiWorld {};

TEST_F(UIMenuRing, AParentOrPageLineThatClosesARingIsRefused)
{
    WriteMenu("a.mnu", "name A\nparent A\n");
    WriteMenu("b.mnu", "name B\nparent A\n");
    WriteMenu("c.mnu", "name C\nparent B\naddSubMenu A\n");
    WriteMenu("d.mnu", "name D\naddSubMenu D\nWidget { internalName W position 0 0 size 9 9 canClick 1 "
                       "addCommand \"record d\" }\n");
    ui->RegisterCommands();
    EXPECT_EQ(Menu("A").parent, nullptr) << "its own parent";
    EXPECT_EQ(Menu("B").parent, &Menu("A"));
    EXPECT_EQ(Menu("C").parent, &Menu("B"));
    EXPECT_EQ(Menu("C").GetSubMenu(0), nullptr) << "A above C cannot also be its page";
    EXPECT_EQ(Menu("D").GetSubMenu(0), nullptr);
    EXPECT_GE(Logged("would make a ring of menus"), 3);
    EXPECT_FALSE(Menu("A").SetParent(&Menu("C")));
    EXPECT_EQ(Menu("A").parent, nullptr);
    Menu("D").SelectSubMenu(0);
    commands.Execute("showMenu D");
    Click(4, 4);
    EXPECT_EQ(TakeRan(), std::vector<std::string>{"d"}) << "the line runs once, not round a ring";
    Menu("D").RefreshContents();
    commands.Execute("reloadMenus");
    EXPECT_EQ(Menu("A").parent, nullptr) << "the reload does not close the ring either";
    EXPECT_EQ(Menu("C").GetSubMenu(0), nullptr);
}

// The sound front end on a recording driver, over the UI world's game folder.
class UIMenuLoopSound : public UiWorld {
protected:
    void SetUp() override
    {
        platform = std::make_unique<PosixPlatformSystem>((folder.Path() / "User").string());
        gPlatformSystem = platform.get();
        random.Seed(59);
        gRandomSystem = &random;
        manager = std::make_unique<ResourceManager>();
        gResourceManager = manager.get();
        manager->Init();
        soundSystem = std::make_unique<SoundSystem>(soundWorld);
        gSoundSystem = soundSystem.get();
        soundSystem->RegisterCommands(*manager);
        ASSERT_TRUE(soundSystem->Init(std::make_unique<RecordingSoundDriver>()));
        std::vector<uint8_t> wav = BuildWav(std::vector<uint8_t>(400, 1));
        folder.Write("Assets/Sounds/hum.wav", std::string(wav.begin(), wav.end()));
    }
    void TearDown() override
    {
        ui.reset();
        soundSystem->ReleaseChannels();
        manager->Shutdown();
        gSoundSystem = nullptr;
        soundSystem.reset();
        manager.reset();
        gResourceManager = nullptr;
        gRandomSystem = nullptr;
        gPlatformSystem = nullptr;
    }

    int32_t LoopingChannels(int32_t handle)
    {
        int32_t count = 0;
        for (int32_t i = 0; i < SoundSystem::kChannelCount; ++i) {
            SoundInstance* channel = soundSystem->GetChannel(i);
            if (channel && channel->IsActive() && channel->GetResource() == handle && channel->IsLooping())
                ++count;
        }
        return count;
    }

    std::unique_ptr<PosixPlatformSystem> platform;
    RandomSystem random;
    SoundWorld soundWorld;
    std::unique_ptr<ResourceManager> manager;
    std::unique_ptr<SoundSystem> soundSystem;
};

TEST_F(UIMenuLoopSound, TheLoopPlaysWhileTheMenuIsShown)
{
    WriteMenu("m.mnu", "name M\nloopSound Sounds/hum.wav\n");
    ui->RegisterCommands();
    UIMenu& menu = Menu("M");
    ASSERT_TRUE(menu.loopSound.IsValid());
    ASSERT_NE(manager->Get(menu.loopSound), nullptr);
    EXPECT_EQ(LoopingChannels(menu.loopSound), 0);
    commands.Execute("showMenu M");
    EXPECT_EQ(LoopingChannels(menu.loopSound), 1);
    commands.Execute("hideMenu M");
    EXPECT_EQ(LoopingChannels(menu.loopSound), 0);
}


// A widget plays its hover sound at the local player when the cursor comes onto it, once, and
// again only after the cursor has been over something else; a widget without one is silent.
TEST_F(UIMenuLoopSound, TheHoverSoundPlaysEachTimeTheCursorComesOntoTheWidget)
{
    WriteMenu("m.mnu", "name M\n"
                       "Widget { internalName Loud position 0 0 size 40 40 canClick 1 hoverSound Sounds/hum.wav }\n"
                       "Widget { internalName Quiet position 100 0 size 40 40 canClick 1 }\n");
    // Heard at the local player.
    view.playerEntity = 12;
    ui->RegisterCommands();
    commands.Execute("showMenu M");
    const ResourceHandle& hum = Menu("M").FindWidget("Loud")->hoverSound;
    ASSERT_TRUE(hum.IsValid());
    ASSERT_NE(manager->Get(hum), nullptr);
    auto plays = [&] {
        int32_t count = 0;
        for (int32_t i = 0; i < SoundSystem::kChannelCount; ++i) {
            SoundInstance* channel = soundSystem->GetChannel(i);
            count += channel && channel->IsActive() && channel->GetResource() == hum.GetValue() &&
                     !channel->IsLooping() && channel->GetOwner() == 12;
        }
        return count;
    };
    struct Step {
        int32_t x;
        int32_t y;
        int32_t plays;
    };
    const Step steps[] = {
        {300, 300, 0}, {10, 10, 1}, {30, 20, 1}, {110, 10, 1}, {10, 30, 2}, {300, 300, 2},
    };
    for (const Step& step : steps) {
        MoveCursor(step.x, step.y);
        ui->Update(0.0f);
        EXPECT_EQ(plays(), step.plays) << step.x << "," << step.y;
    }
}

// The menu's own operations by the names the interface gives them.
class UIMenuInterface : public UiWorld {
protected:
    static void Load(UIMenu& menu, const std::string& text)
    {
        TextParser parser(text.data(), text.size());
        menu.LoadBody(parser);
        menu.CollectSubMenuTabs();
    }
    static std::vector<std::string> Names(const UIMenu& menu)
    {
        std::vector<std::string> names;
        for (const UIWidget* widget : menu.GetWidgets())
            names.push_back(widget->internalName);
        return names;
    }
};

TEST_F(UIMenuInterface, IsActiveWeighsTheGameAndPauseBeforeTheShownFlags)
{
    struct Case {
        bool inGameOnly, hideWhenPaused, running, paused, visible, pushed, active;
    };
    const Case cases[] = {
        {false, false, false, false, false, false, false}, {false, false, false, false, true, false, true},
        {false, false, false, false, false, true, true},   {true, false, false, false, true, false, false},
        {true, false, true, false, true, false, true},     {false, true, true, true, true, false, false},
        {false, true, true, false, false, true, true},     {false, false, true, true, true, false, true},
    };
    for (const Case& c : cases) {
        UIMenu menu;
        menu.inGameOnly = c.inGameOnly;
        menu.hideWhenPaused = c.hideWhenPaused;
        view.running = c.running;
        view.paused = c.paused;
        menu.visible = c.visible;
        menu.pushed = c.pushed;
        EXPECT_EQ(menu.IsActive(), c.active) << c.inGameOnly << c.hideWhenPaused << c.running << c.paused
                                             << c.visible << c.pushed;
        EXPECT_EQ(menu.IsShown(), menu.IsActive());
    }
}

TEST_F(UIMenuInterface, HideOrPopTakesAPushedMenuOffTheStackAndHidesAVisibleOne)
{
    WriteMenu("a.mnu", "name A\naddHideCommand \"record a hidden\"\n");
    WriteMenu("b.mnu", "name B\naddHideCommand \"record b hidden\"\n");
    WriteMenu("c.mnu", "name C\naddHideCommand \"record c hidden\"\n");
    ui->RegisterCommands();
    ui->PushMenuByName("A");
    ui->PushMenuByName("C");
    commands.Execute("showMenu B");
    TakeRan();
    Menu("A").HideOrPop();
    EXPECT_FALSE(Menu("A").pushed);
    EXPECT_EQ(ui->GetMenuStack(), std::deque<UIMenu*>{&Menu("C")}) << "the menu above stays";
    Menu("B").HideOrPop();
    EXPECT_FALSE(Menu("B").visible);
    Menu("B").HideOrPop();
    EXPECT_EQ(TakeRan(), (std::vector<std::string>{"a hidden", "b hidden"})) << "a closed menu is not hidden twice";
}

TEST_F(UIMenuInterface, LoadBodyReadsWidgetsAndKeysAndCollectSubMenuTabsSelectsTheFirstTab)
{
    UIMenu menu;
    Load(menu, "name Body\nSIZE 30 40\n"
               "Widget { internalName Late drawOrder 2 }\n"
               "Widget { internalName First drawOrder 1 subMenuTab 1 }\n"
               "Widget { internalName Second drawOrder 1 subMenuTab 1 }\n"
               "glitter\n");
    EXPECT_EQ(menu.name, "Body");
    EXPECT_EQ(menu.size[1], 40.0f) << "keys ignore case";
    EXPECT_EQ(Names(menu), (std::vector<std::string>{"Second", "First", "Late"}))
        << "among equal draw orders the later widget comes first";
    for (const UIWidget* widget : menu.GetWidgets())
        EXPECT_EQ(widget->menu, &menu);
    EXPECT_EQ(Logged("Unknown menu parm glitter"), 1);
    ASSERT_EQ(menu.subMenuTabs.size(), 2u);
    EXPECT_EQ(menu.subMenuTabs[0]->internalName, "Second") << "tabs in list order";
    EXPECT_EQ(menu.selectedSubMenu, 0);
    EXPECT_TRUE(menu.subMenuTabs[0]->selected);
    EXPECT_FALSE(menu.subMenuTabs[1]->selected);

    UIMenu plain;
    Load(plain, "Widget { internalName Only }\n");
    EXPECT_TRUE(plain.subMenuTabs.empty());
    EXPECT_EQ(plain.selectedSubMenu, -1) << "a menu without tabs selects no page";
}

TEST_F(UIMenuInterface, AddWidgetsFromReplacesTheWidgetsByClonesOfTheTemplate)
{
    UIMenu source;
    Load(source, "Widget { internalName One drawOrder 1 text first }\nWidget { internalName Two drawOrder 3 }\n");
    UIMenu menu;
    Load(menu, "Widget { internalName Old }\n");
    menu.AddWidgetsFrom(nullptr);
    EXPECT_EQ(Names(menu), std::vector<std::string>{"Old"}) << "no template changes nothing";
    menu.AddWidgetsFrom(&source);
    ASSERT_EQ(Names(menu), (std::vector<std::string>{"One", "Two"}));
    EXPECT_EQ(menu.GetWidgets()[0]->text, "first");
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_NE(menu.GetWidgets()[i], source.GetWidgets()[i]) << "a clone, not the template's widget";
        EXPECT_EQ(menu.GetWidgets()[i]->menu, &menu);
    }
    EXPECT_EQ(source.GetWidgets().size(), 2u);
}

} // namespace
