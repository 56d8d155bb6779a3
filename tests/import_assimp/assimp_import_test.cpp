// The assimp path: models in the common formats (written from one OBJ by assimp's own
// command-line tool, or by hand) come back as GLB bytes that tinygltf reads, with the triangle's
// corners where glTF's y-up space puts them; hostile files and a misbehaving importer end as
// error messages with no child left behind.
#include <sys/wait.h>

#include <tiny_gltf.h>

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>

#include "gtest/gtest.h"
#include "import/assimp_import.h"
#include "import/assimp_io.h"
#include "support/picture_files.h"

namespace orix {
namespace {

using Point = std::array<double, 3>;
using test::PictureTempDir;

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool HaveAssimpTool() {
    return std::system("command -v assimp >/dev/null 2>&1") == 0;
}

// Every child reaped: no process of ours is left to wait for.
void ExpectNoChildren() {
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

const char* kTriangleObj =
    "mtllib tri.mtl\n"
    "o Tri\n"
    "v 1 2 3\nv 4 5 6\nv 7 8 10\n"
    "vt 0 0\nvt 1 0\nvt 0 1\n"
    "usemtl red\n"
    "f 1/1 2/2 3/3\n";
const std::vector<Point> kCorners = {{1, 2, 3}, {4, 5, 6}, {7, 8, 10}};

// Column-major 4x4 products, as glTF stores matrices.
using Mat4 = std::array<double, 16>;

Mat4 Multiply(const Mat4& a, const Mat4& b) {
    Mat4 r{};
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row)
            for (int k = 0; k < 4; ++k) r[c * 4 + row] += a[k * 4 + row] * b[c * 4 + k];
    return r;
}

Mat4 LocalMatrix(const tinygltf::Node& node) {
    if (node.matrix.size() == 16) {
        Mat4 m;
        std::copy(node.matrix.begin(), node.matrix.end(), m.begin());
        return m;
    }
    Mat4 t = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    if (node.translation.size() == 3)
        for (int i = 0; i < 3; ++i) t[12 + i] = node.translation[i];
    Mat4 r = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    if (node.rotation.size() == 4) {
        double x = node.rotation[0], y = node.rotation[1], z = node.rotation[2],
               w = node.rotation[3];
        r = {1 - 2 * (y * y + z * z),
             2 * (x * y + z * w),
             2 * (x * z - y * w),
             0,
             2 * (x * y - z * w),
             1 - 2 * (x * x + z * z),
             2 * (y * z + x * w),
             0,
             2 * (x * z + y * w),
             2 * (y * z - x * w),
             1 - 2 * (x * x + y * y),
             0,
             0,
             0,
             0,
             1};
    }
    Mat4 s = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    if (node.scale.size() == 3)
        for (int i = 0; i < 3; ++i) s[i * 5] = node.scale[i];
    return Multiply(t, Multiply(r, s));
}

// Every mesh vertex of the default scene, in world space.
std::vector<Point> WorldPositions(const tinygltf::Model& model) {
    std::vector<Point> out;
    std::function<void(int, const Mat4&)> visit = [&](int index, const Mat4& parent) {
        const tinygltf::Node& node = model.nodes[size_t(index)];
        Mat4 world = Multiply(parent, LocalMatrix(node));
        if (node.mesh >= 0) {
            for (const auto& primitive : model.meshes[size_t(node.mesh)].primitives) {
                const auto& accessor = model.accessors[size_t(primitive.attributes.at("POSITION"))];
                const auto& view = model.bufferViews[size_t(accessor.bufferView)];
                const auto& buffer = model.buffers[size_t(view.buffer)];
                size_t stride = view.byteStride ? view.byteStride : 12;
                for (size_t v = 0; v < accessor.count; ++v) {
                    float p[3];
                    std::memcpy(p, &buffer.data[view.byteOffset + accessor.byteOffset + v * stride],
                                sizeof p);
                    Point w;
                    for (int row = 0; row < 3; ++row)
                        w[size_t(row)] = world[size_t(row)] * p[0] + world[size_t(4 + row)] * p[1] +
                                         world[size_t(8 + row)] * p[2] + world[size_t(12 + row)];
                    out.push_back(w);
                }
            }
        }
        for (int child : node.children) visit(child, world);
    };
    Mat4 identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    int scene = model.defaultScene >= 0 ? model.defaultScene : 0;
    for (int root : model.scenes.at(size_t(scene)).nodes) visit(root, identity);
    return out;
}

bool ParseGlb(const std::vector<char>& glb, tinygltf::Model* model) {
    tinygltf::TinyGLTF loader;
    loader.SetImageLoader([](tinygltf::Image*, const int, std::string*, std::string*, int, int,
                             const unsigned char*, int, void*) { return true; },
                          nullptr);
    std::string error, warning;
    return loader.LoadBinaryFromMemory(model, &error, &warning,
                                       reinterpret_cast<const unsigned char*>(glb.data()),
                                       unsigned(glb.size()));
}

// Imports path and checks the GLB holds one triangle mesh with corners at expected.
void ExpectTriangle(const std::string& path, const std::vector<Point>& expected,
                    tinygltf::Model* model = nullptr,
                    std::vector<std::string>* warnings = nullptr) {
    std::vector<char> glb;
    std::vector<std::string> ownWarnings;
    std::string error;
    ASSERT_TRUE(ImportWithAssimp(path, {}, &glb, warnings ? warnings : &ownWarnings, &error))
        << error;
    tinygltf::Model own;
    if (model == nullptr) model = &own;
    ASSERT_TRUE(ParseGlb(glb, model)) << path;
    ASSERT_EQ(model->meshes.size(), 1u) << path;
    EXPECT_GE(model->nodes.size(), 1u) << path;
    std::vector<Point> got = WorldPositions(*model);
    ASSERT_EQ(got.size(), 3u) << path;
    for (const Point& want : expected) {
        bool found = false;
        for (const Point& p : got)
            found = found || (std::fabs(p[0] - want[0]) < 1e-4 &&
                              std::fabs(p[1] - want[1]) < 1e-4 && std::fabs(p[2] - want[2]) < 1e-4);
        EXPECT_TRUE(found) << path << ": no corner at " << want[0] << " " << want[1] << " "
                           << want[2];
    }
    ExpectNoChildren();
}

// A file's z-up point (x, y, z) in glTF's y-up space, scaled.
std::vector<Point> ZUp(const std::vector<Point>& points, double scale) {
    std::vector<Point> out;
    for (const Point& p : points) out.push_back({p[0] * scale, p[2] * scale, -p[1] * scale});
    return out;
}

std::vector<Point> Scaled(const std::vector<Point>& points, double scale) {
    std::vector<Point> out;
    for (const Point& p : points) out.push_back({p[0] * scale, p[1] * scale, p[2] * scale});
    return out;
}

class AssimpImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteText(dir.File("tri.obj"), kTriangleObj);
        WriteText(dir.File("tri.mtl"), "newmtl red\nKd 1 0 0\nmap_Kd pic.jpg\n");
        ASSERT_TRUE(test::WriteJpeg(dir.File("pic.jpg"), 4, 4, std::vector<uint8_t>(48, 200), {}));
    }
    PictureTempDir dir;
};

