// GameClientQueries -- what the menus' texts and conditions ask of the game client: covenant names, the world quests, the trade window and the selected NPC's record.
#include "client/GameClient.h"

#include "client/ClientApp.h"
#include "client/PlayerClient.h"
#include "client/PlayerCovenantClient.h"
#include "client/QuestClient.h"
#include "client/RecruitClient.h"
#include "rules/RulesEnums.h"

std::string GameClient::GetCovenantName(int32_t index) const
{
    bool named = index >= 0 && index < covenantCount && index < static_cast<int32_t>(covenants.size());
    return named ? covenants[static_cast<size_t>(index)]->GetShownName() : std::string();
}

std::string GameClient::GetCovenantText(int32_t index) const
{
    bool named = index >= 0 && index < covenantCount && index < static_cast<int32_t>(covenants.size());
    return named ? covenants[static_cast<size_t>(index)]->GetDisplayName() : std::string();
}

bool GameClient::HasOpenQuest(bool townAttack, bool siege) const
{
    for (const auto& quest : quests) {
        if (!quest || quest->level == -1 || quest->failed || quest->IsComplete())
            continue;
        if ((townAttack && quest->type == QuestType::TownAttack) || (siege && quest->type == QuestType::Siege))
            return true;
    }
    return false;
}

bool GameClient::IsTradeOpen() const
{
    const PlayerClient* player = gClientApp ? gClientApp->GetLocalPlayer() : nullptr;
    return player && player->tradeFlag && player->GetCovenant();
}

const RecruitClient* GameClient::GetSelectedNpcRecord() const
{
    const PlayerClient* player = gClientApp ? gClientApp->GetLocalPlayer() : nullptr;
    const PlayerCovenantClient* covenant = player ? player->GetCovenant() : nullptr;
    int32_t number = covenant ? player->GetTargetNumber(true) : -1;
    if (number < 0)
        return nullptr;
    if (const RecruitClient* recruit = covenant->GetRecruit(covenant->FindRecruitSlot(number)))
        return recruit;
    return covenant->IsHero(number) ? &covenant->GetHero() : nullptr;
}
