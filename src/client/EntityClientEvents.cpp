// EntityClient -- the events an entity's animation frames carry (sounds, effects, beams, swipes): offered to the entity's own handlers, then queued for every other listener; and the sound of a status effect lost.
#include "client/EntityClient.h"

#include "audio/SoundSystem.h"
#include "client/ClientApp.h"
#include "client/ClientMusic.h"
#include "client/ClientSoundWorld.h"
#include "client/GameClient.h"
#include "client/StatusEffectClient.h"
#include "core/DatabaseEntry.h"
#include "core/EngineEnums.h"
#include "core/Event.h"
#include "core/EventSystem.h"
#include "core/FileSystem.h"
#include "resources/ResourceManager.h"
#include "resources/effects/EffectSystem.h"
#include "resources/models/Animation.h"
#include "resources/models/ModelResource.h"
#include "rules/GameData.h"
#include "rules/statuseffects/StatusEffectBase.h"

#include <string>

namespace {

// An effect lost after at least this many seconds is heard going even without its flags.
constexpr float kEntityClientLongEffectSeconds = 60.0f;

bool EntityClientSoundOn()
{
    return gSoundSystem && gSoundSystem->IsInitialised();
}

const StatusEffectBase* EntityClientEffectDefinition(const StatusEffectClient& effect)
{
    const DatabaseEntry* record = effect.GetRecord();
    return record && gGameData ? gGameData->FindStatusEffect(record->GetName()) : nullptr;
}

// Only a kept effect of the grouping modes 1 to 4 speaks for the lost one; the group itself is
// the status-effect rules' own test.
bool EntityClientSameEffectGroup(const StatusEffectClient& kept, const StatusEffectClient& lost)
{
    const StatusEffectBase* keptDefinition = EntityClientEffectDefinition(kept);
    if (!keptDefinition || keptDefinition->effectType < StatusEffectType::Combine ||
        keptDefinition->effectType > StatusEffectType::OnlyOneExact)
        return false;
    return keptDefinition->IsInSameGroup(EntityClientEffectDefinition(lost));
}

} // namespace

std::array<int, EntityClient::kAnimationEventCount> EntityClient::animationEventIds = {};

void EntityClient::RegisterAnimationEvents(EventSystem& events)
{
    for (size_t i = 0; i < kAnimationEventNames.size(); ++i)
        animationEventIds[i] = events.RegisterEvent(kAnimationEventNames[i]);
}

void EntityClient::BuildEventHandlers()
{
    using Handler = void (EntityClient::*)(Event&);
    // In the order of kAnimationEventNames.
    static constexpr std::array<Handler, kAnimationEventCount> kHandlers = {
        &EntityClient::OnSoundEvent,          &EntityClient::OnLoopSoundEvent,
        &EntityClient::OnStopLoopSoundEvent,  &EntityClient::OnStartEffectEvent,
        &EntityClient::OnStopEffectEvent,     &EntityClient::OnSpawnEffectEvent,
        &EntityClient::OnStartBeamEvent,      &EntityClient::OnStopBeamEvent,
        &EntityClient::OnStartSwipeEvent,     &EntityClient::OnStopSwipeEvent,
        &EntityClient::OnStartModelSwipeEvent, &EntityClient::OnStopModelSwipeEvent,
        &EntityClient::OnStartAttachedSwipeEvent, &EntityClient::OnStopAttachedSwipeEvent,
        &EntityClient::OnDatabaseSoundEvent,
    };
    if (!eventClass)
        return;
    for (size_t i = 0; i < kHandlers.size(); ++i)
        Listener::Subscribe(eventClass, animationEventIds[i], kHandlers[i]);
}

void EntityClient::OnAnimationEvent(int32_t animation, int32_t signal, int32_t frame)
{
    int32_t mode = signal == AnimationSignal::Started ? AnimationTrigger::Started
                 : signal == AnimationSignal::Ended   ? AnimationTrigger::Ended
                                                      : AnimationTrigger::FrameReached;
    FireAnimationEvents(animation, mode, frame);
}

