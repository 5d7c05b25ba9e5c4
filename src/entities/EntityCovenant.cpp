// EntityCovenant -- a covenant as its member entities see it; the covenants library implements it.
#include "entities/EntityCovenant.h"

#include "entities/Entity.h"

WorldPos EntityCovenant::GetSpawnPointNearHome() const
{
    const Entity* home = GetHomeEntity();
    WorldPos point = home ? home->position : GetHomePosition();
    point.x += kSpawnPointOffset;
    point.Normalize();
    return point;
}
