#include "AllocatorPolicy.h"

#include <cstdlib> // defines __GLIBC__ where the C library is glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace media {

void useVideoAllocatorPolicy()
{
#if defined(__GLIBC__)
    // Blocks up to the most glibc's sliding threshold can reach (32 MiB on 64-bit)
    // come from the heap, not from a mapping each: frames are never mapped and
    // unmapped one by one. Where that is refused, glibc's own thresholds stay.
    if (mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024) != 1)
        return;
    // A thread's arena hands back what is free at its top beyond 4 MiB. With the
    // sliding threshold that bar rises to twice the largest frame freed, and the
    // arenas of a preview engine's ended threads kept 10 to 15 MiB after its
    // file closed (malloc_trim leaves an arena's top alone).
    mallopt(M_TRIM_THRESHOLD, 4 * 1024 * 1024);
#endif
}

} // namespace media
