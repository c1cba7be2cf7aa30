#pragma once

namespace media {

enum class SurfaceKind { Software, OpenGl };

// The video surface for this machine: OpenGL where the OpenGL driver is a real
// one, the software surface where it is software (llvmpipe, softpipe), missing,
// or there is no display at all. ZELVO_VIDEO_SURFACE=software or =opengl
// overrides the choice. Decided once per run.
SurfaceKind chooseSurface();

} // namespace media
