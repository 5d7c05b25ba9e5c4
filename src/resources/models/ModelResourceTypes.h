// ModelResourceTypes -- registers the six model resource types (models, skeletons, meshes, animations, tags, skins) and preloads the shipped models.
#pragma once

#include "resources/models/ModelResource.h"

#include <functional>
#include <vector>

class ResourceManager;

// Asked on the loader thread each time a model file is read; the game data is the usual source.
using ModelGridSource = std::function<ModelGrid()>;

// "mdl", "mds", "mdm", "mda", "tag", "skn", in that order: graphics memory, read from files,
// reloadable, no fallback. Called before ResourceManager::Init, as every resource family is.
// Without a grid source the default grid is used.
void RegisterModelResourceTypes(ResourceManager& manager, ModelGridSource gridSource = {});

// Loads every ".mdl" under "Models" and waits for it and every file it names (the skins'
// shaders and the sprites' frames included), holding each model in held: a broken shipped model
// is in the log at start-up rather than when an entity first shows it.
void PreloadModels(std::vector<ResourceHandle>& held);
