// Deciding where content and progress live, and finding a content file in the overlay.
#include "game/ContentLocation.h"

#include <system_error>

#include "platform/Files.h"
#include "platform/ProgramFolders.h"
#include "platform/toolkit/Text1251.h"

namespace {
constexpr const char* kWordListName = "Words.str";

bool IsFile(const std::filesystem::path& p) {
    std::error_code ec;
    return std::filesystem::exists(p, ec);
}

// A folder the game may be started in and play: a word list with the tiles to show it. A
// parent's draft of a word list left in the home folder, where desktops start programs,
// is no content, and must not hide the installed game and the child's progress.
bool HoldsContentPack(const std::filesystem::path& folder) {
    std::error_code ec;
    return IsFile(folder / kWordListName) && IsFile(folder / "pz91.bmp") &&
           std::filesystem::is_directory(folder / PathFromUtf8("Morvadel/Буквы/one1"), ec);
}
}  // namespace

ContentLocation ContentLocation::InFolder(const std::filesystem::path& folder) {
    ContentLocation l;
    l.roots = {folder};
    l.progressFolder = folder;
    return l;
}

std::filesystem::path ContentLocation::Find(const std::filesystem::path& relative) const {
    if (roots.empty()) return relative;
    for (std::size_t i = 0; i + 1 < roots.size(); ++i)
        if (IsFile(roots[i] / relative)) return roots[i] / relative;
    // Missing everywhere: the first root, the parent's own, is where they can put the file;
    // the installed content is not theirs to write.
    if (missingInFirstRoot && roots.size() > 1 && !IsFile(roots.back() / relative)) return roots.front() / relative;
    return roots.back() / relative;
}

std::filesystem::path ContentLocation::WordList() const { return Find(kWordListName); }

std::filesystem::path ContentLocation::Cover() const { return Find("pz91.bmp"); }

std::filesystem::path ContentLocation::LetterPicture(int letter) const {
    return Find(PathFromUtf8("Morvadel/Буквы/one1") / (std::to_string(letter) + ".bmp"));
}

std::filesystem::path ContentLocation::SubjectPicture(const std::string& word) const {
    return Find(std::filesystem::path("subjects") / PathFromUtf8(Cp1251ToUtf8(word) + ".bmp"));
}

std::filesystem::path ContentLocation::Sound(const std::string& fileName) const {
    return Find(std::filesystem::path("Sounds") / fileName);
}

namespace {
constexpr const char* kParentVoices = "Голоса семьи";

std::filesystem::path LetterVoiceName(int letter) { return std::filesystem::path("Letters") / (std::to_string(letter) + ".wav"); }
// Named like the subject pictures: the word itself, in UTF-8.
std::filesystem::path WordVoiceName(const std::string& word) {
    return std::filesystem::path("Words") / PathFromUtf8(Cp1251ToUtf8(word) + ".wav");
}
}  // namespace

std::filesystem::path ContentLocation::LetterVoice(int letter) const {
    const std::filesystem::path parent = ParentLetterVoice(letter);
    if (!parent.empty() && IsFile(parent)) return parent;
    return Find(std::filesystem::path("Sounds") / LetterVoiceName(letter));
}

std::filesystem::path ContentLocation::WordVoice(const std::string& word) const {
    const std::filesystem::path parent = ParentWordVoice(word);
    if (!parent.empty() && IsFile(parent)) return parent;
    return Find(std::filesystem::path("Sounds") / WordVoiceName(word));
}

std::filesystem::path ContentLocation::UserFolder() const { return roots.empty() ? std::filesystem::path() : roots.front(); }

std::filesystem::path ContentLocation::FamilyNote() const {
    return roots.empty() ? std::filesystem::path() : UserFolder() / "family.txt";
}

std::filesystem::path ContentLocation::FamilyPending() const {
    return roots.empty() ? std::filesystem::path() : UserFolder() / "family-pending.txt";
}

std::filesystem::path ContentLocation::FamilyPicture(const std::string& word) const {
    if (roots.empty()) return {};
    return UserFolder() / "subjects" / PathFromUtf8(Cp1251ToUtf8(word) + ".bmp");
}

std::filesystem::path ContentLocation::ParentLetterVoice(int letter) const {
    return roots.empty() ? std::filesystem::path() : UserFolder() / PathFromUtf8(kParentVoices) / LetterVoiceName(letter);
}

std::filesystem::path ContentLocation::ParentWordVoice(const std::string& word) const {
    return roots.empty() ? std::filesystem::path() : UserFolder() / PathFromUtf8(kParentVoices) / WordVoiceName(word);
}

std::filesystem::path ContentLocation::OverlaidLetterVoice(int letter) const {
    if (roots.size() < 2) return {};
    return UserFolder() / "Sounds" / LetterVoiceName(letter);
}

std::filesystem::path ContentLocation::OverlaidWordVoice(const std::string& word) const {
    if (roots.size() < 2) return {};
    return UserFolder() / "Sounds" / WordVoiceName(word);
}

