// The user's folder by the desktop's convention, the same rule on every platform that follows it.
#include "platform/ProgramFolders.h"

std::filesystem::path UserDataFolder(const char* xdgDataHome, const char* home) {
    // Relative values are ignored, as the desktop's conventions say they must be.
    if (xdgDataHome && *xdgDataHome && std::filesystem::path(xdgDataHome).is_absolute())
        return std::filesystem::path(xdgDataHome) / "timburik";
    if (home && *home && std::filesystem::path(home).is_absolute())
        return std::filesystem::path(home) / ".local" / "share" / "timburik";
    return {};
}
