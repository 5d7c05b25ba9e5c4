// Profiler -- numbered section timings and frame lengths while "profile" is set, with spike reports.
#pragma once

#include "core/BaseClass.h"

#include <cstdint>
#include <string>

class TimerSystem;

// Sections the engine times; the numbers are fixed so that reports stay comparable.
enum ProfileSection : int {
    kProfileClientReceive = 0,
    kProfileClientUpdate = 1,
    kProfileClientDraw = 2,
    kProfileServerTick = 3,
    kProfileServerFrame = 4,
    kProfileGameUpdate = 5,
    kProfileRenderer = 6,
    kProfileServerFrameEnd = 7,
};
constexpr int kProfileSectionCount = 16;

class Profiler : public BaseClass {
public:
    // The clock is the engine timer; tests hand in one they step by hand.
    explicit Profiler(TimerSystem* clock);
    ~Profiler() override;

    // Registers the user var "profile".
    void RegisterCommands();

    // Reads "profile" once a frame: a frame is measured whole or not at all.
    void FrameStart();
    void FrameEnd();

    // Stamps the section's start; Mark closes it and adds the time to its totals.
    void Begin(int section);
    void Mark(int section);

    // The shut-down report: frames, their average and longest, and each used section.
    void PrintStatistics() const;

    // Sections without a name of their own report as "Section<n>".
    static std::string GetSectionName(int section);

private:
    struct Section {
        uint32_t startMs = 0;
        bool started = false;
        uint32_t calls = 0;
        uint64_t totalMs = 0;
        uint32_t longestMs = 0;
        uint32_t frameMs = 0;
    };

    void ReportSpike(uint32_t frameMs, double averageMs) const;

    TimerSystem* clock;
    bool on = false;
    bool frameOpen = false;
    uint32_t frameStartMs = 0;
    uint32_t frames = 0;
    uint64_t totalFrameMs = 0;
    uint32_t longestFrameMs = 0;
    uint32_t spikes = 0;
    Section sections[kProfileSectionCount];
};

extern Profiler* gProfiler;
