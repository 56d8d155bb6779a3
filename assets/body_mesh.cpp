#include "body_mesh.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <utility>

namespace orix_assets {
namespace {

// Where the demonstration's camera stands, seen from the character (tool space, level). The
// atlas darkens away from the middle of each row, so putting u = 0.5 on this side and the seam
// on the far side gives the unlit character some shape.
const Vec3 kToCamera = Normalize(Vec3{-0.6, -0.8, 0});
constexpr double kRegionMargin = 3.0 / 256.0;

// A grid of rings around an axis, optionally closed by a pole at either end.
struct Part {
    int segments = 12;
    int rings = 2;
    std::function<Vec3(int ring, int segment)> point;
    std::function<double(int ring)> along;  // 0 at the base, 1 at the tip
    std::function<int(int band)> material;  // band -1: base cap; rings - 1: tip cap
    bool basePole = false, tipPole = false;
    Vec3 base, tip;
    std::vector<std::string> bones;  // candidates for the nearest-segment binding
};

// Unit direction around axis d; segment 0 faces away from the camera, n/2 towards it.
Vec3 Around(Vec3 d, int k, int n) {
    Vec3 e1 = kToCamera - d * Dot(kToCamera, d);
    if (Length(e1) < 1e-6) e1 = Vec3{0, 0, 1} - d * d.z;
    e1 = Normalize(e1);
    Vec3 e2 = Cross(d, e1);
    double a = kPi + 2 * kPi * k / n;
    return e1 * std::cos(a) + e2 * std::sin(a);
}

struct Ring {
    Vec3 c;
    double r1, r2pos, r2neg;  // radius along f1, along +f2 and along -f2
};

// Maps a unit direction onto an ellipse cross-section (or ellipsoid when rd is given).
Vec3 Shape(Vec3 s, Vec3 d, Vec3 f1, double rd, double r1, double r2pos, double r2neg) {
    Vec3 f2 = Cross(d, f1);
    double b = Dot(s, f2);
    return d * (rd * Dot(s, d)) + f1 * (r1 * Dot(s, f1)) + f2 * (b * (b > 0 ? r2pos : r2neg));
}

Part Tube(Vec3 d, Vec3 f1, std::vector<Ring> rings, int n, double capDepth) {
    d = Normalize(d);
    f1 = Normalize(f1 - d * Dot(f1, d));
    Part p;
    p.segments = n;
    p.rings = static_cast<int>(rings.size());
    p.point = [=](int i, int k) {
        const Ring& r = rings[i];
        return r.c + Shape(Around(d, k, n), d, f1, 0, r.r1, r.r2pos, r.r2neg);
    };
    int m = p.rings;
    p.along = [m](int i) { return static_cast<double>(i) / (m - 1); };
    p.basePole = p.tipPole = capDepth > 0;
    p.base = rings.front().c - d * capDepth;
    p.tip = rings.back().c + d * capDepth;
    return p;
}

Part Ellipsoid(Vec3 c, Vec3 d, Vec3 f1, double rd, double r1, double r2pos, double r2neg, int m,
               int n) {
    d = Normalize(d);
    f1 = Normalize(f1 - d * Dot(f1, d));
    Part p;
    p.segments = n;
    p.rings = m;
    p.point = [=](int i, int k) {
        double psi = kPi - kPi * (i + 1) / (m + 1);
        Vec3 s = d * std::cos(psi) + Around(d, k, n) * std::sin(psi);
        return c + Shape(s, d, f1, rd, r1, r2pos, r2neg);
    };
    p.along = [m](int i) { return static_cast<double>(i + 1) / (m + 1); };
    p.basePole = p.tipPole = true;
    p.base = c - d * rd;
    p.tip = c + d * rd;
    return p;
}

double SegmentDistance(Vec3 p, Vec3 a, Vec3 b) {
    Vec3 ab = b - a;
    double len2 = Dot(ab, ab);
    double t = len2 > 0 ? std::clamp(Dot(p - a, ab) / len2, 0.0, 1.0) : 0.0;
    return Length(p - (a + ab * t));
}

class Builder {
public:
    Builder(TriMesh* mesh, const Skeleton* skeleton) : mesh_(mesh), skeleton_(skeleton) {}

