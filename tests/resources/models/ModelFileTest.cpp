// ModelFileTest -- ".mdl" files through the resource manager: the type and line rules, the directory prefix, animation entries and events, collision and offset.
#include "core/EnumTable.h"
#include "resources/models/ModelWorld.h"

namespace {

using ModelFile = ModelWorld;

std::string ModelFileNameOf(int32_t handle)
{
    return gResourceManager->GetName(handle);
}

TEST_F(ModelFile, TheTypeIsReadByNameAndAnUnknownOneIsSkeletal)
{
    EXPECT_EQ(LoadModel("Models/a.mdl", "type 2d\n")->type, ModelResource::kSprite);
    EXPECT_EQ(LoadModel("Models/b.mdl", "type 4d\n")->type, ModelResource::kSkeletal);
    EXPECT_EQ(CountLogged("Unknown ModelType name 4d"), 1);
}

// The prefix is read when a name is: a later "dir" leaves earlier requests alone.
TEST_F(ModelFile, FileNamesTakeTheDirectoryInForceExceptTheMapShader)
{
    ModelResource* model = LoadModel("Models/o.mdl", "skeleton first.mds\n"
                                                     "dir Models\\Orc\n"
                                                     "mesh orc.mdm\n"
                                                     "skin orc.skn\n"
                                                     "dir Models/Elf/\n"
                                                     "tags elf.tag\n"
                                                     "mapShader Textures/map.tga\n");
    EXPECT_EQ(ModelFileNameOf(model->skeleton), "first.mds");
    EXPECT_EQ(ModelFileNameOf(model->mesh), "Models/Orc/orc.mdm");
    EXPECT_EQ(ModelFileNameOf(model->skin), "Models/Orc/orc.skn");
    EXPECT_EQ(ModelFileNameOf(model->tags), "Models/Elf/elf.tag");
    EXPECT_EQ(model->tagsFileName, "Models/Elf/elf.tag");
    EXPECT_EQ(ModelFileNameOf(model->mapShader), "Textures/map.sdr");
}

TEST_F(ModelFile, SkeletalEntriesKeepTheirFlagsEventsAndVariants)
{
    ModelResource* model = LoadModel("Models/s.mdl", "animations\n{\n"
                                                     " walk walk matchMoveSpeed fps 10 whatever\n {\n"
                                                     "  client\n  {\n   12 playSound one\n   every\n  }\n"
                                                     "  server { last attackMarker\n  }\n }\n"
                                                     " attack a.MDA\n {\n }\n"
                                                     " attack b matchAttackSpeed fps\n {\n }\n"
                                                     "}\n"
                                                     "type 2d\n");
    ASSERT_EQ(model->GetAnimationCount(), 3);
    const Animation* walk = model->GetAnimation(0);
    EXPECT_EQ(walk->kind, Animation::kSkeletal);
    EXPECT_EQ(ModelFileNameOf(walk->animation), "walk.mda");
    EXPECT_TRUE(walk->matchMoveSpeed);
    EXPECT_FLOAT_EQ(walk->frameRate, 10.0f);
    ASSERT_EQ(walk->clientEvents.size(), 2u);
    EXPECT_EQ(walk->clientEvents[0].kind, AnimationEventKind::Frame);
    EXPECT_EQ(walk->clientEvents[0].frame, 12);
    EXPECT_EQ(walk->clientEvents[0].command, "playSound");
    EXPECT_EQ(walk->clientEvents[0].arguments, std::vector<std::string>{"one"});
    EXPECT_EQ(walk->clientEvents[1].kind, AnimationEventKind::Every);
    EXPECT_TRUE(walk->clientEvents[1].command.empty());
    ASSERT_EQ(walk->serverEvents.size(), 1u);
    EXPECT_EQ(walk->serverEvents[0].kind, AnimationEventKind::Last);
    EXPECT_EQ(walk->serverEvents[0].frame, -1);
    EXPECT_EQ(ModelFileNameOf(model->GetAnimation(1)->animation), "a.MDA");
    EXPECT_TRUE(model->GetAnimation(2)->matchAttackSpeed);
    EXPECT_FLOAT_EQ(model->GetAnimation(2)->frameRate, 0.0f);
    EXPECT_EQ(model->type, ModelResource::kSprite);
}

TEST_F(ModelFile, SpriteEntriesRequestOneTexturePerFrameAndDirection)
{
    ModelResource* model = LoadModel("Models/p.mdl", "type 2d\nanimations\n{\n"
                                                     " orc\n {\n  baseTexture orc.tga\n  frames 12\n  fps 15\n  additive\n }\n"
                                                     " one {\n  baseTexture Fx/one.tga\n  frames 3\n  directions 1\n }\n"
                                                     " noTexture {\n  frames 3\n }\n"
                                                     " noFrames {\n  baseTexture x.tga\n  frames 0\n }\n"
                                                     " lower {\n  basetexture x.tga\n  frames 2\n }\n"
                                                     " huge {\n  baseTexture x.tga\n  frames 10000\n }\n"
                                                     "}\n");
    ASSERT_EQ(model->GetAnimationCount(), 2);
    const Animation* orc = model->GetAnimation(0);
    EXPECT_EQ(orc->kind, Animation::kSprite);
    EXPECT_TRUE(orc->additive);
    EXPECT_EQ(orc->frameTextures.size(), 96u);
    EXPECT_EQ(ModelFileNameOf(orc->GetFrameTexture(6, 1)), "Textures/orc_ur_07.tga");
    EXPECT_EQ(ModelFileNameOf(orc->GetFrameTexture(11, 7)), "Textures/orc_ul_12.tga");
    // A frame outside the animation reads slot 0.
    EXPECT_EQ(ModelFileNameOf(orc->GetFrameTexture(12, 3)), "Textures/orc_u_01.tga");
    const Animation* one = model->GetAnimation(1);
    EXPECT_EQ(ModelFileNameOf(one->GetFrameTexture(2, 0)), "Textures/Fx/one3.tga");
    EXPECT_EQ(one->GetFrameTexture(1, 5), one->GetFrameTexture(1, 0));
    EXPECT_EQ(CountLogged("Sprite animation huge in Models/p.mdl has 10000 frames"), 1);
}

TEST_F(ModelFile, CollisionRowsMakeAGridTurnedByTheFacing)
{
    grid.cellsPerTile = 3;
    ModelResource* model = LoadModel("Models/c.mdl", "collision\n{\n1 1 0\n0 1 1\n}\n"
                                                     "collision\n{\n1 1\n1 1 1\n}\n"
                                                     "collision\n{\n1 1\n1 1 }\n");
    EXPECT_EQ(CountLogged("Collision data inconsistent in model Models/c.mdl"), 2);
    ASSERT_EQ(model->collisionWidth, 3);
    ASSERT_EQ(model->collisionHeight, 2);
    EXPECT_EQ(model->collisionCells, (std::vector<bool>{true, true, false, false, true, true}));
    EXPECT_FALSE(model->IsCollisionCellBlocked(2, 0, 0));
    EXPECT_TRUE(model->IsCollisionCellBlocked(0, 0, 4));  // reads (2, 1)
    EXPECT_FALSE(model->IsCollisionCellBlocked(0, 1, 4)); // reads (2, 0)
    EXPECT_TRUE(model->IsCollisionCellBlocked(1, 0, 6));  // reads (0, 0)
    EXPECT_TRUE(model->IsCollisionCellBlocked(1, 0, 2));  // reads (2, 1)
    EXPECT_FALSE(model->IsCollisionCellBlocked(0, 0, 2)); // reads (2, 0)
    // Cells off the grid are free rather than read past the bits.
    EXPECT_FALSE(model->IsCollisionCellBlocked(7, -3, 0));
    EXPECT_FALSE(model->IsCollisionCellBlocked(5, 0, 6));
    // Without a footprint only the far corner cell of the tile is blocked.
    ModelResource* bare = LoadModel("Models/d.mdl", "type 3d\n");
    EXPECT_TRUE(bare->IsCollisionCellBlocked(2, 2, 0));
    EXPECT_FALSE(bare->IsCollisionCellBlocked(1, 1, 0));
}

TEST_F(ModelFile, OffsetIsMeasuredFromTheTileCentreAndTurnedByTheFacing)
{
    grid.tileSize = 40.0f;
    ModelResource* model = LoadModel("Models/o.mdl", "offset 10 20\n");
    EXPECT_FLOAT_EQ(model->GetOffset(0).x, -10.0f);
    EXPECT_FLOAT_EQ(model->GetOffset(4).y, 0.0f);
    EXPECT_FLOAT_EQ(model->GetOffset(6).y, -10.0f);
    EXPECT_FLOAT_EQ(model->GetOffset(3).x, 0.0f);
    EXPECT_FLOAT_EQ(LoadModel("Models/n.mdl", "type 3d\n")->GetOffset(0).x, 0.0f);
}

// Values stay on their keyword's line: a keyword alone reads 0 and the number below it is a word.
TEST_F(ModelFile, PlacementKeywordsAreReadFromTheirLineAndUnknownWordsSkipped)
{
    EnumTable* inWay = EnumTable::Register("InWayAlphaType", 5, 0);
    const char* names[] = {"Never", "Normal", "South", "East", "Below"};
    for (int32_t i = 0; i < 5; ++i)
        inWay->SetName(i, names[i]);
    ModelResource* model = LoadModel("Models/k.mdl", "bogus lightIntensity\nlightColor \"1 0.5 0\"\nInWayScale 2 3\n"
                                                     "randomScale 0.8 1.2\ncollisionGridOffset -1 2\nCull 0\n"
                                                     "InWayAlphaType south\nlightintensity\n2\n");
    EXPECT_FLOAT_EQ(model->lightColor.g, 0.5f);
    EXPECT_FLOAT_EQ(model->lightIntensity, 0.0f);
    EXPECT_FLOAT_EQ(model->inWayScale.y, 3.0f);
    EXPECT_FLOAT_EQ(model->randomScaleMin, 0.8f);
    EXPECT_EQ(model->collisionGridOffset[0], -1);
    EXPECT_FALSE(model->cull);
    EXPECT_EQ(model->inWayAlphaType, 2);
    EXPECT_EQ(LoadModel("Models/w.mdl", "InWayAlphaType Sideways\n")->inWayAlphaType, 0);
    EXPECT_EQ(CountLogged("Unknown InWayAlphaType name Sideways"), 1);
}

} // namespace
