// QuestLint -- the content checks of quest records: type, texts, references and ranges the loader does not check.
#pragma once

class ContentLint;
class DatabaseEntry;

// A quest record needs a "QuestType"; each "TextList" and "TitleList" line is a text of the
// language, and a kind whose body is a TextList text, or whose title and text name a TextList
// line, has at least one (a tainted supply as many as TitleList lines); "NextQuest",
// "DefaultItem", "ItemReward", "DefaultArea" and "StatusEffect", when given, name records
// ("NextQuest" a quest), "MonsterType" and "DefaultMonster" monster types; each Min/Max pair
// of counts, times, rewards and recruit levels is in order.
void CheckQuestRecord(ContentLint& lint, const DatabaseEntry& entry);
