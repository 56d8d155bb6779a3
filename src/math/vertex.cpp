#include "math/vertex.h"

namespace orix {

TLVertex ProjectToScreen(const Vector3& p, const Matrix& a) {
    const auto& m = a.m;
    float X = p.x * m[0][0] + p.y * m[1][0] + p.z * m[2][0] + m[3][0];
    float Y = p.x * m[0][1] + p.y * m[1][1] + p.z * m[2][1] + m[3][1];
    float Z = p.x * m[0][2] + p.y * m[1][2] + p.z * m[2][2] + m[3][2];
    float W = p.x * m[0][3] + p.y * m[1][3] + p.z * m[2][3] + m[3][3];
    TLVertex v;
    v.sx = (X / W + 1.0f) * 320.0f;
    v.sy = (1.0f - Y / W) * 240.0f;
    v.sz = Z / W;
    v.rhw = W;
    return v;
}

}  // namespace orix
