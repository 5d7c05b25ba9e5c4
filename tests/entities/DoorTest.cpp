// DoorTest -- doors: opening and closing without animations, a blocked doorway, the two halves of a double-wide door and a refused second half, locks, key names and trigger names, secret and illusion doors, traps, breaking either half, and the saved state word.
#include "core/MessageBuffer.h"
#include "entities/CombatSystem.h"
#include "entities/Door.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/LevelObjectWorld.h"
#include "entities/Trap.h"
#include "rules/items/InventoryBase.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr const char* kDoorRecords = R"(
GameSystem
{
    GridSize 32
    TileSize 64
    InventorySize 10
    DirectDamagePercentPhysical 1
}
DoorSingle
{
    Type Object
    ObjectType Door
    Radius 32
}
DoorDouble
{
    Type Object
    Base DoorSingle
    DoubleWide 1
}
DoorLocked
{
    Type Object
    Base DoorSingle
    RequiresKey "Crypt"
}
DoorSecret
{
    Type Object
    Base DoorSingle
    Secret 1
}
DoorIllusion
{
    Type Object
    Base DoorDouble
    Illusion 1
    Secret 1
    FadeTime 1
}
DoorBreakable
{
    Type Object
    Base DoorDouble
    CanAttack 1
    MinHealth 10
    MaxHealth 20
}
DoorTrapped
{
    Type Object
    Base DoorDouble
    TrapChance 1
}
TrapSure
{
    Type Trap
    TriggerChance 1
}
CryptKey
{
    Type Item
    ItemType Other
    KeyName "CRYPT"
}
)";

class Doors : public LevelObjectWorld {
protected:
    void SetUp() override { LoadWorld(kDoorRecords); }

    Door* MakeDoor(const char* record = "DoorSingle", int32_t facing = 4, float x = 1000.0f, float y = 1000.0f,
                   int32_t level = 0)
    {
        auto* door = new Door();
        door->SetEntry(database.FindEntryByName(record));
        door->facing = facing;
        door->SetPosition(At(x, y, level));
        EXPECT_NE(game.AddEntity(door), -1);
        door->OnPlaced();
        return door;
    }

    // One step of the door (and its second half): the move completes without animations.
    static void Settle(Door& door)
    {
        door.Update(0.05f);
        if (Door* half = door.GetPartner())
            half->Update(0.05f);
    }

    static bool BothSolid(const Door& door, bool solid)
    {
        const Door* half = door.GetPartner();
        return door.alwaysBlocks == solid && (!half || half->alwaysBlocks == solid);
    }

    static std::string SavedState(const Door& door)
    {
        MessageBuffer buffer;
        door.WriteSaved(buffer);
        return std::to_string(buffer.ReadInt()) + (buffer.Size() == 4 ? "" : "+");
    }
};

} // namespace

// ---- Opening and closing ----------------------------------------------------------------------------

TEST_F(Doors, ADoorWithoutAnimationsStillOpensAndClosesInOneStep)
{
    Door* door = MakeDoor();
    Player* player = MakePlayer(1000.0f, 1100.0f);
    EXPECT_TRUE(door->alwaysBlocks) << "a new door blocks";
    door->Use(player);
    EXPECT_EQ(door->GetState(), DoorState::Opening);
    EXPECT_TRUE(door->alwaysBlocks) << "solid while opening";
    door->Use(player);
    EXPECT_EQ(door->GetState(), DoorState::Opening) << "a moving door ignores use";
    Settle(*door);
    EXPECT_EQ(door->GetState(), DoorState::Open);
    EXPECT_FALSE(door->alwaysBlocks);
    door->Use(player);
    EXPECT_EQ(door->GetState(), DoorState::Closing);
    EXPECT_TRUE(door->alwaysBlocks);
    Settle(*door);
    EXPECT_EQ(door->GetState(), DoorState::Closed);
    EXPECT_TRUE(door->alwaysBlocks);
}

TEST_F(Doors, ADoorDoesNotCloseOnACreatureInItsDoorway)
{
    Door* door = MakeDoor("DoorDouble");
    Player* player = MakePlayer(1000.0f, 1100.0f);
    door->Use(player);
    Settle(*door);
    ASSERT_EQ(door->GetState(), DoorState::Open);
    auto* lurker = new Sentient();
    lurker->radius = 10.0f;
    lurker->SetPosition(door->GetPartner()->position);
    ASSERT_NE(game.AddEntity(lurker), -1);
    door->Use(player);
    EXPECT_EQ(door->GetState(), DoorState::Open) << "someone in the second half's doorway";
    lurker->SetPosition(At(1000.0f, 1010.0f));
    door->Use(player);
    EXPECT_EQ(door->GetState(), DoorState::Open) << "someone in the first half's doorway";
    lurker->SetPosition(At(1000.0f, 1300.0f));
    door->Use(player);
    EXPECT_EQ(door->GetState(), DoorState::Closing);
    EXPECT_TRUE(BothSolid(*door, true));
}

