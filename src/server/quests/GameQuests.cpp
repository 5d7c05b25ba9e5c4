// GameQuests -- the game's list of world quests: the list itself, starting quests, and what the quests ask of the game.
#include "server/quests/GameQuests.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "core/RandomSystem.h"
#include "covenants/Covenant.h"
#include "covenants/FactionSystem.h"
#include "entities/Actor.h"
#include "entities/Item.h"
#include "entities/Player.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"
#include "rules/monsters/MonsterDefinition.h"
#include "rules/monsters/MonsterType.h"
#include "rules/quests/QuestDefinition.h"
#include "server/Game.h"
#include "server/quests/Quest.h"
#include "server/spawn/SpawnSystem.h"
#include "world/AreaDefinition.h"
#include "world/World.h"

#include <algorithm>

namespace {

constexpr int32_t kGameQuestsNoticeKind = 4;
constexpr int32_t kGameQuestsOwnKind = 2;
// Pool entries a quest adds to a level's monsters carry this tag plus the type's index, so
// that its removal takes back exactly what it added.
constexpr int32_t kGameQuestsSpawnTag = 0x51000;

// -1 (no faction: the neutral answers) without the faction system or a faction of that name.
int32_t GameQuestsFaction(const MonsterType& monsterType)
{
    return gFactionSystem ? gFactionSystem->GetFactionIndex(monsterType.GetFactionName()) : -1;
}

Player* GameQuestsAsPlayer(Sentient* sentient)
{
    return dynamic_cast<Player*>(sentient);
}

} // namespace

GameQuests::GameQuests(Game& game) : game(game)
{
    LoadTuning();
    Reset();
}

GameQuests::~GameQuests() = default;

void GameQuests::Reset()
{
    Game::DeleteAllQuests(list);
    Game::DeleteAllQuests(finished);
    for (RandomTimer& timer : timers)
        timer = RandomTimer{};
    initialQuestsPending = false;
}

void GameQuests::LoadTuning()
{
    pacing.Load(gDatabase ? gDatabase->FindEntryByName("GameSystem") : nullptr);
}

// ---- The list ---------------------------------------------------------------------------------------

int32_t GameQuests::FindFreeQuestSlot() const
{
    return Game::FindFreeSlot(list);
}

int32_t GameQuests::AddQuest(std::unique_ptr<Quest> quest)
{
    int32_t index = FindFreeQuestSlot();
    if (index == -1) {
        index = static_cast<int32_t>(list.size());
        list.push_back(nullptr);
    }
    quest->questId = index;
    Quest* added = quest.get();
    list[static_cast<size_t>(index)] = std::move(quest);
    added->Announce();
    Player* first = GetFirstPlayer();
    if (added->definition && added->definition->autoGiveToPlayer && first)
        first->AcceptQuest(index);
    return index;
}

Quest* GameQuests::GetQuest(int32_t index) const
{
    return index >= 0 && static_cast<size_t>(index) < list.size() ? list[static_cast<size_t>(index)].get() : nullptr;
}

void GameQuests::DeleteQuest(int32_t index)
{
    Quest* quest = GetQuest(index);
    if (!quest)
        return;
    // Mended: the slots let go of their copies first, so none names a number the list reuses.
    for (Sentient* sentient : game.GetPlayers())
        if (Player* player = GameQuestsAsPlayer(sentient); player && player->HasQuest(index))
            player->AbandonQuest(index);
    quest->OnRemove();
    // The removal may have started a follow-up, which never takes this still-held entry.
    // Mended: the quest was freed here while the step that ended it still ran on it.
    finished.push_back(std::move(list[static_cast<size_t>(index)]));
}

void GameQuests::DeleteQuest(Quest& quest)
{
    if (GetQuest(quest.questId) == &quest)
        DeleteQuest(quest.questId);
}

void GameQuests::SolveQuest(int32_t index, Player& solver)
{
    Quest* quest = GetQuest(index);
    if (!quest)
        return;
    quest->OnSolved(solver);
    DeleteQuest(index);
}

