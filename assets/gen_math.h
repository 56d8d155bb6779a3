// Small double-precision math for the asset generator: vectors, rigid transforms and the
// modelling tool's rotation convention.
//
// Transforms follow the tool's layout: rows 0-2 are the rotated x, y and z axes, row 3 the
// translation, and points are row vectors (p' = p * R + t), so A * B applies A first. The tool
// writes a rotation as (axis, angle) whose matrix rows are the textbook right-hand rotation
// matrix R(axis, angle); a row vector multiplied by it therefore turns by -angle. Independent of
// the engine library on purpose: the generator is a separate program.
#pragma once

#include <cmath>

namespace orix_assets {

constexpr double kPi = 3.14159265358979323846;

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

inline Vec3 operator+(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(Vec3 a, double s) {
    return {a.x * s, a.y * s, a.z * s};
}
inline double Dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 Cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double Length(Vec3 a) {
    return std::sqrt(Dot(a, a));
}
inline Vec3 Normalize(Vec3 a) {
    double l = Length(a);
    return l > 0 ? a * (1.0 / l) : Vec3{0, 0, 0};
}
inline Vec3 Lerp(Vec3 a, Vec3 b, double t) {
    return a + (b - a) * t;
}

// Rigid transform in the tool's row layout.
struct Xform {
    double r[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    Vec3 t;

    Vec3 Row(int i) const { return {r[i][0], r[i][1], r[i][2]}; }
};

// p * R + t.
inline Vec3 TransformPoint(const Xform& m, Vec3 p) {
    return {p.x * m.r[0][0] + p.y * m.r[1][0] + p.z * m.r[2][0] + m.t.x,
            p.x * m.r[0][1] + p.y * m.r[1][1] + p.z * m.r[2][1] + m.t.y,
            p.x * m.r[0][2] + p.y * m.r[1][2] + p.z * m.r[2][2] + m.t.z};
}
// p * R.
inline Vec3 TransformVector(const Xform& m, Vec3 p) {
    Xform n = m;
    n.t = {0, 0, 0};
    return TransformPoint(n, p);
}

// a * b: a applied first.
inline Xform Multiply(const Xform& a, const Xform& b) {
    Xform o;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            o.r[i][j] = a.r[i][0] * b.r[0][j] + a.r[i][1] * b.r[1][j] + a.r[i][2] * b.r[2][j];
    o.t = TransformPoint(b, a.t);
    return o;
}

// Inverse of a rigid transform (orthonormal rotation).
inline Xform RigidInverse(const Xform& m) {
    Xform o;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) o.r[i][j] = m.r[j][i];
    Vec3 t = TransformVector(o, m.t);
    o.t = t * -1.0;
    return o;
}

// Rotation whose rows are the tool's matrix for (axis, angle).
inline Xform ToolRotation(Vec3 axis, double angle) {
    Xform o;
    Vec3 a = Normalize(axis);
    if (Length(a) == 0) return o;
    double c = std::cos(angle), s = std::sin(angle), k = 1 - c;
    o.r[0][0] = c + a.x * a.x * k;
    o.r[0][1] = a.x * a.y * k - a.z * s;
    o.r[0][2] = a.x * a.z * k + a.y * s;
    o.r[1][0] = a.y * a.x * k + a.z * s;
    o.r[1][1] = c + a.y * a.y * k;
    o.r[1][2] = a.y * a.z * k - a.x * s;
    o.r[2][0] = a.z * a.x * k - a.y * s;
    o.r[2][1] = a.z * a.y * k + a.x * s;
    o.r[2][2] = c + a.z * a.z * k;
    return o;
}

// Rotation that turns row vectors by +angle (right hand) about axis.
inline Xform TurnAbout(Vec3 axis, double angle) {
    return ToolRotation(axis, -angle);
}

// Axis and angle (0..pi) of the tool's convention for the rotation part of m.
void ToolAxisAngle(const Xform& m, Vec3* axis, double* angle);

}  // namespace orix_assets
