// UnlockClient -- one "Unlock" record: the conditions a user profile must meet to earn it, the test of them in order, and the menu text of its requirement.
#include "client/UnlockClient.h"

#include "client/CompareByOperator.h"
#include "client/UserProfile.h"
#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "rules/RulesEnums.h"

#include <algorithm>

void UnlockClient::Load(const DatabaseEntry* record)
{
    if (!record)
        return;
    name = record->GetString("UnlockName");
    description = record->GetString("UnlockDesc");
    totalScore = record->GetInt("TotalScore");
    adventuresWon = record->GetInt("AdventuresWon");
    wonAllAdventures = record->GetInt("WonAllAdventures") != 0;
    atLeastSilverTrophies = record->GetInt("AtLeastSilverTrophies") != 0;
    allGoldTrophies = record->GetInt("AllGoldTrophies") != 0;
    wonAdventureWithAllChars = record->GetInt("WonAdventureWithAllChars") != 0;
    wonWithAllChars = record->GetInt("WonWithAllChars") != 0;
    record->GetStringList("RequiresUnlock", requiresUnlock, true, false);
    record->GetStringList("AtLeastOneUnlock", atLeastOneUnlock, true, false);
    std::string statName = record->GetString("StatName");
    stat = -1;
    if (statName.empty())
        return;
    statValue = record->GetInt("StatValue");
    statCompare = GetCompareFunctionByName(record->GetString("StatCompareFunction"));
    statNormal = record->GetInt("StatNormal") != 0;
    statUseMax = record->GetInt("StatUseMax") != 0;
    statTotal = record->GetInt("StatTotal") != 0;
    stat = statNormal ? GetCharacterStatByName(statName) : GetCharacterFunStatByName(statName);
}

bool UnlockClient::IsEarned(const UserProfile* profile, const UnlockMenuLists& lists) const
{
    if (!profile)
        return false;
    const UserProfile& p = *profile;
    int32_t records = p.GetRecordCount();
    if (totalScore > 0 && p.SumRecordStat(CharacterStat::Score, true, true) < totalScore)
        return false;
    if (adventuresWon > 0 && records < adventuresWon)
        return false;
    if (wonAllAdventures && records < lists.officialAdventures)
        return false;
    for (int32_t i = 0; i < records; ++i) {
        if (atLeastSilverTrophies && p.IsInTrophyBand(i, "Bronze", "Silver"))
            return false;
    }
    for (int32_t i = 0; i < records; ++i) {
        if (allGoldTrophies && !p.IsInTrophyBand(i, "Gold", ""))
            return false;
    }
    if (wonAdventureWithAllChars && !HasWonWithClasses(p, lists.officialClasses))
        return false;
    if (wonWithAllChars) {
        for (const std::string& className : lists.officialClasses) {
            bool held = false;
            for (int32_t i = 0; i < records && !held; ++i)
                held = p.RecordHasClass(i, className);
            if (!held)
                return false;
        }
    }
    if (stat != -1 && !MeetsStat(p))
        return false;
    for (const std::string& unlock : requiresUnlock)
        if (!p.HasUnlock(unlock))
            return false;
    if (!atLeastOneUnlock.empty() &&
        std::none_of(atLeastOneUnlock.begin(), atLeastOneUnlock.end(),
                     [&](const std::string& unlock) { return p.HasUnlock(unlock); }))
        return false;
    return true;
}

bool UnlockClient::HasWonWithClasses(const UserProfile& profile, const std::vector<std::string>& classes) const
{
    if (classes.empty())
        return true;
    for (int32_t i = 0; i < profile.GetRecordCount(); ++i) {
        if (std::all_of(classes.begin(), classes.end(),
                        [&](const std::string& className) { return profile.RecordHasClass(i, className); }))
            return true;
    }
    return false;
}

bool UnlockClient::MeetsStat(const UserProfile& profile) const
{
    if (profile.GetRecordCount() == 0)
        return false;
    int32_t value = statTotal ? profile.SumRecordStat(stat, statUseMax, statNormal)
                              : profile.BestRecordStat(stat, statUseMax, statNormal);
    return CompareByOperator(value, statValue, statCompare);
}

void UnlockClient::BuildDescription(std::string& out, bool descriptionOnly) const
{
    if (!descriptionOnly)
        out += "$$" + name + "$$\n";
    int32_t number = totalScore > 0 ? totalScore : adventuresWon > 0 ? adventuresWon : stat != -1 ? statValue : 0;
    out += MakeLocToken(description, "%s", FormatThousands(number).c_str());
}
