// Gate -- the level object that carries a player elsewhere: to its linked partner, home, to a named gate, down a level, or a world gate's activation.
#include "entities/Gate.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "core/MessageBuffer.h"
#include "core/StringUtil.h"
#include "core/Vector.h"
#include "entities/EntityCovenant.h"
#include "entities/Inventory.h"
#include "entities/Player.h"
#include "rules/GameData.h"
#include "rules/items/InventoryBase.h"
#include "world/World.h"

#include <cmath>
#include <vector>

namespace {

const GameSystemTuning& GateTuning()
{
    static const GameSystemTuning kGateDefaults;
    return gGameData ? gGameData->GetTuning() : kGateDefaults;
}

// A free spot for the gate near the spot, else the spot itself.
void GatePlace(Gate& gate, const WorldPos& near)
{
    WorldPos spot = near;
    if (gGameServices) {
        SpawnSearch search;
        search.entity = &gate;
        gGameServices->FindSpawnPosition(near, Gate::kPairRings, search, true, spot);
    }
    gate.SetPosition(spot);
    gate.SetMoveTarget(spot);
}

bool GateHoldsKey(const ItemBase& item)
{
    std::vector<std::string> keys;
    if (item.GetEntry())
        item.GetEntry()->GetStringList("KeyName", keys, true, false);
    return !keys.empty();
}

} // namespace

LinkedGates Gate::CreateLinkedPair(const DatabaseEntry* record, const WorldPos& a, const WorldPos& b, int32_t kind)
{
    if (!gGameServices)
        return {};
    if (!record && gDatabase)
        record = gDatabase->FindEntryByName(kDefaultRecord);
    auto* first = new Gate();
    auto* second = new Gate();
    // Each keeps its record: a pair a save keeps is made again from it.
    first->SetEntry(record);
    second->SetEntry(record);
    GatePlace(*first, a);
    GatePlace(*second, b);
    // A gate standing on no level of the world would lead nowhere.
    if (gWorld && (!gWorld->GetLevel(first->position.level) || !gWorld->GetLevel(second->position.level))) {
        delete first;
        delete second;
        return {};
    }
    first->kind = second->kind = kind;
    first->Link(second);
    second->Link(first);
    if (gGameServices->AddEntity(first) == -1) {
        delete first;
        delete second;
        return {};
    }
    if (gGameServices->AddEntity(second) == -1) {
        // Half a pair would lead nowhere: the first goes too.
        gGameServices->RemoveEntity(first);
        delete first;
        delete second;
        return {};
    }
    return {first, second};
}

void Gate::Load(const DatabaseEntry* record)
{
    Entity::Load(record);
    if (!record)
        return;
    gateName = record->GetString("GateName");
    soundName = record->GetString("SoundName");
    effectName = record->GetString("EffectName");
}

void Gate::WriteNetState(MessageBuffer& buffer) const
{
    const Gate* partner = GetLinked();
    buffer.WriteInt(partner ? partner->position.level : -1);
    buffer.WriteFloat(partner ? partner->position.x : 0.0f);
    buffer.WriteFloat(partner ? partner->position.y : 0.0f);
}

void Gate::OnUsedBy(Entity* user)
{
    auto* player = user && user->IsPlayer() ? dynamic_cast<Player*>(user) : nullptr;
    if (!player)
        return;
    switch (kind) {
    case GateKind::World:
        UseWorldGate(*player);
        break;
    case GateKind::Linked:
    case GateKind::Secret:
        UseLinked(*player);
        break;
    case GateKind::LinkedExact:
        UseLinkedExact(*player);
        break;
    case GateKind::Home:
        UseHome(*player);
        break;
    case GateKind::Depth:
        UseDepth(*player);
        break;
    case GateKind::Named:
        UseNamed(*player);
        break;
    default:
        break;
    }
}

void Gate::UseWorldGate(Player& player)
{
    if (!player.GetCovenant())
        return;
    int32_t worldDifficulty = gWorld ? gWorld->GetDifficulty() : 0;
    const ItemPtrEntry* record = player.gateLists[0].Find(position.level, worldDifficulty);
    if (record && record->flag) {
        UseHome(player);
        return;
    }
    for (ItemPtrList& list : player.gateLists)
        if (ItemPtrEntry* entry = list.Find(position.level, worldDifficulty))
            entry->flag = true;
    std::string levelName = gWorld ? gWorld->GetLevelName(position.level) : std::string();
    if (gGameServices)
        gGameServices->SendMessage(StringFormat("%s $$GateActivated$$", levelName.c_str()), 2);
}

