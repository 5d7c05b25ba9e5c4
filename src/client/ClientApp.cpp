// ClientApp -- the client's connection to the world host: the join, the datagrams it reads (hello, welcome, game update, new world), the update it sends each frame, the line queue and the resource table.
#include "client/ClientApp.h"

#include "client/ClientCommandTable.h"
#include "client/ClientInput.h"
#include "client/ClientSight.h"
#include "client/ClientUi.h"
#include "client/EntityScene.h"
#include "client/GameClient.h"
#include "client/GlobalStats.h"
#include "client/LocalPlayerLink.h"
#include "client/PlayerClient.h"
#include "client/PlayerCovenantClient.h"
#include "client/ScreenConversion.h"
#include "audio/SoundSystem.h"
#include "core/DebugSystem.h"
#include "core/EventSystem.h"
#include "core/Memory.h"
#include "core/Profiler.h"
#include "core/StringUtil.h"
#include "core/UserVarSystem.h"
#include "core/system/InputSystem.h"
#include "core/system/SystemInfo.h"
#include "render/LightingSystem.h"
#include "render/Renderer.h"
#include "render/TextEvents.h"
#include "render/WorldView.h"
#include "resources/ResourceManager.h"
#include "resources/effects/EffectSystem.h"
#include "resources/shaders/ShaderLookup.h"
#include "rules/GameData.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>

ClientApp* gClientApp = nullptr;

namespace {

// The pause notice's colour code.
constexpr char kClientAppPausedPrefix[] = "^f005";

// Times one client step in its own profiler section.
class ClientAppProfileScope {
public:
    explicit ClientAppProfileScope(int section) : section(section)
    {
        if (gProfiler)
            gProfiler->Begin(section);
    }
    ~ClientAppProfileScope()
    {
        if (gProfiler)
            gProfiler->Mark(section);
    }
    ClientAppProfileScope(const ClientAppProfileScope&) = delete;
    ClientAppProfileScope& operator=(const ClientAppProfileScope&) = delete;

private:
    int section;
};

} // namespace

ClientApp::ClientApp()
{
    // Lines from another process never stand for the user's vars.
    serverLines.SetUserVarSubstitution(false);
}

ClientApp::~ClientApp()
{
    if (gCommandSystem)
        gCommandSystem->SetForwardHook(nullptr);
    if (networkSetUp && gNetworkSystem)
        gNetworkSystem->CloseSocket(endpoint);
    hoverEntity.Clear();
}

void ClientApp::RegisterCommands()
{
    RegisterVars();
    ClientInput::RegisterCommands();
    if (gCommandSystem)
        gCommandSystem->SetForwardHook([this](const std::string& line) { QueueServerCommand(line); });
    ClientCommandTable::Register(*this);
}

void ClientApp::RegisterVars()
{
    if (!gUserVarSystem)
        return;
    showEntnumsVar = gUserVarSystem->RegisterVar("showEntnums", "0");
    overlays.RegisterVars();
    showPlayerPositionVar = gUserVarSystem->RegisterVar("showPlayerPosition", "0");
    pausedAutoVar = gUserVarSystem->RegisterVar("pausedAuto", "0");
    pausedVar = gUserVarSystem->RegisterVar("paused", "0");
    pauseWhenInactiveVar = gUserVarSystem->RegisterVar("pauseWhenInactive", "1");
    maxThresholdVar = gUserVarSystem->RegisterVar("m_maxThreshold", "128");
    ApplyMemoryThreshold();
}

void ClientApp::ApplyMemoryThreshold()
{
    int64_t megabytes = std::clamp<int64_t>(maxThresholdVar.GetInt(), 0, kMaxThresholdMegabytes);
    SetMemoryThreshold(megabytes << 20);
    maxThresholdVar.SetFlag();
}

