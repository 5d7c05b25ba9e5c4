// Quest -- the server's record of one quest or world event: its run-time state, its targets, how it pays its reward, and how it leaves the game.
#include "server/quests/Quest.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "entities/Actor.h"
#include "entities/GameServices.h"
#include "entities/Player.h"
#include "rules/RulesEnums.h"
#include "rules/monsters/MonsterType.h"
#include "rules/quests/QuestDefinition.h"
#include "server/quests/QuestHost.h"

#include <algorithm>
#include <climits>

std::vector<const QuestDefinition*> Quest::nextQuestChain;

namespace {

constexpr int32_t kQuestExperienceKind = 2;
constexpr int32_t kQuestRewardMessageKind = 2;
constexpr int32_t kQuestSkippedMessageKind = 3;

// "1,234,567": the gain as the clients show it over the gainer.
std::string QuestGroupDigits(int32_t value)
{
    std::string digits = std::to_string(value);
    std::string out;
    int32_t count = static_cast<int32_t>(digits.size());
    for (int32_t i = 0; i < count; ++i) {
        if (i > 0 && (count - i) % 3 == 0 && digits[static_cast<size_t>(i - 1)] != '-')
            out += ',';
        out += digits[static_cast<size_t>(i)];
    }
    return out;
}

bool QuestIsHostileStanding(int32_t relationship)
{
    return relationship == 0 || relationship == 1;
}

} // namespace

Quest::Quest(QuestHost* host) : host(host)
{
    eventTimer.listed = 1;
    OnReset();
}

// ---- What the rules' quest asks ---------------------------------------------------------------

void Quest::OnReset()
{
    target.Clear();
    success = 0;
    multiplier = 1.0f;
    eventFlag = false;
    targetHealthFraction = 1.0f;
    spawnedCount = 0;
    hidden = false;
    levelItemsPending = false;
    pendingBlock = -1;
    derived = false;
    statusEffect = 0;
    met = false;
}

void Quest::SetFailed()
{
    if (failed)
        return;
    failed = true;
    StartNextQuest();
}

int32_t Quest::GetDifficulty() const
{
    return host ? host->GetDifficulty() : 0;
}

int32_t Quest::CountTownNpcs() const
{
    return host ? host->CountTownNpcs() : 0;
}

std::string Quest::GetTownNpcName(int32_t npcId) const
{
    Actor* npc = host ? host->GetTownNpc(npcId) : nullptr;
    return npc ? npc->GetName() : std::string();
}

int32_t Quest::GetTownNpcType(int32_t npcId) const
{
    Actor* npc = host ? host->GetTownNpc(npcId) : nullptr;
    return npc ? npc->GetNpcType() : NpcType::None;
}

const QuestWorld* Quest::GetWorld() const
{
    return host ? host->GetQuestWorld() : nullptr;
}

// ---- Kinds --------------------------------------------------------------------------------------

bool Quest::IsOfType(std::initializer_list<int32_t> types) const
{
    return std::find(types.begin(), types.end(), type) != types.end();
}

bool Quest::IsItemFetchKind() const
{
    return IsOfType({QuestType::LevelQuestItem, QuestType::PoisonedSupply, QuestType::ArmorsmithLevelQuestItem,
                     QuestType::WeaponsmithLevelQuestItem, QuestType::StoryBemmelGraves,
                     QuestType::StoryVarrowFindItem});
}

bool Quest::IsNpcKind() const
{
    return IsOfType({QuestType::RescueNpc, QuestType::Delivery, QuestType::GhostRevenge, QuestType::Revenge,
                     QuestType::Escort, QuestType::Recruit, QuestType::Kidnapping});
}

Entity* Quest::GetWorldTarget() const
{
    if (!linkedCopy)
        return target.GetAs<Entity>();
    Quest* world = host ? host->GetWorldQuest(questId) : nullptr;
    return world && world != this ? world->target.GetAs<Entity>() : nullptr;
}

// ---- Set-up around an entity --------------------------------------------------------------------

void Quest::InitFromEntity(Entity* entity)
{
    if (level == -1 || linkedCopy || !host)
        return;
    bool duplicate = definition && !definition->duplicatesAllowed && host->HasDuplicateQuest(*this);
    if (duplicate || !host->CanStartQuest(*this) || !entity) {
        ended = true;
        return;
    }
    if (type == QuestType::UniqueMonsterSpotted) {
        InitAroundSpottedMonster(entity);
        if (ended)
            return;
    }
    if (definition && !definition->duplicatesAllowed && host->HasDuplicateQuest(*this)) {
        ended = true;
    } else if (definition && definition->hasUniqueMonster) {
        if (targetLevel == -1)
            AssignTargetLevels();
        if (!host->AreUniqueMonstersAllowed(targetLevel))
            ended = true;
    }
}

