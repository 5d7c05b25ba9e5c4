// ModelResourceTypes -- registers the six model resource types (models, skeletons, meshes, animations, tags, skins) and preloads the shipped models.
#include "resources/models/ModelResourceTypes.h"

#include "core/DebugSystem.h"
#include "core/FileSystem.h"
#include "resources/ResourceManager.h"
#include "resources/models/AnimationResource.h"
#include "resources/models/MeshResource.h"
#include "resources/models/ModelFileParser.h"
#include "resources/models/SkeletonResource.h"
#include "resources/models/Skin.h"
#include "resources/models/TagsResource.h"

#include <utility>

namespace {

void WaitForModelFiles(int32_t handle)
{
    auto* model = dynamic_cast<ModelResource*>(gResourceManager->Get(handle));
    if (!model)
        return;
    for (int32_t part : {model->skeleton.GetValue(), model->mesh.GetValue(), model->tags.GetValue(),
                         model->mapShader.GetValue()})
        gResourceManager->Get(part);
    if (const Skin* skin = model->GetSkin()) {
        for (const Skin::Entry& entry : skin->GetEntries())
            gResourceManager->Get(entry.shader);
    }
    for (const auto& entry : model->animations) {
        gResourceManager->Get(entry->animation);
        for (const ResourceHandle& frame : entry->frameTextures)
            gResourceManager->Get(frame);
    }
}

} // namespace

void RegisterModelResourceTypes(ResourceManager& manager, ModelGridSource gridSource)
{
    auto readModel = [source = std::move(gridSource)](const std::string& name, uint8_t* bytes, uint32_t byteCount,
                                                      int32_t) -> Resource* {
        return ModelFileParser::Read(name, bytes, byteCount, source ? source() : ModelGrid());
    };
    manager.RegisterType("mdl", kMemGraphics, true, "", true, readModel);
    manager.RegisterType("mds", kMemGraphics, true, "", true, SkeletonResource::Load);
    manager.RegisterType("mdm", kMemGraphics, true, "", true, MeshResource::Load);
    manager.RegisterType("mda", kMemGraphics, true, "", true, AnimationResource::Load);
    manager.RegisterType("tag", kMemGraphics, true, "", true, TagsResource::Load);
    manager.RegisterType("skn", kMemGraphics, true, "", true, Skin::Load);
}

void PreloadModels(std::vector<ResourceHandle>& held)
{
    std::vector<std::string> names;
    gFileSystem->ListFiles("Models", "mdl", names, kLocationAssets, true, true, true);
    size_t first = held.size();
    held.resize(first + names.size());
    for (size_t i = 0; i < names.size(); ++i)
        gResourceManager->Load(names[i], held[first + i]);
    for (size_t i = first; i < held.size(); ++i)
        WaitForModelFiles(held[i]);
    DebugSystem::Print(kPrintDeveloper, "Loaded %zu models\n", names.size());
}
