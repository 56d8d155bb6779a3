#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "math/color.h"
#include "math/matrix.h"
#include "math/quaternion.h"
#include "math/types.h"

namespace orix {
namespace {

constexpr float kPi = 3.14159265f;

void ExpectNear(const Vector3& a, const Vector3& b) {
    EXPECT_LT(Length(a - b), 1e-5f) << a.x << " " << a.y << " " << a.z;
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

Quaternion RandomUnit(std::mt19937& rng) {
    std::uniform_real_distribution<float> d(-1.0f, 1.0f);
    return QuaternionNormalize({d(rng), d(rng), d(rng), d(rng)});
}

float Difference(const Quaternion& a, const Quaternion& b) {
    return std::max(
        {std::fabs(a.w - b.w), std::fabs(a.x - b.x), std::fabs(a.y - b.y), std::fabs(a.z - b.z)});
}

// Properties over random unit quaternions: the product maps to the matrix product, the quotient
// undoes the product, and the matrix conversion comes back.
TEST(Quaternion, ProductQuotientAndMatrixAgree) {
    std::mt19937 rng(11);
    for (int i = 0; i < 100; ++i) {
        Quaternion a = RandomUnit(rng), b = RandomUnit(rng);
        Matrix viaProduct = QuaternionToMatrix(QuaternionMultiply(a, b));
        EXPECT_LT(MaxDifference(viaProduct, QuaternionToMatrix(a) * QuaternionToMatrix(b)), 1e-5f);
        EXPECT_LT(Difference(QuaternionQuotient(QuaternionMultiply(a, b), b), a), 1e-5f) << i;
        Matrix m = QuaternionToMatrix(a);
        EXPECT_LT(MaxDifference(QuaternionToMatrix(QuaternionFromMatrix(m)), m), 1e-4f) << i;
    }
}

TEST(Quaternion, SingleAxisRotationsMatchTheMatrixBuilders) {
    // The engine's axis-angle conversion pairs q(axis, a) with the rotation builders at -a.
    const float a = 0.7f;
    const struct {
        Vector3 axis;
        Matrix m;
    } cases[] = {{{1, 0, 0}, Matrix::RotationX(-a)},
                 {{0, 1, 0}, Matrix::RotationY(-a)},
                 {{0, 0, 1}, Matrix::RotationZ(-a)}};
    for (const auto& c : cases)
        EXPECT_LT(MaxDifference(QuaternionToMatrix(QuaternionFromRotation(c.axis, a)), c.m), 1e-6f);
}

TEST(Quaternion, AxisAngleRoundTripsAndIdentityHasAZeroAxis) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> d(-1.0f, 1.0f), ang(0.05f, 3.0f);
    for (int i = 0; i < 100; ++i) {
        Vector3 axis = Normalize(Vector3{d(rng), d(rng), d(rng)});
        float angle = ang(rng);
        Vector3 outAxis;
        float outAngle = 0;
        QuaternionToAxisAngle(QuaternionFromRotation(axis, angle), &outAxis, &outAngle);
        EXPECT_NEAR(outAngle, angle, 1e-3f);
        EXPECT_LT(Length(outAxis - axis), 2e-3f);
    }
    Vector3 axis{9, 9, 9};
    float angle = 9;
    QuaternionToAxisAngle(Quaternion{}, &axis, &angle);
    EXPECT_EQ(axis, Vector3(0, 0, 0));
    EXPECT_FLOAT_EQ(angle, 0.0f);
}

TEST(Quaternion, SlerpHalfwayIsHalfTheAngleAndEndsOnTheTarget) {
    Quaternion a = QuaternionFromRotation({0, 1, 0}, 0.0f);
    Quaternion b = QuaternionFromRotation({0, 1, 0}, kPi / 2);
    Vector3 axis;
    float angle;
    QuaternionToAxisAngle(QuaternionSlerp(a, b, 0.5f), &axis, &angle);
    EXPECT_NEAR(angle, kPi / 4, 1e-4f);
    EXPECT_LT(MaxDifference(QuaternionToMatrix(QuaternionSlerp(a, b, 1.0f)), QuaternionToMatrix(b)),
              1e-5f);
    // Nearly parallel keys blend linearly, still a quarter of the way at a quarter.
    Quaternion near = QuaternionSlerp(a, QuaternionFromRotation({0, 1, 0}, 0.02f), 0.25f);
    Quaternion quarter = QuaternionFromRotation({0, 1, 0}, 0.005f);
    EXPECT_NEAR(near.y, quarter.y, 1e-5f);
    EXPECT_NEAR(near.w, quarter.w, 1e-5f);
}

TEST(SharedTypes, PackedColoursClampEachChannel) {
    EXPECT_EQ(PackColor({0.3f, 0.3f, 0.3f, 1.0f}), 0xFF4C4C4Cu);
    EXPECT_EQ(PackColor({2.0f, -1.0f, 0.5f, 0.0f}), 0x00FF007Fu);
}

}  // namespace
}  // namespace orix
