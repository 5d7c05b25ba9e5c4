// WorldHost -- the server's front: the fixed-step clock, the clients and their datagrams, the commands a client may run, and each client's game update.
#include "server/WorldHost.h"

#include "core/DebugSystem.h"
#include "core/EngineEnums.h"
#include "core/EventSystem.h"
#include "core/Profiler.h"
#include "core/StringUtil.h"
#include "core/UserVarSystem.h"
#include "covenants/Covenant.h"
#include "covenants/PlayerCovenant.h"
#include "entities/Player.h"
#include "resources/ResourceManager.h"
#include "rules/GameData.h"
#include "server/Game.h"
#include "world/NetMessages.h"
#include "world/World.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cmath>

WorldHost* gWorldHost = nullptr;

namespace {

std::string WorldHostAddressText(const sockaddr_in& address)
{
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return std::string(text) + ":" + std::to_string(ntohs(address.sin_port));
}

// The same client: family, port and address; the padding bytes are not compared.
bool WorldHostSameAddress(const sockaddr_in& a, const sockaddr_in& b)
{
    return a.sin_family == b.sin_family && a.sin_port == b.sin_port && a.sin_addr.s_addr == b.sin_addr.s_addr;
}

void WorldHostBegin(int section)
{
    if (gProfiler)
        gProfiler->Begin(section);
}

void WorldHostMark(int section)
{
    if (gProfiler)
        gProfiler->Mark(section);
}

// The player's covenant when the player leads it; null otherwise.
PlayerCovenant* WorldHostLedCovenant(const Player* player)
{
    auto* covenant = player && gGame ? dynamic_cast<PlayerCovenant*>(gGame->GetCovenant(player->covenantIndex))
                                     : nullptr;
    return covenant && covenant->GetPlayer() == player ? covenant : nullptr;
}

} // namespace

WorldHost::WorldHost() : visibleMarks(static_cast<size_t>(GameServices::kMaxEntities), 0)
{
    // A client line is a request from outside the process: a user var it names stays a word.
    clientCommands.SetUserVarSubstitution(false);
}

WorldHost::~WorldHost()
{
    if (socketOpen && gNetworkSystem && !gNetworkSystem->IsLocalMode())
        gNetworkSystem->CloseSocket(endpoint);
}

void WorldHost::RegisterCommands()
{
    auto newWorld = [this](const std::vector<std::string>& args, BaseClass*) { OnNewWorldCommand(args); };
    const char* help = "Starts a new world";
    const char* names = "startingLevel difficultyLevel worldDifficultyLevel numAiCovenants";
    if (gCommandSystem)
        gCommandSystem->RegisterContextCommand("newWorld", newWorld, help, names, "issi");
    clientCommands.RegisterContextCommand("newWorld", newWorld, help, names, "issi");
    if (gUserVarSystem) {
        pausedVar = gUserVarSystem->RegisterVar("paused", "0");
        pausedAutoVar = gUserVarSystem->RegisterVar("pausedAuto", "0");
    }
}

void WorldHost::OnNewWorldCommand(const std::vector<std::string>& args)
{
    NewWorld(ParseInt(args[0]), GetDifficultyLevelByName(args[1]), GetWorldDifficultyLevelByName(args[2]),
             ParseInt(args[3]));
}

// ---- The clock and the drain ---------------------------------------------------------------------

void WorldHost::Tick(uint32_t elapsedMs, bool clientHold)
{
    if (!active)
        return;
    WorldHostBegin(kProfileServerTick);
    if (!IsPaused() && !clientHold)
        accumulatorMs = elapsedMs > UINT32_MAX - accumulatorMs ? UINT32_MAX : accumulatorMs + elapsedMs;
    // Whole steps while more than one step waits: an accumulator of exactly one step waits.
    uint32_t steps = accumulatorMs > kStepMs ? (accumulatorMs - 1) / kStepMs : 0;
    accumulatorMs -= steps * kStepMs;
    // What lies beyond the cap is dropped, not kept for later frames.
    dueMs = steps > kMaxDueMs / kStepMs ? kMaxDueMs : steps * kStepMs;
    if (socketOpen && gNetworkSystem) {
        for (int32_t i = 0; i < kMaxDatagramsPerTick && gNetworkSystem->Poll(endpoint); ++i) {
            receiveBuffer.Clear();
            sockaddr_in sender{};
            gNetworkSystem->Receive(receiveBuffer, endpoint, sender);
            if (receiveBuffer.Size() > 0)
                Dispatch(receiveBuffer, sender);
        }
    }
    WorldHostMark(kProfileServerTick);
}

