// glTF import through the orix tool: the demonstration's models exported and converted back
// pose as the originals; glTF files written here with the shapes found in the wild pose as this
// test's own evaluation says; hostile files end in exit 1 with a message naming the file.
#include <gtest/gtest.h>
#include <png.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/picture_files.h"

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

public:
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

protected:
    fs::path dir_;
};

// Of two vertex lists, the farthest any one lies from its nearest in the other, found through a
// grid of cells so that large meshes compare quickly.
double Mismatch(const std::vector<std::array<double, 3>>& a,
                const std::vector<std::array<double, 3>>& b) {
    auto one = [](const std::vector<std::array<double, 3>>& from,
                  const std::vector<std::array<double, 3>>& to) {
        constexpr double kCell = 0.01;
        auto key = [](double x, double y, double z) {
            return std::array<long, 3>{long(std::floor(x / kCell)), long(std::floor(y / kCell)),
                                       long(std::floor(z / kCell))};
        };
        std::map<std::array<long, 3>, std::vector<size_t>> cells;
        for (size_t i = 0; i < to.size(); ++i)
            cells[key(to[i][0], to[i][1], to[i][2])].push_back(i);
        double worst = 0.0;
        for (const auto& p : from) {
            double best = kCell;  // no neighbour within a cell: as far as this measure goes
            const auto c = key(p[0], p[1], p[2]);
            for (long dx = -1; dx <= 1; ++dx)
                for (long dy = -1; dy <= 1; ++dy)
                    for (long dz = -1; dz <= 1; ++dz) {
                        auto found = cells.find({c[0] + dx, c[1] + dy, c[2] + dz});
                        if (found == cells.end()) continue;
                        for (size_t i : found->second) {
                            double d = 0;
                            for (int k = 0; k < 3; ++k)
                                d = std::max(d, std::fabs(p[size_t(k)] - to[i][size_t(k)]));
                            best = std::min(best, d);
                        }
                    }
            worst = std::max(worst, best);
        }
        return worst;
    };
    return a.empty() != b.empty() ? 1.0 : std::max(one(a, b), one(b, a));
}

std::vector<std::array<double, 3>> Points(const json& vertices) {
    std::vector<std::array<double, 3>> out;
    for (const json& v : vertices)
        out.push_back({v[0].get<double>(), v[1].get<double>(), v[2].get<double>()});
    return out;
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
                    EXPECT_LT(Mismatch(Points(pose["vertices"]), Points(back[name]["vertices"])),
                              1e-3)
                        << name;
                }
            }
        }
    }
}

std::string Base64(const std::string& bytes) {
    static const char* kB64 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string b64;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        size_t n = std::min<size_t>(3, bytes.size() - i);
        uint32_t v = 0;
        for (size_t k = 0; k < 3; ++k) v = v << 8 | (k < n ? uint8_t(bytes[i + k]) : 0);
        for (size_t k = 0; k < 4; ++k) b64 += k <= n ? kB64[(v >> (18 - 6 * k)) & 63] : '=';
    }
    return b64;
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
    const std::string b64 = Base64(bytes);
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

// --- A glTF evaluator of this test's own: column-vector matrices stored as glTF stores them.

using M4 = std::array<double, 16>;

M4 Mul(const M4& a, const M4& b) {
    M4 r{};
    for (int c = 0; c < 4; ++c)
        for (int i = 0; i < 4; ++i)
            for (int k = 0; k < 4; ++k)
                r[size_t(c * 4 + i)] += a[size_t(k * 4 + i)] * b[size_t(c * 4 + k)];
    return r;
}

// Translation and rotation (x, y, z, w) as glTF composes them: T · R.
M4 Trs(const std::array<double, 3>& t, const std::array<double, 4>& q) {
    const double x = q[0], y = q[1], z = q[2], w = q[3];
    M4 m = {1 - 2 * (y * y + z * z),
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
            t[0],
            t[1],
            t[2],
            1};
    return m;
}

std::array<double, 4> Turn(double ax, double ay, double az, double degrees) {
    const double h = degrees * M_PI / 360.0;
    return {ax * std::sin(h), ay * std::sin(h), az * std::sin(h), std::cos(h)};
}

