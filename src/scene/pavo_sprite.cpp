#include "scene/pavo_sprite.h"

#include "device/engine.h"
#include "device/globals.h"
#include "math/color.h"
#include "math/types.h"
#include "platform/messages.h"

namespace orix {

PavoSprite::PavoSprite() {
    const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int i = 0; i < 4; ++i) {
        vertices[i].tu = uv[i][0];
        vertices[i].tv = uv[i][1];
    }
    SetCorners();
}

PavoSprite::~PavoSprite() {
    texture.Release();
}

void PavoSprite::SetCorners() {
    corners[0] = {-halfWidth, -halfHeight, 0.0f};
    corners[1] = {halfWidth, -halfHeight, 0.0f};
    corners[2] = {halfWidth, halfHeight, 0.0f};
    corners[3] = {-halfWidth, halfHeight, 0.0f};
}

void PavoSprite::SetSize(float width, float height) {
    halfWidth = OverlayScaleX() * width * 0.5f;
    halfHeight = OverlayScaleY() * height * 0.5f;
    SetCorners();
}

void PavoSprite::SetColor(float r, float g, float b) {
    red = r;
    green = g;
    blue = b;
    packedColor = PackColor({red, green, blue, alpha});
    for (TLVertex& v : vertices) v.color = packedColor;
}

bool PavoSprite::LoadPicture(const std::string& fileName, int32_t colorKey) {
    GraphicsDevice* device = theEngine ? theEngine->device : nullptr;
    if (texture.Load(device, fileName, static_cast<uint32_t>(colorKey))) return true;
    ShowMessageBox("Can't Load texture. : " + fileName, "PavoSprite");
    ExitProgram(-1);
    return false;
}

void PavoSprite::Update(uint32_t flags) {
    if (!visible) return;
    if (flags & kUpdateAnimate) UpdateTransform();
    if (flags & kUpdateDraw) Draw();
    if (flags & kUpdateChildren) UpdateChildren(flags);
}

void PavoSprite::Draw() {
    GraphicsDevice* device = theEngine ? theEngine->device : nullptr;
    if (!device) return;
    for (int i = 0; i < 4; ++i) {
        Vector2 p = TransformPoint({corners[i].x, corners[i].y}, world);
        vertices[i].sx = p.x;
        vertices[i].sy = p.y;
        vertices[i].sz = 0.0f;
    }
    device->SetRenderState(RS_TEXTUREHANDLE, texture.handle.value);
    device->DrawPrimitive(PRIM_TRIANGLEFAN, VT_TLVERTEX, vertices, 4, 0);
}

}  // namespace orix
