// The orix binary on generated files: arguments, conversion round trip, dump, info, pose.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include <filesystem>

#include "support/picture_files.h"
#include "tools/tool_run.h"

namespace {

using namespace orix_tool_test;
using ScratchDir = orix::test::PictureTempDir;

// A node's transform: turned by angle about the file's z axis, placed at (x, y, z).
std::string Tm(float angle, float x, float y, float z) {
    auto n = [](double v) { return std::to_string(v); };
    const double c = std::cos(angle), s = std::sin(angle);
    return "*NODE_TM {\n*TM_ROW0 " + n(c) + " " + n(s) + " 0\n*TM_ROW1 " + n(-s) + " " + n(c) +
           " 0\n*TM_ROW2 0 0 1\n*TM_ROW3 " + n(x) + " " + n(y) + " " + n(z) +
           "\n*TM_ROTAXIS 0 0 -1\n*TM_ROTANGLE " + n(angle) + "\n*TM_SCALE 1 1 1\n}\n";
}

// A small character: a bone chain listed child first, an animated bone, a textured skin mesh
// with two sub-materials, CR LF line ends.
std::string Character() {
    std::string t =
        "*3DSMAX_ASCIIEXPORT\t200\n*SCENE {\n*SCENE_FIRSTFRAME 0\n*SCENE_LASTFRAME 8\n"
        "*SCENE_TICKSPERFRAME 160\n}\n*MATERIAL_LIST {\n*MATERIAL_COUNT 1\n*MATERIAL 0 {\n"
        "*MATERIAL_NAME \"Skin\"\n*MATERIAL_CLASS \"Multi/Sub-Object\"\n*NUMSUBMTLS 2\n";
    for (std::string m : {"A", "B"}) {
        t += "*SUBMATERIAL " + std::to_string(m[0] - 'A') + " {\n*MATERIAL_NAME \"" + m +
             "\"\n*MATERIAL_CLASS \"Standard\"\n*MAP_DIFFUSE {\n*BITMAP \"" + char(m[0] + 32) +
             ".bmp\"\n}\n}\n";
    }
    t += "}\n}\n*HELPEROBJECT {\n*NODE_NAME \"Bip01 Spine\"\n*NODE_PARENT \"Bip01\"\n" +
         Tm(0.4f, 0, 0, 10) +
         "*TM_ANIMATION {\n*CONTROL_ROT_TRACK {\n*CONTROL_ROT_SAMPLE 0 0 0 1 0\n"
         "*CONTROL_ROT_SAMPLE 640 0 0 1 0.5\n*CONTROL_ROT_SAMPLE 1280 0 0 1 0.5\n}\n}\n}\n";
    t += "*HELPEROBJECT {\n*NODE_NAME \"Bip01\"\n" + Tm(0, 0, 0, 5) +
         "*TM_ANIMATION {\n*CONTROL_POS_BEZIER {\n*CONTROL_BEZIER_POS_KEY 0 0 0 5 0 0 0 0 0 0 0\n"
         "*CONTROL_BEZIER_POS_KEY 1280 4 0 5 0 0 0 0 0 0 0\n}\n}\n}\n";
    t += "*GEOMOBJECT {\n*NODE_NAME \"Body\"\n*NODE_PARENT \"Bip01 Spine\"\n" + Tm(0, 0, 0, 0) +
         "*MESH {\n*MESH_NUMVERTEX 4\n*MESH_NUMFACES 2\n*MESH_VERTEX_LIST {\n*MESH_VERTEX 0 0 0 0\n"
         "*MESH_VERTEX 1 1 0 0\n*MESH_VERTEX 2 1 0 1\n*MESH_VERTEX 3 0 0 1\n}\n*MESH_FACE_LIST {\n"
         "*MESH_FACE 0: A: 0 B: 1 C: 2 AB: 1 BC: 1 CA: 0 *MESH_SMOOTHING 1 *MESH_MTLID 0\n"
         "*MESH_FACE 1: A: 0 B: 2 C: 3 AB: 1 BC: 1 CA: 0 *MESH_SMOOTHING  *MESH_MTLID 1\n}\n"
         "*MESH_NUMTVERTEX 5\n*MESH_TVERTLIST {\n*MESH_TVERT 0 0 0 0\n*MESH_TVERT 1 1 0 0\n"
         "*MESH_TVERT 2 1 1 0\n*MESH_TVERT 3 0 1 0\n*MESH_TVERT 4 0.5 0.5 0\n}\n"
         "*MESH_NUMTVFACES 2\n*MESH_TFACELIST {\n*MESH_TFACE 0 0 1 2\n*MESH_TFACE 1 4 2 3\n}\n}\n"
         "*MATERIAL_REF 0\n}\n";
    std::string crlf;
    for (char c : t) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    return crlf;
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// count materials, the first with subs sub-materials, each with a picture when pictures.
std::string Materials(int count, int subs, bool pictures = false) {
    std::string t = "*MATERIAL_LIST {\n*MATERIAL_COUNT " + std::to_string(count) + "\n";
    for (int i = 0; i < count; ++i) {
        t += "*MATERIAL " + std::to_string(i) + " {\n*MATERIAL_NAME \"M" + std::to_string(i) +
             "\"\n*MATERIAL_CLASS \"Standard\"\n";
        if (pictures)
            t += std::string("*MAP_DIFFUSE {\n*BITMAP \"") +
                 (i == 0 ? "D:\\art\\chrome.bmp" : "E:\\gone.jpg") + "\"\n}\n";
        if (i == 0 && subs > 0) t += "*NUMSUBMTLS " + std::to_string(subs) + "\n";
        for (int k = 0; i == 0 && k < subs; ++k)
            t += "*SUBMATERIAL " + std::to_string(k) + " {\n*MATERIAL_NAME \"S\"\n" +
                 "*MATERIAL_CLASS \"Standard\"\n*MATERIAL_DIFFUSE 0.1 0.2 " + std::to_string(k) +
                 "\n}\n";
        t += "}\n";
    }
    return t + "}\n";
}

// A triangle object at x, with a material reference and a face material id (25 lines).
std::string Triangle(const std::string& name, int x, int material, int faceId,
                     const std::string& y = "0") {
    std::string v = std::to_string(x);
    return "*GEOMOBJECT {\n*NODE_NAME \"" + name + "\"\n" + Tm(0, float(x), 0, 0) +
           "*MESH {\n*MESH_NUMVERTEX 3\n*MESH_NUMFACES 1\n*MESH_VERTEX_LIST {\n*MESH_VERTEX 0 " +
           v + " " + y + " 0\n*MESH_VERTEX 1 " + v + " 1 0\n*MESH_VERTEX 2 " + v + " 0 1\n}\n" +
           "*MESH_FACE_LIST {\n*MESH_FACE 0: A: 0 B: 1 C: 2 AB: 1 BC: 1 CA: 0 *MESH_MTLID " +
           std::to_string(faceId) + "\n}\n}\n*MATERIAL_REF " + std::to_string(material) + "\n}\n";
}

const char kScene[] =
    "*3DSMAX_ASCIIEXPORT\t200\n*SCENE {\n\t*SCENE_FIRSTFRAME 0\n\t*SCENE_LASTFRAME 4\n"
    "\t*SCENE_FRAMESPEED 25\n\t*SCENE_TICKSPERFRAME 192\n}\n";

TEST(OrixTool, ConvertedFileLoadsLikeItsTextOrIsRefused) {
    ScratchDir dir;
    std::string ase = dir.File("girl.ase"), bne = dir.File("girl.bne");
    Write(ase, Character());
    ASSERT_EQ(Tool("convert '" + ase + "'").status, 0);  // default name: text name up to '.'

    Result fromText = Tool("info '" + ase + "' --json");
    EXPECT_EQ(fromText.out, Tool("info '" + bne + "' --json").out);
    // Sub-materials stayed under their parent with their own pictures.
    EXPECT_NE(fromText.out.find("\"name\": \"Skin\", \"collision\": false, \"subMaterials\": 2"),
              std::string::npos)
        << fromText.out;
    EXPECT_NE(fromText.out.find("\"parent\": \"Bip01\""), std::string::npos);
    EXPECT_NE(fromText.out.find("\"textures\": [\"a.bmp\", \"b.bmp\"]"), std::string::npos);
    EXPECT_NE(fromText.out.find("\"positions\": 4, \"vertices\": 5"), std::string::npos);

    EXPECT_EQ(Tool("pose '" + ase + "' --frame last").out,
              Tool("pose '" + ase + "' --frame 8").out);
    for (const char* frame : {"first", "3", "5.5"}) {
        Result a = Tool("pose '" + ase + "' --vertices --frame " + frame);
        Result b = Tool("pose '" + bne + "' --vertices --frame " + frame);
        EXPECT_EQ(a.status, 0);
        EXPECT_EQ(a.out, b.out) << frame;
        EXPECT_EQ(std::count(a.out.begin(), a.out.end(), '\n'), 3);
    }
    EXPECT_NE(Tool("pose '" + ase + "' --frame 4").out, Tool("pose '" + ase + "' --frame 0").out);

    Result dump = Tool("dump '" + bne + "'");
    EXPECT_EQ(dump.status, 0);
    EXPECT_NE(dump.out.find("Sub-Material Header"), std::string::npos);
    EXPECT_NE(dump.out.find("File End"), std::string::npos);

    // A copy of a file with a frame speed, and one that BNE cannot encode.
    ScratchDir copies;
    ase = copies.File("big.ase"), bne = copies.File("big.bne");
    Write(ase, kScene + Materials(1, 15) + Triangle("G", 0, 0, 14));
    ASSERT_EQ(Tool("convert '" + ase + "'").status, 0);
    // The copy stores no frame speed: it comes from the ticks (4800 a second), marked derived.
    std::string text = Tool("info --json " + ase).out, copy = Tool("info --json " + bne).out;
    const std::string speed = "\"frameSpeed\": 25, \"frameSpeedDerived\": ";
    ASSERT_NE(text.find(speed + "false, \"ticksPerFrame\": 192"), std::string::npos);
    EXPECT_EQ(text, copy.replace(copy.find(speed + "true"), speed.size() + 4, speed + "false"));

    // What BNE cannot encode still reads, and convert refuses it keeping the older copy.
    // 256 materials: one past what a material count byte holds.
    Write(ase, kScene + Materials(256, 0) + Triangle("T", 0, 255, 0));
    EXPECT_EQ(Count(Tool("info --json " + ase).out, "\"collision\""), 256u);
    std::string older = ReadAll(bne);
    Result refused = Tool("convert '" + ase + "'", true);
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.out.find("at most 255"), std::string::npos) << refused.out;
    EXPECT_EQ(ReadAll(bne), older);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(copies.Path()),
                            std::filesystem::directory_iterator()),
              2);  // no temporary file left behind
}

