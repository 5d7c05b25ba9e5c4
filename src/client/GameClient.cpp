// GameClient -- the client half's copy of the game: the entities the player sees, the covenants, the world quests, the clock and the game part of each update, and the client's frame of game logic.
#include "client/GameClient.h"

#include "client/CharacterExport.h"
#include "client/CharacterSetUp.h"
#include "client/ClientEffectContext.h"
#include "client/ClientApp.h"
#include "client/ClientMessages.h"
#include "client/ClientMusic.h"
#include "client/ClientProfiles.h"
#include "client/ClientSight.h"
#include "client/CovenantRankings.h"
#include "client/WeatherClient.h"
#include "client/EntityClient.h"
#include "client/LocalPlayerLink.h"
#include "client/PlayerClient.h"
#include "client/QuestClient.h"
#include "client/TradeWindow.h"
#include "core/CommandSystem.h"
#include "core/Database.h"
#include "core/EventSystem.h"
#include "core/TypeRegistry.h"
#include "core/UserVarSystem.h"
#include "render/LightingSystem.h"
#include "resources/effects/EffectSystem.h"
#include "rules/GameData.h"
#include "world/AreaDefinition.h"
#include "world/Level.h"
#include "world/World.h"

#include <cmath>

GameClient* gGameClient = nullptr;