// Mended: the first turn-in deleted the quest, and with it every other holder's copy unpaid.
void GameQuests::OnQuestTurnedIn(int32_t index, Player& solver)
{
    Quest* quest = GetQuest(index);
    // Another holder's turn-in inside the solver's: the solver's solves the quest.
    if (!quest || index == turningIn)
        return;
    int32_t outer = turningIn;
    turningIn = index;
    if (quest->type != QuestType::Recruit)
        for (Sentient* sentient : game.GetPlayers())
            if (Player* holder = GameQuestsAsPlayer(sentient); holder && holder != &solver && holder->HasQuest(index)) {
                holder->TurnInQuest(index, false);
                // Mended: only the solver got the story's solved bit, so the story started the
                // quest again for a paid holder. A paid holder's copy is gone.
                if (!holder->HasQuest(index))
                    quest->SetSolvedBit(*holder);
            }
    turningIn = outer;
    SolveQuest(index, solver);
}

void GameQuests::RemoveQuestIfUnheld(int32_t index)
{
    if (!IsQuestHeldByPlayer(index))
        DeleteQuest(index);
}

void GameQuests::EndQuestForPlayers(int32_t questId)
{
    for (Sentient* sentient : game.GetPlayers()) {
        Player* player = GameQuestsAsPlayer(sentient);
        for (int32_t slot = 0; player && slot < Player::kQuestSlotCount; ++slot) {
            EntityQuest* copy = player->GetQuestSlot(slot);
            if (copy && !copy->IsEmpty() && copy->questId == questId)
                copy->SetFailed();
        }
    }
}

void GameQuests::CompletePlayerQuests(int32_t questId)
{
    Quest* quest = GetQuest(questId);
    if (!quest)
        return;
    bool give = quest->definition && quest->definition->autoGiveToPlayerWhenCompleted;
    // Every player takes it first: the first turn-in pays every holder and solves the quest,
    // which leaves nothing to take after it.
    for (Sentient* sentient : game.GetPlayers())
        if (Player* player = GameQuestsAsPlayer(sentient); player && give)
            player->AcceptQuest(questId);
    for (Sentient* sentient : game.GetPlayers())
        if (Player* player = GameQuestsAsPlayer(sentient))
            player->TurnInQuest(questId, false);
}

bool GameQuests::IsQuestHeldByPlayer(int32_t questId) const
{
    if (!GetQuest(questId))
        return false;
    const std::vector<Sentient*>& players = game.GetPlayers();
    return std::any_of(players.begin(), players.end(), [questId](Sentient* sentient) {
        Player* player = GameQuestsAsPlayer(sentient);
        return player && player->HasQuest(questId);
    });
}

bool GameQuests::IsQuestCompleteForAnyPlayer(int32_t questId) const
{
    const std::vector<Sentient*>& players = game.GetPlayers();
    return std::any_of(players.begin(), players.end(), [questId](Sentient* sentient) {
        Player* player = GameQuestsAsPlayer(sentient);
        return player && player->IsQuestComplete(questId);
    });
}

bool GameQuests::HasOpenQuestOfType(int32_t questType) const
{
    return std::any_of(list.begin(), list.end(), [questType](const std::unique_ptr<Quest>& quest) {
        return quest && quest->type == questType && !quest->IsComplete() && !quest->ended;
    });
}

Quest* GameQuests::FindQuestForTarget(int32_t questType, const Entity* entity) const
{
    const auto* actor = dynamic_cast<const Actor*>(entity);
    for (const auto& quest : list) {
        if (!quest || quest->type != questType || !entity)
            continue;
        if (quest->GetTargetEntity() == entity)
            return quest.get();
        if (actor && quest->QuestBase::target && quest->QuestBase::target == actor->GetMonsterType())
            return quest.get();
    }
    return nullptr;
}

Quest* GameQuests::FindFirstRecruitQuest() const
{
    for (const auto& quest : list)
        if (quest && quest->type == QuestType::Recruit)
            return quest.get();
    return nullptr;
}

// The definitions flagged "ActiveQuest" are the ones the pacing counts (our reading of the
// counted kind: the quests a player takes on, not the world's events).
int32_t GameQuests::CountCountedQuests() const
{
    return static_cast<int32_t>(std::count_if(list.begin(), list.end(), [](const std::unique_ptr<Quest>& quest) {
        return quest && quest->definition && quest->definition->activeQuest;
    }));
}

void GameQuests::SkipQuestByIndex(int32_t questId)
{
    if (Quest* quest = GetQuest(questId))
        quest->SkipIfSolved(GetFirstPlayer());
}

