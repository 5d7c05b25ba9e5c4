// MeshResource -- the ".mdm" mesh file: surfaces, triangles, vertices and bone weights, used in place.
#pragma once

#include "core/Vector.h"
#include "resources/Resource.h"

#include <cstdint>
#include <string>
#include <vector>

class BinaryModelFile;

struct MeshHeader {
    int32_t unused;
    int32_t version; // 1 orders the surface records one way, every other value the other
    int32_t surfaceCount;
    int32_t triangleCount; // whole file
    int32_t vertexCount;   // whole file
    int32_t surfaceOffset;
    int32_t triangleOffset;
    int32_t vertexOffset;
    int32_t weightOffset; // the weight table runs to the end of the file
};

// Indices counted from the surface's first vertex.
struct MeshTriangle {
    int32_t vertex[3];
};

// A vertex has no position of its own: it is the weighted sum of its weights in the posed skeleton.
struct MeshVertex {
    float u;
    float v;
    Vector3 normal;
    int32_t weightCount;
    int32_t firstWeight; // index into the whole weight table
};

struct MeshWeight {
    int32_t bone;
    Vector3 position; // relative to the bone
    float weight;
};

// A surface record as version 1 orders it, with the offsets turned into pointers.
struct MeshSurface {
    int32_t id = 0;
    int32_t triangleCount = 0;
    int32_t vertexCount = 0;
    const MeshTriangle* triangles = nullptr;
    const MeshVertex* vertices = nullptr;
};

class MeshResource : public Resource {
public:
    // The "mdm" factory (loader thread). Refuses (null, logged) a file whose tables leave the
    // bytes, whose triangles name vertices outside their surface, whose vertices name weights
    // outside the weight table, whose weights name a negative bone, or with a value not finite.
    static Resource* Load(const std::string& name, uint8_t* bytes, uint32_t byteCount, int32_t loadArgument);

    const MeshHeader& GetHeader() const { return *header; }
    int32_t GetSurfaceCount() const { return static_cast<int32_t>(surfaces.size()); }
    const std::vector<MeshSurface>& GetSurfaces() const { return surfaces; }
    const MeshWeight* GetWeights() const { return weights; }
    int32_t GetWeightCount() const { return weightCount; }
    // One more than the highest bone a weight names: a skeleton with fewer bones cannot pose
    // this mesh, which its drawer must check.
    int32_t GetBoneSpan() const { return boneSpan; }

    void PrintInfo() override;

private:
    // Points at the header's tables; false (logged) at the first that leaves the file.
    bool MapTables(const BinaryModelFile& file);
    bool ReadSurfaces(const BinaryModelFile& file, const int32_t (*records)[5]);
    bool CheckWeights(const BinaryModelFile& file);

    const MeshHeader* header = nullptr;
    const MeshTriangle* triangles = nullptr;
    const MeshVertex* vertices = nullptr;
    const MeshWeight* weights = nullptr;
    int32_t weightCount = 0;
    int32_t boneSpan = 0;
    std::vector<MeshSurface> surfaces;
};
