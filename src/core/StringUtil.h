// StringUtil -- text, path and number helpers shared by every subsystem (C locale, case-blind where named).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Wide text is UTF-16 throughout the engine.
using WString = std::u16string;

// printf-style formatting through a 1024-byte work buffer: at most 1023 characters.
std::string StringFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
void StringAssignFormat(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void StringAppendFormat(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));

std::string StringRightFrom(std::string_view text, int position);
void StringBackslashesToSlashes(std::string& text);
// Every occurrence, left to right; a replacement is never searched again. An empty search changes nothing.
void StringReplaceAll(std::string& text, std::string_view search, std::string_view replacement);
// Every two-character backslash-n becomes a newline.
void StringExpandNewlines(std::string& text);
// A copy with every "$$" removed: a text of localisation keys shown as it stands.
std::string StripLocMarkers(std::string_view text);
// A digit first, or "-" or "+" and then a digit.
bool StringIsNumber(std::string_view text);
std::string StringToLower(std::string_view text);
void StringToLowerInPlace(std::string& text);

// 0 exactly when equal without regard to ASCII case; otherwise the sign of the first difference.
int StringCompareNoCase(std::string_view a, std::string_view b);
bool StringEqualsNoCase(std::string_view a, std::string_view b);
bool StringStartsWithNoCase(std::string_view text, std::string_view prefix);
bool StringEndsWithNoCase(std::string_view text, std::string_view suffix);
// The part occurs in the text, ASCII case ignored; the empty part occurs in every text.
bool ContainsNoCase(std::string_view text, std::string_view part);

// Sum of the characters taken as signed bytes.
int32_t HashString(std::string_view text);
uint32_t HashStringNoCase(std::string_view text);

// A unit above 0xFF has no narrow form and becomes '?'.
std::string WideToNarrow(std::u16string_view text);
WString NarrowToWide(std::string_view text);
// The same into a kept string, whose room is reused.
void NarrowToWide(std::string_view text, WString& out);
void WStringExpandNewlines(WString& text);

std::string FormatThousands(int32_t value);
// "" for an empty name, "'" after a final s or S, else "'s".
std::string GetPossessiveSuffix(std::string_view name);
// "$$" + first + second + "$$": a key built from two parts.
std::string MakeLocKey(std::string_view first, std::string_view second);

// Decimal reading as the C runtime's atoi/atof do: leading blanks, sign, digits; no number gives 0.
int32_t ParseInt(std::string_view text);
float ParseFloat(std::string_view text);
// True when the whole text (after leading blanks) is a decimal number of that kind.
bool IsIntegerText(std::string_view text);
bool IsNumberText(std::string_view text);

// Index of the last '.' after the last '/', plus offset; -1 without one. The last: a file
// named "ui.frame.tga" has the extension "tga", so its shader is "ui.frame.sdr".
int FindExtensionPos(std::string_view path, int offset);
void RemoveExtension(std::string& path);
// Removes the name's last '.' and what follows; false (unchanged) without one.
bool StripExtension(std::string& name);
void EnsureExtension(std::string& path, std::string_view extension);
std::string FileExtension(std::string_view path);
void StripDirectories(std::string& path);
std::string PathDirectory(std::string_view path);
