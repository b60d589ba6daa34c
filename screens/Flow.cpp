// From word to word: the forward picture, the hint and its next picture, and the exit.
#include <cstdio>

#include "game/BoardDrawing.h"
#include "game/Hint.h"
#include "game/Movement.h"
#include "game/Puzzle.h"
#include "platform/Errors.h"
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
    hinted_ = false;
    sayWordWhenLanded_ = false;
}

void TFWords::btn_podskazkaClick() {
    --Score;  // the label keeps the old number until the word is passed on
    imgGrimaska.Show();
    window_.GetHost().PlaySound(content_.Sound("Beep.wav"));
    imgDalishe.Show();
    QueueHint(board, BoardWidth());
    btn_podskazka.Hide();
    window_.StartTimer();
    board.InputEnabled = false;
    hinted_ = true;
    // With every tile already in its cell nothing glides, and nothing would say the word.
    if (board.Queue.count == 0)
        SayWord();
    else
        sayWordWhenLanded_ = true;
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
    if (!window_.AskYesNo(Cp("Вы действительно хотите выйти?"))) return;
    // Saving comes first: if it fails, the error is shown and the game goes on untouched, so
    // that a parent can make room and try again.
    try {
        SaveProgress();
    } catch (...) {
        if (!SaveFailed) {
            SaveFailed = true;
            throw;
        }
        // The parent has seen saving fail before and it failed again: a full-screen game must
        // not trap them, and leaving now keeps the last saved score, as the question says.
        if (!window_.AskYesNo(Cp("Не удалось сохранить. Выйти без сохранения?"))) return;
    }
    ReleaseAll();
}

void TFWords::FormKeyDown(Key key) {
    // The choice screen has no "Выход" of its own; without a window manager (a kiosk, a
    // tablet) Escape is the only way out of it. On the play screen Escape does nothing: a
    // child leaning on the keyboard must not end the game.
    if (key != Key::Escape || !imgVybor.Visible()) return;
    if (window_.AskYesNo(Cp("Вы действительно хотите выйти?"))) FormQuitRequest(QuitReason::Close);
}

void TFWords::FormQuitRequest(QuitReason reason) {
    // The desktop or the system is ending the game: keep the child's progress without asking,
    // and end whatever happens, since a request to quit that is refused leaves only a kill.
    // A failed save leaves the last saved file as it was.
    if (!ProgressFileName.empty()) {
        try {
            SaveProgress();
        } catch (const std::exception& e) {
            if (reason == QuitReason::Close)
                window_.ShowError(WithFullStop(e.what()));
            else
                std::fprintf(stderr, "timburik: %s\n", Cp1251ToUtf8(WithFullStop(e.what())).c_str());
        }
    }
    ReleaseAll();
}
