// File access on POSIX systems (Linux, and the browser's file system under emscripten).
#include "platform/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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
    std::filesystem::path temp = file;
    temp += ".tmp";

    // Read-only marks are honoured by their mode bits, since the game may run as root, whom
    // the system itself would let through.
    struct stat st {};
    mode_t mode = 0644;
    if (::stat(file.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode) || (st.st_mode & S_IWUSR) == 0) return EACCES;
        mode = st.st_mode & 07777;
    }
    if (::stat(folder.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0) return EACCES;

    // The new content goes to a temporary file that replaces the old one only once it is
    // safely on disk: a full disk or a power cut never leaves a half-written file. One left
    // by an interrupted save is cleared first.
    ::unlink(temp.c_str());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) return errno;
    int err = WriteAll(fd, bytes);
    if (err == 0 && (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0)) err = errno;
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
