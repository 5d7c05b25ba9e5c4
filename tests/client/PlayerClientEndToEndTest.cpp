// PlayerClientEndToEndTest -- the first playable loop through the real world host: a new character joins, walks and saves; a fresh client resumes it from its file with the same stats, items and place.
#include "client/PlayerClientWorld.h"

#include "entities/Inventory.h"
#include "entities/Sentient.h"
#include "server/ServerCommands.h"
#include "server/spawn/SpawnSystem.h"

#include <filesystem>

namespace {

class PlayerClientEndToEnd : public PlayerClientWorld {
protected:
    // The client's mirror of the character holds what the host's player holds.
    void ExpectMirrorsHost() const
    {
        EXPECT_EQ(player->GetEntityNumber(), hostPlayer->entityNumber);
        EXPECT_EQ(player->characterName, hostPlayer->playerName);
        for (int32_t stat : {CharacterStat::Level, CharacterStat::Class, CharacterStat::Money, CharacterStat::Xp,
                             CharacterStat::BaseStrength, CharacterStat::Movement, CharacterStat::Lives})
            EXPECT_EQ(player->stats.Get(stat), hostPlayer->stats.Get(stat)) << stat;
        for (int32_t bag = 0; bag < InventoryBase::kBagCount; ++bag)
            EXPECT_EQ(player->GetInventory().CountItems(bag), hostPlayer->inventory->CountItems(bag)) << bag;
    }

    // The player goes back to the title screen, which the world host does not hear of; a fresh
    // client on the same machine (the same address) makes the next character.
    void LeaveUnheard(const std::string& nextName)
    {
        RestartClient();
        vars.SetStringByName("PlayerName", nextName);
        MakePlayer();
    }
};

TEST_F(PlayerClientEndToEnd, ANewCharacterJoinsWalksSavesAndIsResumedWithTheSameCharacter)
{
    StartWorldOnly("UsesSaveGames 1\n");
    Join();
    ExpectMirrorsHost();
    EXPECT_EQ(hostPlayer->playerName, "Ada");

    // Walk: the client's place goes out in each update and the host takes it.
    WorldPos start = player->GetPosition();
    WorldPos walked = start;
    walked.x += 40.0f;
    walked.y += 20.0f;
    player->SetPosition(walked);
    ClientFrame(50);
    ClientFrame(50);
    EXPECT_NEAR(hostPlayer->position.x, walked.x, 0.01f);
    EXPECT_NEAR(hostPlayer->position.y, walked.y, 0.01f);

    hostPlayer->stats.Set(CharacterStat::Money, 4321);
    hostPlayer->stats.Set(CharacterStat::Xp, 77);
    // The update the host writes this frame is read in the next.
    ClientFrame(50);
    ClientFrame(50);
    ExpectMirrorsHost();
    ASSERT_TRUE(player->SaveCharacter());
    EXPECT_TRUE(std::filesystem::exists(folder.Path() / "User" / "chars" / "ada.chr"));

    // The player leaves the world; a fresh client resumes the file and joins it again.
    LeaveAndRestartClient();
    ASSERT_TRUE(player->LoadCharacter("Ada", nullptr));
    EXPECT_EQ(player->stats.Get(CharacterStat::Money), 4321);
    Join();
    EXPECT_EQ(hostPlayer->playerName, "Ada");
    EXPECT_EQ(hostPlayer->stats.Get(CharacterStat::Money), 4321);
    EXPECT_EQ(hostPlayer->stats.Get(CharacterStat::Xp), 77);
    EXPECT_NEAR(hostPlayer->position.x, walked.x, 0.01f);
    EXPECT_NEAR(hostPlayer->position.y, walked.y, 0.01f);
    ExpectMirrorsHost();
}

} // namespace

TEST_F(PlayerClientEndToEnd, ACharacterJoiningWhereAnotherLeftUnheardPlaysAndIsSavedAsItself)
{
    StartWorldOnly("UsesSaveGames 1\n");
    Join();
    hostPlayer->stats.Set(CharacterStat::Money, 4321);
    hostPlayer->stats.Set(CharacterStat::Xp, 77);
    ClientFrame(50);
    ClientFrame(50);
    ASSERT_EQ(player->stats.Get(CharacterStat::Money), 4321);

    LeaveUnheard("Bea");
    Join();
    EXPECT_EQ(host->GetClients().size(), 1u) << "the same client, come back";
    EXPECT_EQ(hostPlayer->playerName, "Bea");
    EXPECT_NE(hostPlayer->stats.Get(CharacterStat::Money), 4321);
    EXPECT_EQ(hostPlayer->stats.Get(CharacterStat::Xp), 0);
    ClientFrame(50);
    ClientFrame(50);
    ExpectMirrorsHost();
    ASSERT_TRUE(player->SaveCharacter());

    // The file holds Bea's own character, not the stats of the one who stood there before.
    LeaveUnheard("Ada");
    ASSERT_TRUE(player->LoadCharacter("Bea", nullptr));
    EXPECT_EQ(player->characterName, "Bea");
    EXPECT_NE(player->stats.Get(CharacterStat::Money), 4321);
    EXPECT_EQ(player->stats.Get(CharacterStat::Xp), 0);
}

