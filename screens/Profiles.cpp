// Choosing a profile and a level, and the progress file that keeps each child's score.
#include <string>

#include "platform/Errors.h"
#include "platform/Files.h"
#include "screens/ProgressFile.h"
#include "screens/TFWords.h"

namespace {
constexpr int kMaxStoredScore = 136;
constexpr int kScoreWhenTooHigh = 2;
}  // namespace

int TFWords::LoadProgress(const std::string& name) { return LoadProgressFile(content_.ProgressFile(name)); }

void TFWords::SaveProgress() {
    if (content_.progressFolderMadeOnSave && !content_.progressFolder.empty()) {
        if (const int err = MakePrivateFolder(content_.progressFolder); err != 0) throw GameError(WriteErrorText(err));
    }
    // A hinted word's point comes back when its next picture is clicked; leaving before that
    // must not cost a word the child had already earned before the hint.
    const int earned = imgDalishe.Visible() ? Score + 1 : Score;
    try {
        SaveProgressFile(content_.ProgressFile(ProgressFileName), earned);
    } catch (const GameError& e) {
        // Where progress cannot be kept at all, the message says so in the game's words.
        if (content_.progressNote.empty()) throw;
        throw GameError(WithFullStop(e.what()) + " " + content_.progressNote);
    }
}

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
