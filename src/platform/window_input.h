/// \file
/// Pointer, wheel, size and dropped files as window messages, and the window operations a
/// viewer needs beyond the program's fixed window: resizing, a new title, the client size.
///
/// The messages keep their Windows numbers and packing: button and move messages carry the
/// pointer's client coordinates in lParam (x in the low 16 bits, y in the high, both signed)
/// and the buttons held in wParam (MK_*); WM_MOUSEWHEEL carries the wheel's turn in the high 16
/// bits of wParam, 120 a notch; WM_SIZE after a resize carries the new client size as lParam
/// (width low, height high); WM_DROPFILES says a file was dropped, TakeDroppedFile gives it.
/// Carried by SDL2 (window_input.cpp); nothing for the stand-in window.
#pragma once

#include <cstdint>
#include <string>

#include "platform/window.h"

namespace orix {

enum : uint32_t {
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    WM_MBUTTONDOWN = 0x0207,
    WM_MBUTTONUP = 0x0208,
    WM_MOUSEWHEEL = 0x020A,
    WM_DROPFILES = 0x0233,
};
enum : uintptr_t { MK_LBUTTON = 0x0001, MK_RBUTTON = 0x0002, MK_MBUTTON = 0x0010 };
constexpr int kWheelDelta = 120;

/// The packing of the pointer and wheel messages.
constexpr intptr_t PointerParam(int x, int y) {
    return static_cast<intptr_t>((static_cast<uint32_t>(y & 0xFFFF) << 16) |
                                 static_cast<uint32_t>(x & 0xFFFF));
}
constexpr int PointerX(intptr_t lParam) {
    return static_cast<int16_t>(lParam & 0xFFFF);
}
constexpr int PointerY(intptr_t lParam) {
    return static_cast<int16_t>((lParam >> 16) & 0xFFFF);
}
constexpr int WheelTurn(uintptr_t wParam) {
    return static_cast<int16_t>((wParam >> 16) & 0xFFFF);
}

/// Lets the user resize the window (or not).
void SetWindowResizable(WindowHandle window, bool resizable);
/// Changes the title the window shows.
void SetWindowTitle(WindowHandle window, const std::string& title);
/// The client area's size now; false for the stand-in or a window that is gone.
bool ClientSize(WindowHandle window, int* width, int* height);
/// The oldest dropped file not taken yet; empty when none is waiting.
std::string TakeDroppedFile();

}  // namespace orix
