// Quest -- acceptance, solving and completion: the news of a solved quest and what each kind takes back, the questions the game asks a quest about itself, a meeting's outcome and the announcement of a new quest.
#include "server/quests/Quest.h"

#include "core/DatabaseEntry.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "entities/Actor.h"
#include "entities/Player.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"
#include "rules/monsters/MonsterArchetype.h"
#include "rules/monsters/MonsterType.h"
#include "rules/quests/QuestDefinition.h"
#include "server/quests/QuestHost.h"

#include <algorithm>
#include <utility>

namespace {

constexpr float kQuestCompletionSoundRadius = 100.0f;

bool QuestCompletionIsAlive(const Entity* entity)
{
    return entity && entity->maxHealth > 0 && entity->health > 0;
}

} // namespace

// ---- Solving ---------------------------------------------------------------------------------------------

void Quest::OnSolved(Player& player)
{
    using namespace QuestType;
    // Mended: the quest's level stood where the viewer's level index belongs, so every client
    // read "[Here]" in the news whenever the two numbers matched.
    if (type != QuestType::Recruit)
        SendQuestMessage("QuestSolved", BuildTitle(kNoViewerLevel, false), kNewsKind);
    switch (type) {
    case QuestType::Recruit: {
        auto* recruit = target.GetAs<Actor>();
        std::string line = host->GetCovenantText(player.covenantIndex);
        SendNews(MakeLocToken("QuestSolvedRecruit", "%s %s", line.c_str(),
                              recruit ? recruit->GetName().c_str() : ""),
                 kNewsKind);
        host->ResetRecruitQuests();
        break;
    }
    case GhostRevenge: case Revenge:
        if (target)
            RemoveTargets();
        break;
    case PoisonedSupply:
        SetSupplyMultiplier(multiplier, 1.0f);
        break;
    case DeadlyPoison: case Petrify:
        if (auto* cured = target.GetAs<Entity>()) {
            cured->RemoveStatusEffect(definition->statusEffect);
            host->AddDynamicNpcChat(type == DeadlyPoison ? ChatDialogType::CuredMePoison
                                                         : ChatDialogType::CuredMePetrify,
                                    "$$" + GetNpcText() + "$$", 0);
        }
        break;
    case Plague:
        for (const QuestVictim& victim : members)
            if (auto* sick = victim.victim.GetAs<Entity>())
                sick->RemoveStatusEffect(definition->statusEffect);
        host->AddDynamicNpcChat(ChatDialogType::CuredPlague, "", 0);
        break;
    case LevelQuestItem: case ArmorsmithLevelQuestItem: case WeaponsmithLevelQuestItem: case StoryBemmelGraves:
    case StoryVarrowFindItem:
        RemoveQuestItems();
        break;
    default:
        break;
    }
    if (definition->tutorialEnd)
        player.EndTutorial(false);
    StartNextQuest();
    SetSolvedBit(player);
}

void Quest::SetSolvedBit(Player& player) const
{
    if (!definition || definition->questSolvedBit == -1 || !host)
        return;
    int64_t bit = int64_t{host->GetSolvedBitBase()} + definition->questSolvedBit;
    if (bit >= 0 && bit <= kMaxSolvedBit)
        player.SetCharacterFlag(static_cast<int32_t>(bit), true);
}

void Quest::OnSolvedByOtherCovenant(int32_t covenantIndex)
{
    if (type != QuestType::Recruit || !host)
        return;
    auto* recruit = target.GetAs<Actor>();
    SendNews(MakeLocToken("QuestSolvedRecruitOtherCovenant", "%s %s", host->GetCovenantText(covenantIndex).c_str(),
                          recruit ? recruit->GetName().c_str() : ""),
             kNewsKind);
    host->ResetRecruitQuests();
    target.Clear();
}

// ---- Questions -----------------------------------------------------------------------------------------

