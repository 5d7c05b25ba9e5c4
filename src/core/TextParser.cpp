// TextParser -- reads blank-separated values from an in-memory text (8-bit or UTF-16 LE).
#include "core/TextParser.h"

#include <algorithm>
#include <array>
#include <type_traits>

namespace {

bool IsLineEnd(char16_t c)
{
    return c == '\n' || c == '\r';
}

bool IsBlank(char16_t c)
{
    // A NUL counts as a blank so that a buffer handed over with its terminator reads cleanly.
    return c == ' ' || c == '\t' || c == 0;
}

// The code-page-1252 typographic quotes and their Unicode forms open and close values too.
bool IsQuote(char16_t c)
{
    return c == '"' || c == 0x93 || c == 0x94 || c == 0x201C || c == 0x201D;
}

// What an 8-bit byte can end or start, for the loops that walk plain text a byte at a time.
enum ByteClass : uint8_t { kByteOther = 0, kByteBlank = 1, kByteLineEnd = 2, kByteSlash = 4, kByteQuote = 8, kByteEscape = 16 };

constexpr std::array<uint8_t, 256> MakeByteClasses()
{
    std::array<uint8_t, 256> classes{};
    classes[' '] = classes['\t'] = classes[0] = kByteBlank;
    classes['\n'] = classes['\r'] = kByteLineEnd;
    classes['/'] = kByteSlash;
    classes['"'] = classes[0x93] = classes[0x94] = kByteQuote;
    classes['\\'] = kByteEscape;
    return classes;
}

constexpr std::array<uint8_t, 256> kByteClasses = MakeByteClasses();

void Append(WString& out, char16_t c)
{
    out.push_back(c);
}

void Append(std::string& out, char16_t c)
{
    out.push_back(c > 0xFF ? '?' : static_cast<char>(c));
}

} // namespace

TextParser::TextParser(const void* bytes, size_t byteCount)
    : text(static_cast<const uint8_t*>(bytes)), length(bytes ? byteCount : 0)
{
    if (length >= 2 && text[0] == 0xFF && text[1] == 0xFE) {
        wide = true;
        text += 2;
        length = (length - 2) / 2;
    }
}

char16_t TextParser::At(size_t index) const
{
    if (wide)
        return static_cast<char16_t>(text[index * 2] | (text[index * 2 + 1] << 8));
    return text[index];
}

bool TextParser::IsCommentStart(size_t position) const
{
    if (position + 1 >= length || At(position) != '/')
        return false;
    char16_t next = At(position + 1);
    return next == '/' || next == '*';
}

// Returns the position after the comment at position; an unclosed block comment runs to
// the end of the text. A line comment stops before its line end.
size_t TextParser::SkipComment(size_t position, bool& crossedLine) const
{
    crossedLine = false;
    if (At(position + 1) == '/') {
        while (position < length && !IsLineEnd(At(position)))
            ++position;
        return position;
    }
    for (position += 2; position < length; ++position) {
        char16_t c = At(position);
        if (c == '*' && position + 1 < length && At(position + 1) == '/')
            return position + 2;
        crossedLine = crossedLine || IsLineEnd(c);
    }
    return length;
}

size_t TextParser::SkipSeparators(size_t position, bool mayCrossLines, Stop& stop) const
{
    uint8_t skipped = mayCrossLines ? kByteBlank | kByteLineEnd : kByteBlank;
    while (position < length) {
        if (!wide && (kByteClasses[text[position]] & skipped)) {
            ++position;
            continue;
        }
        char16_t c = At(position);
        if (IsBlank(c)) {
            ++position;
        } else if (IsLineEnd(c)) {
            if (!mayCrossLines) {
                stop = Stop::kLineEnd;
                return position;
            }
            ++position;
        } else if (IsCommentStart(position)) {
            bool crossedLine = false;
            size_t after = SkipComment(position, crossedLine);
            // A block comment holding a line end is a line end for a same-line read.
            if (crossedLine && !mayCrossLines) {
                stop = Stop::kLineEnd;
                return position;
            }
            position = after;
        } else if (!wide && c == 0xFF) {
            // An 8-bit text ends at a 0xFF byte where a value would begin.
            stop = Stop::kEnd;
            return length;
        } else {
            stop = Stop::kValue;
            return position;
        }
    }
    stop = Stop::kEnd;
    return length;
}

bool TextParser::StartValue(bool mayCrossLines)
{
    Stop stop = Stop::kEnd;
    cursor = SkipSeparators(cursor, mayCrossLines, stop);
    return stop == Stop::kValue;
}

// An 8-bit value with no escape in it is its bytes as they stand: it is read as a view of them,
// and a string made of it is made in one piece instead of a character at a time.
bool TextParser::TakePlainView(std::string_view& out)
{
    if (wide)
        return false;
    const char* bytes = reinterpret_cast<const char*>(text);
    size_t end = cursor;
    if (!IsQuote(At(cursor))) {
        for (; end < length; ++end) {
            uint8_t kind = kByteClasses[text[end]];
            if ((kind & (kByteBlank | kByteLineEnd)) || (kind == kByteSlash && IsCommentStart(end)))
                break;
        }
        out = {bytes + cursor, end - cursor};
        cursor = end;
        return true;
    }
    for (++end; end < length; ++end) {
        uint8_t kind = kByteClasses[text[end]];
        if (kind & (kByteLineEnd | kByteQuote))
            break;
        if (kind == kByteEscape && end + 1 < length && IsQuote(At(end + 1)))
            return false;
    }
    out = {bytes + cursor + 1, end - cursor - 1};
    // The closing quote is taken; a line end stays for the next read.
    cursor = end < length && IsQuote(At(end)) ? end + 1 : end;
    return true;
}

