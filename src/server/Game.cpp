// Game -- the world host's one game: the entity table and players, per-level records, timed actions, covenants and the fixed-step update.
#include "server/Game.h"

#include "core/Database.h"
#include "core/DebugSystem.h"
#include "core/EnumTable.h"
#include "core/Event.h"
#include "core/EventSystem.h"
#include "core/MessageBuffer.h"
#include "core/RandomSystem.h"
#include "core/TypeRegistry.h"
#include "core/UserVarSystem.h"
#include "covenants/ActorCovenant.h"
#include "covenants/Covenant.h"
#include "covenants/PlayerCovenant.h"
#include "covenants/FactionSystem.h"
#include "entities/Actor.h"
#include "entities/Entity.h"
#include "entities/Item.h"
#include "entities/Sentient.h"
#include "entities/SoulStone.h"
#include "entities/Trap.h"
#include "rules/GameData.h"
#include "rules/covenants/CovenantDefinition.h"
#include "rules/quests/QuestBase.h"
#include "server/ServerCommands.h"
#include "server/StatSystem.h"
#include "server/Weather.h"
#include "server/WorldHost.h"
#include "server/quests/GameQuests.h"
#include "server/quests/Quest.h"
#include "server/spawn/SpawnSystem.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>

Game* gGame = nullptr;

namespace {

constexpr const char* kGameProjectileTypeNames[] = {"Normal", "Ring", "Beam", "Lob", "Straight", "StraightLob"};
// Event records and timed actions made before play: 400 monsters fighting four players keep 82
// records in use at the worst step, so a crowded fight takes every swing, hit, shown effect's
// end and effect tick from the pools.
constexpr size_t kGameReservedEvents = 256;
// The share of a respawn delay its timer may vary by, either way.
constexpr float kGameRespawnVariation = 0.05f;

const GameSystemTuning& GameTuning()
{
    static const GameSystemTuning kDefaults;
    return gGameData ? gGameData->GetTuning() : kDefaults;
}

// a - b as a normalised stamp.
TimeStamp GameStampAge(const TimeStamp& now, const TimeStamp& then)
{
    TimeStamp age = TimeStamp::Difference(then, now);
    age.Normalize();
    return age;
}

} // namespace

// ---- Creation and shut-down ------------------------------------------------------------------

void Game::Create()
{
    if (gTypeRegistry) {
        // "Listener" is the registry's root; each class after it names its base.
        if (gEventSystem)
            Entity::RegisterEventClass(*gEventSystem, *gTypeRegistry);
        gTypeRegistry->RegisterType("Sentient", "Entity", nullptr, nullptr);
        gTypeRegistry->RegisterType("Actor", "Sentient", nullptr, nullptr);
        gTypeRegistry->RegisterType("Player", "Sentient", nullptr, nullptr);
        // A trap is a listener of its own, not an entity: it must never fall back to an
        // entity's handlers.
        if (gEventSystem)
            Trap::RegisterEventClass(*gEventSystem, *gTypeRegistry);
    }
    if (!gGame)
        gGame = new Game();
    gGameServices = gGame;
    // With covenants in use every new world has its computer-run rivals.
    if (gGameData && gGameData->GetTuning().usingCovenants)
        gGame->SetCovenantMaker([] { return std::make_unique<ActorCovenant>(); });
    StatSystem::Create();
    // The clients' requests: the only lines a client may run besides "newWorld".
    if (gWorldHost)
        ServerCommands::Register(gWorldHost->GetClientCommands());
}

void Game::Shutdown()
{
    StatSystem::Destroy();
    if (!gGame)
        return;
    // The entities go while the services still stand: a parent deleting its attachments takes
    // them out of the table through the services, so none is left there to be deleted twice.
    gGame->Reset();
    if (gGameServices == gGame)
        gGameServices = nullptr;
    delete gGame;
    gGame = nullptr;
}

