// WorldSaveRivalsTest -- the shipped game's computer-run rivals in the world save: saved and read back as they stood, their houses once, and made anew when a file brings none or a broken block.
#include "server/WorldSaveWorld.h"

#include "core/DatabaseEntry.h"
#include "covenants/ActorCovenant.h"
#include "covenants/Recruit.h"
#include "server/WorldSaveVersion.h"
#include "support/LogLines.h"
#include "support/ShippedGame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int32_t kRivals = 3;
constexpr int32_t kStartingLevel = 6;
constexpr const char* kTorchModel = "models/test/torch.mdl";

class WorldSaveRivals : public WorldSaveWorld {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(LinkShippedGame(folder.Path())) << "EMBERLODE_GAME_DIR names the staged game folder";
        ASSERT_TRUE(gFileSystem->MountArchive("assets001.zip"));
        database.Load();
        gameData.Load(database);
        FreshGame();
        spawn.Load();
        gSpawnSystem = &spawn;
        // One model names the shipped torch's record, as its model file's "ObjectType" line does.
        spawn.GetLevelFiller().SetModelObjectTypeLookup(
            [](std::string_view model) { return model == kTorchModel ? std::string("Torch") : std::string(); });
        host->SetUpServer(false, kStartingLevel, 1, 1, kRivals, "Ada");
        player = new Player();
        ASSERT_NE(game->AddEntity(player), -1);
        ASSERT_EQ(CountRivals(), kRivals) << "the shipped rules run computer rivals";
    }

    // A game as the program makes it when covenants are in use.
    void FreshGame()
    {
        RemakeGame();
        game->SetCovenantMaker([] { return std::make_unique<ActorCovenant>(); });
        game->SetCurrentLevel(0);
    }

    Game::WorldLoadResult LoadBytes(const std::string& bytes)
    {
        folder.Write("User/chars/ada.wld", bytes);
        FreshGame();
        return game->LoadWorld("Ada", kStartingLevel, kRivals);
    }

    ActorCovenant* Rival(int32_t i) const { return dynamic_cast<ActorCovenant*>(game->GetGameCovenant(i)); }

    int32_t CountRivals() const
    {
        int32_t count = 0;
        while (Rival(count))
            ++count;
        return count;
    }

    int32_t CountEntitiesOf(const char* record) const
    {
        int32_t count = 0;
        for (int32_t number = 0; number < Game::kMaxEntities; ++number)
            if (const Entity* entity = game->GetEntity(number); entity && entity->GetEntry() &&
                                                                 entity->GetEntry()->GetName() == record)
                ++count;
        return count;
    }

    // Everything a rival keeps in the file, one line each.
    std::vector<std::string> RivalFacts() const
    {
        std::vector<std::string> facts;
        for (int32_t i = 0; Rival(i); ++i) {
            const ActorCovenant& rival = *Rival(i);
            std::ostringstream line;
            line << rival.GetDefinitionName() << " '" << rival.GetName() << "' fallen " << rival.eliminated
                 << " difficulty " << rival.difficultyLevel << " home " << rival.homeLevel << "," << rival.homeX << ","
                 << rival.homeY << " health " << rival.GetHomeHealth() << "/" << rival.GetHomeMaxHealth()
                 << " recruits";
            // From the records: a fallen covenant's dead stay dead, so its creatures do not come back.
            for (int32_t slot = 0; slot < rival.GetRecruitSlots(); ++slot)
                if (const Recruit* recruit = rival.GetRecruitRecord(slot))
                    line << " " << slot << (recruit->isHero ? "*" : "") << ":" << recruit->GetStat(CharacterStat::Level)
                         << "/" << recruit->GetStat(CharacterStat::Money) << "/" << recruit->extraValue;
            line << " spawned " << (rival.eliminated || rival.GetLeader() != nullptr) << " traits";
            for (int32_t id : rival.traitIds.GetValues())
                line << " " << id;
            line << " stats";
            for (int32_t value : rival.statistics.GetValues())
                line << " " << value;
            line << " relations";
            for (int32_t other = 0; other <= kRivals; ++other)
                line << " " << rival.GetRelation(other) << "/" << rival.GetTreatyState(other) << "/"
                     << rival.GetTradeRouteKind(other);
            line << " hate " << rival.naturalHate[1] << " visited " << rival.visitedLevels.size();
            facts.push_back(line.str());
        }
        return facts;
    }

    // The rivals' block as the writer ends the file with it, written again.
    std::string RivalBlock() const
    {
        MessageBuffer block;
        block.WriteInt(CountRivals());
        for (int32_t i = 0; Rival(i); ++i)
            Rival(i)->WriteSaved(block);
        return std::string(reinterpret_cast<const char*>(block.Data()), block.Size());
    }

    // Each rival with a house of its own, and none beside.
    void ExpectRivalsMadeAnew(const std::string& context)
    {
        EXPECT_EQ(CountRivals(), kRivals) << context;
        EXPECT_EQ(CountEntitiesOf("ObjectLifestone"), kRivals) << context;
        for (int32_t i = 0; Rival(i); ++i)
            EXPECT_NE(Rival(i)->GetLeader(), nullptr) << context << " rival " << i;
    }

    // A saved world with the rivals moved from where they began, and its rival block's offset.
    std::string SaveChangedWorld(size_t& blockStart)
    {
        EXPECT_NE(spawn.GetLevelFiller().RestoreLevelObject(At(200, 300, 0), 2, kTorchModel), nullptr);
        ActorCovenant* first = Rival(0);
        first->SetRelation(kRivals, 17.25f);
        first->SetTreatyState(2, CovenantTreaty::War);
        first->SetHomeHealth(first->GetHomeMaxHealth() / 2);
        Rival(1)->Eliminate(nullptr, true, false);
        EXPECT_TRUE(game->SaveWorld("Ada"));
        std::string bytes = SavedBytes();
        std::string block = RivalBlock();
        EXPECT_GE(bytes.size(), block.size());
        blockStart = bytes.size() - block.size();
        EXPECT_EQ(bytes.substr(blockStart), block) << "the file ends with its rivals";
        return bytes;
    }
};

} // namespace

