// OffscreenShots -- mouse events pushed through SDL and screenshots read back for an offscreen game whose window is 640 x 480.
#pragma once

#include "app/OffscreenGame.h"
#include "client/ClientApp.h"
#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "client/PlayerCovenantClient.h"
#include "client/ScreenConversion.h"
#include "core/Database.h"
#include "core/UserVarSystem.h"
#include "covenants/PlayerCovenant.h"
#include "entities/Actor.h"
#include "entities/GameServices.h"
#include "entities/Player.h"
#include "server/Game.h"
#include "server/WorldHost.h"
#include "render/WorldMap.h"
#include "resources/ResourceManager.h"
#include "resources/textures/TargaImage.h"
#include "rules/GameData.h"
#include "server/quests/GameQuests.h"
#include "server/quests/Quest.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"
#include "ui/UIWidget.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <list>
#include <string>
#include <vector>

// What the interface's tooltip says with the cursor where it is; the place and the size stay -1
// where the interface gives none.
struct ShownTooltip {
    std::string text;
    std::string title;
    float position[2] = {-1.0f, -1.0f};
    float extent[2] = {-1.0f, -1.0f};
    float flag = 0.0f;
};

class OffscreenShotGame : public OffscreenGame {
protected:
    // The shipped game at 640 x 480 (and any further settings), screenshots as Targa, one frame
    // run past start-up.
    void StartShippedGame(const std::string& moreSettings = "") { StartShippedGameAt(640, 480, moreSettings); }

    // The same in a window of the size given.
    void StartShippedGameAt(int width, int height, const std::string& moreSettings = "")
    {
        folder.Write("User/user.cfg",
                     "r_width " + std::to_string(width) + "\nr_height " + std::to_string(height) + "\n" + moreSettings);
        ASSERT_TRUE(app.StartUp());
        ASSERT_NE(gUISystem, nullptr);
        gUserVarSystem->SetStringByName("r_screenshotType", "2");
        app.RunFrame();
    }

    // "start both" on the console of a started game, then frames (60 at most) until the host has
    // the player and the client mirrors its body; a fatal failure when either never comes.
    void StartBoth()
    {
        TypeOnConsole("start both");
        for (int i = 0; i < 60 && !(gClientApp->IsActive() && HostPlayer() && Local()); ++i)
            Frame();
        ASSERT_TRUE(gClientApp->IsActive());
        ASSERT_NE(HostPlayer(), nullptr);
        ASSERT_NE(Local(), nullptr);
    }

    // The world host's player of the first client to join (this process's own), once there is one.
    static Player* HostPlayer()
    {
        if (!gWorldHost || gWorldHost->GetClients().empty())
            return nullptr;
        return WorldHost::GetRecordPlayer(*gWorldHost->GetClients().front());
    }

    // The local player once its body is in the client's table.
    static PlayerClient* Local()
    {
        PlayerClient* player = gClientApp ? gClientApp->GetLocalPlayer() : nullptr;
        return player && player->GetBody() ? player : nullptr;
    }

    // "start both" on the console, then the host's player once the client mirrors its body.
    Player* JoinByConsole()
    {
        EXPECT_TRUE(app.StartUp());
        Frame();
        Tap(SDL_SCANCODE_GRAVE);
        TypeLine("start both");
        for (int i = 0; i < 40 && !(gClientApp->IsActive() && gClientApp->GetLocalPlayer()->GetBody()); ++i)
            Frame();
        Tap(SDL_SCANCODE_GRAVE);
        return HostPlayer();
    }

    // From the title into a new world: New game, the covenant named, Start; then frames until
    // the host has the player, the client has joined and the in-game screen shows.
    void EnterTheWorld(const std::string& covenant = "ash")
    {
        ClickAtUi(320, 196);
        ClickAtUi(330, 133);
        TypeKeys(covenant);
        ClickAtUi(440, 408);
        for (int i = 0; i < 80 && !(HostPlayer() && gClientApp->IsActive() && Shown("InGame")); ++i)
            Frames(1);
        Frames(10);
    }

    // The host's record of the local player's covenant; null before the client knows its covenant.
    static PlayerCovenant* HostCovenant()
    {
        PlayerClient* player = gClientApp ? gClientApp->GetLocalPlayer() : nullptr;
        if (!player || !player->GetCovenant())
            return nullptr;
        return dynamic_cast<PlayerCovenant*>(gGame->GetCovenant(player->GetCovenant()->index));
    }

    // The shipped game at 640 x 480 taken from the title into a new world; a fatal failure when
    // the host or the client has no player.
    void StartInANewWorld()
    {
        ASSERT_NO_FATAL_FAILURE(StartShippedGame());
        EnterTheWorld();
        ASSERT_NE(HostPlayer(), nullptr);
        ASSERT_NE(Local(), nullptr);
    }

