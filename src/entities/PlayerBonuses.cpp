// Player -- score bonuses: near death and close call, big pain, first blood, overkill, the killing sprees, the kill line and the kill records.
#include "entities/Player.h"

#include "core/DatabaseEntry.h"
#include "core/Event.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "entities/Actor.h"
#include "entities/GameServices.h"
#include "rules/GameData.h"
#include "rules/GameSystemTuning.h"
#include "rules/monsters/MonsterType.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* kPlayerBonusSound = "Sounds/Items/uniqueSpawn.ogg";
constexpr float kPlayerBonusVolume = 100.0f;

// The score with "," between groups of three digits: 1234567 gives "1,234,567".
std::string PlayerGroupDigits(int32_t score)
{
    std::string digits = std::to_string(score);
    std::string out;
    int32_t count = static_cast<int32_t>(digits.size());
    for (int32_t i = 0; i < count; ++i) {
        if (i > 0 && (count - i) % 3 == 0)
            out += ',';
        out += digits[static_cast<size_t>(i)];
    }
    return out;
}

// A monster's spree kind: its type's parent record when it has one, else its own; 0 untyped.
int32_t PlayerSpreeKind(const Actor& actor)
{
    const MonsterType* type = actor.GetMonsterType();
    if (!type)
        return 0;
    const MonsterType* kindType = type->baseType ? type->baseType : type;
    return kindType->GetEntry() ? kindType->GetEntry()->GetId() : 0;
}

} // namespace

// ---- Spree trackers -----------------------------------------------------------------------------

void PlayerSpree::Clear()
{
    kinds.clear();
    times.clear();
}

bool PlayerSpree::CheckSpree(int32_t kind, double now, float window, int32_t count, bool specific)
{
    if (kind == 0)
        return false;
    kinds.push_back(kind);
    times.push_back(now);
    size_t first = 0;
    while (first < times.size() && now - times[first] > static_cast<double>(window))
        ++first;
    if (specific)
        while (first < kinds.size() && kinds[first] != kind)
            ++first;
    kinds.erase(kinds.begin(), kinds.begin() + static_cast<std::ptrdiff_t>(first));
    times.erase(times.begin(), times.begin() + static_cast<std::ptrdiff_t>(first));
    if (static_cast<int32_t>(kinds.size()) < count)
        return false;
    Clear();
    return true;
}

// ---- Awards -------------------------------------------------------------------------------------

void Player::AwardBonus(std::string_view name, int32_t score)
{
    if (score <= 0)
        return;
    std::string text = MakeLocToken("", "%s %s", PlayerGroupDigits(score).c_str(), std::string(name).c_str());
    QueueLine(StringFormat("dmg %d %s", entityNumber, text.c_str()));
    stats.Add(CharacterStat::Score, score);
    statistics.Add(PlayerStatistic::BonusesEarned, 1);
    QueueWorldEvent(kPlayerBonusSound, 0.0f, kPlayerBonusVolume);
}

void Player::CheckHealthBonuses()
{
    if (!gGameData)
        return;
    const GameSystemTuning& tuning = gGameData->GetTuning();
    CheckHealthBonus("BonusNearDeath", tuning.bonusNearDeathScore, tuning.bonusNearDeathMinHealth,
                     tuning.bonusNearDeathMaxHealth);
    CheckHealthBonus("BonusCloseCall", tuning.bonusCloseCallScore, tuning.bonusCloseCallMinHealth,
                     tuning.bonusCloseCallMaxHealth);
}

void Player::CheckHealthBonus(std::string_view name, int32_t score, int32_t minHealth, int32_t maxHealth)
{
    if (score <= 0)
        return;
    if (lowestHealth < 1 || health < lowestHealth)
        lowestHealth = health;
    if (lowestHealth > 0 && lowestHealth <= minHealth && health > maxHealth) {
        AwardBonus(name, score);
        // The lowest health is shared: a near-death award ends the close call's watch too.
        lowestHealth = 0;
    }
}