M4 RigidInverse(const M4& m) {
    M4 r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r[size_t(j * 4 + i)] = m[size_t(i * 4 + j)];
    for (int i = 0; i < 3; ++i)
        r[size_t(12 + i)] =
            -(r[size_t(i)] * m[12] + r[size_t(4 + i)] * m[13] + r[size_t(8 + i)] * m[14]);
    r[15] = 1;
    return r;
}

// The point in glTF space, then in the engine's (z turned).
std::array<double, 3> EnginePoint(const M4& m, const float* p) {
    std::array<double, 3> r;
    for (int i = 0; i < 3; ++i)
        r[size_t(i)] = m[size_t(i)] * p[0] + m[size_t(4 + i)] * p[1] + m[size_t(8 + i)] * p[2] +
                       m[size_t(12 + i)];
    r[2] = -r[2];
    return r;
}

struct RigNode {
    std::string name;
    int parent;
    std::array<double, 3> t;
    std::array<double, 4> q;
    // Linear keys at 0 and 1 second: the rotation's end (or none) and the translation's end.
    std::array<double, 4> qEnd;
    std::array<double, 3> tEnd;
};

// Vertices of a skinned mesh: position, four joints and their weights (joint index in the skin).
struct SkinVertex {
    float p[3];
    uint16_t joints[4];
    float weights[4];
};

// Every node's world at seconds (0 to 1), keys played linearly (rotations slerped).
std::vector<M4> WorldOf(const std::vector<RigNode>& nodes, double seconds) {
    std::vector<M4> world;
    for (const RigNode& n : nodes) {
        std::array<double, 3> t;
        for (int i = 0; i < 3; ++i)
            t[size_t(i)] = n.t[size_t(i)] + (n.tEnd[size_t(i)] - n.t[size_t(i)]) * seconds;
        double dot = 0;
        for (int i = 0; i < 4; ++i) dot += n.q[size_t(i)] * n.qEnd[size_t(i)];
        const double angle = std::acos(std::min(1.0, std::fabs(dot)));
        std::array<double, 4> q = n.q;
        if (angle > 1e-9) {
            const double a = std::sin((1 - seconds) * angle) / std::sin(angle);
            const double b = std::sin(seconds * angle) / std::sin(angle) * (dot < 0 ? -1 : 1);
            for (int i = 0; i < 4; ++i) q[size_t(i)] = a * n.q[size_t(i)] + b * n.qEnd[size_t(i)];
        }
        M4 local = Trs(t, q);
        world.push_back(n.parent < 0 ? local : Mul(world[size_t(n.parent)], local));
    }
    return world;
}

// Where the engine draws a vertex: it follows its strongest joint (the first of equals).
std::array<double, 3> Skinned(const SkinVertex& v, const std::vector<M4>& world,
                              const std::vector<M4>& inverseBind, const std::vector<int>& joints) {
    int best = 0;
    for (int k = 1; k < 4; ++k) best = v.weights[k] > v.weights[best] ? k : best;
    const size_t j = v.joints[best];
    return EnginePoint(Mul(world[size_t(joints[j])], inverseBind[j]), v.p);
}

// A glTF file's binary buffer and the views and accessors into it.
class GltfWriter {
public:
    json g = {{"asset", {{"version", "2.0"}}},
              {"accessors", json::array()},
              {"bufferViews", json::array()}};
    std::string bin;

    template <typename T>
    int View(const std::vector<T>& values) {
        while (bin.size() % 4) bin += '\0';
        g["bufferViews"].push_back(
            {{"buffer", 0}, {"byteOffset", bin.size()}, {"byteLength", values.size() * sizeof(T)}});
        bin.append(reinterpret_cast<const char*>(values.data()), values.size() * sizeof(T));
        return int(g["bufferViews"].size() - 1);
    }
    // An accessor of count elements of type over view (-1: none, all zeros).
    int Accessor(int view, int componentType, size_t count, const char* type,
                 json extra = json::object()) {
        json a = {{"componentType", componentType}, {"count", count}, {"type", type}};
        if (view >= 0) a["bufferView"] = view;
        a.update(extra);
        g["accessors"].push_back(a);
        return int(g["accessors"].size() - 1);
    }
    int Floats(const std::vector<float>& v, const char* type, size_t per,
               json extra = json::object()) {
        return Accessor(View(v), 5126, v.size() / per, type, extra);
    }
    int Positions(const std::vector<float>& v) {
        float lo[3] = {1e30f, 1e30f, 1e30f}, hi[3] = {-1e30f, -1e30f, -1e30f};
        for (size_t i = 0; i < v.size(); ++i) {
            lo[i % 3] = std::min(lo[i % 3], v[i]);
            hi[i % 3] = std::max(hi[i % 3], v[i]);
        }
        return Floats(v, "VEC3", 3,
                      {{"min", {lo[0], lo[1], lo[2]}}, {"max", {hi[0], hi[1], hi[2]}}});
    }
    // The buffer named uri ("" for a data URI).
    std::string Text(const std::string& uri) {
        std::string u = uri;
        if (u.empty()) u = "data:application/octet-stream;base64," + Base64(bin);
        g["buffers"] = {{{"byteLength", bin.size()}, {"uri", u}}};
        return g.dump();
    }
};

