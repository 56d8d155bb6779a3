#include "export/gltf_reading.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace orix_export_test {

namespace {

Mat4 Identity() {
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

Mat4 Multiply(const Mat4& a, const Mat4& b) {
    Mat4 out{};
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            double s = 0;
            for (int k = 0; k < 4; ++k) s += a[size_t(k * 4 + r)] * b[size_t(c * 4 + k)];
            out[size_t(c * 4 + r)] = s;
        }
    }
    return out;
}

Mat4 FromTrs(const double t[3], const double q[4], const double s[3]) {
    double x = q[0], y = q[1], z = q[2], w = q[3];
    double r[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y - w * z), 2 * (x * z + w * y)},
                      {2 * (x * y + w * z), 1 - 2 * (x * x + z * z), 2 * (y * z - w * x)},
                      {2 * (x * z - w * y), 2 * (y * z + w * x), 1 - 2 * (x * x + y * y)}};
    Mat4 m = Identity();
    for (int c = 0; c < 3; ++c) {
        for (int row = 0; row < 3; ++row) m[size_t(c * 4 + row)] = r[row][c] * s[c];
        m[size_t(12 + c)] = t[c];
    }
    return m;
}

// The value of one channel at t: linear between keys, spherical for rotations.
void Sample(const tinygltf::Model& model, const tinygltf::AnimationSampler& sampler, int n,
            double t, double* out) {
    std::vector<double> times = ReadAccessor(model, sampler.input);
    std::vector<double> values = ReadAccessor(model, sampler.output);
    size_t k = 0;
    while (k + 1 < times.size() && times[k + 1] <= t) ++k;
    size_t next = std::min(k + 1, times.size() - 1);
    double u = next == k ? 0.0 : std::clamp((t - times[k]) / (times[next] - times[k]), 0.0, 1.0);
    const double* a = &values[k * size_t(n)];
    const double* b = &values[next * size_t(n)];
    double wa = 1 - u, wb = u;
    if (n == 4) {
        double d = a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
        if (d < 0.9999999) {
            double angle = std::acos(std::clamp(d, -1.0, 1.0));
            wa = std::sin((1 - u) * angle) / std::sin(angle);
            wb = std::sin(u * angle) / std::sin(angle);
        }
    }
    for (int i = 0; i < n; ++i) out[i] = wa * a[i] + wb * b[i];
}

}  // namespace

bool LoadGltf(const std::string& path, tinygltf::Model* model, std::string* error) {
    tinygltf::TinyGLTF loader;
    std::string warning;
    bool glb = path.size() > 4 && path.substr(path.size() - 4) == ".glb";
    return glb ? loader.LoadBinaryFromFile(model, error, &warning, path)
               : loader.LoadASCIIFromFile(model, error, &warning, path);
}

std::vector<double> ReadAccessor(const tinygltf::Model& model, int index) {
    const tinygltf::Accessor& a = model.accessors[size_t(index)];
    const tinygltf::BufferView& v = model.bufferViews[size_t(a.bufferView)];
    const unsigned char* p =
        model.buffers[size_t(v.buffer)].data.data() + v.byteOffset + a.byteOffset;
    size_t n = a.count * size_t(tinygltf::GetNumComponentsInType(uint32_t(a.type)));
    std::vector<double> out(n);
    for (size_t i = 0; i < n; ++i) {
        switch (a.componentType) {
            case TINYGLTF_COMPONENT_TYPE_FLOAT: {
                float f;
                std::memcpy(&f, p + 4 * i, 4);
                out[i] = f;
                break;
            }
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: {
                uint32_t u;
                std::memcpy(&u, p + 4 * i, 4);
                out[i] = u;
                break;
            }
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: {
                uint16_t u;
                std::memcpy(&u, p + 2 * i, 2);
                out[i] = u;
                break;
            }
            default:
                out[i] = p[i];
        }
    }
    return out;
}