TEST_F(Doors, AWallInTheDoorwayAlsoKeepsItOpen)
{
    Door* door = MakeDoor();
    door->Use(nullptr);
    Settle(*door);
    game.cellBlocked = [](const WorldPos& spot) { return spot.x == 1000.0f && spot.y == 1000.0f; };
    door->Use(nullptr);
    EXPECT_EQ(door->GetState(), DoorState::Open);
}

// A door fills a gap between walls: the walls lie within its radius on both sides, and a body
// test of the level there would never let it shut once it was open.
TEST_F(Doors, TheWallsADoorIsBuiltIntoDoNotKeepItOpen)
{
    Door* door = MakeDoor("DoorDouble");
    door->Use(nullptr);
    Settle(*door);
    ASSERT_EQ(door->GetState(), DoorState::Open);
    game.bodyBlocked = [](const WorldPos&) { return true; };
    // The walls beside the doorway, one tile to either side of the two halves.
    game.cellBlocked = [](const WorldPos& spot) { return spot.x < 990.0f || spot.x > 1074.0f; };
    door->Use(nullptr);
    EXPECT_EQ(door->GetState(), DoorState::Closing);
    Settle(*door);
    EXPECT_EQ(door->GetState(), DoorState::Closed);
    EXPECT_TRUE(BothSolid(*door, true));
    // A wall under the second half is in the doorway.
    door->Use(nullptr);
    Settle(*door);
    game.cellBlocked = [](const WorldPos& spot) { return spot.x > 1050.0f; };
    door->Use(nullptr);
    EXPECT_EQ(door->GetState(), DoorState::Open);
}

// ---- Double-wide doors -------------------------------------------------------------------------------

TEST_F(Doors, TheSecondHalfStandsOneTileOverAcrossTheFacing)
{
    Door* southward = MakeDoor("DoorDouble", 4);
    Door* half = southward->GetPartner();
    ASSERT_NE(half, nullptr);
    EXPECT_FALSE(half->IsPrimary());
    EXPECT_EQ(half->GetPartner(), southward);
    EXPECT_FLOAT_EQ(half->position.x, 1064.0f);
    EXPECT_FLOAT_EQ(half->position.y, 1000.0f);
    EXPECT_TRUE(half->flags & EntityFlag::HideModel);
    EXPECT_EQ(southward->parentNumber, half->entityNumber);
    EXPECT_EQ(southward->parentTag, -1);
    // The game update names an entity by its record: a half without one would reach no client.
    MessageBuffer header;
    half->WriteNetHeader(header);
    EXPECT_EQ(header.ReadInt(), half->entityNumber);
    EXPECT_EQ(header.ReadInt(), southward->GetEntry()->GetId());
    Door* westward = MakeDoor("DoorDouble", 6, 2000.0f, 2000.0f);
    EXPECT_FLOAT_EQ(westward->GetPartner()->position.x, 2000.0f);
    EXPECT_FLOAT_EQ(westward->GetPartner()->position.y, 2064.0f);
    Door* single = MakeDoor();
    EXPECT_EQ(single->GetPartner(), nullptr);
}

TEST_F(Doors, TheSecondHalfCarriesAcrossTheLevelEdge)
{
    Door* door = MakeDoor("DoorDouble", 0, 4090.0f, 1000.0f);
    Door* half = door->GetPartner();
    ASSERT_NE(half, nullptr);
    EXPECT_EQ(half->position.level, 1);
    EXPECT_FLOAT_EQ(half->position.x, 58.0f);
}

TEST_F(Doors, UsingEitherHalfWorksTheFirst)
{
    Door* door = MakeDoor("DoorDouble");
    Door* half = door->GetPartner();
    half->Use(nullptr);
    EXPECT_EQ(door->GetState(), DoorState::Opening);
    Settle(*door);
    EXPECT_TRUE(BothSolid(*door, false));
    half->Use(nullptr);
    EXPECT_EQ(door->GetState(), DoorState::Closing);
    EXPECT_TRUE(BothSolid(*door, true));
}