void Quest::InitAroundSpottedMonster(Entity* entity)
{
    auto* actor = dynamic_cast<Actor*>(entity);
    if (!actor || !actor->GetMonsterType()) {
        ended = true;
        return;
    }
    actor->questFigure = true;
    QuestBase::target = actor->GetMonsterType();
    target.Set(actor);
    if (!host->PlaceQuestAtLevel(*this, actor->position.level))
        ended = true;
}

// ---- Questions about an NPC -------------------------------------------------------------------

bool Quest::IsFor(int32_t npcType, const Entity* entity) const
{
    if (type == QuestType::MonsterQuest && entity && entity == target.GetAs<Entity>())
        return true;
    if (!IsReturnNpcType(npcType))
        return false;
    if (npcType == NpcType::OneShot)
        return entity && entity == GetWorldTarget();
    return true;
}

bool Quest::IsRescueTarget(const Entity* entity) const
{
    if (!IsOpen() || !entity)
        return false;
    if (type == QuestType::RescueNpc) {
        if (entity == GetWorldTarget())
            return true;
        auto* actor = dynamic_cast<const Actor*>(entity);
        const MonsterType* monsterType = actor ? actor->GetMonsterType() : nullptr;
        return definition && !definition->defaultMonster.empty() && monsterType &&
               monsterType->GetEntry() &&
               monsterType->GetEntry()->GetName() == definition->defaultMonster;
    }
    return IsOfType({QuestType::Kidnapping, QuestType::StoryQuorrinRescue}) && entity == target.GetAs<Entity>();
}

bool Quest::IsDeliveryTarget(const Entity* entity) const
{
    return IsOpen() && entity && type == QuestType::Delivery && entity == target.GetAs<Entity>();
}

bool Quest::IsEscortTarget(const Entity* entity) const
{
    return IsOpen() && entity && type == QuestType::Escort && entity == target.GetAs<Entity>();
}

// ---- Rewards ------------------------------------------------------------------------------------

void Quest::GiveReward(Player* player)
{
    if (!player)
        return;
    GiveExperience(*player);
    if (Sentient* companion = player->FirstCompanion())
        GiveExperience(*companion);
    if (moneyReward != 0)
        player->AddMoney(moneyReward);
    GiveScore(*player);
    GiveItems(*player);
    CheckMonsterQuestTruce(*player);
}

void Quest::GiveExperience(Sentient& gainer) const
{
    int32_t gain = gainer.GainExperience(level, kQuestExperienceKind, static_cast<float>(xpReward) / 100.0f);
    if (gain > 0 && gGameServices)
        gGameServices->QueueClientCommand(
            StringFormat("dmg %d +%sxp", gainer.entityNumber, QuestGroupDigits(gain).c_str()));
}

void Quest::GiveScore(Player& player) const
{
    if (!definition)
        return;
    int64_t score = static_cast<int64_t>(definition->scoreBase) +
                    static_cast<int64_t>(definition->scorePerCount) * static_cast<int64_t>(count);
    if (score > 0)
        player.stats.Add(CharacterStat::Score, static_cast<int32_t>(std::min<int64_t>(score, INT_MAX)));
}

void Quest::GiveItems(Player& player)
{
    if (!definition || !host)
        return;
    if (definition->armorReward || definition->weaponReward) {
        host->DropRewardItem(*this, player, definition->armorReward, definition->weaponReward);
        SendQuestMessage(definition->armorReward ? "QuestArmorReward" : "QuestWeaponReward", "",
                         kQuestRewardMessageKind);
    }
    if (definition->itemReward && !HasPlayerSolved(&player)) {
        host->DropItem(definition->itemReward, player);
        SendQuestMessage("QuestItemReward", "", kQuestRewardMessageKind);
    }
}

void Quest::CheckMonsterQuestTruce(const Player& player)
{
    auto* monster = target.GetAs<Entity>();
    if (type != QuestType::MonsterQuest || !monster || !host || !definition)
        return;
    int32_t before = host->GetRelationship(player, *monster);
    host->ChangeFactionRelation(*monster, player, definition->reputationChange);
    int32_t after = host->GetRelationship(player, *monster);
    if (!QuestIsHostileStanding(before) || QuestIsHostileStanding(after))
        return;
    auto* actor = dynamic_cast<Actor*>(monster);
    std::string name = actor ? actor->GetName() : std::string();
    if (name.empty() && monster->GetEntry())
        name = std::string(monster->GetEntry()->GetName());
    SendQuestMessage("QuestMonsterQuestTruce", name, kQuestRewardMessageKind);
}