// A rig of joints with a skin, its skinned meshes and a second's animation.
struct Rig {
    std::vector<RigNode> nodes;
    std::vector<int> joints;                      // skin joint -> node
    std::vector<M4> inverseBind;                  // per skin joint
    std::vector<std::vector<SkinVertex>> meshes;  // each its own node, triangles as listed
    std::vector<std::vector<uint32_t>> sparse;    // per mesh: vertices given only sparsely
};

// The rig as a glTF file: the joints' nodes, then one node per skinned mesh (placed away, which
// glTF ignores for a skinned mesh); joints as unsigned bytes for the second mesh.
std::string RigGltf(const Rig& rig, GltfWriter& w, const std::string& bufferUri) {
    json nodes = json::array(), roots = json::array(), meshes = json::array();
    for (size_t i = 0; i < rig.nodes.size(); ++i) {
        const RigNode& n = rig.nodes[i];
        nodes.push_back({{"name", n.name}, {"translation", n.t}, {"rotation", n.q}});
        if (n.parent < 0)
            roots.push_back(i);
        else
            nodes[size_t(n.parent)]["children"].push_back(i);
    }
    for (size_t m = 0; m < rig.meshes.size(); ++m) {
        std::vector<float> pos, weights;
        std::vector<uint16_t> j16;
        std::vector<uint8_t> j8;
        for (const SkinVertex& v : rig.meshes[m]) {
            pos.insert(pos.end(), v.p, v.p + 3);
            weights.insert(weights.end(), v.weights, v.weights + 4);
            j16.insert(j16.end(), v.joints, v.joints + 4);
            for (uint16_t j : v.joints) j8.push_back(uint8_t(j));
        }
        int position;
        if (m < rig.sparse.size() && !rig.sparse[m].empty()) {
            // The listed vertices stand wrong in the view; the sparse part puts them right.
            std::vector<float> wrong = pos, values;
            std::vector<uint32_t> at = rig.sparse[m];
            for (uint32_t v : at) {
                values.insert(values.end(), &pos[v * 3], &pos[v * 3] + 3);
                wrong[v * 3 + 1] += 50.0f;
            }
            const int indices = w.View(at), valueView = w.View(values);
            position =
                w.Accessor(w.View(wrong), 5126, pos.size() / 3, "VEC3",
                           {{"sparse",
                             {{"count", at.size()},
                              {"indices", {{"bufferView", indices}, {"componentType", 5125}}},
                              {"values", {{"bufferView", valueView}}}}}});
        } else {
            position = w.Positions(pos);
        }
        const int joints = m % 2 ? w.Accessor(w.View(j8), 5121, j8.size() / 4, "VEC4")
                                 : w.Accessor(w.View(j16), 5123, j16.size() / 4, "VEC4");
        meshes.push_back({{"primitives",
                           {{{"attributes",
                              {{"POSITION", position},
                               {"JOINTS_0", joints},
                               {"WEIGHTS_0", w.Floats(weights, "VEC4", 4)}}}}}}});
        roots.push_back(nodes.size());
        nodes.push_back({{"name", "mesh " + std::to_string(m)},
                         {"mesh", m},
                         {"skin", 0},
                         {"translation", {5, 0, 0}}});
    }
    std::vector<float> ibm;
    for (const M4& m : rig.inverseBind) ibm.insert(ibm.end(), m.begin(), m.end());
    json samplers = json::array(), channels = json::array();
    const int times = w.Floats({0, 1}, "SCALAR", 1, {{"min", {0}}, {"max", {1}}});
    for (size_t i = 0; i < rig.nodes.size(); ++i) {
        const RigNode& n = rig.nodes[i];
        std::vector<float> q(n.q.begin(), n.q.end()), t(n.t.begin(), n.t.end());
        q.insert(q.end(), n.qEnd.begin(), n.qEnd.end());
        t.insert(t.end(), n.tEnd.begin(), n.tEnd.end());
        channels.push_back(
            {{"sampler", samplers.size()}, {"target", {{"node", i}, {"path", "rotation"}}}});
        samplers.push_back({{"input", times}, {"output", w.Floats(q, "VEC4", 4)}});
        channels.push_back(
            {{"sampler", samplers.size()}, {"target", {{"node", i}, {"path", "translation"}}}});
        samplers.push_back({{"input", times}, {"output", w.Floats(t, "VEC3", 3)}});
    }
    w.g["nodes"] = nodes;
    w.g["scenes"] = {{{"nodes", roots}}};
    w.g["meshes"] = meshes;
    w.g["skins"] = {{{"joints", rig.joints}, {"inverseBindMatrices", w.Floats(ibm, "MAT4", 16)}}};
    w.g["animations"] = {{{"samplers", samplers}, {"channels", channels}}};
    return w.Text(bufferUri);
}

