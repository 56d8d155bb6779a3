/// \file
/// PavoRenderState: an overlay node that switches device states for the overlays below it:
/// depth testing, depth writes and perspective correction off, and optionally alpha blending
/// and the source and destination blend factors; every state it touched is set back after its
/// children drew.
///
/// Depends on PavoObject and the graphics device it was given. Single-threaded.
#pragma once

#include <cstdint>

#include "scene/pavo_object.h"

namespace orix {

class GraphicsDevice;

class PavoRenderState : public PavoObject {
public:
    /// No override set; device may be null (then nothing is switched).
    explicit PavoRenderState(GraphicsDevice* device);

    /// Flag 2 switches the states before and restores them after; flag 4 updates the children
    /// with 255, whatever the other bits were.
    void Update(uint32_t flags) override;

    /// Each marks its override as set and keeps the value's low 16 bits.
    void SetAlphaBlendEnable(int32_t value);
    void SetSrcBlend(int32_t value);
    void SetDestBlend(int32_t value);

    struct Override {
        bool set = false;
        uint32_t value = 0;
        uint32_t saved = 0;
    };

    GraphicsDevice* device = nullptr;
    Override alphaBlendEnable;
    Override srcBlend;
    Override destBlend;
    uint32_t savedZEnable = 0;
    uint32_t savedZWriteEnable = 0;
    uint32_t savedTexturePerspective = 0;
};

}  // namespace orix
