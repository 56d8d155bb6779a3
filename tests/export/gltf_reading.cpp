#include "export/gltf_reading.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace orix_export_test {

namespace {

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
    std::vector<double> out(a.count * size_t(tinygltf::GetNumComponentsInType(uint32_t(a.type))));
    for (size_t i = 0; i < out.size(); ++i) {
        float f;
        uint32_t u32;
        uint16_t u16;
        if (a.componentType == TINYGLTF_COMPONENT_TYPE_FLOAT) {
            std::memcpy(&f, p + 4 * i, 4), out[i] = f;
        } else if (a.componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT) {
            std::memcpy(&u32, p + 4 * i, 4), out[i] = u32;
        } else {
            std::memcpy(&u16, p + 2 * i, 2), out[i] = u16;
        }
    }
    return out;
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
        local[i] = {(1 - 2 * (y * y + z * z)) * s[0],
                    2 * (x * y + w * z) * s[0],
                    2 * (x * z - w * y) * s[0],
                    0,
                    2 * (x * y - w * z) * s[1],
                    (1 - 2 * (x * x + z * z)) * s[1],
                    2 * (y * z + w * x) * s[1],
                    0,
                    2 * (x * z + w * y) * s[2],
                    2 * (y * z - w * x) * s[2],
                    (1 - 2 * (x * x + y * y)) * s[2],
                    0,
                    tr[0],
                    tr[1],
                    tr[2],
                    1};
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

size_t InwardFaces(const tinygltf::Model& model) {
    std::vector<Mat4> world = WorldMatrices(model, 0.0);
    size_t inward = 0;
    for (size_t i = 0; i < model.nodes.size(); ++i) {
        if (model.nodes[i].mesh < 0) continue;
        std::vector<std::array<double, 3>> corners;
        for (const tinygltf::Primitive& p : model.meshes[size_t(model.nodes[i].mesh)].primitives) {
            std::vector<double> pos = ReadAccessor(model, p.attributes.at("POSITION"));
            for (double index : ReadAccessor(model, p.indices))
                corners.push_back(Apply(world[i], &pos[size_t(index) * 3]));
        }
        std::array<double, 3> centre{};
        for (const auto& c : corners) {
            for (size_t k = 0; k < 3; ++k) centre[k] += c[k] / double(corners.size());
        }
        for (size_t f = 0; f + 2 < corners.size(); f += 3) {
            const auto &a = corners[f], &b = corners[f + 1], &c = corners[f + 2];
            double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
            double v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
            double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                           u[0] * v[1] - u[1] * v[0]};
            inward +=
                n[0] * (a[0] - centre[0]) + n[1] * (a[1] - centre[1]) + n[2] * (a[2] - centre[2]) <=
                0;
        }
    }
    return inward;
}

}  // namespace orix_export_test
