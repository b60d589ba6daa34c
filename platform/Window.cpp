// The window: routing the pointer to controls (capture, clicks), the timer, modal boxes,
// catching handler errors into the error box, and composing the frame only when needed.
#include "platform/Window.h"

#include <exception>

#include "platform/Errors.h"
#include "platform/MessageBoxPanel.h"
#include "platform/PaintUtil.h"

Window::Window(Host& host) : host_(host) {}

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

Control* Window::HitTest(int x, int y) const {
    auto hit = [&](const Control* c) { return c->Visible() && c->Enabled() && c->Bounds().Contains(x, y); };
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it)
        if ((*it)->IsButton() && hit(*it)) return *it;
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it)
        if (!(*it)->IsButton() && hit(*it)) return *it;
    return nullptr;
}

void Window::ReleaseCapture() {
    if (auto* b = dynamic_cast<Button*>(captured_)) b->SetPressed(false);
    captured_ = nullptr;
    pressedOn_ = nullptr;
}

void Window::PointerDown(int x, int y) {
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

void Window::PointerMove(int x, int y) {
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

void Window::PointerUp(int x, int y) {
    if (modal_) {
        if (modal_->PointerUp(x, y)) Invalidate();
        return;
    }
    Control* c = captured_;
    if (!c) return;
    const bool click = pressedOn_ == c && c->Bounds().Contains(x, y);
    ReleaseCapture();
    const Rect r = c->Bounds();
    if (c->OnMouseUp) Dispatch([&] { c->OnMouseUp(x - r.x, y - r.y); });
    // The release handler may have hidden or moved the control; the click was already decided.
    if (click && c->OnClick) Dispatch([&] { c->OnClick(); });
}

void Window::KeyDown(Key k) {
    if (modal_ && modal_->KeyDown(k)) Invalidate();
}

void Window::QuitRequested() {
    if (modal_) {
        // Close every open box (as closing it would) and ask again once they have returned.
        for (MessageBoxPanel* p = modal_.get(); p; p = p->outer.get()) p->Dismiss();
        quitPending_ = true;
        Invalidate();
        return;
    }
    if (OnQuitRequest)
        Dispatch(OnQuitRequest);
    else
        Close();
}

void Window::StartTimer() {
    timerRunning_ = true;
    host_.SetTimer(true, interval_);
}

void Window::StopTimer() {
    timerRunning_ = false;
    host_.SetTimer(false, interval_);
}

void Window::Tick() {
    if (timerRunning_ && OnTimer) Dispatch(OnTimer);
}

bool Window::RunBox(bool question, const std::string& caption, const std::string& text) {
    using Kind = MessageBoxPanel::Kind;
    ReleaseCapture();
    auto box = std::make_unique<MessageBoxPanel>(question ? Kind::Question : Kind::Error, caption, text,
                                                 host_.Fonts(), kLayoutWidth, kLayoutHeight);
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
        QuitRequested();
    }
    return yes;
}

void Window::ShowError(const std::string& cp1251) { RunBox(false, caption_, cp1251); }

bool Window::AskYesNo(const std::string& cp1251, const std::string& caption) { return RunBox(true, caption, cp1251); }

bool Window::ModalOpen() const { return modal_ != nullptr; }

void Window::Dispatch(const std::function<void()>& handler) {
    if (!handler) return;
    try {
        handler();
    } catch (const std::exception& e) {
        ShowError(WithFullStop(e.what()));
    }
}

const Picture& Window::ComposeFrame() {
    if (frame_.Width() != kLayoutWidth || frame_.Height() != kLayoutHeight)
        frame_ = Picture(kLayoutWidth, kLayoutHeight);
    std::fill(frame_.Pixels().begin(), frame_.Pixels().end(), ColorToPixel(color_));
    FontEngine& fonts = host_.Fonts();
    for (Control* c : controls_)
        if (c->Visible() && !c->IsButton()) c->Paint(frame_, fonts);
    for (Control* c : controls_)
        if (c->Visible() && c->IsButton()) c->Paint(frame_, fonts);
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
    host_.Present(frame_);
}

void Window::Close() { closed_ = true; }
