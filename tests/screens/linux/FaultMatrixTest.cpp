// The fault matrix: outside files going wrong at each moment the game reads or writes them,
// on the headless host; the game must keep running, say the right thing and keep the score.
//
// Cells other tests already hold are left out here: a word list missing or a directory, a
// cover or subject picture missing at start-up, a subject missing at the forward click
// (StartupTest, FlowTest); saves failing over an existing progress file (FailedSaveTest); the
// lenient number reader (ProfilesTest).
#include <sys/fsuid.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "assets/Assets.h"
#include "platform/toolkit/Text1251.h"
#include "tests/screens/GameFixture.h"
#include "tests/support/PeakMemory.h"

namespace {

constexpr const char* kCover = "pz91.bmp";
constexpr const char* kLetterK = "Morvadel/Буквы/one1/12.bmp";  // К, the first letter of КОТ
constexpr const char* kSubject = "subjects/КОТ.bmp";

enum class Moment { StartUp, ForwardClick };
enum class Fault { Missing, Empty, Truncated, HugeHeader, JpegRenamed, PngRenamed, Directory };
constexpr Fault kFaults[] = {Fault::Missing,     Fault::Empty,      Fault::Truncated, Fault::HugeHeader,
                             Fault::JpegRenamed, Fault::PngRenamed, Fault::Directory};

// A 1 x 1 PNG as an image editor saves it.
const std::string kPng(
    "\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x00\x01\x00\x00\x00"
    "\x01\x08\x02\x00\x00\x00\x90\x77\x53\xDE\x00\x00\x00\x0C\x49\x44\x41\x54\x78\x9C\x63\xF8\xCF"
    "\xC0\x00\x00\x03\x01\x01\x00\xC9\xFE\x92\xEF\x00\x00\x00\x00\x49\x45\x4E\x44\xAE\x42\x60\x82",
    69);

std::string AssetBytes(const char* name) {
    const EmbeddedFile f = FindAsset(name);
    return {reinterpret_cast<const char*>(f.data), f.size};
}

// Replaces a good picture file by the fault; returns the good bytes so it can be put back.
std::string Break(const TempDir& dir, const std::string& file, Fault fault) {
    const std::string good = dir.Read(file);
    std::filesystem::remove(dir.Path() / file);
    switch (fault) {
        case Fault::Missing: break;
        case Fault::Empty: dir.Write(file, ""); break;
        case Fault::Truncated: dir.Write(file, good.substr(0, good.size() / 2)); break;
        case Fault::HugeHeader: {
            std::string claims = good;
            for (std::size_t at : {18u, 22u}) {  // width, height: 100000 each
                claims[at] = '\xA0';
                claims[at + 1] = '\x86';
                claims[at + 2] = '\x01';
                claims[at + 3] = '\0';
            }
            dir.Write(file, claims);
            break;
        }
        case Fault::JpegRenamed: dir.Write(file, AssetBytes("imgGrimaska.jpg")); break;
        case Fault::PngRenamed: dir.Write(file, kPng); break;
        case Fault::Directory: std::filesystem::create_directory(dir.Path() / file); break;
    }
    return good;
}

std::string MessageFor(const TempDir& dir, const std::string& file, Fault fault) {
    const std::string cannotOpen = "Cannot open file \"" + (dir.Path() / file).string() + "\". ";
    switch (fault) {
        case Fault::Missing: return Utf8ToCp1251(cannotOpen + "No such file or directory.");
        case Fault::Directory: return Utf8ToCp1251(cannotOpen + "Is a directory.");
        default: return "Bitmap image is not valid.";
    }
}

// What the first word's range of the word list says without a single word in it.
const std::string kNoFirstWord =
    Cp("В списке слов Words.str в строках с 1 по 62 (откуда берётся первое слово) нет ни одного слова из русских букв.");

struct PictureCase {
    Moment moment;
    const char* file;
    Fault fault;
};

std::vector<PictureCase> PictureCases() {
    std::vector<PictureCase> cases;
    for (Fault f : kFaults) {
        // The cover is read at start-up only; the forward click reads letters and subject.
        if (f != Fault::Missing) cases.push_back({Moment::StartUp, kCover, f});
        cases.push_back({Moment::StartUp, kLetterK, f});
        if (f != Fault::Missing) cases.push_back({Moment::StartUp, kSubject, f});
        cases.push_back({Moment::ForwardClick, kLetterK, f});
        if (f != Fault::Missing) cases.push_back({Moment::ForwardClick, kSubject, f});
    }
    return cases;
}

std::string CaseName(const ::testing::TestParamInfo<PictureCase>& info) {
    static const char* const faults[] = {"Missing",     "Empty",      "Truncated", "HugeHeader",
                                         "JpegRenamed", "PngRenamed", "Directory"};
    const PictureCase& c = info.param;
    const std::string file = c.file == kCover ? "Cover" : c.file == kLetterK ? "Letter" : "Subject";
    return std::string(c.moment == Moment::StartUp ? "StartUp" : "ForwardClick") + "_" + file + "_" +
           faults[static_cast<int>(c.fault)];
}

void PrintTo(const PictureCase& c, std::ostream* os) { *os << CaseName({c, 0}); }

// File permission checks as an ordinary user would meet them, for this thread: CI runs as
// root, who may read a file whose mode forbids it.
class AsOrdinaryUser {
public:
    explicit AsOrdinaryUser(const TempDir& dir) {
        if (geteuid() != 0) {
            active_ = true;
            return;
        }
        // The test directory is root's alone; the user must be able to reach the files in it.
        ::chmod(dir.Path().c_str(), 0755);
        ::setfsuid(kNobody);
        switched_ = active_ = ::setfsuid(static_cast<uid_t>(-1)) == kNobody;
    }
    ~AsOrdinaryUser() {
        if (switched_) ::setfsuid(0);
    }
    AsOrdinaryUser(const AsOrdinaryUser&) = delete;
    AsOrdinaryUser& operator=(const AsOrdinaryUser&) = delete;
    bool Active() const { return active_; }

private:
    static constexpr uid_t kNobody = 65534;
    bool active_ = false;
    bool switched_ = false;
};

}  // namespace

