/// \file
/// Normals for meshes whose file gave none. Many exporters leave the normal lists out; such a
/// mesh, drawn lit, would show only the ambient light, flat as a silhouette. The view gives it
/// smooth normals from its faces so the light at the camera shows its shape.
/// Depends on: scene/mesh.h.
#pragma once

namespace orix {

class SceneObject;

/// Fills the vertex normals of every lit-format mesh under root whose vertices all have zero
/// normals, from the area-weighted normals of the faces around each vertex (outward for the
/// engine's clockwise front faces). Returns how many meshes were given normals.
int FillMissingNormals(SceneObject& root);

}  // namespace orix
