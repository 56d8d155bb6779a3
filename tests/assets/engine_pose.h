// The character's skeleton as the engine will rebuild it from the ASE text: conversions into
// engine space (y and z exchanged, angles negated), static keys, relative rotation keys chained
// by the Hamilton product, bone-parent chaining. Evaluated only at frames where every animated
// bone has a key, so no interpolation is involved.
#pragma once

#include <string>
#include <vector>

#include "ase_document.h"
#include "math/matrix.h"
#include "math/quaternion.h"

namespace orix_assets_test {

struct EngineBone {
    std::string name;
    int parent = -1;
    orix::Matrix nodeTransform;
    orix::Quaternion nodeRotation;
    std::vector<std::pair<int, orix::Vector3>> positionKeys;     // frame, position
    std::vector<std::pair<int, orix::Quaternion>> rotationKeys;  // frame, absolute rotation
};

class EngineSkeleton {
public:
    // Builds from the helper objects of doc; false (with a message) on a missing parent.
    bool Build(const AseDocument& doc, std::string* error);
    // World matrices of every bone at frame; false when some animated bone has no key there.
    bool Pose(int frame, std::vector<orix::Matrix>* world) const;
    int Find(const std::string& name) const;
    const std::vector<EngineBone>& Bones() const { return bones_; }

private:
    std::vector<EngineBone> bones_;
};

// The tool's rows in engine space (y and z exchanged on both sides).
orix::Matrix EngineMatrix(const std::array<std::array<double, 3>, 4>& rows);
inline orix::Vector3 EngineVector(double x, double y, double z) {
    return {static_cast<float>(x), static_cast<float>(z), static_cast<float>(y)};
}

}  // namespace orix_assets_test
