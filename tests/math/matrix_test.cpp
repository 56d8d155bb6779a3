#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "math/matrix.h"

namespace orix {
namespace {

constexpr float kPi = 3.14159265f;

void ExpectNear(const Vector3& a, const Vector3& b, float tol = 1e-5f) {
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
}

// Left-handed, row vectors: a quarter turn about y carries +x onto -z and +z onto +x. The
// builders' other entries are pinned against the quaternion conversion.
TEST(Matrix, SingleAxisRotationsUseDirect3DSigns) {
    ExpectNear(TransformPoint({1, 0, 0}, Matrix::RotationY(kPi / 2)), {0, 0, -1});
    ExpectNear(TransformPoint({0, 0, 1}, Matrix::RotationY(kPi / 2)), {1, 0, 0});
    ExpectNear(TransformPoint({1, 0, 0}, Matrix::RotationZ(kPi / 2)), {0, 1, 0});
    ExpectNear(TransformPoint({0, 1, 0}, Matrix::RotationZ(kPi / 2)), {-1, 0, 0});
    ExpectNear(TransformPoint({0, 1, 0}, Matrix::RotationX(kPi / 2)), {0, 0, 1});
    ExpectNear(TransformPoint({0, 0, 1}, Matrix::RotationX(kPi / 2)), {0, -1, 0});
}

TEST(Matrix, ProductAppliesLeftOperandFirst) {
    Matrix turnThenMove = Matrix::RotationZ(kPi / 2) * Matrix::Translation({10, 0, 0});
    ExpectNear(TransformPoint({1, 0, 0}, turnThenMove), {10, 1, 0});
    Matrix moveThenTurn = Matrix::Translation({10, 0, 0}) * Matrix::RotationZ(kPi / 2);
    ExpectNear(TransformPoint({1, 0, 0}, moveThenTurn), {0, 11, 0});
}

TEST(Matrix, EulerCompositionsMatchHandBuiltProducts) {
    Vector3 a{0.4f, -1.1f, 2.3f};
    Matrix rx = Matrix::RotationX(a.x), ry = Matrix::RotationY(a.y), rz = Matrix::RotationZ(a.z);
    EXPECT_LT(MaxDifference(Matrix::EulerXYZ(a), rx * ry * rz), 1e-6f);
    EXPECT_LT(MaxDifference(Matrix::EulerZYX(a), rz * ry * rx), 1e-6f);
    EXPECT_LT(MaxDifference(Matrix::EulerXZY(a), rx * rz * ry), 1e-6f);
    EXPECT_GT(MaxDifference(Matrix::EulerXYZ(a), Matrix::EulerZYX(a)), 1e-2f);
}

TEST(Matrix, AffineInverseUndoesRandomAffineMatrices) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> angle(-3.0f, 3.0f), offset(-50.0f, 50.0f),
        scale(0.2f, 4.0f);
    for (int i = 0; i < 200; ++i) {
        Matrix m = Matrix::Scaling({scale(rng), scale(rng), scale(rng)}) *
                   Matrix::EulerXYZ({angle(rng), angle(rng), angle(rng)}) *
                   Matrix::Translation({offset(rng), offset(rng), offset(rng)});
        EXPECT_LT(MaxDifference(AffineInverse(m) * m, Matrix::Identity()), 1e-4f) << i;
        EXPECT_LT(MaxDifference(m * AffineInverse(m), Matrix::Identity()), 1e-4f) << i;
    }
}

TEST(Matrix, SingularInverseStaysFinite) {
    Matrix flat = Matrix::Scaling({1, 0, 1}) * Matrix::Translation({1, 2, 3});
    Matrix inv = AffineInverse(flat);
    for (auto& row : inv.m)
        for (float v : row) EXPECT_TRUE(std::isfinite(v));
}

TEST(Matrix, TransformPointHasNoPerspectiveDivide) {
    Matrix m = Matrix::Zero();
    m.m[0][0] = m.m[1][1] = m.m[2][2] = 2.0f;
    m.m[3][3] = 5.0f;  // ignored by point transforms
    m.SetTranslation({1, 1, 1});
    ExpectNear(TransformPoint({1, 2, 3}, m), {3, 5, 7});
    ExpectNear(TransformDirection({1, 2, 3}, m), {2, 4, 6});
}

}  // namespace
}  // namespace orix
