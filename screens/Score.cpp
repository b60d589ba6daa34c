// Showing the score: the label, the reward icons and the victory picture, as the session says.
#include <string>

#include "screens/TFWords.h"

void TFWords::WordSolved() {
    const Session::Solved solved = session.WordSolved();
    Record(RecordEvent::Kind::Solved);
    FlushRecord();
    if (solved.victory) {
        imgWinWin.Show();
        imgDalishe.Hide();
        btn_podskazka.Hide();
    } else {
        RevealReward(solved.reward);
    }
    ShowScore();
    board.InputEnabled = false;
    img_control_forward.Show();
    if (solved.drum) window_.GetHost().PlaySound(content_.Sound("Drum1.wav"));
    // A hinted word is said when its tiles have landed instead (tmr1Timer).
    if (!session.Hinted()) SayWord();
}

void TFWords::RevealReward(int reward) {
    if (reward >= 1 && reward <= kRewardIcons) imgSm[reward]->Show();
    if (reward == kRewardIcons + 1) imgSmVin.Show();
}

void TFWords::ShowRewardIcons() {
    for (int n = 1; n <= kRewardIcons; ++n) imgSm[n]->SetVisible(session.RewardFlags[n]);
}

void TFWords::ShowScore() {
    RightWordsCounter.SetCaption("  " + std::to_string(session.Score) + "  ");
    RightWordsCounter.SetAutoSize(true);
}
