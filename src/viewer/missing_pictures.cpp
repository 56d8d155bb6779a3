#include "viewer/missing_pictures.h"

#include <algorithm>

#include "scene/material_set.h"
#include "scene/mesh.h"

namespace orix {

namespace {

void Grey(ColorValue& c) {
    c.r = c.g = c.b = kMissingPictureGrey;
}

template <typename Visit>
void ForEachMesh(SceneObject& node, const Visit& visit) {
    if (Mesh* mesh = dynamic_cast<Mesh*>(&node)) visit(*mesh);
    for (SceneObject* child : node.children) {
        if (child) ForEachMesh(*child, visit);
    }
}

}  // namespace

int GreyMissingPictures(SceneObject& root, const std::vector<const Material*>& pictured) {
    std::vector<const Material*> done;
    auto standIn = [&](Material& m) {
        if (m.record.texture || std::find(pictured.begin(), pictured.end(), &m) == pictured.end() ||
            std::find(done.begin(), done.end(), &m) != done.end())
            return;
        Grey(m.record.diffuse);
        Grey(m.record.ambient);
        done.push_back(&m);
    };
    ForEachMesh(root, [&](Mesh& mesh) {
        if (!mesh.materials) return;
        standIn(mesh.materials->main);
        for (Material& sub : mesh.materials->subMaterials) standIn(sub);
    });
    return int(done.size());
}

}  // namespace orix
