// Player -- the host's entity for a client's character: statistics, targets, item timers, exploration, death and resurrection with lives.
#pragma once

#include "core/RandomTimer.h"
#include "core/SafePointer.h"
#include "entities/IntensityTracker.h"
#include "entities/Sentient.h"
#include "rules/CharacterFlags.h"
#include "rules/items/ItemPtrList.h"
#include "world/WorldPos.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Indices into the player statistics array.
namespace PlayerStatistic {
enum : int32_t {
    Kills = 0,
    Deaths = 1,
    PlayMilliseconds = 4,
    DaysPlayed = 5,
    LargestHitDealt = 6,
    LargestHitTaken = 7,
    StrongestKilledType = 8,
    StrongestKilledLevel = 9,
    ToughestBattleType = 10,
    ToughestBattleLevel = 11,
    StrongestKillerType = 12,
    StrongestKillerLevel = 13,
    WeakestKillerType = 14,
    WeakestKillerLevel = 15,
    QuestsCompleted = 16,
    LargestSkillDamage = 17,
    LargestHeal = 18,
    AllMonstersKilled = 23,
    HighestItemValue = 24,
    DamageTaken = 26,
    ItemsUsed = 27,
    BonusesEarned = 28,
};
constexpr int32_t kCount = 29;
} // namespace PlayerStatistic

// The dying state: alive, "dying" started, "dead" playing.
namespace PlayerDying {
constexpr int32_t kAlive = 0;
constexpr int32_t kDying = 1;
constexpr int32_t kDead = 2;
} // namespace PlayerDying

// The recent kills of one killing spree: their kinds and game times, oldest first.
class EntityQuest;
class Event;
class InventoryBag;
class InventoryBase;
class ItemGround;
class ItemBase;
class MessageBuffer;
class Vendor;
struct CharacterSettings;

struct PlayerSpree {
    std::vector<int32_t> kinds;
    std::vector<double> times;  // seconds of game time

    // Records the kill; true, with the list emptied, when count kills of the window (all of
    // the kind's run with specific) are held. Kind 0 records nothing.
    bool CheckSpree(int32_t kind, double now, float window, int32_t count, bool specific);
    void Clear();
};

class Player : public Sentient {
public:
    static constexpr int32_t kItemTimerCount = 5;
    // The skill level stats Skill1 .. Skill60.
    static constexpr int32_t kSkillLevelStats = 60;
    static constexpr int32_t kMillisecondsPerDay = 86400000;
    // A client move shorter than this in both x and y on the same level is noise.
    static constexpr float kMinimumMove = 0.01f;
    static constexpr float kLightIntensity = 40.0f;
    static constexpr float kAutoTargetRange = 1.9f;
    static constexpr float kRetargetSeconds = 0.25f;
    static constexpr int32_t kQuestSlotCount = 6;

    Player();
    ~Player() override;

    // Registers the "Player" handler table over the sentients' ("Resurrect"); later calls
    // change nothing.
    static void RegisterEventClass(EventSystem& events, TypeRegistry& types);
    EventClass* GetEventClass() const override;

    // Creation for a joining character of the class: attributes from the class's start
    // values, stats computed, health full, bag sizes, the basic regeneration effect.
    void SetUpNew(int32_t classIndex);
    // What is cleared both at creation and before a character is read.
    void ResetState();

    // A position from the client: a level the world does not know or a coordinate that is no
    // finite number is refused (false, nothing changed).
    bool SetClientPosition(const WorldPos& where);