// Each file converts, loads directly and from its BNE file, and poses as the rig says: every
// joint's world, and the skinned vertices (the union of every mesh holding them).
void ExpectPosesOfRig(ImportTest& t, const Rig& rig, const std::string& file,
                      const std::string& bne, const std::string& skin, size_t meshes,
                      std::vector<double> frames = {0.0, 15.0, 30.0}) {
    for (double frame : frames) {
        const std::vector<M4> world = WorldOf(rig.nodes, frame / 30.0);
        std::vector<std::array<double, 3>> expected;
        for (const auto& mesh : rig.meshes)
            for (const SkinVertex& v : mesh)
                expected.push_back(Skinned(v, world, rig.inverseBind, rig.joints));
        for (const std::string& args : {file, bne + (skin.empty() ? "" : " --skin " + skin)}) {
            auto pose = t.Pose(args, std::to_string(int(frame)));
            std::vector<std::array<double, 3>> drawn;
            size_t holding = 0;
            for (const auto& [name, node] : pose) {
                if (!node.contains("vertices") || node["vertices"].empty()) continue;
                auto p = Points(node["vertices"]);
                drawn.insert(drawn.end(), p.begin(), p.end());
                ++holding;
            }
            EXPECT_EQ(holding, meshes) << args;
            EXPECT_LT(Mismatch(expected, drawn), 1e-3) << args << " frame " << frame;
            for (size_t i = 0; i < rig.nodes.size(); ++i) {
                const json& node = pose[rig.nodes[i].name];
                ASSERT_TRUE(node.is_object()) << rig.nodes[i].name;
                // The engine's row-vector world holds the same numbers, z's row and column
                // negated.
                for (int k = 0; k < 16; ++k) {
                    const double sign = ((k / 4 == 2) != (k % 4 == 2)) ? -1.0 : 1.0;
                    EXPECT_NEAR(node["world"][k].get<double>(), sign * world[i][size_t(k)], 1e-4)
                        << args << " " << rig.nodes[i].name << " frame " << frame << " [" << k
                        << "]";
                }
            }
        }
    }
}

// Three joints in a chain whose skin binds them away from their rest pose.
Rig ThreeJointRig() {
    Rig rig;
    rig.nodes = {{"hips", -1, {0, 1, 0}, Turn(0, 0, 1, 20), Turn(0, 1, 0, 90), {0, 1.5, 0}},
                 {"knee", 0, {0, -0.5, 0.2}, Turn(1, 0, 0, 30), Turn(1, 0, 0, -40), {0, -0.5, 0.2}},
                 {"foot", 1, {0, -0.5, 0}, Turn(0, 0, 1, 0), Turn(0, 0, 1, 0), {0.1, -0.6, 0}}};
    rig.joints = {0, 1, 2};
    for (int j = 0; j < 3; ++j)
        rig.inverseBind.push_back(
            RigidInverse(Trs({0.1 * j, 1.2 - 0.4 * j, 0}, Turn(0, 0, 1, -10.0 * j))));
    return rig;
}

