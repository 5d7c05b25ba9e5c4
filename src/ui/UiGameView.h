// UiGameView -- what the interface's conditions read of the game on the client side: game flags, the local player, entities, covenants and the user profile.
#pragma once

#include "core/Color.h"
#include "core/TimeStamp.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CharacterClass;
class UserProfile;

// An entity of the client's list, as the conditions see it.
struct UiEntityFacts {
    int32_t health = 0;
    int32_t maxHealth = 0;
    int32_t power = 0;
    int32_t maxPower = 0;
    // The timed action under way (opening a chest...), in seconds done and needed.
    float timedEvent = 0.0f;
    float maxTimedEvent = 0.0f;
    int32_t level = 0;
    // 0 ordinary, 1 .. 7 the monster ranks from champion to boss.
    int32_t rank = 0;
    int32_t covenant = -1;
    // The kind the client's quest look-up gives (11: a tutorial giver).
    int32_t kind = 0;
    bool isVendor = false;
    bool isGuardVendor = false;
    bool isGambler = false;
    bool offersQuest = false;
    bool hasTimedEvent = false;
    // The class colour the view chose (a player without its stat 83 takes the class's second).
    bool hasClass = false;
    Color classColor;
};

// A covenant of the client's list, as the conditions see it.
struct UiCovenantFacts {
    int32_t homeHealth = 0;
    int32_t maxHomeHealth = 0;
    bool beingRaided = false;
    bool beingAttacked = false;
    bool raiding = false;
    bool defeated = false;
    bool hasPendingDiplomacy = false;
    // The entity number of the covenant's potential recruit; -1 for none.
    int32_t potentialRecruit = -1;
    // Its entry in the colour table.
    int32_t colorIndex = 0;
    int32_t strength = 0;
    // The traits' indices in the game data's list by trait slot; -1 for an empty slot.
    std::vector<int32_t> traits;
    // Its name, and its description line as the relations screen shows it.
    std::string name;
    std::string description;
    // Its name in its colour, back to the text colour after it.
    std::string coloredName;
    // The covenant it raids; -1 for none.
    int32_t targetCovenant = -1;
    // Taxes: the base alone, with every trade route's income, and the guards' upkeep.
    int32_t baseTaxes = 0;
    int32_t taxes = 0;
    int32_t guardCosts = 0;
};

// A status effect on an entity, as its icon and tooltip need it.
struct UiStatusEffectFacts {
    // The definition's database entry; the icon is loaded again only when it changes.
    int32_t record = -1;
    int32_t instance = -1;
    // The definition's database entry type (6: a monster enhancement).
    int32_t entryType = 0;
    std::string iconName;
    std::string displayName;
    // Built for the entity that carries the effect.
    std::string description;
    // Game seconds until it wears off, counted from its arrival; -1 for an effect without an end.
    float secondsLeft = -1.0f;
};

// The view with no game, no player and no profile: every query answers "none". The client's
// view overrides what its mirrors hold; tests use a fake.
class UiGameView {
public:
    virtual ~UiGameView() = default;

    // ---- The game ----
    virtual bool IsGameRunning() const { return false; }
    virtual bool IsPaused() const { return false; }
    virtual bool IsGameWon() const { return false; }
    virtual bool IsWinConfirmed() const { return false; }
    virtual bool IsConfirmWinPending() const { return false; }
    // An active world event of the kind that is not complete.
    virtual bool HasActiveWorldEvent(int32_t /*kind*/) const { return false; }
    // A quest in a slot or a world event of the player's list with a time limit, neither complete nor failed.
    virtual bool HasRunningTimedQuest() const { return false; }
    // The adventure timer's reward multiplier.
    virtual float GetAdventureRewardMultiplier() const { return 1.0f; }