void GameQuests::QuestSolvedByOtherCovenant(int32_t index, int32_t covenantIndex)
{
    Quest* quest = GetQuest(index);
    if (!quest)
        return;
    quest->OnSolvedByOtherCovenant(covenantIndex);
    EndQuestForPlayers(index);
    RemoveQuestIfUnheld(index);
}

void GameQuests::OnRecruitTaken(const Entity& recruit, int32_t covenantIndex)
{
    auto about = std::find_if(list.begin(), list.end(), [&recruit](const std::unique_ptr<Quest>& quest) {
        return quest && quest->type == QuestType::Recruit && !quest->failed && quest->GetTargetEntity() == &recruit;
    });
    if (about == list.end())
        return;
    int32_t number = (*about)->questId;
    // Mended: a holder taking on its own quest's recruit heard it had sworn to its own house,
    // and its quest failed.
    for (Sentient* sentient : game.GetPlayers()) {
        Player* holder = GameQuestsAsPlayer(sentient);
        if (!holder || holder->covenantIndex != covenantIndex || !holder->HasQuest(number))
            continue;
        if (holder->IsQuestComplete(number))
            holder->CompleteQuest(number);
        else
            SolveQuest(number, *holder);
        return;
    }
    QuestSolvedByOtherCovenant(number, covenantIndex);
}

bool GameQuests::IsNpcBusyWithQuest(const Entity* npc) const
{
    if (!npc)
        return true;
    return std::any_of(list.begin(), list.end(), [npc](const std::unique_ptr<Quest>& quest) {
        return quest && quest->questId != -1 && quest->GetTargetEntity() == npc;
    });
}

void GameQuests::CollectFreeMonsterTypes(int32_t kind, int32_t minLevel, int32_t maxLevel,
                                         std::vector<MonsterType*>& out) const
{
    out.clear();
    int32_t filter = kind == MonsterRarity::Unique   ? GameData::kMonsterFilterUnique
                     : kind == MonsterRarity::Legend ? GameData::kMonsterFilterLegend
                     : kind == MonsterRarity::Boss   ? GameData::kMonsterFilterBoss
                                                     : -1;
    if (filter == -1 || !gGameData)
        return;
    gGameData->CollectMonsterTypes(filter, out, minLevel, maxLevel);
    auto used = [this](const MonsterType* type) {
        return std::any_of(list.begin(), list.end(), [type](const std::unique_ptr<Quest>& quest) {
            return quest && quest->IsAboutMonsterType(type);
        });
    };
    out.erase(std::remove_if(out.begin(), out.end(), used), out.end());
}

// ---- Starting quests --------------------------------------------------------------------------------

int32_t GameQuests::PickQuestLevel(int32_t requested)
{
    Player* first = GetFirstPlayer();
    if (!first)
        return std::max(requested, 0);
    int32_t playerLevel = first->stats.Get(CharacterStat::Level);
    int32_t low = playerLevel - pacing.easyQuestLevelDiff;
    int32_t high = playerLevel;
    if (playerLevel >= pacing.minLevelForHardQuests)
        high += pacing.hardQuestLevelDiff;
    // A world laid out without monster levels has no range to hold the window to.
    if (gWorld && gWorld->GetHighestMonsterLevel() > 0 &&
        gWorld->GetLowestMonsterLevel() <= gWorld->GetHighestMonsterLevel()) {
        low = std::max(low, gWorld->GetLowestMonsterLevel());
        high = std::min(high, gWorld->GetHighestMonsterLevel());
    }
    // Mended: a window the world cuts below its low end would give a level below the low bound.
    high = std::max(high, low);
    if (requested != -1)
        return std::clamp(requested, low, high);
    float roll = DrawRandomFloat();
    return RandomSystem::IndexFromFraction(roll, low, high);
}

Quest* GameQuests::Begin(const QuestDefinition& definition, Quest* origin, int32_t questLevel)
{
    if (!gRandomSystem)
        return nullptr;
    for (int32_t attempt = 0; attempt < pacing.createQuestTries; ++attempt) {
        auto quest = std::make_unique<Quest>(this);
        uint32_t questSeed = gRandomSystem->Next(RandomStream::GameData);
        if (!quest->Setup(definition.GetEntry(), questLevel, questSeed, 0, game.GetElapsed()))
            return nullptr;
        // The seeded choices: the NPC, then the target levels the start conditions ask about.
        quest->RollParameters(false);
        quest->AssignTargetLevels();
        quest->Generate(false, origin);
        quest->Generate();
        bool ended = quest->ended;
        if (!ended && !definition.eventOnly)
            return GetQuest(AddQuest(std::move(quest)));
        // Mended: every failed try started the follow-up, so a chain's later steps started once
        // per try of each step before them. A try that is tried again goes without it; the
        // last one starts it once.
        bool triedAgain = ended && attempt + 1 < pacing.createQuestTries;
        quest->OnRemove(!triedAgain);
        // A world event has happened by now: only one that failed is tried again.
        if (!ended)
            return nullptr;
    }
    return nullptr;
}

