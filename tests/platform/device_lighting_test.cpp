// Direct3D lighting of unlit vertices: the formula.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/vertex_lighting.h"

namespace orix {
namespace {

LightRecord PointLight(const Vector3& at, float r, float g, float b) {
    LightRecord l;
    l.type = LIGHT_POINT;
    l.color = {r, g, b, 0};
    l.position = at;
    l.range = 1000.0f;
    l.attenuation0 = 0.5f;
    l.attenuation1 = 0.1f;
    l.attenuation2 = 0.01f;
    l.flags = LIGHT_ACTIVE;
    return l;
}

TEST(VertexLighting, FollowsDirect3DsFormula) {
    LightingSetup s;
    s.material.diffuse = {0.8f, 0.6f, 0.4f, 0.7f};
    s.material.ambient = {1.0f, 0.5f, 0.0f, 1.0f};
    s.material.emissive = {0.05f, 0.0f, 0.0f, 0.0f};
    s.ambient = {0.2f, 0.2f, 0.2f, 1.0f};
    LightRecord l = PointLight({0, 3, 4}, 2.0f, 2.0f, 2.0f);
    s.lights.push_back(&l);

    // Vertex at the origin facing +y; the light is 5 away at cos = 0.6.
    ColorValue c = LightOneVertex({0, 0, 0}, {0, 1, 0}, s, nullptr);
    const float att = 1.0f / (0.5f + 0.1f * 5.0f + 0.01f * 25.0f);
    EXPECT_NEAR(c.r, 0.05f + 0.2f * 1.0f + 2.0f * 0.8f * 0.6f * att, 1e-5);
    EXPECT_NEAR(c.g, 0.2f * 0.5f + 2.0f * 0.6f * 0.6f * att, 1e-5);
    EXPECT_NEAR(c.b, 2.0f * 0.4f * 0.6f * att, 1e-5);
    EXPECT_FLOAT_EQ(c.a, 0.7f);
    // Specular, the eye mirroring the light about the normal: the half vector is the normal.
    s.specular = true;
    s.eye = {0, 3, -4};
    s.material.specular = {0.5f, 0.25f, 0.0f, 1.0f};
    s.material.power = 8.0f;
    ColorValue specular;
    LightOneVertex({0, 0, 0}, {0, 1, 0}, s, &specular);
    EXPECT_NEAR(specular.r, 2.0f * 0.5f * att, 1e-5);
    EXPECT_NEAR(specular.g, 2.0f * 0.25f * att, 1e-5);
    s.specular = false;

    // Facing away, or beyond the range, only ambient and emissive remain.
    c = LightOneVertex({0, 0, 0}, {0, -1, 0}, s, nullptr);
    EXPECT_NEAR(c.g, 0.1f, 1e-6);
    l.range = 4.9f;
    c = LightOneVertex({0, 0, 0}, {0, 1, 0}, s, nullptr);
    EXPECT_NEAR(c.g, 0.1f, 1e-6);
    // An inactive light is ignored by the device (it filters them); here: a spot light's cone.
    l.range = 1000.0f;
    l.type = LIGHT_SPOT;
    l.direction = Normalize(Vector3(0, -3, -4));  // straight at the vertex
    l.theta = 0.2f;
    l.phi = 0.6f;
    l.falloff = 1.0f;
    float inside = LightOneVertex({0, 0, 0}, {0, 1, 0}, s, nullptr).b;
    EXPECT_NEAR(inside, 2.0f * 0.4f * 0.6f * att, 1e-5);
    // Halfway between the inner and outer cone (in cosine), falloff 1: half the light.
    float halfAngle = std::acos(0.5f * (std::cos(0.1f) + std::cos(0.3f)));
    // Light straight above the vertex, its axis tilted by that angle from straight down.
    l.position = {0, 5, 0};
    l.direction = {std::sin(halfAngle), -std::cos(halfAngle), 0.0f};
    float spot = LightOneVertex({0, 0, 0}, {0, 1, 0}, s, nullptr).b;
    EXPECT_NEAR(spot, 2.0f * 0.4f * 1.0f * att * 0.5f, 1e-4);
    l.direction = Vector3(0, 0, 1);  // pointing elsewhere: outside the cone
    EXPECT_NEAR(LightOneVertex({0, 0, 0}, {0, 1, 0}, s, nullptr).b, 0.0f, 1e-6);

    // The batch writes exactly one colour per vertex.
    Vertex v[2] = {};
    v[0].ny = v[1].ny = 1;
    uint32_t colors[3] = {0, 0, 7};
    LightVertices(v, 2, s, colors, nullptr);
    EXPECT_NE(colors[0], 0u);
    EXPECT_EQ(colors[1], colors[0]);
    EXPECT_EQ(colors[2], 7u);
}

}  // namespace
}  // namespace orix
