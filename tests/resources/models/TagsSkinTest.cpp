// TagsSkinTest -- tags files read, edited, saved and read back with quoted names and unbound parents; skin entries and their shader references.
#include "resources/models/ModelWorld.h"
#include "resources/models/SkeletonResource.h"
#include "resources/models/Skin.h"

#include <memory>

namespace {

class TagsAndSkins : public ModelWorld {
protected:
    TagsAndSkins()
    {
        WriteAsset("Models/t.mds", MakeSkeleton({{-1, "Pelvis"}, {0, "right hand"}}));
    }

    std::unique_ptr<TagsResource> ParseTags(const std::string& text)
    {
        auto tags = std::make_unique<TagsResource>();
        tags->Parse(reinterpret_cast<const uint8_t*>(text.data()), static_cast<uint32_t>(text.size()));
        return tags;
    }

    std::unique_ptr<Skin> ParseSkin(const std::string& text)
    {
        auto skin = std::make_unique<Skin>();
        skin->Parse(reinterpret_cast<const uint8_t*>(text.data()), static_cast<uint32_t>(text.size()));
        return skin;
    }

    // The model of the skeleton above with the tags text as "Models/t.tag".
    ModelResource* TaggedModel(const std::string& tags)
    {
        WriteAsset("Models/t.tag", tags);
        return LoadModel("Models/t.mdl", "dir Models\nskeleton t.mds\ntags t.tag\n");
    }
};

TEST_F(TagsAndSkins, TagLinesReadQuotedParentsAndMissingValues)
{
    auto tags = ParseTags("weapon \"right hand\" 1 2 3 0.5 0.1 0.2 0.3\nhelmet\n");
    ASSERT_EQ(tags->GetCount(), 2);
    const SkeletonResource* bones = TaggedModel("")->GetSkeleton();
    tags->BindToSkeleton(*bones);
    AttachPoint weapon;
    tags->GetTag(0, weapon);
    EXPECT_EQ(weapon.parent, 1);
    EXPECT_FLOAT_EQ(weapon.offset.z, 3.0f);
    EXPECT_FLOAT_EQ(weapon.rotation.w, 0.5f);
    EXPECT_FLOAT_EQ(weapon.rotation.z, 0.3f);
    AttachPoint helmet;
    tags->GetTag(1, helmet);
    EXPECT_EQ(helmet.parent, -1);
    EXPECT_FLOAT_EQ(helmet.rotation.w, 0.0f);
    // Outside the tags only the parent is written.
    AttachPoint outside;
    outside.offset.x = 9.0f;
    tags->GetTag(2, outside);
    EXPECT_EQ(outside.parent, -1);
    EXPECT_FLOAT_EQ(outside.offset.x, 9.0f);
}

TEST_F(TagsAndSkins, RemovingATagMovesTheLaterOnesDown)
{
    ModelResource* model = TaggedModel("a Pelvis\nb Pelvis\nc Pelvis\n");
    model->RemoveTag(2);
    EXPECT_EQ(model->GetTagCount(), 4);
    EXPECT_EQ(model->GetTagName(2), "b");
    EXPECT_EQ(model->FindTag("c"), 3);
    // Bones are no tags: removing one does nothing.
    model->RemoveTag(1);
    EXPECT_EQ(model->GetTagCount(), 4);
}

// A name with a blank is written in quotes, and a tag on no bone keeps its parent's name.
TEST_F(TagsAndSkins, SavedTagsReadBackWithBlanksAndUnboundParents)
{
    ModelResource* model = TaggedModel("sword \"right hand\" 1 2 3 1 0 0 0\nx Pelvis\n");
    int32_t second = model->FindTag("x");
    model->SetTagName(second, "left \"grip\"");
    model->SetTagParent(second, "lost bone");
    AttachPoint point = model->GetTag(second);
    point.offset = {0.25f, -4.0f, 8.5f};
    point.rotation = {0.0f, 0.6f, 0.0f, 0.8f};
    model->SetTag(second, point);
    EXPECT_EQ(model->GetTag(second).parent, -1);
    ASSERT_TRUE(model->SaveTags());
    std::string text = folder.Read("User/Models/t.tag");
    EXPECT_EQ(text, "sword \"right hand\" 1.000000 2.000000 3.000000 1.000000 0.000000 0.000000 0.000000\n"
                    "\"left \\\"grip\\\"\" \"lost bone\" 0.250000 -4.000000 8.500000 0.800000 0.000000 0.600000 0.000000\n");

    auto back = ParseTags(text);
    back->BindToSkeleton(*model->GetSkeleton());
    ASSERT_EQ(back->GetCount(), 2);
    EXPECT_EQ(back->GetName(1), "left \"grip\"");
    EXPECT_EQ(back->ToText(*model->GetSkeleton()), text);
    AttachPoint sword;
    back->GetTag(0, sword);
    EXPECT_EQ(sword.parent, 1);
}

TEST_F(TagsAndSkins, SkinSurfacesNameTheirShadersAndHighlight)
{
    auto skin = ParseSkin("dir Textures\\Models\nsurface 3 a.tga noHighlight\nsurface 4 b.tga shiny\nsurface 5\n");
    ASSERT_EQ(skin->GetEntries().size(), 3u);
    const Skin::Entry* three = skin->FindSurface(3);
    ASSERT_NE(three, nullptr);
    EXPECT_FALSE(three->highlight);
    EXPECT_TRUE(skin->FindSurface(4)->highlight);
    EXPECT_EQ(three->shader.GetName(), "Textures/Models/a.sdr");
    EXPECT_EQ(skin->FindSurface(9), nullptr);
    EXPECT_FALSE(skin->GetSurfaceShader(9).IsValid());
    ResourceHandle shader = skin->GetSurfaceShader(3);
    EXPECT_EQ(shader.GetValue(), three->shader.GetValue());
    EXPECT_EQ(manager->GetReferenceCount(shader), 2);
}

TEST_F(TagsAndSkins, ReplacedAndCopiedEntriesHoldTheirOwnReferences)
{
    auto first = ParseSkin("surface 1 a.tga\nsurface 2 b.tga\n");
    auto second = ParseSkin("surface 1 c.tga\nsurface 2 d.tga\nsurface 3 e.tga\n");
    ResourceHandle a = first->GetSurfaceShader(1);
    ResourceHandle c = second->GetSurfaceShader(1);
    second->CopyFrom(*first);
    EXPECT_EQ(second->GetEntries().size(), 2u);
    EXPECT_EQ(manager->GetReferenceCount(a), 3);
    EXPECT_EQ(manager->GetReferenceCount(c), 1);
    second->SetSurfaceTextureHandle(1, c);
    second->SetSurfaceTextureHandle(7, a);
    EXPECT_EQ(second->GetEntries().size(), 3u);
    EXPECT_EQ(manager->GetReferenceCount(c), 2);
    EXPECT_EQ(manager->GetReferenceCount(a), 3);
    second->SetSurfaceTexture(2, "Textures/f.tga");
    EXPECT_EQ(second->GetSurfaceShader(2).GetName(), "Textures/f.sdr");
}

} // namespace
