// LocSystem -- the loaded language: "$$Key$$" token translation, plural/rank/article rules, code page and keyboard maps.
#include "core/LocSystem.h"

#include "core/ColorCode.h"

#include "core/DebugSystem.h"
#include "core/FileSystem.h"
#include "core/NoCaseHash.h"
#include "core/TextParser.h"
#include "core/UserVarSystem.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <type_traits>
#include <unordered_map>

LocSystem* gLocSystem = nullptr;

namespace {

constexpr const char* kCodePagePath = "Loc/codePageToUnicode.map";
constexpr const char* kLayoutPath = "Loc/layout.loc";
constexpr const char* kKeyNamesPath = "Loc/keyNames.loc";
constexpr const char* kDefaultLanguage = "English";
// Keys are database-style names; the bound keeps a stray "$$" in prose from scanning far.
constexpr size_t kMaxKeyLength = 128;
// A literal comes from one work buffer, every character possibly escaped.
constexpr size_t kMaxLiteralLength = 2 * kLocWorkBufferBytes + 8;
// Argument lists nested deeper than this are shown as they stand.
constexpr size_t kMaxDepth = 32;
// A translation that keeps expanding is stopped here rather than allowed to eat memory.
constexpr size_t kMaxTextLength = 1 << 16;
constexpr size_t kMaxKeyboardTypes = 64;
constexpr size_t kMaxLanguageNameLength = 64;

// Set while the pass-limit line is printed, so that the log's own translation of that
// line does not run into the same limit and report it a second time.
thread_local bool tReporting = false;

// Decimal, or hexadecimal after "0x"; the whole token must be the number.
bool ParseNumber(std::string_view text, int& out)
{
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    if (text.empty())
        return false;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out, base);
    return error == std::errc() && end == text.data() + text.size();
}

bool IsWideText(const FileBuffer& file)
{
    return file.Size() >= 2 && file.Data()[0] == 0xFF && file.Data()[1] == 0xFE;
}

FileBuffer LoadLocFile(const std::string& path)
{
    if (!gFileSystem) {
        DebugSystem::Print(kPrintError, "Couldn't read %s: no file system\n", path.c_str());
        return {};
    }
    FileBuffer file = gFileSystem->LoadWholeFile(path);
    if (!file.IsValid())
        DebugSystem::Print(kPrintWarning, "Couldn't find %s\n", path.c_str());
    return file;
}

bool IsValidLanguageName(std::string_view name)
{
    if (name.empty() || name.size() > kMaxLanguageNameLength)
        return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-';
    });
}

// ---- Token scanning, shared by the narrow and the wide texts ----

template <typename Char>
using View = std::basic_string_view<Char>;
template <typename Char>
using String = std::basic_string<Char>;

template <typename Char>
bool IsAt(View<Char> text, size_t i, char a, char b)
{
    return i + 1 < text.size() && text[i] == static_cast<Char>(a) && text[i + 1] == static_cast<Char>(b);
}

template <typename Char>
bool IsKeyChar(Char c)
{
    auto unit = static_cast<std::make_unsigned_t<Char>>(c);
    return unit > ' ' && unit != 0x7F && unit != '$' && unit != '@' && unit != '~';
}

template <typename Char>
void AppendAscii(String<Char>& out, const char* text)
{
    for (; *text; ++text)
        out.push_back(static_cast<Char>(*text));
}

// The end of the literal token ("$$\"" ... "\"$$") that starts at i; 0 when none does.
template <typename Char>
size_t LiteralEnd(View<Char> text, size_t i)
{
    if (!IsAt(text, i, '$', '$') || i + 2 >= text.size() || text[i + 2] != static_cast<Char>('"'))
        return 0;
    size_t limit = std::min(text.size(), i + kMaxLiteralLength);
    for (size_t j = i + 3; j < limit; ++j) {
        if (text[j] == static_cast<Char>('\\'))
            ++j;
        else if (text[j] == static_cast<Char>('"') && IsAt(text, j + 1, '$', '$'))
            return j + 3;
    }
    return 0;
}

template <typename Char>
void AppendLiteralContent(String<Char>& out, View<Char> token)
{
    for (size_t j = 3; j + 3 < token.size(); ++j) {
        if (token[j] == static_cast<Char>('\\'))
            ++j;
        out.push_back(token[j]);
    }
}

