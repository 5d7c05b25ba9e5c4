// ResourceType -- what the files of one extension become: factory, fallback, prerequisite and loading rules.
#pragma once

#include "core/Memory.h"

#include <cstdint>
#include <functional>
#include <string>

class Resource;

// Runs on the loader thread, outside the manager's lock. bytes is null (count 0) for a type
// that reads no file; the factory may keep them (Resource::KeepBytes), otherwise the manager
// frees them when it returns. A null result leaves the row loaded without an object.
using ResourceFactory =
    std::function<Resource*(const std::string& name, uint8_t* bytes, uint32_t byteCount, int32_t loadArgument)>;
// Builds a stand-in from the name alone when no file exists.
using ResourceFallback = std::function<Resource*(const std::string& name)>;
// The handle of another row that must be loaded before this one, or -1.
using ResourcePrerequisite = std::function<int32_t(const std::string& name, int32_t loadArgument)>;
// Brings the named file up to date before it is read (a cache built from its source); runs on
// the thread that loads the row, outside the manager's lock.
using ResourceRefresh = std::function<void(const std::string& name)>;

struct ResourceType {
    ResourceFactory factory;
    ResourceFallback fallback;
    ResourcePrerequisite prerequisite;
    ResourceRefresh refresh;
    // The allocator category the file's bytes are charged to.
    MemoryCategory memoryCategory = kMemGeneral;
    // Tried, in place of the name's own extension, when the named file exists nowhere.
    std::string alternativeExtension;
    bool readsFile = true;
    bool reloadable = true;
};
