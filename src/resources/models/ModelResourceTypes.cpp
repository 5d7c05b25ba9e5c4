// ModelResourceTypes -- registers the six model resource types: models, skeletons, meshes, animations, tags and skins.
#include "resources/models/ModelResourceTypes.h"

#include "resources/ResourceManager.h"
#include "resources/models/AnimationResource.h"
#include "resources/models/MeshResource.h"
#include "resources/models/ModelFileParser.h"
#include "resources/models/SkeletonResource.h"
#include "resources/models/Skin.h"
#include "resources/models/TagsResource.h"

#include <utility>

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
