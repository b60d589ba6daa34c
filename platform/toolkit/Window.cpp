// The window: routing the pointer to controls (capture, clicks), the timer, modal boxes,
// catching handler errors into the error box, and composing the frame only when needed.
#include "platform/toolkit/Window.h"

#include <algorithm>
#include <cstddef>
#include <exception>
#include <vector>

#include "platform/toolkit/Errors.h"
#include "platform/toolkit/MessageBoxPanel.h"
#include "platform/toolkit/PaintUtil.h"
#include "platform/toolkit/Text1251.h"

Window::Window(Host& host, Size layout)
    : host_(host), layout_(layout), fonts_(host.Fonts()), damage_{0, 0, layout.width, layout.height} {}

Window::~Window() = default;

void Window::SetColor(TColor c) {
    if (c == color_) return;
    color_ = c;
    Invalidate();
}

void Window::Add(Control& c) {
    c.window_ = this;
    controls_.push_back(&c);
    if (auto* label = dynamic_cast<Label*>(&c)) label->FitToCaption();
    Invalidate();
}

namespace {
bool Pressable(const Control* c) { return c->IsButton() || c->OnClick; }
}  // namespace

Rect Window::TargetArea(const Control* c) const {
    Rect r = c->Bounds();
    if (minimumTarget_ <= 0 || !Pressable(c)) return r;
    if (r.w < minimumTarget_) {
        r.x -= (minimumTarget_ - r.w) / 2;
        r.w = minimumTarget_;
    }
    if (r.h < minimumTarget_) {
        r.y -= (minimumTarget_ - r.h) / 2;
        r.h = minimumTarget_;
    }
    return r;
}

Control* Window::HitTest(int x, int y) const {
    auto live = [](const Control* c) { return c->Visible() && c->Enabled(); };
    auto hit = [&](const Control* c) { return live(c) && c->Bounds().Contains(x, y); };
    Control* exact = nullptr;
    for (auto it = controls_.rbegin(); it != controls_.rend() && !exact; ++it)
        if ((*it)->IsButton() && hit(*it)) exact = *it;
    for (auto it = controls_.rbegin(); it != controls_.rend() && !exact; ++it)
        if (!(*it)->IsButton() && hit(*it)) exact = *it;
    if (minimumTarget_ <= 0 || (exact && Pressable(exact))) return exact;
    // Over nothing to press: the nearest control grown to the minimum target, unless what
    // lies over the point covers that control there (a picture over a button's place).
    Control* nearest = nullptr;
    long long best = 0;
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        Control* c = *it;
        if (!live(c) || !Pressable(c) || c->Bounds().Contains(x, y) || !TargetArea(c).Contains(x, y)) continue;
        const Rect b = c->Bounds();
        const long long dx = std::max({b.x - x, 0, x - (b.x + b.w - 1)}), dy = std::max({b.y - y, 0, y - (b.y + b.h - 1)});
        if (!nearest || dx * dx + dy * dy < best) {
            nearest = c;
            best = dx * dx + dy * dy;
        }
    }
    return nearest ? nearest : exact;
}

void Window::ReleaseCapture() {
    if (auto* b = dynamic_cast<Button*>(captured_)) b->SetPressed(false);
    captured_ = nullptr;
    pressedOn_ = nullptr;
}

void Window::PointerDown(int x, int y, int button) {
    if (button != kPrimaryButton) return;
    if (modal_) {
        if (modal_->PointerDown(x, y)) Invalidate();
        return;
    }
    if (captured_) {
        // The release of the last press never came (focus lost to another program): end
        // that gesture, without a click, so no control stays captured for ever.
        Control* stale = captured_;
        ReleaseCapture();
        const Rect r = stale->Bounds();
        if (stale->OnMouseUp) Dispatch([&] { stale->OnMouseUp(x - r.x, y - r.y); });
    }
    Control* c = HitTest(x, y);
    if (!c) return;
    captured_ = c;
    pressedOn_ = c;
    if (auto* b = dynamic_cast<Button*>(c)) b->SetPressed(true);
    const Rect r = c->Bounds();
    if (c->OnMouseDown) Dispatch([&] { c->OnMouseDown(x - r.x, y - r.y); });
}

void Window::PointerMove(int x, int y, bool primaryHeld) {
    if (!primaryHeld && captured_ && !modal_) PointerUp(x, y);
    if (modal_) {
        if (modal_->PointerMove(x, y)) Invalidate();
        return;
    }
    Control* c = captured_ ? captured_ : HitTest(x, y);
    if (!c) return;
    const Rect r = c->Bounds();
    // A held button looks pressed only while the pointer is over it.
    if (auto* b = dynamic_cast<Button*>(captured_)) b->SetPressed(r.Contains(x, y));
    if (c->OnMouseMove) Dispatch([&] { c->OnMouseMove(x - r.x, y - r.y); });
}

