// PlayerClient -- what the player hears and sees of itself each frame: what it is busy doing (identifying, opening, searching, making a gate), the clock ticking down the last minute of its most urgent timed quest, the warning while its health runs low, the name of the level it walks into, and the mark under its target.
#include "client/PlayerClient.h"

#include "audio/SoundSystem.h"
#include "client/ClientMusic.h"
#include "client/ClientSoundWorld.h"
#include "client/EntityScene.h"
#include "client/GameClient.h"
#include "core/StringUtil.h"
#include "render/TextEvents.h"
#include "rules/GameData.h"
#include "rules/GameSystemTuning.h"
#include "rules/quests/QuestDefinition.h"
#include "world/World.h"

#include <cmath>

namespace {

// The low-health warning's own slot among the body's sounds, so that it can be stopped.
constexpr int32_t kPlayerLowHealthSlot = 24;
// The slot of the sound of what the body is busy with, stopped when it ends.
constexpr int32_t kPlayerActivitySlot = 23;
// The host's timer kinds the player hears: identifying to searching a body loop while they
// run; making a gate is heard once.
constexpr int32_t kPlayerActivityIdentifying = 2;
constexpr int32_t kPlayerActivityLastLooped = 5;
constexpr int32_t kPlayerActivityCreatingGate = 6;
// The width of the mark under the target.
constexpr float kPlayerSelectedTargetSize = 48.0f;
// The tick is heard only through a quest's last minute.
constexpr int32_t kPlayerTickSeconds = 60;
// Where and how long a level's name shows on entering it, and its text-event kind.
constexpr float kPlayerLevelNameX = 320.0f;
constexpr float kPlayerLevelNameY = 100.0f;
constexpr float kPlayerLevelNameSeconds = 5.0f;
constexpr int32_t kPlayerLevelNameKind = 2;

int32_t PlayerSoundsHandle(PlayerSound which)
{
    return gGameClient ? gGameClient->GetMusic().GetPlayerSound(which) : -1;
}

void PlayerSoundsPlay(PlayerSound which, const EntityClient& body, int32_t slot)
{
    int32_t handle = PlayerSoundsHandle(which);
    if (handle != -1)
        gSoundSystem->PlayOwnedSound(handle, ClientSoundPos(body.position), body.entityNumber, slot, false, 0.0f, 0.0f);
}

void PlayerSoundsStop(const EntityClient& body, int32_t slot)
{
    if (SoundInstance* playing = gSoundSystem->FindOwnerChannel(body.entityNumber, slot))
        playing->Stop();
}

} // namespace

void PlayerClient::DrawSelectedTarget(EntityScene& scene, int32_t texture) const
{
    const EntityClient* target = GetInteractionTarget();
    if (!target || target->IsHidden() || !gGameData || !gGameData->GetTuning().showSelectedEntityIcon)
        return;
    Color colour{1.0f, 1.0f, 1.0f};
    target->GetMapColor(colour.r, colour.g, colour.b);
    scene.AddGroundMark(WorldPos3{target->position.level, target->position.x, target->position.y, 0.0f},
                        kPlayerSelectedTargetSize, colour, texture);
}

void PlayerClient::UpdateOwnSounds()
{
    const EntityClient* shown = GetBody();
    if (!shown || !gSoundSystem || !gSoundSystem->IsInitialised())
        return;
    UpdateActivitySound(*shown);
    int32_t second = GetUrgentQuestSeconds();
    if (second >= 0 && second < kPlayerTickSeconds && second != lastTickSecond) {
        lastTickSecond = second;
        PlayerSoundsPlay(PlayerSound::TimeTick, *shown, 0);
    }
    int32_t warning = gGameData ? gGameData->GetTuning().lowHealthSoundWarningLevel : 0;
    bool low = shown->health >= 1 && shown->health < warning;
    if (!low && lowHealthPlaying) {
        PlayerSoundsStop(*shown, kPlayerLowHealthSlot);
        lowHealthPlaying = false;
    } else if (low && !lowHealthPlaying && PlayerSoundsHandle(PlayerSound::LowHealth) != -1) {
        PlayerSoundsPlay(PlayerSound::LowHealth, *shown, kPlayerLowHealthSlot);
        lowHealthPlaying = true;
    }
}

void PlayerClient::UpdateActivitySound(const EntityClient& shown)
{
    // The body is busy with the timed action the host's last "timer" line named, until it runs out.
    int32_t now = shown.timerType;
    if (now == activitySound)
        return;
    if (now >= kPlayerActivityIdentifying && now <= kPlayerActivityLastLooped) {
        static constexpr PlayerSound kLooped[] = {PlayerSound::Identifying, PlayerSound::OpeningChest,
                                                  PlayerSound::SearchingSecretStash, PlayerSound::SearchingDeadBody};
        PlayerSound which = kLooped[now - kPlayerActivityIdentifying];
        if (PlayerSoundsHandle(which) != -1) {
            PlayerSoundsStop(shown, kPlayerActivitySlot);
            PlayerSoundsPlay(which, shown, kPlayerActivitySlot);
        }
        activitySound = now;
    } else if (now == kPlayerActivityCreatingGate) {
        PlayerSoundsPlay(PlayerSound::CreatingGate, shown, 0);
        activitySound = now;
    } else if (activitySound != 0) {
        PlayerSoundsStop(shown, kPlayerActivitySlot);
        if (activitySound == kPlayerActivityIdentifying)
            PlayerSoundsPlay(PlayerSound::DoneIdentifying, shown, 0);
        activitySound = 0;
    }
}

int32_t PlayerClient::GetUrgentQuestSeconds() const
{
    if (!gGameClient)
        return -1;
    float least = -1.0f;
    for (int32_t slot = 0; slot < kQuestSlots; ++slot) {
        const QuestClient* quest = GetQuestSlot(slot);
        if (!quest || !quest->definition || !(quest->definition->maxTime > 0.0f) || quest->IsComplete() ||
            quest->failed)
            continue;
        float left = quest->GetTimeRemaining(gGameClient->clock);
        if (least < 0.0f || left < least)
            least = left;
    }
    return least < 0.0f ? -1 : static_cast<int32_t>(std::ceil(least));
}

void PlayerClient::UpdateLevelName()
{
    // A level's name is fixed for the world's life: it is built only when the player has stepped
    // onto another level, not every frame.
    if (position.level == levelNameIndex)
        return;
    levelNameIndex = position.level;
    std::string name = gWorld && position.level >= 0 ? gWorld->GetLevelName(position.level) : std::string();
    if (name == levelName)
        return;
    levelName = name;
    if (name.empty() || !gTextEvents)
        return;
    auto level = static_cast<size_t>(position.level);
    // Mended: a level past the end of the list counted as discovered, though the host grows the
    // list only as levels are reached, so a first visit read "Entering".
    bool firstTime = position.level > 0 && (level >= discoveredLevels.size() || !discoveredLevels[level]);
    gTextEvents->AddWorldNotice(StringFormat(firstTime ? "$$Discovered$$ %s" : "$$Entering$$ %s", name.c_str()),
                                kPlayerLevelNameX, kPlayerLevelNameY, kPlayerLevelNameSeconds, kPlayerLevelNameKind);
}