bool WorldHost::IsPaused() const
{
    if (!active)
        return false;
    if ((pausedVar.IsValid() && pausedVar.GetInt() != 0) || (pausedAutoVar.IsValid() && pausedAutoVar.GetInt() != 0))
        return true;
    if (!gGame || !gGame->IsWorldRunning() || !gGame->IsGameOver() || clients.empty())
        return false;
    const Player* first = GetRecordPlayer(*clients.front());
    const auto* covenant = first ? dynamic_cast<const Covenant*>(first->GetCovenant()) : nullptr;
    return covenant && covenant->IsDefeated();
}

void WorldHost::ServerFrame()
{
    if (!active)
        return;
    WorldHostBegin(kProfileServerFrame);
    while (dueMs != 0) {
        serverTimeMs += kStepMs;
        serverTime = static_cast<float>(serverTimeMs) / 1000.0f;
        dueMs -= kStepMs;
        WorldHostBegin(kProfileGameUpdate);
        if (gGame)
            gGame->Update(static_cast<float>(kStepMs) / 1000.0f);
        // The hits and kills of the step reach their listeners before the next one runs, so
        // the queue never outgrows one step.
        if (gEventSystem)
            gEventSystem->DispatchQueue();
        WorldHostMark(kProfileGameUpdate);
        ++stepCount;
    }
    SendGameUpdates();
    WorldHostMark(kProfileServerFrame);
}

void WorldHost::ServerFrameEnd()
{
    if (!active)
        return;
    WorldHostBegin(kProfileServerFrameEnd);
    CloseLogBudgets();
    WorldHostMark(kProfileServerFrameEnd);
}

// ---- Dispatch ------------------------------------------------------------------------------------

void WorldHost::Dispatch(MessageBuffer& buffer, const sockaddr_in& sender)
{
    buffer.SetReadPos(0);
    int32_t type = buffer.ReadInt();
    if (buffer.Overrun())
        return;
    switch (type) {
    case NetMessageType::kJoinRequest: AnswerJoinRequest(sender); break;
    case NetMessageType::kClientUpdate: HandleClientUpdate(buffer, sender); break;
    case NetMessageType::kClientSettings: Join(buffer, sender); break;
    default: break;
    }
}

void WorldHost::AnswerJoinRequest(const sockaddr_in& sender)
{
    NetHello hello;
    hello.difficulty = gGame ? gGame->GetCurrentDifficultyValue() : 0;
    hello.worldSeed = gWorld ? gWorld->GetLayoutSeed() : 0;
    MessageBuffer answer;
    NetMessages::WriteHello(answer, hello);
    Send(answer, sender);
}

ClientRecord* WorldHost::FindClient(const sockaddr_in& address) const
{
    for (const auto& client : clients)
        if (WorldHostSameAddress(client->address, address))
            return client.get();
    return nullptr;
}

Player* WorldHost::GetRecordPlayer(const ClientRecord& client)
{
    Player* player = client.player.GetAs<Player>();
    // The record's own player, and only while the table still holds it at its number.
    if (!player || !gGame || gGame->GetEntity(player->entityNumber) != player)
        return nullptr;
    return player;
}

int32_t WorldHost::GetFirstPlayerNumber() const
{
    const Player* player = clients.empty() ? nullptr : GetRecordPlayer(*clients.front());
    return player ? player->entityNumber : -1;
}

void WorldHost::Send(MessageBuffer& buffer, const sockaddr_in& destination)
{
    if (gNetworkSystem)
        gNetworkSystem->SendTo(buffer, endpoint, destination);
}

// ---- The client update ---------------------------------------------------------------------------

