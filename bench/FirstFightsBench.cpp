// FirstFightsBench -- a new hero of each playable class, as the shipped game makes it, sent into the levels beside the town to fight their monsters as a player clicking on them would: its wins and deaths, and the minutes of game time it takes to reach level 2.
#include "BenchShippedGame.h"
#include "SwappableApplication.h"

#include "app/Application.h"
#include "client/ClientApp.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "client/SkillListClient.h"
#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/RandomSystem.h"
#include "core/UserVarSystem.h"
#include "entities/Actor.h"
#include "entities/Item.h"
#include "entities/ItemGround.h"
#include "entities/Player.h"
#include "platform/PosixTimerSystem.h"
#include "rules/RulesEnums.h"
#include "rules/quests/QuestDefinition.h"
#include "server/Game.h"
#include "server/quests/GameQuests.h"
#include "server/quests/Quest.h"
#include "server/WorldHost.h"
#include "world/World.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr std::array<const char*, 3> kFirstFightsClasses = {"ClassWarden", "ClassEmberwright", "ClassOutrider"};
// Three new worlds a class, each laid out anew; the smoke run plays the first.
constexpr std::array<uint32_t, 3> kFirstFightsSeeds = {20261209, 77031, 5150};
constexpr uint32_t kFirstFightsFrameMs = 50;
// Twenty minutes of play, a third more than a hero should need for level 2; the smoke run plays two.
constexpr uint64_t kFirstFightsPlayMs = 20 * 60 * 1000;
constexpr uint64_t kFirstFightsSmokeMs = 2 * 60 * 1000;
// A monster the hero cannot reach or finish in this long is left for another.
constexpr uint64_t kFirstFightsGiveUpMs = 60 * 1000;
// The hero breathes between fights as a player would, from below half its health to most of it.
constexpr float kFirstFightsRestBelow = 0.5f;
constexpr float kFirstFightsRestUntil = 0.9f;
constexpr float kFirstFightsQuietDistance = 500.0f;
// A walk is clicked a stride at a time, twice a second.
constexpr float kFirstFightsStride = 160.0f;
constexpr uint64_t kFirstFightsStrideFrames = 10;

struct FirstFightsTally {
    int wins = 0;
    int deaths = 0;
    int monstersMet = 0;
    int lowestMonsterLevel = 100;
    int highestMonsterLevel = 0;
    double minutesToLevel2 = -1.0;
    double minutesPlayed = 0.0;
    // The lowest level a hero ended its play at.
    int levelReached = 100;
    // The fights fought while the hero was still level 1.
    int firstLevelWins = 0;
    int firstLevelDeaths = 0;
    int lootDropped = 0;
    int lootAboveLevel3 = 0;
    double longestRiseSeconds = 0.0;
    // The level of the story's first target, as soon as the world has placed it.
    int storyTargetLevel = 0;
};

// The whole program without a window, on a clock that moves one host step a frame.
class FirstFights {
public:
    explicit FirstFights(const char* className) : folder(BenchShippedGameFolder("emberlode-firstfightsbench"))
    {
        InstallBenchSystems(app, folder, DisplayChoice::kHeadless, &now);
        gApplication = &app;
        started = app.StartUp();
        if (started)
            gUserVarSystem->SetStringByName("PlayerClass", className);
    }

    ~FirstFights()
    {
        app.ShutDown();
        std::error_code error;
        fs::remove_all(folder, error);
    }

    FirstFights(const FirstFights&) = delete;
    FirstFights& operator=(const FirstFights&) = delete;

    bool EnterTheWorld(uint32_t seed)
    {
        if (!started)
            return false;
        gRandomSystem->Seed(seed);
        if (!ExecuteCommandLine("start both"))
            return false;
        for (int i = 0; i < 400 && !Ready(); ++i)
            Frame();
        if (!Ready())
            return false;
        int32_t town = BenchHostPlayer()->position.level;
        for (int32_t direction = 0; direction < 8; ++direction) {
            int32_t next = gWorld->GetNeighbourLevel(town, direction);
            if (next != -1 && std::find(levels.begin(), levels.end(), next) == levels.end())
                levels.push_back(next);
        }
        return !levels.empty();
    }