    void Add(const Part& p) {
        const int n = p.segments, m = p.rings;
        const int first = static_cast<int>(mesh_->positions.size());
        std::vector<int> candidates;
        for (const std::string& name : p.bones) candidates.push_back(skeleton_->Find(name));
        auto addPosition = [&](Vec3 v) {
            mesh_->positions.push_back(v);
            mesh_->vertexBone.push_back(NearestBone(v, candidates));
            return static_cast<int>(mesh_->positions.size()) - 1;
        };
        for (int i = 0; i < m; ++i)
            for (int k = 0; k < n; ++k) addPosition(p.point(i, k));
        const int base = p.basePole ? addPosition(p.base) : -1;
        const int tip = p.tipPole ? addPosition(p.tip) : -1;

        auto pos = [&](int i, int k) { return first + i * n + (k % n); };
        auto tex = [&](double u, double along, int material) {
            double v0, v1;
            MaterialRegion(material, &v0, &v1);
            double v = v0 + kRegionMargin + (v1 - v0 - 2 * kRegionMargin) * along;
            return TexVert(u, v);
        };
        for (int i = 0; i + 1 < m; ++i) {
            int mat = p.material(i);
            for (int k = 0; k < n; ++k) {
                double u0 = static_cast<double>(k) / n, u1 = static_cast<double>(k + 1) / n;
                int ta = tex(u0, p.along(i), mat), tb = tex(u1, p.along(i), mat);
                int tc = tex(u1, p.along(i + 1), mat), td = tex(u0, p.along(i + 1), mat);
                AddFace({pos(i, k), pos(i, k + 1), pos(i + 1, k + 1)}, {ta, tb, tc}, mat);
                AddFace({pos(i, k), pos(i + 1, k + 1), pos(i + 1, k)}, {ta, tc, td}, mat);
            }
        }
        for (int k = 0; k < n; ++k) {
            double u0 = static_cast<double>(k) / n, u1 = static_cast<double>(k + 1) / n;
            double uc = (k + 0.5) / n;
            if (base >= 0) {
                int mat = p.material(-1);
                AddFace({base, pos(0, k + 1), pos(0, k)},
                        {tex(uc, 0, mat), tex(u1, p.along(0), mat), tex(u0, p.along(0), mat)}, mat);
            }
            if (tip >= 0) {
                int mat = p.material(m - 1);
                AddFace(
                    {pos(m - 1, k), pos(m - 1, k + 1), tip},
                    {tex(u0, p.along(m - 1), mat), tex(u1, p.along(m - 1), mat), tex(uc, 1, mat)},
                    mat);
            }
        }
    }

private:
    int NearestBone(Vec3 v, const std::vector<int>& candidates) const {
        int best = candidates.front();
        double bestDistance = 1e30;
        for (int b : candidates) {
            const Bone& bone = skeleton_->bones[b];
            double dist = SegmentDistance(v, bone.joint, bone.end);
            if (dist < bestDistance) {
                bestDistance = dist;
                best = b;
            }
        }
        return best;
    }

    // Texture vertices are shared by their printed value, which is what a reader compares.
    int TexVert(double u, double v) {
        std::pair<long, long> key{std::lround(u * 10000), std::lround(v * 10000)};
        auto it = texIndex_.find(key);
        if (it != texIndex_.end()) return it->second;
        mesh_->texVerts.push_back({key.first / 10000.0, key.second / 10000.0});
        int index = static_cast<int>(mesh_->texVerts.size()) - 1;
        texIndex_.emplace(key, index);
        return index;
    }

    void AddFace(std::array<int, 3> v, std::array<int, 3> t, int material) {
        mesh_->faces.push_back({v, t, material});
    }