namespace {

bool GameClientSameColour(const Color& a, const Color& b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

} // namespace

GameClient::GameClient()
    : music(std::make_unique<ClientMusic>()), messages(std::make_unique<ClientMessages>(*this)),
      rankings(std::make_unique<CovenantRankings>(*this)), sight(std::make_unique<ClientSight>(*this)),
      weatherClient(std::make_unique<WeatherClient>()), profiles(std::make_unique<ClientProfiles>()),
      trade(std::make_unique<TradeWindow>(*this)), effectContext(std::make_unique<ClientEffectContext>())
{
    if (gEffectSystem)
        gEffectSystem->SetContext(effectContext.get());
    profileCountHook = [this](int32_t databaseIndex, bool death) { profiles->Count(databaseIndex, death); };
    profileUnlockedHook = [this](const std::string& className) { return profiles->IsUnlocked(className); };
    npcChatVoiceHook = [this](const std::vector<std::string>& args) {
        if (!args.empty())
            music->PlayNpcChatVoice(args[0]);
    };
    entities.resize(kMaxEntities);
    Reset();
}

GameClient::~GameClient()
{
    Reset();
    if (gEffectSystem && &gEffectSystem->GetContext() == effectContext.get())
        gEffectSystem->SetContext(nullptr);
}

void GameClient::Init()
{
    if (gGameClient)
        return;
    gGameClient = new GameClient();
    if (gTypeRegistry)
        EntityClient::RegisterEventClass(*gTypeRegistry);
    if (gEventSystem)
        EntityClient::RegisterAnimationEvents(*gEventSystem);
    EntityClient::BuildEventHandlers();
    if (gCommandSystem)
        CharacterSetUp::Register(*gCommandSystem);
    gGameClient->RegisterVars();
    if (gDatabase) {
        gGameClient->music->LoadGameSystem(*gDatabase);
        gGameClient->weatherClient->Init(*gDatabase);
    }
    gGameClient->music->RegisterCommands();
    gGameClient->messages->RegisterCommands();
    gGameClient->trade->RegisterCommands();
    if (gClientApp)
        PlayerClient::RegisterCommands(*gClientApp);
    gGameClient->profiles->BuildUnlockList();
    if (gClientApp) {
        gGameClient->profiles->RegisterCommands(*gClientApp);
        CharacterExport::RegisterCommands(*gClientApp);
    }
    gGameClient->profiles->LoadRemembered();
    RegisterLevelCallbacks();
}

void GameClient::RegisterLevelCallbacks()
{
    if (!gWorld)
        return;
    gWorld->AddLevelCallback(WorldSide::Client, LevelEvent::Generated, [](int32_t level) {
        if (gGameClient)
            gGameClient->GetMusic().OnLevelLoaded(level);
    });
    gWorld->AddLevelCallback(WorldSide::Client, LevelEvent::Released, [](int32_t level) {
        if (gGameClient)
            gGameClient->GetMusic().OnLevelUnloaded(level);
    });
}

void GameClient::Shutdown()
{
    if (gGameClient)
        gGameClient->profiles->Close();
    delete gGameClient;
    gGameClient = nullptr;
}

void GameClient::ApplyProfileUnlocks()
{
    UserProfile* current = profiles->GetCurrent();
    if (!current)
        return;
    UnlockMenuLists lists = ClientProfiles::GetMenuLists();
    // One pass: an unlock that needs one granted later in this pass waits for the next.
    for (const auto& unlock : profiles->GetUnlocks())
        if (unlock->IsEarned(current, lists))
            current->AddUnlock(unlock->GetName());
}

void GameClient::GetUnlockText(std::string_view name, std::string& out, bool descriptionOnly) const
{
    const UnlockClient* unlock = profiles->FindUnlock(name);
    if (!unlock)
        return;
    out.clear();
    unlock->BuildDescription(out, descriptionOnly);
}

void GameClient::RegisterVars()
{
    if (!gUserVarSystem)
        return;
    // Seconds between autosaves; 0 or less switches them off.
    autoSaveTimeVar = gUserVarSystem->RegisterVar("autoSaveTime", "300.0");
    drawHelmetVar = gUserVarSystem->RegisterVar("ui_drawPlayerHelmet", "1");
    simpleTipsVar = gUserVarSystem->RegisterVar("ui_showSimpleTips", "1");
    showUseHintsVar = gUserVarSystem->RegisterVar("ui_showUseHints", "1");
    showTagsVar = gUserVarSystem->RegisterVar("showTags", "0");
}

void GameClient::Reset()
{
    started = false;
    gameOverShown = false;
    alliedVictoryShown = false;
    confirmWinShown = false;
    clock = TimeStamp{};
    covenantCount = 0;
    covenants.clear();
    ClearEntities();
    timeOfDay = kNoonHours;
    victoryPending = false;
    victoryHeld = false;
    losDirty = false;
    npcChatText.clear();
    selectedCovenant = -1;
    trade->Reset();
    music->Reset();
    rankings->Reset();
    sight->Reset();
}

void GameClient::ClearEntities()
{
    for (auto& entity : entities)
        entity.reset();
}

void GameClient::ResetForNewWorld()
{
    quests.clear();
    questActorValues.clear();
    questActorNames.clear();
    gameOverShown = false;
    // Mended: the new world's first update ran none of the start steps, so the rain stayed with
    // the last world's body, the new town was not shown on the map and the unlocks stayed new.
    started = false;
}

EntityClient* GameClient::GetEntity(int32_t number) const
{
    return number >= 0 && number < kMaxEntities ? entities[static_cast<size_t>(number)].get() : nullptr;
}

EntityClient* GameClient::FindEntityByOwner(const EntityClient* owner, int32_t ownerSlot) const
{
    // Slot -1 is what every entity that hangs on no tag holds: it names none.
    if (!owner || owner->entityNumber < 0 || ownerSlot == -1)
        return nullptr;
    for (const auto& entity : entities)
        if (entity && entity->parentNumber == owner->entityNumber && entity->parentTag == ownerSlot)
            return entity.get();
    return nullptr;
}

CovenantClient* GameClient::GetCovenant(int32_t index, bool create)
{
    if (index >= 0 && static_cast<size_t>(index) < covenants.size())
        return covenants[static_cast<size_t>(index)].get();
    if (!create)
        return nullptr;
    // Appended at the end: the update makes covenants in index order, so it gets the index asked.
    auto covenant = std::make_unique<CovenantClient>();
    covenant->index = static_cast<int32_t>(covenants.size());
    covenants.push_back(std::move(covenant));
    return covenants.back().get();
}

CovenantClient* GameClient::GetLastCovenant() const
{
    int32_t last = covenantCount - 1;
    return last >= 0 && static_cast<size_t>(last) < covenants.size() ? covenants[static_cast<size_t>(last)].get()
                                                                      : nullptr;
}

// ---- The frame -------------------------------------------------------------------------------------

void GameClient::Update(float seconds)
{
    announceTimer.Update(seconds);
    autosaveTimer.Update(seconds);
    for (auto& entity : entities)
        if (entity)
            entity->Update(seconds);
    weatherClient->SetFromUpdate(weather[0], weather[1], weather[2]);
    weatherClient->Update(seconds);
    UpdateGameOver();
    UpdateAmbientLight(seconds);
    rankings->UpdateRankings();
    rankings->UpdateAnnouncements();
    music->UpdateLevelSounds(seconds);
    if (started)
        UpdateAutosave();
}

void GameClient::UpdateGameOver()
{
    if (!started || gameOverShown)
        return;
    if (messages->IsVictoryPending())
        messages->WinGame();
    if (!gameOverShown && messages->IsPlayerCovenantEliminated())
        messages->LoseGame();
}

void GameClient::UpdateAutosave()
{
    if (!autosaveTimer.running)
        RestartAutosave();
    if (!autosaveTimer.IsExpired())
        return;
    if (gClientApp)
        gClientApp->AutoSave();
    RestartAutosave();
}

void GameClient::RestartAutosave()
{
    float seconds = autoSaveTimeVar.IsValid() ? autoSaveTimeVar.GetFloat() : 0.0f;
    // A var holding no number is no interval.
    if (!(seconds > 0.0f)) {
        autosaveTimer.running = 0;
        return;
    }
    autosaveTimer.running = 1;
    autosaveTimer.total = seconds;
    autosaveTimer.remaining = seconds;
}

void GameClient::UpdateAmbientLight(float seconds)
{
    // The player's level while in a game with the area editor closed, as the camera's: the editor's
    // piece is lit by no level's sun.
    int32_t level = gClientApp ? gClientApp->GetCameraTarget().level : -1;
    Color target;
    float fadeTime = 0.0f;
    if (gWorld) {
        const GameSystemTuning* tuning = gGameData ? &gGameData->GetTuning() : nullptr;
        bool night = tuning && (timeOfDay < tuning->sunriseStart || timeOfDay > tuning->sunsetEnd);
        gWorld->GetSunColour(level, target, night ? 1.0f : 0.0f);
        const Level* found = gWorld->GetLevel(level);
        fadeTime = found && found->area ? found->area->colorTransitionTime : 0.0f;
    }
    if (!GameClientSameColour(ambientColour, target)) {
        if (fadeTime > 0.0f && ambientRate > 0.0f) {
            float step = seconds / fadeTime;
            auto approach = [step](float current, float goal) {
                if (std::fabs(goal - current) <= step)
                    return goal;
                return current + (goal > current ? step : -step);
            };
            ambientColour = Color{approach(ambientColour.r, target.r), approach(ambientColour.g, target.g),
                                  approach(ambientColour.b, target.b)};
        } else {
            ambientColour = target;
        }
        ambientRate = fadeTime;
    }
    Color lit = GetWeatheredAmbient();
    if (gLightingSystem && (lit.r != 0.0f || lit.g != 0.0f || lit.b != 0.0f))
        gLightingSystem->AddLight(level, 0.0f, 0.0f, lit, 0.0f, LightingSystem::kGlobalLight);
}

Color GameClient::GetWeatheredAmbient() const
{
    // Rain darkens the light toward the sunlight floor; a flash brightens it.
    float rain = WeatherClient::GetPlayerAreaWeatherMult() * weather[0];
    if (!(rain > 0.0f))
        return ambientColour;
    float factor = weatherClient->lightningBrightness + 1.0f - (1.0f - weatherClient->lowestSunlightMult) * rain;
    return Color{ambientColour.r * factor, ambientColour.g * factor, ambientColour.b * factor};
}
