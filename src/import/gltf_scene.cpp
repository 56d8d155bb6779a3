#include "import/gltf_scene.h"

#include <algorithm>
#include <cmath>

#include "import/gltf_document.h"

namespace orix::gltf {

Transform operator*(const Transform& a, const Transform& b) {
    Transform out;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            double v = 0.0;
            for (int k = 0; k < 4; ++k) v += a.m[r][k] * b.m[k][c];
            out.m[r][c] = v;
        }
    }
    return out;
}

Transform Inverse(const Transform& a) {
    const auto& m = a.m;
    double c00 = m[1][1] * m[2][2] - m[1][2] * m[2][1];
    double c01 = m[1][2] * m[2][0] - m[1][0] * m[2][2];
    double c02 = m[1][0] * m[2][1] - m[1][1] * m[2][0];
    double det = m[0][0] * c00 + m[0][1] * c01 + m[0][2] * c02;
    Transform out;
    if (std::fabs(det) > 1e-300 && std::isfinite(det)) {
        double inv = 1.0 / det;
        out.m[0][0] = c00 * inv;
        out.m[1][0] = c01 * inv;
        out.m[2][0] = c02 * inv;
        out.m[0][1] = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) * inv;
        out.m[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) * inv;
        out.m[2][1] = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) * inv;
        out.m[0][2] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) * inv;
        out.m[1][2] = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) * inv;
        out.m[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) * inv;
    }
    for (int c = 0; c < 3; ++c) {
        double v = 0.0;
        for (int k = 0; k < 3; ++k) v -= m[3][k] * out.m[k][c];
        out.m[3][c] = v;
    }
    return out;
}

Transform FromMatrix(const Matrix& m) {
    Transform t;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) t.m[r][c] = m.m[r][c];
    }
    return t;
}

Matrix ToMatrix(const Transform& t) {
    Matrix m;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) m.m[r][c] = float(t.m[r][c]);
    }
    return m;
}

void TransformPoint(const Transform& t, const double p[3], double out[3]) {
    for (int c = 0; c < 3; ++c)
        out[c] = p[0] * t.m[0][c] + p[1] * t.m[1][c] + p[2] * t.m[2][c] + t.m[3][c];
}

namespace {

double Dot(const double* a, const double* b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

void Cross(const double* a, const double* b, double* out) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

// The engine quaternion (w, x, y, z) whose QuaternionToMatrix is the rotation rows r.
void QuaternionOfRows(const double r[3][3], double q[4]) {
    double trace = r[0][0] + r[1][1] + r[2][2];
    if (trace > 0.0) {
        double s = std::sqrt(trace + 1.0) * 2.0;
        q[0] = 0.25 * s;
        q[1] = (r[2][1] - r[1][2]) / s;
        q[2] = (r[0][2] - r[2][0]) / s;
        q[3] = (r[1][0] - r[0][1]) / s;
    } else if (r[0][0] > r[1][1] && r[0][0] > r[2][2]) {
        double s = std::sqrt(1.0 + r[0][0] - r[1][1] - r[2][2]) * 2.0;
        q[0] = (r[2][1] - r[1][2]) / s;
        q[1] = 0.25 * s;
        q[2] = (r[0][1] + r[1][0]) / s;
        q[3] = (r[0][2] + r[2][0]) / s;
    } else if (r[1][1] > r[2][2]) {
        double s = std::sqrt(1.0 + r[1][1] - r[0][0] - r[2][2]) * 2.0;
        q[0] = (r[0][2] - r[2][0]) / s;
        q[1] = (r[0][1] + r[1][0]) / s;
        q[2] = 0.25 * s;
        q[3] = (r[1][2] + r[2][1]) / s;
    } else {
        double s = std::sqrt(1.0 + r[2][2] - r[0][0] - r[1][1]) * 2.0;
        q[0] = (r[1][0] - r[0][1]) / s;
        q[1] = (r[0][2] + r[2][0]) / s;
        q[2] = (r[1][2] + r[2][1]) / s;
        q[3] = 0.25 * s;
    }
    double n = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    for (int i = 0; i < 4; ++i) q[i] /= n;
    if (q[0] < 0.0) {
        for (int i = 0; i < 4; ++i) q[i] = -q[i];
    }
}

// Orthonormal rows nearest t's 3 x 3 part (a mirror taken out of row 0); false when degenerate.
bool RotationRows(const Transform& t, double rows[3][3], double scale[3]) {
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) rows[r][c] = t.m[r][c];
        scale[r] = std::sqrt(Dot(rows[r], rows[r]));
    }
    if (!(scale[0] > 1e-12 && scale[1] > 1e-12 && scale[2] > 1e-12)) {
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c) rows[r][c] = r == c ? 1.0 : 0.0;
        }
        return false;
    }
    double cross[3];
    Cross(rows[1], rows[2], cross);
    if (Dot(rows[0], cross) < 0.0) {
        scale[0] = -scale[0];
        for (int c = 0; c < 3; ++c) rows[0][c] = -rows[0][c];
    }
    // Gram-Schmidt from row 0, the third row made from the other two.
    for (int c = 0; c < 3; ++c) rows[0][c] /= std::fabs(scale[0]);
    double d = Dot(rows[0], rows[1]);
    for (int c = 0; c < 3; ++c) rows[1][c] -= d * rows[0][c];
    double n1 = std::sqrt(Dot(rows[1], rows[1]));
    if (n1 < 1e-12) return false;
    for (int c = 0; c < 3; ++c) rows[1][c] /= n1;
    Cross(rows[0], rows[1], rows[2]);
    return true;
}

