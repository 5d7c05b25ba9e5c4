// ClientUi -- what the client asks of the user interface: menu lines, the help topic a game starts with and the lines run when it starts.
#pragma once

#include <string>
#include <vector>

class ClientUi {
public:
    virtual ~ClientUi() = default;

    // "showMenu <name>" and "hideMenu <name>" lines.
    virtual void RunMenuLine(const std::string& line) = 0;
    // The first topic of the help chain shown when a game starts; empty for none.
    virtual std::string GetStartTopic() const = 0;
    // The lines run, in order, when a game's first update arrives.
    virtual std::vector<std::string> GetGameStartLines() const = 0;
    virtual void OnNewWorld() = 0;
};
