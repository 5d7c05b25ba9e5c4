// ClientHostGoneTest -- a client whose world host ends its world, falls silent or never answers (or answers a join only with hellos): the game ends, the character is kept, and the notice over the title says why; a host that still speaks, however late the client's frame, keeps it.
#include "client/ClientWorld.h"

#include "support/LogLines.h"

#include <algorithm>

namespace {

class ClientHostGone : public ClientWorld {
protected:
    // A client frame while the world host runs none: what the application's receive and update
    // hooks do, seconds of game time at a time.
    void SilentFrames(float seconds, float frameSeconds = 1.0f)
    {
        for (float passed = 0.0f; passed < seconds; passed += frameSeconds) {
            Client::Receive();
            Client::Update(frameSeconds);
        }
    }

    bool NoticeShown() const
    {
        return std::find(ui.lines.begin(), ui.lines.end(), "showMenu HostGone") != ui.lines.end();
    }

    std::string Reason() const { return vars.GetStringByName(ClientApp::kHostGoneReasonVar); }

    void SendToClient(MessageBuffer& buffer, TestClient& from)
    {
        sockaddr_in to = from.endpoint.address;
        to.sin_port = htons(kClientPort);
        ASSERT_TRUE(gNetworkSystem->SendTo(buffer, from.endpoint, to));
    }