void WorldHost::HandleClientUpdate(MessageBuffer& buffer, const sockaddr_in& sender)
{
    ClientRecord* client = FindClient(sender);
    Player* player = client ? GetRecordPlayer(*client) : nullptr;
    if (!player)
        return;
    // Read whole before anything is applied: a cut or malformed update changes nothing.
    NetClientUpdate update;
    if (!NetMessages::ReadClientUpdate(buffer, update))
        return;
    if (update.refusedLines > 0)
        LogForClient(*client, kPrintWarning,
                     StringFormat("Left out %d lines of a client update from %s: at most %d of %zu bytes run\n",
                                  update.refusedLines, WorldHostAddressText(sender).c_str(),
                                  NetMessages::kMaxClientLines, NetMessages::kMaxClientLineBytes));
    client->played = true;
    ApplyPositions(*client, *player, update);
    // A use the interaction starts (a locked door's sound) is the client's request as its lines are.
    WithinRequestBudget(*player, *client,
                        [&] { player->SetInteraction(update.interactionMode, update.target); });
    RunClientLines(update.lines, *client);
}

// A level of the world, and coordinates no more than one level outside its bounds.
bool WorldHost::IsPositionTakeable(const WorldPos& position) const
{
    if (!gWorld || position.level < 0 || position.level >= gWorld->GetLevelCount())
        return false;
    if (!std::isfinite(position.x) || !std::isfinite(position.y))
        return false;
    float width = gWorld->GetLevelWidth();
    float height = gWorld->GetLevelHeight();
    return position.x >= -width && position.x <= 2.0f * width && position.y >= -height && position.y <= 2.0f * height;
}

void WorldHost::ApplyPositions(ClientRecord& client, Player& player, const NetClientUpdate& update)
{
    // Both or neither: a move target without its position would walk the player from nowhere.
    if (!IsPositionTakeable(update.position) || !IsPositionTakeable(update.moveTarget))
        return;
    // A place past a level's edge is a place of the neighbour there; past an outer edge of the
    // world there is none.
    WorldPos position = update.position;
    WorldPos moveTarget = update.moveTarget;
    position.Normalize();
    moveTarget.Normalize();
    if (!IsPositionTakeable(position) || !IsPositionTakeable(moveTarget))
        return;
    // After a warp the server moved the player: the client's positions are stale until it
    // confirms the warp or reports the player at its target.
    if (player.moveTargetValid) {
        if (!position.IsWithinRange(player.moveTarget, kWarpArrivalRange))
            return;
        player.moveTargetValid = false;
    }
    if (!player.SetClientPosition(position))
        return;
    player.SetMoveTarget(moveTarget);
    int32_t level = gWorld->FindPathBetweenLevels(player.entityNumber, player.position);
    if (level != -1 && level != client.currentLevel)
        client.currentLevel = level;
}

void WorldHost::RunClientLines(const std::vector<std::string>& lines, ClientRecord& client)
{
    for (const std::string& line : lines) {
        // A line may end the world the player stood in ("newWorld"): the rest need a player.
        Player* player = GetRecordPlayer(client);
        if (!player || !gGame)
            return;
        // Only the first client's player may end everyone's world.
        bool refused = IsFirstPlayerLine(line) && player->entityNumber != GetFirstPlayerNumber();
        if (refused || !RunRequest(line, *player, client))
            LogForClient(client, kPrintPlain, "Unknown server command - " + line + "\n");
    }
}

bool WorldHost::RunRequest(const std::string& line, Player& player, ClientRecord& client)
{
    bool ran = false;
    WithinRequestBudget(player, client, [&] { ran = clientCommands.Execute(line, &player); });
    return ran;
}

// Mended: the results of one client's requests that go to every client (refused offers, quests
// taken and skipped) filled every update, pushing out the others' kills, damage and news.
template <typename Request>
void WorldHost::WithinRequestBudget(Player& player, ClientRecord& client, Request&& request)
{
    if (!gGame)
        return;
    gGame->BeginRequestLines(player.entityNumber,
                             kMaxRequestLineBytes - std::min(client.requestLineBytes, kMaxRequestLineBytes));
    request();
    Game::RequestLinesUse use = gGame->EndRequestLines();
    client.requestLineBytes += use.used;
    client.heldBackLines += use.heldBack;
    client.droppedRequestOutput += use.dropped;
}

void WorldHost::LogForClient(ClientRecord& client, int level, const std::string& text)
{
    if (client.logLines >= kMaxClientLogLines) {
        ++client.droppedLogLines;
        return;
    }
    ++client.logLines;
    DebugSystem::PrintText(level, text);
}

