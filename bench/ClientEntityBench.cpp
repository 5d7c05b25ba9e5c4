// ClientEntityBench -- one client frame of how 1,500 entities look (1,000 hurt creatures with two damage texts each, 300 items on the ground, 199 chests and the player): their update, their draw and overlays into counting sinks, the click and map queries of each and one hover text; time and allocations a frame after warm-up.
#include "BenchAllocations.h"
#include "BenchHostWorld.h"
#include "client/EntityClient.h"
#include "client/EntityOverlays.h"
#include "client/EntityScene.h"
#include "core/MessageBuffer.h"
#include "entities/Actor.h"
#include "entities/Chest.h"
#include "entities/ItemGround.h"
#include "entities/Player.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

namespace {

constexpr float kClientEntityBenchLevelSize = 4096.0f;
constexpr int32_t kClientEntityBenchCreatures = 1000;
constexpr int32_t kClientEntityBenchItems = 300;
// With the player, 1,500: the whole entity table.
constexpr int32_t kClientEntityBenchChests = 199;
constexpr const char* kClientEntityBenchMonsters[] = {"MonsterGoblinScout", "MonsterGoblinRaider", "MonsterSkeleton"};
constexpr const char* kClientEntityBenchItemNames[] = {"EmberKnife", "PaddedCap", "HideBoots"};

// Counts what the entities submit, as the frame's world view would take it.
class CountingEntityScene : public EntityScene {
public:
    void AddModel(const ModelSurfacesDesc&) override { ++submissions; }
    void AddSprite(const SpriteDesc&) override { ++submissions; }
    void AddShadow(const WorldPos3&, float) override { ++submissions; }
    void AddProjectedShadow(const ModelSurfacesDesc&, const WorldPos3&) override { ++submissions; }
    void AddIcon(const WorldPos3&, float, float, int32_t) override { ++submissions; }
    void AddGroundMark(const WorldPos3&, float, const Color&, int32_t) override { ++submissions; }
    void AddTagAxes(const WorldPos3&, const Matrix3&) override { ++submissions; }
    int32_t GetOutlineTexture(int32_t) const override { return 1; }
    int32_t GetGlowTexture(int32_t) const override { return 1; }
    int32_t GetShadowMode() const override { return 1; }

    int64_t submissions = 0;
};

// Counts the overlays' rectangles and texts; an entity's top is its ground place.
class CountingOverlayCanvas : public OverlayCanvas {
public:
    Vector2 GetEntityTop(const EntityClient& entity) const override { return {entity.position.x, entity.position.y}; }
    float GetScale() const override { return 1.0f; }
    float MeasureTextHeight(const std::string&) const override { return 10.0f; }
    void FillRect(float, float, float, float, int32_t, float) override { ++drawn; }
    void DrawText(const std::string&, float, float, int32_t, float) override { ++drawn; }

    int64_t drawn = 0;
};

// The player in the middle of a level, the entities of shipped records around it, mirrored by
// the game client from the host's own update.
class ClientEntityBenchWorld : public BenchHostWorld {
public:
    ClientEntityBenchWorld() : BenchHostWorld("emberlode-cliententitybench", 4712, kClientEntityBenchLevelSize)
    {
        player = Place(new Player(), At(0.0f, 0.0f));
        client.player.Set(player);
        client.currentLevel = 1;
        for (int32_t i = 0; i < kClientEntityBenchCreatures; ++i)
            Place(Creature(i), At(Spread(), Spread()));
        for (int32_t i = 0; i < kClientEntityBenchItems; ++i)
            Place(Shipped(new ItemGround(), kClientEntityBenchItemNames[i % 3]), At(Spread(), Spread()));
        for (int32_t i = 0; i < kClientEntityBenchChests; ++i)
            Place(Shipped(new Chest(), "Chest"), At(Spread(), Spread()));
    }

    // The host's update read by the client; false when refused.
    bool Mirror()
    {
        MessageBuffer buffer;
        size_t start = WriteUpdate(buffer);
        buffer.SetReadPos(start);
        if (!gameClient->ReadGameUpdate(buffer, nullptr))
            return false;
        for (int32_t i = 0; i < GameClient::kMaxEntities; ++i) {
            EntityClient* entity = gameClient->GetEntity(i);
            if (!entity)
                continue;
            entities.push_back(entity);
            if (entity->IsMonster() && !hovered)
                hovered = entity;
            if (entity->IsMonster())
                for (const char* text : {"12", "^c3+35$$xp$$"})
                    entity->damageTexts.emplace_back(gameClient->clock, text);
        }
        return true;
    }

