// SystemInfoTest -- the key repeat timing at every step and its clamps, and the processor feature list's order and separators.
#include "core/system/SystemInfo.h"

#include <gtest/gtest.h>

TEST(SystemInfoKeyRepeat, DelayRunsFromAQuarterSecondToOneSecondInFourSteps)
{
    EXPECT_FLOAT_EQ(SystemInfo::KeyRepeatDelay(0), 0.25f);
    EXPECT_FLOAT_EQ(SystemInfo::KeyRepeatDelay(1), 0.5f);
    EXPECT_FLOAT_EQ(SystemInfo::KeyRepeatDelay(2), 0.75f);
    EXPECT_FLOAT_EQ(SystemInfo::KeyRepeatDelay(3), 1.0f);
    EXPECT_FLOAT_EQ(SystemInfo::KeyRepeatDelay(-5), 0.25f);
    EXPECT_FLOAT_EQ(SystemInfo::KeyRepeatDelay(4), 1.0f);
}

TEST(SystemInfoKeyRepeat, IntervalRunsFromTwoAndAHalfToThirtyRepeatsASecond)
{
    EXPECT_FLOAT_EQ(SystemInfo::KeyRepeatInterval(0), 0.4f);
    EXPECT_FLOAT_EQ(SystemInfo::KeyRepeatInterval(31), 1.0f / 30.0f);
    // Step 16: 16/31 of the way from 2.5 to 30 repeats a second.
    EXPECT_FLOAT_EQ(SystemInfo::KeyRepeatInterval(16), static_cast<float>(1.0 / (16.0 / 31.0 * 27.5 + 2.5)));
    EXPECT_FLOAT_EQ(SystemInfo::KeyRepeatInterval(-1), 0.4f);
    EXPECT_FLOAT_EQ(SystemInfo::KeyRepeatInterval(1000), 1.0f / 30.0f);
}

TEST(SystemInfoFeatureList, NamesInTableOrderSeparatedByCommaAndBlank)
{
    std::bitset<kProcessorFeatureCount> features;
    EXPECT_EQ(SystemInfo::FeatureList(features), "");
    features.set(kFeatureSse2).set(kFeatureFpu).set(kFeatureSse).set(kFeatureMmx);
    EXPECT_EQ(SystemInfo::FeatureList(features), "FPU, MMX, SSE, SSE2");
    features.reset().set(kFeatureSse3);
    EXPECT_EQ(SystemInfo::FeatureList(features), "SSE3");
    features.set();
    EXPECT_EQ(SystemInfo::FeatureList(features),
              "FPU, MMX, SSE, SSE2, CLFL, 3DNOW, 3DNOW+, TSC, CX8, CMOV, VME, DE, PSE, MSR, PAE, MCE, APIC, SEP, "
              "MTRR, PGE, MCA, PAT, PSE36, FXSR, DTES, SS, HTT, TM1, MP, SSE3");
}
