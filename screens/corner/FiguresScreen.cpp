// A child's figures, and adding, renaming and removing children.
#include "screens/corner/FiguresScreen.h"

#include "screens/corner/ChildFilesScreen.h"

#include <algorithm>

#include "game/ProgressFile.h"
#include "game/Puzzle.h"
#include "game/RecordHistory.h"
#include "game/RussianWords.h"
#include "game/Session.h"
#include "game/WriteProblems.h"
#include "platform/toolkit/Errors.h"
#include "platform/toolkit/PaintUtil.h"
#include "platform/toolkit/Text1251.h"

using namespace corner;

namespace {
constexpr TColor kSolvedBar = 0x0080FF;  // orange
constexpr TColor kTimeBar = 0xC08040;    // blue
constexpr int kTabTop = 62, kTabSize = 64, kTabStep = 150;
// Nine tabs fill the row; a longer one gives an end of it to each arrow and shows eight.
constexpr int kTabsInRow = 9, kTabsBesideArrows = 8, kTabArrowWidth = 60;
constexpr int kChartLeft = 24, kBarWidth = 18, kBarStep = 21;
constexpr int kSolvedChartTop = 262, kSolvedChartHeight = 120;
constexpr int kTimeChartTop = 452, kTimeChartHeight = 100;

std::string Duration(int seconds) {
    const int m = seconds / 60, s = seconds % 60;
    if (m == 0) return std::to_string(s) + Cp(" с");
    return std::to_string(m) + Cp(" мин") + (s ? " " + std::to_string(s) + Cp(" с") : std::string());
}

std::string Quoted(const std::string& cp1251) { return "\xAB" + cp1251 + "\xBB"; }
}  // namespace

bool FiguresScreen::TabsScroll() const { return static_cast<int>(data_.children.children.size()) > kTabsInRow; }

int FiguresScreen::TabsShown() const {
    return std::min(static_cast<int>(data_.children.children.size()), TabsScroll() ? kTabsBesideArrows : kTabsInRow);
}

Rect FiguresScreen::TabArea(int child) const {
    if (!TabsScroll()) return Rect{24 + child * kTabStep, kTabTop, kTabStep - 10, kTabSize + 34};
    if (child < firstTab_ || child >= firstTab_ + kTabsBesideArrows) return Rect{0, 0, 0, 0};
    return Rect{24 + kTabArrowWidth + 10 + (child - firstTab_) * kTabStep, kTabTop, kTabStep - 10, kTabSize + 34};
}

Rect FiguresScreen::TabsBackArea() { return Rect{24, kTabTop, kTabArrowWidth, kTabSize + 34}; }

Rect FiguresScreen::TabsNextArea() {
    return Rect{24 + kTabArrowWidth + 10 + kTabsBesideArrows * kTabStep, kTabTop, kTabArrowWidth, kTabSize + 34};
}

Rect FiguresScreen::BarArea(int day, bool minutes) {
    return Rect{kChartLeft + day * kBarStep, minutes ? kTimeChartTop : kSolvedChartTop, kBarWidth,
                minutes ? kTimeChartHeight : kSolvedChartHeight};
}

void FiguresScreen::AddControls(Window& window, std::function<void(const CornerStep&)> go) {
    go_ = std::move(go);
    btnFiles.OnClick = [this] {
        CornerStep s = CornerStep::Go(CornerStep::To::Files);
        s.child = selected_;
        go_(s);
    };
    btnAddChild.OnClick = [this] {
        CornerStep s = CornerStep::Go(CornerStep::To::Name);
        s.child = selected_;
        go_(s);
    };
    btnRename.OnClick = [this] {
        CornerStep s = CornerStep::Go(CornerStep::To::Name);
        s.child = selected_;
        s.renaming = true;
        go_(s);
    };
    btnRemove.OnClick = [this] { go_(Remove()); };
    btnLetters.OnClick = [this] {
        CornerStep s = CornerStep::Go(CornerStep::To::Letters);
        s.child = selected_;
        go_(s);
    };
    btnFamilyWords.OnClick = [this] { go_(CornerStep::Go(CornerStep::To::FamilyWords)); };
    btnBack.OnClick = [this] { go_(CornerStep::Go(CornerStep::To::Closed)); };
    for (Button* b : {&btnLetters, &btnFiles, &btnAddChild, &btnRename, &btnRemove, &btnFamilyWords, &btnBack}) {
        window.Add(*b);
        b->Hide();
    }
}

