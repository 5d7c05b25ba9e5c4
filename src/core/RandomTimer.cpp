// RandomTimer -- a countdown whose length is drawn between a minimum and a maximum at every restart.
#include "core/RandomTimer.h"

#include "core/MessageBuffer.h"
#include "core/RandomSystem.h"

void RandomTimer::Restart(RandomSystem& random)
{
    running = 1;
    total = random.RandomRange(RandomStream::GameData, minimum, maximum);
    remaining = total;
}

void RandomTimer::Update(float elapsedSeconds)
{
    if (!running)
        return;
    remaining -= elapsedSeconds;
    if (remaining < 0.0f)
        remaining = 0.0f;
}

bool RandomTimer::IsExpired() const
{
    return running && remaining <= 0.0f;
}

void RandomTimer::UpdateList(const std::vector<RandomTimer*>& timers, float elapsedSeconds)
{
    for (RandomTimer* timer : timers)
        if (timer)
            timer->Update(elapsedSeconds);
}

void RandomTimer::Write(MessageBuffer& buffer) const
{
    buffer.WriteBool(running != 0);
    buffer.WriteFloat(minimum);
    buffer.WriteFloat(maximum);
    buffer.WriteFloat(total);
    buffer.WriteFloat(remaining);
}

bool RandomTimer::Read(MessageBuffer& buffer)
{
    bool readRunning = buffer.ReadBool();
    float values[4];
    if (!buffer.ReadFiniteFloats(values))
        return false;
    running = readRunning ? 1 : 0;
    minimum = values[0];
    maximum = values[1];
    total = values[2];
    remaining = values[3];
    return true;
}