    // ---- Entity and sentient operations -------------------------------------------------------
    void SetPosition(const WorldPos& newPosition) override;
    void Update(float seconds) override;
    bool IsPlayer() const override { return true; }
    bool CanMove() const override { return true; }
    bool IsInanimate() const override { return false; }
    bool TraitL() const override { return false; }
    // Busy while in interaction mode 2.
    bool TraitP() const override { return interactionMode == 2; }
    // The world save leaves players out: the character travels with its client.
    bool IsFree() const override;
    bool ReloadsOnClassChange() const override { return true; }
    // Whether the player may attack it: a living thing outside its covenant that can be
    // attacked; a town NPC only while its covenant is at war with the player's.
    bool IsRelatedTo(const Entity* other) const override;
    // Covenants not at war, protected actors and well-disposed town NPCs.
    bool IsNeverHostileTo(const Entity* other) const override;
    // The NPC the player deals with is a townsperson of the player's own covenant.
    bool TalksToOwnCovenantNpc() const override;
    // Refuses a two-handed weapon beside a shield, telling the player.
    void CanEquip(Item* first, Item* second) override;
    void OnAttackedBy(Entity* attacker) override;
    Entity* GetCurrentTarget() const override;
    const Entity* GetSelectedEntity() const override { return selectedTarget.GetAs<Entity>(); }
    void GetCombatEffect(int32_t kind, std::string& out) const override;
    void GetAnchorPosition(WorldPos& out) const override;
    void ReportDamageDealt(int32_t total) override;
    void ReportHealingDone(int32_t amount) override;
    void OnItemObtained(Item* item) override;
    // Half the loot money while the covenant adventures with a partner, which takes its share.
    float GetLootMoneyFactor() const override;
    // With a partner, the partner announces the unique items of the victim's loot.
    void OnVictimLooted(Entity* victim) override;
    bool IsItemTimerReady(int32_t index) const override;
    void SetItemTimer(int32_t index, float seconds) override;
    Entity* GetUseTarget() const override { return interactionTarget.GetAs<Entity>(); }
    float GetSizeScale() const override;
    void SendMessage(std::string_view text, int32_t kind) override;
    void QueueWarpDirection() override;
    // The sentient's warp, then "warp %d %.1f %.1f" for the clients and the landing as the
    // move target, so that the client does not walk the player back.
    void Warp(const WorldPos& target) override;
    void QueueLine(std::string_view text) override;
    void OnDeath(Entity* killer) override;
    void OnDamageTaken(int32_t amount, Entity* attacker, bool overTime, bool quiet) override;
    // The fight's turns the intensity tracker follows: an enemy missed the player, the player
    // missed, an enemy used a skill on the player.
    void OnMissedBy(Entity* attacker, int32_t missKind) override;
    void OnMissed(Entity* target, int32_t missKind) override;
    void OnSkillUsedOn(Entity* user, Skill* skill) override;
    void OnSuccessfulHit(int32_t damage, Entity* target, bool hit, bool critical, bool crushing, bool deep,
                         bool last) override;

    // ---- Bonuses (PlayerBonuses.cpp) -----------------------------------------------------------
    // Adds the score, counts the bonus and shows it over the player; nothing for a score of 0
    // or less.
    void AwardBonus(std::string_view name, int32_t score);
    // Near death and close call, from the lowest health seen since the last award.
    void CheckHealthBonuses();

    // ---- Targets ----------------------------------------------------------------------------
    // The mode and the entity of that number it applies to; a change ends the use of modes 18
    // and 19 first, then starts the new mode's use.
    // A target of modes 18 to 21 out of the player's reach is refused and nothing changes.
    void SetInteraction(int32_t mode, int32_t targetNumber);
    // Touching, give or take the cell the client stops short by, and the cell it may lag behind:
    // the two bodies' radii plus two cells, measured across a touching level's edge.
    bool IsWithinUseReach(const Entity& target) const;
    void SetInteractionTarget(Entity* target);
    void SetSelectedTarget(Entity* target) { selectedTarget.Set(target); }
    Entity* GetAutoTarget() const { return autoTarget.GetAs<Entity>(); }
    Entity* GetInteractionTarget() const { return interactionTarget.GetAs<Entity>(); }

    // ---- State for the client and the character record (PlayerRecord.cpp) --------------------
    // The player's part of the game update; the animation-restart word goes back to 0 once
    // written.
    void WritePlayerPart(MessageBuffer& buffer);
    // A joining client's character settings, read whole and checked first: a record that is cut
    // short or breaks a bound changes nothing and gives false, with a warning naming the sender.
    // A record that passed waits in the player until the host has placed it in the world.
    bool ReadCharacter(MessageBuffer& buffer, std::string_view sender);
    // The record ReadCharacter kept, applied once; nothing without one.
    void ApplyReadCharacter();
    // Applies character settings that passed their checks.
    void ApplyCharacter(CharacterSettings& settings);
    bool GetCharacterFlag(int32_t flag) const;
    void SetCharacterFlag(int32_t flag, bool value);
    void OnAnimationEvent(int32_t animation, int32_t signal, int32_t frame) override;

