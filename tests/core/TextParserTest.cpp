// TextParserTest -- line-end rules, comments, quoting, UTF-16 input and typed reads.
#include "core/TextParser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> AllTokens(const std::string& text)
{
    TextParser parser(text.data(), text.size());
    std::vector<std::string> tokens;
    std::string token;
    while (parser.NextToken(token, true))
        tokens.push_back(token);
    return tokens;
}

// No token left anywhere in the text.
bool TextParserDrained(TextParser& parser)
{
    std::string token;
    return !parser.NextToken(token, true);
}

std::string TextParserUtf16(std::u16string_view text)
{
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

} // namespace

TEST(TextParserLines, SameLineReadStopsAtLineEndWithoutConsumingIt)
{
    std::string text = "Size 1 2\r\nNext 3";
    TextParser parser(text.data(), text.size());
    EXPECT_EQ(parser.ReadString(false), "Size");
    EXPECT_EQ(parser.GetInt(false), 1);
    EXPECT_EQ(parser.GetInt(false), 2);
    int32_t value = 7;
    EXPECT_FALSE(parser.ReadInt(value, false));
    EXPECT_EQ(value, 0);
    EXPECT_EQ(parser.ReadString(false), "");
    EXPECT_EQ(parser.ReadString(true), "Next");
    EXPECT_EQ(parser.GetInt(false), 3);
    EXPECT_TRUE(TextParserDrained(parser));
    EXPECT_EQ(parser.ReadString(true), "");
}

TEST(TextParserLines, Vector2TakesItsSecondNumberFromTheSameLine)
{
    std::string text = "1.5\n2.5 -4";
    TextParser parser(text.data(), text.size());
    float x = 9, y = 9;
    EXPECT_FALSE(parser.GetVector2(x, y));
    EXPECT_FLOAT_EQ(x, 1.5f);
    EXPECT_EQ(y, 0.0f);
    EXPECT_TRUE(parser.GetVector2(x, y));
    EXPECT_FLOAT_EQ(x, 2.5f);
    EXPECT_FLOAT_EQ(y, -4.0f);
}

TEST(TextParserLines, SkipLineDropsTheRestOfTheLine)
{
    std::string text = "a b c\r\nd";
    TextParser parser(text.data(), text.size());
    EXPECT_EQ(parser.ReadString(), "a");
    parser.SkipLine();
    EXPECT_EQ(parser.ReadString(false), "d");
}

TEST(TextParserLines, APutBackTokenIsReadAgainWithItsLine)
{
    for (const std::string& text : {std::string("a // note\n \"}\" }\nb"),
                                     TextParserUtf16(u"a // note\n \"}\" }\nb")}) {
        TextParser parser(text.data(), text.size());
        ParsedToken token;
        ASSERT_TRUE(parser.NextToken(token));
        ASSERT_TRUE(parser.NextToken(token));
        EXPECT_TRUE(token.quoted);
        EXPECT_EQ(parser.GetLineNumber(), 2);
        parser.PutBack(token);
        EXPECT_EQ(parser.GetLineNumber(), 1) << "the read began before the line end";
        ASSERT_TRUE(parser.NextToken(token));
        EXPECT_EQ(std::string(token.text), "}");
        EXPECT_TRUE(token.quoted);
        ASSERT_TRUE(parser.NextToken(token, false));
        EXPECT_FALSE(token.quoted);
        parser.PutBack(token);
        EXPECT_EQ(parser.ReadString(false), "}");
        EXPECT_EQ(parser.ReadString(false), "");
        EXPECT_EQ(parser.ReadString(), "b");
        EXPECT_TRUE(TextParserDrained(parser));
    }
}

TEST(TextParserComments, LineAndBlockCommentsAreSkipped)
{
    EXPECT_EQ(AllTokens("a // one two\n/* three\nfour */ b/*x*/c 5//six\n\t7"),
              (std::vector<std::string>{"a", "b", "c", "5", "7"}));
}

TEST(TextParserComments, CommentsObeyTheLineRule)
{
    std::string text = "a // rest\nb /* x */ c /* spans\nlines */ d /* never closed";
    TextParser parser(text.data(), text.size());
    EXPECT_EQ(parser.ReadString(false), "a");
    EXPECT_EQ(parser.ReadString(false), "");
    EXPECT_EQ(parser.ReadString(true), "b");
    EXPECT_EQ(parser.ReadString(false), "c");
    EXPECT_EQ(parser.ReadString(false), "");
    EXPECT_EQ(parser.ReadString(true), "d");
    EXPECT_TRUE(TextParserDrained(parser));
}

