// Game -- the world quests as players and the rest of the game reach them: the players' slot copies and look-ups by number.
#include "server/Game.h"

#include "server/quests/GameQuests.h"
#include "server/quests/Quest.h"

std::vector<std::unique_ptr<Quest>>& Game::GetWorldQuests()
{
    return quests->GetList();
}

std::unique_ptr<EntityQuest> Game::CreatePlayerQuest()
{
    auto copy = std::make_unique<Quest>(quests.get());
    copy->linkedCopy = true;
    return copy;
}

const QuestBase* Game::GetGameQuest(int32_t number) const
{
    return quests->GetQuest(number);
}
