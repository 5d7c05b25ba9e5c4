// ActorCovenant -- the rival's party at work: the activity it wants, adventures, rests, the town's defence and simulated battles.
#include "covenants/ActorCovenant.h"

#include "core/DatabaseEntry.h"
#include "core/LocSystem.h"
#include "core/RandomSystem.h"
#include "covenants/CovenantHost.h"
#include "covenants/Recruit.h"
#include "entities/Actor.h"
#include "entities/Chest.h"
#include "entities/EntityQuest.h"
#include "entities/GameServices.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "rules/RulesEnums.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>

namespace {

// Ten wins in a row send a recruit deeper, three losses shallower.
constexpr int32_t kActorCovenantWinsToGoDeeper = 10;
constexpr int32_t kActorCovenantLossesToRetreat = 3;
// Experience kinds: a kill, a chest's find, a quest done.
constexpr int32_t kActorCovenantKillXp = 0;
constexpr int32_t kActorCovenantChestXp = 1;
constexpr int32_t kActorCovenantQuestXp = 2;

} // namespace

// Nearly sure below its own level, hopeless four levels above.
float ActorCovenant::WinChance(int32_t recruitLevel, int32_t monsterLevel)
{
    int32_t above = monsterLevel - recruitLevel;
    if (above < 0)
        return 0.99f;
    constexpr float kChances[] = {0.98f, 0.75f, 0.5f, 0.25f};
    return above < 4 ? kChances[above] : 0.0f;
}

bool ActorCovenant::HasOpenQuest(int32_t type) const
{
    return gCovenantHost && gCovenantHost->HasOpenQuest(type, nullptr);
}

void ActorCovenant::ResetThinkTimer()
{
    Covenant::ResetThinkTimer();
    alertUntil = GetGameTime();
    alertUntil.seconds += DefinitionFloat("AlertTime");
    alertUntil.Normalize();
}

bool ActorCovenant::IsAlerted() const
{
    return TimeLess(GetGameTime(), alertUntil);
}

// ---- The wish and the state machine ---------------------------------------------------------------

int32_t ActorCovenant::ChooseActivity()
{
    RandomTimer& timer = Timer(ActivityTimer);
    if (timer.running && timer.remaining > 0.0f)
        return cachedActivity;
    float length = DefinitionFloat("AdventureTypeTime");
    if (IsAlerted())
        length *= DefinitionFloat("AlertAdventureTypeTimeMult");
    if (length > 0.0f && gRandomSystem) {
        timer.minimum = length * 0.9f;
        timer.maximum = length * 1.1f;
        timer.Restart(*gRandomSystem);
    }
    int32_t wish = WishAdventure;
    if (targetCovenant != -1 || IsBeingRaided() || IsThinkDelayed()) {
        wish = WishStay;
    } else if (HasOpenQuest(kTownAttackQuest)) {
        wish = WishTownAttack;
    } else if (HasOpenQuest(kSiegeQuest)) {
        wish = WishSiege;
    } else {
        const Entity* leader = GetLeader();
        for (const auto& recruit : recruits) {
            const Actor* actor = recruit ? recruit->GetActor() : nullptr;
            // A fight on the spot keeps the party home; the leader's own only while it
            // adventures with nobody.
            if (actor && (actor != leader || adventurePartner == -1) && actor->GetCurrentTarget()) {
                wish = WishStay;
                break;
            }
        }
    }
    cachedActivity = wish;
    return wish;
}

