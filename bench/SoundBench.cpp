// SoundBench -- what streamed music costs a frame: decoding and queueing Ogg Vorbis chunks on OpenAL's loopback device.
#include "audio/OpenAlSoundDriver.h"
#include "audio/SoundWorld.h"
#include "core/DebugSystem.h"
#include "gen/OggEncoder.h"

#include <AL/alext.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr int kBenchRate = 44100;

// A loopback device: OpenAL mixes only when the benchmark renders, so no sound card is needed
// and playback time is exactly what each iteration renders.
class BenchLoopbackFactory : public OpenAlDeviceFactory {
public:
    ALCdevice* Open(const char*) override
    {
        auto open = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
        device = open ? open(nullptr) : nullptr;
        return device;
    }
    const ALCint* GetContextAttributes() const override { return attributes; }
    void Render(int frames)
    {
        auto render = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(device, "alcRenderSamplesSOFT"));
        mix.resize(static_cast<size_t>(frames) * 2);
        render(device, mix.data(), frames);
    }

    ALCdevice* device = nullptr;

private:
    const ALCint attributes[7] = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT, ALC_SHORT_SOFT,
                                  ALC_FREQUENCY, kBenchRate, 0};
    std::vector<short> mix;
};

// Ten seconds of a stereo chord at 44.1 kHz: a chunk is a quarter second of it.
std::vector<uint8_t> BenchMusic()
{
    std::vector<int16_t> samples(static_cast<size_t>(kBenchRate) * 10 * 2);
    for (size_t i = 0; i < samples.size(); ++i) {
        double t = static_cast<double>(i / 2) / kBenchRate;
        samples[i] = static_cast<int16_t>(6000.0 * (std::sin(t * 1382.3) + std::sin(t * 1742.5) + std::sin(t * 2073.5)));
    }
    return EncodeOggVorbis(samples, 2, kBenchRate, 0.4f);
}

// Each iteration plays a quarter second of looping music and refills its queue: the chunk it
// used is decoded again. Items are quarter seconds of music.
void BM_LoopingMusicQuarterSecond(benchmark::State& state)
{
    DebugSystem debug;
    gDebugSystem = &debug;
    SoundWorld world;
    auto made = std::make_unique<BenchLoopbackFactory>();
    BenchLoopbackFactory* factory = made.get();
    OpenAlSoundDriver driver(world, std::move(made));
    if (!driver.Init()) {
        state.SkipWithError("no loopback device");
        gDebugSystem = nullptr;
        return;
    }
    std::vector<uint8_t> music = BenchMusic();
    int32_t stream = driver.CreateStream(music.data(), static_cast<uint32_t>(music.size()), "Music/bench.ogg");
    driver.SetStreamLooping(0, stream, true);
    driver.StartStream(0, stream);
    for (auto _ : state) {
        factory->Render(kBenchRate / 4);
        driver.UpdateStreams();
    }
    benchmark::DoNotOptimize(driver.IsSourcePlaying(0));
    state.SetItemsProcessed(state.iterations());
    driver.Shutdown();
    gDebugSystem = nullptr;
}
BENCHMARK(BM_LoopingMusicQuarterSecond)->Unit(benchmark::kMicrosecond);

} // namespace
