// TextResource -- a plain text file ("txt") held as its bytes.
#pragma once

#include "resources/Resource.h"

#include <cstdint>
#include <string>

class TextResource : public Resource {
public:
    // The factory: the object keeps the file's bytes as they are.
    static Resource* Create(const std::string& name, uint8_t* bytes, uint32_t byteCount, int32_t loadArgument);
    // The fallback for a missing file: no bytes, a count of 0.
    static Resource* CreateEmpty(const std::string& name);
};
