// SecretTest -- the treasure secret: its index and solidity, night only, lit red torches within reach and no other light, the quests that hold it back, one find per player and difficulty, and the gate pair it opens.
#include "entities/Gate.h"
#include "entities/LevelObjectWorld.h"
#include "entities/Secret.h"
#include "entities/Torch.h"
#include "rules/quests/QuestBase.h"
#include "rules/quests/QuestDefinition.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

constexpr const char* kSecretRecords = R"(
GameSystem
{
    GridSize 32
    SunriseStart 6
    SunsetEnd 20
}
ObjectSecret
{
    Type Object
    ObjectType Secret
    SecretIndex 1
    Solid 1
}
ObjectFalseSecret
{
    Type Object
    ObjectType Secret
    SecretIndex 2
}
TorchRed
{
    Type Object
    ObjectType Torch
    LightColor "1 0.2 0.1"
}
TorchWhite
{
    Type Object
    ObjectType Torch
    LightColor "1 1 1"
}
TorchGreenish
{
    Type Object
    ObjectType Torch
    LightColor "0.8 0.8 0.1"
}
)";

// A quest as the secret sees it: present in the game's list, with a definition.
class SecretTestQuest : public QuestBase {
public:
    int32_t GetDifficulty() const override { return 0; }
    int32_t CountTownNpcs() const override { return 0; }
    std::string GetTownNpcName(int32_t) const override { return {}; }
    int32_t GetTownNpcType(int32_t) const override { return 0; }
    const QuestWorld* GetWorld() const override { return nullptr; }
};

class Secrets : public LevelObjectWorld {
protected:
    static constexpr float kSecretX = 1000.0f;
    static constexpr float kSecretY = 1000.0f;

    void SetUp() override
    {
        LoadWorld(kSecretRecords);
        world.SetDifficulty(2);
        // Level 3 is the treasure level.
        world.SetSecretLevels(2, 1, 3);
        game.clock = 23.0f;
    }

    Secret* MakeSecret(const char* record = "ObjectSecret")
    {
        auto* secret = new Secret();
        secret->Load(database.FindEntryByName(record));
        secret->SetPosition(At(kSecretX, kSecretY));
        EXPECT_NE(game.AddEntity(secret), -1);
        secret->OnPlaced();
        return secret;
    }

    Torch* MakeTorch(const char* record, float dx)
    {
        auto* torch = new Torch();
        torch->Load(database.FindEntryByName(record));
        torch->SetPosition(At(kSecretX + dx, kSecretY));
        EXPECT_NE(game.AddEntity(torch), -1);
        return torch;
    }

    std::vector<Gate*> Gates() const
    {
        std::vector<Gate*> found;
        for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
            if (auto* gate = dynamic_cast<Gate*>(game.GetEntity(i)))
                found.push_back(gate);
        return found;
    }

    bool Opened() const { return !Gates().empty(); }

    void AddQuest(int32_t solvedBit)
    {
        auto definition = std::make_unique<QuestDefinition>();
        definition->questSolvedBit = solvedBit;
        auto quest = std::make_unique<SecretTestQuest>();
        quest->definition = definition.get();
        game.quests.push_back(quest.get());
        definitions.push_back(std::move(definition));
        quests.push_back(std::move(quest));
    }

    std::vector<std::unique_ptr<QuestDefinition>> definitions;
    std::vector<std::unique_ptr<SecretTestQuest>> quests;
};

} // namespace

TEST_F(Secrets, LoadReadsSolidityAndOnlyIndexOneCounts)
{
    Secret* secret = MakeSecret();
    EXPECT_TRUE(secret->alwaysBlocks);
    EXPECT_EQ(secret->GetSecretIndex(), 1);
    Secret* other = MakeSecret("ObjectFalseSecret");
    EXPECT_FALSE(other->alwaysBlocks);
    EXPECT_EQ(other->GetSecretIndex(), 0) << "any index but 0 and 1 reads as 0";
}

