/// \file
/// Visiting a scene node and every node under it, each before its children. Node is SceneObject
/// or const SceneObject; the visit sees the same constness. Header only; the tree must not change
/// while it is walked.
#pragma once

#include "scene/scene_object.h"

namespace orix {

/// Calls visit(n) for node and for every node under it, parents first, skipping null children.
template <typename Node, typename Visit>
void ForEachNode(Node& node, const Visit& visit) {
    visit(node);
    for (SceneObject* child : node.children) {
        Node* next = child;
        if (next) ForEachNode(*next, visit);
    }
}

}  // namespace orix
