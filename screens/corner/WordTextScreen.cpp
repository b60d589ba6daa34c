// Typing a family word.
#include "screens/corner/WordTextScreen.h"

#include <set>

#include "game/Puzzle.h"
#include "game/RussianWords.h"
#include "platform/toolkit/PaintUtil.h"
#include "platform/toolkit/Text1251.h"

using namespace corner;

void WordTextScreen::AddControls(Window& window, std::function<void(const CornerStep&)> go) {
    go_ = std::move(go);
    btnErase.OnClick = [this] { go_(KeyDown(Key::Backspace)); };
    btnNext.OnClick = [this] { go_(Next()); };
    btnCancel.OnClick = [this] { go_(CornerStep::Go(CornerStep::To::FamilyWords)); };
    for (Button* b : {&btnErase, &btnNext, &btnCancel}) {
        window.Add(*b);
        b->Hide();
    }
}

void WordTextScreen::Enter(const CornerStep&) {
    word_.clear();
    typingProblem_.clear();
    const std::pair<Button*, const char*> captions[] = {{&btnErase, "Стереть"}, {&btnNext, "Дальше"}, {&btnCancel, "Отмена"}};
    for (const auto& [b, caption] : captions) {
        painter_.FitCaption(*b, Cp(caption));
        b->Show();
    }
}

void WordTextScreen::Leave() {
    for (Button* b : {&btnErase, &btnNext, &btnCancel}) b->Hide();
    pressed_ = -1;
}

std::string WordTextScreen::Check() const {
    if (!typingProblem_.empty()) return typingProblem_;
    return CheckFamilyWord(word_, c_.longestWord, data_.words, data_.family);
}

std::string WordTextScreen::WhereItPlays() const {
    std::set<int> levels;
    for (const int line : ReplaceableLines(data_.words, data_.family, static_cast<int>(word_.size()), c_.longestWord, kCards))
        for (const int level : LevelsOfLine(line)) levels.insert(level);
    static const char* const kNames[] = {"", "белом", "жёлтом", "фиолетовом", "чёрном"};
    std::string text;
    std::size_t i = 0;
    for (const int level : levels) {
        text += i == 0 ? "" : i + 1 == levels.size() ? Cp(" или ") : ", ";
        text += Cp(kNames[level]);
        ++i;
    }
    return text + (levels.size() == 1 ? Cp(" уровне") : Cp(" уровнях"));
}

CornerStep WordTextScreen::Pressed(int x, int y) {
    pressed_ = KeyAt(x, y, kAlphabetSize);
    return {};
}

CornerStep WordTextScreen::Released(int x, int y) {
    const int pressed = pressed_;
    pressed_ = -1;
    if (pressed < 0 || !KeyArea(pressed).Contains(x, y)) return {};
    return Typed(std::string(1, LetterOfNumber(pressed + 1)));
}

CornerStep WordTextScreen::KeyDown(Key key) {
    if (key == Key::Escape) return CornerStep::Go(CornerStep::To::FamilyWords);
    if (key == Key::Enter) return Next();
    if (key == Key::Backspace && !word_.empty()) word_.pop_back();
    typingProblem_.clear();
    return CornerStep::Repaint();
}

CornerStep WordTextScreen::Typed(const std::string& cp1251) {
    const WordTyping t = TypeIntoWord(word_, cp1251, c_.longestWord);
    word_ = t.word;
    typingProblem_ = t.problem;
    return CornerStep::Repaint();
}

CornerStep WordTextScreen::Next() {
    if (!CheckFamilyWord(word_, c_.longestWord, data_.words, data_.family).empty()) return CornerStep::Repaint();
    CornerStep s = CornerStep::Go(CornerStep::To::Picture);
    s.word = word_;
    s.newWord = true;
    return s;
}

void WordTextScreen::Paint(Picture& p) {
    const Rect b = paint::Whole(p);
    painter_.Text(p, Cp("Новое слово"), 28, true, kInk, 24, 64);
    const Rect box{334, 110, 700, 64};
    paint::Fill(p, box, b, clWhite);
    paint::Frame3D(p, box, true, b);
    painter_.Text(p, word_ + "_", 40, true, kInk, box.x + 16, box.y + 10);
    const std::string problem = Check();
    const std::string say = !problem.empty()
                                ? problem
                                : Cp("Подходит: ") + Counted(static_cast<long long>(word_.size()), Cp("буква"), Cp("буквы"), Cp("букв")) +
                                      Cp(", играется на ") + WhereItPlays() + ".";
    painter_.Paragraph(p, say, 22, problem.empty() ? kGood : kWarn, box.x, box.y + box.h + 8, 1000);
    painter_.PaintKeys(p, kAlphabetSize);
}