void ActorCovenant::UpdateActivity()
{
    if (targetCovenant != -1 && GetTreatyState(targetCovenant) == CovenantTreaty::Raid)
        return;
    int32_t wish = ChooseActivity();
    switch (activity) {
    case Ready:
        if (wish == WishAdventure)
            StartAdventure();
        else
            DefendIfCalled(wish);
        break;
    case DefendTownAttack:
    case DefendSiege:
        if (wish != (activity == DefendTownAttack ? WishTownAttack : WishSiege)) {
            ReturnHome(true);
            ForgetAdventureLevels();
        }
        break;
    case Adventuring:
        if (wish != WishAdventure || Timer(AdventureTimer).IsExpired()) {
            ReturnHome(true);
            break;
        }
        GoToCandidateQuestLevel();
        if (Timer(BattleTimer).IsExpired())
            SimulateBattle();
        break;
    case Home:
        if (wish == WishAdventure)
            Rest();
        else
            DefendIfCalled(wish);
        break;
    case Resting:
        if (!DefendIfCalled(wish) && Timer(RestTimer).IsExpired())
            activity = Ready;
        break;
    case AdventuringWithCovenant:
        // Any call to the town ends the shared adventure, for the partner too.
        if (wish != WishAdventure)
            StopAdventuringWith(*this);
        break;
    default: break;
    }
}

bool ActorCovenant::DefendIfCalled(int32_t wish)
{
    if (wish == WishTownAttack)
        Defend(DefendTownAttack);
    else if (wish == WishSiege)
        Defend(DefendSiege);
    else
        return false;
    return true;
}

// ---- Operations ---------------------------------------------------------------------------------------

void ActorCovenant::StartAdventure()
{
    StartTimer(BattleTimer);
    StartTimer(AdventureTimer);
    Timer(RestTimer).running = 0;
    activity = Adventuring;
    SendOutParty();
}

void ActorCovenant::Defend(int32_t newActivity)
{
    activity = newActivity;
    SendAllToLevel(0);
    SendOutParty();
}

void ActorCovenant::Rest()
{
    activity = Resting;
    SendAllToLevel(0);
    SendOutParty();
    Entity* person = gCovenantHost ? gCovenantHost->PickLivingTownNpc() : nullptr;
    // A sick or stolen person is no place to gather.
    if (person && !gCovenantHost->HasOpenQuest(kPlagueQuest, person) &&
        !gCovenantHost->HasOpenQuest(kKidnappingQuest, person)) {
        hasRallyPoint = true;
        rallyPoint = person->position;
    }
    if (!Timer(RestTimer).running)
        StartTimer(RestTimer);
}

void ActorCovenant::SendAllToLevel(int32_t level)
{
    for (const auto& recruit : recruits)
        if (recruit)
            recruit->SetAssignedLevel(level);
}

void ActorCovenant::ForgetAdventureLevels()
{
    for (const auto& recruit : recruits)
        if (recruit)
            recruit->assignedLevel = -1;
}

void ActorCovenant::ShowTeleport(const WorldPos& where)
{
    if (gGameServices)
        gGameServices->SpawnModelEntity(kTeleportModel, where, kTeleportSeconds);
}

void ActorCovenant::LeaveParty(Actor& actor)
{
    if (actor.GetLeader())
        actor.RemoveCompanion();
}

void ActorCovenant::ReturnHome(bool teleport)
{
    StartTimer(RestTimer);
    Timer(BattleTimer).running = 0;
    Timer(AdventureTimer).running = 0;
    activity = Home;
    hasRallyPoint = false;
    for (const auto& recruit : recruits) {
        Actor* actor = recruit ? recruit->GetActor() : nullptr;
        if (!actor)
            continue;
        if (recruit->outWithParty) {
            ShowTeleport(actor->position);
            actor->Warp(GetHomePosition());
            ShowTeleport(GetHomePosition());
            recruit->outWithParty = false;
            if (teleport)
                recruit->PickAssignedLevel(1);
        }
        LeaveParty(*actor);
    }
}

void ActorCovenant::TeleportMember(Entity& entity)
{
    Recruit* leader = FindLeaderRecruit();
    if (activity != Adventuring || !leader || leader->GetActor() != &entity)
        return;
    if (leader->assignedLevel == -1)
        leader->PickAssignedLevel(0);
    SendToAdventureLevel(*leader);
}

void ActorCovenant::SendToAdventureLevel(Recruit& recruit)
{
    Actor* actor = recruit.GetActor();
    WorldPos target;
    if (!actor || !gGameServices || !gGameServices->PickPointInLevel(recruit.assignedLevel, target))
        return;
    ShowTeleport(actor->position);
    actor->Warp(target);
    ShowTeleport(actor->position);
}