Game::Game() : slots(static_cast<size_t>(kMaxEntities)), gridPlaces(static_cast<size_t>(kMaxEntities))
{
    if (gUserVarSystem)
        aiNumActive = gUserVarSystem->RegisterVar("ai_numActive", "0");
    if (gWorld) {
        gWorld->AddLevelCallback(WorldSide::Server, LevelEvent::Generated, &Game::LevelLoadedCallback);
        gWorld->AddLevelCallback(WorldSide::Server, LevelEvent::Released, &Game::LevelUnloadedCallback);
    }
    EnumTable::RegisterNames({"ProjectileType", 0, kGameProjectileTypeNames});
    if (gEventSystem)
        gEventSystem->Reserve(kGameReservedEvents);
    timedActions.Reserve(kGameReservedEvents);
    // The lines and sounds of a busy step (a fight's hits and misses) made ready before the
    // first: the steps of the game then queue them without going to the heap.
    PrepareClientLines(kPreparedClientLines);
    clientLines.reserve(kPreparedClientLines);
    sounds.reserve(kPreparedClientLines);
    BuildBehaviorStacks(behaviorStacks);
    LoadTuning();
    quests = std::make_unique<GameQuests>(*this);
    weather = std::make_unique<Weather>(gDatabase ? gDatabase->FindEntryByName("Weather") : nullptr);
    Reset();
    gCovenantHost = this;
    factionSystem = std::make_unique<FactionSystem>();
    gFactionSystem = factionSystem.get();
    AddRuleSystem(factionSystem.get());
}

Game::~Game()
{
    Reset();
    if (gCovenantHost == this)
        gCovenantHost = nullptr;
    if (gFactionSystem == factionSystem.get())
        gFactionSystem = nullptr;
}

void Game::Reset()
{
    unlocks.clear();
    stepLength = 0.0f;
    leftStartLevel = gameOver = winAwaitsConfirm = winConfirmed = worldRunning = false;
    alliedVictoryPending = alliedVictoryRefused = false;
    tradeOffer = TradeOffer{};
    currentLevel = -1;
    elapsed = {};
    covenantCount = 0;
    sounds.clear();
    loadedLevels.clear();
    timedActions.Clear();
    DeleteAllEntities();
    // The destructors may have scheduled actions of their own.
    timedActions.Clear();
    levels.clear();
    players.clear();
    covenants.clear();
    timeOfDay = 12.0;
    quests->Reset();
    namedActors.clear();
    for (RandomTimer& timer : timers)
        timer = RandomTimer{};
    newWorld = false;
    lastSecretLevel = -1;
    keptPlayerCovenant.reset();
    factorA = factorB = 1.0f;
    clientLines.clear();
    ClearPlayerLines();
    weather->Reset();
    // ---- Spawning: a new world makes its own town NPCs.
    townNpcs.clear();
    townNpcTypeNames.clear();
}

void Game::DeleteAllEntities()
{
    // A parent deletes its attachments, which leave their slots as they go: each entity is
    // deleted once, by whoever owns it.
    for (Slot& slot : slots) {
        Entity* entity = slot.entity;
        if (!entity)
            continue;
        RemoveEntity(entity);
        delete entity;
    }
    for (Slot& slot : slots)
        slot = Slot{};
    for (GridPlace& place : gridPlaces)
        place = GridPlace{};
}

// ---- The entity table ---------------------------------------------------------------------------

Entity* Game::GetEntity(int32_t number) const
{
    return static_cast<uint32_t>(number) < static_cast<uint32_t>(kMaxEntities) ? slots[static_cast<size_t>(number)].entity
                                                                                : nullptr;
}

int32_t Game::ChooseSlot() const
{
    const TimeStamp oneSecond{0, 0, 0, kSlotReuseSeconds};
    int32_t remembered = -1;
    TimeStamp rememberedAge;
    for (int32_t i = 0; i < kMaxEntities; ++i) {
        const Slot& slot = slots[static_cast<size_t>(i)];
        if (slot.entity)
            continue;
        TimeStamp age = GameStampAge(elapsed, slot.freedAt);
        if (oneSecond <= age)
            return i;
        if (remembered == -1 || TimeLess(rememberedAge, age)) {
            remembered = i;
            rememberedAge = age;
        }
    }
    return remembered;
}