TEST_F(AssimpImportTest, EveryFormatAssimpWritesComesBackInYUp) {
    if (!HaveAssimpTool()) GTEST_SKIP() << "assimp-utils is not installed";
    struct Case {
        const char* id;
        const char* file;
        std::vector<Point> expected;
    };
    // assimp writes the OBJ's numbers as they are; 3DS is z-up, FBX's are centimetres.
    const std::vector<Case> cases = {
        {"collada", "tri.dae", kCorners},     {"fbxa", "tri.fbx", Scaled(kCorners, 0.01)},
        {"3ds", "tri.3ds", ZUp(kCorners, 1)}, {"x", "tri.x", kCorners},
        {"ply", "tri.ply", kCorners},         {"stl", "tri.stl", kCorners},
        {"obj", "again.obj", kCorners},
    };
    for (const Case& c : cases) {
        std::string command = "assimp export '" + dir.File("tri.obj") + "' '" + dir.File(c.file) +
                              "' -f" + c.id + " >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        ExpectTriangle(dir.File(c.file), c.expected);
    }
    // The same FBX declared z-up and in metres.
    std::string fbx = ReadText(dir.File("tri.fbx"));
    for (auto [from, to] : {std::pair{"\"UpAxis\", \"int\", \"Integer\", \"\", 1",
                                      "\"UpAxis\", \"int\", \"Integer\", \"\", 2"},
                            {"\"FrontAxis\", \"int\", \"Integer\", \"\", 2",
                             "\"FrontAxis\", \"int\", \"Integer\", \"\", 1"},
                            {"\"FrontAxisSign\", \"int\", \"Integer\", \"\", 1",
                             "\"FrontAxisSign\", \"int\", \"Integer\", \"\", -1"},
                            {"\"UnitScaleFactor\", \"double\", \"Number\", \"\", 1",
                             "\"UnitScaleFactor\", \"double\", \"Number\", \"\", 100"}}) {
        size_t at = fbx.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        fbx.replace(at, std::strlen(from), to);
    }
    WriteText(dir.File("zup.fbx"), fbx);
    ExpectTriangle(dir.File("zup.fbx"), ZUp(kCorners, 1));
    // Told by content: a Collada file under another format's name.
    WriteText(dir.File("named.obj"), ReadText(dir.File("tri.dae")));
    ExpectTriangle(dir.File("named.obj"), kCorners);
}

