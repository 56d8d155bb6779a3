#include "math/matrix3.h"

#include <cmath>

namespace orix {

Matrix3 Matrix3::Rotation(float a) {
    Matrix3 r;
    float c = std::cos(a), s = std::sin(a);
    r.m[0][0] = c;
    r.m[0][1] = s;
    r.m[1][0] = -s;
    r.m[1][1] = c;
    return r;
}

Matrix3 Matrix3::Translation(float x, float y) {
    Matrix3 r;
    r.m[2][0] = x;
    r.m[2][1] = y;
    return r;
}

Matrix3 operator*(const Matrix3& a, const Matrix3& b) {
    Matrix3 r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j];
    return r;
}

Vector2 TransformPoint(const Vector2& p, const Matrix3& a) {
    return {p.x * a.m[0][0] + p.y * a.m[1][0] + a.m[2][0],
            p.x * a.m[0][1] + p.y * a.m[1][1] + a.m[2][1]};
}

}  // namespace orix
