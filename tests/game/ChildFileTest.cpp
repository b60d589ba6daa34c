// A child carried to another device as one file: what arrives, the same child joined without a
// line twice, family words that would overwrite a word here left out, hostile files refused
// with nothing written, and a take cut short by a failed write or a crash at any point.
#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <fstream>
#include <map>
#include <set>
#include <tuple>

#include <zip.h>

#include "game/ChildFile.h"
#include "game/LearningRecord.h"
#include "tests/game/FaultyStore.h"
#include "platform/Files.h"
#include "platform/sdl/SdlParts.h"
#include "platform/toolkit/Errors.h"
#include "platform/toolkit/Text1251.h"
#include "platform/toolkit/VoiceProcessing.h"
#include "tests/support/TempDir.h"

#ifndef TIMBURIK_DATA_DIR
#error "TIMBURIK_DATA_DIR must name the bundled content"
#endif

namespace {

const std::string kHeader = "время\tсобытие\tслово\tбуква\tклетка\tверно\n";

// The readers the game shows pictures and plays voices with.
ChildFileChecks GameReaders() { return {BmpReadable, SoundBytesReadable}; }

std::function<std::uint32_t()> Counter(std::uint32_t from) {
    return [n = from]() mutable { return n++; };
}

std::string PictureBytes(TColor colour) { return EncodeBmp24(SolidPicture(200, 200, colour)); }

std::string Voice(double hz) {
    std::vector<std::int16_t> s(11025);
    for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<std::int16_t>(8000 * std::sin(i * hz * 6.2832 / 22050));
    return EncodeWav(s, 22050);
}

// A record line a second after the first of December 2026, 10:00.
std::string Line(int second, const char* word = "КОТ") {
    return "2026-12-01 10:" + std::string(second / 60 < 10 ? "0" : "") + std::to_string(second / 60) + ":" +
           (second % 60 < 10 ? "0" : "") + std::to_string(second % 60) + "\tслово\t" + word + "\t\t\t\n";
}

std::string Record(std::initializer_list<int> seconds) {
    std::string r = kHeader;
    for (const int s : seconds) r += Line(s);
    return r;
}

// The record's lines, header left out; a line twice would show.
std::multiset<std::string> LinesOf(const std::string& record) {
    std::multiset<std::string> lines;
    for (std::size_t at = 0; at < record.size();) {
        std::size_t end = record.find('\n', at);
        if (end == std::string::npos) end = record.size();
        const std::string l = record.substr(at, end - at);
        if (!l.empty() && !l.starts_with("время")) lines.insert(l);
        at = end + 1;
    }
    return lines;
}

FamilyWord Word(const char* word, int line) {
    FamilyWord w;
    w.word = Cp(word);
    w.line = line;
    w.replaced = LoadWordList(std::filesystem::path(TIMBURIK_DATA_DIR) / "Words.str").entries[line];
    return w;
}

// One computer or tablet: its folder keeping both the content and the progress, as the
// Windows zip and run.sh play it, with the bundled word list.
struct Device {
    TempDir dir;
    ContentLocation content = ContentLocation::InFolder(dir.Path());
    ChildList list;
    FamilyWords family;

    Device() {
        std::string words;
        ReadWholeFile(std::filesystem::path(TIMBURIK_DATA_DIR) / "Words.str", words, 1 << 20);
        dir.Write("Words.str", words);
        list = ChildList::Load(dir.Path());
    }
    void Reload() {
        list = ChildList::Load(dir.Path());
        family = FamilyWords::Load(content.FamilyNote());
    }
    int AddChild(const char* name, int portrait, std::uint32_t seed) {
        list.Add(Cp(name), portrait, {}, Counter(seed));
        EXPECT_EQ(list.Save(dir.Path()), 0);
        return static_cast<int>(list.children.size()) - 1;
    }
    void AddWord(const char* word, int line, TColor colour, bool voice) {
        ASSERT_EQ(AddFamilyWord(content, family, Word(word, line), PictureBytes(colour)), 0);
        if (voice) dir.Write(std::string("Голоса семьи/Words/") + word + ".wav", Voice(300 + line));
    }
    // Every file in the folder with its bytes, to compare before and after.
    std::map<std::string, std::string> Files() const {
        std::map<std::string, std::string> files;
        for (const auto& e : std::filesystem::recursive_directory_iterator(dir.Path())) {
            if (!e.is_regular_file()) continue;
            const std::u8string rel = std::filesystem::relative(e.path(), dir.Path()).generic_u8string();
            const std::string name(rel.begin(), rel.end());
            files[name] = dir.Read(name);
        }
        return files;
    }
};

// Оля on the first device: played, with a record, a way of her own, a family word with its
// picture and voice, and the parent's voice for the letter А.
struct Home : Device {
    int olya = 0;
    Home() {
        olya = AddChild("Оля", 5, 7);
        Child& c = list.children[static_cast<std::size_t>(olya)];
        c.way = WordWay::KnownOnly;
        c.known.set(1);
        c.known.set(16);
        EXPECT_EQ(list.Save(dir.Path()), 0);
        dir.Write("Child3.cnf", "23");
        dir.Write("Child3.log", Record({1, 2, 3}));
        dir.Write("Confif.cnf", "9");
        dir.Write("Confif.log", Record({10, 11}));
        AddWord("МАМА", 30, clRed, true);
        MarkFamilyWordMet(family, 30, "Child3.cnf");
        EXPECT_EQ(SaveFamilyNote(content, family), 0);
        dir.Write("Голоса семьи/Letters/1.wav", Voice(440));
    }
    PackedFile PackOlya(bool withFamily = true) { return PackChild(content, list, olya, withFamily, Counter(100)); }
};

ChildBundle Read(const PackedFile& p) {
    EXPECT_EQ(p.err, 0);
    ChildFileRead r = ReadChildFile(p.bytes, GameReaders());
    EXPECT_EQ(r.problem, "");
    return r.bundle;
}

std::uint32_t Get32(const std::string& s, std::size_t at) {
    return static_cast<unsigned char>(s[at]) | static_cast<unsigned char>(s[at + 1]) << 8 |
           static_cast<unsigned char>(s[at + 2]) << 16 | static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 3])) << 24;
}

}  // namespace

