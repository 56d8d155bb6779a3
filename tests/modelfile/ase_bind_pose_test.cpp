// Loaded with flags 1, a model without animation stands at its file's node transforms at the
// first frame, whatever the order of its nodes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "modelfile/orix_file_ase.h"
#include "scene/skinned_character.h"

namespace orix {
namespace {

// A node turned by angle about the tool's z axis, at (x, y, z).
std::string Node(const char* kind, const std::string& name, const std::string& parent, float angle,
                 float x, float y, float z) {
    float c = std::cos(angle), s = std::sin(angle);
    char tm[600];
    std::snprintf(tm, sizeof tm,
                  "\t*NODE_TM {\n\t\t*TM_ROW0 %.7f %.7f 0\n\t\t*TM_ROW1 %.7f %.7f 0\n"
                  "\t\t*TM_ROW2 0 0 1\n\t\t*TM_ROW3 %g %g %g\n\t\t*TM_ROTAXIS 0 0 -1\n"
                  "\t\t*TM_ROTANGLE %.7f\n\t\t*TM_SCALE 1 1 1\n\t}\n",
                  double(c), double(s), double(-s), double(c), double(x), double(y), double(z),
                  double(angle));
    std::string out = std::string(kind) + " {\n\t*NODE_NAME \"" + name + "\"\n";
    if (!parent.empty()) out += "\t*NODE_PARENT \"" + parent + "\"\n";
    return out + tm + "}\n";
}

TEST(AseBindPose, WorldAtTheFirstFrameIsTheNodeTransform) {
    std::string text =
        "*3DSMAX_ASCIIEXPORT 200\n*SCENE {\n\t*SCENE_FIRSTFRAME 0\n"
        "\t*SCENE_LASTFRAME 10\n\t*SCENE_TICKSPERFRAME 160\n}\n" +
        Node("*HELPEROBJECT", "Hand", "Arm", 1.2f, 3, 4, 5) +
        Node("*HELPEROBJECT", "Root", "", 0.3f, 1, 2, 3) +
        Node("*HELPEROBJECT", "Arm", "Root", 0.9f, 2, 2, 3);
    SkinnedCharacter c(0);
    OrixFileAse reader(&c);
    ASSERT_TRUE(reader.LoadBytes(text.data(), text.size(), "bind.ase", kAseFinishNodes));
    ASSERT_EQ(c.helperCount, 3);
    c.SetPlayMode(0);
    c.Update(kUpdateAnimate | kUpdateChildren);
    for (int32_t i = 0; i < c.helperCount; ++i) {
        const Helper& h = *c.helpers[i];
        for (int r = 0; r < 4; ++r) {
            for (int k = 0; k < 3; ++k) {
                EXPECT_NEAR(h.world.m[r][k], h.nodeTransform.m[r][k], 1e-4)
                    << h.name << " row " << r << " column " << k;
            }
        }
    }
}

}  // namespace
}  // namespace orix