template <typename Char>
String<Char> UnwrapLiterals(String<Char> text)
{
    static constexpr Char kMarker[] = {'$', '$', '"', 0};
    if (text.find(kMarker) == String<Char>::npos)
        return text;
    View<Char> view(text);
    String<Char> out;
    for (size_t i = 0; i < view.size();) {
        if (size_t end = LiteralEnd(view, i)) {
            AppendLiteralContent(out, view.substr(i, end - i));
            i = end;
        } else {
            out.push_back(view[i++]);
        }
    }
    return out;
}

enum class TokenStart { kNone, kPlain, kArguments };

// At a "$$": a plain token "$$Key$$", or the head "$$Key~<" of a token with arguments.
template <typename Char>
TokenStart MatchTokenStart(View<Char> text, size_t i, View<Char>& key, size_t& after)
{
    size_t begin = i + 2;
    size_t limit = std::min(text.size(), begin + kMaxKeyLength);
    size_t end = begin;
    while (end < limit && IsKeyChar(text[end]))
        ++end;
    key = text.substr(begin, end - begin);
    after = end + 2;
    if (end > begin && IsAt(text, end, '$', '$'))
        return TokenStart::kPlain;
    // A token of no key ("$$~<200@@BonusBigPain@@>~$$", a bonus's score and name) carries its words alone.
    if (IsAt(text, end, '~', '<'))
        return TokenStart::kArguments;
    return TokenStart::kNone;
}

template <typename Char>
std::string NarrowForLog(View<Char> text)
{
    if constexpr (std::is_same_v<Char, char>)
        return std::string(text);
    else
        return WideToNarrow(text);
}

// One left-to-right pass over a text. Open argument lists stand on a stack, so a token
// inside an argument ("$$A~<$$B$$@@>~$$") is matched by its own brackets rather than by
// pairing "$$" marks, and every pass is linear in the length of the text.
template <typename Char, typename Finder>
class TranslationPass {
public:
    TranslationPass(View<Char> text, const Finder& find) : text(text), find(find) {}

    // False when the result grew past kMaxTextLength.
    bool Run(String<Char>& out, bool& replaced)
    {
        out.clear();
        top = &out;
        replacedAny = false;
        for (size_t i = 0; i < text.size();) {
            if (!StepMarker(i))
                Sink().push_back(text[i++]);
            if (Sink().size() > kMaxTextLength)
                return false;
        }
        while (!frames.empty())
            FlattenTopFrame();
        replaced = replacedAny;
        return out.size() <= kMaxTextLength;
    }

private:
    struct Frame {
        View<Char> key;
        std::vector<String<Char>> arguments;
        String<Char> current;
    };

    String<Char>& Sink() { return frames.empty() ? *top : frames.back().current; }

    bool StepMarker(size_t& i)
    {
        if (IsAt(text, i, '$', '$'))
            return StepToken(i);
        if (frames.empty())
            return false;
        Frame& frame = frames.back();
        if (IsAt(text, i, '@', '@')) {
            frame.arguments.push_back(std::move(frame.current));
            frame.current.clear();
            i += 2;
            return true;
        }
        if (IsAt(text, i, '>', '~') && IsAt(text, i + 2, '$', '$')) {
            Frame closed = std::move(frame);
            frames.pop_back();
            // A list whose last argument lacks its "@@" still counts that argument.
            if (!closed.current.empty())
                closed.arguments.push_back(std::move(closed.current));
            Render(closed.key, closed.arguments);
            i += 4;
            return true;
        }
        return false;
    }

    bool StepToken(size_t& i)
    {
        if (size_t end = LiteralEnd(text, i)) {
            // Literals stay wrapped until the last pass so no later pass reads into them.
            Sink().append(text.substr(i, end - i));
            i = end;
            return true;
        }
        View<Char> key;
        size_t after = 0;
        TokenStart start = MatchTokenStart(text, i, key, after);
        if (start == TokenStart::kPlain) {
            Render(key, {});
            i = after;
            return true;
        }
        if (start == TokenStart::kArguments && frames.size() < kMaxDepth) {
            frames.push_back(Frame{key, {}, {}});
            i = after;
            return true;
        }
        return false;
    }

