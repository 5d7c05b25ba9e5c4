// InputSystem -- keyboard and mouse devices turned into "keyPress" and "buttonPress" command lines.
#include "core/system/InputSystem.h"

#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/LocSystem.h"
#include "core/UserVarSystem.h"
#include "core/system/GraphicsSystem.h"
#include "core/system/SystemInfo.h"
#include "core/system/TimerSystem.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

InputSystem* gInputSystem = nullptr;

namespace {

// The system information's values before its report has run.
constexpr float kInputDefaultRepeatDelay = 0.5f;
constexpr float kInputDefaultRepeatInterval = 1.0f / 30.0f;

TimeStamp InputClockNow()
{
    return gTimerSystem ? gTimerSystem->GetClock() : TimeStamp{};
}

TimeStamp InputClockAfter(float seconds)
{
    TimeStamp time = InputClockNow();
    time.seconds += seconds;
    time.Normalize();
    return time;
}

} // namespace

InputSystem::InputSystem() = default;

InputSystem::~InputSystem()
{
    if (gInputSystem == this)
        gInputSystem = nullptr;
}

void InputSystem::RegisterCommands()
{
    if (gUserVarSystem) {
        // The localisation applies the keyboard type; a value from the ".cfg" files stays.
        gUserVarSystem->RegisterVar("loc_keyboardType", "0");
        debugVar = gUserVarSystem->RegisterVar("i_debug", "0");
    }
    if (!gCommandSystem)
        return;
    gCommandSystem->RegisterInfoProc("getKeyboardTypes", [](std::vector<ListEntry>& rows) {
        if (!gLocSystem)
            return;
        std::vector<std::string> types = gLocSystem->GetKeyboardTypes();
        for (size_t i = 0; i < types.size(); ++i) {
            ListEntry entry;
            entry.name = types[i];
            entry.value = std::to_string(i);
            rows.push_back(entry);
        }
    });
}

bool InputSystem::OnStarted()
{
    ClearEventBuffers();
    DebugSystem::Print(kPrintPlain, "Input initialized\n");
    started = true;
    return true;
}

bool InputSystem::IsDebugOn() const
{
    return debugVar.IsValid() && debugVar.GetInt() != 0;
}

void InputSystem::Update()
{
    typedText.clear();
    ReadKeyboard();
    RepeatHeldKey();
    UpdateCursor();
}

// The repeat runs on the engine clock, so a frame that stands still repeats nothing and a long
// frame repeats only once.
void InputSystem::RepeatHeldKey()
{
    if (repeatKey < 0 || !(repeatTime <= InputClockNow()))
        return;
    RunKeyLine(repeatKey, true, true);
    repeatTime = InputClockAfter(gSystemInfo ? gSystemInfo->keyRepeatInterval : kInputDefaultRepeatInterval);
}

void InputSystem::RunKeyLine(int key, bool down, bool repeat)
{
    char line[48];
    std::snprintf(line, sizeof line, "keyPress %d %d %d", key, down ? 1 : 0, repeat ? 1 : 0);
    if (gCommandSystem)
        gCommandSystem->Execute(line);
}

void InputSystem::RunButtonLine(int button, bool down)
{
    char line[64];
    std::snprintf(line, sizeof line, "buttonPress %d %d %d %d", button, down ? 1 : 0, cursorX, cursorY);
    if (gCommandSystem)
        gCommandSystem->Execute(line);
}

void InputSystem::OnKeyDown(int key)
{
    // A device's code indexes the tables: one outside them is refused.
    if (!IsKey(key)) {
        DebugSystem::Print(kPrintDeveloper, "Key code %d is out of range\n", key);
        return;
    }
    keyDown[key] = true;
    keyPressed[key] = true;
    AppendTypedChar(key);
    RunKeyLine(key, true, false);
    repeatKey = key;
    repeatTime = InputClockAfter(gSystemInfo ? gSystemInfo->keyRepeatDelay : kInputDefaultRepeatDelay);
}

void InputSystem::AppendTypedChar(int key)
{
    char ch = GetCharForKey(key);
    auto code = static_cast<unsigned char>(ch);
    // The ASCII classes only: a character above 127 is the code page's and is taken as it stands.
    bool printable = code >= 128 || std::isalnum(code) || std::ispunct(code) || std::isspace(code);
    if (ch != 0 && printable)
        typedText += ch;
    else if (key == kKeyEnter)
        typedText += '\n';
    else if (key == kKeyBackspace)
        typedText += '\b';
}

