// ServerRequestTable -- the request lines a client sends the world host: each command's name, help, arguments and flags, which both halves register.
#pragma once

#include <array>
#include <cstdint>

// The wire part of one request command; the world host attaches its handler by position.
struct ServerRequest {
    const char* name;
    const char* help;
    const char* argNames;
    const char* argTypes;
    uint32_t flags;
};

class ServerRequestTable {
public:
    static constexpr int32_t kCount = 54;

    // In registration order.
    static const std::array<ServerRequest, kCount>& GetRows();
};
