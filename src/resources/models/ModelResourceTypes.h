// ModelResourceTypes -- registers the six model resource types: models, skeletons, meshes, animations, tags and skins.
#pragma once

#include "resources/models/ModelResource.h"

#include <functional>

class ResourceManager;

// Asked on the loader thread each time a model file is read; the game data is the usual source.
using ModelGridSource = std::function<ModelGrid()>;

// "mdl", "mds", "mdm", "mda", "tag", "skn", in that order: graphics memory, read from files,
// reloadable, no fallback. Called before ResourceManager::Init, as every resource family is.
// Without a grid source the default grid is used.
void RegisterModelResourceTypes(ResourceManager& manager, ModelGridSource gridSource = {});