void Window::PointerUp(int x, int y, int button) {
    if (button != kPrimaryButton) return;
    if (modal_) {
        if (modal_->PointerUp(x, y)) Invalidate();
        return;
    }
    Control* c = captured_;
    if (!c) return;
    const bool click = pressedOn_ == c && TargetArea(c).Contains(x, y);
    ReleaseCapture();
    const Rect r = c->Bounds();
    if (c->OnMouseUp) Dispatch([&] { c->OnMouseUp(x - r.x, y - r.y); });
    // The release handler may have hidden or moved the control; the click was already decided.
    if (click && c->OnClick) Dispatch([&] { c->OnClick(); });
}

void Window::PointerCancel(int x, int y) {
    if (modal_) {
        if (modal_->PointerUp(-1, -1)) Invalidate();  // let go nowhere: no answer
        return;
    }
    Control* c = captured_;
    if (!c) return;
    ReleaseCapture();
    const Rect r = c->Bounds();
    if (c->OnMouseCancel)
        Dispatch([&] { c->OnMouseCancel(x - r.x, y - r.y); });
    else if (c->OnMouseUp)
        Dispatch([&] { c->OnMouseUp(x - r.x, y - r.y); });
}

void Window::FileDropped(const std::string& utf8Path) {
    if (!closed_ && !modal_ && OnFileDropped) Dispatch([&] { OnFileDropped(utf8Path); });
}

void Window::SaveRequested() {
    if (!closed_ && OnSaveRequest) Dispatch(OnSaveRequest);
}

void Window::SystemChanged() {
    if (!closed_ && OnSystemChanged) Dispatch(OnSystemChanged);
}

void Window::KeyDown(Key k) {
    if (modal_) {
        if (modal_->KeyDown(k)) Invalidate();
    } else if (OnKeyDown) {
        Dispatch([&] { OnKeyDown(k); });
    }
}

void Window::TextTyped(const std::string& cp1251) {
    if (modal_) {
        if (modal_->TextTyped(cp1251)) Invalidate();
    } else if (OnTextTyped) {
        Dispatch([&] { OnTextTyped(cp1251); });
    }
}

void Window::QuitRequested(QuitReason reason) {
    if (closed_) return;
    if (modal_) {
        // Close every open box (as closing it would) and ask again once they have returned.
        // A signal outranks a close: nobody may be there to answer a box.
        for (MessageBoxPanel* p = modal_.get(); p; p = p->outer.get()) p->Dismiss();
        if (!quitPending_ || reason == QuitReason::Signal) pendingReason_ = reason;
        quitPending_ = true;
        Invalidate();
        return;
    }
    if (OnQuitRequest)
        Dispatch([&] { OnQuitRequest(reason); });
    else
        Close();
}

void Window::SetTimer(bool running, int intervalMs) {
    if (running == timerRunning_ && intervalMs == interval_) return;
    timerRunning_ = running;
    interval_ = intervalMs;
    host_.SetTimer(running, intervalMs);
}

void Window::Tick() {
    if (timerRunning_ && OnTimer) Dispatch(OnTimer);
}

bool Window::RunBox(BoxKind kind, const std::string& caption, const std::string& text) {
    ReleaseCapture();
    auto box = std::make_unique<MessageBoxPanel>(kind, caption, text,
                                                 fonts_, layout_.width, layout_.height);
    MessageBoxPanel* mine = box.get();
    box->outer = std::move(modal_);
    modal_ = std::move(box);
    Invalidate();
    auto close = [this] {
        std::unique_ptr<MessageBoxPanel> top = std::move(modal_);
        modal_ = std::move(top->outer);
        Invalidate();
    };
    try {
        host_.RunModal(*this, [mine] { return mine->Answered(); });
    } catch (...) {
        close();
        throw;
    }
    const bool yes = mine->GetResult() == MessageBoxPanel::Result::Yes;
    close();
    if (quitPending_ && !modal_) {
        quitPending_ = false;
        QuitRequested(pendingReason_);
    }
    return yes;
}

void Window::ShowError(const std::string& cp1251) {
    RunBox(BoxKind::Error, caption_, cp1251);
}

void Window::ShowMessage(const std::string& cp1251) {
    RunBox(BoxKind::Information, caption_, cp1251);
}

bool Window::AskYesNo(const std::string& cp1251) {
    return RunBox(BoxKind::Question, Cp("Предупреждение"), cp1251);
}

bool Window::ModalOpen() const { return modal_ != nullptr; }