    // ---- The local player ----
    virtual bool HasLocalPlayer() const { return false; }
    // The character's name and its class's display name; empty without a player.
    virtual std::string GetPlayerName() const { return {}; }
    virtual std::string GetPlayerClassName() const { return {}; }
    // False when the index is outside the stat list.
    virtual bool GetPlayerStat(int32_t /*index*/, int32_t& /*out*/) const { return false; }
    virtual bool GetPlayerFlagBit(int32_t /*bit*/) const { return false; }
    // False when the index is outside the fun-stat list.
    virtual bool GetPlayerFunStat(int32_t /*index*/, int32_t& /*out*/) const { return false; }
    // The player's computed values: Dps (damage per second x 100, truncated), EquipmentWorth
    // and InventoryWorth (in copper); 0 for any other index or without a player.
    virtual int32_t GetPlayerComputedValue(int32_t /*index*/) const { return 0; }
    // The skills' bonus to an attribute (0 Strength .. 4 Spirit) at their current levels.
    virtual int32_t GetSkillAttributeBonus(int32_t /*attribute*/) const { return 0; }
    // The first of the player's skills that the base attribute (0 Strength .. 4 Spirit) raises
    // and that still waits for its next level: its name as a key, that level and the attribute
    // value it needs; false for none.
    virtual bool GetBonusSkill(int32_t /*attribute*/, std::string& /*name*/, int32_t& /*nextLevel*/,
                               int32_t& /*needed*/) const
    {
        return false;
    }
    // The name of the player's class's skill tree at that place; empty outside its trees.
    virtual std::string GetSkillTreeName(int32_t /*tree*/) const { return {}; }
    // The name of the player's skill of the tree and index; empty without one.
    virtual std::string GetSkillName(int32_t /*tree*/, int32_t /*index*/) const { return {}; }
    // The filled slots among the first count slots of the player's bag, never past its own.
    virtual int32_t CountFilledSlots(int32_t /*bag*/, int32_t /*count*/) const { return 0; }
    // The name of the level the player stands on (empty without one), and whether one of the
    // player's quests is to be done there.
    virtual std::string GetPlayerLevelName() const { return {}; }
    virtual bool IsQuestTargetHere() const { return false; }
    // An entity's hover text with the hover text's three options; empty for none.
    virtual std::string GetEntityHoverName(int32_t /*entity*/, bool /*nameOnly*/, bool /*forAnyEntity*/,
                                           bool /*withOwnTag*/) const
    {
        return {};
    }
    // The "TimedAction" the entity is busy with; 0 for none.
    virtual int32_t GetEntityTimedAction(int32_t /*entity*/) const { return 0; }
    // Slots 0 .. 5.
    virtual bool IsQuestSlotFilled(int32_t /*slot*/) const { return false; }
    virtual bool IsQuestSlotComplete(int32_t /*slot*/) const { return false; }
    virtual bool CanSkipQuestSlot(int32_t /*slot*/) const { return false; }
    // By the quest's number rather than its slot.
    virtual bool HoldsQuest(int32_t /*questNumber*/) const { return false; }
    virtual bool CanSkipQuest(int32_t /*questNumber*/) const { return false; }
    // The quest log's title of slot 0..5 ("$$QuestSlotEmpty$$" for an empty one) and its body
    // text built for the player (empty for an empty one); both empty outside the slots.
    virtual std::string GetQuestSlotTitle(int32_t /*slot*/) const { return {}; }
    virtual std::string GetQuestSlotText(int32_t /*slot*/) const { return {}; }
    // Whether the world quest of that number is one the client knows.
    virtual bool KnowsWorldQuest(int32_t /*questNumber*/) const { return false; }
    // The body text of a world quest the entity offers and the player does not hold; false when
    // the entity offers no such quest.
    virtual bool GetOfferedQuestText(int32_t /*entity*/, int32_t /*questNumber*/, std::string& /*out*/) const
    {
        return false;
    }
    // The slot of the player's complete quest that the entity takes in; -1 for none.
    virtual int32_t FindQuestSlotSolvedBy(int32_t /*entity*/) const { return -1; }
    // The slot of the player's open quest with the least time left, and that time; -1 for none.
    virtual int32_t FindShortestTimeQuestSlot(float& /*secondsLeft*/) const { return -1; }
    // The last line an NPC said to the player.
    virtual std::string GetNpcChatText() const { return {}; }
    virtual int32_t GetActiveItemSet() const { return -1; }
    // Locations 0 .. 17.
    virtual bool IsEquipmentFilled(int32_t /*location*/) const { return false; }
    virtual int32_t GetInteractionMode() const { return -1; }
    virtual int32_t GetClassIndex() const { return -1; }
    virtual int32_t GetPlayerEntityNumber() const { return -1; }
    virtual int32_t GetSelectedEntityNumber() const { return -1; }
    // The entity number of party member n; -1 when out of range.
    virtual int32_t GetPartyMember(int32_t /*n*/) const { return -1; }
    // The cost of the skill that LowMana watches; false when the player does not hold it.
    virtual bool GetWatchedSkillCost(int32_t& /*cost*/) const { return false; }