class FaultTest : public GameTest {
protected:
    // The play screen's board, as the next frame shows it (the board is painted lazily).
    TColor BoardAt(int boardX, int y) { return W().ComposeFrame().ColorAt(WX(boardX), y); }

    // Answers Yes to the exit question; true when the game closed.
    bool Exit() {
        host.answers.push_back(HeadlessHost::Answer::Yes);
        ClickOn(form->btExit);
        return W().Closed();
    }

    void TearDown() override {
        form.reset();
        if (mounted_) ::umount2(dir.Path().c_str(), MNT_DETACH);
    }

    // A small tmpfs over the test directory, when running as root; false otherwise.
    bool MountTmpfs() {
        if (geteuid() != 0) return false;
        mounted_ = ::mount("tmpfs", dir.Path().c_str(), "tmpfs", 0, "size=1m") == 0;
        return mounted_;
    }

    void FillDisk() {
        std::ofstream filler(dir.Path() / "filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), static_cast<std::streamsize>(block.size()))) {
        }
    }

private:
    bool mounted_ = false;
};

// --- Pictures: at start-up and at the forward click ---------------------------------------

class PictureFaultTest : public FaultTest, public ::testing::WithParamInterface<PictureCase> {};

TEST_P(PictureFaultTest, IsShownAndTheGameGoesOnWithTheScoreKept) {
    const PictureCase c = GetParam();
    WriteContent(dir, Repeat("КОТ"));
    dir.Write("Confif.cnf", "20");
    std::string good;
    if (c.moment == Moment::StartUp) {
        good = Break(dir, c.file, c.fault);
        Open();
        EXPECT_TRUE(form->imgVybor.Visible() && form->ImgA.Visible() && form->imgE.Visible());
        Play();
        EXPECT_EQ(form->session.Score, 20);
    } else {
        Open();
        Play();
        SolveWord();
        good = Break(dir, c.file, c.fault);
        ClickOn(form->img_control_forward);
        // The forward picture stays for another try; the word just solved still counts.
        EXPECT_TRUE(form->img_control_forward.Visible());
        EXPECT_EQ(form->session.Score, 21);
    }
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], MessageFor(dir, c.file, c.fault));

    // Nothing of a half-built puzzle is left to draw: no tiles, no cells.
    EXPECT_EQ(B().LetterCount, 0);
    EXPECT_EQ(BoardAt(700, kTopRowY + 45), clGreen);
    EXPECT_EQ(BoardAt(700, kSlotRowY + 45), clGreen);

    if (c.moment == Moment::ForwardClick) {
        // Once the file is mended, the same picture brings the next word.
        std::filesystem::remove_all(dir.Path() / c.file);
        dir.Write(c.file, good);
        ClickOn(form->img_control_forward);
        EXPECT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(B().LetterCount, 3);
        EXPECT_FALSE(form->img_control_forward.Visible());
    }
    EXPECT_TRUE(Exit());
    EXPECT_EQ(dir.Read("Confif.cnf"), c.moment == Moment::StartUp ? "20" : "21");
}