TEST_F(Secrets, AtNightInRedTorchlightAPlayerOpensTheTreasureLevel)
{
    Secret* secret = MakeSecret();
    MakeTorch("TorchRed", 60.0f);
    Player* player = MakePlayer(kSecretX, kSecretY + 40.0f);
    secret->Use(player);
    std::vector<Gate*> gates = Gates();
    ASSERT_EQ(gates.size(), 2u);
    Gate* here = gates[0]->position.level == 0 ? gates[0] : gates[1];
    Gate* there = here->GetLinked();
    ASSERT_NE(there, nullptr);
    EXPECT_EQ(here->kind, GateKind::Secret);
    EXPECT_EQ(there->kind, GateKind::Secret);
    EXPECT_EQ(there->position.level, 3);
    EXPECT_EQ(world.GetLevel(3)->monsterLevel, 75) << "(difficulty 2 + 1) x 25";
    EXPECT_EQ(player->stats.Get(CharacterStat::SpecificSecrets), 1 << 2);
}

TEST_F(Secrets, ASecretOfAnyOtherIndexNeverOpens)
{
    Secret* secret = MakeSecret("ObjectFalseSecret");
    MakeTorch("TorchRed", 60.0f);
    Player* player = MakePlayer(kSecretX, kSecretY + 40.0f);
    secret->Use(player);
    EXPECT_FALSE(Opened());
    EXPECT_EQ(player->stats.Get(CharacterStat::SpecificSecrets), 0);
}

TEST_F(Secrets, ByDayNothingHappensAndItCanBeTriedAgainAtNight)
{
    Secret* secret = MakeSecret();
    MakeTorch("TorchRed", 60.0f);
    Player* player = MakePlayer(kSecretX, kSecretY + 40.0f);
    for (float hour : {6.0f, 12.0f, 20.0f}) {
        game.clock = hour;
        secret->Use(player);
        EXPECT_FALSE(Opened()) << "hour " << hour;
    }
    game.clock = 5.9f;
    secret->Use(player);
    EXPECT_TRUE(Opened());
}

TEST_F(Secrets, WithoutALitRedTorchWithinReachNothingHappens)
{
    Secret* secret = MakeSecret();
    Player* player = MakePlayer(kSecretX, kSecretY + 40.0f);
    secret->Use(player);
    EXPECT_FALSE(Opened()) << "no torch";
    Torch* red = MakeTorch("TorchRed", 60.0f);
    red->Use(player);
    ASSERT_FALSE(red->IsLit());
    secret->Use(player);
    EXPECT_FALSE(Opened()) << "an unlit torch";
    MakeTorch("TorchRed", 140.0f);
    secret->Use(player);
    EXPECT_FALSE(Opened()) << "a lit one too far";
    red->Use(player);
    secret->Use(player);
    EXPECT_TRUE(Opened());
}

TEST_F(Secrets, OneLitTorchOfAnotherLightSpoilsTheRedOnes)
{
    Secret* secret = MakeSecret();
    MakeTorch("TorchRed", 60.0f);
    Torch* white = MakeTorch("TorchWhite", -60.0f);
    MakeTorch("TorchGreenish", 150.0f);
    Player* player = MakePlayer(kSecretX, kSecretY + 40.0f);
    secret->Use(player);
    EXPECT_FALSE(Opened()) << "white light within reach";
    white->Use(player);
    secret->Use(player);
    EXPECT_TRUE(Opened()) << "the white torch out, the greenish one out of reach";
}

TEST_F(Secrets, AGreenAsStrongAsTheRedIsNoRedLight)
{
    Secret* secret = MakeSecret();
    MakeTorch("TorchGreenish", 60.0f);
    Player* player = MakePlayer(kSecretX, kSecretY + 40.0f);
    secret->Use(player);
    EXPECT_FALSE(Opened());
}

