// ClientMessages -- what the client tells the player on screen: the world host's messages, refused actions, the diplomacy answer, and the won and lost game.
#pragma once

#include <cstdint>
#include <string>

class GameClient;

// Main thread only. Owned by the game client; texts go to the world view's text events at the
// interface's three text positions.
class ClientMessages {
public:
    // The text events' ids: a newer text of the same id replaces the older one; the log keeps
    // every line.
    static constexpr int32_t kRefusalEventId = 8;
    static constexpr int32_t kNoticeEventId = 7;
    static constexpr int32_t kLogEventId = 4;
    static constexpr float kLogSeconds = 30.0f;
    // The world host's type for news about other covenants, quests and world events.
    static constexpr int32_t kNewsType = 3;

    explicit ClientMessages(GameClient& client) : client(client) {}

    // "msg" and "dipRes".
    void RegisterCommands();

    // A message of the world host's types: 2 adventuring, 4 refused, 5 a long refusal, 6 a
    // relation change; any other goes to the log with the alert sound unless silent, type 3
    // (news about others) as a news line.
    void AddMessage(int32_t type, const std::string& text, bool silent);
    // A refused action, with the invalid-action sound unless silent.
    void ShowMessage(const std::string& text, bool silent);
    // A line of the message log.
    void ShowLogText(const std::string& text);
    // The answer of the covenant at the index; nothing for a covenant or response it lacks.
    void SetDiplomacyResponse(int32_t covenantIndex, int32_t responseIndex);
    // The relations screen's opening words with the covenant at the index, kinds 5 to 7, built
    // as an answer is; nothing for a covenant or kind it lacks.
    void SetDiplomacyText(int32_t covenantIndex, int32_t kind);

    bool IsVictoryPending() const;
    bool IsPlayerCovenantEliminated() const;
    // Once per game each; the frame runs them.
    void WinGame();
    void LoseGame();

    const std::string& GetDiplomacyResponse() const { return diplomacyResponse; }
    const std::string& GetWonText() const { return wonText; }
    const std::string& GetLostText() const { return lostText; }

private:
    void ShowText(const std::string& text, int32_t position, float seconds, int32_t id, bool centred,
                  bool allowMultiple) const;
    // A log line of news about others, which gives way to the player's own lines.
    void ShowNewsText(const std::string& text) const;

    GameClient& client;
    std::string diplomacyResponse;
    std::string wonText;
    std::string lostText;
};