    // ---- Entities by number ----
    virtual bool GetEntity(int32_t /*number*/, UiEntityFacts& /*out*/) const { return false; }
    // The entity the local player targets; false without one.
    virtual bool GetTargetEntity(UiEntityFacts& /*out*/) const { return false; }
    // The effects on the entity in its list's order; false when the client holds none for it.
    // Without texts only the record, instance, type and icon are filled: a row drawn every frame
    // needs no names or descriptions. The out list's elements are written over, not rebuilt.
    virtual bool GetStatusEffects(int32_t /*number*/, std::vector<UiStatusEffectFacts>& /*out*/,
                                  bool /*withTexts*/) const
    {
        return false;
    }

    // ---- Covenants ----
    virtual int32_t GetPlayerCovenantIndex() const { return -1; }
    virtual int32_t GetCovenantCount() const { return 0; }
    virtual bool GetCovenant(int32_t /*index*/, UiCovenantFacts& /*out*/) const { return false; }
    // The covenant's standing without the texts and traits GetCovenant builds (they stay empty):
    // what the widgets' conditions read every frame.
    virtual bool GetCovenantState(int32_t index, UiCovenantFacts& out) const { return GetCovenant(index, out); }
    // The covenant's name, plain or in its colour, added to the text; false, nothing added, for
    // no covenant. The texts built every frame read names here, without a whole answer's copies.
    virtual bool AppendCovenantName(int32_t index, bool colored, std::string& out) const
    {
        UiCovenantFacts covenant;
        if (!GetCovenant(index, covenant))
            return false;
        out += colored ? covenant.coloredName : covenant.name;
        return true;
    }
    // The treaty value seen from the first covenant; 1 (peace) without a relation record.
    virtual int32_t GetTreaty(int32_t /*from*/, int32_t /*to*/) const { return 1; }
    virtual bool HasTradeRoute(int32_t /*a*/, int32_t /*b*/) const { return false; }
    // A covenant's stat and fun stat; false for a covenant or an index outside the lists.
    virtual bool GetCovenantStat(int32_t /*covenant*/, int32_t /*index*/, int32_t& /*out*/) const { return false; }
    virtual bool GetCovenantFunStat(int32_t /*covenant*/, int32_t /*index*/, int32_t& /*out*/) const
    {
        return false;
    }
    // The covenant index at that position of the power order; -1 when none.
    virtual int32_t GetCovenantByPower(int32_t /*position*/) const { return -1; }
    // The covenant's place in the power order (0 leads); -1 when it is not ranked.
    virtual int32_t GetCovenantPowerRank(int32_t /*covenant*/) const { return -1; }
    // The covenant's place in the influence order (0 leads); -1 when it is not ranked.
    virtual int32_t GetCovenantInfluenceRank(int32_t /*covenant*/) const { return -1; }
    // The first covenant's own relation value toward the second, as its record holds it (unlike
    // GetRelation, which weighs both sides); 0 without a record.
    virtual float GetOwnRelation(int32_t /*from*/, int32_t /*to*/) const { return 0.0f; }
    // What the first covenant's trade route with the second brings in now; 0 without a route.
    virtual int32_t GetTradeRouteIncome(int32_t /*covenant*/, int32_t /*partner*/) const { return 0; }
    // The covenant the trade window deals with; -1 for none.
    virtual int32_t GetTradePartner() const { return -1; }