void ClientApp::RegisterClientCommand(std::string_view name, CommandSystem::Handler handler, std::string_view help,
                                      std::string_view argNames, std::string_view argTypes, uint32_t flags)
{
    if (ClientCommandTable::IsHostLine(name))
        serverLines.RegisterCommand(name, handler, help, argNames, argTypes, flags);
    if (gCommandSystem)
        gCommandSystem->RegisterCommand(name, std::move(handler), help, argNames, argTypes, flags);
}

void ClientApp::SetLink(std::unique_ptr<LocalPlayerLink> newLink)
{
    link = std::move(newLink);
}

PlayerClient* ClientApp::GetLocalPlayer() const
{
    return dynamic_cast<PlayerClient*>(link.get());
}

// ---- Starting and ending a game ----------------------------------------------------------------------

bool ClientApp::StartClient(bool loadCharacter, const std::string& characterName)
{
    link.reset();
    // The loss marks its game over after ending it: the new game clears that mark with the rest.
    if (gGameClient)
        gGameClient->Reset();
    playerCovenant = std::make_unique<PlayerCovenantClient>();
    playerCovenant->LoadGlobalInventory();
    auto player = std::make_unique<PlayerClient>();
    player->SetCovenant(playerCovenant.get());
    if (loadCharacter && !player->LoadCharacter(characterName, playerCovenant.get())) {
        playerCovenant.reset();
        return false;
    }
    if (!loadCharacter) {
        // Mended: the covenant named on the new-character screen was dropped, and the world host
        // named the player's house after its definition instead.
        if (gUserVarSystem)
            playerCovenant->name = gUserVarSystem->GetStringByName("CovenantName");
        player->NewGame();
    } else if (hooks.loadExplored) {
        hooks.loadExplored(characterName);
    }
    // The log the character was saved with, to scroll back through; a new character starts
    // with none.
    if (gTextEvents) {
        Vector2 logAt = ui ? ui->GetTextPosition(ClientUi::TextPosition::Log) : Vector2{};
        MessageBuffer log = player->messageLog;
        log.SetReadPos(0);
        gTextEvents->LoadTextEvents(log, PlayerClient::kFileVersion, logAt);
    }
    link = std::move(player);
    if (ui)
        ui->NotifyPlayerChanged();
    return true;
}

// Whatever the ended game left (its mirrors, its first-update and game-over marks, its messages,
// requests queued for its host) would otherwise show in, or be sent from, the next game.
void ClientApp::EndGame()
{
    clickHook = nullptr;
    hoverEntity.Clear();
    link.reset();
    playerCovenant.reset();
    active = false;
    connected = false;
    queuedLines.clear();
    tradeSaveStamp = -1;
    if (gGameClient)
        gGameClient->Reset();
    if (gTextEvents)
        gTextEvents->RemoveAll();
}

bool ClientApp::SaveCharacter()
{
    if (!link || !link->SaveCharacter())
        return false;
    // The all-time records are kept whenever the character is: a crash later loses neither.
    if (gGlobalStats)
        gGlobalStats->Save();
    if (hooks.saveExplored)
        hooks.saveExplored(link->GetSaveName());
    return true;
}

void ClientApp::AutoSave()
{
    // Mended: the saves after a trade and before the allied victory wrote a game that keeps no
    // saves; every autosave asks here.
    if (!gGameData || !gGameData->GetTuning().usesSaveGames)
        return;
    // A fallen hardcore character's files are gone on purpose; nothing of it is written again.
    if (link && link->IsGone())
        return;
    // Mended: the world was saved under the save name even when the character was not, beside a
    // character file that could be another character's.
    if (!SaveCharacter()) {
        if (link && hooks.saveWorld)
            DebugSystem::Print(kPrintWarning, "The world isn't autosaved: the character couldn't be saved\n");
        return;
    }
    if (!hooks.saveWorld)
        return;
    std::string name = link->GetSaveName();
    // A world saved under no name would be one file shared by every nameless game.
    if (name.empty()) {
        DebugSystem::Print(kPrintWarning, "The world isn't autosaved: the character has no name\n");
        return;
    }
    // Only a process that runs the world host saves one; a client alone has nothing to save.
    hooks.saveWorld(name);
}

