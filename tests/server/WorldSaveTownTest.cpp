// WorldSaveTownTest -- the shipped town's people in the world save: levels, health and the traders' stock and buy-back back as saved, a slot that does not read left new alone; the levels' used blocks; and an older file's covenant houses left out.
#include "server/WorldSaveWorld.h"

#include "core/DatabaseEntry.h"
#include "core/NameGenerator.h"
#include "covenants/ActorCovenant.h"
#include "covenants/PlayerCovenant.h"
#include "entities/Gate.h"
#include "entities/Vendor.h"
#include "support/LogLines.h"
#include "support/ShippedGame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int32_t kTownRivals = 3;
constexpr int32_t kTownStartingLevel = 6;
constexpr int32_t kTownLevel = 7;
constexpr const char* kTownSoldItem = "CinderBlade";

bool TownEndsWith(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

class WorldSaveTown : public WorldSaveWorld {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(LoadShippedRecords());
        gNameGenerator = &names;
        RemakeGameWithRivals();
        StartSpawnSystem();
        // Each model names the record its model file's "ObjectType" line names.
        spawn.GetLevelFiller().SetModelObjectTypeLookup([](std::string_view model) {
            for (const auto& [file, record] : {std::pair{"/lifestone.mdl", "Prop"}, std::pair{"/pedestal.mdl", "Prop"},
                                               std::pair{"/gate.mdl", "Gate"}, std::pair{"/torch.mdl", "Torch"}})
                if (TownEndsWith(model, file))
                    return std::string(record);
            return std::string();
        });
        host->SetUpServer(false, kTownStartingLevel, 1, 1, kTownRivals, "Ada");
        player = new Player();
        ASSERT_NE(game->AddEntity(player), -1);
        ASSERT_GT(game->GetTownNpcSlotCount(), 1) << "the shipped town has its people";
    }

    void TearDown() override { gNameGenerator = nullptr; }

    Game::WorldLoadResult LoadBytes(const std::string& bytes)
    {
        return LoadBytesWithRivals(bytes, kTownStartingLevel, kTownRivals);
    }

    Vendor* Trader() const { return dynamic_cast<Vendor*>(game->GetTownNpc(NpcType::VendorBasic)); }

    // Each town slot's NPC as the player meets it: its level, health, and a trader's stock.
    std::vector<std::string> TownFacts() const
    {
        std::vector<std::string> facts;
        for (int32_t slot = 0; slot < game->GetTownNpcSlotCount(); ++slot) {
            std::ostringstream line;
            const auto* npc = dynamic_cast<const Sentient*>(game->GetTownNpc(game->GetTownNpcType(slot)));
            line << slot;
            if (auto* actor = dynamic_cast<Actor*>(game->GetTownNpc(game->GetTownNpcType(slot))))
                line << " " << actor->GetName();
            if (npc)
                line << " level " << npc->stats.Get(CharacterStat::Level) << " health " << npc->health << "/"
                     << npc->maxHealth;
            if (const auto* vendor = dynamic_cast<const Vendor*>(npc)) {
                line << " stock level " << vendor->GetStockLevel();
                for (int32_t cell = 0; cell < Vendor::kStockSize; ++cell)
                    if (const Item* item = vendor->GetStockItem(cell))
                        line << " " << cell << ":" << item->GetEntry()->GetName() << "x" << item->GetStackCount() << "%"
                             << vendor->GetGambleChance(cell);
            }
            facts.push_back(line.str());
        }
        return facts;
    }

    // The trader met, a blade sold to it for its buy-back cells, everyone risen and one hurt.
    void ChangeTown()
    {
        Vendor* trader = Trader();
        ASSERT_NE(trader, nullptr);
        trader->MeetCustomer(player);
        auto blade = std::make_unique<Item>();
        blade->SetEntry(database.FindEntryByName(kTownSoldItem));
        trader->AcceptSoldItem(std::move(blade), 0);
        ASSERT_NE(trader->GetStockItem(Vendor::kStockSize - 1), nullptr);
        ASSERT_EQ(trader->GetStockItem(Vendor::kStockSize - 1)->GetEntry()->GetName(), kTownSoldItem);
        game->LevelTownNpcs(kTownLevel);
        trader->health = trader->maxHealth / 2;
    }

    // Where the slot's record begins in the file: its type name after the presence word 1.
    size_t TownSlotRecord(const std::string& bytes, int32_t slot) const
    {
        std::string name = std::string(GetNameByIndex(game->GetTownNpcType(slot))) + '\0';
        size_t at = bytes.find(std::string("\x01\0\0\0", 4) + name);
        EXPECT_NE(at, std::string::npos) << name;
        return at;
    }

    int32_t CountModels(std::string_view file) const
    {
        int32_t count = 0;
        for (int32_t number = 0; number < Game::kMaxEntities; ++number)
            if (const Entity* entity = game->GetEntity(number); entity && TownEndsWith(entity->modelName, file))
                ++count;
        return count;
    }

    NameGenerator names;
};