void Window::Dispatch(const std::function<void()>& handler) {
    if (!handler) return;
    try {
        handler();
    } catch (const std::exception& e) {
        ShowError(WithFullStop(e.what()));
    }
    if (AfterEvent) AfterEvent();
}

namespace {
Rect Union(Rect a, Rect b) {
    if (a.Empty()) return b;
    if (b.Empty()) return a;
    const int x1 = std::min(a.x, b.x), y1 = std::min(a.y, b.y);
    const int x2 = std::max(a.x + a.w, b.x + b.w), y2 = std::max(a.y + a.h, b.y + b.h);
    return Rect{x1, y1, x2 - x1, y2 - y1};
}

// `area` without `hole`: at most four bands, above, below, left and right of the hole.
int Subtract(Rect area, Rect hole, Rect out[4]) {
    hole = paint::Intersect(hole, area);
    if (hole.Empty()) {
        out[0] = area;
        return 1;
    }
    int n = 0;
    auto add = [&](Rect r) {
        if (r.w > 0 && r.h > 0) out[n++] = r;
    };
    add(Rect{area.x, area.y, area.w, hole.y - area.y});
    add(Rect{area.x, hole.y + hole.h, area.w, area.y + area.h - hole.y - hole.h});
    add(Rect{area.x, hole.y, hole.x - area.x, hole.h});
    add(Rect{hole.x + hole.w, hole.y, area.x + area.w - hole.x - hole.w, hole.h});
    return n;
}
}  // namespace

Rect Window::Whole() const { return Rect{0, 0, layout_.width, layout_.height}; }

void Window::Invalidate() {
    dirty_ = true;
    damage_ = Whole();
}

void Window::Invalidate(Rect area) {
    area = paint::Intersect(area, Whole());
    if (area.Empty()) return;
    dirty_ = true;
    damage_ = Union(damage_, area);
}

const Picture& Window::ComposeFrame() {
    if (frame_.Width() != layout_.width || frame_.Height() != layout_.height) {
        frame_ = Picture(layout_.width, layout_.height);
        damage_ = Whole();
    }
    // A box may shade or overlap anything under it; while one is open, every frame is whole.
    const Rect area = modal_ ? Whole() : paint::Intersect(damage_, Whole());
    damage_ = Rect{};
    if (area.Empty()) return frame_;
    unshown_ = Union(unshown_, area);

    auto touches = [&](const Control* c) {
        return c->Visible() && !paint::Intersect(c->Bounds(), area).Empty();
    };
    // The background shows only where no control covers it; the largest opaque control in
    // the area (on the board screens, the board itself) spares most of the fill.
    Rect cover{};
    for (const Control* c : controls_) {
        if (!touches(c)) continue;
        const Rect o = paint::Intersect(c->OpaqueArea(), area);
        if (!o.Empty() && static_cast<long long>(o.w) * o.h > static_cast<long long>(cover.w) * cover.h)
            cover = o;
    }
    Rect bands[4];
    const int n = Subtract(area, cover, bands);
    for (int i = 0; i < n; ++i) paint::Fill(frame_, bands[i], bands[i], color_);

    // Buttons lie above the rest. A control whose part of the area lies wholly under one
    // painted opaquely after it is left out, its lazy painter too: on the first screen the
    // choice picture hides the board and the score, whose text would otherwise load the
    // font library before the first frame. Lazy painters run first otherwise: what they
    // paint is part of this frame.
    std::vector<Control*> order;
    for (Control* c : controls_)
        if (touches(c) && !c->IsButton()) order.push_back(c);
    for (Control* c : controls_)
        if (touches(c) && c->IsButton()) order.push_back(c);
    std::vector<Rect> opaque(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) opaque[i] = paint::Intersect(order[i]->OpaqueArea(), area);
    FontEngine& fonts = fonts_;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const Rect part = paint::Intersect(order[i]->Bounds(), area);
        bool hidden = false;
        for (std::size_t j = i + 1; j < order.size() && !hidden; ++j) hidden = paint::Intersect(part, opaque[j]) == part;
        if (hidden) continue;
        order[i]->Refresh();
        order[i]->Paint(frame_, fonts, area);
    }
    // Boxes opened later lie above those they interrupted.
    std::vector<const MessageBoxPanel*> boxes;
    for (const MessageBoxPanel* p = modal_.get(); p; p = p->outer.get()) boxes.push_back(p);
    for (auto it = boxes.rbegin(); it != boxes.rend(); ++it) (*it)->Paint(frame_, fonts);
    return frame_;
}

void Window::PresentIfChanged() {
    if (!dirty_) return;
    ComposeFrame();
    dirty_ = false;
    if (unshown_.Empty()) return;
    const Rect changed = unshown_;
    unshown_ = Rect{};
    host_.PresentChange(frame_, changed);
}

void Window::Close() { closed_ = true; }