TEST_F(Doors, ASecondHalfTheTableRefusesLeavesASingleDoorAndNoLeak)
{
    auto* door = new Door();
    door->Load(database.FindEntryByName("DoorDouble"));
    door->SetPosition(At(1000.0f, 1000.0f));
    ASSERT_NE(game.AddEntity(door), -1);
    while (true) {
        auto* filler = new Entity();
        if (game.AddEntity(filler) == -1) {
            delete filler;
            break;
        }
    }
    door->OnPlaced();
    EXPECT_EQ(door->GetPartner(), nullptr);
    EXPECT_EQ(door->parentNumber, -1);
    door->Use(nullptr);
    Settle(*door);
    EXPECT_EQ(door->GetState(), DoorState::Open);
}

// ---- Locks and names ----------------------------------------------------------------------------------

TEST_F(Doors, ALockedDoorNeedsTheKeyNamedCaseBlind)
{
    Door* door = MakeDoor("DoorLocked");
    Player* player = MakePlayer(1000.0f, 1100.0f);
    door->Use(player);
    door->Use(nullptr);
    EXPECT_EQ(door->GetState(), DoorState::Closed);
    EXPECT_TRUE(HasLine("msg 2 \"$$RequiresKeyXDoor~<$$CryptSimple$$@@>~$$\""));
    ASSERT_FALSE(game.worldEvents.empty());
    EXPECT_EQ(game.worldEvents.back().name, Door::kLockedSound);
    auto key = std::make_unique<Item>();
    key->SetEntry(database.FindEntryByName("CryptKey"));
    key->SetStackCount(1);
    std::unique_ptr<ItemBase> owned(key.release());
    ASSERT_TRUE(player->inventory->PlaceItem(owned, 0, 0, kPlaceAnyGroup));
    door->Use(player);
    EXPECT_EQ(door->GetState(), DoorState::Opening);
}

TEST_F(Doors, ATriggerOfTheKeysNameWorksTheDoorWithoutAKey)
{
    Door* door = MakeDoor("DoorLocked");
    door->OnNamedSignal(nullptr, "cellar");
    EXPECT_EQ(door->GetState(), DoorState::Closed);
    door->OnNamedSignal(nullptr, "cRYPT");
    EXPECT_EQ(door->GetState(), DoorState::Opening);
    Door* plain = MakeDoor("DoorSingle", 4, 2000.0f, 2000.0f);
    plain->OnNamedSignal(nullptr, "");
    EXPECT_EQ(plain->GetState(), DoorState::Closed) << "a door without a key name hears no trigger";
}

// ---- Secret and illusion doors ---------------------------------------------------------------------

TEST_F(Doors, OpeningASecretDoorFindsASecretForItsUser)
{
    Door* door = MakeDoor("DoorSecret");
    door->Use(nullptr);
    EXPECT_EQ(CountNotices("secret "), 0) << "nobody found it";
    Door* second = MakeDoor("DoorSecret", 4, 2000.0f, 2000.0f);
    Player* player = MakePlayer(2000.0f, 2100.0f);
    second->Use(player);
    EXPECT_TRUE(HasNotice("secret " + std::to_string(player->entityNumber) + " 0"));
    EXPECT_FALSE(second->IsFree()) << "a secret door once opened leaves the save";
    // Closed and opened again, by the finder or another: found once.
    Player* other = MakePlayer(2000.0f, 2150.0f);
    for (Player* opener : {player, other}) {
        Settle(*second);
        second->Use(opener);
        Settle(*second);
        ASSERT_EQ(second->GetState(), DoorState::Closed);
        EXPECT_TRUE(second->IsFree()) << "closed again, it is saved again";
        second->Use(opener);
    }
    EXPECT_EQ(CountNotices("secret "), 1);
}

TEST_F(Doors, AFoundSecretDoorStaysFoundThroughTheSave)
{
    Door* door = MakeDoor("DoorSecret");
    Player* player = MakePlayer(1000.0f, 1100.0f);
    door->Use(player);
    Settle(*door);
    door->Use(player);
    Settle(*door);
    ASSERT_TRUE(door->IsFree());
    EXPECT_EQ(SavedState(*door), std::to_string(Door::kFoundFlag));
    MessageBuffer buffer;
    door->WriteSaved(buffer);
    Door* restored = MakeDoor("DoorSecret", 4, 2000.0f, 2000.0f);
    ASSERT_TRUE(restored->ReadSaved(buffer, 0));
    EXPECT_TRUE(restored->IsFound());
    restored->Use(player);
    EXPECT_EQ(CountNotices("secret "), 1) << "the restored door pays nothing again";
    // A word of the state alone, as older saves hold it, is a door not yet found; an open one
    // found stays open.
    for (int32_t saved : {int32_t{DoorState::Closed}, DoorState::Open | Door::kFoundFlag}) {
        Door* door2 = MakeDoor("DoorSecret", 4, 3000.0f + static_cast<float>(saved % 7) * 100.0f, 3000.0f);
        MessageBuffer word;
        word.WriteInt(saved);
        ASSERT_TRUE(door2->ReadSaved(word, 0));
        EXPECT_EQ(door2->IsFound(), saved != DoorState::Closed);
        EXPECT_EQ(door2->GetState(), saved & 3);
    }
}

