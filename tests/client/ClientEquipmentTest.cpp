// ClientEquipmentTest -- what an entity shows of its equipment, over a real resource manager: the skin surfaces an item retextures on the entity's own copy of its skin, the model it hangs and the glow it asks for, and the references a copied location holds.
#include "client/ClientServicesWorld.h"

#include "core/EngineEnums.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "resources/models/ModelResourceTypes.h"
#include "resources/models/Skin.h"
#include "rules/CharacterClass.h"
#include "rules/GameData.h"

#include <memory>

namespace {

constexpr const char* kClientEquipmentRecords = R"(
ClassMailed
{
    Type Class
    Name "$$ClassMailed$$"
    SkinSurfaceChest 2
    SkinSurfaceFeet 7
}
EquipWearer
{
    Type Object
    SkinName "Models/wearer.skn"
}
EquipMail
{
    Type Item
    SkinTextureNameClassMailed "Textures/mail.tga"
}
EquipBlade
{
    Type Item
    UseModelName "Models/Blade.MDL"
    ShowOnBody 1
    TagName "weapon"
    Scale 1.5
    Unique 1
    Set "Heirlooms"
}
EquipPebble
{
    Type Item
    UseModelName "Models/pebble.mdl"
}
EquipPainting
{
    Type Item
    UseModelName "Models/painting.tga"
    ShowOnBody 1
    SkinTextureNameClassMailed "Textures/mail.tga"
}
EquipSword
{
    Type Item
    ItemType Weapon
    UseModelName "Models/blade.mdl"
}
EquipBoots
{
    Type Item
    SkinTextureNameClassMailed "Textures/boots.tga"
}
)";

class ClientEquipment : public ClientServices<PlayerClientWorld> {
protected:
    void SetUp() override
    {
        RegisterModelResourceTypes(*manager);
        folder.Write("Assets/Models/wearer.skn", "surface 1 Textures/cloth.tga\nsurface 2 Textures/cloth.tga\n");
        for (const char* model : {"Models/blade.mdl", "Models/pebble.mdl"})
            folder.Write(std::string("Assets/") + model, "type 3d\n");
        StartWorldOnly("", kClientEquipmentRecords);
    }

    std::unique_ptr<EntityClient> Wearer()
    {
        auto wearer = std::make_unique<EntityClient>();
        wearer->Load(database.FindEntryByName("EquipWearer"));
        wearer->classRecord = gameData.GetCharacterClass(gameData.FindCharacterClassIndex("ClassMailed"));
        return wearer;
    }

    int32_t Id(const char* record) const { return database.FindEntryByName(record)->GetId(); }

    std::string SurfaceTexture(const Skin* skin, int32_t surface) const
    {
        ResourceHandle shader = skin ? skin->GetSurfaceShader(surface) : ResourceHandle();
        return shader.IsValid() ? manager->GetName(shader.GetValue()) : std::string();
    }
};

TEST_F(ClientEquipment, AWornItemRetexturesItsClassesSurfaceOnTheEntitysOwnSkinOnly)
{
    auto wearer = Wearer();
    ASSERT_NE(wearer->classRecord, nullptr);
    EXPECT_EQ(wearer->classRecord->skinSurfaces[4], 2);
    EXPECT_EQ(wearer->classRecord->skinSurfaces[0], -1);
    const Skin* shared = wearer->GetDrawSkin();
    ASSERT_NE(shared, nullptr);
    wearer->ShowItemOnBody(EntityClient::kLocationChest, Id("EquipMail"), false);
    const Skin* own = wearer->GetDrawSkin();
    ASSERT_NE(own, shared) << "the entity's own copy is drawn once a texture changed";
    EXPECT_NE(SurfaceTexture(own, 2).find("mail"), std::string::npos);
    EXPECT_NE(SurfaceTexture(shared, 2).find("cloth"), std::string::npos) << "the shared skin is untouched";
    EXPECT_NE(SurfaceTexture(own, 1).find("cloth"), std::string::npos);

    // Taken off: the surface goes back to the shared skin's texture.
    wearer->ShowItemOnBody(EntityClient::kLocationChest, -1, false);
    EXPECT_NE(SurfaceTexture(own, 2).find("cloth"), std::string::npos);
    // A surface past the skin's changes nothing.
    wearer->ShowItemOnBody(9, Id("EquipBoots"), false);
    EXPECT_EQ(own->FindSurface(7), nullptr);
}

