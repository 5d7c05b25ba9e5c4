// UnlockClient -- one "Unlock" record: the conditions a user profile must meet to earn it, the test of them in order, and the menu text of its requirement.
#pragma once

#include "core/SimpleData.h"

#include <cstdint>
#include <string>
#include <vector>

class UserProfile;

// The menu lists the conditions count against, built by the game client: how many official
// adventures there are, and the official player classes without the special ones.
struct UnlockMenuLists {
    int32_t officialAdventures = 0;
    std::vector<std::string> officialClasses;
};

class UnlockClient : public SimpleData {
public:
    void Load(const DatabaseEntry* record) override;

    // Every condition, in order, holds for the profile; false without one.
    bool IsEarned(const UserProfile* profile, const UnlockMenuLists& lists) const;
    // Unless descriptionOnly, the localised title "$$<name>$$" and a line break first; then the
    // requirement's text with its number.
    void BuildDescription(std::string& out, bool descriptionOnly) const;

    const std::string& GetName() const { return name; }
    const std::string& GetDescription() const { return description; }

private:
    bool HasWonWithClasses(const UserProfile& profile, const std::vector<std::string>& classes) const;
    bool MeetsStat(const UserProfile& profile) const;

    std::string name;
    std::string description;
    int32_t totalScore = 0;
    int32_t adventuresWon = 0;
    bool wonAllAdventures = false;
    bool atLeastSilverTrophies = false;
    bool allGoldTrophies = false;
    bool wonAdventureWithAllChars = false;
    bool wonWithAllChars = false;
    std::vector<std::string> requiresUnlock;
    std::vector<std::string> atLeastOneUnlock;
    int32_t stat = -1;
    int32_t statValue = 0;
    int32_t statCompare = 5;
    bool statNormal = false;
    bool statUseMax = false;
    bool statTotal = false;
};
