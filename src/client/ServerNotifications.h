// ServerNotifications -- the client's handlers of the notification lines the world host sends (damage, kills, timers, warps, skill and item timers, NPC chat) and of the powerup key.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Main thread only. Each handler checks its argument count, entity numbers and indices, and
// ignores a line that names nothing; none reports to the player.
class ServerNotifications {
public:
    using Args = std::vector<std::string>;
    using Handler = void (*)(const Args& args);

    // The interaction kind of a timer that brings up the death screen on the local player.
    static constexpr int32_t kDeathTimerKind = 7;

    // The handler of the command of the name; null for a command handled elsewhere.
    static Handler GetHandler(std::string_view name);

private:
    static void Damage(const Args& args);
    static void Kill(const Args& args);
    static void Death(const Args& args);
    static void Timer(const Args& args);
    static void Warp(const Args& args);
    static void WarpDir(const Args& args);
    static void UsedSkill(const Args& args);
    static void ItemTimer(const Args& args);
    static void NpcChat(const Args& args);
    static void ClearNpcChat(const Args& args);
    static void UseCurrentPowerup(const Args& args);
};
