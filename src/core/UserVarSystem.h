// UserVarSystem -- the named user vars: registration, look-up by name, the layered ".cfg" files and "user.cfg".
#pragma once

#include "core/BaseClass.h"
#include "core/FileSystem.h"
#include "core/NoCaseLess.h"
#include "core/UserVar.h"
#include "core/UserVarRef.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TextParser;

class UserVarSystem : public BaseClass {
public:
    UserVarSystem();
    ~UserVarSystem() override;

    // Get-or-create: a var that already exists (read from a ".cfg" file, say) keeps its value
    // and its changed flag, and takes the default only when it has none recorded yet. Without
    // create a missing var gives an invalid handle.
    UserVarRef RegisterVar(std::string_view name, std::string_view defaultText, bool create = true);
    // Null when no var has that name (ASCII case ignored).
    UserVar* FindVar(std::string_view name);
    // Null for an index that names no var.
    UserVar* GetVar(int32_t index);

    // The empty text, 0 or false when the var does not exist.
    std::string GetStringByName(std::string_view name) const;
    int32_t GetIntByName(std::string_view name) const;
    bool GetBoolByName(std::string_view name) const;
    // These create a missing var.
    void SetStringByName(std::string_view name, std::string_view text);
    void SetIntByName(std::string_view name, int32_t value);
    // A refusal shown to the player on a form: "LastError" holds its key and "LastErrorField" the
    // user var of the field it is about ("" for none), as typing in that field alone takes it away.
    void SetLastError(std::string_view error, std::string_view field);

    // "default.cfg", then "build.cfg" or, only when that is missing, "buildAlt.cfg" (all three
    // in the working folder), then "user.cfg" from the user folder; a later value wins. Lines
    // beginning "VirtualKey" go to the key bindings. Saving stays off until "user.cfg" has
    // been read, so that loading can never rewrite it with the shipped values.
    void LoadConfigFiles();
    bool IsReady() const { return ready; }

    // Rewrites "user.cfg" (atomically, through the file system): one line per var flagged
    // "Save", then the key bindings. False while loading or when the file cannot be written.
    bool SaveUserConfig();

    // "setUserVar".
    void RegisterCommands();
    // "developer", "logfile" and "d_maxConsoleLines", applied to the debug system now and,
    // through ApplyDebugVars (once a frame), whenever they change.
    void RegisterDebugVars();
    void ApplyDebugVars();
    void PrintStatistics() const;

    // A value as a ".cfg" line holds it: quoted when it is empty or holds blanks, quotes or
    // comment starts, inner quotes behind a backslash; line ends become blanks.
    static std::string FormatConfigValue(std::string_view text);

private:
    // -1 for the empty name, which no var may have.
    int32_t GetOrCreate(std::string_view name);
    bool LoadConfigFile(std::string_view path, FileLocation location, bool shipped);
    void ReadVarLine(TextParser& parser, const std::string& name, std::string_view path, bool shipped);

    std::vector<std::unique_ptr<UserVar>> vars;
    std::map<std::string, int32_t, NoCaseLess> byName;
    bool savingEnabled = false;
    bool ready = false;
    UserVarRef developer;
    UserVarRef logFile;
    UserVarRef maxConsoleLines;
};

extern UserVarSystem* gUserVarSystem;