int32_t Game::AddEntity(Entity* entity)
{
    if (!entity)
        return -1;
    int32_t chosen = ChooseSlot();
    if (chosen == -1) {
        DebugSystem::Print(0, "Couldn't add entity, too many entities\n");
        return -1;
    }
    slots[static_cast<size_t>(chosen)].entity = entity;
    auto* player = entity->IsPlayer() ? dynamic_cast<Sentient*>(entity) : nullptr;
    if (player)
        AddPlayer(player);
    entity->entityNumber = chosen;
    entity->OnAddedToGame();
    if (entity->entityNumber != chosen) {
        // It refused to stay: nothing of it may be left behind for the caller's delete.
        slots[static_cast<size_t>(chosen)].entity = nullptr;
        RemovePlayer(player);
        entity->entityNumber = -1;
        return -1;
    }
    AddToGrid(entity);
    return chosen;
}

void Game::AddPlayer(Sentient* player)
{
    auto empty = std::find(players.begin(), players.end(), nullptr);
    if (empty != players.end())
        *empty = player;
    else
        players.push_back(player);
}

void Game::RemovePlayer(const Sentient* player)
{
    if (player)
        std::replace(players.begin(), players.end(), const_cast<Sentient*>(player), static_cast<Sentient*>(nullptr));
}

void Game::MoveToFirstFreePlace(Sentient* player)
{
    if (!player || std::find(players.begin(), players.end(), player) == players.end())
        return;
    // Its own entry empties first, so the first empty one is never after it.
    RemovePlayer(player);
    AddPlayer(player);
}

void Game::RemoveEntity(Entity* entity)
{
    if (!entity)
        return;
    if (entity->IsPlayer())
        RemovePlayer(dynamic_cast<Sentient*>(entity));
    int32_t number = entity->entityNumber;
    if (GetEntity(number) == entity) {
        slots[static_cast<size_t>(number)].entity = nullptr;
        slots[static_cast<size_t>(number)].freedAt = elapsed;
        GridRemove(number);
    }
    timedActions.CancelFor(entity);
}

int32_t Game::CountEntities() const
{
    return static_cast<int32_t>(std::count_if(slots.begin(), slots.end(), [](const Slot& slot) { return slot.entity; }));
}

// ---- Level records ----------------------------------------------------------------------------------

void Game::ResetLevels()
{
    levels.clear();
    int32_t count = gWorld ? gWorld->GetLevelCount() : 0;
    float width = gWorld && gWorld->GetLevelWidth() > 0.0f ? gWorld->GetLevelWidth() : GameTuning().levelWidth;
    float height = gWorld && gWorld->GetLevelHeight() > 0.0f ? gWorld->GetLevelHeight() : GameTuning().levelHeight;
    levels.resize(static_cast<size_t>(count));
    for (int32_t level = 0; level < count; ++level) {
        GameLevelRecord& record = levels[static_cast<size_t>(level)];
        record.level = level;
        record.grid = std::make_unique<SpatialTree>(0.0f, 0.0f, width, height);
    }
    // Entities standing on the levels now have a grid to be found in.
    for (int32_t i = 0; i < kMaxEntities; ++i) {
        gridPlaces[static_cast<size_t>(i)] = GridPlace{};
        AddToGrid(slots[static_cast<size_t>(i)].entity);
    }
}

GameLevelRecord* Game::FindLevel(int32_t level)
{
    return static_cast<uint32_t>(level) < levels.size() ? &levels[static_cast<size_t>(level)] : nullptr;
}

const GameLevelRecord* Game::FindLevel(int32_t level) const
{
    return static_cast<uint32_t>(level) < levels.size() ? &levels[static_cast<size_t>(level)] : nullptr;
}