void ClientApp::SetAutoPause()
{
    if (active)
        pausedAutoVar.SetString("1");
}

bool ClientApp::IsPaused() const
{
    if (!active)
        return false;
    // A trade with another covenant holds the world still, as a menu that pauses does.
    if (pausedAutoVar.GetBool() || pausedVar.GetBool() || (gGameClient && gGameClient->IsTradeOpen()))
        return true;
    bool windowActive = !gSystemInfo || gSystemInfo->applicationActive;
    return pauseWhenInactiveVar.GetBool() && !windowActive;
}

// ---- The frame -------------------------------------------------------------------------------------

void ClientApp::Receive()
{
    ClientAppProfileScope profile(kProfileClientReceive);
    if (gInputSystem)
        gInputSystem->Update();
    if (!IsPaused() && gLightingSystem)
        gLightingSystem->Reset();
    ReceiveDatagrams();
    // Judged after the datagrams are read: a client frame that stalled still takes in what the
    // host sent meanwhile before the silence counts against it.
    if (connected && hostSilentSeconds > kHostSilenceSeconds)
        LeaveLostGame(active ? "$$HostSilent$$" : "$$HostNoAnswer$$",
                      active ? "the world host stopped answering" : "no world host answered");
    Client::UpdateHoverEntity();
}

void ClientApp::Update(float seconds)
{
    ClientAppProfileScope profile(kProfileClientUpdate);
    if (connected)
        hostSilentSeconds += seconds;
    AskAgainForJoin(seconds);
    if (active && !IsPaused()) {
        if (gGameClient)
            gGameClient->Update(seconds);
        if (link) {
            link->UpdateFrame(seconds);
            currentLevel = link->GetPosition().level;
        }
    }
    SaveAfterTrade();
    SendUpdate();
    if (gEffectSystem)
        gEffectSystem->UpdateAll(seconds);
    // The events the entities' animations queued reach their other listeners; the world host
    // delivers its own each step, but a client joined to another machine has no host running.
    if (gEventSystem)
        gEventSystem->DispatchQueue();
}

void ClientApp::DrawFrame(float seconds)
{
    ClientAppProfileScope profile(kProfileClientDraw);
    if (PlayerClient* player = GetLocalPlayer())
        player->SyncBody();
    ShowFrameTexts();
    if (gSoundSystem)
        gSoundSystem->Update();
    if (gRenderer)
        gRenderer->RenderFrame(seconds);
    if (gInputSystem)
        gInputSystem->ClearPressed();
    if (maxThresholdVar.GetFlag())
        ApplyMemoryThreshold();
}

void ClientApp::ShowFrameTexts() const
{
    if (!gTextEvents)
        return;
    if (link && showPlayerPositionVar.GetBool()) {
        WorldPos at = link->GetPosition();
        gTextEvents->AddTextEvent(StringFormat("%d %.1f %.1f", at.level, at.x, at.y), 10.0f, 30.0f, 1.5f, 3, false,
                                  false);
    }
    if (IsPaused())
        gTextEvents->AddTextEvent(std::string(kClientAppPausedPrefix) + "$$Paused$$", 320.0f, 50.0f, 0.0f, 6, true,
                                  false);
}

// ---- Sending ---------------------------------------------------------------------------------------

bool ClientApp::SetUpNetwork()
{
    if (networkSetUp)
        return true;
    if (!gNetworkSystem)
        return false;
    endpoint = NetworkEndpoint{};
    if (!gNetworkSystem->GetLocalAddress(endpoint.address, kClientPort, false) ||
        !gNetworkSystem->GetLocalAddress(serverAddress, kWorldHostPort, false) ||
        !gNetworkSystem->GetJoinAddress(joinAddress, kWorldHostPort) || !gNetworkSystem->OpenSocket(endpoint)) {
        DebugSystem::Print(kPrintError, "Couldn't open the client's socket on port %d\n", kClientPort);
        return false;
    }
    networkSetUp = true;
    return true;
}