    void Render(View<Char> key, const std::vector<String<Char>>& arguments)
    {
        replacedAny = true;
        String<Char>& out = Sink();
        if (key.empty()) {
            RenderWords(out, arguments);
            return;
        }
        const String<Char>* translation = find(key);
        if (!translation) {
            out.append(key);
            for (const String<Char>& argument : arguments) {
                out.push_back(static_cast<Char>(' '));
                out.append(argument);
            }
            return;
        }
        const String<Char>& source = *translation;
        for (size_t k = 0; k < source.size(); ++k) {
            bool placeholder = source[k] == static_cast<Char>('%') && k + 1 < source.size()
                && source[k + 1] >= static_cast<Char>('1') && source[k + 1] <= static_cast<Char>('9');
            if (!placeholder) {
                out.push_back(source[k]);
                continue;
            }
            size_t index = static_cast<size_t>(source[++k] - static_cast<Char>('1'));
            if (index < arguments.size())
                out.append(arguments[index]);
        }
    }

    // The words of a token of no key, one after another, each word that names a key of the
    // language as the language words it: the client's words for a bonus's name.
    void RenderWords(String<Char>& out, const std::vector<String<Char>>& words)
    {
        for (size_t n = 0; n < words.size(); ++n) {
            if (n > 0)
                out.push_back(static_cast<Char>(' '));
            const String<Char>* word = find(View<Char>(words[n]));
            out.append(word ? *word : words[n]);
        }
    }

    // An argument list never closed is shown as written, its inner tokens translated.
    void FlattenTopFrame()
    {
        Frame frame = std::move(frames.back());
        frames.pop_back();
        String<Char>& out = Sink();
        AppendAscii(out, "$$");
        out.append(frame.key);
        AppendAscii(out, "~<");
        for (const String<Char>& argument : frame.arguments) {
            out.append(argument);
            AppendAscii(out, "@@");
        }
        out.append(frame.current);
    }

    View<Char> text;
    const Finder& find;
    std::vector<Frame> frames;
    String<Char>* top = nullptr;
    bool replacedAny = false;
};

} // namespace

// ---- Tokens ----

namespace {

// A token's list: "~<" + the format with every blank turned into "@@" + "@@>~", filled into out
// (room bytes, at least 8). A list cut by the room is closed again, so that the token still
// reads as one. Its length.
size_t LocFillList(char* out, size_t room, const char* format, va_list args)
{
    char list[kLocWorkBufferBytes];
    size_t used = 0;
    auto put = [&](const char* text) {
        for (; *text && used + 1 < sizeof list; ++text)
            list[used++] = *text;
    };
    put("~<");
    for (const char* c = format; *c; ++c) {
        char one[2] = {*c, '\0'};
        put(*c == ' ' ? "@@" : one);
    }
    put("@@>~");
    // A format too long for the work buffer is the code's own mistake: it gets an empty list
    // rather than a cut directive.
    if (used + 1 >= sizeof list)
        used = std::snprintf(list, sizeof list, "~<@@>~");
    list[used] = '\0';
    int written = std::vsnprintf(out, room, list, args);
    if (written < 0)
        return static_cast<size_t>(std::snprintf(out, room, "~<@@>~"));
    if (static_cast<size_t>(written) < room)
        return static_cast<size_t>(written);
    std::memcpy(out + room - 5, "@@>~", 4);
    return room - 1;
}

} // namespace

std::string MakeLocToken(std::string_view key, const char* format, ...)
{
    std::string token = "$$";
    token += key;
    if (format) {
        char filled[kLocWorkBufferBytes];
        va_list args;
        va_start(args, format);
        token.append(filled, LocFillList(filled, sizeof filled, format, args));
        va_end(args);
    }
    token += "$$";
    return token;
}

size_t WriteLocToken(char* out, size_t size, std::string_view key, const char* format, ...)
{
    constexpr size_t kClose = 2;
    constexpr size_t kLeastList = 8;
    if (size < 2 + key.size() + kClose + 1 + (format ? kLeastList : 0)) {
        if (size > 0)
            out[0] = '\0';
        return 0;
    }
    size_t used = static_cast<size_t>(std::snprintf(out, size, "$$%.*s", static_cast<int>(key.size()), key.data()));
    if (format) {
        va_list args;
        va_start(args, format);
        used += LocFillList(out + used, size - used - kClose, format, args);
        va_end(args);
    }
    std::memcpy(out + used, "$$", kClose + 1);
    return used + kClose;
}

