// Test pictures made on the spot: JPEG files written with libjpeg itself (baseline,
// progressive, greyscale, restart markers, arithmetic coding, CMYK), PNG files written with
// libpng, BMP and TGA files assembled byte by byte, a temporary folder for them, and a capture of
// message boxes and exit requests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orix::test {

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes.
class PictureTempDir {
public:
    PictureTempDir();
    ~PictureTempDir();
    PictureTempDir(const PictureTempDir&) = delete;
    PictureTempDir& operator=(const PictureTempDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

struct JpegOptions {
    int quality = 100;
    bool progressive = false;
    bool greyscale = false;
    bool arithmetic = false;
    bool cmyk = false;        // inverted CMYK, as photo tools write it under Adobe's marker
    bool ycck = false;        // the same inks stored as YCCK
    bool subsample = false;   // 2x2 chroma subsampling; off keeps colours exact-ish
    int restartInterval = 0;  // MCUs between restart markers; 0 for none
};

// Writes rgb (width * height * 3 bytes, top-down; for greyscale only the red byte is used) as a
// JPEG file. False when the file cannot be written.
bool WriteJpeg(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb,
               const JpegOptions& options = {});

// Decodes a JPEG file with libjpeg directly, to top-down RGB; empty on any error. The reference
// the loader's output is compared with.
std::vector<uint8_t> ReferenceDecodeJpeg(const std::string& path, int* width, int* height);

// A width x height test pattern of distinct, well-separated colours (top-down RGB).
std::vector<uint8_t> TestPattern(int width, int height);

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadBytes(const std::string& path);

// A BMP file image: file header, a 40-byte (or headerSize) info header, optional masks after a
// 40-byte header, the colour table (4-byte entries), then pixels as given.
struct BmpSpec {
    int32_t width = 1;
    int32_t height = 1;  // negative: top-down
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    uint32_t headerSize = 40;
    std::vector<uint32_t> masks;       // written after a 40-byte header when present
    std::vector<uint32_t> colorTable;  // 0x00RRGGBB each
    uint32_t colorsUsed = 0;
    std::vector<uint8_t> pixels;
    int64_t offBitsOverride = -1;  // -1: computed
};
std::vector<uint8_t> MakeBmp(const BmpSpec& shape);

// A true-colour TGA file image of top-down RGBA pixels (width * height * 4 bytes): 24 bits (the
// alpha left out) or 32, stored bottom-up as most writers do, RLE-packed (runs of equal pixels
// and raw stretches between them) when asked.
std::vector<uint8_t> MakeTga(int width, int height, const std::vector<uint8_t>& rgba, int bits,
                             bool rle);
// A PNG file image of top-down RGBA pixels, written by libpng, with its alpha or without;
// empty when libpng fails.
std::vector<uint8_t> MakePng(int width, int height, const std::vector<uint8_t>& rgba, bool alpha);

// Message boxes and exit requests captured while the object lives.
struct CapturedMessage {
    std::string text;
    std::string caption;
};
class MessageCapture {
public:
    MessageCapture();
    ~MessageCapture();
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;
    const std::vector<CapturedMessage>& Messages() const;
    const std::vector<int>& ExitCodes() const;
    void Clear();
};

}  // namespace orix::test
