// ProcessorInfo -- the processor's vendor, name and feature flags, decoded from CPUID words or from /proc/cpuinfo.
#pragma once

#include "core/system/SystemInfo.h"

#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>

// The CPUID register words the report reads. Each text is the registers' bytes, lowest first.
struct CpuidWords {
    uint32_t vendor[3] = {};           // leaf 0: EBX, EDX, ECX
    uint32_t highestExtendedLeaf = 0;  // leaf 0x80000000: EAX
    uint32_t standardEdx = 0;          // leaf 1
    uint32_t standardEcx = 0;
    uint32_t extendedEdx = 0;          // leaf 0x80000001
    uint32_t brand[12] = {};           // leaves 0x80000002 to 0x80000004: EAX, EBX, ECX, EDX each
};

struct ProcessorInfo {
    std::string vendor;
    std::string name;
    std::bitset<kProcessorFeatureCount> features;

    // The decoding alone, so that any processor can be described from its words.
    static ProcessorInfo FromCpuid(const CpuidWords& words);
    // The first processor's block of /proc/cpuinfo, on machines without CPUID.
    static ProcessorInfo FromCpuinfo(std::string_view text);
    // CPUID on x86, /proc/cpuinfo elsewhere; empty fields when neither can be read.
    static ProcessorInfo ReadFromMachine();
    // The vendor's place in the table of known CPUID vendors; -1 when unknown.
    static int VendorIndex(std::string_view vendor);
};