size_t Game::ExploredCellCount()
{
    const GameSystemTuning& tuning = GameTuning();
    return static_cast<size_t>(std::max(0, tuning.cellsPerLevelX)) * static_cast<size_t>(std::max(0, tuning.cellsPerLevelY));
}

bool Game::IsCellExplored(int32_t level, int32_t cell)
{
    GameLevelRecord* record = FindLevel(level);
    if (!record)
        return false;
    if (!record->exploredSized) {
        record->explored.assign(ExploredCellCount(), false);
        record->exploredSized = true;
    }
    return static_cast<uint32_t>(cell) < record->explored.size() && record->explored[static_cast<size_t>(cell)];
}

void Game::SetCellExplored(int32_t level, int32_t cell)
{
    GameLevelRecord* record = FindLevel(level);
    if (!record)
        return;
    if (!IsCellExplored(level, cell) && static_cast<uint32_t>(cell) < record->explored.size()) {
        record->explored[static_cast<size_t>(cell)] = true;
        ++record->exploredCount;
    }
    record->lastVisit = elapsed;
}

int32_t Game::GetExploredCount(int32_t level) const
{
    const GameLevelRecord* record = FindLevel(level);
    return record ? record->exploredCount : 0;
}

const TimeStamp* Game::GetLastVisit(int32_t level) const
{
    const GameLevelRecord* record = FindLevel(level);
    return record ? &record->lastVisit : nullptr;
}

void Game::QueueRespawn(int32_t level, float delay, const WorldPos& position)
{
    GameLevelRecord* record = FindLevel(level);
    if (!record || !std::isfinite(delay))
        return;
    float remaining = gRandomSystem ? gRandomSystem->RandomSigned(delay, kGameRespawnVariation) : delay;
    record->respawns.push_back({position, remaining});
}

void Game::ClearLevel(int32_t level)
{
    GameLevelRecord* record = FindLevel(level);
    if (!record)
        return;
    std::fill(record->explored.begin(), record->explored.end(), false);
    record->exploredCount = 0;
    record->respawns.clear();
    std::vector<int32_t> numbers;
    CollectLevelEntities(level, numbers);
    for (int32_t number : numbers) {
        Entity* entity = GetEntity(number);
        if (entity && entity->IsFree() && !entity->IsPlayer() && entity->covenantIndex < 0)
            entity->ScheduleDelete(0.0f);
    }
}

const std::vector<RespawnEntry>* Game::GetRespawnQueue(int32_t level) const
{
    const GameLevelRecord* record = FindLevel(level);
    return record ? &record->respawns : nullptr;
}

bool Game::ReadLevelExplored(int32_t level, MessageBuffer& buffer)
{
    GameLevelRecord* record = FindLevel(level);
    if (!record)
        return false;
    record->explored.assign(ExploredCellCount(), false);
    record->exploredSized = true;
    record->exploredCount = 0;
    std::vector<bool> bits;
    if (!buffer.ReadBoolVector(bits))
        return false;
    int32_t count = buffer.ReadInt();
    // Mended: a vector of another size was taken as the grid, so a cell index could miss it.
    if (buffer.Overrun() || bits.size() != record->explored.size())
        return false;
    auto set = static_cast<int32_t>(std::count(bits.begin(), bits.end(), true));
    if (count != set)
        DebugSystem::Print(kPrintWarning, "Level %d's explored count %d differs from its %d explored cells; the cells hold\n",
                           level, count, set);
    record->explored = std::move(bits);
    record->exploredCount = set;
    return true;
}

bool Game::IsLevelLoaded(int32_t level) const
{
    return std::find(loadedLevels.begin(), loadedLevels.end(), level) != loadedLevels.end();
}

void Game::LevelLoadedCallback(int32_t level)
{
    if (gGame)
        gGame->OnLevelLoaded(level);
}

void Game::LevelUnloadedCallback(int32_t level)
{
    if (gGame)
        gGame->OnLevelUnloaded(level);
}