TEST_F(PlayerClientEndToEnd, ThePlayersStatusEffectsAreItsBodysOnceItHasOne)
{
    StartWorldOnly("", "Haste\n{\n    Type StatusEffect\n    Public 1\n    TotalTime 60\n}\n");
    EXPECT_TRUE(player->GetStatusEffectList().empty()) << "without a body, its own list";
    Join();
    hostPlayer->AddStatusEffectByName("Haste", nullptr, 1);
    for (int i = 0; i < 3; ++i)
        ClientFrame(50);
    const EntityClient* body = player->GetBody();
    ASSERT_NE(body, nullptr);
    ASSERT_EQ(body->GetStatusEffectList().size(), 1u) << "the host's effect is mirrored on the body";
    EXPECT_EQ(&player->GetStatusEffectList(), &body->GetStatusEffectList());
    std::vector<StatusEffectClient*> shown;
    player->CollectStatusEffects(shown);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], body->GetStatusEffectList()[0].get());
}

namespace {

// A class whose one skill packs a loaf into the pack at each level past the first.
constexpr const char* kPackerRecords = R"(
ClassPacker
{
    Type Class
    BaseSpeed 150
    HealthPerVit 5
    StartVitality 10
    SkillTree SkillTreeRoad
    StartingItem Pouch
}
Pouch
{
    Type Item
    ItemType Bag
    BagSize 4
}
Loaf
{
    Type Item
    ItemType Food
    SpawnChance 1
}
Stores
{
    Item Loaf
}
SkillPacking
{
    Type Skill
    Passive 1
    AddItemInList Stores
    MaxSkillLevel 3
    BaseCost 1
}
SkillTreeRoad
{
    Type SkillTree
    Skill SkillPacking
}
SpawnSystem
{
}
)";

} // namespace

// Mended: lowering a skill and raising it again gave its level's gift again. The host's record of
// the levels given goes to the client in the player's part, into the character's file and back
// with the join: a save and a resume between lowering and raising give nothing twice either.
TEST_F(PlayerClientEndToEnd, ASkillLevelsGiftIsGivenOnceAcrossASaveAndAResume)
{
    StartWorldOnly("UsesSaveGames 1\nMoneyPerSkillPoint 0\nInventorySize 4\n", kPackerRecords);
    ServerCommands::Register(host->GetClientCommands());
    // The gifts are made by the spawn system, in its slot while the test runs.
    struct SpawnSlot {
        SpawnSlot()
        {
            spawn.Load();
            gSpawnSystem = &spawn;
        }
        ~SpawnSlot() { gSpawnSystem = nullptr; }
        SpawnSystem spawn;
    } spawning;
    vars.SetStringByName("PlayerClass", "ClassPacker");
    Join();
    hostPlayer->stats.Set(CharacterStat::SkillPointsLeft, 50);
    // A step of the host: the player's skill list is built from its class by its first update.
    ClientFrame(50);
    auto loaves = [this] {
        int32_t count = 0;
        for (int32_t bag = InventoryGroupIndex::Bag1; bag <= InventoryGroupIndex::Bag4; ++bag)
            for (int32_t slot = 0; slot < hostPlayer->inventory->GetSlotCount(bag); ++slot)
                if (const ItemBase* item = hostPlayer->inventory->GetItem(bag, slot);
                    item && item->GetEntry()->GetName() == "Loaf")
                    ++count;
        return count;
    };
    // A frame to send the line, one for the host to run it, one for the client to read the result.
    auto request = [this](const char* line) {
        Client::QueueServerCommand(line);
        ClientFrame(50);
        ClientFrame(50);
        ClientFrame(50);
    };
    request("increaseSkill 0 0");
    request("increaseSkill 0 0");
    request("decreaseSkill 0 0");
    request("increaseSkill 0 0");
    EXPECT_EQ(hostPlayer->stats.Get(CharacterStat::Skill1), 2);
    EXPECT_EQ(loaves(), 1) << "the second level's loaf, once";
    EXPECT_EQ(player->skillGiftLevels, (std::vector<int32_t>{CharacterStat::Skill1, 2})) << "the client's mirror";
    request("decreaseSkill 0 0");
    ASSERT_TRUE(player->SaveCharacter());

    LeaveAndRestartClient();
    ASSERT_TRUE(player->LoadCharacter("Ada", nullptr));
    Join();
    ASSERT_EQ(hostPlayer->stats.Get(CharacterStat::Skill1), 1);
    ASSERT_EQ(loaves(), 1);
    request("increaseSkill 0 0");
    EXPECT_EQ(loaves(), 1) << "the second level was reached before the save";
    request("increaseSkill 0 0");
    EXPECT_EQ(loaves(), 2) << "the third is reached for the first time";
}
