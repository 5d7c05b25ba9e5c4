// ClientCommandTable -- the client's console commands: the rows the menus, key bindings and the world host's lines run, in registration order, and the world host's request names typed lines are handed on by.
#pragma once

#include "core/CommandSystem.h"

#include <array>
#include <cstdint>
#include <string_view>

class ClientApp;
class PlayerClient;

struct ClientCommandRow {
    const char* name;
    const char* argNames;
    const char* argTypes;
    const char* help;
    // kCommandNoArgumentCheck for a row whose handler reads its words as a list.
    uint32_t flags = 0;
};

// Main thread only. A row whose handler belongs to another system is registered by that system
// through Attach, so that every command the client runs reads its wording from one table.
class ClientCommandTable {
public:
    static constexpr int32_t kCount = 83;
    using Handler = void (*)(const std::vector<std::string>& args);

    static const std::array<ClientCommandRow, kCount>& GetRows();
    static const ClientCommandRow* FindRow(std::string_view name);
    // Whether a world host may send the command in its lines: its notifications only. The others
    // are the player's own (they delete files, start programs, change the profile or the deal),
    // and a host's line naming one is refused.
    static bool IsHostLine(std::string_view name);

    // The rows whose handlers the notifications and the in-game handlers hold, in the table's
    // order, then the world host's request names without handlers, so that a typed, bound or
    // menu line of one is queued for the host.
    static void Register(ClientApp& app);
    // Registers the row of the name with the handler into both of the client's registries;
    // false, nothing registered, for a name not in the table or an empty handler (which would
    // hand the line to the world host instead of running it).
    static bool Attach(ClientApp& app, std::string_view name, CommandSystem::Handler handler);

    // The local player while a game runs; null before the first welcome and after the end.
    static PlayerClient* GetLocalPlayer();
    // Appends the line to the connection's outgoing list; nothing without a connection.
    static void Queue(const std::string& line);
};
