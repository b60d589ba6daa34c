// A child's letter grid and way of choosing words.
#include "screens/corner/LettersScreen.h"

#include <algorithm>

#include "game/Puzzle.h"
#include "game/RecordHistory.h"
#include "game/RussianWords.h"
#include "game/WriteProblems.h"
#include "platform/toolkit/Errors.h"
#include "platform/toolkit/PaintUtil.h"
#include "platform/toolkit/Text1251.h"

using namespace corner;

namespace {
constexpr int kGridLeft = 24, kGridTop = 236, kGridTile = 72, kGridStep = 80, kGridRowStep = 84, kGridPerRow = 11;
constexpr int kPanelLeft = 930, kPanelWidth = 1369 - kPanelLeft - 24;

// The grid's colours, as a parent reads them: grey not met yet, red often wrong, amber getting
// there, green sure.
constexpr TColor kNotMet = 0xD0D0D0, kOftenWrong = 0x5050E0, kGettingThere = 0x30C0F0, kSure = 0x40A840;
constexpr TColor kKnownMark = 0x8B3D1F;  // a deep blue: marked as known

TColor ColourFor(LetterColour c) {
    switch (c) {
        case LetterColour::OftenWrong: return kOftenWrong;
        case LetterColour::GettingThere: return kGettingThere;
        case LetterColour::Sure: return kSure;
        default: return kNotMet;
    }
}

std::string LetterList(const std::vector<int>& letters) {
    std::string s;
    for (const int l : letters) s += (s.empty() ? "" : ", ") + std::string(1, LetterOfNumber(l));
    return s;
}

std::string Quoted(const std::string& cp1251) { return "\xAB" + cp1251 + "\xBB"; }

const char* const kLevelNames[] = {"", "Белый уровень", "Жёлтый уровень", "Фиолетовый уровень", "Чёрный уровень"};
}  // namespace

Rect LettersScreen::TileArea(int letter) {
    const int i = letter - 1;
    return Rect{kGridLeft + (i % kGridPerRow) * kGridStep, kGridTop + (i / kGridPerRow) * kGridRowStep, kGridTile, kGridTile};
}

Rect LettersScreen::WayArea(int way) { return Rect{24 + way * 300, 120, 286, 52}; }

void LettersScreen::AddControls(Window& window, std::function<void(const CornerStep&)> go) {
    go_ = std::move(go);
    for (int w = 0; w < kWordWays; ++w)
        WayButtons()[static_cast<std::size_t>(w)]->OnClick = [this, w] { go_(Change(static_cast<WordWay>(w), Shown().known)); };
    btnPrimer.OnClick = [this] { go_(Change(Shown().way, PrimerLettersUpTo(PrimerUpTo()))); };
    btnClear.OnClick = [this] { go_(Change(Shown().way, LetterSet{})); };
    btnBack.OnClick = [this] {
        CornerStep s = CornerStep::Go(CornerStep::To::Figures);
        s.child = child_;
        go_(s);
    };
    for (Button* b : {&btnAsAlways, &btnHard, &btnKnown, &btnPrimer, &btnClear, &btnBack}) {
        window.Add(*b);
        b->Hide();
    }
}

void LettersScreen::Enter(const CornerStep& step) {
    const int count = static_cast<int>(data_.children.children.size());
    if (step.child >= 0) child_ = step.child;
    child_ = std::clamp(child_, 0, count - 1);
    LetterCounter counter;
    ForEachHistoryEvent(c_.content, Shown().RecordFile(), [&](const RecordEvent& e) { counter.Add(e); });
    letters_ = counter.Letters();
    chosen_ = 0;
    pressed_ = 0;
    for (int w = 0; w < kWordWays; ++w) painter_.FitCaption(*WayButtons()[static_cast<std::size_t>(w)], WayCaption(static_cast<WordWay>(w)));
    painter_.FitCaption(btnPrimer, Cp("по порядку букваря"));
    painter_.FitCaption(btnClear, Cp("Снять все отметки"));
    painter_.FitCaption(btnBack, Cp("Назад"));
    ShowButtons();
}

void LettersScreen::ShowButtons() {
    for (Button* b : WayButtons()) b->Show();
    const bool known = Shown().way == WordWay::KnownOnly;
    btnPrimer.SetVisible(known);
    btnClear.SetVisible(known);
    btnClear.SetEnabled(Shown().known.any());
    btnBack.Show();
}

void LettersScreen::Leave() {
    for (Button* b : {&btnAsAlways, &btnHard, &btnKnown, &btnPrimer, &btnClear, &btnBack}) b->Hide();
    pressed_ = 0;
}

int LettersScreen::PrimerUpTo() const {
    if (chosen_ != 0) return chosen_;
    for (const int l : kPrimerOrder)
        if (!Shown().known.test(static_cast<std::size_t>(l))) return l;
    return kPrimerOrder.back();
}

