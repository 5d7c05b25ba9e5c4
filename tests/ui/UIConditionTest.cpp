// UIConditionTest -- every "UICondition" false with no game and true once the fact it asks about holds, read for one widget from a fake view of the game.
#include "ui/UiWorld.h"

#include "core/Database.h"
#include "platform/PosixPlatformSystem.h"
#include "render/TextEvents.h"
#include "rules/GameData.h"
#include "ui/UiNameTables.h"

#include <functional>

namespace {

// The platform of this build, answering as another system would when told to.
class AnsweringPlatform : public PosixPlatformSystem {
public:
    using PosixPlatformSystem::PosixPlatformSystem;
    bool IsWindows() const override { return windows; }
    bool IsMac() const override { return mac; }
    bool windows = false;
    bool mac = false;
};

class UICondition : public UiWorld {
protected:
    UICondition()
    {
        gDatabase = &database;
        gGameData = &gameData;
    }
    ~UICondition() override
    {
        gPlatformSystem = nullptr;
        gTextEvents = nullptr;
        gGameData = nullptr;
        gDatabase = nullptr;
    }

    void SetUp() override
    {
        folder.Write("Assets/Database/database.dbl", "ui.dbr\n");
        folder.Write("Assets/Database/ui.dbr",
                     "GameSystem\n{\n    DifficultyMinLevelNormal 1\n    DifficultyMinLevelChampion 25\n"
                     "    DifficultyMinLevelElite 50\n    DifficultyMinLevelLegendary 75\n}\n"
                     "Warrior\n{\n    Type Class\n}\nRogue\n{\n    Type Class\n}\n"
                     "Priest\n{\n    Type Class\n}\nMage\n{\n    Type Class\n}\n"
                     "AdventureTest\n{\n    BronzeTrophyMinScore 100\n    SilverTrophyMinScore 200\n"
                     "    GoldTrophyMinScore 300\n    AwardTrophy 1\n    VoiceFile \"Sounds/voice.ogg\"\n}\n");
        database.Load();
        gameData.Load(database);
        WriteMenu("c.mnu", "name C\nWidget { internalName Parent }\nWidget { internalName It parentWidget C::Parent }\n");
        ui->RegisterCommands();
        widget = ui->FindWidgetByPath("C::It");
        ASSERT_NE(widget, nullptr);
        parent = ui->FindWidgetByPath("C::Parent");
    }

    // A local player in a running game, entity 1, with its own covenant 0.
    void Player()
    {
        view.running = true;
        view.player = true;
        view.playerEntity = 1;
        view.entities[1] = UiEntityFacts{};
        view.playerCovenant = 0;
        if (view.covenants.empty())
            view.covenants.resize(2);
    }

    // An unlock of the profile, still new from the last game or not.
    void Unlock(const char* name, bool stillNew)
    {
        view.profile = true;
        view.userProfile.AddUnlock(name);
        if (!stillNew)
            view.userProfile.ClearNewUnlocks();
    }

    // The selected entity, 2.
    UiEntityFacts& Selected()
    {
        Player();
        view.selectedEntity = 2;
        return view.entities[2];
    }

    void UserVar(const std::string& value)
    {
        widget->userVar = vars.RegisterVar("ui_conditionVar", "", true);
        widget->userVar.SetString(value);
    }