// glTF quaternion (x, y, z, w) as a row-vector rotation in glTF space.
Transform RotationOf(const double* q) {
    double x = q[0], y = q[1], z = q[2], w = q[3];
    double n = std::sqrt(x * x + y * y + z * z + w * w);
    if (n > 0.0) x /= n, y /= n, z /= n, w /= n;
    Transform r;
    // The column-vector matrix's transpose.
    r.m[0][0] = 1 - 2 * (y * y + z * z);
    r.m[1][0] = 2 * (x * y - w * z);
    r.m[2][0] = 2 * (x * z + w * y);
    r.m[0][1] = 2 * (x * y + w * z);
    r.m[1][1] = 1 - 2 * (x * x + z * z);
    r.m[2][1] = 2 * (y * z - w * x);
    r.m[0][2] = 2 * (x * z - w * y);
    r.m[1][2] = 2 * (y * z + w * x);
    r.m[2][2] = 1 - 2 * (x * x + y * y);
    return r;
}

}  // namespace

Transform FromGltf(const Transform& m) {
    // C · m · C in doubles.
    Transform out = m;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            if ((r == 2) != (c == 2)) out.m[r][c] = -m.m[r][c];
        }
    }
    return out;
}

namespace {

Transform LocalOf(const double t[3], const double q[4], const double s[3]) {
    Transform scale;
    for (int i = 0; i < 3; ++i) scale.m[i][i] = s[i];
    Transform out = scale * RotationOf(q);
    for (int i = 0; i < 3; ++i) out.m[3][i] = t[i];
    return FromGltf(out);
}

}  // namespace

bool Decompose(const Transform& t, EngineTrs* out) {
    double rows[3][3];
    bool ok = RotationRows(t, rows, out->s);
    for (int c = 0; c < 3; ++c) out->t[c] = t.m[3][c];
    QuaternionOfRows(rows, out->q);
    if (!ok) return false;
    // Exact when the rows were already square to each other.
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            if (std::fabs(t.m[r][c] - out->s[r] * rows[r][c]) > 1e-4 * std::fabs(out->s[r]) + 1e-9)
                return false;
        }
    }
    return true;
}

Transform RigidPart(const Transform& t) {
    double rows[3][3], scale[3];
    RotationRows(t, rows, scale);
    Transform r;
    for (int i = 0; i < 3; ++i) {
        for (int c = 0; c < 3; ++c) r.m[i][c] = rows[i][c];
        r.m[3][i] = t.m[3][i];
    }
    return r;
}

