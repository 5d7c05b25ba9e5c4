// LogLines -- what tests count among the debug system's console lines.
#include "support/LogLines.h"

#include <algorithm>
#include <string>
#include <vector>

int CountLinesHolding(const DebugSystem& debug, std::string_view text)
{
    std::vector<std::string> lines = debug.GetConsoleLines();
    return static_cast<int>(std::count_if(lines.begin(), lines.end(),
                                          [&](const std::string& line) { return line.find(text) != std::string::npos; }));
}