void Quest::SendQuestMessage(std::string_view key, const std::string& argument, int32_t kind)
{
    if (!gGameServices)
        return;
    std::string keyText(key);
    std::string text = keyText.empty()     ? argument
                       : argument.empty() ? "$$" + keyText + "$$"
                                          : MakeLocToken(keyText, "%s", argument.c_str());
    gGameServices->SendMessage(text, kind);
}

// ---- Solved story quests ----------------------------------------------------------------------

bool Quest::HasPlayerSolved(const Player* player) const
{
    if (!definition || definition->questSolvedBit == -1 || !player || !host)
        return false;
    int64_t bit = static_cast<int64_t>(host->GetSolvedBitBase()) + definition->questSolvedBit;
    if (bit < 0 || bit > kMaxSolvedBit) {
        DebugSystem::Print(kPrintWarning, "Quest %s: solved bit %lld lies outside 0..%d\n",
                           definition->GetEntry() ? std::string(definition->GetEntry()->GetName()).c_str() : "",
                           static_cast<long long>(bit), kMaxSolvedBit);
        return false;
    }
    return host->IsSolvedBitSet(*player, static_cast<int32_t>(bit));
}

bool Quest::SkipIfSolved(const Player* player)
{
    if (!HasPlayerSolved(player))
        return false;
    SendQuestMessage("QuestSkipped", BuildTitle(kNoViewerLevel, true), kQuestSkippedMessageKind);
    if (IsOfType({QuestType::StoryBemmelGraves, QuestType::StoryVarrowFindItem}))
        RemoveQuestItems();
    RemoveTargets();
    StartNextQuest();
    host->DeleteQuest(*this);
    return true;
}

// ---- Leaving the game ---------------------------------------------------------------------------

void Quest::Abandon()
{
    if (!resetFlag)
        return;
    if (linkedCopy || type != QuestType::TreasureMap) {
        if (IsItemFetchKind())
            RemoveQuestItems();
        if (linkedCopy) {
            Reset();
            return;
        }
        if (!failed && !(IsComplete() && IsNpcKind()))
            return;
    }
    if (host)
        host->DeleteQuest(*this);
}

void Quest::RemoveTargets()
{
    for (SafePointer* pointer : {&target, &secondEntity}) {
        if (auto* entity = pointer->GetAs<Entity>())
            entity->FadeOutAndDelete(kTargetFadeSeconds);
        pointer->Clear();
    }
}

void Quest::RemoveQuestItems()
{
    for (SafePointer& item : spawned) {
        if (auto* entity = item.GetAs<Entity>())
            entity->ScheduleDelete(0.0f);
        item.Clear();
    }
    spawnedCount = 0;
}

void Quest::StartNextQuest()
{
    // A player's copy mirrors the world quest, whose own ending starts the follow-up.
    if (linkedCopy || !definition || definition->nextQuest.empty() || !host)
        return;
    if (std::find(nextQuestChain.begin(), nextQuestChain.end(), definition) != nextQuestChain.end()) {
        DebugSystem::Print(kPrintWarning, "Quest %s: its NextQuest chain comes back to it; not started again\n",
                           definition->nextQuest.c_str());
        return;
    }
    const DatabaseEntry* next = gDatabase ? gDatabase->FindEntryByName(definition->nextQuest) : nullptr;
    if (!next) {
        DebugSystem::Print(kPrintWarning, "Quest NextQuest %s names no record\n", definition->nextQuest.c_str());
        return;
    }
    nextQuestChain.push_back(definition);
    host->StartQuest(next, nullptr, -1);
    nextQuestChain.pop_back();
}

void Quest::OnRemove(bool startFollowUp)
{
    bool holdsTargets = target || secondEntity;
    if (holdsTargets && IsOfType({QuestType::GhostRevenge, QuestType::Revenge, QuestType::MonsterQuest,
                                  QuestType::MonsterScout, QuestType::RescueNpc, QuestType::Delivery,
                                  QuestType::Escort, QuestType::UniqueMonsterSpotted, QuestType::Meeting}))
        RemoveTargets();
    if (definition && definition->monsterSpawnChanceMult > 0.0f && host)
        host->UndoSpawnChanceChange(targetLevel, QuestBase::target, definition->monsterSpawnChanceMult);
    if (ended && startFollowUp)
        StartNextQuest();
    if (type == QuestType::Recruit && host)
        host->ResetRecruitQuests();
}

void Quest::OnAccepted(Player&)
{
    SendQuestMessage("QuestAccepted", BuildTitle(kNoViewerLevel, true), kQuestSkippedMessageKind);
    if (levelItemsPending)
        SpawnLevelItems();
}

bool Quest::IsLate() const
{
    if (!IsOpen() || !host)
        return false;
    if (type == QuestType::Recruit && host->IsQuestCompleteForAnyPlayer(questId))
        return false;
    return definition && definition->maxTime > 0.0f && TimeLess(deadline, host->GetNow());
}
