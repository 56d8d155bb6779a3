/// \file
/// The exporter's inner parts: the glTF model under construction with its one buffer, the
/// pictures, the meshes and materials, and the animation. Used by gltf_export.cpp only.
/// Depends on tinygltf (types only) and the scene objects.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <tiny_gltf.h>

#include "export/gltf_export.h"
#include "math/matrix.h"

namespace orix::gltf {

/// The model and its one buffer; every accessor gets a bufferView of its own, 4-byte aligned.
class GltfBuilder {
public:
    tinygltf::Model model;

    /// An accessor of float elements (type TINYGLTF_TYPE_*), with min and max when asked.
    int AddFloats(const std::vector<float>& values, int type, int target, bool minMax);
    /// Triangle indices as unsigned shorts, or unsigned ints when one needs it.
    int AddIndices(const std::vector<uint32_t>& indices);
    /// Joint indices, four per vertex, as unsigned shorts.
    int AddJoints(const std::vector<uint16_t>& joints);
    /// A bufferView over bytes (a picture).
    int AddView(const std::vector<unsigned char>& bytes);
    /// For a .gltf: the PNG bytes of each image, written beside it.
    std::vector<std::vector<unsigned char>> pictureFiles;

private:
    int AddData(const void* data, size_t size, int target);
};

/// A picture as RGBA rows, top row first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba;
    bool cutOut = false;  ///< some texels are transparent (black under the colour key)
};

/// Decodes a BMP, JPEG, TGA or PNG file with the engine's loaders; black texels get alpha 0 when
/// blackIsTransparent. False (the loaders report why) when it cannot be read.
bool DecodePicture(const std::string& path, bool blackIsTransparent, Picture* out);
/// PNG bytes of a picture; false when encoding fails.
bool EncodePng(const Picture& picture, std::vector<unsigned char>* png);

/// The skin of one mesh: per mesh vertex its joint (an index into the skin's joints) and its
/// position in the bind pose.
struct MeshSkin {
    std::vector<uint16_t> jointOfVertex;
    std::vector<Vector3> bindPositions;
};

/// Meshes, materials and pictures, shared across the meshes of one export.
class MeshWriter {
public:
    MeshWriter(const ExportSource& source, GltfBuilder& builder, bool binary,
               std::vector<std::string>& notes);
    /// The glTF mesh of m (its primitives, materials, pictures), or -1 when it draws nothing.
    /// Non-finite numbers are replaced (a position by the origin, a normal by +y, a texture
    /// coordinate or colour by a finite one) and counted in *replaced.
    int AddMesh(const Mesh& m, const MeshSkin* skin, size_t* replaced);

private:
    int MaterialFor(const Mesh& m, const Material* material, const std::string& name,
                    const float color[3], bool prelit);
    int TextureFor(const std::string& pictureName, bool* cutOut);

    const ExportSource& source_;
    GltfBuilder& b_;
    bool binary_;
    std::vector<std::string>& notes_;
    struct TextureEntry {
        int texture = -1;
        bool cutOut = false;
    };
    std::map<std::string, TextureEntry> textures_;
    std::map<std::string, int> materials_;
};

/// One node's local transforms in glTF space, one per sampled frame.
struct NodeTrack {
    int node = -1;
    std::vector<Matrix> locals;
    size_t replaced = 0;  ///< non-finite numbers replaced in its transforms
};

/// Non-finite numbers never reach the file. A matrix holding one becomes the identity; the
/// count of non-finite elements is returned.
size_t FiniteOrIdentity(Matrix* m);
/// Every non-finite value of values[0..n) becomes fallback; the count is returned.
size_t FiniteOr(float* values, size_t n, float fallback);

/// Translation, rotation (x, y, z, w) and scale of a glTF-space matrix.
struct Trs {
    double t[3] = {0, 0, 0};
    double r[4] = {0, 0, 0, 1};
    double s[3] = {1, 1, 1};
};
/// Splits m into T · R · S; false when m holds a shear no TRS can express (out is then the
/// nearest rotation and the axes' lengths).
bool Decompose(const Matrix& m, Trs* out);
/// The indices of the samples to keep: the first, the last and every one that linear
/// interpolation (spherical for a rotation, components = 4) between the kept neighbours would
/// miss by more than tolerance in some component; for a rotation also one at least every 256
/// samples. Linear in the number of samples; times must increase.
std::vector<size_t> ReduceKeys(const std::vector<double>& times, const std::vector<double>& values,
                               int components, bool rotation, double tolerance);
/// One animation with the translation, rotation and scale of every track whose transform moves.
/// Times are in seconds; a track that never moves is left out. A key that comes out of range of
/// a float is the identity's, counted in its track's replaced.
void AddAnimation(GltfBuilder& builder, std::vector<NodeTrack>& tracks,
                  const std::vector<double>& times, std::vector<std::string>& notes);

}  // namespace orix::gltf
