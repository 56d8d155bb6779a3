// What a user's files look like after every command that writes: the new complete output or
// the old file, nothing else; never an input replaced, never a side file shared.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "support/picture_files.h"
#include "tools/tool_run.h"

namespace {

using namespace orix_tool_test;
using ScratchDir = orix::test::PictureTempDir;
namespace fs = std::filesystem;

// A textured triangle that moves over frames frames, its picture named pic.
std::string Model(const std::string& pic = "pic.bmp", int frames = 4) {
    return "*3DSMAX_ASCIIEXPORT\t200\n*SCENE {\n*SCENE_FIRSTFRAME 0\n*SCENE_LASTFRAME " +
           std::to_string(frames) +
           "\n*SCENE_TICKSPERFRAME 160\n}\n*MATERIAL_LIST {\n*MATERIAL_COUNT 1\n*MATERIAL 0 {\n"
           "*MATERIAL_NAME \"M\"\n*MATERIAL_CLASS \"Standard\"\n*MAP_DIFFUSE {\n*BITMAP \"" +
           pic +
           "\"\n}\n}\n}\n*GEOMOBJECT {\n*NODE_NAME \"Tri\"\n*NODE_TM {\n*TM_ROW0 1 0 0\n"
           "*TM_ROW1 0 1 0\n*TM_ROW2 0 0 1\n*TM_ROW3 0 0 0\n}\n*MESH {\n*MESH_NUMVERTEX 3\n"
           "*MESH_NUMFACES 1\n*MESH_VERTEX_LIST {\n*MESH_VERTEX 0 0 0 0\n*MESH_VERTEX 1 1 0 0\n"
           "*MESH_VERTEX 2 0 1 0\n}\n*MESH_FACE_LIST {\n*MESH_FACE 0: A: 0 B: 1 C: 2 AB: 1 BC: 1 "
           "CA: 0 *MESH_MTLID 0\n}\n*MESH_NUMTVERTEX 3\n*MESH_TVERTLIST {\n*MESH_TVERT 0 0 0 0\n"
           "*MESH_TVERT 1 1 0 0\n*MESH_TVERT 2 0 1 0\n}\n*MESH_NUMTVFACES 1\n*MESH_TFACELIST {\n"
           "*MESH_TFACE 0 0 1 2\n}\n}\n*TM_ANIMATION {\n*CONTROL_POS_TRACK {\n"
           "*CONTROL_POS_SAMPLE 0 0 0 0\n*CONTROL_POS_SAMPLE " +
           std::to_string(160 * frames) + " 3 1 2\n}\n}\n*MATERIAL_REF 0\n}\n";
}

// A 2 x 2 24-bit BMP.
std::string Bmp() {
    std::string b = "BM";
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) b += char(v >> (8 * i));
    };
    auto u16 = [&](uint16_t v) { b += char(v), b += char(v >> 8); };
    u32(70), u32(0), u32(54), u32(40), u32(2), u32(2), u16(1), u16(24), u32(0), u32(16);
    u32(2835), u32(2835), u32(0), u32(0);
    b += std::string("\xff\x00\x00\x00\xff\x00\x00\x00", 8);
    b += std::string("\x00\x00\xff\xff\xff\xff\x00\x00", 8);
    return b;
}

// Every file of a folder with its bytes (their size and hash, to keep failures readable).
std::map<std::string, std::string> Snapshot(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(folder)) {
        std::string name = e.path().filename().string();
        std::string bytes = e.is_regular_file() ? ReadAll(e.path().string()) : "";
        files[name] = e.is_symlink() ? "-> " + fs::read_symlink(e.path()).string()
                      : fs::is_directory(e.path())
                          ? "(folder)"
                          : std::to_string(bytes.size()) + " bytes, hash " +
                                std::to_string(std::hash<std::string>()(bytes));
    }
    return files;
}

std::string Q(const std::string& path) {
    return "'" + path + "'";
}

struct ModelFolder {
    ScratchDir dir;
    std::string model = dir.File("m.ase");
    ModelFolder() {
        Write(model, Model());
        Write(dir.File("pic.bmp"), Bmp());
    }
};

TEST(FileSafety, AnOutputThatIsAnInputIsRefusedAndNothingChanges) {
    ModelFolder f;
    const std::string& m = f.model;
    fs::create_symlink(m, f.dir.File("link.glb"));
    fs::create_hard_link(m, f.dir.File("hard.gltf"));
    fs::create_symlink(f.dir.File("pic.bmp"), f.dir.File("p.glb"));
    Write(f.dir.File("model.png"), Model());
    struct Case {
        std::string args, named;
    } cases[] = {
        {"export " + Q(m) + " " + Q(f.dir.File("link.glb")), "link.glb"},
        {"export " + Q(m) + " " + Q(f.dir.File("hard.gltf")), "hard.gltf"},
        {"export " + Q(m) + " " + Q(f.dir.File("p.glb")), "pic.bmp"},  // the model's picture
        {"render " + Q(f.dir.File("model.png")) + " --out " + Q(f.dir.File("o")) + " --sheet " +
             Q(f.dir.File("model.png")),
         "model.png"},
        {"convert " + Q(m) + " " + Q(f.dir.File("m.ASE")) + " --as mesh", "are one file"},
    };
    Write(f.dir.File("m.ASE"), Model());
    const auto before = Snapshot(f.dir.Path());
    for (const Case& c : cases) {
        Result r = Tool(c.args, true);
        EXPECT_EQ(r.status, 2) << c.args << "\n" << r.out;
        EXPECT_NE(r.out.find(c.named), std::string::npos) << r.out;
        EXPECT_EQ(Snapshot(f.dir.Path()), before) << c.args;
    }
}

