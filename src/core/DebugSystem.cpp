// DebugSystem -- the log: print levels and prefixes, the console line ring and the log file sink.
#include "core/DebugSystem.h"

#include "core/CommandSystem.h"
#include "core/StringUtil.h"

#include <cstdarg>

DebugSystem* gDebugSystem = nullptr;

namespace {

constexpr int kWarningColor = 5;
constexpr int kErrorColor = 1;
// A run that never decides on its log file must not grow without bound.
constexpr size_t kMaxPendingLogLines = 20000;

// Lines printed before the debug system exists, replayed once it does.
std::mutex gEarlyLock;
std::vector<std::pair<int, std::string>> gEarlyLines;

std::string ColorPrefix(int color)
{
    return StringFormat("%c%c%03d", '^', 'c', color);
}

} // namespace

DebugSystem::DebugSystem(bool holdUntilDeveloperSet) : holding(holdUntilDeveloperSet)
{
    std::vector<std::pair<int, std::string>> early;
    {
        std::lock_guard<std::mutex> guard(gEarlyLock);
        early.swap(gEarlyLines);
    }
    for (const auto& [level, text] : early)
        Add(level, text);
}

DebugSystem::~DebugSystem()
{
    ReleaseHeldLines();
    CloseLogFile();
    if (gDebugSystem == this)
        gDebugSystem = nullptr;
}

void DebugSystem::Print(int level, const char* format, ...)
{
    char buffer[4096];
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    PrintText(level, buffer);
}

void DebugSystem::PrintText(int level, std::string_view text)
{
    if (gDebugSystem) {
        gDebugSystem->Add(level, text);
        return;
    }
    std::lock_guard<std::mutex> guard(gEarlyLock);
    gEarlyLines.emplace_back(level, std::string(text));
}

void DebugSystem::Add(int level, std::string_view text)
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    if (holding) {
        heldLines.emplace_back(level, std::string(text));
        return;
    }
    if (level == kPrintDeveloper && !developer)
        return;
    std::string line;
    if (level == kPrintWarning) {
        line = ColorPrefix(kWarningColor);
        ++warningsLogged;
    } else if (level == kPrintError) {
        line = ColorPrefix(kErrorColor);
        ++errorsLogged;
    }
    ++linesLogged;
    // A translator that logs would re-enter here: its own lines go out untranslated.
    if (translator && !translating) {
        translating = true;
        line += translator(std::string(text));
        translating = false;
    } else {
        line += text;
    }
    StoreLine(line);
}

void DebugSystem::ReleaseHeldLines()
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    holding = false;
    std::vector<std::pair<int, std::string>> held;
    held.swap(heldLines);
    for (const auto& [level, text] : held)
        Add(level, text);
}

void DebugSystem::StoreLine(const std::string& line)
{
    ShowLine(line);
    if (!logDecided && pendingLogLines.size() < kMaxPendingLogLines)
        pendingLogLines.push_back(line);
    WriteLogLine(line);
}

void DebugSystem::ShowLine(const std::string& line)
{
    consoleLines.push_back(line);
    while (static_cast<int>(consoleLines.size()) > maxConsoleLines)
        consoleLines.pop_front();
    if (echoToStdout) {
        fputs(line.c_str(), stdout);
        fflush(stdout);
    }
}

void DebugSystem::WriteLogLine(const std::string& line)
{
    if (logFile && logFileMode != 0) {
        fputs(line.c_str(), logFile);
        if (logFileMode == 2)
            fflush(logFile);
    }
}

void DebugSystem::PrintLogHeader(std::string_view text)
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    logHeader = text;
    ++linesLogged;
    ShowLine(logHeader);
    WriteLogLine(logHeader);
}

bool DebugSystem::OpenLogFile(const std::string& path)
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    CloseLogFile();
    logPath = path;
    // Close-on-exec: a program the game starts (the web link's opener) must not keep the log open.
    logFile = fopen(path.c_str(), "we");
    if (!logFile)
        return false;
    fputs(logHeader.c_str(), logFile);
    for (const std::string& line : pendingLogLines)
        fputs(line.c_str(), logFile);
    fflush(logFile);
    DropPendingLogLines();
    return true;
}

void DebugSystem::DropPendingLogLines()
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    logDecided = true;
    std::vector<std::string>().swap(pendingLogLines);
}

void DebugSystem::CloseLogFile()
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    if (logFile) {
        fclose(logFile);
        logFile = nullptr;
    }
}

void DebugSystem::Flush()
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    ReleaseHeldLines();
    if (logFile)
        fflush(logFile);
}

void DebugSystem::SetLogFilePath(const std::string& path)
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    logPath = path;
}

void DebugSystem::SetLogFileMode(int mode)
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    logFileMode = mode;
    if (mode != 0 && !logFile && !logPath.empty() && !OpenLogFile(logPath))
        Print(kPrintWarning, "Couldn't open %s\n", logPath.c_str());
    if (logFile)
        fflush(logFile);
}

void DebugSystem::SetDeveloper(bool on)
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    developer = on;
    ReleaseHeldLines();
}

void DebugSystem::SetMaxConsoleLines(int lines)
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    maxConsoleLines = lines < 1 ? 1 : lines;
    while (static_cast<int>(consoleLines.size()) > maxConsoleLines)
        consoleLines.pop_front();
}

void DebugSystem::SetEchoToStdout(bool on)
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    echoToStdout = on;
}

void DebugSystem::SetTranslator(std::function<std::string(const std::string&)> newTranslator)
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    translator = std::move(newTranslator);
}

std::vector<std::string> DebugSystem::GetConsoleLines() const
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    return std::vector<std::string>(consoleLines.begin(), consoleLines.end());
}

int DebugSystem::GetMaxConsoleLines() const
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    return maxConsoleLines;
}

void DebugSystem::RegisterCommands()
{
    if (!gCommandSystem)
        return;
    gCommandSystem->RegisterCommand(
        "toggleConsole", [this](const std::vector<std::string>&) { console.SetShown(!console.IsShown()); },
        "Shows or hides the console", "", "");
}

bool DebugSystem::ConsoleTakesClick(int button, bool down, int x, int y)
{
    return console.TakesClick(button, down, x, y);
}

void DebugSystem::DrawConsole()
{
    console.Draw();
}

void DebugSystem::SetBeepHook(std::function<void()> hook)
{
    beepHook = std::move(hook);
}

void DebugSystem::PlayBeep()
{
    if (beepHook)
        beepHook();
}

void DebugSystem::PrintStatistics() const
{
    uint32_t lines;
    uint32_t warnings;
    uint32_t errors;
    {
        std::lock_guard<std::recursive_mutex> guard(lock);
        lines = linesLogged;
        warnings = warningsLogged;
        errors = errorsLogged;
    }
    Print(kPrintPlain, "Debug: %u lines logged, %u warnings, %u errors\n", lines, warnings, errors);
}
