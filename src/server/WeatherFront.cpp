// WeatherFront -- one moving patch of rain and wind: its fade, life and change timers, its strength, drift and reach.
#include "server/WeatherFront.h"

#include "core/MessageBuffer.h"
#include "core/RandomSystem.h"
#include "server/Weather.h"
#include "world/World.h"

#include <cmath>

void WeatherFront::Update(float seconds, RandomSystem& random)
{
    for (RandomTimer* timer : {&fadeInTimer, &lifeTimer, &fadeOutTimer, &changeTimer})
        timer->Update(seconds);
    if (lifeTimer.IsExpired() && fadeOutTime > 0.0f && !fadeOutTimer.running) {
        fadeOutTimer.running = 1;
        fadeOutTimer.minimum = fadeOutTimer.maximum = fadeOutTimer.total = fadeOutTimer.remaining = fadeOutTime;
    }
    if (changeTimer.IsExpired()) {
        ApplyRandomChange(random);
        changeTimer.Restart(random);
    }
    Drift(seconds, random);
}

void WeatherFront::ApplyRandomChange(RandomSystem& random)
{
    constexpr RandomStream kStream = RandomStream::GameData;
    intensity += random.RandomRange(kStream, tuning->minIntensityChange, tuning->maxIntensityChange);
    // Capped from above only: a front that weakens to nothing is deleted by the weather.
    if (intensity > tuning->maxFrontIntensity)
        intensity = tuning->maxFrontIntensity;
    wind.x += random.RandomRange(kStream, tuning->minWindVelocityChange, tuning->maxWindVelocityChange);
    wind.y += random.RandomRange(kStream, tuning->minWindVelocityChange, tuning->maxWindVelocityChange);
    float speed = Vector2Length(wind);
    if (speed > tuning->maxFrontWindSpeed && speed > 0.0f)
        wind = wind * (tuning->maxFrontWindSpeed / speed);
}

void WeatherFront::Drift(float seconds, RandomSystem& random)
{
    WorldPos moved = position.Offset(velocity * seconds);
    bool onLevel = gWorld && moved.level >= 0 && moved.level < gWorld->GetLevelCount();
    if (onLevel) {
        position = moved;
        return;
    }
    // Off the world's edge (or never on a level): it stays and turns somewhere else.
    float speed = Vector2Length(velocity);
    velocity = random.RandomDirection2D(RandomStream::GameData) * speed;
}

float WeatherFront::GetFadeFactor() const
{
    bool fadingIn = !fadeInTimer.running || fadeInTimer.remaining > 0.0f;
    if (fadingIn && fadeInTime > 0.0f)
        return 1.0f - (fadeInTimer.running ? fadeInTimer.remaining : 0.0f) / fadeInTime;
    if (fadeOutTimer.running && fadeOutTime > 0.0f)
        return fadeOutTimer.remaining / fadeOutTime;
    return lifeTimer.IsExpired() ? 0.0f : 1.0f;
}

bool WeatherFront::IsOver() const
{
    return intensity <= 0.0f || fadeOutTimer.IsExpired() || (lifeTimer.IsExpired() && fadeOutTime <= 0.0f);
}

float WeatherFront::GetWeight(const WorldPos& point) const
{
    // A front that started with no outdoor level is nowhere.
    if (position.level < 0)
        return 0.0f;
    float distance = point.Distance2D(position);
    if (distance < innerRadius)
        return 1.0f;
    if (distance < outerRadius)
        return 1.0f - (distance - innerRadius) / (outerRadius - innerRadius);
    return 0.0f;
}

void WeatherFront::Write(MessageBuffer& buffer) const
{
    for (const RandomTimer* timer : {&fadeInTimer, &lifeTimer, &fadeOutTimer, &changeTimer})
        timer->Write(buffer);
    buffer.WriteFloat(intensity);
    buffer.WriteFloat(wind.x);
    buffer.WriteFloat(wind.y);
    buffer.WriteFloat(fadeInTime);
    buffer.WriteFloat(lifeTime);
    buffer.WriteFloat(fadeOutTime);
    WriteWorldPos(buffer, position);
    buffer.WriteFloat(innerRadius);
    buffer.WriteFloat(outerRadius);
    buffer.WriteFloat(velocity.x);
    buffer.WriteFloat(velocity.y);
}

bool WeatherFront::Read(MessageBuffer& buffer)
{
    for (RandomTimer* timer : {&fadeInTimer, &lifeTimer, &fadeOutTimer, &changeTimer})
        if (!timer->Read(buffer))
            return false;
    float values[6];
    float tail[4];
    if (!buffer.ReadFiniteFloats(values) || !ReadWorldPos(buffer, position) || !buffer.ReadFiniteFloats(tail))
        return false;
    intensity = values[0];
    wind = {values[1], values[2]};
    fadeInTime = values[3];
    lifeTime = values[4];
    fadeOutTime = values[5];
    innerRadius = tail[0];
    outerRadius = tail[1];
    velocity = {tail[2], tail[3]};
    return true;
}
