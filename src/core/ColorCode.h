// ColorCode -- the five-character inline text codes: a caret, c (colour), f (font) or l (no more font changes), three digits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

constexpr size_t kColorCodeLength = 5;

// "^c" and the colour index in three digits ("%c%c%03d"): "^c008", "^c145".
std::string MakeColorCode(int32_t colorIndex);
// The same form with another letter, such as the score colour "^f006".
std::string MakeInlineCode(char letter, int32_t number);

// True when a whole code starts at the position (fewer than five characters left is no code);
// then letter is 'c', 'f' or 'l' and number the three digits read as decimal.
bool ParseColorCode(std::string_view text, size_t position, char& letter, int32_t& number);
bool ParseColorCodeW(std::u16string_view text, size_t position, char& letter, int32_t& number);

// Removes, in place, every code that ParseColorCode accepts.
void StripColorCodes(std::string& text);
