// Console -- the drop-down console's model: shown lines, the input line with its history, keys and clicks.
#include "core/Console.h"

#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/system/InputSystem.h"

#include <algorithm>

namespace {

// Page Up and Page Down move this many lines.
constexpr int kPageLines = 10;

} // namespace

Console::Console(const DebugSystem& log) : log(log)
{
}

void Console::SetShown(bool show)
{
    shown = show;
    scroll = 0;
}

bool Console::OnKey(int key, bool down, bool repeat)
{
    if (!shown)
        return false;
    if (!down)
        return true;
    switch (key) {
    case kKeyConsole:
        if (!repeat)
            SetShown(false);
        break;
    case kKeyEscape: SetShown(false); break;
    case kKeyEnter:
    case kKeyPadEnter: Submit(); break;
    case kKeyBackspace:
        if (!input.empty())
            input.pop_back();
        break;
    case kKeyUp: StepHistory(-1); break;
    case kKeyDown: StepHistory(1); break;
    case kKeyPageUp: ScrollBy(kPageLines); break;
    case kKeyPageDown: ScrollBy(-kPageLines); break;
    case kKeyHome: ScrollBy(LineCount()); break;
    case kKeyEnd: scroll = 0; break;
    // The character is taken with its key, so that a line typed and entered within one frame
    // is whole when Enter submits it; repeats type it again.
    default:
        if (gInputSystem)
            OnText(std::string(1, gInputSystem->GetCharForKey(key)));
        break;
    }
    return true;
}

void Console::OnText(std::string_view typed)
{
    if (!shown)
        return;
    for (char c : typed) {
        if (static_cast<unsigned char>(c) >= 32 && c != 127)
            input += c;
    }
}

bool Console::TakesClick(int, bool, int, int y) const
{
    return shown && y < kBandHeight;
}

void Console::Submit()
{
    std::string line;
    line.swap(input);
    historyPos = history.size();
    scroll = 0;
    if (line.empty())
        return;
    if (history.empty() || history.back() != line) {
        history.push_back(line);
        if (history.size() > kHistoryLines)
            history.erase(history.begin());
    }
    historyPos = history.size();
    DebugSystem::Print(kPrintPlain, "]%s\n", line.c_str());
    ExecuteCommandLine(line);
}

void Console::StepHistory(int direction)
{
    if (history.empty())
        return;
    if (direction < 0 && historyPos > 0)
        --historyPos;
    else if (direction > 0 && historyPos < history.size())
        ++historyPos;
    input = historyPos < history.size() ? history[historyPos] : std::string();
}

void Console::ScrollBy(int lines)
{
    scroll = std::clamp(scroll + lines, 0, std::max(0, LineCount() - 1));
}

int Console::LineCount() const
{
    return static_cast<int>(log.GetConsoleLines().size());
}

std::vector<std::string> Console::VisibleLines(int rows) const
{
    std::vector<std::string> lines = log.GetConsoleLines();
    int end = std::max(0, static_cast<int>(lines.size()) - std::min(scroll, static_cast<int>(lines.size())));
    int begin = std::max(0, end - std::max(0, rows));
    return std::vector<std::string>(lines.begin() + begin, lines.begin() + end);
}

void Console::Draw() const
{
    if (drawHook)
        drawHook(*this);
}