// ---- Hits taken and dealt ---------------------------------------------------------------------

void Player::OnDamageTaken(int32_t amount, Entity* attacker, bool overTime, bool quiet)
{
    statistics.Set(PlayerStatistic::LargestHitTaken, std::max(statistics.Get(PlayerStatistic::LargestHitTaken), amount));
    statistics.Add(PlayerStatistic::DamageTaken, amount);
    Sentient::OnDamageTaken(amount, attacker, overTime, quiet);
    if (!gGameData)
        return;
    const GameSystemTuning& tuning = gGameData->GetTuning();
    if (tuning.bonusBigPainScore > 0 && amount > tuning.bonusBigPainDamage)
        AwardBonus("BonusBigPain", tuning.bonusBigPainScore);
    intensity.Add(attacker, IntensityEvent::Pain);
}

void Player::OnSuccessfulHit(int32_t damage, Entity* target, bool hit, bool critical, bool crushing, bool deep,
                             bool last)
{
    if (gGameData && dynamic_cast<Sentient*>(target)) {
        const GameSystemTuning& tuning = gGameData->GetTuning();
        if (tuning.bonusFirstBloodScore > 0 && damage > 0 && statistics.Get(PlayerStatistic::LargestHitDealt) == 0 &&
            statistics.Get(PlayerStatistic::LargestHitTaken) == 0)
            AwardBonus("BonusFirstBlood", tuning.bonusFirstBloodScore);
        auto* victim = dynamic_cast<Actor*>(target);
        if (tuning.bonusOverkillScore > 0 && victim &&
            damage > static_cast<int32_t>(std::ceil(static_cast<float>(victim->maxHealth) * tuning.bonusOverkillDamageMult)))
            AwardBonus("BonusOverkill", tuning.bonusOverkillScore);
        statistics.Set(PlayerStatistic::LargestHitDealt, std::max(statistics.Get(PlayerStatistic::LargestHitDealt), damage));
    }
    Sentient::OnSuccessfulHit(damage, target, hit, critical, crushing, deep, last);
    if (!last)
        intensity.Add(target, IntensityEvent::Hit);
}

void Player::OnMissedBy(Entity* attacker, int32_t missKind)
{
    Sentient::OnMissedBy(attacker, missKind);
    intensity.Add(attacker, IntensityEvent::Missed);
}

void Player::OnMissed(Entity* target, int32_t)
{
    intensity.Add(target, IntensityEvent::Miss);
}

void Player::OnSkillUsedOn(Entity* user, Skill*)
{
    intensity.Add(user, IntensityEvent::EnemySkillUse);
}

// ---- Kills ----------------------------------------------------------------------------------------

void Player::OnSuccessfulKillEvent(Event& event)
{
    event.params.SetReadPos(0);
    auto* victim = dynamic_cast<Entity*>(event.ReadEntity());
    if (!victim)
        return;
    RecordKill(*victim);
    CheckSprees(*victim);
    // The record the clients know the victim by: a monster's type, whose archetype the
    // profile's bestiary counts under, not its actor definition.
    if (const DatabaseEntry* named = victim->GetNetRecord())
        QueueLine(StringFormat("kill %d", named->GetId()));
    intensity.Add(victim, IntensityEvent::Kill);
}

// ---- Kill records ---------------------------------------------------------------------------------

namespace {

// An actor as a kill record: its monster type's index and the packed level, rarity and the
// further level; false for anything that is not a typed actor.
bool PlayerKillRecordOf(const Entity* entity, int32_t furtherLevel, IntArray& record)
{
    const auto* actor = dynamic_cast<const Actor*>(entity);
    const MonsterType* type = actor ? actor->GetMonsterType() : nullptr;
    if (!type)
        return false;
    record.SetCount(2);
    record.Set(0, type->index);
    record.Set(1, PackMonsterKillInfo(actor->GetStat(CharacterStat::Level), type->rarity, furtherLevel));
    return true;
}

int32_t PlayerKillScore(const IntArray& records, int32_t slot, int32_t startLevel)
{
    return gGameData ? gGameData->GetKillScore(records, slot, startLevel) : 0;
}

void PlayerTakeRecord(IntArray& records, int32_t slot, const IntArray& record)
{
    records.Set(slot, record.Get(0));
    records.Set(slot + 1, record.Get(1));
}

} // namespace

