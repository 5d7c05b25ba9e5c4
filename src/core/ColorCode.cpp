// ColorCode -- the five-character inline text codes: a caret, c (colour), f (font) or l (no more font changes), three digits.
#include "core/ColorCode.h"

#include "core/StringUtil.h"

#include <utility>

namespace {

bool IsCodeLetter(char32_t c)
{
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z');
}

bool IsDigit(char32_t c)
{
    return c >= U'0' && c <= U'9';
}

// Narrow and wide texts are read the same way; a narrow byte above 0x7F never matches.
template <typename Text>
bool ParseCode(Text text, size_t position, char& letter, int32_t& number)
{
    if (position >= text.size() || text.size() - position < kColorCodeLength)
        return false;
    auto at = [&](size_t i) { return static_cast<char32_t>(text[position + i]); };
    if (at(0) != U'^' || !IsCodeLetter(at(1)) || !IsDigit(at(2)) || !IsDigit(at(3)) || !IsDigit(at(4)))
        return false;
    letter = static_cast<char>(at(1));
    number = static_cast<int32_t>((at(2) - U'0') * 100 + (at(3) - U'0') * 10 + (at(4) - U'0'));
    return true;
}

} // namespace

std::string MakeColorCode(int32_t colorIndex)
{
    return MakeInlineCode('c', colorIndex);
}

std::string MakeInlineCode(char letter, int32_t number)
{
    return StringFormat("%c%c%03d", '^', letter, number);
}

bool ParseColorCode(std::string_view text, size_t position, char& letter, int32_t& number)
{
    return ParseCode(text, position, letter, number);
}

bool ParseColorCodeW(std::u16string_view text, size_t position, char& letter, int32_t& number)
{
    return ParseCode(text, position, letter, number);
}

void StripColorCodes(std::string& text)
{
    std::string kept;
    kept.reserve(text.size());
    char letter;
    int32_t number;
    for (size_t i = 0; i < text.size();) {
        if (ParseColorCode(text, i, letter, number)) {
            i += kColorCodeLength;
        } else {
            kept += text[i];
            ++i;
        }
    }
    text = std::move(kept);
}

void ReplaceColorCodes(std::string& text, const std::function<std::string(int32_t)>& replacement)
{
    std::string made;
    made.reserve(text.size());
    char letter;
    int32_t number;
    for (size_t i = 0; i < text.size();) {
        if (ParseColorCode(text, i, letter, number) && letter == 'c') {
            made += replacement(number);
            i += kColorCodeLength;
        } else {
            made += text[i];
            ++i;
        }
    }
    text = std::move(made);
}