    // The levels beside the town one after another, each fought clear, until the time is up; the
    // minute the hero reaches level 2 is noted on the way.
    void Play(uint64_t playMs, FirstFightsTally& tally)
    {
        uint64_t start = now;
        for (int32_t level : levels) {
            if (now - start >= playMs)
                break;
            if (!EnterLevel(level))
                continue;
            tally.lowestMonsterLevel = std::min(tally.lowestMonsterLevel, gWorld->GetLevelMonsterLevel(level));
            tally.highestMonsterLevel = std::max(tally.highestMonsterLevel, gWorld->GetLevelMonsterLevel(level));
            tally.monstersMet += CountMonsters(level);
            while (now - start < playMs && Step(level, tally)) {
                if (tally.minutesToLevel2 < 0.0 && Hero().GetStat(CharacterStat::Level) >= 2)
                    tally.minutesToLevel2 = static_cast<double>(now - start) / 60000.0;
            }
        }
        tally.minutesPlayed += static_cast<double>(now - start) / 60000.0;
        tally.levelReached = std::min(tally.levelReached, Hero().GetStat(CharacterStat::Level));
    }

private:
    static Player& Hero() { return *BenchHostPlayer(); }

    static bool Ready()
    {
        return BenchHostPlayer() && gClientApp && gClientApp->GetLocalPlayer() &&
               gClientApp->GetLocalPlayer()->GetBody() != nullptr;
    }

    void Frame()
    {
        now += kFirstFightsFrameMs;
        app.RunFrame();
    }

    bool EnterLevel(int32_t level)
    {
        Hero().Warp(gGame->GetStartPosition(level));
        auto arrived = [level] { return gWorld->IsLevelGenerated(level) && Hero().position.level == level; };
        for (int i = 0; i < 400 && !arrived(); ++i)
            Frame();
        // A few more steps for the level's creatures to reach the client.
        for (int i = 0; i < 10; ++i)
            Frame();
        return arrived();
    }

    static bool IsFoe(const Actor* actor, int32_t level)
    {
        return actor && !actor->IsDead() && !actor->IsPlayer() && actor->position.level == level &&
               gGame->GetRelationship(actor, BenchHostPlayer()) == 0;
    }

    static int CountMonsters(int32_t level)
    {
        int count = 0;
        for (int32_t number = 0; number < GameServices::kMaxEntities; ++number)
            count += IsFoe(dynamic_cast<Actor*>(gGame->GetEntity(number)), level) ? 1 : 0;
        return count;
    }

    Actor* NearestMonster(int32_t level) const
    {
        Actor* best = nullptr;
        for (int32_t number = 0; number < GameServices::kMaxEntities; ++number) {
            auto* actor = dynamic_cast<Actor*>(gGame->GetEntity(number));
            if (!IsFoe(actor, level) || std::find(leftAlone.begin(), leftAlone.end(), number) != leftAlone.end())
                continue;
            if (!best || actor->position.Distance2D(Hero().position) < best->position.Distance2D(Hero().position))
                best = actor;
        }
        return best;
    }

