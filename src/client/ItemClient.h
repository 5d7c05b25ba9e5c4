// ItemClient -- the client's mirror of one item of an inventory the client holds: the shared item record as the last update or file gave it.
#pragma once

#include "rules/items/ItemBase.h"

// What the client shows of an item beyond the shared record (its value by the price factors,
// its sounds, its texts) comes with the inventory mirrors.
class ItemClient : public ItemBase {};
