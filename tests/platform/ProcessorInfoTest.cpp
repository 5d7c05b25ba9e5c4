// ProcessorInfoTest -- vendor, name and feature flags decoded from injected CPUID words and /proc/cpuinfo texts, per vendor.
#include "platform/ProcessorInfo.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace {

constexpr uint32_t kNoExtendedLeaves = 0x80000000u;
constexpr uint32_t kBrandLeaves = 0x80000004u;

// Packs text into words lowest byte first, as CPUID returns it; the rest stays zero.
void PackText(const std::string& text, uint32_t* words, size_t count)
{
    for (size_t i = 0; i < count * 4; ++i) {
        uint32_t byte = i < text.size() ? static_cast<uint8_t>(text[i]) : 0;
        words[i / 4] |= byte << (8 * (i % 4));
    }
}

// The vendor text is EBX, EDX, ECX in that order.
CpuidWords Words(const std::string& vendor, uint32_t edx, uint32_t highestExtended = kNoExtendedLeaves)
{
    CpuidWords words;
    uint32_t packed[3] = {};
    PackText(vendor, packed, 3);
    words.vendor[0] = packed[0];
    words.vendor[1] = packed[1];
    words.vendor[2] = packed[2];
    words.standardEdx = edx;
    words.highestExtendedLeaf = highestExtended;
    return words;
}

std::string Features(const CpuidWords& words)
{
    return SystemInfo::FeatureList(ProcessorInfo::FromCpuid(words).features);
}

constexpr uint32_t Bit(int bit)
{
    return 1u << bit;
}

} // namespace

TEST(ProcessorCpuid, VendorIsTheRegistersInEbxEdxEcxOrder)
{
    CpuidWords words;
    words.vendor[0] = 0x68747541u;  // "Auth"
    words.vendor[1] = 0x69746E65u;  // "enti"
    words.vendor[2] = 0x444D4163u;  // "cAMD"
    words.standardEdx = Bit(19);
    ProcessorInfo info = ProcessorInfo::FromCpuid(words);
    EXPECT_EQ(info.vendor, "AuthenticAMD");
    EXPECT_EQ(SystemInfo::FeatureList(info.features), "MP") << "known as AMD";
}

TEST(ProcessorCpuid, WithoutExtendedLeavesTheNameIsTheVendor)
{
    CpuidWords words = Words("CyrixInstead", 0, kNoExtendedLeaves + 3);
    PackText("Brand not reachable", words.brand, 12);
    ProcessorInfo info = ProcessorInfo::FromCpuid(words);
    EXPECT_EQ(info.name, "CyrixInstead");
}

TEST(ProcessorCpuid, BrandStringLosesItsLeadingBlanksOnly)
{
    CpuidWords words = Words("GenuineIntel", 0, kBrandLeaves);
    PackText("      Emberlode(R) Core 9 at 4.0GHz  ", words.brand, 12);
    EXPECT_EQ(ProcessorInfo::FromCpuid(words).name, "Emberlode(R) Core 9 at 4.0GHz  ");
    // A full 48-character brand has no NUL to end it.
    CpuidWords full = Words("GenuineIntel", 0, kBrandLeaves);
    PackText(std::string(48, 'x'), full.brand, 12);
    EXPECT_EQ(ProcessorInfo::FromCpuid(full).name, std::string(48, 'x'));
    CpuidWords blank = Words("AuthenticAMD", 0, kBrandLeaves);
    PackText(std::string(48, ' '), blank.brand, 12);
    EXPECT_EQ(ProcessorInfo::FromCpuid(blank).name, "AuthenticAMD");
}

TEST(ProcessorCpuid, BasicFourFlagsListInTableOrder)
{
    uint32_t edx = Bit(0) | Bit(23) | Bit(25) | Bit(26);
    EXPECT_EQ(Features(Words("GenuineIntel", edx)), "FPU, MMX, SSE, SSE2");
    EXPECT_EQ(Features(Words("AuthenticAMD", edx)), "FPU, MMX, SSE, SSE2");
}

TEST(ProcessorCpuid, AmdThreeDNowSitsBetweenSse2AndTsc)
{
    uint32_t edx = Bit(0) | Bit(4) | Bit(26);
    CpuidWords words = Words("AuthenticAMD", edx, kNoExtendedLeaves + 1);
    words.extendedEdx = Bit(31);
    EXPECT_EQ(Features(words), "FPU, SSE2, 3DNOW, TSC");
    words.extendedEdx = Bit(31) | Bit(30) | Bit(22);
    EXPECT_EQ(Features(words), "FPU, MMX, SSE2, 3DNOW, 3DNOW+, TSC");
    // Without leaf 0x80000001 its word is not read.
    words.highestExtendedLeaf = kNoExtendedLeaves;
    EXPECT_EQ(Features(words), "FPU, SSE2, TSC");
}

