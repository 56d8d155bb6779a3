// The orix binary on generated files: arguments, conversion round trip, dump, info, pose.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

#include <filesystem>

namespace {

// A fresh folder, removed with its files at the end of the test.
class ScratchDir {
public:
    ScratchDir() {
        char name[] = "/tmp/orix-tool-XXXXXX";
        if (mkdtemp(name)) dir_ = name;
    }
    ~ScratchDir() {
        std::error_code ignored;
        if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

private:
    std::string dir_;
};

struct Result {
    int status = -1;
    std::string out;
};

// Runs the tool with args (already quoted), capturing stdout; stderr is dropped.
Result Tool(const std::string& args) {
    Result r;
    std::string command =
        std::string("ORIX_OFFSCREEN=1 '") + ORIX_TOOL_PATH + "' " + args + " 2>/dev/null";
    std::FILE* p = popen(command.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    int status = pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string Tm(float angle, float x, float y, float z) {
    char buf[600];
    float c = std::cos(angle), s = std::sin(angle);
    std::snprintf(buf, sizeof buf,
                  "\t*NODE_TM {\n\t\t*TM_ROW0 %.7f %.7f 0\n\t\t*TM_ROW1 %.7f %.7f 0\n"
                  "\t\t*TM_ROW2 0 0 1\n\t\t*TM_ROW3 %g %g %g\n\t\t*TM_ROTAXIS 0 0 -1\n"
                  "\t\t*TM_ROTANGLE %.7f\n\t\t*TM_SCALE 1 1 1\n\t}\n",
                  double(c), double(s), double(-s), double(c), double(x), double(y), double(z),
                  double(angle));
    return buf;
}

// A small character: a bone chain listed child first, an animated bone, a textured skin mesh
// with two sub-materials, CR LF line ends.
std::string Character() {
    std::string t =
        "*3DSMAX_ASCIIEXPORT\t200\n*SCENE {\n\t*SCENE_FIRSTFRAME 0\n\t*SCENE_LASTFRAME 8\n"
        "\t*SCENE_TICKSPERFRAME 160\n}\n"
        "*MATERIAL_LIST {\n\t*MATERIAL_COUNT 1\n\t*MATERIAL 0 {\n\t\t*MATERIAL_NAME \"Skin\"\n"
        "\t\t*MATERIAL_CLASS \"Multi/Sub-Object\"\n\t\t*MATERIAL_DIFFUSE 0.5 0.5 0.5\n"
        "\t\t*MATERIAL_XP_TYPE Filter\n\t\t*NUMSUBMTLS 2\n"
        "\t\t*SUBMATERIAL 0 {\n\t\t\t*MATERIAL_NAME \"A\"\n\t\t\t*MATERIAL_CLASS \"Standard\"\n"
        "\t\t\t*MATERIAL_XP_TYPE Filter\n\t\t\t*MAP_DIFFUSE {\n\t\t\t\t*BITMAP \"a.bmp\"\n\t\t\t}\n"
        "\t\t}\n\t\t*SUBMATERIAL 1 {\n\t\t\t*MATERIAL_NAME \"B\"\n\t\t\t*MATERIAL_CLASS "
        "\"Standard\"\n"
        "\t\t\t*MATERIAL_XP_TYPE Filter\n\t\t\t*MAP_DIFFUSE {\n\t\t\t\t*BITMAP \"b.bmp\"\n\t\t\t}\n"
        "\t\t}\n\t}\n}\n";
    t += "*HELPEROBJECT {\n\t*NODE_NAME \"Bip01 Spine\"\n\t*NODE_PARENT \"Bip01\"\n" +
         Tm(0.4f, 0, 0, 10) +
         "\t*TM_ANIMATION {\n\t\t*CONTROL_ROT_TRACK {\n\t\t\t*CONTROL_ROT_SAMPLE 0 0 0 1 0\n"
         "\t\t\t*CONTROL_ROT_SAMPLE 640 0 0 1 0.5\n\t\t\t*CONTROL_ROT_SAMPLE 1280 0 0 1 0.5\n"
         "\t\t}\n\t}\n}\n";
    t += "*HELPEROBJECT {\n\t*NODE_NAME \"Bip01\"\n" + Tm(0, 0, 0, 5) +
         "\t*TM_ANIMATION {\n\t\t*CONTROL_POS_BEZIER {\n"
         "\t\t\t*CONTROL_BEZIER_POS_KEY 0 0 0 5 0 0 0 0 0 0 0\n"
         "\t\t\t*CONTROL_BEZIER_POS_KEY 1280 4 0 5 0 0 0 0 0 0 0\n\t\t}\n\t}\n}\n";
    t += "*GEOMOBJECT {\n\t*NODE_NAME \"Body\"\n\t*NODE_PARENT \"Bip01 Spine\"\n" + Tm(0, 0, 0, 0) +
         "\t*MESH {\n\t\t*MESH_NUMVERTEX 4\n\t\t*MESH_NUMFACES 2\n\t\t*MESH_VERTEX_LIST {\n"
         "\t\t\t*MESH_VERTEX 0 0 0 0\n\t\t\t*MESH_VERTEX 1 1 0 0\n\t\t\t*MESH_VERTEX 2 1 0 1\n"
         "\t\t\t*MESH_VERTEX 3 0 0 1\n\t\t}\n\t\t*MESH_FACE_LIST {\n"
         "\t\t\t*MESH_FACE 0: A: 0 B: 1 C: 2 AB: 1 BC: 1 CA: 0 *MESH_SMOOTHING 1 *MESH_MTLID 0\n"
         "\t\t\t*MESH_FACE 1: A: 0 B: 2 C: 3 AB: 1 BC: 1 CA: 0 *MESH_SMOOTHING  *MESH_MTLID 1\n"
         "\t\t}\n\t\t*MESH_NUMTVERTEX 5\n\t\t*MESH_TVERTLIST {\n\t\t\t*MESH_TVERT 0 0 0 0\n"
         "\t\t\t*MESH_TVERT 1 1 0 0\n\t\t\t*MESH_TVERT 2 1 1 0\n\t\t\t*MESH_TVERT 3 0 1 0\n"
         "\t\t\t*MESH_TVERT 4 0.5 0.5 0\n\t\t}\n\t\t*MESH_NUMTVFACES 2\n\t\t*MESH_TFACELIST {\n"
         "\t\t\t*MESH_TFACE 0 0 1 2\n\t\t\t*MESH_TFACE 1 4 2 3\n\t\t}\n\t}\n"
         "\t*MATERIAL_REF 0\n}\n";
    std::string crlf;
    for (char c : t) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    return crlf;
}

TEST(OrixTool, ArgumentsAndMissingFiles) {
    Result help = Tool("help");
    EXPECT_EQ(help.status, 0);
    for (const char* command : {"convert", "dump", "info", "pose", "device"}) {
        EXPECT_NE(help.out.find(command), std::string::npos) << command;
    }
    EXPECT_EQ(Tool("").status, 2);
    EXPECT_EQ(Tool("frobnicate").status, 2);
    EXPECT_EQ(Tool("convert").status, 2);
    EXPECT_EQ(Tool("info x.ase --flags nine").status, 2);
    EXPECT_EQ(Tool("pose x.ase").status, 2);
    EXPECT_EQ(Tool("convert /nonexistent/a.ase").status, 1);
    EXPECT_EQ(Tool("dump /nonexistent/a.bne").status, 1);
    EXPECT_EQ(Tool("info /nonexistent/a.bne").status, 1);
}

TEST(OrixTool, ConvertedFileLoadsLikeItsText) {
    ScratchDir dir;
    std::string ase = dir.Path("girl.ase"), bne = dir.Path("girl.bne");
    Write(ase, Character());
    ASSERT_EQ(Tool("convert '" + ase + "'").status, 0);  // default name: text name up to '.'

    Result fromText = Tool("info '" + ase + "' --json");
    Result fromBne = Tool("info '" + bne + "' --json");
    ASSERT_EQ(fromText.status, 0);
    ASSERT_EQ(fromBne.status, 0);
    EXPECT_EQ(fromText.out, fromBne.out);
    // Sub-materials stayed under their parent with their own pictures.
    EXPECT_NE(fromText.out.find("\"name\": \"Skin\", \"collision\": false, \"subMaterials\": 2"),
              std::string::npos)
        << fromText.out;
    EXPECT_NE(fromText.out.find("\"parent\": \"Bip01\""), std::string::npos);
    EXPECT_NE(fromText.out.find("\"textures\": [\"a.bmp\", \"b.bmp\"]"), std::string::npos);
    EXPECT_NE(fromText.out.find("\"positions\": 4, \"vertices\": 5"), std::string::npos);

    for (const char* frame : {"first", "3", "5.5"}) {
        Result a = Tool("pose '" + ase + "' --vertices --frame " + frame);
        Result b = Tool("pose '" + bne + "' --vertices --frame " + frame);
        EXPECT_EQ(a.status, 0);
        EXPECT_EQ(a.out, b.out) << frame;
        EXPECT_EQ(std::count(a.out.begin(), a.out.end(), '\n'), 3);
    }
    EXPECT_NE(Tool("pose '" + ase + "' --frame 4").out, Tool("pose '" + ase + "' --frame 0").out);
    EXPECT_EQ(Tool("pose '" + ase + "' --frame 1 --skin '" + dir.Path("none.skn") + "'").status, 1);
    EXPECT_EQ(Tool("pose '" + ase + "' --frame 1 --vue '" + dir.Path("none.vue") + "'").status, 1);

    // The skin moves the mesh's vertices with its bone.
    Write(dir.Path("girl.skn"), "MESH_SKIN_FILE \"Body\"\n\"Bip01\" 4\n0 1 2 3\n");
    Result skinned =
        Tool("pose '" + bne + "' --vertices --frame 8 --skin '" + dir.Path("girl.skn") + "'");
    EXPECT_EQ(skinned.status, 0);
    EXPECT_NE(skinned.out, Tool("pose '" + bne + "' --vertices --frame 8").out);

    Result dump = Tool("dump '" + bne + "'");
    EXPECT_EQ(dump.status, 0);
    EXPECT_NE(dump.out.find("Sub-Material Header"), std::string::npos);
    EXPECT_NE(dump.out.find("File End"), std::string::npos);
}

TEST(OrixTool, LandAsOneMesh) {
    ScratchDir dir;
    std::string ase = dir.Path("land.ase");
    Write(ase, Character());
    ASSERT_EQ(
        Tool("convert '" + ase + "' '" + dir.Path("out.bne") + "' --flags 0 --as mesh").status, 0);
    Result info = Tool("info '" + dir.Path("out.bne") + "' --as mesh --json");
    ASSERT_EQ(info.status, 0);
    EXPECT_EQ(info.out.find("\"meshes\": [{\"name\": \"Body\""), 1u) << info.out;
    EXPECT_NE(info.out.find("\"helpers\": []"), std::string::npos);
}

}  // namespace
