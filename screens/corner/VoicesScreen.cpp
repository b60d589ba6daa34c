// Choosing a letter or a bundled word to say in a parent's voice.
#include "screens/corner/VoicesScreen.h"

#include <algorithm>

#include "game/Puzzle.h"
#include "platform/toolkit/Text1251.h"

using namespace corner;

namespace {
Button* LevelButton(VoicesScreen& s, int level) {
    Button* const buttons[] = {&s.btnLetters, &s.btnWhite, &s.btnYellow, &s.btnPurple, &s.btnBlack};
    return buttons[level];
}
}  // namespace

void VoicesScreen::AddControls(Window& window, std::function<void(const CornerStep&)> go) {
    go_ = std::move(go);
    for (int level = 0; level <= 4; ++level)
        LevelButton(*this, level)->OnClick = [this, level] {
            CornerStep s = CornerStep::Go(CornerStep::To::Voices);
            s.level = level;
            go_(s);
        };
    btnBack.OnClick = [this] { go_(CornerStep::Go(CornerStep::To::FamilyWords)); };
    for (Button* b : {&btnLetters, &btnWhite, &btnYellow, &btnPurple, &btnBlack, &btnBack}) {
        window.Add(*b);
        b->Hide();
    }
}

void VoicesScreen::Enter(const CornerStep& step) {
    level_ = std::clamp(step.level, 0, 4);
    lines_.clear();
    cards_.clear();
    if (level_ > 0) {
        const EntryRange range = RangeOfLevel(level_);
        for (int k = range.first; k <= range.last && static_cast<int>(lines_.size()) < kCards; ++k) {
            const std::string& entry = data_.words.entries[static_cast<std::size_t>(k)];
            // A family word has no game voice to speak over: its own is recorded from its card.
            bool twice = entry.empty() || data_.family.AtLine(k) != nullptr;
            for (const int j : lines_) twice = twice || data_.words.entries[static_cast<std::size_t>(j)] == entry;
            if (!twice) lines_.push_back(k);
        }
        for (const int line : lines_) cards_.push_back(painter_.CardPicture(data_.words.entries[static_cast<std::size_t>(line)]));
    }
    const char* const captions[] = {"Буквы", "Белый", "Жёлтый", "Фиолетовый", "Чёрный"};
    for (int level = 0; level <= 4; ++level) {
        Button& b = *LevelButton(*this, level);
        painter_.FitCaption(b, Cp(captions[level]));
        b.SetEnabled(level != level_);  // the one shown
        b.Show();
    }
    painter_.FitCaption(btnBack, Cp("Назад"));
    btnBack.Show();
}

void VoicesScreen::Leave() {
    for (Button* b : {&btnLetters, &btnWhite, &btnYellow, &btnPurple, &btnBlack, &btnBack}) b->Hide();
    cards_.clear();
    pressed_ = -1;
}

CornerStep VoicesScreen::Pressed(int x, int y) {
    pressed_ = level_ == 0 ? KeyAt(x, y, kAlphabetSize) : CardAt(x, y, static_cast<int>(cards_.size()));
    return {};
}

CornerStep VoicesScreen::Released(int x, int y) {
    const int pressed = pressed_;
    pressed_ = -1;
    if (pressed < 0 || !(level_ == 0 ? KeyArea(pressed) : CardArea(pressed)).Contains(x, y)) return {};
    CornerStep s = CornerStep::Go(CornerStep::To::Voice);
    s.level = level_;
    if (level_ == 0)
        s.letter = pressed + 1;
    else
        s.word = data_.words.entries[static_cast<std::size_t>(lines_[static_cast<std::size_t>(pressed)])];
    return s;
}

CornerStep VoicesScreen::KeyDown(Key key) {
    return key == Key::Escape ? CornerStep::Go(CornerStep::To::FamilyWords) : CornerStep{};
}

void VoicesScreen::Paint(Picture& p) {
    if (level_ == 0) {
        painter_.Text(p, Cp("Какую букву записать вашим голосом? Слова — по уровням, внизу."), 28, true, kInk, 24, 64);
        painter_.PaintKeys(p, kAlphabetSize);
        return;
    }
    painter_.Text(p, Cp("Какое слово записать вашим голосом?"), 28, true, kInk, 24, 64);
    for (std::size_t i = 0; i < cards_.size(); ++i)
        painter_.PaintCard(p, static_cast<int>(i), cards_[i], data_.words.entries[static_cast<std::size_t>(lines_[i])], false);
}
