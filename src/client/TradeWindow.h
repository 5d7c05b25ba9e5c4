// TradeWindow -- the trade and diplomacy window on the client: the offer being built and the last offer a covenant made, the request lines that send, accept and refuse them, and the lists the window's menus show.
#pragma once

#include "core/CommandSystem.h"
#include "world/TradeOfferEntry.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class GameClient;
class PlayerClient;
class PlayerCovenantClient;

// Main thread only. Owned by the game client; the covenant it deals with is the game client's
// selected covenant. Neither offer is saved.
class TradeWindow {
public:
    using Args = std::vector<std::string>;
    // The sides of an entry as the window's lists show them.
    static constexpr int32_t kPlayerSide = 0;
    static constexpr int32_t kOtherSide = 1;
    static constexpr int32_t kBothSides = 2;

    explicit TradeWindow(GameClient& client) : client(client) {}

    // The window's rows of the client command table, "TalkToCovenant" and the list providers.
    void RegisterCommands();
    // Both offers empty, as a new game finds them.
    void Reset();

    const std::vector<TradeOfferEntry>& GetOffer() const { return offer; }
    const std::vector<TradeOfferEntry>& GetIncoming() const { return incoming; }
    int32_t GetIncomingType() const { return incomingType; }

    // What the side holds: the player's (or its covenant's) for side 0, the selected
    // covenant's for side 1; 0 for one the client does not find.
    int64_t GetMoney(int32_t side) const;
    int64_t GetInfluence(int32_t side) const;
    int64_t GetCrystals(int32_t side) const;

    // ---- The commands (TradeWindow.cpp) ---------------------------------------------------------
    // Adds the entry as every "add" command does (one amount of each kind a side), then sends
    // the preview. False, nothing changed or sent, for a full offer (told on screen).
    bool Add(const TradeOfferEntry& entry);
    // The entry at that position goes; the preview follows while entries remain, else the
    // covenant's answer is reset.
    void Remove(int32_t position);
    void Clear();
    // "offer type covenant" and the entries; nothing without a covenant to deal with.
    void Send(int32_t type) const;
    // The world host's "offerToPlayer" words.
    void ReceiveOffer(const Args& args);
    // The offer shown as theirs goes once the covenant that made it no longer waits on it.
    void ForgetIncoming(int32_t from);
    // The world host's "offerItem" words: the name of an item of the offering covenant's goods
    // that its last offer holds, which the client mirrors nowhere.
    void ReceiveOfferedGoods(const Args& args);

    // ---- The lists (TradeWindowLists.cpp) -------------------------------------------------------
    void ListGold(int32_t side, std::vector<ListEntry>& rows) const;
    void ListInfluence(int32_t side, std::vector<ListEntry>& rows) const;
    void ListCrystals(int32_t side, std::vector<ListEntry>& rows) const;
    void ListItems(int32_t side, std::vector<ListEntry>& rows) const;
    void ListTreaties(int32_t side, std::vector<ListEntry>& rows) const;
    // The entries of that side, of the offer being built or of the last offer received.
    void ListOffer(const std::vector<TradeOfferEntry>& entries, int32_t side, std::vector<ListEntry>& rows) const;
    void ListCurrentTreaties(std::vector<ListEntry>& rows) const;
    // The third covenants the agreement of "AgreementType" may name for "TradeSide".
    void ListCovenantsForAgreement(std::vector<ListEntry>& rows) const;
    // The side an agreement binds, as "chooseOtherCovenant" set "TradeSide": 0, 1 or both (2).
    static int32_t GetAgreementSide();
    // The text of an entry as the offer lists show it; an item entry also gives the row its
    // tooltip and its comparison with what is worn.
    std::string DescribeEntry(const TradeOfferEntry& entry, ListEntry* row) const;

private:
    void RegisterAmountCommands();
    void RegisterOfferCommands();
    void RegisterAnswerCommands();
    void RegisterLists();
    // The amount of the user var on the side of "TradeSide", checked against what that side
    // holds; false, with the screen message, when refused.
    bool AddAmount(int32_t kind, int64_t amount, int64_t held, const char* notEnough);
    // "acceptOffer" or "rejectOffer" with the selected covenant's pending offer.
    void Answer(const char* request) const;
    // The selected covenant while the client holds it; -1 otherwise.
    int32_t GetPartner() const;
    // The player's own covenant: the last of the game client's list.
    int32_t GetOwnCovenant() const;
    int32_t SideCovenant(int32_t side) const;
    static PlayerCovenantClient* GetLocalCovenant();
    void ShowRefusal(const char* text) const;
    void ResetResponse() const;
    bool Holds(int32_t side, int32_t kind) const;
    bool CanAgreeAbout(int32_t action, int32_t side, int32_t third) const;

    GameClient& client;
    std::vector<TradeOfferEntry> offer;
    std::vector<TradeOfferEntry> incoming;
    int32_t incomingType = 0;
    int32_t incomingFrom = -1;
    // The item entries of the last offer received that the other covenant gives, with the names
    // the host told.
    std::vector<std::pair<TradeOfferEntry, std::string>> offeredGoods;
};
