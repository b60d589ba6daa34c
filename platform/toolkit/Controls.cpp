// The controls: state changes that ask the window for a new frame, and how each paints.
#include "platform/toolkit/Controls.h"

#include "platform/toolkit/PaintUtil.h"
#include "platform/toolkit/Window.h"

Control::Control(std::string name, Rect bounds) : name_(std::move(name)), bounds_(bounds) {}

void Control::Changed() {
    // A hidden control's changes show only once it is shown, and showing it asks for that.
    if (window_ && visible_) window_->Invalidate(bounds_);
}

void Control::SetBounds(Rect r) {
    if (r == bounds_) return;
    Changed();  // where it was
    bounds_ = r;
    Changed();
}

void Control::SetVisible(bool v) {
    if (v == visible_) return;
    visible_ = v;
    if (window_) window_->Invalidate(bounds_);
}

void Control::SetEnabled(bool e) {
    if (e == enabled_) return;
    enabled_ = e;
    Changed();
}

// --- Picture ---------------------------------------------------------------------------

void PictureControl::SetPicture(Picture p) {
    source_ = nullptr;
    picture_ = std::move(p);
    Changed();
}

void PictureControl::SetPictureSource(std::function<Picture()> source) {
    source_ = std::move(source);
    picture_.reset();
    Changed();
}

void PictureControl::Materialise() const {
    if (!source_) return;
    const std::function<Picture()> source = std::move(source_);
    source_ = nullptr;
    try {
        picture_ = source();
    } catch (const std::exception&) {
        picture_.reset();
    }
}

Picture& PictureControl::PainterSurface() {
    Materialise();
    if (!picture_) picture_ = Picture(std::max(Bounds().w, 0), std::max(Bounds().h, 0), 0xFFFFFFFFu);
    return *picture_;
}

Picture& PictureControl::Surface() {
    Refresh();
    // Whoever takes the surface is about to draw into it; the frame must follow.
    Changed();
    return PainterSurface();
}

void PictureControl::PaintLater() {
    stale_ = true;
    Changed();
}

void PictureControl::Refresh() {
    if (!stale_ || !painter_) return;
    // Cleared first: the painter reaches the surface again through the view it paints for.
    stale_ = false;
    painter_();
}

void PictureControl::Paint(Picture& frame, FontEngine&, Rect clip) {
    // Where the picture does not reach, the window shows through, as with an empty image.
    Materialise();
    if (picture_) paint::Blit(frame, Bounds().x, Bounds().y, *picture_, paint::Intersect(Bounds(), clip), false);
}

Rect PictureControl::OpaqueArea() const {
    Materialise();
    const Rect b = Bounds();
    if (!picture_) return {};
    return Rect{b.x, b.y, std::min(b.w, picture_->Width()), std::min(b.h, picture_->Height())};
}

// --- Label -----------------------------------------------------------------------------

void Label::SetColor(TColor c) {
    if (c == color_) return;
    color_ = c;
    Changed();
}

void Label::SetCaption(const std::string& cp1251) {
    if (cp1251 == caption_) return;
    caption_ = cp1251;
    FitToCaption();
    Changed();
}

void Label::SetFont(const Font& f, TColor fontColor) {
    font_ = f;
    fontColor_ = fontColor;
    FitToCaption();
    Changed();
}

void Label::SetAutoSize(bool on) {
    if (on == autoSize_) return;
    autoSize_ = on;
    FitToCaption();
}

void Label::FitToCaption() {
    // Measuring needs the window's font engine; Window::Add fits labels added later.
    if (!autoSize_ || !window_) return;
    const TextSize size = window_->Fonts().Measure(font_, caption_);
    Rect r = Bounds();
    r.w = size.width;
    r.h = caption_.empty() ? font_.height : size.height;
    SetBounds(r);
}

void Label::Paint(Picture& frame, FontEngine& fonts, Rect clip) {
    const Rect b = Bounds();
    const Rect inside = paint::Intersect(b, clip);
    paint::Fill(frame, b, inside, color_);
    if (!caption_.empty()) paint::Blit(frame, b.x, b.y, fonts.Render(font_, caption_, fontColor_), inside, true);
}

// --- Button ----------------------------------------------------------------------------

void Button::SetCaption(const std::string& cp1251) {
    if (cp1251 == caption_) return;
    caption_ = cp1251;
    Changed();
}

void Button::SetFont(const Font& f) {
    font_ = f;
    Changed();
}

void Button::SetPressed(bool p) {
    if (p == pressed_) return;
    pressed_ = p;
    Changed();
}

void Button::Paint(Picture& frame, FontEngine& fonts, Rect clip) {
    const Rect b = Bounds();
    paint::Fill(frame, b, clip, paint::kFace);
    paint::Frame3D(frame, b, pressed_, clip);
    const paint::Accel a = paint::ParseAccelerator(caption_);
    if (a.text.empty()) return;
    const TextSize size = fonts.Measure(font_, a.text);
    // Centred; a pressed button's caption moves one pixel down and right, as it sinks.
    const int shift = pressed_ ? 1 : 0;
    const int x = b.x + (b.w - size.width) / 2 + shift;
    const int y = b.y + (b.h - size.height) / 2 + shift;
    const Rect inner = paint::Intersect(Rect{b.x + 2, b.y + 2, b.w - 4, b.h - 4}, clip);
    if (Enabled()) {
        paint::Caption(frame, fonts, font_, a, clBlack, x, y, inner);
    } else {
        // Disabled text is etched: a white copy one pixel down-right under a grey one.
        paint::Caption(frame, fonts, font_, a, paint::kHighlight, x + 1, y + 1, inner);
        paint::Caption(frame, fonts, font_, a, paint::kGrayText, x, y, inner);
    }
}
