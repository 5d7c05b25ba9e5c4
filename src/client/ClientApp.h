// ClientApp -- the client half's application: the connection to the world host (join, hello, welcome, game update, new world, the update sent each frame, the line queue and the resource table), the local player, the pause, the input hooks and the client's side of the frame's scene.
#pragma once

#include "client/ClientResourceTable.h"
#include "client/EntityOverlays.h"
#include "core/BaseClass.h"
#include "core/CommandSystem.h"
#include "core/MessageBuffer.h"
#include "core/SafePointer.h"
#include "core/UserVarRef.h"
#include "core/system/NetworkSystem.h"
#include "render/FrameScene.h"
#include "resources/ResourceHandle.h"
#include "world/NetMessages.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class ClientUi;
class EntityClient;
class LocalPlayerLink;
class PlayerClient;
class PlayerCovenantClient;

// The drop-down widget that holds the open drop-down claim: it gets every click first after the
// click hook. The widget stores itself on opening and clears the claim on closing.
class ClientDropDown {
public:
    virtual ~ClientDropDown() = default;
    virtual bool OnDropDownPress(int32_t button, bool down) = 0;
};

// What the client asks of systems it may not name (the world host's save, the world map, the
// area editor, the web link, the explored maps); each empty hook does nothing and takes nothing.
struct ClientAppHooks {
    // Saves the world host's world under the name; false when it was not saved.
    std::function<bool(const std::string& name)> saveWorld;
    std::function<bool(int32_t button, bool down, int32_t x, int32_t y)> worldMapClick;
    std::function<bool(int32_t key, bool down)> editorKey;
    std::function<bool(int32_t button, bool down, int32_t x, int32_t y)> editorClick;
    std::function<bool()> editorOpen;
    // The explored map: saved after the character, loaded when it is resumed, forgotten by the
    // mini-map on a new world.
    std::function<void(const std::string& name)> saveExplored;
    std::function<void(const std::string& name)> loadExplored;
    std::function<void()> newWorld;
};

// Main thread only. One per process, behind gClientApp; the Client functions act on it. It is
// the renderer's scene while it lives.
class ClientApp : public BaseClass, public FrameScene {
public:
    // Bounds one frame's reading, so that a flood cannot hold the frame; the rest waits.
    static constexpr int32_t kMaxDatagramsPerFrame = 4096;
    // Seconds of client frames without a word from the world host after which the client gives
    // the game up (the host stopped without a goodbye, or the network between them went): the
    // host sends something every frame, even while paused, so only a host that is gone is this
    // quiet.
    static constexpr float kHostSilenceSeconds = 60.0f;
    // Seconds of client frames after which a join the host has not welcomed is asked for again,
    // the wait doubling after each ask: over sockets a datagram can be lost (a host whose frame
    // stalls while its clients send fills its socket), and one lost join request or settings
    // would leave the client waiting for an answer that never comes.
    static constexpr float kFirstJoinAskSeconds = 1.0f;
    // Game updates from a trade's request to the first that shows its result: the next one may
    // have been written before the host read the request.
    static constexpr int32_t kTradeSaveUpdates = 2;
    // The user var the title's notice reads the reason a game was lost from.
    static constexpr const char* kHostGoneReasonVar = "HostGoneReason";
    // The allocator's threshold is capped at this many megabytes.
    static constexpr int32_t kMaxThresholdMegabytes = 2000;

    using ClickHook = std::function<bool(int32_t button, bool down, int32_t x, int32_t y)>;
    using KeyHook = std::function<bool(int32_t key, bool down, bool repeat)>;

    ClientApp();
    ~ClientApp() override;
    ClientApp(const ClientApp&) = delete;
    ClientApp& operator=(const ClientApp&) = delete;

    // The client's six user vars (the allocator's threshold applied at once), the input
    // commands, and the process command system's hand-off of the request lines it does not run.
    void RegisterCommands();
    // A command the world host's lines may run: into the client's own table and the process's.
    void RegisterClientCommand(std::string_view name, CommandSystem::Handler handler, std::string_view help,
                               std::string_view argNames, std::string_view argTypes, uint32_t flags = 0);
    CommandSystem& GetServerLineCommands() { return serverLines; }

    void SetLink(std::unique_ptr<LocalPlayerLink> newLink);
    LocalPlayerLink* GetLink() const { return link.get(); }
    // The link when it is the real player mirror; null for none (or a test's stand-in).
    PlayerClient* GetLocalPlayer() const;
    PlayerCovenantClient* GetPlayerCovenant() const { return playerCovenant.get(); }
    // The player covenant's index; -1 without one.
    int32_t GetPlayerCovenantIndex() const;
    // Not owned: the user interface outlives the games it shows.
    void SetUi(ClientUi* newUi) { ui = newUi; }
    // Where the entities' overlays are drawn: the screen unless a canvas is given (a recording).
    // Not owned.
    void SetOverlayCanvas(OverlayCanvas* canvas) { overlayCanvas = canvas; }
    ClientUi* GetUi() const { return ui; }
    ClientAppHooks& GetHooks() { return hooks; }

