// GameLevelObjectsTest -- the game's side of the level objects: secret levels handed out in order, a secret found, the world's gates of a new world and misplaced objects moved once their level loads.
#include "server/GameWorld.h"

#include "core/StringUtil.h"
#include "entities/Gate.h"
#include "entities/Sentient.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr const char* kLevelObjectRecords = R"(
GameSystem
{
    GridSize 32
    ScoreForSecret 25
    TownGatePosition "640 320"
    RelocateRings 3
}
ObjectGate
{
    Type Object
    ObjectType Gate
}
ObjectTownGate
{
    Type Object
    ObjectType Gate
    GateName "Town"
}
)";

class GameLevelObjects : public GameWorld {
protected:
    void SetUp() override { LoadRecords(kLevelObjectRecords); }

    std::vector<Gate*> Gates() const
    {
        std::vector<Gate*> found;
        for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
            if (auto* gate = dynamic_cast<Gate*>(game->GetEntity(i)))
                found.push_back(gate);
        return found;
    }

    static void AddGate(Level& level, const WorldPos& where, int32_t target, int32_t partner)
    {
        LevelGate gate;
        gate.position = where;
        gate.targetLevel = target;
        gate.partnerGate = partner;
        level.gates.push_back(gate);
    }
};

// An object that stands where the test says its body does not fit.
class MisplacedObject : public Entity {
public:
    MisplacedObject() { relocatable = true; }
};

} // namespace

// The range's cursor and the secrets' hand-outs are one cursor.
TEST_F(GameLevelObjects, SecretLevelsAreHandedOutInOrderOnceEach)
{
    row.world.SetSecretLevels(1, 2, 0);
    EXPECT_EQ(game->NextLevelInRange(), 1);
    EXPECT_EQ(game->NextSecretLevel(), 2);
    EXPECT_EQ(game->NextLevelInRange(), -1) << "past the end";
    EXPECT_EQ(game->NextSecretLevel(), -1);
    EXPECT_EQ(game->NextSecretLevel(), -1);
    game->Reset();
    EXPECT_EQ(game->NextSecretLevel(), 1) << "a new game starts again";
}

TEST_F(GameLevelObjects, AWorldWithoutSecretLevelsHandsOutNone)
{
    row.world.SetSecretLevels(2, 0, 0);
    EXPECT_EQ(game->NextSecretLevel(), -1);
    row.world.SetSecretLevels(2, 5, 0);
    EXPECT_EQ(game->NextSecretLevel(), 2);
    EXPECT_EQ(game->NextSecretLevel(), -1) << "level 3 is not in the world";
}

TEST_F(GameLevelObjects, ASecretFoundIsCountedAnnouncedAndScored)
{
    auto* player = Spawn<Sentient>(100.0f, 100.0f, 1);
    row.world.GetLevel(1)->monsterLevel = 7;
    game->OnSecretFound(*player, 1);
    EXPECT_EQ(player->stats.Get(CharacterStat::SecretsFound), 1);
    EXPECT_EQ(player->stats.Get(CharacterStat::Score), 25);
    const std::vector<std::string>& lines = game->GetClientLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), StringFormat("dmg %d ^f006+25$$ScorePrint$$", player->entityNumber)),
              lines.end());
    game->GetClientLines().clear();
    LoadRecords("GameSystem\n{\nScoreForSecret 0\n}\n");
    game->OnSecretFound(*player, 1);
    EXPECT_EQ(player->stats.Get(CharacterStat::SecretsFound), 2);
    EXPECT_EQ(player->stats.Get(CharacterStat::Score), 25) << "no score without a positive ScoreForSecret";
    EXPECT_TRUE(std::none_of(lines.begin(), lines.end(), [](const std::string& line) { return line.find("ScorePrint") != std::string::npos; }));
}

