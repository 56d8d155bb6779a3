// orix render on models the test writes: framing at several sizes and scales, turntable,
// animation, contact sheet, pictures there and missing; and the demonstration on each driver and
// without its files.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/picture_files.h"
#include "tools/tool_run.h"

namespace {

namespace fs = std::filesystem;

// A PNG file's pixels; none when it cannot be read.
struct Picture {
    explicit Picture(const std::string& path) {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_file(&image, path.c_str())) return;
        image.format = PNG_FORMAT_RGB;
        rgb.resize(PNG_IMAGE_SIZE(image));
        if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) rgb.clear();
        width = rgb.empty() ? 0 : int(image.width);
        height = rgb.empty() ? 0 : int(image.height);
    }
    uint32_t At(int x, int y) const {
        const uint8_t* p = &rgb[(size_t(y) * width + x) * 3];
        return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
};

// The share of pixels unlike the corner's background and their centre, in picture fractions.
struct Coverage {
    double share = 0, cx = 0, cy = 0;
};

Coverage Measure(const Picture& p) {
    Coverage c;
    const uint32_t background = p.At(0, 0);
    size_t n = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            if (p.At(x, y) != background) ++n, c.cx += x, c.cy += y;
    if (n == 0) return c;
    c.share = double(n) / (double(p.width) * p.height);
    c.cx = c.cx / double(n) / p.width;
    c.cy = c.cy / double(n) / p.height;
    return c;
}

// Mean absolute difference of two pictures' channels, 0 to 255.
double Difference(const Picture& a, const Picture& b) {
    if (a.rgb.size() != b.rgb.size() || a.rgb.empty()) return 255.0;
    double sum = 0;
    for (size_t i = 0; i < a.rgb.size(); ++i) sum += std::abs(int(a.rgb[i]) - int(b.rgb[i]));
    return sum / double(a.rgb.size());
}

using namespace orix_tool_test;
using Scratch = orix::test::PictureTempDir;

// A box of half size h around (x, y, z) in the modelling tool's z-up space, its material
// showing picture when one is named, length times longer along x; with bone set, skinned to a
// helper that turns it.
const std::string kStill =
    "*NODE_TM {\n*TM_ROW0 1 0 0\n*TM_ROW1 0 1 0\n*TM_ROW2 0 0 1\n*TM_ROW3 0 0 0\n}\n";

std::string Box(double x, double y, double z, double h, const std::string& picture = "",
                bool bone = false, double length = 1.0) {
    std::string t =
        "*3DSMAX_ASCIIEXPORT 200\n*SCENE {\n*SCENE_FIRSTFRAME 0\n"
        "*SCENE_LASTFRAME 10\n*SCENE_FRAMESPEED 30\n*SCENE_TICKSPERFRAME 160\n}\n"
        "*MATERIAL_LIST {\n*MATERIAL_COUNT 1\n*MATERIAL 0 {\n*MATERIAL_NAME \"M\"\n"
        "*MATERIAL_CLASS \"Standard\"\n*MATERIAL_DIFFUSE 0.8 0.6 0.3\n";
    if (!picture.empty()) t += "*MAP_DIFFUSE {\n*BITMAP \"" + picture + "\"\n}\n";
    t += "}\n}\n";
    if (bone) {
        t += "*HELPEROBJECT {\n*NODE_NAME \"Bip01\"\n" + kStill +
             "*TM_ANIMATION {\n*CONTROL_ROT_TRACK {\n*CONTROL_ROT_SAMPLE 0 0 0 1 0\n"
             "*CONTROL_ROT_SAMPLE 800 0 0 1 1.2\n*CONTROL_ROT_SAMPLE 1600 0 0 1 1.2\n}\n}\n}\n";
    }
    t += "*GEOMOBJECT {\n*NODE_NAME \"Body\"\n" + kStill +
         "*MESH {\n*MESH_NUMVERTEX 8\n*MESH_NUMFACES 12\n*MESH_VERTEX_LIST {\n";
    char line[200];
    for (int i = 0; i < 8; ++i) {
        std::snprintf(line, sizeof line, "*MESH_VERTEX %d %.9g %.9g %.9g\n", i,
                      x + (i & 1 ? h : -h) * length, y + (i & 2 ? h : -h), z + (i & 4 ? h : -h));
        t += line;
    }
    t += "}\n*MESH_FACE_LIST {\n";
    static const int kFaces[12][3] = {{0, 2, 1}, {1, 2, 3}, {4, 5, 6}, {5, 7, 6},
                                      {0, 1, 4}, {1, 5, 4}, {2, 6, 3}, {3, 6, 7},
                                      {0, 4, 2}, {2, 4, 6}, {1, 3, 5}, {3, 7, 5}};
    for (int f = 0; f < 12; ++f) {
        std::snprintf(line, sizeof line, "*MESH_FACE %d: A: %d B: %d C: %d *MESH_MTLID 0\n", f,
                      kFaces[f][0], kFaces[f][1], kFaces[f][2]);
        t += line;
    }
    t += "}\n}\n*MATERIAL_REF 0\n}\n";
    return t;
}

