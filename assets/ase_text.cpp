#include "ase_text.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace orix_assets {

void AseText::Line(int depth, const char* format, ...) {
    text_.append(static_cast<size_t>(depth), '\t');
    char buffer[512];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n > 0) text_.append(buffer, std::min(static_cast<size_t>(n), sizeof buffer - 1));
    text_.push_back('\n');
}

std::string Num(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.4f", value);
    return buffer;
}

std::string Num3(Vec3 v) {
    return Num(v.x) + "\t" + Num(v.y) + "\t" + Num(v.z);
}

void WriteHeader(AseText* out, const char* sceneFile, int firstFrame, int lastFrame) {
    out->Line(0, "*3DSMAX_ASCIIEXPORT\t200");
    out->Line(0, "*COMMENT \"AsciiExport Version  2,00 - Orix asset generator\"");
    out->Line(0, "*SCENE {");
    out->Line(1, "*SCENE_FILENAME \"%s\"", sceneFile);
    out->Line(1, "*SCENE_FIRSTFRAME %d", firstFrame);
    out->Line(1, "*SCENE_LASTFRAME %d", lastFrame);
    out->Line(1, "*SCENE_FRAMESPEED 30");
    out->Line(1, "*SCENE_TICKSPERFRAME 160");
    out->Line(1, "*SCENE_BACKGROUND_STATIC 0.0000\t0.0000\t0.0000");
    out->Line(1, "*SCENE_AMBIENT_STATIC 0.0000\t0.0000\t0.0000");
    out->Line(0, "}");
}

void WriteNodeTm(AseText* out, int depth, const std::string& name, const Xform& world) {
    Vec3 axis;
    double angle;
    ToolAxisAngle(world, &axis, &angle);
    out->Line(depth, "*NODE_TM {");
    out->Line(depth + 1, "*NODE_NAME \"%s\"", name.c_str());
    out->Line(depth + 1, "*INHERIT_POS 0 0 0");
    out->Line(depth + 1, "*INHERIT_ROT 0 0 0");
    out->Line(depth + 1, "*INHERIT_SCL 0 0 0");
    for (int i = 0; i < 3; ++i) out->Line(depth + 1, "*TM_ROW%d %s", i, Num3(world.Row(i)).c_str());
    out->Line(depth + 1, "*TM_ROW3 %s", Num3(world.t).c_str());
    out->Line(depth + 1, "*TM_POS %s", Num3(world.t).c_str());
    out->Line(depth + 1, "*TM_ROTAXIS %s", Num3(axis).c_str());
    out->Line(depth + 1, "*TM_ROTANGLE %s", Num(angle).c_str());
    out->Line(depth + 1, "*TM_SCALE 1.0000\t1.0000\t1.0000");
    out->Line(depth + 1, "*TM_SCALEAXIS 0.0000\t0.0000\t0.0000");
    out->Line(depth + 1, "*TM_SCALEAXISANG 0.0000");
    out->Line(depth, "}");
}

