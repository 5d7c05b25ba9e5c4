// SdlGraphicsSystem -- the game window through SDL2: its OpenGL context, display modes, gamma, cursors and event pump.
#include "platform/SdlGraphicsSystem.h"

#include "core/DebugSystem.h"
#include "core/UserVarSystem.h"
#include "core/system/InputSystem.h"
#include "core/system/PlatformSystem.h"
#include "core/system/SystemInfo.h"
#include "platform/InputEventListener.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
// SDL keeps a block of thread-local state for every thread that makes the context current (the
// resource loader) and never frees it, and on X11 the session bus connection it opens keeps a
// buffer past the end; the leak checker reads this list at exit.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libSDL2\nleak:libdbus-1\n";
}
#endif

SdlGraphicsSystem::SdlGraphicsSystem() = default;

SdlGraphicsSystem::~SdlGraphicsSystem()
{
    FreeCursors();
    DestroyDisplay();
}

// Once per process, and never undone: SDL's offscreen driver does not free its mode list when
// video stops, and the GL driver, once unloaded, leaves its allocations behind where the leak
// checker cannot name them. Kept loaded, both stay reachable until the process ends.
bool SdlGraphicsSystem::InitVideo()
{
    static const bool started = [] {
        // SIGINT and SIGTERM stay the platform's: they end the program through its quit path.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            DebugSystem::Print(kPrintError, "SDL video: %s\n", SDL_GetError());
            return false;
        }
        if (SDL_GL_LoadLibrary(nullptr) != 0)
            DebugSystem::Print(kPrintError, "OpenGL library: %s\n", SDL_GetError());
        return true;
    }();
    videoStarted = started;
    return started;
}

void SdlGraphicsSystem::ListDisplayModes()
{
    if (!displayModes.empty() || !InitVideo())
        return;
    int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        // Some drivers (offscreen) list a mode of no size.
        if (SDL_GetDisplayMode(0, i, &mode) == 0 && mode.w > 0 && mode.h > 0)
            displayModes.push_back({static_cast<int32_t>(SDL_BITSPERPIXEL(mode.format)), mode.w, mode.h,
                                    mode.refresh_rate});
    }
    AddWindowSizes();
}

// A display that lists only its own size (a virtual X server, most laptops' panels) still holds
// a window of any smaller size: the common ones that fit the desktop are offered after its modes,
// or a player who left 800 x 600 for a larger window could never come back to it.
void SdlGraphicsSystem::AddWindowSizes()
{
    static constexpr std::array<std::array<int32_t, 2>, 6> kWindowSizes = {
        {{800, 600}, {1024, 768}, {1280, 720}, {1280, 1024}, {1600, 900}, {1920, 1080}}};
    DisplayMode desktop = GetDesktopMode();
    size_t listed = displayModes.size();
    for (const std::array<int32_t, 2>& windowSize : kWindowSizes) {
        // Copied out of the pair: clang 14 refuses a lambda that captures a structured binding.
        int32_t width = windowSize[0];
        int32_t height = windowSize[1];
        bool known = std::any_of(displayModes.begin(), displayModes.end(), [&](const DisplayMode& mode) {
            return mode.width == width && mode.height == height;
        });
        if (!known && width <= desktop.width && height <= desktop.height)
            displayModes.push_back({desktop.bitsPerPixel, width, height, 0});
    }
    windowOnlyModes = displayModes.size() - listed;
}

// A full-screen mode is taken only as the display lists it exactly, or as the desktop's own.
bool SdlGraphicsSystem::TryDisplayMode(int32_t width, int32_t height, int32_t frequency)
{
    ListDisplayModes();
    auto matches = [&](const DisplayMode& mode) {
        return mode.width == width && mode.height == height && (frequency <= 0 || mode.frequency == frequency);
    };
    for (const DisplayMode& mode : GetFullScreenModes()) {
        if (matches(mode))
            return true;
    }
    return matches(GetDesktopMode());
}

DisplayMode SdlGraphicsSystem::GetDesktopMode()
{
    SDL_DisplayMode mode{};
    if (!InitVideo() || SDL_GetDesktopDisplayMode(0, &mode) != 0)
        return {32, 800, 600, 0};
    return {static_cast<int32_t>(SDL_BITSPERPIXEL(mode.format)), mode.w, mode.h, mode.refresh_rate};
}

