// ClientAppTest -- the client application around the connection: when the game counts as paused (and so holds the world host), the allocator's threshold from its user var, and the bytes of the update it sends in the normal and the paused-with-an-action modes, and the autosaves only in a game that keeps saves.
#include "client/ClientWorld.h"

#include "client/ClientSight.h"
#include "client/EntityOverlays.h"
#include "client/PlayerClient.h"

#include "core/Memory.h"
#include "core/system/SystemInfo.h"
#include "platform/PosixPlatformSystem.h"
#include "render/LightingSystem.h"
#include "render/WorldView.h"
#include "support/RecordingGraphicsDevice.h"

#include <filesystem>
#include <functional>

namespace {

class ClientAppWindow : public SystemInfo {
public:
    void LogSystemInfo() override {}
};

class ClientAppTest : public ClientWorld {
protected:
    ClientAppTest() { gSystemInfo = &window; }
    ~ClientAppTest() override
    {
        gSystemInfo = nullptr;
        SetMemoryThreshold(0);
    }

    void Set(const char* name, const char* value) { vars.SetStringByName(name, value); }

    // The update the client sends once a hello from the test's port made it the client's server.
    NetClientUpdate UpdateSentTo(TestClient& server)
    {
        MessageBuffer hello;
        NetMessages::WriteHello(hello, NetHello{});
        hello.SetReadPos(0);
        app->DispatchDatagram(hello, server.endpoint.address);
        server.ReceiveAll();
        app->SendUpdate();
        std::vector<MessageBuffer> sent = server.ReceiveAll();
        NetClientUpdate update;
        EXPECT_EQ(sent.size(), 1u);
        if (sent.size() != 1u)
            return update;
        EXPECT_EQ(sent[0].ReadInt(), 1);
        EXPECT_TRUE(NetMessages::ReadClientUpdate(sent[0], update));
        return update;
    }

