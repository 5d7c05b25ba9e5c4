// Covenant -- a covenant of the world host as the game runs it: stepped, paying its upkeep and sending its part of the game update.
#pragma once

#include "covenants/TradeOffer.h"
#include "entities/EntityCovenant.h"
#include "rules/covenants/CovenantBase.h"

#include <cstdint>

class MessageBuffer;
class Sentient;

// The game calls these in its own order: Start and RefreshMembers while a world is made, then
// SetUpFirstWorld once every covenant exists; Update every step and PayUpkeep every "TaxPeriod".
// What each covenant does in them is its kind's business (the computer-run and the player's).
class Covenant : public CovenantBase, public EntityCovenant {
public:
    virtual void Start(int32_t startingLevel, int32_t difficulty) = 0;
    virtual void RefreshMembers() = 0;
    virtual void SetUpFirstWorld() = 0;
    virtual void Update(float seconds) = 0;
    virtual void PayUpkeep() = 0;
    // Its part of the game's part of each game update.
    virtual void WriteNetPart(MessageBuffer& buffer) const = 0;
    // Beaten for good: the game is lost when the first player's covenant is.
    virtual bool IsDefeated() const { return eliminated; }

    // ---- Deals and the player's diplomacy lines ---------------------------------------------
    // The covenant kinds decide and answer the client themselves; until a kind replaces these,
    // a covenant ignores offers, has none pending and changes nothing.
    // The other covenant (the player's) offers a deal.
    virtual void ReceiveOffer(Covenant&, const TradeOffer&) {}
    // The other covenant accepted (true) or rejected this one's offer; on acceptance the
    // covenant carries the deal out through Game::ExecuteOffer.
    virtual void ReceiveOfferResult(Covenant&, const TradeOffer&, bool, int32_t) {}
    // The offer this covenant put to the covenant of the index and still waits on; null when none.
    virtual const TradeOffer* GetPendingOffer(int32_t) const { return nullptr; }
    // Asked to suggest a trade to the other covenant.
    virtual void SuggestTrade(Covenant&) {}
    // A deal was carried out: party 0 is the first covenant of the deal, 1 the second (told
    // the first).
    virtual void OnOfferExecuted(int32_t, Covenant*) {}
    // Adds to a statistic within whatever cap the covenant keeps for it.
    virtual void AddToCappedStat(int32_t stat, int32_t amount) { statistics.Add(stat, amount); }
    virtual void StartSharedAdventure(Covenant&) {}
    virtual void StopSharedAdventure() {}
    // Raids the target together with the partner.
    virtual void StartJointRaid(Covenant&, Covenant&) {}

    // ---- The player's covenant ---------------------------------------------------------------
    virtual bool IsRecruit(const Sentient&) const { return false; }
    // Where a recruit sent home stands.
    virtual WorldPos GetRecruitHome(const Sentient&) const { return GetHomePosition(); }
    virtual void KickOut(int32_t) {}
    virtual void StopRaid() {}

    // ---- Diplomacy the game applied (a kind answers as it sees fit; by default nothing) ----------
    // A pact between the two ended; told to every living covenant.
    virtual void OnPactCancelled(Covenant&, Covenant&) {}
    // The trade route between the two was cancelled; told to every living covenant.
    virtual void OnTradeRouteChanged(Covenant&, Covenant&) {}
    // News of the covenant, told to everyone but the two involved.
    virtual void OnDiplomacyNews(int32_t, Covenant&) {}
    // Peace was made with the other covenant.
    virtual void MakePeace(Covenant&) {}
    // The other covenant declared war on this one.
    virtual void OnWarDeclaredBy(Covenant&) {}
    // The other covenant began raiding this one.
    virtual void OnRaidStarted(Covenant&) {}
    // The other covenant's rumour about this one moved the amount of its resources.
    virtual void OnRumor(Covenant&, int32_t) {}

    // This covenant brought the other down: the influence it gains (its own capped rule).
    virtual int32_t GainFromDestroyed(Covenant&) { return 0; }
    // This covenant's reward of the fallen covenant's chest level.
    virtual void TakeReward(Covenant&, int32_t) {}
    // The world ended for this covenant (its three values are the kind's).
    virtual void EndWorld(int32_t, int32_t, int32_t) {}

    // ---- The ends of worlds ------------------------------------------------------------------
    // Worlds ended, by kind: 0 won, 1 lost, 3 won as an ally; counted without a cap.
    static constexpr int32_t kWorldsWon = 0;
    static constexpr int32_t kWorldsLost = 1;
    static constexpr int32_t kWorldsWonAllied = 3;
    static constexpr int32_t kWorldResultCount = 4;
    void CountWorldResult(int32_t kind)
    {
        if (worldResults.GetCount() < kWorldResultCount)
            worldResults.SetCount(kWorldResultCount);
        worldResults.Add(kind, 1);
    }
    IntArray worldResults;
};
