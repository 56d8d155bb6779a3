#include "platform/device_types.h"

#include <cstring>

#include "platform/graphics_device.h"

namespace orix {

bool DriverGuid::IsZero() const {
    static const DriverGuid zero;
    return *this == zero;
}

bool DriverGuid::operator==(const DriverGuid& o) const {
    return data1 == o.data1 && data2 == o.data2 && data3 == o.data3 &&
           std::memcmp(data4, o.data4, sizeof(data4)) == 0;
}

bool PixelFormat::operator==(const PixelFormat& o) const {
    return size == o.size && flags == o.flags && fourCC == o.fourCC && bitCount == o.bitCount &&
           redMask == o.redMask && greenMask == o.greenMask && blueMask == o.blueMask &&
           alphaMask == o.alphaMask;
}

uint32_t FrameImage::Rgb(uint32_t x, uint32_t y) const {
    if (x >= width || y >= height) return 0;
    size_t at = (static_cast<size_t>(y) * width + x) * 4;
    if (at + 3 >= rgba.size()) return 0;
    return (uint32_t(rgba[at]) << 16) | (uint32_t(rgba[at + 1]) << 8) | rgba[at + 2];
}

}  // namespace orix
