// The corner's shell: its page, the gear, and the switching between its screens.
#include "screens/corner/ParentsCorner.h"

#include <cmath>

#include "platform/toolkit/PaintUtil.h"
#include "platform/toolkit/Text1251.h"

using namespace corner;

ParentsCorner::ParentsCorner(CornerContext context)
    : gate(c_, painter_),
      figures(c_, data_, painter_),
      name(c_, data_, painter_),
      familyWords(c_, data_, painter_),
      wordText(c_, data_, painter_),
      picture(c_, data_, painter_),
      replace(c_, data_, painter_),
      voices(c_, data_, painter_),
      voice(c_, painter_),
      letters(c_, data_, painter_),
      files(c_, data_, painter_),
      c_(std::move(context)),
      data_(),
      painter_(c_.window, c_.content) {}

void ParentsCorner::AddControls() {
    Window& w = c_.window;
    Picture gear(imgGear.Bounds().w, imgGear.Bounds().h);
    PaintGear(gear);
    imgGear.SetPicture(std::move(gear));
    imgGear.OnClick = [this] { OpenGate(); };
    w.Add(imgGear);
    const auto go = [this](const CornerStep& step) { Go(step); };
    gate.AddControls(w, go);
    imgCorner.SetPainter([this] { PaintPage(); });
    imgCorner.OnMouseDown = [this](int x, int y) {
        if (Open()) Go(current_->Pressed(x, y));
    };
    imgCorner.OnMouseMove = [this](int x, int y) {
        if (Open()) Go(current_->Moved(x, y));
    };
    imgCorner.OnMouseUp = [this](int x, int y) {
        if (Open()) Go(current_->Released(x, y));
    };
    w.Add(imgCorner);
    imgCorner.Hide();
    for (CornerScreen* s : std::initializer_list<CornerScreen*>{&figures, &name, &familyWords, &wordText, &picture, &replace,
                                                                &voices, &voice, &letters, &files})
        s->AddControls(w, go);
}

CornerScreen* ParentsCorner::ScreenFor(CornerStep::To to) {
    switch (to) {
        case CornerStep::To::Figures: return &figures;
        case CornerStep::To::Name: return &name;
        case CornerStep::To::FamilyWords: return &familyWords;
        case CornerStep::To::WordText: return &wordText;
        case CornerStep::To::Picture: return &picture;
        case CornerStep::To::Replace: return &replace;
        case CornerStep::To::Voices: return &voices;
        case CornerStep::To::Voice: return &voice;
        case CornerStep::To::Letters: return &letters;
        case CornerStep::To::Files: return &files;
        default: return nullptr;
    }
}

void ParentsCorner::OpenGate() {
    CornerStep s;
    s.to = CornerStep::To::Stay;
    if (current_) current_->Leave();
    current_ = &gate;
    gate.Enter(s);
}

void ParentsCorner::Go(const CornerStep& step) {
    if (step.to == CornerStep::To::Stay) {
        if (step.repaint && Open()) imgCorner.PaintLater();
        return;
    }
    if (current_) current_->Leave();
    if (step.to == CornerStep::To::Closed) {
        if (current_ != &gate) data_.outcome.closed = true;
        current_ = nullptr;
        imgCorner.Hide();
        return;
    }
    // Through the gate: the corner reads the children and the words afresh, as they are now.
    if (current_ == &gate) data_.Load(c_.content);
    current_ = ScreenFor(step.to);
    current_->Enter(step);
    imgCorner.Show();
    imgCorner.PaintLater();
}

void ParentsCorner::Tick() {
    if (current_) Go(current_->Tick());
}

bool ParentsCorner::KeyDown(Key key) {
    if (!current_) return false;
    Go(current_->KeyDown(key));
    return true;
}

bool ParentsCorner::TextTyped(const std::string& cp1251) {
    if (!Open()) return false;
    Go(current_->Typed(cp1251));
    return true;
}

void ParentsCorner::FileDropped(const std::string& utf8Path) {
    if (Open()) Go(current_->Dropped(utf8Path));
}

void ParentsCorner::SystemChanged() {
    if (Open()) imgCorner.PaintLater();
}

CornerOutcome ParentsCorner::TakeOutcome() {
    const CornerOutcome o = data_.outcome;
    data_.outcome = CornerOutcome{};
    return o;
}

void ParentsCorner::PaintPage() {
    Picture& p = imgCorner.PainterSurface();
    const Rect b = paint::Whole(p);
    paint::Fill(p, b, b, kPaper);
    paint::Fill(p, Rect{0, 0, b.w, 50}, b, kHeader);
    painter_.Text(p, Cp("Уголок для взрослых"), 30, true, clWhite, 24, 8);
    if (Open()) current_->Paint(p);
}

void ParentsCorner::PaintGear(Picture& p) const {
    // A gear in the ring's gold, on the window's green: teeth round a wheel with a hole.
    const double cx = p.Width() / 2.0, cy = p.Height() / 2.0, outer = p.Width() / 2.0 - 1;
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) {
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy, d = std::sqrt(dx * dx + dy * dy);
            const double tooth = std::cos(8 * std::atan2(dy, dx)) > 0.2 ? outer : outer * 0.78;
            TColor c = clGreen;
            if (d <= tooth) c = d > outer * 0.3 ? (d > tooth - 2 ? 0x157FB8 : 0x30B8F0) : clGreen;
            p.Set(x, y, ColorToPixel(c));
        }
}