TEST_F(GameLevelObjects, TheWorldsGatesAreTheTownGateAndOneLinkedPairPerLevelGatePair)
{
    AddGate(*row.world.GetLevel(0), At(100.0f, 100.0f, 0), 2, 0);
    AddGate(*row.world.GetLevel(2), At(900.0f, 900.0f, 2), 0, 0);
    AddGate(*row.world.GetLevel(1), At(500.0f, 500.0f, 1), 2, 7);  // its partner is missing
    game->CreateWorldGates();
    std::vector<Gate*> gates = Gates();
    ASSERT_EQ(gates.size(), 3u);
    int32_t town = 0;
    int32_t linked = 0;
    for (Gate* gate : gates) {
        if (gate->kind == GateKind::World) {
            ++town;
            EXPECT_EQ(gate->gateName, "Town");
            EXPECT_EQ(gate->position.level, 0);
            EXPECT_FLOAT_EQ(gate->position.x, 640.0f);
            EXPECT_FLOAT_EQ(gate->position.y, 320.0f);
            EXPECT_EQ(gate->GetLinked(), nullptr);
        } else {
            ++linked;
            EXPECT_EQ(gate->kind, GateKind::Linked);
            ASSERT_NE(gate->GetLinked(), nullptr);
            EXPECT_NE(gate->GetLinked()->position.level, gate->position.level);
        }
    }
    EXPECT_EQ(town, 1);
    EXPECT_EQ(linked, 2);
}

TEST_F(GameLevelObjects, TheTownGateKeepsOneRecordPerWorldDifficultyForTheCharacters)
{
    game->CreateWorldGates();
    game->CreateWorldGates();
    ASSERT_EQ(game->GetGateRecords().GetCount(), WorldDifficultyLevel::kCount) << "made afresh, never doubled";
    // A character's list is made ready from them: the town's level at each world difficulty.
    ItemPtrList character;
    character.EnsureLoaded(game->GetGateRecords());
    for (int32_t worldDifficulty = 0; worldDifficulty < WorldDifficultyLevel::kCount; ++worldDifficulty)
        EXPECT_NE(character.Find(0, worldDifficulty), nullptr) << worldDifficulty;
    LoadRecords("GameSystem\n{\nGridSize 32\n}\n");
    game->CreateWorldGates();
    EXPECT_EQ(game->GetGateRecords().GetCount(), 0) << "no town gate, no records";
}

TEST_F(GameLevelObjects, ALoadedLevelMovesItsBlockedRelocatableObjectsToAFreeSpot)
{
    auto* stuck = Spawn<MisplacedObject>(1000.0f, 1000.0f, 1);
    auto* fixed = Spawn<Entity>(1000.0f, 1000.0f, 1);
    auto* elsewhere = Spawn<MisplacedObject>(1000.0f, 1000.0f, 2);
    stuck->radius = fixed->radius = elsewhere->radius = 8.0f;
    // Only the cells within 40 of (1000, 1000) are walls.
    game->bodyBlocked = [](const WorldPos& p) { return std::fabs(p.x - 1000.0f) < 40.0f && std::fabs(p.y - 1000.0f) < 40.0f; };
    game->LoadLevel(1);
    EXPECT_TRUE(std::fabs(stuck->position.x - 1000.0f) >= 40.0f || std::fabs(stuck->position.y - 1000.0f) >= 40.0f);
    EXPECT_LE(std::fabs(stuck->position.x - 1000.0f), 3 * 32.0f + 0.5f) << "within RelocateRings rings";
    EXPECT_FLOAT_EQ(fixed->position.x, 1000.0f) << "not flagged";
    EXPECT_FLOAT_EQ(elsewhere->position.x, 1000.0f) << "another level";
}

TEST_F(GameLevelObjects, AnObjectWithNoFreeSpotInReachStaysWhereItIs)
{
    auto* stuck = Spawn<MisplacedObject>(1000.0f, 1000.0f, 1);
    game->bodyBlocked = [](const WorldPos&) { return true; };
    game->LoadLevel(1);
    EXPECT_FLOAT_EQ(stuck->position.x, 1000.0f);
    EXPECT_FLOAT_EQ(stuck->position.y, 1000.0f);
}