TEST_F(ImportTest, SkinsPoseAsTheirJointsAndBindMatricesSay) {
    Rig rig = ThreeJointRig();
    // Two skinned meshes merged into one skin mesh: four joints a vertex in the first, the
    // strongest not the first listed; one joint a vertex in the second.
    rig.meshes.push_back({});
    for (int i = 0; i < 12; ++i) {
        const float x = 0.1f * float(i % 4), y = 1.2f - 0.1f * float(i);
        const uint16_t strong = uint16_t(i % 3);
        rig.meshes[0].push_back(
            {{x, y, 0.05f * float(i % 2)},
             {uint16_t((strong + 1) % 3), strong, uint16_t((strong + 2) % 3), 0},
             {0.2f, 0.5f, 0.2f, 0.1f}});
    }
    rig.meshes[0][5].weights[0] = 1.0f, rig.meshes[0][5].weights[1] = 0.0f;
    rig.meshes[0][5].weights[2] = rig.meshes[0][5].weights[3] = 0.0f;
    rig.meshes.push_back({});
    for (int i = 0; i < 6; ++i)
        rig.meshes[1].push_back(
            {{0.3f * float(i % 2), 0.2f, 0.1f * float(i)}, {2, 0, 0, 0}, {1, 0, 0, 0}});
    rig.sparse = {{1, 7, 10}};
    GltfWriter w;
    Write("rig.gltf", RigGltf(rig, w, ""));
    ToolRun converted = Orix("convert rig.gltf");
    ASSERT_EQ(converted.status, 0) << converted.err;
    EXPECT_NE(converted.err.find("11 skinned vertices had several joints"), std::string::npos)
        << converted.err;
    ExpectPosesOfRig(*this, rig, "rig.gltf", "rig.bne", "rig.skn", 1);
}

TEST_F(ImportTest, SkinPastTheVertexLimitBecomesOneRigidMeshPerJoint) {
    Rig rig = ThreeJointRig();
    // 70,002 vertices, each triangle on its own joint, none shared.
    rig.meshes.push_back({});
    for (int i = 0; i < 23334; ++i) {
        const float x = 0.05f * float(i % 200), y = 0.05f * float(i / 200);
        const uint16_t joint = uint16_t(i % 3);
        for (int k = 0; k < 3; ++k)
            rig.meshes[0].push_back({{x + 0.02f * float(k == 1), y + 0.02f * float(k == 2), 0.0f},
                                     {joint, 0, 0, 0},
                                     {1, 0, 0, 0}});
    }
    GltfWriter w;
    Write("crowd.gltf", RigGltf(rig, w, "crowd.bin"));
    Write("crowd.bin", w.bin);
    ToolRun converted = Orix("convert crowd.gltf");
    ASSERT_EQ(converted.status, 0) << converted.err;
    EXPECT_NE(converted.err.find("70002 vertices exceed the engine's 65536"), std::string::npos)
        << converted.err;
    EXPECT_FALSE(fs::exists(dir_ / "crowd.skn"));
    // One frame away from the bind pose: the smaller rigs check the others.
    ExpectPosesOfRig(*this, rig, "crowd.gltf", "crowd.bne", "", 3, {15.0});
}

