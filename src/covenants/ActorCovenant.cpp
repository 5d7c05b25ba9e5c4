// ActorCovenant -- a rival covenant the computer runs: its set-up, timers, step, goods, traits and relations.
#include "covenants/ActorCovenant.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "core/RandomSystem.h"
#include "core/Vector.h"
#include "covenants/CovenantHost.h"
#include "covenants/Recruit.h"
#include "entities/Actor.h"
#include "entities/EntityQuest.h"
#include "entities/GameServices.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"
#include "rules/covenants/CovenantDefinition.h"
#include "rules/covenants/CovenantTrait.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

const GameSystemTuning& ActorCovenantTuning()
{
    static const GameSystemTuning kActorCovenantDefaults;
    return gGameData ? gGameData->GetTuning() : kActorCovenantDefaults;
}

// floor(count x draw), a draw that reaches the count taken one lower.
int32_t ActorCovenantPick(int32_t count)
{
    auto pick = static_cast<int32_t>(std::floor(DrawRandomScaled(RandomStream::GameData, static_cast<float>(count))));
    return std::clamp(pick, 0, std::max(0, count - 1));
}

bool ActorCovenantAdd(Entity* entity)
{
    if (gGameServices && gGameServices->AddEntity(entity) != -1)
        return true;
    delete entity;
    return false;
}

constexpr const char* kActorCovenantDifficultyWords[] = {"Easy", "Average", "Hard", "VeryHard"};
constexpr const char* kActorCovenantRelics[] = {"Relic1", "Relic2", "Relic3"};
// A relation below or above these counts as an enemy's or a friend's for the natural hate.
constexpr float kActorCovenantEnemyRelation = 49.0f;
constexpr float kActorCovenantFriendRelation = 51.0f;
// Multipliers of a relation change: losses and gains.
constexpr int32_t kActorCovenantLossMultiplier = 5;
constexpr int32_t kActorCovenantGainMultiplier = 6;

} // namespace

ActorCovenant::ActorCovenant()
{
    inventory->ResizeBag(kGoodsBag, kGoodsSlots);
    inventory->ResizeBag(InventoryGroupIndex::House, kHouseSlots);
    // The leader takes the slot beyond the recruits.
    SetRecruitSlots(std::max(0, ActorCovenantTuning().maxRecruits) + 1);
    for (RandomTimer& timer : timerSet) {
        timer.listed = 1;
        timerList.push_back(&timer);
    }
}

ActorCovenant::~ActorCovenant()
{
    if (Entity* gate = raidGate.GetAs<Entity>())
        gate->ScheduleDelete(0.0f);
}

float ActorCovenant::DefinitionFloat(std::string_view key) const
{
    return Definition() ? Definition()->GetFloat(key) : 0.0f;
}

// ---- Set-up ---------------------------------------------------------------------------------------

void ActorCovenant::Start(int32_t startingLevel, int32_t difficulty)
{
    SetUp(startingLevel, difficulty, gCovenantHost ? gCovenantHost->TakeHomePosition() : WorldPos{});
}

void ActorCovenant::SetUp(int32_t startingLevel, int32_t difficulty, const WorldPos& homePosition)
{
    const GameSystemTuning& tuning = ActorCovenantTuning();
    GridFrame grid{{tuning.gridOffset.x, tuning.gridOffset.y}, {tuning.gridSize.x, tuning.gridSize.y}};
    Vector2 snapped = SnapToGrid({homePosition.x, homePosition.y}, grid);
    WorldPos home = homePosition;
    home.x = snapped.x;
    home.y = snapped.y;
    home.Normalize();
    homeLevel = home.level;
    homeX = home.x;
    homeY = home.y;
    difficultyLevel = difficulty >= 0 && difficulty < kDifficultyCount ? difficulty : kAverageDifficulty;
    float low = DefinitionFloat("MinDifficultyModifier");
    float high = DefinitionFloat("MaxDifficultyModifier");
    difficultyModifier = DrawRandomRange(RandomStream::GameData, low, high);

    MakeHome(home);
    ChooseTraits();
    MakeStartingRecruits(startingLevel);
    GiveStartingMoney(startingLevel);
    GiveStartingItems(startingLevel);
    GiveStartingRelics(startingLevel);
    if (Entity* lifestone = GetHomeEntity()) {
        RecomputeBonuses();
        lifestone->health = lifestone->maxHealth;
    }
    SetUpTimers();
}