std::string FormatLiteralToken(const char* format, ...)
{
    char buffer[kLocWorkBufferBytes];
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    std::string token = "$$\"";
    for (const char* c = buffer; *c; ++c) {
        if (*c == '\\' || *c == '$')
            token += '\\';
        token += *c;
    }
    token += "\"$$";
    return token;
}

// ---- The language's texts ----

struct LocSystem::Texts {
    struct Entry {
        WString wide;
        std::string narrow; // in the code page, for the narrow translation
    };
    std::unordered_map<std::string, Entry, NoCaseHash, NoCaseEqual> byKey;

    const Entry* Find(std::string_view key) const
    {
        auto found = byKey.find(key);
        return found == byKey.end() ? nullptr : &found->second;
    }
};

LocSystem::LocSystem()
{
    Reset();
}

LocSystem::~LocSystem()
{
    // The log outlives this system; it must not call a translator that is gone.
    if (logTarget && logTarget == gDebugSystem)
        logTarget->SetTranslator(nullptr);
    if (gLocSystem == this)
        gLocSystem = nullptr;
}

void LocSystem::InstallLogTranslator(DebugSystem& debug)
{
    logTarget = &debug;
    debug.SetTranslator([this](const std::string& line) { return Translate(line); });
}

bool LocSystem::HasText(std::string_view key) const
{
    return FindText(key) != nullptr;
}

int LocSystem::GetTextCount() const
{
    return static_cast<int>(texts->byKey.size());
}

const std::string* LocSystem::FindText(std::string_view key) const
{
    const Texts::Entry* entry = texts->Find(key);
    return entry ? &entry->narrow : nullptr;
}

const WString* LocSystem::FindText(std::u16string_view key) const
{
    const Texts::Entry* entry = texts->Find(WideToNarrow(key));
    return entry ? &entry->wide : nullptr;
}

template <typename Char>
std::basic_string<Char> LocSystem::TranslateText(std::basic_string_view<Char> text) const
{
    static constexpr Char kMarker[] = {'$', '$', 0};
    if (tReporting || text.find(kMarker) == View<Char>::npos)
        return String<Char>(text);
    auto find = [this](View<Char> key) { return FindText(key); };
    String<Char> current(text);
    String<Char> next;
    // Pass kMaxPasses only looks whether a token is left over.
    for (int pass = 0; pass <= kMaxPasses; ++pass) {
        bool replaced = false;
        bool fits = TranslationPass<Char, decltype(find)>(current, find).Run(next, replaced);
        if (fits && !replaced)
            break;
        if (!fits || pass == kMaxPasses) {
            ReportTooManyPasses(View<Char>(current));
            break;
        }
        current.swap(next);
    }
    return UnwrapLiterals(std::move(current));
}

template <typename Char>
void LocSystem::ReportTooManyPasses(std::basic_string_view<Char> text) const
{
    tReporting = true;
    DebugSystem::Print(kPrintWarning, "Too many translation passes on %s!\n", NarrowForLog(text).c_str());
    tReporting = false;
}

std::string LocSystem::Translate(std::string_view text) const
{
    return TranslateText(text);
}

WString LocSystem::Translate(std::u16string_view text) const
{
    return TranslateText(text);
}

WString LocSystem::TranslateToWide(std::string_view text) const
{
    WString wide;
    wide.reserve(text.size());
    for (char c : text)
        wide.push_back(codePage[static_cast<uint8_t>(c)]);
    return TranslateText(std::u16string_view(wide));
}

// ---- Plural, rank and article ----

const char* LocSystem::GetPluralEnding(int count) const
{
    return addPluralEnding && count > 1 ? "s" : "";
}