    // ---- Progress (PlayerProgress.cpp) ----------------------------------------------------------
    // The class's "StartingMoney", its "StartingItem" list into the backpack and its
    // "AutoStartItem" list into the equipment, each merged into a stack where one matches.
    void GiveStartingEquipment();
    // Below the highest level: the bonus-skill check, the sentient's level-up, attribute and
    // skill points, the sound, "NowLevelX" and the game's notice.
    void LevelUp() override;
    // Tells the player about the skill the coming raise of the stat gives a level.
    void CheckBonusSkill(int32_t stat);
    // Finished or skipped (recruit quests dropped); the game ends the tutorial, flag 0 is set.
    void EndTutorial(bool skipped);
    void StartTutorial();
    // Completed quests turned in, unlocks announced, the score's factors, "adventureWon".
    void WinAdventure();
    void AddUnlock(std::string_view name) override;
    void Unlock(std::string_view name) override { AddUnlock(name); }

    // ---- Items, skills and attributes (PlayerItems.cpp) -----------------------------------------
    // The ground item of that number, for a living player: used at once, money, covenant goods,
    // a quest's item, or into the bags; false, with the refusal sent, when it stays.
    bool PickUpItem(int32_t entityNumber);
    void UseItem(int32_t bag, int32_t slot);
    // Refused for monsters and for creatures the player may attack.
    void UseItemOn(Entity* target, int32_t bag, int32_t slot);
    // The highest-level carried item of the base record or one derived from it.
    void UseBestItemOf(std::string_view baseName, Entity* target);
    // The entity uses the player's item, eats its food ("BaseFood") or drinks its health potion
    // ("BasePotionHealth"), refused as UseItemOn refuses; nothing without an entity.
    void ForceUseItem(Entity* entity, int32_t group, int32_t slot);
    void ForceFood(Entity* entity);
    void ForcePotion(Entity* entity);
    // The skill of the tree and index, aimed at the mouse's place and the target (or none): the
    // place is kept, an object in use (modes 18 and 19) is let go of, then the skill runs.
    void UseSkillAt(const WorldPos& mouse, int32_t tree, int32_t index, Entity* target);
    void IdentifyAll();
    // A skill without a stat requirement, bought with skill points and money.
    void RaiseSkill(int32_t tree, int32_t index);
    // Refunds the points at three times their money.
    void LowerSkill(int32_t tree, int32_t index);
    // "Strength" to "Spirit", below the base attribute's cap.
    void RaiseAttribute(std::string_view name);
    void SwapWeaponSets();
    // The powerup cells fill from the front; variants 1 and 2 first move the first cell to the
    // third or the second. A refusal is told once.
    void CloseFrontSlotGaps(int32_t variant);
    // Between two cells the player reaches: its own bags, and the stash bags it uses (its own,
    // or its covenant's at a covenant stash); "$$CantMoveItemHere$$" when the move is refused.
    void MoveItem(int32_t fromGroup, int32_t fromSlot, int32_t toGroup, int32_t toSlot);
    // The town NPCs talk about a set, unique or artifact item.
    void OnItemIdentified(Item* item) override;
    // Bag 24 is the covenant house's: what goes in or out is the covenant's to show.
    void OnItemPlaced(int32_t bag, int32_t slot, Item* item) override;
    void OnItemRemoved(int32_t bag, int32_t slot, Item* item) override;
    // The house bag's slots are compared with what they held at the last step; every change,
    // whichever request or rule made it, is told to OnItemPlaced and OnItemRemoved.
    void WatchHouseBag();
    static constexpr int32_t kHouseBagSlots = 8;

