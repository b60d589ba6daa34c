// The child's file: made from this device's files, read as hostile input, and taken in with
// writes ordered so that a crash between two leaves every child whole.
#include "game/ChildFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <set>
#include <system_error>
#include <unordered_map>

#include <unzip.h>
#include <zip.h>

#include "game/LearningRecord.h"
#include "game/ProgressFile.h"
#include "game/Puzzle.h"
#include "game/RecordHistory.h"
#include "game/WordList.h"
#include "platform/Files.h"
#include "platform/toolkit/Errors.h"
#include "platform/toolkit/Text1251.h"

namespace {

constexpr std::string_view kMagic = "timburik-children";
constexpr int kVersion = 1;
constexpr const char* kManifest = "manifest.txt";
constexpr const char* kListName = "children.txt";
constexpr std::string_view kFamily = "family/";
constexpr std::string_view kChildren = "children/";
constexpr std::size_t kMaxEntryName = 255;
constexpr std::size_t kMaxNoteBytes = 64u << 10;
constexpr std::size_t kMaxListBytes = 1u << 20;

// --- minizip over bytes in memory ----------------------------------------------------------

// One stream: the bytes read, or the bytes being made. The writer seeks back to finish each
// entry's local header, so a write may land inside what is there.
struct MemoryStream {
    std::string_view in;
    std::string* out = nullptr;
    std::uint64_t at = 0;
    bool failed = false;

    std::uint64_t Size() const { return out ? out->size() : in.size(); }
};

voidpf ZCALLBACK OpenStream(voidpf opaque, const void*, int) { return opaque; }

uLong ZCALLBACK ReadStream(voidpf, voidpf stream, void* buf, uLong size) {
    auto* s = static_cast<MemoryStream*>(stream);
    const std::uint64_t size64 = s->Size();
    if (s->at >= size64) return 0;
    const std::uint64_t n = std::min<std::uint64_t>(size, size64 - s->at);
    const char* from = s->out ? s->out->data() : s->in.data();
    std::memcpy(buf, from + s->at, static_cast<std::size_t>(n));
    s->at += n;
    return static_cast<uLong>(n);
}

uLong ZCALLBACK WriteStream(voidpf, voidpf stream, const void* buf, uLong size) {
    auto* s = static_cast<MemoryStream*>(stream);
    if (!s->out) {
        s->failed = true;
        return 0;
    }
    const auto* bytes = static_cast<const char*>(buf);
    const std::size_t at = static_cast<std::size_t>(s->at);
    if (at > s->out->size()) s->out->resize(at, '\0');
    const std::size_t over = std::min<std::size_t>(size, s->out->size() - at);
    s->out->replace(at, over, bytes, size);
    s->at += size;
    return size;
}

ZPOS64_T ZCALLBACK TellStream(voidpf, voidpf stream) { return static_cast<MemoryStream*>(stream)->at; }

long ZCALLBACK SeekStream(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    auto* s = static_cast<MemoryStream*>(stream);
    std::uint64_t base = 0;
    switch (origin) {
        case ZLIB_FILEFUNC_SEEK_SET: base = 0; break;
        case ZLIB_FILEFUNC_SEEK_CUR: base = s->at; break;
        case ZLIB_FILEFUNC_SEEK_END: base = s->Size(); break;
        default: return -1;
    }
    // Offsets come from the file's own headers: one past its end is a damaged file.
    if (offset > s->Size() || base > s->Size() - offset) {
        if (!s->out) return -1;
    }
    s->at = base + offset;
    return 0;
}

int ZCALLBACK CloseStream(voidpf, voidpf) { return 0; }
int ZCALLBACK StreamError(voidpf, voidpf stream) { return static_cast<MemoryStream*>(stream)->failed ? 1 : 0; }

zlib_filefunc64_def MemoryFunctions(MemoryStream& stream) {
    zlib_filefunc64_def f{};
    f.zopen64_file = OpenStream;
    f.zread_file = ReadStream;
    f.zwrite_file = WriteStream;
    f.ztell64_file = TellStream;
    f.zseek64_file = SeekStream;
    f.zclose_file = CloseStream;
    f.zerror_file = StreamError;
    f.opaque = &stream;
    return f;
}

struct Entry {
    std::string name;  // UTF-8
    std::string bytes;
};

// The zip of the entries, in their order; empty when zlib fails (out of memory).
std::string MakeZip(const std::vector<Entry>& entries) {
    std::string out;
    MemoryStream stream;
    stream.out = &out;
    zlib_filefunc64_def functions = MemoryFunctions(stream);
    zipFile zip = zipOpen2_64("", APPEND_STATUS_CREATE, nullptr, &functions);
    if (!zip) return {};
    bool ok = true;
    for (const Entry& e : entries) {
        zip_fileinfo info{};
        // A fixed date: the same children make the same bytes, and no clock is needed.
        info.tmz_date.tm_year = 2026;
        info.tmz_date.tm_mday = 1;
        constexpr uLong kUtf8Names = 1u << 11;
        ok = zipOpenNewFileInZip4_64(zip, e.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                     Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr,
                                     0, 0, kUtf8Names, 0) == ZIP_OK;
        // Entries are written a piece at a time: zip's sizes are 32-bit unsigned.
        for (std::size_t at = 0; ok && at < e.bytes.size(); at += 1u << 20) {
            const std::size_t n = std::min<std::size_t>(1u << 20, e.bytes.size() - at);
            ok = zipWriteInFileInZip(zip, e.bytes.data() + at, static_cast<unsigned>(n)) == ZIP_OK;
        }
        if (ok) ok = zipCloseFileInZip(zip) == ZIP_OK;
        if (!ok) break;
    }
    if (zipClose(zip, nullptr) != ZIP_OK || !ok || stream.failed) return {};
    return out;
}

// --- names -----------------------------------------------------------------------------------

std::vector<std::string> Split(std::string_view text, char separator) {
    std::vector<std::string> parts;
    for (std::size_t at = 0;;) {
        const std::size_t end = text.find(separator, at);
        parts.emplace_back(text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at));
        if (end == std::string_view::npos) return parts;
        at = end + 1;
    }
}

