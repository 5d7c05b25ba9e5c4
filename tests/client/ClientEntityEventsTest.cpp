// ClientEntityEventsTest -- the events an entity's animation frames carry: which fire for a frame, a start and an end whatever the frame rate, what the sound handlers play on the sound system, the effects, beams and swipes they start and stop, and the sound of a status effect lost on the player's body.
#include "client/ClientEffectContext.h"
#include "client/ClientServicesWorld.h"

#include "client/StatusEffectClient.h"
#include "core/Event.h"
#include "core/EventSystem.h"
#include "core/MessageBuffer.h"
#include "core/StringUtil.h"
#include "resources/effects/EffectSystem.h"
#include "resources/models/ModelWorld.h"
#include "resources/shaders/ShippedShaderWorld.h"
#include "world/NetMessages.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

// "walk": ten frames at 20 a second, a hum while it plays, a step on frame 2 and three markers
// other listeners count; "swing" starts and stops effects, beams and swipes.
constexpr const char* kEventWalkerModel = R"(dir Models
skeleton walker.mds
tags walker.tag
animations
{
 walk walk
 {
  client
  {
   entry loopSound Hum.WAV
   2 sound Step.wav
   2 tally two
   first tally first
   last tally last
   exit stopLoopSound
  }
 }
 swing walk
 {
  client
  {
   entry startEffect spark.eff hand
   entry stopEffect smoke.eff hand
   entry startBeam ray.bem hand
   entry startSwipe arc.swp b0 hand
   entry startAttachedSwipe cut.swp tip tip hand
   3 stopSwipe arc.swp b0 hand
   3 stopBeam ray.bem hand
   3 stopAttachedSwipe cut.swp tip tip hand
  }
 }
 drop walk
 {
  client
  {
   entry playDatabaseSound DropSound
   entry sound missing.wav
   entry nosuchevent a b
  }
 }
}
)";

constexpr const char* kEventRecords = R"(
EventCoin
{
    Type Item
    DropSound "sounds/clink.wav"
}
EventRock
{
    Type Object
    DropSound "sounds/clink.wav"
}
EventShortWard
{
    Type StatusEffect
    TotalTime 10
}
EventFlaggedWard
{
    Type StatusEffect
    TotalTime 10
    PlayLostEffectSound 1
}
EventLongWard
{
    Type StatusEffect
    TotalTime 60
    EffectType OnlyOne
    GroupName "wards"
}
EventWardKin
{
    Type StatusEffect
    TotalTime 90
    EffectType OnlyOne
    GroupName "wards"
}
EventStubbornWard
{
    Type StatusEffect
    TotalTime 90
    EffectType OnlyOne
    GroupName "wards"
    AlwaysPlayLostEffectSound 1
}
)";

// Hears every event the queue delivers for the ids it was entered for.
class EventTally : public Listener {
public:
    void ObserveEvent(Event& event) override
    {
        std::string words = event.name;
        while (event.params.BytesLeft() > 0)
            words += " " + event.params.ReadString();
        heard.push_back(words);
    }
    int Count(const std::string& words) const { return static_cast<int>(std::count(heard.begin(), heard.end(), words)); }

    std::vector<std::string> heard;
};

// Its status effects are put in place by the test, as an update would.
class EventBearer : public EntityClient {
public:
    using EntityClient::statusEffects;
};

