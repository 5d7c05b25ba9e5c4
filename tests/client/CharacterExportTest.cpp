// CharacterExportTest -- the character written out through the console: the HTML sheet of a scripted character in both forms, the forum post, the covenant and all-time pages, the mail, hostile names kept inside the exports folder, and nothing written (with the failure shown) when a part of the character is missing.
#include "client/CharacterExport.h"
#include "client/GlobalStats.h"
#include "client/PlayerClientWorld.h"
#include "client/PlayerCovenantClient.h"
#include "client/SavedMonsterText.h"

#include "core/ColorSystem.h"
#include "core/CommandSystem.h"
#include "covenants/PlayerCovenant.h"
#include "covenants/PlayerHouseRecords.h"
#include "core/EngineEnums.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "platform/PosixPlatformSystem.h"
#include "render/TextEvents.h"
#include "rules/GameData.h"
#include "rules/monsters/MonsterType.h"
#include "support/LogLines.h"
#include "support/OffscreenClipboard.h"

#include <filesystem>

namespace {

constexpr const char* kCharacterExportRecords = R"(
SkillJab
{
    Type Skill
    BasicSkill 1
    Name "^f006Jab"
}
SkillLunge
{
    Type Skill
    MaxSkillLevel 5
    Name "Lunge"
}
SkillFeint
{
    Type Skill
    MaxSkillLevel 5
    Name "Feint"
}
SkillTreeBlade
{
    Type SkillTree
    Skill SkillJab
    Skill SkillLunge
    Skill SkillFeint
}
ClassBlade
{
    Type Class
    Name "Blade"
    PowerName "$$Resolve$$"
    BaseSpeed 150
    HealthPerVit 5
    StartVitality 10
    SkillTree SkillTreeBlade
}
MonsterBrute
{
    Type MonsterType
    Name "Brute"
}
MonsterCutpurse
{
    Type MonsterType
    Name "Cutpurse"
    Thief 1
}
MonsterTurncoat
{
    Type MonsterType
    Name "Turncoat"
    Renegade 1
}
ItemCopperRing
{
    Type Item
    ItemType Ring
    Name "Copper ring"
    Value 40
}
)";

// Every figure of the scripted character is its stat's index plus one, fun stats 100 plus theirs;
// no language is loaded, so the keys stand as they are. The basic skill's name carries a font
// code, which both forms drop.
constexpr const char* kCharacterExportGoldenHtml =
    "<html><head><title>Ada</title></head><body bgcolor=\"#000000\" text=\"#CCCCCC\"><h1><center>Ada</center></h1>"
    "<h2><center>$$PlayerTitle~&lt;85@@$$Master$$@@Blade@@&gt;~$$</center></h2>"
    "<h2>$$Stats$$</h2><p>$$Health$$: 40 / 55<br>$$Resolve$$: 81 / 82<br><br>$$Attack$$: 77<br>$$Defense$$: 71<br>"
    "$$Armor$$: 79<br><br>$$Damage$$: 89 - 90<br>$$Dps$$: 179.0<br><br>$$Money$$: <FONT color=#f4a460>1$$GP$$ "
    "<FONT color=#CCCCCC><FONT color=#c0c0c0>23$$SP$$ <FONT color=#CCCCCC><FONT color=#a0522d>45$$CP$$"
    "<FONT color=#CCCCCC><br></p>"
    "<h2>$$Attributes$$</h2><p>$$Strength$$: 6<br>$$Dexterity$$: 7<br>$$Vitality$$: 8<br>$$Intelligence$$: 9<br>"
    "$$Spirit$$: 10<br><br>$$AttributePointsLeft$$: 94<br></p>"
    "<h2>$$Resistances$$</h2><p>$$ResistanceFire$$: 99<br>$$ResistanceCold$$: 100<br>$$ResistancePoison$$: 101<br>"
    "$$ResistanceLightning$$: 102<br>$$ResistanceMagic$$: 103<br></p>"
    "<h2>$$Skills$$</h2><p>Jab lvl 1<br>Lunge lvl 3<br><br>$$SkillPointsLeft$$: 95<br></p>"
    "<h2>$$Equipment$$</h2><p></p>"
    "<h2>$$FunStats$$</h2><p>$$Kills$$: 100<br>$$Deaths$$: 101<br>$$KillsPerDeath$$: 102<br><br>"
    "$$GoldFound$$: <FONT color=#c0c0c0>1$$SP$$ <FONT color=#CCCCCC><FONT color=#a0522d>3$$CP$$<FONT color=#CCCCCC><br>"
    "$$TimePlayedMilliSeconds$$: 1$$DaysAbrev$$ 1$$HoursAbrev$$ 2$$MinutesAbrev$$ 3$$SecondsAbrev$$<br>"
    "$$MaxDamageDealt$$: 106<br>$$MaxDamageTaken$$: 107<br>$$MaxDamageDealtAtOnce$$: 117<br>$$MaxHealthHealed$$: 118<br>"
    "<br>$$BestTrapDisarmed$$: lvl 124<br><br>"
    "$$StrongestMonsterDefeated$$: <FONT color=#ffffff>$$Elite$$ Brute<FONT color=#CCCCCC> ($$SavedMonsterTextLevel$$ 12)"
    "<br>$$ToughestBattleWon$$: <FONT color=#ffffff>Brute $$Champion$$<FONT color=#CCCCCC> ($$SavedMonsterTextLevel$$ 9)"
    " $$SavedMonsterTextAtLevel$$ 4<br>$$StrongestMonsterKilledBy$$: $$SavedMonsterTextNone$$<br>"
    "$$WeakestMonsterKilledBy$$: $$SavedMonsterTextThief$$ ($$SavedMonsterTextLevel$$ 115)<br><br>"
    "$$QuestsSolved$$: 116<br>$$RaidsOffensiveWon$$: 119 of 120<br>$$RaidsDefensiveWon$$: 121 of 122<br>"
    "$$DestroyedByMonsters$$: 123<br><br>$$EquipmentWorth$$: <FONT color=#a0522d>0$$CP$$<FONT color=#CCCCCC><br>"
    "$$InventoryWorth$$: <FONT color=#a0522d>0$$CP$$<FONT color=#CCCCCC><br><br>$$SecretsFound$$: 111<br><br>"
    "$$WorldsConquered$$: 0<br>$$WorldsAllyWin$$: 0<br>$$WorldsAbandoned$$: 0<br>$$WorldsLost$$: 0<br></p>"
    "Emberlode / Marhold</body></html>";
