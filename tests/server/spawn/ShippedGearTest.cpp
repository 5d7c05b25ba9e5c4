// ShippedGearTest -- the shipped gear creatures and skills hand out: the goblin warlord wields the maul it starts with, a warden's tempering reworks the weapon in its hand from its second level on, and its provisioning fills its pack.
#include "server/WorldSaveWorld.h"

#include "core/CommandSystem.h"
#include "entities/Actor.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/ItemGround.h"
#include "entities/Player.h"
#include "rules/CharacterClass.h"
#include "rules/skills/SkillDefinition.h"
#include "rules/skills/SkillTree.h"
#include "server/ServerCommands.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class ShippedGear : public WorldSaveWorld {
protected:
    void SetUp() override
    {
        int32_t firstSecret = -1;
        ASSERT_NO_FATAL_FAILURE(StartShippedWorldWithAPlayer(firstSecret));
        ServerCommands::Register(commands);
    }

    // The player becomes a new warden with points and money for every level of the two skills.
    void MakeWarden()
    {
        player->SetUpNew(gameData.FindCharacterClassIndex("ClassWarden"));
        player->skillList->Rebuild(player, player->GetClass());
        player->stats.Set(CharacterStat::SkillPointsLeft, 50);
        player->stats.Set(CharacterStat::Money, 1000000);
    }

    // "increaseSkill" with the tree and index of the warden's skill of that name.
    bool Raise(const char* skill) { return Request("increaseSkill", skill); }
    bool Lower(const char* skill) { return Request("decreaseSkill", skill); }

    bool Request(const char* command, const char* skill)
    {
        const CharacterClass* warden = player->GetClass();
        for (int32_t tree = 0; warden && tree < kMaxSkillTrees; ++tree)
            if (const SkillTree* skills = warden->GetSkillTree(tree))
                for (size_t index = 0; index < skills->skills.size(); ++index)
                    if (skills->skills[index] && skills->skills[index]->GetEntry()->GetName() == skill)
                        return commands.Execute(
                            std::string(command) + " " + std::to_string(tree) + " " + std::to_string(index), player);
        ADD_FAILURE() << skill << " is in no tree of the warden";
        return false;
    }

    Item* Wield(const char* name, int32_t level)
    {
        auto item = std::make_unique<Item>();
        item->SetEntry(database.FindEntryByName(name));
        item->SetLevel(level);
        Item* raw = item.get();
        std::unique_ptr<ItemBase> owned(item.release());
        EXPECT_TRUE(player->inventory->PlaceItem(owned, InventoryGroupIndex::Equipment, EquipedLocation::HandPrimary,
                                                 kPlaceAnyGroup));
        return raw;
    }

    const ItemBase* Wielded() const
    {
        return player->inventory->GetItem(InventoryGroupIndex::Equipment, EquipedLocation::HandPrimary);
    }

    int32_t CountCarried(const char* name) const
    {
        int32_t count = 0;
        for (int32_t bag = InventoryGroupIndex::Bag1; bag <= InventoryGroupIndex::Bag4; ++bag)
            for (int32_t slot = 0; slot < player->inventory->GetSlotCount(bag); ++slot)
                if (const ItemBase* item = player->inventory->GetItem(bag, slot); item && item->GetEntry()->GetName() == name)
                    count += item->GetStackCount();
        return count;
    }

    CommandSystem commands;
};

} // namespace

TEST_F(ShippedGear, TheGoblinWarlordSpawnsWieldingTheMaulItStartsWith)
{
    const MonsterType* warlord = gameData.FindMonsterType("MonsterGoblinWarlord");
    ASSERT_NE(warlord, nullptr);
    for (int32_t level : {16, 20}) {
        Actor* actor = spawn.PlaceSpawnedMonster(spawn.SpawnMonster(warlord, MonsterRarity::Boss, level, 0, false),
                                                 player->position);
        ASSERT_NE(actor, nullptr) << level;
        const ItemBase* held = actor->inventory->GetItem(InventoryGroupIndex::Equipment, EquipedLocation::HandPrimary);
        ASSERT_NE(held, nullptr) << level;
        EXPECT_EQ(held->GetEntry()->GetName(), "Splitmaul") << level;
        EXPECT_EQ(actor->inventory->CountItems(InventoryGroupIndex::Main), 0) << "the bag row holds bags only";
        // The maul's blow is the warlord's: its damage range holds the maul's.
        EXPECT_GE(actor->GetStat(CharacterStat::MaxDamage), 24) << level;
    }
}

TEST_F(ShippedGear, TemperingReworksTheWieldedWeaponFromItsSecondLevelOn)
{
    MakeWarden();
    Wield("ForgeHammer", 4);
    struct Case {
        int32_t skillLevel;
        int32_t itemLevel;
    };
    for (Case c : {Case{1, 4}, Case{2, 5}, Case{3, 6}}) {
        ASSERT_TRUE(Raise("SkillWardenTempering"));
        ASSERT_NE(Wielded(), nullptr) << c.skillLevel;
        EXPECT_EQ(Wielded()->GetEntry()->GetName(), "ForgeHammer") << c.skillLevel;
        EXPECT_EQ(Wielded()->GetLevel(), c.itemLevel) << c.skillLevel;
    }
    // Past its highest level the request changes nothing.
    ASSERT_TRUE(Raise("SkillWardenTempering"));
    EXPECT_EQ(Wielded()->GetLevel(), 6);
}