CornerStep LettersScreen::Change(WordWay way, const LetterSet& known) {
    ChildList changed = data_.children;
    Child& c = changed.children[static_cast<std::size_t>(child_)];
    c.way = way;
    c.known = known;
    if (const int err = changed.Save(c_.content.progressFolder); err != 0)
        throw GameError(WriteProblem(err, c_.content.ProgressFile("children.txt")));
    data_.children = changed;
    data_.outcome.childrenChanged = true;
    ShowButtons();
    return CornerStep::Repaint();
}

CornerStep LettersScreen::Pressed(int x, int y) {
    pressed_ = 0;
    for (int l = 1; l <= kLetters; ++l)
        if (TileArea(l).Contains(x, y)) pressed_ = l;
    return {};
}

CornerStep LettersScreen::Released(int x, int y) {
    const int letter = pressed_;
    pressed_ = 0;
    if (letter == 0 || !TileArea(letter).Contains(x, y)) return {};
    chosen_ = letter;
    // Marking is what a press does under "Только знакомые буквы"; under the other ways the
    // marks are kept, unseen, for when it is chosen again.
    if (Shown().way == WordWay::KnownOnly) return Change(Shown().way, LetterSet(Shown().known).flip(static_cast<std::size_t>(letter)));
    return CornerStep::Repaint();
}

CornerStep LettersScreen::KeyDown(Key key) {
    if (key != Key::Escape) return {};
    CornerStep s = CornerStep::Go(CornerStep::To::Figures);
    s.child = child_;
    return s;
}

void LettersScreen::Paint(Picture& p) {
    const Rect b = paint::Whole(p);
    const Child& child = Shown();
    painter_.Text(p, Cp("Буквы и слова: ") + DisplayName(child), 28, true, kInk, 24, 62);
    painter_.Text(p, Cp("Как игра выбирает слова:"), 20, false, kSoft, 24, 94);
    // The chosen way framed, as a chosen child is.
    const Rect chosen = WayArea(static_cast<int>(child.way));
    paint::Fill(p, Rect{chosen.x - 5, chosen.y - 5, chosen.w + 10, chosen.h + 10}, b, kFrame);
    painter_.Text(p, Cp("Буквы: как ребёнок ставит их на место с первого раза в последних словах"), 20, false, kSoft,
                  kGridLeft, kGridTop - 34);
    for (int l = 1; l <= kLetters; ++l) PaintTile(p, l);
    PaintLegend(p, kGridTop + 3 * kGridRowStep + 4);
    PaintPressed(p, kGridTop + 3 * kGridRowStep + 48);
    PaintWay(p);
}

void LettersScreen::PaintTile(Picture& p, int letter) {
    const Rect b = paint::Whole(p);
    const Rect r = TileArea(letter);
    const bool known = Shown().way == WordWay::KnownOnly && Shown().known.test(static_cast<std::size_t>(letter));
    // Known: a thick blue frame; pressed: the corner's orange round it, the blue still showing
    // inside for a known letter.
    if (letter == chosen_) paint::Fill(p, Rect{r.x - 7, r.y - 7, r.w + 14, r.h + 14}, b, kFrame);
    if (known) paint::Fill(p, Rect{r.x - 5, r.y - 5, r.w + 10, r.h + 10}, b, kKnownMark);
    paint::Fill(p, r, b, ColourFor(ColourOf(letters_[static_cast<std::size_t>(letter)])));
    // The game's own tile inside a border of the colour, so that the letter reads as on the board.
    constexpr int kInset = 8;
    if (const Picture* tile = painter_.Tile(letter, kGridTile - 2 * kInset)) {
        paint::Blit(p, r.x + kInset, r.y + kInset, *tile, b, false);
    } else {
        const std::string s(1, LetterOfNumber(letter));
        painter_.Text(p, s, 40, true, kInk, r.x + (r.w - painter_.TextWidth(s, 40, true)) / 2, r.y + 12);
    }
}

void LettersScreen::PaintLegend(Picture& p, int y) {
    const Rect b = paint::Whole(p);
    const std::pair<TColor, const char*> keys[] = {
        {kNotMet, "ещё не встречалась"}, {kOftenWrong, "часто ошибается"}, {kGettingThere, "получается"}, {kSure, "уверенно"}};
    int x = kGridLeft;
    for (const auto& [colour, text] : keys) {
        paint::Fill(p, Rect{x, y + 4, 22, 22}, b, colour);
        painter_.Text(p, Cp(text), 18, false, kInk, x + 30, y + 4);
        x += 30 + painter_.TextWidth(Cp(text), 18, false) + 28;
    }
    if (Shown().way == WordWay::KnownOnly) {
        paint::Fill(p, Rect{x, y + 1, 28, 28}, b, kKnownMark);
        paint::Fill(p, Rect{x + 4, y + 5, 20, 20}, b, kNotMet);
        painter_.Text(p, Cp("знакомая"), 18, false, kInk, x + 36, y + 4);
    }
}