    Player* player = nullptr;
    std::vector<EntityClient*> entities;
    // The creature under the cursor: its outline is drawn and its text asked for.
    EntityClient* hovered = nullptr;

private:
    static WorldPos At(float dx, float dy) { return {1, 2048.0f + dx, 2048.0f + dy, true}; }
    float Spread() { return (random.RandomFloat(RandomStream::GameData) - 0.5f) * 1000.0f; }

    Entity* Creature(int32_t i)
    {
        auto* actor = new Actor();
        actor->SetUpFromMonsterType(gameData.FindMonsterType(kClientEntityBenchMonsters[i % 3]), 10, false);
        actor->health = actor->maxHealth / 2;
        return actor;
    }

    Entity* Shipped(Entity* entity, const char* record)
    {
        entity->SetEntry(database.FindEntryByName(record));
        return entity;
    }
};

// Everything one frame asks of every entity: the frame's facts once, then each entity's
// update, draw, overlays, click and map answers, and the text under the cursor for one.
// The hover text's own allocations are added to hoverAllocations: the one string is built again
// in place each frame.
int64_t ClientEntityBenchFrame(ClientEntityBenchWorld& bench, EntityOverlays& overlays, CountingEntityScene& scene,
                               CountingOverlayCanvas& canvas, std::string& hover, int64_t& hoverAllocations)
{
    EntityDrawFrame drawFrame;
    drawFrame.playerNumber = bench.player->entityNumber;
    drawFrame.hovered = bench.hovered;
    OverlayFrame overlayFrame = overlays.GatherFrame();
    int64_t answers = 0;
    for (EntityClient* entity : bench.entities) {
        entity->Update(1.0f / 60.0f);
        entity->Draw(scene, drawFrame);
        EntityOverlays::Draw(*entity, overlayFrame, canvas);
        answers += entity->GetClickAction(true, false) + entity->GetMapColorIndex() + entity->IsShownOnMap(false);
    }
    int64_t before = BenchAllocations::Count();
    bench.hovered->BuildHoverText(hover, false, true, false);
    hoverAllocations += BenchAllocations::Count() - before;
    return answers;
}

void BM_ClientEntityFrame(benchmark::State& state)
{
    ClientEntityBenchWorld bench;
    if (!bench.Mirror() || bench.entities.size() < 1500 || !bench.hovered) {
        state.SkipWithError("the client did not mirror 1,500 entities");
        return;
    }
    EntityOverlays overlays;
    overlays.RegisterVars();
    CountingEntityScene scene;
    CountingOverlayCanvas canvas;
    std::string hover;
    int64_t hoverAllocations = 0;
    for (int i = 0; i < 3; ++i)
        ClientEntityBenchFrame(bench, overlays, scene, canvas, hover, hoverAllocations);
    scene.submissions = 0;
    canvas.drawn = 0;
    hoverAllocations = 0;
    BenchAllocations::Reset();
    BenchAllocations::SetCounting(true);
    for (auto _ : state)
        benchmark::DoNotOptimize(ClientEntityBenchFrame(bench, overlays, scene, canvas, hover, hoverAllocations));
    BenchAllocations::SetCounting(false);
    state.counters["entities"] = static_cast<double>(bench.entities.size());
    state.counters["hoverChars"] = static_cast<double>(hover.size());
    state.counters["submissions/frame"] =
        benchmark::Counter(static_cast<double>(scene.submissions), benchmark::Counter::kAvgIterations);
    state.counters["overlays/frame"] =
        benchmark::Counter(static_cast<double>(canvas.drawn), benchmark::Counter::kAvgIterations);
    state.counters["allocs/frame"] = benchmark::Counter(static_cast<double>(BenchAllocations::Count() - hoverAllocations),
                                                        benchmark::Counter::kAvgIterations);
    state.counters["hoverAllocs/frame"] =
        benchmark::Counter(static_cast<double>(hoverAllocations), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ClientEntityFrame)->Unit(benchmark::kMicrosecond);

} // namespace