TEST_F(ShippedGear, TemperingWithAnEmptyHandMakesNothing)
{
    MakeWarden();
    ASSERT_TRUE(Raise("SkillWardenTempering"));
    ASSERT_TRUE(Raise("SkillWardenTempering"));
    EXPECT_EQ(Wielded(), nullptr);
}

TEST_F(ShippedGear, ProvisioningPacksOneOfTheRoadsStoresFromItsSecondLevelOn)
{
    MakeWarden();
    ASSERT_TRUE(player->inventory->ResizeBag(InventoryGroupIndex::Bag1, 8));
    auto stores = [&] { return CountCarried("HealingDraught") + CountCarried("TravelBread"); };
    int32_t before = stores();
    for (int32_t level : {1, 2, 3}) {
        ASSERT_TRUE(Raise("SkillWardenProvisioning"));
        EXPECT_EQ(stores(), before + (level - 1)) << level;
    }
}

// Mended: lowering a skill and raising it again gave its level's gift each time: ten rounds took
// the hammer from item level 5 to 15 and packed ten stores. A store that finds the pack full lies
// at the warden's feet, and the warden is told.
TEST_F(ShippedGear, ALevelsGiftComesTheFirstTimeTheLevelIsReachedAndAFullPackLeavesItAtTheFeet)
{
    MakeWarden();
    player->SetPosition(game->GetStartPosition(0));
    Wield("ForgeHammer", 4);
    ASSERT_TRUE(player->inventory->ResizeBag(InventoryGroupIndex::Bag1, 8));
    auto stores = [&] { return CountCarried("HealingDraught") + CountCarried("TravelBread"); };
    auto storesOnTheGround = [&] {
        int32_t count = 0;
        for (int32_t number = 0; number < GameServices::kMaxEntities; ++number) {
            const auto* ground = dynamic_cast<const ItemGround*>(game->GetEntity(number));
            const Item* item = ground ? ground->GetItem() : nullptr;
            std::string name = item && item->GetEntry() ? std::string(item->GetEntry()->GetName()) : "";
            if ((name == "HealingDraught" || name == "TravelBread") && ground->position.Distance2D(player->position) < 100.0f)
                ++count;
        }
        return count;
    };
    auto cycle = [&](int32_t rounds) {
        for (int32_t round = 0; round < rounds; ++round)
            for (const char* skill : {"SkillWardenTempering", "SkillWardenProvisioning"}) {
                ASSERT_TRUE(Lower(skill));
                ASSERT_TRUE(Raise(skill));
            }
    };
    int32_t before = stores();
    for (int32_t level = 1; level <= 2; ++level)
        for (const char* skill : {"SkillWardenTempering", "SkillWardenProvisioning"})
            ASSERT_TRUE(Raise(skill));
    cycle(10);
    EXPECT_EQ(Wielded()->GetLevel(), 5) << "one rework, for the second level";
    EXPECT_EQ(stores(), before + 1) << "one store, for the second level";

    // The pack full, with no stack of stores that could take one more: the third level's store
    // lies at the feet.
    for (int32_t bag = InventoryGroupIndex::Bag1; bag <= InventoryGroupIndex::Bag4; ++bag)
        for (int32_t slot = 0; slot < player->inventory->GetSlotCount(bag); ++slot)
            if (const ItemBase* item = player->inventory->GetItem(bag, slot);
                item && (item->GetEntry()->GetName() == "HealingDraught" || item->GetEntry()->GetName() == "TravelBread"))
                player->inventory->DeleteAt(bag, slot);
    for (int32_t bag = InventoryGroupIndex::Bag1; bag <= InventoryGroupIndex::Bag4; ++bag)
        for (int32_t cell = 0; cell < 64; ++cell) {
            std::unique_ptr<ItemBase> filler = std::make_unique<Item>();
            filler->SetEntry(database.FindEntryByName("ForgeHammer"));
            if (!player->inventory->AddItem(filler, bag))
                break;
        }
    game->GetPlayerLines().clear();
    for (const char* skill : {"SkillWardenTempering", "SkillWardenProvisioning"})
        ASSERT_TRUE(Raise(skill));
    cycle(10);
    EXPECT_EQ(Wielded()->GetLevel(), 6);
    EXPECT_EQ(stores(), 0);
    EXPECT_EQ(storesOnTheGround(), 1);
    int32_t told = 0;
    for (const auto& [number, line] : game->GetPlayerLines())
        told += number == player->entityNumber && line.find("$$NoRoomInInventory$$") != std::string::npos ? 1 : 0;
    EXPECT_EQ(told, 1);
}