Quest* GameQuests::StartQuest(int32_t definitionIndex, Quest* origin, int32_t level)
{
    const QuestDefinition* definition = gGameData ? gGameData->GetQuestDefinitions().Get(definitionIndex) : nullptr;
    return definition ? Begin(*definition, origin, PickQuestLevel(level)) : nullptr;
}

void GameQuests::StartQuest(const DatabaseEntry* definition, Quest* origin, int32_t level)
{
    const QuestDefinition* found = gGameData ? gGameData->FindQuestDefinition(definition) : nullptr;
    if (!found) {
        DebugSystem::Print(kPrintWarning, "Couldn't start quest %s: it is no quest definition\n",
                           definition ? std::string(definition->GetName()).c_str() : "");
        return;
    }
    Begin(*found, origin, PickQuestLevel(level));
}

Quest* GameQuests::StartQuestOfType(int32_t questType, Quest* origin)
{
    int32_t index = gGameData ? gGameData->FindWeightedEntry(questType) : -1;
    return index == -1 ? nullptr : StartQuest(index, origin, -1);
}

Quest* GameQuests::StartQuestFromDefinition(const QuestDefinition* definition)
{
    return definition ? Begin(*definition, nullptr, PickQuestLevel(-1)) : nullptr;
}

Quest* GameQuests::StartWorldEvent()
{
    const DatabaseEntry* entry = gGameData ? gGameData->PickRandomEvent() : nullptr;
    const QuestDefinition* definition = entry ? gGameData->FindQuestDefinition(entry) : nullptr;
    return definition ? Begin(*definition, nullptr, PickQuestLevel(-1)) : nullptr;
}

void GameQuests::StartQuestByName(const std::string& name)
{
    const DatabaseEntry* entry = gDatabase ? gDatabase->FindEntryByName(name) : nullptr;
    StartQuest(entry, nullptr, -1);
}

bool GameQuests::UseTreasureMap(const Item& map, Sentient& user)
{
    auto* player = dynamic_cast<Player*>(&user);
    if (!player)
        return false;
    if (!player->HasFreeQuestSlot()) {
        player->SendMessage("$$FullQuestSlots$$", kGameQuestsNoticeKind);
        return false;
    }
    const DatabaseEntry* record = map.GetEntry();
    const DatabaseEntry* entry =
        record && gDatabase ? gDatabase->FindEntryByName(record->GetString("QuestName")) : nullptr;
    const QuestDefinition* definition = entry && gGameData ? gGameData->FindQuestDefinition(entry) : nullptr;
    Quest* quest = definition ? Begin(*definition, nullptr, PickQuestLevel(map.GetLevel())) : nullptr;
    if (quest && player->AcceptQuest(quest->questId))
        return true;
    player->SendMessage("$$QuestTreasureMapOutOfRange$$", kGameQuestsOwnKind);
    return false;
}

void GameQuests::EndTutorial(bool skipped)
{
    if (!skipped)
        return;
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i] && list[i]->type == QuestType::Recruit)
            DeleteQuest(static_cast<int32_t>(i));
}

void GameQuests::OnPlayerJoined(Player& player)
{
    for (size_t i = 0; i < list.size(); ++i) {
        Quest* quest = list[i].get();
        if (quest && quest->levelItemsPending && player.HasQuest(static_cast<int32_t>(i)))
            quest->SpawnLevelItems();
    }
    StartStoryQuest();
}

// ---- What the quests ask of the game --------------------------------------------------------------------

void GameQuests::ResetRecruitQuests()
{
    // The players' recruit quests are reset by the players; the rival houses keep theirs here.
    game.ResetActorCovenantQuests();
}

void GameQuests::CreateActorCovenantQuests(const Quest& recruitQuest)
{
    game.CreateActorCovenantQuests(recruitQuest);
}

