#include "frame_capture.h"

#include <algorithm>
#include <cstring>

#include "platform/bitmap/surface_format.h"

namespace orix::bench {

void FrameCapture::BeginCapture(CapturedFrame* frame) {
    frame_ = frame;
    captured_.clear();
    *frame = CapturedFrame();
    frame->width = inner_.Width();
    frame->height = inner_.Height();
    frame->bitsPerPixel = inner_.BitsPerPixel();
}

bool FrameCapture::DrawPrimitive(PrimitiveType type, VertexType vertexType, const void* vertices,
                                 uint32_t vertexCount, uint32_t flags) {
    if (discard_) return true;
    bool ok = inner_.DrawPrimitive(type, vertexType, vertices, vertexCount, flags);
    if (ok && frame_) Record(type, vertexType, vertices, vertexCount, nullptr, 0, flags);
    return ok;
}

bool FrameCapture::DrawIndexedPrimitive(PrimitiveType type, VertexType vertexType,
                                        const void* vertices, uint32_t vertexCount,
                                        const uint16_t* indices, uint32_t indexCount,
                                        uint32_t flags) {
    if (discard_) return true;
    bool ok = inner_.DrawIndexedPrimitive(type, vertexType, vertices, vertexCount, indices,
                                          indexCount, flags);
    if (ok && frame_) Record(type, vertexType, vertices, vertexCount, indices, indexCount, flags);
    return ok;
}

bool FrameCapture::DrawIndexedPrimitiveInColor(PrimitiveType type, const LVertex* vertices,
                                               uint32_t vertexCount, const uint16_t* indices,
                                               uint32_t indexCount, uint32_t color,
                                               uint32_t flags) {
    if (discard_) return true;
    bool ok = inner_.DrawIndexedPrimitiveInColor(type, vertices, vertexCount, indices, indexCount,
                                                 color, flags);
    if (ok && frame_) {
        Record(type, VT_LVERTEX, vertices, vertexCount, indices, indexCount, flags);
        frame_->draws.back().oneColor = true;
        frame_->draws.back().color = color;
    }
    return ok;
}

bool FrameCapture::DrawText(int32_t x, int32_t y, uint32_t c, const std::string& t) {
    if (discard_) return true;
    bool ok = inner_.DrawText(x, y, c, t);
    if (ok && frame_ && textReader_ && !t.empty()) {
        CapturedText text;
        text.x = x;
        text.y = y;
        text.drawsBefore = uint32_t(frame_->draws.size());
        if (textReader_(&text)) frame_->texts.push_back(std::move(text));
    }
    return ok;
}

bool FrameCapture::SetBackground(MaterialHandle m) {
    bool ok = inner_.SetBackground(m);
    if (ok) background_ = m;
    return ok;
}

bool FrameCapture::Clear(const Rect* rects, uint32_t count, uint32_t flags) {
    if (discard_) return true;
    bool ok = inner_.Clear(rects, count, flags);
    if (ok && frame_ && count > 0) {
        MaterialRecord m;
        frame_->clearColor = inner_.GetMaterial(background_, &m) ? PackColor(m.diffuse) : 0u;
        frame_->cleared = true;
    }
    return ok;
}

bool FrameCapture::AddLight(LightHandle l) {
    bool ok = inner_.AddLight(l);
    if (ok && std::find(attached_.begin(), attached_.end(), l) == attached_.end())
        attached_.push_back(l);
    return ok;
}

bool FrameCapture::DeleteLight(LightHandle l) {
    attached_.erase(std::remove(attached_.begin(), attached_.end(), l), attached_.end());
    return inner_.DeleteLight(l);
}

void FrameCapture::ReleaseLight(LightHandle l) {
    attached_.erase(std::remove(attached_.begin(), attached_.end(), l), attached_.end());
    inner_.ReleaseLight(l);
}

bool FrameCapture::SetColorKey(SurfaceHandle s, uint32_t flags, uint32_t low, uint32_t high) {
    bool ok = inner_.SetColorKey(s, flags, low, high);
    if (ok) keyed_.insert(s);
    return ok;
}

TextureHandle FrameCapture::GetTextureHandle(SurfaceHandle s) {
    TextureHandle h = inner_.GetTextureHandle(s);
    if (h) surfaceOf_[h] = s;
    return h;
}

void FrameCapture::Record(PrimitiveType type, VertexType vertexType, const void* vertices,
                          uint32_t vertexCount, const uint16_t* indices, uint32_t indexCount,
                          uint32_t flags) {
    CapturedDraw d;
    d.type = type;
    d.vertexType = vertexType;
    d.flags = flags;
    d.vertexCount = vertexCount;
    const auto* bytes = static_cast<const uint8_t*>(vertices);
    d.vertices.assign(bytes, bytes + size_t(vertexCount) * 32);
    if (indices) d.indices.assign(indices, indices + indexCount);
    inner_.GetTransform(TRANSFORM_WORLD, &d.world);
    inner_.GetTransform(TRANSFORM_VIEW, &d.view);
    inner_.GetTransform(TRANSFORM_PROJECTION, &d.projection);
    inner_.GetViewport(&d.viewport);
    for (uint32_t s = 1; s < RS_COUNT; ++s) inner_.GetRenderState(RenderState(s), &d.states[s]);
    inner_.GetLightState(LIGHTSTATE_AMBIENT, &d.ambient);
    uint32_t material = 0;
    inner_.GetLightState(LIGHTSTATE_MATERIAL, &material);
    if (!inner_.GetMaterial(MaterialHandle(material), &d.material)) d.material = MaterialRecord();
    for (LightHandle h : attached_) {
        LightRecord l;
        if (inner_.GetLight(h, &l) && (l.flags & LIGHT_ACTIVE)) d.lights.push_back(l);
    }
    d.texture = CaptureTexture(TextureHandle(d.states[RS_TEXTUREHANDLE]));
    frame_->draws.push_back(std::move(d));
}

int32_t FrameCapture::CaptureTexture(TextureHandle handle) {
    if (!handle) return -1;
    auto done = captured_.find(handle);
    if (done != captured_.end()) return done->second;
    auto it = surfaceOf_.find(handle);
    SurfaceDesc desc;
    SurfaceLock lock;
    if (it == surfaceOf_.end() || !inner_.GetSurfaceDesc(it->second, &desc) ||
        !inner_.Lock(it->second, &lock))
        return captured_[handle] = -1;
    CapturedTexture t;
    t.width = lock.width;
    t.height = lock.height;
    t.hasAlpha = HasAlpha(lock.format);
    t.keyed = keyed_.count(it->second) != 0;
    t.rgba.resize(size_t(t.width) * t.height * 4);
    // Palettes and colour keys are left out: the demonstration's textures use neither.
    ConvertToRgba(static_cast<const uint8_t*>(lock.bits), uint32_t(lock.pitch), t.width, t.height,
                  lock.format, nullptr, 0, ColorKey(), t.rgba.data());
    inner_.Unlock(it->second);
    frame_->textures.push_back(std::move(t));
    return captured_[handle] = int32_t(frame_->textures.size() - 1);
}

}  // namespace orix::bench
