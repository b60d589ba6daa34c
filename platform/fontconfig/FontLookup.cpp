// Font lookup through fontconfig, the way Linux desktops choose fonts: the family asked for
// where it is installed, else fontconfig's best sans-serif; its answers are remembered
// between runs (FontMatchCache). fontconfig itself is loaded only when it is asked: with the
// answers remembered, most starts never need it, and loading it (and the XML parser under it)
// before main was a millisecond of every start.
// Implements FontLookup.h: FindFontFile.
#include "platform/FontLookup.h"

#include "platform/fontconfig/FontMatchCache.h"

#include <dlfcn.h>
#include <fontconfig/fontconfig.h>
#include <strings.h>

#include <type_traits>

namespace {

// The part of fontconfig used here, from the library loaded by name: the same soname the
// linker would have recorded.
struct Fontconfig {
    decltype(&FcInit) Init = nullptr;
    decltype(&FcPatternCreate) PatternCreate = nullptr;
    decltype(&FcPatternAddString) PatternAddString = nullptr;
    decltype(&FcPatternAddInteger) PatternAddInteger = nullptr;
    decltype(&FcPatternAddBool) PatternAddBool = nullptr;
    decltype(&FcConfigSubstitute) ConfigSubstitute = nullptr;
    decltype(&FcDefaultSubstitute) DefaultSubstitute = nullptr;
    decltype(&FcFontMatch) FontMatch = nullptr;
    decltype(&FcPatternGetString) PatternGetString = nullptr;
    decltype(&FcPatternDestroy) PatternDestroy = nullptr;

    // Null when the library or any of its functions is missing: then no font is found, as
    // when fontconfig knows of none.
    static const Fontconfig* Load() {
        static const Fontconfig* loaded = [] () -> const Fontconfig* {
            void* lib = dlopen("libfontconfig.so.1", RTLD_NOW | RTLD_LOCAL);
            if (!lib) return nullptr;
            static Fontconfig fc;
            bool all = true;
            auto get = [&](auto& fn, const char* name) {
                fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(lib, name));
                all = all && fn != nullptr;
            };
            get(fc.Init, "FcInit");
            get(fc.PatternCreate, "FcPatternCreate");
            get(fc.PatternAddString, "FcPatternAddString");
            get(fc.PatternAddInteger, "FcPatternAddInteger");
            get(fc.PatternAddBool, "FcPatternAddBool");
            get(fc.ConfigSubstitute, "FcConfigSubstitute");
            get(fc.DefaultSubstitute, "FcDefaultSubstitute");
            get(fc.FontMatch, "FcFontMatch");
            get(fc.PatternGetString, "FcPatternGetString");
            get(fc.PatternDestroy, "FcPatternDestroy");
            return all ? &fc : nullptr;
        }();
        return loaded;
    }
};

// fontconfig's best match for a family and weight, with the family it actually found.
bool MatchFont(const Fontconfig& fc, const std::string& family, bool bold, std::string& file,
               std::string& foundFamily) {
    FcPattern* pattern = fc.PatternCreate();
    if (!pattern) return false;
    fc.PatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    fc.PatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    fc.PatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    fc.PatternAddBool(pattern, FC_SCALABLE, FcTrue);
    fc.ConfigSubstitute(nullptr, pattern, FcMatchPattern);
    fc.DefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = fc.FontMatch(nullptr, pattern, &result);
    fc.PatternDestroy(pattern);
    if (!match) return false;
    FcChar8* path = nullptr;
    FcChar8* name = nullptr;
    const bool ok = fc.PatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path;
    if (ok) {
        file = reinterpret_cast<const char*>(path);
        foundFamily = fc.PatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch && name
                          ? reinterpret_cast<const char*>(name)
                          : "";
    }
    fc.PatternDestroy(match);
    return ok;
}

std::filesystem::path AskFontconfig(const std::string& family, bool bold) {
    const Fontconfig* fc = Fontconfig::Load();
    if (!fc || !fc->Init()) return {};
    std::string file, found;
    // fontconfig always answers with something; only an answer of the family itself counts
    // as the family being installed.
    if (MatchFont(*fc, family, bold, file, found) && strcasecmp(found.c_str(), family.c_str()) == 0) return file;
    std::string sans;
    if (MatchFont(*fc, "sans-serif", bold, sans, found)) return sans;
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
