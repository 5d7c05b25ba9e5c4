// WorldHostVisibilityTest -- which entities a player's client is sent: the open box of 600 across level edges, attachments, companions and what it deals with, each once; and which sounds reach it.
#include "entities/Player.h"
#include "server/WorldHostWorld.h"

#include <algorithm>

namespace {

// Names one entity it depends on, as a projectile names its source and target.
class LinkingEntity : public Entity {
public:
    void CollectLinkedEntities(std::vector<Entity*>& list) const override
    {
        for (Entity* other : links)
            list.push_back(other);
    }
    std::vector<Entity*> links;
};

class WorldHostVisibility : public WorldHostWorld {
protected:
    WorldHostVisibility() { player = Spawn<Player>(1000.0f, 1000.0f, 0); }

    bool Sees(const Entity* entity)
    {
        const std::vector<Entity*>& seen = host->CollectVisible(*player);
        return std::count(seen.begin(), seen.end(), entity) == 1;
    }

    std::vector<NetSoundRecord> SoundsFor(const Player* listener)
    {
        MessageBuffer buffer;
        host->WriteSounds(buffer, listener);
        buffer.SetReadPos(0);
        std::vector<NetSoundRecord> read;
        EXPECT_TRUE(NetMessages::ReadSounds(buffer, read));
        EXPECT_EQ(buffer.BytesLeft(), 0u);
        return read;
    }

    void QueueSound(int32_t sound, int32_t entityNumber, const WorldPos& where, float radius)
    {
        GameSoundRecord record;
        record.sound = sound;
        record.entityNumber = entityNumber;
        record.position = where;
        record.radius = radius;
        record.value = 0.5f;
        game->QueueSound(record);
    }

    Player* player = nullptr;
};

TEST_F(WorldHostVisibility, TheBoxIsOpenAtSixHundredOnEitherAxis)
{
    Entity* inside = Spawn(1599.9f, 400.1f);
    Entity* onEdgeX = Spawn(1600.0f, 1000.0f);
    Entity* onEdgeY = Spawn(1000.0f, 400.0f);
    Entity* corner = Spawn(400.1f, 1599.9f);
    EXPECT_TRUE(Sees(inside));
    EXPECT_FALSE(Sees(onEdgeX));
    EXPECT_FALSE(Sees(onEdgeY));
    EXPECT_TRUE(Sees(corner));
    EXPECT_TRUE(Sees(player)) << "the player sees itself";
}

TEST_F(WorldHostVisibility, TheBoxReachesAcrossALevelEdge)
{
    player->SetPosition(At(RowWorld::kLevelSize - 100.0f, 500.0f, 0));
    Entity* near = Spawn(499.9f, 500.0f, 1);
    Entity* far = Spawn(500.0f, 500.0f, 1);
    Entity* otherLevelSameSpot = Spawn(RowWorld::kLevelSize - 100.0f, 500.0f, 2);
    EXPECT_TRUE(Sees(near));
    EXPECT_FALSE(Sees(far));
    EXPECT_FALSE(Sees(otherLevelSameSpot)) << "two levels away is no neighbour";
}

TEST_F(WorldHostVisibility, AnAttachmentIsSeenWithItsParentWhereverItStands)
{
    Entity* parent = Spawn(1100.0f, 1000.0f);
    Entity* child = Spawn(3000.0f, 3000.0f);
    child->parentNumber = parent->entityNumber;
    EXPECT_TRUE(Sees(child));
    parent->SetPosition(At(3000.0f, 1000.0f));
    EXPECT_FALSE(Sees(child)) << "its parent is out of sight too";
}

TEST_F(WorldHostVisibility, CompanionsAndWhatThePlayerDealsWithFollowIt)
{
    auto* companion = Spawn<Sentient>(3500.0f, 3500.0f);
    Entity* vendor = Spawn(3600.0f, 100.0f, 2);
    Entity* stranger = Spawn(3700.0f, 3700.0f);
    EXPECT_FALSE(Sees(companion));
    companion->SetLeader(player);
    player->SetInteractionTarget(vendor);
    EXPECT_TRUE(Sees(companion));
    EXPECT_TRUE(Sees(vendor));
    EXPECT_FALSE(Sees(stranger));
}

TEST_F(WorldHostVisibility, EachEntityIsListedOnceInSlotOrderWithItsDependentsAfterIt)
{
    auto* linking = Spawn<LinkingEntity>(1000.0f, 1100.0f);
    Entity* farDependent = Spawn(3900.0f, 3900.0f);
    linking->links = {player, farDependent, farDependent, nullptr};
    const std::vector<Entity*>& seen = host->CollectVisible(*player);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], player);
    EXPECT_EQ(seen[1], linking);
    EXPECT_EQ(seen[2], farDependent);
    EXPECT_EQ(host->CollectVisible(*player).size(), 3u) << "a second collection starts afresh";
}

TEST_F(WorldHostVisibility, SoundsReachThePlayerStrictlyInsideTheirRadiusAndItsOwnAlways)
{
    Entity* other = Spawn(1000.0f, 1000.0f);
    QueueSound(1, player->entityNumber, At(3000.0f, 3000.0f), 1.0f);
    QueueSound(2, other->entityNumber, At(1099.9f, 1000.0f), 100.0f);
    QueueSound(3, other->entityNumber, At(1100.0f, 1000.0f), 100.0f);
    QueueSound(4, other->entityNumber, At(1000.0f, 1000.0f, 1), 100.0f);
    std::vector<NetSoundRecord> heard = SoundsFor(player);
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[0].sound, 1);
    EXPECT_EQ(heard[0].entityNumber, player->entityNumber);
    EXPECT_EQ(heard[0].position.x, 3000.0f);
    EXPECT_FLOAT_EQ(heard[0].value, 0.5f);
    EXPECT_EQ(heard[1].sound, 2);
    EXPECT_TRUE(SoundsFor(nullptr).empty()) << "no player hears nothing";
    EXPECT_EQ(game->GetSounds().size(), 4u) << "writing one client's sounds empties nothing";
}

TEST_F(WorldHostVisibility, ASoundOverTheLevelEdgeIsMeasuredInThePlayersLevel)
{
    player->SetPosition(At(RowWorld::kLevelSize - 10.0f, 500.0f, 0));
    Entity* other = Spawn(5.0f, 500.0f, 1);
    QueueSound(7, other->entityNumber, At(5.0f, 500.0f, 1), 20.0f);
    QueueSound(8, other->entityNumber, At(15.0f, 500.0f, 1), 20.0f);
    std::vector<NetSoundRecord> heard = SoundsFor(player);
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].sound, 7);
    EXPECT_EQ(heard[0].position.level, 1) << "sent where it is, not re-expressed";
}

} // namespace