constexpr const char* kCharacterExportGoldenForum = R"([SIZE="3"][B][CENTER]Ada[/CENTER][/B][/SIZE]
[SIZE="3"][CENTER]$$PlayerTitle~<85@@$$Master$$@@Blade@@>~$$[/CENTER][/SIZE]
[SIZE="3"]$$Stats$$[/SIZE]

$$Health$$: 40 / 55
$$Resolve$$: 81 / 82

$$Attack$$: 77
$$Defense$$: 71
$$Armor$$: 79

$$Damage$$: 89 - 90
$$Dps$$: 179.0

$$Money$$: [COLOR="SandyBrown"]1$$GP$$ [/COLOR][COLOR="Silver"]23$$SP$$ [/COLOR][COLOR="Sienna"]45$$CP$$[/COLOR]

[SIZE="3"]$$Attributes$$[/SIZE]

$$Strength$$: 6
$$Dexterity$$: 7
$$Vitality$$: 8
$$Intelligence$$: 9
$$Spirit$$: 10

$$AttributePointsLeft$$: 94

[SIZE="3"]$$Resistances$$[/SIZE]

$$ResistanceFire$$: 99
$$ResistanceCold$$: 100
$$ResistancePoison$$: 101
$$ResistanceLightning$$: 102
$$ResistanceMagic$$: 103

[SIZE="3"]$$Skills$$[/SIZE]

Jab lvl 1
Lunge lvl 3

$$SkillPointsLeft$$: 95

[SIZE="3"]$$Equipment$$[/SIZE]


[SIZE="3"]$$FunStats$$[/SIZE]

$$Kills$$: 100
$$Deaths$$: 101
$$KillsPerDeath$$: 102

$$GoldFound$$: [COLOR="Silver"]1$$SP$$ [/COLOR][COLOR="Sienna"]3$$CP$$[/COLOR]
$$TimePlayedMilliSeconds$$: 1$$DaysAbrev$$ 1$$HoursAbrev$$ 2$$MinutesAbrev$$ 3$$SecondsAbrev$$
$$MaxDamageDealt$$: 106
$$MaxDamageTaken$$: 107
$$MaxDamageDealtAtOnce$$: 117
$$MaxHealthHealed$$: 118

