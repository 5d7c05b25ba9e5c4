// InputSystem -- keyboard and mouse devices turned into "keyPress" and "buttonPress" command lines.
#pragma once

#include "core/BaseClass.h"
#include "core/TimeStamp.h"
#include "core/UserVarRef.h"

#include <array>
#include <cstdint>
#include <string>

// The state the rest of the program reads (keys and buttons held and pressed this frame, the
// characters typed this frame, the cursor in a 640 x 480 space) and the logic that turns the
// device's events into command lines, run at once with no context:
//   "keyPress %d 1 0" key down, "keyPress %d 1 1" auto-repeat, "keyPress %d 0 0" key up,
//   "buttonPress %d 1 %d %d" / "buttonPress %d 0 %d %d" (button, cursor x, cursor y),
//   "mouseScrollUp", "mouseScrollDown".
// Key codes are DirectInput scan codes after the localisation's keyboard remapping (0 to 255);
// mouse buttons 0 left, 1 right, 2 middle, 3 and 4 the extra buttons. Main thread only.
class InputSystem : public BaseClass {
public:
    static constexpr int kKeyCount = 256;
    static constexpr int kMouseButtonCount = 5;
    static constexpr int kUIWidth = 640;
    static constexpr int kUIHeight = 480;
    static constexpr int kKeyBackspace = 0x0E;
    static constexpr int kKeyEnter = 0x1C;
    static constexpr int kKeyLeftShift = 0x2A;
    static constexpr int kKeyRightShift = 0x36;
    // The button bits of a mouse message, in button order.
    static constexpr uint32_t kMouseButtonFlags[kMouseButtonCount] = {0x0001, 0x0002, 0x0010, 0x0020, 0x0040};

    InputSystem();
    ~InputSystem() override;

    // The operating system's cursor in pixels relative to the view's top left; false (logged)
    // when it cannot be read.
    virtual bool GetCursorPos(int32_t& x, int32_t& y) = 0;
    virtual void SetCursorPos(int32_t x, int32_t y) = 0;
    // Opens the keyboard; false is fatal to the start-up.
    virtual bool Init() = 0;
    virtual void Shutdown() = 0;
    // Drains the keyboard's buffered events into OnKeyDown and OnKeyUp; once a frame from Update.
    virtual void ReadKeyboard() = 0;
    virtual void ClearEventBuffers() {}

    // "loc_keyboardType", "i_debug" and the "getKeyboardTypes" list.
    void RegisterCommands();
    // After a successful Init: the buffers cleared, "Input initialized" said.
    bool OnStarted();
    // Once a frame at the start of the client's receive step: typed text emptied, the keyboard
    // read, a held key repeated (at most once), the cursor mapped.
    void Update();
    void OnKeyDown(int key);
    void OnKeyUp(int key);
    // Positive away from the user; 0 (a sideways turn only) is no scroll.
    void OnMouseWheel(int delta);
    // The button bits of every mouse message; each button whose bit differs from its held state
    // is pressed or released, at the cursor of the last UpdateCursor.
    void OnMouseMessage(uint32_t buttonFlags);
    void UpdateCursor();
    // Pixels relative to the view into the 640 x 480 space, clamped.
    void ToUICoordinates(int32_t x, int32_t y);
    // The screen the cursor is mapped from; a zero size keeps the last non-zero one.
    void SetScreenSize(int32_t width, int32_t height);
    // Every held and pressed key and button forgotten, the buffers cleared; the repeat stays.
    void ResetState();
    // The display changed: devices shut down and opened again with every key forgotten.
    void Restart();
    // The client, after drawing: the pressed-this-frame tables cleared.
    void ClearPressed();
    // A key bound to an action is no longer held, so it does not act until pressed again.
    void ReleaseKey(int key);

    // The character the key types with the Shift keys as held now; 0 for none.
    char GetCharForKey(int key) const;

    // Out-of-range keys and buttons read as not held and not pressed.
    bool IsKeyDown(int key) const;
    bool WasKeyPressed(int key) const;
    bool IsMouseDown(int button) const;
    int32_t GetCursorX() const { return cursorX; }
    int32_t GetCursorY() const { return cursorY; }
    // The characters of this frame's key-downs; Enter is a line feed, Backspace code 8.
    const std::string& GetTypedText() const { return typedText; }
    int GetRepeatKey() const { return repeatKey; }
    bool IsStarted() const { return started; }

protected:
    static bool IsKey(int key) { return key >= 0 && key < kKeyCount; }
    void ForgetRepeat() { repeatKey = -1; }
    bool IsDebugOn() const;

private:
    void RunKeyLine(int key, bool down, bool repeat);
    // At the cursor of the last UpdateCursor.
    void RunButtonLine(int button, bool down);
    void AppendTypedChar(int key);
    void RepeatHeldKey();
    void ConstrainCursor(bool clamped);

    std::array<bool, kMouseButtonCount> mouseDown{};
    std::array<bool, kMouseButtonCount> mousePressed{};
    std::array<bool, kKeyCount> keyPressed{};
    std::array<bool, kKeyCount> keyDown{};
    int32_t cursorX = 0;
    int32_t cursorY = 0;
    int32_t screenWidth = kUIWidth;
    int32_t screenHeight = kUIHeight;
    std::string typedText;
    int repeatKey = -1;
    TimeStamp repeatTime;
    bool started = false;
    UserVarRef debugVar;
};

extern InputSystem* gInputSystem;
