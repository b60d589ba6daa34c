// On Linux the content is where the package installed it, and the user's files follow the
// desktop's convention.
// Implements ProgramFolders.h: SystemProgramFolders.
#include "platform/ProgramFolders.h"

#include <cstdlib>

ProgramFolders SystemProgramFolders() {
    ProgramFolders f;
    f.installed = TIMBURIK_INSTALLED_DATA_DIR;
    f.user = UserDataFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    return f;
}
