// SkillLint -- the content checks of skills, skill trees, classes and status effects: names that lead nowhere or are looked up before they load.
#pragma once

class ContentLint;
class DatabaseEntry;

// A skill's "PerLevel" and "Skill" names must be skills above it in the database, since loading
// sees only those; "StatusEffect" must be a status effect and "Linked" a skill.
void CheckSkillRecord(ContentLint& lint, const DatabaseEntry& entry);
// Every "Skill" of a tree must be a skill, at most fifteen of them.
void CheckSkillTreeRecord(ContentLint& lint, const DatabaseEntry& entry);
// Every "SkillTree" of a class must be a tree.
void CheckClassRecord(ContentLint& lint, const DatabaseEntry& entry);
// "PerLevel", "AuraStatusEffect" and "SuccessEndEffect" must name entries.
void CheckStatusEffectRecord(ContentLint& lint, const DatabaseEntry& entry);
