// ExploredMapFileTest -- the explored-map file: its exact bytes, the versions it was written in, byte-stable round trips through "chars/", one name rule for save and load, and hostile files cut, with bad levels and bad counts.
#include "render/MapWorld.h"

#include "core/MessageBuffer.h"
#include "support/LogLines.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

// Four tiles a side keep an image at 64 bytes.
class ExploredMapFile : public MapWorld {
protected:
    ExploredMapFile()
    {
        Build(64.0f, 4, 2, 1);
        worldMap->ResetForWorld(2, 0xA1B2C3D4u);
    }

    // Level 0: tile (1, 2) seen; level 1: tile (3, 0) half seen, its gate and two connection gates.
    void Explore()
    {
        worldMap->SetExploredPixel(0, 1, 2, 255);
        worldMap->SetExploredPixel(1, 3, 0, 128);
        worldMap->RecordGate(WorldPos{1, 10.0f, 20.0f, true}, -1);
        world.GetLevel(1)->gates.resize(2);
        worldMap->RecordGate(WorldPos{1, 30.0f, 40.0f, true}, 1);
    }

    std::vector<uint8_t> Written() const
    {
        MessageBuffer buffer;
        worldMap->WriteExplored(buffer);
        return {buffer.Data(), buffer.Data() + buffer.Size()};
    }

    // A fresh map of the same world reads the bytes.
    std::unique_ptr<WorldMap> ReadBack(const std::vector<uint8_t>& bytes)
    {
        auto map = std::make_unique<WorldMap>();
        map->ResetForWorld(-1, 0);
        MessageBuffer buffer;
        buffer.WriteBytes(bytes.data(), bytes.size());
        map->ReadExplored(buffer, "chars/test.map");
        return map;
    }

    static void Word(std::vector<uint8_t>& out, uint32_t value)
    {
        for (int shift = 0; shift < 32; shift += 8)
            out.push_back(static_cast<uint8_t>(value >> shift));
    }
    static void Float(std::vector<uint8_t>& out, float value)
    {
        uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof(bits));
        Word(out, bits);
    }
    static std::vector<uint8_t> Image(size_t pixel, std::array<uint8_t, 4> bytes)
    {
        std::vector<uint8_t> image(64, 0);
        std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<std::ptrdiff_t>(pixel * 4));
        return image;
    }
    // A file of the version: a header, level records (index, image) with empty gate sections
    // from 35 on, the terminator.
    static std::vector<uint8_t> FileOfVersion(int32_t version, const std::vector<int32_t>& levels)
    {
        std::vector<uint8_t> file;
        if (version > 0)
            Word(file, static_cast<uint32_t>(version));
        Word(file, version > 0 ? 7u : 200000u);
        Word(file, 0x1234u);
        for (int32_t level : levels) {
            Word(file, 1);
            Word(file, static_cast<uint32_t>(level));
            std::vector<uint8_t> image = Image(5, {9, 8, 7, 200});
            file.insert(file.end(), image.begin(), image.end());
            if (version >= 35) {
                Word(file, 0xFFFFFFFFu);
                Float(file, 0.0f);
                Float(file, 0.0f);
                Word(file, 0);
            }
        }
        Word(file, 0);
        return file;
    }

    std::string UserFile(const std::string& path) const
    {
        std::ifstream in(folder.Path() / "User" / path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
};

class ExploredMapFailingWrites : public PosixFileSystem {
public:
    using PosixFileSystem::PosixFileSystem;
    bool Close(File* file) override
    {
        if (!file || !(lastMode & kFileWrite))
            return PosixFileSystem::Close(file);
        Abandon(file);
        return false;
    }
    File* Open(std::string_view path, int modeFlags, FileLocation location) override
    {
        lastMode = modeFlags;
        return PosixFileSystem::Open(path, modeFlags, location);
    }
    int lastMode = 0;
};

} // namespace

TEST_F(ExploredMapFile, ATwoLevelMapHasExactlyTheseBytes)
{
    EXPECT_EQ(Written().size(), 16u);  // header and terminator only
    Explore();
    std::vector<uint8_t> expected;
    Word(expected, 51);
    Word(expected, 2);
    Word(expected, 0xA1B2C3D4u);
    Word(expected, 1);
    Word(expected, 0);
    std::vector<uint8_t> image0 = Image(2 * 4 + 1, {0, 0, 0, 255});
    expected.insert(expected.end(), image0.begin(), image0.end());
    Word(expected, 0xFFFFFFFFu);
    Float(expected, 0.0f);
    Float(expected, 0.0f);
    Word(expected, 0);
    Word(expected, 1);
    Word(expected, 1);
    std::vector<uint8_t> image1 = Image(3, {0, 0, 0, 128});
    expected.insert(expected.end(), image1.begin(), image1.end());
    Word(expected, 1);
    Float(expected, 10.0f);
    Float(expected, 20.0f);
    Word(expected, 2);
    Word(expected, 0xFFFFFFFFu);
    Float(expected, 0.0f);
    Float(expected, 0.0f);
    Word(expected, 1);
    Float(expected, 30.0f);
    Float(expected, 40.0f);
    Word(expected, 0);
    EXPECT_EQ(Written(), expected);
}

