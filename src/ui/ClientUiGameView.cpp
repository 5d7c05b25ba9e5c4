// ClientUiGameView -- the interface's view of the game over the client's mirrors: the game's flags, the local player's entity number and the mirrored entities.
#include "ui/ClientUiGameView.h"

#include "client/ClientApp.h"
#include "client/ClientMessages.h"
#include "client/ClientProfiles.h"
#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "client/GlobalStats.h"
#include "client/LocalPlayerLink.h"
#include "client/PlayerClient.h"
#include "client/ScreenConversion.h"
#include "client/StatusEffectClient.h"
#include "client/UserProfile.h"
#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/EngineEnums.h"
#include "rules/CharacterClass.h"
#include "rules/GameData.h"
#include "rules/skills/SkillTree.h"
#include "rules/statuseffects/StatusEffectBase.h"

#include <algorithm>

void ClientUiGameView::GetHelpEntities(std::vector<int32_t>& out) const
{
    out.clear();
    if (!IsGameRunning())
        return;
    for (int32_t number = 0; number < GameClient::kMaxEntities; ++number) {
        const EntityClient* entity = gGameClient->GetEntity(number);
        if (entity && entity->ShouldShowHelp(true))
            out.push_back(number);
    }
}

bool ClientUiGameView::GetEntityScreenPoint(int32_t number, float& x, float& y) const
{
    const EntityClient* entity = gGameClient ? gGameClient->GetEntity(number) : nullptr;
    if (!entity || entity->position.level < 0)
        return false;
    // Where the world is drawn, zoom applied: unzoomed, a label stood off its item and over another.
    Vector2 point = Client::GetTargetScreenInfo(entity->position);
    x = point.x;
    y = point.y;
    return true;
}

bool ClientUiGameView::UseLeftButtonActionOn(int32_t number)
{
    PlayerClient* player = gClientApp ? gClientApp->GetLocalPlayer() : nullptr;
    EntityClient* entity = gGameClient ? gGameClient->GetEntity(number) : nullptr;
    if (!player || !entity)
        return false;
    player->TrySkill(0, entity);
    return true;
}

void ClientUiGameView::ShowMessage(const std::string& text)
{
    if (gGameClient)
        gGameClient->GetMessages().ShowMessage(text, false);
}

bool ClientUiGameView::IsGameRunning() const
{
    return gGameClient && gGameClient->IsStarted();
}

bool ClientUiGameView::HasLocalPlayer() const
{
    return IsGameRunning() && GetPlayerEntityNumber() >= 0;
}

// Mended: the view answered no bit, so the hardcore and loner screens never knew their character.
bool ClientUiGameView::GetPlayerFlagBit(int32_t bit) const
{
    const PlayerClient* player = gClientApp ? gClientApp->GetLocalPlayer() : nullptr;
    return player && player->GetCharacterFlag(bit);
}

int32_t ClientUiGameView::GetPlayerEntityNumber() const
{
    LocalPlayerLink* link = gClientApp ? gClientApp->GetLink() : nullptr;
    return link ? link->GetEntityNumber() : -1;
}

bool ClientUiGameView::GetTargetEntity(UiEntityFacts& out) const
{
    const EntityClient* target = Client::GetTargetEntity();
    return target && GetEntity(target->entityNumber, out);
}

int32_t ClientUiGameView::GetPartyMember(int32_t n) const
{
    const EntityClient* member = Client::GetPlayerListEntity(n);
    return member ? member->entityNumber : -1;
}

bool ClientUiGameView::GetEntity(int32_t number, UiEntityFacts& out) const
{
    if (!gGameClient)
        return false;
    const EntityClient* entity = gGameClient->GetEntity(number);
    if (!entity)
        return false;
    out = UiEntityFacts{};
    out.health = entity->health;
    out.maxHealth = entity->maxHealth;
    out.power = entity->power;
    out.maxPower = entity->maxPower;
    out.level = entity->level;
    out.rank = entity->rank;
    out.covenant = entity->covenantIndex;
    out.kind = entity->GetNpcType();
    out.offersQuest = !entity->questOffers.empty();
    // Mended: left unset, the trader-kind conditions of the layouts were never true.
    out.isVendor = entity->isVendor;
    out.isGuardVendor = entity->isGuardVendor;
    out.isGambler = entity->isGambler;
    // The host's last "timer" line, until it runs out. Mended: never told, the widgets that show a
    // running action (the fallen hero's wait among them) never showed.
    out.hasTimedEvent = entity->timerDuration > 0.0f;
    out.timedEvent = entity->timerElapsed;
    out.maxTimedEvent = entity->timerDuration;
    // The stat tooltips and the class tint need the class; a player whose power is not rising
    // wears its class's second colour.
    if (const CharacterClass* characterClass = GetEntityClass(number)) {
        int32_t rising = 1;
        bool second =
            number == GetPlayerEntityNumber() && GetPlayerStat(CharacterStat::PowerRising, rising) && rising == 0;
        out.hasClass = true;
        out.classColor = second ? characterClass->secondaryColor : characterClass->primaryColor;
    }
    return true;
}

