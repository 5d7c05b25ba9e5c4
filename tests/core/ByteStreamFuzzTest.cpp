// ByteStreamFuzzTest -- random and damaged bytes through MessageBuffer and TextParser: no crash,
// no read outside the bytes, and every parser loop ends.
#include "core/MessageBuffer.h"
#include "core/TextParser.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> RandomBytes(std::mt19937& random, size_t maxLength)
{
    std::vector<uint8_t> bytes(random() % (maxLength + 1));
    for (uint8_t& byte : bytes)
        byte = static_cast<uint8_t>(random());
    // Small words make counts that look plausible, the interesting case for the list reads.
    if (bytes.size() >= 4 && random() % 2)
        bytes[1] = bytes[2] = bytes[3] = 0;
    return bytes;
}

void ReadAnything(MessageBuffer& buffer, std::mt19937& random)
{
    std::vector<int32_t> ints;
    std::vector<bool> flags;
    std::vector<std::string> texts;
    float x, y, z;
    uint8_t raw[9];
    for (int op = 0; op < 40; ++op) {
        switch (random() % 10) {
        case 0: buffer.ReadInt(); break;
        case 1: buffer.ReadFloat(); break;
        case 2: buffer.ReadDouble(); break;
        case 3: buffer.ReadString(); break;
        case 4: buffer.ReadStringList(texts); break;
        case 5: buffer.ReadIntVector(ints); break;
        case 6: buffer.ReadBoolVector(flags); break;
        case 7: buffer.ReadBytes(raw, random() % sizeof raw); break;
        case 8: buffer.ReadVector3(x, y, z); break;
        default: buffer.ReadVector2(x, y); break;
        }
        ASSERT_LE(buffer.GetReadPos(), buffer.Size());
        if (buffer.Overrun()) {
            ASSERT_EQ(buffer.BytesLeft(), 0u);
        }
    }
}

// Text made mostly of the characters the parser treats specially.
std::string RandomText(std::mt19937& random)
{
    static const char kAlphabet[] = " \t\r\n\"/*\\\x93\x94\xFFxy1.-";
    std::string text;
    if (random() % 4 == 0)
        text = "\xFF\xFE";
    size_t length = random() % 80;
    for (size_t i = 0; i < length; ++i)
        text.push_back(random() % 8 ? kAlphabet[random() % (sizeof kAlphabet - 1)] : static_cast<char>(random()));
    return text;
}

} // namespace

TEST(ByteStreamFuzz, MessageBufferSurvivesRandomBytes)
{
    std::mt19937 random(20240611);
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> bytes = RandomBytes(random, 48);
        MessageBuffer buffer;
        buffer.WriteBytes(bytes.data(), bytes.size());
        ReadAnything(buffer, random);
    }
}

TEST(ByteStreamFuzz, TextParserEndsOnRandomText)
{
    std::mt19937 random(99);
    for (int round = 0; round < 3000; ++round) {
        std::string text = RandomText(random);
        TextParser parser(text.data(), text.size());
        std::string token;
        WString wide;
        float x, y;
        int reads = 0;
        // Every successful read consumes at least one character, so the loop is bounded.
        for (bool more = true; more;) {
            bool crossLines = random() % 2;
            switch (random() % 4) {
            case 0: parser.NextToken(token, crossLines); break;
            case 1: parser.ParseValue(wide, crossLines); break;
            case 2: parser.GetVector2(x, y, crossLines); break;
            default: parser.SkipLine(); break;
            }
            more = parser.NextToken(token, true);
            ASSERT_LE(++reads, static_cast<int>(text.size()) + 1) << round;
        }
        EXPECT_FALSE(parser.NextToken(token, true));
    }
}
