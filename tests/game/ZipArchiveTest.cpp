// minizip over zlib as every build links them, through memory functions rather than files: a
// zip made in memory and read back, and damaged or lying archives refused without a crash.
#include <gtest/gtest.h>

#include <unzip.h>
#include <zip.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

// An archive in a string: the position the library seeks to, the bytes it writes or reads.
struct Memory {
    std::string bytes;
    std::size_t pos = 0;
};

voidpf Open(voidpf opaque, const void*, int) {
    static_cast<Memory*>(opaque)->pos = 0;
    return opaque;
}
uLong Read(voidpf, voidpf stream, void* buf, uLong size) {
    auto* m = static_cast<Memory*>(stream);
    const std::size_t n = std::min<std::size_t>(size, m->bytes.size() - std::min(m->pos, m->bytes.size()));
    if (n > 0) std::memcpy(buf, m->bytes.data() + m->pos, n);
    m->pos += n;
    return static_cast<uLong>(n);
}
uLong Write(voidpf, voidpf stream, const void* buf, uLong size) {
    auto* m = static_cast<Memory*>(stream);
    if (m->pos + size > m->bytes.size()) m->bytes.resize(m->pos + size);
    std::memcpy(m->bytes.data() + m->pos, buf, size);
    m->pos += size;
    return size;
}
ZPOS64_T Tell(voidpf, voidpf stream) { return static_cast<Memory*>(stream)->pos; }
long Seek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    auto* m = static_cast<Memory*>(stream);
    const ZPOS64_T base = origin == ZLIB_FILEFUNC_SEEK_SET ? 0 : origin == ZLIB_FILEFUNC_SEEK_CUR ? m->pos : m->bytes.size();
    if (offset > m->bytes.size() - base) return -1;  // an offset from a hostile header may wrap a sum
    m->pos = static_cast<std::size_t>(base + offset);
    return 0;
}
int Close(voidpf, voidpf) { return 0; }
int Error(voidpf, voidpf) { return 0; }

zlib_filefunc64_def Functions(Memory& m) { return {Open, Read, Write, Tell, Seek, Close, Error, &m}; }

struct Entry {
    std::string name, bytes;
};
constexpr uLong kUtf8Names = 1u << 11;

std::string Zip(const std::vector<Entry>& entries) {
    Memory m;
    zlib_filefunc64_def f = Functions(m);
    zipFile z = zipOpen2_64("memory", APPEND_STATUS_CREATE, nullptr, &f);
    EXPECT_NE(z, nullptr);
    for (const Entry& e : entries) {
        zip_fileinfo info{};
        EXPECT_EQ(zipOpenNewFileInZip4_64(z, e.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                          Z_BEST_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY,
                                          nullptr, 0, 0, kUtf8Names, 0),
                  ZIP_OK);
        EXPECT_EQ(zipWriteInFileInZip(z, e.bytes.data(), static_cast<unsigned>(e.bytes.size())), ZIP_OK);
        EXPECT_EQ(zipCloseFileInZip(z), ZIP_OK);
    }
    EXPECT_EQ(zipClose(z, nullptr), ZIP_OK);
    return m.bytes;
}

// What an archive gives back: each entry as read, with its header's flag and compressed size,
// or nothing when the archive is refused or an entry fails its reading, its check sum or (with
// checkSizes) its size. The library checks the sum only when the whole entry was read, so a
// damaged stream that ends early passes unless the bytes read are counted against the header.
struct ReadEntry {
    std::string name, bytes;
    uLong flag = 0;
    ZPOS64_T compressed = 0;
};
std::optional<std::vector<ReadEntry>> Unzip(const std::string& archive, bool checkSizes = true) {
    Memory m{archive};
    zlib_filefunc64_def f = Functions(m);
    unzFile u = unzOpen2_64("memory", &f);
    if (u == nullptr) return std::nullopt;
    std::vector<ReadEntry> out;
    bool ok = true;
    for (int r = unzGoToFirstFile(u); ok && r == UNZ_OK; r = unzGoToNextFile(u)) {
        unz_file_info64 info;
        char name[256];
        ok = unzGetCurrentFileInfo64(u, &info, name, sizeof name, nullptr, 0, nullptr, 0) == UNZ_OK &&
             unzOpenCurrentFile(u) == UNZ_OK;
        if (!ok) break;
        ReadEntry e{name, "", info.flag, info.compressed_size};
        char buf[4096];
        int n;
        while ((n = unzReadCurrentFile(u, buf, sizeof buf)) > 0) e.bytes.append(buf, static_cast<std::size_t>(n));
        ok = unzCloseCurrentFile(u) == UNZ_OK && n == 0 && (!checkSizes || e.bytes.size() == info.uncompressed_size);
        out.push_back(e);
    }
    unzClose(u);
    if (!ok) return std::nullopt;
    return out;
}

