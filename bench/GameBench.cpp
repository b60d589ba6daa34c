// Benchmarks of the work behind each frame: painting the board, a glide tick, a drag move, the
// full frame, start-up and drawing on the screen; on the bundled content in data/. Idle, the
// timer is stopped: there is no tick to measure. Then the parents' side: the learning record's
// cost during a word, the corner opened on a full record, a photo made into a word's picture.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "game/Movement.h"
#include "game/LearningRecord.h"
#include "game/WordList.h"
#include "platform/Files.h"
#include "platform/toolkit/ImageImport.h"
#include "platform/toolkit/Text1251.h"
#include "platform/toolkit/PaintUtil.h"
#include "platform/toolkit/ScreenFit.h"
#include "tests/support/HeadlessHost.h"
#include "screens/TFWords.h"

namespace {

const std::filesystem::path kData = TIMBURIK_DATA_DIR;

// The headless host without keeping a copy of every frame, which the real screen does not do
// either: the benchmarks stop at the composed frame.
class BenchHost : public HeadlessHost {
public:
    void Present(const Picture&) override { ++presents; }
};

// The fullest board the rules allow: 20 tiles and 20 cells, every tile wholly on the board so
// that none is clipped away and each costs a full picture; the word is the bundled list's
// first, for its subject picture.
void LayFullBoard(Board& board, BoardPainter& painter) {
    board.CurrentWord = LoadWordList(kData / "Words.str").entries[1];
    board.LetterCount = kMaxLetters;
    board.TileSize = TileSizeT{90, 90};
    for (int i = 1; i <= kMaxLetters; ++i) {
        Tile& t = board.Tiles[i];
        t = Tile{};
        t.letter = i;
        t.home = i;
        t.x = 15 + (i - 1) * 66;
        t.y = i % 2 == 0 ? kTopRowY : 60;
        board.Slots[i] = Slot{i, 0, 0, t.x, kSlotRowY, i == 7 ? clLime : clGrey};
    }
    board.PointerPos = {board.Tiles[5].x + 45, board.Tiles[5].y + 45};  // one letter shows
    board.InputEnabled = true;
    painter.Load(board, ContentLocation::InFolder(kData));
}

void BM_RedrawBoard20Tiles(benchmark::State& state) {
    Board board;
    BoardPainter painter;
    LayFullBoard(board, painter);
    Picture surface(1369, 361);
    const Picture cover = LoadBmpFile(kData / "pz91.bmp");
    for (auto _ : state) {
        painter.PaintBoard(board, surface, &cover);
        benchmark::DoNotOptimize(surface.Pixels().data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RedrawBoard20Tiles)->Unit(benchmark::kMicrosecond);

// The game window on the play screen of the bundled content, its first frame presented.
struct PlayScreen {
    BenchHost host;
    std::unique_ptr<TFWords> form = std::make_unique<TFWords>(host, ContentLocation::InFolder(kData));
    Window& W() { return form->GetWindow(); }
    PlayScreen() {
        auto click = [&](const Control& c) {
            const Rect r = c.Bounds();
            host.Click(W(), r.x + r.w / 2, r.y + r.h / 2);
        };
        click(form->ImgA);
        click(form->lblWhite);
        if (!host.messages.empty()) throw std::runtime_error("the bundled content did not start: " + host.messages[0]);
        W().PresentIfChanged();
    }
};

// Twenty tiles gliding at once, each on a two-legged hint glide; when every leg has run out
// the same glides start again, so each measured tick moves all twenty.
void QueueTwentyGlides(Board& board) {
    board.Queue.count = kMaxMoves;
    board.Queue.running = true;
    for (int k = 1; k <= kMaxMoves; ++k) {
        Tile& t = board.Tiles[k];
        t.x = 15 + (k - 1) * 66;
        t.y = kTopRowY;
        board.Queue.entries[k] = MoveEntry{t.x, kSlotRowY, t.x + 20, kTopRowY, k, 0, kHintDuration};
    }
}

void BM_TickWith20Glides(benchmark::State& state) {
    PlayScreen s;
    LayFullBoard(s.form->board, s.form->painter);
    QueueTwentyGlides(s.form->board);
    s.W().SetTimer(true, kTimerInterval);
    s.W().PresentIfChanged();
    const int before = s.host.presents;
    for (auto _ : state) {
        if (!s.W().TimerRunning()) {
            QueueTwentyGlides(s.form->board);
            s.W().SetTimer(true, kTimerInterval);
        }
        s.W().Tick();
        s.W().PresentIfChanged();
    }
    if (s.host.presents - before < static_cast<int>(state.iterations()))
        state.SkipWithError("a tick did not lead to a new frame");
}
BENCHMARK(BM_TickWith20Glides)->Unit(benchmark::kMicrosecond);

void BM_DragMove(benchmark::State& state) {
    PlayScreen s;
    LayFullBoard(s.form->board, s.form->painter);
    s.W().Invalidate();
    s.W().PresentIfChanged();
    Board& board = s.form->board;
    const Rect b = s.form->imgMainW.Bounds();
    // Takes the topmost tile by its middle; the moves swing it across a cell's capture radius,
    // so the highlight changes as well.
    const Tile& t = board.Tiles[kMaxLetters];
    s.W().PointerDown(b.x + t.x + 45, b.y + t.y + 45);
    s.W().PresentIfChanged();
    if (board.DraggedTile == 0) state.SkipWithError("no tile was picked up");
    const int before = s.host.presents;
    int i = 0;
    for (auto _ : state) {
        const int x = 400 + (i % 2) * 150, y = 200 + (i % 3) * 10;
        ++i;
        s.W().PointerMove(b.x + x, b.y + y);
        s.W().PresentIfChanged();
    }
    if (s.host.presents - before < static_cast<int>(state.iterations()))
        state.SkipWithError("a move did not lead to a new frame");
}
BENCHMARK(BM_DragMove)->Unit(benchmark::kMicrosecond);

void BM_FormCreate(benchmark::State& state) {
    for (auto _ : state) {
        BenchHost host;
        TFWords form(host, ContentLocation::InFolder(kData));
        if (!host.messages.empty()) state.SkipWithError(host.messages[0].c_str());
        benchmark::DoNotOptimize(form.board.LetterCount);
    }
}
BENCHMARK(BM_FormCreate)->Unit(benchmark::kMillisecond);

// The whole frame composed anew, on the screen that shows the most: the play screen with the
// hint pictures and every reward icon up.
void BM_ComposeFullFrame(benchmark::State& state) {
    PlayScreen s;
    s.form->imgGrimaska.Show();
    s.form->imgDalishe.Show();
    for (int n = 1; n <= kRewardIcons; ++n) s.form->imgSm[n]->Show();
    s.W().PresentIfChanged();
    for (auto _ : state) {
        s.W().Invalidate();
        benchmark::DoNotOptimize(s.W().ComposeFrame().Pixels().data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ComposeFullFrame)->Unit(benchmark::kMicrosecond);

// The host's share of a frame on a 1366 x 768 screen (the layout scaled by 0.998): the whole
// first frame, and then what one drag move changed, found by comparison and drawn alone.
ScreenFit LaptopScreen() {
    ScreenFit fit;
    fit.screenWidth = 1366;
    fit.screenHeight = 768;
    return fit;
}

void BM_ScreenDrawWholeFrame(benchmark::State& state) {
    PlayScreen s;
    const Picture frame = s.W().ComposeFrame();
    const ScreenFit fit = LaptopScreen();
    std::vector<std::uint32_t> screen(1366 * 768);
    for (auto _ : state) {
        benchmark::DoNotOptimize(fit.Draw(frame, {0, 0, 1369, 700}, screen.data(), 1366));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ScreenDrawWholeFrame)->Unit(benchmark::kMicrosecond);

void BM_ScreenDrawDragMove(benchmark::State& state) {
    PlayScreen s;
    LayFullBoard(s.form->board, s.form->painter);
    s.W().Invalidate();
    s.W().PresentIfChanged();
    const Rect b = s.form->imgMainW.Bounds();
    const Tile& t = s.form->board.Tiles[kMaxLetters];
    s.W().PointerDown(b.x + t.x + 45, b.y + t.y + 45);
    // Two frames a move apart; each iteration shows the other one.
    std::array<Picture, 2> frames;
    for (int i = 0; i < 2; ++i) {
        s.W().PointerMove(b.x + 400 + i * 30, b.y + 200);
        frames[static_cast<std::size_t>(i)] = s.W().ComposeFrame();
    }
    const ScreenFit fit = LaptopScreen();
    std::vector<std::uint32_t> screen(1366 * 768);
    Picture shown = frames[0];
    const Rect board = paint::Intersect(b, {0, 0, 1369, 700});
    int i = 0;
    for (auto _ : state) {
        const Picture& next = frames[static_cast<std::size_t>(++i % 2)];
        const Rect changed = TakeChange(next, shown, board);
        benchmark::DoNotOptimize(fit.Draw(next, changed, screen.data(), 1366));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ScreenDrawDragMove)->Unit(benchmark::kMicrosecond);

// The learning record's share of a word: formatting the line of a drop (at the release, never
// during a move), and adding a word's eleven lines to a record already at its cap's size.
void BM_RecordDropLine(benchmark::State& state) {
    RecordEvent e;
    e.at = 1765278000;
    e.kind = RecordEvent::Kind::Drop;
    e.word = Cp("ПАРОВОЗ");
    e.letter = 17;
    e.cell = 17;
    e.right = true;
    for (auto _ : state) benchmark::DoNotOptimize(FormatRecordLine(e));
}
BENCHMARK(BM_RecordDropLine)->Unit(benchmark::kMicrosecond);

// A record of nearly 1 MB: a year of play, a few words a day.
std::string FullRecord(std::size_t bytes = LearningRecord::kCapBytes - 4096) {
    std::string text = "время\tсобытие\tслово\tбуква\tклетка\tверно\n";
    RecordEvent e;
    e.at = 1734000000;
    e.word = Cp("ПАРОВОЗ");
    for (int n = 0; text.size() < bytes; ++n) {
        e.at += 97;
        e.kind = n % 10 == 0 ? RecordEvent::Kind::Word : n % 10 == 9 ? RecordEvent::Kind::Solved : RecordEvent::Kind::Drop;
        e.letter = 1 + n % 33;
        e.cell = 1 + (n * 7) % 33;
        e.right = e.letter == e.cell;
        text += FormatRecordLine(e);
    }
    return text;
}

void BM_RecordWordEnd(benchmark::State& state) {
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "timburik-bench-record.log";
    const std::string full = FullRecord();
    LearningRecord record;
    record.Open(file);
    RecordEvent e;
    e.at = 1765278000;
    e.kind = RecordEvent::Kind::Drop;
    e.word = Cp("ПАРОВОЗ");
    e.letter = e.cell = 17;
    for (auto _ : state) {
        state.PauseTiming();
        ReplaceFile(file, full.substr(0, full.size() - 40000));  // room for this word, not past the cap
        state.ResumeTiming();
        for (int k = 0; k < 11; ++k) record.Add(e);
        if (!record.Flush()) state.SkipWithError("the record was not written");
    }
    std::filesystem::remove(file);
}
BENCHMARK(BM_RecordWordEnd)->Unit(benchmark::kMicrosecond);

// Opening the corner on a child whose record is nearly 1 MB (as the cap keeps it) or 5 MB (a
// record joined from years of play elsewhere): reading it, working out the figures, and the
// corner's first frame. The gate's holds are the parent's time, not the game's.
void BM_CornerOpen(benchmark::State& state) {
    PlayScreen s;
    const std::filesystem::path file = kData / "Confif.log";
    const bool existed = std::filesystem::exists(file);
    std::string kept;
    if (existed) ReadWholeFile(file, kept, 64u << 20);
    ReplaceFile(file, FullRecord(static_cast<std::size_t>(state.range(0)) * 1024 * 1024 - 4096));
    for (auto _ : state) {
        ParentsCorner& corner = s.form->corner;
        state.PauseTiming();
        corner.OpenGate();
        for (int step = 0; step < kGateSteps; ++step) {
            const GateQuestion& q = corner.gate.Question();
            const auto right = std::find(q.shown.begin(), q.shown.end(), q.asked[static_cast<std::size_t>(step)]) - q.shown.begin();
            const Rect b = corner.gate.btnGate[static_cast<std::size_t>(right)]->Bounds();
            s.W().PointerDown(b.x + 5, b.y + 5);
            for (int k = 0; k < kGateHoldTicks - 1; ++k) corner.Tick();
            if (step + 1 == kGateSteps) state.ResumeTiming();
            corner.Tick();  // the last tick opens the corner: from here it is the game's time
            s.W().PointerUp(b.x + 5, b.y + 5);
        }
        if (!s.form->corner.Open()) state.SkipWithError("the corner did not open");
        benchmark::DoNotOptimize(s.W().ComposeFrame().Pixels().data());
        s.form->corner.KeyDown(Key::Escape);
    }
    if (existed)
        ReplaceFile(file, kept);
    else
        std::filesystem::remove(file);
}
BENCHMARK(BM_CornerOpen)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// A parent's photo of 12 megapixels made into the word's picture: the square cut out, scaled
// down with the filter and written as the BMP the game reads (decoding is libjpeg's or stb's).
void BM_SubjectFrom12MPPhoto(benchmark::State& state) {
    Picture photo(4000, 3000);
    for (int y = 0; y < photo.Height(); ++y)
        for (int x = 0; x < photo.Width(); ++x) photo.Set(x, y, ColorToPixel(static_cast<TColor>((x * 7) ^ (y * 13))));
    for (auto _ : state) benchmark::DoNotOptimize(EncodeBmp(MakeSubjectPicture(photo, CentredCrop(4000, 3000))));
}
BENCHMARK(BM_SubjectFrom12MPPhoto)->Unit(benchmark::kMillisecond);