TEST(ChildFile, AChildArrivesOnAnotherDeviceWithProgressRecordSettingsAndFamilyWords) {
    Home home;
    const std::string girlBefore = home.dir.Read("Confif.cnf");
    const PackedFile packed = home.PackOlya();
    ASSERT_EQ(packed.err, 0);
    EXPECT_EQ(ChildFileName(home.list.children[static_cast<std::size_t>(home.olya)]), "Тимбурик - Оля.timburik");
    // A zip whose first entry is the manifest, its names flagged UTF-8.
    ASSERT_GT(packed.bytes.size(), 30u);
    EXPECT_EQ(Get32(packed.bytes, 0), 0x04034b50u);
    EXPECT_NE(packed.bytes[7] & 0x08, 0);
    EXPECT_EQ(packed.bytes.substr(30, 12), "manifest.txt");
    EXPECT_EQ(home.dir.Read("Confif.cnf"), girlBefore);

    Device tablet;
    const ChildBundle bundle = Read(packed);
    ASSERT_EQ(bundle.children.size(), 1u);
    EXPECT_EQ(SameChildren(bundle, tablet.list), std::vector<int>{-1});
    const TakeResult r = TakeChildFile(tablet.content, tablet.list, tablet.family, bundle, {}, Counter(5));
    ASSERT_EQ(r.err, 0);
    EXPECT_EQ(r.added, std::vector<std::string>{Cp("Оля")});
    EXPECT_TRUE(r.skippedWords.empty());

    tablet.Reload();
    ASSERT_EQ(tablet.list.children.size(), 3u);
    const Child& olya = tablet.list.children[2];
    const Child& there = home.list.children[static_cast<std::size_t>(home.olya)];
    EXPECT_EQ(olya.name, Cp("Оля"));
    EXPECT_EQ(olya.portrait, 5);
    EXPECT_EQ(olya.way, WordWay::KnownOnly);
    EXPECT_EQ(olya.known, there.known);
    EXPECT_EQ(olya.id, there.id);
    EXPECT_FALSE(olya.id.empty());
    EXPECT_EQ(tablet.dir.Read(olya.progressFile), "23");
    EXPECT_EQ(LinesOf(tablet.dir.Read(olya.RecordFile())), LinesOf(Record({1, 2, 3})));
    // The family's word with its picture and voice, met already by Оля under her name here.
    const FamilyWord* mama = tablet.family.Find(Cp("МАМА"));
    ASSERT_NE(mama, nullptr);
    EXPECT_EQ(mama->line, 30);
    EXPECT_EQ(mama->metBy, std::vector<std::string>{olya.progressFile});
    EXPECT_EQ(tablet.dir.Read("subjects/МАМА.bmp"), home.dir.Read("subjects/МАМА.bmp"));
    EXPECT_EQ(tablet.dir.Read("Голоса семьи/Words/МАМА.wav"), home.dir.Read("Голоса семьи/Words/МАМА.wav"));
    EXPECT_EQ(tablet.dir.Read("Голоса семьи/Letters/1.wav"), home.dir.Read("Голоса семьи/Letters/1.wav"));
    EXPECT_FALSE(tablet.dir.Exists("family-pending.txt"));

    // Without the family's words, none of them travel.
    Device other;
    const ChildBundle alone = Read(home.PackOlya(false));
    EXPECT_FALSE(alone.withFamily);
    ASSERT_EQ(TakeChildFile(other.content, other.list, other.family, alone, {}, Counter(5)).err, 0);
    EXPECT_FALSE(other.dir.Exists("family.txt"));
    EXPECT_FALSE(other.dir.Exists("subjects/МАМА.bmp"));
}