TEST(OrixTool, ExitStatusesAndConvertNeverDestroysAFile) {
    ScratchDir dir;
    std::filesystem::create_directory(dir.File("sub.d"));
    for (const char* name : {"a.ase", "b.ase", "sub.d/m"}) Write(dir.File(name), Character());
    // The character's frames run on long past its keys, and past what float time can step.
    auto lasting = [](const char* last) {
        std::string t = Character();
        return t.replace(t.find("LASTFRAME 8") + 10, 1, last);
    };
    Write(dir.File("long.ase"), lasting("3000000"));
    Write(dir.File("endless.ase"), lasting("16777216"));
    Write(dir.File("junk.bne"), "BNE? no: a shopping list\n");
    Write(dir.File("empty.ase"), "*3DSMAX_ASCIIEXPORT 200\n");
    const std::string a = " '" + dir.File("a.ase") + "' ",
                      r = "render" + a + "--out " + dir.File("o") + " ";
    const std::pair<int, std::vector<std::string>> statuses[] = {
        {0,
         {"help", "convert" + a + "'" + dir.File("b.ase") + "'", "convert " + dir.File("sub.d/m")}},
        {1,
         {"convert /nonexistent/a.ase", "dump /nonexistent/a.bne", "info /nonexistent/a.bne",
          "pose" + a + "--frame 1 --skin none.skn", "pose" + a + "--frame 1 --vue none.vue",
          "render /nonexistent/model.ase", "render " + dir.File("junk.bne"),
          r + "--skin /nonexistent/a.skn", "export /nonexistent/a.ase " + dir.File("a.glb"),
          "export " + dir.File("empty.ase") + " " + dir.File("e.glb"),
          "pose " + dir.File("endless.ase") + " --frame 3",
          "export " + dir.File("endless.ase") + " " + dir.File("e.glb")}},
        {2,
         {"",
          "frobnicate",
          "convert",
          "info x.ase --flags nine",
          "pose x.ase",
          "help frobnicate",
          "convert" + a + a,
          "convert" + a + dir.File("x.txt") + " " + dir.File("y.bne"),
          r + "--frame soon",
          r + "--frames 0",
          r + "--frames 3 --turntable 3",
          r + "--size 10x10",
          r + "--as land",
          r + "--frame 5 --frames 2",
          "export",
          "export" + a + "a.obj",
          r + "--frame 8.5",
          "pose" + a + "--frame 8.5",
          "pose" + a + "--frame -1",
          "export" + a + "x.glb --as mesh --vue a.vue",
          r + "--turntable 3600 --size 4096x4096 --sheet " + dir.File("s.png")}}};
    for (const auto& [status, list] : statuses) {
        for (const std::string& args : list) EXPECT_EQ(Tool(args).status, status) << args;
    }
    // Any frame of a long range is a pose: past its keys, the last key's.
    Result last = Tool("pose " + dir.File("long.ase") + " --frame last");
    EXPECT_EQ(last.status, 0);
    EXPECT_EQ(last.out, Tool("pose " + dir.File("long.ase") + " --frame 8").out);
    EXPECT_NE(Tool("pose " + dir.File("endless.ase") + " --frame 3", true).out.find("(2^24)"),
              std::string::npos);
    EXPECT_NE(Tool("pose" + a + "--frame 9", true).out.find("outside the file's frames 0 to 8"),
              std::string::npos);
    EXPECT_EQ(ReadAll(dir.File("a.ase")), Character());
    EXPECT_TRUE(std::filesystem::exists(dir.File("a.bne")) &&
                std::filesystem::exists(dir.File("b.bne")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("sub.d/m.bne")));
    Result help = Tool("help");
    for (const char* command : {"convert", "dump", "info", "pose", "device"})
        EXPECT_NE(help.out.find(command), std::string::npos) << command;
    EXPECT_NE(Tool("info --help").out.find("2  kAseBakePoses, kBneBakePoses"), std::string::npos);
}