void SdlGraphicsSystem::SetContextAttributes(int32_t samples)
{
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, samples > 0 ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, samples);
}

// SDL lists no pixel formats: a count is found when a hidden window's context gets exactly that
// many samples. It costs a window a count, so it runs only when multisampling is asked for.
void SdlGraphicsSystem::ProbeMultisample()
{
    if (multisampleProbed || antiAliasingVar.GetInt() < 1)
        return;
    multisampleProbed = true;
    multisampleCounts.clear();
    for (int32_t samples = 2; samples <= 8; ++samples) {
        SetContextAttributes(samples);
        SDL_Window* probe = SDL_CreateWindow("Antialiasing", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (!probe)
            continue;
        SDL_GLContext probeContext = SDL_GL_CreateContext(probe);
        int got = 0;
        if (probeContext && SDL_GL_GetAttribute(SDL_GL_MULTISAMPLESAMPLES, &got) == 0 && got == samples)
            multisampleCounts.push_back(samples);
        if (probeContext)
            SDL_GL_DeleteContext(probeContext);
        SDL_DestroyWindow(probe);
    }
}

void SdlGraphicsSystem::FailSetup(const char* step)
{
    const char* reason = SDL_GetError();
    gPlatformSystem->CriticalError(std::string(step) + ": " + (reason && *reason ? reason : "no reason given"));
}

void SdlGraphicsSystem::KeepStartSizeInBounds()
{
    ListDisplayModes();
    DisplayMode largest = GetDesktopMode();
    for (const DisplayMode& mode : displayModes) {
        largest.width = std::max(largest.width, mode.width);
        largest.height = std::max(largest.height, mode.height);
    }
    int32_t width = widthVar.GetInt();
    int32_t height = heightVar.GetInt();
    if (width >= kMinWidth && height >= kMinHeight && width <= largest.width && height <= largest.height)
        return;
    DebugSystem::Print(kPrintWarning, "Can't open a window of %dx%d (from %dx%d to %dx%d): using 800x600\n", width,
                       height, kMinWidth, kMinHeight, largest.width, largest.height);
    widthVar.SetString("800");
    heightVar.SetString("600");
}

void SdlGraphicsSystem::RestoreDesktop()
{
    RestoreGamma();
    if (window && fullScreen)
        SDL_SetWindowFullscreen(window, 0);
    fullScreen = false;
}

void SdlGraphicsSystem::SetupDisplay()
{
    if (!InitVideo())
        FailSetup("RegisterClass failed");
    fullScreen = false;
    if (fullScreenVar.GetInt() != 0) {
        if (!GraphicsSystem::SetDisplayMode(modeWidth, modeHeight, modeFrequency, true))
            FailSetup("Failed Display Setup!");
        fullScreen = true;
    }
    ProbeMultisample();
    CreateWindowAndContext();
}

void SdlGraphicsSystem::CreateWindowAndContext()
{
    int32_t samples = ChooseMultisampleSamples();
    SetContextAttributes(samples);
    uint32_t flags = SDL_WINDOW_OPENGL;
    if (fullScreen)
        flags |= SDL_WINDOW_FULLSCREEN;
    if (fullScreen && topWindowVar.GetInt() != 0)
        flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    window = SDL_CreateWindow(windowTitle.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, modeWidth,
                              modeHeight, flags);
    if (!window)
        FailSetup("CreateWindow failed");
    if (fullScreen)
        ApplyWindowMode();
    context = SDL_GL_CreateContext(window);
    if (!context)
        FailSetup("SetPixelFormat failed");
    multisampleInUse = samples > 0;
    // The context is taken by whichever thread needs it, through the graphics device's lock.
    SDL_GL_MakeCurrent(window, nullptr);
    SDL_GetWindowPosition(window, &windowLeft, &windowTop);
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(window, &width, &height);
    OnViewResized(width, height);
    DebugSystem::Print(kPrintDeveloper, "Window %dx%d (%s, %s)\n", width, height,
                       fullScreen ? "full screen" : "windowed", SDL_GetCurrentVideoDriver());
}

bool SdlGraphicsSystem::ApplyWindowMode()
{
    if (!window)
        return false;
    if (!fullScreen) {
        bool windowed = SDL_SetWindowFullscreen(window, 0) == 0;
        SDL_SetWindowSize(window, modeWidth, modeHeight);
        return windowed;
    }
    SDL_DisplayMode wanted{};
    wanted.w = modeWidth;
    wanted.h = modeHeight;
    wanted.refresh_rate = modeFrequency;
    SDL_DisplayMode closest{};
    if (!SDL_GetClosestDisplayMode(0, &wanted, &closest) || SDL_SetWindowDisplayMode(window, &closest) != 0)
        return false;
    return SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) == 0;
}