TEST_F(Doors, AnIllusionVanishesWithBothHalves)
{
    Door* door = MakeDoor("DoorIllusion");
    int32_t first = door->entityNumber;
    int32_t second = door->GetPartner()->entityNumber;
    Player* player = MakePlayer(1000.0f, 1100.0f);
    door->Use(player);
    EXPECT_TRUE(HasLine("msg 2 \"$$FoundSecretIllusion$$\""));
    EXPECT_FALSE(door->alwaysBlocks);
    EXPECT_EQ(door->GetPartner(), nullptr);
    game.Step();
    EXPECT_EQ(game.GetEntity(second), nullptr) << "the second half goes at once";
    EXPECT_NE(game.GetEntity(first), nullptr) << "the first fades";
    game.StepFor(1.1f);
    EXPECT_EQ(game.GetEntity(first), nullptr);
}

TEST_F(Doors, AnIllusionThatIsNoSecretSaysSo)
{
    Door* door = MakeDoor("DoorIllusion");
    door->secret = false;
    door->Use(nullptr);
    EXPECT_TRUE(HasLine("msg 2 \"$$FoundIllusion$$\""));
    EXPECT_EQ(CountNotices("secret "), 0);
}

// ---- Traps -----------------------------------------------------------------------------------------------

TEST_F(Doors, OnlyTheFirstHalfOfADoorOnATrappedLevelGetsATrap)
{
    game.trapRecord = database.FindEntryByName("TrapSure");
    Door* door = MakeDoor("DoorTrapped");
    ASSERT_NE(door->GetTrap(), nullptr);
    EXPECT_EQ(door->GetPartner()->GetTrap(), nullptr);
    EXPECT_EQ(game.trapLevels, (std::vector<int32_t>{10})) << "the monster level of level 0";
    Door* safe = MakeDoor("DoorTrapped", 4, 1000.0f, 1000.0f, 1);
    EXPECT_EQ(safe->GetTrap(), nullptr) << "an area without traps";
    Door* plain = MakeDoor("DoorDouble", 4, 2000.0f, 2000.0f);
    EXPECT_EQ(plain->GetTrap(), nullptr);
}

TEST_F(Doors, TheTrapGetsItsChanceWhenTheDoorStartsOpening)
{
    game.trapRecord = database.FindEntryByName("TrapSure");
    Door* door = MakeDoor("DoorTrapped");
    Player* player = MakePlayer(1000.0f, 1100.0f);
    int32_t trigger = events.FindEvent(Trap::kTriggerEvent);
    EXPECT_EQ(game.FindTimedAction(trigger, door->GetTrap()), nullptr);
    door->Use(player);
    EXPECT_EQ(door->GetTrap()->GetVictim(), player);
    EXPECT_NE(game.FindTimedAction(trigger, door->GetTrap()), nullptr);
    // Without an opening animation the delay is half a second, of which the trap takes a share.
    game.StepFor(0.55f);
    EXPECT_EQ(game.FindTimedAction(trigger, door->GetTrap()), nullptr);
}

// ---- Breaking ---------------------------------------------------------------------------------------------

TEST_F(Doors, BeatingEitherHalfBreaksTheDoorOpen)
{
    Door* door = MakeDoor("DoorBreakable");
    Door* half = door->GetPartner();
    EXPECT_GE(door->maxHealth, 10);
    EXPECT_LE(door->maxHealth, 20);
    EXPECT_GE(half->maxHealth, 10);
    half->OnAttackedBy(nullptr);
    EXPECT_FALSE(door->IsBroken());
    half->health = 0;
    half->OnAttackedBy(nullptr);
    EXPECT_TRUE(door->IsBroken());
    EXPECT_EQ(door->GetState(), DoorState::Opening);
    EXPECT_EQ(door->health, 0);
    EXPECT_EQ(half->health, 0);
    EXPECT_FALSE(door->IsFree()) << "a broken door leaves the save";
    door->OnAttackedBy(nullptr);
    EXPECT_EQ(door->GetState(), DoorState::Opening) << "broken once";
}