    ClientAppWindow window;
};

TEST_F(ClientAppTest, NothingPausesTheGameBeforeTheWelcome)
{
    Set("paused", "1");
    Set("pausedAuto", "1");
    window.applicationActive = false;
    EXPECT_FALSE(app->IsPaused());
    app->SetAutoPause();
    EXPECT_FALSE(Client::IsPaused());
}

TEST_F(ClientAppTest, InAGameTheVarsAndAnInactiveWindowPauseIt)
{
    StartAndJoin();
    EXPECT_FALSE(app->IsPaused());
    // The window inactive pauses the game only while "pauseWhenInactive" says so.
    window.applicationActive = false;
    EXPECT_TRUE(app->IsPaused());
    Set("pauseWhenInactive", "0");
    EXPECT_FALSE(app->IsPaused());
    window.applicationActive = true;
    Set("paused", "1");
    EXPECT_TRUE(app->IsPaused());
    Set("paused", "0");
    Client::SetAutoPause();
    EXPECT_EQ(vars.GetStringByName("pausedAuto"), "1");
    EXPECT_TRUE(Client::IsPaused());
}

TEST_F(ClientAppTest, APausedClientStillSendsItsUpdateButItsGameStandsStill)
{
    StartAndJoin();
    Set("paused", "1");
    uint32_t steps = host->GetStepCount();
    app->QueueServerCommand("probe");
    // The main loop asks the host to hold while the client is paused.
    host->Tick(200, Client::IsPaused());
    Client::Update(0.2f);
    EXPECT_EQ(host->GetStepCount(), steps);
    EXPECT_TRUE(app->GetQueuedLines().empty()) << "the update went out, paused or not";
}

TEST_F(ClientAppTest, TheThresholdIsTheVarInMegabytesCappedAt2000)
{
    Set("m_maxThreshold", "5000");
    ClientApp fresh;
    fresh.RegisterCommands();
    EXPECT_EQ(GetMemoryThreshold(), 2000LL << 20);
    // A later change applies at the end of the next drawn frame; below 0 counts as 0.
    Set("m_maxThreshold", "64");
    EXPECT_EQ(GetMemoryThreshold(), 2000LL << 20);
    fresh.DrawFrame(0.0f);
    EXPECT_EQ(GetMemoryThreshold(), 64LL << 20);
    Set("m_maxThreshold", "-3");
    fresh.DrawFrame(0.0f);
    EXPECT_EQ(GetMemoryThreshold(), 0);
}

TEST_F(ClientAppTest, TheUpdateNamesTheSelectionOrWhilePausedWithAnActionThePendingTarget)
{
    StartAndJoin();
    TestClient server(6310);
    link->position = At(120.0f, 240.0f);
    link->updateTarget = 17;
    gameClient->pendingTarget = 33;
    app->QueueServerCommand("useItem 1 2");
    NetClientUpdate update = UpdateSentTo(server);
    EXPECT_FLOAT_EQ(update.position.x, 120.0f);
    EXPECT_EQ(update.interactionMode, 0);
    EXPECT_EQ(update.target, 17);
    EXPECT_EQ(update.lines, std::vector<std::string>{"useItem 1 2"});

    link->interactionMode = PlayerClient::kModePaused;
    update = UpdateSentTo(server);
    EXPECT_EQ(update.interactionMode, PlayerClient::kModePaused);
    EXPECT_EQ(update.target, 33);
    EXPECT_TRUE(update.lines.empty()) << "the queue was emptied by the last send";
}

// The world is saved under the character's name only once the character itself is saved: a world
// written beside a file that is not this character's would be another's when resumed.
TEST_F(ClientAppTest, AutosaveKeepsTheCharacterAndSavesTheWorldOnlyUnderTheCharactersSavedName)
{
    StartAndJoin("", "UsesSaveGames 1\n");
    gameClient->RegisterVars();
    Set("autoSaveTime", "1");
    std::vector<std::string> worlds;
    app->GetHooks().saveWorld = [&worlds](const std::string& name) {
        worlds.push_back(name);
        return true;
    };
    struct Case {
        const char* name;
        bool saveFails;
        bool characterSaved;
        bool worldSaved;
    };
    for (const Case& c : {Case{"", false, true, false}, Case{"Wren", true, false, false},
                          Case{"Wren", false, true, true}}) {
        link->characterName = c.name;
        link->saveFails = c.saveFails;
        worlds.clear();
        int32_t saves = link->saves;
        for (int i = 0; i < 3; ++i)
            ClientFrame(600);
        EXPECT_EQ(link->saves > saves, c.characterSaved) << c.name << " " << c.saveFails;
        EXPECT_EQ(!worlds.empty(), c.worldSaved) << c.name << " " << c.saveFails;
        if (c.worldSaved) {
            EXPECT_EQ(worlds.back(), "Wren");
        }
    }
}

// The entities each overlay was drawn for, in order.
class EntityOrderCanvas : public OverlayCanvas {
public:
    Vector2 GetEntityTop(const EntityClient& entity) const override
    {
        drawn.push_back(entity.entityNumber);
        return {};
    }
    float GetScale() const override { return 1.0f; }
    float MeasureTextHeight(const std::string&) const override { return 10.0f; }
    void FillRect(float, float, float, float, int32_t, float) override {}
    void DrawText(const std::string&, float, float, int32_t, float) override {}