Recruit* ActorCovenant::FindWeakestRecruit(bool idleOnly) const
{
    Recruit* weakest = nullptr;
    for (const auto& recruit : recruits) {
        if (!recruit || (idleOnly && recruit->outWithParty) || recruit->isHero)
            continue;
        int32_t level = recruit->GetStat(CharacterStat::Level);
        int32_t xp = recruit->GetStat(CharacterStat::Xp);
        if (!weakest || level < weakest->GetStat(CharacterStat::Level) ||
            (level == weakest->GetStat(CharacterStat::Level) && xp < weakest->GetStat(CharacterStat::Xp)))
            weakest = recruit.get();
    }
    return weakest;
}

void ActorCovenant::SendOutParty()
{
    int32_t count = CountRecruits();
    if (count <= 0)
        return;
    auto size = static_cast<int32_t>(std::floor(DrawRandomScaled(RandomStream::GameData, static_cast<float>(count))));
    size = std::min(size, count - 1) + 1;
    for (const auto& recruit : recruits) {
        if (!recruit)
            continue;
        recruit->outWithParty = false;
        if (Actor* actor = recruit->GetActor())
            LeaveParty(*actor);
    }
    Recruit* leader = FindLeaderRecruit();
    if (!leader)
        return;
    leader->outWithParty = true;
    if (leader->assignedLevel == -1)
        leader->PickAssignedLevel(0);
    if (gGameServices && gGameServices->IsKnownLevel(leader->assignedLevel))
        SendToAdventureLevel(*leader);
    if (size <= 1)
        return;
    Recruit* companion = FindWeakestRecruit(true);
    if (!companion)
        return;
    companion->outWithParty = true;
    if (leader->assignedLevel == -1)
        leader->PickAssignedLevel(0);
    companion->SetAssignedLevel(leader->assignedLevel);
    Actor* head = leader->GetActor();
    if (Actor* follower = companion->GetActor(); head && follower)
        head->AddCompanion(follower, GetRecruitSlots() + 1);
}

// ---- Simulated battles ------------------------------------------------------------------------------------

void ActorCovenant::SimulateBattle()
{
    if (HasOpenQuest(kTownAttackQuest)) {
        ReturnHome(false);
        return;
    }
    StartTimer(BattleTimer);
    for (const auto& recruit : recruits) {
        if (!recruit || !recruit->outWithParty)
            continue;
        Actor* actor = recruit->GetActor();
        // On a level in play the fights are real.
        if (actor && actor->position.level >= 1 && gCovenantHost && gCovenantHost->IsLevelActive(actor->position.level) &&
            actor->IsActive())
            continue;
        FightMonster(*recruit);
        if (recruit->assignedLevel == -1)
            recruit->PickAssignedLevel(0);
        actor = recruit->GetActor();
        if (!actor || !gWorld || recruit->assignedLevel < 0 || recruit->assignedLevel >= gWorld->GetLevelCount())
            continue;
        int32_t depth = gWorld->GetLevelMonsterLevel(recruit->assignedLevel);
        if (DrawRandomFloat() < DefinitionFloat("QuestChancePerBattle")) {
            float low = DefinitionFloat("QuestXpMultMin");
            float high = DefinitionFloat("QuestXpMultMax");
            actor->GainExperience(depth, kActorCovenantQuestXp, DrawRandomRange(RandomStream::GameData, low, high));
        }
        if (DrawRandomFloat() < DefinitionFloat("ChestChancePerBattle"))
            OpenChests(*recruit);
    }
}

