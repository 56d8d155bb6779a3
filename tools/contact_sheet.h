// A contact sheet: pictures of one size laid out in a grid, left to right and top to bottom,
// each with a number (the file's frame) written under it.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/graphics_device.h"

namespace orix::tool {

struct SheetLayout {
    uint32_t columns = 0;
    uint32_t rows = 0;
};

// As square as the count allows: ceil(sqrt(count)) columns, as many rows as needed.
SheetLayout LayOutSheet(size_t count);

// The sheet of pictures (all of the first one's size; others are left out) with labels[i]
// under picture i, on the dark background. An empty sheet for no pictures.
FrameImage MakeContactSheet(const std::vector<FrameImage>& pictures,
                            const std::vector<int32_t>& labels);

// Every pixel made fully opaque: the device's alpha is what the materials left there, which a
// picture file must not show as holes.
void MakeOpaque(FrameImage* image);

// Height of the label strip under each picture, in pixels.
constexpr uint32_t kSheetLabelHeight = 16;

}  // namespace orix::tool