std::vector<std::string> Lines(std::string_view text) {
    std::vector<std::string> lines = Split(text, '\n');
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    for (std::string& l : lines)
        if (!l.empty() && l.back() == '\r') l.pop_back();
    return lines;
}

bool AllDigits(std::string_view s) {
    return !s.empty() && s.size() <= 9 && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A number written as this format writes it, 1 to `most`, without a leading zero.
int SmallNumber(std::string_view s, int most) {
    if (!AllDigits(s) || s[0] == '0') return 0;
    const int n = std::atoi(std::string(s).c_str());
    return n <= most ? n : 0;
}

// A family word as a file name may carry it: capitals of the alphabet alone, UTF-8.
bool WordOfLetters(const std::string& cp1251) {
    return !cp1251.empty() && static_cast<int>(cp1251.size()) <= kMaxWordLength &&
           std::all_of(cp1251.begin(), cp1251.end(), [](char c) { return LetterNumber(static_cast<unsigned char>(c)) != 0; });
}

std::string WordFromFileName(std::string_view name, std::string_view ending) {
    if (!name.ends_with(ending) || !IsValidUtf8(name)) return {};
    const std::string word = Utf8ToCp1251(name.substr(0, name.size() - ending.size()));
    return WordOfLetters(word) && Cp1251ToUtf8(word) == name.substr(0, name.size() - ending.size()) ? word : std::string();
}

const std::string& ParentVoices() {
    static const std::string folder = "Голоса семьи";
    return folder;
}

std::string ChildFolder(int n) { return std::string(kChildren) + std::to_string(n) + "/"; }
std::string RecordNameOf(const std::string& progressFile) { return progressFile.substr(0, progressFile.size() - 4) + ".log"; }
std::string PictureEntry(const std::string& word) { return std::string(kFamily) + "subjects/" + Cp1251ToUtf8(word) + ".bmp"; }
std::string WordVoiceEntry(const std::string& word) {
    return std::string(kFamily) + ParentVoices() + "/Words/" + Cp1251ToUtf8(word) + ".wav";
}
std::string LetterVoiceEntry(int letter) {
    return std::string(kFamily) + ParentVoices() + "/Letters/" + std::to_string(letter) + ".wav";
}

// What an entry's name is, by the format alone (before the manifest says which are expected),
// and so how large it may be. Unknown: a name the format never makes.
enum class EntryKind { Unknown, Manifest, Progress, Record, Note, Picture, WordVoice, LetterVoice };

EntryKind KindOfName(const std::string& name) {
    if (name.empty() || name.size() > kMaxEntryName || !IsValidUtf8(name)) return EntryKind::Unknown;
    // Nothing that could leave the folder it is put in on any system: no absolute path, no
    // drive, no backslash, no "." or ".." or empty part, no control character.
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == '\\' || c == ':' || c == 0x7F) return EntryKind::Unknown;
    const std::vector<std::string> parts = Split(name, '/');
    for (const std::string& p : parts)
        if (p.empty() || p == "." || p == "..") return EntryKind::Unknown;
    if (parts.size() == 1 && name == kManifest) return EntryKind::Manifest;
    if (parts.size() == 3 && parts[0] == "children" && SmallNumber(parts[1], kMaxChildren) != 0) {
        if (SafeProgressFileName(parts[2])) return EntryKind::Progress;
        if (parts[2].ends_with(".log") && SafeProgressFileName(parts[2].substr(0, parts[2].size() - 4) + ".cnf"))
            return EntryKind::Record;
        return EntryKind::Unknown;
    }
    if (parts[0] != "family") return EntryKind::Unknown;
    if (parts.size() == 2 && parts[1] == "family.txt") return EntryKind::Note;
    if (parts.size() == 3 && parts[1] == "subjects" && !WordFromFileName(parts[2], ".bmp").empty())
        return EntryKind::Picture;
    if (parts.size() == 4 && parts[1] == ParentVoices() && parts[2] == "Words" && !WordFromFileName(parts[3], ".wav").empty())
        return EntryKind::WordVoice;
    if (parts.size() == 4 && parts[1] == ParentVoices() && parts[2] == "Letters" && parts[3].ends_with(".wav") &&
        SmallNumber(std::string_view(parts[3]).substr(0, parts[3].size() - 4), kLetters) != 0)
        return EntryKind::LetterVoice;
    return EntryKind::Unknown;
}

std::size_t LimitOf(EntryKind kind) {
    switch (kind) {
        case EntryKind::Manifest: return kMaxManifestBytes;
        case EntryKind::Progress: return kMaxChildProgressBytes;
        case EntryKind::Record: return kMaxChildRecordBytes;
        case EntryKind::Note: return kMaxNoteBytes;
        case EntryKind::Picture: return kMaxFamilyPictureBytes;
        case EntryKind::WordVoice:
        case EntryKind::LetterVoice: return kMaxFamilyVoiceBytes;
        case EntryKind::Unknown: break;
    }
    return 0;
}

// --- problems, in the parent's words --------------------------------------------------------

std::string Quoted(std::string_view utf8) {
    std::string shown;
    for (const char c : utf8.substr(0, 80)) shown += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    return "\xAB" + Utf8ToCp1251(shown) + "\xBB";
}

std::string Problem(std::string_view why) { return Cp("Файл не читается: ") + Cp(why); }
std::string NotOurs() { return Problem("это не файл Тимбурика, или он повреждён (мог оборваться при копировании)."); }
std::string Damaged(std::string_view what) { return Problem(std::string(what) + " повреждено."); }
std::string DamagedManifest() { return Damaged("описание детей в нём"); }

// --- reading the record's lines ----------------------------------------------------------------

constexpr std::string_view kHeaderStart = "время";

// A line's time, "2026-12-09 10:15:03", which sorts as text; empty for a line without one.
std::string_view TimeOf(std::string_view line) {
    if (line.size() < 19) return {};
    const std::string_view t = line.substr(0, 19);
    for (std::size_t i = 0; i < t.size(); ++i) {
        const bool digit = t[i] >= '0' && t[i] <= '9';
        const char sep = i == 4 || i == 7 ? '-' : i == 10 ? ' ' : i == 13 || i == 16 ? ':' : 0;
        if (sep ? t[i] != sep : !digit) return {};
    }
    return t;
}