void WorldHost::CloseLogBudgets()
{
    for (const auto& client : clients) {
        if (client->droppedLogLines > 0)
            DebugSystem::Print(kPrintWarning, "Left %d more log lines of the client at %s out this frame\n",
                               client->droppedLogLines, WorldHostAddressText(client->address).c_str());
        if (client->heldBackLines > 0)
            DebugSystem::Print(kPrintWarning,
                               "Sent %d lines of the requests of the client at %s to it alone this frame: its "
                               "requests add at most %zu bytes to every client's lines\n",
                               client->heldBackLines, WorldHostAddressText(client->address).c_str(),
                               kMaxRequestLineBytes);
        if (client->droppedRequestOutput > 0)
            DebugSystem::Print(kPrintWarning,
                               "Dropped %d lines for other players and sounds made by the requests of the client at "
                               "%s this frame: its requests add at most %zu bytes to the others' updates\n",
                               client->droppedRequestOutput, WorldHostAddressText(client->address).c_str(),
                               kMaxRequestLineBytes);
        client->logLines = client->droppedLogLines = 0;
        client->requestLineBytes = 0;
        client->heldBackLines = 0;
        client->droppedRequestOutput = 0;
    }
}

bool WorldHost::IsFirstPlayerLine(std::string_view line)
{
    // Mended: a win waiting to be confirmed, and an allied victory offered, are the first
    // player's: any client could end the world with them, or turn the offer down for it.
    static constexpr const char* kFirstPlayerCommands[] = {"newWorld", "confirmWin", "alliedVictoryAccept",
                                                           "alliedVictoryReject"};
    // Read as the command table reads it, so a quoted name cannot slip past.
    std::vector<std::string> words = CommandSystem::ParseLine(line);
    if (words.empty())
        return false;
    for (const char* command : kFirstPlayerCommands)
        if (StringEqualsNoCase(words[0], command))
            return true;
    return false;
}

// ---- Joining ----------------------------------------------------------------------------------------

void WorldHost::Join(MessageBuffer& buffer, const sockaddr_in& sender)
{
    ClientRecord* known = FindClient(sender);
    if (known && GetRecordPlayer(*known) && !known->played) {
        // Settings again before it ever played: the same join answering a second hello.
        SendWelcome(*known);
        return;
    }
    std::string from = WorldHostAddressText(sender);
    if (!known && clients.size() >= kMaxClients) {
        DebugSystem::Print(kPrintWarning, "Refused the client at %s: the world takes at most %zu\n", from.c_str(),
                           kMaxClients);
        return;
    }
    if (!gGame || !gGameData)
        return;
    // With covenants in use the settings open with the player covenant's block, read whole
    // like the character: a malformed one changes nothing.
    std::unique_ptr<PlayerCovenant> covenant;
    if (gGameData->GetTuning().usingCovenants) {
        // A client that joins again leaves a covenant's place behind for the one it sends now.
        bool leavesPlace = known && WorldHostLedCovenant(GetRecordPlayer(*known));
        if (!leavesPlace && gGame->GetCovenantCount() >= kMaxCovenants) {
            DebugSystem::Print(kPrintWarning, "Refused the client at %s: the game holds %d covenants already\n",
                               from.c_str(), gGame->GetCovenantCount());
            return;
        }
        covenant = std::make_unique<PlayerCovenant>();
        if (!covenant->ReadSettings(buffer)) {
            DebugSystem::Print(kPrintWarning, "Refused the covenant sent by %s\n", from.c_str());
            return;
        }
    }
    // The character is read whole before the player enters the game: a malformed record changes
    // nothing.
    auto player = std::make_unique<Player>();
    if (!player->ReadCharacter(buffer, from))
        return;
    // A client joins only from the title screen: a known address whose player still stands and
    // has played left that game unheard and now plays the character it sends. Mended: the old player was
    // welcomed again, so the new character played, and was saved, with the old one's stats.
    // Mended: the old player went first, so a full entity table left the client with no player
    // and its covenant with no leader. It goes only once the new one has its slot.
    if (gGame->AddEntity(player.get()) == -1) {
        DebugSystem::Print(kPrintWarning, "Refused the client at %s: the entity table is full\n", from.c_str());
        return;
    }
    Player* joined = player.release();
    int32_t placeLeft = known ? LetPlayerGo(*known) : -1;
    // The old player still held its place when the new one was added. Mended: the new one stayed
    // behind an empty first entry, so the quests, the saves and the win test found no first player.
    gGame->MoveToFirstFreePlace(joined);
    // A known address whose player is gone (a new world asked for by another, or its last join)
    // joins again in its own record.
    if (!known) {
        clients.push_back(std::make_unique<ClientRecord>());
        known = clients.back().get();
        known->address = sender;
    }
    known->player.Set(joined);
    known->played = false;
    known->currentLevel = gGame->GetCurrentLevel();
    if (gWorld)
        gWorld->CreateAnchor(joined->entityNumber, known->currentLevel);
    joined->SetPosition(gGame->GetStartPosition(known->currentLevel));
    // The house and the recruits stand before the character is applied: its party names them.
    PlayerCovenant* own = covenant.get();
    if (covenant) {
        gGame->ReplaceCovenant(placeLeft, std::move(covenant));
        own->PlaceInWorld();
        own->SetPlayer(joined);
    }
    joined->ApplyReadCharacter();
    gGame->OnPlayerJoined(*joined);
    // The recruits and the player in place, their stats take the covenant's bonuses.
    if (own)
        own->RecalculateMemberStats(nullptr);
    SendWelcome(*known);
    // Who is in the world is the host's to tell: its log is where a player or a script looks.
    DebugSystem::Print(kPrintPlain, "%s entered the world from %s on level %d\n", joined->playerName.c_str(),
                       from.c_str(), known->currentLevel);
    // What became of the resumed world is the first client's to hear, once.
    if (!worldNotice.empty()) {
        gGame->QueueClientCommandFor(joined->entityNumber,
                                     StringFormat("msg %d \"%s\"", kWorldNoticeKind, worldNotice.c_str()));
        worldNotice.clear();
    }
}