void Game::OnLevelLoaded(int32_t level)
{
    loadedLevels.push_back(level);
    RelocateBlockedEntities(level);
    std::vector<std::unique_ptr<Quest>>& list = GetWorldQuests();
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i] && list[i]->targetLevel == -1)
            list[i]->AssignTargetLevels();
        if (list[i])
            list[i]->OnLevelLoaded();
    }
    // ---- Spawning: a level is filled once per world, when it is first generated.
    if (gSpawnSystem)
        gSpawnSystem->GetLevelFiller().PopulateLevel(level);
    SpawnBlockChest(level);
}

void Game::OnLevelUnloaded(int32_t level)
{
    auto found = std::find(loadedLevels.begin(), loadedLevels.end(), level);
    if (found != loadedLevels.end())
        loadedLevels.erase(found);
}

int32_t Game::GetCurrentDifficultyValue() const
{
    return gWorld ? gWorld->GetDifficulty() : 0;
}

// ---- A new world ---------------------------------------------------------------------------------

int32_t Game::ChooseCovenantCount(int32_t requested) const
{
    const GameSystemTuning& tuning = GameTuning();
    if (requested >= tuning.minAiCovenants && requested <= tuning.maxAiCovenants)
        return requested;
    if (!gRandomSystem)
        return tuning.minAiCovenants;
    return gRandomSystem->RandomIndex(RandomStream::GameData, tuning.minAiCovenants, tuning.maxAiCovenants);
}

void Game::MakeCovenants(int32_t count, int32_t startingLevel, int32_t difficultyLevel, int32_t worldDifficulty)
{
    if (count <= 0 || !gGameData || !covenantMaker)
        return;
    // The last definition is the player's own and never runs a rival.
    std::vector<int32_t> candidates;
    for (int32_t i = 0; i + 1 < gGameData->GetCovenantDefinitionCount(); ++i) {
        const CovenantDefinition* definition = gGameData->GetCovenantDefinition(i);
        if (definition && definition->minWorldDifficulty <= worldDifficulty)
            candidates.push_back(i);
    }
    std::vector<int32_t> picks;
    if (gRandomSystem)
        gRandomSystem->PickDistinctIndices(static_cast<int32_t>(candidates.size()), count, picks);
    else
        for (int32_t i = 0; i < std::min<int32_t>(count, static_cast<int32_t>(candidates.size())); ++i)
            picks.push_back(i);
    std::vector<Covenant*> made;
    for (int32_t pick : picks) {
        std::unique_ptr<Covenant> covenant = covenantMaker();
        if (!covenant || GetCovenantCount() >= kMaxCovenants)
            break;
        Covenant* raw = covenant.get();
        AddCovenant(std::move(covenant));
        raw->SetDefinitionIndex(candidates[static_cast<size_t>(pick)]);
        raw->Start(startingLevel, difficultyLevel);
        raw->RecalculateMemberStats(nullptr);
        made.push_back(raw);
    }
    // Fewer candidates than asked for: the count says how many there are.
    covenantCount = static_cast<int32_t>(made.size());
    for (Covenant* covenant : made)
        covenant->SetUpFirstWorld();
}

void Game::MakeRivals(int32_t startingLevel, int32_t difficultyLevel, int32_t worldDifficulty, int32_t numAiCovenants)
{
    covenantCount = ChooseCovenantCount(numAiCovenants);
    // Each world hands out every home position afresh.
    freeCovenantPositions = static_cast<int32_t>(covenantPositions.size());
    MakeCovenants(covenantCount, startingLevel, difficultyLevel, worldDifficulty);
}