double AnimationLength(const tinygltf::Model& model) {
    double length = 0;
    if (model.animations.empty()) return 0;
    for (const auto& s : model.animations[0].samplers) {
        std::vector<double> times = ReadAccessor(model, s.input);
        if (!times.empty()) length = std::max(length, times.back());
    }
    return length;
}

std::vector<Mat4> WorldMatrices(const tinygltf::Model& model, double t) {
    size_t n = model.nodes.size();
    std::vector<Mat4> local(n);
    for (size_t i = 0; i < n; ++i) {
        const tinygltf::Node& node = model.nodes[i];
        if (node.matrix.size() == 16) {
            std::copy(node.matrix.begin(), node.matrix.end(), local[i].begin());
            continue;
        }
        double tr[3] = {0, 0, 0}, q[4] = {0, 0, 0, 1}, s[3] = {1, 1, 1};
        if (node.translation.size() == 3) std::copy_n(node.translation.begin(), 3, tr);
        if (node.rotation.size() == 4) std::copy_n(node.rotation.begin(), 4, q);
        if (node.scale.size() == 3) std::copy_n(node.scale.begin(), 3, s);
        if (!model.animations.empty()) {
            const tinygltf::Animation& a = model.animations[0];
            for (const auto& ch : a.channels) {
                if (ch.target_node != int(i)) continue;
                const auto& sampler = a.samplers[size_t(ch.sampler)];
                if (ch.target_path == "translation") Sample(model, sampler, 3, t, tr);
                if (ch.target_path == "rotation") Sample(model, sampler, 4, t, q);
                if (ch.target_path == "scale") Sample(model, sampler, 3, t, s);
            }
        }
        local[i] = FromTrs(tr, q, s);
    }
    std::vector<int> parent(n, -1);
    for (size_t i = 0; i < n; ++i) {
        for (int c : model.nodes[i].children) parent[size_t(c)] = int(i);
    }
    std::vector<Mat4> world(n);
    std::vector<bool> done(n, false);
    for (size_t pass = 0; pass < n; ++pass) {
        for (size_t i = 0; i < n; ++i) {
            if (done[i]) continue;
            int p = parent[i];
            if (p >= 0 && !done[size_t(p)]) continue;
            world[i] = p < 0 ? local[i] : Multiply(world[size_t(p)], local[i]);
            done[i] = true;
        }
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
                    const Mat4& m = joint[size_t(js[v * 4 + k])];
                    for (int r = 0; r < 3; ++r) {
                        double x = m[size_t(12 + r)];
                        for (int c = 0; c < 3; ++c)
                            x += m[size_t(c * 4 + r)] * pos[v * 3 + size_t(c)];
                        sum[size_t(r)] += ws[v * 4 + k] * x;
                    }
                }
                out.push_back(sum);
            }
        }
    }
    return out;
}

std::vector<std::vector<std::array<double, 3>>> RestTriangles(const tinygltf::Model& model) {
    std::vector<Mat4> world = WorldMatrices(model, 0.0);
    std::vector<std::vector<std::array<double, 3>>> out;
    for (size_t i = 0; i < model.nodes.size(); ++i) {
        const tinygltf::Node& node = model.nodes[i];
        if (node.mesh < 0) continue;
        out.emplace_back();
        for (const tinygltf::Primitive& p : model.meshes[size_t(node.mesh)].primitives) {
            std::vector<double> pos = ReadAccessor(model, p.attributes.at("POSITION"));
            for (double index : ReadAccessor(model, p.indices)) {
                const Mat4& m = world[i];
                std::array<double, 3> w{};
                for (int r = 0; r < 3; ++r) {
                    w[size_t(r)] = m[size_t(12 + r)];
                    for (int c = 0; c < 3; ++c)
                        w[size_t(r)] += m[size_t(c * 4 + r)] * pos[size_t(index) * 3 + size_t(c)];
                }
                out.back().push_back(w);
            }
        }
    }
    return out;
}

}  // namespace orix_export_test
