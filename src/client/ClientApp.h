// ClientApp -- the client's connection to the world host: the join, the datagrams it reads (hello, welcome, game update, new world), the update it sends each frame, the line queue and the resource table.
#pragma once

#include "client/ClientResourceTable.h"
#include "core/BaseClass.h"
#include "core/CommandSystem.h"
#include "core/MessageBuffer.h"
#include "core/system/NetworkSystem.h"
#include "world/NetMessages.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>

class ClientUi;
class LocalPlayerLink;

// Main thread only. One per process, behind gClientApp; the Client functions act on it.
class ClientApp : public BaseClass {
public:
    // Bounds one frame's reading, so that a flood cannot hold the frame; the rest waits.
    static constexpr int32_t kMaxDatagramsPerFrame = 4096;

    ClientApp();
    ~ClientApp() override;
    ClientApp(const ClientApp&) = delete;
    ClientApp& operator=(const ClientApp&) = delete;

    // The client's user vars, and the process command system's hand-off of the request lines
    // it does not run itself.
    void RegisterCommands();
    // A command the world host's lines may run: into the client's own table and the process's.
    void RegisterClientCommand(std::string_view name, CommandSystem::Handler handler, std::string_view help,
                               std::string_view argNames, std::string_view argTypes);
    CommandSystem& GetServerLineCommands() { return serverLines; }

    void SetLink(std::unique_ptr<LocalPlayerLink> newLink);
    LocalPlayerLink* GetLink() const { return link.get(); }
    // Not owned: the user interface outlives the games it shows.
    void SetUi(ClientUi* newUi) { ui = newUi; }
    ClientUi* GetUi() const { return ui; }

    // ---- The connection ----------------------------------------------------------------------
    bool Connect();
    void Receive();
    void DispatchDatagram(MessageBuffer& buffer, const sockaddr_in& sender);
    void SendUpdate();
    void QueueServerCommand(const std::string& line);
    void EndGame();
    // The local character's file; false without a player or when the save failed.
    bool SaveLocalCharacter();

    bool IsActive() const { return active; }
    bool IsConnected() const { return connected; }
    int32_t GetCurrentLevel() const { return currentLevel; }
    const ClientResourceTable& GetResources() const { return resources; }
    const std::deque<std::string>& GetQueuedLines() const { return queuedLines; }
    const sockaddr_in& GetServerAddress() const { return serverAddress; }

private:
    bool SetUpNetwork();
    void Send(MessageBuffer& buffer, const sockaddr_in& destination);
    void OnHello(MessageBuffer& buffer, const sockaddr_in& sender);
    void OnWelcome(MessageBuffer& buffer);
    void OnGameUpdate(MessageBuffer& buffer);
    void OnNewWorld(MessageBuffer& buffer);
    // The world takes the seeds; the secret levels are rebuilt when the second one changed.
    static void TakeSeeds(int32_t difficulty, uint32_t worldSeed, uint32_t subSeed);
    void RunServerLines();

    bool active = false;
    bool connected = false;
    bool networkSetUp = false;
    int32_t currentLevel = -1;
    std::deque<std::string> queuedLines;
    ClientResourceTable resources;
    NetworkEndpoint endpoint;
    sockaddr_in serverAddress{};
    sockaddr_in joinAddress{};
    std::unique_ptr<LocalPlayerLink> link;
    ClientUi* ui = nullptr;
    CommandSystem serverLines;
    MessageBuffer receiveBuffer;
    MessageBuffer sendBuffer;
    NetGameUpdateHead head;
    // The update's sounds, read to know the update whole; nothing plays them yet.
    std::vector<NetSoundRecord> sounds;
    NetClientUpdate outgoing;
};

extern ClientApp* gClientApp;

// The connection's operations on the one ClientApp; each does nothing without it.
namespace Client {
bool Connect();
void Receive();
void DispatchDatagram(MessageBuffer& buffer, const sockaddr_in& sender);
void SendUpdate();
void QueueServerCommand(const std::string& line);
void EndGame();
// The local player's frame (its body, modes, movement and hints), after the game client's.
void UpdatePlayer(float seconds);
} // namespace Client