// Every option that takes a value says what it needs when the value is missing, at the end of
// the arguments or before another option; a command refused on its arguments writes nothing.
TEST(OrixTool, MissingValuesAreNamedAndRefusedRunsWriteNothing) {
    ScratchDir dir;
    Write(dir.File("a.ase"), Character());
    const std::string a = " '" + dir.File("a.ase") + "' ", out = dir.File("out");
    const std::pair<std::string, std::vector<std::string>> commands[] = {
        {"convert" + a, {"--as", "--flags"}},
        {"info" + a, {"--as", "--flags"}},
        {"pose" + a, {"--frame", "--skin", "--vue", "--flags"}},
        {"export" + a + dir.File("a.glb") + " ", {"--skin", "--vue", "--as", "--flags"}},
        {"view" + a, {"--skin", "--vue", "--as", "--flags"}},
        {"render" + a + "--out " + out + " ",
         {"--skin", "--vue", "--as", "--flags", "--frame", "--frames", "--sheet", "--out"}},
        {"render --out " + out + " ", {"--frames", "--res", "--out"}},
    };
    const std::map<std::string, std::string> needs = {{"--skin", "a file name"},
                                                      {"--vue", "a file name"},
                                                      {"--sheet", "a file name"},
                                                      {"--as", "mesh or character"},
                                                      {"--flags", "a number"},
                                                      {"--frames", "a number"},
                                                      {"--frame", "a frame number, first or last"},
                                                      {"--out", "a folder name"},
                                                      {"--res", "a folder name"}};
    for (const auto& [command, options] : commands) {
        for (const std::string& option : options) {
            for (const char* after : {"", " --no-vue"}) {
                Result r = Tool(command + option + after, true);
                EXPECT_EQ(r.status, 2) << command << option << after;
                EXPECT_NE(r.out.find(option + " needs " + needs.at(option)), std::string::npos)
                    << r.out;
            }
        }
    }
    const std::tuple<std::string, int, std::string> refused[] = {
        {"device set abc", 2, "abc is no driver number"},
        {"device set 4000", 1, "no driver 4000"},
        {"info" + a + "--skin a.skn", 2, "unknown option --skin"},
        {"export" + a + "x.glb --as land", 2, "--as takes mesh or character, not land"},
        {"render" + a + "--out " + out + " --sheet " + dir.File("s.jpg"), 2, "must end in .png"},
        {"render" + a + "--out " + out + " --frame soon", 2, "bad --frame soon"},
        {"render /nonexistent/m.ase --out " + out, 1, "cannot open"},
        {"info" + a + "--as character", 0, "1 meshes, 2 helpers"}};
    for (const auto& [args, status, message] : refused) {
        Result r = Tool(args, true);
        EXPECT_EQ(r.status, status) << args;
        EXPECT_NE(r.out.find(message), std::string::npos) << r.out;
    }
    // Only the model: no output folder, sheet, copy or export.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(OrixTool, OutcomesPicturesAndNamesAreHonest) {
    ScratchDir dir;
    // Files that are no export: exit 1 and nothing written.
    for (const char* body : {"", "just some notes\nabout a model\n", "*COMMENT \"nothing\"\n"}) {
        Write(dir.File("x.ase"), body);
        Result info = Tool("info '" + dir.File("x.ase") + "'", true);
        EXPECT_EQ(info.status, 1) << body;
        EXPECT_NE(info.out.find("is not a"), std::string::npos) << info.out;
        EXPECT_EQ(Tool("convert '" + dir.File("x.ase") + "'").status, 1);
        EXPECT_FALSE(std::filesystem::exists(dir.File("x.bne")));
    }
    // UTF-16 in both byte orders reads as its text does, whatever the file's name; a name
    // beyond ASCII (a surrogate pair included) arrives as UTF-8.
    std::string ascii = Character(), le = "\xFF\xFE", be = "\xFE\xFF";
    std::u16string name = u"*HELPEROBJECT {\n*NODE_NAME \"Zo\u00e9 \U0001F600\"\n}\n";
    for (char16_t c : std::u16string(ascii.begin(), ascii.end()) + name) {
        le += std::string{char(c & 0xFF), char(c >> 8)};
        be += std::string{char(c >> 8), char(c & 0xFF)};
    }
    Write(dir.File("c.ase"),
          ascii + "*HELPEROBJECT {\n*NODE_NAME \"Zo\xC3\xA9 \xF0\x9F\x98\x80\"\n}\n");
    Write(dir.File("le.txt"), le);
    Write(dir.File("be.ase"), be);
    const std::string reference = Tool("info --json " + dir.File("c.ase")).out;
    EXPECT_EQ(reference, Tool("info --json " + dir.File("le.txt")).out);
    EXPECT_EQ(reference, Tool("info --json " + dir.File("be.ase")).out);

    // A block that never closes: what came before stays, the tool says where and what went.
    Write(dir.File("open.ase"),
          kScene + Triangle("A", 0, 0, 0) + Triangle("B", 1, 0, 0) +
              "*GEOMOBJECT {\n\t*NODE_NAME \"Open\"\n\t*MESH {\n\t\t*MESH_VERTEX_LIST {\n"
              "\t\t\t*MESH_VERTEX 0 50 0 0\n");
    Result open = Tool("info --json " + dir.File("open.ase"), true);
    EXPECT_EQ(open.status, 0);
    EXPECT_EQ(Count(open.out, "\"kind\": \"mesh\""), 2u);
    const size_t line = 7 + 2 * 25 + 1;  // the scene's lines, two objects', then the open one
    EXPECT_EQ(Count(open.out, "(in the *GEOMOBJECT of line " + std::to_string(line) +
                                  "); geometry object \\\"Open\\\" dropped"),
              1u)
        << open.out;  // in the JSON; stderr has it unescaped
    EXPECT_NE(open.out.find("line " + std::to_string(line + 3) +
                            ": *MESH_VERTEX_LIST block never closes"),
              std::string::npos);
    // Nodes turned either way about the file's x axis are no mirrors; one with a flipped row is.
    auto withRows = [](std::string object, const std::string& rows) {
        size_t from = object.find("*TM_ROW0"), to = object.find("*TM_ROW3");
        return object.replace(from, to - from, rows);
    };
    std::string turned = withRows(Triangle("Up", 2, 0, 0),
                                  "*TM_ROW0 1 0 0\n*TM_ROW1 0 0.921 0.389\n"
                                  "*TM_ROW2 0 -0.389 0.921\n") +
                         withRows(Triangle("Down", 4, 0, 0),
                                  "*TM_ROW0 1 0 0\n*TM_ROW1 0 0.921 -0.389\n"
                                  "*TM_ROW2 0 0.389 0.921\n");
    std::string mirror =
        withRows(Triangle("Mirror", 3, 0, 0), "*TM_ROW0 -1 0 0\n*TM_ROW1 0 1 0\n*TM_ROW2 0 0 1\n");
    Write(dir.File("m.ase"), kScene + turned + mirror);
    Result mirrored = Tool("info --json " + dir.File("m.ase"), true);
    EXPECT_EQ(Count(mirrored.out, "is mirrored"), 2u) << mirrored.out;  // JSON and stderr
    EXPECT_EQ(Count(mirrored.out, "\"Mirror\\\" is mirrored"), 1u) << mirrored.out;

    // Pictures and names as users have them.
    orix::test::BmpSpec bmp;
    bmp.width = bmp.height = 2;
    bmp.pixels.assign(16, 0x80);
    orix::test::WriteBytes(dir.File("chrome.bmp"), orix::test::MakeBmp(bmp));
    // A Windows path found by its base name beside the model, a missing picture named by two
    // materials reported once, a name in another code page and a vertex that is no number.
    Write(dir.File("p.ase"), kScene + Materials(3, 0, true) + Triangle("Box\xE9", 0, 0, 0, "nan"));
    Result info = Tool("info --json " + dir.File("p.ase"), true);
    EXPECT_EQ(info.status, 0);
    // The one warning: on stderr as it is, in the JSON escaped.
    EXPECT_EQ(Count(info.out, "not found"), 2u) << info.out;
    EXPECT_EQ(Count(info.out, "picture \"E:\\gone.jpg\" not found"), 1u);
    EXPECT_EQ(info.out.find("Can't Load"), std::string::npos);
    EXPECT_NE(info.out.find("\"Box\xC3\xA9\""), std::string::npos);  // Latin-1 as UTF-8
    // Names with control bytes, a NUL, a C1 control and a byte that is no UTF-8 print escaped
    // and whole: in the text output, the load's warnings and a picture's own message.
    const std::string hostile = std::string("Esc\x1b[31m\0Nul\xC2\x85\xFF", 15);
    Write(dir.File("bad\x1b.jpg"), "no JPEG");
    Write(dir.File("esc.ase"), std::string(kScene) +
                                   "*MATERIAL_LIST {\n*MATERIAL_COUNT 1\n*MATERIAL 0 {\n"
                                   "*MAP_DIFFUSE {\n*BITMAP \"bad\x1b.jpg\"\n}\n}\n}\n" +
                                   withRows(Triangle(hostile, 0, 0, 0),
                                            "*TM_ROW0 -1 0 0\n*TM_ROW1 0 1 0\n*TM_ROW2 0 0 1\n"));
    Result escaped = Tool("info " + dir.File("esc.ase"), true);
    EXPECT_EQ(escaped.status, 0);
    EXPECT_EQ(escaped.out.find_first_of(std::string("\x1b\0", 2)), std::string::npos);
    const std::string shown = "\"Esc\\x1b[31m\\x00Nul\\xc2\\x85\\xff\"";
    EXPECT_EQ(Count(escaped.out, "mesh " + shown), 1u) << escaped.out;
    EXPECT_EQ(Count(escaped.out, "node " + shown + " is mirrored"), 2u);  // stderr and stdout
    EXPECT_EQ(Count(escaped.out, "bad\\x1b.jpg: Not a JPEG file"), 1u);
    // Strict JSON: UTF-8, and no NaN where the vertex was none.
    Result json = Shell("ORIX_OFFSCREEN=1 " ORIX_TOOL_PATH " info --json " + dir.File("p.ase") +
                        " | python3 -c 'import json,sys; json.loads(sys.stdin.buffer.read()"
                        ".decode(\"utf-8\"), parse_constant=int)'");
    EXPECT_EQ(json.status, 0);
}

}  // namespace
