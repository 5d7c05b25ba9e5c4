// GameTownTest -- the town's NPC slots: one NPC per named type at its spot, vendors for vendor records, the living ones counted and drawn; monsters sent into unused blocks.
#include "spawn/SpawnWorld.h"

#include "core/Database.h"
#include "entities/Player.h"
#include "entities/StatusEffect.h"
#include "entities/Vendor.h"
#include "rules/RulesEnums.h"

#include <cmath>
#include <map>

class GameTown : public SpawnWorld {
protected:
    GameTown() { LoadSpawn(); }

    static bool HasEffect(const Actor& actor, std::string_view name)
    {
        for (const auto& effect : actor.GetStatusEffects())
            if (effect && effect->GetEntry() && effect->GetEntry()->GetName() == name)
                return true;
        return false;
    }
};

TEST_F(GameTown, EveryNamedTypeGetsASlotAndItsNpcAtItsSpot)
{
    game->CreateTownNpcs();
    ASSERT_EQ(game->GetTownNpcSlotCount(), 3);
    EXPECT_EQ(game->GetTownNpcType(0), NpcType::Warmaster);
    EXPECT_EQ(game->GetTownNpcType(2), NpcType::Tutor);
    EXPECT_EQ(game->GetTownNpcType(3), NpcType::None);
    EXPECT_EQ(game->FindTownNpcSlot(NpcType::VendorBasic), 1);
    EXPECT_EQ(game->FindTownNpcSlot(NpcType::Gambler), -1);

    auto* warmaster = dynamic_cast<Actor*>(game->GetTownNpc(NpcType::Warmaster));
    ASSERT_NE(warmaster, nullptr);
    EXPECT_EQ(dynamic_cast<Vendor*>(warmaster), nullptr);
    EXPECT_EQ(warmaster->position.level, 0);
    EXPECT_LE(warmaster->position.Distance2D(At(500.0f, 500.0f)), 4 * 64.0f);
    EXPECT_EQ(warmaster->facing, 3);
    EXPECT_EQ(warmaster->stats.Get(CharacterStat::Level), 3);
    EXPECT_TRUE(HasEffect(*warmaster, "EnhancementTownNpc"));
    EXPECT_EQ(game->GetEntity(warmaster->entityNumber), warmaster);

    EXPECT_NE(dynamic_cast<Vendor*>(game->GetTownNpc(NpcType::VendorBasic)), nullptr);
    // No monster type and no spot for the tutor: its slot stays empty.
    EXPECT_EQ(game->GetTownNpc(NpcType::Tutor), nullptr);
}

TEST_F(GameTown, AJoiningPlayerRaisesTheTownNpcsBelowItsLevelKeepingTheirShareOfHealth)
{
    game->CreateTownNpcs();
    auto* warmaster = dynamic_cast<Sentient*>(game->GetTownNpc(NpcType::Warmaster));
    auto* vendor = dynamic_cast<Sentient*>(game->GetTownNpc(NpcType::VendorBasic));
    ASSERT_NE(warmaster, nullptr);
    ASSERT_NE(vendor, nullptr);
    int32_t vendorLevel = vendor->stats.Get(CharacterStat::Level);
    warmaster->health = warmaster->maxHealth / 3;
    double share = static_cast<double>(warmaster->health) / warmaster->maxHealth;
    Player::RegisterEventClass(events, types);
    auto* player = Spawn<Player>(100.0f, 100.0f);
    player->stats.Set(CharacterStat::Level, 2);
    game->OnPlayerJoined(*player);
    EXPECT_EQ(warmaster->stats.Get(CharacterStat::Level), 3) << "an NPC above the player stays";

    player->stats.Set(CharacterStat::Level, vendorLevel + 4);
    int32_t before = warmaster->maxHealth;
    game->OnPlayerJoined(*player);
    EXPECT_EQ(warmaster->stats.Get(CharacterStat::Level), vendorLevel + 4 > 3 ? vendorLevel + 4 : 3);
    EXPECT_EQ(vendor->stats.Get(CharacterStat::Level), vendorLevel + 4);
    EXPECT_GT(warmaster->maxHealth, before);
    EXPECT_EQ(warmaster->health, static_cast<int32_t>(std::ceil(share * warmaster->maxHealth)))
        << "not healed to full by the levels";
    EXPECT_EQ(vendor->health, vendor->maxHealth);
    // A level past the cap stops at the cap.
    player->stats.Set(CharacterStat::Level, 1000);
    game->OnPlayerJoined(*player);
    EXPECT_EQ(vendor->stats.Get(CharacterStat::Level), Sentient::kMaxLevel);
}

