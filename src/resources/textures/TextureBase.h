// TextureBase -- the base of the two texture cache kinds the texture tools build and read.
#pragma once

class TextureBase {
public:
    TextureBase() = default;
    virtual ~TextureBase() = default;
    TextureBase(const TextureBase&) = delete;
    TextureBase& operator=(const TextureBase&) = delete;
};
