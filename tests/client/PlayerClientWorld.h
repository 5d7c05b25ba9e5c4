// PlayerClientWorld -- both halves in one process with the real player mirror as the client's player link: a character chosen through the menus' vars, joined over the queue, and the host's player it stands for.
#pragma once

#include "client/ClientWorld.h"
#include "client/PlayerClient.h"

#include <memory>
#include <string>
#include <vector>

class PlayerClientWorld : public ClientWorld {
protected:
    PlayerClientWorld()
    {
        vars.SetStringByName("PlayerClass", "ClassWanderer");
        vars.SetStringByName("PlayerName", "Ada");
        MakePlayer();
    }

    // A character's message log as its file holds it, and its lines.
    static MessageBuffer LogOf(const std::vector<std::string>& lines)
    {
        MessageBuffer log;
        log.WriteStringList(lines);
        return log;
    }
    static std::vector<std::string> LinesOf(const MessageBuffer& log)
    {
        MessageBuffer copy = log;
        copy.SetReadPos(0);
        std::vector<std::string> lines;
        EXPECT_TRUE(copy.ReadStringList(lines));
        return lines;
    }

    // A fresh player mirror replaces the connection's link.
    PlayerClient* MakePlayer()
    {
        auto made = std::make_unique<PlayerClient>();
        player = made.get();
        app->SetLink(std::move(made));
        link = nullptr;
        return player;
    }

    // The world, then the join of the player as it is (new, or loaded beforehand), to its first
    // game update.
    void StartWorldOnly(const std::string& moreTuning = "", const std::string& moreRecords = "")
    {
        StartWorld("UsingCovenants 0\n" + moreTuning, moreRecords);
    }

    void Join()
    {
        if (!player->IsLoadedCharacter())
            player->NewGame();
        ASSERT_TRUE(Client::Connect());
        for (int i = 0; i < 3; ++i)
            ClientFrame(0);
        ASSERT_TRUE(app->IsActive());
        ASSERT_FALSE(host->GetClients().empty());
        hostPlayer = WorldHost::GetRecordPlayer(*host->GetClients().back());
        ASSERT_NE(hostPlayer, nullptr);
        ASSERT_NE(player->GetBody(), nullptr);
    }

    // The player leaves the world; a fresh game client and client app start over with a fresh
    // player mirror, ready to load a character and join again.
    void LeaveAndRestartClient()
    {
        game->RemoveEntity(hostPlayer);
        delete hostPlayer;
        RestartClient();
        MakePlayer();
    }

    // A fresh game client and client app, as a player back at the title screen has; the host
    // player is no longer this client's.
    void RestartClient()
    {
        hostPlayer = nullptr;
        ClientFrame(50);
        gGameClient = nullptr;
        gameClient = std::make_unique<GameClient>();
        gGameClient = gameClient.get();
        gClientApp = nullptr;
        app = std::make_unique<ClientApp>();
        gClientApp = app.get();
        app->RegisterCommands();
        app->SetUi(&ui);
    }

    PlayerClient* player = nullptr;
    Player* hostPlayer = nullptr;
};
