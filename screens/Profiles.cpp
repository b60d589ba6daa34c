// Choosing a profile and a level, and the progress file that keeps each child's score.
#include <algorithm>
#include <exception>
#include <string>

#include "assets/Assets.h"
#include "game/ProgressFile.h"
#include "game/Puzzle.h"
#include "game/RecordHistory.h"
#include "platform/toolkit/Errors.h"
#include "platform/Files.h"
#include "platform/toolkit/Text1251.h"
#include "screens/TFWords.h"

int TFWords::LoadProgress(const std::string& name) { return LoadProgressFile(content_.ProgressFileToRead(name)); }

void TFWords::SaveProgress() {
    const std::optional<int> value = session.ToSave();
    if (!value) return;
    if (content_.progressFolderMadeOnSave && !content_.progressFolder.empty()) {
        if (const int err = MakePrivateFolder(content_.progressFolder); err != 0) throw GameError(WriteErrorText(err));
    }
    try {
        SaveProgressFile(content_.ProgressFile(session.ProgressFileName), *value);
    } catch (const GameError& e) {
        // Where progress cannot be kept at all, the message says so in the game's words.
        if (content_.progressNote.empty()) throw;
        throw GameError(WithFullStop(e.what()) + " " + content_.progressNote);
    }
}

void TFWords::ChooseChild(int child) {
    const Child& c = children.children[static_cast<std::size_t>(child)];
    // Unread until its file is read: one that holds no number throws here, and stays for a
    // parent to mend, never written over.
    session.ProfileUnreadable(c.progressFile);
    session.ProfileRead(c.progressFile, LoadProgress(c.progressFile));
    record.Open(content_.ProgressFile(c.RecordFile()));
    // The child's letters as their whole record has them, the part left where the progress
    // moved from included; play from here on is added as it is recorded.
    letters = LetterCounter{};
    wayRandom_.seed = static_cast<std::uint32_t>(window_.GetHost().PerformanceCounter());
    ForEachHistoryEvent(content_, c.RecordFile(), [this](const RecordEvent& e) { letters.Add(e); });
    // The other children make way; the chosen one stays.
    if (children.AsItCame()) {
        (child == 0 ? imgE : ImgA).Hide();
    } else {
        const int place = child - PageOfChildren(static_cast<int>(children.children.size()), childrenPage_).first;
        for (int i = 0; i < kChildrenOnPage; ++i)
            if (i != place) {
                imgChild[i]->Hide();
                lblChild[i]->Hide();
            }
    }
    imgPageBack.Hide();
    imgPageNext.Hide();
    ShowScore();
    ShowRewardIcons();
    for (Label* l : {&lblWhite, &lblYellow, &lblPurple, &lblBlack}) l->Show();
}

const Child* TFWords::ChildPlaying() const {
    if (session.ProgressFileName.empty()) return nullptr;
    for (const Child& c : children.children)
        if (c.progressFile == session.ProgressFileName) return &c;
    return nullptr;
}

int TFWords::LineByWay() {
    const Child* child = ChildPlaying();
    // Before a level is chosen the word drawn is never seen; the game's own way draws it.
    if (!child || session.Level == 0 || child->way == WordWay::AsAlways) return 0;
    // No word fits the known letters: the child plays on with the level's words, and the
    // corner tells the grown-up which letters to mark.
    return ChooseNextWord(Words, session.Level, letters.Letters(), child->way, child->known, board.CurrentWord, wayRandom_).entry;
}

void TFWords::ShowOfflineNote() {
    const OfflineKeep kept = window_.GetHost().OfflineKept();
    const bool shown = imgVybor.Visible() && kept.applies && (!kept.ready || kept.readyThisVisit);
    if (shown) {
        lblOffline.SetCaption(kept.ready ? Cp("Можно играть без интернета.")
                                         : Cp("Для игры без интернета сохранено ") +
                                               std::to_string(kept.keptFiles * 100 / std::max(1, kept.totalFiles)) + "%");
        lblOffline.SetAutoSize(true);
    }
    lblOffline.SetVisible(shown);
}

void TFWords::ImgAClick() { ChooseChild(0); }
void TFWords::imgEClick() { ChooseChild(1); }
void TFWords::imgChildClick(int place) {
    ChooseChild(PageOfChildren(static_cast<int>(children.children.size()), childrenPage_).first + place);
}

void TFWords::imgPageBackClick() {
    childrenPage_ = std::max(0, childrenPage_ - 1);
    LayOutChildren();
}

void TFWords::imgPageNextClick() {
    ++childrenPage_;
    LayOutChildren();
}