const char* LocSystem::GetRankEnding(int number) const
{
    // By the last two digits: 11 to 13 and 111 to 113 take "th", while 21 and 101 take "st".
    int lastTwo = number % 100;
    if (lastTwo < 0)
        lastTwo = -lastTwo;
    if (lastTwo / 10 == 1)
        return "th";
    switch (lastTwo % 10) {
    case 1:
        return "st";
    case 2:
        return "nd";
    case 3:
        return "rd";
    default:
        return "th";
    }
}

const char* LocSystem::GetArticle(std::string_view word) const
{
    if (!addAOrAn)
        return "";
    // A coloured name ("^c061Amulet") takes the article of its first letter.
    size_t at = 0;
    char letter = 0;
    int32_t number = 0;
    while (ParseColorCode(word, at, letter, number))
        at += kColorCodeLength;
    if (at >= word.size())
        return "a";
    switch (std::tolower(static_cast<unsigned char>(word[at]))) {
    case 'a':
    case 'e':
    case 'i':
    case 'o':
    case 'u':
        return "an";
    default:
        return "a";
    }
}

// ---- Code page ----

int LocSystem::GetCodePageChar(char16_t character) const
{
    return unicodeToByte[character];
}

char LocSystem::ToCodePageChar(char16_t character) const
{
    int byte = GetCodePageChar(character);
    return byte == kNoCodePageChar ? '?' : static_cast<char>(byte);
}

WString LocSystem::DecodeValue(const WString& value, bool wide) const
{
    if (wide)
        return value;
    WString decoded;
    decoded.reserve(value.size());
    for (char16_t unit : value)
        decoded.push_back(unit < 256 ? codePage[unit] : unit);
    return decoded;
}

void LocSystem::Reset()
{
    texts = std::make_unique<Texts>();
    for (int byte = 0; byte < 256; ++byte)
        codePage[byte] = static_cast<char16_t>(byte);
    BuildReverseCodePage();
    for (std::string& name : keyNames)
        name.clear();
    keyboards.clear();
    keyboardType = 0;
    addPluralEnding = true;
    addRankEndings = true;
    addAOrAn = true;
}

void LocSystem::BuildReverseCodePage()
{
    unicodeToByte.assign(0x10000, static_cast<int16_t>(kNoCodePageChar));
    for (int character = 0; character < 256; ++character)
        unicodeToByte[character] = static_cast<int16_t>(character);
    // Downwards, so that of two bytes showing one character the lower wins.
    for (int byte = 255; byte >= 0; --byte)
        unicodeToByte[codePage[byte]] = static_cast<int16_t>(byte);
}

void LocSystem::LoadCodePage()
{
    FileBuffer file = LoadLocFile(kCodePagePath);
    if (!file.IsValid())
        return;
    TextParser parser(file.Data(), file.Size());
    std::string byteText;
    std::string unicodeText;
    int skipped = 0;
    while (parser.NextToken(byteText, true)) {
        int byte = -1;
        int unicode = -1;
        bool valid = parser.NextToken(unicodeText, false) && ParseNumber(byteText, byte) && ParseNumber(unicodeText, unicode)
            && byte >= 0 && byte <= 255 && unicode >= 0 && unicode <= 0xFFFF;
        parser.SkipLine();
        if (valid)
            codePage[byte] = static_cast<char16_t>(unicode);
        else
            ++skipped;
    }
    BuildReverseCodePage();
    if (skipped > 0)
        DebugSystem::Print(kPrintWarning, "Skipped %d bad lines in %s\n", skipped, kCodePagePath);
}

// ---- Layout: language flags and keyboard types ----

bool LocSystem::SetFlag(std::string_view name, bool value)
{
    bool* flag = nullptr;
    if (StringEqualsNoCase(name, "AddPluralEnding"))
        flag = &addPluralEnding;
    else if (StringEqualsNoCase(name, "AddRankEndings"))
        flag = &addRankEndings;
    else if (StringEqualsNoCase(name, "AddAOrAn"))
        flag = &addAOrAn;
    if (flag)
        *flag = value;
    return flag != nullptr;
}

void LocSystem::LoadLayout()
{
    FileBuffer file = LoadLocFile(kLayoutPath);
    if (!file.IsValid())
        return;
    TextParser parser(file.Data(), file.Size());
    std::string word;
    while (parser.NextToken(word, true)) {
        if (StringEqualsNoCase(word, "KeyboardType")) {
            ReadKeyboardLayout(parser, IsWideText(file));
            continue;
        }
        bool value = false;
        bool hasValue = parser.ReadBool(value, false);
        if (!hasValue || !SetFlag(word, value))
            DebugSystem::Print(kPrintWarning, "Unknown setting %s in %s\n", word.c_str(), kLayoutPath);
        parser.SkipLine();
    }
}

