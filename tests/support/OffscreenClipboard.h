// OffscreenClipboard -- SDL's video part started on its offscreen driver for as long as a test holds it, so that the platform's clipboard is reachable; that driver keeps the clipboard inside the process.
#pragma once

#include <SDL.h>

#include <cstdlib>

class OffscreenClipboard {
public:
    OffscreenClipboard()
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        started = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    }
    ~OffscreenClipboard()
    {
        if (started)
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    OffscreenClipboard(const OffscreenClipboard&) = delete;
    OffscreenClipboard& operator=(const OffscreenClipboard&) = delete;

    bool started = false;
};
