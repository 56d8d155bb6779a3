// Transforms as translation, rotation and scale, key reduction and the animation of the export.
#include <algorithm>
#include <cmath>
#include <map>

#include "export/gltf_builder.h"

namespace orix::gltf {

namespace {

double Dot3(const double a[3], const double b[3]) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// Quaternion (x, y, z, w) of a column-vector rotation matrix c.
void QuaternionOf(const double c[3][3], double q[4]) {
    double trace = c[0][0] + c[1][1] + c[2][2];
    if (trace > 0.0) {
        double s = std::sqrt(trace + 1.0) * 2.0;
        q[3] = 0.25 * s;
        q[0] = (c[2][1] - c[1][2]) / s;
        q[1] = (c[0][2] - c[2][0]) / s;
        q[2] = (c[1][0] - c[0][1]) / s;
    } else if (c[0][0] > c[1][1] && c[0][0] > c[2][2]) {
        double s = std::sqrt(1.0 + c[0][0] - c[1][1] - c[2][2]) * 2.0;
        q[3] = (c[2][1] - c[1][2]) / s;
        q[0] = 0.25 * s;
        q[1] = (c[0][1] + c[1][0]) / s;
        q[2] = (c[0][2] + c[2][0]) / s;
    } else if (c[1][1] > c[2][2]) {
        double s = std::sqrt(1.0 + c[1][1] - c[0][0] - c[2][2]) * 2.0;
        q[3] = (c[0][2] - c[2][0]) / s;
        q[0] = (c[0][1] + c[1][0]) / s;
        q[1] = 0.25 * s;
        q[2] = (c[1][2] + c[2][1]) / s;
    } else {
        double s = std::sqrt(1.0 + c[2][2] - c[0][0] - c[1][1]) * 2.0;
        q[3] = (c[1][0] - c[0][1]) / s;
        q[0] = (c[0][2] + c[2][0]) / s;
        q[1] = (c[1][2] + c[2][1]) / s;
        q[2] = 0.25 * s;
    }
    double n = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    for (int i = 0; i < 4; ++i) q[i] /= n;
}

// Spherical interpolation from a to b (unit, same hemisphere) at u, into out.
void Slerp(const double* a, const double* b, double u, double* out) {
    double d = std::clamp(a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3], -1.0, 1.0);
    double wa = 1.0 - u, wb = u;
    if (d < 0.9999999) {
        double angle = std::acos(d), s = std::sin(angle);
        wa = std::sin((1.0 - u) * angle) / s;
        wb = std::sin(u * angle) / s;
    }
    for (int i = 0; i < 4; ++i) out[i] = wa * a[i] + wb * b[i];
}

}  // namespace

bool Decompose(const Matrix& m, Trs* out) {
    double rows[3][3];
    bool exact = true;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) rows[r][c] = m.m[r][c];
        double len = std::sqrt(Dot3(rows[r], rows[r]));
        out->s[r] = len;
        if (len < 1e-12) {
            exact = false;
            continue;
        }
        for (int c = 0; c < 3; ++c) rows[r][c] /= len;
    }
    for (int c = 0; c < 3; ++c) out->t[c] = m.m[3][c];
    double cross[3] = {rows[1][1] * rows[2][2] - rows[1][2] * rows[2][1],
                       rows[1][2] * rows[2][0] - rows[1][0] * rows[2][2],
                       rows[1][0] * rows[2][1] - rows[1][1] * rows[2][0]};
    if (Dot3(rows[0], cross) < 0.0) {
        // A mirrored node: one negative scale makes the rest a rotation.
        out->s[0] = -out->s[0];
        for (int c = 0; c < 3; ++c) rows[0][c] = -rows[0][c];
    }
    const double kSquare = 1e-4;
    if (std::fabs(Dot3(rows[0], rows[1])) > kSquare ||
        std::fabs(Dot3(rows[0], rows[2])) > kSquare || std::fabs(Dot3(rows[1], rows[2])) > kSquare)
        exact = false;
    // Row r of a row-vector rotation is column r of the column-vector one.
    double c[3][3];
    for (int r = 0; r < 3; ++r) {
        for (int k = 0; k < 3; ++k) c[k][r] = rows[r][k];
    }
    if (!exact) {
        // No rotation fits exactly; the nearest one keeps the node where it is.
        bool degenerate = !(std::fabs(out->s[0]) > 1e-12 && std::fabs(out->s[1]) > 1e-12 &&
                            std::fabs(out->s[2]) > 1e-12);
        if (degenerate) {
            out->r[0] = out->r[1] = out->r[2] = 0.0, out->r[3] = 1.0;
            return false;
        }
    }
    QuaternionOf(c, out->r);
    return exact;
}

