// PlayerClient -- the client's copy of the local player: its character (stats, inventory, skills, quests, party, hints), its body in the world, its part of every game update, the settings it joins with and its character file.
#pragma once

#include "client/EntityClient.h"
#include "client/InventoryClient.h"
#include "client/LocalPlayerLink.h"
#include "client/QuestClient.h"
#include "client/SkillListClient.h"
#include "core/MessageBuffer.h"
#include "core/RandomTimer.h"
#include "core/SafePointer.h"
#include "world/PathFinder.h"
#include "rules/IntArray.h"
#include "rules/items/ItemPtrList.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CharacterCovenantBlock;
class ClientApp;
class EntityScene;
class ItemBase;
class MessageBuffer;
class PlayerCovenantClient;
class SkillDefinition;
struct ItemTooltipOptions;
struct ListEntry;

// Main thread only. Owned by the client's connection as its player link; not in the game
// client's entity table: its body is the entity there with its number.
class PlayerClient : public EntityClient, public LocalPlayerLink {
public:
    static constexpr int32_t kQuestSlots = 6;
    static constexpr int32_t kSlotEvents = 5;
    // Two current item lists, then the two restored from the character's file.
    static constexpr int32_t kItemLists = 4;
    // Status flags: the player moves unseen.
    static constexpr uint32_t kStatusStealthed = 0x400;
    // Movement flags: every move succeeds without collision tests.
    static constexpr uint32_t kMoveNoCollision = 0x80;
    // Interaction modes both the frame and the mode changes test.
    static constexpr int32_t kModeDead = 1;
    static constexpr int32_t kModeAttack = 2;
    static constexpr int32_t kModeAutoAttack = 3;
    static constexpr int32_t kModeApproach = 4;
    static constexpr int32_t kModePaused = 29;
    // Aim kinds: the held button moves the player, or repeats its skill on an entity.
    static constexpr int32_t kAimMove = 6;

    PlayerClient();
    ~PlayerClient() override;

    // Back to a player with no game: no body, no mode, no target, no party, empty quest slots.
    void Reset();
    // Reset, then the character belongs to the world the client holds now.
    void NewGame();

    // ---- The link to the connection and the game client ------------------------------------------
    void WriteSettings(MessageBuffer& buffer, int32_t difficulty, uint32_t worldSeed) override;
    WorldPos GetPosition() const override { return position; }
    WorldPos GetMoveTarget() const override { return moveTarget; }
    int32_t GetInteractionMode() const override;
    int32_t GetUpdateTarget() const override { return GetTargetNumber(true); }
    int32_t GetEntityNumber() const override { return ownNumber; }
    CovenantBase* GetPlayerCovenant() const override;
    void OnWelcome(int32_t level) override;
    void OnNewWorld() override;
    void UpdateFrame(float seconds) override;
    // Writes "chars/<base>.chr" atomically; false, the old file kept, without a body or a name,
    // or when the write did not land.
    bool SaveCharacter() override;
    bool IsGone() const override { return gone; }
    std::string GetCharacterName() const override { return characterName; }
    std::string GetSaveName() const override;
    void ShowPickupHelp(const EntityClient& entity) override;
    void TriggerHint(const std::string& topic) override;
    void OfferHelpTopic(const std::string& topic) override;
    // The player's gate record for that level (a gate's own, not the player's) lets it through.
    bool GetCurrentLevelGateFlag(int32_t level) const override;
    bool ReadUpdateTail(MessageBuffer& buffer) override;
    void ApplyUpdateTail(MessageBuffer& buffer) override;

    // ---- The player's part of the game update (PlayerClientPart.cpp) ------------------------------
    // Reads the part whole into the staging; false, nothing staged, for a cut or malformed part.
    bool ParsePlayerPart(MessageBuffer& buffer);
    // Takes what ParsePlayerPart staged; the buffer is the one it read (quests are read again).
    // A class new to the menus tells them the player changed.
    void ApplyPlayerPart(MessageBuffer& buffer);
    // To a class of the game's list other than the player's: its hint (the class's name), then
    // the class and its record taken. Any other index changes nothing.
    void SetClassIndex(int32_t index) override;

