// EffectHost -- what live effects ask of the client entity they hang on: owner, opacity, attach points, colours.
#pragma once

#include "core/Matrix.h"
#include "resources/effects/EffectPos.h"

#include <cstdint>
#include <string_view>

class SafeClass;

// An attach point's world position and orientation (rows are the point's axes).
struct AttachTransform {
    EffectPos position;
    Matrix3 orientation;
};

// Attach-point indexes number a model's bones first, then its tags; -1 is the entity itself.
// The client entity implements this; effects keep a safe pointer to GetSafeObject, so an
// effect whose host dies sees no owner from then on.
class EffectHost {
public:
    virtual ~EffectHost() = default;

    // The object whose destruction clears the effects' pointers to this host.
    virtual SafeClass& GetSafeObject() = 0;
    // The entity this one belongs to (the wielder of a weapon model), or null.
    virtual EffectHost* GetEffectOwner() = 0;
    // Own opacity times its visibility factor times its owner's.
    virtual float GetOpacity() = 0;
    virtual bool IsDead() = 0;
    // The entity's hidden flag (bit 0x400 of its flag word).
    virtual bool IsHidden() = 0;

    // -1 without a loaded model or for an unknown name (the empty name included).
    virtual int32_t FindAttachPoint(std::string_view name) = 0;
    virtual void GetAttachPointTransform(int32_t index, AttachTransform& out) = 0;
    // The same on the model attached at an equipment location; -1 when the location is empty.
    virtual int32_t FindEquippedAttachPoint(int32_t location, std::string_view name) = 0;
    virtual void GetEquippedAttachPointTransform(int32_t location, int32_t index, AttachTransform& out) = 0;

    // Beam end point 0 or 1: the entity number and attach-point index the entity names.
    virtual void GetBeamEndPoint(int32_t which, int32_t& entityNumber, int32_t& attachIndex) = 0;
    // Colour-table indexes of the entity's item type and of its covenant's colour; -1 for none.
    virtual int32_t GetItemTypeColorIndex() = 0;
    virtual int32_t GetCovenantColorIndex() = 0;
};
