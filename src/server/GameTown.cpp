// GameTown -- the town's NPC slots and their NPCs, and monsters and bonus chests sent into a level's unused blocks.
#include "server/Game.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/EventSystem.h"
#include "core/MathUtil.h"
#include "core/RandomSystem.h"
#include "entities/Actor.h"
#include "entities/Chest.h"
#include "entities/Player.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"
#include "rules/monsters/MonsterDefinition.h"
#include "rules/monsters/MonsterType.h"
#include "server/quests/GameQuests.h"
#include "server/quests/Quest.h"
#include "server/spawn/SpawnSystem.h"
#include "world/AreaDefinition.h"
#include "world/Level.h"
#include "world/LevelQueries.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* kGameTownNpcEnhancement = "EnhancementTownNpc";
// Area record flags: no bonus chest at all, and the decent chest in place of the normal one.
constexpr const char* kGameTownNoBonusChestKey = "NoBonusChest";
constexpr const char* kGameTownDecentBonusChestKey = "DecentBonusChest";
constexpr int32_t kGameTownBonusChestDraws = 8;
constexpr int32_t kTownNameDraws = 16;
// Sets the tutor's name seed apart from the layout seed it comes from, and steps it on a clash.
constexpr uint32_t kTutorNameSalt = 0x7a17u;
constexpr uint32_t kTutorNameStep = 1664525u;

// The first monster type whose actor record is of the NPC type.
const MonsterType* GameTownTypeOf(int32_t npcType)
{
    if (!gGameData || npcType <= NpcType::None)
        return nullptr;
    for (int32_t i = 0; i < gGameData->GetMonsterTypeCount(); ++i) {
        const MonsterType* type = gGameData->GetMonsterType(i);
        if (type && type->definition && type->definition->npcType == npcType)
            return type;
    }
    return nullptr;
}

const std::string& GameTownBonusChestName(const GameSystemTuning& tuning, int32_t depth, bool decent)
{
    if (depth < tuning.bonusChestGoodDepth)
        return decent ? tuning.bonusChestDecentName : tuning.bonusChestNormalName;
    if (depth < tuning.bonusChestGreatDepth)
        return tuning.bonusChestGoodName;
    return tuning.bonusChestGreatName;
}

size_t GameTownDraw(size_t count)
{
    float r = DrawRandomFloat();
    return std::min(static_cast<size_t>(r * static_cast<float>(count)), count - 1);
}

bool GameTownIsLiving(const Entity& entity)
{
    return entity.maxHealth > 0 && entity.health > 0;
}

bool GameTownGivesQuests(const Entity* entity)
{
    const auto* actor = dynamic_cast<const Actor*>(entity);
    return actor && actor->DefBool("GivesQuests");
}

} // namespace

bool Game::GetTownSpot(int32_t npcType, WorldPos& spot, int32_t& facing)
{
    spot = WorldPos{};
    facing = 0;
    if (!gGameData || npcType < 0 || npcType >= NpcType::kCount)
        return false;
    const TownSpot& place = gGameData->GetTuning().townSpots[static_cast<size_t>(npcType)];
    if (!place.set)
        return false;
    spot = WorldPos{place.level, place.x, place.y};
    facing = place.facing;
    return true;
}

Entity* Game::SpawnTownNpc(int32_t npcType)
{
    const MonsterType* type = GameTownTypeOf(npcType);
    WorldPos spot;
    int32_t facing = 0;
    if (!type || !gSpawnSystem || !GetTownSpot(npcType, spot, facing) || !IsKnownLevel(spot.level))
        return nullptr;
    Actor* npc = gSpawnSystem->SpawnMonster(type, MonsterRarity::Normal, type->GetMinLevel(), 0, true);
    if (!npc)
        return nullptr;
    SpawnSearch search;
    search.entity = npc;
    WorldPos place = spot;
    FindSpawnPosition(spot, gGameData ? gGameData->GetTuning().warpRings : 0, search, true, place);
    npc->SetPosition(place);
    npc->SetGridPosition(place);
    npc->facing = facing;
    npc->AddStatusEffectByName(kGameTownNpcEnhancement, npc, 1);
    if (AddEntity(npc) == -1) {
        delete npc;
        return nullptr;
    }
    return npc;
}

void Game::CreateTownNpc(int32_t slot)
{
    if (slot < 0 || slot >= GetTownNpcSlotCount())
        return;
    Entity* npc = SpawnTownNpc(GetTownNpcType(slot));
    townNpcs[static_cast<size_t>(slot)].Set(npc);
    GiveTownNpcAnOwnName(slot);
    // A town that lists the tutor among its NPCs has it already: the surroundings step makes no second.
    if (npc && GetTownNpcType(slot) == NpcType::Tutor)
        tutor.Set(npc);
    // The quests name town NPCs by their slot: the named actor of the same index.
    if (slot < CountNamedActors())
        namedActors[static_cast<size_t>(slot)].Set(dynamic_cast<Actor*>(npc));
}

