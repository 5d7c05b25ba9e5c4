// UserVar -- one named user var: its text with its integer and float readings, its flags and its default.
#pragma once

#include "core/BaseClass.h"

#include <cstdint>
#include <string>
#include <string_view>

// Flag words of a ".cfg" line.
enum UserVarFlag : uint32_t {
    kUserVarSave = 1,       // "Save": written to "user.cfg"
    kUserVarVidRestart = 2, // "vidRestart": a change needs a graphics restart
};

class UserVar : public BaseClass {
public:
    UserVar(std::string_view name, std::string_view text);

    // When the text differs: stores it with its readings and marks the var changed; a var
    // without a recorded default takes the text as its default too; a var flagged "Save" then
    // has "user.cfg" rewritten, unless noSave is set. False when the text was the same.
    bool Set(std::string_view text, bool noSave = false);
    // As Set, but never records a default and never saves: a value read from the player's own
    // "user.cfg" is no default.
    bool Assign(std::string_view text);

    const std::string& GetName() const { return name; }
    const std::string& GetString() const { return text; }
    int32_t GetInt() const { return intValue; }
    float GetFloat() const { return floatValue; }
    bool GetBool() const { return intValue != 0; }

    // Set whenever the value changes; the system that applies the change clears it.
    bool IsChanged() const { return changed; }
    void ClearChanged() { changed = false; }

    void AddFlags(uint32_t more) { flags |= more; }
    bool IsSaved() const { return (flags & kUserVarSave) != 0; }
    bool NeedsVidRestart() const { return (flags & kUserVarVidRestart) != 0; }

    const std::string& GetDefault() const { return defaultText; }
    bool HasDefault() const { return hasDefault; }
    void SetDefault(std::string_view text);

private:
    std::string name;
    std::string text;
    float floatValue = 0.0f;
    int32_t intValue = 0;
    // A new var counts as changed, as one read from a ".cfg" file does: its owner's first check applies it.
    bool changed = true;
    uint32_t flags = 0;
    std::string defaultText;
    bool hasDefault = false;
};