    // ---- The character file (PlayerClientFile.cpp) ----------------------------------------------
    static constexpr int32_t kFileVersion = 54;
    // The user folder that holds every file named after a character.
    static constexpr const char* kCharacterFolder = "chars";
    // "chars/<base>.<ending>" for a base made by CharacterFileBase.
    static std::string CharacterFilePath(std::string_view base, std::string_view ending = "chr");
    // How many stats and fun stats a file of that version wrote bare, before they carried a
    // count; the all-time statistics file grew its records in step with the character file.
    static int32_t BareStatCount(int32_t version);
    static int32_t BareFunStatCount(int32_t version);
    // The base itself when no character file has it, else the first of base2 .. base99 none has;
    // empty when all are taken.
    static std::string FindFreeCharacterBase(const std::string& wanted);
    // Reads the file of that character whole and applies it only when all of it is sound; the
    // covenant block goes to the reader when one is given (else it is passed over). False, the
    // player (and covenant) unchanged, for a missing, cut or corrupt file.
    bool LoadCharacter(std::string_view characterName, CharacterCovenantBlock* covenantBlock);
    // The same from bytes already read; the name is for the log.
    bool LoadCharacterFrom(MessageBuffer& buffer, std::string_view characterName,
                           CharacterCovenantBlock* covenantBlock);
    void WriteCharacter(MessageBuffer& buffer) const;
    // The player covenant mirror whose block the file carries; not owned, null for none.
    void SetCovenantBlock(CharacterCovenantBlock* block) { savedBlock = block; }
    // The player's covenant mirror (not owned; null for none): in a game with covenants it joins
    // first in the settings, reads its part of each update before the player's, and its block
    // goes into the character file.
    void SetCovenant(PlayerCovenantClient* mirror);
    PlayerCovenantClient* GetCovenant() const { return covenant; }
    // In a game with covenants and no mirror given, the player makes its own (named by the new
    // character's "CovenantName", holding the global inventory), so that it can join at all.
    PlayerCovenantClient* PrepareCovenant();

    // ---- The frame ------------------------------------------------------------------------------
    void Update(float seconds) override;
    // The body takes the player's place; the player takes the body's look.
    void SyncBody();
    // A hardcore character's death removes its saved files, once: it is not resumed.
    void ForgetIfFallenForGood();
    void SetPosition(const WorldPos& newPosition) override;

    // ---- What the player hears and reads of itself (PlayerClientSounds.cpp) -----------------------
    // What the body is busy with is heard: a new timed action of the host's kinds 2 to 5 starts
    // its sound in the activity slot, 6 plays once; when it ends the slot stops, and the end of
    // identifying is heard. The last minute of the most urgent timed quest ticks once a whole
    // second; the low-health warning starts once while health is at least 1 and below
    // "LowHealthSoundWarningLevel", and stops outside that. The sounds are the game client's.
    void UpdateOwnSounds();
    void UpdateActivitySound(const EntityClient& shown);
    // Whole seconds left (rounded up) of the timed quest nearest its end that is neither
    // complete nor failed; -1 for none.
    int32_t GetUrgentQuestSeconds() const;
    // On a change of the level's name: "$$Discovered$$ %s" for a level above 0 the host has not
    // marked discovered (one past the host's list included), else "$$Entering$$ %s", for five
    // seconds. A warp tells it at once, before the same update marks the level known.
    void UpdateLevelName();
    // The "SelectedTarget" mark (the texture given), 48 wide in the target's map colour, on the
    // ground under a target that is not hidden, while "ShowSelectedEntityIcon" is set.
    void DrawSelectedTarget(EntityScene& scene, int32_t texture) const;