TEST(ChildFile, AChildGivenAnIdOnFirstPackingKeepsItAndOldListsStayReadable) {
    Device d;
    // A list as the game wrote it before ids: three and five columns.
    d.dir.Write("children.txt", "Confif.cnf\tМила\t1\nConfis.cnf\t\t2\tтрудные\tАБ\nChild3.cnf\tПетя\t4\n");
    d.Reload();
    ASSERT_EQ(d.list.children.size(), 3u);
    for (const Child& c : d.list.children) EXPECT_TRUE(c.id.empty());
    EXPECT_EQ(d.list.children[1].way, WordWay::HardOften);
    d.dir.Write("Confis.cnf", "4");
    // Packing the boy gives him an id and writes the list before the file is made.
    const PackedFile p = PackChild(d.content, d.list, 1, false, Counter(1));
    ASSERT_EQ(p.err, 0);
    const std::string id = d.list.children[1].id;
    EXPECT_TRUE(ValidChildId(id));
    EXPECT_EQ(d.dir.Read("Confis.cnf"), "4");
    EXPECT_EQ(d.dir.Read("children.txt"),
              "Confif.cnf\tМила\t1\nConfis.cnf\t\t2\tтрудные\tАБ\t" + id + "\nChild3.cnf\tПетя\t4\n");
    // Packed again: the same id, the list not written again.
    d.dir.Write("children.txt", d.dir.Read("children.txt"));
    ASSERT_EQ(PackChild(d.content, d.list, 1, false, Counter(1)).err, 0);
    EXPECT_EQ(d.list.children[1].id, id);
    // A child with an id and neither way nor letters writes them plainly, so that a reader of
    // five columns takes the line as before.
    ASSERT_EQ(PackChild(d.content, d.list, 2, false, Counter(2)).err, 0);
    const std::string line = d.dir.Read("children.txt").substr(d.dir.Read("children.txt").find("Child3"));
    EXPECT_EQ(line, "Child3.cnf\tПетя\t4\tподряд\t\t" + d.list.children[2].id + "\n");
    d.Reload();
    EXPECT_EQ(d.list.children[1].id, id);
    EXPECT_EQ(d.list.children[2].way, WordWay::AsAlways);
    // Ids made one after another from a counter still differ in most digits.
    ChildList l;
    const std::string a = MakeChildId(l, Counter(1)), b = MakeChildId(l, Counter(2));
    int differ = 0;
    for (std::size_t i = 0; i < 16; ++i) differ += a[i] != b[i];
    EXPECT_GT(differ, 8);
    // A list edited by hand with one id twice gives it to the first child only.
    d.dir.Write("children.txt", "Confif.cnf\t\t1\tподряд\t\t" + id + "\nConfis.cnf\t\t2\tподряд\t\t" + id + "\n");
    d.Reload();
    EXPECT_EQ(d.list.children[0].id, id);
    EXPECT_EQ(d.list.children[1].id, "");
}

TEST(ChildFile, ListWriteFailingWhenAnIdIsGivenLeavesTheListAsItWas) {
    Device d;
    // Something the list cannot be written over, whoever the user is: a folder of its name.
    std::filesystem::create_directory(d.dir.Path() / "children.txt");
    const PackedFile p = PackChild(d.content, d.list, 0, false, Counter(1));
    EXPECT_NE(p.err, 0);
    EXPECT_EQ(p.file, d.content.ProgressFile("children.txt"));
    EXPECT_TRUE(p.bytes.empty());
    EXPECT_TRUE(d.list.children[0].id.empty());
}

TEST(ChildFile, RecordsAreJoinedEachLineOnceInTimeOrder) {
    struct Case {
        const char* what;
        std::string here, there, expected;
        std::size_t cap = 1 << 20;
    } cases[] = {
        {"both empty", "", "", ""},
        {"only there", "", Record({1, 2}), Record({1, 2})},
        {"only here", Record({1, 2}), "", Record({1, 2})},
        {"the same", Record({1, 2}), Record({1, 2}), Record({1, 2})},
        {"interleaved", Record({1, 4, 6}), Record({2, 3, 5}), Record({1, 2, 3, 4, 5, 6})},
        {"one holds the other's start", Record({1, 2}), Record({1, 2, 3, 4}), Record({1, 2, 3, 4})},
        {"overlapping", Record({1, 2, 3}), Record({2, 3, 4}), Record({1, 2, 3, 4})},
        // Two taps in one second are two lines: each record has them twice, the join too.
        {"a line twice in both", Record({1, 1, 2}), Record({1, 1, 3}), Record({1, 1, 2, 3})},
        {"a line twice in one", Record({1, 1}), Record({1}), Record({1, 1})},
        {"no header there", Record({1}), Line(2), Record({1, 2})},
        {"no header here", Line(2), Record({1}), Record({1, 2})},
        {"CRLF from a spreadsheet", Record({1}), "время\r\n" + std::string(Line(2)).insert(Line(2).size() - 1, "\r"),
         Record({1, 2})},
        {"a line without a time stays after its neighbour", Record({1, 3}), kHeader + Line(2) + "damaged\n",
         Record({1, 2}) + "damaged\n" + Line(3)},
        {"past the cap the oldest go", Record({1, 2}), Record({3, 4}), kHeader + Line(3) + Line(4),
         kHeader.size() + 2 * Line(1).size()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MergeRecordTexts(c.here, c.there, c.cap), c.expected) << c.what;
        // Joining again changes nothing.
        EXPECT_EQ(MergeRecordTexts(c.expected, c.there, c.cap), c.expected) << c.what;
    }
}