bool ClientApp::Connect()
{
    if (!SetUpNetwork())
        return false;
    // Whatever an earlier game left waiting is not for this one.
    while (gNetworkSystem->Poll(endpoint)) {
        sockaddr_in sender{};
        receiveBuffer.Clear();
        gNetworkSystem->Receive(receiveBuffer, endpoint, sender);
    }
    SendJoinRequest();
    connected = true;
    hostAnswered = false;
    hostSilentSeconds = 0.0f;
    joinAskDueSeconds = kFirstJoinAskSeconds;
    joinAskWaitSeconds = kFirstJoinAskSeconds;
    return true;
}

void ClientApp::SendJoinRequest()
{
    sendBuffer.Clear();
    NetMessages::WriteJoinRequest(sendBuffer);
    Send(sendBuffer, joinAddress);
}

// The host answers every join request with a hello, which the client answers with its settings,
// and settings from a client it holds already with the welcome again: asking again repeats
// whichever step was lost, and never makes a second player.
void ClientApp::AskAgainForJoin(float seconds)
{
    if (!connected || active)
        return;
    joinAskDueSeconds -= seconds;
    if (joinAskDueSeconds > 0.0f)
        return;
    joinAskWaitSeconds *= 2.0f;
    joinAskDueSeconds = joinAskWaitSeconds;
    SendJoinRequest();
}

void ClientApp::Send(MessageBuffer& buffer, const sockaddr_in& destination)
{
    if (gNetworkSystem && networkSetUp)
        gNetworkSystem->SendTo(buffer, endpoint, destination);
}

void ClientApp::SendUpdate()
{
    if (!active || !connected)
        return;
    outgoing.lines.assign(queuedLines.begin(), queuedLines.end());
    // The update after next is the first written after the host ran these lines.
    bool trades = std::any_of(queuedLines.begin(), queuedLines.end(), [](const std::string& line) {
        return line.rfind("sellItem ", 0) == 0 || line.rfind("buyItem ", 0) == 0;
    });
    if (trades && gGameClient)
        tradeSaveStamp = gGameClient->GetUpdateStamp() + kTradeSaveUpdates;
    outgoing.position = link ? link->GetPosition() : WorldPos{};
    outgoing.moveTarget = link ? link->GetMoveTarget() : WorldPos{};
    outgoing.interactionMode = link ? link->GetInteractionMode() : 0;
    outgoing.target = link ? link->GetUpdateTarget() : -1;
    if (outgoing.interactionMode == PlayerClient::kModePaused && gGameClient)
        outgoing.target = gGameClient->pendingTarget;
    sendBuffer.Clear();
    NetMessages::WriteClientUpdate(sendBuffer, outgoing);
    Send(sendBuffer, serverAddress);
    queuedLines.clear();
}

void ClientApp::QueueServerCommand(const std::string& line)
{
    queuedLines.push_back(line);
}

// Mended: a trade lasted only until the next save, so a player who left unsaved after a death
// found what they had sold back in the pack and what they had bought gone.
void ClientApp::SaveAfterTrade()
{
    if (tradeSaveStamp < 0 || !gGameClient || gGameClient->GetUpdateStamp() < tradeSaveStamp)
        return;
    tradeSaveStamp = -1;
    if (active)
        AutoSave();
}

// ---- Receiving -------------------------------------------------------------------------------------

void ClientApp::ReceiveDatagrams()
{
    if (!connected || !gNetworkSystem)
        return;
    // A goodbye ends the connection: nothing after it in the queue is for this game.
    for (int32_t i = 0; connected && i < kMaxDatagramsPerFrame && gNetworkSystem->Poll(endpoint); ++i) {
        sockaddr_in sender{};
        // The transport appends what it takes.
        receiveBuffer.Clear();
        gNetworkSystem->Receive(receiveBuffer, endpoint, sender);
        receiveBuffer.SetReadPos(0);
        DispatchDatagram(receiveBuffer, sender);
    }
}

