// From word to word: the forward picture, the hint and its next picture, and the exit.
#include <cstdio>

#include "game/Hint.h"
#include "game/Movement.h"
#include "game/Puzzle.h"
#include "platform/toolkit/Errors.h"
#include "platform/toolkit/Text1251.h"
#include "screens/TFWords.h"

void TFWords::img_control_forwardClick() {
    SettleBoard();
    ReleasePuzzle(board);
    painter.Release();
    SetupPuzzleWithPictures();
    RedrawBoard();
    imgSubj.Show();
    imgGrimaska.Hide();
    img_control_forward.Hide();
    btn_podskazka.Show();
    session.NextWord();
    Record(RecordEvent::Kind::Word);
    MeetFamilyWord();
    sayWordWhenLanded_ = false;
}

void TFWords::btn_podskazkaClick() {
    session.HintGiven();  // the label keeps the old number until the word is passed on
    Record(RecordEvent::Kind::Hint);
    imgGrimaska.Show();
    window_.GetHost().PlaySound(content_.Sound("Beep.wav"));
    imgDalishe.Show();
    QueueHint(board, imgMainW.Bounds().w);
    btn_podskazka.Hide();
    board.InputEnabled = false;
    // With every tile already in its cell nothing glides, and nothing would say the word.
    if (board.Queue.running)
        sayWordWhenLanded_ = true;
    else
        SayWord();
}

void TFWords::imgDalisheClick() {
    imgDalishe.Hide();
    imgGrimaska.Hide();
    imgSubj.Hide();
    session.NextPictureClicked();
    WordSolved();
}

void TFWords::ReleaseAll() {
    // The session ends in the record too, whatever became of the save.
    if (session.Level != 0) Record(RecordEvent::Kind::End);
    FlushRecord();
    SettleBoard();
    ReleasePuzzle(board);
    painter.Release();
    CoverImage.reset();
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
    if (corner.KeyDown(key)) return;
    // The choice screen has no "Выход" of its own; without a window manager (a kiosk, a
    // tablet) Escape is the only way out of it. On the play screen Escape does nothing: a
    // child leaning on the keyboard must not end the game.
    if (key != Key::Escape || !imgVybor.Visible()) return;
    if (window_.AskYesNo(Cp("Вы действительно хотите выйти?"))) FormQuitRequest(QuitReason::Close);
}

void TFWords::FormSaveRequest() {
    // Nobody may be there to read a box: a failed save is left for the next one.
    try {
        SaveProgress();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "timburik: %s\n", Cp1251ToUtf8(WithFullStop(e.what())).c_str());
    }
    FlushRecord();
}

void TFWords::FormQuitRequest(QuitReason reason) {
    // The desktop or the system is ending the game: keep the child's progress without asking,
    // and end whatever happens, since a request to quit that is refused leaves only a kill.
    // A failed save leaves the last saved file as it was.
    try {
        SaveProgress();
    } catch (const std::exception& e) {
        if (reason == QuitReason::Close)
            window_.ShowError(WithFullStop(e.what()));
        else
            std::fprintf(stderr, "timburik: %s\n", Cp1251ToUtf8(WithFullStop(e.what())).c_str());
    }
    ReleaseAll();
}
