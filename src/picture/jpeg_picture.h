/// \file
/// JPEG picture loading: decodes a JPEG file with libjpeg into top-down RGB, turns it into the
/// layout of a bottom-up 24-bit DIB (blue-green-red, last row first, rows padded to 4 bytes) and
/// makes a bitmap of the screen's depth from it, which the texture code copies like a BMP.
///
/// Depends on libjpeg(-turbo) through its classic API and on the message sink for failures.
/// Limits: 8-bit samples; greyscale, colour and CMYK/YCCK files (baseline, progressive,
/// arithmetic-coded, with restart markers); CMYK is made RGB, inverted as Adobe's marker
/// announces. A picture larger than the device holds or than PictureSizeRefusal allows is refused
/// from its header with a message. Single-threaded: the last-image state and the error context
/// belong to the one load in progress. maxSide below is the device's largest texture side (0:
/// kMaxBitmapSide).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/bitmap.h"

struct jpeg_common_struct;

namespace orix {

/// What the module keeps of the last load: the decoded image (BGR and flipped by the time the
/// load returns), its size (0 by 0 after a failed decode) and the padded row size of the DIB.
struct JpegLastImage {
    const uint8_t* image = nullptr;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t paddedRowSize = 0;
};

/// The picture in name as a bitmap of the screen's depth (screenBits as MakeScreenCompatible
/// takes it), or null after a message box saying why.
BitmapPtr LoadJpegPicture(const std::string& fileName, uint32_t screenBits = 16,
                          uint32_t maxSide = 0);

/// The picture in name as the 24-bit bottom-up DIB, or null after a message box. Replaces the
/// module's last image.
BitmapPtr LoadJpegDib(const std::string& fileName, uint32_t maxSide = 0);

/// The module's state after the last LoadJpegPicture or LoadJpegDib.
JpegLastImage LastJpegImage();

/// Decodes name into width x height x 3 bytes, top-down RGB; null (and 0 by 0) after a message
/// box when the file cannot be opened or decoded.
std::unique_ptr<uint8_t[]> DecodeJpegFile(const std::string& fileName, uint32_t* width,
                                          uint32_t* height, uint32_t maxSide = 0);

/// libjpeg's error exit: shows the library's message, after the name of the file being decoded,
/// under "JPEG Fatal Error" and returns to the decode in progress.
void JpegErrorExit(jpeg_common_struct* cinfo);

/// Writes one decoded row of width RGB triplets as row rowIndex of image.
void CopyRgbRow(const uint8_t* row, uint32_t width, uint8_t* image, uint32_t rowIndex);
/// Writes one decoded row of width grey samples as row rowIndex of image, each sample thrice.
void ExpandGreyRow(const uint8_t* row, uint32_t width, uint8_t* image, uint32_t rowIndex);
/// Writes one decoded row of width CMYK quadruplets as RGB row rowIndex of image; inverted when
/// the file stores 255 minus each ink (Adobe's marker says so).
void CmykRowToRgb(const uint8_t* row, uint32_t width, uint8_t* image, uint32_t rowIndex,
                  bool inverted);

/// Exchanges the first and third byte of every pixel (RGB <-> BGR).
void SwapRedBlue(uint8_t* image, uint32_t width, uint32_t height);
/// Reverses the order of height rows of rowBytes bytes; false for a null image.
bool FlipRows(uint8_t* image, uint32_t rowBytes, uint32_t height);
/// Copies the rows of a width x height BGR image into rows padded to whole 32-bit words; stores
/// the padded row size. Empty when the memory cannot be had.
std::vector<uint8_t> PadRows(const uint8_t* image, uint32_t width, uint32_t height,
                             uint32_t* paddedRowSize);

}  // namespace orix
