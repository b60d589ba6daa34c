// File access on POSIX systems (Linux, and the browser's file system under emscripten).
// Implements Files.h: PathFromUtf8, ReadWholeFile, ReplaceFile, MayWrite, MakePrivateFolder, ReadFileInPieces
// (AppendToFile: posix/AppendToFile.cpp, and web/AppendToFile.cpp in the browser).
#include "platform/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace {

int WriteAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

// Makes a rename or a creation in the folder durable; a folder that cannot be opened or
// synced (some file systems refuse) is no reason to fail a save that has already happened.
void SyncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// The whole content written over the file itself: used only where no temporary file can be
// made beside it. The content is a few bytes, written in one call, and synced.
int RewriteInPlace(const std::filesystem::path& file, std::string_view bytes) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    int err = WriteAll(fd, bytes);
    if (err == 0 && ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0) err = errno;
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    return err;
}

}  // namespace

std::filesystem::path PathFromUtf8(std::string_view utf8) { return std::filesystem::path(utf8); }

int ReadWholeFile(const std::filesystem::path& file, std::string& bytes, std::size_t limit) {
    bytes.clear();
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    int err = 0;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            err = errno;
            break;
        }
        if (n == 0) break;
        if (bytes.size() + static_cast<std::size_t>(n) > limit) {
            err = EFBIG;
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (err != 0) bytes.clear();
    return err;
}

bool MayWrite(const std::filesystem::path& fileOrFolder) {
    struct stat st {};
    if (::stat(fileOrFolder.c_str(), &st) != 0) return false;
    return (st.st_mode & S_IWUSR) != 0;
}

int ReplaceFile(const std::filesystem::path& file, std::string_view bytes) {
    const std::filesystem::path folder = file.parent_path().empty() ? "." : file.parent_path();
    struct stat st {};
    mode_t mode = 0644;
    const bool exists = ::stat(file.c_str(), &st) == 0;
    if (exists) {
        if (!S_ISREG(st.st_mode) || (st.st_mode & S_IWUSR) == 0) return EACCES;
        mode = st.st_mode & 07777;
    }
    if (::stat(folder.c_str(), &st) != 0) return errno;
    if ((st.st_mode & S_IWUSR) == 0) return exists ? RewriteInPlace(file, bytes) : EACCES;

    // A fresh name each time: a temporary file (or a folder) left by a power cut or by hand
    // never stands in the way, and only what this save made is ever removed.
    std::string pattern = file.string() + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        const int err = errno;
        // Refused by the system though marked writable (another owner, say): the file itself
        // may still be writable.
        if ((err == EACCES || err == EPERM) && exists) return RewriteInPlace(file, bytes);
        return err;
    }
    const std::filesystem::path temp(name.data());
    int err = WriteAll(fd, bytes);
    if (err == 0 && ::fchmod(fd, mode) != 0) err = errno;
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err == 0 && ::rename(temp.c_str(), file.c_str()) != 0) err = errno;
    if (err != 0) {
        ::unlink(temp.c_str());
        return err;
    }
    SyncFolder(folder);
    return 0;
}

int MakePrivateFolder(const std::filesystem::path& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    const std::filesystem::path parent = folder.parent_path();
    if (!parent.empty() && parent != folder) {
        // The parents (~/.local/share) are the user's ordinary folders, made as mkdir -p would.
        std::error_code ec;
        std::filesystem::create_directories(parent, ec);
        if (ec) return ec.value();
    }
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return errno;
    SyncFolder(parent.empty() ? "." : parent);
    return 0;
}

int ReadFileInPieces(const std::filesystem::path& file, const std::function<bool(std::string_view)>& piece) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    int err = 0;
    struct stat info {};
    // Opening a folder for reading succeeds here; callers expect it refused, as elsewhere.
    if (::fstat(fd, &info) != 0) {
        err = errno;
    } else if (S_ISDIR(info.st_mode)) {
        err = EISDIR;
    } else {
        char buffer[8192];
        for (;;) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got > 0) {
                if (!piece(std::string_view(buffer, static_cast<std::size_t>(got)))) break;
            } else if (got == 0) {
                break;
            } else if (errno != EINTR) {
                err = errno;
                break;
            }
        }
    }
    ::close(fd);
    return err;
}
