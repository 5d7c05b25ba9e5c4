// SoulStone -- what a player's death outside the covenants' fights leaves where it fell: the share of the experience debt it holds, kept in the world save.
#pragma once

#include "entities/Entity.h"

#include <cstdint>

class SoulStone : public Entity {
public:
    static constexpr const char* kRecordName = "ObjectSoulStone";

    int32_t GetAmount() const { return amount; }
    // A new amount unlinks the stone: its two link words (parent and tag) become -1.
    void SetAmount(int32_t value);
    // One little-endian word: the amount.
    void WriteSaved(MessageBuffer& buffer) const override;
    // False, with nothing changed, for a word cut short or a negative amount.
    bool ReadSaved(MessageBuffer& buffer, int32_t version) override;

private:
    int32_t amount = 0;
};
