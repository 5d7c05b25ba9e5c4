// TimeStampTest -- carries and borrows of any size, ordering, and the exact duration texts at their thresholds.
#include "core/TimeStamp.h"

#include <climits>
#include <cmath>
#include <gtest/gtest.h>

namespace {

TimeStamp Normalized(int32_t days, int32_t hours, int32_t minutes, float seconds)
{
    TimeStamp time{days, hours, minutes, seconds};
    time.Normalize();
    return time;
}

void ExpectStamp(const TimeStamp& time, int32_t days, int32_t hours, int32_t minutes, float seconds)
{
    EXPECT_EQ(time.days, days);
    EXPECT_EQ(time.hours, hours);
    EXPECT_EQ(time.minutes, minutes);
    EXPECT_FLOAT_EQ(time.seconds, seconds);
}

constexpr float kPrecision = 0.05f;

} // namespace

TEST(TimeStampNormalize, CarriesAndBorrowsOfAnySizeLeaveEveryFieldInRange)
{
    struct Case {
        TimeStamp in, out;
    } cases[] = {
        {{0, 23, 59, 3725.5f}, {1, 1, 1, 5.5f}},   {{0, 0, 0, 59.75f}, {0, 0, 0, 59.75f}},
        {{2, 49, 0, 0.0f}, {4, 1, 0, 0.0f}},       {{1, 0, 0, -0.5f}, {0, 23, 59, 59.5f}},
        {{0, 0, 120, -5.0f}, {0, 1, 59, 55.0f}},   {{3, -1, 0, 0.0f}, {2, 23, 0, 0.0f}},
        // -3725.5 s is one day back plus 22:57:54.5.
        {{0, 0, 0, -3725.5f}, {-1, 22, 57, 54.5f}}, {{5, 0, -1500, 0.0f}, {3, 23, 0, 0.0f}},
        {{0, -49, 0, 0.0f}, {-3, 23, 0, 0.0f}},
        // 60 - 1e-6 rounds to 60.0f; the stamp must not keep a whole minute in its seconds.
        {{0, 0, 0, -1e-6f}, {0, 0, 0, 0.0f}},      {{0, 0, 0, NAN}, {0, 0, 0, 0.0f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.in.days << " " << c.in.hours << " " << c.in.minutes << " " << c.in.seconds);
        ExpectStamp(Normalized(c.in.days, c.in.hours, c.in.minutes, c.in.seconds), c.out.days, c.out.hours,
                    c.out.minutes, c.out.seconds);
    }
    EXPECT_EQ(Normalized(INT_MAX, 23, 59, 120.0f).days, INT_MAX);
    EXPECT_EQ(Normalized(INT_MIN, 0, 0, -1.0f).days, INT_MIN);
}

TEST(TimeStampOrder, DaysOutrankSecondsAndEqualIsNotLess)
{
    TimeStamp earlier{1, 23, 59, 59.0f};
    TimeStamp later{2, 0, 0, 0.0f};
    EXPECT_TRUE(TimeLess(earlier, later));
    EXPECT_FALSE(TimeLess(later, earlier));
    EXPECT_FALSE(TimeLess(later, later));
    EXPECT_TRUE(later <= later);
    EXPECT_FALSE(later <= earlier);

    TimeStamp difference = TimeStamp::Difference(earlier, later);
    ExpectStamp(difference, 1, -23, -59, -59.0f);
    difference.Normalize();
    ExpectStamp(difference, 0, 0, 0, 1.0f);
    EXPECT_EQ(TimeStamp::Difference({INT_MIN, 0, 0, 0.0f}, {INT_MAX, 0, 0, 0.0f}).days, -1);
}

TEST(FormatDurationClock, FieldCountFollowsTheLargestUnit)
{
    EXPECT_EQ(FormatSeconds(65.0f, DurationStyle::Clock, kPrecision), " 1:05");
    EXPECT_EQ(FormatSeconds(59.99f, DurationStyle::Clock, kPrecision), " 0:59");
    EXPECT_EQ(FormatSeconds(720.0f, DurationStyle::Clock, kPrecision), "12:00");
    EXPECT_EQ(FormatSeconds(3725.5f, DurationStyle::Clock, kPrecision), " 1:02:05");
    EXPECT_EQ(FormatDuration({2, 3, 4, 5.9f}, DurationStyle::Clock, kPrecision), " 2:03:04:05");
}

TEST(FormatDurationWords, SecondsBelowSixtyMinutesFromSixty)
{
    const std::pair<float, const char*> cases[] = {
        {1.0f, "1 $$Second$$"},      {1.02f, "1 $$Second$$"},       {0.5f, "0.5 $$Seconds$$"},
        {59.0f, "59 $$Seconds$$"},   {60.0f, "1 $$Minute$$"},       {62.0f, "1 $$Minute$$"},
        {66.0f, "1.1 $$Minutes$$"},  {90.0f, "1.5 $$Minutes$$"},    {120.0f, "2 $$Minutes$$"},
        {121.5f, "2 $$Minutes$$"},
        // Just under a minute is not near a whole number, so it keeps one decimal.
        {59.97f, "60.0 $$Seconds$$"},
    };
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(FormatSeconds(seconds, DurationStyle::Words, kPrecision), text) << seconds;
    EXPECT_EQ(FormatDuration({1, 0, 0, 0.0f}, DurationStyle::Words, kPrecision), "1440 $$Minutes$$");
}

TEST(FormatDurationShortText, PartsOnlyWhenAboveZero)
{
    EXPECT_EQ(FormatDurationShort(0, 93784000),
              "1$$DaysAbrev$$ 2$$HoursAbrev$$ 3$$MinutesAbrev$$ 4$$SecondsAbrev$$");
    EXPECT_EQ(FormatDurationShort(2, 3999), "2$$DaysAbrev$$ 3$$SecondsAbrev$$");
    EXPECT_EQ(FormatDurationShort(0, 999), "");
}