class ClientEntityEvents : public ClientServicesWorld {
protected:
    void SetUp() override
    {
        RegisterModelResourceTypes(*manager);
        EffectSystem::RegisterTypes(*manager);
        effects = std::make_unique<EffectSystem>();
        gEffectSystem = effects.get();
        // The game client was made before this effect system; the context it hands over holds
        // nothing of its own, so one made here answers the same.
        effects->SetContext(&effectContext);
        EntityClient::RegisterEventClass(types);
        EntityClient::RegisterAnimationEvents(events);
        EntityClient::BuildEventHandlers();
        for (const char* name : {"tally", "sound"})
            events.AddListenerEntry(events.RegisterEvent(name), &tally);
        folder.Write("Assets/Models/walker.mds", MakeChainSkeleton(2));
        folder.Write("Assets/Models/walk.mda", MakeAnimation(10, 2, RestPose));
        folder.Write("Assets/Models/walker.tag", "hand b1 0 0 1 1 0 0 0\n");
        folder.Write("Assets/Models/walker.mdl", kEventWalkerModel);
        folder.Write("Assets/Models/blade.mds", MakeChainSkeleton(1));
        folder.Write("Assets/Models/blade.tag", "tip b0 0 0 2 1 0 0 0\n");
        folder.Write("Assets/Models/blade.mdl", "dir Models\nskeleton blade.mds\ntags blade.tag\nanimations\n{\n}\n");
        folder.Write("Assets/Effects/spark.eff", "spawnCount 1\nmaxAge 10\n");
        folder.Write("Assets/Effects/smoke.eff", "spawnCount 1\nmaxAge 10\n");
        folder.Write("Assets/Effects/ray.bem", "maxAge 2\n");
        folder.Write("Assets/Effects/arc.swp", "maxAge 1\n");
        folder.Write("Assets/Effects/cut.swp", "maxAge 1\n");
        for (const char* sound : {"sounds/hum.wav", "sounds/step.wav", "sounds/clink.wav", "sounds/lost.wav"})
            WriteSound(sound);
        JoinWithTuning("SoundNameLostEffect \"sounds/lost.wav\"", kEventRecords);
    }

    void TearDown() override
    {
        walkers.clear();
        effects.reset();
        gEffectSystem = nullptr;
    }

    // An entity of the number with the walker model, its first animation started.
    EntityClient& Walker(int32_t number, const char* animation, const char* record = "EventRock")
    {
        auto& made = walkers.emplace_back(std::make_unique<EntityClient>());
        made->entityNumber = number;
        made->Load(database.FindEntryByName(record));
        made->LoadModels("walker.mdl");
        manager->Get(made->model); // waits for the loader
        made->PlayAnimation(animation, 5, AnimationMode::Loop, true);
        return *made;
    }

    // The channels past the music's that play, as "name owner" with "loop" for a looping one;
    // names in lower case, as the first request of a file gives its name.
    std::vector<std::string> Channels()
    {
        std::vector<std::string> out;
        for (int32_t i = SoundSystem::kMusicChannels; i < SoundSystem::kChannelCount; ++i) {
            SoundInstance* channel = sound->GetChannel(i);
            if (channel->IsActive() && !channel->IsFadingOut())
                out.push_back(StringToLower(manager->GetName(channel->GetResource())) + " " + std::to_string(channel->GetOwner()) +
                              (channel->IsLooping() ? " loop" : ""));
        }
        return out;
    }

    ClientEffectContext effectContext;
    std::unique_ptr<EffectSystem> effects;
    std::vector<std::unique_ptr<EntityClient>> walkers;
    EventTally tally;
};

TEST_F(ClientEntityEvents, EachFrameEventFiresOncePerPassWhateverTheFrameRate)
{
    // 0.9 seconds is 18 frames: frame 2 twice, frame 0 (the "first" kind) twice, the last once.
    for (float step : {0.01f, 0.05f, 0.15f, 0.45f}) {
        SCOPED_TRACE(step);
        tally.heard.clear();
        EntityClient& walker = Walker(40, "walk");
        int steps = static_cast<int>(std::lround(0.9f / step));
        for (int i = 0; i < steps; ++i)
            walker.Update(step);
        events.DispatchQueue();
        EXPECT_EQ(tally.Count("tally two"), 2);
        EXPECT_EQ(tally.Count("tally first"), 2) << "the first advance reaches frame 0 however long it was";
        EXPECT_EQ(tally.Count("tally last"), 1);
        EXPECT_EQ(tally.Count("sound Step.wav"), 2) << "the queue hands the words on as written";
        walkers.clear();
    }
}

