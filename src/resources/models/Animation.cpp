// Animation -- one entry of a model's "animations" block: a skeletal animation file or sprite frames, with its timed events.
#include "resources/models/Animation.h"

#include "core/StringUtil.h"
#include "resources/ResourceManager.h"
#include "resources/models/AnimationResource.h"

const AnimationResource* Animation::GetResource() const
{
    if (kind != kSkeletal || !animation.IsValid() || !gResourceManager)
        return nullptr;
    return dynamic_cast<const AnimationResource*>(gResourceManager->Get(animation));
}

int32_t Animation::GetFrameCount() const
{
    if (kind != kSkeletal)
        return frameCount;
    const AnimationResource* file = GetResource();
    return file ? file->GetFrameCount() : 0;
}

float Animation::GetDuration() const
{
    return frameRate > 0.0f ? static_cast<float>(GetFrameCount()) / frameRate : 0.0f;
}

float Animation::GetMoveSpeed() const
{
    const AnimationResource* file = GetResource();
    int32_t frames = file ? file->GetFrameCount() : 0;
    // An animation without frames has no speed; dividing by its count would give NaN.
    if (frames <= 0)
        return 0.0f;
    float sum = 0.0f;
    for (int32_t f = 0; f < frames; ++f)
        sum += file->GetRootMotion()[f].x;
    return frameRate / static_cast<float>(frames) * sum;
}

bool Animation::Fires(const AnimationEvent& event, int32_t frame, int32_t mode) const
{
    switch (mode) {
    case AnimationTrigger::FrameReached:
        switch (event.kind) {
        case AnimationEventKind::Every:
            return true;
        case AnimationEventKind::First:
            return frame == 0;
        case AnimationEventKind::Last:
            return frame == GetFrameCount() - 1;
        default:
            return event.frame == frame;
        }
    case AnimationTrigger::Started:
        return event.kind == AnimationEventKind::Entry;
    case AnimationTrigger::Ended:
        return event.kind == AnimationEventKind::Exit;
    default:
        return false;
    }
}

int32_t Animation::FindNextClientEvent(int32_t start, int32_t frame, int32_t mode) const
{
    int32_t count = static_cast<int32_t>(clientEvents.size());
    for (int32_t i = start < -1 ? 0 : start + 1; i < count; ++i) {
        if (Fires(clientEvents[i], frame, mode))
            return i;
    }
    return -1;
}

int32_t Animation::GetServerEventFrame(std::string_view command) const
{
    for (const AnimationEvent& event : serverEvents) {
        if (!StringEqualsNoCase(event.command, command))
            continue;
        switch (event.kind) {
        case AnimationEventKind::First:
            return 0;
        case AnimationEventKind::Last:
            return GetFrameCount();
        case AnimationEventKind::Frame:
            return event.frame;
        default:
            return -1;
        }
    }
    return 0;
}

float Animation::GetServerEventTime(std::string_view command, float rate) const
{
    float used = rate > 0.0f ? rate : frameRate;
    return used > 0.0f ? static_cast<float>(GetServerEventFrame(command)) / used : 0.0f;
}

int32_t Animation::FrameSlot(int32_t frame, int32_t direction) const
{
    if (frame < 0 || frame >= frameCount)
        return 0;
    return directions == 1 ? frame : frameCount * direction + frame;
}

int32_t Animation::GetFrameTexture(int32_t frame, int32_t direction) const
{
    int32_t slot = FrameSlot(frame, direction);
    return slot >= 0 && slot < static_cast<int32_t>(frameTextures.size()) ? frameTextures[slot].GetValue() : -1;
}

void Animation::SetFrameTexture(int32_t frame, int32_t direction, const ResourceHandle& texture)
{
    int32_t slot = FrameSlot(frame, direction);
    if (slot >= 0 && slot < static_cast<int32_t>(frameTextures.size()))
        frameTextures[slot] = texture;
}
