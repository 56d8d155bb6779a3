/// \file
/// The three 32-byte vertex records of the Direct3D device, field for field.
///
///  Vertex    unlit (D3DVERTEX): position, normal, texture coordinates; lit by the device.
///  LVertex   lit (D3DLVERTEX): position, colour and specular; drawn with its own colour.
///  TLVertex  transformed and lit (D3DTLVERTEX): screen pixels, depth 0..1, rhw = 1 / w.
#pragma once

#include <cstdint>

#include "math/matrix.h"
#include "math/vector3.h"

namespace orix {

struct Vertex {
    float x = 0, y = 0, z = 0;
    float nx = 0, ny = 0, nz = 0;
    float tu = 0, tv = 0;
};

struct LVertex {
    float x = 0, y = 0, z = 0;
    uint32_t reserved = 0;
    uint32_t color = 0xFFFFFFFF;
    uint32_t specular = 0xFF000000;
    float tu = 0, tv = 0;
};

struct TLVertex {
    float sx = 0, sy = 0, sz = 0;
    float rhw = 0.5f;
    uint32_t color = 0xFFFFFFFF;
    uint32_t specular = 0xFF000000;
    float tu = 0, tv = 0;
};

static_assert(sizeof(Vertex) == 32, "Vertex must match D3DVERTEX");
static_assert(sizeof(LVertex) == 32, "LVertex must match D3DLVERTEX");
static_assert(sizeof(TLVertex) == 32, "TLVertex must match D3DTLVERTEX");

/// The vertex format a drawable stores (the mesh's vertexFormat values).
enum class VertexFormat : int32_t { Unlit = 0, Lit = 1, Transformed = 2 };

/// Puts p through m as (X, Y, Z, W) = (p, 1) · m and returns screen x = (X / W + 1) · 320,
/// y = (1 - Y / W) · 240, z = Z / W, with W itself in rhw. The 320 and 240 are fixed.
TLVertex ProjectToScreen(const Vector3& p, const Matrix& m);

}  // namespace orix
