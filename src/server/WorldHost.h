// WorldHost -- the server's front: the fixed-step clock, the clients and their datagrams, the commands a client may run, and each client's game update.
#pragma once

#include "core/BaseClass.h"
#include "core/CommandSystem.h"
#include "core/MessageBuffer.h"
#include "core/SafePointer.h"
#include "core/UserVarRef.h"
#include "core/system/NetworkSystem.h"
#include "resources/ResourceHandle.h"
#include "world/WorldPos.h"

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class Entity;
class Player;
struct NetClientUpdate;

// One joined client. The player and the covenant belong to the game; the record only points.
struct ClientRecord {
    sockaddr_in address{};
    // Null once the player is gone.
    SafePointer player;
    // A client update has come since its join: settings after that are a join of its own.
    bool played = false;
    // The level the world keeps generated around the player, as the client updates move it.
    int32_t currentLevel = 0;
    // Log lines its datagrams caused this frame, and those left out past the budget.
    int32_t logLines = 0;
    int32_t droppedLogLines = 0;
    // Bytes its requests added to the other clients' updates this frame, the lines past that
    // budget that went to its own player alone, and the lines for other players and sounds
    // past it that were dropped.
    size_t requestLineBytes = 0;
    int32_t heldBackLines = 0;
    int32_t droppedRequestOutput = 0;
    // Whether its updates are cut now, as last told in the log: a cut is told when it begins.
    // Log state alone, kept as updates are written from the record.
    mutable bool toldFixedPartsOver = false;
    mutable bool toldEntitiesCut = false;
    mutable bool toldSoundsCut = false;
};

// Main thread only. Nothing runs until SetUpServer or "newWorld" makes it active; from then on
// the main loop calls Tick, ServerFrame and ServerFrameEnd once a frame each.
class WorldHost : public BaseClass {
public:
    static constexpr uint32_t kStepMs = 50;
    // At most five steps a frame: a slow frame slows the game rather than bursting.
    static constexpr uint32_t kMaxDueMs = 250;
    static constexpr size_t kMaxClients = 8;
    // An entity is seen inside this distance from the player on both axes.
    static constexpr float kVisibleRange = 600.0f;
    // Bounds one tick's drain, so that a flood cannot hold the frame; the rest waits.
    static constexpr int32_t kMaxDatagramsPerTick = 4096;
    // A parent chain longer than this is not followed for relevance.
    static constexpr int32_t kMaxRelevanceDepth = 8;
    // A client update this close to the warp target on both axes reports the warp's arrival.
    static constexpr float kWarpArrivalRange = 0.5f;
    // One client's datagrams may fill at most this many log lines a frame: a flood of bad
    // lines cannot drown the log.
    static constexpr int32_t kMaxClientLogLines = 16;
    // A game update sent over a socket is one datagram whatever fills it; the in-process queue
    // of local mode takes any length.
    static constexpr size_t kMaxUpdateBytes = NetworkSystem::kMaxDatagramBytes;
    // The lines of one update, a quarter of it: they always go, what the rest has no room for
    // is left out.
    static constexpr size_t kMaxUpdateLineBytes = 16384;
    // What one client's requests may add to the other clients' updates in a frame, lines for
    // every client, lines for other players and sounds: with every client at its budget, half
    // of each update's lines are left to the steps and the players' own lines, less the one
    // offer an update may carry past its maker's budget (its first of the frame, heard whole).
    static constexpr size_t kMaxRequestLineBytes = kMaxUpdateLineBytes / (2 * kMaxClients);

    WorldHost();
    ~WorldHost() override;
    WorldHost(const WorldHost&) = delete;
    WorldHost& operator=(const WorldHost&) = delete;

    // "newWorld" on the console and in the clients' command table; the user vars "paused" and
    // "pausedAuto" (shared with the client).
    void RegisterCommands();
    // The commands a client's lines may run, and only those: the game fills it with its
    // requests. No "##name##" stands for a user var here.
    CommandSystem& GetClientCommands() { return clientCommands; }