    // The first entity of the host's world that is an actor of the NPC kind.
    static Actor* FindActorOfKind(int32_t npcType)
    {
        for (int32_t number = 0; number < 1500; ++number) {
            auto* actor = dynamic_cast<Actor*>(gGame->GetEntity(number));
            if (actor && actor->GetNpcType() == npcType)
                return actor;
        }
        return nullptr;
    }

    // The actor set down a step east of the host's player, as the client shows it four frames on.
    EntityClient* BesideThePlayer(Actor& actor)
    {
        actor.SetPosition(HostPlayer()->position.Offset(Vector2{60.0f, 0.0f}));
        Frames(4);
        return gGameClient->GetEntity(actor.entityNumber);
    }

    // A goblin scout of the host's own spawning, set down at the offset from the host's player;
    // null when the host would not make or add it.
    static Actor* AddGoblin(const Vector2& offset)
    {
        const DatabaseEntry* type = gDatabase->FindEntryByName("MonsterGoblinScout");
        auto* monster = dynamic_cast<Actor*>(gGame->MakeMonster(nullptr, type, 1, 0));
        if (!monster)
            return nullptr;
        monster->SetPosition(HostPlayer()->position.Offset(offset));
        if (gGame->AddEntity(monster) == -1)
            return nullptr;
        return monster;
    }

    // A quest of that record started in the host's world until it has set its figure down (a
    // draw may refuse it), and that figure; null when sixty starts set none down.
    static Actor* StartQuestWithFigure(const char* name, Quest*& started)
    {
        GameQuests& quests = gGame->GetQuests();
        int32_t index = gGameData->GetQuestDefinitions().FindIndex(name);
        for (int32_t attempt = 0; attempt < 60; ++attempt) {
            Quest* quest = quests.StartQuest(index, nullptr, -1);
            if (!quest)
                continue;
            if (auto* figure = dynamic_cast<Actor*>(quest->GetTargetEntity())) {
                started = quest;
                return figure;
            }
            quests.DeleteQuest(quest->questId);
        }
        return nullptr;
    }

    // The client's mirror of the host's entity, up to ten frames run until it has one.
    EntityClient* MirrorOf(const Entity& entity)
    {
        for (int i = 0; i < 10 && !gGameClient->GetEntity(entity.entityNumber); ++i)
            Frame();
        return gGameClient->GetEntity(entity.entityNumber);
    }

    // The creatures round the host's player taken away (the town's people wander about the
    // screen), so that between two pictures only what the test does changes.
    static void ClearTheStage()
    {
        Player* player = HostPlayer();
        std::vector<Entity*> near;
        gGameServices->FindEntitiesInRadius(player->position, player, 4000.0f,
                                            RadiusFilter::Every | RadiusFilter::NotSource | RadiusFilter::Creatures,
                                            near, false);
        for (Entity* entity : near) {
            gGame->RemoveEntity(entity);
            delete entity;
        }
    }

    // Frames until the host has the player and the client has joined and mirrors its body, then
    // ten more; false when it never joined.
    bool WaitForTheGame()
    {
        auto joined = [] { return HostPlayer() && gClientApp->IsActive() && Local(); };
        for (int i = 0; i < 120 && !joined(); ++i)
            Frames(1);
        Frames(10);
        return joined();
    }

    // A window point of the entity's screen box that the client's own pick answers with it, the
    // middle tried first. Points off the window or down among the bars along the bottom edge are
    // passed over: a click there lands on the interface, not on the world.
    static bool FindPickPoint(const EntityClient& entity, int32_t& uiX, int32_t& uiY)
    {
        ScreenBox box = Client::GetEntityScreenBox(entity);
        for (float fy : {0.5f, 0.3f, 0.7f, 0.15f, 0.85f})
            for (float fx : {0.5f, 0.3f, 0.7f, 0.15f, 0.85f}) {
                auto x = static_cast<int32_t>(box.x1 + (box.x2 - box.x1) * fx);
                auto y = static_cast<int32_t>(box.y2 + (box.y1 - box.y2) * fy);
                if (x < 0 || y < 0 || x >= 640 || y >= 400)
                    continue;
                if (Client::PickEntityAt(x, y, gClientApp->GetLocalPlayer()) == &entity) {
                    uiX = x;
                    uiY = y;
                    return true;
                }
            }
        return false;
    }

    // A left click where the client's own pick answers with the entity; a fatal failure when no
    // point of its box does.
    void ClickOn(const EntityClient& entity)
    {
        int32_t x = 0;
        int32_t y = 0;
        ASSERT_TRUE(FindPickPoint(entity, x, y));
        ClickAtUi(x, y);
    }

