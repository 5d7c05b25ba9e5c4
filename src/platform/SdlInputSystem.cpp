// SdlInputSystem -- the input system's devices on SDL: the window's key and mouse events, the keyboard's event buffer, focus and the cursor.
#include "platform/SdlInputSystem.h"

#include "core/DebugSystem.h"
#include "core/LocSystem.h"
#include "core/system/SystemInfo.h"
#include "platform/ScanCodeTable.h"

#include <SDL.h>

namespace {

// SDL numbers the buttons 1 left, 2 middle, 3 right, 4 and 5 the extra ones; -1 for any other.
int SdlInputButtonIndex(int32_t sdlButton)
{
    switch (sdlButton) {
    case SDL_BUTTON_LEFT: return 0;
    case SDL_BUTTON_RIGHT: return 1;
    case SDL_BUTTON_MIDDLE: return 2;
    case SDL_BUTTON_X1: return 3;
    case SDL_BUTTON_X2: return 4;
    default: return -1;
    }
}

} // namespace

SdlInputSystem::SdlInputSystem() = default;

SdlInputSystem::~SdlInputSystem() = default;

bool SdlInputSystem::Acquire()
{
    return !gSystemInfo || gSystemInfo->applicationActive;
}

bool SdlInputSystem::Init()
{
    opened = true;
    // Without the focus now, the frame's read takes the keyboard once it comes.
    keyboardAcquired = Acquire();
    return true;
}

void SdlInputSystem::Shutdown()
{
    opened = false;
    keyboardAcquired = false;
    ignoreKeyDowns = true;
}

bool SdlInputSystem::GetCursorPos(int32_t& x, int32_t& y)
{
    x = mouseX;
    y = mouseY;
    return true;
}

void SdlInputSystem::SetCursorPos(int32_t x, int32_t y)
{
    // Into the window that has the mouse; nothing when none has.
    SDL_WarpMouseInWindow(nullptr, x, y);
    mouseX = x;
    mouseY = y;
}

// The buttons' bits go with the buffers: once the held buttons are forgotten, a bit left set
// would press a button again with the next click of another.
void SdlInputSystem::ClearEventBuffers()
{
    keyboardEvents.Clear();
    mouseButtonFlags = 0;
}

void SdlInputSystem::OnKey(int32_t scancode, int32_t, uint16_t, bool down, bool repeat)
{
    // The input system repeats held keys itself, on the desktop's timing.
    if (repeat || !opened || !keyboardAcquired)
        return;
    int code = ScanCodeFromSdl(scancode);
    if (code != 0)
        keyboardEvents.Push({code, down});
}

// The characters come from the keys through the language's keyboard types, not from what the
// desktop composes.
void SdlInputSystem::OnText(const char*)
{
}

void SdlInputSystem::FailRead()
{
    keyboardAcquired = Acquire();
    inputLost = false;
    ignoreKeyDowns = true;
    ForgetRepeat();
    keyboardEvents.Clear();
}

void SdlInputSystem::ReadKeyboard()
{
    if (!opened)
        return;
    if (!keyboardAcquired || inputLost || !Acquire()) {
        FailRead();
        return;
    }
    bool lostSome = false;
    std::vector<KeyboardRecord> records = keyboardEvents.Take(lostSome);
    if (lostSome)
        DebugSystem::Print(kPrintDeveloper, "Keyboard buffer overflowed\n");
    for (const KeyboardRecord& record : records) {
        if (record.down && IsDebugOn())
            DebugSystem::Print(kPrintDeveloper, "Keypress code - %d\n", record.scanCode);
        int key = gLocSystem ? gLocSystem->MapScanCode(record.scanCode) : record.scanCode;
        if (!record.down)
            OnKeyUp(key);
        else if (!ignoreKeyDowns)
            OnKeyDown(key);
    }
    ignoreKeyDowns = false;
}

void SdlInputSystem::OnMouseMove(int32_t x, int32_t y)
{
    mouseX = x;
    mouseY = y;
}

void SdlInputSystem::OnMouseButton(int32_t button, bool down, int32_t x, int32_t y)
{
    mouseX = x;
    mouseY = y;
    // The click acts where it was made: in a frame that stalled, the move to it and the click
    // arrive together, and the cursor of the last frame would click what the pointer left.
    UpdateCursor();
    int index = SdlInputButtonIndex(button);
    if (index < 0)
        return;
    if (down)
        mouseButtonFlags |= kMouseButtonFlags[index];
    else
        mouseButtonFlags &= ~kMouseButtonFlags[index];
    OnMouseMessage(mouseButtonFlags);
}

void SdlInputSystem::OnMouseWheel(int32_t delta)
{
    InputSystem::OnMouseWheel(delta);
}

// The window has the focus again: what was held is forgotten, and the keyboard, which lost its
// input meanwhile, fails its next read.
void SdlInputSystem::ResetInput()
{
    if (!IsStarted())
        return;
    inputLost = true;
    ResetState();
}
