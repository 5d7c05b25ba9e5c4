// ShippedFirstFightsTest -- a new warden of the shipped class, as a joining
// client's settings make it, meets each creature of the first level alone at
// that level's monster level on an Average world: it strikes with its basic
// skill and drinks a healing draught below a third of its health, and must win
// nearly every fight with at most one draught. The figures of each kind are
// printed.
#include "server/WorldSaveWorld.h"
#include "support/NewCharacterRecord.h"

#include "core/MessageBuffer.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/JoiningCharacter.h"
#include "entities/Skill.h"
#include "entities/SkillList.h"
#include "rules/monsters/MonsterType.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

constexpr int32_t kFightLevel = 1;
constexpr int32_t kDuels = 160;
constexpr float kStep = 0.05f;
// Two minutes of game time: a fight nobody wins by then is a loss.
constexpr int32_t kMaxSteps = 2400;

struct DuelTally {
  int32_t fights = 0;
  int32_t wins = 0;
  int32_t deaths = 0;
  int32_t winsWithinOneDraught = 0;
  int32_t draughts = 0;
};

class ShippedFirstFights : public WorldSaveWorld {
protected:
  void SetUp() override {
    int32_t firstSecret = -1;
    ASSERT_NO_FATAL_FAILURE(StartShippedWorldWithAPlayer(firstSecret));
    warden = gameData.FindCharacterClassIndex("ClassWarden");
    ASSERT_GE(warden, 0);
    ASSERT_EQ(game->GetDifficulty(), 1) << "an Average world";
  }

  // A new warden read from the settings a joining client sends, standing at the
  // spot.
  Player *JoinWarden(const WorldPos &where) {
    auto *joined = new Player();
    joined->SetPosition(where);
    EXPECT_NE(game->AddEntity(joined), -1);
    MessageBuffer record = NewCharacterRecord(gameData, "Ayla", warden);
    EXPECT_TRUE(ReadJoiningCharacter(*joined, record));
    joined->SetPosition(where);
    return joined;
  }

  // Drinks the first healing draught carried; false without one.
  static bool DrinkDraught(Player &fighter) {
    for (int32_t bag = 0; bag <= InventoryGroupIndex::Bag4; ++bag)
      for (int32_t slot = 0; slot < fighter.inventory->GetSlotCount(bag);
           ++slot)
        if (const ItemBase *item = fighter.inventory->GetItem(bag, slot);
            item &&
            std::string(item->GetEntry()->GetName()) == "HealingDraught") {
          fighter.UseItem(bag, slot);
          return true;
        }
    return false;
  }

  // One creature of the type against a new warden, until one of them falls.
  void Duel(const MonsterType &kind, int32_t index, DuelTally &tally) {
    WorldPos at =
        At(600.0f + 40.0f * static_cast<float>(index % 10),
           600.0f + 200.0f * static_cast<float>(index / 10), kFightLevel);
    Player *fighter = JoinWarden(at);
    WorldPos lair = at;
    lair.x += 60.0f;
    // As the level spawns it: its rarity rolled, its level the level's.
    int32_t rarity = kind.rarity != 0
                         ? kind.rarity
                         : spawn.PickMonsterRarity(0, &kind, kFightLevel);
    int32_t level = SpawnSystem::MonsterLevelOf(
        kind, gWorld->GetLevelMonsterLevel(kFightLevel));
    Actor *foe = spawn.PlaceSpawnedMonster(
        spawn.SpawnMonster(&kind, rarity, level, 0, false), lair);
    ASSERT_NE(foe, nullptr) << kind.name;
    auto *strike = dynamic_cast<Skill *>(
        fighter->skillList->FindSkillByName("SkillWardenStrike"));
    ASSERT_NE(strike, nullptr);
    int32_t drunk = 0;
    int32_t step = 0;
    float nextBlow = 0.0f;
    for (; step < kMaxSteps && fighter->IsAlive() && foe->IsAlive(); ++step) {
      fighter->SetPosition(at);
      if (fighter->GetHealthFraction() < 1.0f / 3.0f && DrinkDraught(*fighter))
        ++drunk;
      // Blows at the pace of the warden's weapon, as a player clicking on the
      // creature lands them.
      float pace =
          static_cast<float>(fighter->GetStat(CharacterStat::AttackSpeed)) /
          1000.0f;
      if (static_cast<float>(step) * kStep >= nextBlow) {
        fighter->UseSkillOn(strike->GetRecordId(), foe);
        nextBlow = static_cast<float>(step) * kStep + pace;
      }
      game->Update(kStep);
    }
    bool won = fighter->IsAlive() && !foe->IsAlive();
    ++tally.fights;
    tally.wins += won ? 1 : 0;
    tally.deaths += fighter->IsAlive() ? 0 : 1;
    tally.winsWithinOneDraught += won && drunk <= 1 ? 1 : 0;
    tally.draughts += drunk;
    game->RemoveEntity(fighter);
    delete fighter;
  }

  int32_t warden = -1;
};

TEST_F(ShippedFirstFights,
       ANewWardenWinsTheFirstLevelsSingleFightsWithAtMostADraught) {
  // The creatures as the first level's area draws them.
  std::map<const MonsterType *, DuelTally> tallies;
  for (int32_t duel = 0; duel < kDuels; ++duel) {
    int32_t worldLevel = 1;
    const MonsterType *kind = gWorld->PickLevelMonster(kFightLevel, worldLevel);
    ASSERT_NE(kind, nullptr);
    ASSERT_NO_FATAL_FAILURE(Duel(*kind, duel, tallies[kind]));
  }
  EXPECT_GE(tallies.size(), 2u)
      << "the first level holds more than one kind of creature";
  for (const auto &[kind, tally] : tallies) {
    std::printf("%s: %d fights, %d wins, %d deaths, %d wins within a draught, "
                "%d draughts\n",
                kind->name.c_str(), tally.fights, tally.wins, tally.deaths,
                tally.winsWithinOneDraught, tally.draughts);
    EXPECT_GE(tally.winsWithinOneDraught * 10, tally.fights * 9) << kind->name;
  }
}

} // namespace