void ClientApp::DispatchDatagram(MessageBuffer& buffer, const sockaddr_in& sender)
{
    int32_t type = buffer.ReadInt();
    if (buffer.Overrun())
        return;
    // Mended: over the network any machine could send these and steer the game, and any machine's
    // hello, even mid-game, became the host the character was sent to; only the host that
    // answered this client's join may, and the first hello after a join is that answer.
    bool steers = type == NetMessageType::kGameUpdate || type == NetMessageType::kWelcome ||
                  type == NetMessageType::kNewWorld || (type == NetMessageType::kHello && hostAnswered);
    if (steers && !IsFromJoinedHost(sender)) {
        DebugSystem::Print(kPrintDeveloper, "Ignored a message of type %d from another than the joined host\n", type);
        return;
    }
    // A hello is no answer to a join: a host that refuses the client's settings still says hello
    // to each join request, and the client would wait on it for ever.
    if (steers && type != NetMessageType::kHello)
        hostSilentSeconds = 0.0f;
    switch (type) {
    case NetMessageType::kHello: OnHello(buffer, sender); break;
    case NetMessageType::kGameUpdate:
        if (active)
            OnGameUpdate(buffer);
        break;
    case NetMessageType::kWelcome: OnWelcome(buffer); break;
    case NetMessageType::kNewWorld: OnNewWorld(buffer); break;
    case NetMessageType::kHostEnded:
        // Only the host this client talks to may end its game, and only once it has answered this
        // join: a goodbye before that was the last game's, late over the network.
        if (connected && hostAnswered && IsFromServer(sender))
            LeaveLostGame("$$HostEnded$$", "the world host ended its world");
        break;
    default: break;  // a client's own kinds, and anything else, are not for a client
    }
}

bool ClientApp::IsFromServer(const sockaddr_in& sender) const
{
    return sender.sin_addr.s_addr == serverAddress.sin_addr.s_addr && sender.sin_port == serverAddress.sin_port;
}

bool ClientApp::IsFromJoinedHost(const sockaddr_in& sender) const
{
    // The in-process queue carries only this process's own host.
    if (!gNetworkSystem || gNetworkSystem->IsLocalMode())
        return true;
    return hostAnswered && IsFromServer(sender);
}

void ClientApp::LeaveLostGame(const char* reason, const char* why)
{
    DebugSystem::Print(kPrintPlain, "The game ends: %s\n", why);
    bool keepCharacter = active && link && gGameData && gGameData->GetTuning().usesSaveGames;
    if (keepCharacter && !SaveCharacter())
        DebugSystem::Print(kPrintWarning, "The character couldn't be saved as the game ended\n");
    EndGame();
    if (gUserVarSystem)
        gUserVarSystem->SetStringByName(kHostGoneReasonVar, reason);
    if (ui) {
        ui->HideMenus();
        ui->RunMenuLine("showMenu HostGone");
    }
}

void ClientApp::OnHello(MessageBuffer& buffer, const sockaddr_in& sender)
{
    NetHello hello;
    if (!NetMessages::ReadHello(buffer, hello))
        return;
    sendBuffer.Clear();
    NetMessages::WriteClientSettingsType(sendBuffer);
    if (link)
        link->WriteSettings(sendBuffer, hello.difficulty, hello.worldSeed);
    Send(sendBuffer, sender);
    serverAddress = sender;
    hostAnswered = true;
    // The character belongs to the world the client holds now.
    if (PlayerClient* player = GetLocalPlayer(); player && gWorld) {
        player->worldDifficulty = gWorld->GetDifficulty();
        player->worldWord = gWorld->GetLayoutSeed();
    }
}

void ClientApp::TakeSeeds(int32_t difficulty, uint32_t worldSeed, uint32_t subSeed)
{
    gWorld->SetDifficulty(difficulty);
    gWorld->SetLayoutSeed(worldSeed);
    if (gWorld->GetSecretSeed() != subSeed) {
        gWorld->SetSecretSeed(subSeed);
        gWorld->CreateSecretLevels();
    }
}

