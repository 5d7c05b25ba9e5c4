// GameData -- the game's definition lists and tuning values, read from the game database once at start-up.
#include "rules/GameData.h"

#include "core/ColorCode.h"
#include "core/Database.h"
#include "core/DebugSystem.h"
#include "rules/CharacterClass.h"
#include "rules/Formulas.h"
#include "rules/RulesEnums.h"
#include "rules/chat/NpcChat.h"
#include "rules/covenants/CovenantDefinition.h"
#include "rules/covenants/CovenantTrait.h"
#include "rules/monsters/Attachment.h"
#include "rules/monsters/MonsterArchetype.h"
#include "rules/monsters/MonsterDefinition.h"
#include "rules/monsters/MonsterEnhancement.h"
#include "rules/monsters/MonsterType.h"
#include "rules/quests/QuestDefinition.h"
#include "rules/skills/SkillDefinition.h"
#include "rules/skills/SkillTree.h"
#include "rules/statuseffects/StatusEffectBase.h"

#include <algorithm>
#include <array>

GameData* gGameData = nullptr;

namespace {

template <class T, size_t N>
T GameDataAt(const std::array<T, N>& table, int32_t index, T fallback, const char* what)
{
    if (index >= 0 && static_cast<size_t>(index) < N)
        return table[static_cast<size_t>(index)];
    DebugSystem::Print(kPrintError, "GameData %s index %d outside 0..%zu\n", what, index, N - 1);
    return fallback;
}

const std::string kGameDataNoText;

} // namespace

GameData::GameData()
{
    RegisterRulesEnumTables();
}

GameData::~GameData()
{
    if (gGameData == this)
        gGameData = nullptr;
}

void GameData::Load(const Database& database)
{
    gameSystemEntry = database.FindEntryByName("GameSystem");
    tuning.Load(gameSystemEntry);
    itemRecords.Load(database, gameSystemEntry);
    LoadSkillRecords(database);
    LoadMonsterRecords(database);
    LoadCovenantRecords(database);
    LoadQuestRecords(database);
}

std::string GameData::GetNameById(std::string_view key) const
{
    return gameSystemEntry ? gameSystemEntry->GetString(key) : std::string();
}

const std::string& GameData::GetTextFontName(int32_t n) const
{
    if (tuning.fonts.empty())
        return kGameDataNoText;
    if (n < 0 || static_cast<size_t>(n) >= tuning.fonts.size())
        n = 0;
    return tuning.fonts[static_cast<size_t>(n)];
}

int32_t GameData::GetAttributeCap(int32_t attribute) const
{
    return GameDataAt(tuning.attributeCap, attribute, 0, "attribute cap");
}

float GameData::GetDeathScoreMult(int32_t deaths) const
{
    if (deaths < 0 || static_cast<size_t>(deaths) >= tuning.deathScoreMult.size())
        return 1.0f;
    return tuning.deathScoreMult[static_cast<size_t>(deaths)];
}

int32_t GameData::GetDifficultyMinLevel(int32_t difficulty) const
{
    return GameDataAt(tuning.difficultyMinLevel, difficulty, 1, "difficulty minimum level");
}

int32_t GameData::GetDifficultyMonsterLevelStart(int32_t difficulty) const
{
    return GameDataAt(tuning.difficultyMonsterLevelStart, difficulty, 1, "difficulty monster level");
}

float GameData::GetDifficultyTimeMult(int32_t difficulty) const
{
    return GameDataAt(tuning.difficultyTimeMult, difficulty, 1.0f, "difficulty time factor");
}

int32_t GameData::GetDifficultyLivesChange(int32_t difficulty) const
{
    return GameDataAt(tuning.difficultyLivesChange, difficulty, 0, "difficulty lives change");
}

float GameData::GetXpMultMonster(int32_t rarity) const
{
    return GameDataAt(tuning.xpMultMonster, rarity, 1.0f, "monster experience factor");
}

int32_t GameData::GetItemTypeColor(int32_t itemType) const
{
    return GameDataAt(tuning.itemTypeColor, itemType, 0, "item type colour");
}

std::string GameData::GetItemQualityColorCode(int32_t quality) const
{
    return MakeColorCode(GameDataAt(tuning.itemQualityColor, quality, kNormalTextColor, "item quality colour"));
}

std::string GameData::GetMonsterRarityColorCode(int32_t rarity) const
{
    return MakeColorCode(GameDataAt(tuning.monsterRarityColor, rarity, kNormalTextColor, "monster rarity colour"));
}

int32_t GameData::GetTreatyColor(int32_t treaty) const
{
    return GameDataAt(tuning.treatyColor, treaty, 0, "treaty colour");
}

int32_t GameData::GetTradeRouteColor(int32_t kind) const
{
    return GameDataAt(tuning.tradeRouteColor, kind, 0, "trade route colour");
}

float GameData::GetValueEachPoint(int32_t value) const
{
    return GameDataAt(tuning.valueEachPoint, value, 0.0f, "ValueEachPoint");
}

int32_t GameData::XpNeededForLevel(int32_t level) const
{
    return ::XpNeededForLevel(tuning, level);
}

float GameData::GetMonsterMoney(int32_t level) const
{
    return 0.5f * (tuning.minMoneyPerLevel + tuning.maxMoneyPerLevel) * tuning.moneyChance / 100.0f *
           static_cast<float>(level);
}

float GameData::GetDisarmTrapChance(int32_t disarmValue, int32_t ownerLevel)
{
    float difference = static_cast<float>(int64_t{disarmValue} - ownerLevel);
    return std::clamp(0.5f + 0.05f * difference, 0.0f, 1.0f);
}
