// TFWords: the game's one window, its controls as named members and its handlers.
// Layout.cpp builds the window and runs start-up; Profiles.cpp chooses profile and level and
// keeps the progress file; Score.cpp counts words and shows rewards; Flow.cpp moves from word
// to word, gives the hint and ends the game.
#pragma once
#include <array>
#include <cstdint>
#include <ctime>
#include <functional>
#include <filesystem>
#include <memory>
#include <string>

#include "game/Board.h"
#include "game/Children.h"
#include "game/FamilyWords.h"
#include "game/ContentLocation.h"
#include "game/LearningFigures.h"
#include "game/LearningRecord.h"
#include "game/Session.h"
#include "game/WordList.h"
#include "platform/toolkit/Controls.h"
#include "platform/toolkit/Host.h"
#include "platform/toolkit/Window.h"
#include "screens/BoardPainter.h"
#include "screens/LayoutRects.h"
#include "screens/corner/ParentsCorner.h"

constexpr int kRewardIcons = 26;

class TFWords {
public:
    // Builds every control and runs FormCreate; an error in start-up is shown and the window
    // stays up. `content` says where the data files are read and the progress is kept.
    TFWords(Host& host, ContentLocation content);
    virtual ~TFWords();

    Window& GetWindow() { return window_; }

    // Handlers.
    void FormCreate();
    void imgMainWMouseDown(int x, int y);
    void imgMainWMouseMove(int x, int y);
    void imgMainWMouseUp();
    void imgMainWMouseCancel();
    void tmr1Timer();
    void ImgAClick();
    void imgEClick();
    // The child at place `place` of the page shown.
    void imgChildClick(int place);
    void imgPageBackClick();
    void imgPageNextClick();
    // The page of children the choice screen shows, from 0.
    int ChildrenPage() const { return childrenPage_; }
    void lblWhiteClick() { ChooseLevel(1); }
    void lblYellowClick() { ChooseLevel(2); }
    void lblPurpleClick() { ChooseLevel(3); }
    void lblBlackClick() { ChooseLevel(4); }
    void btn_podskazkaClick();
    void imgDalisheClick();
    void img_control_forwardClick();
    void btExitClick();
    void FormQuitRequest(QuitReason reason = QuitReason::Close);
    void FormKeyDown(Key key);
    // The game may be stopped unseen (a browser tab hidden): the progress and the record are
    // kept now, and play goes on where it was if it comes back.
    void FormSaveRequest();

    // Score and rewards, as the session tells them.
    void WordSolved();
    void RevealReward(int reward);
    void ShowRewardIcons();
    void ShowScore();

    // Progress file.
    int LoadProgress(const std::string& name);
    void SaveProgress();

    // The board's picture follows its state before it is next seen: painted once, before the
    // next frame, however many changes come first. Virtual so that a test can compare it with
    // painting at every change.
    virtual void RedrawBoard() { imgMainW.PaintLater(); }

private:
    Window window_;
    ContentLocation content_;

public:
    // Controls, in creation order.
    PictureControl imgMainW{"imgMainW", kBoardArea};
    PictureControl imgSubj{"imgSubj", {16, 464, 201, 201}};
    Label RightWordsCounter{"RightWordsCounter", {512, 480, 169, 77}};
    PictureControl img_control_forward{"img_control_forward", {744, 424, 201, 249}};
    PictureControl imgGrimaska{"imgGrimaska", {288, 488, 153, 153}};
    PictureControl imgDalishe{"imgDalishe", {744, 424, 201, 257}};
    std::array<std::unique_ptr<PictureControl>, kRewardIcons + 1> imgSm;  // imgSm[1] .. imgSm[26]
    PictureControl imgSmVin{"imgSmVin", {1272, 368, 89, 49}};
    PictureControl imgWinWin{"imgWinWin", {280, 232, 665, 449}};
    PictureControl imgVybor{"imgVybor", {0, 0, 1369, 569}};
    PictureControl ImgA{"ImgA", {488, 200, 209, 209}};
    PictureControl imgE{"imgE", {744, 200, 209, 201}};
    // The children's portraits and names, when there are more than the girl and the boy: a
    // page's places, each showing the child of its place on the page shown.
    std::array<std::unique_ptr<PictureControl>, kChildrenOnPage> imgChild;
    std::array<std::unique_ptr<Label>, kChildrenOnPage> lblChild;
    // A group's pages, one before and one after, at either side of the children.
    PictureControl imgPageBack{"imgPageBack", {37, 208, 140, 180}};
    PictureControl imgPageNext{"imgPageNext", {1192, 208, 140, 180}};
    Label lblWhite{"lblWhite", {224, 656, 217, 41}};
    Label lblYellow{"lblYellow", {448, 656, 217, 41}};
    Label lblPurple{"lblPurple", {672, 656, 217, 41}};
    Label lblBlack{"lblBlack", {896, 656, 217, 41}};
    // In a browser, on the choice screen: how much of the game is kept for play offline, until
    // it all is (and then that it is, if that came during this visit).
    Label lblOffline{"lblOffline", {24, 590, 600, 28}};
    Button btExit{"btExit", kExitButtonArea};
    Button btn_podskazka{"btn_podskazka", kHintButtonArea};

