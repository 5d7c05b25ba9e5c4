// ClientApp -- the client's connection to the world host: the join, the datagrams it reads (hello, welcome, game update, new world), the update it sends each frame, the line queue and the resource table.
#include "client/ClientApp.h"

#include "client/ClientCommandTable.h"
#include "client/ClientUi.h"
#include "client/GameClient.h"
#include "client/LocalPlayerLink.h"
#include "core/DebugSystem.h"
#include "world/World.h"

ClientApp* gClientApp = nullptr;

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
}

void ClientApp::RegisterCommands()
{
    if (gCommandSystem)
        gCommandSystem->SetForwardHook([this](const std::string& line) { QueueServerCommand(line); });
    ClientCommandTable::Register(*this);
}

void ClientApp::RegisterClientCommand(std::string_view name, CommandSystem::Handler handler, std::string_view help,
                                      std::string_view argNames, std::string_view argTypes)
{
    serverLines.RegisterCommand(name, handler, help, argNames, argTypes);
    if (gCommandSystem)
        gCommandSystem->RegisterCommand(name, std::move(handler), help, argNames, argTypes);
}

void ClientApp::SetLink(std::unique_ptr<LocalPlayerLink> newLink)
{
    link = std::move(newLink);
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
    sendBuffer.Clear();
    NetMessages::WriteJoinRequest(sendBuffer);
    Send(sendBuffer, joinAddress);
    connected = true;
    return true;
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
    outgoing.position = link ? link->GetPosition() : WorldPos{};
    outgoing.moveTarget = link ? link->GetMoveTarget() : WorldPos{};
    outgoing.interactionMode = link ? link->GetInteractionMode() : 0;
    outgoing.target = link ? link->GetUpdateTarget() : -1;
    sendBuffer.Clear();
    NetMessages::WriteClientUpdate(sendBuffer, outgoing);
    Send(sendBuffer, serverAddress);
    queuedLines.clear();
}

void ClientApp::QueueServerCommand(const std::string& line)
{
    queuedLines.push_back(line);
}

void ClientApp::EndGame()
{
    link.reset();
    active = false;
    connected = false;
    if (gGameClient)
        gGameClient->ClearEntities();
}

bool ClientApp::SaveLocalCharacter()
{
    return link && link->SaveCharacter();
}

// ---- Receiving -------------------------------------------------------------------------------------

void ClientApp::Receive()
{
    if (!connected || !gNetworkSystem)
        return;
    for (int32_t i = 0; i < kMaxDatagramsPerFrame && gNetworkSystem->Poll(endpoint); ++i) {
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
    switch (type) {
    case NetMessageType::kHello: OnHello(buffer, sender); break;
    case NetMessageType::kGameUpdate:
        if (active)
            OnGameUpdate(buffer);
        break;
    case NetMessageType::kWelcome: OnWelcome(buffer); break;
    case NetMessageType::kNewWorld: OnNewWorld(buffer); break;
    default: break;  // a client's own kinds, and anything else, are not for a client
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
    if (ui)
        ui->OnNewWorld();
    if (link)
        link->OnNewWorld();
}

void ClientApp::OnGameUpdate(MessageBuffer& buffer)
{
    // Read whole before anything applies: a malformed update changes nothing.
    if (!NetMessages::ReadGameUpdateHead(buffer, head) || !ClientResourceTable::AreValid(head.resources) ||
        !gGameClient || !gGameClient->ParseGameUpdate(buffer) || (link && !link->ReadUpdateTail(buffer)) ||
        (link && !NetMessages::ReadSounds(buffer, sounds))) {
        DebugSystem::Print(kPrintDeveloper, "Dropped a malformed game update\n");
        return;
    }
    resources.Apply(head.resources);
    RunServerLines();
    gGameClient->ApplyGameUpdate(buffer, &resources);
    if (link)
        link->ApplyUpdateTail(buffer);
}

void ClientApp::RunServerLines()
{
    for (const std::string& line : head.lines)
        if (!serverLines.Execute(line))
            DebugSystem::Print(kPrintPlain, "Unknown command - %s\n", line.c_str());
}

// ---- The Client functions ----------------------------------------------------------------------------

bool Client::Connect()
{
    return gClientApp && gClientApp->Connect();
}

void Client::Receive()
{
    if (gClientApp)
        gClientApp->Receive();
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

void Client::UpdatePlayer(float seconds)
{
    if (gClientApp && gClientApp->IsActive() && gClientApp->GetLink())
        gClientApp->GetLink()->UpdateFrame(seconds);
}