namespace {

// The straight paths: the slopes from the anchor that pass within tolerance of every sample
// since it narrow to an interval per component, kept as the samples come, so each sample is
// looked at once.
std::vector<size_t> ReduceLinear(const std::vector<double>& times,
                                 const std::vector<double>& values, size_t k, double tolerance) {
    const size_t n = times.size();
    std::vector<size_t> keep{0};
    size_t anchor = 0;
    double low[4], high[4];
    auto reset = [&] {
        for (size_t c = 0; c < k; ++c) low[c] = -HUGE_VAL, high[c] = HUGE_VAL;
    };
    reset();
    for (size_t i = 1; i + 1 < n; ++i) {
        const double* a = &values[anchor * k];
        const double span = times[i] - times[anchor];
        for (size_t c = 0; c < k; ++c) {
            low[c] = std::max(low[c], (values[i * k + c] - tolerance - a[c]) / span);
            high[c] = std::min(high[c], (values[i * k + c] + tolerance - a[c]) / span);
        }
        // Dropping i means the line from the anchor to i + 1 must keep within every interval.
        const double next = times[i + 1] - times[anchor];
        bool onLine = true;
        for (size_t c = 0; c < k; ++c) {
            double slope = (values[(i + 1) * k + c] - a[c]) / next;
            onLine = onLine && slope >= low[c] && slope <= high[c];
        }
        if (!onLine) {
            keep.push_back(i);
            anchor = i;
            reset();
        }
    }
    keep.push_back(n - 1);
    return keep;
}

// Spherical paths have no such interval: every sample since the anchor is checked again, and
// a key is kept at least every kRotationReach samples so that the checks stay bounded.
constexpr size_t kRotationReach = 256;

std::vector<size_t> ReduceRotation(const std::vector<double>& times,
                                   const std::vector<double>& values, double tolerance) {
    const size_t n = times.size();
    std::vector<size_t> keep{0};
    size_t anchor = 0;
    for (size_t i = 1; i + 1 < n; ++i) {
        const double* a = &values[anchor * 4];
        const double* b = &values[(i + 1) * 4];
        bool onPath = i - anchor < kRotationReach;
        for (size_t j = anchor + 1; j <= i && onPath; ++j) {
            double u = (times[j] - times[anchor]) / (times[i + 1] - times[anchor]);
            double at[4];
            Slerp(a, b, u, at);
            for (size_t c = 0; c < 4; ++c)
                onPath = onPath && std::fabs(at[c] - values[j * 4 + c]) <= tolerance;
        }
        if (!onPath) {
            keep.push_back(i);
            anchor = i;
        }
    }
    keep.push_back(n - 1);
    return keep;
}

}  // namespace

std::vector<size_t> ReduceKeys(const std::vector<double>& times, const std::vector<double>& values,
                               int components, bool rotation, double tolerance) {
    if (times.empty()) return {};
    if (times.size() == 1) return {0};
    if (rotation) return ReduceRotation(times, values, tolerance);
    return ReduceLinear(times, values, size_t(components), tolerance);
}

size_t FiniteOrIdentity(Matrix* m) {
    size_t bad = 0;
    for (const auto& row : m->m) {
        for (float v : row) bad += std::isfinite(v) ? 0 : 1;
    }
    if (bad > 0) *m = Matrix::Identity();
    return bad;
}

size_t FiniteOr(float* values, size_t n, float fallback) {
    size_t bad = 0;
    for (size_t i = 0; i < n; ++i) {
        if (std::isfinite(values[i])) continue;
        values[i] = fallback;
        ++bad;
    }
    return bad;
}