INSTANTIATE_TEST_SUITE_P(Matrix, PictureFaultTest, ::testing::ValuesIn(PictureCases()), CaseName);

// --- The word list, read once at start-up ---------------------------------------------------

TEST_F(FaultTest, AnUnreadableWordListIsDenied) {
    WriteContent(dir, Repeat("КОТ"));
    dir.Write("Confif.cnf", "20");
    ::chmod((dir.Path() / "Words.str").c_str(), 0);
    {
        const AsOrdinaryUser user(dir);
        if (!user.Active()) GTEST_SKIP() << "running as root without the right to act as another user";
        Open();
    }
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], "File access denied.");
    EXPECT_EQ(B().LetterCount, 0);
    Play();
    EXPECT_TRUE(Exit());
    EXPECT_EQ(dir.Read("Confif.cnf"), "20");
}

TEST_F(FaultTest, AnEmptyWordListSaysSoInsteadOfDrawingAnEmptyWord) {
    WriteContent(dir, Repeat("КОТ"));
    dir.Write("Words.str", "");
    Open();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], kNoFirstWord);
    EXPECT_EQ(form->Words.linesRead, 0);
    Play("20");
    EXPECT_EQ(BoardAt(700, kSlotRowY + 45), clGreen);
    EXPECT_TRUE(Exit());
    EXPECT_EQ(dir.Read("Confif.cnf"), "20");
}

TEST_F(FaultTest, ANoisyWordListKeepsItsEntriesShortAndTheGameUp) {
    WriteContent(dir, Repeat("КОТ"));
    std::string noise;
    std::uint32_t seed = 1;
    for (int i = 0; i < 8192; ++i) {
        seed = seed * 134775813u + 1;
        noise += static_cast<char>(seed >> 24);
    }
    dir.Write("Words.str", noise);
    Open();
    ASSERT_LE(form->Words.linesRead, kWordCount);
    for (const std::string& entry : form->Words.entries) EXPECT_LE(entry.size(), 20u);
    // Fewer than 62 lines, none of them a word of Russian capitals.
    ASSERT_LT(form->Words.linesRead, 62);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], kNoFirstWord);
    Play("20");
    EXPECT_TRUE(Exit());
    EXPECT_EQ(dir.Read("Confif.cnf"), "20");
}

