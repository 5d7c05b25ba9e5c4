// Game -- the game as its covenants' host: the first player, the pedestals' places and the guards the spawn system makes.
#include "server/Game.h"

#include "covenants/Covenant.h"
#include "entities/Actor.h"
#include "entities/Sentient.h"
#include "rules/RulesEnums.h"
#include "server/spawn/SpawnSystem.h"

#include <algorithm>

bool Game::IsFirstPlayer(const Entity& entity) const
{
    auto first = std::find_if(players.begin(), players.end(), [](const Sentient* player) { return player; });
    return first != players.end() && *first == &entity;
}

Vector2 Game::GetPedestalOffset(int32_t i) const
{
    return i >= 0 && static_cast<size_t>(i) < pedestalOffsets.size() ? pedestalOffsets[static_cast<size_t>(i)]
                                                                     : Vector2{};
}

// A covenant's guard comes without the enchantments of a rarity: it is the house's, not the wild's.
Actor* Game::MakeGuard(const MonsterType& type, int32_t level)
{
    return gSpawnSystem ? gSpawnSystem->SpawnMonster(&type, 0, level, 0, true) : nullptr;
}

void Game::SetTreaty(Covenant& first, Covenant& second, int32_t treaty)
{
    AnnounceDiplomacy(first.index, second.index, treaty, false);
}

void Game::CancelTradeRoute(Covenant& first, Covenant& second)
{
    SetTradeRoute(&first, &second, TradeRouteType::None, false);
}

void Game::StartRaid(Covenant& raider, Covenant& raided)
{
    StartRaid(raider.index, raided.index);
}

void Game::StopRaid(Covenant& raider, Covenant& raided)
{
    StopRaid(raider.index, raided.index);
}