TEST_F(WorldSaveRivals, TheRivalsComeBackAsTheyWereSavedWithOneHouseEachAndSaveToTheSameBytes)
{
    size_t blockStart = 0;
    std::string bytes = SaveChangedWorld(blockStart);
    std::vector<std::string> saved = RivalFacts();
    int32_t lifestones = CountEntitiesOf("ObjectLifestone");
    int32_t pedestals = CountEntitiesOf("ObjectPedestal");
    ASSERT_EQ(lifestones, kRivals);

    ASSERT_EQ(LoadBytes(bytes), Game::WorldLoadResult::Loaded);
    std::vector<std::string> loaded = RivalFacts();
    ASSERT_EQ(loaded.size(), saved.size());
    for (size_t i = 0; i < saved.size(); ++i)
        EXPECT_EQ(loaded[i], saved[i]) << "rival " << i;
    EXPECT_TRUE(Rival(1)->eliminated);
    EXPECT_EQ(Rival(0)->GetRelation(kRivals), 17.25f);
    EXPECT_EQ(Rival(0)->GetTreatyState(2), CovenantTreaty::War);
    EXPECT_EQ(CountEntitiesOf("ObjectLifestone"), lifestones) << "each house once, none read back as a loose object";
    EXPECT_EQ(CountEntitiesOf("ObjectPedestal"), pedestals);
    EXPECT_FALSE(game->IsWorldWon()) << "the living rivals stand";
    EXPECT_EQ(CountLinesHolding(debug, "World save"), 0);

    player = new Player();
    ASSERT_NE(game->AddEntity(player), -1);
    game->SetWorldRunning();
    ASSERT_TRUE(game->SaveWorld("Ada"));
    std::string resaved = SavedBytes().substr(blockStart);
    std::string block = bytes.substr(blockStart);
    auto differ = std::mismatch(block.begin(), block.end(), resaved.begin(), resaved.end());
    size_t at = static_cast<size_t>(differ.first - block.begin());
    EXPECT_TRUE(differ.first == block.end() && differ.second == resaved.end())
        << "the rivals save to the same bytes; they part at byte " << at << " of " << block.size() << ": "
        << ::testing::PrintToString(block.substr(at > 24 ? at - 24 : 0, 48)) << " against "
        << ::testing::PrintToString(resaved.substr(at > 24 ? at - 24 : 0, 48));
}

