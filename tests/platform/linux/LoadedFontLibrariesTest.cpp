// fontconfig and SDL_ttf are loaded by name when first needed: a font is found through
// fontconfig when nothing is remembered, and captions are measured and drawn through SDL_ttf.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/FontLookup.h"
#include "platform/toolkit/Text1251.h"
#include "platform/sdl/SdlParts.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

TEST(LoadedFontLibraries, FontconfigFindsTheFontAndSdlTtfMeasuresAndDrawsTheCaption) {
    TempDir dir;
    // An empty cache folder: nothing remembered, so fontconfig itself is asked.
    const char* before = std::getenv("XDG_CACHE_HOME");
    const std::string saved = before ? before : "";
    setenv("XDG_CACHE_HOME", (dir.Path() / "cache").c_str(), 1);
    const fs::path bold = FindFontFile("DejaVu Sans", true);
    const fs::path missing = FindFontFile("No Such Family", false);
    if (before) setenv("XDG_CACHE_HOME", saved.c_str(), 1); else unsetenv("XDG_CACHE_HOME");
    ASSERT_TRUE(fs::is_regular_file(bold)) << bold;
    EXPECT_NE(bold.filename().string().find("Bold"), std::string::npos) << bold;
    // A family not installed is answered with fontconfig's sans-serif.
    EXPECT_TRUE(fs::is_regular_file(missing)) << missing;

    SdlFontEngine fonts;
    const Font caption{"Tahoma", 24, true};
    const TextSize size = fonts.Measure(caption, Cp("Выход"));
    EXPECT_GT(size.width, 40);
    EXPECT_NEAR(size.height, 24, 3);
    const Picture drawn = fonts.Render(caption, Cp("Выход"), clRed);
    ASSERT_EQ(drawn.Width(), size.width);
    int inked = 0;
    for (int y = 0; y < drawn.Height(); ++y)
        for (int x = 0; x < drawn.Width(); ++x)
            if ((drawn.At(x, y) >> 24) > 128) {
                ++inked;
                EXPECT_EQ(drawn.ColorAt(x, y), clRed);
            }
    EXPECT_GT(inked, 100);
}