void LettersScreen::PaintPressed(Picture& p, int y) {
    if (chosen_ == 0) {
        painter_.Text(p, Cp("Нажмите на букву, чтобы увидеть, как она получается."), 20, false, kSoft, kGridLeft, y);
        return;
    }
    const LetterLately& l = letters_[static_cast<std::size_t>(chosen_)];
    const std::string letter = std::string(1, LetterOfNumber(chosen_));
    painter_.Text(p, letter, 34, true, kInk, kGridLeft, y - 4);
    const int x = kGridLeft + 44;
    if (l.tries == 0) {
        painter_.Text(p, Cp("Ещё не встречалась в словах."), 22, false, kInk, x, y);
        return;
    }
    painter_.Text(p, Cp("С первого раза на своё место: ") + std::to_string(l.recentRight) + Cp(" из последних ") +
                         Counted(l.recentTries, Cp("слова"), Cp("слов"), Cp("слов")) + ".",
                  22, false, kInk, x, y);
    std::string more = Cp("Встречалась в ") + Counted(l.tries, Cp("слове"), Cp("словах"), Cp("словах")) + ".";
    if (l.rightInARow > 0) more += Cp(" Подряд верно: ") + std::to_string(l.rightInARow) + ".";
    if (l.sureSince != 0) more += Cp(" Уверенно с ") + DayInWords(l.sureSince, c_.now()) + ".";
    painter_.Text(p, more, 20, false, kSoft, x, y + 32);
}

void LettersScreen::PaintWay(Picture& p) {
    const Rect b = paint::Whole(p);
    paint::Fill(p, Rect{kPanelLeft - 16, kGridTop - 40, 2, 3 * kGridRowStep + 120}, b, kPaperDark);
    const Child& child = Shown();
    int y = kGridTop - 36;
    auto title = [&](const std::string& text) {
        painter_.Text(p, text, 22, true, kInk, kPanelLeft, y);
        y += 34;
    };
    auto para = [&](const std::string& text, TColor colour = kInk) {
        y += painter_.Paragraph(p, text, 19, colour, kPanelLeft, y, kPanelWidth) + 8;
    };
    if (child.way == WordWay::AsAlways) {
        title(Cp("Слова подряд"));
        para(Cp("Слова приходят вразнобой из слов уровня, как всегда было в игре. Буквы слева игра только "
                "показывает, на выбор слов они не влияют."));
        return;
    }
    if (child.way == WordWay::HardOften) {
        title(Cp("Сейчас чаще приходят буквы"));
        const std::vector<int> back = LettersBroughtBack(letters_);
        if (back.empty()) {
            para(Cp("пока никакие: трудных букв нет."), kSoft);
        } else {
            para(LetterList(back));
            para(Cp("Буква, которую ребёнок теперь ставит верно с первого раза, приходит всё реже."), kSoft);
        }
        title(Cp("Уверенно"));
        std::vector<int> sure;
        for (int l = 1; l <= kLetters; ++l)
            if (letters_[static_cast<std::size_t>(l)].sureSince != 0) sure.push_back(l);
        std::stable_sort(sure.begin(), sure.end(), [&](int a, int c) {
            return letters_[static_cast<std::size_t>(a)].sureSince > letters_[static_cast<std::size_t>(c)].sureSince;
        });
        if (sure.empty()) para(Cp("пока ни одной буквы."), kSoft);
        for (std::size_t i = 0; i < sure.size() && i < 5; ++i)
            para(std::string(1, LetterOfNumber(sure[i])) + Cp(" \x96 с ") +
                 DayInWords(letters_[static_cast<std::size_t>(sure[i])].sureSince, c_.now()));
        if (sure.size() > 5) para(Cp("и ещё ") + Counted(static_cast<long long>(sure.size() - 5), Cp("буква"), Cp("буквы"), Cp("букв")), kSoft);
        return;
    }
    title(Cp("Знакомых букв: ") + std::to_string(child.known.count() - (child.known.test(0) ? 1 : 0)) + Cp(" из 33"));
    para(Cp("Нажмите на букву, чтобы отметить её или снять отметку. Кнопка ") + Quoted(Cp("по порядку букваря")) +
             Cp(" отметит буквы букваря от А до ") + Quoted(std::string(1, LetterOfNumber(PrimerUpTo()))) + ".",
         kSoft);
    y += 4;
    for (int level = 1; level <= 4; ++level) {
        const KnownFit fit = FitOfKnown(data_.words, level, child.known);
        std::string text = Cp(kLevelNames[level]) + ": ";
        if (fit.words > 0)
            text += Counted(fit.words, Cp("слово"), Cp("слова"), Cp("слов"));
        else if (!fit.toAdd.empty())
            text += Cp("ни одно слово не подходит. Отметьте ещё ") + LetterList(fit.toAdd);
        else
            text += Cp("в списке нет слов");
        para(text, fit.words > 0 ? kInk : kWarn);
    }
}
