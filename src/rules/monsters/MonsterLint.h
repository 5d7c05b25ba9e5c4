// MonsterLint -- the content checks of monster types, actor records and NPC chat sets.
#pragma once

class ContentLint;
class DatabaseEntry;

// A monster type needs a "Name", an "Archetype" and a level window 1 <= "MinLevel" <= "MaxLevel".
void CheckMonsterTypeRecord(ContentLint& lint, const DatabaseEntry& entry);
// An actor's "ChatIntro", when given, is a text of the language; each "Attachment" line names
// an attachment record.
void CheckActorRecord(ContentLint& lint, const DatabaseEntry& entry);
// An attachment has alternatives, each naming a model file of the game.
void CheckAttachmentRecord(ContentLint& lint, const DatabaseEntry& entry);
// An enhancement is shown as a status effect: it needs a "Name" and an icon file.
void CheckMonsterEnhancementRecord(ContentLint& lint, const DatabaseEntry& entry);
// A chat set needs lines, each a text of the language, and "MinLevel" <= "MaxLevel".
void CheckNpcChatRecord(ContentLint& lint, const DatabaseEntry& entry);
