// Direct3D lighting of unlit vertices: the formula on its own, and a lit triangle read back.
#include <cmath>

#include "device_fixture.h"
#include "platform/gl/vertex_lighting.h"

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
    EXPECT_NEAR(LightOneVertex({0, 0, 0}, {0, 1, 0}, s, nullptr).b, 2.0f * 0.4f * 0.6f * att, 1e-5);
    // Halfway between the inner and outer cone (in cosine), falloff 1: half the light.
    float halfAngle = std::acos(0.5f * (std::cos(0.1f) + std::cos(0.3f)));
    // Light straight above the vertex, its axis tilted by that angle from straight down.
    l.position = {0, 5, 0};
    l.direction = {std::sin(halfAngle), -std::cos(halfAngle), 0.0f};
    EXPECT_NEAR(LightOneVertex({0, 0, 0}, {0, 1, 0}, s, nullptr).b, 2.0f * 0.4f * att * 0.5f, 1e-4);
    l.direction = Vector3(0, 0, 1);  // pointing elsewhere: outside the cone
    EXPECT_NEAR(LightOneVertex({0, 0, 0}, {0, 1, 0}, s, nullptr).b, 0.0f, 1e-6);
}

using LightingTest = DeviceTest;

TEST_F(LightingTest, UnlitTriangleUnderAPointLightMatchesTheFormula) {
    ClearTo(0, 0, 0);
    MaterialHandle mat = dev->CreateMaterial();
    MaterialRecord m;
    m.diffuse = {0.9f, 0.5f, 0.3f, 1.0f};
    m.ambient = {0.5f, 0.5f, 0.5f, 1.0f};
    ASSERT_TRUE(dev->SetMaterial(mat, m));
    ASSERT_TRUE(dev->SetLightState(LIGHTSTATE_MATERIAL, mat.value));
    ASSERT_TRUE(dev->SetLightState(LIGHTSTATE_AMBIENT, 0xFF202020));
    LightHandle light = dev->CreateLight();
    LightRecord rec = PointLight({0.5f, 1.0f, -2.0f}, 2.0f, 1.5f, 1.0f);
    ASSERT_TRUE(dev->SetLight(light, rec));
    ASSERT_TRUE(dev->AddLight(light));
    EXPECT_FALSE(dev->AddLight(light));  // once only
    ASSERT_TRUE(dev->SetTransform(TRANSFORM_VIEW, Matrix::Translation({0, 0, 5})));
    Matrix p = Matrix::Zero();
    p.m[0][0] = p.m[1][1] = p.m[2][2] = p.m[2][3] = 1.0f;
    p.m[3][2] = -1.0f;
    ASSERT_TRUE(dev->SetTransform(TRANSFORM_PROJECTION, p));
    // Flat shading takes the first vertex's colour for the whole triangle.
    ASSERT_TRUE(dev->SetRenderState(RS_SHADEMODE, SHADE_FLAT));
    Vertex v[3];
    const float pos[3][2] = {{-1.0f, -1.0f}, {-1.0f, 1.0f}, {1.0f, -1.0f}};
    for (int i = 0; i < 3; ++i) v[i].x = pos[i][0], v[i].y = pos[i][1], v[i].nz = -1;
    Draw(PRIM_TRIANGLELIST, VT_VERTEX, v, 3);

    // Expected, written out: vertex 0 at (-1, -1, 0), normal (0, 0, -1).
    Vector3 toLight = Vector3(0.5f, 1.0f, -2.0f) - Vector3(-1, -1, 0);
    float d = Length(toLight);
    float ndotl = -toLight.z / d;
    float att = 1.0f / (0.5f + 0.1f * d + 0.01f * d * d);
    float amb = 32.0f / 255.0f * 0.5f;
    float expect[3] = {amb + 2.0f * 0.9f * ndotl * att, amb + 1.5f * 0.5f * ndotl * att,
                       amb + 1.0f * 0.3f * ndotl * att};
    uint32_t rgb = Frame().Rgb(260, 260);  // inside the triangle's lower left
    const int shifts[3] = {16, 8, 0};
    for (int c = 0; c < 3; ++c) {
        float want = std::fmin(expect[c], 1.0f) * 255.0f;
        // RGB565 keeps 5 or 6 bits: a step is up to 8 levels.
        EXPECT_NEAR(Channel(rgb, shifts[c]), want, 9.0) << "channel " << c;
    }

    // An inactive light adds nothing.
    rec.flags = 0;
    ASSERT_TRUE(dev->SetLight(light, rec));
    ClearTo(0, 0, 0);
    Draw(PRIM_TRIANGLELIST, VT_VERTEX, v, 3);
    EXPECT_NEAR(Channel(Frame().Rgb(260, 260), 16), amb * 255.0f, 9.0);
}

}  // namespace
}  // namespace orix