void GameQuests::RefreshPlayerQuests()
{
    for (Sentient* sentient : game.GetPlayers()) {
        auto* player = dynamic_cast<Player*>(sentient);
        if (!player)
            continue;
        for (int32_t slot = 0; slot < Player::kQuestSlotCount; ++slot) {
            EntityQuest* copy = player->GetQuestSlot(slot);
            const Quest* world = copy && !copy->IsEmpty() ? GetQuest(copy->questId) : nullptr;
            if (world)
                copy->progress = std::max(copy->progress, world->progress);
        }
        game.RefreshQuestsOf(*player);
    }
}

bool GameQuests::CanStartQuest(const Quest& quest) const
{
    return quest.CanStart();
}

bool GameQuests::PlaceQuestAtLevel(Quest& quest, int32_t level)
{
    return quest.PlaceAtLevel(level);
}

bool GameQuests::HasDuplicateQuest(const Quest& quest) const
{
    return std::any_of(list.begin(), list.end(), [&quest](const std::unique_ptr<Quest>& other) {
        return other && quest.IsDuplicateOf(*other);
    });
}

const MonsterType* GameQuests::GetStrongestBossType() const
{
    const Quest* best = nullptr;
    for (const auto& quest : list) {
        const MonsterType* type = quest ? quest->QuestBase::target : nullptr;
        if (quest && quest->type == QuestType::UniqueMonsterSpotted && type && type->definition &&
            type->definition->canBeBoss && (!best || quest->success > best->success))
            best = quest.get();
    }
    return best ? best->QuestBase::target : nullptr;
}

// Without the faction system every faction is neutral toward every other, none is at war and
// none may go to war: the quests that need a war between factions do not start.
float GameQuests::GetFactionRelation(const MonsterType& from, const MonsterType& toward) const
{
    return gFactionSystem ? gFactionSystem->GetReputation(GameQuestsFaction(from), GameQuestsFaction(toward))
                          : FactionSystem::kNeutralReputation;
}

float GameQuests::GetWarThreshold() const
{
    return gFactionSystem ? gFactionSystem->maxDislikeReputation : 0.0f;
}

bool GameQuests::AreFactionsAtWar(const MonsterType& first, const MonsterType& second) const
{
    return gFactionSystem && gFactionSystem->IsAtWar(GameQuestsFaction(first), GameQuestsFaction(second));
}

void GameQuests::SetFactionsAtWar(const MonsterType& first, const MonsterType& second)
{
    if (gFactionSystem)
        gFactionSystem->DeclareWar(GameQuestsFaction(first), GameQuestsFaction(second));
}

bool GameQuests::CanFactionsGoToWar(const MonsterType& first, const MonsterType& second) const
{
    return gFactionSystem && gFactionSystem->CanBothGoToWar(GameQuestsFaction(first), GameQuestsFaction(second));
}

TimeStamp GameQuests::GetNow() const
{
    return game.GetElapsed();
}

int32_t GameQuests::GetDifficulty() const
{
    return gWorld ? gWorld->GetDifficulty() : 0;
}

const QuestWorld* GameQuests::GetQuestWorld() const
{
    return &questWorld;
}

bool GameQuests::AreUniqueMonstersAllowed(int32_t level) const
{
    return gWorld && gWorld->AreUniqueMonstersAllowed(level);
}

bool GameQuests::CanMonsterAppear(int32_t level, const MonsterType& monsterType) const
{
    return gWorld && gWorld->IsMonsterTypeListed(level, &monsterType);
}

void GameQuests::RaiseSpawnChance(int32_t level, const MonsterType* monsterType, float multiplier)
{
    if (gWorld && monsterType)
        gWorld->AddLevelMonsterCandidate(level, const_cast<MonsterType*>(monsterType), multiplier,
                                         kGameQuestsSpawnTag + monsterType->index);
}

void GameQuests::UndoSpawnChanceChange(int32_t level, const MonsterType* monsterType, float)
{
    Level* found = gWorld ? gWorld->GetLevel(level) : nullptr;
    if (found && found->area && monsterType)
        found->area->RemoveFromPoolB(kGameQuestsSpawnTag + monsterType->index);
}

WorldPos GameQuests::GetTownCenter() const
{
    return game.GetTownCenter();
}

bool GameQuests::PickCovenantHome(WorldPos& home, std::string& covenantText)
{
    const Covenant* covenant = PickRandomCovenant();
    if (!covenant)
        return false;
    home = covenant->GetHomePosition();
    covenantText = game.GetCovenantText(covenant->index);
    return true;
}