bool SceneGraph::Build(const tinygltf::Model& model, std::string* error) {
    const size_t n = model.nodes.size();
    parent_.assign(n, -1);
    order_.clear();
    for (size_t i = 0; i < n; ++i) {
        for (int child : model.nodes[i].children) {
            if (child < 0 || size_t(child) >= n) {
                *error = "node " + std::to_string(i) + " has child " + std::to_string(child) +
                         ", which does not exist";
                return false;
            }
            if (parent_[size_t(child)] >= 0 || size_t(child) == i) {
                *error = "node " + std::to_string(child) +
                         (size_t(child) == i ? " is its own child" : " is the child of two nodes");
                return false;
            }
            parent_[size_t(child)] = int(i);
        }
    }
    // Every node must reach a root: a chain that comes back to itself never does.
    for (size_t i = 0; i < n; ++i) {
        size_t steps = 0;
        for (int p = int(i); p >= 0; p = parent_[size_t(p)]) {
            if (++steps > n) {
                *error = "node " + std::to_string(i) + " is its own ancestor";
                return false;
            }
        }
    }
    std::vector<int> roots;
    int scene = model.defaultScene >= 0 ? model.defaultScene : 0;
    if (!model.scenes.empty()) {
        if (size_t(scene) >= model.scenes.size()) {
            *error = "the default scene " + std::to_string(scene) + " does not exist";
            return false;
        }
        roots = model.scenes[size_t(scene)].nodes;
    } else {
        for (size_t i = 0; i < n; ++i) {
            if (parent_[i] < 0) roots.push_back(int(i));
        }
    }
    std::vector<char> taken(n, 0);
    for (int root : roots) {
        if (root < 0 || size_t(root) >= n) {
            *error = "the scene names node " + std::to_string(root) + ", which does not exist";
            return false;
        }
        if (parent_[size_t(root)] >= 0 || taken[size_t(root)]) continue;
        std::vector<int> stack{root};
        while (!stack.empty()) {
            int node = stack.back();
            stack.pop_back();
            taken[size_t(node)] = 1;
            order_.push_back(node);
            const auto& children = model.nodes[size_t(node)].children;
            for (auto c = children.rbegin(); c != children.rend(); ++c) stack.push_back(*c);
        }
    }
    return true;
}

bool SceneGraph::SetAnimation(const tinygltf::Model& model, int animation, std::string* error) {
    channels_.clear();
    duration_ = 0.0;
    if (animation < 0) return true;
    const tinygltf::Animation& a = model.animations[size_t(animation)];
    for (const tinygltf::AnimationChannel& ch : a.channels) {
        int path = ch.target_path == "translation" ? 0
                   : ch.target_path == "rotation"  ? 1
                   : ch.target_path == "scale"     ? 2
                                                   : -1;
        if (path < 0 || ch.target_node < 0) continue;  // morph weights, animation pointers
        if (size_t(ch.target_node) >= model.nodes.size() || ch.sampler < 0 ||
            size_t(ch.sampler) >= a.samplers.size()) {
            *error = "animation " + std::to_string(animation) +
                     " has a channel whose node or sampler does not exist";
            return false;
        }
        const tinygltf::AnimationSampler& s = a.samplers[size_t(ch.sampler)];
        Channel c;
        c.node = ch.target_node;
        c.path = path;
        c.interpolation = s.interpolation == "STEP" ? 0 : s.interpolation == "CUBICSPLINE" ? 2 : 1;
        const int width = path == 1 ? 4 : 3;
        if (!ReadAccessor(model, s.input, 1, &c.times, error) ||
            !ReadAccessor(model, s.output, width, &c.values, error))
            return false;
        const size_t per = c.interpolation == 2 ? 3 : 1;
        if (c.times.empty() || c.values.size() != c.times.size() * per * size_t(width)) {
            *error = "animation " + std::to_string(animation) +
                     " has a sampler whose outputs do not match its key times";
            return false;
        }
        for (size_t k = 1; k < c.times.size(); ++k) {
            if (!(c.times[k] > c.times[k - 1])) {
                *error = "animation " + std::to_string(animation) +
                         " has key times that do not increase";
                return false;
            }
        }
        duration_ = std::max(duration_, c.times.back());
        channels_.push_back(std::move(c));
    }
    return true;
}

