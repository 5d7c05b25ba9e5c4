// DebugSystem -- the log: print levels and prefixes, the console line ring and the log file sink.
#pragma once

#include "core/BaseClass.h"
#include "core/Console.h"

#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Print levels. Level 1 is dropped unless developer output is on.
enum PrintLevel : int { kPrintPlain = 0, kPrintDeveloper = 1, kPrintWarning = 2, kPrintError = 3 };

class DebugSystem : public BaseClass {
public:
    // Holding: every line (those printed before it existed too) is kept until the first
    // SetDeveloper, and only then filtered, so that the start-up's developer lines printed
    // before the settings are read still reach the log when the settings turn them on.
    static constexpr bool kHoldUntilDeveloperSet = true;
    explicit DebugSystem(bool holdUntilDeveloperSet = false);
    ~DebugSystem() override;

    // Any thread may print. Before the debug system exists lines are kept and replayed
    // when it starts, so nothing printed during start-up is lost or recursive.
    static void Print(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));
    static void PrintText(int level, std::string_view text);

    // Until a log file is opened or refused, every line is kept for it (the ring holds only
    // the newest), so the file starts with the first line of the run.
    bool OpenLogFile(const std::string& path);
    // No log file this run: the kept lines are let go.
    void DropPendingLogLines();
    // The line every log file of the run begins with (the program's version), ahead of the
    // lines kept for it, so that a log says what wrote it first. It reaches the console, the
    // terminal and an open log file like a plain line.
    void PrintLogHeader(std::string_view text);
    void CloseLogFile();
    // Pushes buffered log lines to disk, e.g. before a fatal exit; held lines are let out
    // first, filtered by the developer setting as it stands.
    void Flush();
    // Where the log goes once a mode above 0 is set while no file is open (the log was not
    // wanted at start-up and is turned on later).
    void SetLogFilePath(const std::string& path);
    // 0: no file output, 1: write, 2: write and flush after every line.
    void SetLogFileMode(int mode);
    // Also lets out the held lines, filtered by this setting.
    void SetDeveloper(bool on);
    // Values below 1 are taken as 1.
    void SetMaxConsoleLines(int lines);
    void SetEchoToStdout(bool on);
    // Localisation tokens are translated before a line is stored.
    void SetTranslator(std::function<std::string(const std::string&)> translator);

    std::vector<std::string> GetConsoleLines() const;
    int GetMaxConsoleLines() const;

    // "toggleConsole".
    void RegisterCommands();

    // The drop-down console; main thread only.
    Console& GetConsole() { return console; }
    // While the console is shown: true when it uses the click or the click lies in its band.
    bool ConsoleTakesClick(int button, bool down, int x, int y);
    // Called by the frame drawing every frame.
    void DrawConsole();

    // The debug beep; the sound system installs the hook that plays it when sound is on and
    // the beep is loaded. Without the hook nothing sounds.
    void SetBeepHook(std::function<void()> hook);
    void PlayBeep();

    // The shut-down line: how many lines, warnings and errors this run logged.
    void PrintStatistics() const;

private:
    void Add(int level, std::string_view text);
    void ReleaseHeldLines();
    void StoreLine(const std::string& line);
    void ShowLine(const std::string& line);
    void WriteLogLine(const std::string& line);

    mutable std::recursive_mutex lock;
    std::deque<std::string> consoleLines;
    int maxConsoleLines = 100;
    bool holding = false;
    std::vector<std::pair<int, std::string>> heldLines;
    std::vector<std::string> pendingLogLines;
    std::string logHeader;
    bool logDecided = false;
    FILE* logFile = nullptr;
    std::string logPath;
    int logFileMode = 1;
    bool developer = false;
    bool echoToStdout = false;
    bool translating = false;
    std::function<std::string(const std::string&)> translator;
    std::function<void()> beepHook;
    uint32_t linesLogged = 0;
    uint32_t warningsLogged = 0;
    uint32_t errorsLogged = 0;
    Console console{*this};
};

extern DebugSystem* gDebugSystem;
