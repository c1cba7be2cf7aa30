#include "platform/X11WindowStacking.h"

namespace platform {

int X11WindowStacking::SetWindowPos(std::uintptr_t, std::intptr_t, int, int, int, int, unsigned)
{
    return 0;
}

}  // namespace platform