    mutable std::vector<int32_t> drawn;
};

// Both entity passes of the frame take the local player's body first, then every other entity in
// table order, and draw nothing while no game runs: the models and the overlays over them. The
// draw adds no light: each entity's light joined the frame's lights once, in its own update.
TEST_F(ClientAppTest, TheEntityPassesTakeThePlayersBodyFirstThenTheTableInOrderOnlyInAGame)
{
    // In the systems' slots while the test runs, and out of them however the test ends.
    struct SystemsInPlace {
        SystemsInPlace() : platform(std::filesystem::temp_directory_path().string())
        {
            gPlatformSystem = &platform;
            lighting.SetMaxLights(16);
            gLightingSystem = &lighting;
        }
        ~SystemsInPlace()
        {
            gLightingSystem = nullptr;
            gPlatformSystem = nullptr;
        }
        PosixPlatformSystem platform;
        LightingSystem lighting;
    } slots;
    LightingSystem& lighting = slots.lighting;
    RecordingGraphicsDevice device;
    WorldView view(device);
    EntityOrderCanvas canvas;
    app->SetOverlayCanvas(&canvas);
    auto lit = [&] {
        std::vector<int32_t> order;
        for (int32_t i = 0; i < lighting.GetLightCount(); ++i)
            if (lighting.GetLight(i).type == LightingSystem::kPointLight)
                order.push_back(static_cast<int32_t>(lighting.GetLight(i).x));
        return order;
    };
    Client::DrawEntities(view);
    Client::DrawEntityOverlays();
    EXPECT_TRUE(lit().empty() && canvas.drawn.empty()) << "no game, nothing drawn";

    StartAndJoin();
    int32_t own = link->player->entityNumber;
    std::vector<int32_t> others;
    for (float dx : {60.0f, -60.0f, 120.0f})
        others.push_back(Spawn<Entity>(link->player->position.x + dx, link->player->position.y,
                                       link->player->position.level)->entityNumber);
    ClientFrame(0);
    ClientFrame(0);
    gameClient->GetSight().SetFogOff(true);
    std::vector<int32_t> expected{own};
    for (int32_t number = 0; number < GameClient::kMaxEntities; ++number) {
        EntityClient* entity = gameClient->GetEntity(number);
        if (!entity || (number != own && std::find(others.begin(), others.end(), number) == others.end()))
            continue;
        // Its number as the place of its light, and a text over it.
        entity->position.x = static_cast<float>(number);
        entity->lightColor = Color{1.0f, 1.0f, 1.0f};
        entity->lightFalloff = 50.0f;
        entity->damageTexts.push_back({gameClient->clock, "7"});
        if (number != own)
            expected.push_back(number);
    }
    ASSERT_EQ(expected.size(), others.size() + 1) << "every entity mirrored";
    lighting.Reset();
    Client::DrawEntities(view);
    EXPECT_TRUE(lit().empty()) << "a second copy of a light would shine it double";
    Client::DrawEntityOverlays();
    EXPECT_EQ(canvas.drawn, expected);
    std::vector<int32_t> tableOrder = expected;
    std::sort(tableOrder.begin(), tableOrder.end());
    gameClient->Update(0.0f);
    EXPECT_EQ(lit(), tableOrder) << "each light once, in table order, by the entities' own update";

    app->SetOverlayCanvas(nullptr);
}

// Every autosave of a game (the timed one, the one after a sale or a purchase and the one before
// the allied victory is offered) saves the character only in a game that keeps saves.
class ClientAppAutosave : public ClientAppTest, public testing::WithParamInterface<bool> {};

TEST_P(ClientAppAutosave, EveryAutosaveSavesOnlyInAGameThatKeepsSaves)
{
    const bool keepsSaves = GetParam();
    StartAndJoin("", keepsSaves ? "UsesSaveGames 1\n" : "UsesSaveGames 0\n");
    gameClient->RegisterVars();
    struct Trigger {
        const char* what;
        std::function<void()> run;
    };
    const Trigger triggers[] = {
        {"the timed save",
         [this] {
             Set("autoSaveTime", "1");
             for (int i = 0; i < 3; ++i)
                 ClientFrame(600);
             Set("autoSaveTime", "0");
             ClientFrame(1000);
         }},
        {"the save after a sale",
         [this] {
             app->QueueServerCommand("sellItem 0 0 0");
             for (int i = 0; i < 2 * ClientApp::kTradeSaveUpdates + 2; ++i) {
                 ClientFrame(0);
                 Client::Update(0.0f);
             }
         }},
        {"the save before the allied victory",
         [this] {
             // The game part as the host writes it, its allied-victory flag set.
             MessageBuffer written;
             written.WriteInt(NetMessages::kListEnd);
             game->WriteNetPart(written, link->player);
             MessageBuffer update;
             update.WriteBytes(written.Data(), written.Size() - 8);
             update.WriteBool(true);
             update.WriteBool(false);
             update.SetReadPos(0);
             ASSERT_TRUE(gameClient->ReadGameUpdate(update, nullptr));
         }},
    };
    for (const Trigger& trigger : triggers) {
        int32_t before = link->saves;
        trigger.run();
        EXPECT_EQ(link->saves > before, keepsSaves) << trigger.what;
    }
}

INSTANTIATE_TEST_SUITE_P(UsesSaveGames, ClientAppAutosave, testing::Bool());

} // namespace
