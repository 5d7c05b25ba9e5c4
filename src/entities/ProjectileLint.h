// ProjectileLint -- the content lint's checks of projectiles: their kind names, the records and models they lead to, and the skills that fire them.
#pragma once

#include "rules/ContentLint.h"

#include <vector>

// For ContentLint::CheckGameContent: every "Projectile" record must name a known
// "ProjectileType", and its "Beam" and "ExplosionProjectile" must be projectile records and its
// "ModelName" and "Explosion" models that exist, and neither may lead back to the record
// itself; every skill's "Projectile" must be a projectile record.
std::vector<ContentLint::ExtraKindCheck> ProjectileLintChecks();
