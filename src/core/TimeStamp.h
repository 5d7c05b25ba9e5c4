// TimeStamp -- game-clock time as days, hours, minutes and float seconds, and the duration texts built from it.
#pragma once

#include <cstdint>
#include <string>

struct TimeStamp {
    int32_t days = 0;
    int32_t hours = 0;
    int32_t minutes = 0;
    float seconds = 0.0f;

    // Carries seconds >= 60, minutes >= 60 and hours >= 24 upwards, then borrows for negative
    // fields, so that seconds and minutes end in [0, 60) and hours in [0, 24).
    void Normalize();
    // ((days * 24 + hours) * 60 + minutes) * 60 + seconds.
    float GetTotalSeconds() const;
    // second - first, field by field, not normalised.
    static TimeStamp Difference(const TimeStamp& first, const TimeStamp& second);
    // Days, then hours, minutes and seconds; equal stamps count as true.
    bool operator<=(const TimeStamp& other) const;
};

// a is earlier than b: days, then hours, minutes and seconds.
bool TimeLess(const TimeStamp& a, const TimeStamp& b);

enum class DurationStyle {
    Clock,  // " 1:05", " 2:03:04", " 1:02:03:04"
    Words,  // "2 $$Minutes$$", "1.5 $$Minutes$$", "1 $$Second$$"
};

// precision decides, in the word style, how near a whole number (or exactly one) counts as one.
std::string FormatDuration(const TimeStamp& time, DurationStyle style, float precision);
// FormatDuration of {0, 0, 0, seconds} after normalising.
std::string FormatSeconds(float seconds, DurationStyle style, float precision);
// Play time such as "2$$DaysAbrev$$ 3$$HoursAbrev$$ 9$$SecondsAbrev$$": each part only when above 0.
std::string FormatDurationShort(int32_t days, int32_t milliseconds);