int32_t WorldHost::LetPlayerGo(ClientRecord& client)
{
    Player* player = GetRecordPlayer(client);
    client.player.Set(nullptr);
    if (!player)
        return -1;
    DebugSystem::Print(kPrintPlain, "%s left the world from %s\n", player->playerName.c_str(),
                       WorldHostAddressText(client.address).c_str());
    // Its party and its gates would be left to a player no one plays. Its covenant leaves with it
    // when the covenant joining now takes its place. Mended: it stayed, led by no one, and each
    // such join added a covenant until the covenant limit refused the next one.
    const PlayerCovenant* led = WorldHostLedCovenant(player);
    int32_t place = led ? led->index : -1;
    player->DismissCompanions();
    player->RemoveGates(false);
    player->RemoveGates(true);
    gGame->RemoveEntity(player);
    delete player;
    return place;
}

void WorldHost::SendWelcome(const ClientRecord& client)
{
    NetWelcome welcome;
    welcome.level = client.currentLevel;
    welcome.difficulty = gGame ? gGame->GetCurrentDifficultyValue() : 0;
    if (gWorld) {
        welcome.worldSeed = gWorld->GetLayoutSeed();
        welcome.worldName = gWorld->GetAdventureName();
        welcome.subSeed = gWorld->GetSecretSeed();
    }
    if (gGame) {
        const std::vector<std::string>& names = gGame->GetResourceNames();
        for (size_t i = 0; i < names.size(); ++i)
            if (!names[i].empty())
                welcome.resources.push_back({static_cast<int32_t>(i), names[i]});
    }
    MessageBuffer answer;
    NetMessages::WriteWelcome(answer, welcome);
    Send(answer, client.address);
}

// ---- Worlds -------------------------------------------------------------------------------------------

bool WorldHost::OpenEndpoint()
{
    if (!gNetworkSystem)
        return false;
    endpoint = NetworkEndpoint{};
    if (!gNetworkSystem->GetLocalAddress(endpoint.address, kWorldHostPort, false) ||
        !gNetworkSystem->OpenSocket(endpoint)) {
        DebugSystem::Print(kPrintError, "Couldn't open the world host's socket on port %d\n", kWorldHostPort);
        return false;
    }
    socketOpen = true;
    return true;
}

