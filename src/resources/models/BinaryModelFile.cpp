// BinaryModelFile -- the checked view of a skeleton, mesh or animation file: every table proved to lie inside the bytes.
#include "resources/models/BinaryModelFile.h"

#include "core/DebugSystem.h"

#include <cmath>
#include <cstring>

const void* BinaryModelFile::Span(int64_t offset, int64_t count, size_t recordBytes, const char* what) const
{
    // Both factors fit in 32 bits, so the product cannot overflow 64.
    bool inside = offset >= 0 && count >= 0 && offset % 4 == 0 && offset <= byteCount &&
                  count <= UINT32_MAX && count * static_cast<int64_t>(recordBytes) <= byteCount - offset;
    if (!inside) {
        Refuse(what);
        return nullptr;
    }
    return bytes + offset;
}

const char* BinaryModelFile::Text(int64_t offset, const char* what) const
{
    if (offset < 0 || offset >= byteCount || !std::memchr(bytes + offset, 0, byteCount - offset)) {
        Refuse(what);
        return nullptr;
    }
    return reinterpret_cast<const char*>(bytes + offset);
}

bool BinaryModelFile::Refuse(const char* what) const
{
    DebugSystem::Print(kPrintError, "%s is damaged (%s); not loaded\n", name.c_str(), what);
    return false;
}

bool AllFinite(std::initializer_list<float> values)
{
    for (float value : values) {
        if (!std::isfinite(value))
            return false;
    }
    return true;
}