void Game::NewWorld(int32_t startingLevel, int32_t difficultyLevel, int32_t worldDifficulty, int32_t numAiCovenants)
{
    if (worldRunning)
        return;
    if (gWorld) {
        std::string adventure = gWorld->GetAdventureName();
        gWorld->SetLayoutSeed(0);
        gWorld->ReadFromDatabase(adventure, worldDifficulty);
        DrawSecretSeed();
        gWorld->CreateStartAnchor();
    }
    ResetLevels();
    factionSystem->ResetFactions();
    MakeRivals(startingLevel, difficultyLevel, worldDifficulty, numAiCovenants);
    CreateWorldGates();
    newWorld = true;
    quests->initialQuestsPending = true;
    difficulty = difficultyLevel;
    currentLevel = 0;
    worldRunning = true;
}

void Game::DrawSecretSeed()
{
    uint32_t subSeed = DrawRandomStep(RandomStream::GameData);
    if (subSeed != gWorld->GetSecretSeed()) {
        gWorld->SetSecretSeed(subSeed);
        gWorld->CreateSecretLevels();
    }
}

void Game::StartNewWorld(int32_t startingLevel, int32_t difficultyLevel, int32_t worldDifficulty,
                         int32_t numAiCovenants)
{
    auto first = std::find_if(players.begin(), players.end(), [](const Sentient* player) { return player; });
    Sentient* kept = first != players.end() ? *first : nullptr;
    std::unique_ptr<Covenant> keptCovenant;
    if (kept) {
        // Out of the table and the list before the reset deletes whatever is left in them.
        RemoveEntity(kept);
        auto owned = std::find_if(covenants.begin(), covenants.end(), [kept](const std::unique_ptr<Covenant>& c) {
            return c && static_cast<const EntityCovenant*>(c.get()) == kept->GetCovenant();
        });
        if (owned != covenants.end())
            keptCovenant = std::move(*owned);
        // The recruits' creatures go with the old world: their records keep what they were.
        if (auto* own = dynamic_cast<PlayerCovenant*>(keptCovenant.get()))
            own->CaptureRecruits();
    }
    Reset();
    NewWorld(startingLevel, difficultyLevel, worldDifficulty, numAiCovenants);
    CreateTownNpcs();
    worldRunning = true;
    if (!kept)
        return;
    if (keptCovenant) {
        Covenant* covenant = keptCovenant.get();
        AddCovenant(std::move(keptCovenant));
        kept->covenantIndex = covenant->index;
        if (auto* own = dynamic_cast<PlayerCovenant*>(covenant))
            own->ResetForNewWorld();
    }
    // The table was emptied: a slot is always free.
    AddEntity(kept);
    // Its old place may lie on a level the new world does not have: it goes to the start,
    // and its client hears of it as of any warp.
    kept->Warp(GetStartPosition(currentLevel));
}

WorldPos Game::GetStartPosition(int32_t level) const
{
    WorldPos where;
    where.level = level;
    // The world definition's start, as the game data holds it, answers for the level it names.
    GameData::StartPosition definition;
    if (gGameData)
        gGameData->GetStartPosition(definition);
    Vector2 start;
    if (definition.valid && definition.level == level) {
        where.x = definition.x;
        where.y = definition.y;
    } else if (gWorld && gWorld->GetLevelStartPosition(level, "", start)) {
        where.x = start.x;
        where.y = start.y;
    }
    return where;
}

// ---- Covenants ------------------------------------------------------------------------------------

void Game::AddCovenant(std::unique_ptr<Covenant> covenant)
{
    if (!covenant)
        return;
    covenant->index = GetCovenantCount();
    auto* player = dynamic_cast<PlayerCovenant*>(covenant.get());
    if (player && keptPlayerCovenant && keptPlayerCovenant->index == player->index) {
        player->TakeKept(*keptPlayerCovenant);
        keptPlayerCovenant.reset();
    }
    covenants.push_back(std::move(covenant));
}

Covenant* Game::GetCovenant(int32_t index) const
{
    return static_cast<uint32_t>(index) < covenants.size() ? covenants[static_cast<size_t>(index)].get() : nullptr;
}

int32_t Game::GetRelationship(const Entity* a, const Entity* b) const
{
    return factionSystem->GetRelationship(a, b);
}

