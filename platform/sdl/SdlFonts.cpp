// Captions through SDL_ttf: the font file is found by family name (FontLookup), and its
// point size chosen so that a line is as tall as the layout's font height in pixels.
//
// Where SDL_ttf is a shared library of the system (TIMBURIK_TTF_LOADED_WHEN_NEEDED), it is
// loaded when the first font is opened, not before main: with FreeType, HarfBuzz, GLib and the
// rest under it, ten libraries whose loading was a millisecond and a half of every start,
// spent before SDL's own start could begin. Nothing on the first screen is text, so they load
// once the first screen shows, when a profile is chosen.
// Implements SdlParts.h: SdlFontEngine (toolkit/Fonts.h's FontEngine).
#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <type_traits>

#include "platform/FontLookup.h"
#include "platform/toolkit/Text1251.h"
#include "platform/sdl/SdlParts.h"

namespace {

// The part of SDL_ttf used here.
struct Ttf {
    decltype(&TTF_WasInit) WasInit = nullptr;
    decltype(&TTF_Init) Init = nullptr;
    decltype(&TTF_Quit) Quit = nullptr;
    decltype(&TTF_OpenFont) OpenFont = nullptr;
    decltype(&TTF_CloseFont) CloseFont = nullptr;
    decltype(&TTF_FontHeight) FontHeight = nullptr;
    decltype(&TTF_SetFontSize) SetFontSize = nullptr;
    decltype(&TTF_FontFaceStyleName) FontFaceStyleName = nullptr;
    decltype(&TTF_SetFontStyle) SetFontStyle = nullptr;
    decltype(&TTF_SetFontHinting) SetFontHinting = nullptr;
    decltype(&TTF_SizeUTF8) SizeUTF8 = nullptr;
    decltype(&TTF_RenderUTF8_Blended) RenderUTF8_Blended = nullptr;
};

#ifdef TIMBURIK_TTF_LOADED_WHEN_NEEDED
// Loaded once, by the name the linker would have recorded; throws when it cannot be.
const Ttf& LoadTtf() {
    static const Ttf ttf = [] {
        constexpr const char* kLibrary = "libSDL2_ttf-2.0.so.0";
        void* lib = SDL_LoadObject(kLibrary);
        if (!lib) throw std::runtime_error(std::string(kLibrary) + ": " + SDL_GetError());
        Ttf t;
        auto get = [&](auto& fn, const char* name) {
            fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(SDL_LoadFunction(lib, name));
            if (!fn) throw std::runtime_error(std::string(kLibrary) + ": " + SDL_GetError());
        };
        get(t.WasInit, "TTF_WasInit");
        get(t.Init, "TTF_Init");
        get(t.Quit, "TTF_Quit");
        get(t.OpenFont, "TTF_OpenFont");
        get(t.CloseFont, "TTF_CloseFont");
        get(t.FontHeight, "TTF_FontHeight");
        get(t.SetFontSize, "TTF_SetFontSize");
        get(t.FontFaceStyleName, "TTF_FontFaceStyleName");
        get(t.SetFontStyle, "TTF_SetFontStyle");
        get(t.SetFontHinting, "TTF_SetFontHinting");
        get(t.SizeUTF8, "TTF_SizeUTF8");
        get(t.RenderUTF8_Blended, "TTF_RenderUTF8_Blended");
        return t;
    }();
    return ttf;
}
#else
const Ttf& LoadTtf() {
    static const Ttf ttf{&TTF_WasInit,    &TTF_Init,          &TTF_Quit,
                         &TTF_OpenFont,   &TTF_CloseFont,
                         &TTF_FontHeight, &TTF_SetFontSize,   &TTF_FontFaceStyleName,
                         &TTF_SetFontStyle, &TTF_SetFontHinting, &TTF_SizeUTF8,
                         &TTF_RenderUTF8_Blended};
    return ttf;
}
#endif

// Whether the face in the file is itself bold (semibold and heavier), judged by its style
// name, so that bold is synthesised only over a regular face.
bool FaceIsBold(const Ttf& ttf, TTF_Font* f) {
    const char* style = ttf.FontFaceStyleName(f);
    if (!style) return false;
    std::string s(style);
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s.find("bold") != std::string::npos || s.find("black") != std::string::npos ||
           s.find("heavy") != std::string::npos;
}

}  // namespace

SdlFontEngine::SdlFontEngine() = default;

SdlFontEngine::~SdlFontEngine() {
    if (!started_) return;
    const Ttf& ttf = LoadTtf();
    for (auto& entry : cache_)
        if (entry.second) ttf.CloseFont(entry.second);
    ttf.Quit();
}

TTF_Font* SdlFontEngine::Open(const Font& font) {
    const auto key = std::make_tuple(font.family, font.height, font.bold);
    if (auto it = cache_.find(key); it != cache_.end()) return it->second;
    const Ttf& ttf = LoadTtf();
    if (!started_) {
        if (ttf.WasInit() == 0 && ttf.Init() != 0) throw std::runtime_error(std::string("TTF_Init: ") + SDL_GetError());
        started_ = true;
    }
    const int height = std::max(1, font.height);
    const std::filesystem::path file = FindFontFile(font.family, font.bold);
    // SDL opens files by UTF-8 name on every system.
    TTF_Font* f = file.empty() ? nullptr : ttf.OpenFont(reinterpret_cast<const char*>(file.u8string().c_str()), height);
    if (f) {
        // Line height grows with the point size by the font's own ratio; one proportional
        // step, then the neighbours, find the size whose line is nearest the cell height.
        const int first = ttf.FontHeight(f);
        int best = std::max(1, static_cast<int>(std::lround(static_cast<double>(height) * height / std::max(1, first))));
        int bestDiff = 1 << 30;
        const int centre = best;
        for (int pt = std::max(1, centre - 2); pt <= centre + 2; ++pt) {
            if (ttf.SetFontSize(f, pt) != 0) continue;
            const int diff = std::abs(ttf.FontHeight(f) - height);
            if (diff < bestDiff) {
                bestDiff = diff;
                best = pt;
            }
        }
        ttf.SetFontSize(f, best);
        if (font.bold && !FaceIsBold(ttf, f)) ttf.SetFontStyle(f, TTF_STYLE_BOLD);
        ttf.SetFontHinting(f, TTF_HINTING_NORMAL);
    }
    cache_[key] = f;
    return f;
}

TextSize SdlFontEngine::Measure(const Font& font, const std::string& text) {
    TTF_Font* f = Open(font);
    if (!f) return TextSize{0, font.height};
    int w = 0, h = 0;
    const Ttf& ttf = LoadTtf();
    if (ttf.SizeUTF8(f, Cp1251ToUtf8(text).c_str(), &w, &h) != 0) return TextSize{0, ttf.FontHeight(f)};
    return TextSize{w, h};
}

Picture SdlFontEngine::Render(const Font& font, const std::string& text, TColor color) {
    TTF_Font* f = Open(font);
    if (!f || text.empty()) return Picture();
    const SDL_Color c{static_cast<Uint8>(color & 0xFF), static_cast<Uint8>((color >> 8) & 0xFF),
                      static_cast<Uint8>((color >> 16) & 0xFF), 255};
    SDL_Surface* rendered = LoadTtf().RenderUTF8_Blended(f, Cp1251ToUtf8(text).c_str(), c);
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
