// ResourceStressTest -- two threads loading, getting, copying and releasing while the loader loads and unloads.
#include "resources/TextResource.h"
#include "ResourceWorld.h"

#include <random>

namespace {

constexpr int kFileCount = 40;
constexpr int kStepsPerThread = 4000;
constexpr int kHandlesPerThread = 6;

std::string StressNameOf(int file)
{
    return "stress/f" + std::to_string(file) + ".txt";
}

std::string ContentOf(int file)
{
    return "content of " + std::to_string(file) + std::string(static_cast<size_t>(file * 7), '#');
}

using ResourceStress = ResourceWorld;

// Each holder owns references only while it holds them, so every object it gets must still
// be whole; the tiny threshold keeps the loader deleting released objects all the while.
TEST_F(ResourceStress, TwoThreadsShareResourcesWithTheLoaderUnderMemoryPressure)
{
    for (int file = 0; file < kFileCount; ++file)
        WriteAsset(StressNameOf(file), ContentOf(file));
    SetMemoryThreshold(1);
    std::atomic<int> wrong{0};

    auto work = [&](uint32_t seed) {
        std::mt19937 random(seed);
        ResourceHandle held[kHandlesPerThread];
        int heldFile[kHandlesPerThread];
        std::fill(std::begin(heldFile), std::end(heldFile), -1);
        for (int step = 0; step < kStepsPerThread; ++step) {
            int slot = static_cast<int>(random() % kHandlesPerThread);
            switch (random() % 4) {
            case 0:
            case 1: {
                int file = static_cast<int>(random() % kFileCount);
                manager->Load(StressNameOf(file), held[slot]);
                heldFile[slot] = file;
                break;
            }
            case 2: {
                int from = static_cast<int>(random() % kHandlesPerThread);
                held[slot] = held[from];
                heldFile[slot] = heldFile[from];
                break;
            }
            default:
                held[slot].Reset();
                heldFile[slot] = -1;
                break;
            }
            if (heldFile[slot] == -1)
                continue;
            auto* text = dynamic_cast<TextResource*>(manager->Get(held[slot]));
            std::string expected = ContentOf(heldFile[slot]);
            if (!text || text->GetByteCount() != expected.size() ||
                expected.compare(0, expected.size(), reinterpret_cast<const char*>(text->GetBytes()),
                                 text->GetByteCount()) != 0)
                ++wrong;
        }
    };
    std::thread other(work, 2u);
    work(1u);
    other.join();
    EXPECT_EQ(wrong.load(), 0);
    manager->WaitForLoadQueue();
    EXPECT_LE(manager->GetResourceCount(), 4 * kFileCount);
}

} // namespace
