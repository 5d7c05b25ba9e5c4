// ServerSoakTest -- four scripted clients play a world host over the in-process queue for thousands of steps: walking across level edges, fighting, using and gating, one asking for new worlds; the world stays sound throughout.
#include "server/WorldHostWorld.h"

#include "core/EventSystem.h"
#include "entities/Actor.h"
#include "entities/CombatSystem.h"
#include "server/ServerCommands.h"
#include "support/LogLines.h"

#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr int32_t kSoakClients = 4;
constexpr int32_t kSoakMonsters = 24;
constexpr uint32_t kSoakCheckEvery = 100;

// What one scripted client believes and does; it knows only what its datagrams told it.
struct SoakClient {
    explicit SoakClient(uint16_t port) : client(port) {}
    TestClient client;
    bool joined = false;
    WorldPos believed;
    // A warp it was told of and has not confirmed yet.
    bool warpHeard = false;
    WorldPos warpTarget;
};

class ServerSoak : public WorldHostWorld {
protected:
    ServerSoak()
    {
        Sentient::RegisterEventClass(events, types);
        Actor::RegisterEventClass(events, types);
        Player::RegisterEventClass(events, types);
        ServerCommands::Register(host->GetClientCommands());
        StartWorld();
        for (int32_t i = 0; i < kSoakClients; ++i)
            soakers.emplace_back(static_cast<uint16_t>(6301 + i));
    }

    // Uniform in [0, n), from the test's own stream so that the run is the same every time.
    int32_t Draw(int32_t n)
    {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<int32_t>((state >> 33) % static_cast<uint64_t>(n));
    }
    float DrawFloat(float low, float high)
    {
        return low + (high - low) * static_cast<float>(Draw(1 << 20)) / static_cast<float>(1 << 20);
    }

    Player* PlayerOf(const SoakClient& soaker) const
    {
        const ClientRecord* record = FindRecord(soaker.client);
        return record ? WorldHost::GetRecordPlayer(*record) : nullptr;
    }

    void Read(SoakClient& soaker)
    {
        for (MessageBuffer& buffer : soaker.client.ReceiveAll()) {
            int32_t type = buffer.ReadInt();
            if (type == NetMessageType::kNewWorld && &soaker != &soakers.front())
                soaker.joined = false;
            if (type == NetMessageType::kWelcome) {
                soaker.joined = true;
                if (Player* player = PlayerOf(soaker))
                    soaker.believed = player->position;
            }
            NetGameUpdateHead head;
            if (type != NetMessageType::kGameUpdate || !NetMessages::ReadGameUpdateHead(buffer, head))
                continue;
            for (const std::string& line : head.lines) {
                std::vector<std::string> words = CommandSystem::ParseLine(line);
                if (words.size() == 4 && words[0] == "warp") {
                    soaker.warpHeard = true;
                    soaker.warpTarget = At(std::stof(words[2]), std::stof(words[3]), std::stoi(words[1]));
                }
            }
        }
    }

    // A step of a few hundred units; now and then well past the level's edge.
    WorldPos Walk(const WorldPos& from)
    {
        WorldPos to = from;
        float reach = Draw(10) == 0 ? 1.5f * gWorld->GetLevelWidth() : 300.0f;
        to.x += DrawFloat(-reach, reach);
        to.y += DrawFloat(-reach, reach);
        return to;
    }

    std::string RandomLine(const Player& player)
    {
        int32_t some = Draw(GameServices::kMaxEntities + 10) - 5;
        switch (Draw(8)) {
        case 0: return "useEntity " + std::to_string(some);
        case 1: return "SkipTutorial";
        case 2: return "gate " + std::to_string(some);
        case 3: return "gateTown " + std::to_string(Draw(4) - 1);
        case 4: return "pickupEntity " + std::to_string(some);
        case 5: return "useSkill 0 0 " + std::to_string(some) + " " + std::to_string(player.position.level) + " 10 10";
        case 6: return "resurrect";
        default: return "noSuchRequest " + std::to_string(some);
        }
    }