TEST(RenderModel, FramesEveryModelAtEverySize) {
    Scratch dir;
    Write(dir.File("box.ase"), Box(0, 0, 0, 10));
    Write(dir.File("far.ase"), Box(40000, -25000, 9000, 30));
    Write(dir.File("tiny.ase"), Box(0.5, 0.25, 0, 0.002));
    Write(dir.File("huge.ase"), Box(0, 0, 0, 200000));
    Write(dir.File("land.ase"), Box(100, 100, -5, 300));
    ASSERT_EQ(Tool("convert " + dir.File("land.ase") + " " + dir.File("land.bne")).status, 0);
    const char* models[] = {"box.ase", "far.ase", "tiny.ase", "huge.ase", "land.bne --as mesh"};
    const char* sizes[] = {"320x240", "160x280", "200x200"};
    for (const char* model : models) {
        for (const char* size : sizes) {
            SCOPED_TRACE(std::string(model) + " at " + size);
            fs::remove_all(dir.File("out"));
            Result r = Tool("render " + dir.File(model) + " --frame first --size " + size +
                                " --out " + dir.File("out"),
                            true);
            ASSERT_EQ(r.status, 0) << r.out;
            Picture p(dir.File("out/frame-0000.png"));
            ASSERT_EQ(std::to_string(p.width) + "x" + std::to_string(p.height), size);
            Coverage c = Measure(p);
            EXPECT_GT(c.share, 0.05);
            EXPECT_LT(c.share, 0.80);
            EXPECT_NEAR(c.cx, 0.5, 0.12);
            EXPECT_NEAR(c.cy, 0.5, 0.12);
        }
    }
}