struct RecordLines {
    std::string_view header;  // without its line end
    std::vector<std::string_view> lines;
};

RecordLines LinesOf(std::string_view text) {
    RecordLines r;
    bool first = true;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (first && line.starts_with(kHeaderStart)) r.header = line;
        else if (!line.empty()) r.lines.push_back(line);
        first = false;
    }
    return r;
}

// --- this device's files -----------------------------------------------------------------------

bool Exists(const std::filesystem::path& p) {
    std::error_code ec;
    return !p.empty() && std::filesystem::exists(p, ec);
}

// 0 and the bytes; 0 and `missing` set when there is no such file; else the errno value.
int ReadIfThere(const std::filesystem::path& file, std::string& bytes, std::size_t limit, bool& missing) {
    bytes.clear();
    missing = false;
    if (file.empty()) {
        missing = true;
        return 0;
    }
    const int err = ReadWholeFile(file, bytes, limit);
    if (err == ENOENT || err == ENOTDIR) {
        missing = true;
        bytes.clear();
        return 0;
    }
    return err;
}

// The child's whole history as one text: the record left where the progress moved from is
// joined in first (once, as the game joins it), or, where that cannot be written now, here in
// memory.
int HistoryText(const ContentLocation& content, const std::string& recordFile, std::string& text,
                std::filesystem::path& failed) {
    const int joinErr = JoinChildHistory(content, recordFile);
    bool missing = false;
    failed = content.ProgressFile(recordFile);
    if (const int err = ReadIfThere(failed, text, kMaxChildRecordBytes, missing); err != 0) return err;
    if (joinErr != 0) {
        std::string before;
        failed = content.ProgressFileBefore(recordFile);
        if (const int err = ReadIfThere(failed, before, kMaxChildRecordBytes, missing); err != 0) return err;
        text = JoinRecordTexts(before, text, kMaxChildRecordBytes).text;
    }
    failed.clear();
    return 0;
}

bool IsGirlOrBoy(const std::string& progressFile) { return progressFile == "Confif.cnf" || progressFile == "Confis.cnf"; }

// The name the file carries, kept as the list keeps it: the girl's and the boy's own word for
// them ("Девочка") is their having no name.
std::string NameToKeep(const std::string& shown, const std::string& progressFile) {
    Child plain;
    plain.progressFile = progressFile;
    return IsGirlOrBoy(progressFile) && shown == DisplayName(plain) ? std::string() : shown;
}

std::string ManifestLine(const Child& c, int n) {
    return "child\t" + ChildFolder(n) + "\t" + c.id + "\t" + Cp1251ToUtf8(DisplayName(c)) + "\t" +
           std::to_string(c.portrait) + "\t" + WayWord(c.way) + "\t" + KnownLettersText(c.known) + "\t" +
           c.progressFile + "\n";
}

PackedFile Failed(int err, const std::filesystem::path& file) {
    PackedFile p;
    p.err = err;
    p.file = file;
    return p;
}

// Gives each child among `indices` an id they lack, and writes the list once if any was given.
int GiveIds(const ContentLocation& content, ChildList& list, const std::vector<int>& indices,
            const std::function<std::uint32_t()>& random) {
    ChildList changed = list;
    bool given = false;
    for (const int i : indices) given = changed.GiveId(i, random) || given;
    if (!given) return 0;
    if (const int err = changed.Save(content.progressFolder); err != 0) return err;
    list = changed;
    return 0;
}

PackedFile Pack(const ContentLocation& content, ChildList& list, const std::vector<int>& indices, bool all,
                bool withFamily, const std::function<std::uint32_t()>& random) {
    for (const int i : indices)
        if (i < 0 || i >= static_cast<int>(list.children.size())) return Failed(EINVAL, {});
    if (const int err = GiveIds(content, list, indices, random); err != 0)
        return Failed(err, content.ProgressFile(kListName));
    std::string manifest = std::string(kMagic) + " " + std::to_string(kVersion) + "\n" + "kind\t" +
                           (all ? "all" : "child") + "\n";
    std::vector<Entry> entries(1);
    int n = 0;
    for (const int i : indices) {
        const Child& c = list.children[static_cast<std::size_t>(i)];
        manifest += ManifestLine(c, ++n);
        std::string bytes;
        bool missing = false;
        const std::filesystem::path progress = content.ProgressFileToRead(c.progressFile);
        if (const int err = ReadIfThere(progress, bytes, kMaxChildProgressBytes, missing); err != 0)
            return Failed(err, progress);
        if (!missing) entries.push_back({ChildFolder(n) + c.progressFile, bytes});
        std::filesystem::path failed;
        if (const int err = HistoryText(content, c.RecordFile(), bytes, failed); err != 0) return Failed(err, failed);
        if (!bytes.empty()) entries.push_back({ChildFolder(n) + c.RecordFile(), bytes});
    }
    manifest += std::string("family\t") + (withFamily ? "yes" : "no") + "\n";
    entries[0] = {kManifest, manifest};
    if (withFamily) {
        std::string text;
        bool missing = false;
        if (const int err = ReadIfThere(content.FamilyNote(), text, kMaxNoteBytes, missing); err != 0)
            return Failed(err, content.FamilyNote());
        FamilyWords packed;
        std::vector<Entry> files;
        for (const FamilyWord& w : FamilyWords::Parse(text).words) {
            if (!WordOfLetters(w.word)) continue;  // no file of ours could be named by it
            std::string picture;
            const std::filesystem::path pictureFile = content.FamilyPicture(w.word);
            if (const int err = ReadIfThere(pictureFile, picture, kMaxFamilyPictureBytes, missing); err != 0)
                return Failed(err, pictureFile);
            // A word whose picture is gone cannot be shown here either: it is not carried on.
            if (missing) continue;
            packed.words.push_back(w);
            files.push_back({PictureEntry(w.word), picture});
            // The recording; the corner of earlier versions kept it among the game's sounds.
            const std::filesystem::path voices[] = {
                content.ParentWordVoice(w.word),
                content.roots.empty() ? std::filesystem::path()
                                      : content.UserFolder() / "Sounds" / "Words" / PathFromUtf8(Cp1251ToUtf8(w.word) + ".wav")};
            for (const std::filesystem::path& v : voices) {
                std::string wav;
                const int err = ReadIfThere(v, wav, kMaxFamilyVoiceBytes, missing);
                if (err == EFBIG) continue;  // longer than any voice the game plays
                if (err != 0) return Failed(err, v);
                if (missing) continue;
                files.push_back({WordVoiceEntry(w.word), wav});
                break;
            }
        }
        entries.push_back({std::string(kFamily) + "family.txt", FamilyNoteText(packed)});
        for (Entry& e : files) entries.push_back(std::move(e));
        for (int letter = 1; letter <= kLetters; ++letter) {
            std::string wav;
            const std::filesystem::path v = content.ParentLetterVoice(letter);
            const int err = ReadIfThere(v, wav, kMaxFamilyVoiceBytes, missing);
            if (err == EFBIG || (err == 0 && missing)) continue;
            if (err != 0) return Failed(err, v);
            entries.push_back({LetterVoiceEntry(letter), wav});
        }
    }
    PackedFile p;
    p.bytes = MakeZip(entries);
    if (p.bytes.empty()) return Failed(ENOMEM, {});
    return p;
}

}  // namespace