TEST_F(AssimpImportTest, ZUpColladaInItsUnitBecomesYUpMetres) {
    const char* dae = R"(<?xml version="1.0"?>
<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">
 <asset><unit meter="0.5"/><up_axis>Z_UP</up_axis></asset>
 <library_geometries><geometry id="g"><mesh>
  <source id="p"><float_array id="pa" count="9">1 2 3 4 5 6 7 8 10</float_array>
   <technique_common><accessor source="#pa" count="3" stride="3">
    <param name="X" type="float"/><param name="Y" type="float"/><param name="Z" type="float"/>
   </accessor></technique_common></source>
  <vertices id="v"><input semantic="POSITION" source="#p"/></vertices>
  <triangles count="1"><input semantic="VERTEX" source="#v" offset="0"/><p>0 1 2</p></triangles>
 </mesh></geometry></library_geometries>
 <library_visual_scenes><visual_scene id="s"><node id="n" name="Tri">
  <instance_geometry url="#g"/></node></visual_scene></library_visual_scenes>
 <scene><instance_visual_scene url="#s"/></scene>
</COLLADA>)";
    WriteText(dir.File("zup.dae"), dae);
    ExpectTriangle(dir.File("zup.dae"), ZUp(kCorners, 0.5));
}

TEST_F(AssimpImportTest, PicturesAreEmbeddedOrDroppedWithAWarning) {
    tinygltf::Model model;
    std::vector<std::string> warnings;
    ExpectTriangle(dir.File("tri.obj"), kCorners, &model, &warnings);
    EXPECT_TRUE(warnings.empty());
    ASSERT_EQ(model.images.size(), 1u);
    EXPECT_TRUE(model.images[0].uri.empty());
    EXPECT_GE(model.images[0].bufferView, 0);
    int textured = 0;
    for (const auto& material : model.materials)
        textured += material.pbrMetallicRoughness.baseColorTexture.index >= 0;
    EXPECT_EQ(textured, 1);

    std::remove(dir.File("pic.jpg").c_str());
    tinygltf::Model without;
    warnings.clear();
    ExpectTriangle(dir.File("tri.obj"), kCorners, &without, &warnings);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("pic.jpg"), std::string::npos) << warnings[0];
    EXPECT_TRUE(without.images.empty());
}

