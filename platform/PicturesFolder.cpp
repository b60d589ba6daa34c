// Looking through the parent's Pictures folder for the newest photos.
// Implements PicturesFolder.h: NewestPictures.
#include "platform/PicturesFolder.h"

#include <algorithm>
#include <string>
#include <system_error>
#include <utility>

namespace {
bool IsPictureFile(const std::filesystem::path& p) {
    std::string ext = p.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".jpg" || ext == ".jpeg" || ext == ".png" || ext == ".bmp";
}

bool Hidden(const std::filesystem::path& p) {
    const std::string name = p.filename().string();
    return !name.empty() && name[0] == '.';
}
}  // namespace

std::vector<std::filesystem::path> NewestPictures(const std::filesystem::path& folder, std::size_t most, int depth,
                                                  std::size_t maxEntries) {
    std::vector<std::pair<std::filesystem::file_time_type, std::filesystem::path>> found;
    if (folder.empty()) return {};
    std::error_code ec;
    std::size_t seen = 0;
    std::filesystem::recursive_directory_iterator it(folder, std::filesystem::directory_options::skip_permission_denied, ec);
    for (; !ec && it != std::filesystem::recursive_directory_iterator() && seen < maxEntries; it.increment(ec), ++seen) {
        const std::filesystem::directory_entry& e = *it;
        std::error_code fileEc;
        if (e.is_directory(fileEc)) {
            // Links are not followed (the iterator's default), so a loop of them cannot trap it.
            if (it.depth() + 1 > depth || Hidden(e.path())) it.disable_recursion_pending();
            continue;
        }
        if (e.is_regular_file(fileEc) && IsPictureFile(e.path())) {
            const auto when = e.last_write_time(fileEc);
            if (!fileEc) found.emplace_back(when, e.path());
        }
    }
    // The newest first: the photo just taken is the one a parent looks for.
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<std::filesystem::path> files;
    for (std::size_t i = 0; i < found.size() && i < most; ++i) files.push_back(found[i].second);
    return files;
}
