// Colours as the game names them (0xBBGGRR) and the pixels pictures hold (0xAARRGGBB).
#pragma once
#include <cstdint>

using TColor = std::uint32_t;  // 0x00BBGGRR, as the layout and the board give colours

constexpr TColor clGreen = 0x008000;
constexpr TColor clGrey = 0x808080;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clPurple = 0x800080;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clWindow = 0xFFFFFF;  // the system's window colour, white

// An opaque pixel of the given colour.
constexpr std::uint32_t ColorToPixel(TColor c) {
    return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

constexpr TColor PixelToColor(std::uint32_t p) {
    return ((p >> 16) & 0xFFu) | (p & 0xFF00u) | ((p & 0xFFu) << 16);
}