    // ---- Starting and ending a game ------------------------------------------------------------
    // Makes the local player and its covenant mirror; with loadCharacter, loads the named
    // character first and, when that fails, leaves neither and answers false. The menus are told
    // of the new player.
    bool StartClient(bool loadCharacter, const std::string& characterName);
    void EndGame();
    // The local character's file; false without a player or when the save failed.
    bool SaveCharacter();
    // The character, then, once it is saved, the world host's world under the character's name
    // through the hook; a character without a name, or one that could not be saved, saves no world
    // (a warning says so). Nothing in a game whose "UsesSaveGames" is off.
    void AutoSave();
    // While active: "pausedAuto" is set (menus that pause the game call it every frame).
    void SetAutoPause();
    bool IsPaused() const override;

    // ---- The frame -----------------------------------------------------------------------------
    // The input's frame, the light list emptied unless paused, the datagrams, the hover entity.
    void Receive();
    // The client game and the player (unless paused), the update sent, the effects' time.
    void Update(float seconds);
    // The player's body synced, the position and pause texts, the sound frame, the drawing, the
    // input's per-frame tables cleared and a changed threshold applied.
    void DrawFrame(float seconds);

    // ---- The connection ------------------------------------------------------------------------
    bool Connect();
    // The datagrams waiting at the endpoint, each dispatched.
    void ReceiveDatagrams();
    void DispatchDatagram(MessageBuffer& buffer, const sockaddr_in& sender);
    void SendUpdate();
    void QueueServerCommand(const std::string& line);
    // A sale or a purchase is kept at once: the character and its world are saved as soon as
    // the host's updates carry it.
    void SaveAfterTrade();

    // ---- Input hooks ---------------------------------------------------------------------------
    void SetClickHook(ClickHook hook) { clickHook = std::move(hook); }
    const ClickHook& GetClickHook() const { return clickHook; }
    // The owner lets a tool take the hook back only while it is still its own.
    void SetKeyHook(KeyHook hook, const void* owner = nullptr)
    {
        keyHook = std::move(hook);
        keyHookOwner = owner;
    }
    void ClearKeyHook(const void* owner)
    {
        if (keyHookOwner != owner)
            return;
        keyHook = nullptr;
        keyHookOwner = nullptr;
    }
    const KeyHook& GetKeyHook() const { return keyHook; }
    void SetOpenDropDown(ClientDropDown* dropDown) { openDropDown = dropDown; }
    ClientDropDown* GetOpenDropDown() const { return openDropDown; }
    EntityClient* GetHoverEntity() const;
    void SetHoverEntity(EntityClient* entity);

    // ---- Questions -----------------------------------------------------------------------------
    bool IsActive() const { return active; }
    bool IsConnected() const { return connected; }
    int32_t GetCurrentLevel() const { return currentLevel; }
    const ClientResourceTable& GetResources() const { return resources; }
    const std::deque<std::string>& GetQueuedLines() const { return queuedLines; }
    const sockaddr_in& GetServerAddress() const { return serverAddress; }
    EntityClient* GetLocalPlayerEntity() const;
    int32_t GetLocalPlayerNumber() const;
    // The player's place while active and the area editor is closed; else level -1 at 0, 0.
    WorldPos GetCameraTarget() const;
    EntityClient* GetTargetEntity() const;
    // Entry i of the local player's party; null for a negative, out-of-range or -1 entry.
    EntityClient* GetPlayerListEntity(int32_t index) const;
    std::string GetSoundName(int32_t slot) const;
    bool IsAreaEditorOpen() const { return hooks.editorOpen && hooks.editorOpen(); }

    // ---- The frame's scene -----------------------------------------------------------------------
    bool IsGameRunning() const override { return active; }
    bool GetCameraTarget(WorldPos& out) const override;
    void DrawEntities(WorldView& view) override;
    void DrawEntityOverlays() override;
    bool HasLocalPlayer() const override { return link != nullptr; }
    // The client game's fog switched off.
    bool IsRevealed() const override;
    // The local player's sight, blended while walking; 1 without a game client.
    float GetVisibility(const WorldPos& position) const override;
    bool GetLocalPlayerScreenBox(std::array<float, 4>& out) const override;
    Vector2 WorldToScreenRaised(const WorldPos3& position, float height) const override;

private:
    // The connection's head and tail of a game update, around the game client's part.
    class UpdateEnvelope;