void ClientApp::OnWelcome(MessageBuffer& buffer)
{
    NetWelcome welcome;
    if (!NetMessages::ReadWelcome(buffer, welcome) || !ClientResourceTable::AreValid(welcome.resources))
        return;
    if (gWorld) {
        // A world the client already holds is kept as it is: rebuilding it would lose its levels.
        bool same = gWorld->GetDifficulty() == welcome.difficulty && gWorld->GetLayoutSeed() == welcome.worldSeed &&
                    gWorld->GetAdventureName() == welcome.worldName;
        if (!same) {
            gWorld->SetLayoutSeed(welcome.worldSeed);
            gWorld->ReadFromDatabase(welcome.worldName, welcome.difficulty);
        }
        TakeSeeds(welcome.difficulty, welcome.worldSeed, welcome.subSeed);
        if (welcome.level >= 0 && welcome.level < gWorld->GetLevelCount())
            gWorld->AddLevelLink(welcome.level, -1);
    }
    currentLevel = welcome.level;
    if (link)
        link->OnWelcome(welcome.level);
    resources.Apply(welcome.resources);
    active = true;
}

void ClientApp::OnNewWorld(MessageBuffer& buffer)
{
    NetNewWorld message;
    if (!NetMessages::ReadNewWorld(buffer, message))
        return;
    if (gWorld) {
        TakeSeeds(message.difficulty, message.worldSeed, message.subSeed);
        if (gWorld->GetLevelCount() > 0)
            gWorld->AddLevelLink(0, -1);
    }
    currentLevel = 0;
    if (gGameClient) {
        gGameClient->ClearEntities();
        gGameClient->ResetForNewWorld();
    }
    if (gTextEvents)
        gTextEvents->RemoveAll();
    if (ui)
        ui->OnNewWorld();
    if (link)
        link->OnNewWorld();
    if (hooks.newWorld)
        hooks.newWorld();
}

class ClientApp::UpdateEnvelope : public GameUpdateEnvelope {
public:
    explicit UpdateEnvelope(ClientApp& app) : app(app) {}

    bool ReadTail(MessageBuffer& buffer) override
    {
        return !app.link || (app.link->ReadUpdateTail(buffer) && NetMessages::ReadSounds(buffer, app.sounds));
    }
    void ApplyHead() override
    {
        app.resources.Apply(app.head.resources);
        app.RunServerLines();
    }
    void ApplyTail(MessageBuffer& buffer) override
    {
        if (!app.link)
            return;
        app.link->ApplyUpdateTail(buffer);
        app.PlaySounds();
    }

private:
    ClientApp& app;
};

void ClientApp::OnGameUpdate(MessageBuffer& buffer)
{
    // Read whole before anything applies: a malformed update changes nothing.
    UpdateEnvelope envelope(*this);
    if (!NetMessages::ReadGameUpdateHead(buffer, head) || !ClientResourceTable::AreValid(head.resources) ||
        !gGameClient || !gGameClient->ReadGameUpdate(buffer, &resources, &envelope))
        DebugSystem::Print(kPrintDeveloper, "Dropped a malformed game update\n");
}

void ClientApp::PlaySounds() const
{
    if (!gSoundSystem || !gSoundSystem->IsInitialised())
        return;
    for (const NetSoundRecord& record : sounds) {
        const ClientResourceTable::Slot* slot = record.sound != -1 ? resources.Find(record.sound) : nullptr;
        if (!slot || slot->handle == -1)
            continue;
        SoundPos where{record.position.level, record.position.x, record.position.y, 0.0f};
        // The record's value is the sound's least distance, used only above 0.
        gSoundSystem->PlayOwnedSound(slot->handle, where, record.entityNumber, 0, false,
                                     record.value > 0.0f ? record.value : 0.0f, 0.0f);
    }
}