std::string WithWord(std::string bytes, size_t at, uint32_t word)
{
    std::memcpy(bytes.data() + at, &word, 4);
    return bytes;
}

} // namespace

TEST_F(WorldSaveTown, TheTownsPeopleComeBackAsSavedWithTheTradersStockAndBuyBack)
{
    ChangeTown();
    std::vector<std::string> saved = TownFacts();
    ASSERT_TRUE(game->SaveWorld("Ada"));
    std::string bytes = SavedBytes();

    ASSERT_EQ(LoadBytes(bytes), Game::WorldLoadResult::Loaded);
    EXPECT_EQ(TownFacts(), saved);
    ASSERT_NE(Trader(), nullptr);
    ASSERT_NE(Trader()->GetStockItem(Vendor::kStockSize - 1), nullptr) << "the sold blade waits to be bought back";
    EXPECT_EQ(Trader()->GetStockItem(Vendor::kStockSize - 1)->GetEntry()->GetName(), kTownSoldItem);
    EXPECT_EQ(CountLinesHolding(debug, "World save"), 0);
    int32_t vendors = 0;
    for (int32_t number = 0; number < Game::kMaxEntities; ++number)
        vendors += dynamic_cast<const Vendor*>(game->GetEntity(number)) ? 1 : 0;
    int32_t townVendors = 0;
    for (int32_t slot = 0; slot < game->GetTownNpcSlotCount(); ++slot)
        townVendors += dynamic_cast<const Vendor*>(game->GetTownNpc(game->GetTownNpcType(slot))) ? 1 : 0;
    EXPECT_EQ(vendors, townVendors) << "each trader once: none read back as an entity record";

    // A player met in the resumed world finds the stock as it stood, not drawn again.
    player = new Player();
    ASSERT_NE(game->AddEntity(player), -1);
    Trader()->MeetCustomer(player);
    EXPECT_EQ(TownFacts(), saved);
}

TEST_F(WorldSaveTown, NoTwoOfATownsPeopleShareANameInAnyNewWorld)
{
    for (uint32_t world = 0; world < 40; ++world) {
        gRandomSystem->SetState(RandomStream::GameData, 7919u * world + 1u);
        game->CreateTownNpcs();
        std::set<std::string> seen;
        for (int32_t slot = 0; slot < game->GetTownNpcSlotCount(); ++slot) {
            auto* npc = dynamic_cast<Actor*>(game->GetTownNpc(game->GetTownNpcType(slot)));
            ASSERT_NE(npc, nullptr);
            ASSERT_FALSE(npc->GetName().empty());
            EXPECT_TRUE(seen.insert(npc->GetName()).second) << npc->GetName() << " twice in world " << world;
        }
    }
}