bool Quest::IsAboutMonsterType(const MonsterType* monsterType) const
{
    using namespace QuestType;
    if (IsOfType({BossKnight, BossLord, BossPrince, BossKing, UniqueMonsterSpotted, GhostRevenge, Revenge, Kidnapping,
                  Assassin, StoryKillBemmelScout, StoryKillQuorrinPartner, StoryKillVarrowGuard,
                  StoryKillOskithMage}))
        return monsterType && QuestBase::target == monsterType;
    if (IsOfType({KillMonsterGroup, StoryQuorrinPellDallet, Meeting}))
        return std::any_of(goals.begin(), goals.end(),
                           [monsterType](const QuestGoal& goal) { return monsterType && goal.target == monsterType; });
    return false;
}

bool Quest::CanTakeItemThroughLinks()
{
    Quest* current = this;
    while (current->linkedCopy) {
        if (!current->CanTakeMoreItems())
            return false;
        Quest* world = host ? host->GetWorldQuest(current->questId) : nullptr;
        if (!world || world == current)
            return false;
        current = world;
    }
    return true;
}

// ---- Meetings ---------------------------------------------------------------------------------------------

void Quest::CheckMeetingFailed()
{
    if (type == QuestType::Meeting && IsComplete())
        host->StartQuestOfType(QuestType::War, this);
}

void Quest::ResolveMeeting()
{
    if (QuestCompletionIsAlive(target.GetAs<Entity>()))
        host->StartQuestOfType(QuestType::WarAgainstBarbarians, this);
    if (QuestCompletionIsAlive(secondEntity.GetAs<Entity>()) && goals.size() >= 2) {
        std::swap(goals[0].target, goals[1].target);
        host->StartQuestOfType(QuestType::WarAgainstBarbarians, this);
        std::swap(goals[0].target, goals[1].target);
    }
    RemoveTargets();
    EndEverywhere();
}

// ---- The treasure ------------------------------------------------------------------------------------------

void Quest::OnTreasureOpened(const Entity& chest, Sentient* opener)
{
    auto* player = dynamic_cast<Player*>(opener);
    if (type != QuestType::TreasureMap || treasureChest.Get() != &chest || !player)
        return;
    player->CompleteQuest(questId);
    SendQuestMessage("QuestSolvedTreasureMap", "", 2);
}

// ---- Announcements -----------------------------------------------------------------------------------------

void Quest::Announce()
{
    if (!definition || !definition->announce || definition->eventOnly || definition->boss)
        return;
    SendNews(BuildTitle(kNoViewerLevel, true), kNewsKind);
    std::string news = BuildAnnouncement();
    if (!news.empty())
        SendNews(news, kNewsKind);
    if (host && !definition->announceSound.empty())
        host->QueueSoundAtFirstPlayer(definition->announceSound, kQuestCompletionSoundRadius, 0.0f);
}

std::string Quest::TitleListEntry() const
{
    // Mended: a choice index outside the list names no supply instead of reading past it.
    return npcId >= 0 && static_cast<size_t>(npcId) < definition->titleList.size()
               ? definition->titleList[static_cast<size_t>(npcId)]
               : std::string();
}

