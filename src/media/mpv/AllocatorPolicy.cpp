#include "AllocatorPolicy.h"

#include <cstdlib> // defines __GLIBC__ where the C library is glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace media {

void useVideoAllocatorPolicy()
{
#if defined(__GLIBC__)
    // Frames come from the heap, not from a mapping each: where glibc's sliding
    // threshold settles after the first frames anyway, so decoding costs the same.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    // A thread's pool hands back what is free at its top beyond 4 MiB. With the
    // sliding threshold that bar rose with the frame size, and the pools of a
    // preview engine's ended threads kept 10 to 15 MiB after its file closed
    // (malloc_trim leaves a thread pool's top alone).
    mallopt(M_TRIM_THRESHOLD, 4 * 1024 * 1024);
#endif
}

} // namespace media
