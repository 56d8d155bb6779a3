// The model view's playback and camera arithmetic: the file's frame speed, wrapping, stepping,
// the pose every node takes, framing and the orbit's limits.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "scene/frame_player.h"
#include "scene/material_set.h"
#include "scene/mesh.h"
#include "scene/scene.h"
#include "support/engine_fixture.h"
#include "viewer/missing_normals.h"
#include "viewer/model_view.h"
#include "viewer/orbit_view.h"

namespace orix {
namespace {

TEST(ModelView, PlaybackKeepsTheFileSpeedWrapsAndStepsAndTexturesGoOffAndOn) {
    EngineFixture f;
    SceneObject model, child;
    model.AddChild(&child);
    ModelView view(f.engine);
    struct Case {
        ModelFrames frames;
        double seconds;
        double expected;
    } cases[] = {
        {{0, 100, 30.0}, 1.0, 30.0},     {{0, 100, 24.0}, 0.5, 12.0},
        {{0, 9, 10.0}, 1.5, 5.0},     // one frame's length past the last is the first again
        {{10, 20, 24.0}, 0.5, 11.0},  // 12 frames on from 10 over an 11-frame loop
        {{5, 5, 30.0}, 3.0, 5.0},     // a single frame stays
        {{0, 100, 0.0}, 1.0, 30.0},   // a speed no file can mean plays at 30
        {{0, 100, INFINITY}, 1.0, 30.0},
    };
    for (const Case& c : cases) {
        view.Show(&model, c.frames);
        EXPECT_EQ(view.frame(), c.frames.first);
        view.Advance(c.seconds);
        EXPECT_NEAR(view.frame(), c.expected, 1e-9) << c.frames.first << ".." << c.frames.last;
    }
    view.Show(&model, {0, 9, 10.0});
    view.playing = false;
    view.Advance(0.5);
    EXPECT_EQ(view.frame(), 0.0);
    view.playing = true;
    view.Step(-1);
    EXPECT_EQ(view.frame(), 9.0);
    EXPECT_FALSE(view.playing);
    view.Step(1);
    EXPECT_EQ(view.frame(), 0.0);
    view.SetFrame(1e9);
    EXPECT_EQ(view.frame(), 9.0);
    view.SetFrame(std::nan(""));
    EXPECT_EQ(view.frame(), 9.0);

    view.SetFrame(7.0);
    view.Draw();
    ASSERT_EQ(model.parent, view.scene());
    view.Show(nullptr, {});
    EXPECT_EQ(model.parent, nullptr);

    // T turns pictures off on every material and back on; a model shown while they are off
    // comes in without them, and the one it replaces gets its own back.
    Mesh first(1), second(1);
    MaterialSet* a = first.CreateMaterialSet();
    MaterialSet* b = second.CreateMaterialSet();
    a->main.record.texture = TextureHandle(5);
    a->AddSubMaterial()->record.texture = TextureHandle(6);
    b->main.record.texture = TextureHandle(7);
    view.Show(&first, {});
    view.SetTextures(false);
    EXPECT_EQ(a->main.record.texture.value, 0u);
    EXPECT_EQ(a->subMaterials[0].record.texture.value, 0u);
    view.Show(&second, {});
    EXPECT_EQ(a->main.record.texture.value, 5u);
    EXPECT_EQ(a->subMaterials[0].record.texture.value, 6u);
    EXPECT_EQ(b->main.record.texture.value, 0u);
    view.SetTextures(true);
    EXPECT_EQ(b->main.record.texture.value, 7u);
    view.Show(nullptr, {});
}

// A keyframed root over frames 2 to 9 with a child at half speed and one on a shorter loop of
// its own: the nodes whose clocks are not the view's frame.
struct AnimatedTree {
    SceneObject root, slow, shortLoop;
    AnimatedTree() {
        root.AddPositionKey(2, 2, 0, 0, false);
        root.AddPositionKey(9, 9, 3, 0, false);
        root.SetFrameRange(2, 9);
        slow.AddPositionKey(0, 0, 0, 0, false);
        slow.AddPositionKey(9, 0, 9, 0, false);
        slow.SetFrameRange(0, 9);
        slow.speed = 0.5f;
        shortLoop.AddPositionKey(0, 0, 0, 0, false);
        shortLoop.AddPositionKey(3, 0, 0, 3, false);
        shortLoop.SetFrameRange(0, 3);
        for (SceneObject* o : {&slow, &shortLoop}) root.AddChild(o);
        for (SceneObject* o : {&root, &slow, &shortLoop})
            o->SetPlayMode(static_cast<int32_t>(PlayMode::Playing));
    }
    ~AnimatedTree() { root.children.clear(); }
};

// What the view draws at frame F (`orix render FILE --frame F`) is the pose `orix pose --frame F`
// prints: the model played from its first frame, whatever the engine's clock does in the render
// pass, in any order of frames.
TEST(ModelView, DrawsThePoseThatPlayingFromTheFirstFrameGives) {
    EngineFixture f;
    AnimatedTree shown;
    ModelView view(f.engine);
    view.Show(&shown.root, {2, 9, 30.0});
    view.playing = false;
    for (double frame : {9.0, 2.0, 5.0, 7.5, 8.0, 3.0, 9.0}) {
        SCOPED_TRACE(frame);
        view.SetFrame(frame);
        view.Draw();
        AnimatedTree posed;
        FramePlayer(posed.root).PlayTo(frame - 2.0);
        EXPECT_EQ(shown.root.world.GetTranslation(), posed.root.world.GetTranslation());
        EXPECT_EQ(shown.slow.world.GetTranslation(), posed.slow.world.GetTranslation());
        EXPECT_EQ(shown.shortLoop.world.GetTranslation(), posed.shortLoop.world.GetTranslation());
    }
    // At frame 7 the short loop has wrapped to its own frame 1; the view's frame as its time
    // would hold it at its last key.
    view.SetFrame(7.0);
    view.Draw();
    EXPECT_LT(shown.shortLoop.world.GetTranslation().z, 2.0f);
    view.Show(nullptr, {});
}

TEST(OrbitView, FramingFitsTheBoxAndTheLimitsHold) {
    const float fov = 0.7854f;
    for (float aspect : {0.75f, 1.0f, 2.0f}) {
        OrbitView v = FrameBox({100, -50, 3}, {104, -42, 5}, fov, aspect);
        EXPECT_NEAR(v.centre.y, -46.0f, 1e-4f);
        EXPECT_NEAR(Length(v.Eye() - v.centre), v.distance, 1e-3f);
        EXPECT_GT(v.Eye().y, v.centre.y);  // from above
        // The box's sphere fits the narrower side of the view, with a little room.
        float half = std::atan(std::tan(fov * 0.5f) * std::min(1.0f, aspect));
        float seen = std::asin(v.radius / v.distance);
        EXPECT_LT(seen, half);
        EXPECT_GT(seen, half * 0.8f);
    }
    OrbitView v = FrameBox({0, 0, 0}, {0, 0, 0}, fov, 1.0f);
    EXPECT_GT(v.radius, 0.0f);
    EXPECT_GT(v.distance, 0.0f);

    v = FrameBox({-1, -1, -1}, {1, 1, 1}, fov, 1.0f);
    v.Orbit(0.0f, 10.0f);
    EXPECT_LT(v.pitch, 1.5708f);
    v.Orbit(0.0f, -20.0f);
    EXPECT_GT(v.pitch, -1.5708f);
    v.Zoom(1000.0f);
    EXPECT_FLOAT_EQ(v.distance, v.radius * 0.02f);
    v.Zoom(-1000.0f);
    EXPECT_FLOAT_EQ(v.distance, v.radius * 200.0f);
    float nearPlane = 0, farPlane = 0;
    v.Planes(&nearPlane, &farPlane);
    EXPECT_LT(nearPlane, v.distance - v.radius);
    EXPECT_GT(farPlane, v.distance + v.radius);

    // A pan slides the centre across the view by that share of the view's width.
    v = FrameBox({-1, -1, -1}, {1, 1, 1}, fov, 1.0f);
    Vector3 before = v.centre, forward = Normalize(v.centre - v.Eye());
    v.Pan(0.5f, 0.25f, fov);
    Vector3 moved = v.centre - before;
    EXPECT_NEAR(Dot(moved, forward), 0.0f, 1e-4f);
    float width = 2.0f * v.distance * std::tan(fov * 0.5f);
    EXPECT_NEAR(Length(moved), width * std::sqrt(0.25f + 0.0625f), 1e-3f);
}

// A closed cube exported without normals: every corner's normal points out, leaning to the corner.
TEST(MissingNormals, ACubeGetsOutwardNormalsFromItsFaces) {
    Mesh cube(0);
    for (int c = 0; c < 8; ++c)
        cube.AddVertex(c & 1 ? 1.0f : -1.0f, c & 2 ? 1.0f : -1.0f, c & 4 ? 1.0f : -1.0f);
    const int quads[6][4] = {{0, 1, 3, 2}, {4, 5, 7, 6}, {0, 1, 5, 4},
                             {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 3, 7, 5}};
    for (const auto& q : quads) {
        for (int t = 0; t < 2; ++t) {
            int a = q[0], b = q[t + 1], c = q[t + 2];
            const Vector3 pa = cube.VertexPosition(a), pb = cube.VertexPosition(b),
                          pc = cube.VertexPosition(c);
            // Front faces: the cross product of the first two edges points away from the centre.
            if (Dot(Cross(pb - pa, pc - pa), pa + pb + pc) < 0) std::swap(b, c);
            cube.AddFace(a, b, c, 0);
        }
    }
    EXPECT_EQ(FillMissingNormals(cube), 1);
    EXPECT_EQ(FillMissingNormals(cube), 0);  // it has normals now
    for (uint32_t i = 0; i < 8; ++i) {
        const Vertex& v = cube.geometry->unlitVertices[i];
        const Vector3 n{v.nx, v.ny, v.nz}, corner = cube.VertexPosition(i) / std::sqrt(3.0f);
        EXPECT_NEAR(Length(n), 1.0f, 1e-5f);
        EXPECT_GT(Dot(n, corner), 0.94f) << i;
    }
}

}  // namespace
}  // namespace orix
