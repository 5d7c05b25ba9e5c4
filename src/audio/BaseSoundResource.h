// BaseSoundResource -- what every playable sound resource shares: the failed flag of a placeholder.
#pragma once

#include "resources/Resource.h"

class BaseSoundResource : public Resource {
public:
    // A placeholder made for a file that could not be found plays nothing.
    bool IsFailed() const { return failed; }
    void SetFailed() { failed = true; }

private:
    bool failed = false;
};
