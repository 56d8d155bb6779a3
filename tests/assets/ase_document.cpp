#include "ase_document.h"

#include <cstdio>
#include <sstream>

namespace orix_assets_test {

const AseNode* AseDocument::Find(const std::string& name) const {
    for (const AseNode& n : nodes)
        if (n.name == name) return &n;
    return nullptr;
}

namespace {

std::string Quoted(const std::string& value) {
    size_t a = value.find('"'), b = value.rfind('"');
    return a != std::string::npos && b > a ? value.substr(a + 1, b - a - 1) : std::string();
}

}  // namespace

AseDocument ParseAse(const std::string& text) {
    AseDocument doc;
    std::vector<std::string> stack;  // keywords of the open blocks
    AseNode* node = nullptr;
    AseMaterial* material = nullptr;
    AseMaterial* parentMaterial = nullptr;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    auto problem = [&](const std::string& what) {
        doc.problems.push_back("line " + std::to_string(number) + ": " + what);
    };
    while (std::getline(in, line)) {
        ++number;
        if (line.size() > 254) problem("longer than the reader's 254 characters");
        size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos) continue;
        size_t end = line.find_first_of(" \t", start);
        std::string key = line.substr(start, end == std::string::npos ? end : end - start);
        std::string value;
        if (end != std::string::npos) {
            size_t v = line.find_first_not_of(" \t", end);
            if (v != std::string::npos) value = line.substr(v);
        }
        if (key == "}") {
            if (stack.empty()) {
                problem("closing brace without a block");
                continue;
            }
            std::string closed = stack.back();
            stack.pop_back();
            if (closed == "*SUBMATERIAL") material = parentMaterial;
            if (closed == "*HELPEROBJECT" || closed == "*GEOMOBJECT") node = nullptr;
            continue;
        }
        const std::string block = stack.empty() ? "" : stack.back();
        const bool opens = !line.empty() && line.back() == '{';
        const char* v = value.c_str();
        if (block == "*SCENE") {
            if (key == "*SCENE_FIRSTFRAME") doc.firstFrame = std::atoi(v);
            if (key == "*SCENE_LASTFRAME") doc.lastFrame = std::atoi(v);
            if (key == "*SCENE_TICKSPERFRAME") doc.ticksPerFrame = std::atoi(v);
        } else if (block == "*MATERIAL_LIST" && key == "*MATERIAL") {
            doc.materials.emplace_back();
            material = &doc.materials.back();
        } else if (block == "*MATERIAL" || block == "*SUBMATERIAL") {
            if (key == "*MATERIAL_NAME") material->name = Quoted(value);
            if (key == "*NUMSUBMTLS") {
                material->numSubs = std::atoi(v);
                material->subs.reserve(static_cast<size_t>(material->numSubs));
            }
            if (key == "*SUBMATERIAL") {
                if (material->subs.size() >= material->subs.capacity())
                    problem("more sub-materials than *NUMSUBMTLS");
                parentMaterial = material;
                material->subs.emplace_back();
                material = &material->subs.back();
            }
        } else if (block == "*MAP_DIFFUSE" && key == "*BITMAP") {
            material->bitmap = Quoted(value);
        } else if (stack.empty() && (key == "*HELPEROBJECT" || key == "*GEOMOBJECT")) {
            doc.nodes.emplace_back();
            node = &doc.nodes.back();
            node->helper = key == "*HELPEROBJECT";
        } else if (block == "*HELPEROBJECT" || block == "*GEOMOBJECT") {
            if (key == "*NODE_NAME") node->name = Quoted(value);
            if (key == "*NODE_PARENT") node->parent = Quoted(value);
            if (key == "*MATERIAL_REF") node->materialRef = std::atoi(v);
            if (key == "*MESH") node->hasMesh = true;
        } else if (block == "*NODE_TM") {
            auto& r = node->rows;
            for (int i = 0; i < 4; ++i)
                if (key == "*TM_ROW" + std::to_string(i))
                    std::sscanf(v, "%lf %lf %lf", &r[i][0], &r[i][1], &r[i][2]);
            if (key == "*TM_ROTAXIS")
                std::sscanf(v, "%lf %lf %lf", &node->rotAxis[0], &node->rotAxis[1],
                            &node->rotAxis[2]);
            if (key == "*TM_ROTANGLE") node->rotAngle = std::atof(v);
        } else if (block == "*MESH") {
            AseMesh& m = node->mesh;
            if (key == "*MESH_NUMVERTEX") m.numVertex = std::atoi(v);
            if (key == "*MESH_NUMFACES") m.numFaces = std::atoi(v);
            if (key == "*MESH_NUMTVERTEX") m.numTVertex = std::atoi(v);
            if (key == "*MESH_NUMTVFACES") m.numTVFaces = std::atoi(v);
        } else if (block == "*MESH_VERTEX_LIST") {
            std::array<double, 3> p{};
            int i;
            if (std::sscanf(v, "%d %lf %lf %lf", &i, &p[0], &p[1], &p[2]) != 4)
                problem("bad vertex line");
            node->mesh.vertices.push_back(p);
        } else if (block == "*MESH_FACE_LIST") {
            std::array<int, 4> f{};
            int i, ab, bc, ca, smooth;
            // The tool's face line, tabs and all; scanf's blanks match any run of blanks.
            if (std::sscanf(v,
                            "%d: A: %d B: %d C: %d AB: %d BC: %d CA: %d *MESH_SMOOTHING %d "
                            "*MESH_MTLID %d",
                            &i, &f[0], &f[1], &f[2], &ab, &bc, &ca, &smooth, &f[3]) != 9)
                problem("bad face line");
            node->mesh.faces.push_back(f);
        } else if (block == "*MESH_TVERTLIST") {
            std::array<double, 2> t{};
            int i;
            if (std::sscanf(v, "%d %lf %lf", &i, &t[0], &t[1]) != 3) problem("bad tvert line");
            node->mesh.tverts.push_back(t);
        } else if (block == "*MESH_TFACELIST") {
            std::array<int, 3> t{};
            int i;
            if (std::sscanf(v, "%d %d %d %d", &i, &t[0], &t[1], &t[2]) != 4)
                problem("bad tface line");
            node->mesh.tfaces.push_back(t);
        } else if (block == "*MESH_NORMALS" && key == "*MESH_FACENORMAL") {
            std::array<double, 3> n{};
            int i;
            if (std::sscanf(v, "%d %lf %lf %lf", &i, &n[0], &n[1], &n[2]) != 4)
                problem("bad face normal line");
            node->mesh.faceNormals.push_back(n);
        } else if (block == "*TM_ANIMATION" && opens) {
            node->tracks.push_back({key, {}});
        } else if (block.rfind("*CONTROL_", 0) == 0) {
            AseKey k;
            auto& a = k.v;
            if (std::sscanf(v, "%d %lf %lf %lf %lf", &k.ticks, &a[0], &a[1], &a[2], &a[3]) < 4)
                problem("bad key line");
            node->tracks.back().keys.push_back(k);
        }
        if (opens) stack.push_back(key);
    }
    if (!stack.empty()) doc.problems.push_back("file ends inside " + stack.back());
    return doc;
}

}  // namespace orix_assets_test
