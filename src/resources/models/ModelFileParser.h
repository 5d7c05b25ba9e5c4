// ModelFileParser -- reads a ".mdl" model file into a ModelResource: keywords, animation entries, events and the collision block.
#pragma once

#include "core/TextParser.h"
#include "resources/models/ModelResource.h"

#include <cstdint>
#include <string>
#include <vector>

// Keywords, their "{" and a block's "}" may stand on any line; a keyword's values stand on its
// own line. An unknown word is skipped by itself. Each parse has its own state, so models may
// be read on any thread.
class ModelFileParser {
public:
    // The widest frame number a sprite texture name carries has four digits.
    static constexpr int32_t kMaxSpriteFrames = 9999;
    static constexpr int32_t kMaxSpriteDirections = 8;

    // Any text gives a model; the files it names are requested, not waited for.
    static ModelResource* Read(const std::string& fileName, const uint8_t* bytes, uint32_t byteCount,
                               const ModelGrid& grid);
    // A "dir" value as a prefix: backslashes turned into "/" and one "/" at the end; an empty
    // value gives the empty prefix.
    static std::string MakeDirectoryPrefix(std::string value);

private:
    ModelFileParser(const std::string& fileName, const uint8_t* bytes, uint32_t byteCount, const ModelGrid& grid,
                    ModelResource& model);

    void Parse();
    void ReadKeyword(const std::string& keyword);
    void ReadAnimations();
    bool ReadSkeletalEntry(Animation& entry);
    bool ReadSpriteEntry(Animation& entry);
    void ReadEvents(std::vector<AnimationEvent>& events);
    void ReadCollision();
    // Loads prefix + the line's name into the handle and returns that name (empty for none).
    std::string LoadFile(ResourceHandle& handle);
    void BuildFrameTextures(Animation& entry);

    std::string Line() { return parser.ReadString(false); }
    float LineFloat() { return parser.GetFloat(false); }
    int32_t LineInt() { return parser.GetInt(false); }
    bool LineBool() { return parser.GetBool(false); }
    Vector2 LineVector2();

    const std::string& fileName;
    TextParser parser;
    ModelGrid grid;
    ModelResource& model;
    std::string prefix;
};