    // ---- Use hints (PlayerClientUseHints.cpp) -----------------------------------------------------
    // A slot's icon that rises beside the player once the slot is ready, then fades away.
    struct UseHint {
        const void* object = nullptr;  // the widget, only compared; none: the place is free
        int32_t icon = -1;             // the shader drawn
        float fade = 0.0f;
        bool rising = false;
        float x = 0.0f;  // from the player's place on the screen
        float y = 0.0f;
    };
    // One free place per "UseHintOffset".
    void InitUseHints();
    // A slot that became usable: the first free place takes the widget (only compared, never
    // reached) and its icon, while "ui_showUseHints" is on; with none free the hint is dropped.
    void QueueUseHint(const void* object, int32_t icon);
    // Rising by "UseHintFadeInSpeed" to above 1, then falling by "UseHintFadeOutSpeed" to below
    // 0, where the place is freed.
    void UpdateUseHints(float seconds);
    // Each icon, "UseHintSize" square, at its offset from the player's place, as bright as its fade.
    void DrawUseHints() const;
    // The places the widget holds are freed: it goes away.
    void RemoveUseHint(const void* object);
    // Every place freed: the widgets they name are gone (the menus were read again).
    void ClearUseHints();
    const std::vector<UseHint>& GetUseHints() const { return useHints; }

    // ---- Modes, targets and walking (PlayerClientModes.cpp) ---------------------------------------
    // Points the target at the entity (clearing the pending skill), leaving the mode first when asked.
    void SetTarget(EntityClient* target, bool resetMode);
    // False, nothing changed, when refused: attacking while stealthed (unless allowed), approaching
    // while a button is held on an entity, or the same mode again unforced. Otherwise the old
    // mode's menus close and the new one's open.
    bool SetInteractionMode(bool force, int32_t mode, bool allowStealthed);
    void SetMoveTarget(const WorldPos& target) override;
    void StopMoving();
    void Teleport(const WorldPos& where);
    // Stops within one grid cell of the entity, else walks after it.
    void Follow(EntityClient* entity);
    // The cell of the point (snapped to the world grid) is free of the level's walls within the
    // player's radius and of every other solid entity of the kinds (1 << kind) whose circle it
    // would overlap or touch; things lying on the ground and things without a body never block.
    bool CanMoveTo(const WorldPos& where, int32_t kindMask) const;
    // The player's own cell when it is free, else the nearest free one of the eight around it
    // (the lower direction on a tie), with the direction 0..7 toward it; false for none.
    bool FindStandableCell(WorldPos& cell, int32_t& direction) const;
    // The nearest corner of the world grid, carried across level edges.
    static WorldPos SnapToWorldGrid(const WorldPos& where);
    // Solid, of the kinds asked, with a body (a radius), and not lying on the ground.
    static bool BlocksPlayer(const EntityClient& other, int32_t kindMask);
    // One frame's walk along the path to the move target; whether the player moved.
    bool Move(float seconds);
    bool IsMoving() const { return moving; }
    // A mouse button on the world at a screen point; whether the click was taken. Button 0 on
    // open ground walks there and, held, keeps walking toward the cursor.
    bool HandleClick(int32_t button, bool down, int32_t x, int32_t y);
    // A target, acting allowed, the gap between the two circles at most 1.5 grid cells and a
    // clear line between them.
    bool TargetWithinReach() const;
    // False only in a mode whose window belongs to its target (a stash, a trader, a person
    // talked to) once the player is carried out of its reach from where the mode began, by a
    // warp or a push: walking away by a click on the ground leaves the mode already.
    bool StillWhereItsWindowOpened() const;
    // False while a usable skill that stops attacking is switched on.
    bool CanAttackNow() const;
    // The equipment screen mode 15 opens for the NPC, by its kind: "NpcEquipmentFull" for a
    // hired townsperson (4), "NpcEquipmentOnly" for a creature of no kind (0), else "NpcEquipment".
    static const char* GetNpcEquipmentMenu(const EntityClient& npc);
    // Points the target at the entity and enters the mode it offers (walking up first when out of reach).
    void SelectTargetAndMode(EntityClient* target, bool allowStealthed);

