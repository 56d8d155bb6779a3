#include "land.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "ase_text.h"

namespace orix_assets {
namespace {

// The demonstration's camera over the ground, in the tool's x and y.
constexpr double kCameraX = -90, kCameraY = -75;
constexpr double kTexelsPerUnit = 1.0 / 64;  // the texture repeats every 64 units

}  // namespace

double LandHeight(double x, double y) {
    double r = std::sqrt(x * x + y * y);
    // Flat where the character stands, rising into low hills further out.
    double t = std::clamp((r - 160) / 700, 0.0, 1.0);
    double ramp = t * t * (3 - 2 * t);
    double hills = 7 * std::sin(x / 210 + 0.7) * std::cos(y / 260 - 0.4) +
                   4 * std::sin((x + 2 * y) / 390 + 1.9) + 2.5 * std::cos((3 * x - y) / 170);
    return ramp * (hills + 6);
}

TriMesh BuildLandMesh() {
    TriMesh land;
    const int n = kLandCells;
    const double step = 2 * kLandHalfSize / n;
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i) {
            double x = -kLandHalfSize + i * step, y = -kLandHalfSize + j * step;
            land.positions.push_back({x, y, LandHeight(x, y)});
            land.texVerts.push_back({x * kTexelsPerUnit, y * kTexelsPerUnit});
        }
    // The land is drawn without depth test, so cells go from far to near (painter's order).
    std::vector<int> cells(n * n);
    std::iota(cells.begin(), cells.end(), 0);
    auto distance = [&](int c) {
        double x = -kLandHalfSize + (c % n + 0.5) * step - kCameraX;
        double y = -kLandHalfSize + (c / n + 0.5) * step - kCameraY;
        return x * x + y * y;
    };
    std::stable_sort(cells.begin(), cells.end(),
                     [&](int a, int b) { return distance(a) > distance(b); });
    for (int c : cells) {
        int i = c % n, j = c / n;
        int a = j * (n + 1) + i, b = a + 1, d = a + (n + 1), e = d + 1;
        // Counter-clockwise seen from above.
        land.faces.push_back({{a, b, e}, {a, b, e}, 0});
        land.faces.push_back({{a, e, d}, {a, e, d}, 0});
    }
    return land;
}

std::string LandAse(const TriMesh& land) {
    AseText out;
    WriteHeader(&out, "gland.max", 0, 100);
    out.Line(0, "*MATERIAL_LIST {");
    out.Line(1, "*MATERIAL_COUNT 1");
    out.Line(1, "*MATERIAL 0 {");
    WriteStandardMaterial(
        &out, 2, {"Ground", {0.5, 0.5, 0.5}, {1.0, 1.0, 1.0}, {0.0, 0.0, 0.0}, kLandTexture}, 1);
    out.Line(1, "}");
    out.Line(0, "}");
    out.Line(0, "*GEOMOBJECT {");
    out.Line(1, "*NODE_NAME \"Land\"");
    WriteNodeTm(&out, 1, "Land", Xform{});
    WriteMesh(&out, 1, land);
    out.Line(1, "*PROP_MOTIONBLUR 0");
    out.Line(1, "*PROP_CASTSHADOW 0");
    out.Line(1, "*PROP_RECVSHADOW 1");
    out.Line(1, "*MATERIAL_REF 0");
    out.Line(0, "}");
    return out.Text();
}

}  // namespace orix_assets