    Database database;
    GameData gameData;
    UIWidget* widget = nullptr;
    UIWidget* parent = nullptr;
    TextEvents textEvents;
    AnsweringPlatform platform{folder.Path().string() + "/User"};
};

TEST_F(UICondition, EveryConditionIsFalseWithoutItsFactAndTrueWithIt)
{
    using Setup = std::function<void()>;
    const std::vector<std::pair<int32_t, Setup>> cases = {
        {1, [&] { Player(); view.stats[93] = 1; }},
        {2, [&] { Player(); view.stats[94] = 2; }},
        {3, [&] { view.profile = true; view.profileValues[94] = 1; }},
        {5, [&] { Player(); view.questSlots = {0, 3}; view.completeSlots = {3}; }},
        {6, [&] { widget->parentWidget = parent; parent->selected = true; }},
        {7, [&] { widget->parentWidget = parent; }},
        {8, [&] { Player(); view.treaties[{1, 0}] = 3; }},
        {9, [&] { Player(); view.covenants[0].hasPendingDiplomacy = true; }},
        {10, [&] { Player(); view.covenants[0].beingRaided = true; }},
        {11, [&] { Player(); view.covenants[0].beingAttacked = true; }},
        {12, [&] { Player(); view.treaties[{0, 1}] = 6; view.covenants[1].beingRaided = true; }},
        {13, [&] { Player(); view.covenants[0].raiding = true; }},
        {14, [&] { widget->text = "$$Hard$$"; UserVar("Hard"); }},
        {16, [&] { Player(); widget->entityType = UIEntity::EnemyCovenant; widget->entityIndex = 1;
                   view.treaties[{0, 1}] = 2; }},
        {17, [&] { Selected().rank = 2; }},
        {18, [&] { Selected().rank = 3; }},
        {19, [&] { Selected().rank = 5; }},
        {20, [&] { Selected().rank = 6; }},
        {21, [&] { Selected().rank = 7; }},
        {22, [&] { widget->subMenuIndex = 0; Menu("C").selectedSubMenu = 0; }},
        {23, [&] { UserVar("1"); }},
        {25, [&] { UserVar("DELETE"); }},
        {26, [&] { Selected().isVendor = true; }},
        {27, [&] { Selected().isGuardVendor = true; }},
        {28, [&] { Selected().isGambler = true; }},
        {29, [&] { Player(); view.entities[1].maxHealth = 100; view.entities[1].health = 24; }},
        {30, [&] { Player(); view.stats[80] = 5; view.watchedCost = 6; }},
        {31, [&] { Player(); view.stats[85] = 100; view.stats[86] = 91; }},
        {32, [&] { Selected().offersQuest = true; }},
        {33, [&] { Selected().offersQuest = true; view.entities[2].kind = 11; }},
        {34, [&] { Player(); }},
        {35, [&] { Player(); view.entities[1].maxHealth = 10; }},
        {36, [&] { Player(); view.entities[1].maxHealth = 10; }},
        {37, [&] { Player(); view.entities[1].power = 1; }},
        {38, [&] { Player(); widget->parentWidget = parent; parent->selected = true; UserVar("4"); view.questSlots = {4}; }},
        {39, [&] { Player(); widget->parentWidget = parent; parent->selected = true; UserVar("2"); view.skippableSlots = {2}; }},
        {40, [&] { Player(); UserVar("17"); view.skippableQuests = {17}; }},
        {41, [&] { Player(); view.entities[1].hasTimedEvent = true; }},
        {42, [&] { vars.SetStringByName("resumeGameChar", "Ash"); }},
        {43, [&] { vars.SetStringByName("ParsedCharacterLevel", "25"); }},
        {44, [&] { vars.SetStringByName("ParsedCharacterBeatChampion", "1"); }},
        {45, [&] { vars.SetStringByName("ParsedCharacterLevel", "75"); }},
        {46, [&] { view.worldEvents = {35}; }},
        {47, [&] { view.worldEvents = {45}; }},
        {48, [&] { Player(); view.timedQuest = true; }},
        {49, [&] { Player(); view.covenants[0].defeated = true; }},
        {50, [&] { view.running = true; view.won = true; }},
        {51, [&] { view.confirmWin = true; }},
        {55, [&] { Player(); view.interactionMode = 14; }},
        {57, [&] { Player(); view.itemSet = 0; }},
        {58, [&] { Player(); view.itemSet = 1; }},
        {59, [&] {}},
        {60, [&] { Player(); }},
        {61, [&] { vars.SetStringByName("WorldDifficultyLevel", "Champion"); widget->text = "24"; }},
        {62, [&] { Selected(); view.covenants[0].potentialRecruit = 2; }},
        {63, [&] { view.classIndex = gameData.FindCharacterClassIndex("Warrior"); }},
        {64, [&] { view.classIndex = gameData.FindCharacterClassIndex("Rogue"); }},
        {65, [&] { view.classIndex = gameData.FindCharacterClassIndex("Priest"); }},
        {66, [&] { view.classIndex = gameData.FindCharacterClassIndex("Mage"); }},
        {68, [&] { Player(); view.flagBits = {65}; }},
        {69, [&] { view.profile = true; view.hardcoreRecord = 25; }},
        {70, [&] { Player(); view.flagBits = {66}; }},
        {71, [&] { view.profile = true; view.hardcoreRecord = 30; }},
        {72, [&] { view.profile = true; }},
        {73, [&] { view.profile = true; Unlock("ashenvale", false); widget->unlockName = "AshenVale"; }},
        {74, [&] { UserVar("Fast"); widget->userVarValue = "fast"; }},
        {75, [&] { UserVar("AdventureTest"); }},
        {76, [&] { view.profile = true; widget->conditionText = "AdventureTest"; view.trophies["AdventureTest"] = 1; }},
        {77, [&] { view.profile = true; UserVar("AdventureTest"); view.trophies["AdventureTest"] = 2; }},
        {78, [&] { view.profile = true; widget->conditionText = "AdventureTest"; view.trophies["AdventureTest"] = 3; }},
        {79, [&] { view.profile = true; Player(); view.stats[112] = 100; vars.SetStringByName("WorldName", "AdventureTest"); }},
        {80, [&] { view.profile = true; Player(); view.stats[112] = 250; vars.SetStringByName("WorldName", "AdventureTest"); }},
        {81, [&] { view.profile = true; Player(); view.stats[112] = 300; vars.SetStringByName("WorldName", "AdventureTest"); }},
        {82, [&] { Player(); view.stats[113] = 1; }},
        {83, [&] { view.profile = true; vars.SetStringByName("WorldName", "AdventureTest");
                   vars.SetStringByName("PlayerClass", "Mage"); view.classWins = {"AdventureTest/Mage"}; }},
        {84, [&] { Unlock("Adventure3", false); }},
        {85, [&] { Unlock("BeastiaryEntryUnlockWolf", true); }},
        {86, [&] { Unlock("SuperSecretCave", true); }},
        {87, [&] { Unlock("SuperSecretCave", true); }},
        {88, [&] { Unlock("classMage", true); widget->unlockName = "ClassMage"; }},
        {89, [&] { Player(); view.questSlots = {0}; }},
        {90, [&] { Player(); view.questSlots = {1}; }},
        {91, [&] { Player(); view.questSlots = {2}; }},
        {92, [&] { Player(); view.questSlots = {3}; }},
        {93, [&] { Player(); view.questSlots = {4}; }},
        {94, [&] { Player(); view.questSlots = {5}; }},
        // More lines in the log than it shows: the older ones wait above, to be scrolled back to.
        {56, [&] {
             gTextEvents = &textEvents;
             for (int line = 0; line < 11; ++line)
                 textEvents.AddTextEvent("line", 0.0f, 0.0f, 5.0f, TextEvents::kLogKind, false, true);
         }},
        // The system the game runs on answers; this build's answers false to both.
        {95, [&] { platform.windows = true; }},
        {96, [&] { platform.mac = true; }},
        {97, [&] { view.rewardMultiplier = 1.5f; }},
        {98, [&] { commands.RegisterInfoProc("getSupportedLanguages", [](std::vector<ListEntry>& rows) {
                       rows.resize(2);
                   }); }},
        {99, [&] { view.profile = true; view.profileName = "Ash"; folder.Write("User/Chars/Ash.wld", "x"); }},
        {100, [&] { vars.SetStringByName("WorldName", "AdventureTest"); }},
    };
    std::set<int32_t> covered;
    gPlatformSystem = &platform;
    for (const auto& [condition, setup] : cases) {
        view = FakeGameView{};
        platform.windows = platform.mac = false;
        UIWidget fresh;
        widget->CopyFrom(fresh);
        widget->menu = &Menu("C");
        parent->selected = false;
        Menu("C").selectedSubMenu = 1;
        for (const char* name : {"resumeGameChar", "ParsedCharacterLevel", "ParsedCharacterBeatChampion",
                                 "WorldDifficultyLevel", "WorldName", "PlayerClass", "rel_simplify"})
            vars.SetStringByName(name, "");
        vars.SetStringByName("rel_simplify", "1");
        if (condition != ::UICondition::AlwaysTrue) {
            EXPECT_FALSE(widget->EvaluateCondition(condition)) << "condition " << condition << " without its fact";
        }
        setup();
        EXPECT_TRUE(widget->EvaluateCondition(condition)) << "condition " << condition;
        covered.insert(condition);
    }
    EXPECT_EQ(covered.size(), cases.size());
}

} // namespace

