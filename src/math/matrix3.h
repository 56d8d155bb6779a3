/// \file
/// Matrix3: 3 x 3 floats for 2D transforms, row vectors, translation in the third row.
///
/// A point (x, y) becomes (x·m11 + y·m21 + m31, x·m12 + y·m22 + m32). Used by the 2D overlays
/// and for texture-coordinate transforms.
#pragma once

namespace orix {

struct Vector2 {
    float x = 0.0f;
    float y = 0.0f;
};

struct Matrix3 {
    float m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

    static Matrix3 Identity() { return Matrix3{}; }
    /// m11 = cos a, m12 = sin a, m21 = -sin a, m22 = cos a.
    static Matrix3 Rotation(float a);
    static Matrix3 Translation(float x, float y);
};

/// a · b: a applied first.
Matrix3 operator*(const Matrix3& a, const Matrix3& b);
Vector2 TransformPoint(const Vector2& p, const Matrix3& a);

}  // namespace orix
