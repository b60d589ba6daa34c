// The lock on POSIX systems: flock, which the kernel drops with the process however it ends.
// Implements InstanceLock.h: InstanceLock, BringOtherCopyForward (nothing to do).
#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

InstanceLock::InstanceLock(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return;  // Unavailable
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        state_ = errno == EWOULDBLOCK ? State::HeldElsewhere : State::Unavailable;
        ::close(fd);
        return;
    }
    handle_ = fd;
    state_ = State::Held;
}

InstanceLock::~InstanceLock() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

// An X or Wayland program may not raise another's window; the desktop decides.
void BringOtherCopyForward() {}