    // ---- Skills (PlayerClientSkills.cpp) -------------------------------------------------------------
    // Asks the world host for a use of the skill of that tree and index on the target (or none).
    // A targeted skill whose target is out of range sends nothing: the player walks up in attack
    // mode and the frame sends the use once it is in range. A skill for an enemy given no target
    // takes the enemy under the cursor. Whether a line was queued.
    bool UseSkill(int32_t tree, int32_t index, EntityClient* target);
    // The click's skill of tree 0 on the clicked entity: an enemy is attacked with it, anything
    // else selected. Whether the click keeps repeating the skill while the button is held.
    bool TrySkill(int32_t index, EntityClient* target);
    int32_t GetItemRequirementAt(int32_t bag, int32_t slot) const override;

    // ---- Questions ------------------------------------------------------------------------------
    EntityClient* GetBody() const { return body.GetAs<EntityClient>(); }
    // What the host put on the character lives on its body; the player's own list without one.
    const std::vector<std::unique_ptr<StatusEffectClient>>& GetStatusEffectList() const override;
    const IntArray* GetStats() const override { return &stats; }
    int32_t GetStat(int32_t stat) const override { return stats.Get(stat); }
    float GetMovementSpeed() const override;
    // The target's number when it is alive; the opponent while auto-attacking (when allowed);
    // else the target's number, or -1.
    int32_t GetTargetNumber(bool allowOpponent) const;
    EntityClient* GetInteractionTarget() const { return interactionTarget.GetAs<EntityClient>(); }
    bool HasHintBeenSeen(int32_t hint) const;
    void SetHintSeen(int32_t hint);
    bool IsInParty(int32_t entityNumber) const;
    // The first quest slot holding a complete quest the entity offers; -1 for none.
    int32_t FindQuestForNpc(const EntityClient& npc) const;
    bool GetCharacterFlag(int32_t flag) const;
    void SetCharacterFlag(int32_t flag, bool value);
    bool IsLoadedCharacter() const { return loadedCharacter; }
    // Slot 0..5; the empty answer for any other.
    const QuestClient* GetQuestSlot(int32_t slot) const;
    // The same, for building its texts (which fill the quest's caches).
    QuestClient* GetQuestSlot(int32_t slot)
    {
        return const_cast<QuestClient*>(static_cast<const PlayerClient*>(this)->GetQuestSlot(slot));
    }
    InventoryClient& GetInventory() { return *inventory; }
    const InventoryClient& GetInventory() const { return *inventory; }
    SkillListClient& GetSkillList() { return skillList; }
    const SkillListClient& GetSkillList() const { return skillList; }
    const ItemPtrList& GetItemList(int32_t index) const { return itemLists[static_cast<size_t>(index)]; }
    ItemPtrList& GetItemList(int32_t index) { return itemLists[static_cast<size_t>(index)]; }
    // The item timer of that group runs with time left; a group the player keeps no timer for
    // counts as none.
    bool IsItemTimerActive(int32_t group) const;
    // Quick-use records are numbered 0..kMaxQuickUse - 1; a slot number outside is refused.
    static constexpr int32_t kMaxQuickUse = 256;
    // The quick-use record; reading or writing past the end grows the list first. An index outside
    // 0..kMaxQuickUse - 1 reads as empty and grows nothing.
    std::array<int32_t, 4> GetQuickUse(int32_t index);
    int32_t GetQuickUseCount() const { return static_cast<int32_t>(quickUse.size()); }
    // Record i as it stands, without growing the list; an empty record outside it.
    std::array<int32_t, 4> GetQuickUseRecord(int32_t index) const;
    // False, nothing stored, for an index outside 0..kMaxQuickUse - 1.
    bool SetQuickUse(int32_t index, const std::array<int32_t, 4>& words);
    // The timer of an item-timer group 1..4; null for any other (group 0 is "no timer").
    RandomTimer* GetItemTimer(int32_t group);