TEST_F(GameTown, LivingNpcsAreCountedAndDrawnEvenly)
{
    game->CreateTownNpcs();
    EXPECT_EQ(game->CountLivingTownNpcs(), 2);
    std::map<Entity*, int> draws;
    for (int i = 0; i < 2000; ++i)
        ++draws[game->PickLivingTownNpc()];
    ASSERT_EQ(draws.size(), 2u);
    for (const auto& [npc, count] : draws)
        EXPECT_NEAR(count, 1000, 120);
    game->GetTownNpc(NpcType::Warmaster)->health = 0;
    EXPECT_EQ(game->CountLivingTownNpcs(), 1);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(game->PickLivingTownNpc(), game->GetTownNpc(NpcType::VendorBasic));
    game->GetTownNpc(NpcType::VendorBasic)->health = 0;
    EXPECT_EQ(game->PickLivingTownNpc(), nullptr);
}

TEST_F(GameTown, ANewWorldForgetsTheSlotsAndTheirNpcs)
{
    game->CreateTownNpcs();
    game->Reset();
    EXPECT_EQ(game->GetTownNpcSlotCount(), 0);
    EXPECT_EQ(game->GetTownNpc(NpcType::Warmaster), nullptr);
    EXPECT_EQ(game->CountLivingTownNpcs(), 0);
}

TEST_F(GameTown, TheNamedActorsAreTheTownNpcsSlotForSlot)
{
    game->CreateTownNpcs();
    ASSERT_EQ(game->CountNamedActors(), 3);
    EXPECT_EQ(static_cast<Entity*>(game->GetNamedActor(0)), game->GetTownNpc(NpcType::Warmaster));
    EXPECT_EQ(static_cast<Entity*>(game->GetNamedActor(1)), game->GetTownNpc(NpcType::VendorBasic));
    EXPECT_EQ(game->GetNamedActor(2), nullptr) << "the tutor's empty slot is an empty entry";
    // A slot made again names its new NPC; the list is made anew, never added to.
    Entity* old = game->GetTownNpc(NpcType::Warmaster);
    game->RemoveEntity(old);
    delete old;
    game->CreateTownNpc(0);
    ASSERT_NE(game->GetTownNpc(NpcType::Warmaster), nullptr);
    EXPECT_EQ(static_cast<Entity*>(game->GetNamedActor(0)), game->GetTownNpc(NpcType::Warmaster));
    game->CreateTownNpcs();
    EXPECT_EQ(game->CountNamedActors(), 3);
    EXPECT_EQ(static_cast<Entity*>(game->GetNamedActor(1)), game->GetTownNpc(NpcType::VendorBasic));
}

TEST_F(GameTown, MonstersGoToAnUnusedBlockWrittenBackForTheNextCall)
{
    const GameSystemTuning& tuning = gameData.GetTuning();
    int32_t block = -1;
    Actor* first = game->SpawnMonsterInRandomFreeBlock(0, block, Type("MonsterGrunt"), 8);
    ASSERT_NE(first, nullptr);
    ASSERT_GE(block, 0);
    EXPECT_EQ(first->stats.Get(CharacterStat::Level), 8);
    // The chosen block is written back and used again.
    int32_t again = block;
    Actor* second = game->SpawnMonsterInRandomFreeBlock(0, again, Type("MonsterGrunt"), 8);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(again, block);
    int32_t bx = block % tuning.blocksPerRow;
    int32_t by = block / tuning.blocksPerRow;
    EXPECT_GE(second->position.x, bx * tuning.blockWidth - 4 * 64.0f);
    EXPECT_LE(second->position.y, (by + 1) * tuning.blockHeight + 4 * 64.0f);
    int32_t none = -1;
    EXPECT_EQ(game->SpawnMonsterInRandomFreeBlock(-1, none, Type("MonsterGrunt"), 8), nullptr);
    EXPECT_EQ(game->SpawnMonsterInRandomFreeBlock(9, none, Type("MonsterGrunt"), 8), nullptr);
}
