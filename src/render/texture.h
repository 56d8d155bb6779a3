/// \file
/// Texture: one picture file, or a chain of them for a mipmapped texture, turned into a texture
/// of the graphics device: a surface in the device's texture format that best matches the
/// picture, an optional source colour key and palette, and the handle that drawing binds.
///
/// Depends on the graphics device (surfaces, palettes, texture formats, texture handles), the
/// bitmap blit of the platform layer, and the BMP, JPEG, TGA and PNG loaders. Shows no message:
/// every failure is the result false and the owner reports it. Pictures are taken at their own
/// size; a size or format the device refuses fails the load.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/bitmap.h"
#include "platform/device_types.h"

namespace orix {

class GraphicsDevice;

/// No colour key.
constexpr uint32_t kNoColorKey = 0xFFFFFFFF;

/// A plain record: its owner zeroes it (or embeds it), loads it once and releases it.
struct Texture {
    /// The surface the picture is drawn into; on a software device the same surface as
    /// deviceSurface, held twice.
    SurfaceHandle systemSurface;
    /// The surface the device textures from.
    SurfaceHandle deviceSurface;
    /// Only for texture formats of 8 bits or fewer.
    PaletteHandle palette;
    /// What TEXTUREHANDLE and materials bind; 0 when nothing is loaded.
    TextureHandle handle;
    /// Set to 1 by a successful load, never cleared here.
    uint8_t loaded = 0;
    /// The device the surfaces and palette belong to (handles mean nothing without it).
    GraphicsDevice* device = nullptr;

    /// Loads fileName (.bmp, .jpg, .tga or .png, relative to the working directory) into a new
    /// texture of device, with a source colour key in the texture's own pixel format or
    /// kNoColorKey. What an earlier load made is released only once the new picture has been read.
    bool Load(GraphicsDevice* device, const std::string& fileName, uint32_t colorKey);
    /// As Load, with one picture per level of a mip chain, level 0 (largest) first; the loader
    /// follows the extension of the first name. levelCount beyond fileNames fails.
    bool LoadMipmaps(GraphicsDevice* device, const std::vector<std::string>& fileNames,
                     uint32_t levelCount, uint32_t colorKey);
    /// Transfers systemSurface (with its level chain) into deviceSurface again, restoring a lost
    /// device surface first. True at once on a software device.
    bool Reload();
    /// Releases both surfaces and the palette; the record is empty afterwards.
    void Release();
    SurfaceHandle GetSystemSurface() const { return systemSurface; }

    /// Draws bitmap into systemSurface with format conversion, then Reload.
    bool CopyBitmapToSurface(const Bitmap& bitmap);
    /// Draws bitmap into one level surface of the system-memory chain, then Reload.
    bool CopyBitmapToSurface(const Bitmap& bitmap, SurfaceHandle level);
};

/// Where a picture that a model file names is found, for loaders that look beyond the working
/// directory: the name as given, then relative to modelFolder, then its base name (after the
/// last '/' or '\\') in modelFolder, so that the absolute paths of the machine an export was
/// made on still find the picture beside the model. "" when none of them is a file.
std::string FindPicture(const std::string& pictureName, const std::string& modelFolder);

/// The device's texture format for a picture of bitsPerPixel: among formats without alpha
/// (palette-indexed up to 8 bits, RGB above) of at least 8 bits, the first one, replaced by the
/// shallowest later one at least as deep as the picture. All zero when none qualifies.
PixelFormat ChooseTextureFormat(GraphicsDevice& device, uint32_t bitsPerPixel);

/// A palette of the device from the bitmap's colour table (4-bit with fewer than 17 entries,
/// 8-bit otherwise); 0 for a picture without one, or when the device refuses.
PaletteHandle CreatePaletteFromBitmap(GraphicsDevice* directDraw, const Bitmap& bitmap);

/// The surface and palette factory behind a device: the device itself here; null for none.
GraphicsDevice* DirectDrawOfDevice(GraphicsDevice* device);

}  // namespace orix
