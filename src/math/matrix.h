/// \file
/// Matrix: 4 x 4 floats in Direct3D's D3DMATRIX layout, applied to row vectors.
///
/// Conventions, once for the whole engine:
///  - Element m[r][c] is Direct3D's _(r+1)(c+1): m[0][0] is m11, m[3][2] is m43.
///  - A point p becomes p' = (p, 1) · M with no division by w; the translation is row 3.
///  - A · B applies A first, then B ("turn, then move" is Rotation · Translation).
///  - Space is left-handed, angles are radians.
/// The memory layout is also what OpenGL expects of a column-vector matrix, so a Matrix loads
/// into OpenGL unchanged.
#pragma once

#include "math/vector3.h"

namespace orix {

struct Matrix {
    float m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};

    static Matrix Identity() { return Matrix{}; }
    static Matrix Zero();
    static Matrix Translation(const Vector3& t);
    static Matrix Scaling(const Vector3& s);
    /// Single-axis rotations with Direct3D's element signs: RotationX(a) has m22 = cos a,
    /// m23 = sin a, m32 = -sin a, m33 = cos a; Y and Z likewise.
    static Matrix RotationX(float a);
    static Matrix RotationY(float a);
    static Matrix RotationZ(float a);
    /// Euler compositions: XYZ is RotationX(x) · RotationY(y) · RotationZ(z) (x turns first);
    /// ZYX is RotationZ · RotationY · RotationX; XZY is RotationX · RotationZ · RotationY.
    static Matrix EulerXYZ(const Vector3& angles);
    static Matrix EulerZYX(const Vector3& angles);
    static Matrix EulerXZY(const Vector3& angles);

    Vector3 Row(int r) const { return {m[r][0], m[r][1], m[r][2]}; }
    void SetRow(int r, const Vector3& v) { m[r][0] = v.x, m[r][1] = v.y, m[r][2] = v.z; }
    Vector3 GetTranslation() const { return Row(3); }
    void SetTranslation(const Vector3& t) { SetRow(3, t); }

    bool operator==(const Matrix& o) const;
    bool operator!=(const Matrix& o) const { return !(*this == o); }
};

/// a · b: a applied first.
Matrix operator*(const Matrix& a, const Matrix& b);

/// Inverse of an affine matrix: 3 x 3 part by cofactors over the determinant, fourth column
/// (0, 0, 0, 1), fourth row -(translation · inverted 3 x 3). A singular 3 x 3 part yields the
/// identity rotation part rather than infinities.
Matrix AffineInverse(const Matrix& a);

/// (p, 1) · M, without division by w.
Vector3 TransformPoint(const Vector3& p, const Matrix& a);
/// (v, 0) · M: directions and normals (no translation).
Vector3 TransformDirection(const Vector3& v, const Matrix& a);

/// Largest absolute element difference; for tests and tolerant comparisons.
float MaxDifference(const Matrix& a, const Matrix& b);

}  // namespace orix
