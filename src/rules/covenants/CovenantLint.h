// CovenantLint -- the content checks of covenant definitions and traits.
#pragma once

class ContentLint;
class DatabaseEntry;

// A covenant definition needs a "Name", positive timer lengths and a positive least difficulty
// modifier, a "GenericValueChunkPercent" above 0 and comparison minimums
// ("MinComparisionCrystals", "MinComparisionInfluenceNumKills") of at least 1.
void CheckCovenantRecord(ContentLint& lint, const DatabaseEntry& entry);
// "Human", the player's covenant, must be the last definition: a new world draws its rivals
// from every definition but the last.
void CheckHumanCovenant(ContentLint& lint, const DatabaseEntry& entry);
// A trait needs a "Name", a "Desc" and a "TextureName" that names a file of the game.
void CheckCovenantTraitRecord(ContentLint& lint, const DatabaseEntry& entry);
