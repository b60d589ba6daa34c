// The window's controls as laid out, the carried pictures, and start-up.
#include <functional>
#include <exception>
#include <random>
#include <string>

#include "assets/Assets.h"
#include "game/Dragging.h"
#include "game/Movement.h"
#include "game/Puzzle.h"
#include "platform/toolkit/Canvas.h"
#include "platform/toolkit/Errors.h"
#include "platform/toolkit/Text1251.h"
#include "screens/TFWords.h"

namespace {
Picture CarriedPicture(const char* name) {
    const EmbeddedFile f = FindAsset(name);
    if (f.data == nullptr) throw GameError(std::string("Missing carried picture ") + name);
    const std::string n(name);
    return n.ends_with(".jpg") ? DecodeJpeg(f.data, f.size) : DecodeBmp(f.data, f.size);
}

// The same, made only when its control first needs it; whether it is carried at all is known
// at once.
std::function<Picture()> CarriedLater(std::string name) {
    if (FindAsset(name).data == nullptr) throw GameError("Missing carried picture " + name);
    return [name] { return CarriedPicture(name.c_str()); };
}

// Reward icon n's left edge: the first at 8, the second at 64, then 48 apart.
int RewardIconLeft(int n) { return n == 1 ? 8 : 64 + (n - 2) * 48; }
}  // namespace

TFWords::TFWords(Host& host, ContentLocation content)
    : window_(host, kLayoutSize),
      content_(std::move(content)),
      corner(CornerContext{window_, content_, [this] { return Now(); }, [this] { return GateRandom(); },
                           LongestPlayableWord(), [this] {
                               // Mixed with the clock, should a system have no entropy to give, or
                               // give the same each start.
                               std::uint32_t drawn = 0;
                               try {
                                   std::random_device entropy;
                                   drawn = entropy();
                               } catch (const std::exception&) {
                               }
                               return drawn ^ static_cast<std::uint32_t>(window_.GetHost().PerformanceCounter());
                           }}) {
    window_.Dispatch([this] { BuildControls(); });
    window_.Dispatch([this] { FormCreate(); });
}

TFWords::~TFWords() = default;

