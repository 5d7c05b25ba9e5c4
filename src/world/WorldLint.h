// WorldLint -- the content lint's checks of the world's records: adventures, areas and the area files they name.
#pragma once

#include "rules/ContentLint.h"

#include <vector>

// For ContentLint::CheckGameContent: every "Adventure" and every "Area" record. An adventure
// must name existing sizes (one of them "Standard"), sections and secret areas; a section's
// areas must be "Area" records. An area must name a known level generator, existing monster
// archetypes that can start a pool, chest and trap records and linked areas, and an area file
// that exists and parses without a fault, whose textures and models exist.
std::vector<ContentLint::ExtraKindCheck> WorldLintChecks();