void ActorCovenant::FightMonster(Recruit& recruit)
{
    Actor* actor = recruit.GetActor();
    int32_t level = recruit.assignedLevel >= 0 ? recruit.assignedLevel : (actor ? actor->position.level : 0);
    // The rolled monster never enters the table: it lives for the fight alone.
    std::unique_ptr<Actor> monster(
        gCovenantHost ? gCovenantHost->RollMonster(level, GetFloatStat(kMonsterRollMultiplier)) : nullptr);
    if (!monster || !actor)
        return;
    // A wanderer looking for a house may join rather than fight; then it stays in the world.
    if (monster->GetNpcType() == NpcType::Recruit && OfferRecruit(*monster, false)) {
        static_cast<void>(monster.release());
        return;
    }
    int32_t own = recruit.GetStat(CharacterStat::Level);
    int32_t theirs = monster->stats.Get(CharacterStat::Level);
    if (!(DrawRandomFloat() < WinChance(own, theirs))) {
        recruit.winStreak = 0;
        if (++recruit.lossStreak >= kActorCovenantLossesToRetreat) {
            recruit.winStreak = recruit.lossStreak = 0;
            recruit.PickAssignedLevel(-1);
        }
        return;
    }
    recruit.lossStreak = 0;
    if (++recruit.winStreak >= kActorCovenantWinsToGoDeeper) {
        recruit.winStreak = recruit.lossStreak = 0;
        recruit.PickAssignedLevel(1);
    }
    actor->GainExperience(theirs, kActorCovenantKillXp, 1.0f);
    actor->OnSuccessfulKill(monster.get());
    // Everything the monster drops lands in its loot bag.
    if (gGameServices)
        gGameServices->DropMonsterLoot(*monster, 0.0f, 0.0f, 0.0f);
    if (IsFirstPlayersCovenantHere())
        return;
    for (int32_t slot = 0; slot < monster->inventory->GetSlotCount(kLootGroup); ++slot)
        if (monster->inventory->GetItem(kLootGroup, slot))
            TakeFoundItem(monster->inventory->RemoveAt(kLootGroup, slot));
}

void ActorCovenant::OpenChests(Recruit& recruit)
{
    Actor* actor = recruit.GetActor();
    if (!actor || !gCovenantHost || !gWorld)
        return;
    int32_t level = recruit.assignedLevel;
    int32_t count = gCovenantHost->GetLevelChestCount(level);
    for (int32_t i = 0; i < count; ++i) {
        std::unique_ptr<Chest> chest = gCovenantHost->MakeLevelChest(level);
        if (!chest)
            continue;
        if (chest->GetEntry() && chest->GetEntry()->GetInt("GivesExperience") != 0) {
            actor->GainExperience(gWorld->GetLevelMonsterLevel(level), kActorCovenantChestXp, 1.0f);
            continue;
        }
        std::vector<std::unique_ptr<Item>> found;
        gCovenantHost->GenerateChestItems(*chest, *actor, found);
        for (std::unique_ptr<Item>& item : found)
            TakeFoundItem(std::move(item));
    }
}

bool ActorCovenant::IsFirstPlayersCovenantHere() const
{
    const Entity* player = GetPlayer();
    return player && gCovenantHost && gCovenantHost->IsFirstPlayer(*player);
}

void ActorCovenant::TakeFoundItem(std::unique_ptr<ItemBase> item)
{
    if (!item)
        return;
    AnnounceFoundItem(*item);
    if (!IsFirstPlayersCovenantHere())
        StoreItem(std::move(item));
}

void ActorCovenant::AnnounceFoundItem(const ItemBase& item) const
{
    int32_t quality = item.GetQuality();
    if (quality < kFirstUniqueQuality || quality > kLastUniqueQuality || !gGameServices || !gCovenantHost)
        return;
    std::string covenant = gCovenantHost->GetCovenantText(index);
    gGameServices->SendMessage(
        MakeLocToken("CovenantFoundUniqueItem", "%s %s", covenant.c_str(), item.GetDisplayName().c_str()),
        kNewsMessageKind);
}

void ActorCovenant::SetQuest(std::unique_ptr<EntityQuest> record)
{
    quest = std::move(record);
}

EntityQuest* ActorCovenant::GetActiveQuest() const
{
    return quest && !quest->IsEmpty() ? quest.get() : nullptr;
}

void ActorCovenant::OnVictimLooted(Sentient&, Entity& victim)
{
    CheckMemberItems(victim);
}
