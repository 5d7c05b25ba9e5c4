// EntityClient -- what an entity shows of its equipment: skin textures an item changes on the entity's own copy of its skin, and item models hung on the tags of its model.
#include "client/EntityClient.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/EngineEnums.h"
#include "core/EnumTable.h"
#include "core/StringUtil.h"
#include "resources/ResourceManager.h"
#include "resources/models/ModelResource.h"
#include "resources/models/Skin.h"
#include "rules/CharacterClass.h"
#include "rules/monsters/MonsterArchetype.h"

#include <algorithm>
#include <cctype>

namespace {

// The glow passes an item's kind asks for.
constexpr int32_t kEquipmentGlowSet = 5;
constexpr int32_t kEquipmentGlowUnique = 6;
constexpr int32_t kEquipmentGlowArtifact = 7;

const DatabaseEntry* EquipmentItemRecord(int32_t index)
{
    return index >= 0 && gDatabase ? gDatabase->GetEntryByIndex(index) : nullptr;
}

bool EquipmentIsModelFile(const std::string& name)
{
    size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return false;
    std::string extension = name.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == "mdl";
}

// The class's name as a texture key ends in it: "$$ClassWarden$$" gives "ClassWarden".
std::string EquipmentClassSuffix(const CharacterClass& characterClass)
{
    std::string suffix = characterClass.name;
    for (size_t at = suffix.find("$$"); at != std::string::npos; at = suffix.find("$$"))
        suffix.erase(at, 2);
    return suffix;
}

} // namespace

const EntityClient::EquipmentLocation* EntityClient::GetEquipment(int32_t location) const
{
    return location >= 0 && location < kEquipmentLocations ? &equipment[static_cast<size_t>(location)] : nullptr;
}

void EntityClient::ShowItemOnBody(int32_t location, int32_t itemIndex, bool onGround)
{
    if (location < 0 || location >= kEquipmentLocations)
        return;
    EquipmentLocation& shown = equipment[static_cast<size_t>(location)];
    if (shown.itemIndex == itemIndex)
        return;
    shown.itemIndex = itemIndex;
    const DatabaseEntry* item = EquipmentItemRecord(itemIndex);
    ShowItemSkin(location, item);
    std::string modelFile = item ? item->GetString("UseModelName") : std::string();
    bool hangs = item && !modelFile.empty() && (item->GetInt("ShowOnBody") != 0 || onGround) &&
                 EquipmentIsModelFile(modelFile);
    if (!hangs) {
        shown.model.Reset();
        return;
    }
    shown.model = AcquireResource(modelFile);
    shown.scale = item->GetFloat("Scale", 0.0f);
    shown.tagName = item->GetString("TagName");
    if (item->GetInt("Unique") != 0)
        shown.glow = kEquipmentGlowUnique;
    else if (!item->GetString("Set").empty())
        shown.glow = kEquipmentGlowSet;
    else if (item->GetInt("Artifact") != 0)
        shown.glow = kEquipmentGlowArtifact;
}

void EntityClient::ShowItemSkin(int32_t location, const DatabaseEntry* item)
{
    if (!classRecord)
        return;
    std::string texture = item ? item->GetString("SkinTextureName" + EquipmentClassSuffix(*classRecord)) : std::string();
    if (!isNpc || summoned) {
        int32_t surface = classRecord->skinSurfaces[static_cast<size_t>(location)];
        if (surface < 0 || texture.empty())
            ResetSkinSurfaceTexture(surface);
        else
            SetSkinSurfaceTexture(surface, texture);
        return;
    }
    if (location != kLocationChest)
        return;
    int32_t body = archetype ? archetype->skinSurface : -1;
    if (texture.empty())
        ResetSkinSurfaceTexture(body);
    else
        SetSkinSurfaceTexture(body, texture);
}

const Skin* EntityClient::GetSharedSkin() const
{
    return skin.IsValid() && gResourceManager ? dynamic_cast<const Skin*>(gResourceManager->Get(skin)) : nullptr;
}

void EntityClient::SetSkinSurfaceTexture(int32_t surface, const std::string& texture)
{
    const Skin* shared = GetSharedSkin();
    // A surface the skin does not have stays as it is rather than growing the copy.
    if (surface < 0 || !shared || !shared->FindSurface(surface))
        return;
    if (!ownSkin) {
        ownSkin = std::make_unique<Skin>();
        ownSkin->CopyFrom(*shared);
    }
    ownSkin->SetSurfaceTexture(surface, texture);
}

void EntityClient::ResetSkinSurfaceTexture(int32_t surface)
{
    const Skin* shared = GetSharedSkin();
    if (!ownSkin || surface < 0 || !shared || !shared->FindSurface(surface))
        return;
    ownSkin->SetSurfaceTextureHandle(surface, shared->GetSurfaceShader(surface));
}

const Skin* EntityClient::GetDrawSkin() const
{
    return ownSkin ? ownSkin.get() : GetSharedSkin();
}

void EntityClient::CopyEquipmentLocation(EquipmentLocation& destination, const EquipmentLocation& source)
{
    if (&destination == &source)
        return;
    destination.itemIndex = source.itemIndex;
    // The handle's copy counts the source's model once more and lets the old one go.
    destination.model = source.model;
    destination.scale = source.scale;
    destination.tagName = source.tagName;
    destination.glow = source.glow;
}

const ModelResource* EntityClient::GetModelResource(int32_t handle)
{
    return handle != -1 && gResourceManager && gResourceManager->IsLoaded(handle)
               ? dynamic_cast<const ModelResource*>(gResourceManager->Get(handle))
               : nullptr;
}

int32_t EntityClient::FindWearerTag(int32_t location) const
{
    const EquipmentLocation* shown = GetEquipment(location);
    const ModelResource* wearer = GetModelResource(model);
    if (!shown || !shown->model.IsValid() || !wearer || shown->tagName.empty())
        return -1;
    return wearer->FindTag(shown->tagName);
}

bool EntityClient::GetAttachedModelTransform(int32_t location, WorldPos3& position, Matrix3& matrix) const
{
    int32_t tag = FindWearerTag(location);
    if (tag == -1)
        return false;
    SetModelTransform(tag, position, matrix);
    return true;
}

int32_t EntityClient::FindAttachedModelTag(int32_t location, std::string_view name) const
{
    if (FindWearerTag(location) == -1 || name.empty())
        return -1;
    const ModelResource* attached = GetModelResource(equipment[static_cast<size_t>(location)].model);
    return attached ? attached->FindTag(name) : -1;
}