TEST_F(Doors, BreakingAnOpenDoorLeavesItOpenAndIsNoKill)
{
    Door* door = MakeDoor("DoorBreakable");
    Player* player = MakePlayer(1000.0f, 1100.0f);
    door->Use(player);
    Settle(*door);
    ASSERT_EQ(door->GetState(), DoorState::Open);
    StatPairList blow;
    blow.Add(DamageType::Physical, 1000.0f, 1000.0f);
    EXPECT_GT(DealDamage(player, door, blow, false, false), 0);
    EXPECT_TRUE(door->IsBroken());
    EXPECT_EQ(door->GetState(), DoorState::Open) << "broken means open, not closing";
    EXPECT_FALSE(door->alwaysBlocks);
    EXPECT_EQ(CountNotices("credit "), 0);
    EXPECT_EQ(CountNotices("died "), 1);
    EXPECT_EQ(player->GetStat(CharacterStat::Xp), 0);
    // A closed one swings open as it breaks.
    Door* closed = MakeDoor("DoorBreakable", 4, 2000.0f, 2000.0f);
    EXPECT_GT(DealDamage(player, closed->GetPartner(), blow, false, false), 0);
    EXPECT_TRUE(closed->IsBroken());
    EXPECT_EQ(closed->GetState(), DoorState::Opening);
}

TEST_F(Doors, ADoorWithoutHealthCannotBeBroken)
{
    Door* door = MakeDoor();
    door->health = 0;
    door->OnAttackedBy(nullptr);
    EXPECT_FALSE(door->IsBroken());
    EXPECT_EQ(door->GetState(), DoorState::Closed);
}

// ---- The saved state ------------------------------------------------------------------------------------

TEST_F(Doors, TheSavedStateIsOneWordAndOnlyOpenIsNotSolid)
{
    for (int32_t saved : {0, 1, 2, 3, 7, -1, 4 | Door::kFoundFlag, 0x20000}) {
        Door* door = MakeDoor("DoorDouble", 4, 500.0f + 100.0f * static_cast<float>(saved + 1), 500.0f);
        MessageBuffer buffer;
        buffer.WriteInt(saved);
        ASSERT_TRUE(door->ReadSaved(buffer, 0)) << saved;
        int32_t expected = saved >= 0 && saved <= 3 ? saved : DoorState::Closed;
        EXPECT_EQ(door->GetState(), expected) << saved;
        EXPECT_TRUE(BothSolid(*door, expected != DoorState::Open)) << saved;
        EXPECT_FALSE(door->IsFound()) << "a word with other bits is no found door";
        EXPECT_EQ(SavedState(*door), std::to_string(expected));
    }
}

TEST_F(Doors, ACutStateChangesNothing)
{
    Door* door = MakeDoor();
    door->Use(nullptr);
    Settle(*door);
    for (size_t cut = 0; cut < 4; ++cut) {
        MessageBuffer whole;
        whole.WriteInt(DoorState::Closed);
        MessageBuffer part;
        part.WriteBytes(whole.Data(), cut);
        EXPECT_FALSE(door->ReadSaved(part, 0)) << cut;
        EXPECT_EQ(door->GetState(), DoorState::Open) << cut;
        EXPECT_FALSE(door->alwaysBlocks) << cut;
    }
}

TEST_F(Doors, WhichDoorsTheWorldSaveKeeps)
{
    Door* plain = MakeDoor("DoorDouble");
    EXPECT_TRUE(plain->IsFree());
    EXPECT_FALSE(plain->GetPartner()->IsFree()) << "the first half brings the second";
    plain->Use(nullptr);
    EXPECT_TRUE(plain->IsFree()) << "an ordinary door is kept open or closed";
    Door* secret = MakeDoor("DoorSecret", 4, 2000.0f, 2000.0f);
    EXPECT_TRUE(secret->IsFree());
    secret->Use(nullptr);
    EXPECT_FALSE(secret->IsFree());
}

TEST_F(Doors, TheLevelStatIsTheMonsterLevelOfTheDoorsLevel)
{
    Door* door = MakeDoor("DoorSingle", 4, 1000.0f, 1000.0f, 3);
    EXPECT_EQ(door->GetStat(Door::kLevelStat), 40);
    EXPECT_EQ(door->GetStat(9), 0);
    Door outside;
    EXPECT_EQ(outside.GetStat(Door::kLevelStat), 1);
}
