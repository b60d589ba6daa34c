// From word to word: the forward picture, the hint and its next picture, and the exit.
#include "game/BoardDrawing.h"
#include "game/Hint.h"
#include "game/Movement.h"
#include "game/Puzzle.h"
#include "platform/Text1251.h"
#include "screens/TFWords.h"

void TFWords::img_control_forwardClick() {
    SettleBoard();
    ReleasePuzzle(board);
    SetupPuzzle(board, Words, Level, *this);
    RedrawBoard(board, *this);
    imgSubj.Show();
    imgGrimaska.Hide();
    img_control_forward.Hide();
    btn_podskazka.Show();
}

void TFWords::btn_podskazkaClick() {
    --Score;  // the label keeps the old number until the word is passed on
    imgGrimaska.Show();
    window_.GetHost().PlaySound(directory_ / "Sounds" / "Beep.wav");
    imgDalishe.Show();
    QueueHint(board, BoardSurface().Width());
    btn_podskazka.Hide();
    window_.StartTimer();
    board.InputEnabled = false;
}

void TFWords::imgDalisheClick() {
    imgDalishe.Hide();
    imgGrimaska.Hide();
    imgSubj.Hide();
    WordSolved();
}

void TFWords::ReleaseAll() {
    SettleBoard();
    ReleasePuzzle(board);
    CoverImage.reset();
    window_.StopTimer();
    window_.Close();
}

void TFWords::btExitClick() {
    if (!window_.AskYesNo(Cp("Вы действительно хотите выйти?"), "Warning")) return;
    // Saving comes first: if it fails, the error is shown and the game goes on untouched.
    SaveProgress();
    ReleaseAll();
}

void TFWords::FormQuitRequest() {
    // The desktop is closing the game (window manager, end of session): keep the child's
    // progress without asking. A failed save leaves the window open with the message shown.
    if (!ProgressFileName.empty()) SaveProgress();
    ReleaseAll();
}
