// ScanCodeTableTest -- every key the shipped key names name is reachable from an SDL scancode, and every code reached has a name.
#include "platform/ScanCodeTable.h"

#include "core/LocSystem.h"
#include "support/GameFolderFiles.h"
#include "support/ShippedGame.h"

#include <SDL_scancode.h>

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <vector>

namespace {

// The PC-98 and AX keys and Wake, which no USB keyboard position gives.
const std::set<int> kScanCodesWithoutUsbKey = {145, 146, 147, 150, 151, 227};

TEST(ScanCodeTable, TheConsoleAndEditingKeysHaveTheirDirectInputCodes)
{
    const std::map<SDL_Scancode, int> expected = {
        {SDL_SCANCODE_ESCAPE, 1},     {SDL_SCANCODE_1, 2},         {SDL_SCANCODE_0, 11},
        {SDL_SCANCODE_BACKSPACE, 14}, {SDL_SCANCODE_TAB, 15},      {SDL_SCANCODE_RETURN, 28},
        {SDL_SCANCODE_GRAVE, 41},     {SDL_SCANCODE_LSHIFT, 42},   {SDL_SCANCODE_RSHIFT, 54},
        {SDL_SCANCODE_SPACE, 57},     {SDL_SCANCODE_F12, 88},      {SDL_SCANCODE_KP_ENTER, 0x9C},
        {SDL_SCANCODE_RCTRL, 157},    {SDL_SCANCODE_HOME, 199},    {SDL_SCANCODE_UP, 200},
        {SDL_SCANCODE_PAGEUP, 201},   {SDL_SCANCODE_LEFT, 203},    {SDL_SCANCODE_RIGHT, 205},
        {SDL_SCANCODE_END, 207},      {SDL_SCANCODE_DOWN, 208},    {SDL_SCANCODE_PAGEDOWN, 209},
        {SDL_SCANCODE_DELETE, 211},   {SDL_SCANCODE_PRINTSCREEN, 183},
    };
    for (const auto& [sdl, code] : expected)
        EXPECT_EQ(ScanCodeFromSdl(sdl), code) << "scancode " << sdl;
    EXPECT_EQ(ScanCodeFromSdl(SDL_SCANCODE_UNKNOWN), 0);
    EXPECT_EQ(ScanCodeFromSdl(SDL_SCANCODE_F24), 0);
    EXPECT_EQ(ScanCodeFromSdl(-1), 0);
    EXPECT_EQ(ScanCodeFromSdl(SDL_NUM_SCANCODES), 0);
}

TEST(ScanCodeTable, LettersAndDigitsFollowTheKeyboardRows)
{
    const char* rows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
    const int firsts[] = {16, 30, 44};
    for (int row = 0; row < 3; ++row) {
        for (int i = 0; rows[row][i] != '\0'; ++i) {
            auto sdl = static_cast<SDL_Scancode>(SDL_SCANCODE_A + (rows[row][i] - 'A'));
            EXPECT_EQ(ScanCodeFromSdl(sdl), firsts[row] + i) << rows[row][i];
        }
    }
    for (int digit = 1; digit <= 9; ++digit)
        EXPECT_EQ(ScanCodeFromSdl(SDL_SCANCODE_1 + digit - 1), digit + 1);
}

TEST(ScanCodeTable, EveryNamedKeyIsReachableAndEveryReachedCodeIsNamed)
{
    if (ShippedGameFolder().empty())
        GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
    GameFolderFiles game(ShippedGameFolder());
    LocSystem loc;
    ASSERT_TRUE(loc.Load("English"));
    std::map<int, std::vector<int>> reached;
    for (int sdl = 0; sdl < SDL_NUM_SCANCODES; ++sdl) {
        int code = ScanCodeFromSdl(sdl);
        if (code != 0)
            reached[code].push_back(sdl);
    }
    for (const auto& [code, sources] : reached) {
        EXPECT_NE(loc.GetKeyName(code), "") << "code " << code << " has no name to bind it by";
        // Only the Kana and Mute keys have two positions.
        if (code != 112 && code != 160) {
            EXPECT_EQ(sources.size(), 1u) << "code " << code;
        }
    }
    int named = 0;
    for (int code = 1; code < LocSystem::kKeyCount; ++code) {
        if (loc.GetKeyName(code).empty())
            continue;
        ++named;
        bool usb = kScanCodesWithoutUsbKey.count(code) == 0;
        EXPECT_EQ(reached.count(code) == 1, usb) << loc.GetKeyName(code) << " " << code;
    }
    EXPECT_EQ(named, 142);
}

} // namespace