    // ---- Title and item comparisons (PlayerClientTitle.cpp) ------------------------------------------
    // A localisation key by the level: 100 and above, 50, 25, 10, below.
    const char* GetLevelRankWord() const;
    // "PlayerTitle" with the level, the rank word and the class's name, then the hardcore and
    // loner marks.
    std::string GetTitle() const;
    std::string GetNameAndTitle() const;
    bool HasHardcoreMode() const;
    bool HasLonerChallengeMode() const;
    // Replaces the text with what the item would be compared with: the item worn in its place
    // by the player or the chosen recruit, or the guard or relic of the chosen house slot. The
    // text stays as it was for an item that is worn nowhere, or without the covenant mirror.
    void BuildEquippedComparison(const ItemBase* item, const ItemTooltipOptions& options, std::string& text);
    void BuildGuardRelicComparison(const ItemBase& item, const ItemTooltipOptions& options, std::string& text) const;
    // By the kind of item compared last: the guard slot, the relic slot, or the player and each
    // recruit that exists in turn, a step of -1 or +1, wrapping.
    void CycleComparisonTarget(int32_t step);

    // ---- Keys, hints, gates and the party (PlayerClientOperations.cpp) --------------------------------
    // "PrevItemComparision" .. "nextTarget" and "selectLifestone" of the client command table, and
    // "getGateList".
    static void RegisterCommands(ClientApp& app);
    void SetAllHintsSeen();
    // Every hint unseen again; the interface's first hint follows.
    void ResetHints();
    // The other weapon set; the hand that changes is heard.
    void SwitchItemSet();
    // The recruit before (after) the selected one, over the recruit slots, wrapping; nothing unless
    // a living recruit is selected.
    void SelectPrevRecruit() { SelectAdjacentRecruit(-1); }
    void SelectNextRecruit() { SelectAdjacentRecruit(1); }
    // The first recruit in the world (of the party only, when asked) becomes the target; none
    // clears the target. Whether one was found.
    bool SelectFirstRecruit(bool partyOnly);
    // The next attackable creature by number within 1.9 grid cells, edge to edge; past the last,
    // the lowest.
    void SelectNextHostileTarget();
    // Not dead (a creature with health) and not out of play.
    static bool IsAliveTarget(const EntityClient& entity);
    // A client entity that a click of the player's would attack; nothing else is.
    bool IsHostileTo(const EntityBase& other) const;
    // The target is the hero or a recruit of the player's own covenant: the mirror's slots are the
    // client's word for membership (a lifestone carries the index but is no member).
    bool IsTargetInOwnCovenant() const;
    // One row per known gate: the level's name, its place in the list, greyed while unopened.
    void BuildKnownGateList(std::vector<ListEntry>& rows) const;
    int32_t GetKnownGateCount() const;
    // The party's recruit slots, for the character file.
    void StoreParty();
    // The player's power pays for the skill of that database entry at its level.
    bool CanPayForSkill(int32_t skillEntry) const;
    // What the items of one bag are worth (each stack whole, rounded up), kept within int32;
    // 0 for a bag outside the inventory.
    int32_t GetBagValue(int32_t bag) const;
    // The worth of bags 0 to 14: the pack, the worn equipment, the carried bags and the stash.
    int32_t GetCarriedValue() const;
    // From the character's damage and attack speed; 0 without a weapon's worth of damage.
    float GetDamagePerSecond() const;
    // The same x 100, truncated, as the sheet and the all-time records keep it.
    int32_t GetDpsHundredths() const;

