#include "gen_math.h"

#include <algorithm>

namespace orix_assets {

void ToolAxisAngle(const Xform& m, Vec3* axis, double* angle) {
    // Shepperd's method on the textbook matrix keeps precision near half and full turns.
    const auto& r = m.r;
    double tr = r[0][0] + r[1][1] + r[2][2];
    double w, x, y, z;
    if (tr > 0) {
        double s = std::sqrt(tr + 1.0) * 2;
        w = 0.25 * s;
        x = (r[2][1] - r[1][2]) / s;
        y = (r[0][2] - r[2][0]) / s;
        z = (r[1][0] - r[0][1]) / s;
    } else if (r[0][0] > r[1][1] && r[0][0] > r[2][2]) {
        double s = std::sqrt(1.0 + r[0][0] - r[1][1] - r[2][2]) * 2;
        w = (r[2][1] - r[1][2]) / s;
        x = 0.25 * s;
        y = (r[0][1] + r[1][0]) / s;
        z = (r[0][2] + r[2][0]) / s;
    } else if (r[1][1] > r[2][2]) {
        double s = std::sqrt(1.0 + r[1][1] - r[0][0] - r[2][2]) * 2;
        w = (r[0][2] - r[2][0]) / s;
        x = (r[0][1] + r[1][0]) / s;
        y = 0.25 * s;
        z = (r[1][2] + r[2][1]) / s;
    } else {
        double s = std::sqrt(1.0 + r[2][2] - r[0][0] - r[1][1]) * 2;
        w = (r[1][0] - r[0][1]) / s;
        x = (r[0][2] + r[2][0]) / s;
        y = (r[1][2] + r[2][1]) / s;
        z = 0.25 * s;
    }
    if (w < 0) {
        w = -w;
        x = -x;
        y = -y;
        z = -z;
    }
    double n = std::sqrt(w * w + x * x + y * y + z * z);
    w /= n;
    double half = std::acos(std::min(1.0, w));
    double s = std::sin(half);
    if (s < 1e-9) {
        *axis = {0, 0, 0};
        *angle = 0;
        return;
    }
    *axis = Normalize(Vec3{x / n, y / n, z / n});
    *angle = 2 * half;
}

}  // namespace orix_assets
