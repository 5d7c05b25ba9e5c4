// ItemLint -- the content checks of item and affix records: names, bag sizes, guards, relic factors and stat ranges.
#pragma once

class ContentLint;
class DatabaseEntry;

// An item (or quest item) needs a "Name"; a bag item a "BagSize" of 1 to the largest bag; a
// guard item a "Guard" that names a monster type of the game database; a relic at most 14 "RelicBonusPerLevel"
// lines; "MaxLevel", when given, is not below "MinLevel"; the use and set effects name status
// effects and "OnUseSkill" a skill.
void CheckItemRecord(ContentLint& lint, const DatabaseEntry& entry);
// An affix needs a "Name" and at least one "StatChange", each with its low end not above its high end.
void CheckMagicModifierRecord(ContentLint& lint, const DatabaseEntry& entry);
