// InputEventListener -- what the window's event pump hands the input system: keys, typed text, the mouse and the input reset.
#pragma once

#include <cstdint>

// Installed on the window's event pump (SdlGraphicsSystem::SetInputListener); every call comes
// on the main thread from inside PumpMessages. Key codes are SDL scancodes and keycodes, the
// modifiers SDL's KMOD bits; the mouse is in window pixels from the top left.
class InputEventListener {
public:
    virtual ~InputEventListener() = default;

    virtual void OnKey(int32_t scancode, int32_t keycode, uint16_t modifiers, bool down, bool repeat) = 0;
    // UTF-8 text of a key press, as the desktop composes it.
    virtual void OnText(const char* utf8) = 0;
    virtual void OnMouseMove(int32_t x, int32_t y) = 0;
    // 1 left, 2 middle, 3 right, 4 and 5 the extra buttons.
    virtual void OnMouseButton(int32_t button, bool down, int32_t x, int32_t y) = 0;
    // Positive away from the user.
    virtual void OnMouseWheel(int32_t delta) = 0;
    // The window has the focus again: held keys and buttons are forgotten.
    virtual void ResetInput() = 0;
};