$$BestTrapDisarmed$$: lvl 124

$$StrongestMonsterDefeated$$: [COLOR="Gray"]$$Elite$$ Brute[/COLOR] ($$SavedMonsterTextLevel$$ 12)
$$ToughestBattleWon$$: [COLOR="Gray"]Brute $$Champion$$[/COLOR] ($$SavedMonsterTextLevel$$ 9) $$SavedMonsterTextAtLevel$$ 4
$$StrongestMonsterKilledBy$$: $$SavedMonsterTextNone$$
$$WeakestMonsterKilledBy$$: $$SavedMonsterTextThief$$ ($$SavedMonsterTextLevel$$ 115)

$$QuestsSolved$$: 116
$$RaidsOffensiveWon$$: 119 of 120
$$RaidsDefensiveWon$$: 121 of 122
$$DestroyedByMonsters$$: 123

$$EquipmentWorth$$: [COLOR="Sienna"]0$$CP$$[/COLOR]
$$InventoryWorth$$: [COLOR="Sienna"]0$$CP$$[/COLOR]

$$SecretsFound$$: 111

$$WorldsConquered$$: 0
$$WorldsAllyWin$$: 0
$$WorldsAbandoned$$: 0
$$WorldsLost$$: 0

Emberlode / Marhold
)";

// A character of fixed figures: what the host last sent is overwritten, and no frame runs before
// the export reads it.
class CharacterExport : public PlayerClientWorld {
protected:
    void SetUp() override
    {
        vars.SetStringByName("PlayerClass", "ClassBlade");
        vars.SetStringByName("CovenantName", "House Cinder");
        StartWorldOnly("", kCharacterExportRecords);
        ASSERT_TRUE(app->StartClient(false, ""));
        player = app->GetLocalPlayer();
        Join();
        ::CharacterExport::RegisterCommands(*app);
        gTextEvents = &notices;
        gColorSystem = &colors;
    }
    void TearDown() override
    {
        gColorSystem = nullptr;
        gTextEvents = nullptr;
    }

    void Script()
    {
        int32_t value = 1;
        for (int32_t stat = 0; stat < CharacterStat::kCount; ++stat)
            player->stats.Set(stat, value++);
        player->stats.Set(CharacterStat::Class, gGameData->FindCharacterClassIndex("ClassBlade"));
        player->stats.Set(CharacterStat::Skill1 + 1, 3);
        player->stats.Set(CharacterStat::Skill1 + 2, 0);
        player->stats.Set(CharacterStat::AttackSpeed, 500);
        player->stats.Set(CharacterStat::Money, 12345);
        player->GetBody()->health = 40;
        player->GetBody()->maxHealth = 55;
        for (int32_t stat = 0; stat < CharacterFunStat::kCount; ++stat)
            player->funStats.Set(stat, 100 + stat);
        player->funStats.Set(CharacterFunStat::StrongestMonsterDefeated, Monster("MonsterBrute"));
        player->funStats.Set(CharacterFunStat::StrongestMonsterDefeatedInfo, PackMonsterKillInfo(12, 3, 0));
        player->funStats.Set(CharacterFunStat::ToughestBattleWon, Monster("MonsterBrute"));
        player->funStats.Set(CharacterFunStat::ToughestBattleWonInfo, PackMonsterKillInfo(9, 1, 4));
        player->funStats.Set(CharacterFunStat::StrongestMonsterKilledBy, -1);
        player->funStats.Set(CharacterFunStat::WeakestMonsterKilledBy, Monster("MonsterCutpurse"));
        player->funStats.Set(CharacterFunStat::TimePlayedDays, 1);
        player->funStats.Set(CharacterFunStat::TimePlayedMilliSeconds, 3723000);
    }

    static int32_t Monster(const char* name) { return gGameData->FindMonsterType(name)->index; }

    std::string Run(const std::string& line)
    {
        gCommandSystem->Execute(line);
        const TextEvents::Record* notice = notices.FindTextEvent(8);
        return notice ? notice->text : std::string();
    }

    std::string Exported(const std::string& file) const
    {
        std::filesystem::path path = folder.Path() / "User" / "Exports" / file;
        return std::filesystem::exists(path) ? folder.Read("User/Exports/" + file) : std::string("<none>");
    }

    TextEvents notices;
    ColorSystem colors;
};