TEST_F(FaultTest, AHundredMegabyteLineIsReadWithoutHoldingIt) {
    const std::string twenty(20, Cp("А")[0]);
    WriteContent(dir, Repeat("КОТ"));
    {
        std::ofstream words(dir.Path() / "Words.str", std::ios::binary | std::ios::trunc);
        const std::string block(1 << 20, Cp("А")[0]);
        for (int mb = 0; mb < 100; ++mb) words.write(block.data(), static_cast<std::streamsize>(block.size()));
        ASSERT_TRUE(words.good());
    }
    // Both words the first draw can give have their subject: the one long entry and the empty ones.
    dir.Write("subjects/" + Cp1251ToUtf8(twenty) + ".bmp", EncodeBmp24(SolidPicture(200, 200, kSubjectColour)));
    dir.Write("subjects/.bmp", EncodeBmp24(SolidPicture(200, 200, kSubjectColour)));

    const PeakMemoryGrowth growth;
    Open();
    if (growth.Valid()) {
        EXPECT_LT(growth.Kb(), 32 * 1024);
    }
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(form->Words.linesRead, 1);
    EXPECT_EQ(form->Words.entries[1], twenty);
    Play("20");
    EXPECT_TRUE(Exit());
    EXPECT_EQ(dir.Read("Confif.cnf"), "20");
}

// --- Progress files: read at the profile click, written at exit ------------------------------

TEST_F(FaultTest, ProgressFilesOfEveryKindOfBadContent) {
    struct Case {
        const char* what;
        std::string content;
        int score;  // -1: "Invalid numeric input"
    };
    const std::vector<Case> cases = {
        {"NUL bytes count as blanks", std::string("\0\0 27", 5), 27},
        {"a NUL ends the number", std::string("27\0\xFF", 4), 27},
        {"UTF-16 with its mark", std::string("\xFF\xFE" "2\0" "7\0", 6), -1},
        {"UTF-8 with its mark", "\xEF\xBB\xBF" "27", -1},
        {"only the first 32 characters count", std::string(38, '0') + "27", 0},
        {"a picture saved under the name", kPng, -1},
        {"16 MB of line ends before the number", std::string(16 << 20, '\n') + "27", 27},
        {"a megabyte of digits", std::string(1 << 20, '7'), -1},
    };
    Start();
    for (const Case& c : cases) {
        host.messages.clear();
        dir.Write("Confif.cnf", c.content);
        ChooseGirl();
        if (c.score >= 0) {
            EXPECT_TRUE(host.messages.empty()) << c.what;
            EXPECT_EQ(form->session.Score, c.score) << c.what;
            EXPECT_TRUE(form->lblWhite.Visible()) << c.what;
        } else {
            ASSERT_EQ(host.messages.size(), 1u) << c.what;
            EXPECT_EQ(host.messages[0], "Invalid numeric input.") << c.what;
        }
    }
}

TEST_F(FaultTest, ABadProgressFileIsLeftAloneWhileTheOtherChildPlays) {
    Start();
    dir.Write("Confif.cnf", kPng);
    ChooseGirl();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_FALSE(form->lblWhite.Visible());
    // The boy's profile is still there to choose, and his game is saved in his own file.
    ChooseBoy();
    ChooseWhite();
    SolveWord();
    EXPECT_TRUE(Exit());
    EXPECT_EQ(dir.Read("Confis.cnf"), "1");
    EXPECT_EQ(dir.Read("Confif.cnf"), kPng);
}

TEST_F(FaultTest, AnUnreadableProgressFileStartsFromZeroAndIsNotOverwritten) {
    Start();
    dir.Write("Confif.cnf", "20");
    ::chmod((dir.Path() / "Confif.cnf").c_str(), 0);
    {
        const AsOrdinaryUser user(dir);
        if (!user.Active()) GTEST_SKIP() << "running as root without the right to act as another user";
        Play();
    }
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(form->session.Score, 0);
    SolveWord();
    // The save judges the file by its mode, as it would for the child's own account.
    EXPECT_FALSE(Exit());
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[1], "File access denied.");
    ::chmod((dir.Path() / "Confif.cnf").c_str(), 0644);
    EXPECT_EQ(dir.Read("Confif.cnf"), "20");
}

TEST_F(FaultTest, AProgressFileThatIsADirectoryReadsAsZeroAndCannotBeSaved) {
    Start();
    std::filesystem::create_directory(dir.Path() / "Confif.cnf");
    Play();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(form->session.Score, 0);
    SolveWord();
    EXPECT_FALSE(Exit());
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[1], "File access denied.");
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "Confif.cnf"));
    EXPECT_FALSE(dir.Exists("Confif.cnf.tmp"));
}

