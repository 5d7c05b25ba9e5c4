// MeshResource -- the ".mdm" mesh file: surfaces, triangles, vertices and bone weights, used in place.
#include "resources/models/MeshResource.h"

#include "core/DebugSystem.h"
#include "resources/models/BinaryModelFile.h"
#include "resources/models/SkeletonResource.h"

#include <algorithm>
#include <memory>

namespace {

constexpr size_t kSurfaceRecordWords = 5;
constexpr int64_t kWeightBytes = sizeof(MeshWeight);

bool CheckTriangles(const BinaryModelFile& file, const MeshSurface& surface)
{
    for (int32_t t = 0; t < surface.triangleCount; ++t) {
        for (int32_t index : surface.triangles[t].vertex) {
            if (index < 0 || index >= surface.vertexCount)
                return file.Refuse("triangle vertex outside its surface");
        }
    }
    return true;
}

bool CheckVertices(const BinaryModelFile& file, const MeshSurface& surface, int32_t weightCount)
{
    for (int32_t v = 0; v < surface.vertexCount; ++v) {
        const MeshVertex& vertex = surface.vertices[v];
        if (vertex.weightCount < 0 || vertex.firstWeight < 0 ||
            static_cast<int64_t>(vertex.firstWeight) + vertex.weightCount > weightCount)
            return file.Refuse("vertex weights outside the weight table");
        if (!AllFinite({vertex.u, vertex.v, vertex.normal.x, vertex.normal.y, vertex.normal.z}))
            return file.Refuse("vertex value not finite");
    }
    return true;
}

} // namespace

Resource* MeshResource::Load(const std::string& name, uint8_t* bytes, uint32_t byteCount, int32_t)
{
    BinaryModelFile file(name, bytes, byteCount);
    const auto* header = file.Table<MeshHeader>(0, 1, "header");
    if (!header)
        return nullptr;
    auto mesh = std::make_unique<MeshResource>();
    mesh->header = header;
    const auto* records = file.Table<int32_t[kSurfaceRecordWords]>(header->surfaceOffset, header->surfaceCount,
                                                                     "surface table");
    if (!records || !mesh->MapTables(file) || !mesh->CheckWeights(file) || !mesh->ReadSurfaces(file, records))
        return nullptr;
    mesh->KeepBytes(bytes, byteCount);
    return mesh.release();
}

bool MeshResource::MapTables(const BinaryModelFile& file)
{
    triangles = file.Table<MeshTriangle>(header->triangleOffset, header->triangleCount, "triangle table");
    if (!triangles)
        return false;
    vertices = file.Table<MeshVertex>(header->vertexOffset, header->vertexCount, "vertex table");
    if (!vertices)
        return false;
    int64_t weightBytes = static_cast<int64_t>(file.GetByteCount()) - header->weightOffset;
    weightCount = weightBytes > 0 ? static_cast<int32_t>(weightBytes / kWeightBytes) : 0;
    weights = file.Table<MeshWeight>(header->weightOffset, weightCount, "weight table");
    return weights != nullptr;
}

bool MeshResource::CheckWeights(const BinaryModelFile& file)
{
    for (int32_t w = 0; w < weightCount; ++w) {
        const MeshWeight& weight = weights[w];
        if (weight.bone < 0 || weight.bone >= SkeletonResource::kMaxBones)
            return file.Refuse("weight bone outside any skeleton");
        if (!AllFinite({weight.position.x, weight.position.y, weight.position.z, weight.weight}))
            return file.Refuse("weight value not finite");
        boneSpan = std::max(boneSpan, weight.bone + 1);
    }
    return true;
}

bool MeshResource::ReadSurfaces(const BinaryModelFile& file, const int32_t (*records)[5])
{
    bool versionOne = header->version == 1;
    for (int32_t s = 0; s < header->surfaceCount; ++s) {
        const int32_t* record = records[s];
        MeshSurface surface;
        surface.id = record[0];
        surface.triangleCount = versionOne ? record[1] : record[2];
        surface.vertexCount = versionOne ? record[2] : record[1];
        surface.triangles = file.Table<MeshTriangle>(versionOne ? record[3] : record[4], surface.triangleCount,
                                                     "surface triangles");
        surface.vertices = file.Table<MeshVertex>(versionOne ? record[4] : record[3], surface.vertexCount,
                                                  "surface vertices");
        if (!surface.triangles || !surface.vertices || !CheckTriangles(file, surface) ||
            !CheckVertices(file, surface, weightCount))
            return false;
        surfaces.push_back(surface);
    }
    return true;
}

void MeshResource::PrintInfo()
{
    DebugSystem::Print(kPrintPlain, "NumSurfaces - %d\n", header->surfaceCount);
    DebugSystem::Print(kPrintPlain, "NumTris - %d\n", header->triangleCount);
    DebugSystem::Print(kPrintPlain, "NumVerts - %d\n", header->vertexCount);
}