    // One frame of the hunt: the nearest monster struck as a player holding the button on it
    // would, or walked to while it is too far to be seen; false once the level has none left.
    bool Step(int32_t level, FirstFightsTally& tally)
    {
        if (Hero().IsDead()) {
            ++tally.deaths;
            tally.firstLevelDeaths += Hero().GetStat(CharacterStat::Level) == 1 ? 1 : 0;
            Rise(level, tally);
            return true;
        }
        Actor* foe = NearestMonster(level);
        if (!foe)
            return false;
        if (foe->entityNumber != engaged) {
            engaged = foe->entityNumber;
            engagedSince = now;
        } else if (now - engagedSince > kFirstFightsGiveUpMs) {
            leftAlone.push_back(engaged);
            return true;
        }
        PlayerClient* local = gClientApp->GetLocalPlayer();
        EntityClient* shown = gGameClient->GetEntity(foe->entityNumber);
        const auto* held = dynamic_cast<const SkillClient*>(local->GetSkillList().FindSkill(0, 0));
        if (!shown && (now / kFirstFightsFrameMs) % kFirstFightsStrideFrames == 0)
            StrideToward(*local, foe->position);
        else if (shown && !(foe->flags & EntityFlag::Hidden) && held && !held->pending && held->IsReady())
            local->TrySkill(0, shown);
        if (!storyTargetSeen)
            storyTargetSeen = ReadStoryTarget(tally);
        int32_t kills = Hero().statistics.Get(PlayerStatistic::Kills);
        bool firstLevel = Hero().GetStat(CharacterStat::Level) == 1;
        Frame();
        if (Hero().statistics.Get(PlayerStatistic::Kills) > kills) {
            tally.wins += Hero().statistics.Get(PlayerStatistic::Kills) - kills;
            tally.firstLevelWins += firstLevel ? Hero().statistics.Get(PlayerStatistic::Kills) - kills : 0;
            CountLoot(level, tally);
            Rest(level);
        }
        return true;
    }

    // The target of the story quest a new character is handed, once it stands in the world.
    static bool ReadStoryTarget(FirstFightsTally& tally)
    {
        for (const auto& quest : gGame->GetQuests().GetList()) {
            if (!quest || !quest->definition || quest->definition->questSolvedBit == -1)
                continue;
            const Entity* target = quest->GetTargetEntity();
            if (!target)
                return false;
            tally.storyTargetLevel = std::max(tally.storyTargetLevel, target->GetStat(CharacterStat::Level));
            return true;
        }
        return false;
    }

    // A click on open ground a stride toward the place, as a player walks: straight on, else
    // turned a little either way round what stands in the way.
    static void StrideToward(PlayerClient& local, const WorldPos& place)
    {
        const WorldPos from = local.GetPosition();
        Vector2 way = from.DeltaTo(place);
        float length = std::sqrt(way.x * way.x + way.y * way.y);
        if (length < 1.0f)
            return;
        float stride = std::min(length, kFirstFightsStride);
        for (float turn : {0.0f, 0.4f, -0.4f, 0.8f, -0.8f, 1.2f, -1.2f, 1.6f, -1.6f}) {
            float c = std::cos(turn);
            float s = std::sin(turn);
            float step = stride / length;
            WorldPos ground = from.Offset(Vector2{(way.x * c - way.y * s) * step, (way.x * s + way.y * c) * step});
            if (gWorld->IsBlockedNear(ground, 20.0f))
                continue;
            local.SetMoveTarget(ground);
            local.SetInteractionMode(false, 0, true);
            return;
        }
    }

    // The death screen's request, the wait the covenant sets, and the way back to the level.
    void Rise(int32_t level, FirstFightsTally& tally)
    {
        uint64_t fell = now;
        Hero().RequestResurrect();
        for (int i = 0; i < 4000 && Hero().IsDead(); ++i)
            Frame();
        tally.longestRiseSeconds = std::max(tally.longestRiseSeconds, static_cast<double>(now - fell) / 1000.0);
        EnterLevel(level);
    }

    // Every item the fights left on the level's ground, counted once, by the level it asks.
    void CountLoot(int32_t level, FirstFightsTally& tally)
    {
        for (int i = 0; i < 10; ++i)
            Frame();
        for (int32_t number = 0; number < GameServices::kMaxEntities; ++number) {
            auto* ground = dynamic_cast<ItemGround*>(gGame->GetEntity(number));
            const Item* item = ground ? ground->GetItem() : nullptr;
            auto seen = [ground](const SafePointer& kept) { return kept.GetAs<ItemGround>() == ground; };
            if (!item || ground->display || ground->position.level != level ||
                std::any_of(lootSeen.begin(), lootSeen.end(), seen))
                continue;
            lootSeen.emplace_back().Set(ground);
            ++tally.lootDropped;
            tally.lootAboveLevel3 += item->GetRequiredLevel() > 3 ? 1 : 0;
        }
    }