TEST_F(WorldSaveTown, ATownSlotThatDoesNotReadLeavesThatNpcNewAndTheRestAsSaved)
{
    ChangeTown();
    std::vector<std::string> saved = TownFacts();
    ASSERT_TRUE(game->SaveWorld("Ada"));
    std::string bytes = SavedBytes();
    int32_t traderSlot = game->FindTownNpcSlot(NpcType::VendorBasic);
    ASSERT_GE(traderSlot, 0);
    size_t record = TownSlotRecord(bytes, traderSlot);
    size_t name = record + 4;
    size_t length = name + std::string(GetNameByIndex(NpcType::VendorBasic)).size() + 1;
    size_t level = length + 4;
    std::string renamed = bytes;
    renamed[name] = renamed[name] == 'Q' ? 'R' : 'Q';
    struct Broken {
        const char* what;
        std::string file;
    };
    std::vector<Broken> broken = {
        {"another type's name", renamed},
        {"level 0", WithWord(bytes, level, 0)},
        {"level 101", WithWord(bytes, level, 101)},
        {"level -1", WithWord(bytes, level, 0xFFFFFFFFu)},
        // After the level, health and power: the stock level, then the stock's bag count.
        {"stock level -2", WithWord(bytes, level + 12, 0xFFFFFFFEu)},
        {"bag count -1", WithWord(bytes, level + 16, 0xFFFFFFFFu)},
        {"bag count 2^31", WithWord(bytes, level + 16, 0x80000000u)},
    };
    std::string logged = "of slot " + std::to_string(traderSlot) + " at byte";
    for (const Broken& fault : broken) {
        int said = CountLinesHolding(debug, logged);
        ASSERT_EQ(LoadBytes(fault.file), Game::WorldLoadResult::Loaded) << fault.what;
        EXPECT_EQ(CountLinesHolding(debug, logged), said + 1) << fault.what;
        std::vector<std::string> facts = TownFacts();
        ASSERT_EQ(facts.size(), saved.size());
        ASSERT_NE(Trader(), nullptr) << fault.what;
        EXPECT_EQ(Trader()->GetStockLevel(), -1) << fault.what << ": its stock is drawn when a player meets it";
        for (size_t other = 0; other < saved.size(); ++other) {
            if (static_cast<int32_t>(other) == traderSlot)
                continue;
            EXPECT_EQ(facts[other], saved[other]) << fault.what << ": slot " << other << " reads as saved";
        }
    }

    // Counts and lengths that leave the file out of step refuse it, as any cut before the
    // entity records does.
    for (const auto& [what, file] : std::vector<std::pair<const char*, std::string>>{
             {"length past the end", WithWord(bytes, length, 0xFFFFFFF0u)},
             {"slot count -1", WithWord(bytes, TownSlotRecord(bytes, 0) - 4, 0xFFFFFFFFu)},
             {"slot count 2^31", WithWord(bytes, TownSlotRecord(bytes, 0) - 4, 0x80000000u)},
             {"cut in the state", bytes.substr(0, level + 20)}}) {
        EXPECT_EQ(LoadBytes(file), Game::WorldLoadResult::Refused) << what;
        EXPECT_EQ(game->GetTownNpcSlotCount(), 0) << what << ": the game stands as constructed";
    }
}

TEST_F(WorldSaveTown, TheLevelsUsedBlocksComeBackAndFlagsOfAnotherCountAreDropped)
{
    int32_t blocks = Tuning().blocksPerRow * Tuning().blocksPerColumn;
    ASSERT_GT(blocks, 3);
    ASSERT_GT(gWorld->GetLevelCount(), 1);
    ASSERT_TRUE(game->SaveWorld("Ada"));
    std::string bytes = SavedBytes();
    // Level 1's flags: after level 0's record, and level 1's explored vector, count and filled word.
    size_t cells = static_cast<size_t>(Tuning().cellsPerLevelX * Tuning().cellsPerLevelY);
    size_t levelRecord = 4 + 4 * cells + 4 + 4;
    size_t flags = 4 + gWorld->GetAdventureName().size() + 1 + 8 + levelRecord;
    uint32_t level0Used = 0;
    std::memcpy(&level0Used, bytes.data() + flags, 4);
    // Level 0's flags and monster level, then level 1's record up to its flags.
    flags += 4 + 4 * static_cast<size_t>(level0Used) + 4 + levelRecord;
    uint32_t count = 0;
    std::memcpy(&count, bytes.data() + flags, 4);
    ASSERT_EQ(count, 0u) << "a level no chest has reached has no flags yet";
    // Level 1's used blocks as a save made by a player in the loaded world holds them.
    auto savedUsed = [this, flags]() {
        player = new Player();
        EXPECT_NE(game->AddEntity(player), -1);
        game->SetWorldRunning();
        EXPECT_TRUE(game->SaveWorld("Ada"));
        std::string saved = SavedBytes();
        uint32_t flagCount = 0;
        std::memcpy(&flagCount, saved.data() + flags, 4);
        std::vector<int32_t> used;
        for (uint32_t block = 0; block < flagCount; ++block) {
            uint32_t word = 0;
            std::memcpy(&word, saved.data() + flags + 4 + 4 * block, 4);
            if (word != 0)
                used.push_back(static_cast<int32_t>(block));
        }
        return used;
    };
    size_t recordsEnd = 4 + gWorld->GetAdventureName().size() + 1 + 8;
    for (int32_t level = 0; level < gWorld->GetLevelCount(); ++level) {
        uint32_t used = 0;
        std::memcpy(&used, bytes.data() + recordsEnd + levelRecord, 4);
        recordsEnd += levelRecord + 4 + 4 * static_cast<size_t>(used);
    }

    // Level 1 with block 2 taken, as a bonus chest takes it.
    std::string taken = WithWord(bytes, flags, static_cast<uint32_t>(blocks));
    std::string words(4 * static_cast<size_t>(blocks), '\0');
    words[8] = 1;
    taken.insert(flags + 4, words);
    recordsEnd += words.size();
    ASSERT_EQ(LoadBytes(taken), Game::WorldLoadResult::Loaded);
    EXPECT_EQ(CountLinesHolding(debug, "World save"), 0);
    EXPECT_EQ(savedUsed(), std::vector<int32_t>{2}) << "a monster sent to a free block does not land on the chest's";
    EXPECT_EQ(SavedBytes().substr(0, recordsEnd), taken.substr(0, recordsEnd)) << "the level records save as they read";

    // One flag fewer: the count is read, the flags dropped, the rest of the file reads.
    std::string shorter = WithWord(taken, flags, static_cast<uint32_t>(blocks - 1));
    shorter.erase(flags + 4, 4);
    ASSERT_EQ(LoadBytes(shorter), Game::WorldLoadResult::Loaded);
    EXPECT_EQ(CountLinesHolding(debug, "level 1's " + std::to_string(blocks - 1) + " used-block flags fit no grid"), 1);
    EXPECT_NE(Trader(), nullptr) << "what follows the levels reads";
    EXPECT_TRUE(savedUsed().empty());

    EXPECT_EQ(LoadBytes(WithWord(bytes, flags, 0x7FFFFFFFu)), Game::WorldLoadResult::Refused)
        << "flags past the end of the file";
}

