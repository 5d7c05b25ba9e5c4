// StashBagsTest -- an open stash hands out the player's own storage bags or its covenant's, only for the opened-container bag numbers.
#include "entities/EntityWorld.h"
#include "entities/NeutralCovenant.h"
#include "entities/Sentient.h"
#include "entities/Stash.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Hands out bags of its own and notes the numbers asked for.
class StorageCovenant : public NeutralCovenant {
public:
    InventoryBag* GetStorageBag(int32_t number) const override
    {
        asked.push_back(number);
        return bag;
    }
    InventoryBag* bag = nullptr;
    mutable std::vector<int32_t> asked;
};

class StashBags : public EntityWorld {
protected:
    void SetUp() override
    {
        LoadRecords("ObjectPlayerStash\n{\n    Type Object\n    PlayerStash 1\n}\n"
                    "ObjectCovenantStash\n{\n    Type Object\n}\n");
        player = Spawn<Sentient>(100, 100);
        playerStash = Spawn<Stash>(120, 100);
        playerStash->SetEntry(database.FindEntryByName("ObjectPlayerStash"));
        covenantStash = Spawn<Stash>(140, 100);
        covenantStash->SetEntry(database.FindEntryByName("ObjectCovenantStash"));
    }

    Sentient* player = nullptr;
    Stash* playerStash = nullptr;
    Stash* covenantStash = nullptr;
};

} // namespace

TEST_F(StashBags, TheRecordSaysWhoseBagsItOpens)
{
    EXPECT_TRUE(playerStash->IsPlayerStash());
    EXPECT_FALSE(covenantStash->IsPlayerStash());
    EXPECT_FALSE(playerStash->IsInanimate());
}

TEST_F(StashBags, APlayerStashOpensThePlayersOwnStorageBags)
{
    ASSERT_NE(player->GetBag(InventoryGroupIndex::Stash), nullptr);
    EXPECT_EQ(playerStash->GetStashBag(player, InventoryGroupIndex::Loot), player->GetBag(InventoryGroupIndex::Stash));
    for (int32_t k = 0; k < 8; ++k)
        EXPECT_EQ(playerStash->GetStashBag(player, InventoryGroupIndex::LootBag1 + k),
                  player->GetBag(InventoryGroupIndex::StashBag1 + k))
            << k;
    EXPECT_EQ(playerStash->GetStashBag(player, 23), player->GetBag(14));
}

TEST_F(StashBags, NumbersOutsideTheOpenedContainerGiveNothing)
{
    for (int32_t bag : {-1, 0, 6, 14, 24, 26, 1000, -2147483647 - 1})
        EXPECT_EQ(playerStash->GetStashBag(player, bag), nullptr) << bag;
    EXPECT_EQ(playerStash->GetStashBag(nullptr, InventoryGroupIndex::Loot), nullptr);
}

TEST_F(StashBags, ACovenantStashAsksThePlayersCovenantForTheTranslatedBag)
{
    for (int32_t bag = -1; bag < 30; ++bag)
        EXPECT_EQ(covenantStash->GetStashBag(player, bag), nullptr) << "no covenant, bag " << bag;
    StorageCovenant covenant;
    covenant.bag = player->GetBag(InventoryGroupIndex::Bag1);
    game.covenants.push_back(&covenant);
    player->covenantIndex = 0;
    EXPECT_EQ(covenantStash->GetStashBag(player, InventoryGroupIndex::Loot), covenant.bag);
    EXPECT_EQ(covenantStash->GetStashBag(player, InventoryGroupIndex::LootBag8), covenant.bag);
    EXPECT_EQ(covenantStash->GetStashBag(player, InventoryGroupIndex::Bag1), nullptr);
    EXPECT_EQ(covenant.asked, (std::vector<int32_t>{InventoryGroupIndex::Stash, InventoryGroupIndex::StashBag8}));
    player->covenantIndex = -1;
    game.covenants.clear();
}