template <class Text>
void TextParser::TakeValue(Text& out)
{
    if constexpr (std::is_same_v<Text, std::string>) {
        std::string_view plain;
        if (TakePlainView(plain)) {
            out.assign(plain);
            return;
        }
    }
    if (!IsQuote(At(cursor))) {
        while (cursor < length) {
            char16_t c = At(cursor);
            if (IsBlank(c) || IsLineEnd(c) || IsCommentStart(cursor))
                return;
            Append(out, c);
            ++cursor;
        }
        return;
    }
    // An unclosed quote ends at the line end, which stays for the next read.
    for (++cursor; cursor < length; ++cursor) {
        char16_t c = At(cursor);
        if (IsLineEnd(c))
            return;
        if (IsQuote(c)) {
            ++cursor;
            return;
        }
        if (c == '\\' && cursor + 1 < length && IsQuote(At(cursor + 1)))
            c = At(++cursor);
        Append(out, c);
    }
}

template <class Text>
bool TextParser::ReadValue(Text& out, bool mayCrossLines)
{
    out.clear();
    if (!StartValue(mayCrossLines))
        return false;
    TakeValue(out);
    return true;
}

bool TextParser::ParseValue(WString& out, bool mayCrossLines)
{
    return ReadValue(out, mayCrossLines);
}

bool TextParser::NextToken(std::string& out, bool mayCrossLines)
{
    return ReadValue(out, mayCrossLines);
}

bool TextParser::NextToken(ParsedToken& out, bool mayCrossLines)
{
    out = ParsedToken{};
    out.from = cursor;
    if (!StartValue(mayCrossLines))
        return false;
    out.start = cursor;
    out.quoted = IsQuote(At(cursor));
    if (!TakePlainView(out.text)) {
        // Mended: the copy was appended to, so the tokens of a UTF-16 text ran together.
        valueCopy.clear();
        TakeValue(valueCopy);
        out.text = valueCopy;
    }
    return true;
}

void TextParser::PutBack(const ParsedToken& token)
{
    cursor = std::min(token.from, length);
}

std::string_view TextParser::BlanksBefore(const ParsedToken& token)
{
    size_t from = token.from;
    size_t to = std::min(token.start, length);
    // Most often the gap is blanks alone, which the text holds as they are.
    if (!wide && std::all_of(text + from, text + to, [](uint8_t c) { return c == ' ' || c == '\t'; }))
        return {reinterpret_cast<const char*>(text) + from, to - from};
    blanksCopy.clear();
    while (from < to) {
        if (IsCommentStart(from)) {
            bool crossedLine = false;
            from = SkipComment(from, crossedLine);
            continue;
        }
        char16_t c = At(from++);
        if (c == ' ' || c == '\t')
            blanksCopy.push_back(static_cast<char>(c));
    }
    return blanksCopy;
}

bool TextParser::ExpectToken(std::string_view word)
{
    std::string token;
    return NextToken(token, true) && StringEqualsNoCase(token, word);
}

std::string TextParser::ReadString(bool mayCrossLines)
{
    std::string token;
    NextToken(token, mayCrossLines);
    return token;
}

bool TextParser::ReadInt(int32_t& out, bool mayCrossLines)
{
    std::string token;
    bool found = NextToken(token, mayCrossLines);
    out = found ? ParseInt(token) : 0;
    return found;
}

bool TextParser::ReadFloat(float& out, bool mayCrossLines)
{
    std::string token;
    bool found = NextToken(token, mayCrossLines);
    out = found ? ParseFloat(token) : 0.0f;
    return found;
}

bool TextParser::ReadBool(bool& out, bool mayCrossLines)
{
    int32_t value = 0;
    bool found = ReadInt(value, mayCrossLines);
    out = value != 0;
    return found;
}

int32_t TextParser::GetInt(bool mayCrossLines)
{
    int32_t value = 0;
    ReadInt(value, mayCrossLines);
    return value;
}

float TextParser::GetFloat(bool mayCrossLines)
{
    float value = 0.0f;
    ReadFloat(value, mayCrossLines);
    return value;
}

bool TextParser::GetBool(bool mayCrossLines)
{
    bool value = false;
    ReadBool(value, mayCrossLines);
    return value;
}

bool TextParser::GetVector2(float& x, float& y, bool mayCrossLines)
{
    bool first = ReadFloat(x, mayCrossLines);
    bool second = ReadFloat(y, false);
    return first && second;
}

void TextParser::SkipLine()
{
    while (cursor < length && !IsLineEnd(At(cursor)))
        ++cursor;
    if (cursor < length && At(cursor) == '\r')
        ++cursor;
    if (cursor < length && At(cursor) == '\n')
        ++cursor;
}

int32_t TextParser::GetLineNumber() const
{
    if (cursor < countedTo) {
        countedTo = 0;
        countedLines = 1;
    }
    for (; countedTo < cursor && countedTo < length; ++countedTo)
        if (At(countedTo) == '\n')
            ++countedLines;
    return countedLines;
}
