/// \file
/// Material and MaterialSet: the surface records a mesh draws with. A Material is the device's
/// material record plus the collision mark of the model file; a MaterialSet is a mesh's main
/// material with as many sub-materials as its file gives, chosen per face by the face's material
/// id. Sub-materials live in a deque so that a pointer to one stays valid while more are added.
///
/// Applying a material goes through the engine's one drawing material and remembers it as the
/// engine's currentMaterial, so consecutive objects with the same material change no state.
/// Depends on: device/engine.h (the engine and its device), platform/device_types.h.
#pragma once

#include <cstdint>
#include <deque>

#include "platform/device_types.h"

namespace orix {

struct Material {
    /// Diffuse and ambient (1, 1, 1) with alpha 0, everything else 0, ramp size 16.
    Material();

    MaterialRecord record;
    int32_t reserved = 0;
    bool collision = false;  ///< named "Collision" in the model file; never applied
};

/// Loads material into the engine's drawing material and binds its texture, unless it is a
/// collision material or already the engine's currentMaterial. Nothing without an engine device.
void ApplyMaterial(const Material& material);

struct MaterialSet {
    /// Marks the set as having sub-materials and returns the next one.
    Material* AddSubMaterial();
    /// Sub-material index, or null outside 0 to subMaterialCount - 1.
    Material* SubMaterialAt(int32_t index);

    Material main;
    bool hasSubMaterials = false;
    int32_t subMaterialCount = 0;
    std::deque<Material> subMaterials;  ///< at least subMaterialCount entries
};

}  // namespace orix
