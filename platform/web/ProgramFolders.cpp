// In the browser the site's content is the installed content, and the user's folder is the
// browser's storage for the site: both mounted by the page before the game starts, the
// storage where WebFiles.js says.
// Implements ProgramFolders.h: SystemProgramFolders.
#include "platform/ProgramFolders.h"

#include <cstdlib>
#include <memory>

extern "C" char* web_progress_root();  // WebFiles.js; malloc'd UTF-8

ProgramFolders SystemProgramFolders() {
    ProgramFolders f;
    f.installed = "/content";
    const std::unique_ptr<char, decltype(&std::free)> root(web_progress_root(), &std::free);
    f.user = root ? root.get() : "";
    f.userFolderByHand = false;
    return f;
}