void AddAnimation(GltfBuilder& builder, std::vector<NodeTrack>& tracks,
                  const std::vector<double>& times, std::vector<std::string>& notes) {
    if (times.size() < 2) return;
    tinygltf::Animation animation;
    animation.name = "animation";
    std::map<std::vector<size_t>, int> inputs;  // key sets already written
    tinygltf::Model& model = builder.model;
    for (NodeTrack& track : tracks) {
        const size_t n = track.locals.size();
        if (n != times.size()) continue;
        std::vector<double> t(n * 3), r(n * 4), s(n * 3);
        bool sheared = false;
        for (size_t f = 0; f < n; ++f) {
            Trs trs;
            sheared = !Decompose(track.locals[f], &trs) || sheared;
            // Each rotation on the hemisphere of the one before, so that the interpolation
            // between them takes the short way, as the engine's does.
            if (f > 0) {
                const double* prev = &r[(f - 1) * 4];
                double d = prev[0] * trs.r[0] + prev[1] * trs.r[1] + prev[2] * trs.r[2] +
                           prev[3] * trs.r[3];
                if (d < 0.0) {
                    for (double& q : trs.r) q = -q;
                }
            }
            std::copy(trs.t, trs.t + 3, &t[f * 3]);
            std::copy(trs.r, trs.r + 4, &r[f * 4]);
            std::copy(trs.s, trs.s + 3, &s[f * 3]);
        }
        bool moves = false;
        for (size_t f = 1; f < n && !moves; ++f) {
            for (int c = 0; c < 3; ++c) {
                moves = moves || std::fabs(t[f * 3 + c] - t[c]) > 1e-6 ||
                        std::fabs(s[f * 3 + c] - s[c]) > 1e-6;
            }
            for (int c = 0; c < 4; ++c) moves = moves || std::fabs(r[f * 4 + c] - r[c]) > 1e-6;
        }
        if (!moves) continue;
        if (sheared)
            notes.push_back("node " + model.nodes[size_t(track.node)].name +
                            ": its animation shears, which translation, rotation and scale "
                            "cannot hold; the nearest rotation is written");
        struct Path {
            const char* name;
            const std::vector<double>* values;
            int components;
        };
        for (const Path& path :
             {Path{"translation", &t, 3}, Path{"rotation", &r, 4}, Path{"scale", &s, 3}}) {
            std::vector<size_t> keep =
                ReduceKeys(times, *path.values, path.components, path.components == 4, 1e-5);
            auto known = inputs.find(keep);
            int input = 0;
            if (known != inputs.end()) {
                input = known->second;
            } else {
                std::vector<float> keyTimes;
                for (size_t i : keep) keyTimes.push_back(float(times[i]));
                input = builder.AddFloats(keyTimes, TINYGLTF_TYPE_SCALAR, 0, true);
                inputs[keep] = input;
            }
            std::vector<float> output;
            const float identity[4] = {path.name[0] == 's' ? 1.0f : 0.0f,
                                       path.name[0] == 's' ? 1.0f : 0.0f,
                                       path.name[0] == 's' ? 1.0f : 0.0f, 1.0f};
            for (size_t i : keep) {
                const double* v = &(*path.values)[i * size_t(path.components)];
                double len = 1.0;
                if (path.components == 4)
                    len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2] + v[3] * v[3]);
                float key[4];
                size_t bad = 0;
                for (int c = 0; c < path.components; ++c) {
                    key[c] = float(v[c] / len);
                    bad += std::isfinite(key[c]) ? 0 : 1;
                }
                track.replaced += bad;
                const float* from = bad > 0 ? identity : key;
                output.insert(output.end(), from, from + path.components);
            }
            tinygltf::AnimationSampler sampler;
            sampler.input = input;
            sampler.output = builder.AddFloats(
                output, path.components == 4 ? TINYGLTF_TYPE_VEC4 : TINYGLTF_TYPE_VEC3, 0, false);
            sampler.interpolation = "LINEAR";
            animation.samplers.push_back(sampler);
            tinygltf::AnimationChannel channel;
            channel.sampler = int(animation.samplers.size() - 1);
            channel.target_node = track.node;
            channel.target_path = path.name;
            animation.channels.push_back(channel);
        }
    }
    if (!animation.channels.empty()) model.animations.push_back(animation);
}

}  // namespace orix::gltf