std::string ClientUiGameView::GetSkillTreeName(int32_t tree) const
{
    int32_t playerClass = 0;
    if (!gGameData || !GetPlayerStat(CharacterStat::Class, playerClass))
        return {};
    const CharacterClass* characterClass = gGameData->GetCharacterClass(playerClass);
    const SkillTree* skillTree = characterClass ? characterClass->GetSkillTree(tree) : nullptr;
    return skillTree ? skillTree->name : std::string();
}

bool ClientUiGameView::GetPlayerStat(int32_t index, int32_t& out) const
{
    const auto* player = dynamic_cast<const PlayerClient*>(gClientApp ? gClientApp->GetLink() : nullptr);
    const IntArray* stats = player ? player->GetStats() : nullptr;
    if (!stats || index < 0 || index >= stats->GetCount())
        return false;
    out = stats->Get(index);
    return true;
}

std::string ClientUiGameView::GetPlayerName() const
{
    LocalPlayerLink* link = gClientApp ? gClientApp->GetLink() : nullptr;
    return link ? link->GetCharacterName() : std::string();
}

std::string ClientUiGameView::GetPlayerClassName() const
{
    int32_t index = -1;
    if (!gGameData || !GetPlayerStat(CharacterStat::Class, index))
        return {};
    return gGameData->GetCharacterClassDisplayName(index);
}

int32_t ClientUiGameView::GetGlobalStatBest(int32_t statType, int32_t index) const
{
    return gGlobalStats ? gGlobalStats->GetRecordHolder(statType, index).value : 0;
}

std::string ClientUiGameView::GetGlobalStatHolder(int32_t statType, int32_t index) const
{
    return gGlobalStats ? gGlobalStats->GetRecordHolder(statType, index).label : std::string();
}

bool ClientUiGameView::HasProfile() const
{
    return gGameClient && gGameClient->GetProfiles().GetCurrent();
}

std::string ClientUiGameView::GetProfileName() const
{
    return gGameClient ? gGameClient->GetProfiles().GetUserName() : std::string();
}

int32_t ClientUiGameView::GetProfileValue(int32_t index) const
{
    const UserProfile* profile = GetProfile();
    return profile ? profile->GetUpgrade(index) : 0;
}

int32_t ClientUiGameView::GetTrophyBand(std::string_view adventure) const
{
    const UserProfile* profile = GetProfile();
    if (!profile)
        return 0;
    int32_t index = profile->FindRecordIndexByName(adventure);
    if (profile->IsInTrophyBand(index, "Gold", ""))
        return 3;
    if (profile->IsInTrophyBand(index, "Silver", "Gold"))
        return 2;
    return profile->IsInTrophyBand(index, "Bronze", "Silver") ? 1 : 0;
}

bool ClientUiGameView::ClassWonAdventure(std::string_view adventure, std::string_view className) const
{
    const UserProfile* profile = GetProfile();
    const DatabaseEntry* entry = gDatabase ? gDatabase->FindEntryByName(std::string(adventure)) : nullptr;
    const UserProfile::AdventureRecord* record = profile && entry ? profile->FindRecord(entry) : nullptr;
    return record && std::find(record->classes.begin(), record->classes.end(), className) != record->classes.end();
}

const UserProfile* ClientUiGameView::GetProfile() const
{
    return gGameClient ? gGameClient->GetProfiles().GetCurrent() : nullptr;
}

void ClientUiGameView::GetUnlockText(std::string_view name, std::string& out, bool descriptionOnly) const
{
    if (gGameClient)
        gGameClient->GetUnlockText(name, out, descriptionOnly);
}

std::string ClientUiGameView::GetUnlockReport() const
{
    const UserProfile* profile = gGameClient ? gGameClient->GetProfiles().GetCurrent() : nullptr;
    std::string report;
    if (profile)
        UserProfile::BuildUnlockReport(report, *profile);
    return report;
}

int32_t ClientUiGameView::GetTargetEntityNumber(bool allowSelected) const
{
    const auto* player = dynamic_cast<const PlayerClient*>(gClientApp ? gClientApp->GetLink() : nullptr);
    return player ? player->GetTargetNumber(allowSelected) : -1;
}