// A learning record's worth of lines (compressible) and every byte value (a picture's bytes).
std::string Record() {
    std::string s;
    for (int i = 0; s.size() < 1'000'000; ++i) s += "2026-12-09 10:00:" + std::to_string(i % 60) + "\tрешено\tКОТ\n";
    return s;
}
std::string EveryByte() {
    std::string s;
    for (int i = 0; i < 4096; ++i) s += static_cast<char>(i * 7 % 256);
    return s;
}

void Put32(std::string& s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i) & 0xff);
}

}  // namespace

TEST(ZipArchive, EntriesComeBackAsTheyWentInWithTheirNamesMarkedUtf8AndTheRecordDeflated) {
    const std::vector<Entry> in = {{"Оля/Confif.log", Record()}, {"Оля/портрет.bmp", EveryByte()}, {"empty", ""}};
    const std::string archive = Zip(in);
    ASSERT_EQ(archive.compare(0, 4, "PK\3\4"), 0);
    const auto out = Unzip(archive);
    ASSERT_TRUE(out.has_value());
    ASSERT_EQ(out->size(), in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        EXPECT_EQ((*out)[i].name, in[i].name);
        EXPECT_TRUE((*out)[i].bytes == in[i].bytes) << in[i].name;
        EXPECT_NE((*out)[i].flag & kUtf8Names, 0u) << in[i].name;
    }
    EXPECT_LT((*out)[0].compressed, in[0].bytes.size() / 10);
}

TEST(ZipArchive, DamagedArchivesAreRefused) {
    const std::string good = Zip({{"a.txt", Record()}, {"b.bin", EveryByte()}});
    std::string flipped = good;
    flipped[30 + 5 + 1000] ^= 0x55;  // inside a.txt's deflated bytes, after its 30-byte header and name
    std::string pastTheEnd = good;
    Put32(pastTheEnd, good.size() - 22 + 16, 0xfffffff0);  // where the directory starts, in its end record
    std::string entryPastTheEnd = good;
    Put32(entryPastTheEnd, good.find("PK\1\2") + 42, 0xfffffff0);  // where a.txt's header lies
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"nothing", ""},
        {"not a zip", std::string(5000, 'x')},
        {"cut in half", good.substr(0, good.size() / 2)},
        {"without the end of its directory", good.substr(0, good.size() - 22)},
        {"a byte of the data changed", flipped},
        {"its directory said to lie past its end", pastTheEnd},
        {"an entry said to lie past its end", entryPastTheEnd},
    };
    for (const auto& c : cases) EXPECT_FALSE(Unzip(c.bytes).has_value()) << c.what;
    // Why a reader must count: the changed byte ends the stream early, with neither an error
    // nor a check of the sum.
    EXPECT_TRUE(Unzip(flipped, false).has_value());
}

// A zip bomb's trick: a small size in the headers over much more deflated data. The reader stops
// at the size the headers say, so a bound checked on that size holds, and the entry fails.
TEST(ZipArchive, AnEntryGivesNoMoreThanItsHeadersSay) {
    std::string archive = Zip({{"a.txt", Record()}});
    const std::size_t central = archive.find("PK\1\2");
    ASSERT_NE(central, std::string::npos);
    Put32(archive, 22, 1000);            // the local header's uncompressed size
    Put32(archive, central + 24, 1000);  // the central directory's
    Memory m{archive};
    zlib_filefunc64_def f = Functions(m);
    unzFile u = unzOpen2_64("memory", &f);
    ASSERT_NE(u, nullptr);
    ASSERT_EQ(unzGoToFirstFile(u), UNZ_OK);
    unz_file_info64 info;
    ASSERT_EQ(unzGetCurrentFileInfo64(u, &info, nullptr, 0, nullptr, 0, nullptr, 0), UNZ_OK);
    EXPECT_EQ(info.uncompressed_size, 1000u);
    ASSERT_EQ(unzOpenCurrentFile(u), UNZ_OK);
    std::vector<char> buf(1 << 20);
    std::size_t total = 0;
    int n;
    while ((n = unzReadCurrentFile(u, buf.data(), static_cast<unsigned>(buf.size()))) > 0) total += n;
    EXPECT_EQ(total, 1000u);
    EXPECT_NE(unzCloseCurrentFile(u), UNZ_OK);
    unzClose(u);
}
