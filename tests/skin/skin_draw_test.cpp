#include <gtest/gtest.h>

#include <cmath>

#include "scene/static_keys.h"
#include "skin/skin_test_util.h"
#include "support/draw_scene.h"

namespace orix {
namespace {

using test::PictureTempDir;
using test::WriteText;

// White pixels in the rectangle [x0, x1) x [y0, y1).
int WhiteIn(DrawScene& s, uint32_t x0, uint32_t y0, uint32_t x1, uint32_t y1) {
    FrameImage image;
    if (!s.device->ReadFrame(&image)) return -1;
    int n = 0;
    for (uint32_t y = y0; y < y1; ++y) {
        for (uint32_t x = x0; x < x1; ++x) n += image.Rgb(x, y) == 0xFFFFFF;
    }
    return n;
}

// A two-bone arm along +x: the upper bone turns a quarter turn about z over frames 0 to 10, the
// lower one (node at x = 20) hangs from it. The skin is a strip from x = 0 to 40.
TEST(SkinDraw, TheSkinFollowsATwoBoneArm) {
    DrawScene s;
    if (!s.ok) GTEST_SKIP() << "no offscreen device here";
    PictureTempDir dir;
    SkinnedCharacter c(1);
    Mesh* skin = c.NewMesh();
    skin->name = "Arm Skin";
    for (int i = 0; i <= 4; ++i) {
        skin->AddVertex(10.0f * float(i), -3.0f, 0.0f);
        skin->AddVertex(10.0f * float(i), 3.0f, 0.0f);
    }
    for (int i = 0; i < 4; ++i) {
        skin->AddFace(2 * i, 2 * i + 1, 2 * i + 3, 0);
        skin->AddFace(2 * i, 2 * i + 3, 2 * i + 2, 0);
    }
    Helper* upper = c.NewHelper();
    upper->name = "Upper";
    upper->AddPositionKey(0, 0, 0, 0, false);
    upper->AddRotationKey(0, 0, 0, 1, 0, false);
    upper->AddRotationKey(10, 0, 0, 1, 1.5707964f, false);
    Helper* lower = c.NewHelper();
    lower->name = "Lower";
    lower->boneParent = upper;
    lower->nodeTransform = Matrix::Translation({20, 0, 0});
    lower->nodePosition = {20, 0, 0};
    AddMissingStaticKeys(*lower);
    c.SetFrameRange(0, 10);
    for (SceneObject* o : {static_cast<SceneObject*>(upper), static_cast<SceneObject*>(lower)})
        o->motionMode = MotionMode::Keyframed;
    s.scene->AddChild(&c);
    std::string path = dir.File("arm.skn");
    ASSERT_TRUE(WriteText(path,
                          "MESH_SKIN_FILE \"Arm Skin\"\n\"Upper\" 4\n1 2 3 4\n"
                          "\"Lower\" 6\n5 6 7\n8 9 10\n"));
    ASSERT_TRUE(c.LoadSkin(path));
    c.SetPlayMode(int32_t(PlayMode::Playing));

    // Frame 1 draws the model file's pose: the arm lies along +x, right of the centre.
    s.engine->Render();
    int rightBefore = WhiteIn(s, 330, 230, 640, 250);
    int verticalBefore = WhiteIn(s, 310, 0, 330, 200) + WhiteIn(s, 310, 280, 330, 480);
    EXPECT_GT(rightBefore, 0);
    EXPECT_EQ(verticalBefore, 0);

    for (int frame = 0; frame < 9; ++frame) s.engine->Render();

    // The skin's vertices sit where the bones carry them.
    for (uint32_t i = 0; i < 10; ++i) {
        Vector3 rest{10.0f * float(i / 2), i % 2 ? 3.0f : -3.0f, 0.0f};
        bool onLower = i >= 4;
        Vector3 local = onLower ? rest - Vector3{20, 0, 0} : rest;
        Vector3 expected = TransformPoint(local, onLower ? lower->world : upper->world);
        Vector3 got = skin->VertexPosition(i);
        EXPECT_NEAR(got.x, expected.x, 1e-3f) << i;
        EXPECT_NEAR(got.y, expected.y, 1e-3f) << i;
        EXPECT_NEAR(got.z, expected.z, 1e-3f) << i;
    }
    // Near the end of the quarter turn the tip stands close to the y axis, 40 from the origin.
    Vector3 tip = skin->VertexPosition(9);
    EXPECT_LT(std::fabs(tip.x), 15.0f);
    EXPECT_NEAR(std::sqrt(tip.x * tip.x + tip.y * tip.y), std::sqrt(1600.0f + 9.0f), 1e-2f);

    // The drawn arm has left the horizontal and stands along the vertical.
    EXPECT_LT(WhiteIn(s, 400, 230, 640, 250), rightBefore / 4);
    EXPECT_GT(WhiteIn(s, 300, 0, 360, 200) + WhiteIn(s, 300, 280, 360, 480), 0);
    s.scene->children.pop_back();
}

}  // namespace
}  // namespace orix