// --- names of the files ----------------------------------------------------------------------

std::string ChildFileName(const Child& child) {
    // A name from a list edited by hand may hold what no file name may.
    std::string name = Cp1251ToUtf8(DisplayName(child));
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 0x20 || std::strchr("/\\:*?\"<>|", c)) c = '_';
    return "Тимбурик - " + name + ".timburik";
}

std::string AllChildrenFileName() { return "Тимбурик - все дети.timburik"; }

// --- making -------------------------------------------------------------------------------------

PackedFile PackChild(const ContentLocation& content, ChildList& list, int index, bool withFamily,
                     const std::function<std::uint32_t()>& random) {
    return Pack(content, list, {index}, false, withFamily, random);
}

PackedFile PackAll(const ContentLocation& content, ChildList& list, const std::function<std::uint32_t()>& random) {
    std::vector<int> all(list.children.size());
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = static_cast<int>(i);
    return Pack(content, list, all, true, true, random);
}

// --- reading ----------------------------------------------------------------------------------

namespace {

struct Unzipped {
    std::string problem;
    std::map<std::string, std::string> entries;
};

// Every entry of the zip, each name and size checked before it is inflated, and each counted
// while it is.
Unzipped Unzip(std::string_view bytes) {
    Unzipped u;
    MemoryStream stream;
    stream.in = bytes;
    zlib_filefunc64_def functions = MemoryFunctions(stream);
    unzFile zip = unzOpen2_64("", &functions);
    if (!zip) {
        u.problem = NotOurs();
        return u;
    }
    struct Closer {
        unzFile zip;
        ~Closer() { unzClose(zip); }
    } closer{zip};
    unz_global_info64 global{};
    if (unzGetGlobalInfo64(zip, &global) != UNZ_OK || global.number_entry == 0) {
        u.problem = NotOurs();
        return u;
    }
    if (global.number_entry > kMaxChildFileEntries) {
        u.problem = Problem("в нём слишком много файлов для файла Тимбурика.");
        return u;
    }
    std::uint64_t total = 0;
    std::string piece(64u << 10, '\0');
    int status = unzGoToFirstFile(zip);
    for (std::uint64_t k = 0; k < global.number_entry; ++k) {
        if (status != UNZ_OK) {
            u.problem = NotOurs();
            return u;
        }
        unz_file_info64 info{};
        char nameBuffer[kMaxEntryName + 1] = {};
        if (unzGetCurrentFileInfo64(zip, &info, nameBuffer, sizeof nameBuffer, nullptr, 0, nullptr, 0) != UNZ_OK) {
            u.problem = NotOurs();
            return u;
        }
        const std::string name(nameBuffer, std::min<std::size_t>(info.size_filename, kMaxEntryName));
        const EntryKind kind = info.size_filename > kMaxEntryName ? EntryKind::Unknown : KindOfName(name);
        if (kind == EntryKind::Unknown) {
            u.problem = Problem("в нём файл, которого в файле Тимбурика быть не может: " + Cp1251ToUtf8(Quoted(name)) + ".");
            return u;
        }
        if (u.entries.count(name)) {
            u.problem = Problem("в нём дважды один и тот же файл " + Cp1251ToUtf8(Quoted(name)) + ".");
            return u;
        }
        if (info.flag & 1u) {
            u.problem = Problem("он защищён паролем, а файлы Тимбурика паролем не защищаются.");
            return u;
        }
        if (info.compression_method != 0 && info.compression_method != Z_DEFLATED) {
            u.problem = NotOurs();
            return u;
        }
        // What the header says is checked first, so that nothing is inflated for a claim
        // past the bounds; what is inflated is counted too, since the header may lie.
        const std::size_t limit = LimitOf(kind);
        const bool tooBig = info.uncompressed_size > limit || total + info.uncompressed_size > kMaxChildFileTotal;
        const bool bomb = info.uncompressed_size > (1u << 20) &&
                          info.uncompressed_size / std::max<ZPOS64_T>(info.compressed_size, 1) > kMaxChildFileRatio;
        if (tooBig || bomb) {
            u.problem = Problem("файл " + Cp1251ToUtf8(Quoted(name)) + " в нём больше, чем бывает у Тимбурика.");
            return u;
        }
        if (info.compressed_size > bytes.size()) {
            u.problem = NotOurs();
            return u;
        }
        if (unzOpenCurrentFile(zip) != UNZ_OK) {
            u.problem = NotOurs();
            return u;
        }
        std::string data;
        bool damaged = false;
        for (;;) {
            const int n = unzReadCurrentFile(zip, piece.data(), static_cast<unsigned>(piece.size()));
            if (n < 0) {
                damaged = true;
                break;
            }
            if (n == 0) break;
            if (data.size() + static_cast<std::size_t>(n) > limit ||
                total + data.size() + static_cast<std::size_t>(n) > kMaxChildFileTotal) {
                unzCloseCurrentFile(zip);
                u.problem = Problem("файл " + Cp1251ToUtf8(Quoted(name)) + " в нём больше, чем бывает у Тимбурика.");
                return u;
            }
            data.append(piece.data(), static_cast<std::size_t>(n));
        }
        // The check of its CRC; and an entry must be as long as its header says.
        if (unzCloseCurrentFile(zip) != UNZ_OK || damaged || data.size() != info.uncompressed_size) {
            u.problem = Problem("файл " + Cp1251ToUtf8(Quoted(name)) + " в нём повреждён.");
            return u;
        }
        total += data.size();
        u.entries.emplace(name, std::move(data));
        status = unzGoToNextFile(zip);
    }
    if (!u.entries.count(kManifest)) u.problem = NotOurs();
    return u;
}

bool ReadName(std::string_view utf8, std::string& name) {
    if (utf8.empty() || !IsValidUtf8(utf8)) return false;
    name = Utf8ToCp1251(utf8);
    if (name.empty() || name.size() > 40) return false;
    return std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x20 && c != 0x7F; });
}