void Game::GiveTownNpcAnOwnName(int32_t slot)
{
    auto* npc = townNpcs[static_cast<size_t>(slot)].GetAs<Actor>();
    if (!npc || !gRandomSystem)
        return;
    // Made-up names repeat now and then; two townsfolk of one name make every quest and message
    // that names one of them ambiguous. A few draws always suffice for a town's handful.
    for (int32_t draw = 0; draw < kTownNameDraws && IsTownNameTaken(slot, npc->GetName()); ++draw)
        npc->SetNameSeed(gRandomSystem->Next(RandomStream::GameData));
}

void Game::GiveTutorTheWorldsName(Actor& npc) const
{
    uint32_t seed = (gWorld ? gWorld->GetLayoutSeed() : 0u) ^ kTutorNameSalt;
    npc.SetNameSeed(seed);
    // The town's names are drawn before the tutor comes; a clash takes the seed's next step.
    for (int32_t draw = 0; draw < kTownNameDraws && IsTownNameTaken(-1, npc.GetName()); ++draw) {
        seed = seed * kTutorNameStep + 1u;
        npc.SetNameSeed(seed);
    }
}

bool Game::IsTownNameTaken(int32_t slot, const std::string& name) const
{
    for (int32_t other = 0; other < GetTownNpcSlotCount(); ++other) {
        auto* npc = other == slot ? nullptr : townNpcs[static_cast<size_t>(other)].GetAs<Actor>();
        if (npc && npc->GetName() == name)
            return true;
    }
    return false;
}

void Game::CreateTownNpcs()
{
    townNpcTypeNames.clear();
    if (const DatabaseEntry* record = gDatabase ? gDatabase->FindEntryByName("GameSystem") : nullptr)
        record->GetStringList("NpcType", townNpcTypeNames, true, false);
    townNpcs.clear();
    townNpcs.resize(townNpcTypeNames.size());
    namedActors.clear();
    namedActors.resize(townNpcTypeNames.size());
    for (int32_t slot = 0; slot < GetTownNpcSlotCount(); ++slot)
        CreateTownNpc(slot);
}

int32_t Game::GetTownNpcType(int32_t slot) const
{
    if (slot < 0 || slot >= GetTownNpcSlotCount())
        return NpcType::None;
    return GetNpcTypeByName(townNpcTypeNames[static_cast<size_t>(slot)]);
}

int32_t Game::FindTownNpcSlot(int32_t npcType) const
{
    for (int32_t slot = 0; slot < GetTownNpcSlotCount(); ++slot)
        if (GetTownNpcType(slot) == npcType)
            return slot;
    return -1;
}

Entity* Game::GetTownNpc(int32_t npcType) const
{
    int32_t slot = FindTownNpcSlot(npcType);
    return slot < 0 ? nullptr : townNpcs[static_cast<size_t>(slot)].GetAs<Entity>();
}

int32_t Game::CountLivingTownNpcs() const
{
    int32_t living = 0;
    for (const SafePointer& npc : townNpcs)
        if (const Entity* entity = npc.GetAs<Entity>(); entity && GameTownIsLiving(*entity))
            ++living;
    return living;
}

Entity* Game::PickLivingTownNpc() const
{
    int32_t living = CountLivingTownNpcs();
    if (living == 0)
        return nullptr;
    size_t k = GameTownDraw(static_cast<size_t>(living));
    for (const SafePointer& npc : townNpcs) {
        Entity* entity = npc.GetAs<Entity>();
        if (!entity || !GameTownIsLiving(*entity))
            continue;
        if (k-- == 0)
            return entity;
    }
    return nullptr;
}

Entity* Game::PickLivingQuestGiver() const
{
    std::vector<Entity*> givers;
    for (const SafePointer& npc : townNpcs)
        if (Entity* entity = npc.GetAs<Entity>(); entity && GameTownIsLiving(*entity) && GameTownGivesQuests(entity))
            givers.push_back(entity);
    return givers.empty() ? nullptr : givers[GameTownDraw(givers.size())];
}

void Game::OfferNpcQuest(Entity& npc, Entity* other)
{
    if (!GameTownGivesQuests(&npc) || GameTownGivesQuests(other))
        return;
    if (!quests->IsNpcBusyWithQuest(&npc)) {
        quests->StartRandomQuest();
        return;
    }
    int offerEvent = gEventSystem ? gEventSystem->FindEvent(Actor::kOfferQuestEvent) : -1;
    if (offerEvent != -1 && !FindTimedAction(offerEvent, &npc))
        ScheduleTimedAction(&npc, gEventSystem->MakeEvent(offerEvent), kNpcQuestOfferSeconds);
}

void Game::OnPlayerJoined(Player& player)
{
    LevelTownNpcs(player.stats.Get(CharacterStat::Level));
    quests->OnPlayerJoined(player);
}

void Game::LevelTownNpcs(int32_t level)
{
    for (const SafePointer& slot : townNpcs)
        if (auto* npc = slot.GetAs<Sentient>())
            LevelTownNpc(*npc, level);
}

