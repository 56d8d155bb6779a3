#include "character_export.h"

#include <cmath>

#include "ase_text.h"

namespace orix_assets {
namespace {

// Axis and angle as the file will hold them (four decimals), and the rotation a reader rebuilds
// from them: relative keys are chained from these, so rounding never accumulates.
struct RoundedRotation {
    Vec3 axis;
    double angle = 0;
    Xform matrix;
};

double Round4(double v) {
    return std::round(v * 10000) / 10000;
}

RoundedRotation Rounded(const Xform& m) {
    RoundedRotation r;
    ToolAxisAngle(m, &r.axis, &r.angle);
    r.axis = {Round4(r.axis.x), Round4(r.axis.y), Round4(r.axis.z)};
    r.angle = Round4(r.angle);
    r.matrix = ToolRotation(r.axis, r.angle);
    return r;
}

Xform Scaled(Xform m) {
    m.t = m.t * kFigureScale;
    return m;
}

TriMesh Scaled(const TriMesh& mesh) {
    TriMesh out = mesh;
    for (Vec3& p : out.positions) p = p * kFigureScale;
    return out;
}

Xform RotationOnly(Xform m) {
    m.t = {0, 0, 0};
    return m;
}

int WriteAnimation(AseText* out, const Skeleton& sk, int index) {
    const Bone& b = sk.bones[index];
    if (b.rotation == RotationControl::kNone && b.position == PositionControl::kNone) return 0;
    int keys = 0;
    out->Line(1, "*TM_ANIMATION {");
    out->Line(2, "*NODE_NAME \"%s\"", b.name.c_str());
    if (b.position == PositionControl::kBezier) {
        out->Line(2, "*CONTROL_POS_BEZIER {");
        for (int f = kFirstFrame; f <= kLastFrame; f += b.keyStep, ++keys) {
            Vec3 p = sk.Local(index, f).t * kFigureScale;
            out->Line(3,
                      "*CONTROL_BEZIER_POS_KEY %d\t%s\t0.0000\t0.0000\t0.0000\t0.0000\t0.0000\t"
                      "0.0000\t0",
                      f * kTicksPerFrame, Num3(p).c_str());
        }
        out->Line(2, "}");
    }
    if (b.rotation != RotationControl::kNone) {
        const char* block = "*CONTROL_ROT_BEZIER";
        const char* key = "*CONTROL_BEZIER_ROT_KEY";
        const char* tail = "";
        if (b.rotation == RotationControl::kTcb) {
            block = "*CONTROL_ROT_TCB";
            key = "*CONTROL_TCB_ROT_KEY";
            tail = "\t0.0000\t0.0000\t0.0000\t0.0000\t0.0000";
        } else if (b.rotation == RotationControl::kTrack) {
            block = "*CONTROL_ROT_TRACK";
            key = "*CONTROL_ROT_SAMPLE";
        }
        // Bezier keys hold the rotation itself; TCB keys and track samples hold the turn from
        // the previous key, the first one from the identity.
        const bool relative = b.rotation != RotationControl::kBezier;
        out->Line(2, "%s {", block);
        Xform reached;  // what a reader has accumulated so far
        for (int f = kFirstFrame; f <= kLastFrame; f += b.keyStep, ++keys) {
            Xform target = RotationOnly(sk.Local(index, f));
            RoundedRotation r =
                Rounded(relative ? Multiply(RigidInverse(reached), target) : target);
            reached = Multiply(reached, r.matrix);
            out->Line(3, "%s %d\t%s\t%s%s", key, f * kTicksPerFrame, Num3(r.axis).c_str(),
                      Num(r.angle).c_str(), tail);
        }
        out->Line(2, "}");
    }
    out->Line(1, "}");
    return keys;
}

void WriteGeometry(AseText* out, const char* name, const char* parent, const TriMesh& mesh,
                   const Xform& tm, int materialRef) {
    out->Line(0, "*GEOMOBJECT {");
    out->Line(1, "*NODE_NAME \"%s\"", name);
    if (parent != nullptr) out->Line(1, "*NODE_PARENT \"%s\"", parent);
    WriteNodeTm(out, 1, name, tm);
    WriteMesh(out, 1, mesh);
    out->Line(1, "*PROP_MOTIONBLUR 0");
    out->Line(1, "*PROP_CASTSHADOW 1");
    out->Line(1, "*PROP_RECVSHADOW 1");
    out->Line(1, "*MATERIAL_REF %d", materialRef);
    out->Line(0, "}");
}

}  // namespace

std::string CharacterAse(const Skeleton& sk, const TriMesh& unscaledBody,
                         const TriMesh& unscaledCollision, int* keyCount) {
    const TriMesh body = Scaled(unscaledBody);
    const TriMesh collision = Scaled(unscaledCollision);
    AseText out;
    WriteHeader(&out, "girl.max", kFirstFrame, kLastFrame);

    out.Line(0, "*MATERIAL_LIST {");
    out.Line(1, "*MATERIAL_COUNT 2");
    out.Line(1, "*MATERIAL 0 {");
    out.Line(2, "*MATERIAL_NAME \"%s\"", kSkinMeshName);
    out.Line(2, "*MATERIAL_CLASS \"Multi/Sub-Object\"");
    out.Line(2, "*MATERIAL_AMBIENT 0.5882\t0.5882\t0.5882");
    out.Line(2, "*MATERIAL_DIFFUSE 0.5882\t0.5882\t0.5882");
    out.Line(2, "*MATERIAL_SPECULAR 0.9000\t0.9000\t0.9000");
    out.Line(2, "*MATERIAL_SHINE 0.1000");
    out.Line(2, "*MATERIAL_SHINESTRENGTH 0.0000");
    out.Line(2, "*MATERIAL_TRANSPARENCY 0.0000");
    out.Line(2, "*MATERIAL_WIRESIZE 1.0000");
    out.Line(2, "*NUMSUBMTLS %d", kMaterialCount);
    const MaterialSpec subs[kMaterialCount] = {
        {"Skin", {0.60, 0.48, 0.42}, {0.98, 0.80, 0.68}, {0.2, 0.2, 0.2}, kCharacterTexture},
        {"Clothes", {0.55, 0.25, 0.30}, {0.95, 0.45, 0.55}, {0.2, 0.2, 0.2}, kCharacterTexture},
        {"Hair", {0.25, 0.15, 0.08}, {0.50, 0.30, 0.16}, {0.3, 0.3, 0.3}, kCharacterTexture},
        {"Shoes", {0.12, 0.06, 0.05}, {0.24, 0.12, 0.10}, {0.4, 0.4, 0.4}, ""},
    };
    for (int i = 0; i < kMaterialCount; ++i) {
        out.Line(2, "*SUBMATERIAL %d {", i);
        WriteStandardMaterial(&out, 3, subs[i], i + 1);
        out.Line(2, "}");
    }
    out.Line(1, "}");
    out.Line(1, "*MATERIAL 1 {");
    WriteStandardMaterial(&out, 2, {"Collision", {0.3, 0.3, 0.3}, {0.5, 0.5, 0.5}, {0, 0, 0}, ""},
                          0);
    out.Line(1, "}");
    out.Line(0, "}");

    int keys = 0;
    for (size_t i = 0; i < sk.bones.size(); ++i) {
        const Bone& b = sk.bones[i];
        out.Line(0, "*HELPEROBJECT {");
        out.Line(1, "*NODE_NAME \"%s\"", b.name.c_str());
        if (b.parent >= 0) out.Line(1, "*NODE_PARENT \"%s\"", sk.bones[b.parent].name.c_str());
        out.Line(1, "*HELPER_CLASS \"Dummy\"");
        WriteNodeTm(&out, 1, b.name, Scaled(b.bind));
        const Vec3 joint = b.joint * kFigureScale;
        out.Line(1, "*BOUNDINGBOX_MIN %s", Num3(joint - Vec3{0.5, 0.5, 0.5}).c_str());
        out.Line(1, "*BOUNDINGBOX_MAX %s", Num3(joint + Vec3{0.5, 0.5, 0.5}).c_str());
        keys += WriteAnimation(&out, sk, static_cast<int>(i));
        out.Line(0, "}");
    }

    WriteGeometry(&out, kSkinMeshName, nullptr, body, Xform{}, 0);
    Xform boxTm;
    for (const Vec3& p : collision.positions) boxTm.t = boxTm.t + p * (1.0 / 8);
    WriteGeometry(&out, "Girl Head Collision", "Bip01 Head", collision, boxTm, 1);
    if (keyCount != nullptr) *keyCount = keys;
    return out.Text();
}

std::string SkinFile(const Skeleton& sk, const TriMesh& body) {
    AseText out;
    out.Line(0, "MESH_SKIN_FILE \"%s\"", kSkinMeshName);
    for (size_t b = 0; b < sk.bones.size(); ++b) {
        std::vector<int> numbers;
        for (size_t v = 0; v < body.vertexBone.size(); ++v)
            if (body.vertexBone[v] == static_cast<int>(b))
                numbers.push_back(static_cast<int>(v) + 1);
        if (numbers.empty()) continue;
        out.Line(0, "\"%s\" %zu", sk.bones[b].name.c_str(), numbers.size());
        std::string line;
        for (size_t i = 0; i < numbers.size(); ++i) {
            line += std::to_string(numbers[i]);
            if (i % 16 == 15 || i + 1 == numbers.size()) {
                out.Line(0, "%s", line.c_str());
                line.clear();
            } else {
                line += ' ';
            }
        }
    }
    return out.Text();
}

}  // namespace orix_assets
