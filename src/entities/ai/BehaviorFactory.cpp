// BehaviorFactory -- the "ActorBehavior" kind table, the factory of behaviours by kind id and the loading of a prototype's tuning.
#include "entities/ai/BehaviorFactory.h"

#include "core/Database.h"
#include "core/DebugSystem.h"
#include "core/EnumTable.h"
#include "entities/ai/BehaviorAdventure.h"
#include "entities/ai/BehaviorApproach.h"
#include "entities/ai/BehaviorAvoidLeader.h"
#include "entities/ai/BehaviorDestroyCorpse.h"
#include "entities/ai/BehaviorEatCorpse.h"
#include "entities/ai/BehaviorFollowLeader.h"
#include "entities/ai/BehaviorIdle.h"
#include "entities/ai/BehaviorJump.h"
#include "entities/ai/BehaviorLifestoneRegen.h"
#include "entities/ai/BehaviorMelee.h"
#include "entities/ai/BehaviorPray.h"
#include "entities/ai/BehaviorRaiseDead.h"
#include "entities/ai/BehaviorRanged.h"
#include "entities/ai/BehaviorRetreat.h"
#include "entities/ai/BehaviorReturnHome.h"
#include "entities/ai/BehaviorSleep.h"
#include "entities/ai/BehaviorSpawner.h"
#include "entities/ai/BehaviorSuicide.h"
#include "entities/ai/BehaviorTeleport.h"
#include "entities/ai/BehaviorTeleportRaid.h"
#include "entities/ai/BehaviorTeleportToLeader.h"
#include "entities/ai/BehaviorUseSkill.h"

#include <array>

namespace {

// The order is the kind id: data and the actor's own update name kinds by it.
constexpr std::array<const char*, BehaviorType::kCount> kBehaviorFactoryNames = {
    "Sleep",      "Idle",          "Melee",      "ReturnHome",   "Ranged",           "Approach",
    "Retreat",    "Suicide",       "Teleport",   "Spawner",      "RaiseDead",        "DestroyCorpse",
    "EatCorpse",  "FollowLeader",  "AvoidLeader", "TeleportToLeader", "TeleportRaid", "UseSkill",
    "Pray",       "LifestoneRegen", "Adventure", "Jump",
};

const EnumTable& BehaviorFactoryTable()
{
    static const EnumTable* table = EnumTable::RegisterNames({"ActorBehavior", 0, kBehaviorFactoryNames});
    return *table;
}

// Runs at start-up so the table exists before any data is read.
const bool kBehaviorFactoryRegistered = (BehaviorFactoryTable(), true);

std::unique_ptr<BehaviorBase> BehaviorFactoryMake(int32_t type)
{
    switch (type) {
    case BehaviorType::kSleep: return std::make_unique<BehaviorSleep>();
    case BehaviorType::kMelee: return std::make_unique<BehaviorMelee>();
    case BehaviorType::kReturnHome: return std::make_unique<BehaviorReturnHome>();
    case BehaviorType::kApproach: return std::make_unique<BehaviorApproach>();
    case BehaviorType::kRanged: return std::make_unique<BehaviorRanged>();
    case BehaviorType::kPray: return std::make_unique<BehaviorPray>();
    case BehaviorType::kRetreat: return std::make_unique<BehaviorRetreat>();
    case BehaviorType::kAvoidLeader: return std::make_unique<BehaviorAvoidLeader>();
    case BehaviorType::kSuicide: return std::make_unique<BehaviorSuicide>();
    case BehaviorType::kTeleport: return std::make_unique<BehaviorTeleport>();
    case BehaviorType::kSpawner: return std::make_unique<BehaviorSpawner>();
    case BehaviorType::kRaiseDead: return std::make_unique<BehaviorRaiseDead>();
    case BehaviorType::kFollowLeader: return std::make_unique<BehaviorFollowLeader>();
    case BehaviorType::kUseSkill: return std::make_unique<BehaviorUseSkill>();
    case BehaviorType::kJump: return std::make_unique<BehaviorJump>();
    case BehaviorType::kDestroyCorpse: return std::make_unique<BehaviorDestroyCorpse>();
    case BehaviorType::kEatCorpse: return std::make_unique<BehaviorEatCorpse>();
    case BehaviorType::kIdle: return std::make_unique<BehaviorIdle>();
    case BehaviorType::kLifestoneRegen: return std::make_unique<BehaviorLifestoneRegen>();
    case BehaviorType::kTeleportToLeader: return std::make_unique<BehaviorTeleportToLeader>();
    case BehaviorType::kTeleportRaid: return std::make_unique<BehaviorTeleportRaid>();
    case BehaviorType::kAdventure: return std::make_unique<BehaviorAdventure>();
    default: return nullptr;  // outside the table
    }
}

} // namespace

std::string GetBehaviorName(int32_t type)
{
    if (type < 0 || type >= BehaviorType::kCount)
        return std::to_string(type);
    return kBehaviorFactoryNames[static_cast<size_t>(type)];
}

int32_t LookupBehaviorType(std::string_view name)
{
    (void)kBehaviorFactoryRegistered;
    return BehaviorFactoryTable().Lookup(name);
}

std::unique_ptr<BehaviorBase> CreateBehavior(int32_t type)
{
    std::unique_ptr<BehaviorBase> behavior = BehaviorFactoryMake(type);
    if (behavior)
        return behavior;
    DebugSystem::Print(kPrintError, "Could not create behavior %s\n", GetBehaviorName(type).c_str());
    return std::make_unique<BehaviorSleep>();
}

void InitBehaviorFromArchetype(BehaviorBase& behavior, const DatabaseEntry* archetypeEntry)
{
    if (!archetypeEntry || !gDatabase)
        return;
    std::string kind = GetBehaviorName(behavior.GetType());
    std::string dataName = archetypeEntry->GetString(kind + "Data");
    const DatabaseEntry* data = nullptr;
    if (!dataName.empty()) {
        data = gDatabase->FindEntryByName(dataName);
        if (!data)
            DebugSystem::Print(kPrintError, "Couldn't find behavior data %s\n", dataName.c_str());
    }
    if (!data)
        data = gDatabase->FindEntryByName("BehaviorDataDefault" + kind);
    if (data)
        behavior.LoadData(*data);
    behavior.LoadFromArchetype(*archetypeEntry);
}