TEST(ChildFile, TheSameChildTakenTwiceHasNoLineTwiceAndTheParentChoosesWhoseProgress) {
    Home home;
    Device tablet;
    ASSERT_EQ(TakeChildFile(tablet.content, tablet.list, tablet.family, Read(home.PackOlya()), {}, Counter(5)).err, 0);
    tablet.Reload();
    // Both go on playing, each on their own device.
    tablet.dir.Write("Child3.cnf", "30");
    tablet.dir.Write("Child3.log", tablet.dir.Read("Child3.log") + Line(20) + Line(21));
    home.dir.Write("Child3.log", home.dir.Read("Child3.log") + Line(19) + Line(22));
    home.dir.Write("Child3.cnf", "25");
    home.list.children[static_cast<std::size_t>(home.olya)].way = WordWay::HardOften;
    const ChildBundle again = Read(home.PackOlya());
    EXPECT_EQ(SameChildren(again, tablet.list), std::vector<int>{2});
    const std::multiset<std::string> all = LinesOf(Record({1, 2, 3, 19, 20, 21, 22}));

    struct Case {
        SameChildChoice choice;
        const char* progress;
        WordWay way;
    } cases[] = {{SameChildChoice::KeepHere, "30", WordWay::KnownOnly}, {SameChildChoice::TakeFile, "25", WordWay::HardOften}};
    for (const Case& c : cases) {
        Device copy;
        for (const auto& [name, bytes] : tablet.Files()) copy.dir.Write(name, bytes);
        copy.Reload();
        const TakeResult r = TakeChildFile(copy.content, copy.list, copy.family, again, {c.choice}, Counter(9));
        ASSERT_EQ(r.err, 0);
        EXPECT_EQ(r.joined, std::vector<std::string>{Cp("Оля")});
        EXPECT_TRUE(r.added.empty());
        copy.Reload();
        ASSERT_EQ(copy.list.children.size(), 3u);
        EXPECT_EQ(copy.dir.Read("Child3.cnf"), c.progress);
        EXPECT_EQ(copy.list.children[2].way, c.way);
        const std::string record = copy.dir.Read("Child3.log");
        EXPECT_EQ(LinesOf(record), all);
        EXPECT_EQ(record, MergeRecordTexts(record, "", 1 << 20));  // in time order, one header
        // The same file a third time: nothing new, nothing twice.
        ASSERT_EQ(TakeChildFile(copy.content, copy.list, copy.family, again, {c.choice}, Counter(9)).err, 0);
        EXPECT_EQ(copy.dir.Read("Child3.log"), record);
        // The family word already here is left as it is.
        EXPECT_EQ(copy.family.words.size(), 1u);
    }
}

TEST(ChildFile, FamilyWordsAndVoicesThatWouldReplaceOnesHereAreNamedAndLeftOut) {
    Home home;
    home.AddWord("ПАПА", 31, clPurple, false);
    home.AddWord("ДЕДА", 32, clGreen, true);
    Device tablet;
    tablet.AddWord("КИСА", 30, clYellow, true);  // МАМА's line holds another word here
    tablet.AddWord("ДЕДА", 40, clGreen, false);  // the same word, on a line of its own
    tablet.dir.Write("Голоса семьи/Letters/1.wav", Voice(220));
    const auto before = tablet.Files();
    const TakeResult r = TakeChildFile(tablet.content, tablet.list, tablet.family, Read(home.PackOlya()), {}, Counter(3));
    ASSERT_EQ(r.err, 0);
    EXPECT_EQ(r.skippedWords, std::vector<std::string>{Cp("МАМА")});
    EXPECT_EQ(r.skippedVoices, std::vector<std::string>{Cp("А")});
    tablet.Reload();
    EXPECT_EQ(tablet.family.AtLine(30)->word, Cp("КИСА"));
    EXPECT_EQ(tablet.family.AtLine(31)->word, Cp("ПАПА"));
    EXPECT_EQ(tablet.family.Find(Cp("ДЕДА"))->line, 40);
    EXPECT_EQ(tablet.family.words.size(), 3u);
    for (const char* kept : {"subjects/КИСА.bmp", "Голоса семьи/Words/КИСА.wav", "subjects/ДЕДА.bmp", "Голоса семьи/Letters/1.wav"})
        EXPECT_EQ(tablet.dir.Read(kept), before.at(kept)) << kept;
    EXPECT_EQ(tablet.dir.Read("subjects/ПАПА.bmp"), home.dir.Read("subjects/ПАПА.bmp"));
    EXPECT_FALSE(tablet.dir.Exists("subjects/МАМА.bmp"));
    EXPECT_FALSE(tablet.dir.Exists("Голоса семьи/Words/МАМА.wav"));
    // A word already here gets the recording it lacked; never one over its own.
    EXPECT_FALSE(tablet.dir.Exists("Голоса семьи/Words/ДЕДА.wav"));
}