    // ---- The frame -------------------------------------------------------------------------
    // Time accumulates unless paused or held; due steps are counted; the datagrams that wait
    // are handled in order of arrival.
    void Tick(uint32_t elapsedMs, bool clientHold);
    // The due steps, then one game update for each client.
    void ServerFrame();
    void ServerFrameEnd();
    bool IsPaused() const;

    // ---- Setting up a world ----------------------------------------------------------------
    // The kind of the message the first client gets about a resumed world.
    static constexpr int32_t kWorldNoticeKind = 4;

    // Opens the host's endpoint once, then makes a new world, or, with resume, loads the
    // character's saved world; active afterwards. A saved world that is missing or cannot be
    // read (kept aside as ".bad", or ".bad2" and on) is logged and a new world made, and the first client to join
    // hears "$$WorldSaveMissing$$" or "$$WorldSaveUnreadable$$"; one read in part runs, kept
    // aside too, and the first client hears "$$WorldSavePartlyRead$$".
    void SetUpServer(bool resume, int32_t startingLevel, int32_t difficulty, int32_t worldDifficulty,
                     int32_t numAiCovenants, const std::string& characterName);
    // "newWorld": the game starts a new world keeping the first player, and every client hears
    // of it; active afterwards.
    void NewWorld(int32_t startingLevel, int32_t difficulty, int32_t worldDifficulty, int32_t numAiCovenants);
    // The game ends on the host: every client is let go, the game emptied and the host idle
    // until the next SetUpServer, which then makes or loads a world of its own.
    void EndServer();

    // Loads (or finds) the resource and names its handle to the clients; -1 when it cannot be had.
    // The host keeps a use of it, so the handle names the same resource while the table says so.
    int32_t RegisterResource(std::string_view name);
    // Lets go of every resource it registered (before the resource manager's flush).
    void ReleaseResources() { heldResources.clear(); }
    // The first client's player's entity number; -1 without one.
    int32_t GetFirstPlayerNumber() const;

    // ---- Parts of the game update (WorldHostUpdate.cpp) ------------------------------------
    // The whole update for the client; over a socket at most kMaxUpdateBytes: the lines and the
    // game's, covenant's and player's parts always, then the visible entities and the sounds as
    // far as they fit. False (nothing written) when its player is gone.
    bool WriteGameUpdate(MessageBuffer& buffer, const ClientRecord& client);
    // The frame's lines for every client, then those for this player only. Past the byte cap
    // the player's own newest lines are kept first, then the newest of the rest.
    const std::vector<std::string>& CollectLines(const Player& player);
    // The sounds of the frame that concern the player: its own always, others strictly
    // inside their radius. The count is 0 without a player. Within room bytes (the count
    // besides): the oldest that fit, the rest left out. How many were left out.
    size_t WriteSounds(MessageBuffer& buffer, const Player* player,
                     size_t room = std::numeric_limits<size_t>::max()) const;
    // The entities the player sees, in slot order, each once, with what they depend on.
    const std::vector<Entity*>& CollectVisible(const Player& player);
    // Inside the box around the player, hanging on an entity that is, or tied to the player.
    bool IsVisibleTo(const Player& player, const Entity& entity, int32_t depth = 0) const;

