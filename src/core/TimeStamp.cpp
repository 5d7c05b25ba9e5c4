// TimeStamp -- game-clock time as days, hours, minutes and float seconds, and the duration texts built from it.
#include "core/TimeStamp.h"

#include "core/MathUtil.h"
#include "core/StringUtil.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Beyond this many seconds (about the whole 32-bit range of days) the days saturate anyway;
// the bound keeps every step exact in 64-bit integers and doubles.
constexpr double kMaxSeconds = 2.0e14;

int64_t FloorDiv(int64_t value, int64_t divisor)
{
    int64_t quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

int32_t SaturateDays(int64_t days)
{
    return static_cast<int32_t>(std::clamp<int64_t>(days, std::numeric_limits<int32_t>::min(),
                                                     std::numeric_limits<int32_t>::max()));
}

// Wrapping subtraction: a hostile saved stamp must not overflow a signed field.
int32_t WrappingDifference(int32_t from, int32_t to)
{
    return static_cast<int32_t>(static_cast<uint32_t>(to) - static_cast<uint32_t>(from));
}

bool FieldsLess(const TimeStamp& a, const TimeStamp& b)
{
    if (a.days != b.days)
        return a.days < b.days;
    if (a.hours != b.hours)
        return a.hours < b.hours;
    if (a.minutes != b.minutes)
        return a.minutes < b.minutes;
    return a.seconds < b.seconds;
}

// "%.0f <one>" near exactly one, "%.0f <many>" near a whole number, else "%.1f <many>".
void AppendAmount(std::string& out, float amount, float precision, const char* one, const char* many)
{
    if (1.0f - precision < amount && amount < 1.0f + precision)
        StringAppendFormat(out, "%.0f %s", amount, one);
    else if (amount - std::floor(amount) < precision)
        StringAppendFormat(out, "%.0f %s", amount, many);
    else
        StringAppendFormat(out, "%.1f %s", amount, many);
}

} // namespace

void TimeStamp::Normalize()
{
    // Mended: a NaN or infinite seconds field would make the carry undefined; it reads as 0.
    double secondsLeft = std::isfinite(seconds) ? std::clamp<double>(seconds, -kMaxSeconds, kMaxSeconds) : 0.0;
    int64_t minutesLeft = minutes;
    int64_t hoursLeft = hours;
    int64_t daysLeft = days;

    if (secondsLeft >= 60.0) {
        int64_t carry = static_cast<int64_t>(secondsLeft) / 60;
        minutesLeft += carry;
        secondsLeft -= 60.0 * static_cast<double>(carry);
    }
    if (minutesLeft >= 60) {
        hoursLeft += minutesLeft / 60;
        minutesLeft %= 60;
    }
    if (hoursLeft >= 24) {
        daysLeft += hoursLeft / 24;
        hoursLeft %= 24;
    }

    // Mended: the borrows use floor division, so a field more than one unit negative is
    // fully normalised instead of being borrowed for only once.
    if (secondsLeft < 0.0) {
        int64_t borrow = static_cast<int64_t>(std::floor(secondsLeft / 60.0));
        minutesLeft += borrow;
        secondsLeft -= 60.0 * static_cast<double>(borrow);
        // A borrow against a tiny negative remainder can round up to a whole minute.
        if (static_cast<float>(secondsLeft) >= 60.0f) {
            secondsLeft = 0.0;
            minutesLeft += 1;
        }
    }
    if (minutesLeft < 0) {
        int64_t borrow = FloorDiv(minutesLeft, 60);
        hoursLeft += borrow;
        minutesLeft -= 60 * borrow;
    }
    if (hoursLeft < 0) {
        int64_t borrow = FloorDiv(hoursLeft, 24);
        daysLeft += borrow;
        hoursLeft -= 24 * borrow;
    }

    seconds = static_cast<float>(secondsLeft);
    minutes = static_cast<int32_t>(minutesLeft);
    hours = static_cast<int32_t>(hoursLeft);
    days = SaturateDays(daysLeft);
}

float TimeStamp::GetTotalSeconds() const
{
    double whole = ((static_cast<double>(days) * 24.0 + hours) * 60.0 + minutes) * 60.0;
    return static_cast<float>(whole + seconds);
}

TimeStamp TimeStamp::Difference(const TimeStamp& first, const TimeStamp& second)
{
    return {WrappingDifference(first.days, second.days), WrappingDifference(first.hours, second.hours),
            WrappingDifference(first.minutes, second.minutes), second.seconds - first.seconds};
}

bool TimeStamp::operator<=(const TimeStamp& other) const
{
    return !FieldsLess(other, *this);
}

bool TimeLess(const TimeStamp& a, const TimeStamp& b)
{
    return FieldsLess(a, b);
}

std::string FormatDuration(const TimeStamp& time, DurationStyle style, float precision)
{
    std::string out;
    if (style == DurationStyle::Clock) {
        int32_t wholeSeconds = FloorToInt(time.seconds);
        if (time.days > 0)
            StringAppendFormat(out, "%2d:%02d:%02d:%02d", time.days, time.hours, time.minutes, wholeSeconds);
        else if (time.hours >= 1)
            StringAppendFormat(out, "%2d:%02d:%02d", time.hours, time.minutes, wholeSeconds);
        else
            StringAppendFormat(out, "%2d:%02d", time.minutes, wholeSeconds);
        return out;
    }
    float total = time.GetTotalSeconds();
    if (total >= 60.0f)
        AppendAmount(out, total / 60.0f, precision, "$$Minute$$", "$$Minutes$$");
    else
        AppendAmount(out, total, precision, "$$Second$$", "$$Seconds$$");
    return out;
}

std::string FormatSeconds(float seconds, DurationStyle style, float precision)
{
    TimeStamp time;
    time.seconds = seconds;
    time.Normalize();
    return FormatDuration(time, style, precision);
}

std::string FormatDurationShort(int32_t days, int32_t milliseconds)
{
    TimeStamp time;
    time.seconds = static_cast<float>(milliseconds) / 1000.0f;
    time.Normalize();
    int64_t totalDays = static_cast<int64_t>(time.days) + days;
    int32_t wholeSeconds = FloorToInt(time.seconds);
    std::string out;
    if (totalDays > 0)
        StringAppendFormat(out, "%lld$$DaysAbrev$$ ", static_cast<long long>(totalDays));
    if (time.hours > 0)
        StringAppendFormat(out, "%d$$HoursAbrev$$ ", time.hours);
    if (time.minutes > 0)
        StringAppendFormat(out, "%d$$MinutesAbrev$$ ", time.minutes);
    if (wholeSeconds > 0)
        StringAppendFormat(out, "%d$$SecondsAbrev$$", wholeSeconds);
    return out;
}
