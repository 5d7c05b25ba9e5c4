// SoulStone -- what a player's death outside the covenants' fights leaves where it fell: the share of the experience debt it holds, kept in the world save.
#include "entities/SoulStone.h"

#include "core/MessageBuffer.h"

void SoulStone::SetAmount(int32_t value)
{
    if (value == amount)
        return;
    amount = value;
    parentNumber = -1;
    parentTag = -1;
}

void SoulStone::WriteSaved(MessageBuffer& buffer) const
{
    buffer.WriteInt(amount);
}

bool SoulStone::ReadSaved(MessageBuffer& buffer, int32_t)
{
    if (buffer.BytesLeft() < sizeof(int32_t))
        return false;
    int32_t saved = buffer.ReadInt();
    if (saved < 0)
        return false;
    SetAmount(saved);
    return true;
}
