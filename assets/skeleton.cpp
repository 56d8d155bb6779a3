#include "skeleton.h"

namespace orix_assets {
namespace {

constexpr double kDeg = kPi / 180.0;

// Bone frame: x along the bone, y towards ref, z completing a right-handed frame.
Xform FrameAt(Vec3 joint, Vec3 dir, Vec3 ref) {
    Vec3 x = Normalize(dir);
    Vec3 y = Normalize(ref - x * Dot(ref, x));
    Vec3 z = Cross(x, y);
    Xform m;
    Vec3 rows[3] = {x, y, z};
    for (int i = 0; i < 3; ++i) {
        m.r[i][0] = rows[i].x;
        m.r[i][1] = rows[i].y;
        m.r[i][2] = rows[i].z;
    }
    m.t = joint;
    return m;
}

Vec3 Mirror(Vec3 v) {
    return {-v.x, v.y, v.z};
}

// Turn of a bone about a world axis (as it lies in the bind pose), expressed in the bone's
// own coordinates so that it can be applied before the bind-local transform.
Xform TurnInBone(const Bone& b, Vec3 worldAxis, double angle) {
    Vec3 local = TransformVector(RigidInverse(b.bind), worldAxis);
    return TurnAbout(local, angle);
}

}  // namespace

int Skeleton::Find(const std::string& name) const {
    for (size_t i = 0; i < bones.size(); ++i)
        if (bones[i].name == name) return static_cast<int>(i);
    return -1;
}

Xform Skeleton::Local(int index, double frame) const {
    const Bone& b = bones[index];
    Xform local = b.bind;
    if (b.parent >= 0) local = Multiply(b.bind, RigidInverse(bones[b.parent].bind));

    const double phase = 2 * kPi * frame / kCycleFrames;
    const double s = std::sin(phase);
    const std::string& n = b.name;
    const bool left = n.find(" L ") != std::string::npos;
    const double side = left ? 1.0 : -1.0;  // the right side moves half a cycle later
    const double thigh = side * 24 * kDeg * s;
    const double knee = 4 * kDeg + 28 * kDeg * std::pow((1 - side * s) / 2, 2);
    const Vec3 kX{1, 0, 0}, kY{0, 1, 0}, kZ{0, 0, 1};

    Xform turn;
    if (n == "Bip01 Pelvis") {
        // The hips sway over the standing leg and dip as the legs pass.
        Vec3 offset{0.7 * s, 0, -0.9 * (1 - std::cos(2 * phase)) / 2};
        local.t = local.t + TransformVector(RigidInverse(bones[b.parent].bind), offset);
    } else if (n == "Bip01 Spine") {
        turn = TurnInBone(b, kZ, 7 * kDeg * s);
    } else if (n == "Bip01 Spine1") {
        turn = Multiply(TurnInBone(b, kY, 3 * kDeg * s),
                        TurnInBone(b, kX, (2 + 1.5 * std::cos(2 * phase)) * kDeg));
    } else if (n == "Bip01 Head") {
        turn = Multiply(TurnInBone(b, kX, 4 * kDeg * std::sin(2 * phase)),
                        TurnInBone(b, kZ, 12 * kDeg * std::sin(phase / 2)));
    } else if (n.find("Thigh") != std::string::npos) {
        turn = TurnInBone(b, kX, thigh);
    } else if (n.find("Calf") != std::string::npos) {
        turn = TurnInBone(b, kX, knee);
    } else if (n.find("Foot") != std::string::npos) {
        turn = TurnInBone(b, kX, -0.5 * (thigh + knee));
    } else if (n.find("UpperArm") != std::string::npos) {
        turn = TurnInBone(b, kX, -0.8 * thigh);
    } else if (n.find("Forearm") != std::string::npos) {
        turn = TurnInBone(b, kX, -(18 + 10 * (1 - side * s) / 2) * kDeg);
    }
    return Multiply(turn, local);
}

std::vector<Xform> Skeleton::Pose(double frame) const {
    std::vector<Xform> world(bones.size());
    for (size_t i = 0; i < bones.size(); ++i) {
        Xform local = Local(static_cast<int>(i), frame);
        world[i] = bones[i].parent < 0 ? local : Multiply(local, world[bones[i].parent]);
    }
    return world;
}

Skeleton BuildSkeleton() {
    Skeleton sk;
    const Vec3 fwd{0, -1, 0}, up{0, 0, 1};
    auto add = [&](const std::string& name, const std::string& parent, Vec3 joint, Vec3 end,
                   Vec3 ref, RotationControl rot, PositionControl pos, int step) {
        Bone b;
        b.name = name;
        b.parent = sk.Find(parent);
        b.joint = joint;
        b.end = end;
        b.bind = FrameAt(joint, end - joint, ref);
        b.rotation = rot;
        b.position = pos;
        b.keyStep = step;
        sk.bones.push_back(b);
    };
    using R = RotationControl;
    using P = PositionControl;

    const Vec3 hips{0, 0, 41}, spine{0, 0.3, 44.5}, chest{0, 0.5, 52}, neck{0, 0.3, 63},
        head{0, 0, 66.5}, top{0, 0, 77.5};
    add("Bip01", "", hips, hips + fwd, up, R::kNone, P::kNone, 5);
    add("Bip01 Pelvis", "Bip01", hips, hips + up, fwd, R::kNone, P::kBezier, 5);
    add("Bip01 Spine", "Bip01 Pelvis", spine, chest, fwd, R::kTcb, P::kNone, 10);

    const Vec3 hip{4.6, 0, 40}, knee{4.4, -0.4, 22}, ankle{4.3, 0.6, 4.0}, toe{4.5, -6.2, 0.9};
    for (int leg = 0; leg < 2; ++leg) {
        auto side = [&](Vec3 v) { return leg == 0 ? v : Mirror(v); };
        std::string s = leg == 0 ? "Bip01 L " : "Bip01 R ";
        add(s + "Thigh", "Bip01 Pelvis", side(hip), side(knee), fwd, R::kTcb, P::kNone, 5);
        add(s + "Calf", s + "Thigh", side(knee), side(ankle), fwd, R::kTrack, P::kNone, 2);
        add(s + "Foot", s + "Calf", side(ankle), side(toe), up, R::kBezier, P::kNone, 5);
    }
    add("Bip01 Spine1", "Bip01 Spine", chest, neck, fwd, R::kBezier, P::kNone, 5);
    add("Bip01 Neck", "Bip01 Spine1", neck, head, fwd, R::kNone, P::kNone, 5);

    const Vec3 clav{1.0, 0.3, 61.5}, shoulder{7.6, 0.6, 61.0}, elbow{10.8, 1.0, 48.8},
        wrist{13.0, 0.2, 37.6}, fingers{14.0, -0.6, 30.8};
    for (int arm = 0; arm < 2; ++arm) {
        auto side = [&](Vec3 v) { return arm == 0 ? v : Mirror(v); };
        std::string s = arm == 0 ? "Bip01 L " : "Bip01 R ";
        add(s + "Clavicle", "Bip01 Neck", side(clav), side(shoulder), fwd, R::kNone, P::kNone, 5);
        add(s + "UpperArm", s + "Clavicle", side(shoulder), side(elbow), fwd, R::kBezier, P::kNone,
            5);
        add(s + "Forearm", s + "UpperArm", side(elbow), side(wrist), fwd, R::kTcb, P::kNone, 10);
        add(s + "Hand", s + "Forearm", side(wrist), side(fingers), fwd, R::kNone, P::kNone, 5);
    }
    add("Bip01 Head", "Bip01 Neck", head, top, fwd, R::kTrack, P::kNone, 2);
    return sk;
}

}  // namespace orix_assets
