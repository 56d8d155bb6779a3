/// \file
/// PavoSprite: a screen-space picture, a textured quad of transformed vertices centred on the
/// node's position, tinted by a colour, drawn as a triangle fan over the 3D scene.
///
/// Depends on PavoObject, Texture (the sprite owns its texture and releases it when destroyed)
/// and the engine's device. A picture that cannot be loaded ends the program (exit status -1)
/// after a message box.
#pragma once

#include <cstdint>
#include <string>

#include "math/vector3.h"
#include "math/vertex.h"
#include "render/texture.h"
#include "scene/pavo_object.h"

namespace orix {

class PavoSprite : public PavoObject {
public:
    /// A 100 x 100 white quad at the origin, texture coordinates (0,0) (1,0) (1,1) (0,1).
    PavoSprite();
    ~PavoSprite() override;

    /// Nothing when invisible; otherwise flag 1 moves, flag 2 draws, flag 4 visits children.
    void Update(uint32_t flags) override;

    /// The quad's size in reference pixels, stored scaled.
    void SetSize(float width, float height);
    /// The tint of all four vertices, with the current alpha; packedColor follows.
    void SetColor(float r, float g, float b);
    /// Loads the picture with the engine's device and a colour key (-1 for none). On failure
    /// shows "Can't Load texture. : \<name\>" under "PavoSprite" and ends the program with -1;
    /// returns false should the exit hook return.
    bool LoadPicture(const std::string& fileName, int32_t colorKey);

    Texture texture;
    float halfWidth = 50.0f, halfHeight = 50.0f;
    TLVertex vertices[4];
    Vector3 corners[4];
    float red = 1.0f, green = 1.0f, blue = 1.0f, alpha = 1.0f;
    uint32_t packedColor = 0xFFFFFFFF;

private:
    void SetCorners();
    void Draw();
};

}  // namespace orix
