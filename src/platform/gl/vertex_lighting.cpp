#include "platform/gl/vertex_lighting.h"

#include <algorithm>
#include <cmath>

namespace orix {

namespace {

uint32_t Pack(float r, float g, float b, float a) {
    auto ch = [](float v) -> uint32_t {
        if (!(v > 0.0f)) return 0;
        if (v >= 1.0f) return 255;
        return uint32_t(v * 255.0f + 0.5f);
    };
    return (ch(a) << 24) | (ch(r) << 16) | (ch(g) << 8) | ch(b);
}

// What a light contributes that does not depend on the vertex, worked out once per draw.
struct PreparedLight {
    const LightRecord* light;
    Vector3 toLight;  // directional lights: unit direction towards the light
    Vector3 axis;     // spot lights: unit direction the light points at, reversed
    float cosTheta, cosPhi;
};

PreparedLight Prepare(const LightRecord& l) {
    PreparedLight p{&l, {}, {}, 0.0f, 0.0f};
    if (l.type == LIGHT_DIRECTIONAL) p.toLight = Normalize(-l.direction);
    if (l.type == LIGHT_SPOT) {
        p.axis = Normalize(-l.direction);
        p.cosTheta = std::cos(l.theta * 0.5f);
        p.cosPhi = std::cos(l.phi * 0.5f);
    }
    return p;
}

// Spot factor from the cosine between the light's axis and the light-to-vertex direction.
float SpotFactor(const PreparedLight& p, float rho) {
    if (rho > p.cosTheta) return 1.0f;
    if (rho <= p.cosPhi) return 0.0f;
    float t = (rho - p.cosPhi) / (p.cosTheta - p.cosPhi);
    if (p.light->falloff == 1.0f) return t;
    return std::pow(t, p.light->falloff);
}

ColorValue Light(const Vector3& p, const Vector3& n, const LightingSetup& s,
                 const PreparedLight* lights, size_t lightCount, ColorValue* specular) {
    const MaterialRecord& m = s.material;
    float r = m.emissive.r + s.ambient.r * m.ambient.r;
    float g = m.emissive.g + s.ambient.g * m.ambient.g;
    float b = m.emissive.b + s.ambient.b * m.ambient.b;
    float sr = 0, sg = 0, sb = 0;
    Vector3 toEye;
    if (s.specular) toEye = Normalize(s.eye - p);
    for (size_t i = 0; i < lightCount; ++i) {
        const LightRecord& l = *lights[i].light;
        Vector3 dir;  // from the vertex towards the light, unit length
        float att = 1.0f, spot = 1.0f;
        if (l.type == LIGHT_DIRECTIONAL) {
            dir = lights[i].toLight;
        } else if (l.type == LIGHT_PARALLELPOINT) {
            dir = Normalize(l.position - p);
        } else {
            Vector3 d = l.position - p;
            float dist = Length(d);
            if (dist > l.range) continue;
            float denom = l.attenuation0 + l.attenuation1 * dist + l.attenuation2 * dist * dist;
            att = denom > 0.0f ? 1.0f / denom : 1.0f;
            dir = dist > 0.0f ? d / dist : Vector3(0, 0, 0);
            if (l.type == LIGHT_SPOT) {
                spot = SpotFactor(lights[i], Dot(lights[i].axis, dir));
                if (spot <= 0.0f) continue;
            }
        }
        float ndotl = Dot(n, dir);
        if (ndotl <= 0.0f) continue;
        float k = ndotl * att * spot;
        r += l.color.r * m.diffuse.r * k;
        g += l.color.g * m.diffuse.g * k;
        b += l.color.b * m.diffuse.b * k;
        if (s.specular && m.power > 0.0f && !(l.flags & LIGHT_NO_SPECULAR)) {
            Vector3 h = Normalize(dir + toEye);
            float ndoth = Dot(n, h);
            if (ndoth > 0.0f) {
                float sp = std::pow(ndoth, m.power) * att * spot;
                sr += l.color.r * m.specular.r * sp;
                sg += l.color.g * m.specular.g * sp;
                sb += l.color.b * m.specular.b * sp;
            }
        }
    }
    if (specular) *specular = ColorValue{sr, sg, sb, 1.0f};
    return ColorValue{r, g, b, m.diffuse.a};
}

std::vector<PreparedLight> PrepareAll(const LightingSetup& s) {
    std::vector<PreparedLight> prepared;
    prepared.reserve(s.lights.size());
    for (const LightRecord* l : s.lights) prepared.push_back(Prepare(*l));
    return prepared;
}

}  // namespace

ColorValue LightOneVertex(const Vector3& p, const Vector3& n, const LightingSetup& s,
                          ColorValue* specular) {
    std::vector<PreparedLight> lights = PrepareAll(s);
    return Light(p, n, s, lights.data(), lights.size(), specular);
}

void LightVertices(const Vertex* v, uint32_t n, const LightingSetup& s, uint32_t* colors,
                   uint32_t* speculars) {
    const Matrix& w = s.world;
    const std::vector<PreparedLight> lights = PrepareAll(s);
    for (uint32_t i = 0; i < n; ++i) {
        Vector3 p = TransformPoint(Vector3(v[i].x, v[i].y, v[i].z), w);
        Vector3 nn = Normalize(TransformDirection(Vector3(v[i].nx, v[i].ny, v[i].nz), w));
        ColorValue specularColor;
        ColorValue c =
            Light(p, nn, s, lights.data(), lights.size(), s.specular ? &specularColor : nullptr);
        colors[i] = Pack(c.r, c.g, c.b, c.a);
        if (speculars)
            speculars[i] = s.specular
                               ? Pack(specularColor.r, specularColor.g, specularColor.b, 1.0f)
                               : 0xFF000000u;
    }
}

}  // namespace orix