TEST_F(Secrets, GatesTheTableRefusesRecordNothingAndTheSecretWaits)
{
    Secret* secret = MakeSecret();
    MakeTorch("TorchRed", 60.0f);
    Player* player = MakePlayer(kSecretX, kSecretY + 40.0f);
    std::vector<Entity*> fillers = FillTableLeaving(1);
    int32_t monsterLevel = world.GetLevel(3)->monsterLevel;
    secret->Use(player);
    EXPECT_FALSE(Opened());
    EXPECT_EQ(player->stats.Get(CharacterStat::SpecificSecrets), 0) << "the find is not recorded";
    EXPECT_EQ(world.GetLevel(3)->monsterLevel, monsterLevel);
    game.RemoveEntity(fillers[0]);
    delete fillers[0];
    secret->Use(player);
    EXPECT_EQ(Gates().size(), 2u);
    EXPECT_EQ(player->stats.Get(CharacterStat::SpecificSecrets), 1 << 2);
}

TEST_F(Secrets, EachPlayerFindsItOncePerDifficulty)
{
    Secret* secret = MakeSecret();
    MakeTorch("TorchRed", 60.0f);
    Player* first = MakePlayer(kSecretX, kSecretY + 40.0f);
    Player* second = MakePlayer(kSecretX, kSecretY - 40.0f);
    secret->Use(first);
    secret->Use(first);
    EXPECT_EQ(Gates().size(), 2u);
    secret->Use(second);
    EXPECT_EQ(Gates().size(), 4u);
    second->stats.Set(CharacterStat::SpecificSecrets, 1 << 1);
    EXPECT_EQ(second->stats.Get(CharacterStat::SpecificSecrets), 2) << "another difficulty's bit";
    secret->Use(second);
    EXPECT_EQ(Gates().size(), 6u);
    EXPECT_EQ(second->stats.Get(CharacterStat::SpecificSecrets), 2 | 4);
}

TEST_F(Secrets, OnlyPlayersUseIt)
{
    Secret* secret = MakeSecret();
    MakeTorch("TorchRed", 60.0f);
    auto* monster = new Sentient();
    monster->SetPosition(At(kSecretX, kSecretY + 40.0f));
    ASSERT_NE(game.AddEntity(monster), -1);
    secret->Use(monster);
    secret->Use(nullptr);
    EXPECT_FALSE(Opened());
}

TEST_F(Secrets, AQuestWithASolvedBitHoldsItBackOneWithoutDoesNot)
{
    Secret* secret = MakeSecret();
    MakeTorch("TorchRed", 60.0f);
    Player* player = MakePlayer(kSecretX, kSecretY + 40.0f);
    AddQuest(-1);
    AddQuest(-1);
    secret->Use(player);
    EXPECT_TRUE(Opened()) << "quests without a solved bit take no part";
    Player* second = MakePlayer(kSecretX, kSecretY - 40.0f);
    AddQuest(0);
    secret->Use(second);
    EXPECT_EQ(Gates().size(), 2u) << "a running quest with a solved bit";
    EXPECT_EQ(second->stats.Get(CharacterStat::SpecificSecrets), 0);
}

TEST_F(Secrets, AWorldWithoutATreasureLevelRecordsNothing)
{
    world.SetSecretLevels(2, 1, 9);
    Secret* secret = MakeSecret();
    MakeTorch("TorchRed", 60.0f);
    Player* player = MakePlayer(kSecretX, kSecretY + 40.0f);
    secret->Use(player);
    EXPECT_FALSE(Opened());
    EXPECT_EQ(player->stats.Get(CharacterStat::SpecificSecrets), 0);
}

TEST_F(Secrets, AnUnplacedSecretHasNoFoundBitAndOpensNothing)
{
    auto* secret = new Secret();
    secret->Load(database.FindEntryByName("ObjectSecret"));
    secret->SetPosition(At(kSecretX, kSecretY));
    ASSERT_NE(game.AddEntity(secret), -1);
    MakeTorch("TorchRed", 60.0f);
    Player* player = MakePlayer(kSecretX, kSecretY + 40.0f);
    secret->Use(player);
    EXPECT_FALSE(Opened());
}
