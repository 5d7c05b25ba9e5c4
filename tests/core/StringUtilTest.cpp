// StringUtilTest -- path edges, thousands grouping and narrow/wide conversion.
#include "core/StringUtil.h"

#include <climits>
#include <gtest/gtest.h>

TEST(StringUtilPaths, ExtensionFoundOnlyAfterLastSlash)
{
    EXPECT_EQ(FindExtensionPos("a.b/c", 0), -1);
    EXPECT_EQ(FindExtensionPos("dir/file.tar.gz", 1), 9);
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
