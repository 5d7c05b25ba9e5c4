// TextResource -- a plain text file ("txt") held as its bytes.
#include "resources/TextResource.h"

Resource* TextResource::Create(const std::string&, uint8_t* bytes, uint32_t byteCount, int32_t)
{
    auto* text = new TextResource();
    text->KeepBytes(bytes, byteCount);
    return text;
}

Resource* TextResource::CreateEmpty(const std::string&)
{
    return new TextResource();
}