void Game::LevelTownNpc(Sentient& npc, int32_t level)
{
    while (npc.stats.Get(CharacterStat::Level) < level) {
        int32_t before = npc.stats.Get(CharacterStat::Level);
        double share = npc.maxHealth > 0 ? static_cast<double>(npc.health) / npc.maxHealth : 1.0;
        npc.LevelUp();
        npc.health = SaturatingInt(std::ceil(share * npc.maxHealth));
        // A level that does not rise (the cap) ends the climb.
        if (npc.stats.Get(CharacterStat::Level) <= before)
            break;
    }
}

bool Game::IsTownNpc(const Entity& entity) const
{
    return std::any_of(townNpcs.begin(), townNpcs.end(),
                       [&entity](const SafePointer& npc) { return npc.GetAs<Entity>() == &entity; });
}

// ---- Blocks ---------------------------------------------------------------------------------------

Actor* Game::SpawnMonsterInRandomFreeBlock(int32_t level, int32_t& block, const MonsterType* type,
                                           int32_t levelOverride)
{
    GameLevelRecord* record = FindLevel(level);
    Level* worldLevel = gWorld ? gWorld->GetLevel(level) : nullptr;
    if (level < 0 || !record || !worldLevel || !gSpawnSystem || !gGameData)
        return nullptr;
    const GameSystemTuning& tuning = gGameData->GetTuning();
    int32_t blocks = std::max(1, tuning.blocksPerRow * tuning.blocksPerColumn);
    if (block < 0 || block >= blocks) {
        block = DrawUnusedBlock(*record, [](int32_t) { return true; });
        // With every block used, any block of the grid will do.
        if (block < 0)
            block = static_cast<int32_t>(GameTownDraw(static_cast<size_t>(blocks)));
    }
    int32_t width = std::max(1, tuning.blocksPerRow);
    WorldPos point = LevelQueries::RandomPointInBlock(*worldLevel, block % width, block / width);
    if (point.level < 0)
        return nullptr;
    return gSpawnSystem->SpawnQuestMonster(type, levelOverride, point);
}

int32_t Game::DrawUnusedBlock(GameLevelRecord& record, const std::function<bool(int32_t)>& usable) const
{
    const GameSystemTuning& tuning = gGameData->GetTuning();
    int32_t blocks = std::max(1, tuning.blocksPerRow * tuning.blocksPerColumn);
    if (record.usedBlocks.size() != static_cast<size_t>(blocks))
        record.usedBlocks.assign(static_cast<size_t>(blocks), false);
    std::vector<int32_t> unused;
    for (int32_t i = 0; i < blocks; ++i)
        if (!record.usedBlocks[static_cast<size_t>(i)] && usable(i))
            unused.push_back(i);
    return unused.empty() ? -1 : unused[GameTownDraw(unused.size())];
}

Entity* Game::SpawnBlockChest(int32_t level)
{
    GameLevelRecord* record = FindLevel(level);
    Level* worldLevel = gWorld ? gWorld->GetLevel(level) : nullptr;
    if (level <= 0 || !record || record->bonusChestLaid || !worldLevel || !gSpawnSystem || !gGameData || !gDatabase)
        return nullptr;
    const DatabaseEntry* area = worldLevel->area ? worldLevel->area->record : nullptr;
    if (!area || area->GetInt(kGameTownNoBonusChestKey) != 0)
        return nullptr;
    const GameSystemTuning& tuning = gGameData->GetTuning();
    const std::string& name =
        GameTownBonusChestName(tuning, worldLevel->monsterLevel, area->GetInt(kGameTownDecentBonusChestKey) != 0);
    const DatabaseEntry* definition = name.empty() ? nullptr : gDatabase->FindEntryByName(name);
    if (!definition)
        return nullptr;
    // Only where the player can walk: a point in rock would leave the chest out of reach.
    int32_t width = std::max(1, tuning.blocksPerRow);
    int32_t block = DrawUnusedBlock(*record, [worldLevel, width](int32_t index) {
        return LevelQueries::IsBlockReachable(*worldLevel, index % width, index / width);
    });
    if (block < 0)
        return nullptr;
    Chest* chest = gSpawnSystem->GetLevelFiller().CreateChest(definition, level, 0);
    if (!chest)
        return nullptr;
    SpawnSearch search;
    search.entity = chest;
    WorldPos spot;
    // A point in a thick wall has no free spot within the rings: another point of the block is
    // drawn, so that a walled block does not cost the level its chest.
    bool found = false;
    for (int32_t draw = 0; draw < kGameTownBonusChestDraws && !found; ++draw) {
        WorldPos point = LevelQueries::RandomPointInBlock(*worldLevel, block % width, block / width);
        found = point.level >= 0 && FindSpawnPosition(point, tuning.bonusChestRings, search, false, spot);
    }
    if (!found) {
        delete chest;
        return nullptr;
    }
    chest->SetPosition(spot);
    chest->SetGridPosition(spot);
    if (AddEntity(chest) == -1) {
        delete chest;
        return nullptr;
    }
    record->usedBlocks[static_cast<size_t>(block)] = true;
    record->bonusChestLaid = true;
    return chest;
}
