// Choosing a profile and a level, and the progress file that keeps each child's score.
#include <string>

#include "game/ProgressFile.h"
#include "platform/toolkit/Errors.h"
#include "platform/Files.h"
#include "screens/TFWords.h"

int TFWords::LoadProgress(const std::string& name) { return LoadProgressFile(content_.ProgressFileToRead(name)); }

void TFWords::SaveProgress() {
    const std::optional<int> value = session.ToSave();
    if (!value) return;
    if (content_.progressFolderMadeOnSave && !content_.progressFolder.empty()) {
        if (const int err = MakePrivateFolder(content_.progressFolder); err != 0) throw GameError(WriteErrorText(err));
    }
    SaveProgressFile(content_.ProgressFile(session.ProgressFileName), *value);
}

void TFWords::ChooseProfile(const std::string& fileName, PictureControl& other) {
    // Unread until its file is read: one that holds no number throws here, and stays for a
    // parent to mend, never written over.
    session.ProfileUnreadable(fileName);
    session.ProfileRead(fileName, LoadProgress(fileName));
    other.Hide();
    ShowScore();
    ShowRewardIcons();
    for (Label* l : {&lblWhite, &lblYellow, &lblPurple, &lblBlack}) l->Show();
}

void TFWords::ImgAClick() { ChooseProfile("Confif.cnf", imgE); }
void TFWords::imgEClick() { ChooseProfile("Confis.cnf", ImgA); }

void TFWords::ChooseLevel(int level) {
    session.Level = level;
    btn_podskazka.Show();
    imgSubj.Show();
    btExit.Show();
    for (Control* c : std::initializer_list<Control*>{&imgVybor, &imgE, &ImgA, &lblWhite, &lblYellow, &lblPurple,
                                                      &lblBlack})
        c->Hide();
}
