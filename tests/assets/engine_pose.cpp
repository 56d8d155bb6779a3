#include "engine_pose.h"

namespace orix_assets_test {

using orix::Matrix;
using orix::Quaternion;
using orix::Vector3;

Matrix EngineMatrix(const std::array<std::array<double, 3>, 4>& rows) {
    const int p[3] = {0, 2, 1};
    Matrix m = Matrix::Identity();
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) m.m[i][j] = static_cast<float>(rows[p[i]][p[j]]);
    m.SetTranslation(EngineVector(rows[3][0], rows[3][1], rows[3][2]));
    return m;
}

int EngineSkeleton::Find(const std::string& name) const {
    for (size_t i = 0; i < bones_.size(); ++i)
        if (bones_[i].name == name) return static_cast<int>(i);
    return -1;
}

bool EngineSkeleton::Build(const AseDocument& doc, std::string* error) {
    const float kTwoPi = 6.2831855f;
    for (const AseNode& n : doc.nodes) {
        if (!n.helper) continue;
        EngineBone b;
        b.name = n.name;
        b.parent = n.parent.empty() ? -1 : Find(n.parent);
        if (!n.parent.empty() && b.parent < 0) {
            *error = n.name + ": parent " + n.parent + " is not defined before it";
            return false;
        }
        b.nodeTransform = EngineMatrix(n.rows);
        b.nodeRotation =
            orix::QuaternionFromRotation(EngineVector(n.rotAxis[0], n.rotAxis[1], n.rotAxis[2]),
                                         kTwoPi - static_cast<float>(n.rotAngle));
        for (const AseTrack& t : n.tracks) {
            const bool relative =
                t.control == "*CONTROL_ROT_TCB" || t.control == "*CONTROL_ROT_TRACK";
            const bool rotation = t.control.rfind("*CONTROL_ROT_", 0) == 0;
            Quaternion last;
            for (size_t k = 0; k < t.keys.size(); ++k) {
                const AseKey& key = t.keys[k];
                int frame = key.ticks / doc.ticksPerFrame;
                Vector3 v = EngineVector(key.v[0], key.v[1], key.v[2]);
                if (!rotation) {
                    b.positionKeys.push_back({frame, v});
                    continue;
                }
                Quaternion q = orix::QuaternionFromRotation(v, -static_cast<float>(key.v[3]));
                if (relative && k > 0) q = orix::QuaternionMultiply(last, q);
                last = q;
                b.rotationKeys.push_back({frame, q});
            }
        }
        bones_.push_back(b);
    }
    return true;
}

bool EngineSkeleton::Pose(int frame, std::vector<Matrix>* world) const {
    world->assign(bones_.size(), Matrix::Identity());
    for (size_t i = 0; i < bones_.size(); ++i) {
        const EngineBone& b = bones_[i];
        const EngineBone* parent = b.parent >= 0 ? &bones_[b.parent] : nullptr;
        Quaternion rotation;
        if (!b.rotationKeys.empty()) {
            bool found = false;
            for (const auto& [f, q] : b.rotationKeys)
                if (f == frame) rotation = q, found = true;
            if (!found) return false;
        } else if (parent != nullptr) {
            rotation = orix::QuaternionQuotient(b.nodeRotation, parent->nodeRotation);
        }
        Vector3 position;
        if (!b.positionKeys.empty()) {
            bool found = false;
            for (const auto& [f, p] : b.positionKeys)
                if (f == frame) position = p, found = true;
            if (!found) return false;
        } else if (parent != nullptr) {
            Vector3 d = b.nodeTransform.GetTranslation() - parent->nodeTransform.GetTranslation();
            position = orix::TransformDirection(d, orix::AffineInverse(parent->nodeTransform));
        } else {
            position = b.nodeTransform.GetTranslation();
        }
        Matrix local = orix::QuaternionToMatrix(rotation);
        local.SetTranslation(position);
        if (parent != nullptr) {
            local = local * (*world)[b.parent];
        } else if (b.rotationKeys.empty()) {
            Matrix orientation = b.nodeTransform;
            orientation.SetTranslation({0, 0, 0});
            local = orientation * local;
        }
        (*world)[i] = local;
    }
    return true;
}

}  // namespace orix_assets_test
