// In the browser the file is offered as a download, which the browser puts in its downloads.
// Implements HandToParent.h: HandToParent, HandingFolder, UserDirFolder (unused here); PicturesFolder.h: PicturesFolder.
#include "platform/HandToParent.h"
#include "platform/PicturesFolder.h"

extern "C" void web_download(const char* nameUtf8, const void* bytes, int size);  // WebFiles.js

std::filesystem::path UserDirFolder(const std::string&, const std::string&, const std::filesystem::path&,
                                    const std::string&) {
    return {};
}

std::filesystem::path PicturesFolder() { return {}; }

std::filesystem::path HandingFolder(const std::filesystem::path&) { return {}; }

Handed HandToParent(const std::string& fileName, std::string_view bytes, const std::filesystem::path&) {
    web_download(fileName.c_str(), bytes.data(), static_cast<int>(bytes.size()));
    Handed h;
    h.where = "«Загрузки» браузера: " + fileName;
    return h;
}