    // ---- The character --------------------------------------------------------------------------
    std::string characterName;
    // The base of the file the character was loaded from; empty for a new character, whose
    // files take its own name.
    std::string fileBase;
    bool gone = false;
    IntArray stats;
    IntArray funStats;
    uint32_t statusFlags = 0;
    uint32_t movementFlags = 0;
    int32_t opponentNumber = -1;
    std::vector<int32_t> party;
    std::vector<int32_t> partyRecruitIndices;
    // The world the character belongs to: its difficulty and world word.
    int32_t worldDifficulty = 0;
    uint32_t worldWord = 0;
    WorldPos returnPoint{-1, 0.0f, 0.0f, true};
    WorldPos secondPoint{-1, 0.0f, 0.0f, true};
    int32_t itemSet = 0;
    std::vector<bool> hintsSeen;
    std::vector<bool> discoveredLevels;
    std::vector<bool> characterFlags;
    // The host's record of the skill levels whose gifts the character has had, carried as the
    // host words it ({level stat, level} pairs) into the character's file and back at joining.
    std::vector<int32_t> skillGiftLevels;
    std::string levelName;
    // The message log as the character file holds it (a count, then the lines): the screen's
    // text events read it when the game starts (ClientApp::StartClient) and write it again at the
    // next save; without a screen it is saved as it was read.
    MessageBuffer messageLog;
    // The music the host asks for over the level's, and its volume.
    int32_t musicRecord = -1;
    float musicVolume = 0.0f;
    // The class the menus were last told of.
    int32_t rememberedClass = -1;

    // ---- Interaction ----------------------------------------------------------------------------
    int32_t interactionMode = 0;
    // Where the player stood as the mode began: its window closes once the player is carried off.
    WorldPos modeEnteredAt;
    int32_t pendingTree = -1;
    int32_t pendingSkill = -1;
    bool aiming = false;
    int32_t aimKind = kAimMove;
    bool pausedWithAction = false;
    bool walkedThisFrame = false;
    // The menus' display-only player: never in a game.
    bool displayOnly = false;
    // The player has taken the place the host gave it on joining.
    bool placedByHost = false;
    // Set by the relations screen while its trade request or traded-items page is shown.
    bool tradeFlag = false;

    // ---- What the item comparison compares with ---------------------------------------------------
    // The recruit slot whose equipment is compared, -1 for the player's own.
    int32_t comparisonRecruit = -1;
    int32_t comparisonGuardSlot = 0;
    int32_t comparisonRelicSlot = 0;
    // The ItemType of the item compared last: it decides what the cycling commands cycle.
    int32_t lastComparedType = 0;

private:
    // The recruit a step of -1 or +1 away from the selected one.
    void SelectAdjacentRecruit(int32_t step);
    // The player's part as read, before it applies.
    struct PartStaging {
        int32_t entityNumber = -1;
        int32_t animation = -1;
        int32_t restart = 0;
        int32_t animationMode = 0;
        std::vector<std::pair<int32_t, int32_t>> stats;  // {stat, value}
        WorldPos returnPoint;
        WorldPos secondPoint;
        uint32_t movementFlags = 0;
        // The inventory the part is read into; it changes places with the player's when taken.
        std::unique_ptr<InventoryClient> inventory;
        std::string name;
        std::vector<int32_t> party;
        std::vector<int32_t> funStats;
        uint32_t statusFlags = 0;
        std::array<size_t, kQuestSlots> questAt{};
        std::vector<int32_t> itemFlags;
        int32_t opponent = -1;
        std::vector<bool> discovered;
        std::vector<bool> characterFlags;
        int32_t music = -1;
        float musicVolume = 0.0f;
        std::vector<int32_t> skillGiftLevels;
    };
    struct CharacterRecord;

