// ClientUiGameViewStory -- the interface's view of the story texts: the world's name and history, the player's, and the history and rescue texts of the entities the client holds, from their database records.
#include "ui/ClientUiGameView.h"

#include "client/ClientApp.h"
#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "world/World.h"

namespace {

// The adventure a world set up without a name plays.
constexpr const char* kStoryDefaultAdventure = "World";

const EntityClient* StoryEntity(int32_t number)
{
    const EntityClient* entity = gGameClient && number >= 0 ? gGameClient->GetEntity(number) : nullptr;
    return entity && entity->GetRecord() ? entity : nullptr;
}

// A creature is named by its monster type while its story keys may sit on the actor record its
// body comes from: the type's own value first, else the actor's.
std::string StoryEntityString(const EntityClient& entity, const char* key)
{
    std::string value = entity.GetRecord()->GetString(key);
    if (value.empty() && entity.GetKeyRecord() != entity.GetRecord())
        value = entity.GetKeyRecord()->GetString(key);
    return value;
}

// The adventure the world plays, or will play when none is set up yet.
const DatabaseEntry* StoryAdventureRecord()
{
    if (!gWorld || !gDatabase)
        return nullptr;
    const std::string& chosen = gWorld->GetAdventureName();
    return gDatabase->FindEntryByName(chosen.empty() ? kStoryDefaultAdventure : chosen);
}

} // namespace

std::string ClientUiGameView::GetWorldTextFile() const
{
    if (gWorld && !gWorld->GetTextFile().empty())
        return gWorld->GetTextFile();
    // Before a game, on the new-character screen, the story is the one of the adventure it will play.
    const DatabaseEntry* adventure = StoryAdventureRecord();
    return adventure ? adventure->GetString("TextFile") : std::string();
}

std::string ClientUiGameView::GetWorldName() const
{
    const DatabaseEntry* adventure = StoryAdventureRecord();
    return adventure ? adventure->GetString("Name") : std::string();
}

std::string ClientUiGameView::GetPlayerTextFile() const
{
    PlayerClient* player = gClientApp ? gClientApp->GetLocalPlayer() : nullptr;
    const EntityClient* body = player ? player->GetBody() : nullptr;
    return body && body->GetRecord() ? body->GetRecord()->GetString("TextFile") : std::string();
}

std::string ClientUiGameView::GetEntityHistoryFile(int32_t entity) const
{
    const EntityClient* shown = StoryEntity(entity);
    return shown ? StoryEntityString(*shown, "TextFile") : std::string();
}

bool ClientUiGameView::GetEntityRescue(int32_t entity, std::string& textFile, std::string& sound) const
{
    const EntityClient* shown = StoryEntity(entity);
    if (!shown)
        return false;
    textFile = StoryEntityString(*shown, "RescueTextFile");
    sound = StoryEntityString(*shown, "RescueSound");
    return true;
}