TEST_F(AssimpImportTest, FailuresAreMessagesAndLeaveNoChild) {
    WriteText(dir.File("empty.obj"), "");
    WriteText(dir.File("garbage.fbx"), std::string(3000, '\x9c') + "\x01\xff junk");
    WriteText(dir.File("model.gltf"), R"({"asset": {"version": "2.0"}})");
    struct Case {
        const char* fault;  // the stand-in for a hostile parser, or none
        std::string file;
        ImportLimits limits;
        const char* message;
    };
#if defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer's allocator aborts the child itself on an allocation past the limit.
    const char* const kOutOfMemory = "the importer crashed";
#else
    const char* const kOutOfMemory = "the importer ran out of memory (more than 256 MiB)";
#endif
    // The machine may be busy: processor seconds come slower than wall-clock ones.
    ImportLimits tight;
    tight.memoryBytes = 256u << 20;
    tight.cpuSeconds = 1;
    tight.wallSeconds = 60;
    ImportLimits hasty;
    hasty.wallSeconds = 1;
    const std::vector<Case> cases = {
        {nullptr, "empty.obj", {}, "is empty"},
        {nullptr, "missing.obj", {}, "cannot open"},
        {nullptr, "garbage.fbx", {}, "garbage.fbx: "},
        {nullptr, "model.gltf", {}, "not a model format read through assimp"},
        {"crash", "tri.obj", {}, "the importer crashed"},
        {"allocate", "tri.obj", tight, kOutOfMemory},
        {"spin", "tri.obj", tight, "the importer took longer than 1 s"},
        {"sleep", "tri.obj", hasty, "the importer took longer than 1 s"},
    };
    for (const Case& c : cases) {
        if (c.fault) setenv("ORIX_ASSIMP_TEST_FAULT", c.fault, 1);
        std::vector<char> glb;
        std::vector<std::string> warnings;
        std::string error;
        EXPECT_FALSE(ImportWithAssimp(dir.File(c.file), c.limits, &glb, &warnings, &error));
        unsetenv("ORIX_ASSIMP_TEST_FAULT");
        EXPECT_NE(error.find(c.message), std::string::npos)
            << (c.fault ? c.fault : "") << " " << c.file << ": " << error;
        EXPECT_NE(error.find(c.file), std::string::npos) << error;
        EXPECT_TRUE(glb.empty());
        ExpectNoChildren();
    }
}

TEST(AssimpFormat, ContentBeforeNameAndOwnReadersFirst) {
    struct Case {
        std::string path;
        std::string head;
        const char* format;
    };
    const std::vector<Case> cases = {
        {"a.bin", std::string("Kaydara FBX Binary  \0", 21), "fbx"},
        {"a.obj", "; FBX 7.5.0 project file\n", "fbx"},
        {"a.txt", "<?xml version=\"1.0\"?>\n<COLLADA version=\"1.4.1\">", "dae"},
        {"a.dat", std::string("MM\x10\0\0\0\x02\0", 8), "3ds"},
        {"a.md5anim", "MD5Version 10\n", "md5anim"},
        {"a.x", "xof 0303txt 0032\n", "x"},
        {"A.OBJ", "v 1 2 3\n", "obj"},
        {"a.stl", "solid x\n", "stl"},
        {"a.fbx", std::string("BNE\0", 4), ""},
        {"a.fbx", "*3DSMAX_ASCIIEXPORT 200\n*SCENE {\n", ""},
        {"a.fbx", "glTF\x02\0\0\0", ""},
        {"a.gltf", "{\"asset\":{}}", ""},
        {"a.ase", "hello", ""},
        {"a.txt", "hello", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AssimpFormatOf(c.path, c.head.data(), c.head.size()), c.format) << c.path;
    for (const char* yes : {"m.fbx", "M.DAE", "3ds", "m.b3d", "m.md5mesh", "m.ms3d", "m.smd"})
        EXPECT_TRUE(AssimpCanRead(yes)) << yes;
    for (const char* no : {"m.ase", "m.bne", "m.gltf", "m.glb", "m.txt", "dir.fbx/m"})
        EXPECT_FALSE(AssimpCanRead(no)) << no;
}

TEST(AssimpFormat, SideFilesStayInTheModelsFolder) {
    const std::pair<const char*, const char*> cases[] = {
        {"/m/tri.mtl", "/m/tri.mtl"},    {"tex/a.png", "/m/tex/a.png"},
        {"./a.png", "/m/a.png"},         {"../secret.mtl", "/m/secret.mtl"},
        {"tex/../../a.png", "/m/a.png"}, {"/etc/passwd", "/m/passwd"},
        {"C:\\art\\a.png", "/m/a.png"},  {"sub\\b.png", "/m/sub/b.png"},
    };
    for (const auto& [name, path] : cases) EXPECT_EQ(SideFilePath(name, "/m"), path) << name;
}

}  // namespace
}  // namespace orix
