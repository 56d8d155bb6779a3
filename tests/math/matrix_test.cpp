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

TEST(Matrix, SingleAxisRotationsUseDirect3DSigns) {
    float a = 0.3f;
    Matrix x = Matrix::RotationX(a);
    EXPECT_FLOAT_EQ(x.m[1][1], std::cos(a));
    EXPECT_FLOAT_EQ(x.m[1][2], std::sin(a));
    EXPECT_FLOAT_EQ(x.m[2][1], -std::sin(a));
    EXPECT_FLOAT_EQ(x.m[2][2], std::cos(a));
    Matrix y = Matrix::RotationY(a);
    EXPECT_FLOAT_EQ(y.m[0][0], std::cos(a));
    EXPECT_FLOAT_EQ(y.m[0][2], -std::sin(a));
    EXPECT_FLOAT_EQ(y.m[2][0], std::sin(a));
    Matrix z = Matrix::RotationZ(a);
    EXPECT_FLOAT_EQ(z.m[0][1], std::sin(a));
    EXPECT_FLOAT_EQ(z.m[1][0], -std::sin(a));

    // Left-handed: a quarter turn about y carries +x onto -z... and +z onto +x.
    ExpectNear(TransformPoint({1, 0, 0}, Matrix::RotationY(kPi / 2)), {0, 0, -1});
    ExpectNear(TransformPoint({0, 0, 1}, Matrix::RotationY(kPi / 2)), {1, 0, 0});
    ExpectNear(TransformPoint({1, 0, 0}, Matrix::RotationZ(kPi / 2)), {0, 1, 0});
    ExpectNear(TransformPoint({0, 1, 0}, Matrix::RotationX(kPi / 2)), {0, 0, 1});
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
