// LogLines -- what tests count among the debug system's console lines.
#pragma once

#include "core/DebugSystem.h"

#include <string_view>

// The lines that hold the text anywhere.
int CountLinesHolding(const DebugSystem& debug, std::string_view text);