    void RegisterVars();
    // min(value, 2000) megabytes; a value below 0 counts as 0.
    void ApplyMemoryThreshold();
    bool SetUpNetwork();
    void Send(MessageBuffer& buffer, const sockaddr_in& destination);
    void OnHello(MessageBuffer& buffer, const sockaddr_in& sender);
    // While connected and not yet welcomed: the join request again once its wait has run out.
    void AskAgainForJoin(float seconds);
    void SendJoinRequest();
    void OnWelcome(MessageBuffer& buffer);
    void OnGameUpdate(MessageBuffer& buffer);
    void OnNewWorld(MessageBuffer& buffer);
    bool IsFromServer(const sockaddr_in& sender) const;
    // Over sockets, the host that answered this client's join; in process, always.
    bool IsFromJoinedHost(const sockaddr_in& sender) const;
    // The world host ended its world or fell silent: the character of a game in progress is kept
    // as the autosave keeps it, the game ends and the notice over the title says why.
    void LeaveLostGame(const char* reason, const char* why);
    // The world takes the seeds; the secret levels are rebuilt when the second one changed.
    static void TakeSeeds(int32_t difficulty, uint32_t worldSeed, uint32_t subSeed);
    void RunServerLines();
    // Each sound of the update at its place and owner, once; a slot the table does not name is
    // passed over.
    void PlaySounds() const;
    void ShowFrameTexts() const;
    // The local player's body first, then every other entity in table order.
    void ForEachDrawnEntity(const std::function<void(EntityClient&)>& draw) const;

    bool active = false;
    bool connected = false;
    bool networkSetUp = false;
    // A hello has come since the last Connect: the host has answered this join.
    bool hostAnswered = false;
    int32_t currentLevel = -1;
    float hostSilentSeconds = 0.0f;
    // Seconds until the unwelcomed join is asked for again, and the wait after that.
    float joinAskDueSeconds = kFirstJoinAskSeconds;
    float joinAskWaitSeconds = kFirstJoinAskSeconds;
    std::deque<std::string> queuedLines;
    // The game update from which a sale or purchase sent is the host's, when the character is
    // saved; -1 with none waiting.
    int32_t tradeSaveStamp = -1;
    ClientResourceTable resources;
    NetworkEndpoint endpoint;
    sockaddr_in serverAddress{};
    sockaddr_in joinAddress{};
    std::unique_ptr<LocalPlayerLink> link;
    std::unique_ptr<PlayerCovenantClient> playerCovenant;
    ClientUi* ui = nullptr;
    ClientAppHooks hooks;
    ClickHook clickHook;
    KeyHook keyHook;
    const void* keyHookOwner = nullptr;
    ClientDropDown* openDropDown = nullptr;
    SafePointer hoverEntity;
    EntityOverlays overlays;
    // Kept from frame to frame with the texts it shows.
    ScreenOverlayCanvas overlayScreen;
    OverlayCanvas* overlayCanvas = nullptr;
    // The mark under the player's target, loaded on its first draw.
    ResourceHandle selectedTargetMark;
    bool selectedTargetLoaded = false;
    UserVarRef showEntnumsVar;
    UserVarRef showPlayerPositionVar;
    UserVarRef pausedAutoVar;
    UserVarRef pausedVar;
    UserVarRef pauseWhenInactiveVar;
    UserVarRef maxThresholdVar;
    CommandSystem serverLines;
    MessageBuffer receiveBuffer;
    MessageBuffer sendBuffer;
    NetGameUpdateHead head;
    // The update's sounds, read with the rest of it and played once it applies.
    std::vector<NetSoundRecord> sounds;
    NetClientUpdate outgoing;
};

extern ClientApp* gClientApp;

// The client's operations on the one ClientApp; each does nothing (or answers the empty value)
// without it.
namespace Client {
bool StartClient(bool loadCharacter, const std::string& characterName);
bool Connect();
void Receive();
void Update(float seconds);
void DrawFrame(float seconds);
void DispatchDatagram(MessageBuffer& buffer, const sockaddr_in& sender);
void SendUpdate();
void QueueServerCommand(const std::string& line);
void EndGame();
void SaveCharacter();
bool IsPaused();
void SetAutoPause();
EntityClient* GetLocalPlayerEntity();
int32_t GetLocalPlayerNumber();
WorldPos GetCameraTarget();
EntityClient* GetTargetEntity();
EntityClient* GetPlayerListEntity(int32_t index);
int32_t GetPlayerCovenantIndex();
std::string GetSoundName(int32_t slot);
// The frame's two entity passes, while a game runs: the local player's body first, then every
// other entity in table order; the models and shadows into the world view, then the overhead
// texts and bars.
void DrawEntities(WorldView& view);
void DrawEntityOverlays();
} // namespace Client
