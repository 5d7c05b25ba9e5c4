// GameClient -- the game update's entity records and game part: read whole into staging that keeps its capacity, then applied, then the entities it left out removed.
#include "client/GameClient.h"

#include "client/ClientApp.h"
#include "client/ClientSight.h"
#include "client/ClientUi.h"
#include "client/EntityClient.h"
#include "client/LocalPlayerLink.h"
#include "client/QuestClient.h"
#include "core/Database.h"
#include "client/ClientProfiles.h"
#include "core/MessageBuffer.h"
#include "render/WorldMap.h"
#include "resources/effects/EffectSystem.h"
#include "world/AreaDefinition.h"
#include "world/Level.h"
#include "world/World.h"

namespace {

// A quest-actor entry is at least its value and the NUL of its name; a quest slot its flag.
constexpr size_t kGameClientActorBytes = 5;
constexpr size_t kGameClientQuestSlotBytes = 4;
// The quest type whose new quests show the recruiting help.
constexpr int32_t kGameClientRecruitQuestType = 11;

} // namespace

// ---- Reading -----------------------------------------------------------------------------------------

bool GameClient::ReadGameUpdate(MessageBuffer& buffer, const ClientResourceTable* resources,
                                GameUpdateEnvelope* envelope)
{
    if (!ParseGameUpdate(buffer) || (envelope && !envelope->ReadTail(buffer)))
        return false;
    if (envelope)
        envelope->ApplyHead();
    ApplyGameUpdate(buffer, resources);
    if (envelope)
        envelope->ApplyTail(buffer);
    // After the player's part: the start steps hang the weather on the player's body.
    if (!started)
        OnFirstUpdate();
    return true;
}

bool GameClient::ParseGameUpdate(MessageBuffer& buffer)
{
    staging.entityCount = 0;
    return ParseEntities(buffer) && ParseGamePart(buffer);
}

bool GameClient::ParseEntities(MessageBuffer& buffer)
{
    // Every record takes bytes, so the datagram's end bounds the loop.
    while (true) {
        size_t at = buffer.GetReadPos();
        int32_t number = buffer.ReadInt();
        if (buffer.Overrun())
            return false;
        if (number == NetMessages::kListEnd)
            return true;
        if (number < 0 || number >= kMaxEntities)
            return false;
        buffer.SetReadPos(at);
        if (staging.entityCount == staging.entities.size())
            staging.entities.emplace_back();
        StagedEntity& staged = staging.entities[staging.entityCount];
        if (!NetMessages::ReadEntityHeader(buffer, staged.header))
            return false;
        const DatabaseEntry* record = gDatabase ? gDatabase->GetEntryByIndex(staged.header.definition) : nullptr;
        if (!NetEntityStates::ReadState(buffer, NetEntityStates::KindOf(record), staged.state))
            return false;
        ++staging.entityCount;
    }
}

bool GameClient::ParseGamePart(MessageBuffer& buffer)
{
    buffer.ReadTimeStamp(staging.clock);
    staging.gameValue = buffer.ReadInt();
    staging.covenantCount = buffer.ReadInt();
    if (buffer.Overrun() || staging.covenantCount < 0 || staging.covenantCount > kMaxCovenants)
        return false;
    if (staging.covenants.size() < static_cast<size_t>(staging.covenantCount))
        staging.covenants.resize(static_cast<size_t>(staging.covenantCount));
    for (int32_t i = 0; i < staging.covenantCount; ++i)
        if (!CovenantClient::ReadRecord(buffer, staging.covenantCount, staging.covenants[static_cast<size_t>(i)]))
            return false;
    staging.timeOfDay = buffer.ReadFloat();
    int32_t actors = 0;
    if (buffer.Overrun() || !buffer.ReadCount(actors, kGameClientActorBytes))
        return false;
    staging.actorValues.resize(static_cast<size_t>(actors));
    staging.actorNames.resize(static_cast<size_t>(actors));
    for (int32_t i = 0; i < actors; ++i) {
        staging.actorValues[static_cast<size_t>(i)] = buffer.ReadInt();
        buffer.ReadString(staging.actorNames[static_cast<size_t>(i)]);
    }
    int32_t questCount = 0;
    if (buffer.Overrun() || !buffer.ReadCount(questCount, kGameClientQuestSlotBytes))
        return false;
    staging.questAt.resize(static_cast<size_t>(questCount));
    for (size_t& at : staging.questAt) {
        at = 0;
        if (buffer.ReadRaw32() == 0)
            continue;
        at = buffer.GetReadPos();
        if (buffer.Overrun() || !QuestBase::Skip(buffer, false, QuestBase::kNamedReferencesVersion))
            return false;
    }
    for (float& factor : staging.priceFactors)
        factor = buffer.ReadFloat();
    for (float& value : staging.weather)
        value = buffer.ReadFloat();
    staging.alliedVictory = buffer.ReadBool();
    staging.confirmWin = buffer.ReadBool();
    return !buffer.Overrun();
}

// ---- Applying ----------------------------------------------------------------------------------------