TEST(ChildFile, RestoringEverythingPutsTheGirlAndBoyInTheirPlacesUnlessTheyHavePlayedHere) {
    Home home;
    home.dir.Write("Confis.log", Record({30}));
    const ChildBundle all = Read(PackAll(home.content, home.list, Counter(50)));
    EXPECT_EQ(all.kind, ChildBundle::Kind::All);
    ASSERT_EQ(all.children.size(), 3u);
    EXPECT_TRUE(all.withFamily);

    // A new computer: the three in their places, the girl's and boy's files theirs again.
    Device fresh;
    TakeResult r = TakeChildFile(fresh.content, fresh.list, fresh.family, all, {}, Counter(1));
    ASSERT_EQ(r.err, 0);
    EXPECT_EQ(r.added, (std::vector<std::string>{Cp("Девочка"), Cp("Мальчик"), Cp("Оля")}));
    fresh.Reload();
    ASSERT_EQ(fresh.list.children.size(), 3u);
    EXPECT_EQ(fresh.list.children[0].name, "");  // still the girl as she came, by another word
    EXPECT_EQ(fresh.dir.Read("Confif.cnf"), "9");
    EXPECT_EQ(fresh.dir.Read("Confis.log"), Record({30}));
    EXPECT_EQ(fresh.dir.Read("Child3.cnf"), "23");
    EXPECT_EQ(SameChildren(all, fresh.list), (std::vector<int>{0, 1, 2}));

    // A kindergarten's tablet whose girl has played: the file's girl comes as a new child.
    Device kindergarten;
    kindergarten.dir.Write("Confif.cnf", "3");
    r = TakeChildFile(kindergarten.content, kindergarten.list, kindergarten.family, all, {}, Counter(1));
    ASSERT_EQ(r.err, 0);
    kindergarten.Reload();
    ASSERT_EQ(kindergarten.list.children.size(), 4u);
    EXPECT_EQ(kindergarten.dir.Read("Confif.cnf"), "3");
    EXPECT_EQ(kindergarten.list.children[2].name, Cp("Девочка"));
    EXPECT_EQ(kindergarten.dir.Read(kindergarten.list.children[2].progressFile), "9");
    EXPECT_EQ(kindergarten.dir.Read("Confis.log"), Record({30}));  // the boy had not played: his place
}

TEST(ChildFile, AFullGroupNamesTheChildrenItHasNoRoomFor) {
    Home home;
    const ChildBundle all = Read(PackAll(home.content, home.list, Counter(50)));
    Device group;
    while (static_cast<int>(group.list.children.size()) < kMaxChildren - 1) group.list.Add(Cp("Ваня"), 3, {}, Counter(static_cast<std::uint32_t>(group.list.children.size() * 7)));
    group.list.GiveId(0, Counter(900));  // the girl and boy are the group's own
    group.list.GiveId(1, Counter(901));
    ASSERT_EQ(group.list.Save(group.dir.Path()), 0);
    const TakeResult r = TakeChildFile(group.content, group.list, group.family, all, {}, Counter(1));
    ASSERT_EQ(r.err, 0);
    EXPECT_EQ(r.added, std::vector<std::string>{Cp("Девочка")});
    EXPECT_EQ(r.notAdded, (std::vector<std::string>{Cp("Мальчик"), Cp("Оля")}));
    group.Reload();
    EXPECT_EQ(static_cast<int>(group.list.children.size()), kMaxChildren);
}

namespace {

// A zip of the entries as a stranger's tool might make it, names as given.
std::string Zip(const std::vector<std::pair<std::string, std::string>>& entries, int level = Z_DEFAULT_COMPRESSION) {
    TempDir dir;
    const std::string file = (dir.Path() / "x.zip").string();
    zipFile z = zipOpen64(file.c_str(), APPEND_STATUS_CREATE);
    for (const auto& [name, bytes] : entries) {
        zip_fileinfo info{};
        zipOpenNewFileInZip4_64(z, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, level, 0, -MAX_WBITS,
                                DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, 0, 1u << 11, 0);
        zipWriteInFileInZip(z, bytes.data(), static_cast<unsigned>(bytes.size()));
        zipCloseFileInZip(z);
    }
    zipClose(z, nullptr);
    return dir.Read("x.zip");
}

std::string Manifest(const std::string& childLine = "child\tchildren/1/\t0123456789abcdef\tОля\t3\tподряд\t\tChild3.cnf\n",
                     const char* family = "no") {
    return "timburik-children 1\nkind\tchild\n" + childLine + "family\t" + family + "\n";
}

// Every header's claim of the entries' inflated size made `size`.
void Declare(std::string& zip, std::uint32_t size) {
    auto put = [&](std::size_t at) {
        for (int i = 0; i < 4; ++i) zip[at + i] = static_cast<char>((size >> (8 * i)) & 0xFF);
    };
    for (std::size_t at = 0; at + 46 < zip.size(); ++at) {
        const std::uint32_t sig = Get32(zip, at);
        if (sig == 0x04034b50u) put(at + 22);
        if (sig == 0x02014b50u) put(at + 24);
    }
}

}  // namespace

