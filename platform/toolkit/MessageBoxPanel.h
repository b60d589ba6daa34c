// The modal message box drawn inside the window: the error box (stop icon, OK) and the
// warning question (Yes and No). Pointer and keys reach it while it is open.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/toolkit/Controls.h"
#include "platform/toolkit/Fonts.h"
#include "platform/toolkit/Picture.h"

enum class Key;
enum class BoxKind;

class MessageBoxPanel {
public:
    using Kind = BoxKind;
    enum class Result { None, Ok, Yes, No };

    // Lays the box out for its text, centred in a layout of the given size.
    MessageBoxPanel(Kind kind, std::string caption, std::string text, FontEngine& fonts, int layoutWidth,
                    int layoutHeight);

    Kind GetKind() const { return kind_; }
    const std::string& Caption() const { return caption_; }
    const std::string& Text() const { return text_; }
    Result GetResult() const { return result_; }
    bool Answered() const { return result_ != Result::None; }
    // Closing the box without choosing: No for the question, OK for the error box.
    void Dismiss();

    Rect Bounds() const { return bounds_; }
    int ButtonCount() const { return static_cast<int>(buttons_.size()); }
    // In layout coordinates; button 0 is OK or Yes, button 1 is No.
    Rect ButtonRect(int i) const { return buttons_[static_cast<std::size_t>(i)].rect; }
    Result ButtonResult(int i) const { return buttons_[static_cast<std::size_t>(i)].result; }
    // Its caption, with the "&" before the underlined letter.
    const std::string& ButtonLabel(int i) const { return buttons_[static_cast<std::size_t>(i)].caption; }

    // Input in layout coordinates. Each returns true when the box looks different.
    bool PointerDown(int x, int y);
    bool PointerMove(int x, int y);
    bool PointerUp(int x, int y);
    bool KeyDown(Key k);
    bool TextTyped(const std::string& cp1251);

    void Paint(Picture& frame, FontEngine& fonts) const;

    // A box opened while this one waited (an error in a tick, say) is drawn above this one.
    std::unique_ptr<MessageBoxPanel> outer;

private:
    struct ButtonInfo {
        std::string caption;  // with its "&" accelerator
        Result result;
        Rect rect;
    };
    int ButtonAt(int x, int y) const;

    Kind kind_;
    std::string caption_;
    std::string text_;
    std::vector<std::string> lines_;
    std::vector<ButtonInfo> buttons_;
    Rect bounds_;
    Rect icon_;
    int textX_ = 0;
    int textY_ = 0;
    int lineHeight_ = 0;
    int held_ = -1;       // the button the pointer went down on
    bool sunken_ = false;  // and whether the pointer is still over it
    Result result_ = Result::None;
};
