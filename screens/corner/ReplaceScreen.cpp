// Choosing the bundled word a family word replaces, and saving it.
#include "screens/corner/ReplaceScreen.h"

#include "game/WriteProblems.h"
#include "platform/toolkit/Errors.h"
#include "platform/toolkit/Text1251.h"

using namespace corner;

void ReplaceScreen::AddControls(Window& window, std::function<void(const CornerStep&)> go) {
    go_ = std::move(go);
    btnSave.OnClick = [this] { go_(Save()); };
    btnCancel.OnClick = [this] { go_(CornerStep::Go(CornerStep::To::FamilyWords)); };
    for (Button* b : {&btnSave, &btnCancel}) {
        window.Add(*b);
        b->Hide();
    }
}

void ReplaceScreen::Enter(const CornerStep& step) {
    word_ = step.word;
    picture_ = step.picture;
    crop_ = step.crop;
    line_ = 0;
    lines_ = ReplaceableLines(data_.words, data_.family, static_cast<int>(word_.size()), c_.longestWord, kCards);
    // Each card's picture once, here: a tap on a card repaints the page, never re-reads a file.
    cards_.clear();
    for (const int line : lines_) cards_.push_back(painter_.CardPicture(data_.words.entries[static_cast<std::size_t>(line)]));
    painter_.FitCaption(btnSave, Cp("Сохранить слово"));
    painter_.FitCaption(btnCancel, Cp("Отмена"));
    btnSave.Show();
    btnCancel.Show();
    btnSave.SetEnabled(false);
}

void ReplaceScreen::Leave() {
    btnSave.Hide();
    btnCancel.Hide();
    cards_.clear();
    picture_.reset();
    pressed_ = -1;
}

CornerStep ReplaceScreen::Pressed(int x, int y) {
    pressed_ = CardAt(x, y, static_cast<int>(cards_.size()));
    return {};
}

CornerStep ReplaceScreen::Released(int x, int y) {
    const int pressed = pressed_;
    pressed_ = -1;
    if (pressed < 0 || !CardArea(pressed).Contains(x, y)) return {};
    line_ = lines_[static_cast<std::size_t>(pressed)];
    btnSave.SetEnabled(true);
    return CornerStep::Repaint();
}

CornerStep ReplaceScreen::KeyDown(Key key) {
    return key == Key::Escape ? CornerStep::Go(CornerStep::To::FamilyWords) : CornerStep{};
}

CornerStep ReplaceScreen::Save() {
    if (line_ == 0 || !picture_) return {};
    FamilyWord w;
    w.word = word_;
    w.line = line_;
    w.replaced = data_.words.entries[static_cast<std::size_t>(line_)];
    if (const int err = AddFamilyWord(c_.content, data_.family, w, EncodeBmp(MakeSubjectPicture(*picture_, crop_))); err != 0)
        throw GameError(WriteProblem(err, c_.content.FamilyPicture(word_)));
    data_.WordsChanged(c_.content);
    data_.outcome.wordsChanged = true;
    c_.window.ShowMessage(Cp("Слово ") + "\xAB" + word_ + "\xBB" + Cp(" добавлено: его покажут следующим ") + LevelsOfLineText(line_) +
                          Cp(", каждому ребёнку, пока он его не встретит. Теперь можно записать его голосом."));
    CornerStep s = CornerStep::Go(CornerStep::To::Voice);
    s.word = word_;
    s.fromFamily = true;
    return s;
}

void ReplaceScreen::Paint(Picture& p) {
    painter_.Text(p, Cp("Вместо какого слова будет «") + word_ + Cp("»?"), 28, true, kInk, 24, 64);
    if (lines_.empty()) painter_.Text(p, Cp("Нет слова такой же длины, которое можно заменить."), 24, false, kWarn, 24, 130);
    for (std::size_t i = 0; i < cards_.size(); ++i) {
        const std::string& word = data_.words.entries[static_cast<std::size_t>(lines_[i])];
        painter_.PaintCard(p, static_cast<int>(i), cards_[i], word, lines_[i] == line_);
    }
    if (line_ != 0)
        painter_.Text(p, "\xAB" + word_ + "\xBB " + Cp("будет ") + LevelsOfLineText(line_) + Cp(" вместо ") + "\xAB" +
                             data_.words.entries[static_cast<std::size_t>(line_)] + "\xBB.",
                      22, false, kGood, 24, 590);
}
