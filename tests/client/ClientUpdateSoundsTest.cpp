// ClientUpdateSoundsTest -- the sounds the world host puts in a game update play on the client once each, at their place and owner with their least distance, on the recording sound driver; a record naming a slot the client's table does not hold is passed over.
#include "client/ClientServicesWorld.h"

#include "server/Game.h"

namespace {

class ClientUpdateSounds : public ClientServicesWorld {
protected:
    // The channels playing the sound of that name.
    std::vector<SoundInstance*> Playing(const std::string& name)
    {
        std::vector<SoundInstance*> found;
        for (int32_t i = SoundSystem::kMusicChannels; i < SoundSystem::kChannelCount; ++i) {
            SoundInstance* channel = sound->GetChannel(i);
            if (channel->IsActive() && manager->GetName(channel->GetResource()) == name)
                found.push_back(channel);
        }
        return found;
    }
};

} // namespace

TEST_F(ClientUpdateSounds, EachSoundOfAnUpdatePlaysOnceAtItsOwnerAndAStraySlotIsPassedOver)
{
    WriteSound("Sounds/anvil.wav");
    StartAndJoin();
    Player* hostPlayer = link->player;
    WorldEventRequest anvil;
    anvil.name = "Sounds/anvil.wav";
    anvil.entityNumber = hostPlayer->entityNumber;
    anvil.position = hostPlayer->position.Offset(Vector2{30.0f, 10.0f});
    anvil.radius = 500.0f;
    anvil.value = 150.0f;
    gGame->QueueWorldEvent(anvil);
    // A slot far past the host's table, and one with no sound at all.
    GameSoundRecord stray;
    stray.sound = 4000;
    stray.entityNumber = hostPlayer->entityNumber;
    stray.position = hostPlayer->position;
    stray.radius = 500.0f;
    gGame->QueueSound(stray);
    stray.sound = -1;
    gGame->QueueSound(stray);

    ClientFrame(50);
    ClientFrame(50);
    ClientFrame(50);
    std::vector<SoundInstance*> played = Playing("Sounds/anvil.wav");
    ASSERT_EQ(played.size(), 1u) << "once, though three updates went by";
    EXPECT_EQ(played[0]->GetOwner(), hostPlayer->entityNumber);
    EXPECT_EQ(played[0]->GetSlot(), 0);
    EXPECT_EQ(played[0]->GetPosition().level, anvil.position.level);
    EXPECT_FLOAT_EQ(played[0]->GetPosition().x, anvil.position.x);
    EXPECT_FLOAT_EQ(played[0]->GetPosition().y, anvil.position.y);
    EXPECT_FLOAT_EQ(played[0]->GetMinDistance(), 150.0f);
    int32_t owned = 0;
    for (int32_t i = SoundSystem::kMusicChannels; i < SoundSystem::kChannelCount; ++i)
        owned += sound->GetChannel(i)->IsActive() && sound->GetChannel(i)->GetOwner() == hostPlayer->entityNumber;
    EXPECT_EQ(owned, 1) << "the stray slots play nothing";
    EXPECT_TRUE(app->IsActive()) << "and the update carrying them still applied";
}