void FiguresScreen::Enter(const CornerStep& step) {
    const int count = static_cast<int>(data_.children.children.size());
    if (step.child >= 0) selected_ = step.child;
    selected_ = std::clamp(selected_, 0, count - 1);
    firstTab_ = FirstInView(firstTab_, selected_, count, TabsShown());
    const Child& child = data_.children.children[static_cast<std::size_t>(selected_)];
    // All of the child's play, the record left beside a folder the progress moved from too;
    // read a piece at a time, so that a record of years is counted without being held.
    FiguresCounter counter(c_.now());
    const int damaged = ForEachHistoryEvent(c_.content, child.RecordFile(), [&](const RecordEvent& e) { counter.Add(e); });
    figures_ = counter.Finish(damaged);
    try {
        score_ = Session::ScoreFromStored(LoadProgressFile(c_.content.ProgressFileToRead(child.progressFile)));
    } catch (const GameError&) {
        score_ = -1;
    }
    const std::pair<Button*, const char*> captions[] = {
        {&btnLetters, "Буквы и слова"},   {&btnFiles, "Файлы и копии"}, {&btnAddChild, "Добавить ребёнка"}, {&btnRename, "Переименовать"},
        {&btnRemove, "Удалить"},          {&btnFamilyWords, "Слова семьи"},   {&btnBack, "Назад"}};
    for (const auto& [b, caption] : captions) {
        painter_.FitCaption(*b, Cp(caption));
        b->Show();
    }
    btnAddChild.SetEnabled(!data_.children.Full());
    btnRemove.SetEnabled(data_.children.MayRemove(selected_));
}

void FiguresScreen::Leave() {
    for (Button* b : {&btnLetters, &btnFiles, &btnAddChild, &btnRename, &btnRemove, &btnFamilyWords, &btnBack}) b->Hide();
    pressedTab_ = -1;
    pressedArrow_ = 0;
}

CornerStep FiguresScreen::Pressed(int x, int y) {
    pressedTab_ = -1;
    pressedArrow_ = 0;
    for (int i = firstTab_; i < firstTab_ + TabsShown(); ++i)
        if (TabArea(i).Contains(x, y)) pressedTab_ = i;
    if (TabsScroll() && TabsBackArea().Contains(x, y)) pressedArrow_ = -1;
    if (TabsScroll() && TabsNextArea().Contains(x, y)) pressedArrow_ = 1;
    return {};
}

CornerStep FiguresScreen::Released(int x, int y) {
    const int pressed = pressedTab_, arrow = pressedArrow_;
    pressedTab_ = -1;
    pressedArrow_ = 0;
    CornerStep s = CornerStep::Go(CornerStep::To::Figures);
    if (arrow != 0 && (arrow < 0 ? TabsBackArea() : TabsNextArea()).Contains(x, y)) {
        // The next eight, or the eight before; the figures follow to the first of them, so
        // that the child whose figures show is always one whose tab does.
        const int count = static_cast<int>(data_.children.children.size());
        const int first = std::clamp(firstTab_ + arrow * kTabsBesideArrows, 0, count - kTabsBesideArrows);
        if (first == firstTab_) return {};
        firstTab_ = first;
        s.child = first;
        return s;
    }
    if (pressed < 0 || !TabArea(pressed).Contains(x, y)) return {};
    s.child = pressed;
    return s;
}

CornerStep FiguresScreen::KeyDown(Key key) {
    return key == Key::Escape ? CornerStep::Go(CornerStep::To::Closed) : CornerStep{};
}

CornerStep FiguresScreen::Dropped(const std::string& utf8Path) {
    if (!ChildFilesScreen::IsChildrenFile(utf8Path)) return {};
    const int shown = ChildFilesScreen::TakeFile(c_, data_, utf8Path, false);
    CornerStep s = CornerStep::Go(CornerStep::To::Figures);
    s.child = shown >= 0 ? shown : selected_;
    return s;
}

