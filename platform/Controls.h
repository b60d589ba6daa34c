// The controls a window holds: pictures, labels and push buttons.
#pragma once
#include <functional>
#include <optional>
#include <string>

#include "platform/Color.h"
#include "platform/Fonts.h"
#include "platform/Picture.h"

class Window;

struct Rect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    bool Contains(int px, int py) const { return px >= x && px < x + w && py >= y && py < y + h; }
    bool operator==(const Rect&) const = default;
};

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

    // Paints the control at its bounds into the window's frame, clipped to its bounds.
    virtual void Paint(Picture& frame, FontEngine& fonts) = 0;

    // Pointer handlers receive control coordinates (window position minus the control's
    // left and top), also outside the bounds while the control holds the capture.
    std::function<void(int x, int y)> OnMouseDown;
    std::function<void(int x, int y)> OnMouseMove;
    std::function<void(int x, int y)> OnMouseUp;
    std::function<void()> OnClick;  // a press and a release inside this control

protected:
    void Changed();  // asks the window for a new frame
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
    bool HasPicture() const { return picture_.has_value(); }
    // The picture to draw into. A control without one gets a blank (white) picture of its
    // size at that moment. Taking the surface counts as a change.
    Picture& Surface();
    const Picture* CurrentPicture() const { return picture_ ? &*picture_ : nullptr; }
    void Paint(Picture& frame, FontEngine& fonts) override;

private:
    std::optional<Picture> picture_;
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
    void Paint(Picture& frame, FontEngine& fonts) override;

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
    void Paint(Picture& frame, FontEngine& fonts) override;

private:
    std::string caption_;
    Font font_;
    bool pressed_ = false;
};
