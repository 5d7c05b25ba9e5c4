// SdlInputSystem -- the input system's devices on SDL: the window's key and mouse events, the keyboard's event buffer, focus and the cursor.
#pragma once

#include "core/system/InputSystem.h"
#include "platform/InputEventListener.h"
#include "platform/KeyboardEventBuffer.h"

#include <cstdint>

// The window's event pump hands it every key and mouse event (install it as the pump's
// listener). Keys wait in the buffer until the frame's read, as DirectInput's buffered keyboard
// did; the mouse acts at once, at the place of each click. The keyboard delivers only while the
// window has the focus: a read after the focus went away fails, and the first good read after it
// drops key-downs, so a key held across the focus change makes no new press but its release
// still counts.
class SdlInputSystem : public InputSystem, public InputEventListener {
public:
    SdlInputSystem();
    ~SdlInputSystem() override;

    // The cursor as the window last reported it, in pixels from its top left.
    bool GetCursorPos(int32_t& x, int32_t& y) override;
    void SetCursorPos(int32_t x, int32_t y) override;
    bool Init() override;
    void Shutdown() override;
    void ReadKeyboard() override;
    void ClearEventBuffers() override;

    void OnKey(int32_t scancode, int32_t keycode, uint16_t modifiers, bool down, bool repeat) override;
    void OnText(const char* utf8) override;
    void OnMouseMove(int32_t x, int32_t y) override;
    void OnMouseButton(int32_t button, bool down, int32_t x, int32_t y) override;
    void OnMouseWheel(int32_t delta) override;
    void ResetInput() override;

    bool IsKeyboardAcquired() const { return keyboardAcquired; }

private:
    // The keyboard can be had only while the window is in the foreground.
    static bool Acquire();
    void FailRead();

    KeyboardEventBuffer keyboardEvents;
    bool opened = false;
    bool keyboardAcquired = false;
    // The focus went away and came back since the last read.
    bool inputLost = false;
    bool ignoreKeyDowns = false;
    uint32_t mouseButtonFlags = 0;
    int32_t mouseX = 0;
    int32_t mouseY = 0;
};