TEST_F(CharacterExport, TheFileIsTheDarkSheetOfTheScriptedCharacterAndTheMailFormDiffersOnlyInBodyAndPop)
{
    Script();
    EXPECT_EQ(Run("exportHtml Character"), "$$CharacterExportedToHTML$$");
    std::string sheet = Exported("Ada.htm");
    EXPECT_EQ(sheet, kCharacterExportGoldenHtml) << sheet;

    std::string light;
    ASSERT_TRUE(::CharacterExport::BuildCharacterHtml(light, false));
    std::string dark = sheet;
    StringReplaceAll(dark, "<body bgcolor=\"#000000\" text=\"#CCCCCC\">", "");
    StringReplaceAll(dark, "<FONT color=#CCCCCC>", "<FONT color=#000000>");
    EXPECT_EQ(light, dark);
}

class ForumExport : public CharacterExport {};

TEST_F(ForumExport, ThePostIsTheScriptedCharacterInForumTags)
{
    Script();
    EXPECT_EQ(Run("exportVbulletin"), "$$CharacterExportedToVbulletin$$");
    std::string post = Exported("Ada.txt");
    EXPECT_EQ(post, kCharacterExportGoldenForum) << post;
}

TEST_F(ForumExport, ANameHoldingForumTagsOrColourCodesStaysPlainText)
{
    Script();
    struct Case {
        const char* name;
        const char* file;
        const char* shown;
    } cases[] = {
        {"[URL=\"x\"]Ada", "[URL=\"x\"]Ada.txt", "(URL=\"x\")Ada"},
        {"Ada[/CENTER][SIZE=\"7\"]", "Ada[CENTER][SIZE=\"7\"].txt", "Ada(/CENTER)(SIZE=\"7\")"},
        {"^c001Ada^c145", "^c001Ada^c145.txt", "Ada"},
    };
    for (const Case& c : cases) {
        player->characterName = c.name;
        EXPECT_EQ(Run("exportVbulletin"), "$$CharacterExportedToVbulletin$$") << c.name;
        std::string post = Exported(c.file);
        std::string first = post.substr(0, post.find('\n'));
        EXPECT_EQ(first, std::string("[SIZE=\"3\"][B][CENTER]") + c.shown + "[/CENTER][/B][/SIZE]") << c.name;
        // Everything after the name is the scripted character's post as it always is.
        std::string golden = kCharacterExportGoldenForum;
        EXPECT_EQ(post.substr(post.find('\n')), golden.substr(golden.find('\n'))) << c.name;
    }
}

TEST_F(CharacterExport, ColourCodesBecomeFontTagsOfTheirColour)
{
    std::string text = "^c001a^c145b^c001c^c005d^f006e^c777";
    ::CharacterExport::ColorCodesToHtml(text, false);
    EXPECT_EQ(text, "<FONT color=#ff0000>a<FONT color=#000000>b<FONT color=#ff0000>c<FONT color=#bfbf00>d^f006e"
                    "<FONT color=#ffffff>")
        << "light: yellow darkened, an index outside the table is colour 0, other letters left";
    text = "^c005d^c145";
    ::CharacterExport::ColorCodesToHtml(text, true);
    EXPECT_EQ(text, "<FONT color=#ffff00>d<FONT color=#CCCCCC>");
}

TEST_F(ForumExport, ColourCodesBecomeForumColoursAndThePopColourClosesOne)
{
    std::string text = "^c001word^c145 ^c077gem ^f006^c147x^c001";
    ::CharacterExport::ForumTranslateColorCodes(text);
    EXPECT_EQ(text, "[COLOR=\"Red\"]word[/COLOR] [COLOR=\"Gray\"]gem ^f006[COLOR=\"Purple\"]x[COLOR=\"Red\"]")
        << "a code of another letter is left for the post's last step, which removes it";
}