CornerStep FiguresScreen::Remove() {
    if (!data_.children.MayRemove(selected_)) return {};
    const std::string name = Quoted(DisplayName(data_.children.children[static_cast<std::size_t>(selected_)]));
    if (!c_.window.AskYesNo(Cp("Убрать ") + name + Cp(" из игры? Его успехи останутся в файлах."))) return {};
    if (!c_.window.AskYesNo(Cp("Точно убрать ") + name + "?")) return {};
    if (const int err = data_.children.Remove(selected_, c_.content.progressFolder); err != 0)
        throw GameError(WriteProblem(err, c_.content.ProgressFile("children.txt")));
    data_.outcome.childrenChanged = true;
    CornerStep s = CornerStep::Go(CornerStep::To::Figures);
    s.child = std::max(0, selected_ - 1);
    return s;
}

void FiguresScreen::Paint(Picture& p) {
    const Rect b = paint::Whole(p);
    if (TabsScroll()) {
        const int count = static_cast<int>(data_.children.children.size());
        PaintTabArrow(p, TabsBackArea(), false, firstTab_ > 0);
        PaintTabArrow(p, TabsNextArea(), true, firstTab_ + kTabsBesideArrows < count);
    }
    for (int i = firstTab_; i < firstTab_ + TabsShown(); ++i) {
        const Child& c = data_.children.children[static_cast<std::size_t>(i)];
        const Rect t = TabArea(i);
        // On the game's green, which the portraits are drawn on; the chosen one framed.
        if (i == selected_) paint::Fill(p, Rect{t.x - 4, t.y - 4, t.w + 8, t.h + 8}, b, kFrame);
        paint::Fill(p, t, b, kHeader);
        paint::Blit(p, t.x + (t.w - kTabSize) / 2, t.y + 2, painter_.Portrait(c.portrait, kTabSize), b, false);
        const std::string name = DisplayName(c);
        const bool bold = i == selected_;
        painter_.Text(p, name, 20, bold, clWhite, t.x + std::max(0, (t.w - painter_.TextWidth(name, 20, bold)) / 2),
                      t.y + kTabSize + 6);
    }
    painter_.Text(p, score_ >= 0 ? Cp("Решено слов: ") + std::to_string(score_) : Cp("Решено слов: файл успехов не читается"),
                  30, true, kInk, kChartLeft, 186);
    PaintChart(p, false);
    PaintChart(p, true);
    PaintLetters(p);
    // In a browser: whether the game is kept for play without a network yet.
    const OfflineKeep offline = c_.window.GetHost().OfflineKept();
    if (offline.applies) {
        const std::string text = offline.ready ? Cp("Можно играть без интернета.")
                                               : Cp("Для игры без интернета сохранено ") +
                                                     std::to_string(offline.keptFiles * 100 / std::max(1, offline.totalFiles)) + "%";
        // On the corner's green header, beside its title.
        painter_.Text(p, text, 18, offline.ready, clWhite, kPage.w - 24 - painter_.TextWidth(text, 18, offline.ready), 16);
    }
}

void FiguresScreen::PaintTabArrow(Picture& p, Rect r, bool forward, bool enabled) {
    const Rect b = paint::Whole(p);
    // A tab of the row's own green holding a white triangle; at the row's end, a dim one.
    paint::Fill(p, r, b, enabled ? kHeader : kDarkHeader);
    const int half = r.w / 2 - 4, cy = r.y + r.h / 2, base = r.x + (r.w - half) / 2;
    for (int dx = 0; dx < half; ++dx) {
        const int h = forward ? half - dx : dx;  // the triangle's half-height at this column
        paint::Fill(p, Rect{base + dx, cy - h, 1, 2 * h + 1}, b, enabled ? clWhite : kSoft);
    }
}