void ClientApp::RunServerLines()
{
    for (const std::string& line : head.lines) {
        size_t start = line.find_first_not_of(" \t");
        std::string name =
            start == std::string::npos ? std::string() : line.substr(start, line.find_first_of(" \t", start) - start);
        // Mended: a host's line could run any client command, deleting the player's files or
        // opening programs; the host's own notifications are all it may send.
        if (!name.empty() && !ClientCommandTable::IsHostLine(name) && ClientCommandTable::FindRow(name)) {
            DebugSystem::Print(kPrintWarning, "Refused the world host's command %s: a host may not send it\n",
                               name.c_str());
            continue;
        }
        if (!serverLines.Execute(line))
            DebugSystem::Print(kPrintPlain, "Unknown command - %s\n", line.c_str());
    }
}

// ---- Questions and the frame's scene ------------------------------------------------------------------

EntityClient* ClientApp::GetHoverEntity() const
{
    return hoverEntity.GetAs<EntityClient>();
}

void ClientApp::SetHoverEntity(EntityClient* entity)
{
    hoverEntity.Set(entity);
}

EntityClient* ClientApp::GetLocalPlayerEntity() const
{
    return gGameClient ? gGameClient->GetEntity(GetLocalPlayerNumber()) : nullptr;
}

int32_t ClientApp::GetLocalPlayerNumber() const
{
    return link ? link->GetEntityNumber() : -1;
}

WorldPos ClientApp::GetCameraTarget() const
{
    if (!active || !link || IsAreaEditorOpen())
        return WorldPos{-1, 0.0f, 0.0f, true};
    return link->GetPosition();
}

bool ClientApp::GetCameraTarget(WorldPos& out) const
{
    out = GetCameraTarget();
    return true;
}

EntityClient* ClientApp::GetTargetEntity() const
{
    PlayerClient* player = GetLocalPlayer();
    return player && gGameClient ? gGameClient->GetEntity(player->GetTargetNumber(true)) : nullptr;
}

EntityClient* ClientApp::GetPlayerListEntity(int32_t index) const
{
    PlayerClient* player = GetLocalPlayer();
    if (!player || index < 0 || static_cast<size_t>(index) >= player->party.size() || !gGameClient)
        return nullptr;
    return gGameClient->GetEntity(player->party[static_cast<size_t>(index)]);
}

int32_t ClientApp::GetPlayerCovenantIndex() const
{
    return playerCovenant ? playerCovenant->index : -1;
}

std::string ClientApp::GetSoundName(int32_t slot) const
{
    return resources.GetName(slot);
}

void ClientApp::ForEachDrawnEntity(const std::function<void(EntityClient&)>& draw) const
{
    if (!active || !gGameClient)
        return;
    int32_t own = GetLocalPlayerNumber();
    if (EntityClient* body = gGameClient->GetEntity(own))
        draw(*body);
    for (int32_t number = 0; number < GameClient::kMaxEntities; ++number)
        if (EntityClient* entity = number != own ? gGameClient->GetEntity(number) : nullptr)
            draw(*entity);
}

void ClientApp::DrawEntities(WorldView& view)
{
    WorldViewEntityScene scene(view);
    EntityDrawFrame frame;
    frame.playerNumber = GetLocalPlayerNumber();
    frame.hovered = GetHoverEntity();
    if (gGameClient) {
        frame.drawPlayerHelmet = gGameClient->DrawsPlayerHelmet();
        frame.showTags = gGameClient->ShowsTags();
    }
    if (gGameData) {
        frame.iconSize = gGameData->GetTuning().overHeadIconSize;
        frame.iconAlpha = gGameData->GetTuning().overHeadIconAlpha;
    }
    // Each entity's light joined the frame's lights in its own update: the draw adds none.
    ForEachDrawnEntity([&](EntityClient& entity) { entity.DrawDefault(scene, frame); });
    const PlayerClient* player = active ? GetLocalPlayer() : nullptr;
    if (!player)
        return;
    if (!selectedTargetLoaded && gResourceManager) {
        LoadTextureByName("SelectedTarget", selectedTargetMark, TextureUsage::AlphaBlended);
        selectedTargetLoaded = true;
    }
    player->DrawSelectedTarget(scene, selectedTargetMark.GetValue());
}

