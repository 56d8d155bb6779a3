#include "math/quaternion.h"

#include <algorithm>
#include <cmath>

namespace orix {

Quaternion QuaternionMultiply(const Quaternion& a, const Quaternion& b) {
    return {a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z,
            a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
            a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
            a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w};
}

Quaternion QuaternionQuotient(const Quaternion& a, const Quaternion& c) {
    float n = c.w * c.w + c.x * c.x + c.y * c.y + c.z * c.z;
    if (n == 0.0f) return a;
    Quaternion inv{c.w / n, -c.x / n, -c.y / n, -c.z / n};
    return QuaternionMultiply(a, inv);
}

Quaternion QuaternionNormalize(const Quaternion& q) {
    float n = std::sqrt(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z);
    if (n == 0.0f || !std::isfinite(n)) return Quaternion{};
    return {q.w / n, q.x / n, q.y / n, q.z / n};
}

Quaternion QuaternionFromRotation(const Vector3& axis, float angle) {
    float len = Length(axis);
    if (len == 0.0f) return Quaternion{};
    Vector3 u = axis / len;
    float s = std::sin(angle * 0.5f);
    return {std::cos(angle * 0.5f), u.x * s, u.y * s, u.z * s};
}

void QuaternionToAxisAngle(const Quaternion& q, Vector3* axis, float* angle) {
    Quaternion n = QuaternionNormalize(q);
    float h = std::acos(std::clamp(n.w, -1.0f, 1.0f));
    float s = std::sin(h);
    *angle = 2.0f * h;
    if (std::fabs(s) <= 0.000001f) {
        *axis = Vector3{};
    } else {
        *axis = Vector3{n.x / s, n.y / s, n.z / s};
    }
}

Quaternion QuaternionSlerp(const Quaternion& a, const Quaternion& b, float t) {
    float cosom = a.w * b.w + a.x * b.x + a.y * b.y + a.z * b.z;
    Quaternion e = b;
    if (cosom < 0.0f) {
        cosom = -cosom;
        e = {-b.w, -b.x, -b.y, -b.z};
    }
    float k0, k1;
    if (cosom > 0.9995f) {
        // Nearly parallel: linear blend avoids dividing by a vanishing sine.
        k0 = 1.0f - t;
        k1 = t;
    } else {
        float omega = std::acos(std::min(cosom, 1.0f));
        float sinom = std::sin(omega);
        k0 = std::sin((1.0f - t) * omega) / sinom;
        k1 = std::sin(t * omega) / sinom;
    }
    return QuaternionNormalize({k0 * a.w + k1 * e.w, k0 * a.x + k1 * e.x, k0 * a.y + k1 * e.y,
                                k0 * a.z + k1 * e.z});
}

Matrix QuaternionToMatrix(const Quaternion& q) {
    float w = q.w, x = q.x, y = q.y, z = q.z;
    Matrix r;
    r.m[0][0] = 1 - 2 * (y * y + z * z);
    r.m[0][1] = 2 * (x * y - w * z);
    r.m[0][2] = 2 * (x * z + w * y);
    r.m[1][0] = 2 * (x * y + w * z);
    r.m[1][1] = 1 - 2 * (x * x + z * z);
    r.m[1][2] = 2 * (y * z - w * x);
    r.m[2][0] = 2 * (x * z - w * y);
    r.m[2][1] = 2 * (y * z + w * x);
    r.m[2][2] = 1 - 2 * (x * x + y * y);
    return r;
}

Quaternion QuaternionFromMatrix(const Matrix& a) {
    const auto& m = a.m;
    // Inverse of QuaternionToMatrix: m21 - m12 = 4wx, m02 - m20 = 4wy, m10 - m01 = 4wz.
    float trace = m[0][0] + m[1][1] + m[2][2];
    Quaternion q;
    if (trace > 0.0f) {
        float s = std::sqrt(trace + 1.0f) * 2.0f;  // 4w
        q.w = 0.25f * s;
        q.x = (m[2][1] - m[1][2]) / s;
        q.y = (m[0][2] - m[2][0]) / s;
        q.z = (m[1][0] - m[0][1]) / s;
    } else if (m[0][0] > m[1][1] && m[0][0] > m[2][2]) {
        float s = std::sqrt(1.0f + m[0][0] - m[1][1] - m[2][2]) * 2.0f;  // 4x
        q.w = (m[2][1] - m[1][2]) / s;
        q.x = 0.25f * s;
        q.y = (m[0][1] + m[1][0]) / s;
        q.z = (m[0][2] + m[2][0]) / s;
    } else if (m[1][1] > m[2][2]) {
        float s = std::sqrt(1.0f + m[1][1] - m[0][0] - m[2][2]) * 2.0f;  // 4y
        q.w = (m[0][2] - m[2][0]) / s;
        q.x = (m[0][1] + m[1][0]) / s;
        q.y = 0.25f * s;
        q.z = (m[1][2] + m[2][1]) / s;
    } else {
        float s = std::sqrt(1.0f + m[2][2] - m[0][0] - m[1][1]) * 2.0f;  // 4z
        q.w = (m[1][0] - m[0][1]) / s;
        q.x = (m[0][2] + m[2][0]) / s;
        q.y = (m[1][2] + m[2][1]) / s;
        q.z = 0.25f * s;
    }
    return QuaternionNormalize(q);
}

}  // namespace orix