bool ClientUiGameView::GetStatusEffects(int32_t number, std::vector<UiStatusEffectFacts>& out, bool withTexts) const
{
    const EntityClient* entity = gGameClient ? gGameClient->GetEntity(number) : nullptr;
    if (!entity)
        return false;
    statusEffects.clear();
    entity->CollectStatusEffects(statusEffects);
    size_t count = 0;
    for (const StatusEffectClient* effect : statusEffects) {
        const DatabaseEntry* record = effect ? effect->GetRecord() : nullptr;
        if (!record)
            continue;
        if (count == out.size())
            out.emplace_back();
        UiStatusEffectFacts& facts = out[count++];
        facts.record = record->GetId();
        facts.instance = effect->GetInstanceId();
        facts.entryType = static_cast<int32_t>(record->GetType());
        // Assigned over the old text, so an unchanged name keeps its storage.
        const DatabaseField* icon = record->FindField("TextureName");
        facts.iconName.assign(icon ? icon->value : std::string_view());
        facts.displayName.clear();
        facts.description.clear();
        facts.secondsLeft = -1.0f;
        if (withTexts)
            DescribeStatusEffect(*effect, *record, *entity, number, facts);
    }
    out.resize(count);
    return true;
}

void ClientUiGameView::DescribeStatusEffect(const StatusEffectClient& effect, const DatabaseEntry& record,
                                            const EntityClient& entity, int32_t number,
                                            UiStatusEffectFacts& facts) const
{
    facts.displayName = record.GetString("Name");
    // The description is built for the entity that carries the effect, at the definition's level.
    const StatusEffectBase* definition = gGameData ? gGameData->FindStatusEffect(record.GetName()) : nullptr;
    if (!definition)
        return;
    definition->BuildDescription(facts.description, nullptr, definition->level, entity.level, GetEntityClass(number));
    if (definition->totalTime > 0.0f && gGameClient) {
        float gone = TimeStamp::Difference(effect.arrived, gGameClient->clock).GetTotalSeconds();
        facts.secondsLeft = std::clamp(definition->totalTime - gone, 0.0f, definition->totalTime);
    }
}

std::string ClientUiGameView::GetDiplomacyResponse() const
{
    return gGameClient ? gGameClient->GetMessages().GetDiplomacyResponse() : std::string();
}

std::string ClientUiGameView::GetPlayerTitle(bool withName) const
{
    const PlayerClient* player = gClientApp ? gClientApp->GetLocalPlayer() : nullptr;
    if (!player)
        return {};
    return withName ? player->GetNameAndTitle() : player->GetTitle();
}

int32_t ClientUiGameView::GetHoveredEntity() const
{
    const EntityClient* hovered = gClientApp && gClientApp->IsActive() ? gClientApp->GetHoverEntity() : nullptr;
    return hovered ? hovered->entityNumber : -1;
}

int32_t ClientUiGameView::GetInteractionFor(int32_t entity) const
{
    const EntityClient* shown = gGameClient ? gGameClient->GetEntity(entity) : nullptr;
    return shown ? shown->GetClickAction(true, false) : 0;
}

bool ClientUiGameView::GetHoverText(int32_t entity, std::string& text, bool& placed, float& x, float& y) const
{
    const EntityClient* shown = gGameClient ? gGameClient->GetEntity(entity) : nullptr;
    if (!shown || shown->isSecret || shown->IsHidden() || !shown->IsVisibleWithOwners())
        return false;
    shown->BuildHoverText(text, false, true, true);
    if (text.empty())
        return false;
    placed = shown->IsTooltipPlaced();
    Vector2 target = Client::GetTargetScreenInfo(shown->position);
    x = target.x;
    y = target.y;
    return true;
}

// ---- Help topics read ----

bool ClientUiGameView::IsHelpTopicRead(int32_t index) const
{
    const PlayerClient* player = gClientApp ? gClientApp->GetLocalPlayer() : nullptr;
    return player && player->HasHintBeenSeen(index);
}

void ClientUiGameView::SetHelpTopicRead(int32_t index) const
{
    if (PlayerClient* player = gClientApp ? gClientApp->GetLocalPlayer() : nullptr)
        player->SetHintSeen(index);
}

void ClientUiGameView::SetAllHelpTopicsRead() const
{
    if (PlayerClient* player = gClientApp ? gClientApp->GetLocalPlayer() : nullptr)
        player->SetAllHintsSeen();
}

void ClientUiGameView::ResetHelpTopics() const
{
    if (PlayerClient* player = gClientApp ? gClientApp->GetLocalPlayer() : nullptr)
        player->ResetHints();
}
