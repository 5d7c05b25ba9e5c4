// ColorCode -- the five-character inline text codes: a caret, a letter (c colour, f font, l stop reading codes), three digits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

constexpr size_t kColorCodeLength = 5;

// "^c" and the colour index in three digits ("%c%c%03d"): "^c008", "^c145".
std::string MakeColorCode(int32_t colorIndex);
// The same form with another letter, such as the score colour "^f006".
std::string MakeInlineCode(char letter, int32_t number);

// True when a whole code starts at the position (fewer than five characters left is no code):
// a caret, any ASCII letter and three digits. Codes of letters other than 'c', 'f' and 'l' do
// nothing but are still codes, never drawn or measured. letter and number (the three digits
// read as decimal) are set only for a code.
bool ParseColorCode(std::string_view text, size_t position, char& letter, int32_t& number);
bool ParseColorCodeW(std::u16string_view text, size_t position, char& letter, int32_t& number);

// Removes, in place, every code that ParseColorCode accepts.
void StripColorCodes(std::string& text);
// Replaces, in place, every colour code ("^c") by what the function makes of its number; the
// codes of other letters stay.
void ReplaceColorCodes(std::string& text, const std::function<std::string(int32_t)>& replacement);
