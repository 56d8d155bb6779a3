// Writing the modelling tool's ASE text: tab indentation, floats with four decimals, and the
// blocks shared by the character and the land (header, node transform, mesh, material).
#pragma once

#include <string>

#include "body_mesh.h"
#include "gen_math.h"

namespace orix_assets {

class AseText {
public:
    // Appends one line: depth tabs, the formatted text, a line feed.
    void Line(int depth, const char* format, ...) __attribute__((format(printf, 3, 4)));
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

// "%.4f", as the tool prints every float.
std::string Num(double value);
// Three floats separated by tabs.
std::string Num3(Vec3 v);

// "*3DSMAX_ASCIIEXPORT", the comment and the "*SCENE" block.
void WriteHeader(AseText* out, const char* sceneFile, int firstFrame, int lastFrame);
// A "*NODE_TM" block for a rigid world transform.
void WriteNodeTm(AseText* out, int depth, const std::string& name, const Xform& world);
// A "*MESH" block; texture vertices and faces only when the mesh has any.
void WriteMesh(AseText* out, int depth, const TriMesh& mesh);

struct MaterialSpec {
    std::string name;
    Vec3 ambient, diffuse, specular;
    std::string bitmap;  // empty: no diffuse map
};
// The lines of a "Standard" material (inside its "*MATERIAL" or "*SUBMATERIAL" block).
void WriteStandardMaterial(AseText* out, int depth, const MaterialSpec& m, int mapNumber);

}  // namespace orix_assets