TEST_F(CharacterExport, HostileNamesStayInTheExportsFolderAndMakeNoMarkup)
{
    Script();
    struct Case {
        const char* name;
        const char* file;
    };
    for (Case c : {Case{"J.R.", "JR.htm"}, Case{"../x", "x.htm"}, Case{"..\\..\\y", "y.htm"},
                   Case{"<script>&\"", "<script>&\".htm"}}) {
        player->characterName = c.name;
        EXPECT_EQ(Run("exportHtml Character"), "$$CharacterExportedToHTML$$") << c.name;
        std::string sheet = Exported(c.file);
        EXPECT_NE(sheet, "<none>") << c.name;
        EXPECT_EQ(sheet.find("<script"), std::string::npos) << c.name;
    }
    EXPECT_NE(Exported("<script>&\".htm").find("<title>&lt;script&gt;&amp;&quot;</title>"), std::string::npos);
    player->characterName = "./..";
    EXPECT_EQ(Run("exportHtml Character"), "$$CharacterExportFailed$$");
    EXPECT_EQ(CountLinesHolding(debug, "Could not export character!"), 1);
    size_t files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.Path() / "User"))
        files += entry.is_regular_file() && entry.path().parent_path().filename() == "Exports" ? 1 : 0;
    EXPECT_EQ(files, 4u);
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "x.htm"));
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "y.htm"));
}

TEST_F(CharacterExport, WithoutTheWholeCharacterNothingIsWrittenAndTheFailureShows)
{
    Script();
    EXPECT_EQ(Run("exportHtml character"), "$$CharacterExportFailed$$") << "the word is matched exactly";
    player->stats.Set(CharacterStat::Class, 99);
    EXPECT_EQ(Run("exportHtml Character"), "$$CharacterExportFailed$$");
    EXPECT_EQ(Run("exportVbulletin"), "$$CharacterExportFailed$$");
    Script();
    PlayerCovenantClient* mirror = player->GetCovenant();
    ASSERT_NE(mirror, nullptr);
    player->SetCovenant(nullptr);
    EXPECT_EQ(Run("exportHtml Character"), "$$CharacterExportFailed$$");
    EXPECT_EQ(Run("exportHtml Covenant"), "$$CharacterExportFailed$$");
    player->SetCovenant(mirror);
    app->EndGame();
    EXPECT_EQ(Run("exportHtml Character"), "$$CharacterExportFailed$$");
    EXPECT_EQ(Run("emailCharHtml"), "$$CharacterExportFailed$$");
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "User" / "Exports"));
}

TEST_F(CharacterExport, TheMailPutsTheLightSheetOnTheClipboardAndOpensANewMail)
{
    struct RecordingPlatform : PosixPlatformSystem {
        using PosixPlatformSystem::PosixPlatformSystem;
        bool ClipboardPut(const std::string& text, bool asHtml) override
        {
            put = asHtml ? text : "not as HTML";
            return PosixPlatformSystem::ClipboardPut(text, asHtml);
        }
        std::string put;
    } platform((folder.Path() / "User").string());
    gPlatformSystem = &platform;
    PlatformSystem::LinkLauncher kept = PlatformSystem::GetLinkLauncher();
    std::vector<std::string> opened;
    int answer = 0;
    PlatformSystem::SetLinkLauncher([&](const std::vector<std::string>& argv) {
        opened.push_back(argv.back());
        return answer;
    });
    Script();
    // No clipboard: the player hears so, and no mail asks for a paste of nothing.
    EXPECT_EQ(Run("emailCharHtml"), "$$NoClipboardForMail$$");
    EXPECT_TRUE(opened.empty());
    OffscreenClipboard video;
    if (!video.started) {
        PlatformSystem::SetLinkLauncher(kept);
        gPlatformSystem = nullptr;
        GTEST_SKIP() << "no clipboard here: " << SDL_GetError();
    }
    EXPECT_EQ(Run("emailCharHtml"), "$$OpeningEmail$$");
    std::string light;
    ASSERT_TRUE(::CharacterExport::BuildCharacterHtml(light, false));
    EXPECT_EQ(platform.put, light);
    EXPECT_EQ(opened, std::vector<std::string>{"mailto:?subject=My Emberlode character&body=Highlight this sentence "
                                               "and hit Ctrl-V to add character"});
    answer = 1;
    EXPECT_EQ(Run("emailCharHtml"), "$$CharacterExportFailed$$") << "no mail program took it";
    std::string pasted;
    EXPECT_TRUE(platform.ClipboardGet(pasted));
    EXPECT_EQ(pasted, light) << "the sheet waits on the clipboard";
    PlatformSystem::SetLinkLauncher(kept);
    gPlatformSystem = nullptr;
}