    void Act(SoakClient& soaker, uint32_t step)
    {
        if (!soaker.joined) {
            SendRequest(soaker.client);
            SendSettings(soaker.client, "Soaker");
            return;
        }
        Player* player = PlayerOf(soaker);
        if (!player)
            return;
        NetClientUpdate update;
        if (soaker.warpHeard && Draw(3) != 0) {
            // The warp's arrival, or its confirmation while the old place is still sent.
            update = UpdateAt(Draw(2) ? soaker.warpTarget : soaker.believed);
            update.lines.push_back("WarpConfirm " + std::to_string(soaker.warpTarget.level) + " " +
                                   std::to_string(soaker.warpTarget.x) + " " + std::to_string(soaker.warpTarget.y));
            soaker.believed = soaker.warpTarget;
            soaker.warpHeard = false;
        } else {
            soaker.believed = Walk(soaker.believed);
            update = UpdateAt(soaker.believed);
        }
        update.interactionMode = Draw(24);
        update.target = Draw(GameServices::kMaxEntities);
        for (int32_t i = Draw(3); i > 0; --i)
            update.lines.push_back(RandomLine(*player));
        if (&soaker == &soakers.front() && step >= lastNewWorldStep + 1500) {
            update.lines.push_back("newWorld 0 Average Normal 0");
            lastNewWorldStep = step;
        }
        SendUpdate(soaker.client, update);
    }

    // A fight near a random player: hits both ways, now and then a kill; a server-side warp
    // such as a gate's now and then.
    void Fight()
    {
        std::vector<Player*> players;
        for (const SoakClient& soaker : soakers)
            if (Player* player = PlayerOf(soaker))
                players.push_back(player);
        if (players.empty())
            return;
        Player* player = players[static_cast<size_t>(Draw(static_cast<int32_t>(players.size())))];
        if (static_cast<int32_t>(monsters.size()) < kSoakMonsters) {
            auto* monster = Spawn<Actor>(player->position.x + DrawFloat(-200.0f, 200.0f),
                                         player->position.y + DrawFloat(-200.0f, 200.0f), player->position.level);
            monster->maxHealth = monster->health = 20;
            monsters.emplace_back(monster);
        }
        for (auto it = monsters.begin(); it != monsters.end();) {
            auto* monster = it->GetAs<Actor>();
            if (!monster || monster->health < 1) {
                it = monsters.erase(it);
                continue;
            }
            if (Draw(4) == 0) {
                player->OnSuccessfulHit(3, monster, true, false, false, false, true);
                monster->RaiseWhenHit(player, false);
                if (Draw(5) == 0) {
                    monster->health = 0;
                    HandleKill(monster, player);
                    ++kills;
                }
            }
            ++it;
        }
        if (Draw(20) == 0)
            player->Warp(At(DrawFloat(0.0f, gWorld->GetLevelWidth()), DrawFloat(0.0f, gWorld->GetLevelHeight()),
                            Draw(gWorld->GetLevelCount())));
    }

    void Check(uint32_t step)
    {
        for (const auto& record : host->GetClients()) {
            const Player* player = WorldHost::GetRecordPlayer(*record);
            ASSERT_NE(player, nullptr) << "step " << step;
            EXPECT_GE(player->position.level, 0) << "step " << step;
            EXPECT_LT(player->position.level, gWorld->GetLevelCount()) << "step " << step;
            EXPECT_TRUE(std::isfinite(player->position.x) && std::isfinite(player->position.y)) << "step " << step;
        }
        EXPECT_LE(events.GetQueuedCount(), 64u) << "step " << step;
        EXPECT_LE(game->CountEntities(), kSoakClients + 2 * kSoakMonsters + 64) << "step " << step;
        EXPECT_EQ(CountLinesHolding(debug, "^c001"), 0) << "step " << step;
        if (gWorld->GetLayoutSeed() != seed)
            ++worlds;
        seed = gWorld->GetLayoutSeed();
    }

    std::vector<SoakClient> soakers;
    std::vector<SafePointer> monsters;
    uint64_t state = 0x50a4;
    uint32_t lastNewWorldStep = 0;
    int32_t kills = 0;
    uint32_t seed = 0;
    int32_t worlds = 0;
};

TEST_F(ServerSoak, FourClientsPlayFiveThousandStepsAndTheWorldStaysSound)
{
    const uint32_t steps = 5000;
    uint32_t nextCheck = kSoakCheckEvery;
    seed = gWorld->GetLayoutSeed();
    while (host->GetStepCount() < steps) {
        for (SoakClient& soaker : soakers) {
            Read(soaker);
            if (Draw(4) != 0)
                Act(soaker, host->GetStepCount());
        }
        Fight();
        Frame(static_cast<uint32_t>(40 + Draw(80)));
        if (host->GetStepCount() >= nextCheck) {
            Check(host->GetStepCount());
            if (HasFailure())
                return;
            nextCheck += kSoakCheckEvery;
        }
    }
    EXPECT_EQ(host->GetClients().size(), static_cast<size_t>(kSoakClients)) << "every client is back in the world";
    EXPECT_GE(worlds, 3) << "the first client asked for new worlds";
    EXPECT_GT(kills, 100);
    EXPECT_GT(CountLinesHolding(debug, "Unknown server command - noSuchRequest"), 0);
}

} // namespace
