// Secret -- the level object that, used at night in red torchlight, opens a linked pair of gates into the adventure's treasure level once per player and difficulty.
#include "entities/Secret.h"

#include "core/DatabaseEntry.h"
#include "entities/Gate.h"
#include "entities/Player.h"
#include "entities/Torch.h"
#include "rules/GameData.h"
#include "rules/quests/QuestBase.h"
#include "rules/quests/QuestDefinition.h"
#include "world/Level.h"
#include "world/World.h"

#include <vector>

namespace {

uint32_t SecretBit(int32_t bit)
{
    return 1u << (static_cast<uint32_t>(bit) % 32u);
}

} // namespace

void Secret::Load(const DatabaseEntry* record)
{
    Entity::Load(record);
    if (!record)
        return;
    alwaysBlocks = record->GetInt("Solid") != 0;
    int32_t index = record->GetInt("SecretIndex");
    secretIndex = index == kTreasureSecret ? index : 0;
}

void Secret::OnPlaced()
{
    if (secretIndex != kTreasureSecret)
        return;
    recordStat = CharacterStat::SpecificSecrets;
    recordBit = gWorld ? gWorld->GetDifficulty() : 0;
}

void Secret::Use(Entity* user)
{
    auto* player = user && user->IsPlayer() ? dynamic_cast<Player*>(user) : nullptr;
    if (!player || !CanUse(*player))
        return;
    if (OpenSecretLevel())
        RecordFound(*player);
}

bool Secret::CanUse(const Player& player) const
{
    if (recordStat == -1 || recordBit == -1 || secretIndex != kTreasureSecret)
        return false;
    if (static_cast<uint32_t>(player.GetStat(recordStat)) & SecretBit(recordBit))
        return false;
    return CanReveal();
}

bool Secret::CanReveal() const
{
    return IsNight() && QuestsAllowReveal() && IsInRedTorchlight();
}

bool Secret::IsNight() const
{
    if (!gGameServices || !gGameData)
        return false;
    float clock = gGameServices->GetClock();
    const GameSystemTuning& tuning = gGameData->GetTuning();
    return clock < tuning.sunriseStart || clock > tuning.sunsetEnd;
}

bool Secret::QuestsAllowReveal() const
{
    std::vector<const QuestBase*> quests;
    gGameServices->CollectQuests(quests);
    int32_t worldDifficulty = gWorld ? gWorld->GetDifficulty() : 0;
    // Only a quest that names a solved bit takes part; a definition without one (-1) never
    // holds a secret back.
    for (const QuestBase* quest : quests) {
        if (!quest->definition || quest->definition->questSolvedBit == -1)
            continue;
        if (worldDifficulty + quest->definition->questSolvedBit != -1)
            return false;
    }
    return true;
}

bool Secret::IsInRedTorchlight() const
{
    std::vector<int32_t> numbers;
    gGameServices->CollectEntitiesNear(position, kTorchRadius, false, numbers);
    bool red = false;
    for (int32_t number : numbers) {
        auto* torch = dynamic_cast<const Torch*>(gGameServices->GetEntity(number));
        if (!torch || !torch->IsLit())
            continue;
        const Color& colour = torch->GetLightColor();
        // One lit torch of any other light spoils it.
        if (colour.g >= colour.r || colour.b >= colour.r)
            return false;
        red = true;
    }
    return red;
}

bool Secret::OpenSecretLevel()
{
    if (!gWorld || !gGameServices)
        return false;
    int32_t treasure = gWorld->GetTreasureLevel();
    Level* level = gWorld->GetLevel(treasure);
    if (!level)
        return false;
    WorldPos point = gWorld->RandomPointInLevel(treasure);
    // Without both gates the find is not recorded: the player may try again.
    if (!gGameServices->CreateLinkedGates(nullptr, position, point, GateKind::Secret).first)
        return false;
    level->monsterLevel = (gWorld->GetDifficulty() + 1) * kTreasureMonsterLevelStep;
    return true;
}

void Secret::RecordFound(Player& player) const
{
    player.stats.Set(recordStat, static_cast<int32_t>(static_cast<uint32_t>(player.stats.Get(recordStat)) | SecretBit(recordBit)));
}
