// Choosing a profile and a level, and the progress file that keeps each child's score.
#include <string>

#include "screens/ProgressFile.h"
#include "screens/TFWords.h"

namespace {
constexpr int kMaxStoredScore = 136;
constexpr int kScoreWhenTooHigh = 2;
}  // namespace

int TFWords::LoadProgress(const std::string& name) { return LoadProgressFile(directory_ / name); }

void TFWords::SaveProgress() { SaveProgressFile(directory_ / ProgressFileName, Score); }

void TFWords::ChooseProfile(const std::string& fileName, PictureControl& other) {
    ProgressFileName = fileName;
    const int value = LoadProgress(ProgressFileName);
    Score = value > kMaxStoredScore ? kScoreWhenTooHigh : value;
    other.Hide();
    ShowScore();
    const int earned = Score / kRewardEvery;
    for (int n = 1; n <= kRewardFlags; ++n) RewardFlags[n] = n <= earned;
    ShowRewardIcons();
    for (Label* l : {&lblWhite, &lblYellow, &lblPurple, &lblBlack}) l->Show();
}

void TFWords::ImgAClick() { ChooseProfile("Confif.cnf", imgE); }
void TFWords::imgEClick() { ChooseProfile("Confis.cnf", ImgA); }

void TFWords::ChooseLevel(int level) {
    Level = level;
    btn_podskazka.Show();
    imgSubj.Show();
    btExit.Show();
    for (Control* c : std::initializer_list<Control*>{&imgVybor, &imgE, &ImgA, &lblWhite, &lblYellow, &lblPurple,
                                                      &lblBlack})
        c->Hide();
}