TEST(FileSafety, AFailedWriteLeavesThePreviousOutputAndNoTemporaries) {
    ModelFolder f;
    for (const char* out : {"x.glb", "x.gltf", "x.bne"}) {
        const std::string command = std::string(out) == "x.bne" ? "convert " : "export ";
        ASSERT_EQ(Tool(command + Q(f.model) + " " + Q(f.dir.File(out))).status, 0) << out;
        chmod(f.dir.File(out).c_str(), 0640);
        const auto before = Snapshot(f.dir.Path());
        // No file may grow: every write fails as on a full disk.
        Result r = Shell("ulimit -f 0; ORIX_OFFSCREEN=1 '" + std::string(ORIX_TOOL_PATH) + "' " +
                         command + Q(f.model) + " " + Q(f.dir.File(out)) + " 2>&1");
        EXPECT_EQ(r.status, 1) << out << "\n" << r.out;
        EXPECT_EQ(Snapshot(f.dir.Path()), before) << out;
        // Written again in full, the replaced file keeps its mode.
        ASSERT_EQ(Tool(command + Q(f.model) + " " + Q(f.dir.File(out))).status, 0) << out;
        struct stat st = {};
        stat(f.dir.File(out).c_str(), &st);
        EXPECT_EQ(st.st_mode & 0777, 0640u) << out;
    }
    // A link under the output's name is replaced itself; what it pointed at stays.
    Write(f.dir.File("victim"), "keep me");
    fs::create_symlink(f.dir.File("victim"), f.dir.File("y.glb"));
    EXPECT_EQ(Tool("export " + Q(f.model) + " " + Q(f.dir.File("y.glb"))).status, 0);
    EXPECT_EQ(ReadAll(f.dir.File("victim")), "keep me");
    EXPECT_FALSE(fs::is_symlink(f.dir.File("y.glb")));
    struct stat st = {};
    stat(f.dir.File("y.glb").c_str(), &st);
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(st.st_mode & 0777, 0666u & ~mask);
}

TEST(FileSafety, GltfSideFilesAreTheirOwnAndNothingUnnamedIsReplaced) {
    ModelFolder f;
    auto exportTo = [&](const std::string& name, const std::string& extra = "") {
        return Tool("export " + Q(f.model) + " " + Q(f.dir.File(name)) + extra, true);
    };
    Write(f.dir.File("a.bin"), "not mine");
    ASSERT_EQ(exportTo("a.gltf").status, 0);
    EXPECT_EQ(ReadAll(f.dir.File("a.bin")), "not mine");
    const std::string a = ReadAll(f.dir.File("a.gltf"));
    EXPECT_NE(a.find("\"a-1.bin\""), std::string::npos) << a;
    EXPECT_NE(a.find("\"a_0.png\""), std::string::npos) << a;
    // Names that a lossy rule would make one share nothing; the URIs are percent-encoded.
    ASSERT_EQ(exportTo("a b.gltf").status, 0);
    ASSERT_EQ(exportTo("a_b.gltf").status, 0);
    EXPECT_NE(ReadAll(f.dir.File("a b.gltf")).find("\"a%20b.bin\""), std::string::npos);
    EXPECT_TRUE(fs::exists(f.dir.File("a b.bin")) && fs::exists(f.dir.File("a_b.bin")));
    EXPECT_TRUE(fs::exists(f.dir.File("a b_0.png")) && fs::exists(f.dir.File("a_b_0.png")));
    // Exported again over itself: its own side files are reused, nothing else appears.
    const auto before = Snapshot(f.dir.Path());
    ASSERT_EQ(exportTo("a.gltf").status, 0);
    EXPECT_EQ(Snapshot(f.dir.Path()), before);
    // A version without the picture: the old picture the new file no longer names goes.
    Write(f.dir.File("n.ase"), Model("none.bmp"));
    ASSERT_EQ(Tool("export " + Q(f.dir.File("n.ase")) + " " + Q(f.dir.File("a.gltf")), true).status,
              0);
    EXPECT_FALSE(fs::exists(f.dir.File("a_0.png")));
    EXPECT_EQ(ReadAll(f.dir.File("a.bin")), "not mine");
    // The model itself under the side file's name is never written over.
    Write(f.dir.File("c.bin"), Model());
    Result c = Tool("export " + Q(f.dir.File("c.bin")) + " " + Q(f.dir.File("c.gltf")));
    EXPECT_EQ(c.status, 0);
    EXPECT_EQ(ReadAll(f.dir.File("c.bin")), Model());
}

TEST(FileSafety, InputsAreToldByTheirFirstBytesAndBounded) {
    ScratchDir dir;
    const std::string fifo = dir.File("fifo.ase"), big = dir.File("big.bne");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    {
        // Sparse: past the input limit without taking the disk.
        Write(big, std::string("BNE\0", 4));
        fs::resize_file(big, (uint64_t{1} << 30) + 1);
    }
    const std::pair<std::string, std::string> cases[] = {
        {"info /dev/zero", "is not a model file"},
        {"info " + Q(fifo), "is not a model file"},  // no writer: no wait
        {"info " + Q(big), "too large"},
        {"dump " + Q(big), "too large"},
        {"info " + Q(dir.Path()), "is a folder"},
    };
    for (const auto& [args, said] : cases) {
        Result r = Tool(args, true);
        EXPECT_EQ(r.status, 1) << args;
        EXPECT_NE(r.out.find(said), std::string::npos) << args << "\n" << r.out;
    }
}

}  // namespace
