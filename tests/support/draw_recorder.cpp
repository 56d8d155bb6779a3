#include "draw_recorder.h"

namespace orix::testing {

bool DrawRecorder::SetTransform(TransformState state, const Matrix& m) {
    transforms_[state] = m;
    return true;
}

bool DrawRecorder::GetTransform(TransformState state, Matrix* m) const {
    auto it = transforms_.find(state);
    *m = it == transforms_.end() ? Matrix() : it->second;
    return true;
}

bool DrawRecorder::SetRenderState(RenderState state, uint32_t value) {
    states_[state] = value;
    return true;
}

bool DrawRecorder::GetRenderState(RenderState state, uint32_t* value) const {
    auto it = states_.find(state);
    *value = it == states_.end() ? 0 : it->second;
    return true;
}

bool DrawRecorder::SetMaterial(MaterialHandle, const MaterialRecord& record) {
    material_ = record;
    ++materialLoads;
    return true;
}

bool DrawRecorder::GetMaterial(MaterialHandle, MaterialRecord* record) const {
    *record = material_;
    return true;
}

namespace {

Vector3 PositionOf(VertexType type, const void* vertices, uint16_t i) {
    switch (type) {
        case VT_VERTEX: {
            const Vertex& v = static_cast<const Vertex*>(vertices)[i];
            return {v.x, v.y, v.z};
        }
        case VT_LVERTEX: {
            const LVertex& v = static_cast<const LVertex*>(vertices)[i];
            return {v.x, v.y, v.z};
        }
        case VT_TLVERTEX: {
            const TLVertex& v = static_cast<const TLVertex*>(vertices)[i];
            return {v.sx, v.sy, v.sz};
        }
    }
    return {};
}

}  // namespace

bool DrawRecorder::DrawIndexedPrimitive(PrimitiveType, VertexType vertexType, const void* vertices,
                                        uint32_t vertexCount, const uint16_t* indices,
                                        uint32_t indexCount, uint32_t) {
    Draw d{vertexType, vertexCount, indexCount, material_, 0, Matrix(), {}};
    GetRenderState(RS_TEXTUREHANDLE, &d.textureHandle);
    GetTransform(TRANSFORM_WORLD, &d.world);
    for (uint32_t i = 0; i < indexCount; ++i) {
        d.positions.push_back(indices[i] < vertexCount
                                  ? PositionOf(vertexType, vertices, indices[i])
                                  : Vector3{1e30f, 1e30f, 1e30f});
    }
    draws.push_back(std::move(d));
    return true;
}

}  // namespace orix::testing