void FiguresScreen::PaintChart(Picture& p, bool minutes) {
    const Rect b = paint::Whole(p);
    const int top = minutes ? kTimeChartTop : kSolvedChartTop, height = minutes ? kTimeChartHeight : kSolvedChartHeight;
    const auto& values = minutes ? figures_.secondsPerDay : figures_.solvedPerDay;
    // Bars as long as the time itself: a day of 2 minutes 5 seconds is not drawn as three.
    const int highest = *std::max_element(values.begin(), values.end());
    const int most = std::max(1, highest);
    const std::string title = highest == 0 ? (minutes ? Cp("Время игры по дням (за четыре недели не играли)")
                                                      : Cp("Слова по дням (за четыре недели ни одного)"))
                              : minutes    ? Cp("Время игры по дням (больше всего ") + Duration(most) + ")"
                                           : Cp("Слова по дням (больше всего ") + Counted(most, Cp("слово"), Cp("слова"), Cp("слов")) + ")";
    painter_.Text(p, title, 22, false, kInk, kChartLeft, top - 34);
    paint::Fill(p, Rect{kChartLeft, top + height, kFigureDays * kBarStep, 2}, b, kSoft);
    for (int d = 0; d < kFigureDays; ++d) {
        const int v = values[static_cast<std::size_t>(d)];
        const int h = v > 0 ? std::max(2, static_cast<int>(static_cast<long long>(v) * height / most)) : 0;
        const Rect bar = BarArea(d, minutes);
        if (h > 0) paint::Fill(p, Rect{bar.x, top + height - h, bar.w, h}, b, minutes ? kTimeBar : kSolvedBar);
    }
    painter_.Text(p, Cp("4 недели назад"), 16, false, kSoft, kChartLeft, top + height + 6);
    const std::string today = Cp("сегодня");
    painter_.Text(p, today, 16, false, kSoft, kChartLeft + kFigureDays * kBarStep - painter_.TextWidth(today, 16, false),
                  top + height + 6);
}

void FiguresScreen::PaintLetters(Picture& p) {
    const Rect b = paint::Whole(p);
    const ChildFigures& f = figures_;
    // Below the row of children, which a family of five already stretches past this column.
    int x = 680, y = 180;
    painter_.Text(p, Cp("Путает буквы"), 26, true, kInk, x, y);
    y += 40;
    if (f.confused.empty()) {
        painter_.Text(p, Cp("пока ни разу"), 22, false, kSoft, x, y);
        y += 36;
    }
    for (std::size_t i = 0; i < f.confused.size() && i < 4; ++i) {
        const auto& c = f.confused[i];
        for (const auto& [letter, at] : {std::pair{c.letter, x}, std::pair{c.cell, x + 100}}) {
            if (const Picture* tile = painter_.Tile(letter, 48))
                paint::Blit(p, at, y, *tile, b, false);
            else
                painter_.Text(p, std::string(1, LetterOfNumber(letter)), 36, true, kInk, at + 10, y);
        }
        painter_.Text(p, "\x96", 30, true, kInk, x + 62, y + 6);  // an en dash between the two tiles
        painter_.Text(p, Counted(c.times, Cp("раз"), Cp("раза"), Cp("раз")), 24, false, kInk, x + 170, y + 10);
        y += 56;
    }
    auto letters = [](const std::vector<int>& list) {
        std::string s;
        for (const int letter : list) s += (s.empty() ? "" : ", ") + std::string(1, LetterOfNumber(letter));
        return s.empty() ? Cp("пока не с чем сравнить") : s;
    };
    painter_.Text(p, Cp("С первого раза лучше всего: ") + letters(SureLetters(f, 5)), 22, false, kInk, x, y + 6);
    painter_.Text(p, Cp("Труднее всего: ") + letters(HardLetters(f, 5)), 22, false, kInk, x, y + 40);
    y += 84;
    std::string hinted;
    for (std::size_t i = 0; i < f.hinted.size() && i < 5; ++i) hinted += (i ? ", " : "") + f.hinted[i];
    painter_.Text(p, Cp("С подсказкой: ") + (hinted.empty() ? Cp("ни одного слова") : hinted), 22, false, kInk, x, y);
    std::string slow;
    for (std::size_t i = 0; i < f.slowest.size() && i < 3; ++i)
        slow += (i ? ", " : "") + f.slowest[i].word + " " + Duration(f.slowest[i].seconds);
    painter_.Text(p, Cp("Дольше всего: ") + (slow.empty() ? Cp("пока нечего сказать") : slow), 22, false, kInk, x, y + 36);
    if (f.damaged > 0)
        painter_.Text(p, Cp("Не прочитано строк записи: ") + std::to_string(f.damaged), 20, false, kWarn, x, y + 76);
}