void WorldHost::SetUpServer(bool resume, int32_t startingLevel, int32_t difficulty, int32_t worldDifficulty,
                            int32_t numAiCovenants, const std::string& characterName)
{
    // Opened once per process. Whatever already waits for it, queued or on the socket, the next
    // tick's drain reads in order.
    if (!socketOpen)
        OpenEndpoint();
    if (!gGame)
        return;
    gGame->SetCurrentLevel(0);
    worldNotice.clear();
    bool loaded = resume && ResumeWorld(characterName, startingLevel, numAiCovenants, worldNotice);
    // Mended: a world that could not be loaded left the game running without one.
    // Mended: a world made here had no town NPCs, so no quest giver or vendor stood in town.
    if (!loaded) {
        gGame->NewWorld(startingLevel, difficulty, worldDifficulty, numAiCovenants);
        // A world already running keeps the NPCs it has.
        if (gGame->GetTownNpcSlotCount() == 0)
            gGame->CreateTownNpcs();
    }
    gGame->SetWorldRunning();
    active = true;
}

void WorldHost::EndServer()
{
    // Joined clients would otherwise keep a frozen world: each is told, once, that this one ended.
    MessageBuffer goodbye;
    NetMessages::WriteHostEnded(goodbye);
    for (const auto& client : clients)
        Send(goodbye, client->address);
    clients.clear();
    visible.clear();
    linked.clear();
    updateLines.clear();
    worldNotice.clear();
    accumulatorMs = 0;
    dueMs = 0;
    // The players go with the rest of the entities; the next world is made or loaded anew.
    if (gGame)
        gGame->Reset();
    active = false;
}

bool WorldHost::ResumeWorld(const std::string& characterName, int32_t startingLevel, int32_t numAiCovenants,
                            std::string& notice)
{
    switch (gGame->LoadWorld(characterName, startingLevel, numAiCovenants)) {
    case Game::WorldLoadResult::Loaded: return true;
    case Game::WorldLoadResult::PartlyRead:
        // Mended: what could not be read went without a word, and the next save wrote over the
        // only copy of it. The file is kept aside; the world as read runs on.
        gGame->SetAsideWorldSave(characterName);
        DebugSystem::Print(kPrintWarning, "The saved world of %s was read in part; the file is kept aside\n",
                           characterName.c_str());
        notice = "$$WorldSavePartlyRead$$";
        return true;
    case Game::WorldLoadResult::Missing:
        DebugSystem::Print(kPrintWarning, "No saved world of %s can be loaded; a new world is made\n",
                           characterName.c_str());
        notice = "$$WorldSaveMissing$$";
        return false;
    case Game::WorldLoadResult::Refused: break;
    }
    // A file refused because a world runs already is sound: it stays where it is.
    if (!gGame->IsWorldRunning())
        gGame->SetAsideWorldSave(characterName);
    DebugSystem::Print(kPrintWarning, "The saved world of %s cannot be read; a new world is made\n",
                       characterName.c_str());
    notice = "$$WorldSaveUnreadable$$";
    return false;
}

void WorldHost::NewWorld(int32_t startingLevel, int32_t difficulty, int32_t worldDifficulty, int32_t numAiCovenants)
{
    if (!gGame)
        return;
    gGame->StartNewWorld(startingLevel, difficulty, worldDifficulty, numAiCovenants);
    // The new world keeps no level for anyone: the players that crossed over are anchored anew.
    for (const auto& client : clients) {
        Player* player = GetRecordPlayer(*client);
        if (!player)
            continue;
        client->currentLevel = gGame->GetCurrentLevel();
        if (gWorld)
            gWorld->CreateAnchor(player->entityNumber, client->currentLevel);
    }
    NetNewWorld message;
    message.difficulty = gGame->GetCurrentDifficultyValue();
    if (gWorld) {
        message.worldSeed = gWorld->GetLayoutSeed();
        message.subSeed = gWorld->GetSecretSeed();
    }
    MessageBuffer announcement;
    for (const auto& client : clients) {
        announcement.Clear();
        NetMessages::WriteNewWorld(announcement, message);
        Send(announcement, client->address);
    }
    active = true;
}

int32_t WorldHost::RegisterResource(std::string_view name)
{
    if (!gResourceManager || name.empty())
        return -1;
    ResourceHandle handle;
    gResourceManager->Load(name, handle);
    if (!handle.IsValid())
        return -1;
    int32_t value = handle.GetValue();
    if (static_cast<size_t>(value) >= heldResources.size())
        heldResources.resize(static_cast<size_t>(value) + 1);
    if (!heldResources[static_cast<size_t>(value)].IsValid())
        heldResources[static_cast<size_t>(value)] = std::move(handle);
    if (gGame)
        gGame->RegisterResourceName(value, name);
    return value;
}
