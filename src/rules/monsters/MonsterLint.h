// MonsterLint -- the content checks of monster types, actor records and NPC chat sets.
#pragma once

class ContentLint;
class DatabaseEntry;

// A monster type needs a "Name", an "Archetype" and a level window 1 <= "MinLevel" <= "MaxLevel".
void CheckMonsterTypeRecord(ContentLint& lint, const DatabaseEntry& entry);
// An actor's "ChatIntro", when given, is a text of the language.
void CheckActorRecord(ContentLint& lint, const DatabaseEntry& entry);
// A chat set needs lines, each a text of the language, and "MinLevel" <= "MaxLevel".
void CheckNpcChatRecord(ContentLint& lint, const DatabaseEntry& entry);