TEST(ChildFile, HostileFilesAreRefusedInRussianWithNothingWritten) {
    const std::string good = Manifest();
    std::string lying = Zip({{"manifest.txt", good}, {"children/1/Child3.log", std::string(20u << 20, 'a')}});
    Declare(lying, 1000);  // says a thousand bytes, inflates to twenty megabytes
    std::string huge = Zip({{"manifest.txt", good}, {"children/1/Child3.cnf", "5"}});
    Declare(huge, 0x80000000u);
    // The end record claiming sixty thousand entries.
    std::string crowded = Zip({{"manifest.txt", good}});
    const std::size_t end = crowded.rfind("PK\5\6");
    crowded[end + 8] = crowded[end + 10] = static_cast<char>(0x60);
    crowded[end + 9] = crowded[end + 11] = static_cast<char>(0xEA);
    const PackedFile real = Home().PackOlya();
    std::string flipped = real.bytes;
    flipped[flipped.size() / 2] ^= 0x55;

    struct Case {
        const char* what;
        std::string bytes;
        const char* says;  // a part of the problem's text
    } cases[] = {
        {"garbage", "это не zip, а письмо бабушке", "это не файл Тимбурика"},
        {"empty", "", "это не файл Тимбурика"},
        {"truncated", real.bytes.substr(0, real.bytes.size() * 2 / 3), "это не файл Тимбурика"},
        {"a flipped byte", flipped, "повреждён"},
        {"a path up and out", Zip({{"manifest.txt", good}, {"children/1/../../../evil.cnf", "1"}}), "быть не может"},
        {"an absolute path", Zip({{"manifest.txt", good}, {"/etc/passwd", "1"}}), "быть не может"},
        {"a backslash", Zip({{"manifest.txt", good}, {"children\\1\\Child3.cnf", "1"}}), "быть не может"},
        {"a drive letter", Zip({{"manifest.txt", good}, {"C:/Child3.cnf", "1"}}), "быть не может"},
        {"a file the manifest does not name", Zip({{"manifest.txt", good}, {"children/2/Child4.cnf", "1"}}), "быть не может"},
        {"a folder entry", Zip({{"manifest.txt", good}, {"children/1/", ""}}), "быть не может"},
        {"a 2 GB entry", huge, "больше, чем бывает"},
        {"sixty thousand entries", crowded, "слишком много файлов"},
        {"a lying header", lying, "повреждён"},
        {"a bomb past the bound", Zip({{"manifest.txt", good}, {"children/1/Child3.log", std::string(9u << 20, 'a')}}),
         "больше, чем бывает"},
        {"a bomb within the bound", Zip({{"manifest.txt", good}, {"children/1/Child3.log", std::string(6u << 20, 'a')}}),
         "больше, чем бывает"},
        {"no manifest", Zip({{"children/1/Child3.cnf", "1"}}), "это не файл Тимбурика"},
        {"a manifest of another program", Zip({{"manifest.txt", "Manifest-Version: 1.0\n"}}), "это не файл Тимбурика"},
        {"a newer version", Zip({{"manifest.txt", "timburik-children 2\n"}}), "новой версией"},
        {"a manifest cut short", Zip({{"manifest.txt", good.substr(0, good.size() - 10)}}), "описание детей"},
        {"a manifest line without its fields", Zip({{"manifest.txt", Manifest("child\tchildren/1/\tОля\n")}}), "описание детей"},
        {"an id that is none", Zip({{"manifest.txt", Manifest("child\tchildren/1/\tXYZ\tОля\t3\tподряд\t\tChild3.cnf\n")}}),
         "описание детей"},
        {"a portrait there is not", Zip({{"manifest.txt", Manifest("child\tchildren/1/\t0123456789abcdef\tОля\t99\tподряд\t\tChild3.cnf\n")}}),
         "описание детей"},
        {"a progress file named as a path",
         Zip({{"manifest.txt", Manifest("child\tchildren/1/\t0123456789abcdef\tОля\t3\tподряд\t\t../x.cnf\n")}}), "описание детей"},
        {"two children in a child's file",
         Zip({{"manifest.txt", Manifest("child\tchildren/1/\t0123456789abcdef\tОля\t3\tподряд\t\tChild3.cnf\n"
                                        "child\tchildren/2/\t0123456789abcdee\tАня\t3\tподряд\t\tChild4.cnf\n")}}),
         "описание детей"},
        {"a manifest not in UTF-8", Zip({{"manifest.txt", Manifest("child\tchildren/1/\t0123456789abcdef\t\xCE\xEB\xFF\t3\tподряд\t\tChild3.cnf\n")}}),
         "описание детей"},
        {"a score that is no number", Zip({{"manifest.txt", good}, {"children/1/Child3.cnf", "много"}}), "число слов"},
        {"a record that is no record", Zip({{"manifest.txt", good}, {"children/1/Child3.log", "PK\3\4 binary\n\x01\x02\nmore\n"}}),
         "запись занятий"},
        {"a family without its note", Zip({{"manifest.txt", Manifest("child\tchildren/1/\t0123456789abcdef\tОля\t3\tподряд\t\tChild3.cnf\n", "yes")}}),
         "слов семьи"},
        {"a picture that is no picture",
         Zip({{"manifest.txt", Manifest("child\tchildren/1/\t0123456789abcdef\tОля\t3\tподряд\t\tChild3.cnf\n", "yes")},
              {"family/family.txt", "МАМА\t30\tКОЗА\n"},
              {"family/subjects/МАМА.bmp", "BM not really"}}),
         "картинка слова"},
        {"a word without its picture",
         Zip({{"manifest.txt", Manifest("child\tchildren/1/\t0123456789abcdef\tОля\t3\tподряд\t\tChild3.cnf\n", "yes")},
              {"family/family.txt", "МАМА\t30\tКОЗА\n"}}),
         "нет картинки"},
        {"a voice that is no voice",
         Zip({{"manifest.txt", Manifest("child\tchildren/1/\t0123456789abcdef\tОля\t3\tподряд\t\tChild3.cnf\n", "yes")},
              {"family/family.txt", ""},
              {"family/Голоса семьи/Letters/1.wav", "RIFF...."}}),
         "голоса для буквы"},
        {"a picture of a word the note does not have",
         Zip({{"manifest.txt", Manifest("child\tchildren/1/\t0123456789abcdef\tОля\t3\tподряд\t\tChild3.cnf\n", "yes")},
              {"family/family.txt", ""},
              {"family/subjects/МАМА.bmp", PictureBytes(clRed)}}),
         "быть не может"},
        {"a word that would name a path",
         Zip({{"manifest.txt", Manifest("child\tchildren/1/\t0123456789abcdef\tОля\t3\tподряд\t\tChild3.cnf\n", "yes")},
              {"family/family.txt", "../МАМА\t30\tКОЗА\n"}}),
         "слов семьи"},
    };
    for (const Case& c : cases) {
        const ChildFileRead r = ReadChildFile(c.bytes, GameReaders());
        EXPECT_TRUE(r.problem.starts_with(Cp("Файл не читается: "))) << c.what << ": " << Cp1251ToUtf8(r.problem);
        EXPECT_NE(r.problem.find(Cp(c.says)), std::string::npos) << c.what << ": " << Cp1251ToUtf8(r.problem);
        EXPECT_EQ(r.bundle.kind, ChildBundle::Kind::None) << c.what;
        // Handed on regardless, the bundle writes nothing.
        Home tablet;
        const auto before = tablet.Files();
        const TakeResult t = TakeChildFile(tablet.content, tablet.list, tablet.family, r.bundle, {}, Counter(1));
        EXPECT_NE(t.err, 0) << c.what;
        EXPECT_EQ(tablet.Files(), before) << c.what;
    }
    // A file with the same names the game makes, made by another zip tool, reads.
    EXPECT_EQ(ReadChildFile(Zip({{"manifest.txt", good}, {"children/1/Child3.cnf", "5"}}), GameReaders()).problem, "");
    // Without readers to vouch for the pictures, none is taken.
    EXPECT_NE(ReadChildFile(real.bytes, ChildFileChecks{}).problem, "");
}

