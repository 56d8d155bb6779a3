#define GL_GLEXT_PROTOTYPES 1
#include "platform/gl/gl_display.h"

#include <GL/gl.h>

namespace orix {

bool IsSoftwareRenderer(const std::string& renderer) {
    for (const char* name : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer", "SWR"}) {
        if (renderer.find(name) != std::string::npos) return true;
    }
    return false;
}

bool GlDisplay::InitTarget(std::string* error) {
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    renderer_ = renderer ? renderer : "";
    hardware_ = !renderer_.empty() && !IsSoftwareRenderer(renderer_);
    return target_.Create(width_, height_, bitsPerPixel_, error);
}

}  // namespace orix