void SdlGraphicsSystem::RestartDisplay()
{
    if (!window)
        return;
    // A size typed on the console is held to the display's as a start-up size is.
    KeepStartSizeInBounds();
    modeWidth = widthVar.GetInt();
    modeHeight = heightVar.GetInt();
    modeFrequency = frequencyVar.GetInt();
    fullScreen = fullScreenVar.GetInt() != 0 &&
                 GraphicsSystem::SetDisplayMode(modeWidth, modeHeight, modeFrequency, true);
    if (!ApplyWindowMode() && fullScreen) {
        DebugSystem::Print(kPrintWarning, "Can't go full screen at %dx%d: %s\n", modeWidth, modeHeight, SDL_GetError());
        fullScreen = false;
        ApplyWindowMode();
    }
    // The setting says what the display gave: left at 1 after a refusal, the next Alt+Enter would
    // only turn it to 0 and seem to do nothing.
    if ((fullScreenVar.GetInt() != 0) != fullScreen)
        fullScreenVar.SetString(fullScreen ? "1" : "0");
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(window, &width, &height);
    OnViewResized(width, height);
    // The input devices start again on the new display, with nothing held.
    if (gInputSystem)
        gInputSystem->Restart();
}

void SdlGraphicsSystem::DestroyDisplay()
{
    if (context) {
        SDL_GL_DeleteContext(context);
        context = nullptr;
    }
    if (window) {
        SDL_DestroyWindow(window);
        window = nullptr;
    }
    displayModes.clear();
    windowOnlyModes = 0;
}

void* SdlGraphicsSystem::GetProcAddress(const char* name)
{
    return videoStarted ? SDL_GL_GetProcAddress(name) : nullptr;
}

bool SdlGraphicsSystem::MakeCurrent()
{
    return context && SDL_GL_MakeCurrent(window, context) == 0;
}

bool SdlGraphicsSystem::ReleaseContext()
{
    return window && SDL_GL_MakeCurrent(window, nullptr) == 0;
}

bool SdlGraphicsSystem::SwapBuffers()
{
    if (!window)
        return false;
    SDL_GL_SwapWindow(window);
    return true;
}

void SdlGraphicsSystem::ApplySwapInterval()
{
    if (!context)
        return;
    int32_t interval = monitorSyncVar.GetInt();
    // Drivers without swap control refuse it; the offscreen and dummy drivers take it and
    // never wait, having no display to wait for.
    bool accepted = SDL_GL_SetSwapInterval(interval) == 0;
    const char* driver = SDL_GetCurrentVideoDriver();
    bool displayless = !driver || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
    SetSwapWaitsForDisplay(accepted && interval != 0 && !displayless);
}

bool SdlGraphicsSystem::ReadGammaRamp(GammaRamp& ramp)
{
    return window && SDL_GetWindowGammaRamp(window, ramp[0].data(), ramp[1].data(), ramp[2].data()) == 0;
}

bool SdlGraphicsSystem::WriteGammaRamp(const GammaRamp& ramp)
{
    return window && SDL_SetWindowGammaRamp(window, ramp[0].data(), ramp[1].data(), ramp[2].data()) == 0;
}

bool SdlGraphicsSystem::CreateCursor(int32_t index, const CursorImage& image)
{
    if (!InitVideo())
        return false;
    if (cursors[static_cast<size_t>(index)]) {
        SDL_FreeCursor(cursors[static_cast<size_t>(index)]);
        cursors[static_cast<size_t>(index)] = nullptr;
    }
    // SDL reads the pixels while it builds the cursor and keeps none of them.
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(image.rgba), image.width,
                                                              image.height, 32, image.width * 4,
                                                              SDL_PIXELFORMAT_RGBA32);
    if (!surface)
        return false;
    cursors[static_cast<size_t>(index)] = SDL_CreateColorCursor(surface, image.hotX, image.hotY);
    SDL_FreeSurface(surface);
    return cursors[static_cast<size_t>(index)] != nullptr;
}