void EntityClient::FireAnimationEvents(int32_t animation, int32_t mode, int32_t frame)
{
    const ModelResource* shown = GetModelResource(model);
    const Animation* played = shown ? shown->GetAnimation(animation) : nullptr;
    if (!played || !gEventSystem)
        return;
    // A frame event fires on its own frame only: the animation advance names each frame it
    // passed once, so a slow frame rate skips none and a fast one repeats none.
    for (int32_t i = played->FindNextClientEvent(-1, frame, mode); i != -1;
         i = played->FindNextClientEvent(i, frame, mode))
        FireClientEvent(played->clientEvents[static_cast<size_t>(i)]);
}

void EntityClient::FireClientEvent(const AnimationEvent& fired)
{
    Event* event = gEventSystem->AllocEvent();
    int id = gEventSystem->FindEvent(fired.command);
    if (id != -1) {
        event->id = id;
        event->name = gEventSystem->GetEventName(id);
    }
    for (const std::string& argument : fired.arguments)
        event->params.WriteString(argument);
    if (const EventHandler* handler = FindEventHandler(*event)) {
        event->params.SetReadPos(0);
        (*handler)(*this, *event);
    }
    // Other listeners hear it on the next delivery; one nobody knows goes straight back.
    if (id != -1)
        gEventSystem->QueueEvent(event);
    else
        gEventSystem->FreeEvent(event);
}

// ---- Sounds ------------------------------------------------------------------------------------------

void EntityClient::PlaySoundFile(std::string name, bool loop) const
{
    if (name.empty() || !gResourceManager)
        return;
    FileSystem::PrefixPath(name, PathBase("Sounds"));
    ResourceHandle sound;
    gResourceManager->Load(name, sound);
    if (!EntityClientSoundOn() || !sound.IsValid())
        return;
    // The channel holds its own reference; the handle lets go of this one.
    gSoundSystem->PlayOwnedSound(sound.GetValue(), ClientSoundPos(position), entityNumber,
                                 loop ? kLoopSoundSlot : 0, loop, 0.0f, 0.0f);
}

void EntityClient::OnSoundEvent(Event& event)
{
    PlaySoundFile(event.params.ReadString(), false);
}

void EntityClient::OnLoopSoundEvent(Event& event)
{
    PlaySoundFile(event.params.ReadString(), true);
}

void EntityClient::OnStopLoopSoundEvent(Event&)
{
    if (!EntityClientSoundOn())
        return;
    if (SoundInstance* looping = gSoundSystem->FindOwnerChannel(entityNumber, kLoopSoundSlot))
        looping->Stop();
}

void EntityClient::OnDatabaseSoundEvent(Event& event)
{
    int type = record ? record->GetType() : -1;
    if (type != DatabaseEntryType::Item && type != DatabaseEntryType::Money && type != DatabaseEntryType::QuestItem)
        return;
    PlaySoundFile(record->GetString(event.params.ReadString()), false);
}

void EntityClient::OnStatusEffectLost(StatusEffectClient& lost)
{
    if (entityNumber != Client::GetLocalPlayerNumber() || !lost.GetRecord())
        return;
    if (!lost.alwaysPlayLostEffectSound) {
        for (const auto& other : statusEffects)
            if (other.get() != &lost && other->seen && EntityClientSameEffectGroup(*other, lost))
                return;
    }
    bool longEffect = lost.GetRecord()->GetFloat("TotalTime", 0.0f) >= kEntityClientLongEffectSeconds;
    if (!longEffect && !lost.playLostEffectSound && !lost.alwaysPlayLostEffectSound)
        return;
    int32_t sound = gGameClient ? gGameClient->GetMusic().GetSound(InterfaceSound::LostEffect) : -1;
    if (sound == -1 || !EntityClientSoundOn())
        return;
    gSoundSystem->PlayOwnedSound(sound, ClientSoundPos(position), entityNumber, 0, false, 0.0f, 0.0f);
}

// ---- Effects, beams and swipes -------------------------------------------------------------------------

