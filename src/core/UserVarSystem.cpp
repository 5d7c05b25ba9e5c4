// UserVarSystem -- the named user vars: registration, look-up by name, the layered ".cfg" files and "user.cfg".
#include "core/UserVarSystem.h"

#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "core/VirtualKeys.h"

UserVarSystem* gUserVarSystem = nullptr;

namespace {

constexpr const char* kUserConfig = "user.cfg";

bool IsQuoteByte(char c)
{
    // The code-page-1252 typographic quotes open and close values as '"' does.
    return c == '"' || c == '\x93' || c == '\x94';
}

bool NeedsQuotes(std::string_view text)
{
    if (text.empty() || text.find("//") != std::string_view::npos || text.find("/*") != std::string_view::npos)
        return true;
    // An 8-bit text ends at a 0xFF byte where a value would begin.
    if (text.front() == '\xFF')
        return true;
    for (char c : text) {
        if (static_cast<unsigned char>(c) <= ' ' || IsQuoteByte(c))
            return true;
    }
    return false;
}

} // namespace

UserVarSystem::UserVarSystem() = default;

UserVarSystem::~UserVarSystem()
{
    if (gUserVarSystem == this)
        gUserVarSystem = nullptr;
}

int32_t UserVarSystem::GetOrCreate(std::string_view name)
{
    auto found = byName.find(name);
    if (found != byName.end())
        return found->second;
    if (name.empty())
        return -1;
    int32_t index = static_cast<int32_t>(vars.size());
    vars.push_back(std::make_unique<UserVar>(name, ""));
    byName.emplace(std::string(name), index);
    return index;
}

UserVarRef UserVarSystem::RegisterVar(std::string_view name, std::string_view defaultText, bool create)
{
    auto found = byName.find(name);
    if (found == byName.end()) {
        if (!create)
            return UserVarRef();
        int32_t index = GetOrCreate(name);
        if (index < 0)
            return UserVarRef();
        vars[index]->Assign(defaultText);
        vars[index]->SetDefault(defaultText);
        return UserVarRef(index);
    }
    UserVar& var = *vars[found->second];
    if (!var.HasDefault())
        var.SetDefault(defaultText);
    return UserVarRef(found->second);
}

UserVar* UserVarSystem::FindVar(std::string_view name)
{
    auto found = byName.find(name);
    return found == byName.end() ? nullptr : vars[found->second].get();
}

UserVar* UserVarSystem::GetVar(int32_t index)
{
    if (index < 0 || index >= static_cast<int32_t>(vars.size()))
        return nullptr;
    return vars[index].get();
}

std::string UserVarSystem::GetStringByName(std::string_view name) const
{
    auto found = byName.find(name);
    return found == byName.end() ? std::string() : vars[found->second]->GetString();
}

int32_t UserVarSystem::GetIntByName(std::string_view name) const
{
    auto found = byName.find(name);
    return found == byName.end() ? 0 : vars[found->second]->GetInt();
}

bool UserVarSystem::GetBoolByName(std::string_view name) const
{
    auto found = byName.find(name);
    return found != byName.end() && vars[found->second]->GetBool();
}

void UserVarSystem::SetStringByName(std::string_view name, std::string_view text)
{
    int32_t index = GetOrCreate(name);
    if (index >= 0)
        vars[index]->Set(text);
}

void UserVarSystem::SetIntByName(std::string_view name, int32_t value)
{
    SetStringByName(name, StringFormat("%d", value));
}

// The field goes first: a refusal never stands beside the name of an earlier refusal's field.
void UserVarSystem::SetLastError(std::string_view error, std::string_view field)
{
    SetStringByName("LastErrorField", field);
    SetStringByName("LastError", error);
}

void UserVarSystem::LoadConfigFiles()
{
    savingEnabled = false;
    if (!LoadConfigFile("default.cfg", kLocationWorking, true))
        DebugSystem::Print(kPrintWarning, "Couldn't find %s\n", "default.cfg");
    if (!LoadConfigFile("build.cfg", kLocationWorking, true) &&
        !LoadConfigFile("buildAlt.cfg", kLocationWorking, true))
        DebugSystem::Print(kPrintWarning, "Couldn't find %s\n", "build.cfg");
    if (!LoadConfigFile(kUserConfig, kLocationUser, false))
        DebugSystem::Print(kPrintDeveloper, "Couldn't find %s\n", kUserConfig);
    savingEnabled = true;
    ready = true;
}

