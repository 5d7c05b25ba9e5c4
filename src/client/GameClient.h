// GameClient -- the client half's copy of the game: the entities the player sees, the covenants, the world quests, the clock and the game part of each update, and the client's frame of game logic.
#pragma once

#include "client/CovenantClient.h"
#include "core/Color.h"
#include "core/EngineEnums.h"
#include "core/RandomTimer.h"
#include "core/TimeStamp.h"
#include "core/UserVarRef.h"
#include "rules/IntArray.h"
#include "world/NetEntityState.h"
#include "world/NetMessages.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class ClientMessages;
class ClientMusic;
class ClientProfiles;
class ClientResourceTable;
class ClientSight;
class CovenantRankings;
class WeatherClient;
class EntityClient;
class MessageBuffer;
class QuestClient;
class RecruitClient;
class TradeWindow;
class ClientEffectContext;

// What the connection reads and applies around the game client's part of a game update: the
// head (resources and the host's lines) before it, the player covenant's and the player's parts
// and the sounds after it.
class GameUpdateEnvelope {
public:
    virtual ~GameUpdateEnvelope() = default;
    // Everything after the game part; false drops the whole update.
    virtual bool ReadTail(MessageBuffer& buffer) = 0;
    // Once all of it was read, before the game part applies.
    virtual void ApplyHead() = 0;
    // After the game part; the buffer reads on from where the game part ended.
    virtual void ApplyTail(MessageBuffer& buffer) = 0;
};

// Main thread only. Made once at start-up after the world host's game; Reset empties it for a
// new game.
class GameClient {
public:
    static constexpr int32_t kMaxEntities = 1500;
    static constexpr int32_t kMaxCovenants = 32;
    static constexpr float kNoonHours = 12.0f;

    GameClient();
    ~GameClient();
    GameClient(const GameClient&) = delete;
    GameClient& operator=(const GameClient&) = delete;

    // Makes gGameClient once and registers its vocabulary; a second call does nothing.
    static void Init();
    static void Shutdown();
    // The world's client-side level callbacks: the levels' sound banks follow the loaded levels.
    static void RegisterLevelCallbacks();
    // The user vars the client keeps ("autoSaveTime", "ui_drawPlayerHelmet").
    void RegisterVars();
    // The switches of how entities look: the hover text's hints, the local player's helmet and
    // the developer's tag axes. The interface's defaults without a user-var system.
    bool ShowsSimpleTips() const { return !simpleTipsVar.IsValid() || simpleTipsVar.GetBool(); }
    bool DrawsPlayerHelmet() const { return !drawHelmetVar.IsValid() || drawHelmetVar.GetBool(); }
    // "ui_showUseHints": a ready slot's icon rises beside the player.
    bool ShowsUseHints() const { return !showUseHintsVar.IsValid() || showUseHintsVar.GetBool(); }
    bool ShowsTags() const { return showTagsVar.IsValid() && showTagsVar.GetBool(); }

    void Reset();
    // The timers, the entities, the ambient light, then the autosave.
    void Update(float seconds);

    // ---- The game update (GameClientUpdate.cpp) ---------------------------------------------------
    // The entity records and the game part, with the envelope's parts around them: all of it is
    // read before anything applies, so a malformed update changes nothing and gives false. The
    // resources name the models. The first update of a game then runs the start steps.
    bool ReadGameUpdate(MessageBuffer& buffer, const ClientResourceTable* resources,
                        GameUpdateEnvelope* envelope = nullptr);
    void RemoveStaleEntities();
    // Once a game: the level anchor, the start help, the rain on the player, the town's map
    // revealed where its area asks, this game's new unlocks forgotten, the interface's start lines.
    void OnFirstUpdate();
    // Level 0 shown whole on the world map when its area has "AutoMap".
    void RevealWorldMapStart();

