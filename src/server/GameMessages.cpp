// Game -- messages by a covenant's tie to the player, super secrets, the player's defeat and the covenants' home positions.
#include "server/Game.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "core/RandomSystem.h"
#include "core/StringUtil.h"
#include "covenants/Covenant.h"
#include "entities/Sentient.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* kGameMessagesSecretSound = "Sounds/secretFound.ogg";
constexpr float kGameMessagesSecretRadius = 100.0f;

const GameSystemTuning& GameMessagesTuning()
{
    static const GameSystemTuning kGameMessagesDefaults;
    return gGameData ? gGameData->GetTuning() : kGameMessagesDefaults;
}

WorldPos GameMessagesLevelZero(float x, float y)
{
    WorldPos where;
    where.level = 0;
    where.x = x;
    where.y = y;
    return where;
}

// A share of "GameSystem": one that is negative or not a number would turn a death's debt into
// a gift, so it counts as none.
float GameMessagesShare(const DatabaseEntry& entry, const char* key)
{
    float share = entry.GetFloat(key, 0.0f);
    if (std::isfinite(share) && share >= 0.0f)
        return share;
    DebugSystem::Print(kPrintWarning, "GameSystem %s %f is no share; 0 is used\n", key, static_cast<double>(share));
    return 0.0f;
}

// Up to two numbers separated by blanks; what is missing is 0.
void GameMessagesParseFractions(std::string_view text, float& x, float& y)
{
    float numbers[2] = {};
    size_t position = 0;
    for (float& number : numbers) {
        position = text.find_first_not_of(" \t", position);
        if (position == std::string_view::npos)
            break;
        size_t end = std::min(text.find_first_of(" \t", position), text.size());
        number = ParseFloat(text.substr(position, end - position));
        position = end;
    }
    x = numbers[0];
    y = numbers[1];
}

} // namespace

void Game::AnnounceForCovenant(const Covenant* covenant, int32_t mode, std::string_view text)
{
    const EntityCovenant* mine = GetFirstPlayerCovenant();
    const auto* own = dynamic_cast<const Covenant*>(mine);
    if (!own)
        return;
    bool isOwn = covenant && covenant == own;
    int32_t kind = mode;
    if (mode == 0) {
        kind = isOwn ? kMessageOwnKind : kMessageNewsKind;
    } else if (mode == 1) {
        int32_t treaty = covenant ? own->GetTreatyState(covenant->index) : CovenantTreaty::None;
        bool protectedAlly =
            treaty == CovenantTreaty::MutualProtectionPact || treaty == CovenantTreaty::Alliance;
        kind = isOwn || (covenant && protectedAlly) ? kMessageOwnKind : kMessageNewsKind;
    }
    SendMessage(text, kind);
}

void Game::OnSuperSecretFound(Entity& user)
{
    auto* player = dynamic_cast<Sentient*>(&user);
    if (player)
        player->SendMessage("$$SuperSecretFound$$", kMessageOwnKind);
    else
        SendMessage("$$SuperSecretFound$$", kMessageOwnKind);
    user.QueueWorldEvent(kGameMessagesSecretSound, kGameMessagesSecretRadius, 0.0f);
    int32_t score = GameMessagesTuning().scoreForSuperSecret;
    if (score <= 0 || !player)
        return;
    player->stats.Add(CharacterStat::Score, score);
    std::string colour = StringFormat("%c%c%03d", '^', 'f', 6);
    QueueClientCommand(StringFormat("dmg %d %s+%d$$ScorePrint$$", player->entityNumber, colour.c_str(), score));
}

bool Game::IsPlayerCovenantDefeated() const
{
    const auto* own = dynamic_cast<const Covenant*>(GetFirstPlayerCovenant());
    return own && own->IsDefeated();
}

void Game::LoseWorld()
{
    gameOver = true;
    if (auto* own = const_cast<Covenant*>(dynamic_cast<const Covenant*>(GetFirstPlayerCovenant())))
        own->CountWorldResult(Covenant::kWorldsLost);
}

void Game::LoadTuning()
{
    covenantPositions.clear();
    pedestalOffsets.clear();
    dynamicChatChance = 0.0f;
    spawnSteps = 0;
    spawnStepDistance = 0.0f;
    xpDebtPerDeath = 0.0f;
    soulStoneXpReduction = 0.0f;
    townCenter = GameMessagesLevelZero(0.0f, 0.0f);
    const DatabaseEntry* entry = gDatabase ? gDatabase->FindEntryByName("GameSystem") : nullptr;
    if (entry) {
        dynamicChatChance = entry->GetFloat("DynamicChatChance", 0.0f);
        float tile = GameMessagesTuning().tileSize;
        float x = 0.0f;
        float y = 0.0f;
        GameMessagesParseFractions(entry->GetString("TownCenter"), x, y);
        townCenter = GameMessagesLevelZero(x * tile, y * tile);
        const GameSystemTuning& tuning = GameMessagesTuning();
        std::vector<std::string> lines;
        entry->GetStringList("CovenantPosition", lines, true, true);
        for (const std::string& line : lines) {
            float x = 0.0f;
            float y = 0.0f;
            GameMessagesParseFractions(line, x, y);
            covenantPositions.push_back(GameMessagesLevelZero(x * tuning.levelWidth, y * tuning.levelHeight));
        }
        entry->GetStringList("PedestalOffset", lines, true, true);
        for (const std::string& line : lines) {
            Vector2 offset;
            GameMessagesParseFractions(line, offset.x, offset.y);
            pedestalOffsets.push_back(offset);
        }
        // The probe square grows with the square of the steps: beyond the bound one step
        // would probe more cells than a level holds.
        int32_t steps = entry->GetInt("SpawnSteps", 0);
        spawnSteps = std::clamp(steps, 0, kMaxSpawnSteps);
        if (spawnSteps != steps)
            DebugSystem::Print(kPrintWarning, "GameSystem SpawnSteps %d is outside 0..%d; %d is used\n", steps,
                               kMaxSpawnSteps, spawnSteps);
        float distance = entry->GetFloat("SpawnStepDistance", 0.0f);
        spawnStepDistance = std::isfinite(distance) ? distance : 0.0f;
        xpDebtPerDeath = GameMessagesShare(*entry, "XpDebtPerDeath");
        soulStoneXpReduction = GameMessagesShare(*entry, "SoulStoneXpReduction");
    }
    freeCovenantPositions = static_cast<int32_t>(covenantPositions.size());
    WorldPos spot;
    int32_t facing = 0;
    tutorSpotGiven = GetTownSpot(NpcType::Tutor, spot, facing);
}

WorldPos Game::TakeCovenantPosition()
{
    int32_t free = freeCovenantPositions;
    if (free <= 0) {
        DebugSystem::Print(kPrintWarning, "No covenant position is free; the town centre is used\n");
        return townCenter;
    }
    float draw = DrawRandomFloat();
    auto pick = static_cast<int32_t>(std::floor(static_cast<float>(free) * draw));
    pick = std::clamp(pick, 0, free - 1);
    std::swap(covenantPositions[static_cast<size_t>(pick)], covenantPositions[static_cast<size_t>(free - 1)]);
    freeCovenantPositions = free - 1;
    return covenantPositions[static_cast<size_t>(free - 1)];
}
