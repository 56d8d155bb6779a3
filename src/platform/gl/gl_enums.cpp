#define GL_GLEXT_PROTOTYPES 1
#include "platform/gl/gl_enums.h"

#include <GL/glext.h>

namespace orix {

GLenum CompareToGl(uint32_t f) {
    switch (f) {
        case CMP_NEVER:
            return GL_NEVER;
        case CMP_LESS:
            return GL_LESS;
        case CMP_EQUAL:
            return GL_EQUAL;
        case CMP_LESSEQUAL:
            return GL_LEQUAL;
        case CMP_GREATER:
            return GL_GREATER;
        case CMP_NOTEQUAL:
            return GL_NOTEQUAL;
        case CMP_GREATEREQUAL:
            return GL_GEQUAL;
        default:
            return GL_ALWAYS;
    }
}

GLenum BlendToGl(uint32_t b) {
    switch (b) {
        case BLEND_ZERO:
            return GL_ZERO;
        case BLEND_SRCCOLOR:
            return GL_SRC_COLOR;
        case BLEND_INVSRCCOLOR:
            return GL_ONE_MINUS_SRC_COLOR;
        case BLEND_SRCALPHA:
            return GL_SRC_ALPHA;
        case BLEND_INVSRCALPHA:
            return GL_ONE_MINUS_SRC_ALPHA;
        case BLEND_DESTALPHA:
            return GL_DST_ALPHA;
        case BLEND_INVDESTALPHA:
            return GL_ONE_MINUS_DST_ALPHA;
        case BLEND_DESTCOLOR:
            return GL_DST_COLOR;
        case BLEND_INVDESTCOLOR:
            return GL_ONE_MINUS_DST_COLOR;
        case BLEND_SRCALPHASAT:
            return GL_SRC_ALPHA_SATURATE;
        default:
            return GL_ONE;
    }
}

GLenum PrimitiveToGl(PrimitiveType type) {
    switch (type) {
        case PRIM_POINTLIST:
            return GL_POINTS;
        case PRIM_LINELIST:
            return GL_LINES;
        case PRIM_LINESTRIP:
            return GL_LINE_STRIP;
        case PRIM_TRIANGLESTRIP:
            return GL_TRIANGLE_STRIP;
        case PRIM_TRIANGLEFAN:
            return GL_TRIANGLE_FAN;
        default:
            return GL_TRIANGLES;
    }
}

GLint MinFilterToGl(uint32_t f) {
    switch (f) {
        case FILTER_LINEAR:
            return GL_LINEAR;
        case FILTER_MIPNEAREST:
            return GL_NEAREST_MIPMAP_NEAREST;
        case FILTER_MIPLINEAR:
            return GL_LINEAR_MIPMAP_NEAREST;
        case FILTER_LINEARMIPNEAREST:
            return GL_NEAREST_MIPMAP_LINEAR;
        case FILTER_LINEARMIPLINEAR:
            return GL_LINEAR_MIPMAP_LINEAR;
        default:
            return GL_NEAREST;
    }
}

GLint MagFilterToGl(uint32_t f) {
    return (f == FILTER_LINEAR || f == FILTER_MIPLINEAR || f == FILTER_LINEARMIPLINEAR)
               ? GL_LINEAR
               : GL_NEAREST;
}

GLint AddressToGl(uint32_t a) {
    return a == TADDRESS_MIRROR  ? GL_MIRRORED_REPEAT
           : a == TADDRESS_CLAMP ? GL_CLAMP_TO_EDGE
                                 : GL_REPEAT;
}

void ApplyTextureBlend(uint32_t blend, bool textureHasAlpha) {
    switch (blend) {
        case TBLEND_DECAL:
        case TBLEND_DECALMASK:
        case TBLEND_COPY:
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
            break;
        case TBLEND_DECALALPHA:
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
            break;
        case TBLEND_MODULATEALPHA:
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
            break;
        case TBLEND_ADD:
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_ADD);
            break;
        default:
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
            glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_MODULATE);
            glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_TEXTURE);
            glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB, GL_PRIMARY_COLOR);
            glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, textureHasAlpha ? GL_REPLACE : GL_MODULATE);
            glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA, GL_TEXTURE);
            glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_ALPHA, GL_PRIMARY_COLOR);
            break;
    }
}

Matrix ScreenClipMatrix(float width, float height) {
    Matrix screen = Matrix::Identity();
    screen.m[0][0] = 2.0f / width;
    screen.m[3][0] = 1.0f / width - 1.0f;
    screen.m[1][1] = 2.0f / height;
    screen.m[3][1] = 1.0f / height - 1.0f;
    screen.m[2][2] = 2.0f;
    screen.m[3][2] = -1.0f;
    return screen;
}

Matrix ViewportClipMatrix(const ViewportRecord& v) {
    const float dz = v.maxZ - v.minZ;
    Matrix n = Matrix::Identity();
    n.m[0][0] = 2.0f / v.clipWidth;
    n.m[3][0] = -2.0f * v.clipX / v.clipWidth - 1.0f + 1.0f / float(v.width);
    n.m[1][1] = -2.0f / v.clipHeight;
    n.m[3][1] = 2.0f * v.clipY / v.clipHeight - 1.0f + 1.0f / float(v.height);
    n.m[2][2] = 2.0f / dz;
    n.m[3][2] = -2.0f * v.minZ / dz - 1.0f;
    return n;
}

void ApplyGlStartState() {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glDisable(GL_LIGHTING);
    // The triangle's colour in flat shading comes from its first vertex, as in Direct3D.
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
    // Window coordinates hold Direct3D's screen coordinates unchanged (y down), which turns
    // Direct3D's clockwise front faces into counter-clockwise ones in GL's reckoning.
    glFrontFace(GL_CCW);
    glEnable(GL_SCISSOR_TEST);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_SECONDARY_COLOR_ARRAY);
}

}  // namespace orix
