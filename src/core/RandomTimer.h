// RandomTimer -- a countdown whose length is drawn between a minimum and a maximum at every restart.
#pragma once

#include <cstdint>
#include <vector>

class MessageBuffer;
class RandomSystem;

struct RandomTimer {
    uint8_t running = 0;
    // Set by the owner when it puts the timer into its list of timers.
    uint8_t listed = 0;
    // Seconds.
    float minimum = 0.0f;
    float maximum = 0.0f;
    float total = 0.0f;
    float remaining = 0.0f;

    // Sets running and total = remaining = minimum + r * (maximum - minimum), r from stream 0.
    void Restart(RandomSystem& random);
    // While running, remaining falls by the elapsed time, never below 0.
    void Update(float elapsedSeconds);
    // Running and remaining 0 or less.
    bool IsExpired() const;
    // Update on each timer of the list; null entries are passed over.
    static void UpdateList(const std::vector<RandomTimer*>& timers, float elapsedSeconds);

    // Saves and game updates: running as a 32-bit 0/1, then minimum, maximum, total, remaining.
    void Write(MessageBuffer& buffer) const;
    // False, with the timer unchanged, when the bytes run out or a value is not a finite number.
    bool Read(MessageBuffer& buffer);
};
