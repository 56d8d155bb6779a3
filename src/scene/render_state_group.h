/// \file
/// RenderStateGroup: a scene object that changes some device render states for everything drawn
/// below it and puts the previous values back afterwards. Groups nest: an inner group saves what
/// the outer one set and restores it on leaving.
///
/// Depends on SceneObject and the GraphicsDevice (taken from the engine at construction unless
/// given). The table of 17 states is fixed; only depth testing and depth writing have setters.
/// Single-threaded.
#pragma once

#include <cstdint>

#include "platform/graphics_device.h"
#include "scene/scene_object.h"

namespace orix {

class RenderStateGroup : public SceneObject {
public:
    static constexpr int kStateCount = 17;
    /// The states a group may override, in the order they are entered and left.
    static const RenderState kStates[kStateCount];

    /// Kind 5, nothing overridden, the engine's device.
    RenderStateGroup();
    explicit RenderStateGroup(GraphicsDevice* graphicsDevice);

    /// Overrides depth testing with the value's low 16 bits.
    void SetZEnable(uint32_t value);
    /// Overrides depth writing with the value's low 16 bits.
    void SetZWriteEnable(uint32_t value);

    /// Draw: set the differing states; Children: update them; Draw: restore what was set.
    void Update(uint32_t flags) override;

    GraphicsDevice* device = nullptr;
    bool overrides[kStateCount] = {};  ///< which entries this group sets
    uint32_t saved[kStateCount] = {};
    uint32_t wanted[kStateCount] = {};
};

}  // namespace orix
