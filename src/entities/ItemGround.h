// ItemGround -- the entity that shows one item lying in the world: its drop near a spot, its fall, its time on the ground and its state for the clients.
#pragma once

#include "entities/Entity.h"

#include <memory>

class Item;

class ItemGround : public Entity {
public:
    static constexpr int32_t kNearRings = 4;
    static constexpr float kDisappearSoundRadius = 300.0f;

    ItemGround();
    // Destroys the item unless kept; an item that leaves by its time plays its disappear sound.
    ~ItemGround() override;

    // A ground entity for the item at a free spot near the position, added to the game. On
    // success the item is taken (and null); otherwise it stays with the caller and null is
    // returned: on no level, no free spot, or a full entity table.
    static ItemGround* Drop(const WorldPos& near, std::unique_ptr<Item>& item, bool withoutTimer, bool searchWidely,
                            bool fall);

    // An entity that only shows the item (a relic on its pedestal): never picked up, never
    // timed out, not yet in the game.
    static ItemGround* MakeDisplay(std::unique_ptr<Item> item);
    bool TraitL() const override { return false; }
    void PlayFall();
    // Not being picked up and not falling.
    bool CanBePickedUp() const;

    void Update(float seconds) override;
    // One word by the record's entry type: Item its quality, Money its amount, QuestItem its
    // quest's number (-1 without one); nothing for other types.
    void WriteNetState(MessageBuffer& buffer) const override;
    // Only an item that stays on the ground for good is saved with the world.
    bool IsFree() const override;
    bool IsGroundItem() const override { return true; }

    // The entity's look-up of a carried item stays beside this one.
    using Entity::GetItem;
    Item* GetItem() const { return item.get(); }
    // Hands the item over (to the player who picks it up); the entity then carries none.
    std::unique_ptr<Item> TakeItem();

    bool itemKept = false;
    bool beingPickedUp = false;
    bool display = false;
    float timeOnGround = 0.0f;

private:
    static bool FindSpot(const WorldPos& near, bool searchWidely, WorldPos& out);

    std::unique_ptr<Item> item;
};
