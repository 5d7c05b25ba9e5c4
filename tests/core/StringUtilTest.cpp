// StringUtilTest -- path edges, thousands grouping, narrow/wide conversion and the small text helpers.
#include "core/StringUtil.h"

#include <climits>
#include <gtest/gtest.h>

TEST(StringUtilPaths, ExtensionIsAfterTheLastDotAfterTheLastSlash)
{
    EXPECT_EQ(FindExtensionPos("a.b/c", 0), -1);
    EXPECT_EQ(FindExtensionPos("dir/file.tar.gz", 1), 13);
    EXPECT_EQ(FileExtension("a.b/ui.frame.TGA"), "TGA");
    std::string dotted = "Textures/ui.frame";
    EnsureExtension(dotted, "sdr");
    EXPECT_EQ(dotted, "Textures/ui.frame.sdr");
    RemoveExtension(dotted);
    EXPECT_EQ(dotted, "Textures/ui.frame");
    std::string hidden = ".cfg";
    RemoveExtension(hidden);
    EXPECT_EQ(hidden, ".cfg");
    std::string model = "Models/Hero.MDL";
    EnsureExtension(model, "mdl");
    EXPECT_EQ(model, "Models/Hero.MDL");
    StripDirectories(model);
    EXPECT_EQ(model, "hero.mdl");
    EXPECT_EQ(PathDirectory("Models/Sub/X.mdl"), "models/sub");
    EXPECT_EQ(PathDirectory("x.mdl"), "");
}

TEST(StringUtilNumbers, ThousandsGroupingHandlesExtremes)
{
    EXPECT_EQ(FormatThousands(0), "0");
    EXPECT_EQ(FormatThousands(999), "999");
    EXPECT_EQ(FormatThousands(-1234567), "-1,234,567");
    EXPECT_EQ(FormatThousands(INT_MIN), "-2,147,483,648");
}

TEST(StringUtilText, WideToNarrowReplacesUnitsAboveByte)
{
    EXPECT_EQ(WideToNarrow(u"a\u00e9\u4e2d"), std::string("a\xe9?"));
    WString text = u"one\\ntwo\\";
    WStringExpandNewlines(text);
    EXPECT_EQ(text, u"one\ntwo\\");
    EXPECT_EQ(StringFormat("%s", std::string(2000, 'x').c_str()).size(), 1023u);
}

// Each byte becomes the unit of its value (none taken as a sign); a kept string takes the text in
// its own room, a shorter text leaving nothing of the longer one before it.
TEST(StringUtilText, NarrowToWideIntoAKeptStringWidensEveryByte)
{
    WString kept;
    kept.reserve(40);
    const char16_t* room = kept.data();
    NarrowToWide("caf\xe9 of the long road", kept);
    EXPECT_EQ(kept, WString(u"caf\u00e9 of the long road"));
    NarrowToWide("ab", kept);
    EXPECT_EQ(kept, WString(u"ab"));
    EXPECT_EQ(kept.data(), room);
    EXPECT_EQ(NarrowToWide("\xff"), WString(u"\u00ff"));
}

TEST(StringUtilText, ReplaceAllNeverRescansItsOwnReplacement)
{
    std::string text = "aaa";
    StringReplaceAll(text, "a", "aa");
    EXPECT_EQ(text, "aaaaaa");
    text = "x$$y$$$z";
    StringReplaceAll(text, "", "-");
    EXPECT_EQ(text, "x$$y$$$z");
    EXPECT_EQ(StripLocMarkers(text), "xy$z");
    std::string lines = "a\\nb\\";
    StringExpandNewlines(lines);
    EXPECT_EQ(lines, "a\nb\\");
}

TEST(StringUtilText, SmallTestsAndSuffixes)
{
    EXPECT_TRUE(StringIsNumber("7th"));
    EXPECT_TRUE(StringIsNumber("-1"));
    EXPECT_TRUE(StringIsNumber("+0"));
    EXPECT_FALSE(StringIsNumber("-"));
    EXPECT_FALSE(StringIsNumber("-x1"));
    EXPECT_FALSE(StringIsNumber(""));
    EXPECT_FALSE(StringIsNumber(" 1"));
    EXPECT_TRUE(ContainsNoCase("Ring of FIRE", "fire"));
    EXPECT_TRUE(ContainsNoCase("x", ""));
    EXPECT_FALSE(ContainsNoCase("fir", "fire"));
    EXPECT_EQ(GetPossessiveSuffix(""), "");
    EXPECT_EQ(GetPossessiveSuffix("Agnes"), "'");
    EXPECT_EQ(GetPossessiveSuffix("JAMES"), "'");
    EXPECT_EQ(GetPossessiveSuffix("Mara"), "'s");
    EXPECT_EQ(MakeLocKey("Skill", "Fire"), "$$SkillFire$$");
}

TEST(StringUtilPaths, StripExtensionTakesTheLastDotOnly)
{
    std::string name = "save.bak.chr";
    EXPECT_TRUE(StripExtension(name));
    EXPECT_EQ(name, "save.bak");
    std::string bare = "readme";
    EXPECT_FALSE(StripExtension(bare));
    EXPECT_EQ(bare, "readme");
}