    // Only with no monster near: one that comes on is fought.
    void Rest(int32_t level)
    {
        Player& hero = Hero();
        Actor* near = NearestMonster(level);
        auto share = [&hero] { return static_cast<float>(hero.health) / static_cast<float>(hero.maxHealth); };
        if (hero.IsDead() || share() >= kFirstFightsRestBelow ||
            (near && near->position.Distance2D(hero.position) < kFirstFightsQuietDistance))
            return;
        gClientApp->GetLocalPlayer()->StopMoving();
        for (int i = 0; i < 2400 && share() < kFirstFightsRestUntil && !hero.IsDead(); ++i)
            Frame();
    }

    std::string folder;
    SwappableApplication app;
    bool started = false;
    uint64_t now = 0;
    std::vector<int32_t> levels;
    std::vector<int32_t> leftAlone;
    int32_t engaged = -1;
    bool storyTargetSeen = false;
    uint64_t engagedSince = 0;
    // Held safely: a new item may take the place of one picked up or gone.
    std::vector<SafePointer> lootSeen;
};

void FirstFightsOfAClass(benchmark::State& state)
{
    const char* className = kFirstFightsClasses[static_cast<size_t>(state.range(0))];
    state.SetLabel(className);
    FirstFightsTally tally;
    bool smoke = std::getenv("EMBERLODE_BENCH_SMOKE") != nullptr;
    double minutesToLevel2 = 0.0;
    int worldsAtLevel2 = 0;
    for (auto _ : state) {
        for (size_t world = 0; world < (smoke ? 1 : kFirstFightsSeeds.size()); ++world) {
            FirstFights game(className);
            if (!game.EnterTheWorld(kFirstFightsSeeds[world])) {
                state.SkipWithError("the shipped game did not start or its town has no neighbour");
                return;
            }
            tally.minutesToLevel2 = -1.0;
            game.Play(smoke ? kFirstFightsSmokeMs : kFirstFightsPlayMs, tally);
            if (tally.minutesToLevel2 >= 0.0) {
                minutesToLevel2 = std::max(minutesToLevel2, tally.minutesToLevel2);
                ++worldsAtLevel2;
            }
        }
    }
    int fights = tally.wins + tally.deaths;
    state.counters["wins"] = tally.wins;
    state.counters["deaths"] = tally.deaths;
    state.counters["win_rate"] = fights > 0 ? static_cast<double>(tally.wins) / fights : 0.0;
    // The slowest world's minutes; the worlds where level 2 never came are counted apart.
    state.counters["minutes_to_level2"] = minutesToLevel2;
    state.counters["worlds_at_level2"] = worldsAtLevel2;
    state.counters["minutes_played"] = tally.minutesPlayed;
    state.counters["level_reached"] = tally.levelReached;
    state.counters["level1_wins"] = tally.firstLevelWins;
    state.counters["level1_deaths"] = tally.firstLevelDeaths;
    state.counters["monsters_met"] = tally.monstersMet;
    state.counters["lowest_monster_level"] = tally.lowestMonsterLevel;
    state.counters["highest_monster_level"] = tally.highestMonsterLevel;
    state.counters["loot_dropped"] = tally.lootDropped;
    state.counters["loot_above_level3"] = tally.lootAboveLevel3;
    state.counters["longest_rise_s"] = tally.longestRiseSeconds;
    state.counters["story_target_level"] = tally.storyTargetLevel;
}

} // namespace

BENCHMARK(FirstFightsOfAClass)
    ->DenseRange(0, static_cast<int64_t>(kFirstFightsClasses.size()) - 1)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);
