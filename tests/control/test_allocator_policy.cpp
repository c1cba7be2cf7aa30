// The allocator gives back what a finished decoding thread left, even after
// big frames have raised glibc's own thresholds.
#include "AllocatorPolicy.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

long residentKb()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return resident * 4;
}

TEST(AllocatorPolicy, AThreadsFreedFramesLeaveTheProcess)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator stands in for glibc's";
#elif !defined(__GLIBC__)
    GTEST_SKIP() << "glibc's allocator only";
#else
    // A big frame freed, as the playing engine's first frames are: glibc then keeps up to twice its size per pool.
    // volatile: the compiler may drop an allocation that nothing reads.
    void* volatile frame = std::malloc(24 << 20);
    std::memset(frame, 1, 24 << 20);
    std::free(frame);
    media::useVideoAllocatorPolicy();
    const long before = residentKb();

    // A thread that decodes 20 MiB of frames and ends, as a preview engine's do.
    std::thread([] {
        std::vector<void*> frames;
        for (int i = 0; i < 80; ++i) {
            frames.push_back(std::malloc(256 << 10));
            std::memset(frames.back(), 1, 256 << 10);
        }
        for (void* f : frames)
            std::free(f);
    }).join();
    EXPECT_LT(residentKb() - before, 5 * 1024) << "kB resident after the thread ended";
#endif
}

} // namespace
