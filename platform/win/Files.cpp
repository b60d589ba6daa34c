// File access on Windows: the wide-character API throughout, so that names with Cyrillic
// letters open whatever the system's ANSI code page is. Failures are mapped to the errno
// values whose message texts the player reads on every platform.
// Implements Files.h: PathFromUtf8, ReadWholeFile, ReplaceFile, AppendToFile, MayWrite, MakePrivateFolder,
// ReadFileInPieces.
#include "platform/Files.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// windows.h names a function of its own ReplaceFile (a macro for ReplaceFileW); ours is meant.
#undef ReplaceFile

#include <algorithm>
#include <cerrno>
#include <string>

namespace {

int ErrnoFrom(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
            return ENOENT;
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_FILENAME_EXCED_RANGE:
            return ENAMETOOLONG;
        case ERROR_TOO_MANY_OPEN_FILES:
            return EMFILE;
        // Another program holds the file open (a spreadsheet, the record opened in it): the
        // corner tells a parent so, since closing that program is all it takes.
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return EBUSY;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
        case ERROR_CURRENT_DIRECTORY:
            return EACCES;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_ALREADY_EXISTS:
        case ERROR_FILE_EXISTS:
            return EEXIST;
        default:
            return EIO;
    }
}

int LastErrno() { return ErrnoFrom(::GetLastError()); }

class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { Close(); }
    bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return h_; }
    // Closing can report a late write failure; the caller decides what it means.
    bool Close() {
        if (!Valid()) return true;
        const bool ok = ::CloseHandle(h_) != 0;
        h_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE h_;
};

int WriteAll(HANDLE h, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(h, bytes.data() + done, chunk, &written, nullptr)) return LastErrno();
        if (written == 0) return EIO;
        done += written;
    }
    return 0;
}

// Used only where no temporary file can be made beside the file: the few bytes written over
// it in one call, cut to length and flushed.
int RewriteInPlace(const std::filesystem::path& file, std::string_view bytes) {
    Handle h(::CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.Valid()) return LastErrno();
    int err = WriteAll(h.Get(), bytes);
    if (err == 0 && !::SetEndOfFile(h.Get())) err = LastErrno();
    if (err == 0 && !::FlushFileBuffers(h.Get())) err = LastErrno();
    if (!h.Close() && err == 0) err = LastErrno();
    return err;
}

// A file (or folder) that does not exist reports INVALID_FILE_ATTRIBUTES.
DWORD Attributes(const std::filesystem::path& p) { return ::GetFileAttributesW(p.c_str()); }

// Whether a new file can be made in the folder. The read-only attribute of a folder means
// nothing to Windows (Explorer uses it to mark customised folders); what stops a write there is
// the folder's permissions, as under Program Files, so the question is asked of the system.
bool FolderTakesNewFiles(const std::filesystem::path& folder) {
    for (unsigned attempt = 0; attempt < 16; ++attempt) {
        const std::filesystem::path probe =
            folder / (L"~timburik-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                      std::to_wstring(::GetTickCount64() + attempt) + L".probe");
        HANDLE h = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            ::CloseHandle(h);
            return true;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    return false;
}

}  // namespace

std::filesystem::path PathFromUtf8(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return std::filesystem::path(wide);
}

int ReadWholeFile(const std::filesystem::path& file, std::string& bytes, std::size_t limit) {
    bytes.clear();
    // A folder opened this way is refused with "access denied", as the original game said.
    Handle h(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!h.Valid()) return LastErrno();
    int err = 0;
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(h.Get(), buffer, sizeof buffer, &got, nullptr)) {
            err = LastErrno();
            break;
        }
        if (got == 0) break;
        if (bytes.size() + got > limit) {
            err = EFBIG;
            break;
        }
        bytes.append(buffer, got);
    }
    if (err != 0) bytes.clear();
    return err;
}

bool MayWrite(const std::filesystem::path& fileOrFolder) {
    const DWORD attributes = Attributes(fileOrFolder);
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return FolderTakesNewFiles(fileOrFolder);
    return (attributes & FILE_ATTRIBUTE_READONLY) == 0;
}

int ReplaceFile(const std::filesystem::path& file, std::string_view bytes) {
    const std::filesystem::path folder = file.parent_path().empty() ? "." : file.parent_path();
    const DWORD attributes = Attributes(file);
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    // The read-only attribute is the parent's word, and the system would not let a rename
    // replace such a file anyway.
    if (exists && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) return EACCES;
    const DWORD folderAttributes = Attributes(folder);
    if (folderAttributes == INVALID_FILE_ATTRIBUTES) return LastErrno();
    if ((folderAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return ENOTDIR;

    // A fresh name each time, so that a temporary file left by a power cut never stands in
    // the way and only what this save made is ever removed.
    std::filesystem::path temp;
    HANDLE raw = INVALID_HANDLE_VALUE;
    for (unsigned attempt = 0; attempt < 64 && raw == INVALID_HANDLE_VALUE; ++attempt) {
        temp = file;
        temp += L"." + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                std::to_wstring((::GetTickCount64() + attempt * 7919u) % 1000000u) + L".tmp";
        raw = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (raw == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS) {
            const int err = LastErrno();
            // The folder refuses new files (Program Files, say) but the file may still be
            // writable itself.
            if (err == EACCES && exists) return RewriteInPlace(file, bytes);
            return err;
        }
    }
    if (raw == INVALID_HANDLE_VALUE) return EEXIST;
    Handle h(raw);
    int err = WriteAll(h.Get(), bytes);
    if (err == 0 && !::FlushFileBuffers(h.Get())) err = LastErrno();
    if (!h.Close() && err == 0) err = LastErrno();
    if (err == 0 &&
        !::MoveFileExW(temp.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        err = LastErrno();
    if (err != 0) {
        ::DeleteFileW(temp.c_str());
        return err;
    }
    return 0;
}

int AppendToFile(const std::filesystem::path& file, std::string_view bytes) {
    Handle h(::CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.Valid()) return LastErrno();
    int err = WriteAll(h.Get(), bytes);
    if (!h.Close() && err == 0) err = LastErrno();
    return err;
}

int MakePrivateFolder(const std::filesystem::path& folder) {
    const DWORD attributes = Attributes(folder);
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : ENOTDIR;
    // Under %APPDATA% the folder inherits the user's own permissions, which is private enough.
    const std::filesystem::path parent = folder.parent_path();
    if (!parent.empty() && parent != folder) {
        std::error_code ec;
        std::filesystem::create_directories(parent, ec);
        if (ec) return ec.category() == std::generic_category() ? ec.value() : ErrnoFrom(static_cast<DWORD>(ec.value()));
    }
    if (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) return LastErrno();
    return 0;
}

int ReadFileInPieces(const std::filesystem::path& file, const std::function<bool(std::string_view)>& piece) {
    Handle h(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!h.Valid()) return LastErrno();
    char buffer[8192];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(h.Get(), buffer, sizeof buffer, &got, nullptr)) return LastErrno();
        if (got == 0 || !piece(std::string_view(buffer, got))) return 0;
    }
}
