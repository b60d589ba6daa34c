// Fonts by family name, measured and rendered by the host's font engine.
#pragma once
#include <string>

#include "platform/toolkit/Color.h"
#include "platform/toolkit/Picture.h"

struct Font {
    std::string family = "Tahoma";
    int height = 11;  // pixels, cell height as the layout gives it
    bool bold = false;
    bool operator==(const Font&) const = default;
};

struct TextSize {
    int width = 0;
    int height = 0;
};

class FontEngine {
public:
    virtual ~FontEngine() = default;
    // Text is code page 1251. The size is that of the rendered line.
    virtual TextSize Measure(const Font& font, const std::string& text) = 0;
    // The text in `color` on transparent pixels (alpha carries the coverage).
    virtual Picture Render(const Font& font, const std::string& text, TColor color) = 0;
};
