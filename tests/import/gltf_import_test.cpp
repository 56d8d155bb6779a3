// glTF import through the orix tool: the demonstration's models exported and converted back
// pose as the originals; glTF files written here with the shapes found in the wild pose as this
// test's own evaluation says; hostile files end in exit 1 with a message naming the file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

struct ToolRun {
    int status;
    std::string out, err;
};

class ImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("orix_import_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    ToolRun Orix(const std::string& args) {
        std::string out = (dir_ / "stdout").string(), err = (dir_ / "stderr").string();
        std::string cmd = "cd '" + dir_.string() + "' && '" + ORIX_TOOL_PATH + "' " + args + " >'" +
                          out + "' 2>'" + err + "'";
        int status = std::system(cmd.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Read(out), Read(err)};
    }
    static std::string Read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void Write(const std::string& name, const std::string& text) {
        fs::create_directories((dir_ / name).parent_path());
        std::ofstream(dir_ / name, std::ios::binary) << text;
    }
    // Every node's pose at frame: name -> the pose's JSON.
    std::map<std::string, json> Pose(const std::string& args, const std::string& frame) {
        ToolRun r = Orix("pose " + args + " --vertices --frame " + frame);
        EXPECT_EQ(r.status, 0) << r.err;
        std::map<std::string, json> nodes;
        size_t at = 0;
        while (at < r.out.size()) {
            size_t end = r.out.find('\n', at);
            json j = json::parse(r.out.substr(at, end - at));
            nodes[j["name"]] = j;
            at = end == std::string::npos ? r.out.size() : end + 1;
        }
        return nodes;
    }
    fs::path dir_;
};

double Farthest(const json& a, const json& b) {
    // Each vertex of a to its nearest in b: the two files may number them differently.
    double worst = 0.0;
    for (const json& p : a) {
        double best = 1e30;
        for (const json& q : b) {
            double d = 0.0;
            for (int i = 0; i < 3; ++i)
                d = std::max(d, std::fabs(p[i].get<double>() - q[i].get<double>()));
            best = std::min(best, d);
        }
        worst = std::max(worst, best);
    }
    return worst;
}

TEST_F(ImportTest, DemonstrationModelsComeBackAsTheyPose) {
    struct Case {
        const char* model;
        const char* extra;  // the original's options
        const char* frames[3];
        double size;
    };
    for (const Case& c : {Case{"girl-t.bne", "--skin girl.skn", {"0", "40", "80"}, 58.7},
                          Case{"gland.bne", "", {"0", "0", "0"}, 1.0}}) {
        for (const char* f : {"girl-t.bne", "girl.skn", "girl.jpg", "gland.bne", "gland.bmp"})
            fs::copy_file(fs::path(ORIX_RES_DIR) / f, dir_ / f,
                          fs::copy_options::overwrite_existing);
        std::string base = fs::path(c.model).stem().string() + "-rt";
        ASSERT_EQ(
            Orix(std::string("export ") + c.model + " " + c.extra + " " + base + ".glb").status, 0);
        ToolRun converted = Orix("convert " + base + ".glb");
        ASSERT_EQ(converted.status, 0) << converted.err;
        std::string skin = fs::exists(dir_ / (base + ".skn")) ? " --skin " + base + ".skn" : "";
        for (const char* frame : c.frames) {
            auto original = Pose(std::string(c.model) + " " + c.extra, frame);
            auto back = Pose(base + ".bne" + skin, frame);
            auto direct = Pose(base + ".glb", frame);
            for (const auto& [name, pose] : original) {
                ASSERT_TRUE(back.count(name)) << name;
                for (int i = 0; i < 16; ++i)
                    EXPECT_NEAR(pose["world"][i].get<double>(),
                                back[name]["world"][i].get<double>(), 1e-4 * c.size)
                        << c.model << " " << name << " frame " << frame;
                EXPECT_EQ(back[name].dump(), direct[name].dump()) << "direct load of " << name;
                if (pose.contains("vertices") && !skin.empty()) {
                    EXPECT_LT(Farthest(pose["vertices"], back[name]["vertices"]), 1e-3) << name;
                }
            }
        }
    }
}

