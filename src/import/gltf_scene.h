/// \file
/// A glTF scene as transforms: the node tree of the scene shown (checked: no node its own
/// ancestor, none with two parents), each node's transform in engine space, and one animation
/// played at any time of the file's own clock.
///
/// Math is in doubles with the engine's row-vector convention (p' = p · M); glTF's right-handed
/// space is turned into the engine's by the export's conversion run backwards (export/gltf_axes.h)
/// on each local transform, so products of converted matrices are the converted products.
/// Animation samplers interpolate as the file says (STEP, LINEAR with rotations slerped,
/// CUBICSPLINE); times outside the keys hold the end keys. Morph weights are not played.
#pragma once

#include <string>
#include <vector>

#include <tiny_gltf.h>

#include "math/matrix.h"

namespace orix::gltf {

/// A 4 x 4 transform in doubles, rows as Matrix's.
struct Transform {
    double m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
};
Transform operator*(const Transform& a, const Transform& b);
Transform Inverse(const Transform& a);  ///< affine; a singular 3 x 3 part gives the identity
Transform FromMatrix(const Matrix& m);
Matrix ToMatrix(const Transform& t);
/// A transform of glTF space (row vectors) in engine space: export/gltf_axes.h's FromGltf.
Transform FromGltf(const Transform& m);
/// p · t for a point.
void TransformPoint(const Transform& t, const double p[3], double out[3]);

/// Translation, rotation (engine quaternion w, x, y, z: the matrix of math/quaternion.h) and
/// scale of t = Scaling · Rotation · Translation. False when t is not exactly such a product (a
/// shear, or a zero scale): then the nearest rotation is given.
struct EngineTrs {
    double t[3] = {0, 0, 0};
    double q[4] = {1, 0, 0, 0};
    double s[3] = {1, 1, 1};
};
bool Decompose(const Transform& t, EngineTrs* out);
/// t split into a rotation and translation R (a rigid transform) and the rest: t = K · R.
Transform RigidPart(const Transform& t);

class SceneGraph {
public:
    /// The default scene (or the first; or, without scenes, every node that is no child). False
    /// with *error for a node that is its own ancestor, one with two parents, or an index
    /// outside the file.
    bool Build(const tinygltf::Model& model, std::string* error);
    /// Nodes of the scene, every parent before its children.
    const std::vector<int>& Order() const { return order_; }
    /// The parent of node (-1 for a root).
    int ParentOf(int node) const { return parent_[size_t(node)]; }

    /// Prepares animation index (-1: none) for sampling; false with *error for a bad sampler.
    bool SetAnimation(const tinygltf::Model& model, int animation, std::string* error);
    /// The last key time of the animation, in seconds (0 without one).
    double Duration() const { return duration_; }
    /// The world transform, in engine space, of every node (indexed by node) at time seconds.
    void WorldAt(const tinygltf::Model& model, double seconds, std::vector<Transform>* world) const;

private:
    struct Channel {
        int node;
        int path;           ///< 0 translation, 1 rotation, 2 scale
        int interpolation;  ///< 0 step, 1 linear, 2 cubic spline
        std::vector<double> times, values;
    };
    void Sample(const Channel& c, double seconds, double* out) const;

    std::vector<int> order_;
    std::vector<int> parent_;
    std::vector<Channel> channels_;
    double duration_ = 0.0;
};

}  // namespace orix::gltf
