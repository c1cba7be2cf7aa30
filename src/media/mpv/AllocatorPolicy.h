#pragma once

namespace media {

// Sets the C library's allocator for a process that decodes video on threads
// that come and go (each preview engine's). Call once at start, before any
// engine; it does nothing where the allocator is not glibc's.
void useVideoAllocatorPolicy();

} // namespace media
