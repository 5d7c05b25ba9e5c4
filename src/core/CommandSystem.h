// CommandSystem -- the console command registry: parses text lines, checks their arguments and runs the handlers.
#pragma once

#include "core/BaseClass.h"
#include "core/NoCaseLess.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// One row that a list provider adds for a menu list.
struct ListEntry {
    std::string name; // the text shown
    std::string helpText;
    std::string extra;
    std::string value; // given back when the row is chosen
    // A disabled row is drawn grey and cannot be picked; providers that never set it list usable rows.
    int32_t enabled = 1;
};

// Flag bit 0: the handler parses its own arguments, so the line is not checked against the type letters.
constexpr uint32_t kCommandNoArgumentCheck = 1;

class CommandSystem : public BaseClass {
public:
    using Handler = std::function<void(const std::vector<std::string>& args)>;
    using ContextHandler = std::function<void(const std::vector<std::string>& args, BaseClass* context)>;
    using InfoProc = std::function<void(std::vector<ListEntry>& rows)>;
    using VerifyProc = std::function<bool()>;
    using ForwardHook = std::function<void(const std::string& line)>;

    CommandSystem();
    ~CommandSystem() override;

    // Type letters, one per argument: "s" text, "i" integer, "f" number, "b" boolean (an
    // integer), "d" any text; the upper-case "S", "I", "F", "B" may be left off the end of a line.
    // A command registered with an empty handler is not run here: its whole line goes to the
    // forward hook (the requests that the world host carries out). A name registered again
    // replaces the earlier command.
    void RegisterCommand(std::string_view name, Handler handler, std::string_view help, std::string_view argNames,
                         std::string_view argTypes, uint32_t flags = 0);
    // The handler also receives the context object that Execute was given (null for console lines).
    void RegisterContextCommand(std::string_view name, ContextHandler handler, std::string_view help,
                                std::string_view argNames, std::string_view argTypes, uint32_t flags = 0);
    // The command system's own console commands ("help").
    void RegisterCommands();

    // The words of a line, the command name first. Blanks and tabs separate words; a word in
    // double quotes keeps its blanks (a backslash before a quote inside it keeps the quote),
    // and "" is an empty word.
    static std::vector<std::string> ParseLine(std::string_view line);

    // Runs the command named by the line's first word, found without regard to case. An
    // argument written ##name## stands for the value of that user var. Arguments that do not
    // fit the type letters run nothing and print "Incorrect format\n". False when no command
    // took the line; an unknown name prints nothing (callers report it).
    bool Execute(std::string_view line, BaseClass* context = nullptr);
    bool IsCommand(std::string_view name) const;

    // Off: "##name##" in a line stays the word it is (lines from other processes).
    void SetUserVarSubstitution(bool on) { substituteUserVars = on; }

    // Where the lines of handler-less commands go; without a hook they are dropped.
    void SetForwardHook(ForwardHook hook) { forwardHook = std::move(hook); }

    void RegisterInfoProc(std::string_view name, InfoProc proc);
    // Empties the rows, then lets the provider of that name fill them; none leaves them empty.
    void CallInfoProc(std::string_view name, std::vector<ListEntry>& rows) const;
    void RegisterVerifyProc(std::string_view name, VerifyProc proc);
    // A missing procedure counts as a failed check.
    bool CallVerifyProc(std::string_view name) const;
    // Whether a provider or a check of that name is registered (for the menu lint).
    bool HasInfoProc(std::string_view name) const { return infoProcs.count(name) != 0; }
    bool HasVerifyProc(std::string_view name) const { return verifyProcs.count(name) != 0; }

private:
    struct Command {
        std::string name;
        std::string help;
        std::string argNames;
        std::string argTypes;
        uint32_t flags = 0;
        Handler handler;
        ContextHandler contextHandler;
    };
    enum class Outcome { kRan, kNotFound, kBadFormat, kDropped };

    friend bool ExecuteCommandLine(std::string_view line);
    Outcome Run(std::string_view line, BaseClass* context);
    void Add(Command command);
    void PrintHelp(const std::vector<std::string>& args) const;

    std::map<std::string, Command, NoCaseLess> commands;
    std::map<std::string, InfoProc, NoCaseLess> infoProcs;
    std::map<std::string, VerifyProc, NoCaseLess> verifyProcs;
    ForwardHook forwardHook;
    bool substituteUserVars = true;
};

// Runs a line with no context, as the console and the widgets do; a line naming no command
// prints "%s command not found\n".
bool ExecuteCommandLine(std::string_view line);

extern CommandSystem* gCommandSystem;