    // ---- The relations screen ----
    // The relation value seen from the first covenant; 0 without a relation record.
    virtual float GetRelation(int32_t /*from*/, int32_t /*to*/) const { return 0.0f; }
    // The trade-route kind seen from the first covenant; 0 (none) without a relation record.
    virtual int32_t GetTradeRouteKind(int32_t /*from*/, int32_t /*to*/) const { return 0; }
    // The local player's covenant mirror exists.
    virtual bool HasCovenantMirror() const { return false; }
    // The history points the mirror holds, and one of a point's nine values of a covenant (the
    // five power categories, then the four influence ones); false outside.
    virtual int32_t GetHistoryCount() const { return 0; }
    virtual bool GetHistoryValue(int32_t /*point*/, int32_t /*covenant*/, int32_t /*value*/, int32_t& /*out*/) const
    {
        return false;
    }
    // The first covenant the mirror holds a diplomacy record of; -1 for none.
    virtual int32_t FindDiplomacyRecord() const { return -1; }
    // The kind of that covenant's record; 0 without one.
    virtual int32_t GetDiplomacyRecordKind(int32_t /*covenant*/) const { return 0; }
    // The view holds nothing itself: these ask the client to change its own state.
    // The local player's trade flag.
    virtual void SetPlayerTrading(bool /*on*/) const {}
    // The game client's diplomacy text: the covenant's response of that kind.
    virtual void SetDiplomacyText(int32_t /*covenant*/, int32_t /*kind*/) const {}
    // Every diplomacy record hidden from FindDiplomacyRecord shown again.
    virtual void ShowAllDiplomacyRecords() const {}
    // Shown to the local player when it has not seen it.
    virtual void OfferHelpTopic(const std::string& /*topic*/) const {}

    // ---- Help topics read, kept with the local player's character ----
    virtual bool IsHelpTopicRead(int32_t /*index*/) const { return false; }
    // The topic's bit set, then its follower offered.
    virtual void SetHelpTopicRead(int32_t /*index*/) const {}
    virtual void SetAllHelpTopicsRead() const {}
    // Every bit cleared, then the start topic offered.
    virtual void ResetHelpTopics() const {}

    // ---- The user profile ----
    virtual bool HasProfile() const { return false; }
    virtual std::string GetProfileName() const { return {}; }
    // The profile's kept value of that character stat (94: the trophy points left to spend).
    virtual int32_t GetProfileValue(int32_t /*index*/) const { return 0; }
    // The report of the unlocks the profile earned in this run, one line each.
    virtual std::string GetUnlockReport() const { return {}; }
    // The trophy of the adventure's record: 0 none, 1 bronze, 2 silver, 3 gold.
    virtual int32_t GetTrophyBand(std::string_view /*adventure*/) const { return 0; }
    // The adventure's record lists the class (names compared exactly).
    virtual bool ClassWonAdventure(std::string_view /*adventure*/, std::string_view /*className*/) const
    {
        return false;
    }
    // The global records' best value of a stat and its holder's name, by the stat widgets' type
    // (5 character stats, 6 fun stats, 7 the other values).
    virtual int32_t GetGlobalStatBest(int32_t /*statType*/, int32_t /*index*/) const { return 0; }
    virtual std::string GetGlobalStatHolder(int32_t /*statType*/, int32_t /*index*/) const { return {}; }

    // The local player's title, after its name when asked; empty without a player.
    virtual std::string GetPlayerTitle(bool /*withName*/) const { return {}; }

    // ---- Diplomacy ----
    // The answer of the covenant the trade window deals with, as the last "dipRes" gave it.
    virtual std::string GetDiplomacyResponse() const { return {}; }