void TFWords::BuildControls() {
    // The first screen's pictures. Nothing on it is text: no caption is measured or drawn
    // before the first frame, and the font library loads once a profile is chosen.
    imgVybor.SetPicture(CarriedPicture("imgVybor.jpg"));
    ImgA.SetPicture(CarriedPicture("ImgA.jpg"));
    imgE.SetPicture(CarriedPicture("imgE.jpg"));
    window_.SetCaption(Cp("Тимбурик"));
    window_.SetColor(clGreen);
    window_.SetDefaultFont(Font{"Tahoma", 11, false});

    for (int n = 1; n <= kRewardIcons; ++n)
        imgSm[n] = std::make_unique<PictureControl>("imgSm" + std::to_string(n),
                                                    Rect{RewardIconLeft(n), 368, n == 1 ? 49 : 41, 41});

    window_.Add(imgMainW);
    window_.Add(imgSubj);
    window_.Add(RightWordsCounter);
    window_.Add(img_control_forward);
    window_.Add(imgGrimaska);
    window_.Add(imgDalishe);
    for (int n = 1; n <= kRewardIcons; ++n) window_.Add(*imgSm[n]);
    window_.Add(imgSmVin);
    window_.Add(imgWinWin);
    window_.Add(imgVybor);
    window_.Add(ImgA);
    window_.Add(imgE);
    for (int i = 0; i < kChildrenOnPage; ++i) {
        imgChild[i] = std::make_unique<PictureControl>("imgChild" + std::to_string(i + 1), Rect{0, 200, 140, 140});
        lblChild[i] = std::make_unique<Label>("lblChild" + std::to_string(i + 1), Rect{0, 346, 140, 30});
        imgChild[i]->OnClick = [this, i] { imgChildClick(i); };
        lblChild[i]->SetColor(clGreen);
        lblChild[i]->SetFont(Font{"Tahoma", 24, true}, clWhite);
        window_.Add(*imgChild[i]);
        window_.Add(*lblChild[i]);
        imgChild[i]->Hide();
        lblChild[i]->Hide();
    }
    window_.Add(imgPageBack);
    window_.Add(imgPageNext);
    imgPageBack.Hide();
    imgPageNext.Hide();
    window_.Add(lblWhite);
    window_.Add(lblYellow);
    window_.Add(lblPurple);
    window_.Add(lblBlack);
    window_.Add(lblOffline);
    window_.Add(btExit);
    window_.Add(btn_podskazka);
    corner.AddControls();

    RightWordsCounter.SetColor(clYellow);
    RightWordsCounter.SetFont(Font{"Tahoma", 64, true}, clRed);
    // Sized to its caption from the first score on (ShowScore): until a profile is chosen it
    // lies under the choice picture, and measuring it now would load the font library before
    // the first frame.
    RightWordsCounter.SetCaption(Cp("  СЛ  "));

    lblWhite.SetColor(clWindow);
    lblYellow.SetColor(clYellow);
    lblPurple.SetColor(clPurple);
    lblBlack.SetColor(clBlack);
    for (Label* l : {&lblWhite, &lblYellow, &lblPurple, &lblBlack}) l->Hide();
    lblOffline.SetColor(clGreen);
    lblOffline.SetFont(Font{"Tahoma", 20, false}, clWhite);
    lblOffline.Hide();
    for (int n = 1; n <= kRewardIcons; ++n) imgSm[n]->Hide();
    imgSmVin.Hide();
    imgWinWin.Hide();
    imgVybor.Hide();

    btExit.SetCaption(Cp("Выход"));
    btExit.SetFont(window_.DefaultFont());
    btn_podskazka.SetCaption(Cp("ПОДСКАЗКА"));
    btn_podskazka.SetFont(Font{"Tahoma", 19, false});

    // Handlers: board coordinates are the board control's own.
    imgMainW.OnMouseDown = [this](int x, int y) { imgMainWMouseDown(x, y); };
    imgMainW.OnMouseMove = [this](int x, int y) { imgMainWMouseMove(x, y); };
    imgMainW.OnMouseUp = [this](int, int) { imgMainWMouseUp(); };
    imgMainW.OnMouseCancel = [this](int, int) { imgMainWMouseCancel(); };
    img_control_forward.OnClick = [this] { img_control_forwardClick(); };
    imgDalishe.OnClick = [this] { imgDalisheClick(); };
    ImgA.OnClick = [this] { ImgAClick(); };
    imgE.OnClick = [this] { imgEClick(); };
    imgPageBack.OnClick = [this] { imgPageBackClick(); };
    imgPageNext.OnClick = [this] { imgPageNextClick(); };
    lblWhite.OnClick = [this] { lblWhiteClick(); };
    lblYellow.OnClick = [this] { lblYellowClick(); };
    lblPurple.OnClick = [this] { lblPurpleClick(); };
    lblBlack.OnClick = [this] { lblBlackClick(); };
    btExit.OnClick = [this] { btExitClick(); };
    btn_podskazka.OnClick = [this] { btn_podskazkaClick(); };
    imgMainW.SetPainter([this] { painter.PaintBoard(board, imgMainW.PainterSurface(), CoverImage.get()); });
    window_.OnTimer = [this] { tmr1Timer(); };
    // The one place the timer is decided: after every event and tick it runs exactly while
    // tiles glide, the corner's gate is held or a parent records, so an idle game is never woken.
    window_.AfterEvent = [this] {
        ApplyCorner(corner.TakeOutcome());
        window_.SetTimer(board.Queue.running || corner.NeedsTicks(), kTimerInterval);
    };
    window_.OnQuitRequest = [this](QuitReason reason) { FormQuitRequest(reason); };
    window_.OnKeyDown = [this](Key k) { FormKeyDown(k); };
    window_.OnSaveRequest = [this] { FormSaveRequest(); };
    window_.OnTextTyped = [this](const std::string& text) { corner.TextTyped(text); };
    window_.OnFileDropped = [this](const std::string& path) { corner.FileDropped(path); };
    window_.OnSystemChanged = [this] {
        ShowOfflineNote();
        corner.SystemChanged();
    };

    // Only the choice screen shows at first; the rest are decoded when they first show.
    img_control_forward.SetPictureSource(CarriedLater("img_control_forward.jpg"));
    imgGrimaska.SetPictureSource(CarriedLater("imgGrimaska.jpg"));
    imgDalishe.SetPictureSource(CarriedLater("imgDalishe.jpg"));
    for (int n = 1; n <= kRewardIcons; ++n) imgSm[n]->SetPictureSource(CarriedLater("imgSm" + std::to_string(n) + ".bmp"));
    imgSmVin.SetPictureSource(CarriedLater("imgSmVin.bmp"));
    imgWinWin.SetPictureSource(CarriedLater("imgWinWin.jpg"));
    imgPageBack.SetPictureSource(CarriedLater("imgPageBack.jpg"));
    imgPageNext.SetPictureSource(CarriedLater("imgPageNext.jpg"));
}