TEST_F(ClientEntityEvents, AFiringMatchesTheFrameOrTheTriggerModeAndAnIndexOutsideTheModelFiresNothing)
{
    struct Case {
        int32_t animation, mode, frame;
        std::vector<std::string> heard;
    };
    const Case cases[] = {
        {0, AnimationTrigger::FrameReached, 2, {"sound Step.wav", "tally two"}},
        {0, AnimationTrigger::FrameReached, 0, {"tally first"}},
        {0, AnimationTrigger::FrameReached, 9, {"tally last"}},
        {0, AnimationTrigger::FrameReached, 5, {}},
        {0, AnimationTrigger::Started, -1, {}}, // the hum, no marker
        {3, AnimationTrigger::FrameReached, 2, {}},
        {-1, AnimationTrigger::FrameReached, 2, {}},
    };
    EntityClient& walker = Walker(45, "walk");
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.animation << " " << c.mode << " " << c.frame);
        tally.heard.clear();
        walker.FireAnimationEvents(c.animation, c.mode, c.frame);
        events.DispatchQueue();
        EXPECT_EQ(tally.heard, c.heard);
    }
}

TEST_F(ClientEntityEvents, SoundsPlayAtTheirEntityAndALoopStopsOnlyItsOwn)
{
    EntityClient& first = Walker(41, "walk");
    EntityClient& second = Walker(42, "walk");
    first.Update(0.12f);
    second.Update(0.01f);
    std::vector<std::string> playing = Channels();
    std::sort(playing.begin(), playing.end());
    EXPECT_EQ(playing, (std::vector<std::string>{"sounds/hum.wav 41 loop", "sounds/hum.wav 42 loop",
                                                 "sounds/step.wav 41"}));

    // Leaving the walk ends its hum, and only the first's.
    first.PlayAnimation("swing", 5, AnimationMode::Loop, true);
    first.Update(0.01f);
    playing = Channels();
    EXPECT_EQ(std::count(playing.begin(), playing.end(), "sounds/hum.wav 42 loop"), 1);
    EXPECT_EQ(std::count(playing.begin(), playing.end(), "sounds/hum.wav 41 loop"), 0);

    // The database sound only for an item; a missing file and an unknown event change nothing.
    EntityClient& rock = Walker(43, "drop");
    rock.Update(0.01f);
    EntityClient& coin = Walker(44, "drop", "EventCoin");
    coin.Update(0.01f);
    playing = Channels();
    EXPECT_EQ(std::count(playing.begin(), playing.end(), "sounds/clink.wav 44"), 1);
    EXPECT_EQ(std::count(playing.begin(), playing.end(), "sounds/clink.wav 43"), 0);
    size_t pooled = events.GetPooledCount();
    events.DispatchQueue();
    EXPECT_GE(events.GetPooledCount(), pooled) << "every record went back to the pool";
    EXPECT_EQ(events.GetQueuedCount(), 0u);
}

TEST_F(ClientEntityEvents, EffectsStartOnlyWhileSeenAndStopWhatever)
{
    EntityClient& swinger = Walker(45, "swing");
    swinger.Update(0.01f);
    // The "hand" tag: two bones, then the tags.
    int32_t hand = swinger.GetEffectHost().FindAttachPoint("hand");
    EXPECT_EQ(hand, 2);
    ASSERT_EQ(effects->GetLiveEffects().size(), 2u);
    const EffectInstance* spark = effects->FindEffect(&swinger.GetEffectHost(), "spark.eff", hand);
    const EffectInstance* smoke = effects->FindEffect(&swinger.GetEffectHost(), "smoke.eff", hand);
    ASSERT_NE(spark, nullptr);
    ASSERT_NE(smoke, nullptr) << "a stop of an effect never started makes it, stopped";
    EXPECT_TRUE(spark->emitting);
    EXPECT_FALSE(smoke->emitting);
    ASSERT_EQ(effects->GetLiveBeams().size(), 1u);
    EXPECT_TRUE(effects->GetLiveBeams()[0]->active);
    // Nothing hangs on the hand: the attached swipe makes nothing.
    ASSERT_EQ(effects->GetLiveSwipes().size(), 1u);
    EXPECT_EQ(effects->GetLiveSwipes()[0]->definitionName, "arc.swp");
    EXPECT_TRUE(effects->GetLiveSwipes()[0]->active);

    // Frame 3 stops the beam and the swipe; a second pass reuses the effect.
    swinger.Update(0.15f);
    EXPECT_FALSE(effects->GetLiveBeams()[0]->active);
    EXPECT_FALSE(effects->GetLiveSwipes()[0]->active);
    swinger.PlayAnimation("walk", 5, AnimationMode::Loop, true);
    swinger.Update(0.01f);
    swinger.PlayAnimation("swing", 5, AnimationMode::Loop, true);
    swinger.Update(0.01f);
    EXPECT_EQ(effects->GetLiveEffects().size(), 2u) << "found again, not made twice";

}