    TriMesh* mesh_;
    const Skeleton* skeleton_;
    std::map<std::pair<long, long>, int> texIndex_;
};

Vec3 Mirror(Vec3 v) {
    return {-v.x, v.y, v.z};
}

std::function<int(int)> Only(int material) {
    return [material](int) { return material; };
}

}  // namespace

Vec3 TriMesh::FaceNormal(const MeshFace& f) const {
    Vec3 a = positions[f.v[0]], b = positions[f.v[1]], c = positions[f.v[2]];
    return Normalize(Cross(b - a, c - a));
}

void MaterialRegion(int material, double* v0, double* v1) {
    switch (material) {
        case kClothes:
            *v0 = 0.5, *v1 = 1.0;
            break;
        case kSkin:
            *v0 = 0.25, *v1 = 0.5;
            break;
        default:
            *v0 = 0.0, *v1 = 0.25;
            break;  // hair; the shoes have no texture
    }
}

TriMesh BuildBodyMesh(const Skeleton& sk) {
    TriMesh mesh;
    Builder builder(&mesh, &sk);
    const Vec3 up{0, 0, 1}, side{1, 0, 0}, fwd{0, -1, 0};
    auto joint = [&](const char* name) { return sk.bones[sk.Find(name)].joint; };

    // Torso from the crotch to the base of the neck; +f2 is the back.
    {
        const double rows[][4] = {
            {33.5, 4.8, 3.8, 3.6}, {36, 7.4, 5.6, 4.6},   {39, 8.0, 5.8, 4.8},
            {42, 7.6, 4.8, 4.6},   {45, 6.6, 4.0, 4.2},   {47.5, 6.0, 3.8, 4.0},
            {50, 6.3, 3.9, 4.4},   {53, 7.0, 4.2, 5.4},   {56, 7.4, 4.4, 5.6},
            {58.5, 7.8, 4.4, 4.6}, {60.5, 8.0, 4.0, 3.9}, {62, 6.8, 3.4, 3.2},
            {63.2, 3.6, 2.6, 2.4}};
        std::vector<Ring> rings;
        for (const auto& r : rows) rings.push_back({{0, 0.3, r[0]}, r[1], r[2], r[3]});
        Part torso = Tube(up, side, rings, 20, 0.8);
        torso.material = Only(kClothes);
        torso.bones = {"Bip01 Pelvis", "Bip01 Spine", "Bip01 Spine1", "Bip01 Neck"};
        builder.Add(torso);
    }
    // Neck, an open tube hidden at both ends.
    {
        std::vector<Ring> rings;
        for (double z : {61.5, 63.5, 65.5, 67.5}) rings.push_back({{0, 0.2, z}, 1.9, 1.9, 1.8});
        Part neck = Tube(up, side, rings, 12, 0);
        neck.material = Only(kSkin);
        neck.bones = {"Bip01 Neck", "Bip01 Head"};
        builder.Add(neck);
    }
    // Head with a narrower chin and a small nose.
    {
        const Vec3 c{0, -0.4, 71.6};
        Part head = Ellipsoid(c, up, side, 5.9, 4.1, 4.9, 4.7, 13, 20);
        auto sphere = head.point;
        head.point = [=](int i, int k) {
            Vec3 p = sphere(i, k);
            double below = std::max(0.0, (c.z - p.z) / 5.9);
            double narrow = 1 - 0.3 * below * below;
            p = Vec3{c.x + (p.x - c.x) * narrow, c.y + (p.y - c.y) * narrow, p.z};
            Vec3 nose{0, -5.1, 71.0};
            double w = std::exp(-std::pow(Length(p - nose) / 1.3, 2));
            return p + Vec3{0, -0.9 * w, 0};
        };
        head.material = Only(kSkin);
        head.bones = {"Bip01 Head"};
        builder.Add(head);
    }
    for (int s = 0; s < 2; ++s) {
        Vec3 c{s == 0 ? 1.55 : -1.55, -4.5, 72.6};
        Part eye = Ellipsoid(c, fwd, side, 0.5, 0.6, 0.45, 0.45, 5, 8);
        eye.material = Only(kShoes);
        eye.bones = {"Bip01 Head"};
        builder.Add(eye);
    }
    // Hair: a cap that reaches low at the back and stops above the forehead, and a ponytail.
    {
        const Vec3 c{0, -0.1, 72.2};
        const int m = 8, n = 20;
        Part hair;
        hair.segments = n;
        hair.rings = m;
        hair.point = [=](int i, int k) {
            Vec3 dir = Around(up, k, n);
            double back = Dot(dir, Vec3{0, 1, 0});  // +1 at the back, -1 at the face
            double reach = (back > 0 ? 95 + 25 * back : 95 + 35 * back) * kPi / 180;
            double psi = reach * (1.0 - static_cast<double>(i) / m);
            Vec3 s = up * std::cos(psi) + dir * std::sin(psi);
            return c + Shape(s, up, side, 6.3, 4.55, 5.4, 5.15);
        };
        hair.along = [=](int i) { return static_cast<double>(i) / m; };
        hair.tipPole = true;
        hair.tip = c + up * 6.3;
        hair.material = Only(kHair);
        hair.bones = {"Bip01 Head"};
        builder.Add(hair);

        Vec3 from{0, 5.2, 74.0}, to{0, 8.4, 58.5};
        std::vector<Ring> rings;
        const int count = 8;
        for (int i = 0; i < count; ++i) {
            double t = static_cast<double>(i) / (count - 1);
            double r = 1.8 - 1.3 * t;
            rings.push_back({Lerp(from, to, t) + Vec3{0, 1.2 * std::sin(t * kPi), 0}, r, r, r});
        }
        Part tail = Tube(to - from, side, rings, 10, 0.4);
        tail.material = Only(kHair);
        tail.bones = {"Bip01 Head"};
        builder.Add(tail);
    }
    for (int s = 0; s < 2; ++s) {
        auto mirror = [&](Vec3 v) { return s == 0 ? v : Mirror(v); };
        const std::string L = s == 0 ? "Bip01 L " : "Bip01 R ";
        // Leg from inside the hips to the ankle; shorts cover the upper thigh.
        {
            Vec3 hip = joint((L + "Thigh").c_str()), knee = joint((L + "Calf").c_str());
            Vec3 ankle = joint((L + "Foot").c_str());
            const double thigh[][2] = {{-0.12, 4.4}, {0.0, 4.3}, {0.2, 4.0}, {0.45, 3.6},
                                       {0.7, 3.1},   {0.9, 2.6}, {1.0, 2.35}};
            const double calf[][2] = {{0.12, 2.5}, {0.3, 2.7}, {0.5, 2.4},
                                      {0.7, 1.9},  {0.9, 1.5}, {1.02, 1.35}};
            std::vector<Ring> rings;
            for (const auto& r : thigh)
                rings.push_back({Lerp(hip, knee, r[0]), r[1], r[1], r[1] * 0.95});
            for (const auto& r : calf)
                rings.push_back({Lerp(knee, ankle, r[0]), r[1], r[1] * 0.95, r[1]});
            Part leg = Tube(ankle - hip, side, rings, 14, 1.0);
            leg.material = [](int band) { return band < 3 ? kClothes : kSkin; };
            leg.bones = {L + "Thigh", L + "Calf"};
            builder.Add(leg);
        }
        // Shoe: level, flat-soled, along the foot.
        {
            Part shoe = Ellipsoid(mirror({4.4, -1.7, 2.0}), fwd, side, 4.5, 1.95, 2.1, 2.1, 8, 14);
            auto round = shoe.point;
            shoe.point = [=](int i, int k) {
                Vec3 p = round(i, k);
                p.z = std::max(p.z, 0.3);
                return p;
            };
            shoe.base.z = std::max(shoe.base.z, 0.3);
            shoe.tip.z = std::max(shoe.tip.z, 0.3);
            shoe.material = Only(kShoes);
            shoe.bones = {L + "Foot"};
            builder.Add(shoe);
        }
        // Arm from the shoulder to the wrist, with a short sleeve.
        {
            Vec3 shoulder = joint((L + "UpperArm").c_str()), elbow = joint((L + "Forearm").c_str());
            Vec3 wrist = joint((L + "Hand").c_str());
            const double upper[][2] = {{-0.08, 2.3}, {0.1, 2.25}, {0.35, 2.05},
                                       {0.6, 1.9},   {0.85, 1.7}, {1.0, 1.55}};
            const double lower[][2] = {{0.2, 1.6}, {0.5, 1.45}, {0.8, 1.2}, {1.0, 1.05}};
            std::vector<Ring> rings;
            for (const auto& r : upper)
                rings.push_back({Lerp(shoulder, elbow, r[0]), r[1], r[1], r[1]});
            for (const auto& r : lower)
                rings.push_back({Lerp(elbow, wrist, r[0]), r[1], r[1] * 0.9, r[1] * 0.9});
            Part arm = Tube(wrist - shoulder, fwd, rings, 12, 1.2);
            arm.material = [](int band) { return band < 2 ? kClothes : kSkin; };
            arm.bones = {L + "UpperArm", L + "Forearm"};
            builder.Add(arm);
        }
        // Hand: a flat mitten along the hand bone, thin across the palm.
        {
            const Bone& hand = sk.bones[sk.Find(L + "Hand")];
            Vec3 c = Lerp(hand.joint, hand.end, 0.45);
            Part mitten = Ellipsoid(c, hand.end - hand.joint, fwd, 3.6, 1.6, 0.85, 0.85, 7, 12);
            mitten.material = Only(kSkin);
            mitten.bones = {L + "Hand"};
            builder.Add(mitten);
        }
    }
    return mesh;
}

TriMesh BuildHeadCollisionMesh(const Skeleton& sk) {
    (void)sk;
    TriMesh mesh;
    const Vec3 c{0, -0.4, 72.0}, h{4.8, 5.4, 6.6};
    for (int i = 0; i < 8; ++i)
        mesh.positions.push_back(
            {c.x + (i & 1 ? h.x : -h.x), c.y + (i & 2 ? h.y : -h.y), c.z + (i & 4 ? h.z : -h.z)});
    // Two triangles per side, counter-clockwise from outside.
    const int quads[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                             {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    for (const auto& q : quads) {
        mesh.faces.push_back({{q[0], q[1], q[2]}, {0, 0, 0}, 0});
        mesh.faces.push_back({{q[0], q[2], q[3]}, {0, 0, 0}, 0});
    }
    return mesh;
}

}  // namespace orix_assets