    int32_t saves = 0;
};

TEST_F(ClientHostGone, AHostThatEndsItsWorldSendsTheJoinedClientToTheNoticeWithItsCharacterKept)
{
    StartAndJoin("", "UsesSaveGames 1");
    link->savesOutliving = &saves;
    ClientFrame(50);
    ASSERT_TRUE(app->IsActive());
    // A goodbye from anyone but the host is not the host's.
    TestClient stranger{5101};
    MessageBuffer forged;
    NetMessages::WriteHostEnded(forged);
    SendToClient(forged, stranger);
    ClientFrame(50);
    ASSERT_TRUE(app->IsActive()) << "a stranger's goodbye ends nothing";

    // The test's link reads the host's player itself, which the host's end deletes.
    link->player = nullptr;
    host->EndServer();
    ClientFrame(50);
    EXPECT_FALSE(app->IsActive());
    EXPECT_FALSE(app->IsConnected());
    EXPECT_EQ(app->GetLink(), nullptr);
    EXPECT_EQ(saves, 1) << "the character is saved once, before the link goes";
    EXPECT_EQ(Reason(), "$$HostEnded$$");
    ASSERT_TRUE(NoticeShown());
    EXPECT_EQ(ui.lines.back(), "showMenu HostGone");
    EXPECT_EQ(std::count(ui.lines.begin(), ui.lines.end(), "<hide>"), 1) << "the game's windows close first";
    EXPECT_EQ(CountLinesHolding(debug, "The game ends: the world host ended its world"), 1);

    // Nothing the client does afterwards sends or counts toward another ending.
    SilentFrames(2.0f * ClientApp::kHostSilenceSeconds);
    EXPECT_EQ(std::count(ui.lines.begin(), ui.lines.end(), "showMenu HostGone"), 1);
    EXPECT_EQ(saves, 1);
}

TEST_F(ClientHostGone, AHostSilentPastTheLimitEndsTheGameButOneThatSpeaksLateKeepsIt)
{
    StartAndJoin("", "UsesSaveGames 1");
    link->savesOutliving = &saves;
    ClientFrame(50);
    // Just short of the limit, then one word from the host: the count starts again.
    SilentFrames(ClientApp::kHostSilenceSeconds - 2.0f);
    ASSERT_TRUE(app->IsActive());
    ClientFrame(50);
    SilentFrames(ClientApp::kHostSilenceSeconds - 2.0f);
    ASSERT_TRUE(app->IsActive()) << "the host's update reset the silence";

    // One client frame far longer than the limit (a stalled machine) while the host went on
    // sending: what waits is read before the silence is judged.
    ClientFrame(50);
    Client::Update(3.0f * ClientApp::kHostSilenceSeconds);
    host->Tick(50, false);
    host->ServerFrame();
    Client::Receive();
    ASSERT_TRUE(app->IsActive()) << "a late frame with the host's update waiting keeps the game";

    SilentFrames(ClientApp::kHostSilenceSeconds + 2.0f);
    EXPECT_FALSE(app->IsActive());
    EXPECT_FALSE(app->IsConnected());
    EXPECT_EQ(Reason(), "$$HostSilent$$");
    EXPECT_TRUE(NoticeShown());
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(CountLinesHolding(debug, "The game ends: the world host stopped answering"), 1);
}

// The goodbye of a game the player left can arrive late, after the next join has gone out (over
// the network nothing keeps it from the drain at the join): until the host answers the new
// join, a goodbye is the old game's and ends nothing; once it has, the host's goodbye counts.
TEST_F(ClientHostGone, AGoodbyeBeforeTheHostAnswersTheNextJoinIsTheLastGamesAndEndsNothing)
{
    StartAndJoin();
    ClientFrame(50);
    link->player = nullptr;
    app->EndGame();
    host->EndServer();
    auto next = std::make_unique<TestPlayerLink>();
    TestPlayerLink* nextLink = next.get();
    app->SetLink(std::move(next));
    ASSERT_TRUE(Client::Connect());
    MessageBuffer goodbye;
    NetMessages::WriteHostEnded(goodbye);
    goodbye.SetReadPos(0);
    Client::DispatchDatagram(goodbye, app->GetServerAddress());
    EXPECT_TRUE(app->IsConnected()) << "the last game's goodbye ended the new join";
    EXPECT_FALSE(NoticeShown());

    host->SetUpServer(false, 0, 1, 1, 0, "Hostess");
    ClientFrame(0);
    ClientFrame(0);
    ASSERT_TRUE(app->IsActive()) << "the new game was joined";
    nextLink->player = nullptr;
    goodbye.SetReadPos(0);
    Client::DispatchDatagram(goodbye, app->GetServerAddress());
    EXPECT_FALSE(app->IsConnected()) << "the host that answered this join may end it";
    EXPECT_TRUE(NoticeShown());
}

TEST_F(ClientHostGone, AJoinNoHostAnswersGivesUpWithoutSavingACharacterThatNeverPlayed)
{
    LoadRecords("GameSystem\n{\nUsesSaveGames 1\n}\n");
    link->savesOutliving = &saves;
    ASSERT_TRUE(Client::Connect());
    SilentFrames(ClientApp::kHostSilenceSeconds - 1.0f);
    ASSERT_TRUE(app->IsConnected()) << "a host may take a while to answer";
    SilentFrames(3.0f);
    EXPECT_FALSE(app->IsConnected());
    EXPECT_EQ(Reason(), "$$HostNoAnswer$$");
    EXPECT_TRUE(NoticeShown());
    EXPECT_EQ(saves, 0);
    // A client may try again: the next join starts a fresh count.
    ui.lines.clear();
    auto fresh = std::make_unique<TestPlayerLink>();
    app->SetLink(std::move(fresh));
    ASSERT_TRUE(Client::Connect());
    SilentFrames(ClientApp::kHostSilenceSeconds - 1.0f);
    EXPECT_TRUE(app->IsConnected());
}

TEST_F(ClientHostGone, AHostThatOnlySaysHelloIsNoAnswerAndTheJoinStillGivesUp)
{
    LoadRecords("GameSystem\n{\nUsesSaveGames 1\n}\n");
    link->savesOutliving = &saves;
    // A host that answers every join request and never welcomes (one that refuses the settings).
    TestClient refusing{kWorldHostPort};
    ASSERT_TRUE(Client::Connect());
    int32_t hellos = 0;
    for (float passed = 0.0f; passed < ClientApp::kHostSilenceSeconds + 2.0f && app->IsConnected(); passed += 1.0f) {
        for (MessageBuffer& heard : refusing.ReceiveAll()) {
            if (heard.ReadInt() != NetMessageType::kJoinRequest)
                continue;
            MessageBuffer hello;
            NetMessages::WriteHello(hello, {});
            SendToClient(hello, refusing);
            ++hellos;
        }
        SilentFrames(1.0f);
    }
    EXPECT_EQ(hellos, 6) << "the join asked for at 0, 1, 3, 7, 15 and 31 seconds";
    EXPECT_FALSE(app->IsConnected()) << "a hello does not keep a join waiting";
    EXPECT_EQ(Reason(), "$$HostNoAnswer$$");
    EXPECT_EQ(saves, 0);
}

} // namespace