Covenant* GameQuests::PickRandomCovenant()
{
    std::vector<Covenant*> living;
    for (int32_t i = 0; i < game.GetCovenantCount(); ++i)
        if (Covenant* covenant = game.GetCovenant(i); covenant && !covenant->eliminated)
            living.push_back(covenant);
    if (living.empty() || !gRandomSystem)
        return nullptr;
    return living[static_cast<size_t>(
        gRandomSystem->RandomInt(RandomStream::GameData, static_cast<int32_t>(living.size())))];
}

int32_t GameQuests::CountTownNpcs() const
{
    return game.CountNamedActors();
}

Actor* GameQuests::GetTownNpc(int32_t index) const
{
    return game.GetNamedActor(index);
}

Entity* GameQuests::GetTownNpcOfType(int32_t npcType) const
{
    return game.GetTownNpc(npcType);
}

std::string GameQuests::RandomNpcName()
{
    return game.RandomNpcName();
}

std::string GameQuests::GetEntityDisplayName(Entity& entity)
{
    return game.GetEntityDisplayName(entity);
}

float& GameQuests::SupplyTradeValue(bool food)
{
    return game.SupplyTradeValue(food);
}

int32_t GameQuests::GetCovenantCount() const
{
    return game.GetCovenantCount();
}

Covenant* GameQuests::GetCovenant(int32_t index) const
{
    return game.GetCovenant(index);
}

std::string GameQuests::GetCovenantText(int32_t index) const
{
    return game.GetCovenantText(index);
}

void GameQuests::CreateTownNpc(int32_t slot)
{
    game.CreateTownNpc(slot);
}

bool GameQuests::GetTownSpot(int32_t npcType, WorldPos& spot, int32_t& facing) const
{
    return Game::GetTownSpot(npcType, spot, facing);
}

void GameQuests::AddDynamicNpcChat(int32_t dialogType, std::string_view subject, int32_t npcTypeFilter)
{
    game.AddDynamicNpcChat(dialogType, subject, npcTypeFilter);
}

void GameQuests::QueueSoundAtFirstPlayer(std::string_view name, float radius, float value)
{
    game.QueueSoundAtFirstPlayer(name, radius, value);
}

void GameQuests::SpawnLevelBlock(int32_t level, int32_t block)
{
    game.SpawnLevelBlock(level, block);
}

Actor* GameQuests::SpawnMonsterInRandomFreeBlock(int32_t level, int32_t& block, const MonsterType* monsterType,
                                                 int32_t levelOverride)
{
    return game.SpawnMonsterInRandomFreeBlock(level, block, monsterType, levelOverride);
}

void GameQuests::AnnounceDeath(Entity& victim)
{
    game.AnnounceDeath(&victim, nullptr, false);
}

Player* GameQuests::GetFirstPlayer() const
{
    const std::vector<Sentient*>& players = game.GetPlayers();
    return players.empty() ? nullptr : GameQuestsAsPlayer(players.front());
}

float GameQuests::GetGameSeconds() const
{
    return game.GetElapsed().GetTotalSeconds();
}

// The world's bits start at its difficulty: one story bit per difficulty a quest is solved on.
int32_t GameQuests::GetSolvedBitBase() const
{
    return GetDifficulty();
}

bool GameQuests::IsSolvedBitSet(const Player& player, int32_t bit) const
{
    return player.GetCharacterFlag(bit);
}

void GameQuests::DropRewardItem(const Quest& quest, Player& player, bool, bool)
{
    if (quest.definition)
        quest.GenerateRewardItem(player, quest.definition->classSkewChance);
}

void GameQuests::DropItem(const DatabaseEntry* item, Player& player)
{
    if (gSpawnSystem)
        gSpawnSystem->GenerateItemAndDrop(item, player.position);
}

int32_t GameQuests::GetRelationship(const Entity& first, const Entity& second) const
{
    return game.GetRelationship(&first, &second);
}

void GameQuests::ChangeFactionRelation(Entity& target, const Player&, float amount)
{
    const auto* actor = dynamic_cast<const Actor*>(&target);
    if (gFactionSystem && actor && actor->GetMonsterType())
        gFactionSystem->ChangeReputationClamped(GameQuestsFaction(*actor->GetMonsterType()),
                                                gFactionSystem->playerFaction, amount);
}