std::filesystem::path ContentLocation::UserWordList() const {
    return roots.empty() ? std::filesystem::path() : UserFolder() / kWordListName;
}

std::filesystem::path ContentLocation::UnderlyingWordList() const {
    for (std::size_t i = 1; i < roots.size(); ++i)
        if (IsFile(roots[i] / kWordListName)) return roots[i] / kWordListName;
    return {};
}

std::filesystem::path ContentLocation::ProgressFile(const std::string& fileName) const {
    // No folder at all (no home): an empty path, which reading finds empty and saving refuses.
    if (progressFolder.empty()) return {};
    return progressFolder / fileName;
}

std::filesystem::path ContentLocation::ProgressFileBefore(const std::string& fileName) const {
    if (progressReadFallback.empty()) return {};
    return progressReadFallback / fileName;
}

std::filesystem::path ContentLocation::ProgressFileToRead(const std::string& fileName) const {
    const std::filesystem::path own = ProgressFile(fileName);
    if (progressReadFallback.empty() || own.empty() || IsFile(own)) return own;
    const std::filesystem::path before = ProgressFileBefore(fileName);
    return IsFile(before) ? before : own;
}

std::filesystem::path ContentLocation::ProgressFolderToRead(const std::string& fileName) const {
    const std::filesystem::path file = ProgressFileToRead(fileName);
    return file.empty() ? file : file.parent_path();
}

namespace {
// Content from `content`, with the user's folder over it for everything a family adds and
// the progress; a child's score kept in `before` is read until the user's folder has one.
ContentLocation UnderTheUsersFolder(const LocationRequest& request, const std::filesystem::path& content,
                                    const std::filesystem::path& before) {
    ContentLocation l;
    if (!request.userFolder.empty()) l.roots.push_back(request.userFolder);
    l.roots.push_back(content);
    l.progressFolder = request.userFolder;
    l.progressFolderMadeOnSave = true;
    l.missingInFirstRoot = request.userFolderByHand;
    l.progressReadFallback = before;
    return l;
}
}  // namespace

ContentLocation ResolveContentLocation(const LocationRequest& request) {
    if (request.dataFolder) return ContentLocation::InFolder(*request.dataFolder);
    if (!request.installedOnly && HoldsContentPack(request.currentFolder)) {
        // Played where it was started, but the progress goes where it can be written: a
        // double-click in a read-only folder starts the game in that folder, and must not cost
        // the child's words. With no user's folder at all there is nowhere better.
        if (!request.currentKeepsNoProgress || request.userFolder.empty())
            return ContentLocation::InFolder(request.currentFolder);
        return UnderTheUsersFolder(request, request.currentFolder, request.currentFolder);
    }
    if (request.progressBesideInstalled) return ContentLocation::InFolder(request.installedFolder);
    // A program unpacked where it kept its progress and since made read-only: the children's
    // scores are read from there until the user's folder has their own.
    return UnderTheUsersFolder(request, request.installedFolder,
                               request.programKeepsNoProgress ? request.installedFolder : std::filesystem::path());
}

std::string ProgressMovedNote(const ContentLocation& location) {
    if (location.progressReadFallback.empty() || location.progressFolder.empty()) return {};
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(location.progressFolder, ec)) {
        const std::filesystem::path ext = entry.path().extension();
        if (ext == ".cnf" || ext == ".log") return {};
    }
    const std::u8string folder = location.progressFolder.u8string();
    return Cp("В папку с игрой нельзя записывать. Успехи детей, их запись, выгрузки и слова семьи "
              "теперь хранятся в папке:\n") +
           Utf8ToCp1251(std::string(folder.begin(), folder.end()));
}

bool ProgressMayBeKeptIn(const std::filesystem::path& folder) {
    if (!MayWrite(folder)) return false;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        if (entry.path().extension() == ".cnf" && entry.is_regular_file(ec) && !MayWrite(entry.path())) return false;
    return true;
}

LocationRequest SystemLocationRequest(const std::optional<std::filesystem::path>& dataFolder, bool installedOnly) {
    const ProgramFolders system = SystemProgramFolders();
    LocationRequest r;
    r.dataFolder = dataFolder;
    r.installedOnly = installedOnly;
    std::error_code ec;
    r.currentFolder = std::filesystem::current_path(ec);  // gone: not a content folder
    r.installedFolder = system.installed;
    r.userFolder = system.user;
    r.userFolderByHand = system.userFolderByHand;
    if (!dataFolder && !installedOnly && HoldsContentPack(r.currentFolder))
        r.currentKeepsNoProgress = !ProgressMayBeKeptIn(r.currentFolder);
    if (system.unpacked) {
        r.progressBesideInstalled = ProgressMayBeKeptIn(system.installed);
        r.programKeepsNoProgress = !r.progressBesideInstalled;
    }
    return r;
}