void ActorCovenant::MakeHome(const WorldPos& where)
{
    auto* lifestone = new Entity();
    if (const DatabaseEntry* record = gDatabase ? gDatabase->FindEntryByName(kHomeRecord) : nullptr)
        lifestone->SetEntry(record);
    lifestone->SetPosition(where);
    lifestone->maxHealth = lifestone->health = -1;
    lifestone->covenantIndex = index;
    if (!ActorCovenantAdd(lifestone)) {
        DebugSystem::Print(kPrintWarning, "Covenant %s found no room for its home and stays homeless\n", GetName().c_str());
        return;
    }
    SetHome(lifestone);
    CreatePedestals();
}

void ActorCovenant::MakeStartingRecruits(int32_t startingLevel)
{
    if (eliminated)
        return;
    int32_t count = static_cast<int32_t>(std::floor(DefinitionFloat("StartNumRecruitsPerLevel") * static_cast<float>(startingLevel)));
    count = std::clamp(count, 0, std::max(0, ActorCovenantTuning().maxRecruits));
    float low = DefinitionFloat("StartRecruitMinLevelPercent");
    float high = DefinitionFloat("StartRecruitMaxLevelPercent");
    auto rollLevel = [&] {
        float share = DrawRandomRange(RandomStream::GameData, low, high);
        return std::max(1, static_cast<int32_t>(std::floor(share * static_cast<float>(startingLevel) + 0.5f)));
    };
    for (int32_t i = 0; i < count; ++i)
        AddStartingRecruit(rollLevel(), false);
    AddStartingRecruit(rollLevel(), true);
}

bool ActorCovenant::AddStartingRecruit(int32_t level, bool leader)
{
    int32_t slot = CountRecruits();
    if (slot >= GetRecruitSlots() || !gCovenantHost)
        return false;
    Actor* actor = gCovenantHost->MakeRecruitActor(level);
    if (!actor)
        return false;
    auto recruit = std::make_unique<Recruit>();
    recruit->covenantIndex = index;
    recruit->isHero = leader;
    actor->hero = leader;
    recruit->CaptureFromActor(actor);
    recruit->SetActor(actor, false);
    ApplyTraitEffects(*actor);
    ApplyRelicEffects(*actor);
    actor->RecalculateStats(true);
    actor->health = actor->maxHealth;
    WorldPos spot = FindSpotNearHome(actor);
    actor->SetPosition(spot);
    actor->homePosition = spot;
    // A refused creature is gone; its record stays, to be spawned again later.
    if (!ActorCovenantAdd(actor))
        recruit->SetActor(nullptr, true);
    recruits[static_cast<size_t>(slot)] = std::move(recruit);
    return true;
}

void ActorCovenant::GiveStartingMoney(int32_t startingLevel)
{
    if (!GetLeader())
        return;
    const GameSystemTuning& tuning = ActorCovenantTuning();
    auto level = static_cast<double>(startingLevel);
    double drops = DefinitionFloat("StartMoneyDropsBase") + DefinitionFloat("StartMoneyDropsPerLevel") * level;
    double money = level * (tuning.moneyChance / 100.0) * (tuning.minMoneyPerLevel + tuning.maxMoneyPerLevel) * 0.5 * drops;
    AddMoney(static_cast<int32_t>(std::clamp(std::floor(money), 0.0, 2147483647.0)));
}

void ActorCovenant::GiveStartingItems(int32_t startingLevel)
{
    if (startingLevel <= 0 || !gGameServices || !gDatabase)
        return;
    if (Definition()) {
        for (const auto& recruit : recruits) {
            Actor* actor = recruit ? recruit->GetActor() : nullptr;
            if (!actor)
                continue;
            for (const std::string& name : Definition()->startingItems)
                if (const DatabaseEntry* record = gDatabase->FindEntryByName(name))
                    StoreItem(gGameServices->GenerateItem(record, actor->stats.Get(CharacterStat::Level)));
        }
    }
    auto randomItems = static_cast<int32_t>(DefinitionFloat("StartNumRandomItems"));
    if (startingLevel <= 5 || randomItems <= 0 || !gCovenantHost)
        return;
    auto minSpread = static_cast<int32_t>(DefinitionFloat("StartRandomItemMinSpread"));
    auto maxSpread = static_cast<int32_t>(DefinitionFloat("StartRandomItemMaxSpread"));
    for (int32_t i = 0; i < randomItems; ++i)
        StoreItem(gCovenantHost->MakeRandomItem(startingLevel, minSpread, maxSpread));
}

