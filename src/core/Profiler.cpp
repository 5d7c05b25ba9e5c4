// Profiler -- numbered section timings and frame lengths while "profile" is set, with spike reports.
#include "core/Profiler.h"

#include "core/DebugSystem.h"
#include "core/StringUtil.h"
#include "core/UserVarSystem.h"
#include "core/system/TimerSystem.h"

Profiler* gProfiler = nullptr;

namespace {

// A frame is a spike when it takes this many times the average of the frames before it,
// and at least kSpikeMinimumMs: short frames jitter too much to be worth a report.
constexpr double kSpikeFactor = 3.0;
constexpr uint32_t kSpikeMinimumMs = 50;
// The average means nothing over the first frames, which also load everything.
constexpr uint32_t kSpikeWarmUpFrames = 30;

const char* const kSectionNames[] = {
    "ClientReceive", "ClientUpdate", "ClientDraw", "ServerTick",
    "ServerFrame", "GameUpdate", "Renderer", "ServerFrameEnd",
};
constexpr int kNamedSections = sizeof kSectionNames / sizeof kSectionNames[0];

bool ValidSection(int section)
{
    return section >= 0 && section < kProfileSectionCount;
}

} // namespace

Profiler::Profiler(TimerSystem* clock) : clock(clock)
{
}

Profiler::~Profiler()
{
    if (gProfiler == this)
        gProfiler = nullptr;
}

void Profiler::RegisterCommands()
{
    if (gUserVarSystem)
        gUserVarSystem->RegisterVar("profile", "0", true);
}

void Profiler::FrameStart()
{
    on = gUserVarSystem && gUserVarSystem->GetBoolByName("profile");
    frameOpen = on;
    if (!on)
        return;
    frameStartMs = clock->GetTime();
    for (Section& section : sections) {
        section.frameMs = 0;
        section.started = false;
    }
}

void Profiler::FrameEnd()
{
    if (!frameOpen)
        return;
    frameOpen = false;
    uint32_t frameMs = clock->Elapsed(frameStartMs, clock->GetTime());
    double averageMs = frames ? static_cast<double>(totalFrameMs) / frames : 0.0;
    if (frames >= kSpikeWarmUpFrames && frameMs >= kSpikeMinimumMs && frameMs > averageMs * kSpikeFactor) {
        ++spikes;
        ReportSpike(frameMs, averageMs);
    }
    ++frames;
    totalFrameMs += frameMs;
    if (frameMs > longestFrameMs)
        longestFrameMs = frameMs;
}

void Profiler::Begin(int section)
{
    if (!on || !ValidSection(section))
        return;
    sections[section].startMs = clock->GetTime();
    sections[section].started = true;
}

void Profiler::Mark(int section)
{
    if (!on || !ValidSection(section) || !sections[section].started)
        return;
    Section& timed = sections[section];
    timed.started = false;
    uint32_t ms = clock->Elapsed(timed.startMs, clock->GetTime());
    ++timed.calls;
    timed.totalMs += ms;
    timed.frameMs += ms;
    if (ms > timed.longestMs)
        timed.longestMs = ms;
}

void Profiler::ReportSpike(uint32_t frameMs, double averageMs) const
{
    DebugSystem::Print(kPrintWarning, "Frame spike: %u ms (average %.1f ms)\n", frameMs, averageMs);
    for (int i = 0; i < kProfileSectionCount; ++i) {
        if (sections[i].frameMs > 0)
            DebugSystem::Print(kPrintPlain, "  %s: %u ms\n", GetSectionName(i).c_str(), sections[i].frameMs);
    }
}

void Profiler::PrintStatistics() const
{
    if (frames == 0) {
        DebugSystem::Print(kPrintPlain, "Profiler: no frames profiled\n");
        return;
    }
    DebugSystem::Print(kPrintPlain, "Profiler: %u frames, %.2f ms average, %u ms longest, %u spikes\n", frames,
                       static_cast<double>(totalFrameMs) / frames, longestFrameMs, spikes);
    for (int i = 0; i < kProfileSectionCount; ++i) {
        const Section& section = sections[i];
        if (section.calls == 0)
            continue;
        DebugSystem::Print(kPrintPlain, "  %-16s %8u calls %10.3f ms average %6u ms longest\n", GetSectionName(i).c_str(),
                           section.calls, static_cast<double>(section.totalMs) / section.calls, section.longestMs);
    }
}

std::string Profiler::GetSectionName(int section)
{
    if (section >= 0 && section < kNamedSections)
        return kSectionNames[section];
    return StringFormat("Section%d", section);
}
