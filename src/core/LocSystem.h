// LocSystem -- the loaded language: "$$Key$$" token translation, plural/rank/article rules, code page and keyboard maps.
#pragma once

#include "core/BaseClass.h"
#include "core/StringUtil.h"
#include "core/UserVarRef.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class DebugSystem;
class TextParser;

// The work buffer a token's list is filled through, and a literal's text.
constexpr size_t kLocWorkBufferBytes = 1024;

// "$$Key$$" without a format; with one, "$$Key~<" + the format with every blank turned into
// "@@", then "@@>~" + "$$", filled printf-style through the work buffer:
// ("K", "%s %d", "a", 5) gives "$$K~<a@@5@@>~$$" and an empty format "$$K~<@@>~$$".
std::string MakeLocToken(std::string_view key, const char* format, ...) __attribute__((format(printf, 2, 3)));
// The same token written into a buffer of size bytes and closed with '\0', its list cut to fit
// and closed again, for lines written at every hit where a new string would cost an allocation.
// Its length; 0 and an empty text when not even the key and a short list fit.
size_t WriteLocToken(char* out, size_t size, std::string_view key, const char* format, ...)
    __attribute__((format(printf, 4, 5)));

// A printf-formatted text wrapped so that translation shows it exactly as it stands, even
// when it holds "$$", "@@" or "~<" (a player's or an item's name inside a message).
std::string FormatLiteralToken(const char* format, ...) __attribute__((format(printf, 1, 2)));

// GetCodePageChar's answer for a character the code page does not hold.
constexpr int kNoCodePageChar = -1;

class LocSystem : public BaseClass {
public:
    static constexpr int kMaxPasses = 10;
    static constexpr int kKeyCount = 256;

    LocSystem();
    ~LocSystem() override;

    // Registers "loc_language" (default "English") and "loc_keyboardType" (default "0").
    void RegisterCommands();
    // Load with the value of "loc_language".
    bool LoadLanguageSetting();
    // Reads "Loc/codePageToUnicode.map", "Loc/layout.loc", "Loc/keyNames.loc" and
    // "Loc/<language>.loc"; a missing or unusable language falls back to English.
    // Call on the main thread before other threads translate. False when no language file loaded.
    bool Load(std::string_view language);
    // Log lines are translated before they are stored: the application calls this once.
    void InstallLogTranslator(DebugSystem& debug);

    // Replaces every token, pass after pass, so that tokens inside arguments and inside
    // translations are translated too. A translation places its arguments with %1..%9.
    // A key the language lacks shows as the key itself, followed by its arguments. A text
    // still holding a token after kMaxPasses passes is logged once and returned as it stands.
    // The narrow form is in the code page, '?' for a character the page lacks.
    std::string Translate(std::string_view text) const;
    // Whether the loaded language has a text for the key, compared without regard to case.
    bool HasText(std::string_view key) const;
    // How many texts the loaded language has.
    int GetTextCount() const;
    WString Translate(std::u16string_view text) const;
    // Widens an 8-bit code-page text, then translates it.
    WString TranslateToWide(std::string_view text) const;

    // "s" when the language wants plural endings and count > 1.
    const char* GetPluralEnding(int count) const;
    // "st", "nd", "rd" or "th" by the last two digits (11th to 13th, 111th, but 21st, 101st).
    // Callers check AddsRankEndings themselves.
    const char* GetRankEnding(int number) const;
    // "a" or "an" when the language wants articles, else "".
    const char* GetArticle(std::string_view word) const;
    bool AddsPluralEndings() const { return addPluralEnding; }
    bool AddsRankEndings() const { return addRankEndings; }

    // The character's byte in the language's code page; a character below 256 without an
    // entry maps to itself; kNoCodePageChar (-1) for one the code page cannot show.
    int GetCodePageChar(char16_t character) const;
    char16_t GetUnicodeChar(uint8_t byte) const { return codePage[byte]; }

    // Key codes are DirectInput scan codes after the keyboard type's remapping.
    // The index of the key named so (case-blind); -1 when none, or 2 when orTwo is set.
    int FindKeyName(std::string_view name, bool orTwo) const;
    // "" for a code without a name.
    const std::string& GetKeyName(int keyCode) const;
    // Remaps a scan code for the keyboard type chosen in "loc_keyboardType".
    int MapScanCode(int scanCode);
    // The code-page character the key types; 0 when out of range or unmapped.
    char MapKeyToChar(int keyCode, bool shifted) const;
    // The keyboard types of "Loc/layout.loc" in file order.
    std::vector<std::string> GetKeyboardTypes() const;
    void SetKeyboardType(int index);

private:
    struct Texts;
    struct KeyboardLayout {
        std::string name;
        std::array<uint8_t, kKeyCount> scanToKey{};
        std::array<std::array<char, 2>, kKeyCount> characters{};
    };
    template <typename Char> std::basic_string<Char> TranslateText(std::basic_string_view<Char> text) const;
    template <typename Char> void ReportTooManyPasses(std::basic_string_view<Char> text) const;
    const std::string* FindText(std::string_view key) const;
    const WString* FindText(std::u16string_view key) const;

    void Reset();
    void BuildReverseCodePage();
    void LoadCodePage();
    bool SetFlag(std::string_view name, bool value);
    void LoadLayout();
    void ReadKeyboardLayout(TextParser& parser, bool wide);
    bool ReadKeyboardLine(TextParser& parser, bool wide, std::string_view word, KeyboardLayout& layout) const;
    char ReadKeyCharacter(TextParser& parser, bool wide, bool& valid) const;
    void LoadKeyNames();
    bool LoadLanguage(const std::string& language);
    WString DecodeValue(const WString& value, bool wide) const;
    char ToCodePageChar(char16_t character) const;
    void SyncKeyboardType();

    std::unique_ptr<Texts> texts;
    // Byte to character, and back: a character per code unit, -1 where the page has none.
    std::array<char16_t, 256> codePage{};
    std::vector<int16_t> unicodeToByte;
    std::array<std::string, kKeyCount> keyNames;
    std::vector<KeyboardLayout> keyboards;
    int keyboardType = 0;
    int keyboardSetting = 0; // the value of "loc_keyboardType" last applied
    UserVarRef languageVar;
    UserVarRef keyboardTypeVar;
    DebugSystem* logTarget = nullptr;
    bool addPluralEnding = true;
    bool addRankEndings = true;
    bool addAOrAn = true;
};

extern LocSystem* gLocSystem;
