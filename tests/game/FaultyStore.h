// A family's store of files for the tests of changes made of several writes.
#pragma once
#include <cerrno>
#include <filesystem>
#include <string_view>

#include "game/FamilyWords.h"

// Writes as the disk does, but fails one write in turn, or stops the game dead after one, as
// a power cut would: what was written stays, nothing after it runs.
struct Crash {};
class FaultyStore : public FamilyStore {
public:
    int failAt = 0;      // the write (counted from 1) that fails with a full disk; 0 none
    int crashAfter = 0;  // the write or removal after which the game dies; 0 never
    int writes = 0, steps = 0;

    int Write(const std::filesystem::path& file, std::string_view bytes) override {
        if (++writes == failAt) return ENOSPC;
        const int err = FamilyStore::Write(file, bytes);
        Step();
        return err;
    }
    int Remove(const std::filesystem::path& file) override {
        const int err = FamilyStore::Remove(file);
        Step();
        return err;
    }

private:
    void Step() {
        if (++steps == crashAfter) throw Crash{};
    }
};