    // ---- Trade with the vendor dealt with (PlayerTrade.cpp) --------------------------------------
    // A carried item for money, or covenant goods (covenant currency, guards) for the covenant's
    // stock at a guard vendor. Refused for a dead vendor, after "$$VendorIsDead$$".
    void SellItem(int32_t bag, int32_t slot);
    // The vendor's stock cell, one unit of a stack; a gambler's goods won or lost by the item's
    // gamble chance. Room is tested before anything is paid or taken from the stock.
    void BuyItem(int32_t bag, int32_t slot);

    // ---- Quest slots (PlayerQuests.cpp) ---------------------------------------------------------
    // Null outside 0..5, and for a slot the game made no quest object for.
    EntityQuest* GetQuestSlot(int32_t slot) const;
    bool HasFreeQuestSlot() const { return FindFreeQuestSlot() != -1; }
    // -1 when every slot holds a quest.
    int32_t FindFreeQuestSlot() const;
    int32_t CountActiveQuests() const;
    bool HasQuest(int32_t questNumber) const;
    bool IsQuestComplete(int32_t questNumber) const;
    // The first slot whose complete quest is about the NPC or handed back to it; -1 when none.
    int32_t FindCompletedQuestFor(const Entity& npc) const;
    // The slot's copy of the game's quest; none when held already, unknown or no slot is free.
    EntityQuest* AcceptQuest(int32_t questNumber);
    void AbandonQuest(int32_t questNumber);
    // A negative number: the quest the NPC talked to takes back.
    void CompleteQuest(int32_t questNumber);
    // The world quest of that index handed in. Asked by the player, a negative index is no quest
    // (the quest the NPC talked to takes back is CompleteQuest's); the game may name any.
    void TurnInQuest(int32_t questIndex, bool byPlayer);
    // The escort quest about the NPC, taken up first when no slot holds it yet: the NPC follows
    // the player. Refused with "$$NoFreeQuestSlots$$" when a new quest finds no slot.
    void Escort(Entity& npc);
    // Every world quest that waits on the NPC's rescue is offered it.
    void Rescue(Entity& npc);
    // Every event reaching the player passes through the slots' quests first.
    void ReceiveEvent(Event& event, bool queue) override;

    // ---- Party, recruits, gates and teleports (PlayerParty.cpp) --------------------------------
    void AddRecruit(Sentient* npc, bool wantsParty);
    void AddToParty(Sentient* recruit, int32_t limit);
    void DismissCompanions();
    // An ordinary pair needs a level that allows gates; a raid pair does not. A new pair first
    // removes the old pair of its kind. False when none was made.
    bool CreateGate(const WorldPos& where, bool raid, bool force);
    void RemoveGates(bool raid);
    // The gate of the last pair of that kind: the far end, or with home the end at the house.
    Entity* GetGate(bool raid, bool home) const;
    // The recorded spot of the first gate list's entry, a covenant's home, or beside the town's
    // gate (the town keeps one gate, whatever its number).
    void GateTo(int32_t gateNumber);
    void GateToCovenant(int32_t covenantNumber);
    void GateToTown(int32_t townGateNumber);
    // The other side's container for bag 15 and the stash's bags 16-23 in their modes.
    InventoryBag* GetBag(int32_t index) const override;
    // The party limit the game sets: at most this minus one companions.
    static int32_t GetPartyLimit();
    int32_t CountCompanions() const;

    // ---- Death and resurrection ------------------------------------------------------------
    // Brings a dead player back, at the covenant house with atHome; with limited lives one is
    // spent, and none left keeps the player dead.
    void Resurrect(bool atHome);
    // The covenant's wait when it asks for one, else a resurrection at home at once.
    void RequestResurrect();

    // ---- Exploration -------------------------------------------------------------------------
    bool IsLevelExplored(int32_t level) const;
    // Sets the level's bit; the first entry of any level but 0 pays its exploration experience.
    void RecordExplored(int32_t level);

