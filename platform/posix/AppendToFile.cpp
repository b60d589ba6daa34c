// Appending on POSIX systems: O_APPEND, so each addition lands whole at the end.
// Implements Files.h: AppendToFile.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Files.h"

int AppendToFile(const std::filesystem::path& file, std::string_view bytes) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return errno;
    int err = 0;
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            err = errno;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0 && err == 0) err = errno;
    return err;
}
