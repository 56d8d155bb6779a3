#include "scene/pavo_render_state.h"

#include "math/types.h"
#include "platform/graphics_device.h"

namespace orix {

namespace {

void SwitchOff(GraphicsDevice& device, RenderState state, uint32_t* saved) {
    *saved = 0;
    device.GetRenderState(state, saved);
    if (*saved != 0) device.SetRenderState(state, 0);
}

void SwitchBack(GraphicsDevice& device, RenderState state, uint32_t saved) {
    if (saved != 0) device.SetRenderState(state, saved);
}

void Apply(GraphicsDevice& device, RenderState state, PavoRenderState::Override& o) {
    if (!o.set) return;
    o.saved = 0;
    device.GetRenderState(state, &o.saved);
    device.SetRenderState(state, o.value);
}

void Restore(GraphicsDevice& device, RenderState state, const PavoRenderState::Override& o) {
    if (o.set) device.SetRenderState(state, o.saved);
}

uint32_t Low16(int32_t value) {
    return static_cast<uint32_t>(value) & 0xFFFF;
}

}  // namespace

PavoRenderState::PavoRenderState(GraphicsDevice* graphicsDevice) : device(graphicsDevice) {}

void PavoRenderState::SetAlphaBlendEnable(int32_t value) {
    alphaBlendEnable.set = true;
    alphaBlendEnable.value = Low16(value);
}

void PavoRenderState::SetSrcBlend(int32_t value) {
    srcBlend.set = true;
    srcBlend.value = Low16(value);
}

void PavoRenderState::SetDestBlend(int32_t value) {
    destBlend.set = true;
    destBlend.value = Low16(value);
}

void PavoRenderState::Update(uint32_t flags) {
    bool draw = (flags & kUpdateDraw) && device;
    if (draw) {
        SwitchOff(*device, RS_ZENABLE, &savedZEnable);
        SwitchOff(*device, RS_ZWRITEENABLE, &savedZWriteEnable);
        SwitchOff(*device, RS_TEXTUREPERSPECTIVE, &savedTexturePerspective);
        Apply(*device, RS_ALPHABLENDENABLE, alphaBlendEnable);
        Apply(*device, RS_SRCBLEND, srcBlend);
        Apply(*device, RS_DESTBLEND, destBlend);
    }
    if (flags & kUpdateChildren) UpdateChildren(kUpdateOverlays);
    if (draw) {
        SwitchBack(*device, RS_ZENABLE, savedZEnable);
        SwitchBack(*device, RS_ZWRITEENABLE, savedZWriteEnable);
        SwitchBack(*device, RS_TEXTUREPERSPECTIVE, savedTexturePerspective);
        Restore(*device, RS_ALPHABLENDENABLE, alphaBlendEnable);
        Restore(*device, RS_SRCBLEND, srcBlend);
        Restore(*device, RS_DESTBLEND, destBlend);
    }
}

}  // namespace orix
