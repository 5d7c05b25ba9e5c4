// EntityEffectHost -- a client entity as the effects hanging on it see it: owner, opacity, attach points on its model and on its hung equipment, beam ends and colours.
#pragma once

#include "core/SafeClass.h"
#include "resources/effects/EffectHost.h"

class EntityClient;

// Lives inside its entity and dies with it. Effects keep a safe pointer to the host itself
// (they find the host again from it), so an entity's death leaves its effects without owner.
class EntityEffectHost : public SafeClass, public EffectHost {
public:
    explicit EntityEffectHost(EntityClient& owner) : entity(owner) {}

    EntityClient& GetEntity() const { return entity; }

    SafeClass& GetSafeObject() override;
    EffectHost* GetEffectOwner() override;
    float GetOpacity() override;
    bool IsDead() override;
    bool IsHidden() override;
    int32_t FindAttachPoint(std::string_view name) override;
    // Without a loaded model or for -1, the entity's own placement.
    void GetAttachPointTransform(int32_t index, AttachTransform& out) override;
    int32_t FindEquippedAttachPoint(int32_t location, std::string_view name) override;
    // The hung model's placement, then its point in that model's first pose; untouched when
    // nothing hangs at the location.
    void GetEquippedAttachPointTransform(int32_t location, int32_t index, AttachTransform& out) override;
    void GetBeamEndPoint(int32_t which, int32_t& entityNumber, int32_t& attachIndex) override;
    int32_t GetItemTypeColorIndex() override;
    int32_t GetCovenantColorIndex() override;

private:
    EntityClient& entity;
};
