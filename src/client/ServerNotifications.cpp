// ServerNotifications -- the client's handlers of the notification lines the world host sends (damage, kills, timers, warps, skill and item timers, NPC chat) and of the powerup key.
#include "client/ServerNotifications.h"

#include "client/ClientApp.h"
#include "client/ClientCommandTable.h"
#include "client/ClientUi.h"
#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "client/ItemClient.h"
#include "client/PlayerClient.h"
#include "core/StringUtil.h"
#include "rules/items/InventoryBase.h"
#include "rules/skills/SkillDefinition.h"
#include "world/World.h"

#include <cmath>

namespace {

struct ServerNotificationsEntry {
    const char* name;
    ServerNotifications::Handler handler;
};

EntityClient* ServerNotificationsEntity(const std::string& number)
{
    return gGameClient ? gGameClient->GetEntity(ParseInt(number)) : nullptr;
}

void ServerNotificationsCount(const std::vector<std::string>& args, bool death)
{
    if (!args.empty() && gGameClient && gGameClient->profileCountHook)
        gGameClient->profileCountHook(ParseInt(args[0]), death);
}

} // namespace

ServerNotifications::Handler ServerNotifications::GetHandler(std::string_view name)
{
    using SN = ServerNotifications;
    static constexpr ServerNotificationsEntry kServerNotificationsHandlers[] = {
        {"dmg", &SN::Damage},
        {"kill", &SN::Kill},
        {"death", &SN::Death},
        {"timer", &SN::Timer},
        {"warp", &SN::Warp},
        {"warpDir", &SN::WarpDir},
        {"usedSkill", &SN::UsedSkill},
        {"itemTimer", &SN::ItemTimer},
        {"clearNpcChat", &SN::ClearNpcChat},
        {"npcChat", &SN::NpcChat},
        {"useCurrentPowerup", &SN::UseCurrentPowerup},
    };
    for (const ServerNotificationsEntry& entry : kServerNotificationsHandlers)
        if (StringEqualsNoCase(entry.name, name))
            return entry.handler;
    return nullptr;
}

void ServerNotifications::Damage(const Args& args)
{
    EntityClient* entity = args.size() >= 2 ? ServerNotificationsEntity(args[0]) : nullptr;
    // The text as it came: a plus sign and the amount, or a localisation key such as a miss.
    if (entity)
        entity->damageTexts.emplace_back(gGameClient->clock, args[1]);
}

void ServerNotifications::Kill(const Args& args)
{
    ServerNotificationsCount(args, false);
}

void ServerNotifications::Death(const Args& args)
{
    ServerNotificationsCount(args, true);
}

void ServerNotifications::Timer(const Args& args)
{
    EntityClient* entity = args.size() >= 3 ? ServerNotificationsEntity(args[0]) : nullptr;
    float time = entity ? ParseFloat(args[1]) : 0.0f;
    if (!entity || !std::isfinite(time))
        return;
    entity->timerElapsed = 0.0f;
    entity->timerDuration = time;
    entity->timerType = ParseInt(args[2]);
    PlayerClient* player = ClientCommandTable::GetLocalPlayer();
    ClientUi* ui = gClientApp ? gClientApp->GetUi() : nullptr;
    if (entity->timerType == kDeathTimerKind && player && ui && entity->entityNumber == player->GetEntityNumber())
        ui->RefreshMenu("PlayerDead");
}

void ServerNotifications::Warp(const Args& args)
{
    PlayerClient* player = ClientCommandTable::GetLocalPlayer();
    if (!player || args.size() < 3)
        return;
    WorldPos where{ParseInt(args[0]), ParseFloat(args[1]), ParseFloat(args[2]), true};
    bool knownLevel = !gWorld || (where.level >= 0 && where.level < gWorld->GetLevelCount());
    if (!knownLevel || !std::isfinite(where.x) || !std::isfinite(where.y))
        return;
    player->Teleport(where);
    ClientCommandTable::Queue(StringFormat("warpConfirm %d %.1f %.1f", where.level, where.x, where.y));
}

void ServerNotifications::WarpDir(const Args& args)
{
    PlayerClient* player = ClientCommandTable::GetLocalPlayer();
    int32_t direction = args.empty() ? -1 : ParseInt(args[0]);
    // Eight facings; anything else names no direction.
    if (!player || direction < 0 || direction >= 8)
        return;
    player->facing = direction;
    player->Turn(0.0f, true);
}

void ServerNotifications::UsedSkill(const Args& args)
{
    PlayerClient* player = ClientCommandTable::GetLocalPlayer();
    if (!player || args.size() < 2)
        return;
    // -1 would find a skill without a database entry.
    int32_t index = ParseInt(args[0]);
    auto* skill = index >= 0 ? dynamic_cast<SkillClient*>(player->GetSkillList().FindSkillByEntryIndex(index)) : nullptr;
    if (!skill)
        return;
    skill->pending = false;
    if (ParseInt(args[1]) == 0 || !skill->definition)
        return;
    float cooldown = skill->definition->GetReuseTimeAtLevel(skill->GetLevel());
    skill->reuseTimer.running = 1;
    skill->reuseTimer.total = cooldown;
    skill->reuseTimer.remaining = cooldown;
}

void ServerNotifications::ItemTimer(const Args& args)
{
    PlayerClient* player = ClientCommandTable::GetLocalPlayer();
    if (!player || args.size() < 2)
        return;
    // Groups past the table would write beyond the player's timers.
    RandomTimer* timer = player->GetItemTimer(ParseInt(args[0]));
    float time = ParseFloat(args[1]);
    if (!timer || !std::isfinite(time))
        return;
    timer->running = 1;
    timer->total = time;
    timer->remaining = time;
}

void ServerNotifications::NpcChat(const Args& args)
{
    if (!gGameClient || args.empty())
        return;
    gGameClient->npcChatText = args[0];
    if (gGameClient->npcChatVoiceHook)
        gGameClient->npcChatVoiceHook(args);
}

void ServerNotifications::ClearNpcChat(const Args&)
{
    if (gGameClient)
        gGameClient->npcChatText.clear();
}

void ServerNotifications::UseCurrentPowerup(const Args&)
{
    PlayerClient* player = ClientCommandTable::GetLocalPlayer();
    // The powerup in use is the first of the powerup cells.
    constexpr int32_t bag = InventoryBase::kPowerupBag;
    auto* powerup = player ? dynamic_cast<ItemClient*>(player->GetInventory().GetItem(bag, 0)) : nullptr;
    if (powerup)
        powerup->RequestUse(bag, 0);
}
