// RenderVarLimits -- the range each render setting is held to, so that no value typed or read from a ".cfg" file asks the driver or the memory for more than they can give.
#pragma once

#include "core/UserVarRef.h"

#include <cstdint>
#include <vector>

// Main thread. A setting outside its range is written back as the nearest end of it, with a
// warning that names the setting and the value used; the owners then read only values in range.
class RenderVarLimits {
public:
    // The largest bloom texture side, whatever the driver takes: a square of 2048 is 16 MB and
    // already finer than any window's glow needs.
    static constexpr int32_t kMaxBloomSide = 2048;

    // The vars of the table, registered when missing.
    void FindVars();
    // The driver's largest texture side, which bounds "r_bloomTextureSize".
    void SetMaxTextureSize(int32_t side);
    // Every var of the table brought into its range.
    void Apply();

private:
    struct Entry {
        UserVarRef var;
        float low;
        float high;
        bool integer;
    };

    std::vector<Entry> entries;
    int32_t bloomSideEntry = -1;
};