// A key's character: one character as it stands, a longer value as its Unicode number
// ("0x5C" for the backslash), an empty value for none.
char LocSystem::ReadKeyCharacter(TextParser& parser, bool wide, bool& valid) const
{
    WString value;
    if (!parser.ParseValue(value, false)) {
        valid = false;
        return 0;
    }
    if (value.empty())
        return 0;
    WString decoded = DecodeValue(value, wide);
    int unicode = decoded[0];
    if (decoded.size() > 1 && !(ParseNumber(WideToNarrow(decoded), unicode) && unicode > 0 && unicode <= 0xFFFF)) {
        valid = false;
        return 0;
    }
    int byte = GetCodePageChar(static_cast<char16_t>(unicode));
    return byte == kNoCodePageChar ? 0 : static_cast<char>(byte);
}

bool LocSystem::ReadKeyboardLine(TextParser& parser, bool wide, std::string_view word, KeyboardLayout& layout) const
{
    int first = -1;
    int second = -1;
    std::string number;
    bool valid = parser.NextToken(number, false) && ParseNumber(number, first) && first >= 0 && first < kKeyCount;
    if (valid && StringEqualsNoCase(word, "Key")) {
        char plain = ReadKeyCharacter(parser, wide, valid);
        char shifted = ReadKeyCharacter(parser, wide, valid);
        if (valid)
            layout.characters[first] = {plain, shifted};
    } else if (valid && StringEqualsNoCase(word, "Remap")) {
        valid = parser.NextToken(number, false) && ParseNumber(number, second) && second >= 0 && second < kKeyCount;
        if (valid)
            layout.scanToKey[first] = static_cast<uint8_t>(second);
    } else {
        valid = false;
    }
    parser.SkipLine();
    return valid;
}

void LocSystem::ReadKeyboardLayout(TextParser& parser, bool wide)
{
    KeyboardLayout layout;
    for (int code = 0; code < kKeyCount; ++code)
        layout.scanToKey[code] = static_cast<uint8_t>(code);
    layout.name = parser.ReadString(false);
    if (layout.name.empty() || !parser.ExpectToken("{")) {
        DebugSystem::Print(kPrintWarning, "Bad keyboard type in %s\n", kLayoutPath);
        return;
    }
    std::string word;
    int skipped = 0;
    bool closed = false;
    while (!closed && parser.NextToken(word, true)) {
        closed = word == "}";
        if (!closed && !ReadKeyboardLine(parser, wide, word, layout))
            ++skipped;
    }
    if (skipped > 0 || !closed)
        DebugSystem::Print(kPrintWarning, "Keyboard type %s in %s has %d bad lines%s\n", layout.name.c_str(), kLayoutPath,
                           skipped, closed ? "" : " and no closing brace");
    if (keyboards.size() >= kMaxKeyboardTypes) {
        DebugSystem::Print(kPrintWarning, "Too many keyboard types in %s\n", kLayoutPath);
        return;
    }
    keyboards.push_back(std::move(layout));
}

// ---- Key names ----

void LocSystem::LoadKeyNames()
{
    FileBuffer file = LoadLocFile(kKeyNamesPath);
    if (!file.IsValid())
        return;
    TextParser parser(file.Data(), file.Size());
    std::string codeText;
    std::string name;
    int skipped = 0;
    while (parser.NextToken(codeText, true)) {
        int code = -1;
        bool valid = ParseNumber(codeText, code) && code >= 0 && code < kKeyCount && parser.NextToken(name, false)
            && !name.empty();
        parser.SkipLine();
        if (valid)
            keyNames[code] = name;
        else
            ++skipped;
    }
    if (skipped > 0)
        DebugSystem::Print(kPrintWarning, "Skipped %d bad lines in %s\n", skipped, kKeyNamesPath);
}

