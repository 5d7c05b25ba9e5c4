// StringUtil -- text, path and number helpers shared by every subsystem (C locale, case-blind where named).
#include "core/StringUtil.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr size_t kFormatBufferBytes = 1024;

char StringUtilLowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string FormatV(const char* format, va_list args)
{
    char buffer[kFormatBufferBytes];
    int written = vsnprintf(buffer, sizeof buffer, format, args);
    if (written < 0)
        return std::string();
    return std::string(buffer);
}

size_t SkipBlanks(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n'))
        ++i;
    return i;
}

} // namespace

std::string StringFormat(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string result = FormatV(format, args);
    va_end(args);
    return result;
}

void StringAssignFormat(std::string& out, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    out = FormatV(format, args);
    va_end(args);
}

void StringAppendFormat(std::string& out, const char* format, ...)
{
    // Straight from the stack buffer: a text built every frame grows in its own room only.
    char buffer[kFormatBufferBytes];
    va_list args;
    va_start(args, format);
    int written = vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (written > 0)
        out.append(buffer, std::min(static_cast<size_t>(written), sizeof buffer - 1));
}

std::string StringRightFrom(std::string_view text, int position)
{
    if (position < 0 || static_cast<size_t>(position) >= text.size())
        return std::string();
    return std::string(text.substr(static_cast<size_t>(position)));
}

void StringBackslashesToSlashes(std::string& text)
{
    for (char& c : text)
        if (c == '\\')
            c = '/';
}

void StringReplaceAll(std::string& text, std::string_view search, std::string_view replacement)
{
    if (search.empty())
        return;
    for (size_t at = text.find(search); at != std::string::npos; at = text.find(search, at + replacement.size()))
        text.replace(at, search.size(), replacement);
}

void StringExpandNewlines(std::string& text)
{
    size_t out = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            text[out++] = '\n';
            ++i;
        } else {
            text[out++] = text[i];
        }
    }
    text.resize(out);
}

std::string StripLocMarkers(std::string_view text)
{
    std::string result(text);
    StringReplaceAll(result, "$$", "");
    return result;
}

bool StringIsNumber(std::string_view text)
{
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (text.empty())
        return false;
    if (isDigit(text[0]))
        return true;
    return text.size() >= 2 && (text[0] == '-' || text[0] == '+') && isDigit(text[1]);
}

std::string StringToLower(std::string_view text)
{
    std::string result(text);
    StringToLowerInPlace(result);
    return result;
}

void StringToLowerInPlace(std::string& text)
{
    for (char& c : text)
        c = StringUtilLowerAscii(c);
}

int StringCompareNoCase(std::string_view a, std::string_view b)
{
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        unsigned char ca = static_cast<unsigned char>(StringUtilLowerAscii(a[i]));
        unsigned char cb = static_cast<unsigned char>(StringUtilLowerAscii(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool StringEqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && StringCompareNoCase(a, b) == 0;
}

bool StringStartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && StringEqualsNoCase(text.substr(0, prefix.size()), prefix);
}

bool StringEndsWithNoCase(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && StringEqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

bool ContainsNoCase(std::string_view text, std::string_view part)
{
    if (part.size() > text.size())
        return false;
    for (size_t at = 0; at + part.size() <= text.size(); ++at) {
        if (StringEqualsNoCase(text.substr(at, part.size()), part))
            return true;
    }
    return false;
}

int32_t HashString(std::string_view text)
{
    int32_t sum = 0;
    for (char c : text)
        sum += static_cast<signed char>(c);
    return sum;
}

uint32_t HashStringNoCase(std::string_view text)
{
    uint32_t sum = 0;
    for (char c : text)
        sum += static_cast<uint32_t>(static_cast<signed char>(StringUtilLowerAscii(c)));
    return sum;
}

std::string WideToNarrow(std::u16string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (char16_t unit : text)
        result.push_back(unit > 0xFF ? '?' : static_cast<char>(unit));
    return result;
}

WString NarrowToWide(std::string_view text)
{
    WString result;
    NarrowToWide(text, result);
    return result;
}

void NarrowToWide(std::string_view text, WString& out)
{
    out.resize(text.size());
    for (size_t i = 0; i < text.size(); ++i)
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(text[i]));
}

void WStringExpandNewlines(WString& text)
{
    size_t out = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\' && i + 1 < text.size() && text[i + 1] == u'n') {
            text[out++] = u'\n';
            ++i;
        } else {
            text[out++] = text[i];
        }
    }
    text.resize(out);
}

std::string FormatThousands(int32_t value)
{
    // A 64-bit magnitude so that INT32_MIN negates without overflow.
    int64_t magnitude = value < 0 ? -static_cast<int64_t>(value) : value;
    std::string digits = std::to_string(magnitude);
    std::string result;
    int lead = static_cast<int>(digits.size() % 3);
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (static_cast<int>(i) - lead) % 3 == 0)
            result.push_back(',');
        result.push_back(digits[i]);
    }
    return value < 0 ? "-" + result : result;
}

std::string GetPossessiveSuffix(std::string_view name)
{
    if (name.empty())
        return std::string();
    return name.back() == 's' || name.back() == 'S' ? "'" : "'s";
}

std::string MakeLocKey(std::string_view first, std::string_view second)
{
    std::string key = "$$";
    key.append(first);
    key.append(second);
    key.append("$$");
    return key;
}

int32_t ParseInt(std::string_view text)
{
    size_t i = SkipBlanks(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 0x7FFFFFFFLL + 1)
            value = 0x7FFFFFFFLL + 1;
    }
    if (negative)
        value = -value;
    if (value > 0x7FFFFFFFLL)
        value = 0x7FFFFFFFLL;
    return static_cast<int32_t>(value);
}

float ParseFloat(std::string_view text)
{
    // strtof honours the process locale; the engine never changes it from "C".
    std::string copy(text);
    return std::strtof(copy.c_str(), nullptr);
}

bool IsIntegerText(std::string_view text)
{
    size_t i = SkipBlanks(text);
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    size_t digits = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        ++digits;
    return digits > 0 && i == text.size();
}

bool IsNumberText(std::string_view text)
{
    std::string copy(text.substr(SkipBlanks(text)));
    if (copy.empty())
        return false;
    char* end = nullptr;
    std::strtod(copy.c_str(), &end);
    return end != copy.c_str() && *end == '\0';
}

int FindExtensionPos(std::string_view path, int offset)
{
    size_t slash = path.rfind('/');
    size_t start = slash == std::string_view::npos ? 0 : slash + 1;
    size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot < start)
        return -1;
    return static_cast<int>(dot) + offset;
}

void RemoveExtension(std::string& path)
{
    int dot = FindExtensionPos(path, 0);
    if (dot > 0)
        path.erase(static_cast<size_t>(dot));
}

bool StripExtension(std::string& name)
{
    size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return false;
    name.erase(dot);
    return true;
}

std::string FileExtension(std::string_view path)
{
    int first = FindExtensionPos(path, 1);
    if (first < 0)
        return std::string();
    return std::string(path.substr(static_cast<size_t>(first)));
}

void EnsureExtension(std::string& path, std::string_view extension)
{
    if (!StringEqualsNoCase(FileExtension(path), extension)) {
        path.push_back('.');
        path.append(extension);
    }
}

void StripDirectories(std::string& path)
{
    StringToLowerInPlace(path);
    size_t slash = path.rfind('/');
    if (slash != std::string::npos)
        path.erase(0, slash + 1);
}

std::string PathDirectory(std::string_view path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return std::string();
    return StringToLower(path.substr(0, slash));
}
