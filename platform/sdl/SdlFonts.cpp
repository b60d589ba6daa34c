// Captions through SDL_ttf: the font file is found by family name (FontLookup), and its
// point size chosen so that a line is as tall as the layout's font height in pixels.
#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "platform/FontLookup.h"
#include "platform/Text1251.h"
#include "platform/sdl/SdlParts.h"

namespace {

// Whether the face in the file is itself bold (semibold and heavier), judged by its style
// name, so that bold is synthesised only over a regular face.
bool FaceIsBold(TTF_Font* f) {
    const char* style = TTF_FontFaceStyleName(f);
    if (!style) return false;
    std::string s(style);
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s.find("bold") != std::string::npos || s.find("black") != std::string::npos ||
           s.find("heavy") != std::string::npos;
}

}  // namespace

SdlFontEngine::SdlFontEngine() {
    if (TTF_WasInit() == 0 && TTF_Init() != 0) throw std::runtime_error(std::string("TTF_Init: ") + TTF_GetError());
}

SdlFontEngine::~SdlFontEngine() {
    for (auto& entry : cache_)
        if (entry.second) TTF_CloseFont(entry.second);
    TTF_Quit();
}

TTF_Font* SdlFontEngine::Open(const Font& font) {
    const auto key = std::make_tuple(font.family, font.height, font.bold);
    if (auto it = cache_.find(key); it != cache_.end()) return it->second;
    const int height = std::max(1, font.height);
    const std::filesystem::path file = FindFontFile(font.family, font.bold);
    // SDL opens files by UTF-8 name on every system.
    TTF_Font* f = file.empty() ? nullptr : TTF_OpenFont(reinterpret_cast<const char*>(file.u8string().c_str()), height);
    if (f) {
        // Line height grows with the point size by the font's own ratio; one proportional
        // step, then the neighbours, find the size whose line is nearest the cell height.
        const int first = TTF_FontHeight(f);
        int best = std::max(1, static_cast<int>(std::lround(static_cast<double>(height) * height / std::max(1, first))));
        int bestDiff = 1 << 30;
        const int centre = best;
        for (int pt = std::max(1, centre - 2); pt <= centre + 2; ++pt) {
            if (TTF_SetFontSize(f, pt) != 0) continue;
            const int diff = std::abs(TTF_FontHeight(f) - height);
            if (diff < bestDiff) {
                bestDiff = diff;
                best = pt;
            }
        }
        TTF_SetFontSize(f, best);
        if (font.bold && !FaceIsBold(f)) TTF_SetFontStyle(f, TTF_STYLE_BOLD);
        TTF_SetFontHinting(f, TTF_HINTING_NORMAL);
    }
    cache_[key] = f;
    return f;
}

TextSize SdlFontEngine::Measure(const Font& font, const std::string& text) {
    TTF_Font* f = Open(font);
    if (!f) return TextSize{0, font.height};
    int w = 0, h = 0;
    if (TTF_SizeUTF8(f, Cp1251ToUtf8(text).c_str(), &w, &h) != 0) return TextSize{0, TTF_FontHeight(f)};
    return TextSize{w, h};
}

Picture SdlFontEngine::Render(const Font& font, const std::string& text, TColor color) {
    TTF_Font* f = Open(font);
    if (!f || text.empty()) return Picture();
    const SDL_Color c{static_cast<Uint8>(color & 0xFF), static_cast<Uint8>((color >> 8) & 0xFF),
                      static_cast<Uint8>((color >> 16) & 0xFF), 255};
    SDL_Surface* rendered = TTF_RenderUTF8_Blended(f, Cp1251ToUtf8(text).c_str(), c);
    if (!rendered) return Picture();
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(rendered, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(rendered);
    if (!argb) return Picture();
    Picture p(argb->w, argb->h, 0);
    SDL_LockSurface(argb);
    for (int y = 0; y < argb->h; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(argb->pixels) +
                                                                 static_cast<std::size_t>(y) * argb->pitch);
        std::copy(row, row + argb->w, p.Row(y));
    }
    SDL_UnlockSurface(argb);
    SDL_FreeSurface(argb);
    return p;
}