    // ---- State the tests and the game read ---------------------------------------------------
    bool IsActive() const { return active; }
    uint32_t GetServerTimeMs() const { return serverTimeMs; }
    float GetServerTime() const { return serverTime; }
    uint32_t GetAccumulatorMs() const { return accumulatorMs; }
    uint32_t GetDueMs() const { return dueMs; }
    uint32_t GetStepCount() const { return stepCount; }
    const std::vector<std::unique_ptr<ClientRecord>>& GetClients() const { return clients; }
    // The player of the record while it is still the game's; null once it is gone.
    static Player* GetRecordPlayer(const ClientRecord& client);

private:
    bool OpenEndpoint();
    // True when the saved world runs, read whole or in part; notice is then empty or
    // "$$WorldSavePartlyRead$$" (the file kept aside as ".bad"), otherwise what the first client
    // is told about the new world. A save without its rivals has them made from the two start
    // arguments.
    bool ResumeWorld(const std::string& characterName, int32_t startingLevel, int32_t numAiCovenants,
                     std::string& notice);
    void Dispatch(MessageBuffer& buffer, const sockaddr_in& sender);
    void AnswerJoinRequest(const sockaddr_in& sender);
    void Join(MessageBuffer& buffer, const sockaddr_in& sender);
    // The record's player leaves the game, its party sent off and its gates taken down; the
    // index of the player's covenant it led, which the joining covenant takes, or -1.
    int32_t LetPlayerGo(ClientRecord& client);
    void HandleClientUpdate(MessageBuffer& buffer, const sockaddr_in& sender);
    bool IsPositionTakeable(const WorldPos& position) const;
    void ApplyPositions(ClientRecord& client, Player& player, const NetClientUpdate& update);
    void RunClientLines(const std::vector<std::string>& lines, ClientRecord& client);
    // One line run with the player as context. False when the command table refuses it.
    bool RunRequest(const std::string& line, Player& player, ClientRecord& client);
    // Runs what the client asked for: what it adds to the other clients' updates counts against
    // the client's budget for the frame. A template: a request runs for every line a client
    // sends, and a std::function of it would be made on the heap each time.
    template <typename Request>
    void WithinRequestBudget(Player& player, ClientRecord& client, Request&& request);
    // A line only the first client's player may send: a new world, or the end of this one.
    static bool IsFirstPlayerLine(std::string_view line);
    // Records whose player the game no longer holds are let go: they get no more datagrams.
    void DropGoneClients();
    // A log line a client's datagram caused, within the client's budget for the frame.
    void LogForClient(ClientRecord& client, int level, const std::string& text);
    // One line per client that went over a budget this frame; the budgets start again.
    void CloseLogBudgets();
    ClientRecord* FindClient(const sockaddr_in& address) const;
    void SendWelcome(const ClientRecord& client);
    void SendGameUpdates();
    // The records of the entities the player sees, within room bytes: every one when all fit;
    // else its own, then those tied to it and the nearest that fit, in the order seen. The bytes
    // written; leftOut is how many were not.
    size_t WriteEntities(MessageBuffer& buffer, const Player& player, size_t room, size_t& leftOut);
    void Send(MessageBuffer& buffer, const sockaddr_in& destination);
    void MarkVisible(Entity* entity);
    void OnNewWorldCommand(const std::vector<std::string>& args);

    bool active = false;
    // Waits for the first client to join; empty when there is nothing to tell.
    std::string worldNotice;
    uint32_t serverTimeMs = 0;
    float serverTime = 0.0f;
    uint32_t dueMs = 0;
    uint32_t accumulatorMs = 0;
    NetworkEndpoint endpoint;
    bool socketOpen = false;
    std::vector<std::unique_ptr<ClientRecord>> clients;
    std::vector<Entity*> visible;
    // One mark per entity slot, cleared for each client: "already in the list" in one look.
    std::vector<uint8_t> visibleMarks;
    std::vector<Entity*> linked;
    std::vector<std::string> updateLines;
    uint32_t stepCount = 0;
    UserVarRef pausedVar;
    UserVarRef pausedAutoVar;
    CommandSystem clientCommands;
    // By handle: the uses RegisterResource keeps.
    std::vector<ResourceHandle> heldResources;
    MessageBuffer receiveBuffer;
    // One buffer for every client's update: after the first frames it never grows. The parts
    // an update always carries and its entity records are written aside first, to be measured.
    MessageBuffer updateBuffer;
    MessageBuffer tailBuffer;
    MessageBuffer entityBuffer;
    std::vector<size_t> entityEnds;
    std::vector<float> entityDistances;
    std::vector<size_t> entityOrder;
    std::vector<uint8_t> entityKept;
};

extern WorldHost* gWorldHost;