TEST_F(ClientEntityEvents, AnAttachedSwipeRunsOnTheEntityHangingAtTheTagAndAnUnseenOwnersRidersStartNothing)
{
    // Fed through a real update, so that owners are found in the game client's table: a swinger,
    // a blade on its hand, and a rider hanging on the swinger without a tag.
    MessageBuffer buffer;
    for (const auto& [number, owner, tag] : {std::array<int32_t, 3>{60, -1, -1}, {61, 60, 2}, {62, 60, -1}}) {
        buffer.WriteInt(number);
        buffer.WriteInt(database.FindEntryByName("EventRock")->GetId());
        buffer.WriteUInt(0);
        buffer.WriteBool(false);
        buffer.WriteInt(-1);
        for (int i = 0; i < 2; ++i) {
            buffer.WriteInt(0);
            buffer.WriteFloat(100.0f);
            buffer.WriteFloat(100.0f);
        }
        buffer.WriteInt(owner);
        buffer.WriteInt(tag);
        for (int i = 0; i < 6; ++i)
            buffer.WriteFloat(0.0f);
        buffer.WriteInt(-1);
        for (int32_t value : {1, 1, -1, 0, 0, 2})
            buffer.WriteInt(value);
        buffer.WriteFloat(1.0f);
        buffer.WriteFloat(1.0f);
        buffer.WriteInt(0);
        buffer.WriteBool(false);
        buffer.WriteInt(0);
    }
    buffer.WriteInt(NetMessages::kListEnd);
    game->WriteNetPart(buffer, nullptr);
    buffer.SetReadPos(0);
    ASSERT_TRUE(gameClient->ReadGameUpdate(buffer, nullptr));
    EntityClient* swinger = gameClient->GetEntity(60);
    EntityClient* blade = gameClient->GetEntity(61);
    EntityClient* rider = gameClient->GetEntity(62);
    ASSERT_TRUE(swinger && blade && rider);
    for (const auto& [entity, model] : {std::pair{swinger, "walker.mdl"}, {blade, "blade.mdl"}, {rider, "walker.mdl"}}) {
        entity->LoadModels(model);
        manager->Get(entity->model); // waits for the loader
    }
    EXPECT_EQ(gameClient->FindEntityByOwner(swinger, 2), blade);
    EXPECT_EQ(gameClient->FindEntityByOwner(swinger, 5), nullptr);

    swinger->PlayAnimation("swing", 5, AnimationMode::Loop, true);
    swinger->Update(0.01f);
    const SwipeInstance* cut = nullptr;
    for (const SwipeInstance* swipe : effects->GetLiveSwipes())
        if (swipe->definitionName == "cut.swp")
            cut = swipe;
    ASSERT_NE(cut, nullptr) << "the swipe between the blade's tips";
    EXPECT_TRUE(cut->active);
    EXPECT_EQ(cut->modelKey, 2);
    EXPECT_EQ(cut->tagIndex1, blade->GetEffectHost().FindAttachPoint("tip"));
    swinger->Update(0.15f);
    EXPECT_FALSE(cut->active) << "frame 3 stops it";

    // A rider on an owner nobody sees starts no effect, yet stops whatever it names.
    swinger->entityAlpha = 0.0f;
    rider->PlayAnimation("swing", 5, AnimationMode::Loop, true);
    rider->Update(0.01f);
    int32_t hand = rider->GetEffectHost().FindAttachPoint("hand");
    EXPECT_EQ(effects->FindEffect(&rider->GetEffectHost(), "spark.eff", hand), nullptr);
    EXPECT_EQ(std::count_if(effects->GetLiveBeams().begin(), effects->GetLiveBeams().end(),
                            [&](const BeamInstance* beam) { return beam->GetOwner() == &rider->GetEffectHost(); }),
              0)
        << "nor a beam";
    EXPECT_NE(effects->FindEffect(&rider->GetEffectHost(), "smoke.eff", hand), nullptr);
}