    // The middle of the widget in interface units (window pixels at 640 x 480), where a hand
    // would point at it.
    static std::array<int32_t, 2> CentreOf(const UIWidget& widget)
    {
        return {static_cast<int32_t>(widget.GetScreenPosition().x + widget.size[0] / 2),
                static_cast<int32_t>(widget.GetScreenPosition().y + widget.size[1] / 2)};
    }

    // A click on the widget's middle.
    void ClickOn(const UIWidget& widget, uint8_t which = SDL_BUTTON_LEFT)
    {
        auto [x, y] = CentreOf(widget);
        ClickAtUi(x, y, which);
    }

    // The tooltip the interface shows for the cursor's place now.
    static ShownTooltip ReadTooltip()
    {
        ShownTooltip tip;
        gUISystem->GetTooltip(tip.text, tip.title, tip.position, tip.extent, tip.flag);
        return tip;
    }

    // The player's own covenant gate clicked where it stands, then frames until the map opens for
    // travel once the player has walked up to it; a fatal failure when it never does.
    void OpenTheMapAtTheGate()
    {
        const EntityClient* gate = nullptr;
        for (int32_t number = 0; number < GameClient::kMaxEntities && !gate; ++number) {
            const EntityClient* entity = gGameClient->GetEntity(number);
            if (entity && entity->isGate && entity->IsOfPlayerCovenant())
                gate = entity;
        }
        ASSERT_NE(gate, nullptr);
        Vector2 at = Client::WorldToScreen(gate->position, true);
        ClickAtUi(static_cast<int32_t>(at.x), static_cast<int32_t>(at.y));
        for (int i = 0; i < 200 && !gWorldMap->IsTeleportMode(); ++i)
            Frames(1);
        ASSERT_TRUE(gWorldMap->IsTeleportMode()) << Local()->GetInteractionMode();
    }

    // Frames until the test says done, at most the limit.
    template <typename Done>
    void FramesUntil(Done done, int limit = 30)
    {
        for (int i = 0; i < limit && !done(); ++i)
            Frames(1);
    }

    static bool Shown(const char* menuName)
    {
        UIMenu* menu = gUISystem->FindMenu(menuName);
        return menu && menu->IsShown();
    }

    static void PushMotion(int32_t x, int32_t y)
    {
        SDL_Event motion{};
        motion.type = SDL_MOUSEMOTION;
        motion.motion.x = x;
        motion.motion.y = y;
        ASSERT_EQ(SDL_PushEvent(&motion), 1);
    }

    // A mouse button pressed or let go at the window point.
    static void PushButton(bool down, int32_t x, int32_t y, uint8_t which = SDL_BUTTON_LEFT)
    {
        SDL_Event button{};
        button.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        button.button.button = which;
        button.button.x = x;
        button.button.y = y;
        ASSERT_EQ(SDL_PushEvent(&button), 1);
    }

    void ClickAt(int32_t x, int32_t y, uint8_t which = SDL_BUTTON_LEFT)
    {
        PushMotion(x, y);
        app.RunFrame();
        for (bool down : {true, false}) {
            ASSERT_NO_FATAL_FAILURE(PushButton(down, x, y, which));
            app.RunFrame();
        }
    }

    // A click at a point of the 640 x 480 interface, in whatever window the game has.
    void ClickAtUi(int32_t uiX, int32_t uiY, uint8_t which = SDL_BUTTON_LEFT)
    {
        ClickAt(uiX * gGraphicsSystem->GetViewWidth() / 640, uiY * gGraphicsSystem->GetViewHeight() / 480, which);
    }

    void WheelAt(int32_t x, int32_t y, bool up)
    {
        PushMotion(x, y);
        app.RunFrame();
        SDL_Event wheel{};
        wheel.type = SDL_MOUSEWHEEL;
        wheel.wheel.y = up ? 1 : -1;
        wheel.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
        ASSERT_EQ(SDL_PushEvent(&wheel), 1);
        app.RunFrame();
    }

    void TypeOnConsole(const std::string& line)
    {
        Tap(SDL_SCANCODE_GRAVE);
        TypeLine(line);
        Tap(SDL_SCANCODE_GRAVE);
    }

