// InputWorld -- an input system over a scripted keyboard, a hand-stepped clock, the shipped keyboard types and recording commands.
#pragma once

#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/LocSystem.h"
#include "core/UserVarSystem.h"
#include "core/system/InputSystem.h"
#include "core/system/SystemInfo.h"
#include "core/system/TimerSystem.h"
#include "support/GameFolderFiles.h"
#include "support/ShippedGame.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

// The keyboard's events are queued by the test and read by the frame's Update.
class ScriptedInput : public InputSystem {
public:
    bool GetCursorPos(int32_t& x, int32_t& y) override
    {
        if (!cursorReadable)
            return false;
        x = cursor.first;
        y = cursor.second;
        return true;
    }
    void SetCursorPos(int32_t x, int32_t y) override { warps.emplace_back(x, y); }
    bool Init() override
    {
        ++inits;
        return true;
    }
    void Shutdown() override { ++shutdowns; }
    void ReadKeyboard() override
    {
        std::vector<std::pair<int, bool>> events;
        events.swap(queued);
        for (const auto& [key, down] : events) {
            if (down)
                OnKeyDown(key);
            else
                OnKeyUp(key);
        }
    }

    void Press(int key) { queued.emplace_back(key, true); }
    void Release(int key) { queued.emplace_back(key, false); }

    std::vector<std::pair<int, bool>> queued;
    std::pair<int32_t, int32_t> cursor{0, 0};
    bool cursorReadable = true;
    std::vector<std::pair<int32_t, int32_t>> warps;
    int inits = 0;
    int shutdowns = 0;
};

class InputClock : public TimerSystem {
public:
    uint32_t GetTime() override { return now; }
    uint32_t now = 1000;
};

class InputInfo : public SystemInfo {
public:
    void LogSystemInfo() override {}
};

class InputWorld : public ::testing::Test {
protected:
    InputWorld() : game(ShippedGameFolder())
    {
        gCommandSystem = &commands;
        gUserVarSystem = &vars;
        gTimerSystem = &clock;
        gSystemInfo = &info;
        gLocSystem = &loc;
        gInputSystem = &input;
        commands.RegisterCommands();
        vars.RegisterCommands();
        loc.RegisterCommands();
        input.RegisterCommands();
        clock.UpdateClock();
    }
    ~InputWorld() override
    {
        gInputSystem = nullptr;
        gLocSystem = nullptr;
        gSystemInfo = nullptr;
        gTimerSystem = nullptr;
        gUserVarSystem = nullptr;
        gCommandSystem = nullptr;
    }

    void SetUp() override
    {
        if (ShippedGameFolder().empty())
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        ASSERT_TRUE(loc.Load("English"));
    }

    // The lines the four input commands received, as "name arg arg ...".
    void RecordInputLines()
    {
        for (const char* name : {"keyPress", "buttonPress", "mouseScrollUp", "mouseScrollDown"}) {
            commands.RegisterCommand(
                name,
                [this, name](const std::vector<std::string>& args) {
                    std::string line = name;
                    for (const std::string& arg : args)
                        line += " " + arg;
                    lines.push_back(line);
                },
                "", "", "", kCommandNoArgumentCheck);
        }
    }

    // One frame of the given length: the clock moves, then the input's update runs.
    void Frame(uint32_t ms)
    {
        clock.now += ms;
        clock.UpdateClock();
        input.Update();
    }

    std::vector<std::string> TakeLines()
    {
        std::vector<std::string> taken;
        taken.swap(lines);
        return taken;
    }

    GameFolderFiles game;
    CommandSystem commands;
    UserVarSystem vars;
    InputClock clock;
    InputInfo info;
    LocSystem loc;
    ScriptedInput input;
    std::vector<std::string> lines;
};
