// Appending in the browser: the file read and written back whole through ReplaceFile, whose
// rename is what the page stores in the browser's storage (WebFiles.cpp); a write of its own
// would stay in memory and be lost with the page.
// Implements Files.h: AppendToFile.
#include <cerrno>
#include <string>

#include "platform/Files.h"

int AppendToFile(const std::filesystem::path& file, std::string_view bytes) {
    std::string whole;
    const int err = ReadWholeFile(file, whole, std::string::npos);
    if (err != 0 && err != ENOENT) return err;
    whole.append(bytes);
    return ReplaceFile(file, whole);
}
