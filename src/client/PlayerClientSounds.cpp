// PlayerClient -- what the player hears and sees of itself each frame: the clock ticking down the last minute of its most urgent timed quest, the warning while its health runs low, the name of the level it walks into, and the mark under its target.
#include "client/PlayerClient.h"

#include "audio/SoundSystem.h"
#include "client/EntityScene.h"
#include "client/GameClient.h"
#include "core/StringUtil.h"
#include "render/TextEvents.h"
#include "resources/ResourceManager.h"
#include "resources/shaders/ShaderLookup.h"
#include "rules/GameData.h"
#include "rules/GameSystemTuning.h"
#include "rules/quests/QuestDefinition.h"
#include "world/World.h"

#include <cmath>

namespace {

// The low-health warning's own slot among the body's sounds, so that it can be stopped.
constexpr int32_t kPlayerLowHealthSlot = 24;
// The mark under the target, and its width.
constexpr const char* kPlayerSelectedTargetName = "SelectedTarget";
constexpr float kPlayerSelectedTargetSize = 48.0f;
// The tick is heard only through a quest's last minute.
constexpr int32_t kPlayerTickSeconds = 60;
// Where and how long a level's name shows on entering it, and its text-event kind.
constexpr float kPlayerLevelNameX = 320.0f;
constexpr float kPlayerLevelNameY = 100.0f;
constexpr float kPlayerLevelNameSeconds = 5.0f;
constexpr int32_t kPlayerLevelNameKind = 2;

SoundPos PlayerSoundsAt(const EntityClient& body)
{
    return SoundPos{body.position.level, body.position.x, body.position.y, 0.0f};
}

void PlayerSoundsLoad(const std::string& name, ResourceHandle& handle)
{
    if (!name.empty() && gResourceManager)
        gResourceManager->Load(name, handle);
}

} // namespace

void PlayerClient::LoadOwnResources()
{
    if (!gGameData)
        return;
    const GameSystemTuning& tuning = gGameData->GetTuning();
    PlayerSoundsLoad(tuning.soundNameTimeTick, timeTickSound);
    PlayerSoundsLoad(tuning.soundNameLowHealth, lowHealthSound);
    if (gResourceManager)
        LoadTextureByName(kPlayerSelectedTargetName, selectedTargetMark, TextureUsage::AlphaBlended);
}

void PlayerClient::DrawSelectedTarget(EntityScene& scene) const
{
    const EntityClient* target = GetInteractionTarget();
    if (!target || target->IsHidden() || !gGameData || !gGameData->GetTuning().showSelectedEntityIcon)
        return;
    Color colour{1.0f, 1.0f, 1.0f};
    target->GetMapColor(colour.r, colour.g, colour.b);
    scene.AddGroundMark(WorldPos3{target->position.level, target->position.x, target->position.y, 0.0f},
                        kPlayerSelectedTargetSize, colour, selectedTargetMark.GetValue());
}

void PlayerClient::UpdateOwnSounds()
{
    const EntityClient* shown = GetBody();
    if (!shown || !gSoundSystem || !gSoundSystem->IsInitialised())
        return;
    int32_t second = GetUrgentQuestSeconds();
    if (second >= 0 && second < kPlayerTickSeconds && second != lastTickSecond) {
        lastTickSecond = second;
        if (timeTickSound.IsValid())
            gSoundSystem->PlayOwnedSound(timeTickSound, PlayerSoundsAt(*shown), shown->entityNumber, 0, false, 0.0f,
                                         0.0f);
    }
    int32_t warning = gGameData ? gGameData->GetTuning().lowHealthSoundWarningLevel : 0;
    bool low = shown->health >= 1 && shown->health < warning;
    if (!low && lowHealthPlaying) {
        if (SoundInstance* playing = gSoundSystem->FindOwnerChannel(shown->entityNumber, kPlayerLowHealthSlot))
            playing->Stop();
        lowHealthPlaying = false;
    } else if (low && !lowHealthPlaying && lowHealthSound.IsValid()) {
        gSoundSystem->PlayOwnedSound(lowHealthSound, PlayerSoundsAt(*shown), shown->entityNumber,
                                     kPlayerLowHealthSlot, false, 0.0f, 0.0f);
        lowHealthPlaying = true;
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
    gTextEvents->AddTextEvent(StringFormat(firstTime ? "$$Discovered$$ %s" : "$$Entering$$ %s", name.c_str()),
                              kPlayerLevelNameX, kPlayerLevelNameY, kPlayerLevelNameSeconds, kPlayerLevelNameKind,
                              true, false);
}