// A glTF of two triangles as a strip, used by two nodes (one scaled, with a 24 fps animation),
// with the names the wild has; its buffer is a data URI.
std::string ShapesGltf() {
    // 4 positions (48 bytes), 4 texture coordinates (32 bytes), 2 key times, 2 translations.
    std::vector<float> numbers = {0, 0, 0, 1,  0, 0, 0, 1, 0, 1, 1, 0,  //
                                  0, 0, 1, 0,  0, 1, 1, 1,              //
                                  0, 1,                                 //
                                  0, 0, 0, 24, 0, 0};
    std::string bytes(reinterpret_cast<const char*>(numbers.data()), numbers.size() * 4);
    static const char* kB64 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string b64;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        size_t n = std::min<size_t>(3, bytes.size() - i);
        uint32_t v = 0;
        for (size_t k = 0; k < 3; ++k) v = v << 8 | (k < n ? uint8_t(bytes[i + k]) : 0);
        for (size_t k = 0; k < 4; ++k) b64 += k <= n ? kB64[(v >> (18 - 6 * k)) & 63] : '=';
    }
    json g = {
        {"asset", {{"version", "2.0"}}},
        {"scene", 0},
        {"scenes", {{{"nodes", {0, 1, 2}}}}},
        {"nodes",
         {{{"name", "wall piece"}, {"mesh", 0}},
          {{"name", "wall piece"}, {"mesh", 0}, {"scale", {2, 2, 2}}, {"translation", {0, 0, 5}}},
          {{"name", "Größe"}}}},
        {"meshes",
         {{{"primitives",
            {{{"attributes", {{"POSITION", 0}, {"TEXCOORD_0", 1}}},
              {"mode", 5},
              {"material", 0}}}}}}},
        {"materials",
         {{{"name", "red"}, {"pbrMetallicRoughness", {{"baseColorFactor", {1, 0, 0, 1}}}}}}},
        {"buffers",
         {{{"byteLength", bytes.size()}, {"uri", "data:application/octet-stream;base64," + b64}}}},
        {"bufferViews", {{{"buffer", 0}, {"byteLength", bytes.size()}}}},
        {"accessors",
         {{{"bufferView", 0},
           {"componentType", 5126},
           {"count", 4},
           {"type", "VEC3"},
           {"min", {0, 0, 0}},
           {"max", {1, 1, 0}}},
          {{"bufferView", 0},
           {"byteOffset", 48},
           {"componentType", 5126},
           {"count", 4},
           {"type", "VEC2"}},
          {{"bufferView", 0},
           {"byteOffset", 80},
           {"componentType", 5126},
           {"count", 2},
           {"type", "SCALAR"},
           {"min", {0}},
           {"max", {1}}},
          {{"bufferView", 0},
           {"byteOffset", 88},
           {"componentType", 5126},
           {"count", 2},
           {"type", "VEC3"}}}},
        {"animations",
         {{{"name", "slide"},
           {"samplers", {{{"input", 2}, {"output", 3}}}},
           {"channels", {{{"sampler", 0}, {"target", {{"node", 2}, {"path", "translation"}}}}}}}}},
    };
    return g.dump();
}

TEST_F(ImportTest, ShapesFromTheWildPoseAsTheFileSays) {
    Write("shapes.gltf", ShapesGltf());
    ToolRun converted = Orix("convert shapes.gltf");
    ASSERT_EQ(converted.status, 0) << converted.err;
    EXPECT_NE(converted.err.find("renamed \"wall piece 2\""), std::string::npos) << converted.err;
    // One second of keys at 30 frames a second: frames 0 to 30, the file's own speed.
    for (std::string file : {"shapes.bne", "shapes.gltf"}) {
        auto at = Pose(file, "15");
        ASSERT_EQ(at.size(), 3u) << file;
        EXPECT_NEAR(at["Größe"]["world"][12].get<double>(), 12.0, 1e-4);  // half of 24
        // The strip's two triangles, the copy scaled by 2 and moved to glTF z 5 (engine -5).
        ASSERT_EQ(at["wall piece"]["vertices"].size(), 4u);
        ASSERT_EQ(at["wall piece 2"]["vertices"].size(), 4u);
        EXPECT_NEAR(at["wall piece 2"]["world"][14].get<double>(), -5.0, 1e-5);
        double maxX = 0.0;
        for (const json& v : at["wall piece 2"]["vertices"])
            maxX = std::max(maxX, v[0].get<double>());
        EXPECT_NEAR(maxX, 2.0, 1e-5);
    }
    ToolRun info = Orix("info shapes.gltf");
    EXPECT_NE(info.out.find("animation 0 slide (loaded)"), std::string::npos) << info.out;
}

TEST_F(ImportTest, HostileFilesEndInAMessage) {
    std::string good = ShapesGltf();
    auto with = [&](const std::string& from, const std::string& to) {
        std::string s = good;
        size_t at = s.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? s : s.replace(at, from.size(), to);
    };
    const struct {
        const char* name;
        std::string text;
        const char* says;
    } cases[] = {
        {"empty.gltf", "", "is not"},
        {"index.gltf", with("\"POSITION\":0", "\"POSITION\":9"), "accessor 9"},
        {"count.gltf", with("\"count\":4,", "\"count\":400000,"), "reach past"},
        {"missing.gltf", with("data:application/octet-stream;base64,", "gone.bin#"), "gone.bin"},
        {"cycle.gltf", with("{\"name\":\"Größe\"}", "{\"name\":\"Größe\",\"children\":[2]}"),
         "own child"},
        {"draco.gltf",
         with("\"asset\":", "\"extensionsRequired\":[\"KHR_draco_mesh_compression\"],\"asset\":"),
         "Draco"},
        {"inf.gltf", with("\"scale\":[2,2,2]", "\"scale\":[2,1e999,2]"), ""},
    };
    for (const auto& c : cases) {
        Write(c.name, c.text);
        ToolRun r = Orix(std::string("convert ") + c.name);
        EXPECT_EQ(r.status, 1) << c.name << ": " << r.err;
        EXPECT_NE(r.err.find(c.name), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.name << ": " << r.err;
        EXPECT_FALSE(fs::exists(dir_ / (fs::path(c.name).stem().string() + ".bne")));
    }
}

}  // namespace
