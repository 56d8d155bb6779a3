// Direct3D state values as OpenGL enums: one table, shared by the device and by anything that
// replays its frames with plain OpenGL. Includes the OpenGL header, so only platform code and
// the benchmarks use it.
#pragma once

#include <GL/gl.h>

#include <cstdint>

#include "platform/d3d_constants.h"

namespace orix {

// D3DCMP_* to glDepthFunc / glAlphaFunc; unknown values compare ALWAYS.
GLenum CompareToGl(uint32_t f);
// D3DBLEND_* to glBlendFunc factors; unknown values are ONE.
GLenum BlendToGl(uint32_t b);
// Primitive types to glDrawArrays modes; unknown types draw triangle lists.
GLenum PrimitiveToGl(PrimitiveType type);
// D3DFILTER_* to the minification and magnification filters.
GLint MinFilterToGl(uint32_t f);
GLint MagFilterToGl(uint32_t f);

}  // namespace orix