// The strongest kill counts every monster level; the toughest battle only the levels above the
// player's own.
void Player::RecordKill(Entity& victim)
{
    int32_t level = stats.Get(CharacterStat::Level);
    IntArray record;
    if (!PlayerKillRecordOf(&victim, level, record))
        return;
    if (PlayerKillScore(record, 0, 1) > PlayerKillScore(statistics, PlayerStatistic::StrongestKilledType, 1))
        PlayerTakeRecord(statistics, PlayerStatistic::StrongestKilledType, record);
    if (PlayerKillScore(record, 0, level) >
        PlayerKillScore(statistics, PlayerStatistic::ToughestBattleType, level))
        PlayerTakeRecord(statistics, PlayerStatistic::ToughestBattleType, record);
}

void Player::RecordKiller(Entity* killer)
{
    IntArray record;
    if (!PlayerKillRecordOf(killer, stats.Get(CharacterStat::Level), record))
        return;
    int32_t score = PlayerKillScore(record, 0, 1);
    if (score > PlayerKillScore(statistics, PlayerStatistic::StrongestKillerType, 1))
        PlayerTakeRecord(statistics, PlayerStatistic::StrongestKillerType, record);
    if (statistics.Get(PlayerStatistic::WeakestKillerType) == -1 ||
        PlayerKillScore(statistics, PlayerStatistic::WeakestKillerType, 1) > score)
        PlayerTakeRecord(statistics, PlayerStatistic::WeakestKillerType, record);
}

void Player::CheckSprees(Entity& victim)
{
    if (!gGameData || !gGameServices)
        return;
    const GameSystemTuning& tuning = gGameData->GetTuning();
    double now = gGameServices->GetGameTime();
    if (victim.IsChest()) {
        int32_t kind = victim.GetEntry() ? victim.GetEntry()->GetId() : 0;
        if (tuning.bonusObjectKillingSpreeScore > 0 &&
            objectSpree.CheckSpree(kind, now, tuning.bonusObjectKillingSpreeTime, tuning.bonusObjectKillingSpreeCount, false))
            AwardBonus("BonusObjectKillingSpree", tuning.bonusObjectKillingSpreeScore);
        return;
    }
    auto* actor = dynamic_cast<Actor*>(&victim);
    if (!actor)
        return;
    int32_t kind = PlayerSpreeKind(*actor);
    if (tuning.bonusKillingSpreeScore > 0 &&
        killingSpree.CheckSpree(kind, now, tuning.bonusKillingSpreeTime, tuning.bonusKillingSpreeCount, false)) {
        // The courage key only names the spree; it pays the killing-spree amount.
        bool courage = tuning.bonusCourageSpreeScore > 0 && health < tuning.bonusCourageSpreeHealth;
        AwardBonus(courage ? "BonusCourageSpree" : "BonusKillingSpree", tuning.bonusKillingSpreeScore);
    }
    if (tuning.bonusSpecificKillingSpreeScore > 0 &&
        specificSpree.CheckSpree(kind, now, tuning.bonusSpecificKillingSpreeTime, tuning.bonusSpecificKillingSpreeCount, true))
        AwardBonus("BonusSpecificKillingSpree", tuning.bonusSpecificKillingSpreeScore);
    if (tuning.bonusMassacreScore > 0 &&
        massacre.CheckSpree(kind, now, tuning.bonusMassacreTime, tuning.bonusMassacreCount, false))
        AwardBonus("BonusMassacre", tuning.bonusMassacreScore);
}
