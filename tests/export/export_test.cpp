// orix export on the demonstration's models and on small models written here: the Khronos
// validator finds nothing, and an evaluation of the files independent of the engine puts every
// node, skinned vertex and face where `orix pose` puts them (z mirrored, as glTF is
// right-handed).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <tiny_gltf.h>

#include "export/gltf_builder.h"
#include "support/picture_files.h"
#include "tools/tool_run.h"

namespace orix_export_test {
namespace {

namespace fs = std::filesystem;

// An evaluation of a glTF file that owes nothing to the engine: node world matrices at a time
// and skinned vertex positions.
using Mat4 = std::array<double, 16>;  // column-major, as glTF stores matrices

// The elements of an accessor as doubles (floats, or unsigned integers of any width).
std::vector<double> ReadAccessor(const tinygltf::Model& model, int index) {
    const tinygltf::Accessor& a = model.accessors[size_t(index)];
    const tinygltf::BufferView& v = model.bufferViews[size_t(a.bufferView)];
    const unsigned char* p =
        model.buffers[size_t(v.buffer)].data.data() + v.byteOffset + a.byteOffset;
    std::vector<double> out(a.count * size_t(tinygltf::GetNumComponentsInType(uint32_t(a.type))));
    const size_t size = size_t(tinygltf::GetComponentSizeInBytes(uint32_t(a.componentType)));
    for (size_t i = 0; i < out.size(); ++i) {
        uint32_t u = 0;
        float f = 0;
        std::memcpy(&u, p + size * i, size);
        std::memcpy(&f, &u, 4);
        out[i] = a.componentType == TINYGLTF_COMPONENT_TYPE_FLOAT ? double(f) : double(u);
    }
    return out;
}

Mat4 Multiply(const Mat4& a, const Mat4& b) {
    Mat4 out{};
    for (size_t c = 0; c < 4; ++c) {
        for (size_t r = 0; r < 4; ++r) {
            for (size_t k = 0; k < 4; ++k) out[c * 4 + r] += a[k * 4 + r] * b[c * 4 + k];
        }
    }
    return out;
}

std::array<double, 3> Apply(const Mat4& m, const double* p) {
    std::array<double, 3> out{};
    for (size_t r = 0; r < 3; ++r)
        out[r] = m[12 + r] + m[r] * p[0] + m[4 + r] * p[1] + m[8 + r] * p[2];
    return out;
}

// The value of one channel at t: linear between keys, spherical for rotations.
void Sample(const tinygltf::Model& model, const tinygltf::AnimationSampler& sampler, size_t n,
            double t, double* out) {
    std::vector<double> times = ReadAccessor(model, sampler.input);
    std::vector<double> values = ReadAccessor(model, sampler.output);
    size_t k = 0;
    while (k + 1 < times.size() && times[k + 1] <= t) ++k;
    size_t next = std::min(k + 1, times.size() - 1);
    double u = next == k ? 0.0 : std::clamp((t - times[k]) / (times[next] - times[k]), 0.0, 1.0);
    const double *a = &values[k * n], *b = &values[next * n];
    double wa = 1 - u, wb = u,
           d = n == 4 ? a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3] : 1;
    if (d < 0.9999999) {
        double angle = std::acos(std::clamp(d, -1.0, 1.0));
        wa = std::sin((1 - u) * angle) / std::sin(angle);
        wb = std::sin(u * angle) / std::sin(angle);
    }
    for (size_t i = 0; i < n; ++i) out[i] = wa * a[i] + wb * b[i];
}

bool LoadGltf(const std::string& path, tinygltf::Model* model, std::string* error) {
    tinygltf::TinyGLTF loader;
    std::string warning;
    bool glb = path.size() > 4 && path.substr(path.size() - 4) == ".glb";
    return glb ? loader.LoadBinaryFromFile(model, error, &warning, path)
               : loader.LoadASCIIFromFile(model, error, &warning, path);
}

double AnimationLength(const tinygltf::Model& model) {
    double length = 0;
    for (const auto& a : model.animations) {
        for (const auto& s : a.samplers)
            length = std::max(length, ReadAccessor(model, s.input).back());
    }
    return length;
}

std::vector<Mat4> WorldMatrices(const tinygltf::Model& model, double t) {
    size_t n = model.nodes.size();
    std::vector<Mat4> local(n);
    std::vector<int> parent(n, -1);
    for (size_t i = 0; i < n; ++i) {
        const tinygltf::Node& node = model.nodes[i];
        for (int c : node.children) parent[size_t(c)] = int(i);
        if (node.matrix.size() == 16) {
            std::copy(node.matrix.begin(), node.matrix.end(), local[i].begin());
            continue;
        }
        double tr[3] = {0, 0, 0}, q[4] = {0, 0, 0, 1}, s[3] = {1, 1, 1};
        if (!node.translation.empty()) std::copy_n(node.translation.begin(), 3, tr);
        if (!node.rotation.empty()) std::copy_n(node.rotation.begin(), 4, q);
        if (!node.scale.empty()) std::copy_n(node.scale.begin(), 3, s);
        for (const auto& a : model.animations) {
            for (const auto& ch : a.channels) {
                const auto& sampler = a.samplers[size_t(ch.sampler)];
                if (ch.target_node != int(i)) continue;
                bool rotation = ch.target_path == "rotation";
                Sample(model, sampler, rotation ? 4 : 3, t,
                       rotation                    ? q
                       : ch.target_path == "scale" ? s
                                                   : tr);
            }
        }
        double x = q[0], y = q[1], z = q[2], w = q[3];
        const double r[3][3] = {
            {1 - 2 * (y * y + z * z), 2 * (x * y + w * z), 2 * (x * z - w * y)},
            {2 * (x * y - w * z), 1 - 2 * (x * x + z * z), 2 * (y * z + w * x)},
            {2 * (x * z + w * y), 2 * (y * z - w * x), 1 - 2 * (x * x + y * y)}};
        for (size_t c = 0; c < 3; ++c) {
            for (size_t k = 0; k < 3; ++k) local[i][c * 4 + k] = r[c][k] * s[c];
            local[i][12 + c] = tr[c];
        }
        local[i][15] = 1;
    }
    std::vector<Mat4> world(n);
    for (size_t i = 0; i < n; ++i) {
        world[i] = local[i];
        for (int p = parent[i]; p >= 0; p = parent[size_t(p)])
            world[i] = Multiply(local[size_t(p)], world[i]);
    }
    return world;
}

std::vector<std::array<double, 3>> SkinnedVertices(const tinygltf::Model& model, double t) {
    std::vector<Mat4> world = WorldMatrices(model, t);
    std::vector<std::array<double, 3>> out;
    for (const tinygltf::Node& node : model.nodes) {
        if (node.skin < 0 || node.mesh < 0) continue;
        const tinygltf::Skin& skin = model.skins[size_t(node.skin)];
        std::vector<double> inverse = ReadAccessor(model, skin.inverseBindMatrices);
        std::vector<Mat4> joint(skin.joints.size());
        for (size_t j = 0; j < joint.size(); ++j) {
            Mat4 ibm;
            std::copy_n(inverse.begin() + long(j * 16), 16, ibm.begin());
            joint[j] = Multiply(world[size_t(skin.joints[j])], ibm);
        }
        for (const tinygltf::Primitive& p : model.meshes[size_t(node.mesh)].primitives) {
            std::vector<double> pos = ReadAccessor(model, p.attributes.at("POSITION"));
            std::vector<double> js = ReadAccessor(model, p.attributes.at("JOINTS_0"));
            std::vector<double> ws = ReadAccessor(model, p.attributes.at("WEIGHTS_0"));
            for (size_t v = 0; v * 3 < pos.size(); ++v) {
                std::array<double, 3> sum{};
                for (size_t k = 0; k < 4; ++k) {
                    std::array<double, 3> x = Apply(joint[size_t(js[v * 4 + k])], &pos[v * 3]);
                    for (size_t r = 0; r < 3; ++r) sum[r] += ws[v * 4 + k] * x[r];
                }
                out.push_back(sum);
            }
        }
    }
    return out;
}

// Six times the volume the meshes enclose at rest: positive when their faces, counter-clockwise
// as glTF has them, turn outward.
double SignedVolume(const tinygltf::Model& model) {
    std::vector<Mat4> world = WorldMatrices(model, 0.0);
    double volume = 0;
    for (size_t i = 0; i < model.nodes.size(); ++i) {
        if (model.nodes[i].mesh < 0) continue;
        for (const tinygltf::Primitive& p : model.meshes[size_t(model.nodes[i].mesh)].primitives) {
            std::vector<double> pos = ReadAccessor(model, p.attributes.at("POSITION"));
            std::vector<double> index = ReadAccessor(model, p.indices);
            for (size_t f = 0; f + 2 < index.size(); f += 3) {
                std::array<double, 3> v[3];
                for (size_t k = 0; k < 3; ++k)
                    v[k] = Apply(world[i], &pos[size_t(index[f + k]) * 3]);
                for (size_t k = 0; k < 3; ++k)
                    volume += v[0][k] * (v[1][(k + 1) % 3] * v[2][(k + 2) % 3] -
                                         v[1][(k + 2) % 3] * v[2][(k + 1) % 3]);
            }
        }
    }
    return volume;
}

using namespace orix_tool_test;

// What the Khronos validator finds wrong with a file: nothing, or nothing to run it with.
std::string Valid(const std::string& path) {
    if (Shell("command -v node >/dev/null 2>&1").status != 0) return "";
    Result v = Shell("node '" ORIX_VALIDATOR "' '" ORIX_NODE_MODULES "' '" + path + "' 2>&1");
    return v.status == 0 ? "" : v.out + " (status " + std::to_string(v.status) + ")";
}

std::string Node(const char* kind, const char* name, const char* parent, const char* tm) {
    return std::string("*") + kind + " {\n*NODE_NAME \"" + name + "\"\n" +
           (*parent ? std::string("*NODE_PARENT \"") + parent + "\"\n" : std::string()) +
           "*NODE_TM {\n" + tm + "*TM_ROTAXIS 0 0 1\n*TM_ROTANGLE 0\n}\n";
}

// A turning, moving helper "Root" with a turned child "Arm" and, when box, a cube at (3, 0, 1)
// (the file's z-up space, faces counter-clockwise seen from outside as the modelling tool writes
// them) under Root, each face pair of one of ten sub-materials when asked.
std::string Model(bool box, bool tenMaterials, int firstFrame) {
    static const int kFaces[12][3] = {{0, 2, 3}, {3, 1, 0}, {4, 5, 7}, {7, 6, 4},
                                      {0, 1, 5}, {5, 4, 0}, {1, 3, 7}, {7, 5, 1},
                                      {3, 2, 6}, {6, 7, 3}, {2, 0, 4}, {4, 6, 2}};
    std::ostringstream t;
    t << "*3DSMAX_ASCIIEXPORT 200\n*SCENE {\n*SCENE_FIRSTFRAME " << firstFrame
      << "\n*SCENE_LASTFRAME 8\n*SCENE_FRAMESPEED 25\n*SCENE_TICKSPERFRAME 160\n}\n"
      << "*MATERIAL_LIST {\n*MATERIAL_COUNT 1\n*MATERIAL 0 {\n*MATERIAL_DIFFUSE 0.5 0.5 0.5\n";
    for (int i = 0; tenMaterials && i < 10; ++i)
        t << (i ? "" : "*NUMSUBMTLS 10\n") << "*SUBMATERIAL " << i << " {\n*MATERIAL_DIFFUSE "
          << i / 10.0 << " 0.5 1\n*MATERIAL_TRANSPARENCY " << (i == 9 ? 0.5 : 0.0) << "\n}\n";
    t << "}\n}\n"
      << Node("HELPEROBJECT", "Root", "",
              "*TM_ROW0 1 0 0\n*TM_ROW1 0 1 0\n*TM_ROW2 0 0 1\n*TM_ROW3 0 0 0\n")
      << "*TM_ANIMATION {\n*CONTROL_ROT_TRACK {\n*CONTROL_ROT_SAMPLE 0 0 0 1 0\n"
         "*CONTROL_ROT_SAMPLE 640 0 0 1 0.7\n*CONTROL_ROT_SAMPLE 1280 1 0 0 2.9\n}\n"
         "*CONTROL_POS_BEZIER {\n*CONTROL_BEZIER_POS_KEY 0 0 0 0 0 0 0 0 0 0 0\n"
         "*CONTROL_BEZIER_POS_KEY 1280 4 2 1 0 0 0 0 0 0 0\n}\n}\n}\n"
      << Node("HELPEROBJECT", "Arm\xc3\xa9\xb0", "Root",  // UTF-8, then a code-page byte
              "*TM_ROW0 0.921 0.389 0\n*TM_ROW1 -0.389 0.921 0\n*TM_ROW2 0 0 1\n*TM_ROW3 0 0 10\n")
      << "}\n";
    if (!box) return t.str();
    t << Node("GEOMOBJECT", "Box", "Root",
              "*TM_ROW0 1 0 0\n*TM_ROW1 0 1 0\n*TM_ROW2 0 0 1\n*TM_ROW3 3 0 1\n")
      << "*MESH {\n*MESH_NUMVERTEX 8\n*MESH_NUMFACES 12\n*MESH_VERTEX_LIST {\n";
    for (int i = 0; i < 8; ++i)
        t << "*MESH_VERTEX " << i << " " << (i & 1 ? 4 : 2) << " " << (i & 2 ? 1 : -1) << " "
          << (i & 4 ? 2 : 0) << "\n";
    t << "}\n*MESH_FACE_LIST {\n";
    for (int i = 0; i < 12; ++i)
        t << "*MESH_FACE " << i << ": A: " << kFaces[i][0] << " B: " << kFaces[i][1]
          << " C: " << kFaces[i][2] << " AB: 1 BC: 1 CA: 0 *MESH_MTLID " << i % 10 << "\n";
    t << "}\n}\n*MATERIAL_REF 0\n}\n";
    return t.str();
}

// Matrix frames for the cube, the last one mirrored.
const char* kCubeVue =
    "frame 0\ntransform \"Box\" 1 0 0 0 1 0 0 0 1 3 0 1\nframe 1\n"
    "transform \"Box\" 0 1 0 -1 0 0 0 0 1 3 1 1\nframe 2\n"
    "transform \"Box\" -1 0 0 0 1 0 0 0 2 2 0 1\n";

struct Case {
    const char* name;
    const char* model;   // in the case folder
    const char* output;  // .glb or .gltf
    const char* extra;   // more arguments, for export and pose alike
    bool skinned;        // compare the skin's vertices too
    bool closed;         // the faces must turn outward
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

const Case kCases[] = {
    {"character", "girl-t.bne", "girl.glb", "--skin girl.skn", true, false},
    {"land", "gland.bne", "land.gltf", "", false, false},
    {"cube", "cube.ase", "cube.gltf", "", false, true},
    {"helpers", "helpers.ase", "helpers.glb", "", false, false},
    {"vue", "plain.ase", "plain.glb", "--vue plain.vue", false, true},
};

class GltfExport : public ::testing::TestWithParam<Case> {
public:
    static void SetUpTestSuite() {
        for (const char* f : {"girl-t.bne", "girl.skn", "girl.jpg", "gland.bne", "gland.bmp"}) {
            std::error_code ec;
            fs::copy_file(fs::path(ORIX_RES_DIR) / f, fs::path(folder_) / f, ec);
        }
        std::ofstream(folder_ + "/cube.ase") << Model(true, true, 0);
        std::ofstream(folder_ + "/plain.ase") << Model(true, false, 0);
        std::ofstream(folder_ + "/plain.vue") << kCubeVue;
        std::ofstream(folder_ + "/helpers.ase") << Model(false, false, 2);
    }

protected:
    static std::string In(const std::string& f) { return "'" + folder_ + "/" + f + "'"; }
    // The case's arguments with file names placed in the case folder.
    static std::string Extra(const Case& c) {
        std::istringstream words(c.extra);
        std::string out, w;
        while (words >> w) out += " " + (w[0] == '-' ? w : In(w));
        return out;
    }
    static inline orix::test::PictureTempDir temp_;
    static inline const std::string folder_ = temp_.Path();
};

// World matrices (row-major, engine space) and vertices of `orix pose` at a frame.
struct Pose {
    std::vector<std::array<double, 16>> world;
    std::vector<std::array<double, 3>> vertices;
    double size = 1;  // the largest coordinate met, at least 1
};

Pose PoseAt(const std::string& args) {
    Pose pose;
    std::istringstream lines(Tool("pose " + args).out);
    std::string line;
    while (std::getline(lines, line)) {
        size_t at = line.find("\"world\": [");
        if (at == std::string::npos) continue;
        // Numbers only from here on: the 16 of the matrix, then the vertices' triples.
        for (char& ch : line) ch = std::strchr("[],:", ch) ? ' ' : ch;
        std::istringstream numbers(line.substr(at + 9));
        std::array<double, 16> m{};
        for (double& v : m) numbers >> v;
        for (int i = 12; i < 15; ++i) pose.size = std::max(pose.size, std::fabs(m[size_t(i)]));
        pose.world.push_back(m);
        std::string word;
        numbers >> word;  // "vertices", when there are any
        for (std::array<double, 3> v{}; numbers >> v[0] >> v[1] >> v[2];) {
            pose.vertices.push_back(v);
            for (double x : v) pose.size = std::max(pose.size, std::fabs(x));
        }
    }
    return pose;
}

// The file passes the Khronos validator and reads back where `orix pose` puts things.
TEST_P(GltfExport, ValidAndStandsWhereThePosePutsIt) {
    const Case& c = GetParam();
    Result exported = Tool("export " + In(c.model) + " " + In(c.output) + Extra(c), true);
    ASSERT_EQ(exported.status, 0) << exported.out;
    EXPECT_EQ(exported.out.find("collision mesh Girl Head Collision left out") != std::string::npos,
              c.skinned);
    EXPECT_EQ(Valid(folder_ + "/" + c.output), "");
    tinygltf::Model m;
    std::string error;
    ASSERT_TRUE(LoadGltf(folder_ + "/" + c.output, &m, &error)) << error;
    ASSERT_FALSE(m.nodes.empty());
    Result info = Tool("info " + In(c.model));
    int first = 0, last = 0;
    size_t at = info.out.find("frames ");
    ASSERT_NE(at, std::string::npos) << info.out;
    ASSERT_EQ(std::sscanf(info.out.c_str() + at, "frames %d to %d", &first, &last), 2);
    const double length = AnimationLength(m);
    for (int frame : {first, (first + last) / 2, last}) {
        SCOPED_TRACE(frame);
        Pose pose = PoseAt(In(c.model) + " --frame " + std::to_string(frame) + Extra(c) +
                           (c.skinned ? " --vertices" : ""));
        double t = last > first ? length * (frame - first) / (last - first) : 0.0;
        std::vector<Mat4> world = WorldMatrices(m, t);
        ASSERT_GE(world.size(), pose.world.size());
        for (size_t n = 0; n < pose.world.size(); ++n) {
            if (m.nodes[n].skin >= 0) continue;  // glTF places a skinned mesh by its joints
            for (size_t k = 0; k < 16; ++k) {
                // Mirroring z negates the elements with exactly one z index.
                double engine = pose.world[n][k] * ((k / 4 == 2) != (k % 4 == 2) ? -1 : 1);
                EXPECT_NEAR(world[n][k], engine, 1e-4 * pose.size) << m.nodes[n].name << " " << k;
            }
        }
        if (!c.skinned) continue;
        std::vector<std::array<double, 3>> skinned = SkinnedVertices(m, t);
        ASSERT_FALSE(skinned.empty());
        // Every exported vertex is one of the engine's (sub-materials copy vertices).
        size_t far = 0;
        for (const auto& g : skinned) {
            double best = 1e30;
            for (const auto& v : pose.vertices)
                best = std::min(
                    best, std::fabs(g[0] - v[0]) + std::fabs(g[1] - v[1]) + std::fabs(g[2] + v[2]));
            far += best > 1e-3 * pose.size ? 1 : 0;
        }
        EXPECT_EQ(far, 0u);
    }
    EXPECT_GT(c.closed ? SignedVolume(m) : 1.0, 0.0);
}

INSTANTIATE_TEST_SUITE_P(Models, GltfExport, ::testing::ValuesIn(kCases),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(GltfExportTool, CarriesWhatItCanAndSaysWhatItCannot) {
    orix::test::PictureTempDir temp;
    const std::string dir = temp.Path();
    // A picture without texture coordinates, black transparent under the colour key (flag 8).
    std::string cube = Model(true, true, 0);
    cube.insert(cube.find("*SUBMATERIAL 0 {\n") + 17, "*MAP_DIFFUSE {\n*BITMAP \"pic.bmp\"\n}\n");
    std::ofstream(dir + "/cube.ase") << cube;
    orix::test::BmpSpec bmp;
    bmp.width = 2;
    bmp.pixels = {0, 0, 0, 50, 100, 200, 0, 0};
    orix::test::WriteBytes(dir + "/pic.bmp", orix::test::MakeBmp(bmp));
    Result unwritable = Tool("export '" + dir + "/cube.ase' /nonexistent/dir/a.glb", true);
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.out.find("cannot write /nonexistent/dir/a.glb"), std::string::npos);
    Result ok = Tool("export '" + dir + "/cube.ase' '" + dir + "/cube.glb' --flags 9", true);
    ASSERT_EQ(ok.status, 0) << ok.out;
    tinygltf::Model m;
    std::string error;
    ASSERT_TRUE(LoadGltf(dir + "/cube.glb", &m, &error)) << error;
    // The scene's frame speed gives the seconds: frames 0 to 8 at 25 a second.
    EXPECT_NEAR(AnimationLength(m), 8.0 / 25.0, 1e-6);
    ASSERT_EQ(m.materials.size(), 10u);
    EXPECT_EQ(m.materials[9].alphaMode, "BLEND");
    EXPECT_NEAR(m.materials[9].pbrMetallicRoughness.baseColorFactor[3], 0.5, 1e-6);
    EXPECT_EQ(m.materials[1].alphaMode, "OPAQUE");
    EXPECT_EQ(m.materials[0].alphaMode, "MASK");
    ASSERT_EQ(m.images.size(), 1u);
    EXPECT_EQ(m.images[0].image, (std::vector<unsigned char>{0, 0, 0, 0, 200, 100, 50, 255}));
    EXPECT_EQ(m.meshes[0].primitives[0].attributes.count("TEXCOORD_0"), 1u);
    // A name not wholly UTF-8 is read as Latin-1, as info and pose read it.
    EXPECT_EQ(m.nodes[2].name, "Arm\xc3\x83\xc2\xa9\xc2\xb0");
    EXPECT_EQ(Valid(dir + "/cube.glb"), "");
}

// A scene of frames 0 to last, and a helper that moves and turns from the first to the last.
std::string Mover(long last, const std::string& name) {
    const std::string end = std::to_string(last * 160);
    return "*3DSMAX_ASCIIEXPORT 200\n*SCENE {\n*SCENE_FIRSTFRAME 0\n*SCENE_LASTFRAME " +
           std::to_string(last) + "\n*SCENE_FRAMESPEED 30\n*SCENE_TICKSPERFRAME 160\n}\n" +
           Node("HELPEROBJECT", name.c_str(), "",
                "*TM_ROW0 1 0 0\n*TM_ROW1 0 1 0\n*TM_ROW2 0 0 1\n*TM_ROW3 0 0 0\n") +
           "*TM_ANIMATION {\n*CONTROL_POS_TRACK {\n*CONTROL_POS_SAMPLE 0 0 0 0\n"
           "*CONTROL_POS_SAMPLE " +
           end +
           " 100 50 0\n}\n*CONTROL_ROT_TRACK {\n"
           "*CONTROL_ROT_SAMPLE 0 0 0 1 0\n*CONTROL_ROT_SAMPLE " +
           end + " 0 0 1 3\n}\n}\n}\n";
}

// A triangle whose node is placed at row3 and whose first corner is first.
std::string Triangle(const char* name, const char* row3, const char* first) {
    return Node("GEOMOBJECT", name, "",
                (std::string("*TM_ROW0 1 0 0\n*TM_ROW1 0 1 0\n*TM_ROW2 0 0 1\n*TM_ROW3 ") + row3 +
                 "\n")
                    .c_str()) +
           "*MESH {\n*MESH_NUMVERTEX 3\n*MESH_NUMFACES 1\n*MESH_VERTEX_LIST {\n*MESH_VERTEX 0 " +
           first +
           "\n*MESH_VERTEX 1 1 0 0\n*MESH_VERTEX 2 0 1 0\n}\n*MESH_FACE_LIST {\n"
           "*MESH_FACE 0: A: 0 B: 1 C: 2 AB: 1 BC: 1 CA: 1\n}\n}\n}\n";
}

// Files as users meet them: long animations export; ranges the engine cannot play, or too
// many samples, are refused with the reason and no file; names in no encoding and numbers that
// are none still give valid files, every number finite, the replacements reported.
TEST(GltfExportTool, LongRangesOddNamesAndNonFiniteNumbersGiveValidFilesOrAReason) {
    orix::test::PictureTempDir temp;
    const std::string dir = temp.Path();
    const std::string odd =
        Mover(8, "Over\xc0\xaf") + Mover(8, "Sur\xed\xa0\x80") + Mover(8, "Big\xf4\x90\x80\x80");
    const std::string broken = Mover(8, "Mover").substr(0, 120) +  // the scene alone
                               Triangle("Lost", "nan 0 0", "0 0 0") +
                               Triangle("Far", "0 0 0", "inf 0 0");
    struct Input {
        const char* name;
        std::string ase;
        int status;
        std::vector<std::string> said;  // on stderr
        std::vector<std::string> nodes;
    } inputs[] = {
        {"long", Mover(65535, "Mover"), 0, {}, {"Mover"}},
        {"past 2^24", Mover(16777216, "Mover"), 1, {"past frame 16777216 (2^24)"}, {}},
        {"samples", Mover(2200000, "Mover"), 1, {"2200001 frames of 1 nodes exceed"}, {}},
        {"names",
         odd,
         0,
         {},
         {"Over\xc3\x80\xc2\xaf", "Sur\xc3\xad\xc2\xa0\xc2\x80",
          "Big\xc3\xb4\xc2\x90\xc2\x80\xc2\x80"}},
        {"non-finite",
         broken,
         0,
         {"node Lost: ", "node Far: ", "numbers that were not finite replaced"},
         {"Lost", "Far"}},
    };
    for (const Input& in : inputs) {
        SCOPED_TRACE(in.name);
        const std::string out = dir + "/out.gltf";
        std::filesystem::remove(out);
        std::ofstream(dir + "/in.ase") << in.ase;
        Result r = Tool("export '" + dir + "/in.ase' '" + out + "'", true);
        EXPECT_EQ(r.status, in.status) << r.out;
        for (const std::string& s : in.said) EXPECT_NE(r.out.find(s), std::string::npos) << r.out;
        if (in.status != 0) {
            EXPECT_FALSE(std::filesystem::exists(out));
            continue;
        }
        EXPECT_EQ(Valid(out), "");
        tinygltf::Model m;
        std::string error;
        ASSERT_TRUE(LoadGltf(out, &m, &error)) << error;
        std::vector<std::string> names;
        for (const tinygltf::Node& n : m.nodes) {
            names.push_back(n.name);
            for (const auto* v : {&n.translation, &n.rotation, &n.scale, &n.matrix}) {
                for (double x : *v) EXPECT_TRUE(std::isfinite(x)) << n.name;
            }
        }
        EXPECT_EQ(names, in.nodes);
        for (size_t a = 0; a < m.accessors.size(); ++a) {
            for (double x : ReadAccessor(m, int(a))) ASSERT_TRUE(std::isfinite(x)) << a;
            for (size_t c = 0; c < m.accessors[a].minValues.size(); ++c)
                EXPECT_LE(m.accessors[a].minValues[c], m.accessors[a].maxValues[c]);
        }
    }
    // The long one: every frame played, its keys fewer than its frames.
    std::ofstream(dir + "/long.ase") << Mover(65535, "Mover");
    ASSERT_EQ(Tool("export '" + dir + "/long.ase' '" + dir + "/long.glb'").status, 0);
    tinygltf::Model m;
    std::string error;
    ASSERT_TRUE(LoadGltf(dir + "/long.glb", &m, &error)) << error;
    EXPECT_NEAR(AnimationLength(m), 65535.0 / 30, 1e-2);
    for (const auto& sampler : m.animations.at(0).samplers)
        EXPECT_LT(m.accessors[size_t(sampler.input)].count, 65536u / 2);
}

// Keys on a straight line within the tolerance go; a bend, and the ends, stay.
TEST(GltfExportKeys, ReductionKeepsOnlyWhatTheLineMisses) {
    using orix::gltf::ReduceKeys;
    std::vector<double> times = {0, 1, 2, 3, 4, 5};
    EXPECT_EQ(ReduceKeys(times, {0, 1, 2, 3, 4, 5}, 1, false, 1e-5), (std::vector<size_t>{0, 5}));
    EXPECT_EQ(ReduceKeys(times, {0, 1, 2, 3, 3, 3}, 1, false, 1e-5),
              (std::vector<size_t>{0, 3, 5}));
    EXPECT_EQ(ReduceKeys(times, {0, 1, 2.00004, 3, 4, 5}, 1, false, 1e-5),
              (std::vector<size_t>{0, 1, 2, 3, 5}));
    EXPECT_EQ(ReduceKeys(times, {0, 1, 2.000005, 3, 4, 5}, 1, false, 1e-5),
              (std::vector<size_t>{0, 5}));
    // A quarter turn about z in three samples lies on the spherical path, not the straight one.
    const double h = std::sqrt(0.5), e = std::sin(M_PI / 8), f = std::cos(M_PI / 8);
    std::vector<double> turn = {0, 0, 0, 1, 0, 0, e, f, 0, 0, h, h};
    EXPECT_EQ(ReduceKeys({0, 1, 2}, turn, 4, true, 1e-5), (std::vector<size_t>{0, 2}));
    std::vector<double> still = {0, 0, h, h, 0, 0, h, h, 0, 0, h, h};
    EXPECT_EQ(ReduceKeys({0, 1, 2}, still, 4, true, 1e-5), (std::vector<size_t>{0, 2}));
    EXPECT_EQ(ReduceKeys({0, 1}, {1, 2}, 1, false, 1e-5), (std::vector<size_t>{0, 1}));
}

// Over long tracks every sample stays within the tolerance of the kept keys' interpolation;
// a straight track keeps its ends alone and a steady turn a key every 256 samples at most.
TEST(GltfExportKeys, LongTracksStayWithinTheTolerance) {
    using orix::gltf::ReduceKeys;
    const size_t n = 65536;
    std::vector<double> times(n), line(n * 3), wave(n * 3), turn(n * 4);
    for (size_t i = 0; i < n; ++i) {
        times[i] = double(i) / 30;
        for (size_t c = 0; c < 3; ++c) {
            line[i * 3 + c] = 1e-3 * double(i) * double(c + 1);
            wave[i * 3 + c] = std::sin(1e-3 * double(i) * double(c + 1));
        }
        const double half = 1e-4 * double(i);
        turn[i * 4 + 2] = std::sin(half), turn[i * 4 + 3] = std::cos(half);
    }
    struct Track {
        const std::vector<double>* values;
        size_t components;
        size_t most;  // keys
    } tracks[] = {{&line, 3, 2}, {&wave, 3, n}, {&turn, 4, n / 256 + 2}};
    for (const Track& t : tracks) {
        const bool rotation = t.components == 4;
        std::vector<size_t> keep = ReduceKeys(times, *t.values, int(t.components), rotation, 1e-5);
        ASSERT_GE(keep.size(), 2u);
        EXPECT_LE(keep.size(), t.most);
        EXPECT_EQ(keep.front(), 0u);
        EXPECT_EQ(keep.back(), n - 1);
        double worst = 0;
        for (size_t k = 0; k + 1 < keep.size(); ++k) {
            const double* a = &(*t.values)[keep[k] * t.components];
            const double* b = &(*t.values)[keep[k + 1] * t.components];
            for (size_t j = keep[k]; j <= keep[k + 1]; ++j) {
                double u = (times[j] - times[keep[k]]) / (times[keep[k + 1]] - times[keep[k]]);
                double d = rotation ? a[2] * b[2] + a[3] * b[3] : 1, wa = 1 - u, wb = u;
                if (d < 0.9999999) {
                    double angle = std::acos(d);
                    wa = std::sin((1 - u) * angle) / std::sin(angle);
                    wb = std::sin(u * angle) / std::sin(angle);
                }
                for (size_t c = 0; c < t.components; ++c)
                    worst = std::max(worst, std::fabs(wa * a[c] + wb * b[c] -
                                                      (*t.values)[j * t.components + c]));
            }
        }
        EXPECT_LE(worst, 1.0001e-5) << t.components;
    }
}

}  // namespace
}  // namespace orix_export_test