void ActorCovenant::GiveStartingRelics(int32_t startingLevel)
{
    if (!gGameServices || !gDatabase)
        return;
    int32_t count = static_cast<int32_t>(std::floor(DefinitionFloat("StartNumRelicsPerLevel") * static_cast<float>(startingLevel)));
    count = std::clamp(count, 0, kMaxStartingRelics);
    for (int32_t i = 0; i < count; ++i) {
        if (const DatabaseEntry* record = gDatabase->FindEntryByName(RelicRecordFor(DrawRandomFloat())))
            StoreItem(gGameServices->GenerateItem(record, startingLevel));
    }
}

const char* ActorCovenant::RelicRecordFor(float draw)
{
    return kActorCovenantRelics[draw < 0.33f ? 0 : draw < 0.67f ? 1 : 2];
}

void ActorCovenant::SetUpTimer(int32_t id, std::string_view key, float base, float low, float high)
{
    RandomTimer& timer = Timer(id);
    timer.running = 0;
    if (!(base > 0.0f) || !std::isfinite(base)) {
        // A timer of no length would fire every step.
        DebugSystem::Print(kPrintWarning, "Covenant %s has no positive %.*s; that timer stays stopped\n",
                           GetName().c_str(), static_cast<int>(key.size()), key.data());
        timer.minimum = timer.maximum = 0.0f;
        return;
    }
    timer.minimum = base * low;
    timer.maximum = base * high;
}

void ActorCovenant::SetUpTimers()
{
    std::string battleKey = std::string("TimeBetweenSimilatedBattles") + kActorCovenantDifficultyWords[difficultyLevel];
    float battle = difficultyModifier != 0.0f
                       ? DefinitionFloat(battleKey) * GetFloatStat(kBattleTimeMultiplier) / difficultyModifier
                       : 0.0f;
    SetUpTimer(BattleTimer, battleKey, battle, 0.9f, 1.1f);
    SetUpTimer(AdventureTimer, "TimePerAdventure", DefinitionFloat("TimePerAdventure"), 0.75f, 1.25f);
    SetUpTimer(RestTimer, "TimeBetweenAdventures", DefinitionFloat("TimeBetweenAdventures"), 0.75f, 1.25f);
    SetUpTimer(RelationsTimer, "TimeBetweenRandomRelationChanges",
               DefinitionFloat("TimeBetweenRandomRelationChanges"), 0.9f, 1.1f);
    SetUpTimer(ActivityTimer, "AdventureTypeTime", DefinitionFloat("AdventureTypeTime"), 0.9f, 1.1f);
    SetUpTimer(StopRaidTimer, "StopRaidTime", DefinitionFloat("StopRaidTime"), 0.9f, 1.1f);
    SetUpTimer(GuardTimer, "TimeBetweenGuardChanges", DefinitionFloat("TimeBetweenGuardChanges"), 0.9f, 1.1f);
    // The diplomacy pass runs on its own from the start.
    StartTimer(RelationsTimer);
}

bool ActorCovenant::StartTimer(int32_t id)
{
    RandomTimer& timer = Timer(id);
    if (!(timer.maximum > 0.0f) || !gRandomSystem)
        return false;
    timer.Restart(*gRandomSystem);
    return true;
}

Entity* ActorCovenant::GetLeader() const
{
    Recruit* leader = FindLeaderRecruit();
    return leader ? leader->GetActor() : nullptr;
}

Recruit* ActorCovenant::FindLeaderRecruit() const
{
    for (const auto& recruit : recruits)
        if (recruit && recruit->isHero)
            return recruit.get();
    return nullptr;
}

// ---- Traits -----------------------------------------------------------------------------------------

