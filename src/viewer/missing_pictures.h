/// \file
/// A stand-in colour for materials whose picture could not be had. Exporters often leave a
/// textured material's diffuse colour black, because the picture carries the colour; drawn with
/// its colour alone, a model whose pictures are missing is a black silhouette on the view's dark
/// background. The tools' model view draws such a material in a neutral grey instead, lit like
/// any other, so the model's form shows. The engine and the demo draw materials as the file says.
/// Depends on: scene/mesh.h, scene/material_set.h.
#pragma once

#include <vector>

namespace orix {

class SceneObject;
struct Material;

/// The stand-in's diffuse and ambient level.
constexpr float kMissingPictureGrey = 0.7f;

/// Gives every material of the meshes under root that is among pictured (those that name a
/// picture) and has no texture the stand-in grey as its diffuse and ambient colour, keeping its
/// transparency. Returns how many materials were changed.
int GreyMissingPictures(SceneObject& root, const std::vector<const Material*>& pictured);

}  // namespace orix
