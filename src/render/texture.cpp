#include "render/texture.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "files/path_text.h"
#include "picture/bmp_picture.h"
#include "picture/held_pictures.h"
#include "picture/jpeg_picture.h"
#include "picture/tga_png_picture.h"
#include "platform/graphics_device.h"

namespace orix {

namespace {

constexpr uint32_t kBaseDescFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
constexpr uint32_t kHardwareCaps = DDSCAPS_TEXTURE | DDSCAPS_VIDEOMEMORY | DDSCAPS_ALLOCONLOAD;
constexpr uint32_t kSystemCaps = DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY;
constexpr uint32_t kMipCaps = DDSCAPS_MIPMAP | DDSCAPS_COMPLEX;

// maxSide is the device's largest texture side: a larger picture is refused before it is decoded.
using PictureLoader = BitmapPtr (*)(const std::string& fileName, uint32_t screenBits,
                                    uint32_t maxSide);

BitmapPtr LoadBmp(const std::string& fileName, uint32_t, uint32_t maxSide) {
    return LoadBitmapPicture(fileName, maxSide);
}
BitmapPtr LoadJpg(const std::string& fileName, uint32_t screenBits, uint32_t maxSide) {
    return LoadJpegPicture(fileName, screenBits, maxSide);
}
BitmapPtr LoadTga(const std::string& fileName, uint32_t, uint32_t maxSide) {
    return LoadTgaPicture(fileName, maxSide);
}
BitmapPtr LoadPng(const std::string& fileName, uint32_t, uint32_t maxSide) {
    return LoadPngPicture(fileName, maxSide);
}

PictureLoader LoaderFor(const std::string& fileName) {
    std::string ext = FileExtension(fileName);
    if (ext == "bmp") return LoadBmp;
    if (ext == "jpg") return LoadJpg;
    if (ext == "tga") return LoadTga;
    if (ext == "png") return LoadPng;
    return nullptr;
}

// A true-colour picture on a palette-indexed format has no table of its own; without a palette
// the texture would show black, so it gets the table its pixels were matched against.
PaletteHandle PaletteFor(GraphicsDevice& directDraw, const Bitmap& picture) {
    if (!picture.colorTable.empty()) return CreatePaletteFromBitmap(&directDraw, picture);
    std::vector<RgbQuad> table = DefaultColorTable8();
    std::vector<PaletteEntry> entries(table.size());
    for (size_t i = 0; i < table.size(); ++i) {
        entries[i] = {table[i].red, table[i].green, table[i].blue, 0};
    }
    return directDraw.CreatePalette(DDPCAPS_8BIT, entries.data(),
                                    static_cast<uint32_t>(entries.size()));
}

// Surfaces, key, palette, pixels and handle for level 0 of t; false leaves cleaning to the caller.
bool BuildLevel0(Texture& t, GraphicsDevice& directDraw, const Bitmap& picture, uint32_t mipLevels,
                 uint32_t colorKey) {
    SurfaceDesc desc;
    desc.flags = kBaseDescFlags;
    desc.width = static_cast<uint32_t>(picture.width);
    desc.height = static_cast<uint32_t>(picture.height);
    desc.pixelFormat = ChooseTextureFormat(*t.device, picture.bitsPerPixel);
    bool mip = mipLevels > 0;
    if (mip) {
        desc.flags |= DDSD_MIPMAPCOUNT;
        desc.mipMapCount = mipLevels;
    }
    bool hardware = t.device->GetCaps().hardware;
    desc.caps = (hardware ? kHardwareCaps : kSystemCaps) | (mip ? kMipCaps : 0);
    t.deviceSurface = directDraw.CreateSurface(desc);
    if (!t.deviceSurface) return false;
    if (hardware) {
        desc.caps = kSystemCaps | (mip ? kMipCaps : 0);
        t.systemSurface = directDraw.CreateSurface(desc);
        if (!t.systemSurface) return false;
    } else {
        directDraw.AddRefSurface(t.deviceSurface);
        t.systemSurface = t.deviceSurface;
    }
    // The key is not converted: it is compared with texels of the chosen format.
    if (colorKey != kNoColorKey) {
        t.device->SetColorKey(t.deviceSurface, DDCKEY_SRCBLT, colorKey, colorKey);
    }
    if (desc.pixelFormat.bitCount <= 8) {
        t.palette = PaletteFor(directDraw, picture);
        if (t.palette) {
            t.device->SetPalette(t.systemSurface, t.palette);
            t.device->SetPalette(t.deviceSurface, t.palette);
        }
    }
    if (!t.CopyBitmapToSurface(picture)) return false;
    t.handle = t.device->GetTextureHandle(t.deviceSurface);
    return static_cast<bool>(t.handle);
}

}  // namespace

std::string FindPicture(const std::string& pictureName, const std::string& modelFolder) {
    if (pictureName.empty()) return std::string();
    if (IsHeldPicture(pictureName)) return pictureName;
    std::string folder = modelFolder.empty() ? std::string(".") : modelFolder;
    size_t slash = pictureName.find_last_of("/\\");
    std::string base = slash == std::string::npos ? pictureName : pictureName.substr(slash + 1);
    for (const std::string& candidate :
         {pictureName, folder + "/" + pictureName, folder + "/" + base}) {
        std::error_code ignored;
        if (!base.empty() && std::filesystem::is_regular_file(candidate, ignored)) return candidate;
    }
    return std::string();
}

GraphicsDevice* DirectDrawOfDevice(GraphicsDevice* device) {
    return device;
}

PixelFormat ChooseTextureFormat(GraphicsDevice& device, uint32_t bitsPerPixel) {
    PixelFormat chosen;
    chosen.size = 0;  // all zero until a format qualifies
    for (const PixelFormat& f : device.EnumTextureFormats()) {
        if (f.flags & (DDPF_ALPHAPIXELS | DDPF_ALPHA)) continue;
        if (f.bitCount <= 8) {
            if (!(f.flags & (DDPF_PALETTEINDEXED4 | DDPF_PALETTEINDEXED8))) continue;
        } else if (!(f.flags & DDPF_RGB)) {
            continue;
        }
        if (f.bitCount < 8) continue;
        if (chosen.bitCount == 0) {
            chosen = f;
        } else if (f.bitCount >= bitsPerPixel &&
                   f.bitCount - bitsPerPixel < chosen.bitCount - bitsPerPixel) {
            // Unsigned on purpose: a chosen format shallower than the picture counts as far.
            chosen = f;
        }
    }
    return chosen;
}

PaletteHandle CreatePaletteFromBitmap(GraphicsDevice* directDraw, const Bitmap& bitmap) {
    if (!directDraw || bitmap.colorTable.empty()) return {};
    size_t count = std::min<size_t>(bitmap.colorTable.size(), 256);
    std::vector<PaletteEntry> entries(count);
    for (size_t i = 0; i < count; ++i) {
        const RgbQuad& q = bitmap.colorTable[i];
        entries[i] = {q.red, q.green, q.blue, 0};
    }
    uint32_t caps = count < 17 ? DDPCAPS_4BIT : DDPCAPS_8BIT;
    return directDraw->CreatePalette(caps, entries.data(), static_cast<uint32_t>(count));
}

bool Texture::Load(GraphicsDevice* newDevice, const std::string& fileName, uint32_t colorKey) {
    GraphicsDevice* directDraw = DirectDrawOfDevice(newDevice);
    if (!directDraw) return false;
    PictureLoader loader = LoaderFor(fileName);
    if (!loader) return false;
    BitmapPtr picture =
        loader(fileName, newDevice->BitsPerPixel(), newDevice->GetCaps().maxTextureSize);
    if (!picture) return false;

    Release();
    device = newDevice;
    if (!BuildLevel0(*this, *directDraw, *picture, 0, colorKey)) {
        Release();
        return false;
    }
    loaded = 1;
    return true;
}

bool Texture::LoadMipmaps(GraphicsDevice* newDevice, const std::vector<std::string>& fileNames,
                          uint32_t levelCount, uint32_t colorKey) {
    GraphicsDevice* directDraw = DirectDrawOfDevice(newDevice);
    if (!directDraw || fileNames.empty() || levelCount > fileNames.size()) return false;
    PictureLoader loader = LoaderFor(fileNames[0]);
    if (!loader) return false;
    uint32_t screenBits = newDevice->BitsPerPixel();
    uint32_t maxSide = newDevice->GetCaps().maxTextureSize;
    BitmapPtr picture = loader(fileNames[0], screenBits, maxSide);
    if (!picture) return false;

    Release();
    device = newDevice;
    uint32_t levels = std::max<uint32_t>(levelCount, 1);
    bool ok = BuildLevel0(*this, *directDraw, *picture, levels, colorKey);
    bool indexed = ok && ChooseTextureFormat(*device, picture->bitsPerPixel).bitCount <= 8;
    // Each attached level comes with a reference of its own, given back once it was filled.
    SurfaceHandle current = systemSurface;
    for (uint32_t i = 1; ok && i < levels; ++i) {
        BitmapPtr level = loader(fileNames[i], screenBits, maxSide);
        SurfaceHandle next =
            level ? device->GetAttachedSurface(current, DDSCAPS_TEXTURE | DDSCAPS_MIPMAP)
                  : SurfaceHandle();
        if (current != systemSurface) device->ReleaseSurface(current);
        current = next;
        ok = static_cast<bool>(next);
        if (ok && indexed) {
            PaletteHandle replaced = palette;
            palette = PaletteFor(*directDraw, *level);
            if (replaced) device->ReleasePalette(replaced);
            if (palette) device->SetPalette(next, palette);
        }
        ok = ok && CopyBitmapToSurface(*level, next);
    }
    if (current && current != systemSurface) device->ReleaseSurface(current);
    // Marked loaded only once every level is in: a half-built chain is no texture.
    if (ok) {
        loaded = 1;
    } else {
        Release();
    }
    return ok;
}

bool Texture::Reload() {
    if (!device || !systemSurface || !deviceSurface) return false;
    if (systemSurface == deviceSurface) return true;
    if (!device->Restore(deviceSurface)) return false;
    return device->LoadTexture(deviceSurface, systemSurface);
}

void Texture::Release() {
    if (device) {
        if (systemSurface) device->ReleaseSurface(systemSurface);
        if (deviceSurface) device->ReleaseSurface(deviceSurface);
        if (palette) device->ReleasePalette(palette);
    }
    systemSurface = {};
    deviceSurface = {};
    palette = {};
    handle = {};
    device = nullptr;
}

bool Texture::CopyBitmapToSurface(const Bitmap& bitmap) {
    return CopyBitmapToSurface(bitmap, systemSurface);
}

bool Texture::CopyBitmapToSurface(const Bitmap& bitmap, SurfaceHandle level) {
    if (!device || !level) return false;
    if (!BlitBitmapToSurface(bitmap, *device, level)) return false;
    return Reload();
}

}  // namespace orix