    // State that lives as long as the window.
    WordList Words;
    Board board;
    BoardPainter painter;
    Session session;
    ChildList children;
    LearningRecord record;
    // The chosen child's letters, from their record and the play since: what their next
    // word is chosen by, when a grown-up has chosen a way other than "Слова подряд".
    LetterCounter letters;
    // The family's own words, laid over the word list on their lines.
    FamilyWords family;
    // The wall clock the record's times come from; tests fix it.
    std::function<std::time_t()> Now = [] { return std::time(nullptr); };
    // What the gate's question is drawn from; end-to-end tests fix it, as they cannot read.
    std::function<std::uint32_t()> GateRandom = [this] { return static_cast<std::uint32_t>(window_.GetHost().PerformanceCounter()); };
    ParentsCorner corner;
    std::unique_ptr<Picture> CoverImage;
    bool SaveFailed = false;  // the last "Выход" could not save: the next one offers to leave anyway
    bool VoicesOn = true;     // letters and words said aloud; the game's own sounds play either way

private:
    void BuildControls();
    void ChooseChild(int child);
    // The child playing, as the children's list has them; null before one is chosen.
    const Child* ChildPlaying() const;
    // The line of the child's next word by their way; 0 to draw as the game always has.
    int LineByWay();
    // The choice screen's children: the girl's and the boy's pictures as they always were,
    // or every child's portrait and name.
    void LayOutChildren();
    void ShowOfflineNote();
    void Record(RecordEvent::Kind kind, int letter = 0, int cell = 0);
    // Writes the record's waiting lines, the child's earlier record joined in first where the
    // progress has moved.
    void FlushRecord();
    void ChooseLevel(int level);
    // SetupPuzzle with its pictures: on a missing one the half-built puzzle is dropped and
    // the board painted plain, and the error goes on to be shown.
    void SetupPuzzleWithPictures();
    // What the corner changed: the children laid out again, the words read again.
    void ApplyCorner(const CornerOutcome& outcome);
    // The words as the game plays them: the list found, the family's words on their lines.
    void LoadWords();
    // A family word put on the board has been met by this child: it is no longer their next.
    void MeetFamilyWord();
    // What the board did: a letter picked up is said, a completed word counted.
    void Apply(const BoardOutcome& outcome);
    void ReleaseAll();
    // Paints the board now if a repaint is pending, before state it is painted from goes.
    void SettleBoard();
    // Says a letter when its tile is picked up, and the current word once the game's sound
    // playing now (the drum) has ended.
    void SayLetter(int letter);
    void SayWord();
    BoardSize SizeOfBoard() const { return {imgMainW.Bounds().w, imgMainW.Bounds().h}; }

    int childrenPage_ = 0;
    bool sayWordWhenLanded_ = false;  // the hinted tiles are still gliding to their cells
    Random wayRandom_;                // the draws of a child's way, seeded as the child is chosen
};
