#include "math/matrix.h"

#include <algorithm>
#include <iterator>
#include <cmath>

namespace orix {

Matrix Matrix::Zero() {
    Matrix r;
    for (auto& row : r.m) std::fill(std::begin(row), std::end(row), 0.0f);
    return r;
}

Matrix Matrix::Translation(const Vector3& t) {
    Matrix r;
    r.SetTranslation(t);
    return r;
}

Matrix Matrix::Scaling(const Vector3& s) {
    Matrix r;
    r.m[0][0] = s.x;
    r.m[1][1] = s.y;
    r.m[2][2] = s.z;
    return r;
}

Matrix Matrix::RotationX(float a) {
    Matrix r;
    float c = std::cos(a), s = std::sin(a);
    r.m[1][1] = c;
    r.m[1][2] = s;
    r.m[2][1] = -s;
    r.m[2][2] = c;
    return r;
}

Matrix Matrix::RotationY(float a) {
    Matrix r;
    float c = std::cos(a), s = std::sin(a);
    r.m[0][0] = c;
    r.m[0][2] = -s;
    r.m[2][0] = s;
    r.m[2][2] = c;
    return r;
}

Matrix Matrix::RotationZ(float a) {
    Matrix r;
    float c = std::cos(a), s = std::sin(a);
    r.m[0][0] = c;
    r.m[0][1] = s;
    r.m[1][0] = -s;
    r.m[1][1] = c;
    return r;
}

Matrix Matrix::EulerXYZ(const Vector3& a) {
    return RotationX(a.x) * RotationY(a.y) * RotationZ(a.z);
}

Matrix Matrix::EulerZYX(const Vector3& a) {
    return RotationZ(a.z) * RotationY(a.y) * RotationX(a.x);
}

Matrix Matrix::EulerXZY(const Vector3& a) {
    return RotationX(a.x) * RotationZ(a.z) * RotationY(a.y);
}

bool Matrix::operator==(const Matrix& o) const {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (m[r][c] != o.m[r][c]) return false;
    return true;
}

Matrix operator*(const Matrix& a, const Matrix& b) {
    Matrix r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] +
                        a.m[i][3] * b.m[3][j];
        }
    }
    return r;
}

Matrix AffineInverse(const Matrix& a) {
    const auto& m = a.m;
    float c00 = m[1][1] * m[2][2] - m[1][2] * m[2][1];
    float c01 = m[1][2] * m[2][0] - m[1][0] * m[2][2];
    float c02 = m[1][0] * m[2][1] - m[1][1] * m[2][0];
    float det = m[0][0] * c00 + m[0][1] * c01 + m[0][2] * c02;

    Matrix r;
    if (det != 0.0f && std::isfinite(det)) {
        float inv = 1.0f / det;
        r.m[0][0] = c00 * inv;
        r.m[0][1] = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) * inv;
        r.m[0][2] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) * inv;
        r.m[1][0] = c01 * inv;
        r.m[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) * inv;
        r.m[1][2] = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) * inv;
        r.m[2][0] = c02 * inv;
        r.m[2][1] = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) * inv;
        r.m[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) * inv;
    }
    Vector3 t = a.GetTranslation();
    for (int c = 0; c < 3; ++c) {
        r.m[3][c] = -(t.x * r.m[0][c] + t.y * r.m[1][c] + t.z * r.m[2][c]);
    }
    r.m[0][3] = r.m[1][3] = r.m[2][3] = 0.0f;
    r.m[3][3] = 1.0f;
    return r;
}

Vector3 TransformPoint(const Vector3& p, const Matrix& a) {
    const auto& m = a.m;
    return {p.x * m[0][0] + p.y * m[1][0] + p.z * m[2][0] + m[3][0],
            p.x * m[0][1] + p.y * m[1][1] + p.z * m[2][1] + m[3][1],
            p.x * m[0][2] + p.y * m[1][2] + p.z * m[2][2] + m[3][2]};
}

Vector3 TransformDirection(const Vector3& v, const Matrix& a) {
    const auto& m = a.m;
    return {v.x * m[0][0] + v.y * m[1][0] + v.z * m[2][0],
            v.x * m[0][1] + v.y * m[1][1] + v.z * m[2][1],
            v.x * m[0][2] + v.y * m[1][2] + v.z * m[2][2]};
}

float MaxDifference(const Matrix& a, const Matrix& b) {
    float d = 0.0f;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) d = std::max(d, std::fabs(a.m[r][c] - b.m[r][c]));
    return d;
}

}  // namespace orix