void Gate::UseLinked(Player& player)
{
    Gate* partner = GetLinked();
    if (!partner || !gGameServices)
        return;
    WorldPos destination = partner->position;
    SpawnSearch search;
    search.entity = &player;
    search.solidMask = 7;
    for (int32_t ring = 0; ring <= kPartnerRings; ++ring) {
        WorldPos found;
        if (gGameServices->FindSpawnPositionInRing(partner->position, ring, search, found)) {
            destination = found;
            break;
        }
    }
    Travel(player, destination);
    if (kind != GateKind::Secret || travelled)
        return;
    travelled = true;
    partner->travelled = true;
    gGameServices->OnSecretFound(player, position.level);
}

void Gate::UseLinkedExact(Player& player)
{
    Gate* partner = GetLinked();
    if (!partner)
        return;
    WorldPos from = player.position;
    Travel(player, partner->position);
    if (gGameServices)
        gGameServices->OfferGateTripToQuests(player, from, player.position);
}

void Gate::UseHome(Player& player)
{
    EntityCovenant* covenant = player.GetCovenant();
    WorldPos spot;
    // A house without a gate has no spot beside it: no journey (it would lead to level -1).
    if (covenant && covenant->FindSpotNearHouseGate(player, spot))
        Travel(player, spot);
}

void Gate::UseDepth(Player& player)
{
    if (!gWorld)
        return;
    int32_t below = gWorld->GetDownwardGateTarget(player.position.level);
    Vector2 start{0.0f, 0.0f};
    // A level with no way down leads nowhere: no journey, no level gained, no keys lost.
    if (below < 0 || !gWorld->GetLevelStartPosition(below, gateName, start))
        return;
    Travel(player, WorldPos{below, start.x, start.y, true});
    const GameSystemTuning& tuning = GateTuning();
    if (tuning.levelUpOnDungeonDepth)
        player.LevelUp();
    if (!tuning.clearKeysOnDungeonDepth || !player.inventory)
        return;
    // Mended: only bag 0 was searched, which holds bags only; the keys lie in the carried bags.
    for (int32_t bag = InventoryGroupIndex::Bag1; bag <= InventoryGroupIndex::Bag4; ++bag)
        for (int32_t slot = 0; slot < player.inventory->GetSlotCount(bag); ++slot) {
            const ItemBase* item = player.inventory->GetItem(bag, slot);
            if (item && GateHoldsKey(*item))
                player.inventory->DeleteAt(bag, slot);
        }
}

Gate* Gate::FindNamedTarget() const
{
    if (!gGameServices)
        return nullptr;
    Gate* best = nullptr;
    bool bestHere = false;
    float bestDistance = 0.0f;
    for (int32_t number = 0; number < GameServices::kMaxEntities; ++number) {
        auto* candidate = dynamic_cast<Gate*>(gGameServices->GetEntity(number));
        if (!candidate || candidate->kind != GateKind::NamedTarget || !StringEqualsNoCase(candidate->gateName, gateName))
            continue;
        bool here = candidate->position.level == position.level;
        float distance = Vector2Length(position.DeltaTo(candidate->position));
        // Same level first; then the nearer; on a tie the lower slot, found first, stays.
        if (!best || (here && !bestHere) || (here == bestHere && distance < bestDistance)) {
            best = candidate;
            bestHere = here;
            bestDistance = distance;
        }
    }
    return best;
}

void Gate::UseNamed(Player& player)
{
    if (Gate* target = FindNamedTarget())
        Travel(player, target->position);
}

void Gate::Travel(Player& player, const WorldPos& destination)
{
    if (destination.level < 0)
        return;
    player.CancelAllActions();
    player.SetMoveTarget(player.position);
    player.Warp(destination);
    if (!soundName.empty())
        player.QueueWorldEvent(soundName, kSoundRadius, 0.0f);
    // An effect file, not a model: the clients play it where the player lands, as they play
    // the sounds and effects of the frame.
    if (!effectName.empty())
        player.QueueWorldEvent(effectName, kSoundRadius, kEffectSeconds);
}