    // ---- What the widgets' texts read ----
    // The character class of an entity: a player's by its class stat, another's by its record;
    // null without one.
    virtual const CharacterClass* GetEntityClass(int32_t /*number*/) const { return nullptr; }
    // The client's game clock; false outside a game.
    virtual bool GetGameClock(TimeStamp& /*out*/) const { return false; }
    // The items in one of the local player's bags and the bag's slots; false without the player
    // or outside the bags.
    virtual bool GetBagFill(int32_t /*bag*/, int32_t& /*items*/, int32_t& /*slots*/) const { return false; }
    // The "Name" of the adventure's world record; empty without one.
    virtual std::string GetWorldName() const { return {}; }
    // The current world's number of secrets and its closing text.
    virtual int32_t GetWorldSecretCount() const { return 0; }
    virtual std::string GetWorldEpilogue() const { return {}; }
    // The texts the client was given for a won and a lost game.
    virtual std::string GetWonGameText() const { return {}; }
    virtual std::string GetLostGameText() const { return {}; }
    // The adventure timer's two tests at the game clock (under its great time, under its good
    // time); false outside a game.
    virtual bool GetAdventureTimeTests(bool& /*great*/, bool& /*good*/) const { return false; }
    // The adventure's time targets under the current time, as the world writes them; empty
    // outside a game.
    virtual std::string GetWorldTimesText() const { return {}; }
    // What identifying every item the local player carries costs; false without the player.
    virtual bool GetIdentifyAllCost(int32_t& /*cost*/) const { return false; }
    // The price of a rumour of that kind (0 quick, 1 planned, 2 well crafted) spread about the
    // covenant; false for a covenant or a kind outside the lists.
    virtual bool GetRumorCost(int32_t /*covenant*/, int32_t /*kind*/, int32_t& /*cost*/) const { return false; }
    // The database entry indices of the list of the recruit the player deals with; false
    // without one.
    virtual bool GetSelectedRecruitList(std::vector<int32_t>& /*entries*/) const { return false; }
    // The current user profile; null without one.
    virtual const UserProfile* GetProfile() const { return nullptr; }
    // The text of the unlock of that name written into out; out as it was without one.
    virtual void GetUnlockText(std::string_view /*name*/, std::string& /*out*/, bool /*descriptionOnly*/) const {}

    // ---- Story texts ----
    // The world's history text file.
    virtual std::string GetWorldTextFile() const { return {}; }
    // The "TextFile" of the local player's definition record.
    virtual std::string GetPlayerTextFile() const { return {}; }
    // The hovered entity, or with allowSelected the selected one while the player's interaction
    // mode is 3; -1 for none.
    virtual int32_t GetTargetEntityNumber(bool /*allowSelected*/) const { return -1; }
    virtual std::string GetEntityHistoryFile(int32_t /*entity*/) const { return {}; }
    // The "RescueTextFile" and "RescueSound" of the entity's definition record; false without one.
    virtual bool GetEntityRescue(int32_t /*entity*/, std::string& /*textFile*/, std::string& /*sound*/) const
    {
        return false;
    }

    // ---- Under the cursor ----
    // The entity under the cursor; -1 for none.
    virtual int32_t GetHoveredEntity() const { return -1; }
    // The local player's interaction for the entity (the cursor's choice).
    virtual int32_t GetInteractionFor(int32_t /*entity*/) const { return 0; }
    // The entity's tooltip; false when it shows none (secret, or hidden with its owners). placed
    // tells whether the tooltip stands above the entity; x, y is the entity's screen position.
    virtual bool GetHoverText(int32_t /*entity*/, std::string& /*text*/, bool& /*placed*/, float& /*x*/,
                              float& /*y*/) const
    {
        return false;
    }

    // ---- Item labels ----
    // The entities that pass the client's help test for things lying in the world (items to
    // take, chests, usable objects, gates), in entity-number order.
    virtual void GetHelpEntities(std::vector<int32_t>& out) const { out.clear(); }
    // The entity's point on the 640 x 480 screen where the world is drawn; false when it stands on
    // no level.
    virtual bool GetEntityScreenPoint(int32_t /*entity*/, float& /*x*/, float& /*y*/) const { return false; }

    // ---- What the interface asks of the client ----
    // The entity becomes the target of the local player's left-button action; false without a
    // player or without the entity.
    virtual bool UseLeftButtonActionOn(int32_t /*entity*/) { return false; }
    // A refusal line on the screen, as the client shows one.
    virtual void ShowMessage(const std::string& /*text*/) {}
};
