// RecordingGL -- a GLApi that writes each call as a line ("Enable 3042") instead of drawing, and keeps what a draw call would read.
#pragma once

#include "render/GLApi.h"

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

class RecordingGL : public GLApi {
public:
    // One line as the recorder writes it: the name, then each argument after a space.
    template <typename... Args> static std::string Line(const char* name, Args... args)
    {
        std::string line = name;
        ((line += " " + Text(args)), ...);
        return line;
    }

    void Enable(uint32_t capability) override { Add(Line("Enable", capability)); }
    void Disable(uint32_t capability) override { Add(Line("Disable", capability)); }
    void BlendFunc(uint32_t source, uint32_t destination) override { Add(Line("BlendFunc", source, destination)); }
    void DepthFunc(uint32_t function) override { Add(Line("DepthFunc", function)); }
    void DepthMask(bool write) override { Add(Line("DepthMask", write)); }
    void ColorMask(bool write) override { Add(Line("ColorMask", write)); }
    void AlphaFunc(uint32_t function, float reference) override { Add(Line("AlphaFunc", function, reference)); }
    void CullFace(uint32_t face) override { Add(Line("CullFace", face)); }
    void StencilFunc(uint32_t function, int32_t reference) override { Add(Line("StencilFunc", function, reference)); }
    void StencilOp(uint32_t fail, uint32_t depthFail, uint32_t depthPass) override
    {
        Add(Line("StencilOp", fail, depthFail, depthPass));
    }
    void BindTexture(uint32_t name) override { Add(Line("BindTexture", name)); }
    void TexParameter(uint32_t parameter, int32_t value) override { Add(Line("TexParameter", parameter, value)); }
    void EnableClientState(uint32_t array) override { Add(Line("EnableClientState", array)); }
    void DisableClientState(uint32_t array) override { Add(Line("DisableClientState", array)); }
    void VertexPointer(int32_t size, int32_t stride, const float* positions) override
    {
        vertexData = positions;
        Add(Line("VertexPointer", size, stride));
    }
    void TexCoordPointer(int32_t size, int32_t stride, const float* coordinates) override
    {
        texCoords = coordinates;
        texCoordStride = stride;
        Add(Line("TexCoordPointer", size, stride));
    }
    void ColorPointer(int32_t size, int32_t stride, const uint8_t* colors) override
    {
        colorData = colors;
        Add(Line("ColorPointer", size, stride));
    }
    void Color3f(float red, float green, float blue) override { Add(Line("Color3f", red, green, blue)); }
    void Color4f(float red, float green, float blue, float alpha) override
    {
        Add(Line("Color4f", red, green, blue, alpha));
    }
    void DrawTriangles(int32_t indexCount, const uint16_t* indexes) override
    {
        if (colorData)
            drawnColors.push_back({colorData[0], colorData[1], colorData[2], colorData[3]});
        drawnIndexes.emplace_back(indexes, indexes + indexCount);
        Add(Line("DrawTriangles", indexCount));
    }
    void DrawLines(int32_t vertexCount) override
    {
        if (vertexData)
            drawnLines.emplace_back(vertexData, vertexData + vertexCount * 3);
        Add(Line("DrawLines", vertexCount));
    }
    void LineWidth(float width) override { Add(Line("LineWidth", width)); }
    void LineStipple(int32_t factor, uint16_t pattern) override
    {
        Add(Line("LineStipple", factor, static_cast<uint32_t>(pattern)));
    }
    void PolygonMode(uint32_t mode) override { Add(Line("PolygonMode", mode)); }
    bool LockArrays(int32_t first, int32_t count) override
    {
        if (!hasCompiledArrays)
            return false;
        Add(Line("LockArrays", first, count));
        return true;
    }
    void UnlockArrays() override { Add("UnlockArrays"); }
    void CopyTexSubImage2D(int32_t x, int32_t y, int32_t width, int32_t height) override
    {
        Add(Line("CopyTexSubImage2D", x, y, width, height));
    }
    void Viewport(int32_t x, int32_t y, int32_t width, int32_t height) override
    {
        Add(Line("Viewport", x, y, width, height));
    }
    // The matrix's translation and diagonal: what the overlays set.
    void LoadTextureMatrix(const float* m) override
    {
        Add(Line("LoadTextureMatrix", m[0], m[5], m[10], m[15], m[12], m[13]));
    }

    void Clear()
    {
        calls.clear();
        drawnIndexes.clear();
        drawnLines.clear();
    }
    size_t Count(const std::string& line) const
    {
        return static_cast<size_t>(std::count(calls.begin(), calls.end(), line));
    }
    // The calls whose line starts with the name and a space (or is the name).
    std::vector<std::string> Named(const std::string& name) const
    {
        std::vector<std::string> found;
        for (const std::string& call : calls) {
            if (call == name || call.rfind(name + " ", 0) == 0)
                found.push_back(call);
        }
        return found;
    }

    std::vector<std::string> calls;
    bool hasCompiledArrays = false;
    const float* texCoords = nullptr;
    int32_t texCoordStride = 0;
    const uint8_t* colorData = nullptr;
    // The first vertex's colour of each triangle draw made with a colour array.
    std::vector<std::array<uint8_t, 4>> drawnColors;
    // The indexes of each triangle draw.
    std::vector<std::vector<uint16_t>> drawnIndexes;
    const float* vertexData = nullptr;
    // The x, y, z of every vertex of each line draw.
    std::vector<std::vector<float>> drawnLines;

private:
    void Add(const std::string& line) { calls.push_back(line); }
    static std::string Text(uint32_t value) { return std::to_string(value); }
    static std::string Text(int32_t value) { return std::to_string(value); }
    static std::string Text(bool value) { return value ? "1" : "0"; }
    static std::string Text(float value)
    {
        char buffer[32];
        std::snprintf(buffer, sizeof(buffer), "%g", static_cast<double>(value));
        return buffer;
    }
};