TEST_F(ClientEntityEvents, ALostEffectIsHeardOnThePlayersBodyWhenLongFlaggedOrLastOfItsGroup)
{
    int32_t number = Client::GetLocalPlayerNumber();
    ASSERT_NE(number, -1);
    struct Case {
        const char* lost;
        const char* kept;
        int32_t entity;
        bool heard;
    };
    const Case cases[] = {
        {"EventShortWard", nullptr, number, false},
        {"EventFlaggedWard", nullptr, number, true},
        {"EventLongWard", nullptr, number, true},
        {"EventLongWard", nullptr, number + 1, false},
        {"EventLongWard", "EventWardKin", number, false},
        {"EventStubbornWard", "EventWardKin", number, true},
        {"EventLongWard", "EventShortWard", number, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.lost) + (c.kept ? std::string(" beside ") + c.kept : "") +
                     (c.entity == number ? "" : " elsewhere"));
        sound->ReleaseChannels();
        EventBearer bearer;
        bearer.entityNumber = c.entity;
        bearer.statusEffects.push_back(std::make_unique<StatusEffectClient>(database.FindEntryByName(c.lost), 1));
        if (c.kept)
            bearer.statusEffects.push_back(
                std::make_unique<StatusEffectClient>(database.FindEntryByName(c.kept), 2));
        bearer.OnStatusEffectLost(*bearer.statusEffects.front());
        std::vector<std::string> playing = Channels();
        EXPECT_EQ(std::count(playing.begin(), playing.end(), "sounds/lost.wav " + std::to_string(c.entity)),
                  c.heard ? 1 : 0);
    }
}

} // namespace

namespace {

// Every event the shipped models' animations carry names one of the entity's events, a file we
// ship and tags its model has: a misspelt name would be silence, or a warning every swing.
class ClientEntityEventsShipped : public ShippedShaderWorld {
protected:
    void SetUp() override
    {
        ShippedShaderWorld::SetUp();
        if (!IsSkipped() && !HasFatalFailure())
            RegisterModelResourceTypes(*manager);
    }

    // The first word of an effect, beam or swipe event names a file under "Effects"; the tags
    // follow it (a swipe's last word is a location or tag name of something else).
    void ExpectEffectEvent(const ModelResource& model, const AnimationEvent& event, const std::string& where)
    {
        ASSERT_FALSE(event.arguments.empty()) << where;
        EXPECT_TRUE(gFileSystem->FileExists("Effects/" + event.arguments[0])) << where;
        size_t tags = event.command.find("Swipe") != std::string::npos ? 3 : 2;
        for (size_t i = 1; i < tags && i < event.arguments.size(); ++i)
            EXPECT_NE(model.FindTag(event.arguments[i]), -1) << where << " tag " << event.arguments[i];
    }
};

TEST_F(ClientEntityEventsShipped, EveryEventNamesAKnownEventAShippedFileAndTagsItsModelHas)
{
    std::vector<ResourceHandle> models;
    PreloadModels(models);
    ASSERT_FALSE(models.empty());
    int checked = 0;
    for (const ResourceHandle& handle : models) {
        auto* model = dynamic_cast<ModelResource*>(manager->Get(handle));
        ASSERT_NE(model, nullptr);
        for (const auto& animation : model->animations) {
            for (const AnimationEvent& event : animation->clientEvents) {
                std::string where = handle.GetName() + " " + animation->name + " " + event.command;
                const auto& names = EntityClient::kAnimationEventNames;
                EXPECT_NE(std::find_if(names.begin(), names.end(),
                                       [&](const char* name) { return event.command == name; }),
                          names.end())
                    << where;
                if (event.command == "sound" || event.command == "loopSound") {
                    ASSERT_EQ(event.arguments.size(), 1u) << where;
                    EXPECT_TRUE(gFileSystem->FileExists("Sounds/" + event.arguments[0])) << where;
                } else if (event.command != "stopLoopSound" && event.command != "playDatabaseSound") {
                    ExpectEffectEvent(*model, event, where);
                }
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 50) << "the creatures' steps, blows and casts";
}

} // namespace