TEST_F(WorldSaveRivals, AFileWithoutItsRivalsHasThemMadeAnewFromTheStartArguments)
{
    size_t blockStart = 0;
    std::string bytes = SaveChangedWorld(blockStart);

    // The file as the version before the rivals wrote it, with the saved torch and without
    // the levels' filled words and the rivals: its fields load, the rivals are new.
    MessageBuffer olderBuffer;
    WorldSaveOldWriter olderWriter(olderBuffer, WorldSaveVersion::kCovenants - 1);
    for (int32_t number = 0; number < Game::kMaxEntities; ++number)
        if (const Entity* entity = game->GetEntity(number); entity && entity->modelName == kTorchModel)
            olderWriter.entities.push_back(entity);
    ASSERT_EQ(olderWriter.entities.size(), 1u);
    olderWriter.Write(*game);
    std::string older(reinterpret_cast<const char*>(olderBuffer.Data()), olderBuffer.Size());
    ASSERT_EQ(LoadBytes(older), Game::WorldLoadResult::Loaded);
    ExpectRivalsMadeAnew("older file");
    EXPECT_FALSE(Rival(1)->eliminated);
    EXPECT_EQ(CountLinesHolding(debug, "World save"), 0) << "an older file is not at fault";

    // Entity records that end early leave the rivals where they cannot be found.
    std::string stopped = bytes;
    size_t model = stopped.find(kTorchModel);
    ASSERT_NE(model, std::string::npos) << "the world holds saved objects";
    stopped.replace(model, 6, "nodels");
    ASSERT_EQ(LoadBytes(stopped), Game::WorldLoadResult::Loaded);
    ExpectRivalsMadeAnew("stopped records");
}

TEST_F(WorldSaveRivals, ABrokenRivalBlockLeavesNoneOfItsRivalsAndHasThemMadeAnew)
{
    size_t blockStart = 0;
    std::string bytes = SaveChangedWorld(blockStart);
    std::string name = Rival(0)->name;
    size_t first = blockStart + 4;
    size_t afterName = first + 4 + name.size() + 1;
    auto withWord = [&](size_t at, uint32_t word) {
        std::string changed = bytes;
        std::memcpy(changed.data() + at, &word, 4);
        return changed;
    };
    float nan = std::numeric_limits<float>::quiet_NaN();
    uint32_t nanWord = 0;
    std::memcpy(&nanWord, &nan, 4);
    std::vector<std::pair<std::string, std::string>> broken = {
        {"count -1", withWord(blockStart, 0xFFFFFFFFu)},
        {"count 2^31", withWord(blockStart, 0x80000000u)},
        {"count 33", withWord(blockStart, 33)},
        {"count one more", withWord(blockStart, kRivals + 1)},
        {"definition -1", withWord(first, 0xFFFFFFFFu)},
        {"definition 9999", withWord(first, 9999)},
        {"difficulty 4", withWord(afterName + 4, 4)},
        {"home x NaN", withWord(afterName + 16, nanWord)},
        {"cut in the middle", bytes.substr(0, blockStart + (bytes.size() - blockStart) / 2)},
        {"cut before the last word", bytes.substr(0, bytes.size() - 1)},
    };
    for (const auto& [what, file] : broken) {
        int said = CountLinesHolding(debug, "the rivals are made anew");
        ASSERT_EQ(LoadBytes(file), Game::WorldLoadResult::Loaded) << what;
        ExpectRivalsMadeAnew(what);
        EXPECT_EQ(CountLinesHolding(debug, "the rivals are made anew"), said + 1) << what;
    }
    // Every cut inside the block, a stride apart: never a crash, never a rival twice.
    for (size_t cut = blockStart; cut < bytes.size(); cut += 61) {
        ASSERT_EQ(LoadBytes(bytes.substr(0, cut)), Game::WorldLoadResult::Loaded) << cut;
        ExpectRivalsMadeAnew("cut at " + std::to_string(cut));
    }
}