// The manifest into the bundle's children and kinds; a problem's text, or empty.
std::string ReadManifest(const std::string& text, ChildBundle& b) {
    if (!IsValidUtf8(text)) return DamagedManifest();
    const std::vector<std::string> lines = Lines(text);
    if (lines.empty() || !lines[0].starts_with(std::string(kMagic) + " ")) return NotOurs();
    const std::string version = lines[0].substr(kMagic.size() + 1);
    if (AllDigits(version) && std::atoi(version.c_str()) > kVersion)
        return Problem("он сделан новой версией Тимбурика. Обновите игру на этом устройстве и откройте его снова.");
    if (version != std::to_string(kVersion)) return DamagedManifest();
    bool kindSeen = false, familySeen = false;
    std::set<std::string> folders, ids, files;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (lines[i].empty()) continue;
        const std::vector<std::string> f = Split(lines[i], '\t');
        if (f[0] == "kind" && f.size() == 2 && !kindSeen && (f[1] == "child" || f[1] == "all")) {
            kindSeen = true;
            b.kind = f[1] == "all" ? ChildBundle::Kind::All : ChildBundle::Kind::Child;
        } else if (f[0] == "family" && f.size() == 2 && !familySeen && (f[1] == "yes" || f[1] == "no")) {
            familySeen = true;
            b.withFamily = f[1] == "yes";
        } else if (f[0] == "child" && f.size() == 8) {
            BundleChild c;
            c.folder = f[1];
            c.id = f[2];
            c.portrait = SmallNumber(f[4], kPortraits);
            c.progressFile = f[7];
            const std::vector<std::string> folder = Split(c.folder, '/');
            const bool ok = folder.size() == 3 && folder[0] == "children" && SmallNumber(folder[1], kMaxChildren) != 0 &&
                            folder[2].empty() && ValidChildId(c.id) && ReadName(f[3], c.name) && c.portrait != 0 &&
                            ReadWayWord(f[5], c.way) && ReadKnownLetters(f[6], c.known) &&
                            SafeProgressFileName(c.progressFile);
            if (!ok || !folders.insert(c.folder).second || !ids.insert(c.id).second || !files.insert(c.progressFile).second)
                return DamagedManifest();
            if (b.children.size() >= static_cast<std::size_t>(kMaxChildren)) return DamagedManifest();
            b.children.push_back(c);
        } else {
            return DamagedManifest();
        }
    }
    if (!kindSeen || !familySeen || b.children.empty()) return DamagedManifest();
    if (b.kind == ChildBundle::Kind::Child && b.children.size() != 1) return DamagedManifest();
    if (b.kind == ChildBundle::Kind::All && !b.withFamily) return DamagedManifest();
    return {};
}

std::string LetterName(int letter) { return std::string(1, LetterOfNumber(letter)); }

ChildFileRead Refused(std::string problem) {
    ChildFileRead r;
    r.problem = std::move(problem);
    return r;
}

}  // namespace

ChildFileRead ReadChildFile(std::string_view bytes, const ChildFileChecks& checks) {
    if (bytes.size() > kMaxChildFileBytes) return Refused(Problem("он больше 256 МБ, а файлы Тимбурика не бывают такими большими."));
    Unzipped u = Unzip(bytes);
    if (!u.problem.empty()) return Refused(u.problem);
    ChildBundle b;
    if (std::string p = ReadManifest(u.entries[kManifest], b); !p.empty()) return Refused(p);
    std::set<std::string> expected = {kManifest};
    for (BundleChild& c : b.children) {
        const std::string progress = c.folder + c.progressFile, record = c.folder + RecordNameOf(c.progressFile);
        expected.insert(progress);
        expected.insert(record);
        const std::string who = Cp1251ToUtf8(Quoted(Cp1251ToUtf8(c.name)));
        if (auto it = u.entries.find(progress); it != u.entries.end()) {
            c.hasProgress = true;
            c.progress = std::move(it->second);
            try {
                ParseProgress(c.progress);
            } catch (const GameError&) {
                return Refused(Damaged("число слов ребёнка " + who));
            }
        }
        if (auto it = u.entries.find(record); it != u.entries.end()) {
            c.record = std::move(it->second);
            const RecordRead read = ParseLearningRecord(c.record);
            // A power cut may cost a record its last line; a text mostly of lines that are
            // none is no record.
            if (!IsValidUtf8(c.record) || read.damaged > static_cast<int>(read.events.size()))
                return Refused(Problem("запись занятий ребёнка " + who + " повреждена."));
        }
    }
    if (b.withFamily) {
        const std::string note = std::string(kFamily) + "family.txt";
        const auto it = u.entries.find(note);
        if (it == u.entries.end() || !IsValidUtf8(it->second)) return Refused(Damaged("описание слов семьи в нём"));
        expected.insert(note);
        for (FamilyWord& w : FamilyWords::Parse(it->second).words) {
            const std::string shown = Cp1251ToUtf8(Quoted(Cp1251ToUtf8(w.word)));
            if (!WordOfLetters(w.word) || LevelsOfLine(w.line).empty())
                return Refused(Damaged("описание слов семьи в нём"));
            std::erase_if(w.metBy, [](const std::string& f) { return !SafeProgressFileName(f); });
            BundleWord bw;
            bw.word = w;
            const std::string picture = PictureEntry(w.word), voice = WordVoiceEntry(w.word);
            expected.insert(picture);
            expected.insert(voice);
            const auto p = u.entries.find(picture);
            if (p == u.entries.end()) return Refused(Problem("в нём нет картинки слова " + shown + "."));
            if (!checks.picture || !checks.picture(p->second))
                return Refused(Problem("картинка слова " + shown + " в нём повреждена."));
            bw.picture = std::move(p->second);
            if (const auto v = u.entries.find(voice); v != u.entries.end()) {
                if (!checks.voice || !checks.voice(v->second))
                    return Refused(Problem("запись голоса для слова " + shown + " в нём повреждена."));
                bw.voice = std::move(v->second);
            }
            b.words.push_back(std::move(bw));
        }
        for (int letter = 1; letter <= kLetters; ++letter) {
            const std::string voice = LetterVoiceEntry(letter);
            expected.insert(voice);
            const auto v = u.entries.find(voice);
            if (v == u.entries.end()) continue;
            if (!checks.voice || !checks.voice(v->second))
                return Refused(Problem("запись голоса для буквы " + Cp1251ToUtf8(Quoted(Cp1251ToUtf8(LetterName(letter)))) +
                                       " в нём повреждена."));
            b.letterVoices.push_back({letter, std::move(v->second)});
        }
    }
    // Only what the manifest speaks of: a file that is nobody's is no file of ours.
    for (const auto& [name, bytes] : u.entries)
        if (!expected.count(name))
            return Refused(Problem("в нём файл, которого в файле Тимбурика быть не может: " + Cp1251ToUtf8(Quoted(name)) + "."));
    ChildFileRead r;
    r.bundle = std::move(b);
    return r;
}

