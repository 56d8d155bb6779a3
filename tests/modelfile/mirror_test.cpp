// Mirrored nodes as the modelling tool's exporter writes them (rows of the negated rotation,
// world-space vertices, corners reversed): every vertex stands where the file's transforms and
// keys put it at every frame, faces face outward, and the BNE copy reads back the same. The
// expected places come from an evaluation of the file's own parameters, in the file's axes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "device/globals.h"
#include "math/types.h"
#include "modelfile/orix_file_ase.h"
#include "modelfile/orix_file_bne.h"
#include "scene/frame_seek.h"
#include "scene/mesh.h"
#include "scene/skinned_character.h"
#include "support/engine_fixture.h"
#include "support/picture_files.h"

namespace orix {
namespace {

// Affine maps of row vectors: p' = p * m (rows 0-2 linear, row 3 the translation).
using Affine = std::array<std::array<double, 3>, 4>;
using Point = std::array<double, 3>;

Affine Rotation(Point a, double angle) {  // as the exporter's node rows for this axis and angle
    double c = std::cos(angle), s = std::sin(angle), t = 1 - c, x = a[0], y = a[1], z = a[2];
    return {{{t * x * x + c, t * x * y - s * z, t * x * z + s * y},
             {t * x * y + s * z, t * y * y + c, t * y * z - s * x},
             {t * x * z - s * y, t * y * z + s * x, t * z * z + c},
             {0, 0, 0}}};
}

Point Apply(const Point& p, const Affine& m) {
    Point out = m[3];
    for (int c = 0; c < 3; ++c)
        for (int k = 0; k < 3; ++k) out[c] += p[k] * m[k][c];
    return out;
}

Affine Then(const Affine& a, const Affine& b) {  // a, then b
    Affine out{};
    for (int r = 0; r < 4; ++r) {
        Point row = Apply(r < 3 ? a[r] : a[3], b);
        if (r < 3)
            for (int c = 0; c < 3; ++c) row[c] -= b[3][c];
        out[r] = row;
    }
    return out;
}

// A node of the file: its own mirror, its rotation about one axis and its position per frame,
// relative to its parent (keys on every frame, or none when static), and its rotation in the
// world at frame 0 (about the same axis here), which the exporter writes beside its rows.
struct Node {
    const char* name;
    int parent;  // index, or -1
    bool mirror;
    double restAngle;
    Point axis;
    std::array<double, 5> angle;
    std::array<Point, 5> position;
    bool keyed;
};

// Body: a mirrored root that turns and moves; Arm: its animated child; Hand: mirrored again
// under the arm (so not mirrored in the world); Plain: a static node that shows which corner
// order faces outward.
const Node kNodes[] = {
    {"Body",
     -1,
     true,
     0,
     {0, 0, 1},
     {0, 0.3, 0.5, 0.9, 1.2},
     {{{10, 2, 5}, {11, 2, 4.5}, {12, 2.5, 4}, {13, 2, 3.5}, {14, 1, 3}}},
     true},
    {"Arm",
     0,
     false,
     0.4,
     {1, 0, 0},
     {0.4, 0.6, 0.1, -0.3, 0.2},
     {{{1, 3, 0.5}, {1, 3.2, 0.5}, {1.5, 3.4, 0.5}, {1, 3.6, 0.7}, {1, 3.8, 0.5}}},
     true},
    {"Hand", 1, true, 0.4, {1, 0, 0}, {}, {{{0, 2, 0.5}}}, false},
    {"Plain", -1, false, 0.7, {0, 1, 0}, {0.7, 0.7, 0.7, 0.7, 0.7}, {{{-5, 0, 0}}}, false},
};
constexpr int kNodeCount = 4;

// Where the file puts node n at frame f.
Affine World(int n, int f) {
    const Node& node = kNodes[n];
    int k = node.keyed ? f : 0;
    Affine local = Rotation(node.axis, node.angle[size_t(k)]);
    local[3] = node.position[size_t(k)];
    if (node.mirror) {
        for (int r = 0; r < 4; ++r)
            for (double& v : local[r]) v = r < 3 ? -v : v;
    }
    return node.parent < 0 ? local : Then(local, World(node.parent, f));
}

// A tetrahedron in object space with its corners ordered to face outward.
const Point kCorners[] = {{0, 0, 0}, {1, 0, 0}, {0, 1.5, 0}, {0, 0, 2}};
const int kFaces[4][3] = {{0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}};

bool WorldMirrored(int n) {
    return n >= 0 && kNodes[n].mirror != WorldMirrored(kNodes[n].parent);
}

// The nodes in file order, or with the arm before its body.
std::string Text(bool armFirst = false) {
    std::string s =
        "*SCENE {\n*SCENE_FIRSTFRAME 0\n*SCENE_LASTFRAME 4\n*SCENE_TICKSPERFRAME 160\n}\n";
    char buf[200];
    auto line = [&](const char* key, const Point& p, double extra = NAN) {
        std::snprintf(buf, sizeof buf, "%s %.9g %.9g %.9g", key, p[0], p[1], p[2]);
        s += buf;
        if (!std::isnan(extra)) std::snprintf(buf, sizeof buf, " %.9g", extra), s += buf;
        s += "\n";
    };
    for (int at = 0; at < kNodeCount; ++at) {
        const int n = armFirst && at < 2 ? 1 - at : at;
        const Node& node = kNodes[n];
        const Affine tm = World(n, 0);
        s += std::string("*GEOMOBJECT {\n*NODE_NAME \"") + node.name + "\"\n";
        if (node.parent >= 0)
            s += std::string("*NODE_PARENT \"") + kNodes[node.parent].name + "\"\n";
        s += "*NODE_TM {\n";
        for (int r = 0; r < 4; ++r) line(("*TM_ROW" + std::to_string(r)).c_str(), tm[size_t(r)]);
        // The rotation of the rows, negated first when they mirror.
        line("*TM_ROTAXIS", node.axis);
        s += "*TM_ROTANGLE " + std::to_string(node.restAngle) + "\n}\n";
        s += "*MESH {\n*MESH_NUMVERTEX 4\n*MESH_NUMFACES 4\n*MESH_VERTEX_LIST {\n";
        for (int i = 0; i < 4; ++i)
            line(("*MESH_VERTEX " + std::to_string(i)).c_str(), Apply(kCorners[i], tm));
        s += "}\n*MESH_FACE_LIST {\n";
        const bool reversed = WorldMirrored(n);  // the exporter orders corners for world space
        for (int i = 0; i < 4; ++i) {
            const int* f = kFaces[i];
            std::snprintf(buf, sizeof buf, "*MESH_FACE %d: A: %d B: %d C: %d\n", i,
                          f[reversed ? 2 : 0], f[1], f[reversed ? 0 : 2]);
            s += buf;
        }
        s += "}\n}\n";
        if (node.keyed) {
            s += "*TM_ANIMATION {\n*CONTROL_POS_TRACK {\n";
            for (int f = 0; f < 5; ++f)
                line(("*CONTROL_POS_SAMPLE " + std::to_string(160 * f)).c_str(),
                     node.position[size_t(f)]);
            s += "}\n*CONTROL_ROT_TRACK {\n";  // samples turn on from the one before
            for (int f = 0; f < 5; ++f) {
                double turn = node.angle[size_t(f)] - (f ? node.angle[size_t(f - 1)] : 0.0);
                line(("*CONTROL_ROT_SAMPLE " + std::to_string(160 * f)).c_str(), node.axis, turn);
            }
            s += "}\n}\n";
        }
        s += "}\n";
    }
    return s;
}

// The engine's places of every vertex at frame f, and each face's outward sign.
void Pose(SkinnedCharacter& c, int frame, std::vector<Point>* places, std::vector<int>* signs) {
    c.SetPlayMode(int32_t(PlayMode::Playing));
    frameStep = 0.0f;
    if (frame > 0) {
        SeekWholeSteps(c, frame - 1);
        frameStep = 1.0f;
    }
    c.Update(kUpdateAnimate | kUpdateChildren);
    for (int32_t m = 0; m < c.meshCount; ++m) {
        const Mesh& mesh = *c.meshes[m];
        std::vector<Point> p;
        Point center{};
        for (uint32_t i = 0; i < mesh.vertexCount; ++i) {
            Vector3 v = TransformPoint(mesh.VertexPosition(i), mesh.world);
            p.push_back({v.x, v.y, v.z});
            for (int k = 0; k < 3; ++k) center[k] += p.back()[k] / mesh.vertexCount;
        }
        places->insert(places->end(), p.begin(), p.end());
        for (const MeshFace& f : mesh.geometry->faces) {
            const Point &a = p[f.a], &b = p[f.b], &d = p[f.c];
            Point u{b[0] - a[0], b[1] - a[1], b[2] - a[2]},
                w{d[0] - a[0], d[1] - a[1], d[2] - a[2]};
            Point n{u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2],
                    u[0] * w[1] - u[1] * w[0]};
            double out = 0;
            for (int k = 0; k < 3; ++k) out += n[k] * ((a[k] + b[k] + d[k]) / 3 - center[k]);
            signs->push_back(out > 0 ? 1 : -1);
        }
    }
}

TEST(MirroredNodes, EveryVertexWhereTheFilePutsItAndFacingOut) {
    EngineFixture engine;
    test::PictureTempDir dir;
    const std::string text = Text(), copy = dir.File("mirror.bne");
    double size = 0;  // the model's extent at frame 0
    for (int k = 0; k < 3; ++k) {
        double lo = 1e9, hi = -1e9;
        for (int n = 0; n < kNodeCount; ++n) {
            for (const Point& p : kCorners) {
                double v = Apply(p, World(n, 0))[size_t(k)];
                lo = std::min(lo, v), hi = std::max(hi, v);
            }
        }
        size = std::max(size, hi - lo);
    }
    for (int frame : {0, 2, 4}) {
        for (int source : {0, 1, 2}) {  // the text, the text with baked poses, its BNE copy
            SkinnedCharacter c(0);
            if (source < 2) {
                OrixFileAse reader(&c);
                reader.SetCopyName(copy);
                ASSERT_TRUE(reader.LoadBytes(
                    text.data(), text.size(), "mirror.ase",
                    kAseFinishNodes | kAseWriteBne | (source ? kAseBakePoses : 0u)));
                EXPECT_EQ(reader.Builder().Warnings().size(), 2u);  // Body and Arm
                ASSERT_TRUE(reader.FinishCopy());
            } else {
                // The copy keeps no mirror: a reader of BNE has nothing left to carry.
                OrixFileBne reader(&c);
                ASSERT_TRUE(reader.Load(copy, kBneFinishNodes));
                EXPECT_TRUE(reader.Builder().Warnings().empty());
            }
            ASSERT_EQ(c.meshCount, kNodeCount);
            std::vector<Point> places;
            std::vector<int> signs;
            Pose(c, frame, &places, &signs);
            ASSERT_EQ(places.size(), size_t(4 * kNodeCount));
            for (int n = 0; n < kNodeCount; ++n) {
                for (int i = 0; i < 4; ++i) {
                    Point want = Apply(kCorners[i], World(n, frame));
                    const Point& got = places[size_t(4 * n + i)];
                    // The reader exchanges y and z.
                    EXPECT_NEAR(got[0], want[0], 1e-5 * size)
                        << kNodes[n].name << " frame " << frame;
                    EXPECT_NEAR(got[1], want[2], 1e-5 * size)
                        << kNodes[n].name << " frame " << frame;
                    EXPECT_NEAR(got[2], want[1], 1e-5 * size)
                        << kNodes[n].name << " frame " << frame;
                }
                for (int i = 0; i < 4; ++i)
                    EXPECT_EQ(signs[size_t(4 * n + i)], signs[12])
                        << kNodes[n].name << " face " << i;
            }
        }
    }
}

// A child read before its mirrored parent took its keys before the mirror was known: the
// load says so rather than placing it silently wrong.
TEST(MirroredNodes, ChildBeforeItsMirroredParentIsReported) {
    EngineFixture engine;
    SkinnedCharacter c(0);
    OrixFileAse reader(&c);
    const std::string text = Text(true);
    ASSERT_TRUE(reader.LoadBytes(text.data(), text.size(), "mirror.ase", kAseFinishNodes));
    const std::vector<std::string>& w = reader.Builder().Warnings();
    EXPECT_EQ(std::count(w.begin(), w.end(),
                         "node \"Arm\" comes before its mirrored parent \"Body\": its position "
                         "keys are not mirrored"),
              1);
}

// A skin binds through the bones' node transforms: vertices bound to the mirrored, animated
// arm are carried from their place at frame 0 as the arm moves in the file.
TEST(MirroredNodes, SkinBoundToAMirroredBoneFollowsIt) {
    EngineFixture engine;
    test::PictureTempDir dir;
    const std::string text = Text(), skin = dir.File("plain.skn");
    std::FILE* f = std::fopen(skin.c_str(), "wb");
    ASSERT_TRUE(f);
    std::fputs("MESH_SKIN_FILE \"Plain\"\n\"Arm\" 4\n1 2 3 4\n", f);
    std::fclose(f);
    const Affine arm0 = World(1, 0);
    Affine unbind{};  // the inverse of the arm at frame 0: its rows are orthonormal
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) unbind[r][c] = arm0[c][r];
    for (int c = 0; c < 3; ++c)
        for (int k = 0; k < 3; ++k) unbind[3][c] -= arm0[3][k] * unbind[k][c];
    for (int frame : {0, 2, 4}) {
        SkinnedCharacter c(0);
        OrixFileAse reader(&c);
        ASSERT_TRUE(reader.LoadBytes(text.data(), text.size(), "mirror.ase", kAseFinishNodes));
        ASSERT_TRUE(c.LoadSkin(skin));
        std::vector<Point> places;
        std::vector<int> signs;
        Pose(c, frame, &places, &signs);
        ASSERT_EQ(places.size(), size_t(4 * kNodeCount));
        for (int i = 0; i < 4; ++i) {
            Point want = Apply(Apply(Apply(kCorners[i], World(3, 0)), unbind), World(1, frame));
            const Point& got = places[size_t(12 + i)];
            EXPECT_NEAR(got[0], want[0], 1e-4) << "frame " << frame;
            EXPECT_NEAR(got[1], want[2], 1e-4) << "frame " << frame;
            EXPECT_NEAR(got[2], want[1], 1e-4) << "frame " << frame;
        }
    }
}

}  // namespace
}  // namespace orix
