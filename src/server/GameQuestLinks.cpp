// Game -- the world quests as players and the rest of the game reach them: the players' slot copies, look-ups by number, and the world's news passed to the quests.
#include "server/Game.h"

#include "covenants/ActorCovenant.h"
#include "entities/Actor.h"
#include "entities/Chest.h"
#include "entities/Player.h"
#include "rules/RulesEnums.h"
#include "server/quests/GameQuests.h"
#include "server/quests/Quest.h"

std::vector<std::unique_ptr<Quest>>& Game::GetWorldQuests()
{
    return quests->GetList();
}

void Game::DeleteAllQuests(std::vector<std::unique_ptr<Quest>>& list)
{
    for (std::unique_ptr<Quest>& quest : list)
        quest.reset();
    list.clear();
}

std::unique_ptr<EntityQuest> Game::CreatePlayerQuest()
{
    auto copy = std::make_unique<Quest>(quests.get());
    copy->linkedCopy = true;
    return copy;
}

void Game::CreateActorCovenantQuests(const QuestBase& recruitQuest)
{
    for (const std::unique_ptr<Covenant>& covenant : covenants) {
        auto* rival = dynamic_cast<ActorCovenant*>(covenant.get());
        if (!rival)
            continue;
        if (!rival->GetQuest())
            rival->SetQuest(CreatePlayerQuest());
        rival->GetQuest()->CopyFrom(&recruitQuest);
    }
}

void Game::ResetActorCovenantQuests()
{
    for (const std::unique_ptr<Covenant>& covenant : covenants)
        if (auto* rival = dynamic_cast<ActorCovenant*>(covenant.get()); rival && rival->GetQuest())
            rival->GetQuest()->Reset();
}

void Game::RefreshPlayerQuests()
{
    quests->RefreshPlayerQuests();
}

const QuestBase* Game::GetGameQuest(int32_t number) const
{
    return quests->GetQuest(number);
}

void Game::KeepEscortsNear(Sentient& player, const WorldPos& from)
{
    if (auto* holder = dynamic_cast<Player*>(&player))
        quests->KeepEscortsNear(*holder, from);
}

void Game::OfferGateTripToQuests(Sentient& player, const WorldPos& from, const WorldPos&)
{
    KeepEscortsNear(player, from);
}

void Game::GetQuestsOfferedBy(const Entity& actor, std::vector<int32_t>& out) const
{
    // Only the game's tutor deals in lessons. Mended: one fading out after a skip or a restart
    // still listed them, and its clients offered a done lesson's hand-in there.
    if (actor.GetNpcType() == NpcType::Tutor && &actor != GetTutor()) {
        out.clear();
        return;
    }
    quests->FindQuestsFor(actor, out);
}

void Game::OnTownTrapCleared(Entity& trap)
{
    quests->OnTownTrapCleared(trap);
}

void Game::OfferChestToQuests(Chest& chest, Sentient* opener)
{
    quests->OnChestOpened(chest, opener);
}

float Game::GetMonsterRarityMultiplier(const MonsterType& monsterType, int32_t level) const
{
    return quests->GetQuestMultiplier(monsterType, level);
}

void Game::OnQuestAccepted(int32_t number, Sentient& player)
{
    auto* carrier = dynamic_cast<Player*>(&player);
    if (Quest* quest = quests->GetQuest(number); quest && carrier)
        quest->OnAccepted(*carrier);
}

void Game::OnQuestTurnedIn(int32_t number, Sentient& player)
{
    if (auto* carrier = dynamic_cast<Player*>(&player))
        quests->OnQuestTurnedIn(number, *carrier);
}

int32_t Game::FindTalkQuestFor(const Entity& npc) const
{
    for (const auto& quest : quests->GetList())
        if (quest && quest->IsEscortTarget(&npc))
            return quest->questId;
    return -1;
}

void Game::OfferRescueToQuests(Entity& npc)
{
    // By index: a rescue that completes its quest may start the next one into the list.
    std::vector<std::unique_ptr<Quest>>& list = GetWorldQuests();
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i])
            list[i]->Rescue(&npc, true);
}

bool Game::OfferQuestDelivery(Actor& npc, Player& player)
{
    std::vector<std::unique_ptr<Quest>>& list = GetWorldQuests();
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i] && list[i]->Deliver(player, npc))
            return true;
    return false;
}
