// ClientWorld -- both halves in one process: the world host over the real game and the client's connection and game client, talking through the in-process datagram queue, with a player link that stands for the player mirror.
#pragma once

#include "client/ClientApp.h"
#include "client/ClientUi.h"
#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "client/LocalPlayerLink.h"
#include "server/WorldHostWorld.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// Sends a new character, stands where the world host last put its player, and steps over the
// player's part of each update by the bytes the host's player writes.
class TestPlayerLink : public LocalPlayerLink {
public:
    void WriteSettings(MessageBuffer& buffer, int32_t difficulty, uint32_t worldSeed) override
    {
        settingsFor.push_back({difficulty, worldSeed});
        buffer.WriteInt(0);
        buffer.WriteString(name);
        buffer.WriteInt(0);
        buffer.WriteInt(0);
        buffer.WriteInt(0);
    }
    WorldPos GetPosition() const override { return position; }
    WorldPos GetMoveTarget() const override { return destination.value_or(position); }
    int32_t GetInteractionMode() const override { return interactionMode; }
    int32_t GetUpdateTarget() const override { return updateTarget; }
    int32_t GetEntityNumber() const override { return player ? player->entityNumber : -1; }
    std::string GetCharacterName() const override { return characterName; }
    int32_t GetChatPartner() const override { return chatPartner; }
    CovenantBase* GetPlayerCovenant() const override { return playerCovenant; }
    void OnWelcome(int32_t level) override
    {
        welcomes.push_back(level);
        position.level = level;
    }
    void OnNewWorld() override { ++newWorlds; }
    void UpdateFrame(float) override {}
    bool SaveCharacter() override
    {
        if (saveFails)
            return false;
        ++saves;
        if (savesOutliving)
            ++*savesOutliving;
        return true;
    }
    void ShowPickupHelp(const EntityClient& entity) override { pickupHelp.push_back(entity.entityNumber); }
    void TriggerHint(const std::string& topic) override { hints.push_back(topic); }
    bool GetCurrentLevelGateFlag(int32_t level) const override { return level == openGateLevel; }
    bool ReadUpdateTail(MessageBuffer& buffer) override
    {
        if (!player)
            return false;
        MessageBuffer part;
        player->WritePlayerPart(part);
        if (buffer.BytesLeft() < part.Size())
            return false;
        size_t at = buffer.GetReadPos();
        if (buffer.ReadInt() != player->entityNumber)
            return false;
        buffer.SetReadPos(at + part.Size());
        return true;
    }
    void ApplyUpdateTail(MessageBuffer&) override
    {
        ++tails;
        if (player)
            position = player->position;
    }

    std::string name = "Ada";
    // The name the character is saved under; empty until a test gives one.
    std::string characterName;
    Player* player = nullptr;
    WorldPos position;
    // Where the player walks; its own position unless set.
    std::optional<WorldPos> destination;
    int32_t openGateLevel = -1;
    int32_t interactionMode = 0;
    int32_t updateTarget = -1;
    int32_t chatPartner = -1;
    CovenantBase* playerCovenant = nullptr;
    std::vector<std::pair<int32_t, uint32_t>> settingsFor;
    std::vector<int32_t> welcomes;
    std::vector<int32_t> pickupHelp;
    std::vector<std::string> hints;
    int32_t newWorlds = 0;
    int32_t tails = 0;
    int32_t saves = 0;
    // The character's file cannot be written (a full disk, a folder that refuses it).
    bool saveFails = false;
    // Counts saves where the test can read them after the client has let go of its link.
    int32_t* savesOutliving = nullptr;
};

