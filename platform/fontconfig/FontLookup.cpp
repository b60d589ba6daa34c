// Font lookup through fontconfig, the way Linux desktops choose fonts: the family asked for
// where it is installed, else fontconfig's best sans-serif; its answers are remembered
// between runs (FontMatchCache).
#include "platform/FontLookup.h"

#include "platform/fontconfig/FontMatchCache.h"

#include <fontconfig/fontconfig.h>
#include <strings.h>

namespace {

// fontconfig's best match for a family and weight, with the family it actually found.
bool MatchFont(const std::string& family, bool bold, std::string& file, std::string& foundFamily) {
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return false;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return false;
    FcChar8* path = nullptr;
    FcChar8* name = nullptr;
    const bool ok = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path;
    if (ok) {
        file = reinterpret_cast<const char*>(path);
        foundFamily = FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch && name
                          ? reinterpret_cast<const char*>(name)
                          : "";
    }
    FcPatternDestroy(match);
    return ok;
}

std::filesystem::path AskFontconfig(const std::string& family, bool bold) {
    if (!FcInit()) return {};
    std::string file, found;
    // fontconfig always answers with something; only an answer of the family itself counts
    // as the family being installed.
    if (MatchFont(family, bold, file, found) && strcasecmp(found.c_str(), family.c_str()) == 0) return file;
    std::string sans;
    if (MatchFont("sans-serif", bold, sans, found)) return sans;
    return file;
}

}  // namespace

std::filesystem::path FindFontFile(const std::string& family, bool bold) {
    const FontMatchCache cache = FontMatchCache::ForUser();
    if (std::filesystem::path known = cache.Lookup(family, bold); !known.empty()) return known;
    const std::filesystem::path found = AskFontconfig(family, bold);
    cache.Store(family, bold, found);
    return found;
}
