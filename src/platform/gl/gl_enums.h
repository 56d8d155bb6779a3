/// \file
/// Direct3D state values as OpenGL enums and texture environments, the clip-space matrices and
/// the GL start-up state: one copy, shared by the device and by anything that replays its frames
/// with plain OpenGL. Includes the OpenGL header,
/// so only platform code and the benchmarks use it.
#pragma once

#include <GL/gl.h>

#include <cstdint>

#include "math/matrix.h"
#include "platform/d3d_constants.h"
#include "platform/device_types.h"

namespace orix {

/// D3DCMP_* to glDepthFunc / glAlphaFunc; unknown values compare ALWAYS.
GLenum CompareToGl(uint32_t f);
/// D3DBLEND_* to glBlendFunc factors; unknown values are ONE.
GLenum BlendToGl(uint32_t b);
/// Primitive types to glDrawArrays modes; unknown types draw triangle lists.
GLenum PrimitiveToGl(PrimitiveType type);
/// D3DFILTER_* to the minification and magnification filters.
GLint MinFilterToGl(uint32_t f);
GLint MagFilterToGl(uint32_t f);
/// D3DTADDRESS_* to the wrap mode; unknown values repeat.
GLint AddressToGl(uint32_t a);
/// Sets the texture environment for a D3DTBLEND_* value. MODULATE (and unknown values): colour =
/// texture x vertex; alpha from the texture when textureHasAlpha, otherwise the vertex's (a keyed
/// texel still gives 0).
void ApplyTextureBlend(uint32_t blend, bool textureHasAlpha);

/// The projection of transformed vertices: pixels of a width x height target (rhw already
/// divided out) onto GL's cube, half a pixel moved as Direct3D's pixel centres are.
Matrix ScreenClipMatrix(float width, float height);
/// N: the viewport's Direct3D clip volume onto GL's cube, y reversed and half a pixel moved
/// (gl_device_draw.cpp's LoadMatrices says why); projection · N is what GL loads.
Matrix ViewportClipMatrix(const ViewportRecord& v);
/// The GL state every device context starts from, in the current context: byte-packed pixel
/// rows, no GL lighting, Direct3D's provoking vertex and front faces, scissor on, and the
/// vertex, colour, texture and secondary-colour arrays on.
void ApplyGlStartState();

}  // namespace orix