namespace {

// A widget whose stat is at its top.
class MaxedWidget : public UIWidget {
public:
    bool IsMaxed() const override { return true; }
};

TEST_F(UICondition, TheNeverTrueTheAlwaysAgreeingAndTheUnusualCases)
{
    view.profile = true;
    view.running = true;
    view.player = true;
    view.hardcoreRecord = 24;
    PosixPlatformSystem thisBuild(folder.Path().string() + "/User");
    for (PlatformSystem* system : {static_cast<PlatformSystem*>(nullptr), static_cast<PlatformSystem*>(&thisBuild)}) {
        gPlatformSystem = system;
        for (int32_t condition : {0, 4, 54, 56, 95, 96, 101, -1, 1000})
            EXPECT_FALSE(widget->EvaluateCondition(condition)) << condition;
    }
    gPlatformSystem = nullptr;
    for (int32_t record : {0, 24, 25, 99}) {
        view.hardcoreRecord = record;
        EXPECT_EQ(widget->EvaluateCondition(69), widget->EvaluateCondition(71)) << record;
    }
    // Text that is no number counts as level 1, below the champion's 25.
    vars.SetStringByName("WorldDifficultyLevel", "Champion");
    widget->text = "many";
    EXPECT_TRUE(widget->EvaluateCondition(61));
    widget->text = "25";
    EXPECT_FALSE(widget->EvaluateCondition(61));
    // A filled slot is no valid selected quest while the parent is not selected.
    view.questSlots = {0};
    widget->parentWidget = parent;
    widget->userVar = vars.RegisterVar("ui_slot", "0", true);
    EXPECT_FALSE(widget->EvaluateCondition(38));
    // The main menu before any game may return to the game; a defeated covenant may not.
    view = FakeGameView{};
    EXPECT_TRUE(widget->EvaluateCondition(67));
    view.running = true;
    view.playerCovenant = 0;
    view.covenants.resize(1);
    view.covenants[0].defeated = true;
    EXPECT_FALSE(widget->EvaluateCondition(67));
    // A user var that reads as 0 is not set.
    EXPECT_TRUE(widget->EvaluateCondition(24));
    // An unlock held since an earlier game is no longer new.
    view.profile = true;
    view.userProfile.AddUnlock("SuperSecretAwardCave");
    widget->unlockName = "SuperSecretAwardCave";
    for (int32_t condition : {86, 87, 88})
        EXPECT_TRUE(widget->EvaluateCondition(condition)) << condition;
    view.userProfile.ClearNewUnlocks();
    for (int32_t condition : {85, 86, 87, 88})
        EXPECT_FALSE(widget->EvaluateCondition(condition)) << condition;
    EXPECT_TRUE(widget->EvaluateCondition(73));
    MaxedWidget maxed;
    EXPECT_TRUE(maxed.EvaluateCondition(15));
    EXPECT_FALSE(widget->EvaluateCondition(15));
}

TEST_F(UICondition, TreatiesAndRoutesShowOnlyWhenSimplifiedRelationsHoldOne)
{
    view.covenants.resize(3);
    vars.SetStringByName("rel_simplify", "0");
    EXPECT_TRUE(widget->EvaluateCondition(52));
    EXPECT_TRUE(widget->EvaluateCondition(53));
    vars.SetStringByName("rel_simplify", "1");
    EXPECT_FALSE(widget->EvaluateCondition(52));
    EXPECT_FALSE(widget->EvaluateCondition(53));
    view.treaties[{1, 2}] = 4;
    view.routes.insert({0, 2});
    EXPECT_TRUE(widget->EvaluateCondition(52));
    EXPECT_TRUE(widget->EvaluateCondition(53));
    // A covenant's own low home health speaks when the widget has no entity.
    view.playerCovenant = 1;
    widget->entityType = UIEntity::PlayerCovenant;
    view.covenants[1].maxHomeHealth = 400;
    view.covenants[1].homeHealth = 100;
    EXPECT_FALSE(widget->EvaluateCondition(::UICondition::LowHealth));
    view.covenants[1].homeHealth = 99;
    EXPECT_TRUE(widget->EvaluateCondition(::UICondition::LowHealth));
}

} // namespace