TEST_F(FaultTest, ATemporaryFileLeftByAnInterruptedSaveDoesNotStopTheNext) {
    Start();
    dir.Write("Confif.cnf.tmp", "9");
    Play("20");
    SolveWord();
    EXPECT_TRUE(Exit());
    EXPECT_EQ(dir.Read("Confif.cnf"), "21");
    EXPECT_EQ(dir.Read("Confif.cnf.tmp"), "9");  // a file the game did not make is not its to remove
}

TEST_F(FaultTest, AFirstSaveIntoAReadOnlyDirectoryWaitsUntilItCanBeMade) {
    Start();
    Play();
    SolveWord();
    ::chmod(dir.Path().c_str(), 0555);
    EXPECT_FALSE(Exit());
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[1], "File access denied.");
    EXPECT_FALSE(dir.Exists("Confif.cnf"));
    EXPECT_FALSE(dir.Exists("Confif.cnf.tmp"));
    // The score was kept in the game: the desktop's quit saves it once the directory allows.
    ::chmod(dir.Path().c_str(), 0755);
    W().QuitRequested();
    EXPECT_TRUE(W().Closed());
    EXPECT_EQ(dir.Read("Confif.cnf"), "1");
}

TEST_F(FaultTest, AFirstSaveOnAFullDiskLeavesNoHalfFileAndSucceedsOnceThereIsRoom) {
    if (!MountTmpfs()) GTEST_SKIP() << "needs root to mount a small tmpfs";
    Start();
    Play();
    SolveWord();
    FillDisk();
    EXPECT_FALSE(Exit());
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[1], "Disk full.");
    for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_FALSE(e.path().filename().string().starts_with("Confif.cnf")) << e.path();
    // Room made, "Выход" again: the save is tried once more and, now that it works, the game
    // ends with no word of leaving unsaved.
    std::filesystem::remove(dir.Path() / "filler");
    EXPECT_TRUE(Exit());
    EXPECT_EQ(host.messages, (std::vector<std::string>{Cp("Вы действительно хотите выйти?"), "Disk full.",
                                                        Cp("Вы действительно хотите выйти?")}));
    EXPECT_EQ(dir.Read("Confif.cnf"), "1");
}

// --- Sounds: asked for by the drum and the hint; the host falls back by itself --------------

class SoundFaultTest : public FaultTest {
protected:
    // A word solved (the drum), then the hint and its next picture (the beep), then the next
    // word: the game goes on as if the sounds were there.
    void PlayThroughBothSounds() {
        Play();
        SolveWord();
        ClickOn(form->img_control_forward);
        ClickOn(form->btn_podskazka);
        host.Ticks(W(), 70);
        ClickOn(form->imgDalishe);
        ClickOn(form->img_control_forward);
        EXPECT_TRUE(host.messages.empty());
        EXPECT_EQ(form->session.Score, 1);
        EXPECT_EQ(B().LetterCount, 3);
        EXPECT_EQ(host.sounds, (std::vector<std::filesystem::path>{dir.Path() / "Sounds" / "Drum1.wav",
                                                                  dir.Path() / "Sounds" / "Beep.wav"}));
    }
};

TEST_F(SoundFaultTest, MissingSoundsNeitherStopNorShowAnything) {
    Start(Repeat("КОТ"), ContentOptions{.sounds = false});
    PlayThroughBothSounds();
}

TEST_F(SoundFaultTest, CorruptSoundsNeitherStopNorShowAnything) {
    Start(Repeat("КОТ"), ContentOptions{.sounds = false});
    dir.Write("Sounds/Drum1.wav", AssetBytes("imgGrimaska.jpg"));
    dir.Write("Sounds/Beep.wav", "RIFF\xFF\xFF\xFF\x7FWAVEfmt ");
    PlayThroughBothSounds();
}