TEST(ChildFile, AFileFromAPathIsRefusedBeforeItIsReadWhenTooBig) {
    TempDir dir;
    EXPECT_EQ(ReadChildFileFrom(dir.Path() / "нет.timburik", GameReaders()).problem,
              Cp("Файл не читается: его больше нет на месте."));
    {
        std::ofstream big(dir.Path() / "big.timburik", std::ios::binary);
        big.seekp(static_cast<std::streamoff>(kMaxChildFileBytes) + 1);
        big.put('\0');
    }
    EXPECT_NE(ReadChildFileFrom(dir.Path() / "big.timburik", GameReaders()).problem.find(Cp("больше 256 МБ")), std::string::npos);
    const PackedFile p = Home().PackOlya();
    dir.Write("Оля.timburik", p.bytes);
    EXPECT_EQ(ReadChildFileFrom(dir.Path() / PathFromUtf8("Оля.timburik"), GameReaders()).problem, "");
}

namespace {

// A file's bytes in a folder's listing; empty when it is not there.
std::string At(const std::map<std::string, std::string>& files, const std::string& name) {
    const auto it = files.find(name);
    return it == files.end() ? std::string() : it->second;
}


// The tablet the file goes to: Оля's girl-friend is there already as the same girl (same id,
// her own play), and a family word of its own; the file brings the girl, the boy and Оля.
struct Trip {
    Home home;
    ChildBundle bundle;
    Trip() {
        home.list.GiveId(0, Counter(77));
        home.list.Save(home.dir.Path());
        bundle = Read(PackAll(home.content, home.list, Counter(50)));
    }
    void SetUp(Device& tablet) const {
        tablet.list.children[0].id = home.list.children[0].id;
        tablet.list.Save(tablet.dir.Path());
        tablet.dir.Write("Confif.cnf", "4");
        tablet.dir.Write("Confif.log", Record({5, 10, 12}));
        tablet.dir.Write("Confis.cnf", "2");  // the boy here has played: the file's comes as new
        tablet.AddWord("КИСА", 35, clYellow, true);
        tablet.Reload();
    }
    std::vector<SameChildChoice> Choices() const { return {SameChildChoice::TakeFile}; }
};

}  // namespace

TEST(ChildFile, EveryWriteFailingInTurnLeavesTheListAndScoresAsTheyWereAndATryAgainFinishes) {
    const Trip trip;
    Device straight;
    trip.SetUp(straight);
    ASSERT_EQ(TakeChildFile(straight.content, straight.list, straight.family, trip.bundle, trip.Choices(), Counter(1)).err, 0);
    const auto done = straight.Files();

    int failAt = 1;
    for (;; ++failAt) {
        ASSERT_LT(failAt, 100);
        Device tablet;
        trip.SetUp(tablet);
        const auto before = tablet.Files();
        FaultyStore store;
        store.failAt = failAt;
        const TakeResult r = TakeChildFile(tablet.content, tablet.list, tablet.family, trip.bundle, trip.Choices(), Counter(1), store);
        if (r.err == 0) break;
        EXPECT_EQ(r.err, ENOSPC) << failAt;
        EXPECT_FALSE(r.file.empty()) << failAt;
        const auto after = tablet.Files();
        // The list and every score as they were; no child's file left over; no change half made.
        for (const char* f : {"children.txt", "Confif.cnf", "Confis.cnf"}) EXPECT_EQ(after.at(f), before.at(f)) << failAt << f;
        for (const auto& [name, bytes] : after) EXPECT_FALSE(name.starts_with("Child")) << failAt << name;
        EXPECT_FALSE(after.count("family-pending.txt")) << failAt;
        // The girl's record as it was, or joined: never a line twice.
        const std::multiset<std::string> lines = LinesOf(after.at("Confif.log"));
        EXPECT_TRUE(lines == LinesOf(before.at("Confif.log")) || lines == LinesOf(done.at("Confif.log"))) << failAt;
        EXPECT_EQ(tablet.list.Text(), before.at("children.txt")) << failAt;
        // The parent presses again once there is room: the same as if nothing had failed.
        tablet.Reload();
        ASSERT_EQ(TakeChildFile(tablet.content, tablet.list, tablet.family, trip.bundle, trip.Choices(), Counter(1)).err, 0);
        EXPECT_EQ(tablet.Files(), done) << failAt;
    }
    EXPECT_GT(failAt, 8);  // the words, the voices, the children's files and the list each failed once
}