void SdlGraphicsSystem::SetCursor(int32_t index)
{
    if (HasCursor(index) && cursors[static_cast<size_t>(index)]) {
        SDL_SetCursor(cursors[static_cast<size_t>(index)]);
        SDL_ShowCursor(SDL_ENABLE);
    } else {
        SDL_ShowCursor(SDL_DISABLE);
    }
}

void SdlGraphicsSystem::ShowSystemCursor()
{
    SDL_SetCursor(SDL_GetDefaultCursor());
    SDL_ShowCursor(SDL_ENABLE);
}

void SdlGraphicsSystem::FreeCursors()
{
    for (size_t i = 0; i < cursors.size(); ++i) {
        if (cursors[i])
            SDL_FreeCursor(cursors[i]);
        cursors[i] = nullptr;
        cursorLoaded[i] = false;
    }
}

bool SdlGraphicsSystem::PumpEvents()
{
    if (!videoStarted)
        return true;
    bool open = true;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (!HandleEvent(event))
            open = false;
    }
    return open;
}

bool SdlGraphicsSystem::HandleEvent(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_QUIT:
        return false;
    case SDL_WINDOWEVENT:
        return HandleWindowEvent(event);
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        HandleKey(event);
        break;
    case SDL_TEXTINPUT:
        if (inputListener)
            inputListener->OnText(event.text.text);
        break;
    case SDL_MOUSEMOTION:
        if (inputListener)
            inputListener->OnMouseMove(event.motion.x, event.motion.y);
        OnCursorMoved();
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (inputListener)
            inputListener->OnMouseButton(event.button.button, event.type == SDL_MOUSEBUTTONDOWN, event.button.x,
                                         event.button.y);
        break;
    case SDL_MOUSEWHEEL:
        if (inputListener) {
            int32_t delta = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
            inputListener->OnMouseWheel(delta);
        }
        break;
    default:
        break;
    }
    return true;
}

bool SdlGraphicsSystem::HandleWindowEvent(const SDL_Event& event)
{
    switch (event.window.event) {
    case SDL_WINDOWEVENT_CLOSE:
        return false;
    case SDL_WINDOWEVENT_MOVED:
        windowLeft = event.window.data1;
        windowTop = event.window.data2;
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        OnViewResized(event.window.data1, event.window.data2);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        OnActivate(true, gSystemInfo && gSystemInfo->minimised);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        OnActivate(false, gSystemInfo && gSystemInfo->minimised);
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        OnActivate(false, true);
        break;
    case SDL_WINDOWEVENT_RESTORED:
        OnActivate(true, false);
        break;
    default:
        break;
    }
    return true;
}

void SdlGraphicsSystem::OnActivate(bool active, bool minimisedNow)
{
    bool wasActive = gSystemInfo && gSystemInfo->applicationActive && !gSystemInfo->minimised;
    if (gSystemInfo) {
        gSystemInfo->applicationActive = active;
        gSystemInfo->minimised = minimisedNow;
    }
    // SDL itself minimises a full-screen window that loses the focus and gives the desktop its
    // mode back until the window returns.
    // Only a return resets the input: the window's first focus notice comes a frame or more
    // after the start, and the keyboard, taken with the window in front, lost nothing by then
    // (a reset there dropped the first key a player pressed on the title screen).
    if (active && !wasActive && inputListener)
        inputListener->ResetInput();
}

void SdlGraphicsSystem::HandleKey(const SDL_Event& event)
{
    const SDL_KeyboardEvent& key = event.key;
    bool down = event.type == SDL_KEYDOWN;
    bool enter = key.keysym.sym == SDLK_RETURN || key.keysym.sym == SDLK_KP_ENTER;
    if (down && enter && (key.keysym.mod & KMOD_ALT) && !key.repeat) {
        OnToggleFullScreenKey();
        return;
    }
    if (inputListener)
        inputListener->OnKey(key.keysym.scancode, key.keysym.sym, key.keysym.mod, down, key.repeat != 0);
}
