// The list of the family's words.
#include "screens/corner/FamilyWordsScreen.h"

#include "game/WriteProblems.h"
#include "platform/toolkit/Errors.h"
#include "platform/toolkit/Text1251.h"

using namespace corner;

void FamilyWordsScreen::AddControls(Window& window, std::function<void(const CornerStep&)> go) {
    go_ = std::move(go);
    btnAddWord.OnClick = [this] { go_(CornerStep::Go(CornerStep::To::WordText)); };
    btnNewPicture.OnClick = [this] {
        if (!ChosenWord()) return;
        CornerStep s = CornerStep::Go(CornerStep::To::Picture);
        s.word = ChosenWord()->word;
        go_(s);
    };
    btnWordVoice.OnClick = [this] {
        if (!ChosenWord()) return;
        CornerStep s = CornerStep::Go(CornerStep::To::Voice);
        s.word = ChosenWord()->word;
        s.fromFamily = true;
        go_(s);
    };
    btnRemoveWord.OnClick = [this] { go_(RemoveWord()); };
    btnGameVoices.OnClick = [this] { go_(CornerStep::Go(CornerStep::To::Voices)); };
    btnBack.OnClick = [this] { go_(CornerStep::Go(CornerStep::To::Figures)); };
    for (Button* b : {&btnAddWord, &btnNewPicture, &btnWordVoice, &btnRemoveWord, &btnGameVoices, &btnBack}) {
        window.Add(*b);
        b->Hide();
    }
}

void FamilyWordsScreen::Enter(const CornerStep& step) {
    // Coming back from a word's screens, that word stays chosen.
    chosen_ = -1;
    for (std::size_t i = 0; i < data_.family.words.size(); ++i)
        if (!step.word.empty() && data_.family.words[i].word == step.word) chosen_ = static_cast<int>(i);
    cards_.clear();
    for (std::size_t i = 0; i < data_.family.words.size() && i < static_cast<std::size_t>(kCards); ++i)
        cards_.push_back(painter_.CardPicture(data_.family.words[i].word));
    const std::pair<Button*, const char*> captions[] = {
        {&btnAddWord, "Добавить слово"}, {&btnNewPicture, "Другая картинка"}, {&btnWordVoice, "Записать голос"},
        {&btnRemoveWord, "Убрать слово"}, {&btnGameVoices, "Голоса игры"},    {&btnBack, "Назад"}};
    for (const auto& [b, caption] : captions) {
        painter_.FitCaption(*b, Cp(caption));
        b->Show();
    }
    Enable();
}

void FamilyWordsScreen::Leave() {
    for (Button* b : {&btnAddWord, &btnNewPicture, &btnWordVoice, &btnRemoveWord, &btnGameVoices, &btnBack}) b->Hide();
    cards_.clear();
    pressed_ = -1;
}

void FamilyWordsScreen::Enable() {
    for (Button* b : {&btnNewPicture, &btnWordVoice, &btnRemoveWord}) b->SetEnabled(ChosenWord() != nullptr);
}

const FamilyWord* FamilyWordsScreen::ChosenWord() const {
    if (chosen_ < 0 || chosen_ >= static_cast<int>(data_.family.words.size())) return nullptr;
    return &data_.family.words[static_cast<std::size_t>(chosen_)];
}

CornerStep FamilyWordsScreen::Pressed(int x, int y) {
    pressed_ = CardAt(x, y, static_cast<int>(cards_.size()));
    return {};
}

CornerStep FamilyWordsScreen::Released(int x, int y) {
    const int pressed = pressed_;
    pressed_ = -1;
    if (pressed < 0 || !CardArea(pressed).Contains(x, y)) return {};
    chosen_ = pressed;
    Enable();
    return CornerStep::Repaint();
}

CornerStep FamilyWordsScreen::KeyDown(Key key) {
    return key == Key::Escape ? CornerStep::Go(CornerStep::To::Figures) : CornerStep{};
}

CornerStep FamilyWordsScreen::RemoveWord() {
    const FamilyWord* chosen = ChosenWord();
    if (!chosen) return {};
    const FamilyWord w = *chosen;
    const std::string back = w.replaced.empty() ? std::string() : Cp(" Вернётся слово ") + "\xAB" + w.replaced + "\xBB.";
    if (!c_.window.AskYesNo(Cp("Убрать слово ") + "\xAB" + w.word + "\xBB" + Cp(" с его картинкой и голосом?") + back)) return {};
    if (const int err = RemoveFamilyWord(c_.content, data_.family, w.word); err != 0)
        throw GameError(WriteProblem(err, c_.content.FamilyNote()));
    data_.WordsChanged(c_.content);
    data_.outcome.wordsChanged = true;
    return CornerStep::Go(CornerStep::To::FamilyWords);
}

void FamilyWordsScreen::Paint(Picture& p) {
    painter_.Text(p, Cp("Слова семьи"), 28, true, kInk, 24, 64);
    if (data_.family.words.empty())
        painter_.Text(p, Cp("Пока нет: «Добавить слово» — имя ребёнка, «МАМА», кличка кошки…"), 24, false, kSoft, 24, 130);
    for (std::size_t i = 0; i < cards_.size(); ++i)
        painter_.PaintCard(p, static_cast<int>(i), cards_[i], data_.family.words[i].word, static_cast<int>(i) == chosen_);
    if (const FamilyWord* w = ChosenWord())
        painter_.Text(p, "\xAB" + w->word + "\xBB " + Cp("играется ") + LevelsOfLineText(w->line) + Cp(" вместо слова ") +
                             "\xAB" + w->replaced + "\xBB.",
                      22, false, kInk, 24, 590);
}