// The shipped files hold the defaults; the player's file holds only the player's values.
bool UserVarSystem::LoadConfigFile(std::string_view path, FileLocation location, bool shipped)
{
    if (!gFileSystem)
        return false;
    FileBuffer buffer = gFileSystem->LoadWholeFile(path, location);
    if (!buffer.IsValid())
        return false;
    TextParser parser(buffer.Data(), buffer.Size());
    std::string word;
    while (parser.NextToken(word, true)) {
        if (!StringEqualsNoCase(word, "VirtualKey"))
            ReadVarLine(parser, word, path, shipped);
        else if (gVirtualKeys)
            gVirtualKeys->ReadBinding(parser, path);
        else
            parser.SkipLine();
    }
    return true;
}

// The rest of a line "name value [Save] [vidRestart]" whose name has been read.
void UserVarSystem::ReadVarLine(TextParser& parser, const std::string& name, std::string_view path, bool shipped)
{
    std::string pathText(path);
    std::string value;
    if (!parser.NextToken(value, false)) {
        DebugSystem::Print(kPrintWarning, "No value for %s in %s\n", name.c_str(), pathText.c_str());
        return;
    }
    uint32_t flags = 0;
    std::string word;
    while (parser.NextToken(word, false)) {
        if (StringEqualsNoCase(word, "Save"))
            flags |= kUserVarSave;
        else if (StringEqualsNoCase(word, "vidRestart"))
            flags |= kUserVarVidRestart;
        else
            DebugSystem::Print(kPrintWarning, "Unknown flag %s for %s in %s\n", word.c_str(), name.c_str(),
                               pathText.c_str());
    }
    int32_t index = GetOrCreate(name);
    if (index < 0)
        return;
    UserVar& var = *vars[index];
    var.AddFlags(flags);
    var.Assign(value);
    if (shipped)
        var.SetDefault(value);
}

std::string UserVarSystem::FormatConfigValue(std::string_view text)
{
    std::string value(text);
    for (char& c : value) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    if (!NeedsQuotes(value))
        return value;
    std::string quoted = "\"";
    for (char c : value) {
        if (IsQuoteByte(c))
            quoted += '\\';
        quoted += c;
    }
    // A closing quote straight after a final backslash would read as a kept quote; left
    // open, the quote is closed by the line end, which every caller writes next. An empty
    // value has no last character to look at: it is the two quotes.
    if (value.empty() || value.back() != '\\')
        quoted += '"';
    return quoted;
}

bool UserVarSystem::SaveUserConfig()
{
    if (!savingEnabled)
        return false;
    std::string text;
    for (const auto& [name, index] : byName) {
        const UserVar& var = *vars[index];
        // A name that would need quotes cannot lead a line; only code and files make such names.
        if (!var.IsSaved() || FormatConfigValue(name) != name)
            continue;
        text += name + " " + FormatConfigValue(var.GetString()) + "\n";
    }
    if (gVirtualKeys)
        gVirtualKeys->WriteBindings(text);
    if (WriteStringToFile(kUserConfig, text))
        return true;
    DebugSystem::Print(kPrintWarning, "Couldn't write %s\n", kUserConfig);
    return false;
}

void UserVarSystem::RegisterCommands()
{
    if (!gCommandSystem)
        return;
    gCommandSystem->RegisterCommand(
        "setUserVar", [this](const std::vector<std::string>& args) { SetStringByName(args[0], args[1]); },
        "Sets a user var", "name value", "ss");
}

void UserVarSystem::RegisterDebugVars()
{
    developer = RegisterVar("developer", "0");
    logFile = RegisterVar("logfile", "1");
    maxConsoleLines = RegisterVar("d_maxConsoleLines", "100");
    // The debug system holds the start-up's lines until it knows this setting.
    if (gDebugSystem)
        gDebugSystem->SetDeveloper(developer.GetBool());
    ApplyDebugVars();
}

void UserVarSystem::ApplyDebugVars()
{
    if (!gDebugSystem || !developer.IsValid())
        return;
    if (developer.GetFlag()) {
        gDebugSystem->SetDeveloper(developer.GetBool());
        developer.SetFlag();
    }
    if (logFile.GetFlag()) {
        gDebugSystem->SetLogFileMode(logFile.GetInt());
        logFile.SetFlag();
    }
    if (maxConsoleLines.GetFlag()) {
        gDebugSystem->SetMaxConsoleLines(maxConsoleLines.GetInt());
        maxConsoleLines.SetFlag();
    }
}

void UserVarSystem::PrintStatistics() const
{
    DebugSystem::Print(kPrintPlain, "%d user vars\n", static_cast<int>(vars.size()));
}
