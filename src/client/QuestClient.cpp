// QuestClient -- the client's mirror of one world quest: the shared quest record rebuilt from each game update, its NPC answered from the update's quest-actor table.
#include "client/QuestClient.h"

#include "client/ClientApp.h"
#include "client/ClientMusic.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "core/StringUtil.h"
#include "render/TextEvents.h"
#include "rules/RulesEnums.h"
#include "rules/monsters/MonsterType.h"
#include "world/GameQuestWorld.h"
#include "world/World.h"

namespace {

void QuestClientPlay(InterfaceSound sound)
{
    if (gGameClient)
        gGameClient->GetMusic().PlayInterfaceSound(sound);
}

void QuestClientShow(const std::string& text)
{
    if (gTextEvents && !text.empty())
        gTextEvents->AddTextEvent(text, QuestClient::kNewsX, QuestClient::kNewsY, QuestClient::kNewsSeconds,
                                  QuestClient::kNewsKind, true, false);
}

} // namespace

const QuestWorld* QuestClient::GetWorld() const
{
    // It only reads gWorld, so one serves every quest.
    static const GameQuestWorld world;
    return &world;
}

const DatabaseEntry* QuestClient::GetItemRecord()
{
    if (target)
        return target->GetEntry();
    EnsureTargetLevels();
    return GetWorld()->GetLevelAreaEntry(targetLevel);
}

int32_t QuestClient::GetDifficulty() const
{
    return gWorld ? gWorld->GetDifficulty() : 0;
}

int32_t QuestClient::CountTownNpcs() const
{
    return gGameClient ? static_cast<int32_t>(gGameClient->questActorValues.size()) : 0;
}

std::string QuestClient::GetTownNpcName(int32_t npcId) const
{
    if (!gGameClient || npcId < 0 || npcId >= CountTownNpcs())
        return {};
    return gGameClient->questActorNames[static_cast<size_t>(npcId)];
}

int32_t QuestClient::GetTownNpcType(int32_t npcId) const
{
    if (!gGameClient || npcId < 0 || npcId >= CountTownNpcs())
        return 0;
    return gGameClient->questActorValues[static_cast<size_t>(npcId)];
}

void QuestClient::OnReset()
{
    announced = false;
    lastShownProgress = -1;
}

bool QuestClient::HasUsedQuickSlots(const PlayerClient& player)
{
    int32_t skills = 0;
    int32_t items = 0;
    for (int32_t i = 0; i < player.GetQuickUseCount(); ++i) {
        std::array<int32_t, 4> record = player.GetQuickUseRecord(i);
        // The first record starts as an empty skill entry: it counts only once it holds one.
        if (record[0] == 1 && (record[1] != 0 || record[2] != 0 || i != 0))
            ++skills;
        else if (record[0] == 0)
            ++items;
    }
    return skills > 0 && items > 0;
}

int32_t QuestClient::GetShownProgress() const
{
    return type == QuestType::MonsterQuest && !goals.empty() ? goals[0].progress : progress;
}

bool QuestClient::ResolveNpc()
{
    using namespace QuestType;
    if ((type != DeadlyPoison && type != Petrify && type != Kidnapping) || npcId != -1)
        return true;
    // The same draws from the quest's own seed: only the townsperson can come out otherwise.
    RollParameters(true);
    return npcId != -1;
}

void QuestClient::CheckProgress(const PlayerClient& player)
{
    if (level == -1 || !ResolveNpc())
        return;
    if (type == QuestType::TutorialUseSlot && !IsComplete() && HasUsedQuickSlots(player)) {
        SetComplete();
        Client::QueueServerCommand(StringFormat("completeQuest %d", questId));
    }
    if (IsComplete() && !announced)
        AnnounceCompleted();
    else if (failed && !announced)
        AnnounceFailed(player);
    int32_t shown = GetShownProgress();
    if (shown != lastShownProgress && !IsComplete()) {
        QuestClientShow(GetProgressText(false));
        lastShownProgress = shown;
    }
}

void QuestClient::Acknowledge()
{
    lastShownProgress = GetShownProgress();
}

void QuestClient::AnnounceCompleted()
{
    QuestClientShow("$$AnnounceQuestCompleted$$");
    QuestClientPlay(InterfaceSound::QuestComplete);
    announced = true;
}

void QuestClient::AnnounceFailed(const PlayerClient& player)
{
    QuestClientShow(BuildTitle(player.GetPosition().level, true) + " $$AnnounceQuestFailed$$");
    QuestClientPlay(InterfaceSound::QuestFailed);
    announced = true;
}

// Mended: the marker compared the quest's levels with the character's level, so a level-3 hero in
// town saw every quest aimed at level index 3 marked as here.
std::string QuestClient::BuildLogTitle(const PlayerClient& player)
{
    return BuildTitle(player.GetPosition().level, false);
}