void WriteMesh(AseText* out, int depth, const TriMesh& mesh) {
    const int d = depth;
    out->Line(d, "*MESH {");
    out->Line(d + 1, "*TIMEVALUE 0");
    out->Line(d + 1, "*MESH_NUMVERTEX %zu", mesh.positions.size());
    out->Line(d + 1, "*MESH_NUMFACES %zu", mesh.faces.size());
    out->Line(d + 1, "*MESH_VERTEX_LIST {");
    for (size_t i = 0; i < mesh.positions.size(); ++i)
        out->Line(d + 2, "*MESH_VERTEX %4zu\t%s", i, Num3(mesh.positions[i]).c_str());
    out->Line(d + 1, "}");
    out->Line(d + 1, "*MESH_FACE_LIST {");
    for (size_t i = 0; i < mesh.faces.size(); ++i) {
        const MeshFace& f = mesh.faces[i];
        out->Line(d + 2,
                  "*MESH_FACE %4zu:    A: %4d B: %4d C: %4d AB: %4d BC: %4d CA: %4d\t "
                  "*MESH_SMOOTHING 1 \t*MESH_MTLID %d",
                  i, f.v[0], f.v[1], f.v[2], 1, 1, 0, f.material);
    }
    out->Line(d + 1, "}");
    if (!mesh.texVerts.empty()) {
        out->Line(d + 1, "*MESH_NUMTVERTEX %zu", mesh.texVerts.size());
        out->Line(d + 1, "*MESH_TVERTLIST {");
        for (size_t i = 0; i < mesh.texVerts.size(); ++i)
            out->Line(d + 2, "*MESH_TVERT %zu\t%s\t%s\t0.0000", i, Num(mesh.texVerts[i][0]).c_str(),
                      Num(mesh.texVerts[i][1]).c_str());
        out->Line(d + 1, "}");
        out->Line(d + 1, "*MESH_NUMTVFACES %zu", mesh.faces.size());
        out->Line(d + 1, "*MESH_TFACELIST {");
        for (size_t i = 0; i < mesh.faces.size(); ++i) {
            const MeshFace& f = mesh.faces[i];
            out->Line(d + 2, "*MESH_TFACE %zu\t%d\t%d\t%d", i, f.t[0], f.t[1], f.t[2]);
        }
        out->Line(d + 1, "}");
    } else {
        out->Line(d + 1, "*MESH_NUMTVERTEX 0");
    }
    out->Line(d + 1, "*MESH_NUMCVERTEX 0");

    // Smooth vertex normals: the area-weighted sum of the faces around each position.
    std::vector<Vec3> vertexNormals(mesh.positions.size());
    std::vector<Vec3> faceNormals;
    faceNormals.reserve(mesh.faces.size());
    for (const MeshFace& f : mesh.faces) {
        const Vec3 a = mesh.positions[f.v[0]], b = mesh.positions[f.v[1]],
                   c = mesh.positions[f.v[2]];
        Vec3 area = Cross(b - a, c - a);
        for (int k = 0; k < 3; ++k) vertexNormals[f.v[k]] = vertexNormals[f.v[k]] + area;
        faceNormals.push_back(Normalize(area));
    }
    out->Line(d + 1, "*MESH_NORMALS {");
    for (size_t i = 0; i < mesh.faces.size(); ++i) {
        out->Line(d + 2, "*MESH_FACENORMAL %zu\t%s", i, Num3(faceNormals[i]).c_str());
        for (int k = 0; k < 3; ++k) {
            int v = mesh.faces[i].v[k];
            out->Line(d + 3, "*MESH_VERTEXNORMAL %d\t%s", v,
                      Num3(Normalize(vertexNormals[v])).c_str());
        }
    }
    out->Line(d + 1, "}");
    out->Line(d, "}");
}

void WriteStandardMaterial(AseText* out, int depth, const MaterialSpec& m, int mapNumber) {
    const int d = depth;
    out->Line(d, "*MATERIAL_NAME \"%s\"", m.name.c_str());
    out->Line(d, "*MATERIAL_CLASS \"Standard\"");
    out->Line(d, "*MATERIAL_AMBIENT %s", Num3(m.ambient).c_str());
    out->Line(d, "*MATERIAL_DIFFUSE %s", Num3(m.diffuse).c_str());
    out->Line(d, "*MATERIAL_SPECULAR %s", Num3(m.specular).c_str());
    out->Line(d, "*MATERIAL_SHINE 0.1000");
    out->Line(d, "*MATERIAL_SHINESTRENGTH 0.0000");
    out->Line(d, "*MATERIAL_TRANSPARENCY 0.0000");
    out->Line(d, "*MATERIAL_WIRESIZE 1.0000");
    out->Line(d, "*MATERIAL_SHADING Blinn");
    out->Line(d, "*MATERIAL_XP_FALLOFF 0.0000");
    out->Line(d, "*MATERIAL_SELFILLUM 0.0000");
    out->Line(d, "*MATERIAL_FALLOFF In");
    out->Line(d, "*MATERIAL_XP_TYPE Filter");
    if (m.bitmap.empty()) return;
    out->Line(d, "*MAP_DIFFUSE {");
    out->Line(d + 1, "*MAP_NAME \"Map #%d\"", mapNumber);
    out->Line(d + 1, "*MAP_CLASS \"Bitmap\"");
    out->Line(d + 1, "*MAP_SUBNO 1");
    out->Line(d + 1, "*MAP_AMOUNT 1.0000");
    out->Line(d + 1, "*BITMAP \"%s\"", m.bitmap.c_str());
    out->Line(d + 1, "*MAP_TYPE Screen");
    out->Line(d + 1, "*UVW_U_OFFSET 0.0000");
    out->Line(d + 1, "*UVW_V_OFFSET 0.0000");
    out->Line(d + 1, "*UVW_U_TILING 1.0000");
    out->Line(d + 1, "*UVW_V_TILING 1.0000");
    out->Line(d + 1, "*UVW_ANGLE 0.0000");
    out->Line(d + 1, "*UVW_BLUR 1.0000");
    out->Line(d + 1, "*UVW_BLUR_OFFSET 0.0000");
    out->Line(d + 1, "*UVW_NOUSE_AMT 1.0000");
    out->Line(d + 1, "*UVW_NOISE_SIZE 1.0000");
    out->Line(d + 1, "*UVW_NOISE_LEVEL 1");
    out->Line(d + 1, "*UVW_NOISE_PHASE 0.0000");
    out->Line(d + 1, "*BITMAP_FILTER Pyramidal");
    out->Line(d, "}");
}

}  // namespace orix_assets
