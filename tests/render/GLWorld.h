// GLWorld -- a real SDL window with its OpenGL device under the offscreen driver, over the engine's log, commands and user vars.
#pragma once

#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/UserVarSystem.h"
#include "platform/PosixFileSystem.h"
#include "platform/PosixPlatformSystem.h"
#include "platform/SdlGraphicsSystem.h"
#include "render/OpenGLDevice.h"
#include "support/TempFolder.h"

#include <GL/gl.h>

#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

// Mesa's software renderer draws every pixel, so nothing here needs a display or a GPU.
class GLWorld : public ::testing::Test {
protected:
    GLWorld() : platform((folder.Path() / "User").string()), files(folder.Path().string())
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        files.SetRootFolders("Assets");
        gDebugSystem = &debug;
        gPlatformSystem = &platform;
        gFileSystem = &files;
        gCommandSystem = &commands;
        gUserVarSystem = &vars;
        commands.RegisterCommands();
        vars.RegisterCommands();
        display = std::make_unique<SdlGraphicsSystem>();
        device = std::make_unique<OpenGLDevice>(*display);
        display->RegisterDisplayVars();
        device->RegisterVars();
    }
    ~GLWorld() override
    {
        device.reset();
        display.reset();
        gUserVarSystem = nullptr;
        gCommandSystem = nullptr;
        gFileSystem = nullptr;
        gPlatformSystem = nullptr;
        gDebugSystem = nullptr;
    }

    // A small window, its context and the device's initial state.
    void Open(int width = 64, int height = 48)
    {
        vars.SetStringByName("r_width", std::to_string(width));
        vars.SetStringByName("r_height", std::to_string(height));
        display->ChooseStartMode();
        display->SetupDisplay();
        device->StartDisplay();
    }

    TempFolder folder;
    DebugSystem debug;
    PosixPlatformSystem platform;
    PosixFileSystem files;
    CommandSystem commands;
    UserVarSystem vars;
    std::unique_ptr<SdlGraphicsSystem> display;
    std::unique_ptr<OpenGLDevice> device;
};
