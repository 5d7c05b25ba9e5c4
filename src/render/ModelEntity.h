// ModelEntity -- what the world view asks of an entity whose model it draws: the entity, its light's owner and its six-sided light cache.
#pragma once

#include <array>
#include <cstdint>

class EntityBase;

// The six-sided light of an entity, right, left, front, back, top, bottom, RGB each; filled at
// most once a frame, when the frame number differs from the one drawn.
struct ModelLightCache {
    std::array<float, 18> colors{};
    int64_t frame = -1;
};

// The client entity implements this. The renderer keeps no pointer past the frame it draws.
class ModelEntity {
public:
    virtual ~ModelEntity() = default;

    virtual EntityBase& GetEntityBase() = 0;
    // The entity whose light cache lights this one (the wielder of a weapon model); null: its own.
    virtual ModelEntity* GetLightOwner() = 0;
    virtual ModelLightCache& GetLightCache() = 0;
};
