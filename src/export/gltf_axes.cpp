#include "export/gltf_axes.h"

namespace orix::gltf {

Matrix ToGltf(const Matrix& m) {
    // C · m · C negates the elements whose row or column (not both) is the z one.
    Matrix out = m;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            if ((r == 2) != (c == 2)) out.m[r][c] = -m.m[r][c];
        }
    }
    return out;
}

std::array<double, 16> ColumnMajor(const Matrix& gltfMatrix) {
    std::array<double, 16> out{};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) out[size_t(r * 4 + c)] = double(gltfMatrix.m[r][c]);
    }
    return out;
}

}  // namespace orix::gltf
