#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "math/color.h"
#include "math/quaternion.h"
#include "math/types.h"
#include "math/vertex.h"

namespace orix {
namespace {

constexpr float kPi = 3.14159265f;

Quaternion RandomUnit(std::mt19937& rng) {
    std::uniform_real_distribution<float> d(-1.0f, 1.0f);
    return QuaternionNormalize({d(rng), d(rng), d(rng), d(rng)});
}

TEST(Quaternion, MatrixOfProductIsProductOfMatrices) {
    std::mt19937 rng(11);
    for (int i = 0; i < 100; ++i) {
        Quaternion a = RandomUnit(rng), b = RandomUnit(rng);
        Matrix viaProduct = QuaternionToMatrix(QuaternionMultiply(a, b));
        Matrix viaMatrices = QuaternionToMatrix(a) * QuaternionToMatrix(b);
        EXPECT_LT(MaxDifference(viaProduct, viaMatrices), 1e-5f) << i;
    }
}

TEST(Quaternion, SingleAxisRotationsMatchTheMatrixBuilders) {
    // The engine's axis-angle conversion pairs q(axis, a) with the rotation builders at a.
    float a = 0.7f;
    EXPECT_LT(MaxDifference(QuaternionToMatrix(QuaternionFromRotation({1, 0, 0}, a)),
                            Matrix::RotationX(-a)),
              1e-6f);
    EXPECT_LT(MaxDifference(QuaternionToMatrix(QuaternionFromRotation({0, 1, 0}, a)),
                            Matrix::RotationY(-a)),
              1e-6f);
    EXPECT_LT(MaxDifference(QuaternionToMatrix(QuaternionFromRotation({0, 0, 1}, a)),
                            Matrix::RotationZ(-a)),
              1e-6f);
}

TEST(Quaternion, AxisAngleRoundTrips) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> d(-1.0f, 1.0f), ang(0.05f, 3.0f);
    for (int i = 0; i < 100; ++i) {
        Vector3 axis = Normalize(Vector3{d(rng), d(rng), d(rng)});
        float angle = ang(rng);
        Vector3 outAxis;
        float outAngle = 0;
        QuaternionToAxisAngle(QuaternionFromRotation(axis, angle), &outAxis, &outAngle);
        EXPECT_NEAR(outAngle, angle, 1e-3f);
        EXPECT_NEAR(outAxis.x, axis.x, 1e-3f);
        EXPECT_NEAR(outAxis.y, axis.y, 1e-3f);
        EXPECT_NEAR(outAxis.z, axis.z, 1e-3f);
    }
}

TEST(Quaternion, AxisAngleOfIdentityIsZeroAxis) {
    Vector3 axis{9, 9, 9};
    float angle = 9;
    QuaternionToAxisAngle(Quaternion{}, &axis, &angle);
    EXPECT_EQ(axis, Vector3(0, 0, 0));
    EXPECT_FLOAT_EQ(angle, 0.0f);
}

TEST(Quaternion, QuotientUndoesProduct) {
    std::mt19937 rng(5);
    for (int i = 0; i < 50; ++i) {
        Quaternion a = RandomUnit(rng), c = RandomUnit(rng);
        Quaternion back = QuaternionQuotient(QuaternionMultiply(a, c), c);
        EXPECT_NEAR(back.w, a.w, 1e-5f);
        EXPECT_NEAR(back.x, a.x, 1e-5f);
        EXPECT_NEAR(back.y, a.y, 1e-5f);
        EXPECT_NEAR(back.z, a.z, 1e-5f);
    }
}

TEST(Quaternion, MatrixRoundTripAndSlerpEnds) {
    std::mt19937 rng(9);
    for (int i = 0; i < 100; ++i) {
        Quaternion q = RandomUnit(rng);
        Matrix m = QuaternionToMatrix(q);
        EXPECT_LT(MaxDifference(QuaternionToMatrix(QuaternionFromMatrix(m)), m), 1e-4f) << i;
    }
    Quaternion a = QuaternionFromRotation({0, 1, 0}, 0.0f);
    Quaternion b = QuaternionFromRotation({0, 1, 0}, kPi / 2);
    Quaternion mid = QuaternionSlerp(a, b, 0.5f);
    Vector3 axis;
    float angle;
    QuaternionToAxisAngle(mid, &axis, &angle);
    EXPECT_NEAR(angle, kPi / 4, 1e-4f);
    EXPECT_LT(MaxDifference(QuaternionToMatrix(QuaternionSlerp(a, b, 1.0f)), QuaternionToMatrix(b)),
              1e-5f);
}

TEST(SharedTypes, VertexDefaultsAndPackedColours) {
    Vertex v;
    EXPECT_EQ(v.x + v.nx + v.tu, 0.0f);
    LVertex l;
    EXPECT_EQ(l.color, 0xFFFFFFFFu);
    EXPECT_EQ(l.specular, 0xFF000000u);
    TLVertex t;
    EXPECT_EQ(t.rhw, 0.5f);
    EXPECT_EQ(t.color, 0xFFFFFFFFu);

    EXPECT_EQ(PackColor({0.3f, 0.3f, 0.3f, 1.0f}), 0xFF4C4C4Cu);
    EXPECT_EQ(PackColor({2.0f, -1.0f, 0.5f, 0.0f}), 0x00FF007Fu);
    EXPECT_EQ(MakeColorRef(0, 0, 255), 0x00FF0000u);
    EXPECT_EQ(static_cast<uint32_t>(kUpdateAnimate | kUpdateDraw | kUpdateChildren), 7u);
}

TEST(SharedTypes, ProjectToScreenUsesFixedHalfSize) {
    Matrix m;  // identity: W = 1
    TLVertex v = ProjectToScreen({0.5f, -0.5f, 0.25f}, m);
    EXPECT_FLOAT_EQ(v.sx, 480.0f);
    EXPECT_FLOAT_EQ(v.sy, 360.0f);
    EXPECT_FLOAT_EQ(v.sz, 0.25f);
    EXPECT_FLOAT_EQ(v.rhw, 1.0f);
}

}  // namespace
}  // namespace orix