    IntArray statistics;
    int32_t interactionMode = 0;
    WorldPos skillTargetPosition;
    std::array<RandomTimer, kItemTimerCount> itemTimers{};
    std::vector<bool> exploredLevels;
    std::vector<bool> characterFlags;
    // By skill level stat (from Skill1), the highest level whose gifts the character has had:
    // a level's gifts come the first time it is reached, however often the skill is lowered
    // and raised again. The character's file keeps it.
    std::array<int32_t, kSkillLevelStats> skillGiftLevels{};
    WorldPos playerGatePosition;
    WorldPos raidGatePosition;
    bool moveTargetValid = false;
    int32_t lowestHealth = 0;
    PlayerSpree killingSpree;
    PlayerSpree specificSpree;
    PlayerSpree objectSpree;
    PlayerSpree massacre;
    int32_t dyingState = PlayerDying::kAlive;
    // The two saved item lists: one (level, difficulty) record per world gate with its activated
    // flag; activating a world gate sets it in both.
    std::array<ItemPtrList, 2> gateLists;
    std::string playerName;
    IntensityTracker intensity;
    // Set when an animation starts, so that the client restarts it once.
    bool animationRestart = false;

private:
    void OnResurrectEvent(Event& event);
    void OnCreateGateEvent(Event& event);
    void ChooseAutoTarget();
    void AdvanceQuests(float seconds);
    void RecordKill(Entity& victim);
    void RecordKiller(Entity* killer);
    void LeaveSoulStone(int32_t debt);
    void PrepareTeleport();
    void ResetRecruitQuests();
    // The recruit quest's NPC joins the covenant; false, with the refusal sent, when it cannot.
    bool TakeOnQuestRecruit(const EntityQuest& quest, Sentient* npc);
    void ApplyScoreFactor(float factor);
    int32_t FindQuestSlot(int32_t questNumber) const;
    bool OfferQuestItem(const Item& item);
    bool TakeIntoBags(ItemGround* ground);
    // False when the inventory refuses the move.
    bool MoveFrontSlot(int32_t bag, int32_t from, int32_t to);
    // The bag of the player's own inventory that the group shows; -1 for another owner's.
    int32_t FindOwnGroup(int32_t group) const;
    // The inventory a shown group lies in (the player's own or its covenant's storage) and the
    // group's number there; null when the player reaches no such bag.
    InventoryBase* FindGroupOwner(int32_t group, int32_t& own) const;
    Vendor* GetTradePartner();
    void OnSuccessfulKillEvent(Event& event);
    void CheckHealthBonus(std::string_view name, int32_t score, int32_t minHealth, int32_t maxHealth);
    void CheckSprees(Entity& victim);
    void AdvancePlayTime(float seconds);
    void UpdateDying();
    void ReleaseTargets();
    void RetargetOn(Entity* attacker);
    void AnnounceLivesLeft();
    void ApplyBagSizes();
    void RemoveCovenantCurrency();
    void GiveStartingItems(std::string_view key, int32_t bag);
    bool PlaceStartingItem(std::unique_ptr<ItemBase>& item, int32_t bag);
    void GiveFirstStashBag();
    void ApplyNewCharacter(const CharacterSettings& settings);
    void ApplyLoadedCharacter(CharacterSettings& settings);
    void ApplySkillBonus(int32_t stat, int32_t level);
    // The skill's level gifts (its ApplyLevel) when the level stat reaches the level for the
    // first time.
    void ReachSkillLevel(Skill& skill, int32_t stat, int32_t level);
    // The gift record as the player part and the character's file carry it: a count, then a
    // level stat and its level for each stat that had a gift.
    void WriteSkillGiftLevels(MessageBuffer& buffer) const;
    void ApplySkillGiftLevels(const CharacterSettings& settings);
    void RunLightSetUp();
    void RunFullSetUp();
    void ResetQuestSlots();
    void MakeSavedListsReady();

    SafePointer selectedTarget;
    SafePointer interactionTarget;
    SafePointer autoTarget;
    std::array<std::unique_ptr<EntityQuest>, kQuestSlotCount> questSlots;
    std::unique_ptr<CharacterSettings> readCharacter;
    // The gate pairs: the gate where the player stood and its partner at the covenant house.
    SafePointer playerGate;
    SafePointer homeGate;
    // What each house slot held at the last step (a deleted item reads as empty, so the flag
    // remembers that the slot held one).
    std::array<SafePointer, kHouseBagSlots> houseSeen;
    std::array<bool, kHouseBagSlots> houseHeld{};
    SafePointer raidGate;
    SafePointer raidHomeGate;

    static EventClass* eventClass;
};
