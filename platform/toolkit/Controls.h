// The controls a window holds: pictures, labels and push buttons.
#pragma once
#include <functional>
#include <optional>
#include <string>

#include "platform/toolkit/Color.h"
#include "platform/toolkit/Fonts.h"
#include "platform/toolkit/Picture.h"
#include "platform/toolkit/Rect.h"

class Window;

class Control {
public:
    Control(std::string name, Rect bounds);
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& Name() const { return name_; }
    Rect Bounds() const { return bounds_; }
    void SetBounds(Rect r);
    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool e);
    // Buttons lie above every picture and label and are hit first.
    virtual bool IsButton() const { return false; }

    // Paints the control at its bounds into the window's frame, clipped to its bounds and to
    // `clip`, the part of the frame being composed again: nothing outside it may change.
    virtual void Paint(Picture& frame, FontEngine& fonts, Rect clip) = 0;
    // The part of the bounds whose every pixel Paint covers opaquely; the window need not fill
    // its background there.
    virtual Rect OpaqueArea() const { return {}; }
    // Brings a control that is painted lazily up to date; the window calls it before it
    // composes a frame.
    virtual void Refresh() {}

    // Pointer handlers receive control coordinates (window position minus the control's
    // left and top), also outside the bounds while the control holds the capture.
    std::function<void(int x, int y)> OnMouseDown;
    std::function<void(int x, int y)> OnMouseMove;
    std::function<void(int x, int y)> OnMouseUp;
    std::function<void()> OnClick;  // a press and a release inside this control
    std::function<void(int x, int y)> OnMouseCancel;  // the press taken away by the system

protected:
    void Changed();  // asks the window to compose the control's bounds again, if it shows
    Window* window_ = nullptr;

private:
    friend class Window;
    std::string name_;
    Rect bounds_;
    bool visible_ = true;
    bool enabled_ = true;
};

class PictureControl : public Control {
public:
    using Control::Control;
    void SetPicture(Picture p);
    // A picture made only when first needed (painted, read or drawn into): a window may carry
    // pictures that show late or never, and making them all would delay its first frame. One
    // that cannot be made leaves the control without a picture.
    void SetPictureSource(std::function<Picture()> source);
    bool HasPicture() const { return picture_.has_value() || source_ != nullptr; }
    // The picture to draw into or read from. A control without one gets a blank (white)
    // picture of its size at that moment. Taking the surface counts as a change. A picture
    // painted lazily is painted first, so what is read is what the next frame shows.
    Picture& Surface();
    const Picture* CurrentPicture() const {
        Materialise();
        return picture_ ? &*picture_ : nullptr;
    }

    // Lazy painting: PaintLater marks the picture out of date and asks for a frame; the
    // painter then runs once, before the picture is next composed or taken by Surface(),
    // however many times it was marked in between.
    void SetPainter(std::function<void()> painter) { painter_ = std::move(painter); }
    void PaintLater();
    void Refresh() override;
    // The picture as it stands, for the painter to draw into: neither painted first nor
    // counted as a change, since the painter runs only when a frame is due anyway.
    Picture& PainterSurface();

    void Paint(Picture& frame, FontEngine& fonts, Rect clip) override;
    Rect OpaqueArea() const override;

private:
    void Materialise() const;
    // Made from the source on first use, from const readers too.
    mutable std::optional<Picture> picture_;
    mutable std::function<Picture()> source_;
    std::function<void()> painter_;
    bool stale_ = false;
};

class Label : public Control {
public:
    using Control::Control;
    void SetColor(TColor c);
    TColor Color() const { return color_; }
    void SetCaption(const std::string& cp1251);
    const std::string& Caption() const { return caption_; }
    void SetFont(const Font& f, TColor fontColor);
    // An auto-sized label keeps its left and top and takes the size of its caption.
    void SetAutoSize(bool on);
    void Paint(Picture& frame, FontEngine& fonts, Rect clip) override;
    Rect OpaqueArea() const override { return Bounds(); }

private:
    friend class Window;
    void FitToCaption();
    TColor color_ = clWhite;
    std::string caption_;
    Font font_;
    TColor fontColor_ = clBlack;
    bool autoSize_ = false;
};

class Button : public Control {
public:
    using Control::Control;
    bool IsButton() const override { return true; }
    void SetCaption(const std::string& cp1251);
    const std::string& Caption() const { return caption_; }
    void SetFont(const Font& f);
    void SetPressed(bool p);  // drawn sunken while held
    void Paint(Picture& frame, FontEngine& fonts, Rect clip) override;
    Rect OpaqueArea() const override { return Bounds(); }

private:
    std::string caption_;
    Font font_;
    bool pressed_ = false;
};
