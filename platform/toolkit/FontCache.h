// A font engine that remembers what it measured and rendered, in front of the host's engine:
// a caption over the board would otherwise be rendered again for every frame of a drag.
#pragma once
#include <map>
#include <string>
#include <tuple>

#include "platform/toolkit/Fonts.h"

class FontCache : public FontEngine {
public:
    explicit FontCache(FontEngine& engine) : engine_(engine) {}

    TextSize Measure(const Font& font, const std::string& text) override {
        const MeasureKey key{font.family, font.height, font.bold, text};
        if (auto it = sizes_.find(key); it != sizes_.end()) return it->second;
        if (sizes_.size() >= kMaxEntries) sizes_.clear();
        return sizes_.emplace(key, engine_.Measure(font, text)).first->second;
    }

    Picture Render(const Font& font, const std::string& text, TColor color) override {
        const RenderKey key{font.family, font.height, font.bold, text, color};
        if (auto it = pictures_.find(key); it != pictures_.end()) return it->second;
        if (pictures_.size() >= kMaxEntries) pictures_.clear();
        return pictures_.emplace(key, engine_.Render(font, text, color)).first->second;
    }

private:
    // The game shows a few dozen captions; the score's changes would grow the cache for ever,
    // so past this many it starts afresh.
    static constexpr std::size_t kMaxEntries = 64;
    using MeasureKey = std::tuple<std::string, int, bool, std::string>;
    using RenderKey = std::tuple<std::string, int, bool, std::string, TColor>;

    FontEngine& engine_;
    std::map<MeasureKey, TextSize> sizes_;
    std::map<RenderKey, Picture> pictures_;
};