TEST_F(ImportTest, PicturesAndBuffersInSubFoldersAreFound) {
    GltfWriter w;
    const int position = w.Positions({0, 0, 0, 1, 0, 0, 0, 1, 0});
    const int uv = w.Floats({0, 0, 1, 0, 0, 1}, "VEC2", 2);
    w.g["nodes"] = {{{"name", "sign"}, {"mesh", 0}}};
    w.g["scenes"] = {{{"nodes", {0}}}};
    w.g["meshes"] = {
        {{"primitives",
          {{{"attributes", {{"POSITION", position}, {"TEXCOORD_0", uv}}}, {"material", 0}}}}}};
    w.g["materials"] = {{{"pbrMetallicRoughness", {{"baseColorTexture", {{"index", 0}}}}}}};
    w.g["textures"] = {{{"source", 0}}};
    w.g["images"] = {{{"uri", "pictures/wall%20paint.jpg"}}};
    Write("shop/scene.gltf", w.Text("data/scene.bin"));
    Write("shop/data/scene.bin", w.bin);
    const std::string jpeg = (dir_ / "shop/pictures/wall paint.jpg").string();
    fs::create_directories(dir_ / "shop/pictures");
    ASSERT_TRUE(orix::test::WriteJpeg(jpeg, 8, 8, orix::test::TestPattern(8, 8)));
    ToolRun converted = Orix("convert shop/scene.gltf");
    ASSERT_EQ(converted.status, 0) << converted.err;
    // A JPEG comes across as it is, named after the model, beside its BNE file.
    EXPECT_EQ(Read(dir_ / "shop/scene_0.jpg"), Read(jpeg));
    for (const char* file : {"shop/scene.bne", "shop/scene.gltf"}) {
        ToolRun info = Orix(std::string("info ") + file);
        EXPECT_EQ(info.status, 0) << info.err;
        EXPECT_NE(info.out.find("texture scene_0.jpg"), std::string::npos) << file << info.out;
    }
    // Up and out of the model's folder is not followed, though the file is there.
    Write("shop/up.gltf", w.Text("../shop/data/scene.bin"));
    ToolRun up = Orix("convert shop/up.gltf");
    EXPECT_EQ(up.status, 1) << up.err;
    EXPECT_NE(up.err.find("scene.bin"), std::string::npos) << up.err;
    EXPECT_FALSE(fs::exists(dir_ / "shop/up.bne"));
}

// A PNG file's RGB pixels; empty when it cannot be read.
std::vector<uint8_t> PngPixels(const fs::path& path, size_t* pixels) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    std::vector<uint8_t> rgb;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return rgb;
    image.format = PNG_FORMAT_RGB;
    rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) rgb.clear();
    *pixels = size_t(image.width) * image.height;
    return rgb;
}

TEST_F(ImportTest, RoundTrippedCharacterDrawsAsTheOriginalInTheDemo) {
    for (const char* side : {"original", "back"}) {
        fs::create_directories(dir_ / side);
        for (const auto& f : fs::directory_iterator(ORIX_RES_DIR))
            fs::copy_file(f.path(), dir_ / side / f.path().filename());
    }
    ASSERT_EQ(Orix("export original/girl-t.bne --skin original/girl.skn girl-rt.glb").status, 0);
    ToolRun converted = Orix("convert girl-rt.glb");
    ASSERT_EQ(converted.status, 0) << converted.err;
    for (const auto& f : fs::directory_iterator(dir_)) {
        const std::string name = f.path().filename().string();
        if (name.rfind("girl-rt_", 0) == 0) fs::copy_file(f.path(), dir_ / "back" / name);
    }
    fs::copy_file(dir_ / "girl-rt.bne", dir_ / "back/girl-t.bne",
                  fs::copy_options::overwrite_existing);
    fs::copy_file(dir_ / "girl-rt.skn", dir_ / "back/girl.skn",
                  fs::copy_options::overwrite_existing);
    ::setenv("ORIX_OFFSCREEN", "1", 1);
    for (const char* side : {"original", "back"}) {
        ToolRun r = Orix(std::string("render --frames 60 --every 30 --size 320x240 --res ") + side +
                         " --out " + side + "-frames");
        ASSERT_EQ(r.status, 0) << r.err;
    }
    // Texture decoding and edge pixels may differ a little; a missing, misplaced or
    // wrongly posed limb changes hundreds of pixels by far more.
    for (const char* frame : {"frame-0030.png", "frame-0060.png"}) {
        size_t pixels = 0, other = 0, far = 0;
        std::vector<uint8_t> a = PngPixels(dir_ / "original-frames" / frame, &pixels);
        std::vector<uint8_t> b = PngPixels(dir_ / "back-frames" / frame, &other);
        ASSERT_TRUE(!a.empty() && a.size() == b.size()) << frame;
        double sum = 0.0;
        for (size_t p = 0; p < pixels; ++p) {
            int worst = 0;
            for (size_t c = 0; c < 3; ++c) {
                const int d = std::abs(int(a[p * 3 + c]) - int(b[p * 3 + c]));
                sum += d;
                worst = std::max(worst, d);
            }
            far += worst > 16 ? 1 : 0;
        }
        EXPECT_LT(sum / double(pixels * 3), 0.5) << frame;
        EXPECT_LT(double(far) / double(pixels), 0.002) << frame;
    }
}

}  // namespace