TEST_F(ExploredMapFile, ARoundTripThroughTheCharacterFolderIsByteStableAndFindsTheSameName)
{
    Explore();
    std::vector<uint8_t> bytes = Written();
    ASSERT_TRUE(worldMap->SaveExplored("J.R."));
    EXPECT_EQ(UserFile("chars/jr.map").size(), bytes.size());
    EXPECT_EQ(WorldMap::ExploredFilePath("J.R."), WorldMap::ExploredFilePath("j.r"));
    EXPECT_EQ(WorldMap::ExploredFilePath("../x"), "chars/x.map");
    EXPECT_EQ(WorldMap::ExploredFilePath(""), "");
    EXPECT_FALSE(worldMap->SaveExplored(""));

    WorldMap loaded;
    ASSERT_TRUE(loaded.LoadExplored("j.r"));
    MessageBuffer again;
    loaded.WriteExplored(again);
    EXPECT_EQ(std::vector<uint8_t>(again.Data(), again.Data() + again.Size()), bytes);
    EXPECT_EQ(loaded.GetIdentityDifficulty(), 2);
    EXPECT_EQ(loaded.FindLevel(1)->connectionGates.size(), 2u);

    // No file: the map keeps what it holds.
    EXPECT_FALSE(loaded.LoadExplored("nobody"));
    EXPECT_NE(loaded.FindLevel(0), nullptr);
}

TEST_F(ExploredMapFile, EachVersionIsReadWithOrWithoutItsGateSections)
{
    for (int32_t version : {51, 40, 35, 34, 20, 0}) {
        std::unique_ptr<WorldMap> map = ReadBack(FileOfVersion(version, {0, 1}));
        EXPECT_EQ(map->GetIdentityDifficulty(), version > 0 ? 7 : 200000) << version;
        EXPECT_EQ(map->GetIdentitySeed(), 0x1234u) << version;
        ASSERT_NE(map->FindLevel(1), nullptr) << version;
        EXPECT_EQ(map->FindLevel(1)->image[5 * 4 + 3], 200) << version;
        EXPECT_EQ(map->FindLevel(1)->levelGate.level, -1) << version;
    }
    EXPECT_EQ(CountLinesHolding(debug, "test.map"), 0);
}

TEST_F(ExploredMapFile, AFileCutAnywhereKeepsItsCompleteRecordsAndSaysWhere)
{
    Explore();
    std::vector<uint8_t> bytes = Written();
    size_t firstRecordEnd = 12 + 8 + 64 + 16;
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        std::unique_ptr<WorldMap> map = ReadBack({bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut)});
        if (cut < 12) {
            EXPECT_EQ(map->GetIdentityDifficulty(), -1) << cut;  // unchanged
            continue;
        }
        EXPECT_EQ(map->GetIdentityDifficulty(), 2) << cut;
        EXPECT_EQ(map->FindLevel(0) != nullptr, cut >= firstRecordEnd) << cut;
        EXPECT_EQ(map->FindLevel(1) != nullptr, cut >= bytes.size() - 4) << cut;
    }
    EXPECT_EQ(CountLinesHolding(debug, "chars/test.map"), static_cast<int>(bytes.size()));
    // The second record starts at 100 and is 112 bytes long.
    EXPECT_EQ(CountLinesHolding(debug, "at offset 100"), 112);
}

TEST_F(ExploredMapFile, LevelsOutsideTheWorldAreDroppedAndBadCountsEndTheRead)
{
    for (int32_t level : {-1, 1000000, 2}) {
        std::unique_ptr<WorldMap> map = ReadBack(FileOfVersion(51, {level, 1}));
        EXPECT_EQ(map->GetLevelRecordCount(), 2) << level;  // nothing sized by the bad index
        EXPECT_NE(map->FindLevel(1), nullptr) << level;
    }
    for (uint32_t count : {0xFFFFFFFFu, 0x7FFFFFFFu}) {
        std::vector<uint8_t> file = FileOfVersion(51, {0, 1});
        // The first record's connection count.
        size_t at = 12 + 8 + 64 + 12;
        for (int i = 0; i < 4; ++i)
            file[at + static_cast<size_t>(i)] = static_cast<uint8_t>(count >> (8 * i));
        std::unique_ptr<WorldMap> map = ReadBack(file);
        EXPECT_EQ(map->FindLevel(0), nullptr) << count;
        EXPECT_EQ(map->FindLevel(1), nullptr) << count;
    }
    EXPECT_EQ(CountLinesHolding(debug, "is damaged at offset 12"), 2);
}

TEST_F(ExploredMapFile, ASaveThatCannotBeWrittenWarnsAndKeepsTheOldFile)
{
    Explore();
    ASSERT_TRUE(worldMap->SaveExplored("Ann"));
    std::string before = UserFile("chars/ann.map");
    worldMap->SetExploredPixel(0, 0, 0, 255);
    ExploredMapFailingWrites failing(folder.Path().string());
    failing.SetRootFolders("Assets");
    FileSystem* kept = gFileSystem;
    gFileSystem = &failing;
    EXPECT_FALSE(worldMap->SaveExplored("Ann"));
    gFileSystem = kept;
    EXPECT_EQ(UserFile("chars/ann.map"), before);
    EXPECT_EQ(CountLinesHolding(debug, "Couldn't save the explored map chars/ann.map"), 1);
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Path() / "User/chars"))
        ++files;
    EXPECT_EQ(files, 1u);
}
