// NoCaseLess -- the ordering of names that are looked up without regard to ASCII case.
#pragma once

#include "core/StringUtil.h"

#include <string_view>

// Transparent, so that a map keyed by std::string is searched with a string_view.
struct NoCaseLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return StringCompareNoCase(a, b) < 0; }
};