// Treasure maps come with the quests. Deaths: the victim is still in its slot, so everyone told
// can still find it by its number.
void Game::OnKillCredit(Sentient&, Entity&) {}
void Game::OnEntityDied(Entity& victim, Entity* killer)
{
    NotifyRuleSystemsOfKill(killer, &victim, 0);
    // Only characters are news; the wilds' own creatures die unremarked.
    const auto* actor = dynamic_cast<const Actor*>(&victim);
    if (actor && (actor->npc || actor->hero || actor->covenantIndex >= 0))
        AnnounceDeath(&victim, killer, false);
    OnEntityKilled(victim, killer);
    QueueMonsterRespawn(victim);
}

void Game::QueueMonsterRespawn(const Entity& victim)
{
    const auto* actor = dynamic_cast<const Actor*>(&victim);
    // Only the level's own wild creatures come back: not a covenant's, a summoned one, a town
    // NPC or a quest's figure (no ordinary creature), or a guard; and only where it was first placed.
    if (!actor || actor->covenantIndex >= 0 || actor->summoned || !actor->TraitL() || actor->guard)
        return;
    // The home is where it was first placed (level -1 for one never placed).
    if (!IsKnownLevel(actor->homePosition.level))
        return;
    QueueRespawn(actor->homePosition.level, GameTuning().monsterRespawnTime, actor->homePosition);
}

bool Game::UseMapItem(Item& item, Sentient& user)
{
    return quests->UseTreasureMap(item, user);
}

void Game::GetTradeValues(float& first, float& second) const
{
    first = factorA;
    second = factorB;
}

// ---- Lines, sounds and names for the clients ---------------------------------------------------------

void Game::QueueClientCommand(std::string_view line)
{
    if (requestPlayer != -1) {
        if (requestUsed + line.size() + 1 > requestRoom) {
            QueueClientCommandFor(requestPlayer, line);
            ++requestHeldBack;
            return;
        }
        requestUsed += line.size() + 1;
    }
    // A step that runs out of spares has reached a new peak of lines: a few more are made with
    // it, so that the steps near that peak find spares.
    if (spareLines.empty())
        PrepareClientLines(kClientLineBatch);
    std::string spare = std::move(spareLines.back());
    spareLines.pop_back();
    spare.assign(line);
    clientLines.push_back(std::move(spare));
}

void Game::PrepareClientLines(size_t count)
{
    // Room for the longest usual line (a hit's damage, a message), so that a line kept and
    // given a longer text later seldom grows.
    constexpr size_t kClientLineRoom = 64;
    for (size_t i = 0; i < count; ++i) {
        std::string made;
        made.reserve(kClientLineRoom);
        spareLines.push_back(std::move(made));
    }
}

void Game::ClearClientLines()
{
    for (std::string& line : clientLines)
        spareLines.push_back(std::move(line));
    clientLines.clear();
}

void Game::QueueClientCommandFor(int32_t playerNumber, std::string_view line)
{
    // Mended: what one client's requests told another player (an offer to its covenant) took no
    // room of the budget, and a player's own lines fill its update first, so a flood of offers
    // pushed the other's kills and damage out. Only one offer of a pair waits at a time anyway.
    if (playerNumber != requestPlayer && !TakeRequestRoom(line.size() + 1))
        return;
    playerLines.emplace_back(playerNumber, std::string(line));
}

