// Animation -- one entry of a model's "animations" block: a skeletal animation file or sprite frames, with its timed events.
#pragma once

#include "resources/ResourceHandle.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class AnimationResource;

namespace AnimationEventKind {
enum Value : int32_t { Frame = 0, Entry = 1, Exit = 2, First = 3, Last = 4, Every = 5 };
}

// The modes of FindNextClientEvent: a frame reached, the animation started, the animation ended.
namespace AnimationTrigger {
enum Value : int32_t { FrameReached = 0, Started = 1, Ended = 2 };
}

// One line of a "client" or "server" block.
struct AnimationEvent {
    int32_t kind = AnimationEventKind::Frame;
    int32_t frame = -1; // only for kind Frame
    std::string command;
    std::vector<std::string> arguments;
};

class Animation {
public:
    static constexpr int32_t kSkeletal = 1;
    static constexpr int32_t kSprite = 0;

    // Skeletal: the animation file's frame count (0 when it does not resolve); sprite: "frames".
    int32_t GetFrameCount() const;
    // Frames over the frame rate, in seconds; 0 when the rate is 0 or less.
    float GetDuration() const;
    // Distance per second of the root motion: rate / frames x the sum of the frames' x motion.
    // 0 without a resolving file or without frames.
    float GetMoveSpeed() const;
    // The next client event after start that fires for the frame in the mode, or -1. Walk a
    // frame's events by calling again with the index returned, starting from -1.
    int32_t FindNextClientEvent(int32_t start, int32_t frame, int32_t mode) const;
    // The frame of the first server event of the command (case ignored): "first" 0, "last" the
    // frame count, a numbered event its frame, the other kinds -1; 0 when none has the command.
    int32_t GetServerEventFrame(std::string_view command) const;
    // That frame over the rate, the entry's own rate when the given one is not above 0; 0 when
    // neither is.
    float GetServerEventTime(std::string_view command, float rate) const;
    // The texture of a sprite frame seen from a direction; a frame outside the animation gives
    // slot 0, and an entry without that slot gives an empty handle.
    int32_t GetFrameTexture(int32_t frame, int32_t direction) const;
    // Holds a reference of its own on the texture and lets go of the slot's old one; nothing
    // for a slot the entry does not have.
    void SetFrameTexture(int32_t frame, int32_t direction, const ResourceHandle& texture);
    // The animation file; null for a sprite entry or a file that does not resolve.
    const AnimationResource* GetResource() const;

    int32_t kind = kSkeletal;
    std::string name;
    ResourceHandle animation;
    int32_t frameCount = 0;
    float frameRate = 20.0f;
    bool additive = false;
    bool matchMoveSpeed = false;
    bool matchAttackSpeed = false;
    std::string baseTexture;
    int32_t directions = 8;
    // directions x frameCount textures, direction after direction.
    std::vector<ResourceHandle> frameTextures;
    std::vector<AnimationEvent> clientEvents;
    std::vector<AnimationEvent> serverEvents;

private:
    int32_t FrameSlot(int32_t frame, int32_t direction) const;
    bool Fires(const AnimationEvent& event, int32_t frame, int32_t mode) const;
};
