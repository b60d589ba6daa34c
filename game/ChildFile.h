// A child carried between devices as one file, and every child of a device in one, for a new
// computer or a reinstalled tablet: the rules of "Сохранить в файл", "Добавить из файла",
// "Сохранить всё" and "Восстановить всё". The file is made and read as bytes, never as a file
// of its own, since the browser has none: the screens save the bytes where the export of the
// record goes, and hand over the bytes a parent chose.
//
// The format. A zip archive (deflate), every name in UTF-8 with the UTF-8 flag (bit 11) set, so
// that a parent may open it like any zip. Its first entry is "manifest.txt", UTF-8, a line each,
// fields separated by tabs:
//
//   timburik-children 1                the format and its version
//   kind  child                        "child": one child; "all": every child of the device
//   child children/1/  3f9a01c27b6e5d48  Оля  3  подряд  АОУ  Child3.cnf
//                                      one line a child (1 to 40): its folder in the zip, its
//                                      id, its name as the screens show it ("Девочка" for the
//                                      girl who has no other), portrait 1 to 8, the way its
//                                      words are drawn and the letters marked known as
//                                      children.txt writes them, and the name its progress
//                                      file had on the device it came from
//   family  yes                        "yes": the family's words are in the file, else "no"
//
// In a child's folder: its progress file exactly as it was ("children/1/Child3.cnf"; absent for
// a child who has never played) and its learning record, the whole of it, a record left where
// the progress moved from included ("children/1/Child3.log"; absent when there is none). With
// the family's words, under "family/", each by its path in the parent's folder: the note
// "family/family.txt", each word's picture "family/subjects/МАМА.bmp", and the parent's
// recordings "family/Голоса семьи/Words/МАМА.wav" and "family/Голоса семьи/Letters/1.wav"
// (a letter's alphabet number, 1 to 33). An "all" file always has the family's words.
//
// A file from outside is read as hostile: nothing else may be in it, and every size is bounded
// before anything is held (see the limits below), each entry counted as it is inflated so that
// a header that lies stops at the bound too.
#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "game/Children.h"
#include "game/ContentLocation.h"
#include "game/FamilyWords.h"

// The limits of what a file may hold. Each is far above what a family's file comes to (a child
// with a record of years is about 2 MB, a device of 40 children and every family word some
// tens of MB), and low enough for a tablet's browser to hold it all at once.
constexpr std::size_t kMaxChildFileBytes = 256u << 20;  // the file itself
constexpr std::size_t kMaxChildFileTotal = 256u << 20;  // all its entries inflated
constexpr std::size_t kMaxChildFileEntries = 512;       // 40 children x 2, 114 words x 2, 33 letters
constexpr std::size_t kMaxChildRecordBytes = 8u << 20;
constexpr std::size_t kMaxChildProgressBytes = 64u << 10;
constexpr std::size_t kMaxManifestBytes = 64u << 10;
constexpr std::size_t kMaxFamilyPictureBytes = 16u << 20;
constexpr std::size_t kMaxFamilyVoiceBytes = 2u << 20;
// An entry past a megabyte that inflates to more than this many times its packed size is no
// record, picture or voice of ours but a bomb: text packs some ten to one, pictures less.
constexpr std::size_t kMaxChildFileRatio = 200;

// The file's name for the child, UTF-8: "Тимбурик - Оля.timburik" (the name as the screens show
// it), and for every child: "Тимбурик - все дети.timburik".
std::string ChildFileName(const Child& child);
std::string AllChildrenFileName();

// --- Making the file ----------------------------------------------------------------------

struct PackedFile {
    int err = 0;                  // 0, or the errno value of a file that could not be read or written
    std::filesystem::path file;   // which
    std::string bytes;            // the file's bytes, when err is 0
};

// One child (`index` in `list`), with the family's words when `withFamily`. A child without an
// id is given one and the list written first, so that the file and this device agree on it
// from then on; `list` is unchanged when that write fails.
PackedFile PackChild(const ContentLocation& content, ChildList& list, int index, bool withFamily,
                     const std::function<std::uint32_t()>& random);
// Every child of the device and the family's words.
PackedFile PackAll(const ContentLocation& content, ChildList& list, const std::function<std::uint32_t()>& random);

// --- Reading a file -----------------------------------------------------------------------

struct BundleChild {
    std::string folder;        // "children/1/"
    std::string id;
    std::string name;          // code page 1251, as the other device showed it
    int portrait = 1;
    WordWay way = WordWay::AsAlways;
    LetterSet known{};
    std::string progressFile;  // the name it had there: "Child3.cnf"
    bool hasProgress = false;  // the file held the progress file (not for a child who never played)
    std::string progress;      // its bytes
    std::string record;        // the learning record's bytes; empty for none
};

