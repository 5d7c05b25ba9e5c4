// GameWorldObjectsTest -- the game's part in torches, triggers and plates: gusts put out the torches within reach that wind can put out, and a trigger's name set off by a player's approach reaches a plate, whose spent trap takes it out of the table.
#include "server/GameWorld.h"

#include "entities/Sentient.h"
#include "entities/Torch.h"
#include "entities/Trap.h"
#include "entities/TrapGround.h"
#include "entities/Trigger.h"

namespace {

constexpr const char* kWorldObjectRecords = R"(
GameSystem
{
    GridSize 32 32
}
TorchWindy
{
    LightFalloff 300
    MaxWind 5
}
TorchStorm
{
    LightFalloff 300
    MaxWind 8
}
TorchStill
{
    LightFalloff 300
}
StoneNear
{
    TriggerName "CryptStone"
    TriggerDistance 80
}
PlateCrypt
{
    Type Trap
    ThinkTime 1
    TriggerName "cryptstone"
    TriggerChance 1
    DudChance 1
    TriggerSound "sounds/click.wav"
}
)";

class GameWorldObjects : public GameWorld {
protected:
    void SetUp() override
    {
        LoadRecords(kWorldObjectRecords);
        Sentient::RegisterEventClass(events, types);
        Trap::RegisterEventClass(events, types);
    }

    template <class T>
    T* Place(const char* record, float x, float y)
    {
        auto* entity = new T();
        entity->SetEntry(database.FindEntryByName(record));
        entity->SetPosition(At(x, y));
        EXPECT_NE(game->AddEntity(entity), -1);
        return entity;
    }
};

} // namespace

TEST_F(GameWorldObjects, AGustPutsOutTheTorchesWithinReachThatItsStrengthCanPutOut)
{
    auto* windy = Place<Torch>("TorchWindy", 200.0f, 100.0f);
    auto* storm = Place<Torch>("TorchStorm", 100.0f, 200.0f);
    auto* still = Place<Torch>("TorchStill", 150.0f, 150.0f);
    auto* far = Place<Torch>("TorchWindy", 400.0f, 100.0f);
    auto* nextLevel = Place<Torch>("TorchWindy", 100.0f, 100.0f);
    nextLevel->SetPosition(At(100.0f, 100.0f, 1));
    game->ExtinguishTorchesNear(At(100.0f, 100.0f), 150.0f, 6.0f);
    EXPECT_FALSE(windy->IsLit());
    EXPECT_TRUE(storm->IsLit());
    EXPECT_TRUE(still->IsLit());
    EXPECT_TRUE(far->IsLit());
    EXPECT_TRUE(nextLevel->IsLit());
}

TEST_F(GameWorldObjects, APlayersApproachFiresATriggerWhoseNameSpendsAPlateThatThenLeaves)
{
    auto* player = Spawn<Sentient>(100.0f, 300.0f);
    game->SetPlayers({player});
    auto* stone = Place<Trigger>("StoneNear", 100.0f, 100.0f);
    auto* plate = Place<TrapGround>("PlateCrypt", 2000.0f, 2000.0f);
    plate->ArmTrap();
    int32_t plateNumber = plate->entityNumber;
    Step(5);
    EXPECT_FALSE(stone->IsTriggered());
    player->SetPosition(At(100.0f, 150.0f));
    Step(1);
    EXPECT_TRUE(stone->IsTriggered());
    Step(4);
    EXPECT_EQ(game->GetEntity(plateNumber), nullptr);
    EXPECT_EQ(game->GetEntity(stone->entityNumber), stone) << "a switch without a fade stays";
}