TEST_F(ClientEquipment, OnlyAShownModelFileIsHungAndItsGlowFollowsTheItemsKind)
{
    auto wearer = Wearer();
    wearer->ShowItemOnBody(EntityClient::kLocationHandPrimary, Id("EquipBlade"), false);
    const EntityClient::EquipmentLocation* hand = wearer->GetEquipment(EntityClient::kLocationHandPrimary);
    ASSERT_NE(hand, nullptr);
    ASSERT_TRUE(hand->model.IsValid()) << "the extension is matched without regard to case";
    EXPECT_EQ(hand->tagName, "weapon");
    EXPECT_FLOAT_EQ(hand->scale, 1.5f);
    EXPECT_EQ(hand->glow, 6) << "unique wins over set";
    int32_t row = hand->model.GetValue();
    int32_t held = manager->GetReferenceCount(row);
    wearer->ShowItemOnBody(EntityClient::kLocationHandPrimary, Id("EquipBlade"), false);
    EXPECT_EQ(manager->GetReferenceCount(row), held) << "the same item again loads nothing";

    // Not shown on bodies: hung only by an item lying on the ground.
    wearer->ShowItemOnBody(15, Id("EquipPebble"), false);
    EXPECT_FALSE(wearer->GetEquipment(15)->model.IsValid());
    wearer->ShowItemOnBody(15, -1, false);
    wearer->ShowItemOnBody(15, Id("EquipPebble"), true);
    EXPECT_TRUE(wearer->GetEquipment(15)->model.IsValid());

    // Another extension changes the skin but hangs nothing.
    wearer->ShowItemOnBody(EntityClient::kLocationChest, Id("EquipPainting"), false);
    EXPECT_FALSE(wearer->GetEquipment(EntityClient::kLocationChest)->model.IsValid());
    EXPECT_NE(SurfaceTexture(wearer->GetDrawSkin(), 2).find("mail"), std::string::npos);

    // Locations outside the table are ignored, negative ones included.
    for (int32_t location : {-1, -40, 18, 1000}) {
        wearer->ShowItemOnBody(location, Id("EquipBlade"), false);
        EXPECT_EQ(wearer->GetEquipment(location), nullptr);
        EXPECT_EQ(wearer->FindAttachedModelTag(location, "tip"), -1);
    }
    WorldPos3 where{7, 1.0f, 2.0f, 3.0f};
    Matrix3 matrix;
    EXPECT_FALSE(wearer->GetAttachedModelTransform(-1, where, matrix));
    EXPECT_EQ(where.level, 7) << "nothing written without a transform";
    // The wearer has no model to carry the tag.
    EXPECT_FALSE(wearer->GetAttachedModelTransform(EntityClient::kLocationHandPrimary, where, matrix));
}

TEST_F(ClientEquipment, CopiedLocationsHoldTheirReferencesAndDeletionLetsThemGo)
{
    auto wearer = Wearer();
    wearer->ShowItemOnBody(EntityClient::kLocationHandPrimary, Id("EquipBlade"), false);
    const EntityClient::EquipmentLocation& source = *wearer->GetEquipment(EntityClient::kLocationHandPrimary);
    int32_t row = source.model.GetValue();
    int32_t before = manager->GetReferenceCount(row);
    {
        auto body = Wearer();
        EntityClient::EquipmentLocation& target = body->equipment[3];
        EntityClient::CopyEquipmentLocation(target, source);
        EXPECT_EQ(manager->GetReferenceCount(row), before + 1);
        EntityClient::CopyEquipmentLocation(target, source);
        EXPECT_EQ(manager->GetReferenceCount(row), before + 1) << "the old reference is let go";
        EntityClient::CopyEquipmentLocation(target, target);
        EXPECT_EQ(manager->GetReferenceCount(row), before + 1);
        EXPECT_EQ(target.itemIndex, Id("EquipBlade"));
        EXPECT_EQ(target.glow, 6);
        EXPECT_EQ(target.tagName, "weapon");
    }
    EXPECT_EQ(manager->GetReferenceCount(row), before) << "the deleted copy let its reference go";
    wearer->ShowItemOnBody(EntityClient::kLocationHandPrimary, -1, false);
    EXPECT_EQ(manager->GetReferenceCount(row), before - 1);
}

// The player mirror is what the interface and the effects ask about the player: it wears what its
// body was sent wearing, model and all, from the update that showed it.
TEST_F(ClientEquipment, ThePlayerWearsWhatItsBodyWasSentWearing)
{
    Join();
    std::unique_ptr<ItemBase> sword = std::make_unique<Item>();
    sword->SetEntryByName("EquipSword");
    ASSERT_TRUE(hostPlayer->inventory->PlaceItem(sword, InventoryGroupIndex::Equipment, EquipedLocation::HandPrimary,
                                                 kPlaceAnyGroup | kPlaceIgnoreOffHand));
    ClientFrame(50);
    ClientFrame(50);
    const EntityClient* body = player->GetBody();
    ASSERT_NE(body, nullptr);
    const EntityClient::EquipmentLocation* held = body->GetEquipment(EntityClient::kLocationHandPrimary);
    ASSERT_NE(held, nullptr);
    ASSERT_EQ(held->itemIndex, Id("EquipSword")) << "the body shows the sword the host gave";
    for (int32_t location = 0; location < EntityClient::kEquipmentLocations; ++location) {
        const EntityClient::EquipmentLocation* own = player->GetEquipment(location);
        ASSERT_NE(own, nullptr) << location;
        EXPECT_EQ(own->itemIndex, body->GetEquipment(location)->itemIndex) << location;
        EXPECT_EQ(own->model.GetValue(), body->GetEquipment(location)->model.GetValue()) << location;
    }

    hostPlayer->inventory->DeleteAt(InventoryGroupIndex::Equipment, EquipedLocation::HandPrimary);
    ClientFrame(50);
    ClientFrame(50);
    EXPECT_EQ(player->GetEquipment(EntityClient::kLocationHandPrimary)->itemIndex, -1) << "and puts it down with it";
}

} // namespace
