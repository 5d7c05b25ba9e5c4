// UIWidgetProfileSources -- the profile's pieces of the widgets' text sources: the user's name and difficulty, the totals, bests and bounds kept in its adventure records, the trophies and their scores, the unlocks' texts, the classes' wins and the bestiary's counts, read from the current profile at every build.
#include "ui/UIWidget.h"

#include "client/UserProfile.h"
#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/EngineEnums.h"
#include "core/EnumTable.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "core/UserVarSystem.h"
#include "ui/UISystem.h"
#include "ui/UiGameView.h"

#include <array>

namespace {

constexpr int32_t kProfileUserName = 70;
constexpr int32_t kProfileDifficulty = 71;
constexpr int32_t kProfileTotalScore = 72;
constexpr int32_t kProfileTotalStat = 73;
constexpr int32_t kProfileTotalFunStat = 74;
constexpr int32_t kProfileBestStat = 75;
constexpr int32_t kProfileBestFunStat = 76;
constexpr int32_t kProfileTrophyScores = 77;
constexpr int32_t kProfileUnlockText = 78;
constexpr int32_t kProfileUnlockTextSimple = 79;
constexpr int32_t kProfileNumTrophies = 80;
constexpr int32_t kProfileClassWins = 81;
constexpr int32_t kProfileHighestStat = 87;
constexpr int32_t kProfileLowestStat = 88;
constexpr int32_t kProfileHighestFunStat = 89;
constexpr int32_t kProfileNewUnlocks = 93;
constexpr int32_t kProfileMonsterKills = 95;

// The trophy levels in order, as the adventure records spell their score fields.
constexpr std::array<const char*, 3> kProfileTrophies = {"Bronze", "Silver", "Gold"};

int32_t ProfileStatIndex(const std::string& name, bool normal)
{
    return EnumTable::LookupIn(normal ? "CharacterStat" : "CharacterFunStat", name);
}

// A level named in any case is spelt as the fields are; the next level is none after gold and
// after a name that is no level.
void ProfileTrophyLevels(const std::string& named, std::string& level, std::string& next)
{
    level = named;
    next.clear();
    for (size_t i = 0; i < kProfileTrophies.size(); ++i) {
        if (!StringEqualsNoCase(named, kProfileTrophies[i]))
            continue;
        level = kProfileTrophies[i];
        if (i + 1 < kProfileTrophies.size())
            next = kProfileTrophies[i + 1];
    }
}

std::string ProfileNumTrophies(const UserProfile& profile, const std::string& named)
{
    std::string level;
    std::string next;
    ProfileTrophyLevels(named, level, next);
    int32_t count = 0;
    for (int32_t i = 0; i < profile.GetRecordCount(); ++i)
        count += profile.IsInTrophyBand(i, level, next) ? 1 : 0;
    return StringFormat("%d", count);
}

// The three minimum scores of the adventure that awards trophies.
std::string ProfileTrophyScores(const std::string& adventureName)
{
    const DatabaseEntry* adventure = gDatabase && !adventureName.empty() ? gDatabase->FindEntryByName(adventureName)
                                                                         : nullptr;
    if (!adventure || adventure->GetInt("AwardTrophy") == 0)
        return {};
    std::string text;
    for (const char* trophy : kProfileTrophies) {
        std::string score = FormatThousands(adventure->GetInt(std::string(trophy) + "TrophyMinScore"));
        text += MakeLocToken((std::string("ScoreFor") + trophy + "Trophy").c_str(), "%s", score.c_str());
    }
    return text;
}

std::string ProfileDifficulty(const UserProfile& profile)
{
    const EnumTable* table = EnumTable::Find("WorldDifficultyLevel");
    return "$$" + (table ? table->GetName(profile.GetDifficulty()) : std::string()) + "Diff$$";
}

// The best of the records' highest values; a profile with no record has none better than 0.
int32_t ProfileBest(const UserProfile& profile, int32_t stat, bool normal)
{
    return profile.GetRecordCount() == 0 ? 0 : profile.BestRecordStat(stat, true, normal);
}

std::string ProfileMonsterCount(const UserProfile& profile, int32_t type, const std::string& varName)
{
    std::string monster = gUserVarSystem && gUserVarSystem->FindVar(varName) ? gUserVarSystem->GetStringByName(varName)
                                                                              : std::string();
    return FormatThousands(type == kProfileMonsterKills ? profile.GetKillCount(monster)
                                                        : profile.GetDeathCount(monster));
}

} // namespace

std::string UIWidget::BuildProfileText(int32_t type, const std::string& argument) const
{
    const UiGameView& view = gUISystem->GetGameView();
    if (type == kProfileUserName || type == kProfileNewUnlocks) {
        if (!view.HasProfile())
            return {};
        return type == kProfileUserName ? view.GetProfileName() : view.GetUnlockReport();
    }
    const UserProfile* profile = view.GetProfile();
    // The trophy and class counts read 0 rather than nothing without a profile.
    if (!profile)
        return type == kProfileNumTrophies || type == kProfileClassWins ? "0" : std::string();
    switch (type) {
    case kProfileDifficulty: return ProfileDifficulty(*profile);
    case kProfileTotalScore: return FormatThousands(profile->SumRecordStat(CharacterStat::Score, true, true));
    case kProfileTotalStat:
    case kProfileTotalFunStat: {
        bool normal = type == kProfileTotalStat;
        return FormatThousands(profile->SumRecordStat(ProfileStatIndex(argument, normal), true, normal));
    }
    case kProfileBestStat:
    case kProfileBestFunStat: {
        bool normal = type == kProfileBestStat;
        return FormatThousands(ProfileBest(*profile, ProfileStatIndex(argument, normal), normal));
    }
    case kProfileTrophyScores: return ProfileTrophyScores(conditionText.empty() ? GetUserVarString() : conditionText);
    case kProfileUnlockText:
    case kProfileUnlockTextSimple: {
        std::string text;
        view.GetUnlockText(unlockName, text, type == kProfileUnlockTextSimple);
        return text;
    }
    case kProfileNumTrophies: return ProfileNumTrophies(*profile, argument);
    case kProfileClassWins: {
        std::string className = gUserVarSystem ? gUserVarSystem->GetStringByName("PlayerClass") : std::string();
        int32_t count = 0;
        for (int32_t i = 0; i < profile->GetRecordCount(); ++i)
            count += profile->RecordHasClass(i, className) ? 1 : 0;
        return StringFormat("%d", count);
    }
    case kProfileMonsterKills:
    case kProfileMonsterKills + 1: return ProfileMonsterCount(*profile, type, argument);
    default: {
        // The highest or lowest value kept in the record of the adventure the user var names.
        int32_t record = profile->FindRecordIndexByName(GetUserVarString());
        bool normal = type <= kProfileLowestStat;
        bool highest = type == kProfileHighestStat || type == kProfileHighestFunStat;
        if (record < 0)
            return {};
        return FormatThousands(profile->GetRecordStat(record, ProfileStatIndex(argument, normal), highest, normal));
    }
    }
}
