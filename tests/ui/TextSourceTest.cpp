// TextSourceTest -- text-source lines read from a menu file into their pieces, and the pieces built over a fake game: arguments and numbers, level colours, win progress, score bonuses, the profile, and every source with nothing to read.
#include "ui/UiWorld.h"

#include "core/EnumTable.h"
#include "core/LocSystem.h"

namespace {

const char kSourceMenu[] = "name S\nvisible 1\nsize 640 480\n"
                           "Widget { internalName One textSource EntityLevel\n}\n"
                           "Widget { internalName Num textSource ShelfName 2\n}\n"
                           "Widget { internalName Arg textSource PlayerStat Strength\n}\n"
                           "Widget { internalName Row textSource Text \"HP \" PlayerStat Level\n}\n"
                           "Widget { internalName ArgNum textSource Text HP 5\n}\n"
                           "Widget { internalName Bad textSource NoSuchSource ShelfName\n}\n"
                           "Widget { internalName Foe entityType Selected textSource EntityLevel\n}\n";

class TextSourceWorld : public UiWorld {
protected:
    void SetUp() override
    {
        WriteMenu("s.mnu", kSourceMenu);
        ui->RegisterCommands();
    }
    UIWidget& Widget(const std::string& name) const { return *ui->FindWidgetByPath("S::" + name); }
    const std::vector<TextSourceElement>& Pieces(const std::string& name) const { return Widget(name).textSource; }
    static int32_t Source(const char* name) { return EnumTable::LookupIn("UITextSource", name, true); }
    void JoinPlayer(int32_t level)
    {
        view.player = true;
        view.playerEntity = 1;
        view.entities[1].level = level;
        view.stats[EnumTable::LookupIn("CharacterStat", "Level", true)] = level;
    }
};

class TextSourceParse : public TextSourceWorld {};

TEST_F(TextSourceParse, OnePieceANumberAndAnArgument)
{
    ASSERT_EQ(Pieces("One").size(), 1u);
    EXPECT_EQ(Pieces("One")[0].type, Source("EntityLevel"));
    EXPECT_EQ(Pieces("One")[0].param, -1);
    ASSERT_EQ(Pieces("Num").size(), 1u);
    EXPECT_EQ(Pieces("Num")[0].param, 2);
    ASSERT_EQ(Pieces("Arg").size(), 1u);
    EXPECT_EQ(Pieces("Arg")[0].type, Source("PlayerStat"));
    EXPECT_EQ(Pieces("Arg")[0].argument, "Strength");
}

TEST_F(TextSourceParse, PiecesInARowAndAnArgumentBeforeANumber)
{
    ASSERT_EQ(Pieces("Row").size(), 2u);
    EXPECT_EQ(Pieces("Row")[0].argument, "HP ");
    EXPECT_EQ(Pieces("Row")[1].type, Source("PlayerStat"));
    EXPECT_EQ(Pieces("Row")[1].argument, "Level");
    // A number after a text argument is no parameter: it is read as the next source's name.
    ASSERT_EQ(Pieces("ArgNum").size(), 2u);
    EXPECT_EQ(Pieces("ArgNum")[0].argument, "HP");
    EXPECT_EQ(Pieces("ArgNum")[1].type, 0);
    EXPECT_EQ(Logged("Unknown UITextSource name 5"), 1);
}

TEST_F(TextSourceParse, AnUnknownNameIsLoggedAndBuildsNothing)
{
    ASSERT_EQ(Pieces("Bad").size(), 2u);
    EXPECT_EQ(Pieces("Bad")[0].type, 0);
    EXPECT_EQ(Pieces("Bad")[1].type, Source("ShelfName"));
    EXPECT_EQ(Logged("Unknown UITextSource name NoSuchSource"), 1);
    // A list led by None leaves the widget's text alone.
    Widget("Bad").text = "kept";
    ui->UpdateAndDraw(0.0f);
    EXPECT_EQ(Widget("Bad").text, "kept");
}

TEST_F(TextSourceParse, AddedPiecesFollowTheReadOnesWithNoNumber)
{
    UIWidget& num = Widget("Num");
    num.AddTextSource(Source("Text"), "x");
    num.AddTextSource(Source("PlayerName"), "", true);
    ASSERT_EQ(Pieces("Num").size(), 2u);
    EXPECT_EQ(Pieces("Num")[0].param, 2);
    EXPECT_EQ(Pieces("Num")[1].type, Source("Text"));
    EXPECT_EQ(Pieces("Num")[1].param, -1);
    EXPECT_EQ(Pieces("Num")[1].argument, "x");
    ASSERT_EQ(num.highlightTextSource.size(), 1u);
    EXPECT_EQ(num.highlightTextSource[0].type, Source("PlayerName"));
    EXPECT_TRUE(num.HasHighlightTextSource());
    // A piece added to an empty list leads it: the widget's text follows it.
    UIWidget& row = Widget("Row");
    row.textSource.clear();
    row.AddTextSource(Source("Text"), "added");
    EXPECT_EQ(row.GetTextSourceType(), Source("Text"));
    EXPECT_EQ(row.GetTextSourceText(), "added");
    ui->UpdateAndDraw(0.0f);
    EXPECT_EQ(row.text, "added");
}

// A brace that closes the widget on the text-source line itself ends the line there; the next
// widget stays a widget of its own.
class TextSourceBrace : public UiWorld {
protected:
    void SetUp() override
    {
        const std::string body = "visible 1\nsize 640 480\n"
                                 "Widget { internalName Plain textSource PlayerName }\n"
                                 "Widget { internalName Arg textSource Text }\n"
                                 "Widget { internalName Num textSource ShelfName 2 }\n"
                                 "Widget { internalName Quoted textSource Text \"}\" PlayerName }\n"
                                 "Widget { internalName Alone textSource }\n"
                                 "Widget { internalName Last textSource EntityLevel\n}\n";
        WriteMenu("brace.mnu", "name B\n" + body);
        // The same file as UTF-16, which a layout file may be.
        std::string wide = "\xFF\xFE";
        for (char c : "name W\n" + body)
            wide += std::string{c, '\0'};
        WriteMenu("wide.mnu", wide);
        ui->RegisterCommands();
    }
    static int32_t Source(const char* name) { return EnumTable::LookupIn("UITextSource", name, true); }
};

TEST_F(TextSourceBrace, TheLineEndsAtTheBraceAndTheLogNamesFileAndLine)
{
    struct Case {
        const char* widget;
        std::vector<const char*> sources;
        const char* argument;
        int32_t param;
        int line;
    } cases[] = {
        {"Plain", {"PlayerName"}, "", -1, 4},   {"Arg", {"Text"}, "", -1, 5},
        {"Num", {"ShelfName"}, "", 2, 6},       {"Quoted", {"Text", "PlayerName"}, "}", -1, 7},
        {"Alone", {}, "", -1, 8},
    };
    for (const auto& [menu, file] : {std::pair{"B", "brace"}, std::pair{"W", "wide"}}) {
        ASSERT_EQ(Menu(menu).GetWidgets().size(), 6u) << file << ": no widget swallowed the next";
        for (const Case& c : cases) {
            UIWidget* widget = ui->FindWidgetByPath(std::string(menu) + "::" + c.widget);
            ASSERT_NE(widget, nullptr) << file << " " << c.widget;
            ASSERT_EQ(widget->textSource.size(), c.sources.size()) << file << " " << c.widget;
            for (size_t i = 0; i < c.sources.size(); ++i)
                EXPECT_EQ(widget->textSource[i].type, Source(c.sources[i])) << file << " " << c.widget;
            if (!c.sources.empty()) {
                EXPECT_EQ(widget->textSource[0].argument, c.argument) << file << " " << c.widget;
                EXPECT_EQ(widget->textSource[0].param, c.param) << file << " " << c.widget;
            }
            EXPECT_EQ(Logged(StringFormat("UI/%s.mnu line %d: the text source line ends at \"}\"", file, c.line)), 1)
                << file << " " << c.widget;
        }
        EXPECT_EQ(ui->FindWidgetByPath(std::string(menu) + "::Last")->textSource.size(), 1u) << file;
    }
    EXPECT_EQ(Logged("Unknown UITextSource name }"), 0);
    EXPECT_EQ(Logged("block not closed"), 0);
}

class TextSourceBuild : public TextSourceWorld {};

TEST_F(TextSourceBuild, ATextAndThePlayersStatFollowEachOtherInTheFrame)
{
    JoinPlayer(12345);
    ui->UpdateAndDraw(0.0f);
    EXPECT_EQ(Widget("Row").text, "HP " + FormatThousands(12345));
    EXPECT_EQ(Widget("Num").text, "$$Shelf$$ 3");
    EXPECT_EQ(Widget("Bad").BuildText(Pieces("Bad")), "$$Shelf$$ 0") << "a shelf without a number is shelf 0 + 1";
}

TEST_F(TextSourceBuild, EntityLevelsAreColouredByTheirDistanceFromThePlayers)
{
    JoinPlayer(10);
    view.selectedEntity = 9;
    const std::pair<int32_t, const char*> bands[] = {{15, "^c001"}, {16, "^c007"}, {20, "^c007"}, {12, "^c005"},
                                                     {13, "^c006"}, {8, "^c002"},  {5, "^c004"},  {6, "^c002"}};
    for (const auto& [level, code] : bands) {
        view.entities[9].level = level;
        EXPECT_EQ(Widget("Foe").BuildText(Pieces("Foe")), code + std::to_string(level)) << level;
    }
    view.selectedEntity = -1;
    EXPECT_EQ(Widget("Foe").BuildText(Pieces("Foe")), "");
}

TEST_F(TextSourceBuild, EverySourceWithNothingToReadIsEmptyOrItsFixedText)
{
    std::map<int32_t, std::string> fixed = {{22, "$$Shelf$$ 0"}, {45, "$$HelpText$$"}, {46, "$$HelpTitle$$"},
                                            {80, "0"},           {81, "0"},            {83, "$$NoScoreBonus$$"},
                                            {25, "$$NoNewQuestsAvailable$$"},
                                            // The shelf counts no tome without a player, of a shelf of no size here.
                                            {47, MakeLocToken("TomesXOfY", "%d %d", 0, 0)}};
    int loggedBefore = static_cast<int>(debug.GetConsoleLines().size());
    for (int32_t type = 0; type < 97; ++type) {
        std::string built = Widget("One").BuildText({{type, -1, ""}});
        auto found = fixed.find(type);
        EXPECT_EQ(built, found == fixed.end() ? std::string() : found->second) << "source " << type;
    }
    EXPECT_EQ(static_cast<int>(debug.GetConsoleLines().size()), loggedBefore) << "nothing missing is logged";
    view.profile = true;
    view.profileName = "Ada";
    EXPECT_EQ(Widget("One").BuildText({{Source("UserName"), -1, ""}}), "Ada");
}

TEST_F(TextSourceBuild, WinProgressCountsTheOtherCovenants)
{
    view.covenants.resize(4);
    view.covenants[0].defeated = true;
    view.playerCovenant = 3;
    view.treaties[{3, 1}] = 6;
    view.powerOrder = {1, 3, 0, 2};
    UIWidget& widget = Widget("One");
    EXPECT_EQ(widget.BuildText({{59, -1, ""}}),
              "$$WinProgressStart$$" + MakeLocToken("WinProgressOneDestroyed", "%d", 1));
    EXPECT_EQ(widget.BuildText({{60, -1, ""}}),
              "$$ForMilitaryWin$$" + MakeLocToken("WinRemainingDestroy", "%d", 2));
    EXPECT_EQ(widget.BuildText({{62, -1, ""}}), "$$ForDiplomaticWin$$" +
                                                      MakeLocToken("WinRemainingOneDestroyAlly", "%d", 1) +
                                                      "$$WinRemainingRank$$");
    std::string alliance = "$$WinProgressSeperator$$" + MakeLocToken("WinProgressOneAlliance", "%d", 1);
    EXPECT_EQ(widget.BuildText({{63, -1, ""}}),
              "$$WinProgressStart$$" + MakeLocToken("WinProgressOneDestroyed", "%d", 1) + alliance);
    view.powerOrder = {3, 1, 0, 2};
    EXPECT_EQ(widget.BuildText({{62, -1, ""}}),
              "$$ForDiplomaticWin$$" + MakeLocToken("WinRemainingOneDestroyAlly", "%d", 1))
        << "the first in power has no rank to gain";
}

TEST_F(TextSourceBuild, TheTimeBonusShowsItsShareOrNone)
{
    view.rewardMultiplier = 1.25f;
    EXPECT_EQ(Widget("One").BuildText({{83, -1, ""}}), "+25%");
    view.rewardMultiplier = 1.0f;
    EXPECT_EQ(Widget("One").BuildText({{83, -1, ""}}), "$$NoScoreBonus$$");
}

} // namespace
