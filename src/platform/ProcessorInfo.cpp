// ProcessorInfo -- the processor's vendor, name and feature flags, decoded from CPUID words or from /proc/cpuinfo.
#include "platform/ProcessorInfo.h"

#include <algorithm>
#include <cstddef>
#include <fstream>
#include <iterator>
#include <sstream>
#include <utility>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#define PROCESSOR_INFO_HAS_CPUID 1
#endif

namespace {

constexpr int kProcessorVendorIntel = 0;
constexpr int kProcessorVendorAmd = 2;
constexpr uint32_t kProcessorExtendedBase = 0x80000000u;
constexpr uint32_t kProcessorBrandLastLeaf = 0x80000004u;

// Indexed as CPUID's vendor table; trailing blanks of the 12 characters are not compared.
constexpr const char* kProcessorVendors[] = {
    "GenuineIntel", "UMC UMC UMC",  "AuthenticAMD", "CyrixInstead", "NexGenDriven",
    "CentaurHauls", "RiseRiseRise", "SiS SiS SiS",  "GenuineTMx86", "Geode by NSC",
};

// A flag set from a bit of one of the words, in the order the flags are collected.
struct ProcessorFlagBit {
    int feature;
    int bit;
};

// Standard EDX bits every vendor reports.
constexpr ProcessorFlagBit kProcessorCommonEdxBits[] = {
    {kFeatureTsc, 4},   {kFeatureCx8, 8},   {kFeatureCmov, 15}, {kFeatureVme, 1},    {kFeatureDe, 2},
    {kFeaturePse, 3},   {kFeatureMsr, 5},   {kFeaturePae, 6},   {kFeatureMce, 7},    {kFeatureApic, 9},
    {kFeatureSep, 11},  {kFeatureMtrr, 12}, {kFeaturePge, 13},  {kFeatureMca, 14},   {kFeaturePat, 16},
    {kFeaturePse36, 17}, {kFeatureFxsr, 24},
};
constexpr ProcessorFlagBit kProcessorIntelEdxBits[] = {
    {kFeatureClflush, 19}, {kFeatureDtes, 21}, {kFeatureSs, 27}, {kFeatureHtt, 28}, {kFeatureTm1, 29},
};
constexpr ProcessorFlagBit kProcessorAmdExtendedBits[] = {
    {kFeatureMmx, 22}, {kFeature3dnow, 31}, {kFeature3dnowExt, 30},
};

// The names Linux gives the same features in the "flags" line of /proc/cpuinfo.
constexpr const char* kProcessorLinuxFlagNames[kProcessorFeatureCount] = {
    "fpu", "mmx", "sse", "sse2", "clflush", "3dnow", "3dnowext", "tsc", "cx8", "cmov",
    "vme", "de", "pse", "msr", "pae", "mce", "apic", "sep", "mtrr", "pge",
    "mca", "pat", "pse36", "fxsr", "dts", "ss", "ht", "tm", "mp", "pni",
};

template <size_t N>
void ProcessorSetFlags(std::bitset<kProcessorFeatureCount>& features, uint32_t word, const ProcessorFlagBit (&bits)[N])
{
    for (const ProcessorFlagBit& flag : bits) {
        if ((word >> flag.bit) & 1u)
            features.set(static_cast<size_t>(flag.feature));
    }
}

// The words' bytes, lowest byte first, up to the first NUL.
std::string ProcessorWordsText(const uint32_t* words, size_t count)
{
    std::string text;
    for (size_t i = 0; i < count * 4; ++i) {
        char c = static_cast<char>((words[i / 4] >> (8 * (i % 4))) & 0xFFu);
        if (c == '\0')
            break;
        text += c;
    }
    return text;
}

std::string_view ProcessorTrim(std::string_view text)
{
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

void ProcessorSetLinuxFlags(std::bitset<kProcessorFeatureCount>& features, std::string_view flags)
{
    std::istringstream words{std::string(flags)};
    std::string word;
    while (words >> word) {
        for (int feature = 0; feature < kProcessorFeatureCount; ++feature) {
            if (word == kProcessorLinuxFlagNames[feature])
                features.set(static_cast<size_t>(feature));
        }
    }
}

} // namespace

int ProcessorInfo::VendorIndex(std::string_view vendor)
{
    vendor = vendor.substr(0, vendor.find_last_not_of(' ') + 1);
    for (size_t i = 0; i < std::size(kProcessorVendors); ++i) {
        if (vendor == kProcessorVendors[i])
            return static_cast<int>(i);
    }
    return -1;
}

ProcessorInfo ProcessorInfo::FromCpuid(const CpuidWords& words)
{
    ProcessorInfo info;
    info.vendor = ProcessorWordsText(words.vendor, 3);
    int vendorIndex = VendorIndex(info.vendor);
    bool intel = vendorIndex == kProcessorVendorIntel;
    bool amd = vendorIndex == kProcessorVendorAmd;
    if (words.highestExtendedLeaf >= kProcessorBrandLastLeaf) {
        std::string brand = ProcessorWordsText(words.brand, 12);
        info.name = brand.substr(std::min(brand.size(), brand.find_first_not_of(' ')));
    }
    if (info.name.empty())
        info.name = info.vendor;

    uint32_t edx = words.standardEdx;
    // The extended word exists only from leaf 0x80000001 on.
    uint32_t extended = amd && words.highestExtendedLeaf > kProcessorExtendedBase ? words.extendedEdx : 0;
    ProcessorSetFlags(info.features, edx, {{kFeatureFpu, 0}, {kFeatureMmx, 23}, {kFeatureSse, 25}, {kFeatureSse2, 26}});
    ProcessorSetFlags(info.features, words.standardEcx, {{kFeatureSse3, 0}});
    if (intel)
        ProcessorSetFlags(info.features, edx, kProcessorIntelEdxBits);
    if (amd) {
        ProcessorSetFlags(info.features, extended, kProcessorAmdExtendedBits);
        ProcessorSetFlags(info.features, edx, {{kFeatureMp, 19}});
    }
    ProcessorSetFlags(info.features, edx, kProcessorCommonEdxBits);
    return info;
}

ProcessorInfo ProcessorInfo::FromCpuinfo(std::string_view text)
{
    ProcessorInfo info;
    std::istringstream lines{std::string(text)};
    std::string line;
    bool seenProcessor = false;
    while (std::getline(lines, line)) {
        size_t colon = line.find(':');
        std::string_view key = ProcessorTrim(std::string_view(line).substr(0, std::min(colon, line.size())));
        if (key.empty() && seenProcessor)
            break;  // the first processor's block has ended
        if (colon == std::string::npos)
            continue;
        seenProcessor = true;
        std::string_view value = ProcessorTrim(std::string_view(line).substr(colon + 1));
        if ((key == "vendor_id" || key == "CPU implementer") && info.vendor.empty())
            info.vendor = value;
        else if ((key == "model name" || key == "cpu model" || key == "Processor") && info.name.empty())
            info.name = value;
        else if (key == "flags" || key == "Features")
            ProcessorSetLinuxFlags(info.features, value);
    }
    if (info.name.empty())
        info.name = info.vendor;
    return info;
}

#ifdef PROCESSOR_INFO_HAS_CPUID
ProcessorInfo ProcessorInfo::ReadFromMachine()
{
    CpuidWords words;
    uint32_t eax = 0;
    uint32_t ebx = 0;
    uint32_t ecx = 0;
    uint32_t edx = 0;
    if (!__get_cpuid(0, &eax, &words.vendor[0], &words.vendor[2], &words.vendor[1]))
        return {};
    words.highestExtendedLeaf = __get_cpuid_max(kProcessorExtendedBase, nullptr);
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx)) {
        words.standardEdx = edx;
        words.standardEcx = ecx;
    }
    if (__get_cpuid(kProcessorExtendedBase + 1, &eax, &ebx, &ecx, &edx))
        words.extendedEdx = edx;
    for (uint32_t part = 0; part < 3; ++part) {
        uint32_t* brand = words.brand + part * 4;
        if (!__get_cpuid(kProcessorExtendedBase + 2 + part, &brand[0], &brand[1], &brand[2], &brand[3]))
            break;
    }
    return FromCpuid(words);
}
#else
ProcessorInfo ProcessorInfo::ReadFromMachine()
{
    std::ifstream file("/proc/cpuinfo");
    std::stringstream text;
    text << file.rdbuf();
    return FromCpuinfo(text.str());
}
#endif
