// The demonstration's pictures, drawn procedurally, and the two file writers they need:
// 24-bit BMP (our own) and baseline JPEG (libjpeg-turbo).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orix_assets {

struct Image {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;  // top row first, 3 bytes per pixel
};

// The character's atlas: clothes in the upper half, skin below, hair at the bottom; each row
// is brightest in the middle (u = 0.5), where the skin mesh puts the side facing the camera.
Image DrawCharacterAtlas();
// Tileable grass with patches of earth.
Image DrawLandTexture();
// A small bird on a branch against a sky gradient.
Image DrawVireo();

// A Windows BMP file, 24 bits per pixel, bottom-up rows padded to four bytes.
std::vector<uint8_t> EncodeBmp(const Image& image);
// A baseline JFIF file; false with a message when the encoder fails.
bool EncodeJpeg(const Image& image, int quality, std::vector<uint8_t>* out, std::string* error);

}  // namespace orix_assets
