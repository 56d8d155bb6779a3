#include "scene/material_set.h"

#include "device/engine.h"
#include "device/globals.h"

namespace orix {

Material::Material() : record(DefaultMaterialRecord()) {}

void ApplyMaterial(const Material& material) {
    if (material.collision || !theEngine || theEngine->currentMaterial == &material) return;
    GraphicsDevice* device = theEngine->device;
    if (!device) return;
    device->SetMaterial(theEngine->drawingMaterial, material.record);
    device->SetRenderState(RS_TEXTUREHANDLE, material.record.texture.value);
    theEngine->currentMaterial = &material;
}

Material* MaterialSet::AddSubMaterial() {
    hasSubMaterials = true;
    if (size_t(subMaterialCount) >= subMaterials.size()) subMaterials.emplace_back();
    return &subMaterials[size_t(subMaterialCount++)];
}

Material* MaterialSet::SubMaterialAt(int32_t index) {
    if (index < 0 || index >= subMaterialCount) return nullptr;
    return &subMaterials[size_t(index)];
}

}  // namespace orix