void ActorCovenant::ChooseTraits()
{
    traits.clear();
    if (!gGameData || !Definition())
        return;
    int32_t wanted = std::min(Definition()->numTraits, kMaxCovenantTraits);
    auto add = [this](int32_t id) {
        const CovenantTrait* trait = gGameData->GetCovenantTrait(id);
        if (!trait || static_cast<int32_t>(traits.size()) >= kMaxCovenantTraits)
            return;
        for (const Trait& held : traits)
            if (held.id == id)
                return;
        Trait record;
        record.id = id;
        record.statusEffect = trait->statusEffect;
        for (int32_t m = 0; m < kMultiplierCount; ++m)
            record.multipliers[static_cast<size_t>(m)] = trait->GetMultiplier(m);
        traitIds.Set(static_cast<int32_t>(traits.size()), id);
        traits.push_back(record);
    };
    for (const std::string& name : Definition()->traitNames)
        add(gGameData->FindCovenantTraitIndex(name));
    // Only the traits that may be drawn and are not yet held: the draw ends when none is left.
    std::vector<int32_t> eligible;
    for (int32_t id = 0; id < gGameData->GetCovenantTraitCount(); ++id) {
        const CovenantTrait* trait = gGameData->GetCovenantTrait(id);
        bool held = std::any_of(traits.begin(), traits.end(), [id](const Trait& t) { return t.id == id; });
        if (trait && !trait->noRandom && !held)
            eligible.push_back(id);
    }
    while (static_cast<int32_t>(traits.size()) < wanted && !eligible.empty()) {
        int32_t pick = ActorCovenantPick(static_cast<int32_t>(eligible.size()));
        add(eligible[static_cast<size_t>(pick)]);
        eligible.erase(eligible.begin() + pick);
    }
}

float ActorCovenant::GetFloatStat(int32_t m) const
{
    float value = Covenant::GetFloatStat(m);
    if (m < 0 || m >= kMultiplierCount)
        return value;
    for (const Trait& trait : traits)
        value *= trait.multipliers[static_cast<size_t>(m)];
    return value;
}

void ActorCovenant::ApplyTraitEffects(Entity& entity)
{
    auto* sentient = dynamic_cast<Sentient*>(&entity);
    if (!sentient)
        return;
    for (const Trait& trait : traits)
        if (trait.statusEffect)
            sentient->AddStatusEffect(trait.statusEffect, sentient, 1);
}

// ---- Relations ----------------------------------------------------------------------------------------

void ActorCovenant::SetUpFirstWorld()
{
    SetUpStartingRelations();
}

void ActorCovenant::SetUpStartingRelations()
{
    if (!gCovenantHost || !Definition())
        return;
    int32_t count = gCovenantHost->GetCovenantCount();
    float hate = DefinitionFloat("MaxNaturalHate") * DefinitionFloat("NaturalHateMult");
    for (int32_t u = 0; u <= count && u < kMaxCovenants; ++u) {
        const Covenant* other = gCovenantHost->GetCovenant(u);
        float start = 100.0f;
        if (u == count)
            start = Definition()->GetStartingRelation("Human");
        else if (u != index)
            start = other ? Definition()->GetStartingRelation(other->GetDefinitionName()) : 50.0f;
        bool slot = EnsureRelationSlots(u);
        if (slot && u != index) {
            SetRelation(u, std::clamp(start, 0.0f, 100.0f));
            // Each covenant sets its own side: the other sets its own in its turn, and a world
            // begins without a peace announced between every pair.
            SetTreatyState(u, CovenantTreaty::Peace);
        }
        float pull = DrawRandomScaled(RandomStream::GameData, hate);
        float relation = slot ? GetRelation(u) : 0.0f;
        if (!slot || relation < kActorCovenantEnemyRelation)
            pull *= DefinitionFloat("EnemyNaturalHateMult");
        else if (relation > kActorCovenantFriendRelation)
            pull *= DefinitionFloat("FriendNaturalHateMult");
        naturalHate[static_cast<size_t>(u)] = pull;
    }
}

float ActorCovenant::ChangeRelation(int32_t other, float amount, bool gain)
{
    const Covenant* them = gCovenantHost ? gCovenantHost->GetCovenant(other) : nullptr;
    if (!them || them == this || !them->GetDefinition())
        return 0.0f;
    int32_t m = gain ? kActorCovenantGainMultiplier : kActorCovenantLossMultiplier;
    float factor = gain ? them->GetDefinition()->GetPositiveRelationMult(difficultyLevel)
                        : them->GetDefinition()->GetNegativeRelationMult(difficultyLevel);
    float change = amount * GetFloatStat(m) * them->GetFloatStat(m) * factor;
    // A change that is no number would stick to the relation for good.
    if (!std::isfinite(change))
        return 0.0f;
    AddRelation(other, change);
    RecomputeWishes(other);
    return change;
}

// ---- Step -------------------------------------------------------------------------------------------------

