// One copy of the game at a time on a folder of progress files. Two copies playing one child
// would each keep their own count, and the last to leave would overwrite the other's words.
// The lock is the system's own on a file beside the progress files, so a copy that crashed or
// was killed leaves no lock behind, only the file, which the next copy takes over.
#pragma once
#include <cstdint>
#include <filesystem>

class InstanceLock {
public:
    enum class State {
        Held,           // this copy plays
        HeldElsewhere,  // another copy is playing on this folder
        Unavailable,    // no lock file can be made (a read-only folder): this copy plays unguarded
    };
    // Takes the lock on `file`, creating it when missing; held until the object goes.
    explicit InstanceLock(const std::filesystem::path& file);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    State GetState() const { return state_; }

private:
    std::intptr_t handle_ = -1;
    State state_ = State::Unavailable;
};

// Brings the window of the copy holding the lock to the front, where the system lets one
// program do that for another (Windows); elsewhere nothing.
void BringOtherCopyForward();
