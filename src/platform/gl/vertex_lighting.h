/// \file
/// Direct3D's per-vertex lighting on the CPU, for unlit vertices: the lit colours are handed to
/// OpenGL as vertex colours instead of using OpenGL's own lighting model, whose attenuation,
/// spot cone and clamping differ. Depends on the math types and the device records only.
///
/// For each vertex (position and normal in world space, normal renormalised after the world
/// transform):
///   colour = emissive + ambientState * material.ambient
///            + sum over active lights of light.color * material.diffuse * max(0, N.L) * att * spot
///   att    = 1 / (a0 + a1 d + a2 d^2) for point and spot lights (1 for directional), 0 beyond
///            range; spot = 1 inside theta/2, 0 outside phi/2, ((rho - cos phi/2) /
///            (cos theta/2 - cos phi/2))^falloff between.
///   alpha  = material diffuse alpha.
///   specular (when asked) = sum of light.color * material.specular * (N.H)^power * att * spot,
///            H the half vector between L and the direction to the eye.
/// Colours may exceed 1.0 on the way and saturate only when packed.
#pragma once

#include <cstdint>
#include <vector>

#include "math/matrix.h"
#include "math/vertex.h"
#include "platform/device_types.h"

namespace orix {

struct LightingSetup {
    MaterialRecord material;
    ColorValue ambient;                      ///< the AMBIENT light state
    std::vector<const LightRecord*> lights;  ///< active lights only
    Matrix world;
    Vector3 eye;            ///< camera position in world space (for specular)
    bool specular = false;  ///< compute the specular colour as well
};

/// Lights n vertices into packed ARGB colours (and speculars when setup.specular; speculars may
/// be null otherwise).
void LightVertices(const Vertex* vertices, uint32_t n, const LightingSetup& setup, uint32_t* colors,
                   uint32_t* speculars);

/// The lit colour of one vertex as floats, before packing (for tests and the loop above).
ColorValue LightOneVertex(const Vector3& worldPosition, const Vector3& worldNormal,
                          const LightingSetup& setup, ColorValue* specular);

}  // namespace orix