TEST(ChildFile, ACrashAfterAnyWriteLeavesEveryListedChildWholeAndATryAgainFinishes) {
    const Trip trip;
    Device straight;
    trip.SetUp(straight);
    ASSERT_EQ(TakeChildFile(straight.content, straight.list, straight.family, trip.bundle, trip.Choices(), Counter(1)).err, 0);
    const auto done = straight.Files();

    int crashAfter = 1;
    for (;; ++crashAfter) {
        ASSERT_LT(crashAfter, 100);
        Device tablet;
        trip.SetUp(tablet);
        const auto before = tablet.Files();
        FaultyStore store;
        store.crashAfter = crashAfter;
        try {
            TakeChildFile(tablet.content, tablet.list, tablet.family, trip.bundle, trip.Choices(), Counter(1), store);
            break;
        } catch (const Crash&) {
        }
        // The next start settles the family's change and reads the list.
        SettleFamilyChanges(tablet.content);
        tablet.Reload();
        const auto after = tablet.Files();
        const bool listWritten = after.at("children.txt") != before.at("children.txt");
        EXPECT_EQ(after.at("children.txt"), listWritten ? done.at("children.txt") : before.at("children.txt")) << crashAfter;
        // Each listed child's score is its own from before or the one it was to have; a child
        // new to the list has its files.
        for (const Child& c : tablet.list.children) {
            const std::string& f = c.progressFile;
            EXPECT_TRUE(At(after, f) == At(before, f) || At(after, f) == At(done, f)) << crashAfter << f;
        }
        EXPECT_FALSE(after.count("family-pending.txt")) << crashAfter;
        for (const FamilyWord& w : tablet.family.words)
            EXPECT_TRUE(tablet.dir.Exists("subjects/" + Cp1251ToUtf8(w.word) + ".bmp")) << crashAfter;
        // Pressed again: every child as a take without the crash leaves them. A new child's
        // files the crash left unlisted are nobody's, and kept: the child gets the next number.
        ASSERT_EQ(TakeChildFile(tablet.content, tablet.list, tablet.family, trip.bundle, trip.Choices(), Counter(1)).err, 0);
        tablet.Reload();
        ASSERT_EQ(tablet.list.children.size(), straight.list.children.size()) << crashAfter;
        for (std::size_t i = 0; i < tablet.list.children.size(); ++i) {
            const Child &a = tablet.list.children[i], &b = straight.list.children[i];
            EXPECT_EQ(std::tie(a.id, a.name, a.portrait, a.way), std::tie(b.id, b.name, b.portrait, b.way)) << crashAfter;
            EXPECT_EQ(tablet.dir.Read(a.progressFile), At(done, b.progressFile)) << crashAfter;
            EXPECT_EQ(tablet.dir.Read(a.RecordFile()), At(done, b.RecordFile())) << crashAfter;
        }
        // The family's words with who has met them, by this list's names; no one else.
        ASSERT_EQ(tablet.family.words.size(), straight.family.words.size()) << crashAfter;
        const int olya = tablet.list.IndexOfId(trip.home.list.children[static_cast<std::size_t>(trip.home.olya)].id);
        ASSERT_GE(olya, 0);
        EXPECT_EQ(tablet.family.Find(Cp("МАМА"))->metBy, std::vector<std::string>{tablet.list.children[olya].progressFile})
            << crashAfter;
    }
    EXPECT_GT(crashAfter, 8);
}

TEST(ChildFile, FileNamesForTheChildAndForEveryone) {
    struct Case {
        const char* file;
        const char* name;
        const char* expected;
    } cases[] = {
        {"Child3.cnf", "Оля", "Тимбурик - Оля.timburik"},
        {"Confif.cnf", "", "Тимбурик - Девочка.timburik"},
        {"Confis.cnf", "", "Тимбурик - Мальчик.timburik"},
        {"Child4.cnf", "", "Тимбурик - Ребёнок.timburik"},
        {"Child5.cnf", "Аня/Ваня: \"дети\"", "Тимбурик - Аня_Ваня_ _дети_.timburik"},  // a list edited by hand
    };
    for (const Case& c : cases) {
        Child child;
        child.progressFile = c.file;
        child.name = Cp(c.name);
        EXPECT_EQ(ChildFileName(child), c.expected);
    }
    EXPECT_EQ(AllChildrenFileName(), "Тимбурик - все дети.timburik");
}
