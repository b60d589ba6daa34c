// Pixels in a canvas's byte order; kept apart from the browser host so it is tested natively.
#include <cstddef>

#include "platform/web/WebHost.h"

void ToCanvasOrder(std::uint32_t* screen, int pitch, Rect area) {
    for (int y = area.y; y < area.y + area.h; ++y) {
        std::uint32_t* p = screen + static_cast<std::size_t>(y) * pitch + area.x;
        for (int x = 0; x < area.w; ++x) {
            const std::uint32_t v = p[x];
            // Little-endian memory: 0xAABBGGRR reads as the bytes R, G, B, A.
            p[x] = 0xFF000000u | ((v & 0xFFu) << 16) | (v & 0xFF00u) | ((v >> 16) & 0xFFu);
        }
    }
}