namespace {
// Where a page's place `place` of `count` shows its portrait: one row through the middle of
// the choice picture, as the game has always laid out up to eight; a group's page in two
// rows of up to six, each row centred by the children it holds.
Rect ChildPlace(int place, int count, bool group) {
    constexpr int kSize = 140, kStep = 160, kInRow = kChildrenOnPage / 2;
    int row = 0, inRow = count;
    if (group && count > kInRow) {
        row = place / kInRow;
        inRow = row == 0 ? kInRow : count - kInRow;
        place %= kInRow;
    }
    const int left = (kLayoutSize.width - inRow * kStep + (kStep - kSize)) / 2;
    const int top = group && count > kInRow ? 100 + row * 220 : 200;
    return Rect{left + place * kStep, top, kSize, kSize};
}
}  // namespace

void TFWords::LayOutChildren() {
    const bool asItCame = children.AsItCame();
    const bool choosing = imgVybor.Visible();
    ImgA.SetVisible(choosing && asItCame);
    imgE.SetVisible(choosing && asItCame);
    const int n = static_cast<int>(children.children.size());
    // A page left behind by children taken off the list gives way to the last there is.
    const ChoicePage page = PageOfChildren(n, childrenPage_);
    childrenPage_ = page.page;
    const bool group = n > kChildrenInRow;
    imgPageBack.SetVisible(choosing && page.back);
    imgPageNext.SetVisible(choosing && page.next);
    for (int i = 0; i < kChildrenOnPage; ++i) {
        const bool shown = choosing && !asItCame && i < page.count;
        imgChild[i]->SetVisible(shown);
        lblChild[i]->SetVisible(shown);
        // Nothing is measured for a name that does not show: the first screen loads no font.
        if (!shown) continue;
        const Child& c = children.children[static_cast<std::size_t>(page.first + i)];
        const EmbeddedFile portrait = FindAsset("portrait" + std::to_string(c.portrait) + ".jpg");
        if (portrait.data) imgChild[i]->SetPictureSource([portrait] { return DecodeJpeg(portrait.data, portrait.size); });
        const Rect at = ChildPlace(i, page.count, group);
        imgChild[i]->SetBounds(at);
        lblChild[i]->SetCaption(DisplayName(c));
        lblChild[i]->SetAutoSize(true);
        const Rect label = lblChild[i]->Bounds();
        lblChild[i]->SetBounds(Rect{at.x + (at.w - label.w) / 2, at.y + at.h + 6, label.w, label.h});
    }
}

void TFWords::Record(RecordEvent::Kind kind, int letter, int cell) {
    RecordEvent e;
    e.at = Now();
    e.kind = kind;
    if (kind != RecordEvent::Kind::Start && kind != RecordEvent::Kind::End) e.word = board.CurrentWord;
    e.letter = letter;
    e.cell = cell;
    e.right = letter == cell;
    letters.Add(e);
    record.Add(e);
}

void TFWords::FlushRecord() {
    if (!record.File().empty()) JoinChildHistory(content_, record.File().filename().string());
    record.Flush();
}

void TFWords::ChooseLevel(int level) {
    session.Level = level;
    corner.imgGear.Hide();
    // The word set up behind the choice screen came from no level: the first word is drawn
    // again from the level chosen (a family word this child has not met first of all). Where
    // start-up could build no word, the board stays empty, as it always has.
    std::exception_ptr failed;
    if (!board.CurrentWord.empty()) {
        SettleBoard();
        ReleasePuzzle(board);
        painter.Release();
        try {
            SetupPuzzleWithPictures();
        } catch (...) {
            failed = std::current_exception();
        }
        RedrawBoard();
    }
    Record(RecordEvent::Kind::Start);
    if (!board.CurrentWord.empty()) {
        Record(RecordEvent::Kind::Word);
        MeetFamilyWord();
    }
    btn_podskazka.Show();
    imgSubj.Show();
    btExit.Show();
    for (Control* c : std::initializer_list<Control*>{&imgVybor, &imgE, &ImgA, &lblWhite, &lblYellow, &lblPurple,
                                                      &lblBlack, &lblOffline})
        c->Hide();
    for (int i = 0; i < kChildrenOnPage; ++i) {
        imgChild[i]->Hide();
        lblChild[i]->Hide();
    }
    imgPageBack.Hide();
    imgPageNext.Hide();
    if (failed) {
        // A picture of the level's word is missing: said, with the forward picture there to
        // try again once it is back, as between words.
        img_control_forward.Show();
        std::rethrow_exception(failed);
    }
}