std::string Quest::BuildAnnouncement()
{
    using namespace QuestType;
    const MonsterType* subject = GetTarget(0);
    const char* subjectName = subject ? subject->name.c_str() : "";
    auto* actor = target.GetAs<Actor>();
    switch (type) {
    case QuestType::Recruit: {
        std::string className = gGameData ? gGameData->GetCharacterClassName(0) : std::string();
        return MakeLocToken("QuestAnnounceRecruit", "%s %d %s", actor ? actor->GetName().c_str() : "",
                            actor ? actor->stats.Get(CharacterStat::Level) : 0, className.c_str());
    }
    case UniqueMonsterSpotted: case KillMonsterGroup: case Uprising: {
        const char* key = type == UniqueMonsterSpotted ? "QuestAnnounceUniqueMonsterSpotted"
                          : type == Uprising          ? "QuestAnnounceUprising"
                                                      : "QuestAnnounceKillMonsterGroup";
        return MakeLocToken(key, "%s %s", GoalText(0).c_str(), GetLocationText(false, false).c_str());
    }
    case Assassin:
        return MakeLocToken("QuestAnnounceAssassin", "%s", GoalText(0).c_str());
    case WarAgainstBarbarians:
        return MakeLocToken("QuestAnnounceWarAgainstBarbarians", "%s", GoalText(0).c_str());
    case MonsterScout:
        return MakeLocToken("QuestAnnounceMonsterScout", "%s", subjectName);
    case Renegade: case RenegadeAttack: case Delivery: case RescueNpc: case DeadlyPoison: case Petrify: {
        const char* key = type == Renegade         ? "QuestAnnounceRenegade"
                          : type == RenegadeAttack ? "QuestAnnounceRenegadeAttack"
                          : type == Delivery       ? "QuestAnnounceDelivery"
                          : type == RescueNpc      ? "QuestAnnounceRescueNpc"
                          : type == DeadlyPoison   ? "QuestAnnounceDeadlyPoison"
                                                   : "QuestAnnouncePetrify";
        return MakeLocToken(key, "%s", GetNpcText().c_str());
    }
    case Meeting:
        return MakeLocToken("QuestAnnounceMeeting", "%s %s %s", GoalText(0).c_str(), GoalText(1).c_str(),
                            GetLocationText(false, false).c_str());
    case Escort:
        return MakeLocToken("QuestAnnounceEscort", "%s %s %s", GetNpcText().c_str(),
                            GetLocationText(false, false).c_str(), GetLocationText(false, true).c_str());
    case War:
        return MakeLocToken("QuestAnnounceWar", "$$%s$$ $$%s$$", subjectName,
                            GetTarget(1) ? GetTarget(1)->name.c_str() : "");
    case TreasureMap:
        return MakeLocToken("QuestAnnounceTreasureMap", "%s", GetLocationText(false, false).c_str());
    case PoisonedSupply:
        return MakeLocToken("QuestAnnouncePoisonedSupply", "$$%s$$", TitleListEntry().c_str());
    case MonsterQuestItem: case ArmorsmithMonsterQuestItem: case WeaponsmithMonsterQuestItem: {
        const char* key = type == MonsterQuestItem             ? "QuestAnnounceMonsterQuestItem"
                          : type == ArmorsmithMonsterQuestItem ? "QuestAnnounceArmorsmithMonsterQuestItem"
                                                               : "QuestAnnounceWeaponsmithMonsterQuestItem";
        // Mended: the item was named as a level's item, which a monster's is not: empty.
        const char* itemName = subject && subject->archetype ? subject->archetype->questItemName.c_str() : "";
        return MakeLocToken(key, "%s %s", subjectName, itemName);
    }
    case LevelQuestItem: case ArmorsmithLevelQuestItem: case WeaponsmithLevelQuestItem: {
        const char* key = type == LevelQuestItem             ? "QuestAnnounceLevelQuestItem"
                          : type == ArmorsmithLevelQuestItem ? "QuestAnnounceArmorsmithLevelQuestItem"
                                                             : "QuestAnnounceWeaponsmithLevelQuestItem";
        return MakeLocToken(key, "%s", GetTargetName(1).c_str());
    }
    case TownTraps:
        return "$$QuestAnnounceTownTraps$$";
    case Thief:
        return "$$QuestAnnounceThief$$";
    case Siege:
        return "$$QuestAnnounceSiege$$";
    case Kidnapping: {
        std::string shown = actor && host ? host->GetEntityDisplayName(*actor) : std::string();
        return MakeLocToken("QuestAnnounceKidnapping", "%s %s", GoalText(0).c_str(), shown.c_str());
    }
    default:
        return std::string();
    }
}