void ActorCovenant::Update(float seconds)
{
    if (eliminated) {
        if (targetCovenant != -1)
            EndRaid();
        return;
    }
    Covenant::Update(seconds);
    if (!gCovenantHost || !gCovenantHost->IsWorldAwake())
        return;
    RandomTimer::UpdateList(timerList, seconds);
    UpdatePendingOffers(seconds);
    if (targetCovenant != -1) {
        // A leader risen at home goes back with a new party; the gate and the raid stand.
        Recruit* leader = FindLeaderRecruit();
        if (leader && leader->GetActor() && leader->GetActor()->IsAlive() && !leader->outWithParty)
            ChooseRaidParty();
        if (ShouldStopRaid())
            EndRaid();
    }
    UpdateActivity();
    if (Timer(RelationsTimer).IsExpired())
        DiplomacyPass();
    OfferQuestCandidate();
    ChangeGuard();
}

// ---- Statistics and members -----------------------------------------------------------------------------

void ActorCovenant::UpdatePeopleStatistic()
{
    int64_t power = 0;
    for (const auto& recruit : recruits)
        if (recruit)
            power += RecruitPower(recruit->GetStat(CharacterStat::Level), recruit->GetStat(CharacterStat::Xp),
                                  recruit->GetStat(CharacterStat::XpNeeded));
    statistics.Set(CovenantStat::People, static_cast<int32_t>(std::min<int64_t>(power, 2147483647)));
}

void ActorCovenant::UpdateItemsStatistic()
{
    int64_t value = 0;
    for (const auto& recruit : recruits) {
        if (!recruit)
            continue;
        const Actor* actor = recruit->GetActor();
        const InventoryBase* held = actor ? static_cast<const InventoryBase*>(actor->inventory.get()) : recruit->inventory.get();
        for (int32_t slot = 0; held && slot < held->GetSlotCount(InventoryGroupIndex::Equipment); ++slot)
            if (const ItemBase* item = held->GetItem(InventoryGroupIndex::Equipment, slot))
                value += item->GetValue(true);
    }
    statistics.Set(CovenantStat::Items, static_cast<int32_t>(std::min<int64_t>(value, 2147483647)));
}

void ActorCovenant::RecordMemberExperience(int32_t sourceLevel, int32_t kind, float)
{
    experienceLevel = sourceLevel;
    experienceKind = kind;
}

void ActorCovenant::OnMemberGainedExperience(Sentient& member, int32_t amount)
{
    if (amount <= 0)
        return;
    GainInfluenceFromXp(experienceLevel, experienceKind, amount);
    OnSharedAdventureXp(member, amount);
}

// ---- Goods --------------------------------------------------------------------------------------------------

int32_t ActorCovenant::GetMoney() const
{
    const Entity* leader = GetLeader();
    return leader ? leader->GetStat(CharacterStat::Money) : 0;
}

void ActorCovenant::AddMoney(int32_t amount)
{
    // The money is the leader's own; with the leader away there is no purse to add to.
    if (auto* leader = dynamic_cast<Sentient*>(GetLeader()))
        leader->AddMoney(amount);
}

void ActorCovenant::SellItem(const ItemBase& item)
{
    AddMoney(item.GetSellPrice());
}

int32_t ActorCovenant::ChooseStoreSlot(const ItemBase& item, int32_t& bag) const
{
    if (item.GetItemType() == ItemType::Relic) {
        bag = InventoryGroupIndex::House;
        return FindRelicSlotForNew();
    }
    bag = kGoodsBag;
    for (int32_t slot = 0; slot < inventory->GetSlotCount(bag); ++slot)
        if (!inventory->GetItem(bag, slot))
            return slot;
    return -1;
}

bool ActorCovenant::StoreItem(std::unique_ptr<ItemBase> item)
{
    if (!item)
        return false;
    int32_t bag = kGoodsBag;
    int32_t slot = ChooseStoreSlot(*item, bag);
    if (slot < 0) {
        SellItem(*item);
        return false;
    }
    if (const ItemBase* old = inventory->GetItem(bag, slot)) {
        if (bag == InventoryGroupIndex::House)
            RemoveRelicDisplay(slot);
        SellItem(*old);
        // Taken out and freed: the displaced item has been paid for.
        inventory->DeleteAt(bag, slot);
    }
    auto* placed = dynamic_cast<Item*>(item.get());
    // The goods bag is the covenant's own store: it takes any item, not only bags.
    int32_t flags = bag == kGoodsBag ? kPlaceAnyGroup : 0;
    if (!inventory->PlaceItem(item, bag, slot, flags)) {
        SellItem(*item);
        return false;
    }
    if (bag == InventoryGroupIndex::House)
        PlaceRelic(placed, slot);
    RecalculateMemberStats(nullptr);
    return true;
}