// Files from before the rivals were kept hold the covenants' house objects as loose ones; the
// covenants build their houses again, so each house stands once.
TEST_F(WorldSaveTown, AnOlderFileLeavesOutTheCovenantHousesItHoldsAndKeepsTheRest)
{
    LevelFiller& filler = spawn.GetLevelFiller();
    const Entity* home = game->GetCovenant(0)->GetHomeEntity();
    ASSERT_NE(home, nullptr);
    std::string lifestone = home->modelName;
    std::string gateModel = "models/props/gate.mdl";
    MessageBuffer buffer;
    WorldSaveOldWriter writer(buffer, WorldSaveVersion::kCovenants - 1);
    // As the older writer kept them: every house object a model rebuilds, the player's house
    // gate, and objects of the levels beside them.
    for (int32_t number = 0; number < Game::kMaxEntities; ++number)
        if (const Entity* entity = game->GetEntity(number);
            entity && entity->covenantIndex >= 0 && filler.FindObjectRecord(entity->modelName))
            writer.entities.push_back(entity);
    int32_t houseObjects = static_cast<int32_t>(writer.entities.size());
    ASSERT_GE(houseObjects, kTownRivals) << "each rival's lifestone at least";
    // The player's house gate as its covenant placed it.
    Entity houseGate;
    houseGate.modelName = gateModel;
    houseGate.SetPosition(PlayerCovenant::GetHouseGateSpot());
    writer.entities.push_back(&houseGate);
    const Entity* levelGate = filler.RestoreLevelObject(At(600, 400, 1), 0, gateModel);
    const Entity* torch = filler.RestoreLevelObject(At(700, 400, 1), 2, "models/props/torch.mdl");
    for (const Entity* entity : {levelGate, torch}) {
        ASSERT_NE(entity, nullptr);
        writer.entities.push_back(entity);
    }
    int32_t lifestones = CountModels("/lifestone.mdl");
    int32_t pedestals = CountModels("/pedestal.mdl");
    ASSERT_EQ(lifestones, kTownRivals);
    writer.Write(*game);
    std::string bytes(reinterpret_cast<const char*>(buffer.Data()), buffer.Size());

    ASSERT_EQ(LoadBytes(bytes), Game::WorldLoadResult::Loaded);
    EXPECT_EQ(CountModels("/lifestone.mdl"), lifestones) << "one lifestone a rival, none read back beside";
    EXPECT_EQ(CountModels("/pedestal.mdl"), pedestals);
    EXPECT_EQ(CountModels("/torch.mdl"), 1);
    int32_t looseGates = 0;
    for (int32_t number = 0; number < Game::kMaxEntities; ++number)
        if (const auto* gate = dynamic_cast<const Gate*>(game->GetEntity(number)); gate && !gate->GetLinked() &&
                                                                                   gate->kind != GateKind::World)
            ++looseGates;
    EXPECT_EQ(looseGates, 1) << "the level's gate stays, the house gate's spot is left to the house";
    EXPECT_EQ(CountLinesHolding(debug, "World save"), 0) << "every record read, in step";
}
