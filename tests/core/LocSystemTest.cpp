// LocSystemTest -- token strings, nested translation, the pass limit, word rules, UTF-16 and hostile loc files.
#include "core/DebugSystem.h"
#include "core/FileSystem.h"
#include "core/LocSystem.h"
#include "core/UserVarSystem.h"
#include "support/GameFolderFiles.h"
#include "support/LogLines.h"
#include "support/ShippedGame.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <cstring>
#include <random>

namespace {

// UTF-16 LE with its FF FE mark.
std::string Utf16File(std::u16string_view text)
{
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

class LocWorld : public ::testing::Test {
protected:
    void WriteLoc(const std::string& name, const std::string& bytes) { folder.Write("Assets/Loc/" + name, bytes); }

    int CountLogged(std::string_view part) const { return CountLinesHolding(debug, part); }

    TempFolder folder;
    GameFolderFiles game{folder.Path().string()};
    DebugSystem& debug = game.debug;
    LocSystem loc;
};

TEST(MakeLocToken, ExactStrings)
{
    EXPECT_EQ(MakeLocToken("K", "%s %d", "a", 5), "$$K~<a@@5@@>~$$");
    EXPECT_EQ(MakeLocToken("K", nullptr), "$$K$$");
    EXPECT_EQ(MakeLocToken("K", "%s", ""), "$$K~<@@>~$$");
    EXPECT_EQ(MakeLocToken("RequiresKeyXChest", "$$%s$$", "CopperKey"), "$$RequiresKeyXChest~<$$CopperKey$$@@>~$$");
    // A list longer than the work buffer keeps its closing marks.
    std::string token = MakeLocToken("K", "%s", std::string(3000, 'x').c_str());
    EXPECT_EQ(token.size(), 3u + 1023u + 2u);
    EXPECT_EQ(token.substr(token.size() - 6), "@@>~$$");
}

TEST(MakeLocToken, WrittenInPlaceItIsTheSameTokenAndACutOneStaysClosed)
{
    char out[64];
    EXPECT_EQ(WriteLocToken(out, sizeof out, "K", "%s %d", "a", 5), 15u);
    EXPECT_EQ(std::string(out), MakeLocToken("K", "%s %d", "a", 5));
    WriteLocToken(out, sizeof out, "CritHitPrint", "%d", -12);
    EXPECT_EQ(std::string(out), MakeLocToken("CritHitPrint", "%d", -12));
    WriteLocToken(out, sizeof out, "K", nullptr);
    EXPECT_EQ(std::string(out), "$$K$$");
    WriteLocToken(out, sizeof out, "K", "%s", "");
    EXPECT_EQ(std::string(out), "$$K~<@@>~$$");
    // An argument longer than the room: the list is cut and closed, the token still whole.
    size_t length = WriteLocToken(out, sizeof out, "K", "%s", std::string(200, 'x').c_str());
    EXPECT_EQ(length, 63u);
    EXPECT_EQ(std::string(out).size(), 63u);
    EXPECT_EQ(std::string(out).substr(0, 5), "$$K~<");
    EXPECT_EQ(std::string(out).substr(57), "@@>~$$");
    // Too little room for the key and a short list: nothing, and no byte past the buffer.
    char small[12];
    std::memset(small, '#', sizeof small);
    EXPECT_EQ(WriteLocToken(small, 11, "LongerKey", "%d", 1), 0u);
    EXPECT_EQ(small[0], '\0');
    EXPECT_EQ(small[11], '#');
}

TEST_F(LocWorld, NestedTokensAndArguments)
{
    WriteLoc("English.loc", "RequiresKeyXChest \"You need %1 to open this.\"\n"
                            "CopperKey \"a copper key\"\n"
                            "Greeting \"Hello, $$Title$$ %1!\"\n"
                            "Title \"Lord\"\n"
                            "Outer \"[%2|%1|%3]\"\n"
                            "Inner \"<%1>\"\n"
                            "Lines \"one\\ntwo\"\n");
    ASSERT_TRUE(loc.Load("English"));
    EXPECT_EQ(loc.Translate(MakeLocToken("RequiresKeyXChest", "$$%s$$", "CopperKey")), "You need a copper key to open this.");
    EXPECT_EQ(loc.Translate(MakeLocToken("Greeting", "%s", "Bob")), "Hello, Lord Bob!");
    // A token with its own arguments inside an argument; a missing argument places nothing.
    EXPECT_EQ(loc.Translate("x $$Outer~<$$Inner~<7@@>~$$@@y@@>~$$ z"), "x [y|<7>|] z");
    EXPECT_EQ(loc.Translate(u"$$Title$$ $$Greeting~<Ann@@>~$$"), u"Lord Hello, Lord Ann!");
    EXPECT_EQ(loc.Translate("$$Lines$$"), "one\ntwo");
    // Keys are found without regard to case; a key without a text shows as itself.
    EXPECT_EQ(loc.Translate("$$title$$"), "Lord");
    EXPECT_EQ(loc.Translate("$$Nope$$ $$Nope~<a@@5@@>~$$"), "Nope Nope a 5");
    // Text that only looks like a token stays as it is.
    for (const char* plain : {"costs 5$$ now", "$$", "$$ $$", "$$A~<x@@", "@@>~$$", "$$A~<x@@>~"})
        EXPECT_EQ(loc.Translate(plain), plain);
    EXPECT_EQ(loc.Translate("$$A~<$$Title$$@@"), "$$A~<Lord@@");
}

// A token of no key carries its words alone, as the host's bonus texts do: its score and its name,
// the name worded by the language when it has a text for it.
TEST_F(LocWorld, AKeylessTokenShowsItsWordsTheOnesThatAreKeysInTheLanguagesWords)
{
    WriteLoc("English.loc", "BonusOverkill \"Overkill!\"\nTitle \"Lord\"\n");
    ASSERT_TRUE(loc.Load("English"));
    EXPECT_EQ(loc.Translate(MakeLocToken("", "%s %s", "1,234", "BonusOverkill")), "1,234 Overkill!");
    EXPECT_EQ(loc.Translate(u"+ $$~<40@@BonusUnknown@@>~$$ +"), u"+ 40 BonusUnknown +");
    EXPECT_EQ(loc.Translate(MakeLocToken("", "%s", "$$Title$$")), "Lord") << "a token inside a word";
    EXPECT_EQ(loc.Translate(MakeLocToken("", "%s", "")), "");
    // A keyless plain token is no token.
    for (const char* plain : {"$$$$", "a $$$$ b", "$$~<x@@"})
        EXPECT_EQ(loc.Translate(plain), plain);
}

TEST_F(LocWorld, LiteralTokensShowExactly)
{
    WriteLoc("English.loc", "Gold \"gold\"\nGreet \"Hi %1!\"\n");
    ASSERT_TRUE(loc.Load("English"));
    const std::string name = "$$Gold$$ @@>~ ~< \\ \" $";
    EXPECT_EQ(loc.Translate(FormatLiteralToken("%s", name.c_str())), name);
    std::string token = MakeLocToken("Greet", "%s", FormatLiteralToken("%s", name.c_str()).c_str());
    EXPECT_EQ(loc.Translate(token), "Hi " + name + "!");
    EXPECT_EQ(loc.Translate(u"$$\"a\\$$\"$$"), u"a$$");
}

TEST_F(LocWorld, PassLimitLogsOnceAndStops)
{
    std::string file = "Loop \"$$Loop$$\"\nBoom \"$$Boom$$$$Boom$$$$Boom$$$$Boom$$\"\n";
    // A chain that needs exactly the ten passes, and one that needs eleven.
    for (int i = 1; i <= 11; ++i)
        file += "A" + std::to_string(i) + " \"$$A" + std::to_string(i + 1) + "$$\"\n";
    file += "A11 \"end\"\nA12 \"end\"\n";
    WriteLoc("English.loc", file);
    ASSERT_TRUE(loc.Load("English"));
    loc.InstallLogTranslator(debug);

    EXPECT_EQ(loc.Translate("$$A2$$"), "end");
    EXPECT_EQ(CountLogged("Too many translation passes"), 0);
    EXPECT_EQ(loc.Translate("$$A1$$"), "$$A11$$");
    EXPECT_EQ(CountLogged("Too many translation passes on $$A11$$!"), 1);

    EXPECT_EQ(loc.Translate("$$Loop$$"), "$$Loop$$");
    EXPECT_EQ(CountLogged("Too many translation passes on $$Loop$$!"), 1);
    // Fourfold growth each pass is stopped by the length bound, not by memory.
    std::string boom = loc.Translate("$$Boom$$");
    EXPECT_LE(boom.size(), 70000u);
    EXPECT_EQ(CountLogged("Too many translation passes"), 3);
}

TEST_F(LocWorld, LogLinesAreTranslatedUntilTheSystemGoes)
{
    WriteLoc("English.loc", "Minute \"minute\"\n");
    {
        LocSystem scoped;
        ASSERT_TRUE(scoped.Load("English"));
        scoped.InstallLogTranslator(debug);
        DebugSystem::Print(kPrintPlain, "1 $$Minute$$\n");
    }
    DebugSystem::Print(kPrintPlain, "2 $$Minute$$\n");
    EXPECT_EQ(CountLogged("1 minute"), 1);
    EXPECT_EQ(CountLogged("2 $$Minute$$"), 1);
}

TEST_F(LocWorld, PluralRankAndArticle)
{
    WriteLoc("English.loc", "X \"x\"\n");
    ASSERT_TRUE(loc.Load("English"));
    const std::vector<std::pair<int, std::string>> ranks = {
        {0, "th"},   {1, "st"},   {2, "nd"},   {3, "rd"},   {4, "th"},  {11, "th"},   {12, "th"}, {13, "th"},
        {21, "st"},  {22, "nd"},  {23, "rd"},  {101, "st"}, {111, "th"}, {112, "th"}, {113, "th"}, {1002, "nd"},
        {-11, "th"}, {-21, "st"},
    };
    for (const auto& [number, ending] : ranks)
        EXPECT_EQ(loc.GetRankEnding(number), ending) << number;
    EXPECT_STREQ(loc.GetPluralEnding(0), "");
    EXPECT_STREQ(loc.GetPluralEnding(1), "");
    EXPECT_STREQ(loc.GetPluralEnding(2), "s");
    EXPECT_STREQ(loc.GetArticle(""), "a");
    EXPECT_STREQ(loc.GetArticle("apple"), "an");
    EXPECT_STREQ(loc.GetArticle("Orc"), "an");
    EXPECT_STREQ(loc.GetArticle("sword"), "a");
    EXPECT_STREQ(loc.GetArticle("^c061Amulet"), "an");
    EXPECT_STREQ(loc.GetArticle("^b002^c061Orb"), "an");

    // The language file sets the rules again over the layout's.
    WriteLoc("layout.loc", "AddPluralEnding 1\nAddAOrAn 1\n");
    WriteLoc("Plain.loc", "AddPluralEnding 0\nAddAOrAn 0\n");
    ASSERT_TRUE(loc.Load("Plain"));
    EXPECT_STREQ(loc.GetPluralEnding(5), "");
    EXPECT_STREQ(loc.GetArticle("apple"), "");
}

TEST_F(LocWorld, Utf16LanguageFileAndCodePage)
{
    WriteLoc("codePageToUnicode.map", "0x80 0x20AC\n0x9F 0x0178\n");
    WriteLoc("German.loc", Utf16File(u"// Grüße\r\nGreeting \"Grüße € \u4E16\"\r\nBye \"Tschüs\"\r\n"));
    ASSERT_TRUE(loc.Load("German"));
    EXPECT_EQ(loc.Translate(u"$$Greeting$$"), u"Grüße € \u4E16");
    EXPECT_EQ(loc.Translate("$$Greeting$$"), "Gr\xFC\xDF\x65 \x80 ?");
    EXPECT_EQ(loc.TranslateToWide("\x80 $$Bye$$"), u"€ Tschüs");
    EXPECT_EQ(loc.GetCodePageChar(u'€'), 0x80);
    EXPECT_EQ(loc.GetCodePageChar(u'Ÿ'), 0x9F);
    EXPECT_EQ(loc.GetCodePageChar(0xFC), 0xFC);
    EXPECT_EQ(loc.GetCodePageChar(0x4E16), kNoCodePageChar);
    EXPECT_EQ(loc.GetUnicodeChar(0x80), u'€');

    // An odd byte at the end is dropped; the whole lines before it still count.
    std::string odd = Utf16File(u"Bye \"Tschüs\"\r\nHi \"Hallo\"\r\n") + "\x41";
    WriteLoc("German.loc", odd);
    ASSERT_TRUE(loc.Load("German"));
    EXPECT_EQ(loc.Translate("$$Bye$$ $$Hi$$"), "Tsch\xFCs Hallo");
}

TEST_F(LocWorld, MissingOrBadLanguageFallsBackToEnglish)
{
    WriteLoc("English.loc", "Hi \"hello\"\n");
    EXPECT_TRUE(loc.Load("Klingon"));
    EXPECT_EQ(CountLogged("Couldn't find Loc/Klingon.loc"), 1);
    EXPECT_EQ(loc.Translate("$$Hi$$"), "hello");
    EXPECT_TRUE(loc.Load("../English"));
    EXPECT_EQ(loc.Translate("$$Hi$$"), "hello");
    std::filesystem::remove(folder.Path() / "Assets/Loc/English.loc");
    EXPECT_FALSE(loc.Load("English"));
    EXPECT_EQ(loc.Translate("$$Hi$$"), "Hi");
}

TEST_F(LocWorld, KeyboardTypeFollowsUserVar)
{
    WriteLoc("layout.loc", "KeyboardType \"One\"\n{\n  Key 21 \"y\" \"Y\"\n}\n"
                           "KeyboardType \"Two\"\n{\n  Remap 21 44\n  Key 44 \"z\" \"Z\"\n  Key 43 \"0x005C\" \"\\\"\"\n}\n");
    WriteLoc("English.loc", "X \"x\"\n");
    UserVarSystem vars;
    gUserVarSystem = &vars;
    loc.RegisterCommands();
    ASSERT_TRUE(loc.LoadLanguageSetting());
    EXPECT_EQ(loc.GetKeyboardTypes(), (std::vector<std::string>{"One", "Two"}));
    EXPECT_EQ(loc.MapScanCode(21), 21);
    EXPECT_EQ(loc.MapKeyToChar(21, true), 'Y');
    vars.SetStringByName("loc_keyboardType", "1");
    EXPECT_EQ(loc.MapScanCode(21), 44);
    EXPECT_EQ(loc.MapKeyToChar(44, false), 'z');
    EXPECT_EQ(loc.MapKeyToChar(43, false), '\\');
    EXPECT_EQ(loc.MapKeyToChar(43, true), '"');
    EXPECT_EQ(loc.MapKeyToChar(21, false), 0);
    EXPECT_EQ(loc.MapKeyToChar(300, false), 0);
    vars.SetStringByName("loc_keyboardType", "7");
    EXPECT_EQ(loc.MapScanCode(21), 21);
}

// The files we ship: the code page, key names, keyboards and English load and agree.
TEST(ShippedLocFiles, LoadAndAgree)
{
    if (ShippedGameFolder().empty())
        GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
    GameFolderFiles game(ShippedGameFolder());
    LocSystem loc;
    ASSERT_TRUE(loc.Load("English"));
    for (const std::string& line : game.debug.GetConsoleLines())
        ADD_FAILURE() << line;

    EXPECT_EQ(loc.GetUnicodeChar(0x80), 0x20AC);
    EXPECT_EQ(loc.GetUnicodeChar(0x81), 0x81);
    EXPECT_EQ(loc.GetCodePageChar(0x2026), 0x85);
    const std::vector<std::pair<std::string, int>> keys = {
        {"Escape", 1}, {"1", 2}, {"0", 11}, {"Enter", 28}, {"grave", 41}, {"LeftShift", 42}, {"Space", 57}, {"F12", 88}};
    for (const auto& [name, code] : keys)
        EXPECT_EQ(loc.FindKeyName(name, false), code) << name;
    EXPECT_EQ(loc.FindKeyName("NoSuchKey", false), -1);
    EXPECT_EQ(loc.FindKeyName("", true), 2);
    EXPECT_EQ(loc.GetKeyName(28), "Enter");
    EXPECT_EQ(loc.GetKeyName(999), "");

    EXPECT_EQ(loc.GetKeyboardTypes(), (std::vector<std::string>{"US", "UK", "German"}));
    EXPECT_EQ(loc.MapKeyToChar(30, false), 'a');
    EXPECT_EQ(loc.MapKeyToChar(2, true), '!');
    EXPECT_EQ(loc.MapKeyToChar(15, false), '\t');
    EXPECT_EQ(loc.MapKeyToChar(28, false), 0);
    loc.SetKeyboardType(2);
    EXPECT_EQ(loc.MapKeyToChar(loc.MapScanCode(21), false), 'z');
    EXPECT_EQ(loc.MapKeyToChar(12, false), '\xDF');

    EXPECT_EQ(loc.Translate("5$$GP$$ 1 $$Minute$$, 2 $$Seconds$$"), "5gp 1 minute, 2 seconds");
    EXPECT_EQ(loc.Translate("$$LeftMouseButton$$ $$LeftShift$$"), "Left Mouse Button Left Shift");
    // Every bonus the host awards is worded over the player, its score first.
    for (const char* bonus : {"BonusNearDeath", "BonusCloseCall", "BonusBigPain", "BonusFirstBlood", "BonusOverkill",
                              "BonusKillingSpree", "BonusCourageSpree", "BonusSpecificKillingSpree", "BonusMassacre",
                              "BonusObjectKillingSpree", "BonusNoLivesLeft"}) {
        std::string shown = loc.Translate(MakeLocToken("", "%s %s", "1,500", bonus));
        EXPECT_EQ(shown.rfind("1,500 ", 0), 0u) << shown;
        EXPECT_EQ(shown.find("Bonus"), std::string::npos) << shown;
        EXPECT_EQ(shown.find("$$"), std::string::npos) << shown;
    }
}

// Every prefix of a file loads without harm; the whole lines before a cut still count.
TEST_F(LocWorld, HostileFilesNeverCrash)
{
    const std::string layout = "AddAOrAn 0\nKeyboardType \"T\"\n{\n Remap 1 2\n Key 2 \"1\" \"0x21\"\n}\n";
    const std::string keyNames = "1 Escape\n0x1C Enter\n";
    const std::string map = "0x80 0x20AC\n0x81 0x81\n";
    std::string language;
    for (int i = 0; i < 8; ++i)
        language += "K" + std::to_string(i) + " \"v" + std::to_string(i) + " %1\"\n";
    const std::vector<std::pair<std::string, std::string>> files = {
        {"layout.loc", layout}, {"keyNames.loc", keyNames}, {"codePageToUnicode.map", map}, {"English.loc", language}};
    for (const auto& [name, whole] : files) {
        for (size_t cut = 0; cut <= whole.size(); ++cut) {
            WriteLoc(name, whole.substr(0, cut));
            loc.Load("English");
            loc.MapKeyToChar(loc.MapScanCode(1), true);
            if (name != "English.loc")
                continue;
            for (int i = 0; i < 8; ++i) {
                std::string line = "K" + std::to_string(i) + " \"v" + std::to_string(i) + " %1\"\n";
                if (whole.find(line) + line.size() <= cut) {
                    EXPECT_EQ(loc.Translate("$$K" + std::to_string(i) + "~<a@@>~$$"), "v" + std::to_string(i) + " a");
                }
            }
        }
        WriteLoc(name, whole);
    }
}

// Texts made of token pieces, as a hostile datagram could carry them.
TEST_F(LocWorld, HostileTextsTranslateWithinBounds)
{
    WriteLoc("English.loc", "A \"%1$$B~<%2@@>~$$\"\nB \"[%1%1]\"\nC \"$$A~<x@@$$C$$@@>~$$\"\n");
    ASSERT_TRUE(loc.Load("English"));
    const std::vector<std::string> pieces = {"$$", "~<", ">~", "@@", "A", "B", "C", "x", " ", "\"", "\\", "%1"};
    std::mt19937 random(5);
    std::uniform_int_distribution<size_t> pick(0, pieces.size() - 1);
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        for (int i = 0; i < 40; ++i)
            text += pieces[pick(random)];
        EXPECT_LE(loc.Translate(text).size(), 70000u);
    }
    std::string deep;
    for (int i = 0; i < 5000; ++i)
        deep += "$$A~<";
    EXPECT_EQ(loc.Translate(deep), deep);
}

} // namespace
