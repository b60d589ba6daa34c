// The lock on Windows: LockFileEx on the lock file, which the system drops with the process
// however it ends; the other copy's window is found by its title and brought forward.
// Implements InstanceLock.h: InstanceLock, BringOtherCopyForward.
#include "platform/InstanceLock.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

InstanceLock::InstanceLock(const std::filesystem::path& file) {
    HANDLE h = ::CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;  // Unavailable
    OVERLAPPED at{};
    if (!::LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
        const DWORD error = ::GetLastError();
        state_ = error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING ? State::HeldElsewhere : State::Unavailable;
        ::CloseHandle(h);
        return;
    }
    handle_ = reinterpret_cast<std::intptr_t>(h);
    state_ = State::Held;
}

InstanceLock::~InstanceLock() {
    if (state_ == State::Held) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

void BringOtherCopyForward() {
    // The game's window is SDL's, titled with the game's name.
    HWND other = ::FindWindowW(L"SDL_app", L"Тимбурик");
    if (other == nullptr) return;
    if (::IsIconic(other)) ::ShowWindow(other, SW_RESTORE);
    ::SetForegroundWindow(other);
}
