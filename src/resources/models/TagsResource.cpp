// TagsResource -- the ".tag" attach points: named positions fixed to skeleton bones, read, edited and written back.
#include "resources/models/TagsResource.h"

#include "core/DebugSystem.h"
#include "core/FileSystem.h"
#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "resources/models/SkeletonResource.h"

namespace {

bool IsQuoteByte(char c)
{
    auto byte = static_cast<unsigned char>(c);
    return c == '"' || byte == 0x93 || byte == 0x94;
}

// The parser splits values at blanks and starts comments at "/", so such a name goes in quotes,
// and so does an empty one, which would otherwise vanish and shift every later value.
bool NeedsQuotes(std::string_view text)
{
    if (text.empty())
        return true;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '/' || IsQuoteByte(c))
            return true;
    }
    return false;
}

void AppendValue(std::string& out, std::string_view text)
{
    if (!NeedsQuotes(text)) {
        out.append(text);
        return;
    }
    out.push_back('"');
    for (char c : text) {
        if (IsQuoteByte(c))
            out.push_back('\\');
        out.push_back(c);
    }
    out.push_back('"');
}

} // namespace

Resource* TagsResource::Load(const std::string&, uint8_t* bytes, uint32_t byteCount, int32_t)
{
    auto* tags = new TagsResource();
    tags->Parse(bytes, byteCount);
    return tags;
}

void TagsResource::Parse(const uint8_t* bytes, uint32_t byteCount)
{
    TextParser parser(bytes, bytes ? byteCount : 0);
    Tag tag;
    while (parser.NextToken(tag.name, true)) {
        tag.parentName = parser.ReadString(false);
        tag.offset.x = parser.GetFloat(false);
        tag.offset.y = parser.GetFloat(false);
        tag.offset.z = parser.GetFloat(false);
        tag.rotation.w = parser.GetFloat(false);
        tag.rotation.x = parser.GetFloat(false);
        tag.rotation.y = parser.GetFloat(false);
        tag.rotation.z = parser.GetFloat(false);
        tags.push_back(tag);
    }
}

void TagsResource::BindToSkeleton(const SkeletonResource& skeleton)
{
    for (Tag& tag : tags)
        tag.parent = skeleton.FindBone(tag.parentName);
    bound = true;
}

int32_t TagsResource::FindTag(const SkeletonResource& skeleton, std::string_view name)
{
    if (!bound)
        BindToSkeleton(skeleton);
    for (int32_t i = 0; i < GetCount(); ++i) {
        if (StringEqualsNoCase(tags[i].name, name))
            return i;
    }
    return -1;
}

void TagsResource::GetTag(int32_t index, AttachPoint& out) const
{
    if (!IsTag(index)) {
        out.parent = -1;
        return;
    }
    out.parent = tags[index].parent;
    out.offset = tags[index].offset;
    out.rotation = tags[index].rotation;
}

void TagsResource::SetTag(int32_t index, const AttachPoint& point)
{
    if (!IsTag(index))
        return;
    tags[index].parent = point.parent;
    tags[index].offset = point.offset;
    tags[index].rotation = point.rotation;
}

std::string TagsResource::GetName(int32_t index) const
{
    return IsTag(index) ? tags[index].name : std::string();
}

void TagsResource::SetName(int32_t index, std::string_view name)
{
    if (IsTag(index))
        tags[index].name = name;
}

void TagsResource::SetParent(int32_t index, std::string_view boneName, int32_t boneIndex)
{
    if (!IsTag(index))
        return;
    tags[index].parentName = boneName;
    tags[index].parent = boneIndex;
}

void TagsResource::AddTag()
{
    Tag tag;
    tag.name = "NewTag";
    tag.parent = 0;
    tags.push_back(tag);
}

void TagsResource::RemoveTag(int32_t index)
{
    if (IsTag(index))
        tags.erase(tags.begin() + index);
}

std::string TagsResource::ToText(const SkeletonResource& skeleton) const
{
    std::string text;
    for (const Tag& tag : tags) {
        AppendValue(text, tag.name);
        text.push_back(' ');
        bool onBone = tag.parent >= 0 && tag.parent < skeleton.GetBoneCount();
        AppendValue(text, onBone ? skeleton.GetBoneName(tag.parent) : std::string_view(tag.parentName));
        text.push_back(' ');
        StringAppendFormat(text, "%f %f %f ", tag.offset.x, tag.offset.y, tag.offset.z);
        StringAppendFormat(text, "%f %f %f %f\n", tag.rotation.w, tag.rotation.x, tag.rotation.y, tag.rotation.z);
    }
    return text;
}

bool TagsResource::Save(std::string_view fileName, const SkeletonResource& skeleton) const
{
    if (WriteStringToFile(fileName, ToText(skeleton)))
        return true;
    DebugSystem::Print(kPrintError, "Couldn't write %.*s\n", static_cast<int>(fileName.size()), fileName.data());
    return false;
}

void TagsResource::PrintInfo()
{
    DebugSystem::Print(kPrintPlain, "NumTags - %d\n", GetCount());
}