void TFWords::FormCreate() {
    btExit.Hide();
    imgVybor.Show();
    btn_podskazka.Hide();
    imgGrimaska.Hide();
    imgDalishe.Hide();
    imgSubj.Hide();
    img_control_forward.Hide();
    // The children a parent added before the progress moved stay on the list.
    children = ChildList::Load(content_.ProgressFolderToRead("children.txt"));
    LayOutChildren();
    ShowOfflineNote();
    // Said before anything is kept where the progress has moved: where the family finds it.
    if (const std::string note = ProgressMovedNote(content_); !note.empty()) window_.ShowMessage(note);
    CoverImage = std::make_unique<Picture>(LoadBmpFile(content_.Cover()));
    // A family word whose saving the game did not live to finish is finished or undone first.
    SettleFamilyChanges(content_);
    LoadWords();
    board.TileSize = TileSizeT{90, 90};
    SetupPuzzleWithPictures();
    RedrawBoard();
}

void TFWords::LoadWords() {
    family = FamilyWords::Load(content_.FamilyNote());
    Words = LoadWordList(content_.WordList());
    ApplyFamilyWords(Words, family);
}

void TFWords::ApplyCorner(const CornerOutcome& outcome) {
    if (!outcome.Any()) return;
    if (outcome.childrenChanged) {
        children = corner.Children();
        // A child chosen before the corner opened is chosen again from the new list: the corner
        // may have started their play over, taken it from a file or removed them, and the
        // score read before must not be written back over that at exit.
        if (session.Level == 0 && !session.ProgressFileName.empty()) {
            session = Session{};
            ShowScore();
            ShowRewardIcons();
            for (Label* l : {&lblWhite, &lblYellow, &lblPurple, &lblBlack}) l->Hide();
        }
        LayOutChildren();
    }
    if (outcome.wordsChanged) LoadWords();
}

void TFWords::MeetFamilyWord() {
    const FamilyWord* w = family.Find(board.CurrentWord);
    if (!w || !MarkFamilyWordMet(family, w->line, session.ProgressFileName)) return;
    // Not met after all, should the note not be written: the word comes again, nothing is lost.
    SaveFamilyNote(content_, family);
}

void TFWords::SetupPuzzleWithPictures() {
    // A word a parent has added is this child's next of its level until they have met it, so
    // the child meets it soon, not one draw in thirty; after it, the word the child's way of
    // choosing gives. Before a level is chosen nothing is preferred: that draw is never seen.
    int preferred = NextFamilyLine(family, session.ProgressFileName, session.Level);
    if (preferred == 0) preferred = LineByWay();
    SetupPuzzle(board, Words, session.Level,
                [this] { return static_cast<std::uint32_t>(window_.GetHost().PerformanceCounter()); },
                imgMainW.Bounds().w, preferred);
    try {
        painter.Load(board, content_);
    } catch (...) {
        // A half-built puzzle is never played: drop all of it, so the board paints plain
        // green, rather than tiles whose pictures are gone, since the caller skips its repaint.
        ReleasePuzzle(board);
        board.CurrentWord.clear();
        RedrawBoard();
        throw;
    }
    // A parent's picture may be smaller than the last one: clear it first, so that nothing of
    // the previous subject shows around the new one.
    Picture& subject = imgSubj.Surface();
    Canvas canvas(subject);
    canvas.SetBrushColor(clWhite);
    canvas.FillRect(0, 0, subject.Width(), subject.Height());
    canvas.Draw(0, 0, *painter.Subject());
    img_control_forward.Hide();
}

// A tick with twenty gliding tiles asks for twenty repaints; painting the board once, just
// before the frame is composed (or its surface read), shows exactly what painting each time
// would: the painter overwrites every pixel from the board's state and the cover alone, no
// frame is composed in between, and every change to that state is followed by RedrawBoard
// before control returns to the event loop. The two exceptions, releasing the puzzle's
// pictures and the cover, settle the board first (SettleBoard).
void TFWords::SettleBoard() { imgMainW.Refresh(); }

void TFWords::Apply(const BoardOutcome& outcome) {
    if (outcome.repaint) RedrawBoard();
    if (outcome.pickedUp != 0) SayLetter(outcome.pickedUp);
    if (outcome.drop.slot != 0) Record(RecordEvent::Kind::Drop, outcome.drop.letter, outcome.drop.expected);
    if (outcome.solved) WordSolved();
}

void TFWords::imgMainWMouseDown(int x, int y) { Apply(BoardMouseDown(board, x, y)); }
void TFWords::imgMainWMouseMove(int x, int y) { Apply(BoardMouseMove(board, x, y, SizeOfBoard())); }
void TFWords::imgMainWMouseUp() { Apply(BoardMouseUp(board)); }
void TFWords::imgMainWMouseCancel() { Apply(BoardMouseCancel(board, imgMainW.Bounds().w)); }
void TFWords::tmr1Timer() {
    if (corner.NeedsTicks()) corner.Tick();
    if (!board.Queue.running) return;
    const BoardOutcome outcome = MoveTick(board);
    Apply(outcome);
    // The hinted tiles are all in their cells.
    if (sayWordWhenLanded_ && outcome.landed) {
        sayWordWhenLanded_ = false;
        SayWord();
    }
}
