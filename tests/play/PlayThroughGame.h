// PlayThroughGame -- the shipped game offscreen on a seeded world, played by a script through SDL input: it reads the client's mirror to find where things are on screen and keeps a screenshot of every step beside the staged game folder.
#pragma once

#include "app/OffscreenShots.h"
#include "client/ClientApp.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "client/ScreenConversion.h"
#include "core/RandomSystem.h"
#include "core/system/GraphicsSystem.h"
#include "entities/Player.h"
#include "server/WorldHost.h"
#include "world/World.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

class PlayThroughGame : public OffscreenShotGame {
protected:
    static constexpr uint32_t kWorldSeed = 20261207;

    PlayThroughGame()
    {
        // The same world every run: the composition root seeds from the wall clock.
        app.GetSystem(SystemSlot::Random).create = [] { gRandomSystem = new RandomSystem(kWorldSeed); };
    }

    // Frames of a quarter second each (the most game time the world host runs in one frame)
    // until the condition holds, for a wait in which the player only watches; the last answer.
    bool WaitUntil(int most, const std::function<bool()>& done)
    {
        for (int i = 0; i < most && !done(); ++i) {
            now += 250;
            app.RunFrame();
        }
        return done();
    }

    // Frames until the condition holds or the count runs out; the condition's last answer.
    bool FramesUntil(int most, const std::function<bool()>& done)
    {
        for (int i = 0; i < most && !done(); ++i)
            Frames(1);
        return done();
    }

    // A key held down for the frames given, as a player leans on it.
    void HoldKey(SDL_Scancode scancode, int frames)
    {
        Push(scancode, true);
        Frames(frames);
        Push(scancode, false);
        Frames(1);
    }

    // Frames until the client's walk has ended and the host's player stands where it does.
    void WaitUntilArrived()
    {
        FramesUntil(300, [] {
            Player* host = HostPlayer();
            PlayerClient* player = Local();
            return host && player && !player->IsMoving() && host->position.Distance2D(player->GetPosition()) < 0.01f;
        });
    }

    // Whether the journey may go after something at the place: the world view goes black while
    // its eye, up and to the right of the player, lies beyond a level's north or east edge, so
    // the script keeps that far from them.
    static bool AwayFromNorthAndEastEdges(const WorldPos& place)
    {
        constexpr float kEyeReach = 640.0f;
        return place.y >= kEyeReach && place.x <= gWorld->GetLevelWidth() - kEyeReach;
    }

    // The nearest entity of the client's mirror that passes the test, on the player's level.
    static EntityClient* NearestOnClient(const std::function<bool(const EntityClient&)>& wanted)
    {
        PlayerClient* player = Local();
        if (!player)
            return nullptr;
        EntityClient* best = nullptr;
        float bestDistance = 0.0f;
        for (int32_t number = 0; number < GameClient::kMaxEntities; ++number) {
            EntityClient* entity = gGameClient->GetEntity(number);
            if (!entity || entity == player->GetBody() || entity->position.level != player->GetPosition().level ||
                !wanted(*entity))
                continue;
            float distance = entity->position.Distance2D(player->GetPosition());
            if (!best || distance < bestDistance) {
                best = entity;
                bestDistance = distance;
            }
        }
        return best;
    }

    // A click on the entity where the pick finds it; false when no point of it is on screen.
    bool ClickEntity(const EntityClient& entity)
    {
        int32_t uiX = 0;
        int32_t uiY = 0;
        if (!FindPickPoint(entity, uiX, uiY))
            return false;
        ClickAt(uiX, uiY);
        return true;
    }

    // One click toward the target: on its screen place when that is near, else on open ground
    // at most a stride away on the line to it; false when no open ground lies that way.
    bool ClickToward(const WorldPos& target)
    {
        int32_t x = 0;
        int32_t y = 0;
        if (!GroundToward(target, x, y))
            return false;
        ClickAt(x, y);
        return true;
    }

    // The screen point such a click lands on; false when no open ground lies that way.
    static bool GroundToward(const WorldPos& target, int32_t& x, int32_t& y)
    {
        PlayerClient* player = Local();
        if (!player)
            return false;
        Vector2 from = Client::WorldToScreen(player->GetPosition(), true);
        Vector2 to = Client::WorldToScreen(target, true);
        float dx = to.x - from.x;
        float dy = to.y - from.y;
        float length = std::sqrt(dx * dx + dy * dy);
        for (float stride : {160.0f, 110.0f, 70.0f, 40.0f})
            for (float turn : {0.0f, 0.35f, -0.35f, 0.7f, -0.7f, 1.1f, -1.1f}) {
                float scale = length > stride ? stride / length : 1.0f;
                float c = std::cos(turn);
                float s = std::sin(turn);
                x = static_cast<int32_t>(from.x + (dx * c - dy * s) * scale);
                y = static_cast<int32_t>(from.y + (dx * s + dy * c) * scale);
                if (x < 4 || y < 4 || x >= 636 || y >= 390)
                    continue;
                WorldPos ground = Client::ScreenToWorld(x, y, true);
                if (gWorld->IsBlockedNear(ground, 20.0f) || Client::PickEntityAt(x, y, player))
                    continue;
                return true;
            }
        return false;
    }

    // Clicks toward the target until the player is within the distance of it, has left its
    // level or stopped getting nearer; true when it came within the distance.
    bool WalkTo(const WorldPos& target, float within)
    {
        int32_t level = Local()->GetPosition().level;
        float best = 1e9f;
        int32_t stale = 0;
        for (int32_t click = 0; click < 60 && stale < 4; ++click) {
            const WorldPos at = Local()->GetPosition();
            if (at.level != level)
                return false;
            float distance = at.Distance2D(target);
            if (distance <= within)
                return true;
            stale = distance < best - 5.0f ? 0 : stale + 1;
            best = std::min(best, distance);
            if (!ClickToward(target))
                return false;
            FramesUntil(20, [] { return !Local()->IsMoving(); });
        }
        return Local()->GetPosition().Distance2D(target) <= within;
    }

    // The step's screenshot kept in the build folder under the step's name.
    TargaImage KeepStep(const std::string& step)
    {
        TargaImage image = Screenshot();
        if (!lastShot.empty()) {
            std::filesystem::path kept = std::filesystem::path(std::getenv("EMBERLODE_GAME_DIR")).parent_path() /
                                         ("PlayThrough-" + step + ".tga");
            std::filesystem::copy_file(lastShot, kept, std::filesystem::copy_options::overwrite_existing);
            keptStep = kept.string();
        }
        return image;
    }

    // What a failed check names: the step's screenshot.
    std::string AtStep() const { return " (screenshot " + keptStep + ")"; }

    std::string keptStep;
};