TEST_F(CharacterExport, TheAllTimePageNamesEachRecordsHolderWithItsValue)
{
    GlobalStats stats;
    gGlobalStats = &stats;
    EXPECT_EQ(Run("exportHtml GlobalStats"), "$$CharacterExportedToHTML$$");
    EXPECT_NE(Exported("globalStats.htm").find("<p>\n$$GlobalStatsNone$$<br>\n</p>"), std::string::npos);
    Script();
    stats.TakeLocalPlayer();
    IntArray fun(CharacterFunStat::kCount);
    fun.Set(CharacterFunStat::Kills, 900);
    fun.Set(CharacterFunStat::WeakestMonsterKilledBy, Monster("MonsterTurncoat"));
    fun.Set(CharacterFunStat::WeakestMonsterKilledByInfo, PackMonsterKillInfo(1, 0, 0));
    stats.FindOrAddRecord("Bob", "House Ash", player->stats, fun);
    Run("exportHtml GlobalStats");
    std::string page = Exported("globalStats.htm");
    gGlobalStats = nullptr;
    for (const char* line : {"$$Kills$$: 900 - Bob (Blade $$JournalFrom$$ House Ash)<br>",
                             "$$Deaths$$: 101 - Ada (Blade $$JournalFrom$$ House Cinder)<br>",
                             "3$$CP$$<FONT color=#000000> - Ada (Blade $$JournalFrom$$ House Cinder)<br>",
                             "$$TimePlayedMilliSeconds$$: 1$$DaysAbrev$$ 1$$HoursAbrev$$ 2$$MinutesAbrev$$ 3$$SecondsAbrev$$ - Ada",
                             "$$WeakestMonsterKilledBy$$: $$SavedMonsterTextRenegade$$ ($$SavedMonsterTextLevel$$ 1) - Bob",
                             "<title>$$GlobalStats$$</title>"})
        EXPECT_NE(page.find(line), std::string::npos) << line << "\n" << page;
    EXPECT_EQ(page.find("Info$$"), std::string::npos) << "a value's words are shown with it, not on their own";
    EXPECT_EQ(page.substr(page.size() - 16), "</body>\n</html>\n");
}

// The worlds a character's covenant won, shared and lost are the host's counts, carried by each
// update's covenant part.
class CharacterExportWorlds : public PlayerClientWorld {
protected:
    void SetUp() override
    {
        StartWorld("UsingCovenants 1\nMaxRecruits 4\nStartPosition 0.5 0.5\n", kPlayerHouseRecords);
        MakePlayer();
        mirror = std::make_unique<PlayerCovenantClient>();
        mirror->name = "House Ember";
        player->SetCovenant(mirror.get());
        Join();
    }

    std::unique_ptr<PlayerCovenantClient> mirror;
};

TEST_F(CharacterExportWorlds, TheWorldsTheHostCountsReachTheSheetAndTheCovenantPage)
{
    auto* host = dynamic_cast<PlayerCovenant*>(game->GetCovenant(hostPlayer->covenantIndex));
    ASSERT_NE(host, nullptr);
    for (int32_t kind : {Covenant::kWorldsWon, Covenant::kWorldsWonAllied, Covenant::kWorldsWon, Covenant::kWorldsLost})
        host->CountWorldResult(kind);
    ClientFrame(50);
    ClientFrame(50);
    const char* worlds = "$$WorldsConquered$$: 2<br>$$WorldsAllyWin$$: 1<br>$$WorldsAbandoned$$: 0<br>$$WorldsLost$$: 1<br>";
    std::string sheet;
    ASSERT_TRUE(::CharacterExport::BuildCharacterHtml(sheet, true));
    EXPECT_NE(sheet.find(std::string(worlds) + "</p>"), std::string::npos) << sheet;
    EXPECT_NE(sheet.find("<h2>$$Skills$$</h2><p><br>$$SkillPointsLeft$$: "), std::string::npos)
        << "a class without skills still has the section";

    ASSERT_TRUE(::CharacterExport::WriteCovenantFile());
    std::string page = folder.Read("User/Exports/covenant.htm");
    std::string lines = worlds;
    StringReplaceAll(lines, "<br>", "<br>\n");
    EXPECT_EQ(page, "<html>\n<head>\n<title>House Ember</title>\n</head>\n<body>\n<h1>\n<center>House Ember</center>\n"
                    "</h1>\n<h2>\n$$WorldResults$$\n</h2>\n<p>\n" + lines + "</p>\n</body>\n</html>\n");
}

} // namespace
