// Counting solved words, the score label, reward icons and the victory picture.
#include <string>

#include "screens/TFWords.h"

void TFWords::WordSolved() {
    ++Score;
    if (Score > kVictoryAfter) {
        imgWinWin.Show();
        imgDalishe.Hide();
        btn_podskazka.Hide();
    } else {
        RevealReward();
    }
    ShowScore();
    board.InputEnabled = false;
    img_control_forward.Show();
    // The drum greets a word the child completed; a hinted word (button hidden by the hint)
    // and the victory word (button hidden above) pass in silence.
    if (btn_podskazka.Visible()) window_.GetHost().PlaySound(content_.Sound("Drum1.wav"));
    // A hinted word is said when its tiles have landed instead (tmr1Timer).
    if (!hinted_) SayWord();
}

void TFWords::RevealReward() {
    // A hinted word has its subject picture hidden by the time it is counted: no reward.
    if (Score <= 0 || Score % kRewardEvery != 0 || !imgSubj.Visible()) return;
    const int n = Score / kRewardEvery;
    RewardFlags[n] = true;
    if (n >= 1 && n <= kRewardIcons) imgSm[n]->Show();
    if (n == kRewardIcons + 1) imgSmVin.Show();
}

void TFWords::ShowRewardIcons() {
    for (int n = 1; n <= kRewardIcons; ++n) imgSm[n]->SetVisible(RewardFlags[n]);
}

void TFWords::ShowScore() {
    RightWordsCounter.SetCaption("  " + std::to_string(Score) + "  ");
    RightWordsCounter.SetAutoSize(true);
}