void InputSystem::OnKeyUp(int key)
{
    if (!IsKey(key)) {
        DebugSystem::Print(kPrintDeveloper, "Key code %d is out of range\n", key);
        return;
    }
    keyDown[key] = false;
    RunKeyLine(key, false, false);
    if (repeatKey == key)
        repeatKey = -1;
}

void InputSystem::OnMouseWheel(int delta)
{
    // A sideways turn has no distance forward or back: it would read as a scroll down.
    if (delta == 0 || !gCommandSystem)
        return;
    gCommandSystem->Execute(delta > 0 ? "mouseScrollUp" : "mouseScrollDown");
}

void InputSystem::OnMouseMessage(uint32_t buttonFlags)
{
    for (int button = 0; button < kMouseButtonCount; ++button) {
        bool held = (buttonFlags & kMouseButtonFlags[button]) != 0;
        if (held == mouseDown[button])
            continue;
        mouseDown[button] = held;
        if (held)
            mousePressed[button] = true;
        RunButtonLine(button, held);
    }
}

void InputSystem::UpdateCursor()
{
    int32_t x = 0;
    int32_t y = 0;
    if (!GetCursorPos(x, y))
        return;
    if (gGraphicsSystem)
        SetScreenSize(gGraphicsSystem->GetScreenWidth(), gGraphicsSystem->GetScreenHeight());
    ToUICoordinates(x, y);
    int32_t clampedX = std::clamp(cursorX, 0, kUIWidth - 1);
    int32_t clampedY = std::clamp(cursorY, 0, kUIHeight - 1);
    bool clamped = clampedX != cursorX || clampedY != cursorY;
    cursorX = clampedX;
    cursorY = clampedY;
    ConstrainCursor(clamped);
}

void InputSystem::SetScreenSize(int32_t width, int32_t height)
{
    // A minimised window reports no size; dividing by it would lose the cursor.
    if (width > 0)
        screenWidth = width;
    if (height > 0)
        screenHeight = height;
}

void InputSystem::ToUICoordinates(int32_t x, int32_t y)
{
    // The scaled quotient is held as a float before the half is added, so the rounding is the
    // float's.
    auto scaledX = static_cast<float>(static_cast<double>(x) / screenWidth * kUIWidth);
    auto scaledY = static_cast<float>(static_cast<double>(y) / screenHeight * kUIHeight);
    cursorX = static_cast<int32_t>(std::floor(scaledX + 0.5f));
    cursorY = static_cast<int32_t>(std::floor(scaledY + 0.5f));
}

// Puts the system cursor back inside a window that it left, when the player asked for it.
void InputSystem::ConstrainCursor(bool clamped)
{
    if (!clamped || (gGraphicsSystem && gGraphicsSystem->IsFullScreen()))
        return;
    if ((gSystemInfo && !gSystemInfo->applicationActive) || !gUserVarSystem ||
        gUserVarSystem->GetIntByName("ui_constrainMouse") == 0)
        return;
    SetCursorPos(static_cast<int32_t>(std::floor(static_cast<float>(screenWidth) * cursorX / kUIWidth)),
                 static_cast<int32_t>(std::floor(static_cast<float>(screenHeight) * cursorY / kUIHeight)));
}

void InputSystem::ResetState()
{
    keyDown.fill(false);
    keyPressed.fill(false);
    mouseDown.fill(false);
    mousePressed.fill(false);
    ClearEventBuffers();
}

void InputSystem::Restart()
{
    Shutdown();
    ResetState();
    cursorX = 0;
    cursorY = 0;
    repeatKey = -1;
    if (Init())
        OnStarted();
}

void InputSystem::ClearPressed()
{
    keyPressed.fill(false);
    mousePressed.fill(false);
}

void InputSystem::ReleaseKey(int key)
{
    if (IsKey(key))
        keyDown[key] = false;
}

char InputSystem::GetCharForKey(int key) const
{
    if (!gLocSystem)
        return 0;
    return gLocSystem->MapKeyToChar(key, IsKeyDown(kKeyLeftShift) || IsKeyDown(kKeyRightShift));
}

bool InputSystem::IsKeyDown(int key) const
{
    return IsKey(key) && keyDown[key];
}

bool InputSystem::WasKeyPressed(int key) const
{
    return IsKey(key) && keyPressed[key];
}

bool InputSystem::IsMouseDown(int button) const
{
    return button >= 0 && button < kMouseButtonCount && mouseDown[button];
}

