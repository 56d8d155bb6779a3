#include "scene/render_state_group.h"

#include "device/engine.h"
#include "device/globals.h"

namespace orix {

const RenderState RenderStateGroup::kStates[kStateCount] = {
    RS_ZENABLE,
    RS_ZWRITEENABLE,
    RS_TEXTUREPERSPECTIVE,
    RS_SHADEMODE,
    RS_TEXTUREMAG,
    RS_TEXTUREMIN,
    RS_ALPHABLENDENABLE,
    RS_SRCBLEND,
    RS_DESTBLEND,
    RS_WRAPU,
    RS_WRAPV,
    RS_CULLMODE,
    RS_SPECULARENABLE,
    RS_COLORKEYENABLE,
    RS_DITHERENABLE,
    RS_TEXTUREMAPBLEND,
    RS_FOGENABLE,
};

RenderStateGroup::RenderStateGroup() : RenderStateGroup(theEngine ? theEngine->device : nullptr) {}

RenderStateGroup::RenderStateGroup(GraphicsDevice* graphicsDevice) : device(graphicsDevice) {
    kind = static_cast<int32_t>(ObjectKind::RenderStateGroup);
}

void RenderStateGroup::SetZEnable(uint32_t value) {
    overrides[0] = true;
    wanted[0] = value & 0xFFFFu;
}

void RenderStateGroup::SetZWriteEnable(uint32_t value) {
    overrides[1] = true;
    wanted[1] = value & 0xFFFFu;
}

void RenderStateGroup::Update(uint32_t flags) {
    bool draw = (flags & kUpdateDraw) && device;
    if (draw) {
        for (int i = 0; i < kStateCount; ++i) {
            if (!overrides[i]) continue;
            device->GetRenderState(kStates[i], &saved[i]);
            if (wanted[i] != saved[i]) device->SetRenderState(kStates[i], wanted[i]);
        }
    }
    if (flags & kUpdateChildren) UpdateChildren(flags);
    if (draw) {
        for (int i = 0; i < kStateCount; ++i) {
            if (overrides[i] && wanted[i] != saved[i]) device->SetRenderState(kStates[i], saved[i]);
        }
    }
}

}  // namespace orix