    void SetOwnNumber(int32_t number);
    // The game uses covenants and the mirror is given: the update and the settings carry its part.
    bool UsesCovenant() const;
    void ApplyPartAnimation();
    void ApplyPartStats();
    void ApplyPartQuests(MessageBuffer& buffer);
    // Both current gate lists made ready from the world's gate records.
    void PrepareItemLists();
    void WriteNewCharacter(MessageBuffer& buffer) const;
    void WriteLoadedCharacter(MessageBuffer& buffer, int32_t difficulty, uint32_t worldSeed);
    // The log names the file by the name it was asked for.
    static bool ParseCharacter(MessageBuffer& buffer, CharacterRecord& out, CharacterCovenantBlock* covenantBlock,
                               std::string_view fileName);
    // The message log in its own byte count, or, in an older file, where it stands.
    static bool ParseMessageLog(MessageBuffer& buffer, MessageBuffer& log, std::string_view fileName);
    static bool ParseInlineMessageLog(MessageBuffer& buffer, int32_t version, MessageBuffer& log);
    void ApplyCharacter(CharacterRecord& record, MessageBuffer& buffer, CharacterCovenantBlock* covenantBlock);
    void UpdateModes();
    // Back to mode 0 from whatever mode the frame finds without its target.
    void DropMode();
    SkillClient* FindClientSkill(int32_t tree, int32_t index) const;
    // The alive interaction target; else the opponent while auto-attacking; else the target.
    EntityClient* GetSkillTarget() const;
    EntityClient* GetHoveredEnemy() const;
    void SendPendingSkill();
    void FaceSkillTarget(const SkillDefinition& definition, const EntityClient* target);
    // The button held on the world keeps coming back to HandleClick.
    void StartAiming(int32_t kind);
    void UpdateHints();
    void LeaveMode(int32_t mode);
    void EnterMode(int32_t mode);
    // Mode 24: the giver's screen with the first quest it offers chosen, and its line asked for.
    void EnterQuestGiverMode(const EntityClient* giver);
    // "SelectedQuest": the giver's first offer the player does not hold, else empty.
    void ChooseFirstOfferedQuest(const EntityClient& giver);
    // Talk's window offers what the townsperson does: the world host lets only the town's recruit
    // join a covenant ("NpcCanJoin"), and the tutor leaves ("NpcIsTutor") or, while the player has
    // no lesson of it, gives its lessons ("NpcTutorOffersLessons").
    void EnterTalk(const EntityClient* npc);
    // Trade opens the window its partner offers and gives the hint of its kind.
    void EnterTrade(const EntityClient* partner);
    // The held button's step of the frame: the move target follows the cursor.
    void UpdateAim();
    void StopAiming();
    // The recruit slots a walk goes over: "MaxRecruits", or the covenant's own when it has more.
    int32_t GetRecruitWalkSlots() const;
    // The recruit's creature when the client holds it; null otherwise.
    EntityClient* GetRecruitEntity(int32_t slot) const;
    bool IsNextTargetCandidate(const EntityClient& entity) const;
    // CanMoveTo's test at the point as given, optionally passing over creatures.
    bool IsSpotFree(const WorldPos& spot, int32_t kindMask, bool creaturesBlock) const;

    int32_t ownNumber = -1;
    SafePointer body;
    SafePointer interactionTarget;
    std::unique_ptr<InventoryClient> inventory;
    SkillListClient skillList;
    std::array<std::unique_ptr<QuestClient>, kQuestSlots> questSlots;
    std::array<ItemPtrList, kItemLists> itemLists{ItemPtrList(false), ItemPtrList(true), ItemPtrList(false),
                                                  ItemPtrList(true)};
    std::vector<std::array<int32_t, 4>> quickUse;
    std::array<RandomTimer, kSlotEvents> slotEvents{};
    std::vector<UseHint> useHints;
    bool loadedCharacter = false;
    CharacterCovenantBlock* savedBlock = nullptr;
    PlayerCovenantClient* covenant = nullptr;
    std::unique_ptr<PlayerCovenantClient> ownCovenant;
    SafePointer followEntity;
    // The host's timer kind last heard on the body: 0, or 2 to 6.
    int32_t activitySound = 0;
    bool lowHealthPlaying = false;
    int32_t lastTickSecond = -1;
    // The level whose name levelName holds.
    int32_t levelNameIndex = -1;
    bool moving = false;
    bool movePending = false;
    PathRecord path;
    // The last point of the path reached: the cells are counted on from it.
    WorldPos pathPoint;
    PartStaging staging;
};
