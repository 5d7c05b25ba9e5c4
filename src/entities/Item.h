// Item -- an item held or dropped by a host entity.
#pragma once

#include "rules/items/ItemBase.h"

// The host's behaviour of items (use, steps, ground drops) comes with combat and items.
class Item : public ItemBase {};