TEST(ProcessorCpuid, VendorDecidesWhatTheSharedBitsMean)
{
    uint32_t edx = Bit(19) | Bit(21) | Bit(27) | Bit(28) | Bit(29);
    EXPECT_EQ(Features(Words("GenuineIntel", edx)), "CLFL, DTES, SS, HTT, TM1");
    EXPECT_EQ(Features(Words("AuthenticAMD", edx)), "MP");
    EXPECT_EQ(Features(Words("CentaurHauls", edx)), "");
    // The extended word counts for AMD only.
    CpuidWords intel = Words("GenuineIntel", 0, kNoExtendedLeaves + 1);
    intel.extendedEdx = Bit(31) | Bit(30) | Bit(22);
    EXPECT_EQ(Features(intel), "");
}

TEST(ProcessorCpuid, EveryStandardBitOfEachVendor)
{
    CpuidWords intel = Words("GenuineIntel", 0xFFFFFFFFu);
    intel.standardEcx = 0xFFFFFFFFu;
    EXPECT_EQ(Features(intel), "FPU, MMX, SSE, SSE2, CLFL, TSC, CX8, CMOV, VME, DE, PSE, MSR, PAE, MCE, APIC, SEP, "
                               "MTRR, PGE, MCA, PAT, PSE36, FXSR, DTES, SS, HTT, TM1, SSE3");
    CpuidWords amd = Words("AuthenticAMD", 0xFFFFFFFFu, kNoExtendedLeaves + 1);
    amd.extendedEdx = 0xFFFFFFFFu;
    EXPECT_EQ(Features(amd), "FPU, MMX, SSE, SSE2, 3DNOW, 3DNOW+, TSC, CX8, CMOV, VME, DE, PSE, MSR, PAE, MCE, "
                             "APIC, SEP, MTRR, PGE, MCA, PAT, PSE36, FXSR, MP");
    EXPECT_EQ(Features(Words("GenuineTMx86", 0xFFFFFFFFu)),
              "FPU, MMX, SSE, SSE2, TSC, CX8, CMOV, VME, DE, PSE, MSR, PAE, MCE, APIC, SEP, MTRR, PGE, MCA, PAT, "
              "PSE36, FXSR");
}

TEST(ProcessorCpuid, VendorsAreFoundWithoutTheirTrailingBlanks)
{
    EXPECT_EQ(ProcessorInfo::VendorIndex("UMC UMC UMC "), 1);
    EXPECT_EQ(ProcessorInfo::VendorIndex("SiS SiS SiS"), 7);
    EXPECT_EQ(ProcessorInfo::VendorIndex("GenuineIntex"), -1);
}

TEST(ProcessorCpuinfo, FirstProcessorBlockGivesVendorNameAndFlags)
{
    const char* text = "processor\t: 0\n"
                       "vendor_id\t: AuthenticAMD\n"
                       "model name\t: Emberlode Test Chip\n"
                       "flags\t\t: fpu vme tsc mmx sse sse2 pni 3dnowext tm2 sse4_1\n"
                       "\n"
                       "processor\t: 1\n"
                       "model name\t: Second Chip\n"
                       "flags\t\t: cmov\n";
    ProcessorInfo info = ProcessorInfo::FromCpuinfo(text);
    EXPECT_EQ(info.vendor, "AuthenticAMD");
    EXPECT_EQ(info.name, "Emberlode Test Chip");
    EXPECT_EQ(SystemInfo::FeatureList(info.features), "FPU, MMX, SSE, SSE2, 3DNOW+, TSC, VME, SSE3");
}

TEST(ProcessorCpuinfo, ArmStyleTextAndGarbageDegradeToEmptyFields)
{
    ProcessorInfo arm = ProcessorInfo::FromCpuinfo("processor : 0\nBogoMIPS : 48.00\nFeatures : fp asimd\n"
                                                   "CPU implementer : 0x41\n");
    EXPECT_EQ(arm.vendor, "0x41");
    EXPECT_EQ(arm.name, "0x41");
    EXPECT_TRUE(arm.features.none());
    ProcessorInfo garbage = ProcessorInfo::FromCpuinfo(std::string("\0\xff::\n:\n\n\n", 9));
    EXPECT_EQ(garbage.vendor, "");
    EXPECT_TRUE(garbage.features.none());
}

TEST(ProcessorMachine, ThisMachineAgreesWithTheKernel)
{
    std::ifstream file("/proc/cpuinfo");
    std::stringstream text;
    text << file.rdbuf();
    ProcessorInfo kernel = ProcessorInfo::FromCpuinfo(text.str());
    ProcessorInfo machine = ProcessorInfo::ReadFromMachine();
    EXPECT_EQ(machine.vendor, kernel.vendor);
    EXPECT_FALSE(machine.name.empty());
    EXPECT_EQ(machine.features.test(kFeatureFpu), kernel.features.test(kFeatureFpu));
}