    // The frame as the screenshot key writes it (the caller sets "r_screenshotType" 2), the
    // cursor moved out of the way first (or to the point given, to picture what it rests on). The
    // image views bytes the fixture keeps to its end, so an earlier picture is not overwritten by a
    // later one. Each of its frames lasts frameMs of the test's clock (none unless asked).
    TargaImage Screenshot(int32_t cursorX = 639, int32_t cursorY = 479, uint32_t frameMs = 0)
    {
        SettleLoads();
        PushMotion(cursorX, cursorY);
        now += frameMs;
        app.RunFrame();
        char name[64];
        std::snprintf(name, sizeof name, "User/Screenshots/ss%04d.tga", shots++);
        for (bool down : {true, false}) {
            Push(SDL_SCANCODE_F12, down);
            now += frameMs;
            app.RunFrame();
        }
        TargaImage image;
        if (!std::filesystem::exists(folder.Path() / name)) {
            ADD_FAILURE() << "no screenshot " << name;
            return image;
        }
        std::string bytes = folder.Read(name);
        std::vector<uint8_t>& kept = shotBytes.emplace_back(bytes.begin(), bytes.end());
        lastShot = folder.Path() / name;
        EXPECT_TRUE(image.Parse(kept.data(), kept.size(), name));
        return image;
    }

    // Every resource in use is built. The world draws a model only once the loader has read it,
    // so on a busy machine a model still loading would be missing from one picture and not the
    // next, and two pictures meant to match would differ. Get waits for a row as a first use
    // would, the graphics context given up meanwhile; a load may queue more rows, so the passes
    // go on until one builds nothing more (a row still empty then is a missing file).
    static void SettleLoads()
    {
        ResourceManager& manager = *gResourceManager;
        for (bool built = true; built;) {
            built = false;
            for (int32_t row = 0; row < manager.GetResourceCount(); ++row) {
                if (manager.GetReferenceCount(row) == 0 || manager.IsLoaded(row))
                    continue;
                manager.Get(row);
                built = built || manager.IsLoaded(row);
            }
        }
    }

    // Red, green and blue at a point; the file's rows run from the bottom, blue first.
    static std::array<int, 3> PixelAt(const TargaImage& image, int x, int y)
    {
        int fileRow = image.GetHeight() - 1 - y;
        if (!image.GetPixels() || x < 0 || x >= image.GetWidth() || fileRow < 0 || fileRow >= image.GetHeight())
            return {-1, -1, -1};
        const uint8_t* pixel =
            image.GetPixels() + (static_cast<size_t>(fileRow) * image.GetWidth() + x) * image.GetBytesPerPixel();
        return {pixel[2], pixel[1], pixel[0]};
    }

    // Pixels of the box [x0, x1) x [y0, y1) whose red, green and blue pass the test.
    static int CountPixels(const TargaImage& image, int x0, int y0, int x1, int y1,
                           const std::function<bool(const std::array<int, 3>&)>& test)
    {
        int count = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                count += test(PixelAt(image, x, y)) ? 1 : 0;
        return count;
    }

    // Pixels of the box whose brightest colour is above the threshold: text, white or coloured, and
    // icons on the windows' dark frames.
    static int BrightPixels(const TargaImage& image, int x0, int y0, int x1, int y1, int threshold = 180)
    {
        return CountPixels(image, x0, y0, x1, y1,
                           [threshold](const auto& p) { return std::max({p[0], p[1], p[2]}) > threshold; });
    }

    // Pixels of the box whose red, green and blue moved between the two pictures by more than the
    // tolerance, the three changes added.
    static int ChangedPixels(const TargaImage& a, const TargaImage& b, int x0, int y0, int x1, int y1, int tolerance)
    {
        int count = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                std::array<int, 3> p = PixelAt(a, x, y);
                std::array<int, 3> q = PixelAt(b, x, y);
                count += std::abs(p[0] - q[0]) + std::abs(p[1] - q[1]) + std::abs(p[2] - q[2]) > tolerance ? 1 : 0;
            }
        return count;
    }

    // A failed check leaves the last screenshot beside the staged game folder, named in the failure.
    void KeepFailedFrame(const std::string& prefix)
    {
        if (!HasFailure() || lastShot.empty())
            return;
        std::filesystem::path kept = std::filesystem::path(std::getenv("EMBERLODE_GAME_DIR")).parent_path() /
                                     (prefix + "-" + lastShot.filename().string());
        std::filesystem::copy_file(lastShot, kept, std::filesystem::copy_options::overwrite_existing);
        ADD_FAILURE() << "the screenshot is kept in " << kept.string();
        lastShot.clear();
    }

    int shots = 0;
    std::list<std::vector<uint8_t>> shotBytes;
    std::filesystem::path lastShot;
};

// The shipped game taken from the title into a new world before each test, which is skipped
// where the build staged no game; a failed test keeps its last screenshot under its suite's name.
class NewWorldShotGame : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        ASSERT_NO_FATAL_FAILURE(StartInANewWorld());
    }
    void TearDown() override
    {
        KeepFailedFrame(testing::UnitTest::GetInstance()->current_test_info()->test_suite_name());
    }
};