    // ---- The tables ---------------------------------------------------------------------------
    // Null for a number outside 0..1499 or a slot not held.
    EntityClient* GetEntity(int32_t number) const;
    // The first entity, in slot order, that hangs on the owner in the owner's slot; null for no
    // owner, an owner outside the table (every unowned entity names owner -1), slot -1 or no
    // such entity.
    EntityClient* FindEntityByOwner(const EntityClient* owner, int32_t ownerSlot) const;
    void ClearEntities();
    // The covenant at the index; past the end, with create, a new one appended.
    CovenantClient* GetCovenant(int32_t index, bool create);
    // The covenant at the last index the update counted; null when it is not mirrored.
    CovenantClient* GetLastCovenant() const;
    int32_t GetCovenantCount() const { return covenantCount; }
    const std::vector<std::unique_ptr<QuestClient>>& GetQuests() const { return quests; }
    // The last world's quests and townsfolk forgotten; the new world's first update runs the start
    // steps again.
    void ResetForNewWorld();
    int32_t GetUpdateStamp() const { return updateStamp; }
    bool IsStarted() const { return started; }
    const Color& GetAmbientColour() const { return ambientColour; }
    // The ambient colour as the lighting gets it: darkened by the rain where the player stands.
    Color GetWeatheredAmbient() const;

    // ---- The client's services, each in its own files ------------------------------------------
    ClientMusic& GetMusic() { return *music; }
    ClientMessages& GetMessages() { return *messages; }
    CovenantRankings& GetRankings() { return *rankings; }
    ClientSight& GetSight() { return *sight; }
    WeatherClient& GetWeather() { return *weatherClient; }
    ClientProfiles& GetProfiles() { return *profiles; }
    TradeWindow& GetTrade() { return *trade; }
    // One pass over the unlock definitions in order: each one the current user profile now meets
    // and does not hold yet is granted. Nothing without a profile.
    void ApplyProfileUnlocks();
    // The text of the unlock of that name (compared without regard to case) in place of what out
    // held (see UnlockClient::BuildDescription); out is left alone when no unlock has the name.
    void GetUnlockText(std::string_view name, std::string& out, bool descriptionOnly) const;

    // ---- What the menus' texts and conditions ask (GameClientQueries.cpp) ------------------------------
    // The name the screens show, and the one messages and lists use; empty for an index the update lacks.
    std::string GetCovenantName(int32_t index) const;
    std::string GetCovenantText(int32_t index) const;
    int32_t GetQuestCount() const { return static_cast<int32_t>(quests.size()); }
    // Whether a quest neither complete nor failed is a town attack (when asked) or a siege (when asked).
    bool HasOpenQuest(bool townAttack, bool siege) const;
    // The local player's trade window is open: its trade page shows and it has its covenant.
    bool IsTradeOpen() const;
    // The covenant's record of the NPC the local player has selected (or, while it fights, its
    // opponent): the recruit's record, else the candidate's when the candidate is that NPC; null
    // otherwise.
    const RecruitClient* GetSelectedNpcRecord() const;

    // ---- Names of entities (GameClientNames.cpp) -------------------------------------------------
    // The rank's colour code, then on the name line the name with its rank words, or on the rank
    // line the level and the rank word; decorate false or an NPC adds no words. What out holds
    // before kept is left alone: the text under the cursor is built in one string whose room
    // lasts from frame to frame.
    static void GetMonsterDisplayName(std::string& out, int32_t rank, int32_t level, std::string_view name,
                                      bool isNpc, bool nameLine, bool decorate, size_t kept = 0);
    // The NPC's name, then its title appended directly; nothing without a record.
    static void GetNpcDisplayName(const EntityClient& entity, std::string& out, bool withName, bool withTitle);
    // The covenant whose home lies nearest, the local player's first on a tie; null without one.
    CovenantClient* FindNearestCovenantHome(const WorldPos& position) const;