TEST(RenderModel, AnimationTurntableAndSheet) {
    Scratch dir;
    Write(dir.File("walker.ase"), Box(0, 0, 30, 10, "", true, 3.0));
    // Found beside the model under its name, in another case.
    Write(dir.File("walker.SKN"), "MESH_SKIN_FILE \"Body\"\n\"Bip01\" 8\n1 2 3 4 5 6 7 8\n");
    const std::string model = "render " + dir.File("walker.ase") + " --size 160x120 --out ";

    Result r = Tool(
        model + dir.File("anim") + " --frames 11 --every 5 --sheet " + dir.File("sheet.png"), true);
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("walker.SKN found beside the model"), std::string::npos) << r.out;
    // Every fifth frame of the file, named by its frame; the animation moves the pixels.
    EXPECT_FALSE(fs::exists(dir.File("anim/frame-0001.png")));
    Picture f0(dir.File("anim/frame-0000.png"));
    Picture f5(dir.File("anim/frame-0005.png"));
    Picture f10(dir.File("anim/frame-0010.png"));
    EXPECT_GT(Difference(f0, f5), 1.0);
    EXPECT_GT(Difference(f0, f10), 1.0);
    // Three pictures: two columns, two rows, each with its label strip.
    Picture sheet(dir.File("sheet.png"));
    EXPECT_EQ(sheet.width, 2 * 160);
    EXPECT_EQ(sheet.height, 2 * (120 + 16));

    // The grid only when asked, around the model and under it; the model hides the grid behind
    // it, its own pixels staying as they were.
    ASSERT_EQ(Tool(model + dir.File("grid") + " --grid").status, 0);
    Picture g(dir.File("grid/frame-0000.png"));
    Coverage bare = Measure(f0), gridded = Measure(g);
    EXPECT_GT(gridded.share, bare.share + 0.05);
    EXPECT_GT(gridded.cy, bare.cy);
    size_t shown = 0, covered = 0;
    for (int i = 0; i < f0.width * f0.height; ++i) {
        const int x = i % f0.width, y = i / f0.width;
        shown += f0.At(x, y) != f0.At(0, 0);
        covered += f0.At(x, y) != f0.At(0, 0) && g.At(x, y) != f0.At(x, y);
    }
    EXPECT_LT(covered, shown / 50);

    ASSERT_EQ(Tool(model + dir.File("turn") + " --turntable 24").status, 0);
    std::vector<Picture> turn;
    for (int i = 1; i <= 24; ++i)
        turn.emplace_back(
            dir.File((i < 10 ? "turn/turn-00" : "turn/turn-0") + std::to_string(i) + ".png"));
    for (size_t i = 1; i < turn.size(); ++i) EXPECT_GT(Difference(turn[i - 1], turn[i]), 0.5) << i;
    // Once round: the last picture is one step short of the first, a quarter turn far from it.
    EXPECT_LT(Difference(turn.front(), turn.back()), Difference(turn.front(), turn[6]));
    EXPECT_LT(Difference(turn.front(), turn.back()), 1.5 * Difference(turn.front(), turn[1]));
}

uint8_t Channel(uint32_t rgb, int k) {
    return uint8_t(rgb >> (16 - 8 * k));
}

// The mean colour of the pixels unlike the corner's background, 0 to 255 a channel.
std::array<double, 3> ModelColour(const Picture& p) {
    std::array<double, 3> sum{};
    size_t n = 0;
    for (int i = 0; i < p.width * p.height; ++i) {
        const uint32_t c = p.At(i % p.width, i / p.width);
        n += c != p.At(0, 0);
        for (int k = 0; k < 3 && c != p.At(0, 0); ++k) sum[size_t(k)] += Channel(c, k);
    }
    for (double& v : sum) v = n ? v / double(n) : 0.0;
    return sum;
}

