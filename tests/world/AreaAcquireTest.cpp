// AreaAcquireTest -- area files through the resource manager: acquiring and releasing textures and models, ground-detail replacement, editing with handles.
#include "world/AreaResource.h"

#include "core/Database.h"
#include "resources/shaders/ShaderWorld.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Three ground textures, one model; one block whose top row holds grass, moss, sand and an
// empty tile, with the model on the first tile of the top row.
std::string AcquireAreaText()
{
    std::string text = "3 Textures/grass.tga Textures/moss.tga Textures/sand.tga\n1 open\n1 Models/crate.mdl\n"
                       "block Only\n{\n0 1 2 -1 0 0 0 0\n";
    for (int row = 1; row < 8; ++row)
        text += "0 0 0 0 0 0 0 0\n";
    return text + "0 0 0 0\n0 0 0 6\n}\n";
}

class AreaAcquire : public ShaderWorld {
protected:
    AreaAcquire()
    {
        gDatabase = &database;
        World::RegisterResourceTypes();
        manager->RegisterType("mdl", kMemGeneral, true, "", true,
                              [](const std::string&, uint8_t*, uint32_t, int32_t) { return new Resource(); });
        for (const char* name : {"grass", "moss", "sand", "new"})
            WriteTarga(std::string("Textures/") + name + ".tga", 4, 4);
        WriteAsset("Models/crate.mdl", "model");
        WriteAsset("Levels/Meadow.ara", AcquireAreaText());
        // Low detail: grass shows as sand, then moss as grass; the third pair has no "With".
        WriteAsset("Database/database.dbl", "detail.dbr\n");
        WriteAsset("Database/detail.dbr", "GroundDetailmeadowLow\n{\n Replace Textures/GRASS.tga\n With Textures/sand.tga\n"
                                          " Replace Textures/moss.tga\n With Textures/grass.tga\n"
                                          " Replace Textures/sand.tga\n Replace Textures/none.tga\n With Textures/none.tga\n}\n");
        database.Load();
        StartShaders();
        manager->Load("Levels/Meadow.ara", areaHandle);
        area = dynamic_cast<AreaResource*>(manager->Get(areaHandle));
    }

    ~AreaAcquire() override { gDatabase = nullptr; }

    void TearDown() override
    {
        if (area) {
            while (area->GetAcquireCount() > 0)
                area->Release();
        }
        areaHandle.Reset();
        ShaderWorld::TearDown();
    }

    int32_t Shown(int32_t x) const { return area->GetTileTexture(0, x, 7).GetValue(); }
    int32_t Base(int32_t tile) const { return area->GetTileTextures()[static_cast<size_t>(tile)].baseTexture.GetValue(); }

    Database database;
    ResourceHandle areaHandle;
    AreaResource* area = nullptr;
};

TEST_F(AreaAcquire, TexturesAndModelsLiveFromFirstAcquireToLastRelease)
{
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(area->GetBlockCount(), 1);
    EXPECT_EQ(Shown(0), -1);
    vars.SetIntByName("r_groundDetail", 2);
    area->Acquire();
    area->Acquire();
    EXPECT_TRUE(area->AreTexturesLoaded());
    EXPECT_EQ(area->GetAcquireCount(), 2);
    EXPECT_EQ(TextureName(area->GetTileTexture(0, 0, 7)), "Textures/grass.sdr");
    EXPECT_EQ(Shown(3), -1);
    ResourceHandle model;
    int32_t facing = -1;
    EXPECT_EQ(area->GetTileObject(0, 0, 7, model, facing), 0);
    EXPECT_EQ(manager->GetName(model), "Models/crate.mdl");
    EXPECT_EQ(facing, 6);
    EXPECT_EQ(area->GetObjectTypeModel(0).GetValue(), model.GetValue());
    model.Reset();

    area->Release();
    EXPECT_TRUE(area->AreTexturesLoaded());
    area->Release();
    EXPECT_FALSE(area->AreTexturesLoaded());
    EXPECT_EQ(Shown(0), -1);
    EXPECT_EQ(Base(0), -1);
    EXPECT_FALSE(area->GetObjectTypeModel(0).IsValid());
}

TEST_F(AreaAcquire, GroundDetailPairsReplaceShownTextures)
{
    vars.SetIntByName("r_groundDetail", 0);
    EXPECT_EQ(area->GroundDetailRecordName(0), "GroundDetailmeadowLow");
    area->Acquire();
    EXPECT_EQ(Shown(0), Base(2));  // grass shows sand
    EXPECT_EQ(Shown(1), Base(0));  // moss shows grass (the first pair's change is not undone)
    EXPECT_EQ(Shown(2), Base(2));  // sand has no "With" at its place
    EXPECT_NE(Base(0), Base(2));
}

TEST_F(AreaAcquire, OtherDetailLevelsFindNoRecord)
{
    vars.SetIntByName("r_groundDetail", 1);
    area->Acquire();
    for (int32_t x = 0; x < 3; ++x)
        EXPECT_EQ(Shown(x), Base(x));
    EXPECT_EQ(area->GroundDetailRecordName(1), "GroundDetailmeadowNormal");
    EXPECT_EQ(area->GroundDetailRecordName(2), "GroundDetailmeadowHigh");
    EXPECT_EQ(area->GroundDetailRecordName(3), "GroundDetailmeadow");
    EXPECT_EQ(area->GroundDetailRecordName(-1), "GroundDetailmeadow");
}

TEST_F(AreaAcquire, EditingWithHandlesFindsOrAddsRecords)
{
    area->Acquire();
    ResourceHandle& fresh = LoadShader("Textures/new.tga", TextureUsage::TwoSidedVertexColor);
    area->SetTile(0, 5, 0, fresh);
    EXPECT_EQ(area->GetTileTextures().size(), 4u);
    EXPECT_EQ(area->GetTileTextures()[3].name, "Textures/new.sdr");
    EXPECT_EQ(area->GetTileTexture(0, 5, 0).GetValue(), fresh.GetValue());
    area->SetTile(0, 6, 0, fresh);
    EXPECT_EQ(area->GetTileTextures().size(), 4u);
    EXPECT_EQ(area->FindTileByTexture(fresh), 3);

    ResourceHandle crate = area->GetObjectTypeModel(0);
    area->SetCell(0, 2, 2, crate, 9);
    ResourceHandle model;
    int32_t facing = -1;
    EXPECT_EQ(area->GetTileObject(0, 2, 2, model, facing), 0);
    EXPECT_EQ(facing, 4);  // a facing outside 0..7
    EXPECT_EQ(area->GetObjectTypes().size(), 1u);
    area->ClearCell(0, 2, 2);
    EXPECT_EQ(area->GetTileObject(0, 2, 2, model, facing), -1);
    EXPECT_FALSE(model.IsValid());
}

} // namespace