void GameClient::ApplyGameUpdate(MessageBuffer& buffer, const ClientResourceTable* resources)
{
    size_t end = buffer.GetReadPos();
    ++updateStamp;
    ApplyEntities(resources);
    clock = staging.clock;
    gameValue = staging.gameValue;
    covenantCount = staging.covenantCount;
    for (int32_t i = 0; i < covenantCount; ++i)
        GetCovenant(i, true)->Apply(staging.covenants[static_cast<size_t>(i)]);
    timeOfDay = staging.timeOfDay;
    questActorValues = staging.actorValues;
    questActorNames = staging.actorNames;
    ApplyQuests(buffer);
    ResolveQuestItems();
    foodPriceFactor = staging.priceFactors[0];
    drinkPriceFactor = staging.priceFactors[1];
    std::copy(std::begin(staging.weather), std::end(staging.weather), weather);
    // The game is saved before the allied victory is offered: accepting it ends the world.
    if (staging.alliedVictory && !alliedVictoryShown && gClientApp)
        gClientApp->AutoSave();
    ApplyMenuFlag(staging.alliedVictory, alliedVictoryShown, "AlliedVictory");
    ApplyMenuFlag(staging.confirmWin, confirmWinShown, "ConfirmWin");
    RemoveStaleEntities();
    victoryHeld = false;
    // The tail after the game part is read from where the game part ended.
    buffer.SetReadPos(end);
}

void GameClient::ApplyEntities(const ClientResourceTable* resources)
{
    LocalPlayerLink* link = gClientApp ? gClientApp->GetLink() : nullptr;
    for (size_t i = 0; i < staging.entityCount; ++i) {
        const StagedEntity& staged = staging.entities[i];
        std::unique_ptr<EntityClient>& slot = entities[static_cast<size_t>(staged.header.number)];
        bool made = !slot;
        if (made) {
            slot = std::make_unique<EntityClient>();
            slot->entityNumber = staged.header.number;
        }
        slot->ApplyState(staged.header, staged.state, resources);
        slot->updateStamp = updateStamp;
        if (slot->solidChanged) {
            sight->OnSightBlockerChanged(*slot);
            slot->solidChanged = false;
        }
        if (!made)
            continue;
        if (link)
            link->ShowPickupHelp(*slot);
        slot->Turn(0.0f, true);
    }
}

void GameClient::ApplyQuests(MessageBuffer& buffer)
{
    LocalPlayerLink* link = gClientApp ? gClientApp->GetLink() : nullptr;
    if (staging.questAt.size() < quests.size())
        quests.clear();
    quests.resize(staging.questAt.size());
    for (size_t i = 0; i < quests.size(); ++i) {
        if (staging.questAt[i] == 0) {
            quests[i].reset();
            continue;
        }
        bool made = !quests[i];
        if (made)
            quests[i] = std::make_unique<QuestClient>();
        buffer.SetReadPos(staging.questAt[i]);
        quests[i]->Read(buffer, true, false, QuestBase::kNamedReferencesVersion);
        quests[i]->index = static_cast<int32_t>(i);
        if (made && quests[i]->type == kGameClientRecruitQuestType && link)
            link->TriggerHint("Recruit");
    }
}

void GameClient::ResolveQuestItems()
{
    for (size_t i = 0; i < staging.entityCount; ++i) {
        if (staging.entities[i].state.kind != NetStateKind::QuestItem)
            continue;
        EntityClient* item = GetEntity(staging.entities[i].header.number);
        int32_t number = item ? item->questNumber : -1;
        QuestClient* quest = number >= 0 && number < GetQuestCount() ? quests[static_cast<size_t>(number)].get() : nullptr;
        if (item)
            item->SetQuestRecord(quest ? quest->GetItemRecord() : nullptr);
    }
}

void GameClient::ApplyMenuFlag(bool value, bool& shown, const char* menu)
{
    if (value == shown)
        return;
    shown = value;
    ClientUi* ui = gClientApp ? gClientApp->GetUi() : nullptr;
    if (ui)
        ui->RunMenuLine(std::string(value ? "showMenu " : "hideMenu ") + menu);
}

void GameClient::RemoveStaleEntities()
{
    for (auto& entity : entities)
        if (entity && entity->updateStamp != updateStamp)
            entity.reset();
}

void GameClient::OnFirstUpdate()
{
    started = true;
    if (gWorld)
        gWorld->CreateLevelAnchor();
    LocalPlayerLink* link = gClientApp ? gClientApp->GetLink() : nullptr;
    ClientUi* ui = gClientApp ? gClientApp->GetUi() : nullptr;
    std::string topic = ui ? ui->GetStartTopic() : std::string();
    if (link && !topic.empty())
        link->TriggerHint(topic);
    EntityClient* body = gClientApp ? gClientApp->GetLocalPlayerEntity() : nullptr;
    if (body && gEffectSystem)
        gEffectSystem->EnterWorld(&body->GetEffectHost());
    RevealWorldMapStart();
    // What the last game unlocked has been shown on its closing screens by now.
    if (UserProfile* profile = profiles->GetCurrent())
        profile->ClearNewUnlocks();
    if (!ui)
        return;
    for (const std::string& line : ui->GetGameStartLines())
        ui->RunMenuLine(line);
}

void GameClient::RevealWorldMapStart()
{
    const Level* first = gWorld && gWorld->GetLevelCount() > 0 ? gWorld->GetLevel(0) : nullptr;
    if (first && first->area && first->area->autoMap && gWorldMap)
        gWorldMap->RevealFirstLevel();
}