void SceneGraph::Sample(const Channel& c, double seconds, double* out) const {
    const int width = c.path == 1 ? 4 : 3;
    const size_t per = c.interpolation == 2 ? 3 : 1;
    // The value of key k (the middle one of a cubic spline's three).
    auto value = [&](size_t k) {
        return &c.values[(k * per + (per == 3 ? 1 : 0)) * size_t(width)];
    };
    size_t last = c.times.size() - 1;
    if (seconds <= c.times[0] || last == 0) {
        std::copy(value(0), value(0) + width, out);
        return;
    }
    if (seconds >= c.times[last]) {
        std::copy(value(last), value(last) + width, out);
        return;
    }
    size_t k =
        size_t(std::upper_bound(c.times.begin(), c.times.end(), seconds) - c.times.begin()) - 1;
    const double t0 = c.times[k], t1 = c.times[k + 1], span = t1 - t0;
    const double u = (seconds - t0) / span;
    const double* a = value(k);
    const double* b = value(k + 1);
    if (c.interpolation == 0) {
        std::copy(a, a + width, out);
    } else if (c.interpolation == 2) {
        const double* outTangent = &c.values[(k * 3 + 2) * size_t(width)];
        const double* inTangent = &c.values[((k + 1) * 3) * size_t(width)];
        double u2 = u * u, u3 = u2 * u;
        for (int i = 0; i < width; ++i)
            out[i] = (2 * u3 - 3 * u2 + 1) * a[i] + (u3 - 2 * u2 + u) * span * outTangent[i] +
                     (-2 * u3 + 3 * u2) * b[i] + (u3 - u2) * span * inTangent[i];
    } else if (c.path == 1) {
        double d = a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
        double sign = d < 0.0 ? -1.0 : 1.0;
        d = std::min(1.0, std::fabs(d));
        double wa = 1.0 - u, wb = u;
        if (d < 0.9999999) {
            double angle = std::acos(d), s = std::sin(angle);
            wa = std::sin((1.0 - u) * angle) / s;
            wb = std::sin(u * angle) / s;
        }
        for (int i = 0; i < 4; ++i) out[i] = wa * a[i] + sign * wb * b[i];
    } else {
        for (int i = 0; i < width; ++i) out[i] = a[i] + (b[i] - a[i]) * u;
    }
}

void SceneGraph::WorldAt(const tinygltf::Model& model, double seconds,
                         std::vector<Transform>* world) const {
    const size_t n = model.nodes.size();
    struct Local {
        double t[3] = {0, 0, 0}, q[4] = {0, 0, 0, 1}, s[3] = {1, 1, 1};
        bool animated = false;
    };
    std::vector<Local> locals(n);
    for (int node : order_) {
        const tinygltf::Node& g = model.nodes[size_t(node)];
        Local& l = locals[size_t(node)];
        if (g.translation.size() == 3) std::copy(g.translation.begin(), g.translation.end(), l.t);
        if (g.rotation.size() == 4) std::copy(g.rotation.begin(), g.rotation.end(), l.q);
        if (g.scale.size() == 3) std::copy(g.scale.begin(), g.scale.end(), l.s);
    }
    for (const Channel& c : channels_) {
        Local& l = locals[size_t(c.node)];
        Sample(c, seconds, c.path == 0 ? l.t : c.path == 1 ? l.q : l.s);
        l.animated = true;
    }
    world->assign(n, Transform());
    for (int node : order_) {
        const tinygltf::Node& g = model.nodes[size_t(node)];
        const Local& l = locals[size_t(node)];
        Transform local;
        if (g.matrix.size() == 16 && !l.animated) {
            // glTF's column-major numbers are the row-vector matrix row by row.
            for (int r = 0; r < 4; ++r) {
                for (int c = 0; c < 4; ++c) local.m[r][c] = g.matrix[size_t(r * 4 + c)];
            }
            local = FromGltf(local);
        } else {
            local = LocalOf(l.t, l.q, l.s);
        }
        int p = parent_[size_t(node)];
        (*world)[size_t(node)] = p >= 0 ? local * (*world)[size_t(p)] : local;
    }
}

}  // namespace orix::gltf
