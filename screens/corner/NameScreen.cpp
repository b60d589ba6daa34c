// Typing a child's name and choosing a portrait.
#include "screens/corner/NameScreen.h"

#include "game/WriteProblems.h"
#include "platform/toolkit/Errors.h"
#include "platform/toolkit/PaintUtil.h"
#include "platform/toolkit/Text1251.h"
#include "game/Puzzle.h"

#include <system_error>

using namespace corner;

namespace {
constexpr int kNameKeys = kSpaceKey + 1;
constexpr int kPortraitSize = 80, kPortraitStep = 100, kPortraitsTop = 500;
}  // namespace

Rect NameScreen::PortraitArea(int portrait) {
    const int left = (kPage.w - kPortraits * kPortraitStep + (kPortraitStep - kPortraitSize)) / 2;
    return Rect{left + (portrait - 1) * kPortraitStep, kPortraitsTop, kPortraitSize, kPortraitSize};
}

void NameScreen::AddControls(Window& window, std::function<void(const CornerStep&)> go) {
    go_ = std::move(go);
    btnErase.OnClick = [this] { go_(KeyDown(Key::Backspace)); };
    btnDone.OnClick = [this] { go_(Done()); };
    btnCancel.OnClick = [this] { go_(Back()); };
    for (Button* b : {&btnErase, &btnDone, &btnCancel}) {
        window.Add(*b);
        b->Hide();
    }
}

void NameScreen::Enter(const CornerStep& step) {
    child_ = std::max(0, step.child);
    renaming_ = step.renaming;
    problem_.clear();
    const Child& c = data_.children.children[static_cast<std::size_t>(child_)];
    name_ = renaming_ ? c.name : std::string();
    portrait_ = 1;
    if (renaming_) {
        portrait_ = c.portrait;
    } else {
        // The first portrait nobody has yet.
        for (int p = kPortraits; p >= 1; --p) {
            bool used = false;
            for (const Child& other : data_.children.children) used = used || other.portrait == p;
            if (!used) portrait_ = p;
        }
    }
    const std::pair<Button*, const char*> captions[] = {{&btnErase, "Стереть"}, {&btnDone, "Готово"}, {&btnCancel, "Отмена"}};
    for (const auto& [b, caption] : captions) {
        painter_.FitCaption(*b, Cp(caption));
        b->Show();
    }
}

void NameScreen::Leave() {
    for (Button* b : {&btnErase, &btnDone, &btnCancel}) b->Hide();
    pressed_ = -1;
}

CornerStep NameScreen::Back() const {
    CornerStep s = CornerStep::Go(CornerStep::To::Figures);
    s.child = child_;
    return s;
}

CornerStep NameScreen::Pressed(int x, int y) {
    pressed_ = KeyAt(x, y, kNameKeys);
    for (int p = 1; p <= kPortraits; ++p)
        if (PortraitArea(p).Contains(x, y)) pressed_ = 100 + p;
    return {};
}

CornerStep NameScreen::Released(int x, int y) {
    const int pressed = pressed_;
    pressed_ = -1;
    if (pressed > 100) {
        if (!PortraitArea(pressed - 100).Contains(x, y)) return {};
        portrait_ = pressed - 100;
        return CornerStep::Repaint();
    }
    if (pressed < 0 || !KeyArea(pressed).Contains(x, y)) return {};
    if (pressed == kSpaceKey) return Typed(" ");
    if (pressed == kHyphenKey) return Typed("-");
    return Typed(std::string(1, NameLetter(name_, pressed + 1)));
}

CornerStep NameScreen::KeyDown(Key key) {
    if (key == Key::Escape) return Back();
    if (key == Key::Enter) return Done();
    if (key == Key::Backspace && !name_.empty()) name_.pop_back();
    problem_.clear();
    return CornerStep::Repaint();
}

CornerStep NameScreen::Typed(const std::string& cp1251) {
    const NameTyping t = TypeIntoName(name_, cp1251);
    name_ = t.name;
    problem_ = t.problem;
    return CornerStep::Repaint();
}

CornerStep NameScreen::Done() {
    const NameTyping t = FinishName(name_);
    if (!t.problem.empty()) {
        problem_ = t.problem;
        return CornerStep::Repaint();
    }
    ChildList changed = data_.children;
    int shown = child_;
    if (renaming_) {
        Child& c = changed.children[static_cast<std::size_t>(child_)];
        c.name = t.name;
        c.portrait = portrait_;
    } else {
        // Never the number of a child removed whose files are still there, here or in a
        // folder the progress moved from.
        changed.Add(t.name, portrait_, [this](const std::string& file) {
            std::error_code ec;
            return std::filesystem::exists(c_.content.ProgressFileToRead(file), ec) ||
                   std::filesystem::exists(c_.content.ProgressFile("removed-" + file), ec);
        }, c_.ids);
        shown = static_cast<int>(changed.children.size()) - 1;
    }
    if (const int err = changed.Save(c_.content.progressFolder); err != 0)
        throw GameError(WriteProblem(err, c_.content.ProgressFile("children.txt")));
    data_.children = changed;
    data_.outcome.childrenChanged = true;
    CornerStep s = CornerStep::Go(CornerStep::To::Figures);
    s.child = shown;
    return s;
}

void NameScreen::Paint(Picture& p) {
    const Rect b = paint::Whole(p);
    painter_.Text(p, renaming_ ? Cp("Новое имя и портрет") : Cp("Имя нового ребёнка и портрет"), 28, true, kInk, 24, 70);
    const Rect box{334, 120, 700, 64};
    paint::Fill(p, box, b, clWhite);
    paint::Frame3D(p, box, true, b);
    painter_.Text(p, name_ + "_", 40, true, kInk, box.x + 16, box.y + 10);
    if (!problem_.empty()) painter_.Text(p, problem_, 22, false, kWarn, box.x, box.y + box.h + 10);
    painter_.PaintKeys(p, kNameKeys);
    for (int n = 1; n <= kPortraits; ++n) {
        const Rect r = PortraitArea(n);
        if (n == portrait_) paint::Fill(p, Rect{r.x - 5, r.y - 5, r.w + 10, r.h + 10}, b, kFrame);
        paint::Blit(p, r.x, r.y, painter_.Portrait(n, kPortraitSize), b, false);
    }
}