TEST(TextParserQuotes, QuotedValuesKeepBlanksAndEscapedQuotes)
{
    EXPECT_EQ(AllTokens("\"two words\" \"say \\\"hi\\\"\" \"back\\slash\" \"\" x"),
              (std::vector<std::string>{"two words", "say \"hi\"", "back\\slash", "", "x"}));
}

TEST(TextParserQuotes, TypographicQuotesCount)
{
    EXPECT_EQ(AllTokens("\x93the end\x94 \"mixed\x94 y"),
              (std::vector<std::string>{"the end", "mixed", "y"}));
}

TEST(TextParserQuotes, UnclosedQuoteEndsAtTheLineEnd)
{
    std::string text = "\"open value\nnext";
    TextParser parser(text.data(), text.size());
    EXPECT_EQ(parser.ReadString(), "open value");
    EXPECT_EQ(parser.ReadString(false), "");
    EXPECT_EQ(parser.ReadString(), "next");
}

TEST(TextParserWide, Utf16ReadsLikeEightBitText)
{
    std::string text = TextParserUtf16(u"Name \"big \u4e2d\" // c\r\n/* x */ 42 \u201cq v\u201d");
    TextParser parser(text.data(), text.size());
    EXPECT_TRUE(parser.IsWide());
    EXPECT_EQ(parser.ReadString(), "Name");
    WString wide;
    ASSERT_TRUE(parser.ParseValue(wide, false));
    EXPECT_EQ(wide, u"big \u4e2d");
    EXPECT_FALSE(parser.ParseValue(wide, false));
    EXPECT_EQ(parser.GetInt(), 42);
    EXPECT_EQ(parser.ReadString(), "q v");
    EXPECT_TRUE(TextParserDrained(parser));
}

TEST(TextParserWide, OddTrailingByteIsIgnored)
{
    std::string text = TextParserUtf16(u"ab") + "c";
    TextParser parser(text.data(), text.size());
    EXPECT_EQ(parser.ReadString(), "ab");
    EXPECT_TRUE(TextParserDrained(parser));
}

TEST(TextParserTyped, FailedReadsStoreZero)
{
    std::string text = "abc 1 -2.5e1";
    TextParser parser(text.data(), text.size());
    int32_t number = 5;
    EXPECT_TRUE(parser.ReadInt(number));
    EXPECT_EQ(number, 0);
    bool flag = false;
    EXPECT_TRUE(parser.ReadBool(flag));
    EXPECT_TRUE(flag);
    float real = 0;
    EXPECT_TRUE(parser.ReadFloat(real));
    EXPECT_FLOAT_EQ(real, -25.0f);
    real = 3;
    flag = true;
    number = 4;
    EXPECT_FALSE(parser.ReadFloat(real));
    EXPECT_FALSE(parser.ReadBool(flag));
    EXPECT_FALSE(parser.ReadInt(number));
    EXPECT_EQ(real, 0.0f);
    EXPECT_FALSE(flag);
    EXPECT_EQ(number, 0);
}

TEST(TextParserTyped, ExpectTokenConsumesEitherWay)
{
    std::string text = "\n  menutype Other x";
    TextParser parser(text.data(), text.size());
    EXPECT_TRUE(parser.ExpectToken("MenuType"));
    EXPECT_FALSE(parser.ExpectToken("MenuType"));
    EXPECT_EQ(parser.ReadString(), "x");
}

TEST(TextParserEnd, ByteFFEndsEightBitTextWhereAValueWouldBegin)
{
    std::string text = "a b\xFF" " \xFF c";
    TextParser parser(text.data(), text.size());
    EXPECT_EQ(parser.ReadString(), "a");
    EXPECT_EQ(parser.ReadString(), "b\xFF");
    EXPECT_TRUE(TextParserDrained(parser));
    EXPECT_EQ(parser.ReadString(), "");
}

TEST(TextParserEnd, EmptyAndNullTextsFindNothing)
{
    TextParser none(nullptr, 12);
    EXPECT_TRUE(TextParserDrained(none));
    EXPECT_EQ(none.GetInt(), 0);
    std::string nul("x\0y", 3);
    EXPECT_EQ(AllTokens(nul), (std::vector<std::string>{"x", "y"}));
}