ChildFileRead ReadChildFileFrom(const std::filesystem::path& file, const ChildFileChecks& checks) {
    // Its size first, so that a huge file is refused before a byte of it is held.
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(file, ec);
    if (!ec && size > kMaxChildFileBytes) return Refused(Problem("он больше 256 МБ, а файлы Тимбурика не бывают такими большими."));
    std::string bytes;
    switch (ReadWholeFile(file, bytes, kMaxChildFileBytes)) {
        case 0: return ReadChildFile(bytes, checks);
        case EFBIG: return Refused(Problem("он больше 256 МБ, а файлы Тимбурика не бывают такими большими."));
        case ENOENT:
        case ENOTDIR: return Refused(Problem("его больше нет на месте."));
        case EACCES:
        case EPERM: return Refused(Problem("нет разрешения его читать."));
        case EISDIR: return Refused(Problem("это папка, а не файл."));
        default: return Refused(Problem("при чтении случилась ошибка диска."));
    }
}

// --- taking in ----------------------------------------------------------------------------------

std::vector<int> SameChildren(const ChildBundle& bundle, const ChildList& list) {
    std::vector<int> same;
    for (const BundleChild& c : bundle.children) same.push_back(list.IndexOfId(c.id));
    return same;
}

std::string MergeRecordTexts(std::string_view here, std::string_view there, std::size_t cap) {
    const RecordLines a = LinesOf(here), b = LinesOf(there);
    // A line is the same line when the two records hold it; each is kept as often as the
    // record holding it more often has it.
    std::unordered_map<std::string_view, int> inHere;
    for (const std::string_view l : a.lines) ++inHere[l];
    std::vector<std::string_view> fromThere;
    for (const std::string_view l : b.lines) {
        auto it = inHere.find(l);
        if (it != inHere.end() && it->second > 0)
            --it->second;
        else
            fromThere.push_back(l);
    }
    // Each record is in time order already: the two are merged. A line without a time keeps
    // its place after the line before it.
    std::vector<std::string_view> merged;
    merged.reserve(a.lines.size() + fromThere.size());
    std::string_view keyA, keyB;
    std::size_t i = 0, j = 0;
    auto key = [](std::string_view line, std::string_view previous) {
        const std::string_view t = TimeOf(line);
        return t.empty() ? previous : t;
    };
    while (i < a.lines.size() || j < fromThere.size()) {
        const std::string_view ka = i < a.lines.size() ? key(a.lines[i], keyA) : std::string_view();
        const std::string_view kb = j < fromThere.size() ? key(fromThere[j], keyB) : std::string_view();
        if (j >= fromThere.size() || (i < a.lines.size() && ka <= kb)) {
            merged.push_back(a.lines[i++]);
            keyA = ka;
        } else {
            merged.push_back(fromThere[j++]);
            keyB = kb;
        }
    }
    const std::string_view header = !a.header.empty() ? a.header : b.header;
    std::size_t size = header.empty() ? 0 : header.size() + 1;
    for (const std::string_view l : merged) size += l.size() + 1;
    std::size_t from = 0;
    while (size > cap && from < merged.size()) size -= merged[from++].size() + 1;
    std::string text;
    text.reserve(size);
    if (!header.empty() && (from < merged.size() || merged.empty())) text.append(header).append("\n");
    for (std::size_t k = from; k < merged.size(); ++k) text.append(merged[k]).append("\n");
    return text;
}

namespace {

// The writes of a change pass through here, so that a failure names the file it was writing
// whichever step of the change it was.
class NamingStore : public FamilyStore {
public:
    explicit NamingStore(FamilyStore& inner) : inner_(inner) {}
    std::filesystem::path failed;

