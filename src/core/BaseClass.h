// BaseClass -- the root of the engine's class tree: systems, resources and data objects.
#pragma once

class BaseClass {
public:
    virtual ~BaseClass() = default;
};
