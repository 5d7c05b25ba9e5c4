// TextParser -- reads blank-separated values from an in-memory text (8-bit or UTF-16 LE).
#pragma once

#include "core/BaseClass.h"
#include "core/StringUtil.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// A value read where it lies: a view of the text's own bytes when it stands there as read
// (8-bit, no escape), else of the parser's own copy; either holds until the parser's next read.
struct ParsedToken {
    std::string_view text;
    // Written in quotes: never a keyword or a brace, whatever it holds.
    bool quoted = false;
    // Where the read began and where the value begins, in characters.
    size_t from = 0;
    size_t start = 0;
};

// Every read takes "may cross line ends": when clear, a line end met before any value
// ends the read with no value and is not consumed.
class TextParser : public BaseClass {
public:
    // The text is not copied: it must outlive the parser. UTF-16 LE is recognised by FF FE.
    TextParser(const void* bytes, size_t byteCount);

    bool ParseValue(WString& out, bool mayCrossLines);
    bool NextToken(std::string& out, bool mayCrossLines = true);
    bool NextToken(ParsedToken& out, bool mayCrossLines = true);
    // The blanks and tabs between the read before the token and its value, comments left out; for
    // readers that keep a line's spacing as written. Holds as long as the token does.
    std::string_view BlanksBefore(const ParsedToken& token);
    // The next read starts again where the token's read began: for a reader that took one token
    // too many and leaves it to the next.
    void PutBack(const ParsedToken& token);
    bool ExpectToken(std::string_view word);
    std::string ReadString(bool mayCrossLines = true);
    // Store 0 / 0.0 / false and return false when no value is found.
    bool ReadInt(int32_t& out, bool mayCrossLines = true);
    bool ReadFloat(float& out, bool mayCrossLines = true);
    bool ReadBool(bool& out, bool mayCrossLines = true);
    int32_t GetInt(bool mayCrossLines = true);
    float GetFloat(bool mayCrossLines = true);
    bool GetBool(bool mayCrossLines = true);
    // Two numbers; the second must stand on the first one's line. A missing one is 0;
    // the result says whether both were found.
    bool GetVector2(float& x, float& y, bool mayCrossLines = true);
    bool IsWide() const { return wide; }
    // Skips what is left of the current line, line end included.
    void SkipLine();
    // The line the next read starts on, from 1; for log lines about a file's faults. Counted on
    // from the last answer, so asking as the reading goes costs one pass over the text.
    int32_t GetLineNumber() const;

private:
    enum class Stop { kValue, kLineEnd, kEnd };

    char16_t At(size_t index) const;
    size_t SkipSeparators(size_t position, bool mayCrossLines, Stop& stop) const;
    size_t SkipComment(size_t position, bool& crossedLine) const;
    bool IsCommentStart(size_t position) const;
    bool TakePlainView(std::string_view& out);
    bool StartValue(bool mayCrossLines);
    template <class Text>
    void TakeValue(Text& out);
    template <class Text>
    bool ReadValue(Text& out, bool mayCrossLines);

    const uint8_t* text = nullptr; // first character, past any byte-order mark
    size_t length = 0;             // in characters
    size_t cursor = 0;
    bool wide = false;
    // The values that cannot be views of the text, copied out for the token reads.
    std::string valueCopy;
    std::string blanksCopy;
    mutable size_t countedTo = 0;
    mutable int32_t countedLines = 1;
};
