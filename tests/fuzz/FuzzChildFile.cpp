// Fuzz target: a child's file from another device, as "Добавить из файла" reads it: the zip,
// its manifest and every entry, with the game's own picture and sound readers.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "game/ChildFile.h"
#include "game/ProgressFile.h"
#include "platform/sdl/SdlParts.h"
#include "platform/toolkit/Errors.h"
#include "platform/toolkit/Picture.h"

namespace {
ChildFileChecks GameReaders() { return {BmpReadable, SoundBytesReadable}; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const ChildFileChecks checks = GameReaders();
    const ChildFileRead r = ReadChildFile(std::string_view(reinterpret_cast<const char*>(data), size), checks);
    const ChildBundle& b = r.bundle;
    // Refused, or read whole: never both, never neither.
    if (r.problem.empty() == (b.kind == ChildBundle::Kind::None)) __builtin_trap();
    if (!r.problem.empty()) return 0;
    if (b.children.empty() || b.children.size() > static_cast<std::size_t>(kMaxChildren)) __builtin_trap();
    if (b.kind == ChildBundle::Kind::Child && b.children.size() != 1) __builtin_trap();
    for (const BundleChild& c : b.children) {
        if (!ValidChildId(c.id) || !SafeProgressFileName(c.progressFile) || c.portrait < 1 || c.portrait > kPortraits)
            __builtin_trap();
        if (c.progress.size() > kMaxChildProgressBytes || c.record.size() > kMaxChildRecordBytes) __builtin_trap();
        try {
            ParseProgress(c.progress);
        } catch (const GameError&) {
            __builtin_trap();  // a score the game could not read was let through
        }
        // Joining the record with itself adds nothing.
        const std::string once = MergeRecordTexts(c.record, "", kMaxChildRecordBytes);
        if (MergeRecordTexts(once, c.record, kMaxChildRecordBytes) != once) __builtin_trap();
    }
    for (const BundleWord& w : b.words)
        if (w.picture.empty() || w.word.line < 1 || w.word.line > kWordCount) __builtin_trap();
    for (const BundleLetterVoice& v : b.letterVoices)
        if (v.letter < 1 || v.letter > 33 || v.wav.empty()) __builtin_trap();
    return 0;
}