    // ---- The game part as the last update gave it ---------------------------------------------------
    float foodPriceFactor = 1.0f;
    float drinkPriceFactor = 1.0f;
    int32_t gameValue = 1;
    TimeStamp clock;
    float timeOfDay = kNoonHours;
    float weather[3] = {};
    bool alliedVictoryShown = false;
    bool confirmWinShown = false;
    bool victoryPending = false;
    bool victoryHeld = false;
    bool gameOverShown = false;
    bool losDirty = false;
    // The target the client update names while the game is paused with an action pending.
    int32_t pendingTarget = -1;
    std::vector<int32_t> questActorValues;
    std::vector<std::string> questActorNames;
    // The stats a new character is set up with (the menus choose its skill levels).
    IntArray characterSetUp{CharacterStat::kCount};
    // The paces of the leading-covenant announcements and of the autosave.
    RandomTimer announceTimer;
    RandomTimer autosaveTimer;
    // The line the NPC chat menu shows; emptied by "clearNpcChat".
    std::string npcChatText;
    // The covenant the diplomacy window is open with; -1 for none.
    int32_t selectedCovenant = -1;

    // ---- Calls into services other systems provide; each does nothing while empty ----
    // Counts one kill of (false) or one death by (true) the monster kind in the current user
    // profile, when one is current.
    std::function<void(int32_t databaseIndex, bool death)> profileCountHook;
    // Whether the current user profile has unlocked the named class; none is without a profile.
    std::function<bool(const std::string& className)> profileUnlockedHook;
    // Plays the voice that belongs to an NPC chat line, given the line's arguments.
    std::function<void(const std::vector<std::string>& args)> npcChatVoiceHook;

private:
    // One entity's record of the update, as read.
    struct StagedEntity {
        NetEntityHeader header;
        NetEntityState state;
    };
    struct Staging {
        std::vector<StagedEntity> entities;
        size_t entityCount = 0;
        TimeStamp clock;
        int32_t gameValue = 0;
        int32_t covenantCount = 0;
        std::vector<CovenantClient::Record> covenants;
        float timeOfDay = 0.0f;
        std::vector<int32_t> actorValues;
        std::vector<std::string> actorNames;
        // Where each quest slot's record starts in the buffer; 0 for an empty slot.
        std::vector<size_t> questAt;
        float priceFactors[2] = {};
        float weather[3] = {};
        bool alliedVictory = false;
        bool confirmWin = false;
    };

    // Reads the entity records and the game part whole into the staging; false (nothing staged
    // counts) for a malformed update.
    bool ParseGameUpdate(MessageBuffer& buffer);
    // Takes what ParseGameUpdate staged; the buffer is the one it read (quests are read again
    // from it).
    void ApplyGameUpdate(MessageBuffer& buffer, const ClientResourceTable* resources);
    bool ParseEntities(MessageBuffer& buffer);
    bool ParseGamePart(MessageBuffer& buffer);
    void ApplyEntities(const ClientResourceTable* resources);
    void ApplyQuests(MessageBuffer& buffer);
    // Each quest item of the update named after the quest its number names, once the quests
    // are read; a number no quest holds names nothing.
    void ResolveQuestItems();
    void ApplyMenuFlag(bool value, bool& shown, const char* menu);
    void UpdateAmbientLight(float seconds);
    // The win or the loss, once a game.
    void UpdateGameOver();
    void UpdateAutosave();
    // Starts the autosave timer at "autoSaveTime" seconds; stops it when that is 0 or less.
    void RestartAutosave();

    std::vector<std::unique_ptr<EntityClient>> entities;
    int32_t covenantCount = 0;
    std::vector<std::unique_ptr<CovenantClient>> covenants;
    std::vector<std::unique_ptr<QuestClient>> quests;
    bool started = false;
    int32_t updateStamp = 0;
    Color ambientColour{1.0f, 1.0f, 1.0f};
    float ambientRate = 0.0f;
    UserVarRef autoSaveTimeVar;
    UserVarRef drawHelmetVar;
    UserVarRef simpleTipsVar;
    UserVarRef showUseHintsVar;
    UserVarRef showTagsVar;
    Staging staging;
    std::unique_ptr<ClientMusic> music;
    std::unique_ptr<ClientMessages> messages;
    std::unique_ptr<CovenantRankings> rankings;
    std::unique_ptr<ClientSight> sight;
    std::unique_ptr<WeatherClient> weatherClient;
    std::unique_ptr<ClientProfiles> profiles;
    std::unique_ptr<TradeWindow> trade;
    // Given to the effect system while this client exists.
    std::unique_ptr<ClientEffectContext> effectContext;
};

extern GameClient* gGameClient;