    int Write(const std::filesystem::path& file, std::string_view bytes) override {
        const int err = inner_.Write(file, bytes);
        if (err != 0 && failed.empty()) failed = file;
        return err;
    }
    int Remove(const std::filesystem::path& file) override { return inner_.Remove(file); }
    int Read(const std::filesystem::path& file, std::string& bytes, std::size_t limit) override {
        return inner_.Read(file, bytes, limit);
    }

private:
    FamilyStore& inner_;
};

// One write of the children's files, and how to put the file back as it was.
struct Undo {
    std::filesystem::path file;
    bool existed = false;
    std::string before;
};

// The played list here, when it can be read: a family word that is a word of it already is
// not added twice.
bool ReadPlayed(const ContentLocation& content, const FamilyWords& family, WordList& played, WordList& bundled) {
    std::string text;
    const std::filesystem::path list = content.WordList();
    if (list.empty() || ReadWholeFile(list, text, kMaxListBytes) != 0) return false;
    bundled = ParseWordList(text);
    played = bundled;
    ApplyFamilyWords(played, family);
    return true;
}

bool HasWordVoice(const ContentLocation& content, const std::string& word) {
    return Exists(content.ParentWordVoice(word)) ||
           (!content.roots.empty() && Exists(content.UserFolder() / "Sounds" / "Words" / PathFromUtf8(Cp1251ToUtf8(word) + ".wav")));
}

std::vector<std::string> MappedMet(const std::vector<std::string>& metBy, const std::map<std::string, std::string>& to) {
    std::vector<std::string> mapped;
    for (const std::string& f : metBy)
        if (auto it = to.find(f); it != to.end() && std::find(mapped.begin(), mapped.end(), it->second) == mapped.end())
            mapped.push_back(it->second);
    return mapped;
}

// The family's words and recordings: each word its own change; returns 0 or the errno value,
// `file` saying which.
int TakeFamily(const ContentLocation& content, FamilyWords& family, const ChildBundle& bundle,
               const std::map<std::string, std::string>& childFiles, FamilyStore& store, TakeResult& result) {
    WordList played, bundled;
    const bool listKnown = ReadPlayed(content, family, played, bundled);
    // Who has met the words already here, written once at the end; the words added in between
    // carry their own.
    FamilyWords met = family;
    bool metChanged = false;
    for (const BundleWord& bw : bundle.words) {
        const FamilyWord& w = bw.word;
        const FamilyWord* here = family.Find(w.word);
        const bool inList = listKnown && played.entries[static_cast<std::size_t>(w.line)] == w.word;
        if (here || inList) {
            // Already here: the children who met it there have met it here too.
            for (FamilyWord& own : met.words) {
                if (own.word != w.word) continue;
                for (const std::string& f : MappedMet(w.metBy, childFiles))
                    if (std::find(own.metBy.begin(), own.metBy.end(), f) == own.metBy.end()) {
                        own.metBy.push_back(f);
                        metChanged = true;
                    }
            }
            if (here && here->line == w.line && !bw.voice.empty() && !HasWordVoice(content, w.word)) {
                result.file = content.ParentWordVoice(w.word);
                if (const int err = store.Write(result.file, bw.voice); err != 0) return err;
            }
            continue;
        }
        bool elsewhere = false;
        if (listKnown)
            for (int k = 1; k <= kWordCount; ++k) elsewhere = elsewhere || played.entries[static_cast<std::size_t>(k)] == w.word;
        if (family.AtLine(w.line) || elsewhere) {
            result.skippedWords.push_back(w.word);
            continue;
        }
        FamilyWord added = w;
        added.metBy = MappedMet(w.metBy, childFiles);
        if (listKnown && !bundled.entries[static_cast<std::size_t>(w.line)].empty())
            added.replaced = bundled.entries[static_cast<std::size_t>(w.line)];
        NamingStore naming(store);
        if (const int err = AddFamilyWord(content, family, added, bw.picture, naming); err != 0) {
            result.file = naming.failed.empty() ? content.FamilyNote() : naming.failed;
            return err;
        }
        // After the word: a crash between the two leaves a word without the parent's voice,
        // which plays the game's way, never a voice of a word that is not there.
        if (!bw.voice.empty() && !HasWordVoice(content, w.word)) {
            result.file = content.ParentWordVoice(w.word);
            if (const int err = store.Write(result.file, bw.voice); err != 0) return err;
        }
    }
    if (metChanged) {
        FamilyWords changed = family;
        for (FamilyWord& w : changed.words)
            if (const FamilyWord* m = met.Find(w.word)) w.metBy = m->metBy;
        result.file = content.FamilyNote();
        if (const int err = SaveFamilyNote(content, changed, store); err != 0) return err;
        family = changed;
    }
    for (const BundleLetterVoice& v : bundle.letterVoices) {
        const std::filesystem::path own = content.ParentLetterVoice(v.letter);
        const std::filesystem::path overlaid = content.OverlaidLetterVoice(v.letter);
        std::string bytes;
        const std::filesystem::path there = Exists(own) ? own : Exists(overlaid) ? overlaid : std::filesystem::path();
        if (!there.empty()) {
            if (ReadWholeFile(there, bytes, kMaxFamilyVoiceBytes) != 0 || bytes != v.wav)
                result.skippedVoices.push_back(LetterName(v.letter));
            continue;
        }
        result.file = own;
        if (const int err = store.Write(own, v.wav); err != 0) return err;
    }
    result.file.clear();
    return 0;
}

// Whether the girl or the boy here is as a device sets them up: no id, no word, no record.
bool NeverPlayed(const ContentLocation& content, const Child& c) {
    if (!c.id.empty()) return false;
    try {
        if (LoadProgressFile(content.ProgressFileToRead(c.progressFile)) != 0) return false;
    } catch (const GameError&) {
        return false;  // a damaged score is still someone's
    }
    std::error_code ec;
    const std::filesystem::path now = content.ProgressFile(c.RecordFile()), before = content.ProgressFileBefore(c.RecordFile());
    for (const std::filesystem::path& r : {now, before})
        if (!r.empty() && std::filesystem::file_size(r, ec) > 0 && !ec) return false;
    return true;
}

}  // namespace

