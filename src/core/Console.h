// Console -- the drop-down console's model: shown lines, the input line with its history, keys and clicks.
#pragma once

#include "core/BaseClass.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class DebugSystem;

class Console : public BaseClass {
public:
    using DrawHook = std::function<void(const Console& console)>;

    // Key codes of the keyboard devices the console answers to.
    static constexpr int kKeyEscape = 1;
    static constexpr int kKeyBackspace = 14;
    static constexpr int kKeyEnter = 28;
    static constexpr int kKeyConsole = 41;
    static constexpr int kKeyPadEnter = 156;
    static constexpr int kKeyHome = 199;
    static constexpr int kKeyUp = 200;
    static constexpr int kKeyPageUp = 201;
    static constexpr int kKeyEnd = 207;
    static constexpr int kKeyDown = 208;
    static constexpr int kKeyPageDown = 209;
    // Clicks above this line land on the console while it is shown.
    static constexpr int kBandHeight = 240;
    static constexpr size_t kHistoryLines = 64;

    // The lines come from the debug system's ring, which outlives the console.
    explicit Console(const DebugSystem& log);

    bool IsShown() const { return shown; }
    void SetShown(bool show);

    // The key hook, offered keys only while the console is shown (a key binding opens it).
    // It takes every key then, so that nothing typed into the console reaches the game; the
    // console key and Escape close it; any other key types the input system's character for it.
    bool OnKey(int key, bool down, bool repeat);
    // Characters typed this frame; control characters are left out.
    void OnText(std::string_view typed);
    // While shown: true for every click in the console's band.
    bool TakesClick(int button, bool down, int x, int y) const;

    // Runs the input line as a command line, keeps it in the history and empties it.
    void Submit();

    // The last `rows` lines of the ring before the scroll position, oldest first.
    std::vector<std::string> VisibleLines(int rows) const;
    const std::string& GetInputLine() const { return input; }
    int GetScroll() const { return scroll; }
    const std::vector<std::string>& GetHistory() const { return history; }

    // The renderer draws the console through this hook; without it nothing is drawn.
    void SetDrawHook(DrawHook hook) { drawHook = std::move(hook); }
    void Draw() const;

private:
    void StepHistory(int direction);
    void ScrollBy(int lines);
    int LineCount() const;

    const DebugSystem& log;
    bool shown = false;
    std::string input;
    std::vector<std::string> history;
    // Index into history while stepping through it; history.size() is the fresh line.
    size_t historyPos = 0;
    // Lines scrolled back from the newest.
    int scroll = 0;
    DrawHook drawHook;
};
