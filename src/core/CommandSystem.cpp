// CommandSystem -- the console command registry: parses text lines, checks their arguments and runs the handlers.
#include "core/CommandSystem.h"

#include "core/DebugSystem.h"
#include "core/StringUtil.h"
#include "core/UserVarSystem.h"

#include <cctype>
#include <cmath>

CommandSystem* gCommandSystem = nullptr;

namespace {

bool IsSeparator(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Command lines arrive from other processes' datagrams too: "nan", "inf" and hex forms,
// which the C library would read, are no numbers here.
bool IsPlainNumber(const std::string& text)
{
    return IsNumberText(text) && text.find_first_not_of(" \t0123456789+-.eE") == std::string::npos &&
           std::isfinite(ParseFloat(text));
}

bool ArgumentFits(char letter, const std::string& arg)
{
    switch (letter) {
    case 'i':
    case 'I':
    case 'b':
    case 'B': return IsIntegerText(arg);
    case 'f':
    case 'F': return IsPlainNumber(arg);
    default: return true;
    }
}

bool ArgumentsFit(const std::string& types, const std::vector<std::string>& args)
{
    if (args.size() > types.size())
        return false;
    for (size_t i = 0; i < types.size(); ++i) {
        if (i >= args.size()) {
            if (std::islower(static_cast<unsigned char>(types[i])))
                return false;
        } else if (!ArgumentFits(types[i], args[i])) {
            return false;
        }
    }
    return true;
}

// "##name##" is replaced by the user var's value; true when any argument was.
bool SubstituteUserVars(std::vector<std::string>& args)
{
    bool any = false;
    for (std::string& arg : args) {
        if (arg.size() > 4 && arg.starts_with("##") && arg.ends_with("##")) {
            std::string name = arg.substr(2, arg.size() - 4);
            arg = gUserVarSystem ? gUserVarSystem->GetStringByName(name) : std::string();
            any = true;
        }
    }
    return any;
}

std::string QuoteWord(const std::string& word)
{
    if (!word.empty() && word.find_first_of(" \t\"") == std::string::npos)
        return word;
    std::string quoted = "\"";
    for (char c : word) {
        if (c == '"')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string JoinWords(const std::string& name, const std::vector<std::string>& args)
{
    std::string line = name;
    for (const std::string& arg : args) {
        line += ' ';
        line += QuoteWord(arg);
    }
    return line;
}

} // namespace

CommandSystem::CommandSystem() = default;

CommandSystem::~CommandSystem()
{
    if (gCommandSystem == this)
        gCommandSystem = nullptr;
}

void CommandSystem::Add(Command command)
{
    auto found = commands.find(command.name);
    if (found != commands.end()) {
        DebugSystem::Print(kPrintDeveloper, "Command %s registered again\n", command.name.c_str());
        commands.erase(found);
    }
    std::string name = command.name;
    commands.emplace(std::move(name), std::move(command));
}

void CommandSystem::RegisterCommand(std::string_view name, Handler handler, std::string_view help,
                                    std::string_view argNames, std::string_view argTypes, uint32_t flags)
{
    Command command{std::string(name), std::string(help), std::string(argNames), std::string(argTypes), flags,
                    std::move(handler), nullptr};
    Add(std::move(command));
}

void CommandSystem::RegisterContextCommand(std::string_view name, ContextHandler handler, std::string_view help,
                                           std::string_view argNames, std::string_view argTypes, uint32_t flags)
{
    Command command{std::string(name), std::string(help), std::string(argNames), std::string(argTypes), flags,
                    nullptr, std::move(handler)};
    Add(std::move(command));
}

void CommandSystem::RegisterCommands()
{
    RegisterCommand(
        "help", [this](const std::vector<std::string>& args) { PrintHelp(args); },
        "Lists the console commands, or shows one", "command", "S");
}

void CommandSystem::PrintHelp(const std::vector<std::string>& args) const
{
    if (!args.empty() && !IsCommand(args[0])) {
        DebugSystem::Print(kPrintPlain, "%s command not found\n", args[0].c_str());
        return;
    }
    for (const auto& [name, command] : commands) {
        if (!args.empty() && !StringEqualsNoCase(name, args[0]))
            continue;
        DebugSystem::Print(kPrintPlain, "%s %s - %s\n", name.c_str(), command.argNames.c_str(),
                           command.help.c_str());
    }
}

std::vector<std::string> CommandSystem::ParseLine(std::string_view line)
{
    std::vector<std::string> words;
    size_t i = 0;
    while (true) {
        while (i < line.size() && IsSeparator(line[i]))
            ++i;
        if (i >= line.size())
            return words;
        // Room for a usual line's words at once, made with the first word (a blank line takes
        // none): the host's notices of a fight come several a frame, and a list grown word by
        // word is an allocation for each doubling.
        if (words.empty())
            words.reserve(8);
        std::string word;
        if (line[i] == '"') {
            for (++i; i < line.size() && line[i] != '"'; ++i) {
                if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == '"')
                    ++i;
                word += line[i];
            }
            ++i; // the closing quote; an unclosed one ends with the line
        } else {
            for (; i < line.size() && !IsSeparator(line[i]); ++i)
                word += line[i];
        }
        words.push_back(std::move(word));
    }
}

CommandSystem::Outcome CommandSystem::Run(std::string_view line, BaseClass* context)
{
    std::vector<std::string> args = ParseLine(line);
    if (args.empty())
        return Outcome::kNotFound;
    auto found = commands.find(args[0]);
    if (found == commands.end())
        return Outcome::kNotFound;
    args.erase(args.begin());
    bool substituted = substituteUserVars && SubstituteUserVars(args);
    const Command& command = found->second;
    if (!(command.flags & kCommandNoArgumentCheck) && !ArgumentsFit(command.argTypes, args)) {
        DebugSystem::Print(kPrintPlain, "Incorrect format\n");
        return Outcome::kBadFormat;
    }
    // Copies: a handler may register its own name again, which replaces this record.
    if (command.handler) {
        Handler handler = command.handler;
        handler(args);
    } else if (command.contextHandler) {
        ContextHandler handler = command.contextHandler;
        handler(args, context);
    } else if (forwardHook) {
        ForwardHook hook = forwardHook;
        hook(substituted ? JoinWords(command.name, args) : std::string(line));
    } else {
        return Outcome::kDropped;
    }
    return Outcome::kRan;
}

bool CommandSystem::Execute(std::string_view line, BaseClass* context)
{
    return Run(line, context) == Outcome::kRan;
}

bool CommandSystem::IsCommand(std::string_view name) const
{
    return commands.find(name) != commands.end();
}

void CommandSystem::RegisterInfoProc(std::string_view name, InfoProc proc)
{
    infoProcs[std::string(name)] = std::move(proc);
}

void CommandSystem::CallInfoProc(std::string_view name, std::vector<ListEntry>& rows) const
{
    rows.clear();
    auto found = infoProcs.find(name);
    if (found != infoProcs.end() && found->second)
        found->second(rows);
}

void CommandSystem::RegisterVerifyProc(std::string_view name, VerifyProc proc)
{
    verifyProcs[std::string(name)] = std::move(proc);
}

bool CommandSystem::CallVerifyProc(std::string_view name) const
{
    auto found = verifyProcs.find(name);
    return found != verifyProcs.end() && found->second && found->second();
}

bool ExecuteCommandLine(std::string_view line)
{
    if (!gCommandSystem)
        return false;
    CommandSystem::Outcome outcome = gCommandSystem->Run(line, nullptr);
    if (outcome == CommandSystem::Outcome::kNotFound) {
        std::vector<std::string> words = CommandSystem::ParseLine(line);
        if (!words.empty())
            DebugSystem::Print(kPrintPlain, "%s command not found\n", words[0].c_str());
    }
    return outcome == CommandSystem::Outcome::kRan;
}