bool Game::QueueClientCommandsFor(int32_t playerNumber, const std::vector<std::string>& lines)
{
    // Mended: an offer longer than the room its client had left (one of 20 items, or about 12
    // with affixed names) was never heard, though nothing flooded. A flood still spends only the
    // budget and one offer, and however many clients offer, an update carries one offer past a
    // budget at most.
    if (requestPlayer != -1 && playerNumber != requestPlayer) {
        size_t bytes = 0;
        for (const std::string& line : lines)
            bytes += line.size() + 1;
        bool first = std::find(wholeLinesMakers.begin(), wholeLinesMakers.end(), requestPlayer) == wholeLinesMakers.end();
        if (first)
            wholeLinesMakers.push_back(requestPlayer);
        bool passes = first && requestUsed + bytes > requestRoom &&
                      std::find(wholeLinesPastRoom.begin(), wholeLinesPastRoom.end(), playerNumber) ==
                          wholeLinesPastRoom.end();
        if (passes) {
            wholeLinesPastRoom.push_back(playerNumber);
            requestUsed += bytes;
        } else if (!TakeRequestRoom(bytes)) {
            return false;
        }
    }
    for (const std::string& line : lines)
        playerLines.emplace_back(playerNumber, line);
    return true;
}

void Game::ClearPlayerLines()
{
    playerLines.clear();
    wholeLinesMakers.clear();
    wholeLinesPastRoom.clear();
}

void Game::BeginRequestLines(int32_t playerNumber, size_t room)
{
    requestPlayer = playerNumber;
    requestRoom = room;
    requestUsed = 0;
    requestHeldBack = 0;
    requestDropped = 0;
}

Game::RequestLinesUse Game::EndRequestLines()
{
    requestPlayer = -1;
    return {requestUsed, requestHeldBack, requestDropped};
}

bool Game::TakeRequestRoom(size_t bytes)
{
    if (requestPlayer == -1)
        return true;
    if (requestUsed + bytes > requestRoom) {
        ++requestDropped;
        return false;
    }
    requestUsed += bytes;
    return true;
}

void Game::QueueSoundAtFirstPlayer(std::string_view name, float radius, float value)
{
    if (players.empty() || !players.front())
        return;
    const Sentient* player = players.front();
    WorldEventRequest request;
    request.name = name;
    request.entityNumber = player->entityNumber;
    request.position = player->position;
    request.radius = radius;
    request.value = value;
    QueueWorldEvent(request);
}

void Game::ScanEntitySlots(std::string_view name, Entity* activator)
{
    // By number: a listener may remove others as it reacts.
    for (int32_t i = 0; i < kMaxEntities; ++i)
        if (Entity* entity = slots[static_cast<size_t>(i)].entity)
            entity->OnNamedSignal(activator, name);
    quests->OnTriggerFired(name);
}

void Game::RegisterResourceName(int32_t handle, std::string_view name)
{
    if (handle < 0 || handle >= kMaxResourceNames)
        return;
    if (static_cast<size_t>(handle) >= resourceNames.size())
        resourceNames.resize(static_cast<size_t>(handle) + 1);
    std::string& known = resourceNames[static_cast<size_t>(handle)];
    if (known == name)
        return;
    known = name;
    changedResourceNames.push_back(handle);
}

double Game::GetGameTime() const
{
    return static_cast<double>(elapsed.days) * 86400.0 + static_cast<double>(elapsed.hours) * 3600.0 +
           static_cast<double>(elapsed.minutes) * 60.0 + static_cast<double>(elapsed.seconds);
}

float Game::GetExperienceLossFraction() const
{
    return xpDebtPerDeath;
}

float Game::GetCombatEventTime() const
{
    return GameTuning().damageEventMaxTime;
}

void Game::AddUnlock(std::string_view name)
{
    if (!name.empty() && std::find(unlocks.begin(), unlocks.end(), name) == unlocks.end())
        unlocks.emplace_back(name);
}

void Game::SpawnSoulStone(Sentient& player, int32_t debt)
{
    const DatabaseEntry* record = gDatabase ? gDatabase->FindEntryByName(SoulStone::kRecordName) : nullptr;
    if (!record)
        return;
    auto* stone = new SoulStone();
    stone->SetEntry(record);
    stone->SetPosition(player.position);
    stone->SetAmount(static_cast<int32_t>(std::floor(static_cast<double>(soulStoneXpReduction) * debt)));
    if (AddEntity(stone) == -1)
        delete stone;
}
