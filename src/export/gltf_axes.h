/// \file
/// The one place where engine space meets glTF space.
///
/// The engine is left-handed and y-up, with row vectors (p' = p · M, translation in row 4), as
/// Direct3D is. glTF is right-handed and y-up, with column vectors. Mirroring the z axis turns one
/// into the other and keeps the up axis and the units: x and y stay, z changes sign. With
/// C = diag(1, 1, -1), a point or direction p becomes p · C and a matrix M becomes C · M · C.
/// A mirror reverses the turning sense of every triangle, and the two conventions also disagree
/// on which sense is the front (clockwise in the engine, counter-clockwise in glTF); the mirror
/// alone would make the engine's front faces clockwise in glTF space, so each triangle's last two
/// corners are exchanged to keep the front faces facing outward.
///
/// Import runs the same conversion backwards: the mirror is its own inverse, so FromGltf is
/// ToGltf again, and a glTF triangle a, b, c is the engine's a, c, b.
///
/// A converted row-vector matrix written row by row is the same sixteen numbers as its
/// column-vector transpose written column by column, which is glTF's storage order.
#pragma once

#include <array>
#include <cstdint>
#include <utility>

#include "math/matrix.h"
#include "math/vector3.h"

namespace orix::gltf {

/// p (a point or a direction) in glTF space.
inline Vector3 ToGltf(const Vector3& p) {
    return {p.x, p.y, -p.z};
}

/// C · m · C: the same transform expressed in glTF space (still row vectors).
Matrix ToGltf(const Matrix& m);

/// A triangle's corners a, b, c in the order glTF draws as the engine's front face.
inline std::array<uint32_t, 3> ToGltfWinding(uint32_t a, uint32_t b, uint32_t c) {
    return {a, c, b};
}

/// p (a point or a direction) of glTF space in engine space.
inline Vector3 FromGltf(const Vector3& p) {
    return {p.x, p.y, -p.z};
}

/// A transform of glTF space (row vectors) in engine space.
inline Matrix FromGltf(const Matrix& m) {
    return ToGltf(m);
}

/// A glTF front-facing triangle's corners in the engine's front-face order.
inline std::array<uint32_t, 3> FromGltfWinding(uint32_t a, uint32_t b, uint32_t c) {
    return {a, c, b};
}

/// glTF's column-major numbers of a matrix already in glTF space.
std::array<double, 16> ColumnMajor(const Matrix& gltfMatrix);

}  // namespace orix::gltf
