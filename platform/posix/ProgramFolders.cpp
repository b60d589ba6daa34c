// On Linux the content is where the package installed it and the user's files follow the
// desktop's convention; the system has no folders of its own to add.
#include "platform/ProgramFolders.h"

ProgramFolders SystemProgramFolders() { return {}; }
