// CovenantHost -- what the covenants ask of the game that holds them beyond the entities' services: the list, the clock, the town and the spawn system.
#pragma once

#include "core/TimeStamp.h"
#include "core/Vector.h"

#include "world/WorldPos.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Actor;
class Chest;
class Covenant;
class Entity;
class Item;
class MonsterType;
struct TradeOffer;

// Filled by the server's game behind gCovenantHost; the covenants' tests fill it with a fake.
// Later covenant work adds what it needs here.
class CovenantHost {
public:
    static constexpr int32_t kPedestalCount = 4;

    virtual ~CovenantHost() = default;

    // ---- The covenant list --------------------------------------------------------------------
    virtual int32_t GetCovenantCount() const = 0;
    // Null outside the list.
    virtual Covenant* GetCovenant(int32_t index) const = 0;

    // ---- Clock and world ----------------------------------------------------------------------
    // The game clock: days, hours, minutes and seconds since the world began.
    virtual TimeStamp GetGameClock() const = 0;
    // Whether the world has woken: a player has stood off the town's level, or the player's
    // covenant has taken part in a treaty change. The rivals do nothing before.
    virtual bool IsWorldAwake() const = 0;
    // Whether the entity is the game's first player.
    virtual bool IsFirstPlayer(const Entity& entity) const = 0;

    // ---- Lines for the clients ----------------------------------------------------------------
    // The covenant's name as the clients' lines show it.
    virtual std::string GetCovenantText(int32_t index) const = 0;
    // The lifestone of the covenant fell to the health ratio; the game says whether that is
    // danger (below 0.25) or a threat (below 0.5).
    virtual void AnnounceLifestone(int32_t index, float ratio) = 0;

    // ---- Diplomacy ----------------------------------------------------------------------------
    // Kind above 0 opens (or changes) the route between the two, 0 ends it, announced unless
    // silent, as the game sets routes (it may leave it standing).
    virtual void SetTradeRoute(Covenant* first, Covenant* second, int32_t kind, bool silent) = 0;
    // Sets the treaty between the covenants of the two indices both ways, announced unless
    // silent, and followed up, as the game's diplomacy does.
    virtual void AnnounceDiplomacy(int32_t first, int32_t second, int32_t treaty, bool silent) = 0;
    // The raider's raid on the raided begins (announced), respectively ends back at war.
    virtual void StartRaid(int32_t raider, int32_t raided) = 0;
    virtual void StopRaid(int32_t raider, int32_t raided) = 0;
    // Carries the accepted offer out between its maker (first) and the other (second).
    virtual void ExecuteOffer(const TradeOffer& offer, Covenant* first, Covenant* second) = 0;
    // Every entry's giver (the first for side 0, else the second) holds what it gives.
    virtual bool CanAffordOffer(const Covenant* first, const Covenant* second, const TradeOffer& offer) const = 0;
    // The source's rumour of the level (0 quick, 1 planned, 2 crafted) about the target, paid
    // from the source's crystals and announced.
    virtual void StartRumor(int32_t level, Covenant* source, Covenant* target) = 0;
    // The first covenant answered the second's offer of peace; only a refusal is news.
    virtual void AnnouncePeaceResponse(Covenant& first, Covenant& second, bool accepted) = 0;
    // The covenant fell; the destroyer (none: the monsters) is credited.
    virtual void OnCovenantDestroyed(Covenant& destroyed, Covenant* destroyer) = 0;
    // A fallen covenant's clean-ups: every other covenant and it back at Peace, both ways; every
    // route between them ended, both ways, whether or not the other still stands.
    virtual void SetPeaceWithAll(int32_t covenant) = 0;
    virtual void ClearTradeRoutesOfAll(int32_t covenant) = 0;

    // ---- The covenant house -------------------------------------------------------------------
    // Where pedestal i (0..kPedestalCount-1) stands from the home; (0, 0) outside.
    virtual Vector2 GetPedestalOffset(int32_t i) const = 0;

    // ---- The spawn system ---------------------------------------------------------------------
    // A new guard actor of the type at the level, not placed nor in the table; null when none.
    virtual Actor* MakeGuard(const MonsterType& type, int32_t level) = 0;

    // ---- What the computer-run covenants ask ---------------------------------------------------
    // The next free home position of the world; the town centre when none is left.
    virtual WorldPos TakeHomePosition() = 0;
    // A quest of the type is open; with a target, one whose target is that entity.
    virtual bool HasOpenQuest(int32_t type, const Entity* target) const = 0;
    // The covenant took the recruit the game's recruit quest of that number is about: the
    // quest is solved for it, ended for its players and dropped.
    virtual void QuestSolvedByOtherCovenant(int32_t quest, int32_t covenant) = 0;
    // A living person of the town, drawn at random; null when none.
    virtual Entity* PickLivingTownNpc() const = 0;
    // The level is generated and in play, so its fights are real.
    virtual bool IsLevelActive(int32_t level) const = 0;
    // A monster of the level as its area rolls one (its chance times the factor), not placed
    // nor in the table; null when none turns up.
    virtual Actor* RollMonster(int32_t level, float factor) = 0;
    // A creature of the level to become a recruit, not placed nor in the table; null when none.
    virtual Actor* MakeRecruitActor(int32_t level) = 0;
    // The guard item the spawn system offers a house of the level; null when none.
    virtual std::unique_ptr<Item> PickGuardItem(int32_t level) = 0;
    // A random item at the level within the spread; null when none.
    virtual std::unique_ptr<Item> MakeRandomItem(int32_t level, int32_t minSpread, int32_t maxSpread) = 0;
    // The chests the level holds; a chest of the level's area, randomised and of its item
    // level, not placed nor in the table (null without one); and the items opening it gives the
    // opener (its chance, its count with the opener's item find, the opener's money and magic finds).
    virtual int32_t GetLevelChestCount(int32_t level) const = 0;
    virtual std::unique_ptr<Chest> MakeLevelChest(int32_t level) = 0;
    virtual void GenerateChestItems(const Chest& chest, const Entity& opener,
                                    std::vector<std::unique_ptr<Item>>& out) = 0;
};

extern CovenantHost* gCovenantHost;
