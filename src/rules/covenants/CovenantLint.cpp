// CovenantLint -- the content checks of covenant definitions and traits.
#include "rules/covenants/CovenantLint.h"

#include "core/Database.h"
#include "core/StringUtil.h"
#include "rules/ContentLint.h"

void CheckCovenantRecord(ContentLint& lint, const DatabaseEntry& entry)
{
    if (entry.GetString("Name").empty())
        lint.Report(entry, "Name is empty");
    // The client draws it over the covenant's lifestone.
    lint.CheckTexture(entry, "SmallCrestName");
    // A rival's timers restart from these, and its shared adventures count in steps of the last:
    // none may be 0 or missing.
    for (const char* key : {"TimeBetweenSimilatedBattlesEasy", "TimeBetweenSimilatedBattlesAverage",
                            "TimeBetweenSimilatedBattlesHard", "TimeBetweenSimilatedBattlesVeryHard", "TimePerAdventure",
                            "TimeBetweenAdventures", "TimeBetweenRandomRelationChanges", "AdventureTypeTime", "StopRaidTime",
                            "TimeBetweenGuardChanges", "MinDifficultyModifier", "SlowStartTime",
                            "SharedAdventureXp"})
        if (!(entry.GetFloat(key, 0.0f) > 0.0f))
            lint.Report(entry, StringFormat("%s must be above 0", key));
    // A deal's worth is counted in chunks of the stock held, never less than the minimums: without
    // a positive percent and minimums of at least 1 every amount is worth one flat fraction.
    if (!(entry.GetFloat("GenericValueChunkPercent", 0.0f) > 0.0f))
        lint.Report(entry, "GenericValueChunkPercent is not above 0");
    for (const char* key : {"MinComparisionCrystals", "MinComparisionInfluenceNumKills"})
        if (entry.GetInt(key) < 1)
            lint.Report(entry, StringFormat("%s is below 1", key));
}

void CheckHumanCovenant(ContentLint& lint, const DatabaseEntry& entry)
{
    if (entry.GetType() != DatabaseEntryType::Covenant || entry.IsBaseOnly())
        lint.Report(entry, "is no covenant definition");
    else if (gDatabase && gDatabase->GetNextEntryOfType(DatabaseEntryType::Covenant, &entry))
        lint.Report(entry, "is not the last covenant definition");
}

void CheckCovenantTraitRecord(ContentLint& lint, const DatabaseEntry& entry)
{
    for (const char* key : {"Name", "Desc"})
        if (entry.GetString(key).empty())
            lint.Report(entry, StringFormat("%s is empty", key));
    lint.CheckTexture(entry, "TextureName");
}
