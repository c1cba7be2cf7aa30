// The allocator gives back what a finished decoding thread left, even after a
// big frame has raised glibc's own thresholds.
#include "AllocatorPolicy.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZELVO_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define ZELVO_ASAN 1
#endif

namespace {

#if defined(__GLIBC__) && !defined(ZELVO_ASAN)
// MiB the arenas keep after a thread has decoded 20 MiB of frames and ended.
// In a child of its own: the test's own threads and arenas play no part, and
// the policy does not outlive it.
int keptAfterAThread(bool policy)
{
    const pid_t child = fork();
    if (child == 0) {
        // A big frame freed, as the playing engine's first frames are.
        void* volatile frame = std::malloc(24 << 20);
        std::memset(frame, 1, 24 << 20);
        std::free(frame);
        if (policy)
            media::useVideoAllocatorPolicy();
        const std::size_t before = mallinfo2().arena;
        std::thread([] {
            std::vector<void*> frames;
            for (int i = 0; i < 80; ++i) {
                frames.push_back(std::malloc(256 << 10));
                std::memset(frames.back(), 1, 256 << 10);
            }
            for (void* f : frames)
                std::free(f);
        }).join();
        const std::size_t after = mallinfo2().arena;
        _exit(static_cast<int>(std::min<std::size_t>(after > before ? (after - before) >> 20 : 0, 100)));
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
#endif

TEST(AllocatorPolicy, AThreadsFreedFramesLeaveTheProcess)
{
#if !defined(__GLIBC__) || defined(ZELVO_ASAN)
    GTEST_SKIP() << "glibc's own allocator only";
#else
    if (keptAfterAThread(false) < 15)
        GTEST_SKIP() << "this glibc hands the memory back without the policy";
    EXPECT_LT(keptAfterAThread(true), 5);
#endif
}

} // namespace
