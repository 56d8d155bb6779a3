#include "support/recording_device.h"

namespace orix {

RecordingDevice::RecordingDevice(uint32_t width, uint32_t height, uint32_t bits)
    : width_(width), height_(height), bits_(bits) {
    // Direct3D's defaults for the states the engine touches.
    states_[RS_TEXTUREADDRESS] = TADDRESS_WRAP;
    states_[RS_ZENABLE] = D3D_TRUE;
    states_[RS_FILLMODE] = FILL_SOLID;
    states_[RS_SHADEMODE] = SHADE_GOURAUD;
    states_[RS_PLANEMASK] = 0xFFFFFFFFu;
    states_[RS_ZWRITEENABLE] = D3D_TRUE;
    states_[RS_LASTPIXEL] = D3D_TRUE;
    states_[RS_TEXTUREMAG] = FILTER_NEAREST;
    states_[RS_TEXTUREMIN] = FILTER_NEAREST;
    states_[RS_SRCBLEND] = BLEND_ONE;
    states_[RS_DESTBLEND] = BLEND_ZERO;
    states_[RS_TEXTUREMAPBLEND] = TBLEND_MODULATE;
    states_[RS_CULLMODE] = CULL_CCW;
    states_[RS_ZFUNC] = CMP_LESSEQUAL;
    states_[RS_ALPHAFUNC] = CMP_ALWAYS;
    states_[RS_DITHERENABLE] = D3D_FALSE;
    states_[RS_SPECULARENABLE] = D3D_TRUE;
    viewport_.width = width;
    viewport_.height = height;
}

void RecordingDevice::Record(const std::string& line) {
    calls_.push_back(line);
    if (trace_on_) trace_.push_back(line);
}

size_t RecordingDevice::CountCalls(const std::string& prefix) const {
    size_t n = 0;
    for (const auto& c : calls_)
        if (c.compare(0, prefix.size(), prefix) == 0) ++n;
    return n;
}

int RecordingDevice::FindCall(const std::string& prefix, size_t from) const {
    for (size_t i = from; i < calls_.size(); ++i)
        if (calls_[i].compare(0, prefix.size(), prefix) == 0) return static_cast<int>(i);
    return -1;
}

Matrix RecordingDevice::Transform(TransformState state) const {
    return state <= TRANSFORM_PROJECTION ? transforms_[state] : Matrix{};
}

DeviceCaps RecordingDevice::GetCaps() const {
    DeviceCaps caps;
    caps.maxTextureSize = 2048;
    caps.renderer = "recording";
    return caps;
}

bool RecordingDevice::BeginScene() {
    Record("BeginScene");
    if (inScene_) return false;
    inScene_ = true;
    stats_ = FrameStats{};
    return true;
}

bool RecordingDevice::EndScene() {
    Record("EndScene");
    if (!inScene_) return false;
    inScene_ = false;
    return true;
}

bool RecordingDevice::SetTransform(TransformState state, const Matrix& m) {
    Record("SetTransform " + std::to_string(state));
    if (state < TRANSFORM_WORLD || state > TRANSFORM_PROJECTION) return false;
    transforms_[state] = m;
    ++stats_.transformChanges;
    return true;
}

bool RecordingDevice::GetTransform(TransformState state, Matrix* m) const {
    if (state < TRANSFORM_WORLD || state > TRANSFORM_PROJECTION || !m) return false;
    *m = transforms_[state];
    return true;
}

bool RecordingDevice::SetRenderState(RenderState state, uint32_t value) {
    Record("SetRenderState " + std::to_string(state) + " " + std::to_string(value));
    if (state >= RS_COUNT) return false;
    if (states_[state] == value) {
        ++stats_.renderStateRedundant;
    } else {
        ++stats_.renderStateChanges;
    }
    states_[state] = value;
    return true;
}

bool RecordingDevice::GetRenderState(RenderState state, uint32_t* value) const {
    if (state >= RS_COUNT || !value) return false;
    *value = states_[state];
    return true;
}

bool RecordingDevice::SetLightState(LightState state, uint32_t value) {
    Record("SetLightState " + std::to_string(state) + " " + std::to_string(value));
    if (state >= 8) return false;
    lightStates_[state] = value;
    return true;
}

bool RecordingDevice::GetLightState(LightState state, uint32_t* value) const {
    if (state >= 8 || !value) return false;
    *value = lightStates_[state];
    return true;
}

bool RecordingDevice::DrawPrimitive(PrimitiveType type, VertexType vertexType, const void*,
                                    uint32_t vertexCount, uint32_t) {
    Record("DrawPrimitive " + std::to_string(type) + " " + std::to_string(vertexType) + " " +
           std::to_string(vertexCount));
    if (!inScene_) return false;
    ++stats_.drawCalls;
    stats_.vertices += vertexCount;
    return true;
}

bool RecordingDevice::DrawIndexedPrimitive(PrimitiveType type, VertexType vertexType, const void*,
                                           uint32_t vertexCount, const uint16_t*,
                                           uint32_t indexCount, uint32_t) {
    Record("DrawIndexedPrimitive " + std::to_string(type) + " " + std::to_string(vertexType) + " " +
           std::to_string(vertexCount) + " " + std::to_string(indexCount));
    if (!inScene_) return false;
    ++stats_.drawCalls;
    stats_.vertices += vertexCount;
    return true;
}

bool RecordingDevice::SetViewport(const ViewportRecord& viewport) {
    Record("SetViewport");
    viewport_ = viewport;
    return true;
}

bool RecordingDevice::GetViewport(ViewportRecord* viewport) const {
    if (!viewport) return false;
    *viewport = viewport_;
    return true;
}

bool RecordingDevice::SetBackground(MaterialHandle material) {
    Record("SetBackground " + std::to_string(material));
    return materials_.count(material) != 0;
}

bool RecordingDevice::Clear(const Rect* rects, uint32_t count, uint32_t flags) {
    std::string line = "Clear " + std::to_string(count) + " " + std::to_string(flags);
    if (rects && count > 0) {
        line += " " + std::to_string(rects[0].left) + "," + std::to_string(rects[0].top) + "," +
                std::to_string(rects[0].right) + "," + std::to_string(rects[0].bottom);
    }
    Record(line);
    ++stats_.clears;
    return true;
}

bool RecordingDevice::AddLight(LightHandle light) {
    Record("AddLight " + std::to_string(light));
    if (!lights_.count(light)) return false;
    attached_.insert(light);
    return true;
}

bool RecordingDevice::DeleteLight(LightHandle light) {
    Record("DeleteLight " + std::to_string(light));
    return attached_.erase(light) != 0;
}

MaterialHandle RecordingDevice::CreateMaterial() {
    MaterialHandle h = nextHandle_++;
    materials_[h] = MaterialRecord{};
    Record("CreateMaterial " + std::to_string(h));
    return h;
}

bool RecordingDevice::SetMaterial(MaterialHandle material, const MaterialRecord& record) {
    Record("SetMaterial " + std::to_string(material));
    auto it = materials_.find(material);
    if (it == materials_.end()) return false;
    it->second = record;
    return true;
}

bool RecordingDevice::GetMaterial(MaterialHandle material, MaterialRecord* record) const {
    auto it = materials_.find(material);
    if (it == materials_.end() || !record) return false;
    *record = it->second;
    return true;
}

void RecordingDevice::ReleaseMaterial(MaterialHandle material) {
    Record("ReleaseMaterial " + std::to_string(material));
    materials_.erase(material);
}

LightHandle RecordingDevice::CreateLight() {
    LightHandle h = nextHandle_++;
    lights_[h] = LightRecord{};
    Record("CreateLight " + std::to_string(h));
    return h;
}

bool RecordingDevice::SetLight(LightHandle light, const LightRecord& record) {
    Record("SetLight " + std::to_string(light));
    auto it = lights_.find(light);
    if (it == lights_.end()) return false;
    it->second = record;
    return true;
}

bool RecordingDevice::GetLight(LightHandle light, LightRecord* record) const {
    auto it = lights_.find(light);
    if (it == lights_.end() || !record) return false;
    *record = it->second;
    return true;
}

void RecordingDevice::ReleaseLight(LightHandle light) {
    Record("ReleaseLight " + std::to_string(light));
    lights_.erase(light);
    attached_.erase(light);
}

bool RecordingDevice::Present() {
    Record("Present");
    return true;
}

bool RecordingDevice::DrawText(int32_t x, int32_t y, uint32_t, const std::string& text) {
    Record("DrawText " + std::to_string(x) + " " + std::to_string(y) + " " + text);
    ++stats_.textDraws;
    return true;
}

bool RecordingDevice::ReadFrame(FrameImage* image) {
    if (!image) return false;
    image->width = width_;
    image->height = height_;
    image->rgba.assign(static_cast<size_t>(width_) * height_ * 4, 0);
    return true;
}

}  // namespace orix