// TGA and PNG pictures on a white material show their own colours, alpha or not; a picture
// missing or unreadable on a black material (exporters leave the colour to the picture) shows
// the model lit in grey, and the warning stays.
TEST(RenderModel, PicturesShowTheirColoursAndMissingOnesAGreyStandIn) {
    using orix::test::MakePng;
    using orix::test::MakeTga;
    Scratch dir;
    auto uniform = [](uint32_t rgb) {
        std::vector<uint8_t> rgba;
        for (int i = 0; i < 4; ++i)
            rgba.insert(rgba.end(), {Channel(rgb, 0), Channel(rgb, 1), Channel(rgb, 2), 100});
        return rgba;
    };
    std::vector<uint8_t> cut = MakePng(2, 2, uniform(0x010203), false);
    cut.resize(cut.size() / 2);
    const struct {
        const char* picture;
        std::vector<uint8_t> bytes;  // none: no file
        uint32_t shows;
        const char* warning;
    } cases[] = {
        {"plain.tga", MakeTga(2, 2, uniform(0xC82828), 32, false), 0xC82828, nullptr},
        {"packed.tga", MakeTga(2, 2, uniform(0x28C828), 32, true), 0x28C828, nullptr},
        {"picture.png", MakePng(2, 2, uniform(0x2828C8), true), 0x2828C8, nullptr},
        {"missing.tga", {}, 0xC8C8C8, "picture \"missing.tga\" not found"},
        {"broken.png", cut, 0xC8C8C8, "Can't Load texture. : broken.png"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.picture);
        if (!c.bytes.empty()) orix::test::WriteBytes(dir.File(c.picture), c.bytes);
        std::string model = Box(0, 0, 0, 10, c.picture);
        model.replace(model.find("0.8 0.6 0.3"), 11, c.warning ? "0 0 0" : "1 1 1");
        Write(dir.File("model.ase"), model);
        Result r = Tool(
            "render " + dir.File("model.ase") + " --size 160x120 --out " + dir.File("out"), true);
        ASSERT_EQ(r.status, 0) << r.out;
        const std::string said = c.warning ? c.warning : c.picture;
        EXPECT_EQ(r.out.find(said) != std::string::npos, c.warning != nullptr) << r.out;
        // The light scales every channel alike: the hue is the picture's (or the grey's).
        const std::array<double, 3> seen = ModelColour(Picture(dir.File("out/frame-0000.png")));
        const double top = *std::max_element(seen.begin(), seen.end());
        EXPECT_GT(top, 90.0);
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(seen[size_t(k)] / top, Channel(c.shows, k) / 200.0, 0.06) << k;
    }
}

// Every driver of the device list draws the demonstration as the primary display does (all of
// them are one rasteriser here); past the list it fails.
TEST(OrixRender, EveryListedDriverDrawsThePrimaryDisplaysFrames) {
    Scratch dir;
    setenv("ORIX_PROFILE", dir.File("profile.ini").c_str(), 1);
    auto render = [&](int n) {
        const std::string d = std::to_string(n);
        return Tool("render --frames 3 --out " + dir.File("d" + d) + " --driver " + d, true);
    };
    auto frame = [&](int n) {
        return ReadAll(dir.File("d" + std::to_string(n) + "/frame-0003.png"));
    };
    ASSERT_EQ(render(0).status, 0);
    const std::string primary = frame(0);
    ASSERT_FALSE(primary.empty());
    int n = 1;
    Result r;
    for (; n < 16 && (r = render(n)).status == 0; ++n) EXPECT_TRUE(frame(n) == primary) << n;
    EXPECT_NE(r.out.find("no driver " + std::to_string(n)), std::string::npos) << r.out;
}

// The demonstration without a file it needs fails naming it, and leaves no output folder; no
// run of the tool writes a log (debug.txt) where it reads or writes.
TEST(OrixRender, AMissingFileFailsTheDemoAndNoRunLeavesALog) {
    Scratch dir;
    const fs::path res = ORIX_RES_DIR;
    ASSERT_TRUE(fs::exists(res / "vireo.jpg"));
    for (const std::string missing : {"vireo.jpg", "girl-t.bne", "girl.skn", ""}) {
        SCOPED_TRACE(missing);
        const fs::path copy = dir.File("res-" + missing), out = dir.File("out-" + missing);
        fs::create_directory(copy);
        for (const fs::directory_entry& e : fs::directory_iterator(res)) {
            const std::string name = e.path().filename().string();
            if (name != missing && name != "debug.txt") fs::create_symlink(e.path(), copy / name);
        }
        Result r =
            Tool("render --frames 1 --res " + copy.string() + " --out " + out.string(), true);
        EXPECT_EQ(r.status, missing.empty() ? 0 : 1) << r.out;
        EXPECT_NE(r.out.find(missing), std::string::npos) << r.out;
        EXPECT_EQ(fs::exists(out), missing.empty());
        EXPECT_FALSE(fs::exists(copy / "debug.txt") || fs::exists(out / "debug.txt"));
    }
    ASSERT_EQ(Tool("render --scene fountain --frames 1 --out " + dir.File("f")).status, 0);
    EXPECT_FALSE(fs::exists(dir.File("f/debug.txt")));
}

}  // namespace