void ClientApp::DrawEntityOverlays()
{
    overlayScreen.BeginFrame();
    OverlayCanvas& canvas = overlayCanvas ? *overlayCanvas : overlayScreen;
    OverlayFrame frame = overlays.GatherFrame();
    ForEachDrawnEntity([&](EntityClient& entity) { entity.UpdateVisuals(frame, canvas); });
    if (const PlayerClient* player = active ? GetLocalPlayer() : nullptr)
        player->DrawUseHints();
}

bool ClientApp::GetLocalPlayerScreenBox(std::array<float, 4>& out) const
{
    EntityClient* body = GetLocalPlayerEntity();
    if (!active || !body)
        return false;
    ScreenBox box = Client::GetEntityScreenBox(*body);
    out = {box.x1, box.y2, box.x2, box.y1};
    return true;
}

bool ClientApp::IsRevealed() const
{
    return !gGameClient || gGameClient->GetSight().IsFogOff();
}

float ClientApp::GetVisibility(const WorldPos& position) const
{
    return gGameClient ? gGameClient->GetSight().GetSightFade(position, false) : 1.0f;
}

Vector2 ClientApp::WorldToScreenRaised(const WorldPos3& position, float height) const
{
    return Client::WorldToScreenRaised(WorldPos{position.level, position.x, position.y, true}, height);
}

// ---- The Client functions ----------------------------------------------------------------------------

bool Client::StartClient(bool loadCharacter, const std::string& characterName)
{
    return gClientApp && gClientApp->StartClient(loadCharacter, characterName);
}

bool Client::Connect()
{
    return gClientApp && gClientApp->Connect();
}

void Client::Receive()
{
    if (gClientApp)
        gClientApp->Receive();
}

void Client::Update(float seconds)
{
    if (gClientApp)
        gClientApp->Update(seconds);
}

void Client::DrawFrame(float seconds)
{
    if (gClientApp)
        gClientApp->DrawFrame(seconds);
}

void Client::DispatchDatagram(MessageBuffer& buffer, const sockaddr_in& sender)
{
    if (gClientApp)
        gClientApp->DispatchDatagram(buffer, sender);
}

void Client::SendUpdate()
{
    if (gClientApp)
        gClientApp->SendUpdate();
}

void Client::QueueServerCommand(const std::string& line)
{
    if (gClientApp)
        gClientApp->QueueServerCommand(line);
}

void Client::EndGame()
{
    if (gClientApp)
        gClientApp->EndGame();
}

void Client::SaveCharacter()
{
    if (gClientApp)
        gClientApp->SaveCharacter();
}

bool Client::IsPaused()
{
    return gClientApp && gClientApp->IsPaused();
}

void Client::SetAutoPause()
{
    if (gClientApp)
        gClientApp->SetAutoPause();
}

EntityClient* Client::GetLocalPlayerEntity()
{
    return gClientApp ? gClientApp->GetLocalPlayerEntity() : nullptr;
}

int32_t Client::GetLocalPlayerNumber()
{
    return gClientApp ? gClientApp->GetLocalPlayerNumber() : -1;
}

WorldPos Client::GetCameraTarget()
{
    return gClientApp ? gClientApp->GetCameraTarget() : WorldPos{-1, 0.0f, 0.0f, true};
}

EntityClient* Client::GetTargetEntity()
{
    return gClientApp ? gClientApp->GetTargetEntity() : nullptr;
}

EntityClient* Client::GetPlayerListEntity(int32_t index)
{
    return gClientApp ? gClientApp->GetPlayerListEntity(index) : nullptr;
}

int32_t Client::GetPlayerCovenantIndex()
{
    return gClientApp ? gClientApp->GetPlayerCovenantIndex() : -1;
}

std::string Client::GetSoundName(int32_t slot)
{
    return gClientApp ? gClientApp->GetSoundName(slot) : std::string();
}

void Client::DrawEntities(WorldView& view)
{
    if (gClientApp)
        gClientApp->DrawEntities(view);
}

void Client::DrawEntityOverlays()
{
    if (gClientApp)
        gClientApp->DrawEntityOverlays();
}
