/// \file
/// Quaternion: scalar first (w, x, y, z), the layout of the retained-mode quaternion.
///
/// q = (cos(a/2), sin(a/2)·axis) is a rotation by a about axis; QuaternionToMatrix gives the
/// engine matrix whose rows 0 to 2 are
///     1 - 2(y² + z²)   2(xy - wz)       2(xz + wy)
///     2(xy + wz)       1 - 2(x² + z²)   2(yz - wx)
///     2(xz - wy)       2(yz + wx)       1 - 2(x² + y²)
/// With that mapping the Hamilton product composes in the engine's order: the matrix of a·b is
/// the matrix of a times the matrix of b (a applied first).
#pragma once

#include "math/matrix.h"
#include "math/vector3.h"

namespace orix {

struct Quaternion {
    float w = 1.0f;
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

/// Hamilton product a·b.
Quaternion QuaternionMultiply(const Quaternion& a, const Quaternion& b);
/// a · c⁻¹: a times the conjugate of c over c's squared norm. A zero c yields a unchanged.
Quaternion QuaternionQuotient(const Quaternion& a, const Quaternion& c);
/// Unit-length copy; the zero quaternion becomes the identity.
Quaternion QuaternionNormalize(const Quaternion& q);
/// The rotation by angle (radians) about axis; the axis is normalised first. A zero axis gives
/// the identity.
Quaternion QuaternionFromRotation(const Vector3& axis, float angle);
/// Normalises, then h = arccos w, angle = 2h, axis = (x, y, z) / sin h, or (0, 0, 0) when
/// |sin h| <= 0.000001.
void QuaternionToAxisAngle(const Quaternion& q, Vector3* axis, float* angle);
/// Spherical interpolation along the shorter arc, t in [0, 1].
Quaternion QuaternionSlerp(const Quaternion& a, const Quaternion& b, float t);
/// The rotation matrix of the table above (translation zero).
Matrix QuaternionToMatrix(const Quaternion& q);
/// The quaternion of a rotation matrix's 3 x 3 part (rows assumed orthonormal).
Quaternion QuaternionFromMatrix(const Matrix& m);

}  // namespace orix
