// ScanCodeTable -- SDL's scancodes (USB usage positions) to the DirectInput scan codes the game's key codes are.
#pragma once

#include <cstdint>

// The DirectInput scan code of the key in that position (1 Escape, 2 to 11 the digits, 28
// Enter, 41 the key left of 1, 156 keypad Enter, 200 Up, ...); 0 for a key the game has no
// code for. Several SDL scancodes may give one code (the two Mute keys).
int ScanCodeFromSdl(int32_t sdlScancode);