void EntityClient::OnStartEffectEvent(Event& event)
{
    std::string name = event.params.ReadString();
    std::string tag = event.params.ReadString();
    if (gEffectSystem)
        gEffectSystem->StartEffect(&effectHost, name, tag);
}

void EntityClient::OnStopEffectEvent(Event& event)
{
    std::string name = event.params.ReadString();
    std::string tag = event.params.ReadString();
    // Stopping acts whatever the visibility: an effect never started is made in the stopped state.
    EffectInstance* effect = gEffectSystem ? gEffectSystem->FindOrCreateEffect(&effectHost, name, tag) : nullptr;
    if (effect)
        effect->emitting = false;
}

void EntityClient::OnSpawnEffectEvent(Event& event)
{
    std::string name = event.params.ReadString();
    std::string tag = event.params.ReadString();
    if (gEffectSystem)
        gEffectSystem->SpawnEffect(&effectHost, name, tag);
}

void EntityClient::OnStartBeamEvent(Event& event)
{
    std::string name = event.params.ReadString();
    std::string tag = event.params.ReadString();
    if (gEffectSystem && gEffectSystem->EntityEffectsVisible(&effectHost))
        gEffectSystem->StartBeam(&effectHost, name, tag);
}

void EntityClient::OnStopBeamEvent(Event& event)
{
    std::string name = event.params.ReadString();
    std::string tag = event.params.ReadString();
    if (gEffectSystem)
        gEffectSystem->StopBeam(&effectHost, name, tag);
}

EntityClient::SwipeEventArguments EntityClient::ReadSwipeArguments(Event& event, bool withFourth)
{
    SwipeEventArguments read;
    read.name = event.params.ReadString();
    read.firstTag = event.params.ReadString();
    read.secondTag = event.params.ReadString();
    if (withFourth)
        read.fourth = event.params.ReadString();
    return read;
}

void EntityClient::OnStartSwipeEvent(Event& event)
{
    SwipeEventArguments swipe = ReadSwipeArguments(event, false);
    if (gEffectSystem)
        gEffectSystem->StartSwipe(&effectHost, "", swipe.name, swipe.firstTag, swipe.secondTag);
}

void EntityClient::OnStopSwipeEvent(Event& event)
{
    SwipeEventArguments swipe = ReadSwipeArguments(event, false);
    if (gEffectSystem)
        gEffectSystem->StopSwipe(&effectHost, "", swipe.name, swipe.firstTag, swipe.secondTag);
}

void EntityClient::OnStartModelSwipeEvent(Event& event)
{
    // The fourth word names the equipment location whose hung model carries the two tags.
    SwipeEventArguments swipe = ReadSwipeArguments(event, true);
    if (gEffectSystem && !swipe.fourth.empty())
        gEffectSystem->StartSwipe(&effectHost, swipe.fourth, swipe.name, swipe.firstTag, swipe.secondTag);
}

void EntityClient::OnStopModelSwipeEvent(Event& event)
{
    SwipeEventArguments swipe = ReadSwipeArguments(event, true);
    if (gEffectSystem && !swipe.fourth.empty())
        gEffectSystem->StopSwipe(&effectHost, swipe.fourth, swipe.name, swipe.firstTag, swipe.secondTag);
}

void EntityClient::OnStartAttachedSwipeEvent(Event& event)
{
    // The fourth word names this entity's tag: the entity hanging there carries the swipe.
    SwipeEventArguments swipe = ReadSwipeArguments(event, true);
    if (gEffectSystem)
        gEffectSystem->StartClientModelSwipe(&effectHost, swipe.name, swipe.firstTag, swipe.secondTag, swipe.fourth);
}

void EntityClient::OnStopAttachedSwipeEvent(Event& event)
{
    SwipeEventArguments swipe = ReadSwipeArguments(event, true);
    if (gEffectSystem)
        gEffectSystem->StopClientModelSwipe(&effectHost, swipe.name, swipe.firstTag, swipe.secondTag, swipe.fourth);
}