int LocSystem::FindKeyName(std::string_view name, bool orTwo) const
{
    int notFound = orTwo ? 2 : -1;
    if (name.empty())
        return notFound;
    for (int code = 0; code < kKeyCount; ++code) {
        if (!keyNames[code].empty() && StringEqualsNoCase(keyNames[code], name))
            return code;
    }
    return notFound;
}

const std::string& LocSystem::GetKeyName(int keyCode) const
{
    static const std::string kNone;
    return keyCode >= 0 && keyCode < kKeyCount ? keyNames[keyCode] : kNone;
}

// ---- Keyboard types ----

std::vector<std::string> LocSystem::GetKeyboardTypes() const
{
    std::vector<std::string> names;
    for (const KeyboardLayout& layout : keyboards)
        names.push_back(layout.name);
    return names;
}

void LocSystem::SetKeyboardType(int index)
{
    if (index < 0 || index >= static_cast<int>(keyboards.size())) {
        if (index != 0)
            DebugSystem::Print(kPrintWarning, "No keyboard type %d\n", index);
        index = 0;
    }
    keyboardType = index;
}

int LocSystem::MapScanCode(int scanCode)
{
    SyncKeyboardType();
    if (scanCode < 0 || scanCode >= kKeyCount || keyboards.empty())
        return scanCode;
    return keyboards[keyboardType].scanToKey[scanCode];
}

char LocSystem::MapKeyToChar(int keyCode, bool shifted) const
{
    if (keyCode < 0 || keyCode >= kKeyCount || keyboards.empty())
        return 0;
    return keyboards[keyboardType].characters[keyCode][shifted ? 1 : 0];
}

void LocSystem::SyncKeyboardType()
{
    if (!keyboardTypeVar.IsValid())
        return;
    int wanted = keyboardTypeVar.GetInt();
    if (wanted == keyboardSetting)
        return;
    keyboardSetting = wanted;
    SetKeyboardType(wanted);
}

// ---- Language ----

bool LocSystem::LoadLanguage(const std::string& language)
{
    std::string path = "Loc/" + language + ".loc";
    FileBuffer file = LoadLocFile(path);
    if (!file.IsValid())
        return false;
    bool wide = IsWideText(file);
    TextParser parser(file.Data(), file.Size());
    std::string key;
    WString value;
    WString extra;
    int skipped = 0;
    while (parser.NextToken(key, true)) {
        bool valid = parser.ParseValue(value, false) && !parser.ParseValue(extra, false);
        parser.SkipLine();
        if (!valid) {
            ++skipped;
            continue;
        }
        WString text = DecodeValue(value, wide);
        WStringExpandNewlines(text);
        if (SetFlag(key, ParseInt(WideToNarrow(text)) != 0))
            continue;
        Texts::Entry& entry = texts->byKey[key];
        entry.narrow.clear();
        for (char16_t unit : text)
            entry.narrow.push_back(ToCodePageChar(unit));
        entry.wide = std::move(text);
    }
    if (skipped > 0)
        DebugSystem::Print(kPrintWarning, "Skipped %d bad lines in %s\n", skipped, path.c_str());
    DebugSystem::Print(kPrintDeveloper, "Loaded %d texts from %s\n", static_cast<int>(texts->byKey.size()), path.c_str());
    return true;
}

bool LocSystem::Load(std::string_view language)
{
    Reset();
    LoadCodePage();
    LoadLayout();
    LoadKeyNames();
    std::string name(language);
    if (!IsValidLanguageName(name)) {
        DebugSystem::Print(kPrintWarning, "Invalid language name %s, using %s\n", name.c_str(), kDefaultLanguage);
        name = kDefaultLanguage;
    }
    if (LoadLanguage(name))
        return true;
    return !StringEqualsNoCase(name, kDefaultLanguage) && LoadLanguage(kDefaultLanguage);
}

void LocSystem::RegisterCommands()
{
    if (!gUserVarSystem)
        return;
    languageVar = gUserVarSystem->RegisterVar("loc_language", kDefaultLanguage);
    keyboardTypeVar = gUserVarSystem->RegisterVar("loc_keyboardType", "0");
}

bool LocSystem::LoadLanguageSetting()
{
    return Load(languageVar.IsValid() ? languageVar.GetString() : std::string(kDefaultLanguage));
}