struct BundleWord {
    FamilyWord word;    // metBy names the other device's progress files
    std::string picture;  // the BMP's bytes
    std::string voice;    // the parent's recording, a WAV's bytes; empty for none
};

struct BundleLetterVoice {
    int letter = 0;  // alphabet number
    std::string wav;
};

struct ChildBundle {
    enum class Kind { None, Child, All };
    Kind kind = Kind::None;  // None: nothing was read (the file had a problem)
    std::vector<BundleChild> children;
    bool withFamily = false;
    std::vector<BundleWord> words;
    std::vector<BundleLetterVoice> letterVoices;
};

// What the game's readers say of a picture's and a recording's bytes, given by the layer that
// has them (the BMP reader, the WAV reader the game plays with): true when the game could
// show or play it. The rules link no picture or sound code of their own.
struct ChildFileChecks {
    std::function<bool(std::string_view)> picture;
    std::function<bool(std::string_view)> voice;
};

struct ChildFileRead {
    std::string problem;  // code page 1251, "Файл не читается: ..."; empty when the file is fine
    ChildBundle bundle;   // kind None when there is a problem
};
ChildFileRead ReadChildFile(std::string_view bytes, const ChildFileChecks& checks);
// The file at `file`, refused unread past kMaxChildFileBytes.
ChildFileRead ReadChildFileFrom(const std::filesystem::path& file, const ChildFileChecks& checks);

// --- Taking it in ---------------------------------------------------------------------------

// For each child in the file, the index of the same child in `list` (the same id), else -1.
std::vector<int> SameChildren(const ChildBundle& bundle, const ChildList& list);

// What the parent chose for a child who is already here: the file's progress and settings, or
// this device's. Either way the two learning records are joined.
enum class SameChildChoice { TakeFile, KeepHere };

struct TakeResult {
    int err = 0;  // 0, or the errno value of the write that failed (the list then as it was)
    std::filesystem::path file;
    // Names in code page 1251, as the screens show them.
    std::vector<std::string> added;         // new here (or landed on the girl or boy who had not played)
    std::vector<std::string> joined;        // already here: their records joined
    std::vector<std::string> notAdded;      // no room: the list already holds kMaxChildren
    std::vector<std::string> skippedWords;  // their line is another word's here: left out
    std::vector<std::string> skippedVoices; // a letter ("А") whose recording here differs: kept here
};

// Takes the file in: new children are added with a progress file of their own (name, portrait,
// way, known letters and id as the file has them); a child already here (SameChildren) gets
// the file's progress and settings or keeps this device's, as `choices` says (a choice per
// child of the file; missing ones keep this device's), and in both cases the two records
// joined into one, no line twice, in time order. A child of the file who was the girl or the
// boy of its device lands on this device's girl or boy when that one has no id and has never
// played (no words, no record: a device just set up), else is added like any other; this is
// what makes "Восстановить всё" on a new computer give back the girl and the boy in their
// places. Past kMaxChildren the rest are named and not added.
//
// The family's words go each through the family-word change of its own (AddFamilyWord), with
// their recordings: a word already here is left (its recording added if it has none here); one
// whose line holds another family word here, or which is a word of the list here already, is
// named and left out, never written over. A letter's recording is added where this device has
// none, and never replaces one. Who has met each word goes with it, under this device's names
// for the children; for a child new here that is noted once the list holds the child (should
// that last write fail, the child only meets those words first once more). `random` makes an
// id for a child a bundle gives none (one made in code; a file always gives one).
//
// The writes come in an order a crash or a failed write cannot spoil: the family's words
// first (each change whole or not at all), then the children's files, the list of children
// last. A child's progress file is replaced whole or not at all; no child is listed without
// files. On a failed write the children's files written are put back as they were (a joined
// record stays joined: it lost nothing), the list is not written, and err and file say which
// write failed. Nothing at all is written for a bundle that was not read (kind None).
TakeResult TakeChildFile(const ContentLocation& content, ChildList& list, FamilyWords& family,
                         const ChildBundle& bundle, const std::vector<SameChildChoice>& choices,
                         const std::function<std::uint32_t()>& random, FamilyStore& store = FilesOnDisk());

// Two learning records made one: every line of both, a line the two share once (a line twice
// in one record, two taps in the same second, stays twice), in time order, one header first.
// Past `cap` bytes the oldest lines go, whole.
std::string MergeRecordTexts(std::string_view here, std::string_view there, std::size_t cap);