TakeResult TakeChildFile(const ContentLocation& content, ChildList& list, FamilyWords& family,
                         const ChildBundle& bundle, const std::vector<SameChildChoice>& choices,
                         const std::function<std::uint32_t()>& random, FamilyStore& store) {
    TakeResult result;
    if (bundle.kind == ChildBundle::Kind::None) {
        result.err = EINVAL;
        return result;
    }
    // The plan first, written nowhere: where each child of the file goes.
    ChildList changed = list;
    const std::vector<int> same = SameChildren(bundle, list);
    enum class Way { New, Landed, TakeFile, KeepHere, NoRoom };
    std::vector<Way> ways(bundle.children.size());
    std::vector<int> at(bundle.children.size(), -1);
    std::map<std::string, std::string> childFiles, newFiles;  // there's progress file -> here's
    for (std::size_t i = 0; i < bundle.children.size(); ++i) {
        const BundleChild& b = bundle.children[i];
        if (same[i] >= 0) {
            at[i] = same[i];
            ways[i] = i < choices.size() && choices[i] == SameChildChoice::TakeFile ? Way::TakeFile : Way::KeepHere;
        } else {
            int slot = -1;
            if (IsGirlOrBoy(b.progressFile))
                for (std::size_t k = 0; k < changed.children.size(); ++k)
                    if (changed.children[k].progressFile == b.progressFile && NeverPlayed(content, changed.children[k]))
                        slot = static_cast<int>(k);
            if (slot >= 0) {
                at[i] = slot;
                ways[i] = Way::Landed;
            } else if (changed.Full()) {
                ways[i] = Way::NoRoom;
                result.notAdded.push_back(b.name);
                continue;
            } else {
                // Never the number of a child whose files are still there, here, where the
                // progress moved from, or kept on removal.
                changed.Add(b.name, b.portrait, [&](const std::string& file) {
                    return Exists(content.ProgressFileToRead(file)) || Exists(content.ProgressFileToRead(RecordNameOf(file))) ||
                           Exists(content.ProgressFile("removed-" + file));
                });
                at[i] = static_cast<int>(changed.children.size()) - 1;
                ways[i] = Way::New;
            }
        }
        Child& c = changed.children[static_cast<std::size_t>(at[i])];
        if (ways[i] != Way::KeepHere) {
            c.name = NameToKeep(b.name, c.progressFile);
            c.portrait = b.portrait;
            c.way = b.way;
            c.known = b.known;
        }
        if (ways[i] == Way::New || ways[i] == Way::Landed) {
            c.id = ValidChildId(b.id) && changed.IndexOfId(b.id) < 0 ? b.id : MakeChildId(changed, random);
        }
        // The family's note may name only children the list has: a new child's meetings are
        // noted once the list holds the child.
        (ways[i] == Way::New ? newFiles : childFiles)[b.progressFile] = c.progressFile;
    }

    // The family's words first, each a change whole in itself: they stand whether the
    // children come in after them or not.
    if (bundle.withFamily) {
        if (const int err = TakeFamily(content, family, bundle, childFiles, store, result); err != 0) {
            result.err = err;
            return result;
        }
    }

    // Then the children's files, each replaced whole; a failure puts back those written.
    std::vector<Undo> undo;
    auto putBack = [&] {
        for (auto it = undo.rbegin(); it != undo.rend(); ++it) {
            if (it->existed)
                store.Write(it->file, it->before);
            else
                store.Remove(it->file);
        }
    };
    auto write = [&](const std::filesystem::path& file, std::string_view bytes, bool keepOnFailure) {
        Undo u;
        u.file = file;
        bool missing = false;
        if (const int err = ReadIfThere(file, u.before, kMaxChildRecordBytes, missing); err != 0) return err;
        u.existed = !missing;
        if (const int err = store.Write(file, bytes); err != 0) return err;
        if (!keepOnFailure) undo.push_back(std::move(u));
        return 0;
    };
    auto fail = [&](int err, const std::filesystem::path& file) {
        putBack();
        result.err = err;
        result.file = file;
        result.added.clear();
        result.joined.clear();
        return result;
    };
    for (std::size_t i = 0; i < bundle.children.size(); ++i) {
        if (ways[i] == Way::NoRoom) continue;
        const BundleChild& b = bundle.children[i];
        const Child& c = changed.children[static_cast<std::size_t>(at[i])];
        if (ways[i] != Way::KeepHere && (b.hasProgress || ways[i] != Way::New)) {
            // The file's score; a child who never played there has none, which the game reads as 0.
            const std::filesystem::path file = content.ProgressFile(c.progressFile);
            if (const int err = write(file, b.hasProgress ? std::string_view(b.progress) : std::string_view("0"), false);
                err != 0)
                return fail(err, file);
        }
        std::string here;
        std::filesystem::path failed;
        if (ways[i] != Way::New) {
            if (const int err = HistoryText(content, c.RecordFile(), here, failed); err != 0) return fail(err, failed);
        }
        const std::string joined = MergeRecordTexts(here, b.record, kMaxChildRecordBytes);
        if (joined != here) {
            // A joined record is kept when a later write fails: it has every line it had and
            // none twice, and taking the file again finds them all there.
            const std::filesystem::path file = content.ProgressFile(c.RecordFile());
            if (const int err = write(file, joined, ways[i] == Way::TakeFile || ways[i] == Way::KeepHere); err != 0)
                return fail(err, file);
        }
        (ways[i] == Way::TakeFile || ways[i] == Way::KeepHere ? result.joined : result.added).push_back(DisplayName(c));
    }

    // The list last: until it is written, a new child's files are nobody's and a crash
    // leaves the list as it was.
    const std::filesystem::path listFile = content.ProgressFile(kListName);
    if (const int err = store.Write(listFile, changed.Text()); err != 0) return fail(err, listFile);
    list = changed;
    if (bundle.withFamily && !newFiles.empty()) {
        FamilyWords met = family;
        bool changedMet = false;
        for (const BundleWord& bw : bundle.words)
            for (FamilyWord& w : met.words)
                if (w.word == bw.word.word)
                    for (const std::string& f : MappedMet(bw.word.metBy, newFiles))
                        if (std::find(w.metBy.begin(), w.metBy.end(), f) == w.metBy.end()) {
                            w.metBy.push_back(f);
                            changedMet = true;
                        }
        // Should this fail, the child only meets those words first once more: the children
        // are in, and nothing is to be undone.
        if (changedMet && SaveFamilyNote(content, met, store) == 0) family = met;
    }
    return result;
}
