// A font engine that counts what it is asked, with the headless host's fixed metrics.
#pragma once
#include <string>

#include "tests/support/HeadlessHost.h"

class CountingFonts : public FontEngine {
public:
    int renders = 0, measures = 0;
    TextSize Measure(const Font& f, const std::string& t) override {
        ++measures;
        return boxes_.Measure(f, t);
    }
    Picture Render(const Font& f, const std::string& t, TColor c) override {
        ++renders;
        return boxes_.Render(f, t, c);
    }

private:
    BoxFontEngine boxes_;
};