class TestClientUi : public ClientUi {
public:
    void RunMenuLine(const std::string& line) override { lines.push_back(line); }
    std::string GetStartTopic() const override { return "Welcome"; }
    std::vector<std::string> GetGameStartLines() const override { return {"showMenu Hud"}; }
    void OnNewWorld() override { ++newWorlds; }
    void RefreshMenu(const std::string& name) override { refreshedMenus.push_back(name); }
    int32_t GetHintCount() const override { return static_cast<int32_t>(hintChain.size()); }
    int32_t FindHint(const std::string& trigger) const override
    {
        for (size_t i = 0; i < hintChain.size(); ++i)
            if (hintChain[i].first == trigger)
                return static_cast<int32_t>(i);
        return -1;
    }
    std::string GetNextHintName(int32_t hint) const override { return hintChain[static_cast<size_t>(hint)].second; }
    void ShowHint(int32_t hint) override { shownHints.push_back(hintChain[static_cast<size_t>(hint)].first); }
    void ShowQuestSlot(int32_t slot) override { shownQuestSlots.push_back(slot); }
    std::string GetMenuMusic() override { return menuMusic; }
    Vector2 GetTextPosition(TextPosition which) const override
    {
        return Vector2{10.0f * static_cast<float>(which) + 10.0f, 5.0f};
    }
    void HideMenus() override { lines.push_back("<hide>"); }
    void NotifyPlayerChanged() override { ++playerChanges; }
    void NotifyAllWidgets(int32_t value) override { widgetNotices.push_back(value); }

    std::vector<std::string> lines;
    std::vector<std::string> refreshedMenus;
    int32_t newWorlds = 0;
    // Each hint's trigger name and the name of the next.
    std::vector<std::pair<std::string, std::string>> hintChain;
    std::vector<std::string> shownHints;
    std::vector<int32_t> shownQuestSlots;
    std::string menuMusic;
    int32_t playerChanges = 0;
    std::vector<int32_t> widgetNotices;
};

class ClientWorld : public WorldHostWorld {
protected:
    ClientWorld()
    {
        app = std::make_unique<ClientApp>();
        gClientApp = app.get();
        app->RegisterCommands();
        auto made = std::make_unique<TestPlayerLink>();
        link = made.get();
        app->SetLink(std::move(made));
        app->SetUi(&ui);
        gameClient = std::make_unique<GameClient>();
        gGameClient = gameClient.get();
    }

    ~ClientWorld() override { ReleaseClient(); }

    // The game client and the client app go, with every sound and picture they hold; a second
    // call does nothing.
    void ReleaseClient()
    {
        gGameClient = nullptr;
        gameClient.reset();
        gClientApp = nullptr;
        app.reset();
    }

    // The game's tuning lines (no covenants: a player covenant is not made yet) and the
    // adventure, then a new world, then the client's join to its welcome.
    void StartAndJoin(const std::string& moreRecords = "", const std::string& moreTuning = "")
    {
        StartWorld("UsingCovenants 0\n" + moreTuning, moreRecords);
        ASSERT_TRUE(Client::Connect());
        ClientFrame(0);
        ClientFrame(0);
        ASSERT_TRUE(app->IsActive());
        ASSERT_FALSE(host->GetClients().empty());
        link->player = WorldHost::GetRecordPlayer(*host->GetClients().front());
        ASSERT_NE(link->player, nullptr);
        link->position = link->player->position;
    }

    // One frame of the main loop: the host's tick, the client's receive, the host's frame (its
    // updates go out), then the client's update and send.
    void ClientFrame(uint32_t elapsedMs)
    {
        host->Tick(elapsedMs, false);
        Client::Receive();
        host->ServerFrame();
        host->ServerFrameEnd();
        gameClient->Update(static_cast<float>(elapsedMs) * 0.001f);
        if (gClientApp && gClientApp->IsActive() && gClientApp->GetLink())
            gClientApp->GetLink()->UpdateFrame(static_cast<float>(elapsedMs) * 0.001f);
        Client::SendUpdate();
    }

    // The next frame's receive: what the host sent last frame arrives.
    void Deliver() { Client::Receive(); }

    std::unique_ptr<ClientApp> app;
    std::unique_ptr<GameClient> gameClient;
    TestPlayerLink* link = nullptr;
    TestClientUi ui;
};
